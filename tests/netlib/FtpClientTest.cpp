// TFtpClient against pyftpdlib (active and passive, a real folder) and scripted
// servers for replies pyftpdlib does not give on request.
#include <gtest/gtest.h>

#include "FtpClient.h"
#include "ProtocolPeers.h"

using namespace kestrup;
using namespace nettest;

namespace {

std::unique_ptr<TFtpClient> Client(int port, bool passive, int timeOut = 3000) {
    auto c = std::make_unique<TFtpClient>();
    c->Host = "127.0.0.1";
    c->Port = port;
    c->UserID = "user";
    c->Password = "secret";
    c->Passive = passive;
    c->TimeOut = timeOut;
    return c;
}

// Leftovers of the temporary file beside a target.
bool PartFilesIn(const TTempDir& dir) {
    for (const auto& e : std::filesystem::directory_iterator(dir.Path))
        if (e.path().filename().string().find(".part-") != std::string::npos) return true;
    return false;
}

const std::string Greeting = "220 ready\r\n";

// Answers log-in and TYPE; PASV offers a listener under a foreign address.
std::string Usual(const std::string& line, TDataListener* data) {
    if (StartsWith(line, "USER ")) return "331 password please\r\n";
    if (StartsWith(line, "PASS ")) return "230 in\r\n";
    if (StartsWith(line, "TYPE ")) return "200 ok\r\n";
    if (StartsWith(line, "QUIT")) return "221 bye\r\n";
    if (StartsWith(line, "ABOR")) return "226 aborted\r\n";
    if (StartsWith(line, "PASV") && data)
        return "227 Entering Passive Mode (10,9,8,7," + std::to_string(data->Port >> 8) + "," +
               std::to_string(data->Port & 0xFF) + ")\r\n";
    return "502 not here\r\n";
}

}  // namespace

TEST(FtpReplies, AnnouncedSize) {
    EXPECT_EQ(AnnouncedSize("150 Opening BINARY mode data connection for a.bin (123456 bytes)"),
              123456);
    EXPECT_EQ(AnnouncedSize("125 Data connection open; 77 Bytes to go"), 77);
    // The number nearest before "BYTE" counts, not an earlier one.
    EXPECT_EQ(AnnouncedSize("150 file 2024.txt is 9 byte"), 9);
    EXPECT_EQ(AnnouncedSize("150 About to open data connection."), 0);
    // The reply code is no size.
    EXPECT_EQ(AnnouncedSize("150 bytes unknown"), 0);
    EXPECT_EQ(AnnouncedSize("150 Opening data connection for bytes.txt"), 0);
    EXPECT_EQ(AnnouncedSize("150 (99999999999999999999999 bytes)"), 0);
}

TEST(FtpReal, DownloadsActiveAndPassive) {
    TTempDir root, local;
    const std::string data = RandomBytes(300000);
    root.Write("file.bin", data);
    TFtpServer server(root.Path.string(), local.File("ftpd.log"));
    for (bool passive : {false, true}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        auto c = Client(server.Port, passive);
        int packets = 0;
        int64_t last = 0;
        c->OnPacketRecvd = [&](TSocketBase& d) {
            ++packets;
            EXPECT_GT(d.BytesRecvd, last);
            last = d.BytesRecvd;
        };
        bool connected = false;
        c->OnConnect = [&](TSocketBase&) { connected = true; };
        c->Connect();
        EXPECT_TRUE(connected);
        c->SetTransferType(2);
        std::string target = local.File(passive ? "p.bin" : "a.bin");
        c->Download("file.bin", target);
        EXPECT_EQ(c->DataConnection(), nullptr);  // freed after the transfer
        EXPECT_EQ(c->BytesTotal, int64_t(data.size()));
        EXPECT_GT(packets, 0);
        EXPECT_EQ(last, int64_t(data.size()));
        c->Disconnect();
        EXPECT_FALSE(c->Connected);
        EXPECT_TRUE(ReadFile(target) == data);
        // The same object logs in again after log-out.
        last = 0;
        c->Connect();
        c->SetTransferType(2);  // each session starts in ASCII, which would alter the bytes
        c->Download("file.bin", target);
        c->Disconnect();
        EXPECT_TRUE(ReadFile(target) == data);
    }
    EXPECT_FALSE(PartFilesIn(local));
}

