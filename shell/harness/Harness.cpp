// The program's unattended runs: screenshots of every page, the colouring demo, the layout
// report of a real start and the first-paint timing. Only the entry points in Harness.h are
// seen by the program's main.
#include "shell/harness/Harness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "library/PictureImage.h"
#include "paint/DtlWin.h"
#include "paint/MaxZoom.h"
#include "paint/PixelOps.h"
#include "paint/ProImg.h"
#include "paint/Spinner.h"
#include "platform/Paths.h"
#include "platform/StartupStages.h"
#include "shell/About.h"
#include "shell/ColorPage.h"
#include "shell/Intro.h"
#include "shell/MMBtns.h"
#include "shell/MainWindow.h"
#include "shell/LangState.h"
#include "shell/LanguageTexts.h"
#include "shell/MsgDlg.h"
#include "shell/PaintPage.h"
#include "shell/PaintPanels.h"
#include "shell/TabStrip.h"

namespace {

// Ends the program once the watched window's first frame is on the screen. The first paint
// event queues the stamp: a zero timer runs after the whole window has been painted and
// handed to the window system, which is the moment the measuring script compares.
class QuitAfterPaint : public QObject {
public:
    explicit QuitAfterPaint(QWidget* watched) : QObject(watched), watched_(watched) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !queued_) {
            queued_ = true;
            painting_ = orb::stages::Now();
            QTimer::singleShot(0, this, [this] { Stamp(); });
        }
        return QObject::eventFilter(o, e);
    }

private:
    void Stamp() {
        const std::int64_t now = orb::stages::Now();
        const long peak = orb::stages::PeakRssKb();
        const long faults = orb::stages::MinorFaults();
        orb::stages::Record("first frame", painting_, now);
        orb::stages::Print(stdout);
        // Monotonic nanoseconds, the clock the script read before starting the program.
        std::printf("first-paint %lld\n", (long long)now);
        std::printf("peak-rss-kb %ld\n", peak);
        std::printf("minor-faults %ld\n", faults);
        std::printf("window %d %d\n", watched_->width(), watched_->height());
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    QWidget* watched_;
    bool queued_ = false;
    std::int64_t painting_ = 0;
};

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
    // The side-page tabs: a label must lie clear of its tab's slanted edges, in a font that
    // can be read.
    for (orb::TTabStrip* strip : form.findChildren<orb::TTabStrip*>()) {
        const QPoint at = strip->mapToGlobal(QPoint(0, 0));
        const int px = QFontInfo(strip->LabelFont()).pixelSize();
        for (int i = 0; i < strip->count(); ++i) {
            const QRect label = strip->LabelRect(i), clear = strip->ClearRect(i);
            const bool fits = clear.adjusted(1, 0, -1, 0).contains(label) && px >= 9;
            ts << (fits ? "tab " : "tabcut ") << strip->objectName() << " " << i << " "
               << at.x() + label.x() << " " << at.y() + label.y() << " " << label.width() << " "
               << label.height() << " clear " << clear.left() - label.left() << " "
               << label.right() - clear.right() << " px " << px << " "
               << strip->tabText(i).simplified() << "\n";
        }
    }
    ts << "end\n";
    ts.flush();
    out.close();
    QFile::remove(path);
    return out.rename(path);
}

// Colours the first drawing as a user would: several fills in different colours and fill
// styles, then a pen stroke; a screenshot after each step and the picture as a BMP file.
int RunDemo(orb::TMainWindow& main, const QString& dir) {
    QWidget& form = main.Widget();
    orb::TPaintPage& paint = main.PaintingPage();
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
    main.GoToPage("Paint");
    shot("paint-page");
    if (!orb::DetailWindowAlive() || paint.Session().Picture().isNull()) {
        std::fprintf(stderr, "Orbelle: no drawing to colour (is Mandala.dat there?)\n");
        return 2;
    }
    orb::TDetailWindow* w = orb::DetailWindow();
    orb::TPaintSession& session = paint.Session();
    const QImage pic = session.Picture();
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
    auto windowPoint = [&session](QPoint px) {
        const QRect r = session.PictureRect();
        const int z = session.Zoom();
        return QPoint(r.left() + px.x() * z / 1000, r.top() + px.y() * z / 1000);
    };
    const int hues[] = {8, 58, 92, 33, 75, 0};
    const int styles[] = {0, 0, 5, 0, 1, 6};
    paint.SpeedBtnClick(paint.PaintSBtn);
    for (size_t i = 0; i < seeds.size(); ++i) {
        paint.Colour->HScroller->setValue(hues[i]);
        paint.Colour->SScroller->setValue(i % 2 ? 55 : 80);
        paint.Colour->VScroller->setValue(100);
        paint.Colour->BrushStyleLst->setCurrentIndex(styles[i]);
        w->FormMouseDown(Qt::LeftButton, windowPoint(seeds[i]));
        w->FormMouseUp(Qt::LeftButton, windowPoint(seeds[i]));
        shot(QStringLiteral("fill%1").arg(i + 1));
    }
    // A pen stroke: a small arc near the centre.
    paint.SpeedBtnClick(paint.PenSBtn);
    paint.Colour->BrushStyleLst->setCurrentIndex(0);
    paint.Colour->HScroller->setValue(66);
    paint.Colour->SScroller->setValue(90);
    paint.Colour->VScroller->setValue(70);
    paint.Colour->PenWidth->SetValue(4);
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
    writer.SetPicture(session.Picture());
    writer.SetImageWriteRes(orb::TSaveResolution::sColorTrue);
    const QString bmp = QDir(dir).filePath("coloured.bmp");
    if (const orb::TOutcome written = writer.SaveAsBmp(bmp); written) {
        std::printf("%s\n", qPrintable(bmp));
    } else {
        std::fprintf(stderr, "Orbelle: cannot write %s: %s\n", qPrintable(bmp),
                     qPrintable(written.Failure().Text()));
        ++failures;
    }
    paint.DeclineChanges();  // written out: no question when the demo ends
    return failures == 0 ? 0 : 2;
}

