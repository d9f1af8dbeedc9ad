// Ftp_Download and Smtp_Send through the built library, loaded as a host loads it.
#include <gtest/gtest.h>

#include "ProtocolPeers.h"
#include "Exports.h"

using namespace nettest;

namespace {

std::vector<std::pair<int32_t, int32_t>> GProgress;
int GNestedSend = -1;
std::string GSmtpHost;
int GSmtpPort = 0;

void Record(int32_t done, int32_t total) {
    GProgress.emplace_back(done, total);
    if (GNestedSend < 0 && GSmtpPort != 0)
        GNestedSend = Lib().Send("a@example.org", "A", "s", "b@example.org", "body",
                                 GSmtpHost.c_str(), GSmtpPort, "h", 1000);
}

}  // namespace

TEST(TransferExports, FtpDownload) {
    ASSERT_TRUE(Lib().Ready()) << ::dlerror();
    TTempDir root, local;
    const std::string data = RandomBytes(1 << 20);
    root.Write("big.bin", data);
    root.Write("small.txt", "small");
    TFtpServer ftp(root.Path.string(), local.File("ftpd.log"));
    TSmtpServer smtp(local.Path.string(), local.File("smtpd.log"));

    // Null progress: nothing to call, the file arrives in image type.
    ASSERT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "big.bin",
                             local.File("a.bin").c_str(), nullptr),
              1);
    EXPECT_TRUE(ReadFile(local.File("a.bin")) == data);

    // With progress: increasing counts; a nested call is refused while busy.
    GProgress.clear();
    GSmtpHost = "127.0.0.1";
    GSmtpPort = smtp.Port;
    ASSERT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "big.bin",
                             local.File("b.bin").c_str(), Record),
              1);
    GSmtpPort = 0;
    ASSERT_FALSE(GProgress.empty());
    EXPECT_EQ(GProgress.back().first, int32_t(data.size()));
    for (size_t i = 1; i < GProgress.size(); ++i)
        EXPECT_GT(GProgress[i].first, GProgress[i - 1].first);
    EXPECT_EQ(GProgress.back().second, 0);  // pyftpdlib announces no size
    EXPECT_EQ(GNestedSend, 0);

    // Failures are false and leave the library usable.
    local.Write("keep.txt", "old");
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "wrong", 8000, "small.txt",
                             local.File("keep.txt").c_str(), nullptr),
              0);
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "none.txt",
                             local.File("keep.txt").c_str(), nullptr),
              0);
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "small\r\nDELE x",
                             local.File("keep.txt").c_str(), nullptr),
              0);
    EXPECT_EQ(Lib().Download("127.0.0.1", FreePort(), "user", "secret", 3000, "small.txt",
                             local.File("keep.txt").c_str(), nullptr),
              0);
    EXPECT_EQ(Lib().Download(nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(ReadFile(local.File("keep.txt")), "old");
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "small.txt",
                             local.File("keep.txt").c_str(), nullptr),
              1);
    EXPECT_EQ(ReadFile(local.File("keep.txt")), "small");

    // The host's body cap bounds a download too; a file over it is not written.
    Lib().SetMaxBody(4096);
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "big.bin",
                             local.File("c.bin").c_str(), nullptr),
              0);
    EXPECT_FALSE(std::filesystem::exists(local.File("c.bin")));
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "small.txt",
                             local.File("c.bin").c_str(), nullptr),
              1);
    Lib().SetMaxBody(0);
    EXPECT_EQ(Lib().Download("127.0.0.1", ftp.Port, "user", "secret", 3000, "big.bin",
                             local.File("c.bin").c_str(), nullptr),
              1);
    EXPECT_TRUE(ReadFile(local.File("c.bin")) == data);
    Lib().SetMaxBody(int64_t(256) << 20);
}

TEST(TransferExports, SmtpSendThenHttpGet) {
    ASSERT_TRUE(Lib().Ready());
    TTempDir dir, web;
    TSmtpServer smtp(dir.Path.string(), dir.File("smtpd.log"));
    web.Write("page.txt", "after the mail");
    THttpServer http(web.Path.string(), dir.File("http.log"));

    ASSERT_EQ(Lib().Send("anna@example.org", "Anna", "Report", "bob@example.org",
                         "<p>one</p>\r\n.two\nthree\rfour", "127.0.0.1", smtp.Port,
                         "client.example", 3000),
              1);
    std::string got = smtp.Message(1);
    std::string mail = got.substr(got.find("\n\n") + 2);
    EXPECT_EQ(mail,
              "From: Anna<anna@example.org>\r\nTo: bob@example.org\r\nSubject: Report\r\n"
              "Mime-Version: 1.0\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n\r\n"
              "<p>one</p>\r\n.two\r\nthree\r\nfour\r\n");
    EXPECT_EQ(mail.find("Date"), std::string::npos);
    EXPECT_EQ(got.substr(0, 21), "HELO: client.example\n");

    // The busy mark is gone: the next operation runs.
    const char* page = Lib().Get(
        ("http://127.0.0.1:" + std::to_string(http.Port) + "/page.txt").c_str(), "", "", 3000);
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page, "after the mail");

    // Refusals: header injection, no sender, no server.
    EXPECT_EQ(Lib().Send("anna@example.org", "Anna", "x\r\nBcc: eve@example.org", "bob@example.org",
                         "b", "127.0.0.1", smtp.Port, "h", 3000),
              0);
    EXPECT_EQ(
        Lib().Send("", "Anna", "s", "bob@example.org", "b", "127.0.0.1", smtp.Port, "h", 3000), 0);
    EXPECT_EQ(Lib().Send("a@example.org", "A", "s", "b@example.org", "b", "127.0.0.1", FreePort(),
                         "h", 3000),
              0);
    EXPECT_EQ(Lib().Send(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0), 0);
    SleepMs(200);
    EXPECT_FALSE(std::filesystem::exists(dir.File("2.eml")));
    EXPECT_EQ(Lib().Send("a@example.org", "A", "s", "b@example.org", "b", "127.0.0.1", smtp.Port,
                         "h", 3000),
              1);
}
