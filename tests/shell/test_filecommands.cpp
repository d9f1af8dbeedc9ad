#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

#include "paint/Printing.h"
#include "platform/Numbers.h"
#include "shell/MMBtns.h"
#include "tests/shell/Painting.h"

namespace {
// The painting fixture with the user's subject last in the list, as the catalogue has it.
struct Saving : Painting {
    Saving() {
        QDir().mkpath(UserFolder());
        f->Paint->Catalogue->SubjectLst->addItem("Eigen mandala's=User");
        f->Paint->Catalogue->SubjectLst->setCurrentIndex(0);
        f->UpdateStatus();
    }
    void Change() {
        ClickButton(f->Paint->PaintSBtn);
        Colour(0, 100, 100);
        RealClick(At(10, 10));
        ASSERT_TRUE(w->Session().Changed());
    }
    static QByteArray Head(const QString& file) {
        QFile fl(file);
        return fl.open(QIODevice::ReadOnly) ? fl.read(2) : QByteArray();
    }
};
}  // namespace

TEST(SaveMandala, AJpgNameGetsABmpAndTheUserFolderSelectsTheUserSubject) {
    Saving s;
    s.Change();
    s.out.rec.saveAnswer = UserFolder() + "tulp";  // no extension: .bmp is added
    s.ClickButton(s.f->Paint->SaveSBtn);
    ASSERT_EQ(Saving::Head(UserFolder() + "tulp.bmp"), "BM");
    EXPECT_FALSE(s.w->Session().Changed());
    EXPECT_FALSE(s.f->Paint->SaveSBtn->isEnabled());
    EXPECT_EQ(s.f->Paint->Catalogue->SubjectLst->currentIndex(), s.f->Paint->Catalogue->SubjectLst->count() - 1);
    ASSERT_GE(s.f->Paint->Catalogue->MandalaLst->currentRow(), 0);
    EXPECT_EQ(s.f->Paint->Catalogue->MandalaLst->currentItem()->text(), "tulp.bmp");
    const QImage saved = s.w->Session().Picture();

    s.Change();
    s.out.rec.saveAnswer = UserFolder() + "roos.jpg";
    s.ClickButton(s.f->Paint->SaveSBtn);
    EXPECT_EQ(Saving::Head(UserFolder() + "roos.jpg"), "BM");
    // The user subject lists the folder's BMP files; a .jpg name is not among them.
    EXPECT_EQ(s.f->Paint->Catalogue->MandalaLst->currentRow(), -1);
    EXPECT_FALSE(s.w->Session().Changed());
    // The file holds the coloured picture.
    QImage back(UserFolder() + "tulp.bmp");
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), saved);
}

TEST(SaveMandala, ElsewhereShowsOnlyThatFileAndThePromptChangesNoList) {
    Saving s;
    QTemporaryDir other;
    s.Change();
    s.out.rec.saveAnswer = other.path() + "/ander.bmp";
    s.ClickButton(s.f->Paint->SaveSBtn);
    EXPECT_EQ(s.f->Paint->Catalogue->SubjectLst->currentIndex(), -1);
    ASSERT_EQ(s.f->Paint->Catalogue->MandalaLst->count(), 1);
    EXPECT_EQ(s.f->Paint->Catalogue->MandalaLst->item(0)->text(), "..\\ander.bmp");
    EXPECT_EQ(s.f->Paint->Catalogue->MandalaLst->currentRow(), 0);

    // Saving from the prompt (leaving the page, "Ja") leaves both lists as they are.
    s.Change();
    s.out.rec.answer = true;
    s.out.rec.saveAnswer = UserFolder() + "prompt.bmp";
    s.f->Paint->Catalogue->SubjectLst->addItem("Extra=Extra");
    const int subject = s.f->Paint->Catalogue->SubjectLst->currentIndex();
    const int rows = s.f->Paint->Catalogue->MandalaLst->count();
    s.f->Paint->Files->AskSaveChanged();
    EXPECT_EQ(Saving::Head(UserFolder() + "prompt.bmp"), "BM");
    EXPECT_EQ(s.f->Paint->Catalogue->SubjectLst->currentIndex(), subject);
    EXPECT_EQ(s.f->Paint->Catalogue->MandalaLst->count(), rows);
}

