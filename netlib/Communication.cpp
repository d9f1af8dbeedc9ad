#include "Communication.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "Main.h"
#include "SocketBase.h"

namespace kestrup {

namespace {

int GFrames = 0;
std::vector<std::shared_ptr<void>>& Retired() {
    static auto* list = new std::vector<std::shared_ptr<void>>();
    return *list;
}

constexpr size_t ReadBlock = 65536;
// Blocks delivered per dispatch, so a server that never stops sending cannot hold
// Kestrup_Dispatch for ever.
constexpr int ReadBlocksPerEvent = 16;
constexpr int DefaultLookupLimitMs = 30000;

}  // namespace

TServerFrame::TServerFrame(bool isExport) : FExport(isExport) {
    if (FExport && GFrames == 0) Retired().clear();
    ++GFrames;
}

TServerFrame::~TServerFrame() {
    --GFrames;
    // A delivery's own frame returns into the socket's event code, so only an
    // export frees on its way out.
    if (FExport && GFrames == 0) Retired().clear();
}

void TServerFrame::Retire(std::shared_ptr<void> obj) {
    if (obj) Retired().push_back(std::move(obj));
    if (GFrames == 0) Retired().clear();
}

TClientSocket::TClientSocket() : FDispatcher(TDispatcher::Current()), FBuffer(ReadBlock + 1) {}

TClientSocket::~TClientSocket() {
    OnDisconnect = nullptr;
    Close();
}

void TClientSocket::Watch(bool write) {
    FWatchWrite = write;
    FDispatcher.Add(FFd, EPOLLIN | EPOLLRDHUP | (write ? EPOLLOUT : 0u), [this](uint32_t ev) {
        TServerFrame frame(false);
        Event(ev);
    });
}

void TClientSocket::Open(const std::string& address, int port) {
    Close();
    FAddress = address;
    FPort = port;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1 || port <= 0 || port > 65535) {
        if (OnError) OnError(10049);
        return;
    }
    FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (FFd < 0) {
        Fail(errno);
        return;
    }
    if (::connect(FFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        FConnected = true;
        Watch(false);
        if (OnConnect) OnConnect();
        return;
    }
    if (errno != EINPROGRESS) {
        Fail(errno);
        return;
    }
    FConnecting = true;
    Watch(true);
}

void TClientSocket::Close() {
    ++FGeneration;
    bool was = FConnected;
    FConnecting = FConnected = false;
    FOut.clear();
    FOutPos = 0;
    if (FFd < 0) return;
    FDispatcher.Remove(FFd);
    ::close(FFd);
    FFd = -1;
    if (was && OnDisconnect) OnDisconnect();
}

void TClientSocket::Fail(int err) {
    Close();
    if (OnError) OnError(SocketErrorCode(err));
}

bool TClientSocket::PeerAlive() const {
    if (!FConnected) return false;
    pollfd p{FFd, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) <= 0) return true;
    if (p.revents & (POLLERR | POLLHUP)) return false;
    if (p.revents & POLLRDHUP) {
        // Bytes still waiting are delivered first; the close is seen after them.
        char c;
        return ::recv(FFd, &c, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }
    return true;
}

void TClientSocket::Event(uint32_t events) {
    uint64_t generation = FGeneration;
    if (FConnecting) {
        if (!(events & (EPOLLOUT | EPOLLERR | EPOLLHUP))) return;
        int err = 0;
        socklen_t len = sizeof err;
        ::getsockopt(FFd, SOL_SOCKET, SO_ERROR, &err, &len);
        if (err != 0 || (events & EPOLLERR)) {
            Fail(err != 0 ? err : ECONNREFUSED);
            return;
        }
        FConnecting = false;
        FConnected = true;
        Watch(Pending() > 0);
        if (OnConnect) OnConnect();
        if (generation != FGeneration) return;
        events &= ~uint32_t(EPOLLOUT);
    }
    if (!FConnected) return;
    if (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) {
        ReadSome();
        if (generation != FGeneration) return;
    }
    if (events & EPOLLOUT) FlushSome();
}

void TClientSocket::ReadSome() {
    uint64_t generation = FGeneration;
    for (int i = 0; i < ReadBlocksPerEvent; ++i) {
        ssize_t n = ::recv(FFd, FBuffer.data(), ReadBlock, MSG_DONTWAIT);
        if (n > 0) {
            FBuffer[size_t(n)] = '\0';
            if (OnRead) OnRead(FBuffer.data(), size_t(n));
            // The handler may have closed or reopened the socket.
            if (generation != FGeneration) return;
            continue;
        }
        if (n == 0) {
            Close();
            return;
        }
        if (errno == EAGAIN || errno == EINTR) return;
        Fail(errno);
        return;
    }
}

void TClientSocket::FlushSome() {
    while (FOutPos < FOut.size()) {
        ssize_t n =
            ::send(FFd, FOut.data() + FOutPos, FOut.size() - FOutPos, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            FOutPos += size_t(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
        Fail(n < 0 ? errno : EPIPE);
        return;
    }
    if (FOutPos == FOut.size()) {
        FOut.clear();
        FOutPos = 0;
    } else if (FOutPos > (size_t(4) << 20) && FOutPos > FOut.size() / 2) {
        // Drop what went out, so a long flush does not keep it all.
        FOut.erase(0, FOutPos);
        FOutPos = 0;
    }
    bool want = Pending() > 0;
    if (want != FWatchWrite && FFd >= 0) Watch(want);
}

bool TClientSocket::Send(std::string_view data) {
    if (!FConnected) return false;
    if (data.empty()) return true;
    if (Pending() + data.size() > MaxPendingSend) return false;
    FOut.append(data);
    uint64_t generation = FGeneration;
    FlushSome();
    return generation == FGeneration;
}

namespace Communication {

namespace {

// The connection object: one client socket, with the handlers of the design.
struct TComObject {
    TClientSocket Socket;
};

struct TState {
    std::string ServerAddress;
    std::string ServerHost;
    int ServerPort = 0;
    TStatusCallback StatusCallback = nullptr;
    std::unique_ptr<TComObject> Com;
};

// Never destroyed: at unload the thread's dispatcher the socket uses may be gone,
// and an open connection is left to the process.
TState& State() {
    static auto* state = new TState();
    return *state;
}

void Status(const char* text) {
    if (TStatusCallback cb = State().StatusCallback) cb(text);
}

std::unique_ptr<TComObject> MakeComObject() {
    auto com = std::make_unique<TComObject>();
    com->Socket.OnRead = [](const char* data, size_t) { Status(data); };
    com->Socket.OnError = [](int) { Status("Status=Error: Socket error!"); };
    return com;
}

// The dotted address of host, or empty. Waits for the off-thread look-up at most
// limitMs while the calling thread's events and idle callback run.
std::string Lookup(const std::string& host, int limitMs) {
    in_addr a{};
    if (::inet_pton(AF_INET, host.c_str(), &a) == 1) return host;
    bool done = false;
    int error = 0;
    uint32_t found = 0;
    auto lookup = std::make_unique<THostLookup>(host, [&](int e, uint32_t address) {
        error = e;
        found = address;
        done = true;
    });
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    TDispatcher& dispatcher = TDispatcher::Current();
    while (!done && std::chrono::steady_clock::now() < end) dispatcher.WaitPass();
    lookup.reset();  // abandons one still running
    if (!done || error != 0) return {};
    char text[INET_ADDRSTRLEN] = {};
    a.s_addr = found;
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

int LimitMs() {
    int t = Library().ProxyTimeOut;
    return t > 0 ? t : DefaultLookupLimitMs;
}

// Resolves the stored host into the stored address, then connects by address.
void Activate(TComObject& com) {
    TState& st = State();
    if (!st.ServerHost.empty()) {
        std::string host = st.ServerHost;
        std::string address = Lookup(host, LimitMs());
        if (!address.empty() && address != "255.255.255.255" && address != "0.0.0.0")
            st.ServerAddress = address;
        st.ServerHost.clear();
    }
    if (!st.ServerAddress.empty()) com.Socket.Open(st.ServerAddress, st.ServerPort);
}

}  // namespace

bool Server_Connect(const std::string& address, const std::string& host, int port,
                    TStatusCallback callback) {
    TLibraryState& lib = Library();
    if (lib.BusySet != 0) return false;
    lib.BusySet = bsServer;
    TServerFrame frame(true);
    try {
        TState& st = State();
        st.StatusCallback = callback;
        Status("Status=Trying to connect...");
        st.ServerAddress = address;
        st.ServerHost = host;
        st.ServerPort = port;
        if (st.Com) {
            TClientSocket& s = st.Com->Socket;
            // A live connection to the same server is kept; otherwise it goes to the new one.
            bool same = host.empty() && s.Address() == address && s.Port() == port;
            if (!(s.Active() && same)) Activate(*st.Com);
            return true;
        }
        st.Com = MakeComObject();
        // The look-up waits while the host's events run; keep the object alive for it.
        TComObject* com = st.Com.get();
        Activate(*com);
        return st.Com != nullptr;
    } catch (...) {
        return false;
    }
}

bool Server_Connected() {
    try {
        TState& st = State();
        return st.Com && st.Com->Socket.Active() && st.Com->Socket.PeerAlive();
    } catch (...) {
        return false;
    }
}

bool Server_Post(const std::string& data) {
    TServerFrame frame(true);
    bool sent = false;
    try {
        Status("Status=Sending data...");
        if (Server_Connected()) sent = State().Com->Socket.Send(data);
    } catch (...) {
        return false;
    }
    if (!sent) Status("Status=Unable to send data...");
    return sent;
}

bool Server_Disconnect() {
    TServerFrame frame(true);
    bool ok = true;
    try {
        TState& st = State();
        Status("Status=Closing connection...");
        st.StatusCallback = nullptr;
        if (std::shared_ptr<TComObject> com = std::move(st.Com)) {
            // Text already posted goes out before the close, within the time limit.
            auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs());
            TDispatcher& dispatcher = TDispatcher::Current();
            while (com->Socket.Connected() && com->Socket.Pending() > 0 &&
                   std::chrono::steady_clock::now() < end)
                dispatcher.WaitPass();
            com->Socket.Close();
            TServerFrame::Retire(std::move(com));
        }
    } catch (...) {
        ok = false;
    }
    Library().BusySet = 0;
    return ok && !State().Com;
}

}  // namespace Communication

}  // namespace kestrup