TEST(FtpReal, RefusalsLeaveNoFile) {
    TTempDir root, local;
    root.Write("here.txt", "content");
    TFtpServer server(root.Path.string(), local.File("ftpd.log"));

    // pyftpdlib answers a wrong password only after three seconds.
    auto bad = Client(server.Port, true, 8000);
    bad->Password = "wrong";
    EXPECT_EQ(FailureOf([&] { bad->Connect(); }).substr(0, 3), "530");
    EXPECT_FALSE(bad->Connected);

    auto c = Client(server.Port, true);
    c->Connect();
    // 550 on RETR: no file is made, and an existing one keeps its content.
    EXPECT_EQ(FailureOf([&] { c->Download("missing.txt", local.File("new.txt")); }).substr(0, 3),
              "550");
    EXPECT_FALSE(std::filesystem::exists(local.File("new.txt")));
    local.Write("old.txt", "keep me");
    EXPECT_NE(FailureOf([&] { c->Download("missing.txt", local.File("old.txt")); }), "no failure");
    EXPECT_EQ(ReadFile(local.File("old.txt")), "keep me");
    // A failed command is offered to OnFailure, which may let it pass.
    int unsupported = 0;
    c->OnUnSupportedFunction = [&](TFtpClient&, TFtpCommand) { ++unsupported; };
    EXPECT_NE(FailureOf([&] { c->Command("XYZZY"); }), "no failure");
    EXPECT_EQ(unsupported, 1);
    c->OnFailure = [](TFtpClient&, TFtpCommand, bool& handled) { handled = true; };
    EXPECT_EQ(FailureOf([&] { c->Command("CWD nowhere"); }), "no failure");
    c->OnFailure = nullptr;
    // The session still works after the refusals.
    c->Download("here.txt", local.File("here.txt"));
    EXPECT_EQ(ReadFile(local.File("here.txt")), "content");
    c->Disconnect();
    EXPECT_FALSE(PartFilesIn(local));
}

TEST(FtpReal, EmptyLocalNameUsesRemoteName) {
    TTempDir root, local;
    root.Write("named.txt", "by name");
    TFtpServer server(root.Path.string(), local.File("ftpd.log"));
    auto here = std::filesystem::current_path();
    std::filesystem::current_path(local.Path);
    auto c = Client(server.Port, false);
    c->Connect();
    c->Download("named.txt", "");
    c->Disconnect();
    std::filesystem::current_path(here);
    EXPECT_EQ(ReadFile(local.File("named.txt")), "by name");
}

TEST(FtpScripted, GreetingLogInAndAnnouncedSize) {
    TDataListener data;
    const std::string payload = RandomBytes(200000);
    TScriptedDialog server("220-Welcome\r\n220-second line\r\n 220 indented line\r\n220 ready\r\n",
                           [&](const std::string& line, TPeer& peer) -> std::string {
                               if (StartsWith(line, "USER ")) return "230 no password needed\r\n";
                               if (StartsWith(line, "RETR ")) {
                                   peer.Send("150-Opening data connection\r\n150-for f.bin (" +
                                             std::to_string(payload.size()) +
                                             " bytes)\r\n150 go\r\n");
                                   int fd = data.Accept();
                                   SleepMs(50);
                                   SendAll(fd, payload);
                                   ::close(fd);
                                   return "226 done\r\n";
                               }
                               return Usual(line, &data);
                           });
    TTempDir local;
    auto c = Client(server.Port(), true);
    c->Host = "127.0.0.1";
    int64_t firstTotal = -1;
    c->OnPacketRecvd = [&](TSocketBase&) {
        if (firstTotal < 0) firstTotal = c->BytesTotal;
    };
    c->Connect();
    auto lines = server.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "USER user\r\n");  // only after the whole greeting
    EXPECT_FALSE(server.Received("PASS"));
    for (int type : {1, 2, 3, 9}) c->SetTransferType(type);
    lines = server.Lines();
    std::vector<std::string> types(lines.begin() + 1, lines.end());
    EXPECT_EQ(types, (std::vector<std::string>{"TYPE A\r\n", "TYPE I\r\n", "TYPE L 8\r\n"}));
    // The PASV reply names 10.9.8.7; the data connection still goes to the control host.
    c->Download("f.bin", local.File("f.bin"));
    EXPECT_EQ(firstTotal, int64_t(payload.size()));
    EXPECT_TRUE(ReadFile(local.File("f.bin")) == payload);
    c->Disconnect();
}

