// TSmtpClient: the message build offline, then aiosmtpd (the message as received)
// and scripted servers for refusals.
#include <gtest/gtest.h>

#include "ProtocolPeers.h"
#include "SmtpClient.h"

using namespace kestrup;
using namespace nettest;

namespace {

std::unique_ptr<TSmtpClient> Client(int port) {
    auto c = std::make_unique<TSmtpClient>();
    c->Host = "127.0.0.1";
    c->Port = port;
    c->UserID = "client.example";
    c->TimeOut = 3000;
    TPostMessage& m = c->PostMessage;
    m.FromName = "Anna";
    m.FromAddress = "anna@example.org";
    m.Subject = "Greetings";
    m.ToAddress = {"bob@example.org"};
    m.Body = {"Hello"};
    return c;
}

// Standard decoding of the classic uuencoding lines written without begin/end.
std::string UUDecode(const std::string& text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end - pos);
        pos = end == std::string::npos ? text.size() : end + 2;
        if (line.empty() || line[0] == '`') break;
        int count = (line[0] - 32) & 63;
        std::string bits;
        for (size_t i = 1; i < line.size(); i += 4) {
            int v[4];
            for (int k = 0; k < 4; ++k) {
                char c = i + k < line.size() ? line[i + k] : '`';
                v[k] = (c - 32) & 63;
            }
            bits += char((v[0] << 2) | (v[1] >> 4));
            bits += char((v[1] << 4) | (v[2] >> 2));
            bits += char((v[2] << 6) | v[3]);
        }
        out += bits.substr(0, size_t(count));
    }
    return out;
}

// The part of a received message between the blank line after its headers and
// the next boundary line.
std::string PartBody(const std::string& message, const std::string& name) {
    size_t at = message.find("filename=\"" + name + "\"");
    if (at == std::string::npos) return {};
    size_t start = message.find("\r\n\r\n", at) + 4;
    size_t end = message.find("\r\n--", start);
    return message.substr(start, end - start + 2);
}

std::string SmtpUsual(const std::string& line) {
    if (StartsWith(line, "HELO ")) return "250 hello\r\n";
    if (StartsWith(line, "RSET")) return "250 ok\r\n";
    if (StartsWith(line, "MAIL FROM")) return "250 ok\r\n";
    if (StartsWith(line, "RCPT TO")) return "250 ok\r\n";
    if (StartsWith(line, "DATA")) return "354 go on\r\n";
    if (line == ".\r\n") return "250 queued\r\n";
    if (StartsWith(line, "QUIT")) return "221 bye\r\n";
    return std::string();  // message lines get no answer
}

}  // namespace

TEST(SmtpBuild, HeaderLinesAndBodyTypes) {
    auto c = Client(25);
    c->SubType = mtHtml;
    c->BuildMessage();
    std::vector<std::string> expected = {"From: Anna<anna@example.org>", "To: bob@example.org",
                                         "Subject: Greetings", "Mime-Version: 1.0",
                                         "Content-Type: text/html; charset=us-ascii"};
    EXPECT_EQ(c->FinalHeader.Lines, expected);

    TPostMessage& m = c->PostMessage;
    m.ToAddress = {"Bob <bob@example.org>", "carl@example.org"};
    m.ToCarbonCopy = {"dora@example.org"};
    m.ToBlindCarbonCopy = {"eve@example.org"};
    m.LocalProgram = "Prog 1";
    m.ReplyTo = "reply@example.org";
    m.Date = "Tue, 8 Dec 2026 10:00:00 +0000";
    m.Subject.clear();
    c->Charset = "iso-8859-1";
    c->SubType = mtTabSeperated;
    c->BuildMessage();
    expected = {"From: Anna<anna@example.org>",
                "To: Bob <bob@example.org>,carl@example.org",
                "CC: dora@example.org",
                "X-Mailer: Prog 1",
                "Reply-To: reply@example.org",
                "Date: Tue, 8 Dec 2026 10:00:00 +0000",
                "Mime-Version: 1.0",
                "Content-Type: text/tab-separated-values; charset=iso-8859-1"};
    EXPECT_EQ(c->FinalHeader.Lines, expected);  // no line names the blind copy

    EXPECT_EQ(RecipientAddress("Bob <bob@example.org>"), "bob@example.org");
    EXPECT_EQ(RecipientAddress("bob@example.org"), "bob@example.org");
    EXPECT_EQ(RecipientAddress("SMTP:bob@example.org:x"), "bob@example.org");
}

