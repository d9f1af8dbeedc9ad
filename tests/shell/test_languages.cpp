// The real program folder and its shipped language file, walked in Dutch and in English:
// every dialog the paint page's commands open (the change prompt, the file dialogs, the
// printer dialog, the message boxes) is read, and a text that stays the same in both
// languages is a text that was not translated.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTimer>
#include <QtTest/QTest>
#include <map>
#include <memory>

#include "paint/DtlWin.h"
#include "paint/ProImg.h"
#include "platform/Cursors.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"
#include "shell/MsgDlg.h"

using namespace orb;

namespace {

// The real dialogs, but no desktop settings, no music and no browser.
struct WalkOutward : Outward {
    bool SetWallpaper(const QString&) override { return false; }
    bool MusicStart(const QString&) override { return false; }
    void MusicStop() override {}
    bool MusicPlaying() const override { return false; }
    bool OpenUrl(const QString&) override { return false; }
    QStringList Printers() override { return {PdfPrinterName()}; }
};

QString Plain(QString t) {
    if (Qt::mightBeRichText(t)) {
        QTextDocument d;
        d.setHtml(t);
        t = d.toPlainText();
    }
    t.remove(QChar(0x200B));
    return t.remove('&').simplified();
}

// The texts a user reads in a dialog: its title, labels, buttons and group titles.
QStringList TextsOf(QWidget* dialog) {
    QStringList out{Plain(dialog->windowTitle())};
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(dialog)) continue;
        if (auto* l = qobject_cast<QLabel*>(w)) out << Plain(l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) out << Plain(b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) out << Plain(g->title());
        if (auto* b = qobject_cast<TBaseBtn*>(w)) out << Plain(b->Caption());
    }
    out.removeAll(QString());
    return out;
}

// Answers each modal dialog as it comes up, after reading its texts.
struct Walker {
    std::map<QString, QStringList> texts;  // step -> texts read
    QString step;
    QString saveTo;  // what the save dialog is given
    QTimer timer;
    Walker() {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start();
    }
    void Poll() {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || !m->isVisible()) return;
        auto* d = qobject_cast<QDialog*>(m);
        if (m->property("walked").toBool()) {
            // A dialog that did not take its answer is closed after a while, never left up.
            if (d && ++stuck > 50) d->reject();
            return;
        }
        stuck = 0;
        m->setProperty("walked", true);
        texts[step] << TextsOf(m);
        if (auto* fd = qobject_cast<QFileDialog*>(m)) {
            if (fd->acceptMode() == QFileDialog::AcceptSave && !saveTo.isEmpty()) {
                if (auto* edit = fd->findChild<QLineEdit*>("fileNameEdit")) edit->setText(saveTo);
                fd->selectFile(saveTo);
                QMetaObject::invokeMethod(fd, "accept", Qt::QueuedConnection);
                return;
            }
        }
        if (d) d->reject();  // "Nee", Cancel, OK
    }
    int stuck = 0;
};

void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (fi.isDir())
            CopyFolder(fi.absoluteFilePath(), to + "/" + fi.fileName());
        else
            QFile::copy(fi.absoluteFilePath(), to + "/" + fi.fileName());
    }
}

std::map<QString, QStringList> Walk(int language) {
    WalkOutward outward;
    SetOutward(&outward);
    SetMessagePresenter(ShowMessageBox);
    // The shipped data files in a folder of the test's own, so nothing the walk leaves
    // behind (its temporary folder, a recovery copy) reaches the program folder.
    QTemporaryDir folder;
    for (const QFileInfo& fi : QDir(ORBELLE_PROGRAM_DIR).entryInfoList(QDir::Files))
        if (!fi.isExecutable()) QFile::copy(fi.absoluteFilePath(), folder.filePath(fi.fileName()));
    CopyFolder(QStringLiteral(ORBELLE_PROGRAM_DIR) + "/I", folder.filePath("I"));
    SetProgramFolder(folder.path());
    SetSimulatedScreen(QSize(800, 600));
    SetLngID(language);
    QDir().mkpath(UserFolder());  // where the file dialogs open
    Walker walker;
    {
        TMainForm f;
        f.show();
        f.MenuSBtnClick(f.Main->MainPaintSBtn);
        QApplication::processEvents();
        TDetailWindow* w = DetailWindow();
        EXPECT_TRUE(w && w->Session().HasPicture());
        if (w && w->Session().HasPicture()) {
            QTest::mouseClick(f.Paint->PaintSBtn, Qt::LeftButton, Qt::NoModifier,
                              f.Paint->PaintSBtn->rect().center());
            const QRect r = w->PictureRect();
            QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, r.center());
            walker.step = "change prompt, open dialog";
            QTest::mouseClick(f.Paint->OpenSBtn, Qt::LeftButton, Qt::NoModifier,
                              f.Paint->OpenSBtn->rect().center());
            walker.step = "save dialog, failed save";
            walker.saveTo = "/sys/kan-niet.bmp";  // no one may create a file there
            QTest::mouseClick(f.Paint->SaveSBtn, Qt::LeftButton, Qt::NoModifier,
                              f.Paint->SaveSBtn->rect().center());
            walker.step = "printer dialog";
            QTest::mouseClick(f.Paint->PrintSBtn, Qt::LeftButton, Qt::NoModifier,
                              f.Paint->PrintSBtn->rect().center());
            walker.step = "wallpaper refused";
            QTest::mouseClick(f.Paint->SendToDesktopSBtn, Qt::LeftButton, Qt::NoModifier,
                              f.Paint->SendToDesktopSBtn->rect().center());
        }
        f.Paint->DeclineChanges();
    }
    SetSimulatedScreen(QSize());
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
    SetMessagePresenter(nullptr);
    SetOutward(nullptr);
    SetLngID(44);
    return walker.texts;
}

