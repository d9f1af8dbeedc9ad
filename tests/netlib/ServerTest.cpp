// The server connection through the exports, directly and through a forwarder
// standing in for the proxy, against scripted peers on loopback.
#include <gtest/gtest.h>
#include <poll.h>

#include "TestSupport.h"
#include "kestrup.h"

using namespace nettest;

namespace {

std::vector<std::string> GStatus;  // "Status=" lines in order
std::string GData;                 // everything else, joined
int GPieces = 0;
bool GDisconnectOnData = false;

void Record(const char* text) {
    std::string t = text;
    if (t.rfind("Status=", 0) == 0) {
        GStatus.push_back(t);
        return;
    }
    GData += t;
    ++GPieces;
    if (GDisconnectOnData) {
        GDisconnectOnData = false;
        Server_Disconnect();
    }
}

void Reset() {
    GStatus.clear();
    GData.clear();
    GPieces = 0;
    GDisconnectOnData = false;
}

// Runs the host's side: waits on the library's descriptor and dispatches.
template <class P>
bool PumpUntil(P done, int ms = 5000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    int fd = Kestrup_Event_Fd();
    while (!done()) {
        if (Clock::now() > end) return false;
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 10);
        Kestrup_Dispatch();
    }
    return true;
}

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

bool Saw(const std::string& line) {
    return std::find(GStatus.begin(), GStatus.end(), line) != GStatus.end();
}

std::string Pattern(size_t size, int seed) {
    std::string s(size, 'a');
    for (size_t i = 0; i < size; ++i) s[i] = char('A' + (i * 7 + i / 65521 + seed) % 58);
    return s;
}

// Reads exactly size bytes (or until the client closes), slowly.
std::string ReadSlowly(TPeer& p, size_t size, int pauseMs = 1, int ms = 30000) {
    std::string got;
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    std::vector<char> buf(16384);
    while (got.size() < size && Clock::now() < end) {
        pollfd q{p.Fd, POLLIN, 0};
        if (::poll(&q, 1, 20) <= 0) continue;
        ssize_t n = ::recv(p.Fd, buf.data(), std::min(buf.size(), size - got.size()), 0);
        if (n <= 0) break;
        got.append(buf.data(), size_t(n));
        SleepMs(pauseMs);
    }
    return got;
}

// A forwarder standing in for the proxy: every connection goes on to the target port,
// through small buffers so that a slow reader behind it is felt.
struct TForwarder {
    int Port = FreePort();
    std::unique_ptr<TChild> Child;
    TForwarder(int target, const TTempDir& dir) {
        Child = std::make_unique<TChild>(
            std::vector<std::string>{
                "/usr/bin/socat",
                "TCP-LISTEN:" + std::to_string(Port) + ",bind=127.0.0.1,reuseaddr,fork",
                "TCP:127.0.0.1:" + std::to_string(target)},
            dir.File("socat.log"));
        if (!WaitForPort(Port)) throw std::runtime_error("socat did not start");
    }
};

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        Set_Proxy_Server(0, "", 0, 0);
    }
    void TearDown() override {
        Set_Proxy_Server(0, "", 0, 0);
        Server_Disconnect();
        Set_Proxy_Server(1, "", 0, 0);
        Server_Disconnect();
        Set_Proxy_Server(0, "", 0, 0);
    }
};

TScriptServer::TScript Chat() {
    return [](TPeer& p, int) {
        p.Send("hello\n");
        p.ReadUntil("ping");
        p.Send("pong");
        p.WaitClose(5000);
    };
}

}  // namespace

TEST_F(ServerTest, NothingBeforeConnectAndDisconnectWithoutConnection) {
    EXPECT_FALSE(Server_Post("text"));
    EXPECT_FALSE(Server_Connected());
    EXPECT_TRUE(Server_Disconnect());
    EXPECT_TRUE(GStatus.empty());  // no callback was ever given
    Set_Proxy_Server(1, "127.0.0.1", 1, 0);
    EXPECT_FALSE(Server_Post("text"));
    EXPECT_TRUE(Server_Disconnect());
}

