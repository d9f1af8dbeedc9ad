// The file commands of the paint page: open, save, print, clipboard and wallpaper, and the
// change prompt that offers to save a changed drawing before it would be lost.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QSessionManager>

#include "library/PictureImage.h"
#include "paint/DtlWin.h"
#include "paint/Printing.h"
#include "platform/Outward.h"
#include "platform/Paths.h"
#include "shell/LangState.h"
#include "shell/LanguageTexts.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"
#include "shell/PaintPage.h"
#include "shell/MsgDlg.h"

namespace orb {

namespace {
const char* kFilter = "Orbelle (*.bmp)";

bool HasPicture() { return DetailWindowAlive && DetailWindow->Document().HasPicture(); }

// Writes the picture as a true-colour BMP through the picture loader (which writes beside
// the target and renames, and reports its own failure).
bool WriteBmp(TPictureImage* loader, const QImage& picture, const QString& file) {
    loader->SetPicture(picture.copy());
    loader->SetImageDither(false);
    loader->SetImageWriteRes(TSaveResolution::sColorTrue);
    const bool ok = loader->SaveAsBmp(file);
    loader->SetPicture(QImage());
    return ok;
}
}  // namespace

void TPaintPage::AskSaveChanged() {
    if (!DetailWindowAlive || !DetailWindow->FChanged) return;
    const QString sec = "MainForm";
    if (AskYesNo(GetLangText(4217, sec, LngFileName, "Mandala is veranderd!"),
                 GetLangText(4218, sec, LngFileName, "Wilt u de huidige mandala bewaren?"),
                 GetLangText(2, sec, LngFileName, "Ja"), GetLangText(3, sec, LngFileName, "Nee")))
        SaveMandala(false);
}

void TPaintPage::RunFileCommand(QObject* sender) {
    if (sender == OpenSBtn)
        OpenMandala();
    else if (sender == SaveSBtn)
        SaveMandala(true);
    else if (sender == PrintSBtn)
        PrintMandala();
    else if (sender == SendToClipBrdSBtn)
        CopyMandalaToClipboard();
    else if (sender == SendToDesktopSBtn)
        SetMandalaAsWallpaper();
}

void TPaintPage::OpenMandala() {
    AskSaveChanged();
    const QString file = Out().OpenFileName(&Form, Form.OpenDialog->property("Title").toString(),
                                            UserFolder(), kFilter);
    if (!file.isEmpty()) {
        if (DetailWindowAlive) DetailWindow->FChanged = false;
        LoadMandala(QFileInfo(file).absoluteFilePath());
    }
    UpdateStatus();
}

bool TPaintPage::SaveMandala(bool reselect) {
    bool saved = false;
    if (HasPicture()) {
        QString file = Out().SaveFileName(&Form, Form.SaveDialog->property("Title").toString(),
                                          SaveInitialDir.isEmpty() ? UserFolder() : SaveInitialDir,
                                          SaveFileName, kFilter);
        if (!file.isEmpty()) {
            if (QFileInfo(file).suffix().isEmpty()) file += ".bmp";  // the default extension
            // A failed write keeps the change mark and the lists: the drawing is still
            // only in memory, and the user must be offered the save again.
            if (WriteBmp(Form.anImage, DetailWindow->FPicture, file)) {
                saved = true;
                if (reselect) ShowSavedFile(file);
                DetailWindow->Document().MarkSaved();
                const QFileInfo fi(file);
                SaveFileName = fi.fileName();
                SaveInitialDir = fi.absolutePath() + "/";
            }
        }
    }
    UpdateStatus();
    Form.update();
    return saved;
}

void TPaintPage::ShowSavedFile(const QString& file) {
    const QFileInfo fi(file);
    const QString folder = QDir::cleanPath(fi.absolutePath()) + "/";
    if (folder == QDir::cleanPath(UserFolder()) + "/") {
        SubjectLst->blockSignals(true);
        SubjectLst->setCurrentIndex(SubjectLst->count() - 1);
        SubjectLst->blockSignals(false);
        MandalaLst->blockSignals(true);
        FillMandalaList(false);
        MandalaLst->setCurrentRow(-1);
        for (int i = 0; i < MandalaLst->count(); ++i)
            if (MandalaLst->item(i)->text() == fi.fileName()) {
                MandalaLst->setCurrentRow(i);
                break;
            }
        MandalaLst->blockSignals(false);
    } else {
        ShowLoneFile(fi.fileName());
    }
}

void TPaintPage::RefreshPrinters() { printers_ = Out().Printers(); }

void TPaintPage::PrintMandala() {
    RefreshPrinters();  // a printer added since start-up counts
    if (!HasPicture() || printers_.isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!Out().PrintSetup(&Form, printer)) return;
    PrintPicture(printer, DetailWindow->FPicture, Form.CaptionLbl->font().family());
}

void TPaintPage::CopyMandalaToClipboard() {
    if (!HasPicture()) return;
    QGuiApplication::clipboard()->setImage(DetailWindow->FPicture);
}

void TPaintPage::SetMandalaAsWallpaper() {
    if (!HasPicture()) return;
    const QString file = WallpaperFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!WriteBmp(Form.anImage, DetailWindow->FPicture, file)) return;  // the writer said why
    if (!Out().SetWallpaper(file))
        Out().Message(GetLangText(4116, "MainForm", LngFileName,
                                  "De mandala kon niet als bureaubladachtergrond worden ingesteld."),
                      "Orbelle", MessageKind::Error);
}

QString TPaintPage::SaveForLogout() {
    if (!HasPicture() || !DetailWindow->FChanged) return {};
    QDir().mkpath(UserFolder());
    const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    QString file = UserFolder() + "Mandala " + stamp + ".bmp";
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = UserFolder() + QStringLiteral("Mandala %1 (%2).bmp").arg(stamp).arg(n);
    if (!WriteBmp(Form.anImage, DetailWindow->FPicture, file)) return {};
    DetailWindow->Document().MarkSaved();
    return file;
}

void TMainForm::SessionEnding(QSessionManager& manager) {
    if (!DetailWindowAlive || !DetailWindow->FChanged) return;
    if (manager.allowsInteraction()) {
        Paint->AskSaveChanged();
        manager.release();
        DetailWindow->FChanged = false;  // answered: the close that follows asks no more
    } else {
        Paint->SaveForLogout();
    }
}

}  // namespace orb
