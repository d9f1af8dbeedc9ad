// A host that loads the built library with dlopen, as outside programs do, and
// keeps its own events flowing through the idle callback.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <cstring>

#include "TestSupport.h"
#include "Exports.h"

using namespace nettest;

namespace {

// The host's own event source: a pipe that the idle callback drains.
int GPipe[2];
int GIdleCalls = 0;
int GHostEvents = 0;
const char* GNested = reinterpret_cast<const char*>(1);
bool GTryNested = false;

void HostIdle() {
    ++GIdleCalls;
    pollfd p{GPipe[0], POLLIN, 0};
    if (::poll(&p, 1, 0) > 0) {
        char c;
        if (::read(GPipe[0], &c, 1) == 1) ++GHostEvents;
    }
    if (GTryNested) {
        GTryNested = false;
        GNested = Lib().Get("http://127.0.0.1:1/", "", "", 100);
    }
}

std::string Url(int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

}  // namespace

TEST(Host, LoadsAndFindsEveryExport) {
    ASSERT_NE(Lib().Handle, nullptr) << ::dlerror();
    EXPECT_NE(Lib().SetProxy, nullptr);
    EXPECT_NE(Lib().Get, nullptr);
    EXPECT_NE(Lib().SetIdle, nullptr);
    EXPECT_NE(Lib().EventFd, nullptr);
    EXPECT_NE(Lib().Dispatch, nullptr);
    // Internal names stay hidden.
    EXPECT_EQ(::dlsym(Lib().Handle, "_ZN7kestrup11TSocketBase7ConnectEv"), nullptr);
    int fd = Lib().EventFd();
    ASSERT_GE(fd, 0);
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);  // nothing waits
    EXPECT_EQ(Lib().Dispatch(), 0);
}

TEST(Host, HttpGetResultsAndBusyRefusal) {
    ASSERT_NE(Lib().Handle, nullptr);
    TTempDir dir;
    dir.Write("one.txt", "first document");
    dir.Write("two.txt", "second");
    dir.Write("empty.txt", "");
    THttpServer server(dir.Path.string(), dir.File("server.log"));
    ASSERT_EQ(::pipe(GPipe), 0);
    Lib().SetIdle(HostIdle);
    std::thread writer([] {
        for (int i = 0; i < 5; ++i) {
            SleepMs(5);
            ssize_t n = ::write(GPipe[1], "x", 1);
            (void)n;
        }
    });

    TScriptServer slow([](TPeer& p, int) {
        SleepMs(200);
        p.Send("HTTP/1.0 200 OK\r\n\r\nslow body");
    });
    GTryNested = true;
    const char* slowBody = Lib().Get(Url(slow.Port(), "/").c_str(), "", "", 3000);
    writer.join();
    ASSERT_NE(slowBody, nullptr);
    EXPECT_STREQ(slowBody, "slow body");
    EXPECT_EQ(GNested, nullptr);  // refused while busy, without touching the network
    EXPECT_GT(GIdleCalls, 10);
    EXPECT_EQ(GHostEvents, 5);  // the host's own events kept flowing during the wait

    const char* first = Lib().Get(Url(server.Port, "/one.txt").c_str(), nullptr, nullptr, 3000);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "first document");
    // Empty body, https and a refused port: null, and the previous text stays.
    EXPECT_EQ(Lib().Get(Url(server.Port, "/empty.txt").c_str(), "", "", 3000), nullptr);
    EXPECT_EQ(Lib().Get("https://127.0.0.1/", "", "", 3000), nullptr);
    EXPECT_EQ(Lib().Get(Url(FreePort(), "/").c_str(), "", "", 3000), nullptr);
    EXPECT_EQ(Lib().Get(nullptr, nullptr, nullptr, 0), nullptr);
    EXPECT_STREQ(first, "first document");
    const char* second = Lib().Get(Url(server.Port, "/two.txt").c_str(), "", "", 3000);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second, "second");
    // Not busy any more after all those.
    EXPECT_NE(Lib().Get(Url(server.Port, "/one.txt").c_str(), "", "", 3000), nullptr);
    Lib().SetIdle(nullptr);
    ::close(GPipe[0]);
    ::close(GPipe[1]);
}

TEST(Host, ProxySettingApplies) {
    ASSERT_NE(Lib().Handle, nullptr);
    TTempDir dir;
    dir.Write("p.txt", "proxied");
    THttpServer server(dir.Path.string(), dir.File("server.log"));
    TProxy proxy(dir);
    Lib().SetProxy(1, "127.0.0.1", proxy.Port, 0);
    const char* body = Lib().Get(Url(server.Port, "/p.txt").c_str(), "", "", 5000);
    ASSERT_NE(body, nullptr);
    EXPECT_STREQ(body, "proxied");

    // A proxy that keeps the connection open after a body with a length.
    TScriptServer keepAlive([](TPeer& p, int) {
        p.Send("HTTP/1.0 200 OK\r\nContent-Length: 4\r\nProxy-Connection: Keep-Alive\r\n\r\nkept");
        p.WaitClose(5000);
    });
    Lib().SetProxy(1, "127.0.0.1", keepAlive.Port(), 0);
    body = Lib().Get("http://far.example/x", "", "", 3000);
    ASSERT_NE(body, nullptr);
    EXPECT_STREQ(body, "kept");
    auto r = keepAlive.Requests();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].substr(0, 36), "GET http://far.example/x HTTP/1.0\r\nP");

    Lib().SetProxy(0, "", 0, 0);
    EXPECT_NE(Lib().Get(Url(server.Port, "/p.txt").c_str(), "", "", 3000), nullptr);
}

TEST(Host, LimitsOfACall) {
    ASSERT_NE(Lib().Handle, nullptr);
    ASSERT_NE(Lib().SetMaxBody, nullptr);
    ASSERT_NE(Lib().SetDeadline, nullptr);
    TScriptServer server([](TPeer& p, int index) {
        if (index == 3) {  // drips within the step time-out
            p.Send("HTTP/1.0 200 OK\r\n\r\n");
            for (int i = 0; i < 20; ++i) {
                p.Send("d");
                SleepMs(200);
            }
            return;
        }
        p.Send("HTTP/1.0 200 OK\r\n\r\n" + std::string(index == 0 ? 100 : 3000, 'b'));
    });
    const char* small = Lib().Get(Url(server.Port(), "/").c_str(), "", "", 3000);
    ASSERT_NE(small, nullptr);
    Lib().SetMaxBody(2000);
    EXPECT_EQ(Lib().Get(Url(server.Port(), "/").c_str(), "", "", 3000), nullptr);
    EXPECT_EQ(std::string(small), std::string(100, 'b'));  // the previous result stays
    Lib().SetMaxBody(0);
    const char* big = Lib().Get(Url(server.Port(), "/").c_str(), "", "", 3000);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(std::strlen(big), 3000u);
    Lib().SetMaxBody(int64_t(256) << 20);

    Lib().SetDeadline(700);
    auto start = Clock::now();
    EXPECT_EQ(Lib().Get(Url(server.Port(), "/").c_str(), "", "", 500), nullptr);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
    Lib().SetDeadline(0);
}