TEST(SaveMandala, AFailedWriteKeepsTheChangeMarkAndTheLists) {
    Saving s;
    QTemporaryDir locked;
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString target = locked.path() + "/kan-niet.bmp";
    // With rights that ignore folder permissions, a folder no one can create files in.
    if (QFile f(locked.path() + "/probe"); f.open(QIODevice::WriteOnly)) target = "/proc/kan-niet.bmp";
    s.Change();
    const int subject = s.f->Paint->Catalogue->SubjectLst->currentIndex();
    s.out.rec.saveAnswer = target;
    s.ClickButton(s.f->Paint->SaveSBtn);
    EXPECT_TRUE(s.out.rec.messages.contains("Writing bmp file failed"));
    EXPECT_TRUE(s.w->Session().Changed());
    EXPECT_TRUE(s.f->Paint->SaveSBtn->isEnabled());
    EXPECT_EQ(s.f->Paint->Catalogue->SubjectLst->currentIndex(), subject);
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
}

TEST(SaveMandala, CancellingChangesNothing) {
    Saving s;
    s.Change();
    s.out.rec.saveAnswer.clear();
    s.ClickButton(s.f->Paint->SaveSBtn);
    EXPECT_TRUE(s.w->Session().Changed());
    EXPECT_EQ(CursorNumber(s.w), -20);  // a file command leaves no tool
}

TEST(OpenMandala, AFileFromElsewhereLoadsAndShowsOnlyItsName) {
    Saving s;
    QTemporaryDir other;
    QImage pic(40, 30, QImage::Format_RGB32);
    pic.fill(qRgb(10, 200, 30));
    ASSERT_TRUE(pic.save(other.path() + "/buiten.bmp"));
    s.Change();
    s.out.rec.answer = false;  // "Nee": the change is dropped
    s.out.rec.openAnswer = other.path() + "/buiten.bmp";
    s.ClickButton(s.f->Paint->OpenSBtn);
    EXPECT_EQ(s.out.rec.questions, 1);
    EXPECT_EQ(s.w->Session().Picture().size(), QSize(40, 30));
    EXPECT_EQ(s.w->Session().Picture().pixel(5, 5), qRgb(10, 200, 30));
    EXPECT_FALSE(s.w->Session().Changed());
    ASSERT_EQ(s.f->Paint->Catalogue->MandalaLst->count(), 1);
    EXPECT_EQ(s.f->Paint->Catalogue->MandalaLst->item(0)->text(), "..\\buiten.bmp");
    // The next save suggests the file's own folder.
    s.Change();
    s.ClickButton(s.f->Paint->SaveSBtn);
    ASSERT_FALSE(s.out.rec.saveFolders.isEmpty());
    EXPECT_EQ(QDir::cleanPath(s.out.rec.saveFolders.last()), QDir::cleanPath(other.path()));
}

TEST(Clipboard, CopiesThePicture) {
    Saving s;
    s.Change();
    QGuiApplication::clipboard()->clear();
    s.ClickButton(s.f->Paint->SendToClipBrdSBtn);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              s.w->Session().Picture());
    EXPECT_TRUE(s.w->Session().Changed());  // copying is not saving
}

TEST(Wallpaper, TheFixedFileIsOverwrittenAndAFailureIsReported) {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    Saving s;
    s.Change();
    s.ClickButton(s.f->Paint->SendToDesktopSBtn);
    ASSERT_EQ(s.out.rec.wallpapers.size(), 1);
    const QString file = s.out.rec.wallpapers[0];
    EXPECT_EQ(file, WallpaperFile());
    EXPECT_TRUE(file.startsWith(data.path()));
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), s.w->Session().Picture());
    // A second time, another picture, the same file.
    s.Colour(60, 100, 100);
    s.RealClick(s.At(80, 80));
    s.out.rec.wallpaperTaken = false;
    s.ClickButton(s.f->Paint->SendToDesktopSBtn);
    ASSERT_EQ(s.out.rec.wallpapers.size(), 2);
    EXPECT_EQ(s.out.rec.wallpapers[1], file);
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), s.w->Session().Picture());
    EXPECT_EQ(s.out.rec.messages.size(), 1);  // the desktop refused: the user is told
    EXPECT_TRUE(s.w->Session().Changed());
    qunsetenv("XDG_DATA_HOME");
}

