// The exports against slow, silent and foreign peers, timed as a host feels them: every
// call ends within its time-out plus a second, and data comes only from the server.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "ProtocolPeers.h"
#include "Exports.h"

using namespace nettest;

namespace {

constexpr int TimeOut = 2000;

int64_t Ms(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

// Sends text one byte every 300 ms until the client goes (or 15 s pass).
void Drip(TPeer& p, const std::string& text) {
    for (size_t i = 0; i < 50; ++i) {
        p.Send(std::string(1, text[i % text.size()]));
        pollfd q{p.Fd, POLLIN, 0};
        if (::poll(&q, 1, 300) > 0) {
            char buf[256];
            if (::recv(p.Fd, buf, sizeof buf, MSG_DONTWAIT) <= 0) return;
        }
    }
}

bool Ftp(int port, const std::string& remote, const std::string& local, int timeOut = TimeOut) {
    return Lib().Download("127.0.0.1", port, "user", "secret", timeOut, remote.c_str(),
                          local.c_str(), nullptr) != 0;
}

bool Mail(int port, const char* subject = "s") {
    return Lib().Send("a@example.org", "A", subject, "b@example.org", "body", "127.0.0.1", port,
                      "me", TimeOut) != 0;
}

std::string PortReply(int port) {
    return "227 Entering Passive Mode (10,9,8,7," + std::to_string(port >> 8) + "," +
           std::to_string(port & 0xFF) + ")\r\n";
}

// The port a PORT command names.
int PortOf(const std::string& line) {
    std::vector<int> f;
    std::stringstream s(line.substr(5));
    std::string part;
    while (std::getline(s, part, ',')) f.push_back(std::atoi(part.c_str()));
    return f.size() == 6 ? f[4] * 256 + f[5] : 0;
}

// Connects to 127.0.0.1:port from the given local address.
int ConnectFrom(const char* from, int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &a.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    a.sin_port = htons(uint16_t(port));
    ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Log-in and TYPE as a server answers them.
std::string LogIn(const std::string& line) {
    if (StartsWith(line, "USER ")) return "331 password please\r\n";
    if (StartsWith(line, "PASS ")) return "230 in\r\n";
    if (StartsWith(line, "TYPE ")) return "200 ok\r\n";
    if (StartsWith(line, "QUIT")) return "221 bye\r\n";
    if (StartsWith(line, "ABOR")) return "226 aborted\r\n";
    return "";
}

}  // namespace

TEST(Hostile, DripFedRepliesEndWithinTheTimeOut) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    TTempDir local;
    // A greeting whose continuation lines never end, and one first line that never ends.
    for (std::string text : {"220-hello\r\n", "220 hello there, this line goes on and on"}) {
        SCOPED_TRACE(text);
        TScriptServer smtp([&](TPeer& p, int) { Drip(p, text); }, false);
        auto start = Clock::now();
        EXPECT_FALSE(Mail(smtp.Port()));
        EXPECT_LT(Ms(start), TimeOut + 1000);
        TScriptServer ftp([&](TPeer& p, int) { Drip(p, text); }, false);
        start = Clock::now();
        EXPECT_FALSE(Ftp(ftp.Port(), "f", local.File("f")));
        EXPECT_LT(Ms(start), TimeOut + 1000);
    }
}

TEST(Hostile, ASilentServerCostsOneTimeOutNotTwo) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    TTempDir local;
    TScriptServer silent([](TPeer& p, int) { p.WaitClose(8000); }, false);
    auto start = Clock::now();
    EXPECT_FALSE(Mail(silent.Port()));
    EXPECT_GE(Ms(start), TimeOut - 100);
    EXPECT_LT(Ms(start), TimeOut + 1000);
    start = Clock::now();
    EXPECT_FALSE(Ftp(silent.Port(), "f", local.File("f")));
    EXPECT_LT(Ms(start), TimeOut + 1000);
    // A server that greets, then falls silent in the middle of the dialogue.
    TScriptedDialog quiet("220 ready\r\n", [](const std::string& line, TPeer&) -> std::string {
        if (StartsWith(line, "HELO")) return "250 hi\r\n";
        return "";  // MAIL FROM and QUIT go unanswered
    });
    start = Clock::now();
    EXPECT_FALSE(Mail(quiet.Port()));
    EXPECT_LT(Ms(start), TimeOut + 1000);
}

