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
#include "paint/PaintSession.h"
#include "paint/Printing.h"
#include "platform/Outward.h"
#include "platform/Paths.h"
#include "shell/AppData.h"
#include "shell/Application.h"
#include "shell/LangState.h"
#include "shell/LanguageTexts.h"
#include "shell/MMBtns.h"
#include "shell/MsgDlg.h"
#include "shell/Page.h"
#include "shell/PaintPanels.h"

namespace orb {

namespace {
const char* kFilter = "Orbelle (*.bmp)";

// Writes the picture as a true-colour BMP through the picture loader (which writes beside
// the target and renames); a failure is shown in its message boxes.
bool WriteBmp(TPictureImage* loader, const QImage& picture, const QString& file) {
    loader->SetPicture(picture.copy());
    loader->SetImageDither(false);
    loader->SetImageWriteRes(TSaveResolution::sColorTrue);
    const TOutcome written = loader->SaveAsBmp(file);
    loader->SetPicture(QImage());
    TApplication::ShowFailure(written.Failure());
    return written.Ok();
}
}  // namespace

TFileCommands::TFileCommands(const TPaintContext& ctx, const Buttons& buttons,
                             TCataloguePanel& catalogue)
    : ctx_(ctx), b_(buttons), catalogue_(catalogue) {}

bool TFileCommands::IsCommand(QObject* sender) const {
    return sender && (sender == b_.Open || sender == b_.Save || sender == b_.Print ||
                      sender == b_.Clipboard || sender == b_.Desktop);
}

bool TFileCommands::AskSaveChanged() {
    if (!ctx_.Alive() || !ctx_.Session.Changed()) return true;
    if (!Ask(kChangedQuestion)) return true;
    return SaveMandala(false);
}

void TFileCommands::Run(QObject* sender) {
    if (sender == b_.Open)
        OpenMandala();
    else if (sender == b_.Save)
        SaveMandala(true);
    else if (sender == b_.Print)
        PrintMandala();
    else if (sender == b_.Clipboard)
        CopyMandalaToClipboard();
    else if (sender == b_.Desktop)
        SetMandalaAsWallpaper();
}

void TFileCommands::OpenMandala() {
    if (!AskSaveChanged()) return;  // kept on show, with its change mark
    const QString file =
        Out().OpenFileName(ctx_.Host.Window(), ctx_.Data().OpenDialog->property("Title").toString(),
                           UserFolder(), kFilter);
    if (!file.isEmpty()) {
        if (ctx_.Alive()) ctx_.Session.MarkSaved();  // answered above
        catalogue_.LoadMandala(QFileInfo(file).absoluteFilePath());
    }
    ctx_.UpdateStatus();
}

bool TFileCommands::SaveMandala(bool reselect) {
    bool saved = false;
    if (HasPicture()) {
        QString file = Out().SaveFileName(ctx_.Host.Window(),
                                          ctx_.Data().SaveDialog->property("Title").toString(),
                                          SaveInitialDir.isEmpty() ? UserFolder() : SaveInitialDir,
                                          SaveFileName, kFilter);
        if (!file.isEmpty()) {
            if (QFileInfo(file).suffix().isEmpty()) file += ".bmp";  // the default extension
            // A failed write keeps the change mark and the lists: the drawing is still
            // only in memory, and the user must be offered the save again.
            if (WriteBmp(ctx_.Data().PictureLoader, ctx_.Session.Picture(), file)) {
                saved = true;
                if (reselect) catalogue_.ShowSavedFile(file);
                ctx_.Session.MarkSaved();
                const QFileInfo fi(file);
                SaveFileName = fi.fileName();
                SaveInitialDir = fi.absolutePath() + "/";
            }
        }
    }
    ctx_.UpdateStatus();
    ctx_.Host.Window()->update();
    return saved;
}

void TFileCommands::RefreshPrinters() { printers_ = Out().Printers(); }

bool TFileCommands::HasPrinters() {
    if (!printers_) RefreshPrinters();
    return !printers_->isEmpty();
}

void TFileCommands::PrintMandala() {
    RefreshPrinters();  // a printer added since start-up counts
    if (!HasPicture() || printers_->isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!Out().PrintSetup(ctx_.Host.Window(), printer)) return;
    // A printer that cannot start the document (a PDF file in a folder the user may not
    // write, a printer gone away) is told, not passed over in silence.
    if (!PrintPicture(printer, ctx_.Session.Picture(), ctx_.Data().HeadingFace))
        Out().Message(GetLangText(5040, "MainForm", LngFileName(),
                                  "De mandala kon niet worden afgedrukt."),
                      "Orbelle", MessageKind::Error);
}

void TFileCommands::CopyMandalaToClipboard() {
    if (!HasPicture()) return;
    QGuiApplication::clipboard()->setImage(ctx_.Session.Picture());
}

void TFileCommands::SetMandalaAsWallpaper() {
    if (!HasPicture()) return;
    const QString file = WallpaperFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!WriteBmp(ctx_.Data().PictureLoader, ctx_.Session.Picture(), file))
        return;  // shown above
    if (!Out().SetWallpaper(file))
        Out().Message(GetLangText(4116, "MainForm", LngFileName(),
                                  "De mandala kon niet als bureaubladachtergrond worden ingesteld."),
                      "Orbelle", MessageKind::Error);
}

QString TFileCommands::SaveForLogout() {
    if (!HasPicture() || !ctx_.Session.Changed()) return {};
    QDir().mkpath(UserFolder());
    const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    QString file = UserFolder() + "Mandala " + stamp + ".bmp";
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = UserFolder() + QStringLiteral("Mandala %1 (%2).bmp").arg(stamp).arg(n);
    if (!WriteBmp(ctx_.Data().PictureLoader, ctx_.Session.Picture(), file)) return {};
    ctx_.Session.MarkSaved();
    return file;
}

bool TFileCommands::HasPicture() const { return ctx_.Alive() && ctx_.Session.HasPicture(); }

}  // namespace orb
