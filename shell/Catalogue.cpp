// The mandala catalogue of the paint page: subjects and drawings from the text database,
// drawings from the picture archive or the user's folder, and LoadMandala.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>

#include "library/Cp1252.h"
#include "library/PictureArchive.h"
#include "library/PictureImage.h"
#include "library/iDbRecs.h"
#include "platform/Display.h"
#include "paint/DtlWin.h"
#include "platform/Paths.h"
#include "shell/LanguageTexts.h"
#include "shell/Main.h"
#include "shell/PaintPage.h"
#include "shell/MsgDlg.h"
#include "shell/Pictures.h"

namespace orb {

namespace {
// Display text of a catalogue line: the part before the first "=".
QString DisplayPart(const QString& line) {
    const int eq = line.indexOf('=');
    return eq < 0 ? line : line.left(eq);
}
// The part after the first "=", or the whole line.
QString ValuePart(const QString& line) {
    const int eq = line.indexOf('=');
    return eq < 0 ? line : line.mid(eq + 1);
}
QString BareName(const QString& path) {
    const int cut = std::max(path.lastIndexOf('\\'), path.lastIndexOf('/'));
    return path.mid(cut + 1);
}
QStringList SplitLines(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.size() == 1 && text.contains('\n')) lines = text.split('\n');
    // A value that ends with a line break has no empty last item.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
}  // namespace

QString TPaintPage::LineOf(const QString& display, const QVariant& data) {
    return data.isValid() ? data.toString() : display;
}

QString TPaintPage::SubjectLine(int i) const {
    if (i < 0 || i >= SubjectLst->count()) return {};
    return LineOf(SubjectLst->itemText(i), SubjectLst->itemData(i));
}

QString TPaintPage::MandalaLine(int i) const {
    if (i < 0 || i >= MandalaLst->count()) return {};
    QListWidgetItem* item = MandalaLst->item(i);
    return LineOf(item->text(), item->data(Qt::UserRole));
}

QStringList TMainForm::DatabaseLines(const QString& keyPrefix) const {
    if (!TextDatabase) return {};
    const QByteArray key = ToCp1252(keyPrefix + QString::number(LngID) + "|||");
    QByteArray value;
    if (!TextDatabase->FindValue(key, value)) return {};
    return SplitLines(FromCp1252(value));
}

void TPaintPage::FillSubjectList() {
    MandalaLst->clear();
    SubjectLst->blockSignals(true);
    SubjectLst->clear();
    for (const QString& line : Form.DatabaseLines("Mandala_Subjects_"))
        SubjectLst->addItem(DisplayPart(line), line);
    // Selecting the first subject does not run the change handler.
    if (SubjectLst->count() > 0) SubjectLst->setCurrentIndex(0);
    SubjectLst->blockSignals(false);
}

void TPaintPage::FillMandalaList(bool selectFirst) {
    MandalaLst->blockSignals(true);
    MandalaLst->clear();
    const QString subject = SubjectLine(SubjectLst->currentIndex());
    if (!subject.isEmpty()) {
        if (!subject.contains("=User")) {
            const QString folder = "\\" + ValuePart(subject) + "\\";
            for (const QString& line : Form.DatabaseLines("Mandala_Files_")) {
                if (!line.contains(folder)) continue;
                auto* item = new QListWidgetItem(DisplayPart(line));
                item->setData(Qt::UserRole, line);
                MandalaLst->addItem(item);
            }
        } else {
            // The user's own drawings, in the order the file system gives them.
            QDir user(UserFolder());
            user.setNameFilters({"*.bmp"});
            user.setFilter(QDir::Files);  // not folders, not hidden files
            user.setSorting(QDir::Unsorted);
            for (const QString& name : user.entryList()) MandalaLst->addItem(name);
        }
    }
    MandalaLst->blockSignals(false);
    if (selectFirst && MandalaLst->count() > 0) {
        MandalaLst->setCurrentRow(0);
        MandalaLstClick();
    } else if (MandalaLst->count() == 0 && DetailWindowAlive) {
        DetailWindow->hide();
    }
    UpdateStatus();
}

void TPaintPage::SubjectLstChange() { FillMandalaList(true); }

void TPaintPage::MandalaLstClick() {
    const bool ready = Form.Notebook->ActivePage() == "Paint" && SubjectLst->count() > 0 &&
                       SubjectLst->currentIndex() >= 0 && MandalaLst->count() > 0 &&
                       MandalaLst->currentRow() >= 0;
    if (!ready) {
        if (DetailWindowAlive) DetailWindow->hide();
        return;
    }
    const QString subject = SubjectLine(SubjectLst->currentIndex());
    const QString line = MandalaLine(MandalaLst->currentRow());
    const QString path = subject.contains("=User") ? UserFolder() + line : ValuePart(line);
    LoadMandala(path);
    UpdateStatus();
}

void TPaintPage::ShowLoneFile(const QString& name) {
    // A drawing from elsewhere: the lists show just that file.
    SubjectLst->blockSignals(true);
    SubjectLst->setCurrentIndex(-1);
    SubjectLst->blockSignals(false);
    MandalaLst->blockSignals(true);
    MandalaLst->clear();
    MandalaLst->addItem("..\\" + name);
    MandalaLst->setCurrentRow(0);
    MandalaLst->blockSignals(false);
}

void TPaintPage::ClearDrawing() {
    ShowDetailWindow(MandalaPanel, this);
    DetailWindow->FStartX = DetailWindow->FStartY = 0;
    DetailWindow->LoadPicture(QImage());
    ResetScaleDisplay();
}

void TPaintPage::LoadMandala(const QString& path) {
    AskSaveChanged();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Form.anImage->SetImageReadRes(TPictureImage::ReadResForDisplay(DisplayDepth()));
    Form.anImage->SetImageDither(false);

    const QString diskPath = ProgramFile(path);
    const QString bare = BareName(path);
    const QString tempFile = TempFolder() + bare;
    QImage picture;
    bool inArchive = false;
    bool read = false;  // a file was there to decode
    if (!QFileInfo::exists(diskPath) && Form.ArchiveIndex && !bare.isEmpty()) {
        bool found = false;
        FindArchiveEntry(*Form.ArchiveIndex, path, &found);
        inArchive = found;
    }
    if (!inArchive) {
        if (QFileInfo(diskPath).isFile()) {
            read = true;
            picture = LoadPictureFile(diskPath);
            const QFileInfo fi(diskPath);
            SaveFileName = fi.fileName();
            SaveInitialDir = fi.absolutePath() + "/";
            if (SaveInitialDir != UserFolder()) {
                ShowLoneFile(fi.fileName());
            }
        }
    } else {
        QDir().mkpath(TempFolder());
        if (ExtractArchiveEntry(*Form.ArchiveIndex, path, tempFile) && QFileInfo::exists(tempFile)) {
            read = true;
            picture = LoadPictureFile(tempFile);
        }
        SaveFileName.clear();
        SaveInitialDir = UserFolder();
    }

    if (!picture.isNull()) {
        ShowDetailWindow(MandalaPanel, this);
        TDetailWindow* w = DetailWindow;
        w->FStartX = w->FStartY = 0;
        // The picture as the display holds it: palette displays take the nearest colours.
        QImage pic = picture.convertToFormat(QImage::Format_RGB32);
        if (const Palette* pal = GetSharedPalette()) pic = MapToPalette(pic, *pal);
        w->LoadPicture(pic);
        ResetScaleDisplay();
        QApplication::processEvents();
    } else if (read) {
        // The file was there but could not be decoded: the drawing it replaces must not stay
        // on show under the new name, with its change mark and view. The reader has said why.
        ClearDrawing();
    }
    if (QFileInfo::exists(tempFile)) QFile::remove(tempFile);
    QApplication::restoreOverrideCursor();
}

}  // namespace orb
