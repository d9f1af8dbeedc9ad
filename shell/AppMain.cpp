// Program entry: single instance, uninstaller hand-off, private font, main window.
#include <QApplication>
#include <QTimer>
#include <QFontDatabase>
#include <QSessionManager>
#include <cstdio>

#include "library/Palette.h"
#include "library/PictureImage.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "platform/Resources.h"
#include "platform/FontSetup.h"
#include "platform/StartupStages.h"
#include "shell/About.h"
#include "shell/Application.h"
#include "shell/Instance.h"
#include "shell/Intro.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"
#include "shell/MainWindow.h"
#include "shell/harness/Harness.h"

namespace {

struct Options {
    QSize screen;
    int depth = 0;
    QString firstArg;
    int lang = 0;  // a language chosen on the command line skips the intro window
    orb::THarnessOptions harness;
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
            o.harness.quitAfterPaint = true;  // start-up measurements
        } else if (a == "--lang") {
            next(v);
            o.lang = v.toInt() == 31 ? 31 : v.toInt() == 44 ? 44 : 0;
        } else if (a == "--demo") {
            next(o.harness.demoDir);
        } else if (a == "--screenshot") {
            next(o.harness.screenshotDir);
        } else if (a == "--layout-report") {
            next(o.harness.layoutReport);
        } else if (o.firstArg.isEmpty() && !a.startsWith('-')) {
            o.firstArg = a;
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    namespace stages = orb::stages;
    const std::int64_t entered = stages::Now();
    if (int AnswerInfoOption(int, char**), rc = AnswerInfoOption(argc, argv); rc >= 0) return rc;
    const Options opt = ReadOptions(argc, argv);
    const bool screenshots = opt.harness.Unattended();
    if (screenshots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (opt.harness.quitAfterPaint) stages::Enable();
    stages::Record("main() entered", entered, entered);
    // The font configuration is read while the application connects to the display.
    orb::TFontSetupAhead fontSetup;
    stages::Stage qapp("QApplication");
    orb::TApplication app(argc, argv);
    qapp.End();
    {
        stages::Stage s("font configuration");
        fontSetup.Join();
    }
    QApplication::setApplicationName("Orbelle");
    QApplication::setOrganizationName("Orbelle");
    orb::SetProgramFolder(QCoreApplication::applicationDirPath());
    if (opt.screen.isValid()) orb::SetSimulatedScreen(opt.screen);
    if (opt.depth > 0) orb::SetSimulatedDepth(opt.depth);
    {
        stages::Stage s("resources (.rcc)");
        orb::RegisterProgramResources();
    }
    {
        stages::Stage s("palettes");
        orb::LoadPalettes();
    }

    const bool uninstall = opt.firstArg.toLower() == "uninstall";
    if (!screenshots) {
        // 1. A running instance comes forward, or closes for the uninstaller.
        stages::Stage s("single-instance check");
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
    stages::Stage fonts("fonts");
    const int fontId = QFontDatabase::addApplicationFont(orb::ProgramFile("palis.ttf"));
    fonts.End();

    // 6. The language: asked in the intro window unless given or rendering unattended.
    {
        stages::Stage s("intro window");
        if (opt.lang)
            orb::SetLngID(opt.lang);
        else if (!screenshots && !opt.harness.quitAfterPaint)
            orb::ShowIntro();
        QApplication::processEvents();
    }

    // 7. The main window and the message loop.
    int rc = 0;
    {
        stages::Stage construction("main window construction");
        const std::unique_ptr<orb::TMainWindow> form = orb::CreateMainWindow();
        construction.End();
        QWidget& window = form->Widget();
        if (!form->Created()) {
            std::fprintf(stderr, "Orbelle: the screen is smaller than 640 x 480.\n");
            rc = 1;
        } else if (screenshots) {
            rc = orb::RunUnattended(*form, opt.harness);
        } else {
            // Once closing has begun (the data is freed), an activation held back during
            // the pause at exit must not bring the window back.
            stages::Stage listen("single-instance server");
            orb::InstanceServer server(
                [&form] {
                    if (form->MainFormReady()) form->Activate();
                },
                [&window] { window.close(); });
            // Logging out: the change prompt when the session allows it, otherwise the
            // drawing is saved to the user's folder under a new name.
            QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                             [&form](QSessionManager& m) { form->SessionEnding(m); });
            listen.End();
            orb::AttachHarness(*form, opt.harness);
            {
                stages::Stage s("show");
                window.show();
            }
            // Once the window is up: a drawing kept by a run that did not end normally
            // (not in a start-up measurement, which ends at its first frame).
            if (!opt.harness.quitAfterPaint)
                QTimer::singleShot(0, &window, [&form] { form->OfferRecovery(); });
            rc = app.exec();
        }
    }

    // 8. Clean-up.
    orb::FreeAboutBox();
    orb::FreeIntro();
    if (fontId >= 0) QFontDatabase::removeApplicationFont(fontId);
    orb::FreePalettes();
    stages::Print(stdout);
    return rc;
}
