// Program entry: single instance, uninstaller hand-off, private font, main window.
#include <QApplication>
#include <QSessionManager>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QTextStream>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/Display.h"
#include "platform/Outward.h"
#include "platform/Paths.h"
#include "platform/Resources.h"
#include "shell/Basics.h"
#include "library/PictureImage.h"
#include "paint/DtlWin.h"
#include "paint/PixelOps.h"
#include "paint/Spinner.h"
#include "shell/About.h"
#include "shell/ColorPage.h"
#include "paint/MaxZoom.h"
#include "paint/ProImg.h"
#include <QListWidget>
#include "shell/Instance.h"
#include "shell/Intro.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"
#include "shell/MsgDlg.h"
#include "shell/Main.h"

namespace {

// Ends the program once the watched window has painted for the first time.
class QuitAfterPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done_) {
            done_ = true;
            // The moment of the first paint, for the measuring script (wall clock, ns).
            std::printf("first-paint %lld\n",
                        (long long)std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(o, e);
    }

private:
    bool done_ = false;
};

struct Options {
    QSize screen;
    int depth = 0;
    QString screenshotDir;
    QString demoDir;
    QString firstArg;
    bool quitAfterPaint = false;
    QString layoutReport;  // where to write the text-fit and picture report once shown
    int lang = 0;  // a language chosen on the command line skips the intro window
};

// Reads our options before Qt sees the command line; Qt's own options pass through.
Options ReadOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        auto next = [&](QString& out) {
            if (i + 1 < argc) out = QString::fromLocal8Bit(argv[++i]);
        };
        QString v;
        if (a == "--screen") {
            next(v);
            const QStringList wh = v.toLower().split('x');
            if (wh.size() == 2) o.screen = QSize(wh[0].toInt(), wh[1].toInt());
        } else if (a == "--depth") {
            next(v);
            o.depth = v.toInt();
        } else if (a == "--quit-after-paint") {
            o.quitAfterPaint = true;  // start-up measurements
        } else if (a == "--lang") {
            next(v);
            o.lang = v.toInt() == 31 ? 31 : v.toInt() == 44 ? 44 : 0;
        } else if (a == "--demo") {
            next(o.demoDir);
        } else if (a == "--screenshot") {
            next(o.screenshotDir);
        } else if (a == "--layout-report") {
            next(o.layoutReport);
        } else if (o.firstArg.isEmpty() && !a.startsWith('-')) {
            o.firstArg = a;
        }
    }
    return o;
}