// Texts that read the same in both languages by nature: names, numbers, paths, symbols.
bool Neutral(const QString& t) {
    static const QStringList same = {"OK", "Orbelle", "Printer", "Type:", "Orbelle (*.bmp)"};
    if (same.contains(t)) return true;
    if (!t.contains(QRegularExpression("[A-Za-z]{2,}"))) return true;
    return t.contains('/') || t.endsWith(".bmp") || t.endsWith(".pdf");
}

}  // namespace

TEST(Languages, EveryDialogOfThePaintPageSpeaksTheChosenLanguage) {
    // Qt's file dialog keeps its history in the user's settings: a private, empty set.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    const auto dutch = Walk(31);
    const auto english = Walk(44);
    for (const char* step : {"change prompt, open dialog", "save dialog, failed save",
                             "printer dialog", "wallpaper refused"}) {
        SCOPED_TRACE(step);
        ASSERT_TRUE(dutch.count(step) && english.count(step)) << "no dialog came up";
        const QStringList& nl = dutch.at(step);
        const QStringList& en = english.at(step);
        EXPECT_GE(nl.size(), 2);
        for (const QString& t : nl)
            EXPECT_TRUE(Neutral(t) || !en.contains(t)) << "the same in both languages: " << t.toStdString();
    }
    // The Dutch walk read Dutch: the change prompt, Qt's own dialogs and the message boxes.
    const QStringList all = dutch.at("change prompt, open dialog") +
                            dutch.at("save dialog, failed save") + dutch.at("printer dialog") +
                            dutch.at("wallpaper refused");
    for (const char* expected : {"Mandala is veranderd!", "Nee", "Annuleren", "Fout",
                                 "Het afbeeldingsbestand kan niet worden geschreven.",
                                 "Het bmp-bestand kon niet worden geschreven", "Afdrukken",
                                 "De mandala kon niet als bureaubladachtergrond worden ingesteld."})
        EXPECT_TRUE(all.contains(expected)) << expected << " missing in: " << all.join(" | ").toStdString();
}

namespace {

// What a user can see of the paint page's side pages: every control, where it lies, its
// font, style sheet, state and texts, in the order the page holds them.
QStringList SidePagesView(TMainForm& f) {
    QStringList out;
    for (QWidget* w : f.Paint->PaintNotebook->findChildren<QWidget*>()) {
        // The toolkit's own parts (scroll bars, popups) lay themselves out when first shown.
        // So does a side page, when the notebook shows it.
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") ||
            w->parentWidget() == f.Paint->PaintNotebook)
            continue;
        const QFont font = w->font();
        QString line = QStringLiteral("%1 %2 [%3,%4 %5x%6] %7 %8px%9 vis=%10 on=%11 tip=%12 sheet=%13")
                           .arg(w->metaObject()->className(), w->objectName())
                           .arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height())
                           .arg(font.family()).arg(font.pixelSize()).arg(font.bold() ? " bold" : "")
                           .arg(w->isVisibleTo(&f)).arg(w->isEnabled())
                           .arg(w->toolTip(), w->styleSheet());
        if (auto* l = qobject_cast<QLabel*>(w)) line += " text=" + l->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) line += " text=" + e->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) line += " text=" + b->text();
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            line += QStringLiteral(" current=%1").arg(c->currentIndex());
            for (int i = 0; i < c->count(); ++i) line += " | " + c->itemText(i);
        }
        if (auto* l = qobject_cast<QListWidget*>(w)) {
            line += QStringLiteral(" current=%1").arg(l->currentRow());
            for (int i = 0; i < l->count(); ++i) line += " | " + l->item(i)->text();
        }
        out << line;
    }
    for (int i = 0; i < f.Paint->PaintNotebook->count(); ++i)
        out << "page " + f.Paint->PaintNotebook->widget(i)->property("PageName").toString();
    return out;
}

