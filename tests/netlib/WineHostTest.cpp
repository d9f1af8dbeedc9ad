// kestrup.dll as a Windows host meets it: the cross-built test host (win32/host.c)
// loads the DLL under wine and drives it against the same loopback peers as the Linux
// suites. The suite makes its own wine prefix and stops it at the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "ProtocolPeers.h"
#include "TestSupport.h"

using namespace nettest;

#ifndef KESTRUP_WIN32_DIR
#define KESTRUP_WIN32_DIR "."
#endif
#ifndef KESTRUP_WINE_RUN
#define KESTRUP_WINE_RUN "wine-run.sh"
#endif

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A Linux path as the Windows program sees it (wine maps / to Z:).
std::string WinPath(const std::string& path) {
    std::string p = "Z:" + path;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

class WineHost : public ::testing::Test {
protected:
    static inline TTempDir* Prefix = nullptr;

    static void SetUpTestSuite() { Prefix = new TTempDir(); }
    static void TearDownTestSuite() {
        Run({"--stop"});
        delete Prefix;
        Prefix = nullptr;
    }

    void SetUp() override {
        if (!std::filesystem::exists("/usr/lib/wine/wine"))
            GTEST_SKIP() << "wine is not installed (scripts/setup.sh installs it)";
        ASSERT_TRUE(std::filesystem::exists(KESTRUP_WIN32_DIR "/kestrup.dll"));
        ASSERT_TRUE(std::filesystem::exists(KESTRUP_WIN32_DIR "/kestrup_host.exe"));
    }

    // Runs the wine runner with these arguments in the DLL's folder; its whole output.
    static std::string Run(const std::vector<std::string>& args, const std::string& env = "") {
        std::string cmd = "cd " + Quoted(KESTRUP_WIN32_DIR) + " && " + env + " WINEPREFIX=" +
                          Quoted(Prefix->File("prefix")) + " timeout 120 " +
                          Quoted(KESTRUP_WINE_RUN);
        for (const auto& a : args) cmd += " " + Quoted(a);
        cmd += " 2>&1";
        std::string out;
        if (FILE* p = ::popen(cmd.c_str(), "r")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
            ::pclose(p);
        }
        // The Windows console ends its lines with CR LF.
        std::erase(out, '\r');
        return out;
    }

    static std::string Host(std::vector<std::string> args, const std::string& env = "") {
        args.insert(args.begin(), "kestrup_host.exe");
        return Run(args, env);
    }
};

// The lines the host printed for its cases.
void ExpectOk(const std::string& out, const std::vector<std::string>& cases) {
    for (const auto& c : cases) EXPECT_NE(out.find("ok " + c + "\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("FAIL"), std::string::npos) << out;
    EXPECT_NE(out.find("done\n"), std::string::npos) << out;
}

}  // namespace

TEST_F(WineHost, ExactlyTheEightExportsAndNoFailureCrossesThem) {
    // The export table as the PE file holds it.
    FILE* p = ::popen("i686-w64-mingw32-objdump -p " KESTRUP_WIN32_DIR "/kestrup.dll", "r");
    ASSERT_NE(p, nullptr);
    std::string dump;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) dump.append(buf, n);
    ::pclose(p);
    size_t at = dump.find("[Ordinal/Name Pointer] Table");
    ASSERT_NE(at, std::string::npos) << dump;
    std::vector<std::string> names;
    std::istringstream lines(dump.substr(at));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && line.find('[') != std::string::npos)
        names.push_back(line.substr(line.find(']') + 2));
    EXPECT_EQ(names, (std::vector<std::string>{"Ftp_Download", "Http_Get", "Server_Connect",
                                               "Server_Connected", "Server_Disconnect",
                                               "Server_Post", "Set_Proxy_Server", "Smtp_Send"}));
    // Only system libraries are imported: a host copies one file.
    for (size_t i = dump.find("DLL Name: "); i != std::string::npos;
         i = dump.find("DLL Name: ", i + 1)) {
        std::string dll = dump.substr(i + 10, dump.find('\n', i) - i - 10);
        EXPECT_TRUE(dll == "KERNEL32.dll" || dll == "USER32.dll" || dll == "WS2_32.dll" ||
                    dll == "msvcrt.dll")
            << dll;
    }

    int dead = FreePort();
    ExpectOk(Host({"exports", "failures", std::to_string(dead)}), {"exports", "failures"});
}

TEST_F(WineHost, HttpGetDirectAndThroughTheProxy) {
    TTempDir dir;
    std::string page = "<html><body>";
    for (int i = 0; i < 2000; ++i) page += "line " + std::to_string(i) + "\r\n";
    page += "</body></html>";
    dir.Write("page.html", page);
    THttpServer http(dir.Path.string(), dir.File("http.log"));
    TProxy proxy(dir);
    std::string url = "http://127.0.0.1:" + std::to_string(http.Port) + "/page.html";
    std::string expected = WinPath(dir.File("page.html"));
    // The second fetch names the server by host name: the look-up goes through the system.
    std::string byName = "http://localhost:" + std::to_string(http.Port) + "/page.html";
    ExpectOk(Host({"http", url, expected, "http", byName, expected, "proxy",
                   std::to_string(proxy.Port), url, expected}),
             {"http", "proxy"});
}

