// THttpClient: URL forms and request lines offline, then real and scripted servers.
#include <gtest/gtest.h>

#include <fstream>
#include <malloc.h>

#include "HttpClient.h"
#include "TestSupport.h"

using namespace kestrup;
using namespace nettest;

namespace {

std::unique_ptr<THttpClient> Client(int timeOut = 3000) {
    auto c = std::make_unique<THttpClient>();
    c->TimeOut = timeOut;
    c->Header.clear();
    c->Body.clear();
    return c;
}

std::string Prepared(THttpClient& c, const std::string& url, THttpRequest kind = hrGet,
                     const std::string& data = {}, const std::string& extra = {}) {
    c.SetRequest(kind, url, data, extra);
    c.ParseUrl();
    c.BuildHeader();
    return c.RequestHeader().Text();
}

std::string Url(int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

// Closes the connection with a reset instead of an orderly end.
void Reset(TPeer& p) {
    linger lg{1, 0};
    ::setsockopt(p.Fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    ::shutdown(p.Fd, SHUT_RD);
}

std::string Reply(const std::string& status, const std::string& headers, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\n" + headers + "\r\n" + body;
}

}  // namespace

TEST(HttpUrl, Forms) {
    auto c = Client();
    Prepared(*c, "http://example.org");
    EXPECT_EQ(c->Url(), "http://example.org/");
    EXPECT_EQ(c->Path(), "/");
    EXPECT_EQ(c->Host, "example.org");
    EXPECT_EQ(c->Port, 80);

    Prepared(*c, "http://example.org:8080/a/b");
    EXPECT_EQ(c->Port, 8080);
    EXPECT_EQ(c->Path(), "/a/b");
    // A relative location keeps host and port.
    Prepared(*c, "/c?d");
    EXPECT_EQ(c->Host, "example.org");
    EXPECT_EQ(c->Port, 8080);
    EXPECT_EQ(c->Path(), "/c?d");

    Prepared(*c, "gopher://g.org/x");
    EXPECT_EQ(c->Port, 70);
    Prepared(*c, "ftp://f.org/x");
    EXPECT_EQ(c->Port, 21);
    Prepared(*c, "localhost:81/y");
    EXPECT_EQ(c->Host, "localhost");
    EXPECT_EQ(c->Port, 81);

    EXPECT_EQ(FailureOf([&] { Prepared(*c, ""); }), "Empty URL");
    EXPECT_EQ(FailureOf([&] { Prepared(*c, "http://h:99999/"); }), "Invalid port in URL");
}

TEST(HttpUrl, RequestHeaderOrder) {
    auto c = Client();
    c->HeaderInfo.LocalProgram = "Prog";
    c->HeaderInfo.LocalMailAddress = "me@x";
    c->HeaderInfo.Cookie = "k=v";
    c->HeaderInfo.Referer = "http://r/";
    c->HeaderInfo.UserId = "user";
    c->HeaderInfo.Password = "pass";
    std::string h = Prepared(*c, "http://example.org/p", hrPost, "a b");
    EXPECT_EQ(h,
              "POST /p HTTP/1.0\r\n"
              "Host: example.org\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "User-Agent: Prog\r\nFrom: me@x\r\nCookie: k=v\r\nReferer: http://r/\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 3\r\n");

    // Through a proxy: the whole URL, unchanged, and exactly one Host line.
    auto p = Client();
    p->Proxy = "proxy";
    p->ProxyPort = 3128;
    h = Prepared(*p, "http://example.org/", hrCopy, {}, "http://example.org/new");
    EXPECT_EQ(h.substr(0, h.find("Accept")),
              "COPY http://example.org/ HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n"
              "Host: example.org\r\n");
    EXPECT_NE(h.find("URI-header: http://example.org/new\r\n"), std::string::npos);
    h = Prepared(*p, "http://example.org/", hrLink, {}, "<x>");
    EXPECT_NE(h.find("Link: <x>\r\nContent-Length: 0\r\n"), std::string::npos);
}

TEST(HttpUrl, RefusedBeforeConnecting) {
    TScriptServer server([](TPeer&, int) {});
    auto c = Client();
    EXPECT_EQ(
        FailureOf([&] { c->Get("https://127.0.0.1:" + std::to_string(server.Port()) + "/"); }),
        "HTTP Secure Socket is not supported");
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/a\r\nX-Evil: 1")); }),
              "Invalid character in URL");
    c->HeaderInfo.UserId = "u\nX-Evil: 1";
    c->HeaderInfo.Password = "p";
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }),
              "Invalid character in user name or password");
    SleepMs(50);
    EXPECT_EQ(server.Connections(), 0);
}