// Every control's pointer shape, by name.
QStringList CursorView(QWidget& f) {
    QStringList out;
    for (QWidget* w : f.findChildren<QWidget*>()) {
        if (!w->property("CursorNumber").isValid()) continue;
        const QCursor c = w->cursor();
        out << QStringLiteral("%1 %2 set=%3 shape=%4 hot=%5,%6")
                   .arg(w->objectName()).arg(CursorNumber(w))
                   .arg(w->testAttribute(Qt::WA_SetCursor)).arg(int(c.shape()))
                   .arg(c.hotSpot().x()).arg(c.hotSpot().y());
    }
    out.sort();
    return out;
}

}  // namespace

// A window that shows its first frame first gives its controls their pointer shapes once
// that frame is shown: then the same shapes as a window built whole.
TEST(Languages, PointerShapesComeWithTheFirstFrame) {
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
    SetSimulatedScreen(QSize(1024, 768));
    QStringList whole;
    {
        TMainForm now;
        now.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return now.StartUpDone(); }, 5000));
        whole = CursorView(now);
    }
    {
        TMainForm later(TMainForm::Startup::FirstFrameFirst);
        EXPECT_FALSE(later.InfoSBtn->testAttribute(Qt::WA_SetCursor));
        EXPECT_EQ(CursorNumber(later.InfoSBtn), -19);  // recorded, not yet applied
        later.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return later.StartUpDone(); }, 5000));
        EXPECT_TRUE(later.InfoSBtn->testAttribute(Qt::WA_SetCursor));
        EXPECT_EQ(CursorView(later).join("\n").toStdString(), whole.join("\n").toStdString());
    }
    // Once released, a control made later has its shape at once.
    QWidget probe;
    SetCursorNumber(&probe, -19);
    EXPECT_TRUE(probe.testAttribute(Qt::WA_SetCursor));
    SetSimulatedScreen(QSize());
}

// The program's own start builds the paint page's side pages once its first frame is shown.
// They must come out as the ones built with the window: same places, fonts, style sheets,
// texts in the chosen language, lists and settings, at every size class.
TEST(Languages, SidePagesBuiltAfterTheFirstFrameMatchThoseBuiltWithTheWindow) {
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
    for (const int language : {31, 44}) {
        SetLngID(language);
        for (const QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1280, 1024)}) {
            SCOPED_TRACE(QStringLiteral("language %1, screen %2x%3")
                             .arg(language).arg(screen.width()).arg(screen.height()).toStdString());
            SetSimulatedScreen(screen);
            // Compared as the user meets them: the paint page chosen from the menu. One
            // window at a time, as there is one painting window.
            QStringList built;
            {
                TMainForm now;
                now.show();
                now.MenuSBtnClick(now.Main->MainPaintSBtn);
                built = SidePagesView(now);
                now.Paint->DeclineChanges();
            }
            TMainForm later(TMainForm::Startup::FirstFrameFirst);
            EXPECT_FALSE(later.Paint->SidePagesBuilt());
            later.show();
            ASSERT_TRUE(QTest::qWaitFor([&] { return later.StartUpDone(); }, 5000));
            ASSERT_TRUE(later.Paint->SidePagesBuilt());
            later.MenuSBtnClick(later.Main->MainPaintSBtn);
            const QStringList deferred = SidePagesView(later);
            later.Paint->DeclineChanges();
            EXPECT_EQ(deferred.size(), built.size());
            for (qsizetype i = 0; i < std::min(deferred.size(), built.size()); ++i)
                EXPECT_EQ(deferred[i].toStdString(), built[i].toStdString());
            // Dressed as the window's other pages are: the colour field has its picture.
            EXPECT_FALSE(later.Paint->Colour->hsImage->Image().isNull());
        }
    }
    SetSimulatedScreen(QSize());
    SetLngID(44);
}

// A choice made before the side pages were built (the menu clicked at once) builds them:
// the paint page opens with its catalogue and first drawing.
TEST(Languages, ThePaintPageChosenBeforeTheFirstFrameOpensComplete) {
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
    SetSimulatedScreen(QSize(1024, 768));
    {
        TMainForm f(TMainForm::Startup::FirstFrameFirst);
        f.show();
        ASSERT_FALSE(f.Paint->SidePagesBuilt());
        QTest::mouseClick(f.Main->MainPaintSBtn, Qt::LeftButton, Qt::NoModifier,
                          f.Main->MainPaintSBtn->rect().center());
        ASSERT_TRUE(f.Paint->SidePagesBuilt());
        EXPECT_EQ(f.ActivePage(), "Paint");
        EXPECT_GT(f.Paint->Catalogue->MandalaLst->count(), 0);
        EXPECT_EQ(f.Paint->Scale->ScaleEdit->font().pixelSize(), 16);  // the size class's font
        TDetailWindow* w = DetailWindow();
        EXPECT_TRUE(w && w->Session().HasPicture());
        f.Paint->DeclineChanges();
    }
    SetSimulatedScreen(QSize());
}
