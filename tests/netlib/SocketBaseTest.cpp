// TSocketBase against scripted peers on loopback.
#include <gtest/gtest.h>

#include "SocketBase.h"
#include "TestSupport.h"

using namespace kestrup;
using namespace nettest;

namespace {

std::unique_ptr<TSocketBase> ClientFor(const TScriptServer& server, int timeOut = 3000) {
    auto s = std::make_unique<TSocketBase>();
    s->Host = "127.0.0.1";
    s->Port = server.Port();
    s->TimeOut = timeOut;
    return s;
}

// Exposes the error path.
class TErrorProbe : public TSocketBase {
public:
    using TSocketBase::SocketError;
};

}  // namespace

TEST(SocketBase, ReadLnJoinsPiecesAndTransactionParsesNumbers) {
    TScriptServer server(
        [](TPeer& p, int) {
            p.ReadUntil("\r\n");
            p.Send("25");
            SleepMs(60);
            p.Send("0 Ok");
            SleepMs(60);
            p.Send("\r\nno number here\r\n");
            p.ReadUntil("\r\n");
            p.Send("1234567890123 too big\r\n");
            p.WaitClose(2000);
        },
        false);
    auto s = ClientFor(server);
    std::vector<std::string> reports;
    s->ReportLevel = 1;
    s->OnStatus = [&](TSocketBase&, const std::string& t) { reports.push_back(t); };
    s->Connect();
    EXPECT_EQ(s->Transaction("HELO x"), "250 Ok\r\n");
    EXPECT_EQ(s->ReplyNumber, 250);
    EXPECT_EQ(reports, std::vector<std::string>{"250 Ok\r\n"});  // only level 1 reaches us
    EXPECT_EQ(s->ReadLn(), "no number here\r\n");
    s->Transaction("NOOP");
    EXPECT_EQ(s->ReplyNumber, 0);
}

TEST(SocketBase, WriteSendsEverythingAndEmptyWriteNothing) {
    std::string big(200000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + i % 26);
    std::string received;
    TScriptServer server(
        [&](TPeer& p, int) {
            received = p.ReadUntil("end\r\n", 3000);
            p.Send("ok\r\n");
        },
        false);
    auto s = ClientFor(server);
    s->Connect();
    s->Write("");
    s->Write(big);
    s->Writeln("end");
    EXPECT_EQ(s->ReadLn(), "ok\r\n");
    EXPECT_EQ(received.size(), big.size() + 5);
    EXPECT_TRUE(received == big + "end\r\n");
}

TEST(SocketBase, CaptureKeepsSingleBytesAndStopsAtSize) {
    TScriptServer server(
        [](TPeer& p, int index) {
            if (index == 0) {
                p.Send("x");
                SleepMs(50);
                p.Send("y");
            } else {
                p.Send("0123456789");
                p.WaitClose(3000);  // stays open: only the size may end the capture
            }
        },
        false);
    auto s = ClientFor(server);
    int packets = 0;
    s->OnPacketRecvd = [&](TSocketBase&) { ++packets; };
    s->Connect();
    std::string text;
    s->CaptureString(text);
    EXPECT_EQ(text, "xy");
    EXPECT_EQ(packets, 2);
    EXPECT_EQ(s->BytesRecvd, 2);
    s->Disconnect();
    s->Connect();  // the same object connects again after Disconnect
    s->CaptureString(text, 4);
    EXPECT_EQ(text, "0123");
    EXPECT_EQ(s->Read(0), "456789");
}

TEST(SocketBase, FileRoundTrip) {
    TTempDir dir;
    std::string data(300000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 13 + i / 251);
    dir.Write("out.bin", data);
    TScriptServer server(
        [&](TPeer& p, int) {
            std::string got;
            while (got.size() < data.size() + 11) {
                std::string more = p.ReadUntil(std::string(1, '\0') + "x", 200);
                if (more.empty()) break;
                got += more;
            }
            p.Send(got);
        },
        false);
    auto s = ClientFor(server);
    s->Connect();
    s->SendFile(dir.File("out.bin"));
    EXPECT_EQ(s->BytesSent, int64_t(data.size()));
    TMemoryStream stream("stream text");
    stream.SetPosition(5);  // sent from its start all the same
    s->SendStream(stream);
    EXPECT_EQ(s->BytesSent, 11);
    EXPECT_EQ(s->BytesTotal, 11);
    // An existing, longer file is emptied first: nothing of it outlives the capture.
    dir.Write("in.bin", std::string(400000, 'q'));
    s->CaptureFile(dir.File("in.bin"));
    EXPECT_TRUE(ReadFile(dir.File("in.bin")) == data + "stream text");
    s->Disconnect();
}

TEST(SocketBase, ConnectFailures) {
    TScriptServer server([](TPeer& p, int) { p.WaitClose(2000); }, false);
    auto s = ClientFor(server);
    s->Connect();
    EXPECT_EQ(FailureOf([&] { s->Connect(); }), "Already connected");

    auto refused = std::make_unique<TSocketBase>();
    refused->Host = "127.0.0.1";
    refused->Port = FreePort();
    refused->TimeOut = 2000;
    EXPECT_EQ(FailureOf([&] { refused->Connect(); }), "Connection Failed");
    EXPECT_EQ(refused->LastError, 10061);
    EXPECT_FALSE(refused->Connected);

    auto unknown = std::make_unique<TSocketBase>();
    unknown->Host = "no such host";
    unknown->Port = 80;
    unknown->TimeOut = 5000;
    EXPECT_EQ(FailureOf([&] { unknown->Connect(); }), "Null Remote Address");
    // The invalid-host event may name another host once.
    int asked = 0;
    unknown->OnInvalidHost = [&](TSocketBase& b, bool& handled) {
        ++asked;
        b.Host = "localhost";
        b.Port = server.Port();
        handled = true;
    };
    unknown->Connect();
    EXPECT_TRUE(unknown->Connected);
    EXPECT_EQ(asked, 1);
}