TEST(FtpScripted, IncompleteTransfersFail) {
    struct TCase {
        const char* Name;
        size_t Sent;
        const char* Closing;
    };
    for (TCase k : {TCase{"short", 500, "226 done\r\n"}, TCase{"426", 1000, "426 aborted\r\n"},
                    TCase{"cut", 1000, "<close>"}}) {
        SCOPED_TRACE(k.Name);
        TDataListener data;
        TScriptedDialog server(Greeting, [&](const std::string& line, TPeer& peer) -> std::string {
            if (StartsWith(line, "RETR ")) {
                peer.Send("150 Opening (1000 bytes)\r\n");
                int fd = data.Accept();
                SendAll(fd, std::string(k.Sent, 'x'));
                ::close(fd);
                SleepMs(50);
                return k.Closing;
            }
            return Usual(line, &data);
        });
        TTempDir local;
        local.Write("t.bin", "previous");
        auto c = Client(server.Port(), true);
        c->Connect();
        EXPECT_NE(FailureOf([&] { c->Download("t.bin", local.File("t.bin")); }), "no failure");
        EXPECT_EQ(ReadFile(local.File("t.bin")), "previous");
        EXPECT_FALSE(PartFilesIn(local));
        c.reset();
    }
}

// Transfers around whole receive blocks: exactly two blocks announced and sent, one byte
// short, one byte over. Progress rises with every block and ends at the size; only the
// whole file replaces the old one.
TEST(FtpScripted, BlockBoundaries) {
    const size_t size = 2 * DataBlockSize;
    const std::string payload = RandomBytes(size + 1);
    TDataListener data;
    size_t sent = 0;
    TScriptedDialog server(Greeting, [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening (" + std::to_string(size) + " bytes)\r\n");
            int fd = data.Accept();
            SendAll(fd, payload.substr(0, sent));
            ::close(fd);
            return sent > size ? "" : "226 done\r\n";
        }
        if (StartsWith(line, "ABOR")) return "426 aborted\r\n226 ABOR done\r\n";
        return Usual(line, &data);
    });
    TTempDir local;
    auto c = Client(server.Port(), true);
    c->MaxBody = int64_t(size);  // a file exactly at the cap is allowed
    std::vector<std::pair<int64_t, int64_t>> progress;
    c->OnPacketRecvd = [&](TSocketBase& d) { progress.emplace_back(d.BytesRecvd, c->BytesTotal); };
    c->Connect();
    for (size_t n : {size, size - 1, size + 1}) {
        SCOPED_TRACE(n);
        sent = n;
        progress.clear();
        local.Write("t.bin", "previous");
        const std::string failure = FailureOf([&] { c->Download("t.bin", local.File("t.bin")); });
        ASSERT_FALSE(progress.empty());
        for (size_t i = 0; i < progress.size(); ++i) {
            EXPECT_EQ(progress[i].second, int64_t(size));
            if (i > 0) {
                EXPECT_GT(progress[i].first, progress[i - 1].first);
            }
        }
        if (n == size) {
            EXPECT_EQ(failure, "no failure");
            EXPECT_EQ(progress.back().first, int64_t(size));
            EXPECT_TRUE(ReadFile(local.File("t.bin")) == payload.substr(0, size));
        } else {
            EXPECT_NE(failure, "no failure");
            EXPECT_EQ(ReadFile(local.File("t.bin")), "previous");
        }
        EXPECT_FALSE(PartFilesIn(local));
    }
    c->Disconnect();
}

TEST(FtpScripted, DownloadCap) {
    TDataListener data;
    std::string announce;
    size_t sent = 0;
    TScriptedDialog server(Greeting, [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening" + announce + "\r\n");
            int fd = data.Accept();
            SendAll(fd, std::string(sent, 'z'));  // ends early once the client closes
            ::close(fd);
            // A given-up transfer is answered after the client's ABOR.
            return sent > (1 << 20) || !announce.empty() ? "" : "226 done\r\n";
        }
        // As servers do: the cut transfer's reply, then, a little later, the one to ABOR.
        if (StartsWith(line, "ABOR")) {
            peer.Send("426 transfer aborted\r\n");
            SleepMs(100);
            return "226 ABOR done\r\n";
        }
        return Usual(line, &data);
    });
    TTempDir local;
    auto c = Client(server.Port(), true);
    c->MaxBody = 1 << 20;
    c->Connect();
    struct TCase {
        const char* Name;
        const char* Announce;
        size_t Sent;
    };
    for (TCase k : {TCase{"unannounced", "", size_t(3) << 20},
                    TCase{"announced", " (5000000 bytes)", 5000}}) {
        SCOPED_TRACE(k.Name);
        announce = k.Announce;
        sent = k.Sent;
        local.Write("t.bin", "previous");
        EXPECT_EQ(FailureOf([&] { c->Download("t.bin", local.File("t.bin")); }), "Body too large");
        EXPECT_EQ(ReadFile(local.File("t.bin")), "previous");
        EXPECT_FALSE(PartFilesIn(local));
    }
    // The server heard that the transfer was given up, and the session goes on.
    EXPECT_TRUE(server.Received("ABOR"));
    announce.clear();
    sent = 1 << 20;
    c->Download("t.bin", local.File("t.bin"));
    EXPECT_EQ(ReadFile(local.File("t.bin")), std::string(1 << 20, 'z'));
    c->Disconnect();
}