TEST_F(ServerTest, DirectChatHoldsOtherOperationsOff) {
    TScriptServer server(Chat(), false);
    TScriptServer web([](TPeer& p, int) { p.Send("HTTP/1.0 200 OK\r\n\r\nweb body"); });
    std::string url = "http://127.0.0.1:" + std::to_string(web.Port()) + "/";

    ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
    ASSERT_FALSE(GStatus.empty());
    EXPECT_EQ(GStatus[0], "Status=Trying to connect...");
    EXPECT_FALSE(Server_Connect("127.0.0.1", "", server.Port(), Record));
    EXPECT_EQ(Http_Get(url.c_str(), "", "", 2000), nullptr);
    ASSERT_TRUE(PumpUntil([] { return Server_Connected(); }));
    ASSERT_TRUE(PumpUntil([] { return GData == "hello\n"; }));

    EXPECT_TRUE(Server_Post("ping"));
    EXPECT_EQ(GStatus.back(), "Status=Sending data...");
    // The answer comes later, as it is.
    ASSERT_TRUE(PumpUntil([] { return GData.size() >= 10; })) << GData;
    EXPECT_EQ(GData, "hello\npong");
    EXPECT_EQ(web.Connections(), 0);  // refused without touching the network

    EXPECT_TRUE(Server_Disconnect());
    EXPECT_EQ(GStatus.back(), "Status=Closing connection...");
    EXPECT_FALSE(Server_Connected());
    size_t lines = GStatus.size();
    EXPECT_FALSE(Server_Post("after"));
    EXPECT_EQ(GStatus.size(), lines);  // the callback was forgotten
    const char* body = Http_Get(url.c_str(), "", "", 3000);
    ASSERT_NE(body, nullptr);
    EXPECT_STREQ(body, "web body");
}

TEST_F(ServerTest, DirectHostLookup) {
    TScriptServer server(Chat(), false);
    ASSERT_TRUE(Server_Connect("", "localhost", server.Port(), Record));
    ASSERT_TRUE(PumpUntil([] { return GData == "hello\n"; }));
    EXPECT_TRUE(Server_Connected());
    EXPECT_TRUE(Server_Disconnect());

    // A host that does not resolve leaves nothing to connect to.
    Reset();
    EXPECT_TRUE(Server_Connect("", "no-such-host.invalid", server.Port(), Record));
    PumpFor(300);
    EXPECT_FALSE(Server_Connected());
    EXPECT_FALSE(Server_Post("x"));
    EXPECT_TRUE(Saw("Status=Unable to send data..."));
    EXPECT_TRUE(Server_Disconnect());
    EXPECT_TRUE(Server_Connect("", "", server.Port(), nullptr));
    EXPECT_FALSE(Server_Connected());
    EXPECT_TRUE(Server_Disconnect());
}

TEST_F(ServerTest, DirectRefusedAndClosedByPeer) {
    ASSERT_TRUE(Server_Connect("127.0.0.1", "", FreePort(), Record));
    ASSERT_TRUE(PumpUntil([] { return Saw("Status=Error: Socket error!"); }));
    EXPECT_FALSE(Server_Connected());
    EXPECT_TRUE(Server_Disconnect());

    Reset();
    TScriptServer server([](TPeer& p, int) { p.Send("bye"); }, false);
    ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
    ASSERT_TRUE(PumpUntil([] { return GData == "bye" && !Server_Connected(); }));
    EXPECT_FALSE(Server_Post("anyone?"));
    EXPECT_EQ(GStatus.back(), "Status=Unable to send data...");
    EXPECT_TRUE(Server_Disconnect());
}

TEST_F(ServerTest, DirectTenMegabyteBurstArrivesWholeAndInOrder) {
    const std::string burst = Pattern(10 << 20, 3);
    TScriptServer server(
        [&](TPeer& p, int) {
            p.Send(burst);
            p.WaitClose(20000);
        },
        false);
    ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
    ASSERT_TRUE(PumpUntil([&] { return GData.size() >= burst.size(); }, 30000)) << GData.size();
    EXPECT_TRUE(GData == burst);
    EXPECT_GT(GPieces, 1);
    EXPECT_TRUE(Server_Disconnect());
}