TEST(Printing, ThePictureBoxKeepsProportionsWithinEightyPercent) {
    // Wide: 80 % of the width, half as high, centred.
    EXPECT_EQ(PrintedPictureRect(1000, 1400, {200, 100}), QRect(100, 500, 800, 400));
    // Tall: 80 % of the height.
    const QRect tall = PrintedPictureRect(1000, 1000, {100, 300});
    EXPECT_EQ(tall.height(), 800);
    EXPECT_EQ(tall.width(), Round(100.0 / 300 * 800));
    EXPECT_NEAR(tall.center().x(), 500, 1);
    EXPECT_TRUE(PrintedPictureRect(1000, 1000, {0, 0}).isEmpty());
}

namespace {
// The box of red pixels on the first page of a PDF, and the page size, at 50 dpi.
bool RedBox(const QString& pdf, QRect* box, QSize* page) {
    const QString png = pdf + "-page";
    QProcess p;
    p.start("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, png});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return false;
    const QImage img(png + ".png");
    if (img.isNull()) return false;
    *page = img.size();
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) r |= QRect(x, y, 1, 1);
        }
    *box = r;
    return true;
}
}  // namespace

TEST(Printing, WideAndTallPicturesOnARealPdfPage) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "no pdftoppm";
    Saving s;
    QTemporaryDir dir;
    s.out.rec.printers = {"PDF"};
    for (const QSize size : {QSize(200, 100), QSize(100, 300)}) {
        QImage pic(size, QImage::Format_RGB32);
        pic.fill(qRgb(255, 0, 0));
        s.w->Session().LoadPicture(pic);
        s.f->Paint->Files->RefreshPrinters();
        s.f->UpdateStatus();
        ASSERT_TRUE(s.f->Paint->PrintSBtn->isEnabled());
        const QString pdf = dir.path() + QStringLiteral("/p%1.pdf").arg(size.width());
        QString title;
        s.out.rec.printSetup = [&](QPrinter& pr) {
            pr.setOutputFormat(QPrinter::PdfFormat);
            pr.setOutputFileName(pdf);
            pr.setPageMargins(QMarginsF(0, 0, 0, 0));
            return true;
        };
        s.ClickButton(s.f->Paint->PrintSBtn);
        QRect box;
        QSize page;
        ASSERT_TRUE(RedBox(pdf, &box, &page)) << pdf.toStdString();
        ASSERT_FALSE(box.isEmpty());
        const double rw = double(box.width()) / page.width(), rh = double(box.height()) / page.height();
        if (size.width() > size.height()) {
            EXPECT_NEAR(rw, 0.8, 0.02);
        } else {
            EXPECT_NEAR(rh, 0.8, 0.02);
            EXPECT_LE(rw, 0.8);
        }
        EXPECT_NEAR(double(box.width()) / box.height(), double(size.width()) / size.height(), 0.05);
        EXPECT_NEAR(box.center().x(), page.width() / 2.0, 2.0);
        EXPECT_NEAR(box.center().y(), page.height() / 2.0, 2.0);
    }
}

TEST(ClosePrompt, AWindowManagerCloseOnThePaintPageAsks) {
    Saving s;
    s.Change();
    s.out.rec.answer = true;
    s.out.rec.saveAnswer = UserFolder() + "bij-sluiten.bmp";
    QCloseEvent e;
    QApplication::sendEvent(s.f.get(), &e);  // what the window manager's close sends
    EXPECT_EQ(s.out.rec.questions, 1);
    EXPECT_EQ(Saving::Head(UserFolder() + "bij-sluiten.bmp"), "BM");
}

TEST(ClosePrompt, ALogoutThatCannotWaitSavesUnderANewName) {
    Saving s;
    s.Change();
    const QString file = s.f->Paint->Files->SaveForLogout();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_TRUE(file.startsWith(UserFolder()));
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), s.w->Session().Picture());
    EXPECT_FALSE(s.w->Session().Changed());
    EXPECT_TRUE(s.f->Paint->Files->SaveForLogout().isEmpty());  // nothing changed since
    s.Change();
    EXPECT_NE(s.f->Paint->Files->SaveForLogout(), file);  // never over the earlier one
}