TEST_F(WineHost, HostMessagesRunDuringASlowHttpGet) {
    TScriptServer slow([](TPeer& p, int) {
        SleepMs(700);
        p.Send("HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nslow body");
    });
    ExpectOk(Host({"pump", "http://127.0.0.1:" + std::to_string(slow.Port()) + "/slow"}),
             {"pump"});
}

TEST_F(WineHost, TheTimeOutBoundsASilentServer) {
    TScriptServer silent([](TPeer& p, int) { p.WaitClose(6000); });
    ExpectOk(Host({"timeout", "http://127.0.0.1:" + std::to_string(silent.Port()) + "/"}),
             {"timeout"});
}

TEST_F(WineHost, ADripFedGreetingIsBoundedAsAWhole) {
    TScriptServer drip(
        [](TPeer& p, int) {
            const std::string text = "220-welcome\r\n";
            for (int i = 0; i < 40; ++i) {
                p.Send(std::string(1, text[size_t(i) % text.size()]));
                pollfd q{p.Fd, POLLIN, 0};
                if (::poll(&q, 1, 300) > 0) {
                    char c;
                    if (::recv(p.Fd, &c, 1, MSG_DONTWAIT) <= 0) return;
                }
            }
        },
        false);
    ExpectOk(Host({"slowmail", std::to_string(drip.Port())}), {"slowmail"});
}

// A server that refuses PORT: the DLL falls back to passive mode.
TEST_F(WineHost, FtpFallsBackToPassive) {
    TTempDir dir;
    const std::string data = RandomBytes(200000);
    dir.Write("data.bin", data);
    TDataListener listener;
    TScriptedDialog server("220 ready\r\n", [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "USER ")) return "331 password please\r\n";
        if (StartsWith(line, "PASS ")) return "230 in\r\n";
        if (StartsWith(line, "TYPE ")) return "200 ok\r\n";
        if (StartsWith(line, "QUIT")) return "221 bye\r\n";
        if (StartsWith(line, "PORT ")) return "500 no PORT here\r\n";
        if (StartsWith(line, "PASV"))
            return "227 Entering Passive Mode (10,9,8,7," + std::to_string(listener.Port >> 8) +
                   "," + std::to_string(listener.Port & 0xFF) + ")\r\n";
        if (StartsWith(line, "RETR missing")) return "550 no such file\r\n";
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening (" + std::to_string(data.size()) + " bytes)\r\n");
            int fd = listener.Accept();
            SendAll(fd, data);
            ::close(fd);
            return "226 done\r\n";
        }
        return "502 not here\r\n";
    });
    ExpectOk(Host({"ftp", std::to_string(server.Port()), "data.bin", WinPath(dir.File("got.bin")),
                   WinPath(dir.File("data.bin"))}),
             {"ftp"});
    EXPECT_EQ(ReadFile(dir.File("got.bin")), data);
}

TEST_F(WineHost, FtpDownloadIsByteForByteWithProgressInRegisters) {
    TTempDir dir;
    std::filesystem::create_directories(dir.Path / "srv");
    // Every byte value, line ends of every kind and a DOS end-of-file mark.
    std::string data;
    for (int i = 0; i < 300000; ++i) data += char((i * 7 + i / 256) & 0xFF);
    data += "\r\n\n\r\x1a\x00 end";
    dir.Write("srv/data.bin", data);
    TFtpServer ftp((dir.Path / "srv").string(), dir.File("ftp.log"));
    // An earlier download is replaced.
    dir.Write("got.bin", "an older file");
    ExpectOk(Host({"ftp", std::to_string(ftp.Port), "data.bin", WinPath(dir.File("got.bin")),
                   WinPath(dir.File("srv/data.bin"))}),
             {"ftp"});
    EXPECT_EQ(ReadFile(dir.File("got.bin")), data);
    // No partial file is left beside it.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path)) files += e.is_regular_file();
    EXPECT_EQ(files, 2);  // got.bin and the server's log
}

TEST_F(WineHost, SmtpSendDeliversTheMail) {
    TTempDir dir;
    TSmtpServer smtp(dir.Path.string(), dir.File("smtp.log"));
    ExpectOk(Host({"smtp", std::to_string(smtp.Port)}), {"smtp"});
    std::string mail = smtp.Message(1);
    EXPECT_NE(mail.find("Subject: From the DLL"), std::string::npos) << mail;
    EXPECT_NE(mail.find("<p>Line one</p>"), std::string::npos) << mail;
    EXPECT_NE(mail.find(".starts with a dot"), std::string::npos) << mail;
}

TEST_F(WineHost, ServerTextReachesTheCallbackThroughTheHostsMessageLoop) {
    TScriptServer echo(
        [](TPeer& p, int) {
            std::string line = p.ReadUntil("\n", 8000);
            if (!line.empty()) p.Send(line);
            p.WaitClose(8000);
        },
        false);
    ExpectOk(Host({"server", std::to_string(echo.Port())}), {"server"});
    EXPECT_EQ(echo.Connections(), 1);
}

// The road for kernels without 32-bit execution: wine's 32-bit loader under qemu-i386.
TEST_F(WineHost, TheHostRunsUnderQemuToo) {
    if (std::system("command -v qemu-i386 >/dev/null") != 0)
        GTEST_SKIP() << "qemu-i386 is not installed (scripts/setup.sh installs it)";
    ExpectOk(Host({"exports", "failures", std::to_string(FreePort())}, "KESTRUP_WINE_QEMU=1"),
             {"exports", "failures"});
}