TEST(HttpReal, GetsTextBinaryAndLargeFiles) {
    TTempDir dir;
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += char(i % 256);
    std::string large(8 << 20, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = char((i * 2654435761u) >> 24);
    dir.Write("a.txt", "hello\n");
    dir.Write("b.bin", binary);
    dir.Write("large.bin", large);
    THttpServer server(dir.Path.string(), dir.File("server.log"));
    auto c = Client();
    c->Get(Url(server.Port, "/a.txt"));
    EXPECT_EQ(c->ReplyNumber, 200);
    EXPECT_EQ(c->Body, "hello\n");
    EXPECT_EQ(c->Header.substr(0, 17), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(c->Header.substr(c->Header.size() - 4), "\r\n\r\n");
    c->Get(Url(server.Port, "/b.bin"));
    EXPECT_EQ(c->Body, binary);
    c->Get(Url(server.Port, "/large.bin"));
    EXPECT_EQ(c->BytesTotal, int64_t(large.size()));
    EXPECT_TRUE(c->Body == large);

    // An error page is no failure: its body comes back.
    int failures = 0;
    c->OnFailure = [&](THttpClient&, THttpRequest) { ++failures; };
    c->Get(Url(server.Port, "/missing"));
    EXPECT_EQ(c->ReplyNumber, 404);
    EXPECT_EQ(failures, 1);
    EXPECT_NE(c->Body.find("404"), std::string::npos);

    // Body and header into files.
    c->InputFileMode = true;
    c->OutputFileMode = true;
    c->Body = dir.File("body.out");
    c->Header = dir.File("head.out");
    c->Get(Url(server.Port, "/b.bin"));
    EXPECT_EQ(ReadFile(dir.File("body.out")), binary);
    EXPECT_EQ(ReadFile(dir.File("head.out")).substr(0, 15), "HTTP/1.0 200 OK");
}

TEST(HttpReal, ThroughTinyproxy) {
    TTempDir dir;
    dir.Write("page.html", "<p>via proxy</p>");
    THttpServer server(dir.Path.string(), dir.File("server.log"));
    TProxy proxy(dir);
    auto c = Client(5000);
    c->Proxy = "127.0.0.1";
    c->ProxyPort = proxy.Port;
    c->Get(Url(server.Port, "/page.html"));
    EXPECT_EQ(c->ReplyNumber, 200);
    EXPECT_EQ(c->Body, "<p>via proxy</p>");
}

TEST(HttpScripted, RedirectKeepsCookieAndCredentialsWithTheirServer) {
    int port = 0;
    TScriptServer server([&](TPeer& p, int index) {
        if (index == 0)  // same server: the cookie it sets comes back to it
            p.Send(Reply("302 Found", "Location: /mid\r\nSet-Cookie: session=abc\r\n", "moved"));
        else if (index == 1)
            p.Send(Reply("302 Found",
                         "Location: http://localhost:" + std::to_string(port) + "/next\r\n",
                         "moved"));
        else if (index == 2)  // relative, without a slash: same server and port
            p.Send(Reply("301 Moved", "Location: last\r\n", ""));
        else
            p.Send(Reply("200 OK", "", "arrived"));
    });
    port = server.Port();
    auto c = Client();
    c->HeaderInfo.UserId = "user";
    c->HeaderInfo.Password = "secret";
    int redirects = 0;
    c->OnRedirect = [&](THttpClient&, bool&) { ++redirects; };
    c->Get(Url(port, "/start"));
    EXPECT_EQ(c->Body, "arrived");
    EXPECT_EQ(redirects, 3);
    EXPECT_EQ(c->Url(), "http://localhost:" + std::to_string(port) + "/last");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].substr(0, 21), "GET /start HTTP/1.0\r\n");
    EXPECT_NE(requests[0].find("Authorization: Basic dXNlcjpzZWNyZXQ=\r\n"), std::string::npos);
    EXPECT_EQ(requests[1].substr(0, 19), "GET /mid HTTP/1.0\r\n");
    EXPECT_NE(requests[1].find("Cookie: session=abc\r\n"), std::string::npos);
    // Another host name is another server: neither cookie nor credentials go there.
    EXPECT_EQ(requests[2].substr(0, 20), "GET /next HTTP/1.0\r\n");
    EXPECT_NE(requests[2].find("Host: localhost\r\n"), std::string::npos);
    EXPECT_EQ(requests[2].find("Cookie"), std::string::npos);
    EXPECT_EQ(requests[2].find("Authorization"), std::string::npos);
    EXPECT_EQ(requests[3].substr(0, 20), "GET /last HTTP/1.0\r\n");
    EXPECT_EQ(requests[3].find("Cookie"), std::string::npos);
}