TEST(Hostile, ServerDisconnectIsBoundedWhateverThePeerDoes) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    // A peer that takes the connection and never reads.
    std::atomic<bool> stop{false};
    TScriptServer deaf(
        [&](TPeer&, int) {
            while (!stop) SleepMs(20);
        },
        false);
    for (int deadline : {0, 500}) {
        SCOPED_TRACE(deadline);
        Lib().SetDeadline(deadline);
        ASSERT_TRUE(Lib().Connect("127.0.0.1", "", deaf.Port(), nullptr));
        auto until = Clock::now() + std::chrono::seconds(3);
        while (!Lib().Connected() && Clock::now() < until) {
            Lib().Dispatch();
            SleepMs(5);
        }
        ASSERT_TRUE(Lib().Connected());
        // Far more than the socket takes: most of it stays queued.
        std::string big(size_t(32) << 20, 'x');
        EXPECT_TRUE(Lib().Post(big.c_str()));
        auto start = Clock::now();
        EXPECT_TRUE(Lib().Disconnect());
        // Unsent text gets a short grace (the call deadline when it is shorter), then goes.
        EXPECT_LT(Ms(start), (deadline ? deadline : 2000) + 1000);
        EXPECT_FALSE(Lib().Connected());
    }
    Lib().SetDeadline(0);
    stop = true;
}

TEST(Hostile, ActiveDataComesOnlyFromTheServer) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    const std::string payload = "the real file\r\n";
    int dataPort = 0;
    TScriptedDialog server("220 ready\r\n", [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "PORT ")) {
            dataPort = PortOf(line);
            return "200 ok\r\n";
        }
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening (" + std::to_string(payload.size()) + " bytes)\r\n");
            // Another host gets there first; then the server itself.
            int foreign = ConnectFrom("127.0.0.2", dataPort);
            if (foreign >= 0) {
                SendAll(foreign, "FOREIGN DATA, NOT THE FILE");
                SleepMs(200);
                ::close(foreign);
            }
            int real = ConnectFrom("127.0.0.1", dataPort);
            SendAll(real, payload);
            ::close(real);
            return "226 done\r\n";
        }
        return LogIn(line);
    });
    TTempDir local;
    EXPECT_TRUE(Ftp(server.Port(), "f", local.File("f")));
    EXPECT_EQ(ReadFile(local.File("f")), payload);
}

TEST(Hostile, PassiveWhenActiveFails) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    const std::string payload = RandomBytes(100000);
    // PORT refused; accepted and then nobody connects back; or the server says it
    // could not connect back (425).
    for (int way : {0, 1, 2}) {
        SCOPED_TRACE(way);
        const bool refuse = way == 0;
        TDataListener data;
        int retrs = 0;
        TScriptedDialog server("220 ready\r\n", [&](const std::string& line, TPeer& peer) -> std::string {
            if (StartsWith(line, "PORT ")) return refuse ? "500 no PORT here\r\n" : "200 ok\r\n";
            if (StartsWith(line, "PASV")) return PortReply(data.Port);
            if (StartsWith(line, "RETR ")) {
                if (++retrs == 1 && way == 1) return "150 Opening\r\n";  // and never connects
                if (retrs == 1 && way == 2) return "425 Can't open data connection\r\n";
                peer.Send("150 Opening (" + std::to_string(payload.size()) + " bytes)\r\n");
                int fd = data.Accept();
                SendAll(fd, payload);
                ::close(fd);
                return "226 done\r\n";
            }
            return LogIn(line);
        });
        TTempDir local;
        auto start = Clock::now();
        EXPECT_TRUE(Ftp(server.Port(), "f", local.File("f")));
        EXPECT_EQ(ReadFile(local.File("f")), payload);
        // The failed active attempt costs at most its time-out and a grace for ABOR.
        EXPECT_LT(Ms(start), 2 * TimeOut + 1000);
        EXPECT_EQ(server.Received("ABOR"), way == 1);
    }
    // Asked for from the start, passive sends no PORT at all.
    TDataListener data;
    TScriptedDialog server("220 ready\r\n", [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "PASV")) return PortReply(data.Port);
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening\r\n");
            int fd = data.Accept();
            SendAll(fd, payload);
            ::close(fd);
            return "226 done\r\n";
        }
        return LogIn(line).empty() ? "500 no\r\n" : LogIn(line);
    });
    TTempDir local;
    Lib().SetPassive(1);
    EXPECT_TRUE(Ftp(server.Port(), "f", local.File("f")));
    Lib().SetPassive(0);
    EXPECT_EQ(ReadFile(local.File("f")), payload);
    EXPECT_FALSE(server.Received("PORT"));
}