TEST(Printing, WithoutASystemPrinterThePdfPrinterEnablesTheButton) {
    Saving s;
    s.out.rec.printers = {};
    s.f->Paint->Files->RefreshPrinters();
    s.f->UpdateStatus();
    EXPECT_FALSE(s.f->Paint->PrintSBtn->isEnabled());  // the rule itself: no printer, no button
    // The real system: whatever CUPS has, printing to a PDF file is there.
    SetOutward(nullptr);
    EXPECT_TRUE(Out().Printers().contains(PdfPrinterName()));
    s.f->Paint->Files->RefreshPrinters();
    s.f->UpdateStatus();
    EXPECT_TRUE(s.f->Paint->PrintSBtn->isEnabled());
    SetOutward(&s.out.rec);
}

// "Ja" to the change prompt means "keep my drawing": when the save dialog is then cancelled
// or the write fails, whatever the user was doing is called off and the drawing stays.
TEST(ChangePrompt, AYesWhoseSaveDoesNotHappenCallsOffTheAction) {
    Saving s;
    auto* list = s.f->Paint->Catalogue->MandalaLst;
    list->addItem("Tulp=\\Bloemen\\tulp.bmp");
    // The first drawing chosen by a click, as the user would.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(0)).center());
    s.Change();
    const QImage coloured = s.w->Session().Picture();
    s.out.rec.answer = true;
    s.out.rec.saveAnswer.clear();  // the save dialog is cancelled
    const auto kept = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(s.w->Session().Picture(), coloured);
        EXPECT_TRUE(s.w->Session().Changed());
        EXPECT_EQ(s.f->Notebook->ActivePage(), "Paint");
        EXPECT_TRUE(s.f->isVisible());
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_EQ(s.f->Paint->Catalogue->SubjectLst->currentIndex(), 0);
    };
    // Another drawing chosen in the list.
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(s.out.rec.questions, 1);
    kept("another drawing");
    // Another subject.
    s.f->Paint->Catalogue->SubjectLst->setCurrentIndex(1);
    kept("another subject");
    // Back to the menu, the quit button, the window closed by the window manager.
    Saving::ClickButton(s.f->Paint->PaintBackSBtn);
    kept("back to the menu");
    Saving::ClickButton(s.f->QuitSBtn);
    kept("quit button");
    EXPECT_FALSE(s.f->close());
    kept("window closed");
    // Opening a file: the open dialog does not even come up.
    Saving::ClickButton(s.f->Paint->OpenSBtn);
    EXPECT_EQ(s.out.rec.openDialogs, 0);
    kept("open");
    EXPECT_EQ(s.out.rec.questions, 6);

    // A save that fails is kept the same way, and the user is told why.
    s.out.rec.saveAnswer = "/proc/kan-niet.bmp";
    Saving::ClickButton(s.f->Paint->PaintBackSBtn);
    EXPECT_TRUE(s.out.rec.messages.contains("Writing bmp file failed"));
    kept("failed save");

    // "Nee" lets the user go on.
    s.out.rec.answer = false;
    Saving::ClickButton(s.f->Paint->PaintBackSBtn);
    EXPECT_EQ(s.f->Notebook->ActivePage(), "Main");
}

TEST(Printing, APdfFileThatCannotBeWrittenIsToldNotPassedOver) {
    Saving s;
    s.Change();
    s.out.rec.printers = {"PDF"};
    s.f->Paint->Files->RefreshPrinters();
    s.f->UpdateStatus();
    s.out.rec.printSetup = [](QPrinter& pr) {
        pr.setOutputFormat(QPrinter::PdfFormat);
        pr.setOutputFileName("/sys/kan-niet.pdf");  // no one may create a file there
        return true;
    };
    s.ClickButton(s.f->Paint->PrintSBtn);
    ASSERT_EQ(s.out.rec.messages.size(), 1);
    EXPECT_EQ(s.out.rec.messages[0], "De mandala kon niet worden afgedrukt.");
    EXPECT_TRUE(s.w->Session().Changed());  // printing is not saving
}