TEST(HttpScripted, CookieSetOnAnotherPortStaysThere) {
    TScriptServer last([](TPeer& p, int) { p.Send(Reply("200 OK", "", "done")); });
    TScriptServer first([&](TPeer& p, int) {
        p.Send(Reply("302 Found", "Set-Cookie: id=1\r\nLocation: " + Url(last.Port(), "/") + "\r\n",
                     ""));
    });
    auto c = Client();
    c->Get(Url(first.Port(), "/"));
    EXPECT_EQ(c->Body, "done");
    ASSERT_EQ(last.Requests().size(), 1u);
    EXPECT_EQ(last.Requests()[0].find("Cookie"), std::string::npos);
}

TEST(HttpScripted, NoAuthorizationWithEmptyPasswordAndPostBody) {
    TScriptServer server([](TPeer& p, int) { p.Send(Reply("200 OK", "", "ok")); });
    auto c = Client();
    c->HeaderInfo.UserId = "user";
    c->Get(Url(server.Port(), "/"));
    c->Post(Url(server.Port(), "/form"), "a b/c");
    c->Put(Url(server.Port(), "/put"), "raw a/b");
    auto r = server.Requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].find("Authorization"), std::string::npos);
    EXPECT_NE(r[1].find("Content-Length: 7\r\n\r\na+b%2fc"), std::string::npos);
    EXPECT_NE(r[2].find("Content-Length: 7\r\n\r\nraw a/b"), std::string::npos);
}

TEST(HttpScripted, RepeatsAreBounded) {
    TScriptServer server(
        [](TPeer& p, int) { p.Send(Reply("302 Found", "Location: /again\r\n", "")); });
    auto c = Client();
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "Too many redirects");
    EXPECT_EQ(server.Connections(), MaxRedirects + 1);
}

TEST(HttpScripted, OddRepliesAndPieces) {
    TScriptServer server([](TPeer& p, int index) {
        switch (index) {
            case 0:  // a status line without a number
                p.Send("HTTP/1.0 OK\r\n\r\nplain");
                break;
            case 1:  // everything in small pieces
                for (char ch : Reply("200 OK", "X-A: 1\r\n", "piecewise body")) {
                    p.Send(std::string(1, ch));
                    SleepMs(2);
                }
                break;
            case 2:  // closed before any reply
                break;
            case 3:  // closed in the middle of the body
                p.Send(Reply("200 OK", "Content-Length: 100\r\n", "partial"));
                break;
            case 4:  // reset in the middle of a long body
                p.Send(Reply("200 OK", "Content-Length: 100000\r\n", std::string(5000, 'r')));
                SleepMs(50);
                Reset(p);
                break;
            case 5:  // reset after a body without a length
                p.Send(Reply("200 OK", "", std::string(5000, 'n')));
                SleepMs(50);
                Reset(p);
                break;
        }
    });
    auto c = Client();
    int successes = 0;
    c->OnSuccess = [&](THttpClient&, THttpRequest) { ++successes; };
    c->Get(Url(server.Port(), "/"));
    EXPECT_EQ(c->ReplyNumber, 0);
    EXPECT_EQ(successes, 1);
    EXPECT_EQ(c->Body, "plain");
    c->Get(Url(server.Port(), "/"));
    EXPECT_EQ(c->ReplyNumber, 200);
    EXPECT_EQ(c->Body, "piecewise body");
    EXPECT_NE(c->Header.find("X-A: 1\r\n"), std::string::npos);
    c->Get(Url(server.Port(), "/"));
    EXPECT_EQ(c->ReplyNumber, 0);
    EXPECT_EQ(c->Body, "");
    // A body shorter than its length, or one ended by a reset, is a failure.
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }),
              "Body shorter than its Content-Length");
    EXPECT_NE(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "no failure");
    EXPECT_NE(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "no failure");
    EXPECT_EQ(successes, 3);  // the first three
}

