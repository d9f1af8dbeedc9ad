#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>

#include "tests/common/RecordingOutward.h"
#include "platform/Paths.h"
#include "shell/Instance.h"

using namespace orb;

TEST(Uninstall, QuotedProgramAndParameters) {
    UninstallCommand c = ParseUninstallString(R"("/opt/orbelle/un install.sh" --quiet /x)");
    EXPECT_EQ(c.program, "/opt/orbelle/un install.sh");
    EXPECT_EQ(c.parameters, "--quiet /x");
    // Parameters start one character after the closing quote, whatever it is.
    c = ParseUninstallString(R"("/a/b"Xrest)");
    EXPECT_EQ(c.program, "/a/b");
    EXPECT_EQ(c.parameters, "rest");
}

TEST(Uninstall, UnquotedProgramEndsAtBlankQuote) {
    UninstallCommand c = ParseUninstallString(R"(/opt/orbelle/uninstall "/opt/orbelle/log.txt")");
    EXPECT_EQ(c.program, "/opt/orbelle/uninstall");
    EXPECT_EQ(c.parameters, R"("/opt/orbelle/log.txt")");
    c = ParseUninstallString("/usr/bin/remove-orbelle --all");  // no quote at all
    EXPECT_EQ(c.program, "/usr/bin/remove-orbelle --all");
    EXPECT_EQ(c.parameters, "");
    c = ParseUninstallString(R"("unterminated)");
    EXPECT_EQ(c.program, "unterminated");
    EXPECT_TRUE(ParseUninstallString("").program.isEmpty());
}

TEST(Uninstall, MissingEntryDoesNothing) {
    ScopedOutward out;
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    EXPECT_FALSE(RunUninstaller());
    EXPECT_TRUE(out.rec.started.isEmpty());
    QFile f(dir.filePath("uninstall.entry"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# written at install time\nUninstallString=\"/opt/o/uninstall.sh\" --purge\n");
    f.close();
    EXPECT_TRUE(RunUninstaller());
    EXPECT_EQ(out.rec.started, QStringList{"/opt/o/uninstall.sh --purge"});
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
}

namespace {
bool WaitFor(const std::function<bool()>& cond, int ms) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a second start of the real program while this process keeps serving events.
int RunSecondStart(const QString& exe, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, args);
    if (!WaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitCode();
}

// A second start's message, sent from another thread while this one serves the event loop.
bool ActivateFromAnotherThread() {
    bool sent = false;
    std::unique_ptr<QThread> t(
        QThread::create([&] { sent = SendToRunningInstance("activate", 3000); }));
    t->start();
    WaitFor([&] { return t->isFinished(); }, 5000);
    t->wait();
    return sent;
}
}  // namespace

namespace {
// Each test gets an instance name of its own, so suites can run side by side.
struct OwnInstanceName {
    explicit OwnInstanceName(const char* tag) {
        qputenv("ORBELLE_INSTANCE",
                QStringLiteral("orbelle-test-%1-%2").arg(tag).arg(QCoreApplication::applicationPid()).toUtf8());
    }
    ~OwnInstanceName() { qunsetenv("ORBELLE_INSTANCE"); }
};
}  // namespace

TEST(SingleInstance, SecondStartActivatesTheFirstAndEnds) {
    OwnInstanceName name("activate");
    int activations = 0, closes = 0;
    InstanceServer server([&] { ++activations; }, [&] { ++closes; });
    ASSERT_TRUE(server.Listening());
    EXPECT_EQ(RunSecondStart(ORBELLE_EXE, {}), 0);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(closes, 0);
}

TEST(SingleInstance, UninstallClosesTheFirstAndStartsTheUninstaller) {
    OwnInstanceName name("uninstall");
    // A copy of the program in a folder of its own, with an uninstall entry.
    QTemporaryDir dir;
    const QString exe = dir.filePath("Orbelle");
    ASSERT_TRUE(QFile::copy(ORBELLE_EXE, exe));
    const QString marker = dir.filePath("uninstalled");
    const QString script = dir.filePath("un install.sh");
    {
        QFile s(script);
        ASSERT_TRUE(s.open(QIODevice::WriteOnly));
        s.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(marker).toUtf8());
    }
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    {
        QFile e(dir.filePath("uninstall.entry"));
        ASSERT_TRUE(e.open(QIODevice::WriteOnly));
        e.write(QStringLiteral("UninstallString=\"%1\" purge\n").arg(script).toUtf8());
    }
    int closes = 0;
    InstanceServer server([] {}, [&] { ++closes; });
    EXPECT_EQ(RunSecondStart(exe, {"UnInstall"}), 0);
    EXPECT_EQ(closes, 1);
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(marker); }, 10000));
    QFile m(marker);
    ASSERT_TRUE(m.open(QIODevice::ReadOnly));
    EXPECT_EQ(m.readAll().trimmed(), "purge");
}

TEST(Music, ModuleLoadsOnDemandAndStops) {
    Outward real;  // the real player, without installing it
    EXPECT_FALSE(real.MusicStart("/no/such/file.wav"));
    EXPECT_FALSE(real.MusicPlaying());
    const QString wav = ProgramFile("A/Orbelle.wav");
    if (!QFile::exists(wav)) GTEST_SKIP() << "no music built";
    real.MusicStart(wav);  // without an audio device this may play silently or not at all
    real.MusicStop();
    QCoreApplication::processEvents();
    EXPECT_FALSE(real.MusicPlaying());
}

TEST(SingleInstance, ALiveInstanceKeepsItsNameAgainstALaterServer) {
    OwnInstanceName name("keep");
    int first = 0, second = 0;
    InstanceServer a([&] { ++first; }, {});
    ASSERT_TRUE(a.Listening());
    {
        InstanceServer b([&] { ++second; }, {});
        EXPECT_FALSE(b.Listening());
    }
    // The first still answers: its socket was not taken over or removed.
    EXPECT_TRUE(ActivateFromAnotherThread());
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST(SingleInstance, ASocketLeftByACrashedInstanceIsTakenOverAndBadClientsAreDropped) {
    OwnInstanceName name("stale");
    // A socket file nobody listens on any more, as a crash leaves it.
    const QByteArray path = QFile::encodeName(InstanceSocketPath());
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::memcpy(a.sun_path, path.constData(), size_t(path.size()));
        ::unlink(path.constData());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ::close(fd);
    }
    ASSERT_TRUE(QFile::exists(QFile::decodeName(path)));
    EXPECT_FALSE(SendToRunningInstance("activate", 500));
    int activations = 0;
    {
        InstanceServer server([&] { ++activations; }, {});
        ASSERT_TRUE(server.Listening());
        // A client that connects and goes without a word, and one that sends too much:
        // neither acts nor stops the server.
        for (const QByteArray& junk : {QByteArray(), QByteArray(200, 'x')}) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un a{};
            a.sun_family = AF_UNIX;
            std::memcpy(a.sun_path, path.constData(), size_t(path.size()));
            ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
            if (!junk.isEmpty()) ASSERT_EQ(::write(fd, junk.constData(), size_t(junk.size())), junk.size());
            ::close(fd);
            WaitFor([] { return false; }, 100);
        }
        EXPECT_EQ(activations, 1);  // the long line counts as one message
        EXPECT_TRUE(ActivateFromAnotherThread());
        EXPECT_EQ(activations, 2);
    }
    // The server removes its socket when it ends.
    EXPECT_FALSE(QFile::exists(QFile::decodeName(path)));
}