int WriteScreenshots(orb::TMainWindow& main, const QString& dir) {
    QWidget& form = main.Widget();
    orb::TPaintPage& paint = main.PaintingPage();
    QDir().mkpath(dir);
    const struct {
        const char* page;
        const char* file;
    } pages[] = {{"Main", "main.png"}, {"History", "history.png"}, {"Paint", "paint.png"}};
    int failures = 0;
    for (const auto& p : pages) {
        // Through the menu, as a user gets there: the lists and the first drawing load.
        main.GoToPage(p.page);
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
    paint.PaintNotebook->SetActivePage("ColorPage");
    QApplication::processEvents();
    const QString colourPath = QDir(dir).filePath("paint-colour.png");
    if (Shot(form).save(colourPath))
        std::printf("%s\n", qPrintable(colourPath));
    else
        ++failures;
    // The scale page, zoomed in with the zoom tool chosen, and the full-screen view.
    paint.SpeedBtnClick(paint.ZoomInSBtn);
    paint.Scale->ScaleListBox->setCurrentRow(9);  // "250%"
    paint.Scale->ScaleListBoxClick();
    QApplication::processEvents();
    const QString scalePath = QDir(dir).filePath("paint-scale.png");
    if (Shot(form).save(scalePath))
        std::printf("%s\n", qPrintable(scalePath));
    else
        ++failures;
    if (orb::DetailWindowAlive()) {
        orb::TMaxZoomWindow full(&form);
        full.ItemImage->SetImage(paint.Session().Picture());
        full.show();
        QApplication::processEvents();
        const QString fullPath = QDir(dir).filePath("fullscreen.png");
        if (full.grab().save(fullPath))
            std::printf("%s\n", qPrintable(fullPath));
        else
            ++failures;
    }
    paint.Scale->OriginalSize();
    paint.PaintNotebook->SetActivePage("FilePage");
    main.GoToPage("Main");
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
    orb::PrepareQuestion(ask, orb::kChangedQuestion);
    save(ask, "yesno.png");
    // A failed save: the library's reason, then the loader's own message.
    orb::TMessageDialog box;
    orb::PrepareMessageBox(box,
                           orb::GetLangText(5019, "MainForm", orb::LngFileName(),
                                            "The picture file cannot be written.") +
                               "\n" + orb::UserFolder() + "Mandala.bmp",
                           "Error");
    save(box, "message.png");
    // The question after a run that did not end normally.
    orb::TMessageDialog restore;
    orb::PrepareQuestion(restore, orb::kRestoreQuestion);
    save(restore, "restore.png");
    return failures == 0 ? 0 : 2;
}

}  // namespace

namespace orb {

int RunUnattended(TMainWindow& main, const THarnessOptions& o) {
    main.Silence();  // no music while rendering
    main.Widget().show();
    QApplication::processEvents();
    int rc = 0;
    if (!o.screenshotDir.isEmpty()) rc = WriteScreenshots(main, o.screenshotDir);
    if (!o.demoDir.isEmpty() && rc == 0) rc = RunDemo(main, o.demoDir);
    main.PaintingPage().DeclineChanges();  // nobody to ask
    main.Widget().close();
    return rc;
}

void AttachHarness(TMainWindow& main, const THarnessOptions& o) {
    QWidget& form = main.Widget();
    // A measured start is a real one, music included.
    if (o.quitAfterPaint) form.installEventFilter(new QuitAfterPaint(&form));
    if (!o.layoutReport.isEmpty())
        QTimer::singleShot(500, &form, [&form, path = o.layoutReport] {
            if (!WriteLayoutReport(form, path))
                std::fprintf(stderr, "Orbelle: cannot write %s\n", qPrintable(path));
        });
}

}  // namespace orb