TEST_F(ServerTest, DirectLargePostsReachASlowReaderWhole) {
    const std::string first = Pattern(10 << 20, 5);
    const std::string second = Pattern(10 << 20, 9);
    std::string got1, got2;
    {
        TScriptServer server(
            [&](TPeer& p, int) {
                got1 = ReadSlowly(p, first.size());
                p.Send("got it");
                got2 = ReadSlowly(p, second.size());
            },
            false);
        ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
        ASSERT_TRUE(PumpUntil([] { return Server_Connected(); }));
        // More than the socket takes at once: the rest goes out while the host dispatches.
        EXPECT_TRUE(Server_Post(first.c_str()));
        EXPECT_FALSE(Saw("Status=Unable to send data..."));
        ASSERT_TRUE(PumpUntil([] { return GData == "got it"; }, 30000));
        // A disconnect right after a post still lets all of it out first.
        EXPECT_TRUE(Server_Post(second.c_str()));
        EXPECT_TRUE(Server_Disconnect());
    }  // the reader has finished
    EXPECT_EQ(got1.size(), first.size());
    EXPECT_TRUE(got1 == first);
    EXPECT_EQ(got2.size(), second.size());
    EXPECT_TRUE(got2 == second);
}

TEST_F(ServerTest, SwitchingModesAddressesTheOtherConnection) {
    TScriptServer server(Chat(), false);
    ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
    ASSERT_TRUE(PumpUntil([] { return Server_Connected(); }));
    Set_Proxy_Server(1, "127.0.0.1", server.Port(), 0);
    EXPECT_FALSE(Server_Connected());
    size_t lines = GStatus.size();
    EXPECT_FALSE(Server_Post("ping"));
    EXPECT_EQ(GStatus.size(), lines);  // the proxy side has no callback
    Set_Proxy_Server(0, "", 0, 0);
    EXPECT_TRUE(Server_Connected());
    EXPECT_TRUE(Server_Post("ping"));
    ASSERT_TRUE(PumpUntil([] { return GData == "hello\npong"; }));

    // Disconnecting the other mode frees the library but leaves this connection,
    // whose object the next connect reuses, for the server it now names.
    Set_Proxy_Server(1, "", 0, 0);
    EXPECT_TRUE(Server_Disconnect());
    Set_Proxy_Server(0, "", 0, 0);
    EXPECT_TRUE(Server_Connected());
    TScriptServer other(
        [](TPeer& p, int) {
            p.Send("other");
            p.WaitClose(5000);
        },
        false);
    ASSERT_TRUE(Server_Connect("127.0.0.1", "", other.Port(), Record));
    ASSERT_TRUE(PumpUntil([] { return GData == "hello\npongother"; })) << GData;
    EXPECT_TRUE(Server_Connected());
    EXPECT_TRUE(Server_Disconnect());
}

TEST_F(ServerTest, DisconnectFromInsideTheCallback) {
    const std::string burst = Pattern(4 << 20, 1);
    TScriptServer server(
        [&](TPeer& p, int) {
            p.Send(burst);
            p.WaitClose(5000);
        },
        false);
    TTempDir dir;
    TForwarder forwarder(server.Port(), dir);
    for (int proxy = 0; proxy < 2; ++proxy) {
        SCOPED_TRACE(proxy);
        Reset();
        Set_Proxy_Server(proxy, "127.0.0.1", forwarder.Port, 3000);
        GDisconnectOnData = true;
        ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
        ASSERT_TRUE(PumpUntil([] { return GPieces > 0; }));
        PumpFor(100);
        EXPECT_EQ(GPieces, 1);  // nothing after the disconnect
        EXPECT_FALSE(Server_Connected());
        // Not busy any more: a new connection can start.
        EXPECT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), nullptr));
        EXPECT_TRUE(Server_Disconnect());
    }
}