// The window as the screen shows it: at the device pixel ratio of its screen, so a
// screenshot at a scale factor of 2 has the device pixels, not a logical-sized copy.
QImage Shot(QWidget& w) {
    const qreal dpr = w.devicePixelRatioF();
    QImage img(QSize(int(std::ceil(w.width() * dpr)), int(std::ceil(w.height() * dpr))),
               QImage::Format_ARGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(w.palette().color(QPalette::Window));
    w.render(&img);
    return img;
}

// For the end-to-end check of a real start: one line per label of the window, in screen
// pixels. "picture" lines are labels showing a picture; "text" lines give the text's
// width beside the label's; "cut" lines are texts wider than their label. The report is
// written to a temporary name and renamed, so a reader never sees half of it.
bool WriteLayoutReport(QWidget& form, const QString& path) {
    QFile out(path + ".part");
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextStream ts(&out);
    const qreal dpr = form.devicePixelRatioF();
    ts << "window " << form.width() << " " << form.height() << " " << dpr << "\n";
    for (QLabel* l : form.findChildren<QLabel*>()) {
        const QPoint at = l->mapToGlobal(QPoint(0, 0));
        const QString where = QStringLiteral("%1 %2 %3 %4 %5 %6")
                                  .arg(l->objectName().isEmpty() ? "-" : l->objectName())
                                  .arg(l->isVisibleTo(&form) && l->window()->isVisible() ? 1 : 0)
                                  .arg(at.x()).arg(at.y()).arg(l->width()).arg(l->height());
        if (!l->pixmap().isNull()) {
            ts << "picture " << where << "\n";
            continue;
        }
        if (l->text().isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) continue;
        const int tw = l->fontMetrics().horizontalAdvance(l->text());
        ts << (tw > l->width() ? "cut " : "text ") << where << " " << tw << " "
           << l->text().simplified() << "\n";
    }
    ts << "end\n";
    ts.flush();
    out.close();
    QFile::remove(path);
    return out.rename(path);
}

// Colours the first drawing as a user would: several fills in different colours and fill
// styles, then a pen stroke; a screenshot after each step and the picture as a BMP file.
int RunDemo(orb::TMainForm& form, const QString& dir) {
    QDir().mkpath(dir);
    int step = 0, failures = 0;
    auto shot = [&](const QString& what) {
        QApplication::processEvents();
        const QString path =
            QDir(dir).filePath(QStringLiteral("step%1-%2.png").arg(++step, 2, 10, QChar('0')).arg(what));
        if (Shot(form).save(path))
            std::printf("%s\n", qPrintable(path));
        else
            ++failures;
    };
    form.MenuSBtnClick(form.Main->MainPaintSBtn);
    shot("paint-page");
    if (!orb::DetailWindowAlive || orb::DetailWindow->FPicture.isNull()) {
        std::fprintf(stderr, "Orbelle: no drawing to colour (is Mandala.dat there?)\n");
        return 2;
    }
    orb::TDetailWindow* w = orb::DetailWindow;
    const QImage& pic = w->FPicture;
    // Seeds: white pixels along a line from the centre outward, far enough apart.
    std::vector<QPoint> seeds;
    const QPoint c(pic.width() / 2, pic.height() / 2);
    std::vector<std::vector<orb::Span>> taken;
    for (int r = 0; r < pic.width() / 2 && seeds.size() < 6; r += 3) {
        const QPoint p(c.x() + r, c.y() + r / 3);
        if (!pic.rect().contains(p) || pic.pixel(p) != qRgb(255, 255, 255)) continue;
        const auto region = orb::FloodRegion(pic, p);
        size_t n = 0;
        for (const auto& sp : region) n += sp.x2 - sp.x1 + 1;
        if (n < 40 || n > size_t(pic.width()) * pic.height() / 3) continue;
        bool fresh = true;
        for (const auto& t : taken)
            for (const auto& sp : t)
                if (sp.y == p.y() && p.x() >= sp.x1 && p.x() <= sp.x2) fresh = false;
        if (!fresh) continue;
        taken.push_back(region);
        seeds.push_back(p);
    }
    auto windowPoint = [w](QPoint px) {
        const QRect r = w->PictureRect();
        return QPoint(r.left() + px.x() * w->FZoom / 1000, r.top() + px.y() * w->FZoom / 1000);
    };
    const int hues[] = {8, 58, 92, 33, 75, 0};
    const int styles[] = {0, 0, 5, 0, 1, 6};
    form.Paint->SpeedBtnClick(form.Paint->PaintSBtn);
    for (size_t i = 0; i < seeds.size(); ++i) {
        form.Paint->HScroller->setValue(hues[i]);
        form.Paint->SScroller->setValue(i % 2 ? 55 : 80);
        form.Paint->VScroller->setValue(100);
        form.Paint->BrushStyleLst->setCurrentIndex(styles[i]);
        w->FormMouseDown(Qt::LeftButton, windowPoint(seeds[i]));
        w->FormMouseUp(Qt::LeftButton, windowPoint(seeds[i]));
        shot(QStringLiteral("fill%1").arg(i + 1));
    }
    // A pen stroke: a small arc near the centre.
    form.Paint->SpeedBtnClick(form.Paint->PenSBtn);
    form.Paint->BrushStyleLst->setCurrentIndex(0);
    form.Paint->HScroller->setValue(66);
    form.Paint->SScroller->setValue(90);
    form.Paint->VScroller->setValue(70);
    form.Paint->PenWidth->SetValue(4);
    const int rad = pic.width() / 6;
    w->FormMouseDown(Qt::LeftButton, windowPoint(QPoint(c.x() + rad, c.y())));
    for (int a = 0; a <= 90; a += 6) {
        const double t = a * M_PI / 180.0;
        w->FormMouseMove(Qt::LeftButton, windowPoint(QPoint(c.x() + int(rad * std::cos(t)),
                                                            c.y() + int(rad * std::sin(t)))));
    }
    w->FormMouseUp(Qt::LeftButton, windowPoint(QPoint(c.x(), c.y() + rad)));
    shot("pen");
    // The coloured picture as a 24-bit BMP file.
    orb::TPictureImage writer;
    writer.SetPicture(w->FPicture);
    writer.SetImageWriteRes(orb::TSaveResolution::sColorTrue);
    const QString bmp = QDir(dir).filePath("coloured.bmp");
    if (writer.SaveAsBmp(bmp))
        std::printf("%s\n", qPrintable(bmp));
    else
        ++failures;
    w->FChanged = false;  // written out: no question when the demo ends
    return failures == 0 ? 0 : 2;
}

int WriteScreenshots(orb::TMainForm& form, const QString& dir) {
    QDir().mkpath(dir);
    const struct {
        const char* page;
        const char* file;
    } pages[] = {{"Main", "main.png"}, {"History", "history.png"}, {"Paint", "paint.png"}};
    int failures = 0;
    for (const auto& p : pages) {
        // Through the menu, as a user gets there: the lists and the first drawing load.
        if (QString(p.page) == "History")
            form.MenuSBtnClick(form.Main->MainHistorySBtn);
        else if (QString(p.page) == "Paint")
            form.MenuSBtnClick(form.Main->MainPaintSBtn);
        else
            form.Notebook->SetActivePage(p.page);
        QApplication::processEvents();
        const QString path = QDir(dir).filePath(p.file);
        if (!Shot(form).save(path)) {
            std::fprintf(stderr, "Orbelle: cannot write %s\n", qPrintable(path));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    // The paint page with the drawing settings.
    form.Paint->PaintNotebook->SetActivePage("ColorPage");
    QApplication::processEvents();
    const QString colourPath = QDir(dir).filePath("paint-colour.png");
    if (Shot(form).save(colourPath))
        std::printf("%s\n", qPrintable(colourPath));
    else
        ++failures;
    // The scale page, zoomed in with the zoom tool chosen, and the full-screen view.
    form.Paint->SpeedBtnClick(form.Paint->ZoomInSBtn);
    form.Paint->ScaleListBox->setCurrentRow(9);  // "250%"
    form.Paint->ScaleListBoxClick();
    QApplication::processEvents();
    const QString scalePath = QDir(dir).filePath("paint-scale.png");
    if (Shot(form).save(scalePath))
        std::printf("%s\n", qPrintable(scalePath));
    else
        ++failures;
    if (orb::DetailWindowAlive) {
        orb::TMaxZoomWindow full(&form);
        full.ItemImage->SetImage(orb::DetailWindow->FPicture);
        full.show();
        QApplication::processEvents();
        const QString fullPath = QDir(dir).filePath("fullscreen.png");
        if (full.grab().save(fullPath))
            std::printf("%s\n", qPrintable(fullPath));
        else
            ++failures;
    }
    form.Paint->OriginalSize();
    form.Paint->PaintNotebook->SetActivePage("FilePage");
    form.Notebook->SetActivePage("Main");
    // The small windows too.
    auto save = [&](QWidget& w, const char* file) {
        w.show();
        QApplication::processEvents();
        const QString path = QDir(dir).filePath(file);
        if (w.grab().save(path))
            std::printf("%s\n", qPrintable(path));
        else
            ++failures;
        w.hide();
    };
    orb::TIntroForm intro;
    save(intro, "intro.png");
    orb::TAboutBox about;
    save(about, "about.png");
    orb::TMessageDialog ask;
    ask.Setup("Mandala is veranderd!", "Wilt u de huidige mandala bewaren?", "Ja", "Nee");
    save(ask, "yesno.png");
    return failures == 0 ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (int AnswerInfoOption(int, char**), rc = AnswerInfoOption(argc, argv); rc >= 0) return rc;
    const Options opt = ReadOptions(argc, argv);
    const bool screenshots = !opt.screenshotDir.isEmpty() || !opt.demoDir.isEmpty();
    if (screenshots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName("Orbelle");
    QApplication::setOrganizationName("Orbelle");
    orb::SetProgramFolder(QCoreApplication::applicationDirPath());
    if (opt.screen.isValid()) orb::SetSimulatedScreen(opt.screen);
    if (opt.depth > 0) orb::SetSimulatedDepth(opt.depth);
    orb::RegisterProgramResources();
    orb::LoadPalettes();

    const bool uninstall = opt.firstArg.toLower() == "uninstall";
    if (!screenshots) {
        // 1. A running instance comes forward, or closes for the uninstaller.
        if (orb::SendToRunningInstance(uninstall ? "close" : "activate") && !uninstall) return 0;
    }
    // 2.-3. The uninstaller hand-off.
    if (uninstall) {
        orb::RunUninstaller();
        return 0;
    }

    // 4. The picture loader reduces colours against the display's shared palette.
    if (const orb::Palette* pal = orb::GetSharedPalette()) orb::TPictureImage::SetSharedPalette(*pal);

    // 5. The private font.
    const int fontId = QFontDatabase::addApplicationFont(orb::ProgramFile("palis.ttf"));

    // 6. The language: asked in the intro window unless given or rendering unattended.
    if (opt.lang)
        orb::LngID = opt.lang;
    else if (!screenshots && !opt.quitAfterPaint)
        orb::ShowIntro();
    QApplication::processEvents();

    // 7. The main window and the message loop.
    int rc = 0;
    {
        orb::TMainForm form;
        if (!form.Created()) {
            std::fprintf(stderr, "Orbelle: the screen is smaller than 640 x 480.\n");
            rc = 1;
        } else if (screenshots) {
            form.SoundSBtn->SetButtonIsDown(true);  // no music while rendering
            form.show();
            QApplication::processEvents();
            if (!opt.screenshotDir.isEmpty()) rc = WriteScreenshots(form, opt.screenshotDir);
            if (!opt.demoDir.isEmpty() && rc == 0) rc = RunDemo(form, opt.demoDir);
            if (orb::DetailWindowAlive) orb::DetailWindow->FChanged = false;  // nobody to ask
            form.close();
        } else {
            // Once closing has begun (the data is freed), an activation held back during
            // the pause at exit must not bring the window back.
            orb::InstanceServer server(
                [&form] {
                    if (orb::MainFormReady) form.Activate();
                },
                [&form] { form.close(); });
            // Logging out: the change prompt when the session allows it, otherwise the
            // drawing is saved to the user's folder under a new name.
            QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                             [&form](QSessionManager& m) { form.SessionEnding(m); });
            QuitAfterPaint quitter;
            if (opt.quitAfterPaint) {
                form.SoundSBtn->SetButtonIsDown(true);  // silence: the toggle at show stops it
                form.installEventFilter(&quitter);
            }
            form.show();
            if (!opt.layoutReport.isEmpty())
                QTimer::singleShot(500, &form, [&form, path = opt.layoutReport] {
                    if (!WriteLayoutReport(form, path))
                        std::fprintf(stderr, "Orbelle: cannot write %s\n", qPrintable(path));
                });
            rc = app.exec();
        }
    }

    // 8. Clean-up.
    if (orb::AboutBoxAlive) delete orb::AboutBox;
    orb::FreeIntro();
    if (fontId >= 0) QFontDatabase::removeApplicationFont(fontId);
    orb::FreePalettes();
    return rc;
}
