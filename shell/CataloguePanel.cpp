// The catalogue panel of the paint page: subjects and drawings from the text database,
// drawings from the picture archive or the user's folder, and LoadMandala.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMouseEvent>

#include "library/Palette.h"
#include "library/PictureArchive.h"
#include "library/PictureImage.h"
#include "paint/DtlWin.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "platform/Tags.h"
#include "shell/AppData.h"
#include "shell/Page.h"
#include "shell/PaintPanels.h"
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
}  // namespace

// ---- TPaintContext ------------------------------------------------------------------

void TPaintContext::ShowWindow() const { ShowDetailWindow(Panel, Session); }

bool TPaintContext::Alive() const {
    const TDetailWindow* w = DetailWindow();
    return w && &w->Session() == &Session;
}

void TPaintContext::HideWindow() const {
    if (Alive()) DetailWindow()->hide();
}

TAppData& TPaintContext::Data() const { return Host.Data(); }

void TPaintContext::UpdateStatus() const { Host.UpdateStatus(); }

// ---- TCataloguePanel ------------------------------------------------------------------

TCataloguePanel::TCataloguePanel(const TPaintContext& ctx, QWidget* page) : ctx_(ctx) {
    SubjectLstLbl = MakeLabel(page, "SubjectLstLbl", QRect(5, 8, 130, 18), "Onderwerpen", 4151,
                              13, Qt::white);
    SubjectLst = new QComboBox(page);
    SubjectLst->setObjectName("SubjectLst");
    SetTag(SubjectLst, 4100);
    SubjectLst->setGeometry(5, 28, 130, 22);
    MandalaLstLbl = MakeLabel(page, "MandalaLstLbl", QRect(5, 60, 130, 18), "Mandala's", 4152,
                              13, Qt::white);
    MandalaLst = new QListWidget(page);
    MandalaLst->setObjectName("MandalaLst");
    SetTag(MandalaLst, 4100);
    MandalaLst->setGeometry(5, 80, 130, 300);
    MandalaLst->setFrameShape(QFrame::NoFrame);
    // Selected rows navy with white text; the open drop-down keeps the box's own colours.
    SetDesignStyleSheet(
        MandalaLst,
        "QListWidget { background: black; color: white; border: 1px solid rgb(255,153,51); }"
        "QListWidget::item { height: 16px; }"
        "QListWidget::item:selected { background: rgb(0,0,128); color: white; }");
    SetDesignStyleSheet(
        SubjectLst,
        "QComboBox { background: black; color: white; border: 1px solid rgb(255,153,51); }"
        "QComboBox QAbstractItemView { background: black; color: white; "
        "selection-background-color: rgb(0,0,128); selection-color: white; }");
}

void TCataloguePanel::Start() {
    FillSubjectList();
    FillMandalaList(true);
    connect(SubjectLst, &QComboBox::currentIndexChanged, this, [this] { SubjectLstChange(); });
    connect(MandalaLst, &QListWidget::itemClicked, this, [this] { MandalaLstClick(); });
    connect(MandalaLst, &QListWidget::currentRowChanged, this, [this](int row) {
        // Keyboard choices load too; a click loads once, through itemClicked.
        if (row >= 0 && MandalaLst->hasFocus() && !mandalaLstPressed_) MandalaLstClick();
    });
    MandalaLst->viewport()->installEventFilter(this);
}

bool TCataloguePanel::eventFilter(QObject* o, QEvent* e) {
    if (o == MandalaLst->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) mandalaLstPressed_ = true;
        if (e->type() == QEvent::MouseButtonRelease) mandalaLstPressed_ = false;
    }
    return false;
}

bool TCataloguePanel::HasChoice() const {
    return SubjectLst->count() > 0 && MandalaLst->count() > 0 && MandalaLst->currentRow() >= 0;
}

QString TCataloguePanel::LineOf(const QString& display, const QVariant& data) {
    return data.isValid() ? data.toString() : display;
}

QString TCataloguePanel::SubjectLine(int i) const {
    if (i < 0 || i >= SubjectLst->count()) return {};
    return LineOf(SubjectLst->itemText(i), SubjectLst->itemData(i));
}

QString TCataloguePanel::MandalaLine(int i) const {
    if (i < 0 || i >= MandalaLst->count()) return {};
    QListWidgetItem* item = MandalaLst->item(i);
    return LineOf(item->text(), item->data(Qt::UserRole));
}

void TCataloguePanel::FillSubjectList() {
    MandalaLst->clear();
    SubjectLst->blockSignals(true);
    SubjectLst->clear();
    for (const QString& line : ctx_.Data().DatabaseLines("Mandala_Subjects_"))
        SubjectLst->addItem(DisplayPart(line), line);
    // Selecting the first subject does not run the change handler.
    if (SubjectLst->count() > 0) SubjectLst->setCurrentIndex(0);
    SubjectLst->blockSignals(false);
}