TEST(SmtpBuild, BodyLinesAreStuffedAndSplit) {
    auto c = Client(25);
    c->PostMessage.Body = {".starts with a dot", "", ".", "one\rtwo\nthree\r\nfour", "end"};
    c->BuildMessage();
    EXPECT_EQ(c->BodyStream().Data(),
              "..starts with a dot\r\n\r\n..\r\none\r\ntwo\r\nthree\r\nfour\r\nend\r\n");
    EXPECT_EQ(SplitBodyText("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitBodyText("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(SmtpBuild, AttachmentsMakeMultipart) {
    TTempDir dir;
    dir.Write("data.bin", "abc");
    auto c = Client(25);
    c->SubType = mtHtml;  // the text part is plain whatever the type says
    c->PostMessage.Attachments = {dir.File("data.bin")};
    int encodes = 0;
    c->OnEncodeStart = [&](TSmtpClient&) { ++encodes; };
    c->OnEncodeEnd = [&](TSmtpClient&) { ++encodes; };
    c->BuildMessage();
    const std::string b = c->Boundary();
    ASSERT_EQ(b.size(), 20 + 5 + 6 + 4);
    EXPECT_EQ(b.substr(0, 25), "====================54535");
    for (char ch : b.substr(25, 6)) EXPECT_TRUE(ch >= 'a' && ch <= 'y');
    EXPECT_EQ(b.substr(31), "====");
    EXPECT_EQ(c->FinalHeader.Lines.back(), "Content-Type: multipart/mixed; boundary=\"" + b + "\"");
    EXPECT_EQ(c->BodyStream().Data(),
              "--" + b + "\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nHello\r\n" + "--" +
                  b + "\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n" +
                  "Content-Transfer-Encoding: base64\r\n" +
                  "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\n" + "YWJj\r\n--" +
                  b + "--\r\n");
    EXPECT_EQ(encodes, 2);

    std::string missing;
    c->PostMessage.Attachments = {dir.File("gone.bin")};
    c->OnAttachmentNotFound = [&](TSmtpClient&, const std::string& path) { missing = path; };
    EXPECT_NE(FailureOf([&] { c->BuildMessage(); }), "no failure");
    EXPECT_EQ(missing, dir.File("gone.bin"));
}

TEST(SmtpBuild, LineBreaksInHeaderFieldsAreRefused) {
    auto c = Client(25);
    for (int field = 0; field < 4; ++field) {
        auto k = Client(25);
        TPostMessage& m = k->PostMessage;
        std::string bad = std::string("x\r\nBcc: victim@example.org");
        if (field == 0) m.Subject = bad;
        if (field == 1) m.FromName = bad;
        if (field == 2) m.ToAddress = {bad};
        if (field == 3) m.FromAddress = std::string("a\0b", 3);
        EXPECT_EQ(FailureOf([&] { k->BuildMessage(); }).substr(0, 21), "Invalid character in ");
    }
}

TEST(SmtpReal, MessageAsReceived) {
    TTempDir dir;
    TSmtpServer server(dir.Path.string(), dir.File("smtpd.log"));
    auto c = Client(server.Port);
    c->SubType = mtHtml;
    c->PostMessage.ToAddress = {"Bob Example <bob@example.org>"};
    c->PostMessage.Body = {"<p>Hi</p>", ".hidden dot", ".", "last"};
    bool connected = false, started = false, succeeded = false;
    c->OnConnect = [&](TSocketBase&) { connected = true; };
    c->OnSendStart = [&](TSmtpClient&) { started = true; };
    c->OnSuccess = [&](TSmtpClient&) { succeeded = true; };
    c->Connect();
    EXPECT_TRUE(connected);
    c->SendMail();
    EXPECT_TRUE(started && succeeded);
    // ClearParams empties the recipients but keeps the rest.
    EXPECT_TRUE(c->PostMessage.ToAddress.empty());
    EXPECT_EQ(c->PostMessage.Body.size(), 4u);
    EXPECT_EQ(c->PostMessage.Subject, "Greetings");
    c->Disconnect();
    EXPECT_FALSE(c->Connected);

    std::string got = server.Message(1);
    EXPECT_EQ(got.substr(0, got.find("\n\n") + 2),
              "HELO: client.example\nFROM: anna@example.org\nTO: bob@example.org\n\n");
    std::string mail = got.substr(got.find("\n\n") + 2);
    EXPECT_EQ(mail,
              "From: Anna<anna@example.org>\r\nTo: Bob Example <bob@example.org>\r\n"
              "Subject: Greetings\r\nMime-Version: 1.0\r\n"
              "Content-Type: text/html; charset=us-ascii\r\n\r\n\r\n"
              "<p>Hi</p>\r\n.hidden dot\r\n.\r\nlast\r\n");
}

TEST(SmtpReal, AttachmentsSurviveTheDotRule) {
    TTempDir dir;
    TSmtpServer server(dir.Path.string(), dir.File("smtpd.log"));
    // 14 bytes give a uuencoded line that starts with '.'; 45 + 14 gives it as
    // the second line.
    const std::string small = RandomBytes(14, 3), longer = RandomBytes(59, 5);
    const std::string big = RandomBytes(100000, 9);
    dir.Write("small.bin", small);
    dir.Write("longer.bin", longer);
    dir.Write("big.bin", big);
    // Base64 lines never start with '.'; the encoders themselves have their own tests.
    {
        auto c = Client(server.Port);
        c->EncodeType = uuCode;
        c->PostMessage.Attachments = {dir.File("small.bin"), dir.File("longer.bin"),
                                      dir.File("big.bin")};
        c->Connect();
        c->SendMail();
        c->Disconnect();
        std::string mail = server.Message(1);
        auto decode = [&](const std::string& name) { return UUDecode(PartBody(mail, name)); };
        EXPECT_TRUE(decode("small.bin") == small);
        EXPECT_TRUE(decode("longer.bin") == longer);
        EXPECT_TRUE(decode("big.bin") == big);
        EXPECT_NE(mail.find("\r\n--" + c->Boundary() + "--\r\n"), std::string::npos);
    }
}

TEST(SmtpReal, RefusedRecipients) {
    TTempDir dir;
    TSmtpServer server(dir.Path.string(), dir.File("smtpd.log"));
    // One refusal among good recipients: the rest get the message.
    auto c = Client(server.Port);
    c->PostMessage.ToAddress = {"nobody@example.org", "bob@example.org"};
    c->Connect();
    c->SendMail();
    std::string got = server.Message(1);
    EXPECT_NE(got.find("TO: bob@example.org\n"), std::string::npos);
    EXPECT_EQ(got.find("nobody@example.org\n"), std::string::npos);
    // Every recipient refused: the server refuses DATA and the send fails.
    c->PostMessage.ToAddress = {"nobody@example.org"};
    EXPECT_NE(FailureOf([&] { c->SendMail(); }), "no failure");
    // With a handler, each refusal is reported with its entry.
    std::vector<std::string> refused;
    c->OnRecipientNotFound = [&](TSmtpClient&, const std::string& e) { refused.push_back(e); };
    c->PostMessage.ToAddress = {"bob@example.org"};
    c->PostMessage.ToCarbonCopy = {"Nobody <nobody@example.org>"};
    c->SendMail();
    EXPECT_EQ(refused, std::vector<std::string>{"Nobody <nobody@example.org>"});
    c->Disconnect();
}

TEST(SmtpScripted, IncompleteHeaderSendsNoEnvelope) {
    TScriptedDialog server("220 hi\r\n", [](const std::string& l, TPeer&) { return SmtpUsual(l); });
    auto c = Client(server.Port());
    c->PostMessage.FromAddress.clear();
    c->Connect();
    EXPECT_EQ(FailureOf([&] { c->SendMail(); }), "Incomplete Header");
    // A handler may fill in what is missing.
    int reason = 0;
    c->OnHeaderIncomplete = [&](TSmtpClient& s, bool& handled, int why) {
        reason = why;
        s.PostMessage.FromAddress = "late@example.org";
        handled = true;
    };
    c->PostMessage.ToAddress.clear();
    c->PostMessage.ToBlindCarbonCopy = {"hidden@example.org"};
    EXPECT_EQ(FailureOf([&] { c->SendMail(); }), "no failure");
    EXPECT_EQ(reason, 1);
    c->Disconnect();
    auto lines = server.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "RSET\r\n");  // nothing of the first attempt was sent
    EXPECT_EQ(lines[2], "MAIL FROM:<late@example.org>\r\n");
    EXPECT_EQ(lines[3], "RCPT TO:<hidden@example.org>\r\n");
}

TEST(SmtpScripted, HeloRefusedClosesWithQuit) {
    TScriptedDialog server("220-first\r\n220 second\r\n", [](const std::string& l, TPeer&) {
        if (StartsWith(l, "HELO ")) return std::string("501 Syntax error\r\n");
        return SmtpUsual(l);
    });
    auto c = Client(server.Port());
    int asked = 0;
    c->OnAuthenticationFailed = [&](TSmtpClient&, bool& handled) {
        ++asked;
        handled = true;  // one more try, then the failure stands
    };
    EXPECT_EQ(FailureOf([&] { c->Connect(); }), "Authentication failed");
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(c->Connected);
    SleepMs(50);
    EXPECT_EQ(server.Lines(), (std::vector<std::string>{"HELO client.example\r\n",
                                                        "HELO client.example\r\n", "QUIT\r\n"}));
}

TEST(SmtpScripted, FinalReplyDecides) {
    bool refuse = true;
    TScriptedDialog server("220 hi\r\n", [&](const std::string& l, TPeer&) {
        if (l == ".\r\n" && refuse) return std::string("554 rejected\r\n");
        return SmtpUsual(l);
    });
    auto c = Client(server.Port());
    int failures = 0;
    c->OnFailure = [&](TSmtpClient&) { ++failures; };
    c->Connect();
    EXPECT_EQ(FailureOf([&] { c->SendMail(); }), "554 rejected");
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(c->PostMessage.ToAddress.empty());  // kept for another try
    refuse = false;
    c->SendMail();  // the failure cleared the sending mark
    EXPECT_TRUE(c->PostMessage.ToAddress.empty());
    c->Disconnect();
}