TEST_F(ServerTest, ProxyChatLargeTransfersAndPeerClose) {
    const std::string post = Pattern(10 << 20, 2);
    const std::string burst = Pattern(10 << 20, 4);
    std::string got;
    TScriptServer server(
        [&](TPeer& p, int) {
            p.Send("hello\n");
            // The forwarder's own start-up probe brings a connection that says nothing.
            if (p.ReadUntil("ping").empty()) return;
            p.Send("pong");
            int small = 65536;
            ::setsockopt(p.Fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
            got = ReadSlowly(p, post.size(), 2);
            p.Send(burst);
        },
        false);
    TTempDir dir;
    TForwarder forwarder(server.Port(), dir);
    // The time-out is per step: the slow reader below takes longer than it for the
    // whole post, but is never silent that long.
    Set_Proxy_Server(1, "127.0.0.1", forwarder.Port, 400);
    // The target is ignored: the connection goes to the proxy's host and port.
    ASSERT_TRUE(Server_Connect("", "far.example", 4321, Record));
    EXPECT_EQ(GStatus[0], "Status=Trying to connect...");
    EXPECT_TRUE(Server_Connected());
    ASSERT_TRUE(PumpUntil([] { return GData == "hello\n"; }));
    EXPECT_TRUE(Server_Post("ping"));
    ASSERT_TRUE(PumpUntil([] { return GData == "hello\npong"; })) << GData;
    GData.clear();
    ASSERT_TRUE(Server_Post(post.c_str()));
    ASSERT_TRUE(PumpUntil([&] { return GData.size() >= burst.size(); }, 30000)) << GData.size();
    EXPECT_EQ(got.size(), post.size());
    EXPECT_TRUE(got == post);
    EXPECT_TRUE(GData == burst);
    ASSERT_TRUE(PumpUntil([] { return !Server_Connected(); }));
    EXPECT_FALSE(Saw("Status=Unable to send data..."));
    EXPECT_TRUE(Server_Disconnect());
}

TEST_F(ServerTest, ProxyPostThenDisconnectArrivesWhole) {
    const std::string post = Pattern(4 << 20, 6);
    std::string got;
    std::atomic<bool> done{false};
    {
        TScriptServer server(
            [&](TPeer& p, int) {
                std::string r = ReadSlowly(p, post.size() + 1);
                if (r.empty()) return;  // the forwarder's start-up probe
                got = r;
                done = true;
            },
            false);
        TTempDir dir;
        TForwarder forwarder(server.Port(), dir);
        Set_Proxy_Server(1, "127.0.0.1", forwarder.Port, 5000);
        ASSERT_TRUE(Server_Connect("127.0.0.1", "", server.Port(), Record));
        EXPECT_TRUE(Server_Post(post.c_str()));
        // Closed at once: what was written still reaches the server.
        EXPECT_TRUE(Server_Disconnect());
        // The server may still be on the probe's connection: give it time to get there.
        for (int i = 0; i < 1000 && !done; ++i) SleepMs(10);
    }
    EXPECT_EQ(got.size(), post.size());
    EXPECT_TRUE(got == post);
}

TEST_F(ServerTest, ProxyUnreachableKeepsBusyUntilDisconnect) {
    TScriptServer web([](TPeer& p, int) { p.Send("HTTP/1.0 200 OK\r\n\r\nweb body"); });
    std::string url = "http://127.0.0.1:" + std::to_string(web.Port()) + "/";
    Set_Proxy_Server(1, "127.0.0.1", FreePort(), 2000);
    EXPECT_FALSE(Server_Connect("", "far.example", 80, Record));
    EXPECT_FALSE(Server_Connected());
    EXPECT_FALSE(Server_Connect("", "far.example", 80, Record));  // still held
    Set_Proxy_Server(0, "", 0, 0);
    EXPECT_EQ(Http_Get(url.c_str(), "", "", 2000), nullptr);
    Set_Proxy_Server(1, "127.0.0.1", 1, 2000);
    EXPECT_TRUE(Server_Disconnect());
    Set_Proxy_Server(0, "", 0, 0);
    EXPECT_NE(Http_Get(url.c_str(), "", "", 3000), nullptr);
    EXPECT_EQ(web.Connections(), 1);
}