TEST(HttpScripted, KeptOpenConnectionsAndSilence) {
    TScriptServer server([](TPeer& p, int index) {
        if (index == 0) p.Send(Reply("200 OK", "Content-Length: 5\r\n", "12345"));
        if (index == 1) p.Send(Reply("200 OK", "Content-Length: 999\r\n", ""));  // HEAD
        if (index == 2) p.Send(Reply("200 OK", "", "no length"));                // and silence
        p.WaitClose(3000);
    });
    auto c = Client(1000);
    c->Get(Url(server.Port(), "/"));
    EXPECT_EQ(c->Body, "12345");
    c->Head(Url(server.Port(), "/"));
    EXPECT_EQ(c->Body, "");
    // Without a length the body runs until the close, here until the time-out.
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "Socket capture aborted");
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "Socket readln aborted");
}

TEST(HttpScripted, HostileHeaderIsRefused) {
    TScriptServer server([](TPeer& p, int) {
        p.Send("HTTP/1.0 200 OK\r\n");
        std::string line = "X-Junk: " + std::string(1000, 'j') + "\r\n";
        std::string block;
        for (int i = 0; i < 64; ++i) block += line;
        for (int i = 0; i < 20; ++i) p.Send(block);
        p.WaitClose(2000);
    });
    auto c = Client();
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "Response header too long");
}

TEST(HttpUrl, RequestTargetIsEncoded) {
    auto c = Client();
    std::string text = Prepared(*c, "http://example.org/a b/\xe9t\xe9?q=1%202&x=~");
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "GET /a%20b/%E9t%E9?q=1%202&x=~ HTTP/1.0");
    c->Proxy = "127.0.0.1";
    c->ProxyPort = 1;
    text = Prepared(*c, "http://example.org/x y");
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "GET http://example.org/x%20y HTTP/1.0");

    // A location with spaces cannot add words to the request line.
    TScriptServer server([](TPeer& p, int index) {
        if (index == 0)
            p.Send(Reply("302 Found", "Location:   /next page HTTP/1.1  \r\n", ""));
        else
            p.Send(Reply("200 OK", "", "ok"));
    });
    auto d = Client();
    d->Get(Url(server.Port(), "/"));
    ASSERT_EQ(server.Requests().size(), 2u);
    std::string second = server.Requests()[1];
    EXPECT_EQ(second.substr(0, second.find("\r\n")), "GET /next%20page%20HTTP/1.1 HTTP/1.0");
}

TEST(HttpHostile, BodyCapAndAnnouncedLength) {
    TScriptServer server([](TPeer& p, int index) {
        if (index == 0) {  // a huge announced length, a little data, then the close
            p.Send(Reply("200 OK", "Content-Length: 999999999999\r\n", std::string(5000, 'a')));
        } else if (index == 1) {  // no length, more than the cap
            p.Send(Reply("200 OK", "", ""));
            std::string block(65536, 'b');
            for (int i = 0; i < 64; ++i) p.Send(block);
        } else {  // just the cap
            p.Send(Reply("200 OK", "Content-Length: 1048576\r\n", std::string(1 << 20, 'c')));
        }
    });
    auto c = Client();
    // The default cap refuses the announced length before reading any of it.
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "Body too large");

    // Without a cap the buffer grows with what arrived, not with the announcement.
    TScriptServer again([](TPeer& p, int) {
        p.Send(Reply("200 OK", "Content-Length: 999999999999\r\n", std::string(5000, 'a')));
    });
    c->MaxBody = 0;
    size_t mapped = 0;
    // Resident memory too: pages made ahead of the body stay near what arrived.
    const auto resident = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) return size_t(std::stoull(line.substr(6))) << 10;
        return size_t(0);
    };
    const size_t before = resident();
    size_t peak = before;
    c->OnPacketRecvd = [&](TSocketBase&) {
        mapped = std::max(mapped, mallinfo2().hblkhd);
        peak = std::max(peak, resident());
    };
    EXPECT_EQ(FailureOf([&] { c->Get(Url(again.Port(), "/")); }),
              "Body shorter than its Content-Length");
    EXPECT_GT(c->BytesRecvd, 0);
    EXPECT_LT(mapped, size_t(16) << 20);
    EXPECT_LT(peak - before, size_t(32) << 20);
    c->OnPacketRecvd = nullptr;

    c->MaxBody = 1 << 20;
    EXPECT_EQ(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "Body too large");
    EXPECT_LE(c->BytesRecvd, 1 << 20);
    c->Get(Url(server.Port(), "/"));
    EXPECT_EQ(c->Body.size(), size_t(1) << 20);
    EXPECT_EQ(c->Body.capacity(), size_t(1) << 20);  // grown to the length, no further
}