TEST(FtpScripted, ActiveWaitForServerIsBounded) {
    // A server that accepts PORT and RETR but never connects back.
    for (int timeOut : {0, 300}) {
        SCOPED_TRACE(timeOut);
        TScriptedDialog server(Greeting, [&](const std::string& line, TPeer&) -> std::string {
            if (StartsWith(line, "PORT ")) return "200 ok\r\n";
            if (StartsWith(line, "RETR ")) return "150 Opening\r\n";
            return Usual(line, nullptr);
        });
        TTempDir local;
        auto c = Client(server.Port(), false, timeOut);
        c->AcceptTimeOut = 400;  // stands in for the minute a client without time-out gets
        c->Connect();
        auto start = Clock::now();
        // Active mode gets nowhere: the transfer is stopped and passive is tried, which
        // this server does not offer either.
        EXPECT_EQ(FailureOf([&] { c->Download("x", local.File("x")); }), "502 not here");
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(server.Received("ABOR"));
        EXPECT_TRUE(server.Received("PASV"));
        EXPECT_FALSE(std::filesystem::exists(local.File("x")));
        EXPECT_FALSE(PartFilesIn(local));
    }
    EXPECT_EQ(TFtpClient().AcceptTimeOut, 60000);
}

TEST(FtpScripted, ActiveModeConnectsBackToPortAddress) {
    const std::string payload = "active payload";
    TScriptedDialog server(Greeting, [&](const std::string& line, TPeer& peer) -> std::string {
        static int port = 0;
        if (StartsWith(line, "PORT ")) {
            int h1, h2, h3, h4, p1, p2;
            if (std::sscanf(line.c_str(), "PORT %d,%d,%d,%d,%d,%d", &h1, &h2, &h3, &h4, &p1, &p2) !=
                    6 ||
                h1 != 127)
                return "501 bad PORT\r\n";
            port = p1 * 256 + p2;
            return "200 ok\r\n";
        }
        if (StartsWith(line, "RETR ")) {
            peer.Send("150 Opening\r\n");
            int fd = ConnectTo(port);
            SendAll(fd, payload);
            ::close(fd);
            return "226 done\r\n";
        }
        return Usual(line, nullptr);
    });
    TTempDir local;
    auto c = Client(server.Port(), false);
    c->Connect();
    c->Download("a", local.File("a"));
    EXPECT_EQ(ReadFile(local.File("a")), payload);
    EXPECT_EQ(c->BytesTotal, int64_t(payload.size()));  // no size announced: what came
}

TEST(FtpScripted, CancelSendsAbor) {
    TDataListener data;
    std::atomic<bool> stop{false};
    TScriptedDialog server(Greeting, [&](const std::string& line, TPeer& peer) -> std::string {
        if (StartsWith(line, "RETR ")) {
            std::thread([&] {
                int fd = data.Accept();
                SendAll(fd, std::string(4096, 'y'));
                while (!stop) SleepMs(10);
                ::close(fd);
            }).detach();
            return "150 Opening\r\n";
        }
        return Usual(line, &data);
    });
    TTempDir local;
    auto c = Client(server.Port(), true);
    c->OnPacketRecvd = [&](TSocketBase&) { c->Abort(); };
    c->Connect();
    EXPECT_NE(FailureOf([&] { c->Download("c", local.File("c")); }), "no failure");
    stop = true;
    EXPECT_TRUE(server.Received("ABOR"));
    EXPECT_FALSE(std::filesystem::exists(local.File("c")));
    EXPECT_FALSE(PartFilesIn(local));
    SleepMs(30);
}