TEST(Hostile, MoreDataThanAnnouncedFails) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    TDataListener data;
    TScriptedDialog server("220 ready\r\n", [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "PASV")) return PortReply(data.Port);
        if (StartsWith(line, "PORT ")) return "500 no\r\n";
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening (10 bytes)\r\n");
            int fd = data.Accept();
            SendAll(fd, "0123456789 and more than that");
            ::close(fd);
            return "226 done\r\n";
        }
        return LogIn(line);
    });
    TTempDir local;
    local.Write("f", "the earlier file");
    EXPECT_FALSE(Ftp(server.Port(), "f", local.File("f")));
    EXPECT_EQ(ReadFile(local.File("f")), "the earlier file");
}

TEST(Hostile, UnsendableArgumentsAreRefusedBeforeConnecting) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    TScriptedDialog server("220 ready\r\n", [](const std::string& line, TPeer&) { return LogIn(line); });
    TTempDir local;
    EXPECT_FALSE(Ftp(server.Port(), "f\r\nDELE g", local.File("f")));
    EXPECT_FALSE(Lib().Download("127.0.0.1", server.Port(), "user\nx", "secret", TimeOut, "f",
                                local.File("f").c_str(), nullptr));
    EXPECT_FALSE(Mail(server.Port(), "subject\r\nBcc: someone@example.org"));
    EXPECT_FALSE(Lib().Send("a@example.org\r\nRCPT TO:<x@y>", "A", "s", "b@example.org", "body",
                            "127.0.0.1", server.Port(), "me", TimeOut));
    SleepMs(100);
    EXPECT_EQ(server.Connections(), 0);
}

TEST(Hostile, AnEndlessBodyStaysWithinTheMemoryCap) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    // No Content-Length, and more than the default cap of a body in memory.
    TScriptServer endless([](TPeer& p, int) {
        p.Send("HTTP/1.0 200 OK\r\n\r\n");
        std::string block(1 << 20, 'b');
        for (int i = 0; i < 400; ++i) {
            ssize_t n = ::send(p.Fd, block.data(), block.size(), MSG_NOSIGNAL);
            if (n <= 0) return;
        }
    });
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(Lib().Get(("http://127.0.0.1:" + std::to_string(endless.Port()) + "/").c_str(), "",
                        "", 10000),
              nullptr);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const long grownMiB = (after.ru_maxrss - before.ru_maxrss) / 1024;
    EXPECT_LT(grownMiB, 256) << grownMiB << " MiB";
    std::printf("peak memory growth of the call: %ld MiB\n", grownMiB);
}

// A real passive-only server: vsftpd refusing PORT, with a 64 MiB file.
TEST(Hostile, PassiveOnlyServerDownloadsWholeFiles) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    if (!std::filesystem::exists("/usr/sbin/vsftpd"))
        GTEST_SKIP() << "vsftpd is not installed (scripts/setup.sh installs it)";
    TTempDir dir;
    std::filesystem::create_directories(dir.Path / "root");
    std::filesystem::create_directories(dir.Path / "empty");
    std::filesystem::permissions(dir.Path / "root", std::filesystem::perms(0755));
    const std::string data = RandomBytes(64 << 20);
    dir.Write("root/big.bin", data);
    int port = FreePort();
    std::ofstream(dir.File("vsftpd.conf"))
        << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << port
        << "\nbackground=NO\nanonymous_enable=YES\nno_anon_password=YES\nanon_root="
        << dir.File("root")
        << "\nlocal_enable=NO\nwrite_enable=NO\npasv_enable=YES\nport_enable=NO\n"
           "run_as_launching_user=YES\nsecure_chroot_dir="
        << dir.File("empty")
        << "\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\nxferlog_enable=NO\n";
    TChild vsftpd({"/usr/sbin/vsftpd", dir.File("vsftpd.conf")}, dir.File("vsftpd.log"));
    ASSERT_TRUE(WaitForPort(port)) << ReadFile(dir.File("vsftpd.log"));
    // Active first (refused), then passive: the download arrives all the same.
    EXPECT_TRUE(Lib().Download("127.0.0.1", port, "anonymous", "guest", 10000, "big.bin",
                               dir.File("got.bin").c_str(), nullptr));
    EXPECT_TRUE(ReadFile(dir.File("got.bin")) == data);
    std::filesystem::remove(dir.File("got.bin"));
    Lib().SetPassive(1);
    EXPECT_TRUE(Lib().Download("127.0.0.1", port, "anonymous", "guest", 10000, "big.bin",
                               dir.File("got.bin").c_str(), nullptr));
    Lib().SetPassive(0);
    EXPECT_TRUE(ReadFile(dir.File("got.bin")) == data);
}