void TCataloguePanel::FillMandalaList(bool selectFirst) {
    MandalaLst->blockSignals(true);
    MandalaLst->clear();
    const QString subject = SubjectLine(SubjectLst->currentIndex());
    if (!subject.isEmpty()) {
        if (!subject.contains("=User")) {
            const QString folder = "\\" + ValuePart(subject) + "\\";
            for (const QString& line : ctx_.Data().DatabaseLines("Mandala_Files_")) {
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
    subjectShown_ = SubjectLst->currentIndex();
    rowShown_ = -1;
    if (selectFirst && MandalaLst->count() > 0) {
        MandalaLst->setCurrentRow(0);
        MandalaLstClick();
    } else if (MandalaLst->count() == 0) {
        ctx_.HideWindow();
    }
    ctx_.UpdateStatus();
}

void TCataloguePanel::SubjectLstChange() {
    if (!MayReplaceDrawing()) {
        SubjectLst->blockSignals(true);
        SubjectLst->setCurrentIndex(subjectShown_);
        SubjectLst->blockSignals(false);
        return;
    }
    FillMandalaList(true);
}

bool TCataloguePanel::MayReplaceDrawing() {
    if (files_ && !files_->AskSaveChanged()) return false;
    if (ctx_.Alive()) ctx_.Session.MarkSaved();  // answered: asked no more
    return true;
}

void TCataloguePanel::MandalaLstClick() {
    const bool ready = ctx_.Host.ActivePage() == "Paint" && SubjectLst->count() > 0 &&
                       SubjectLst->currentIndex() >= 0 && MandalaLst->count() > 0 &&
                       MandalaLst->currentRow() >= 0;
    if (!ready) {
        ctx_.HideWindow();
        return;
    }
    const QString subject = SubjectLine(SubjectLst->currentIndex());
    const QString line = MandalaLine(MandalaLst->currentRow());
    const QString path = subject.contains("=User") ? UserFolder() + line : ValuePart(line);
    const int row = MandalaLst->currentRow();
    if (LoadMandala(path)) {
        if (MandalaLst->currentRow() == row) rowShown_ = row;
    } else {
        MandalaLst->blockSignals(true);
        MandalaLst->setCurrentRow(rowShown_);
        MandalaLst->blockSignals(false);
    }
    ctx_.UpdateStatus();
}

void TCataloguePanel::ShowLoneFile(const QString& name) {
    // A drawing from elsewhere: the lists show just that file.
    SubjectLst->blockSignals(true);
    SubjectLst->setCurrentIndex(-1);
    SubjectLst->blockSignals(false);
    MandalaLst->blockSignals(true);
    MandalaLst->clear();
    MandalaLst->addItem("..\\" + name);
    MandalaLst->setCurrentRow(0);
    MandalaLst->blockSignals(false);
    subjectShown_ = -1;
    rowShown_ = 0;
}

void TCataloguePanel::ShowPlace(int subject, int row, const QString& name) {
    if (subject >= 0 && subject < SubjectLst->count()) {
        SubjectLst->blockSignals(true);
        SubjectLst->setCurrentIndex(subject);
        SubjectLst->blockSignals(false);
        FillMandalaList(false);
        if (row >= 0 && row < MandalaLst->count() && MandalaLst->item(row)->text() == name) {
            MandalaLst->blockSignals(true);
            MandalaLst->setCurrentRow(row);
            MandalaLst->blockSignals(false);
            rowShown_ = row;
            return;
        }
    }
    QString bare = name;
    if (bare.startsWith("..\\")) bare = bare.mid(3);
    ShowLoneFile(bare.isEmpty() ? QStringLiteral("Mandala") : bare);
}

void TCataloguePanel::ShowSavedFile(const QString& file) {
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
        rowShown_ = MandalaLst->currentRow();
    } else {
        ShowLoneFile(fi.fileName());
    }
}

void TCataloguePanel::ClearDrawing() {
    ctx_.ShowWindow();
    ctx_.Session.LoadPicture(QImage());
    emit drawingShown();
}

bool TCataloguePanel::LoadMandala(const QString& path) {
    if (!MayReplaceDrawing()) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TAppData& data = ctx_.Data();
    data.PictureLoader->SetImageReadRes(TPictureImage::ReadResForDisplay(DisplayDepth()));
    data.PictureLoader->SetImageDither(false);

    const QString diskPath = ProgramFile(path);
    const QString bare = BareName(path);
    const QString tempFile = TempFolder() + bare;
    QImage picture;
    bool inArchive = false;
    bool read = false;  // a file was there to decode
    const TArchiveIndex* archive = data.Archive();
    if (!QFileInfo::exists(diskPath) && archive && !bare.isEmpty()) {
        bool found = false;
        FindArchiveEntry(*archive, path, &found);
        inArchive = found;
    }
    if (!inArchive) {
        if (QFileInfo(diskPath).isFile()) {
            read = true;
            picture = LoadPictureFile(diskPath);
            const QFileInfo fi(diskPath);
            if (files_) {
                files_->SaveFileName = fi.fileName();
                files_->SaveInitialDir = fi.absolutePath() + "/";
            }
            if (fi.absolutePath() + "/" != UserFolder()) {
                ShowLoneFile(fi.fileName());
            }
        }
    } else {
        QDir().mkpath(TempFolder());
        if (ExtractArchiveEntry(*archive, path, tempFile) && QFileInfo::exists(tempFile)) {
            read = true;
            picture = LoadPictureFile(tempFile);
        }
        if (files_) {
            files_->SaveFileName.clear();
            files_->SaveInitialDir = UserFolder();
        }
    }

    if (!picture.isNull()) {
        ctx_.ShowWindow();
        // The picture as the display holds it: palette displays take the nearest colours.
        QImage pic = picture.convertToFormat(QImage::Format_RGB32);
        if (const Palette* pal = GetSharedPalette()) pic = MapToPalette(pic, *pal);
        ctx_.Session.LoadPicture(pic);
        emit drawingShown();
        QApplication::processEvents();
    } else if (read) {
        // The file was there but could not be decoded: the drawing it replaces must not stay
        // on show under the new name, with its change mark and view. The reader has said why.
        ClearDrawing();
    }
    if (QFileInfo::exists(tempFile)) QFile::remove(tempFile);
    QApplication::restoreOverrideCursor();
    return true;
}

}  // namespace orb