TEST(FtpScripted, LineBreaksInArgumentsAreRefused) {
    TScriptedDialog server(Greeting,
                           [](const std::string& line, TPeer&) { return Usual(line, nullptr); });
    for (const char* field : {"user", "password"}) {
        auto c = Client(server.Port(), true);
        (std::string(field) == "user" ? c->UserID : c->Password) = "x\r\nDELE important";
        EXPECT_EQ(FailureOf([&] { c->Connect(); }).substr(0, 21), "Invalid character in ");
    }
    EXPECT_EQ(server.Connections(), 0);  // refused before connecting

    auto c = Client(server.Port(), true);
    c->Connect();
    TTempDir local;
    for (const std::string& remote :
         std::vector<std::string>{"a\nDELE b", "a\rb", std::string("a\0b", 3)})
        EXPECT_EQ(FailureOf([&] { c->Download(remote, local.File("r")); }),
                  "Invalid character in remote file name");
    c->Disconnect();
    EXPECT_FALSE(server.Received("RETR"));
    EXPECT_FALSE(server.Received("DELE"));
}

TEST(FtpScripted, ProxyLogIns) {
    // The scripted server plays the proxy; the target is named in the log-in.
    struct TCase {
        TFirewallType Type;
        std::vector<std::string> Expected;
    };
    for (const TCase& k :
         {TCase{FTUser, {"USER user@target.example\r\n", "PASS secret\r\n"}},
          TCase{FtOpen, {"OPEN target.example\r\n", "USER user\r\n", "PASS secret\r\n"}},
          TCase{FtSite, {"SITE target.example\r\n", "USER user\r\n", "PASS secret\r\n"}}}) {
        TScriptedDialog server(Greeting, [](const std::string& line, TPeer&) {
            if (StartsWith(line, "OPEN") || StartsWith(line, "SITE"))
                return std::string("200 ok\r\n");
            return Usual(line, nullptr);
        });
        auto c = Client(0, true);
        c->Host = "target.example";
        c->Proxy = "127.0.0.1";
        c->ProxyPort = server.Port();
        c->FirewallType = k.Type;
        c->Connect();
        EXPECT_EQ(server.Lines(), k.Expected);
        c.reset();
    }
}

TEST(FtpScripted, FirewallLogInAndFailureClosesConnection) {
    TScriptedDialog server(Greeting, [](const std::string& line, TPeer&) -> std::string {
        if (line == "USER fw\r\n") return "331 fw password\r\n";
        if (line == "PASS fwpass\r\n") return "230 through\r\n";
        if (StartsWith(line, "USER ")) return "331 password please\r\n";
        if (StartsWith(line, "PASS ")) return "530 Login incorrect\r\n";
        return Usual(line, nullptr);
    });
    auto c = Client(server.Port(), true);
    c->FWAuthenticate = true;
    c->FWUserID = "fw";
    c->FWPassword = "fwpass";
    int failed = 0;
    c->OnConnectionFailed = [&](TSocketBase&) { ++failed; };
    EXPECT_EQ(FailureOf([&] { c->Connect(); }), "530 Login incorrect");
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(c->Connected);
    SleepMs(50);
    auto lines = server.Lines();
    std::vector<std::string> expected = {"USER fw\r\n", "PASS fwpass\r\n", "USER user\r\n",
                                         "PASS secret\r\n", "QUIT\r\n"};
    EXPECT_EQ(lines, expected);
}

TEST(FtpScripted, EndlessReplyIsCut) {
    // A greeting that never ends: continuation lines without a last line.
    TScriptServer endless(
        [](TPeer& peer, int) {
            std::string lines;
            for (int i = 0; i < 2000; ++i) lines += "220-more\r\n";
            peer.Send(lines);
            peer.WaitClose(500);
        },
        false);
    auto c = Client(endless.Port(), true, 500);  // the QUIT after the failure gets no answer
    EXPECT_EQ(FailureOf([&] { c->Connect(); }), "Reply too long");
    TScriptServer wide(
        [](TPeer& peer, int) {
            peer.Send("220 " + std::string(20000, 'w') + "\r\n");
            peer.WaitClose(500);
        },
        false);
    auto w = Client(wide.Port(), true, 500);
    EXPECT_EQ(FailureOf([&] { w->Connect(); }), "Reply line too long");
}