TEST(SocketBase, WaitsEndByTimeOutOrCancel) {
    TScriptServer server([](TPeer& p, int) { p.WaitClose(3000); }, false);
    auto s = ClientFor(server, 200);
    s->Connect();
    EXPECT_EQ(FailureOf([&] { s->ReadLn(); }), "Socket readln aborted");
    EXPECT_TRUE(s->TimedOut);
    EXPECT_FALSE(s->Canceled);  // cleared: the object can go on
    std::string text;
    EXPECT_EQ(FailureOf([&] { s->CaptureString(text); }), "Socket capture aborted");

    // A connect that is never answered: fill a listener's queue so SYNs are dropped.
    int full = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(full, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(full, 0);
    socklen_t len = sizeof a;
    ::getsockname(full, reinterpret_cast<sockaddr*>(&a), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(f);
    }
    SleepMs(50);
    auto silent = std::make_unique<TSocketBase>();
    silent->Host = "127.0.0.1";
    silent->Port = ntohs(a.sin_port);
    silent->TimeOut = 300;
    EXPECT_EQ(FailureOf([&] { silent->Connect(); }), "Connection Timed out");
    // With no time limit only Cancel ends the wait; the host's own work runs meanwhile.
    silent->TimeOut = 0;
    int passes = 0;
    silent->OnStatus = nullptr;
    static TSocketBase* target;
    static int* counter;
    target = silent.get();
    counter = &passes;
    SetIdleCallback([] {
        if (++*counter == 100) target->Cancel();
    });
    EXPECT_EQ(FailureOf([&] { silent->Connect(); }), "Connection Canceled");
    SetIdleCallback(nullptr);
    EXPECT_GE(passes, 100);
    for (int f : fillers) ::close(f);
    ::close(full);
}

TEST(SocketBase, ListenAndAccept) {
    auto s = std::make_unique<TSocketBase>();
    s->ListenAddress = "127.0.0.1";
    s->Port = 0;
    s->TimeOut = 3000;
    s->Listen(true);
    int port = s->LocalPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(s->LocalAddressForPort(), "127,0,0,1");
    EXPECT_EQ(s->LocalPortForPort(),
              "," + std::to_string(port >> 8) + "," + std::to_string(port & 255));
    std::thread peer([port] {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::send(fd, "data line\r\n", 11, 0);
        SleepMs(200);
        ::close(fd);
    });
    EXPECT_GE(s->Accept(), 0);
    EXPECT_EQ(s->ReadLn(), "data line\r\n");
    peer.join();

    // Nobody connects: the time-out ends the wait.
    auto lonely = std::make_unique<TSocketBase>();
    lonely->ListenAddress = "127.0.0.1";
    lonely->TimeOut = 200;
    lonely->Listen(true);
    EXPECT_EQ(FailureOf([&] { lonely->Accept(); }), "Accepting Canceled");
}

TEST(SocketBase, ErrorPathAndLimits) {
    EXPECT_EQ(SocketErrorText(11001), "Host not found");
    // The platform reports the system's errors as the table's codes.
    TSocketHandle raw = net::OpenTcp();
    ASSERT_NE(raw, NoSocket);
    char c;
    EXPECT_EQ(net::Receive(raw, &c, 1), -1);
    EXPECT_EQ(net::LastError(), NotConnected);
    net::Close(raw);
    TErrorProbe probe;
    std::string seen;
    probe.OnError = [&](TSocketBase&, int code, const std::string& m) { seen = m; };
    EXPECT_EQ(FailureOf([&] { probe.SocketError(10054, 10035); }),
              "10054:Connection reset by peer");
    EXPECT_EQ(seen, "10054:Connection reset by peer");
    EXPECT_EQ(FailureOf([&] { probe.SocketError(10035, 10035); }), "no failure");
    EXPECT_EQ(FailureOf([&] { probe.SocketError(20129, 10035); }), "Unknown Error No. 20129");
    EXPECT_EQ(FailureOf([&] { probe.CertifyConnect(); }), "Not Connected");

    // A line that never ends is refused once it passes 1 MiB.
    TScriptServer server(
        [](TPeer& p, int) {
            std::string chunk(65536, 'z');
            for (int i = 0; i < 20; ++i) p.Send(chunk);
            p.WaitClose(2000);
        },
        false);
    auto s = ClientFor(server);
    s->Connect();
    EXPECT_EQ(FailureOf([&] { s->ReadLn(); }), "Reply line too long");
}

TEST(SocketBase, EventsArriveThroughTheDispatcherAndStatusByLevel) {
    TScriptServer server(
        [](TPeer& p, int) {
            SleepMs(100);
            p.Send("pushed by the server");
            p.WaitClose(3000);
        },
        false);
    auto s = ClientFor(server);
    std::vector<std::string> reports;
    s->ReportLevel = 8;
    s->OnStatus = [&](TSocketBase&, const std::string& t) { reports.push_back(t); };
    s->Connect();
    EXPECT_EQ(reports.front(), "Connecting");
    s->ReportLevel = 0;
    reports.clear();
    std::string arrived;
    s->OnDataAvailable = [&](TSocketBase& b) { arrived += b.Read(0); };
    // A host loop: wait on the dispatcher's descriptor, then deliver.
    int fd = TDispatcher::Current().Fd();
    for (int i = 0; i < 300 && arrived.empty(); ++i) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0) TDispatcher::Current().Dispatch(0);
    }
    EXPECT_EQ(arrived, "pushed by the server");
    EXPECT_TRUE(reports.empty());
}