TEST(HttpHostile, FileModeBodyCap) {
    TScriptServer server([](TPeer& p, int index) {
        if (index == 0) {  // no length, four times the cap
            p.Send(Reply("200 OK", "", ""));
            std::string block(65536, 'b');
            for (int i = 0; i < 64; ++i) p.Send(block);
        } else if (index == 1) {  // announces more than the cap
            p.Send(Reply("200 OK", "Content-Length: 999999999999\r\n", std::string(5000, 'a')));
        } else if (index == 2) {  // cut short under the cap
            p.Send(Reply("200 OK", "Content-Length: 100000\r\n", std::string(5000, 'a')));
        } else {  // just the cap
            p.Send(Reply("200 OK", "Content-Length: 1048576\r\n", std::string(1 << 20, 'c')));
        }
    });
    TTempDir dir;
    auto c = Client();
    c->InputFileMode = true;
    c->Body = dir.File("body.out");
    c->MaxBody = 1 << 20;
    int64_t largest = 0;
    c->OnPacketRecvd = [&](TSocketBase&) {
        std::error_code ec;
        largest = std::max<int64_t>(largest, int64_t(std::filesystem::file_size(c->Body, ec)));
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        dir.Write("body.out", "previous");
        EXPECT_NE(FailureOf([&] { c->Get(Url(server.Port(), "/")); }), "no failure");
        // Neither a truncated document nor one cut at the cap is left behind; a length
        // over the cap is refused before the file is touched.
        if (i == 1)
            EXPECT_EQ(ReadFile(dir.File("body.out")), "previous");
        else
            EXPECT_FALSE(std::filesystem::exists(dir.File("body.out")));
        EXPECT_LE(c->BytesRecvd, 1 << 20);
    }
    EXPECT_LE(largest, 1 << 20);
    c->Get(Url(server.Port(), "/"));
    EXPECT_EQ(ReadFile(dir.File("body.out")), std::string(1 << 20, 'c'));
}

TEST(HttpHostile, CallDeadlineBoundsDripsAndRedirects) {
    std::atomic<bool> stop{false};
    TScriptServer drip([&](TPeer& p, int) {
        p.Send(Reply("200 OK", "Content-Length: 100\r\n", ""));
        for (int i = 0; i < 100 && !stop; ++i) {
            p.Send("x");
            SleepMs(300);
        }
    });
    // Each byte comes well within the 500 ms step time-out; only the deadline ends it.
    SetCallDeadline(1200);
    auto c = Client(500);
    SetCallDeadline(0);
    auto start = Clock::now();
    EXPECT_EQ(FailureOf([&] { c->Get(Url(drip.Port(), "/")); }), "Socket capture aborted");
    EXPECT_TRUE(c->TimedOut);
    auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(1100));
    EXPECT_LT(took, std::chrono::milliseconds(4000));
    stop = true;

    TScriptServer slowRedirects([](TPeer& p, int) {
        SleepMs(150);
        p.Send(Reply("302 Found", "Location: /again\r\n", ""));
    });
    SetCallDeadline(700);
    auto d = Client(500);
    SetCallDeadline(0);
    start = Clock::now();
    EXPECT_NE(FailureOf([&] { d->Get(Url(slowRedirects.Port(), "/")); }), "Too many redirects");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_LT(slowRedirects.Connections(), 8);

    // A client made without a deadline has none.
    auto e = Client(500);
    EXPECT_EQ(e->Deadline, std::chrono::steady_clock::time_point::max());
}

TEST(HttpResult, LargeBufferIsGivenBack) {
    std::string result;
    std::string big(8 << 20, 'x');
    const char* data = big.data();
    AdoptResult(result, std::move(big));
    EXPECT_EQ(result.data(), data);  // taken over, not copied
    AdoptResult(result, std::string("tiny"));
    EXPECT_EQ(result, "tiny");
    EXPECT_LT(result.capacity(), size_t(1) << 20);
    std::string half(3 << 20, 'h');
    half.reserve(4 << 20);
    size_t capacity = half.capacity();
    AdoptResult(result, std::move(half));
    EXPECT_EQ(result.capacity(), capacity);  // not wasteful enough to shrink
}
