#include "Communication.h"

#include <chrono>

namespace kestrup {

namespace {

int GFrames = 0;
std::vector<std::shared_ptr<void>>& Retired() {
    static auto* list = new std::vector<std::shared_ptr<void>>();
    return *list;
}

constexpr size_t ReadBlock = 65536;
// Blocks delivered per event, so a server that never stops sending cannot hold
// one dispatch for ever.
constexpr int ReadBlocksPerEvent = 16;

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

void TClientSocket::Open(const std::string& address, int port) {
    Close();
    FAddress = address;
    FPort = port;
    uint32_t ip;
    if (!net::ParseAddress(address, &ip) || port <= 0 || port > 65535) {
        if (OnError) OnError(10049);
        return;
    }
    FSocket = net::OpenTcp();
    if (FSocket == NoSocket) {
        if (OnError) OnError(net::LastError());
        return;
    }
    FDispatcher.Watch(FSocket, neRead | neWrite | neConnect | neClose,
                      [this](uint32_t event, int error) {
                          TServerFrame frame(false);
                          Event(event, error);
                      });
    FConnecting = true;
    int rc = net::StartConnect(FSocket, ip, uint16_t(port));
    if (rc == WouldBlock) return;
    FConnecting = false;
    if (rc != 0) {
        Fail(rc);
        return;
    }
    FConnected = true;
    if (OnConnect) OnConnect();
}

void TClientSocket::Close() {
    ++FGeneration;
    bool was = FConnected;
    FConnecting = FConnected = false;
    FOut.clear();
    FOutPos = 0;
    if (FSocket == NoSocket) return;
    net::Close(FSocket);
    FSocket = NoSocket;
    if (was && OnDisconnect) OnDisconnect();
}

void TClientSocket::Fail(int code) {
    Close();
    if (OnError) OnError(code);
}

bool TClientSocket::PeerAlive() const {
    if (!FConnected) return false;
    char c;
    long n = net::Receive(FSocket, &c, 1, true);
    // Bytes still waiting are delivered first; the close is seen after them.
    if (n > 0) return true;
    if (n == 0) return false;
    return net::LastError() == WouldBlock;
}

void TClientSocket::Event(uint32_t event, int error) {
    uint64_t generation = FGeneration;
    if (event == neConnect) {
        if (!FConnecting) return;
        FConnecting = false;
        if (error != 0) {
            Fail(error);
            return;
        }
        FConnected = true;
        if (OnConnect) OnConnect();
        if (generation == FGeneration && Pending() > 0) FlushSome();
        return;
    }
    if (!FConnected) return;
    if (event == neRead || event == neClose)
        ReadSome();
    else if (event == neWrite)
        FlushSome();
}

void TClientSocket::ReadSome() {
    uint64_t generation = FGeneration;
    for (int i = 0; i < ReadBlocksPerEvent; ++i) {
        long n = net::Receive(FSocket, FBuffer.data(), ReadBlock);
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
        int code = net::LastError();
        if (code == WouldBlock || code == 10004) return;
        Fail(code);
        return;
    }
}

void TClientSocket::FlushSome() {
    while (FOutPos < FOut.size()) {
        long n = net::Send(FSocket, FOut.data() + FOutPos, FOut.size() - FOutPos);
        if (n > 0) {
            FOutPos += size_t(n);
            continue;
        }
        int code = n < 0 ? net::LastError() : 10058;
        // The socket tells when it takes more.
        if (code == WouldBlock || code == 10004) break;
        Fail(code);
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

namespace {

// Waits until done or limitMs passed, letting the thread's other work run.
template <class TDone>
void WaitUntil(TDone done, int limitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    TDispatcher& dispatcher = TDispatcher::Current();
    while (!done() && std::chrono::steady_clock::now() < end) dispatcher.WaitPass();
}

// The dotted address of host, or empty. Waits for the look-up at most limitMs.
std::string Lookup(const std::string& host, int limitMs) {
    if (uint32_t a; net::ParseAddress(host, &a)) return host;
    bool done = false;
    int error = 0;
    uint32_t found = 0;
    auto lookup = std::make_unique<THostLookup>(host, [&](int e, uint32_t address) {
        error = e;
        found = address;
        done = true;
    });
    WaitUntil([&] { return done; }, limitMs);
    lookup.reset();  // abandons one still running
    if (!done || error != 0) return {};
    return net::FormatAddress(found);
}

// The direct connection: resolves a host name into the address once, then connects
// by address in the background.
class TDirectTransport : public TServerTransport {
public:
    TDirectTransport() {
        FSocket.OnRead = [this](const char* data, size_t) {
            if (OnText) OnText(data);
        };
        FSocket.OnError = [this](int) {
            if (OnText) OnText("Status=Error: Socket error!");
        };
    }

    void Open(const TServerTarget& target) override {
        std::string address = target.Address;
        if (!target.Host.empty()) {
            std::string found =
                Lookup(target.Host, target.TimeOut > 0 ? target.TimeOut : DefaultLookupLimitMs);
            if (!found.empty() && found != "255.255.255.255" && found != "0.0.0.0")
                address = found;
        }
        if (!address.empty()) FSocket.Open(address, target.Port);
    }

    bool Holds(const TServerTarget& target) const override {
        return target.Host.empty() && FSocket.Active() && FSocket.Address() == target.Address &&
               FSocket.Port() == target.Port;
    }

    bool Alive() const override { return FSocket.Active() && FSocket.PeerAlive(); }

    bool Send(const std::string& data) override { return FSocket.Send(data); }

    void Close(int graceMs) override {
        WaitUntil([this] { return !FSocket.Connected() || FSocket.Pending() == 0; }, graceMs);
        FSocket.Close();
    }

private:
    TClientSocket FSocket;
};

}  // namespace

std::unique_ptr<TServerTransport> MakeDirectTransport() {
    return std::make_unique<TDirectTransport>();
}

namespace Communication {

namespace {

// One connection and one callback per mode.
struct TSlot {
    TStatusCallback StatusCallback = nullptr;
    TServerTarget Target;
    std::shared_ptr<TServerTransport> Com;
};

// Never destroyed: at unload the thread's dispatcher the socket uses may be gone,
// and an open connection is left to the process.
TSlot& Slot(bool useProxy) {
    static auto* slots = new TSlot[2];
    return slots[useProxy ? 1 : 0];
}

void Status(TSlot& slot, const char* text) {
    // A copy: the callback may connect or disconnect and so replace the stored one.
    if (TStatusCallback cb = slot.StatusCallback) cb(text);
}

}  // namespace

bool Server_Connect(bool useProxy, const TServerTarget& target, TStatusCallback callback) {
    TServerFrame frame(true);
    try {
        TSlot& slot = Slot(useProxy);
        slot.StatusCallback = callback;
        Status(slot, "Status=Trying to connect...");
        slot.Target = target;
        if (!slot.Com) {
            slot.Com = useProxy ? MakeProxyTransport() : MakeDirectTransport();
            slot.Com->OnText = [&slot](const char* text) { Status(slot, text); };
        }
        // The open may wait while the host's events run; keep the object alive for it.
        std::shared_ptr<TServerTransport> com = slot.Com;
        // A live connection to the same place is kept; otherwise it goes to the new one.
        if (!com->Holds(target)) com->Open(target);
        return slot.Com == com && (!useProxy || com->Alive());
    } catch (...) {
        return false;
    }
}

bool Server_Connected(bool useProxy) {
    try {
        TSlot& slot = Slot(useProxy);
        return slot.Com && slot.Com->Alive();
    } catch (...) {
        return false;
    }
}

bool Server_Post(bool useProxy, const std::string& data) {
    TServerFrame frame(true);
    TSlot& slot = Slot(useProxy);
    bool sent = false;
    try {
        Status(slot, "Status=Sending data...");
        std::shared_ptr<TServerTransport> com = slot.Com;
        if (com && com->Alive()) sent = com->Send(data);
    } catch (...) {
        return false;
    }
    if (!sent) Status(slot, "Status=Unable to send data...");
    return sent;
}

bool Server_Disconnect(bool useProxy, int closeGraceMs) {
    TServerFrame frame(true);
    bool ok = true;
    TSlot& slot = Slot(useProxy);
    try {
        Status(slot, "Status=Closing connection...");
        slot.StatusCallback = nullptr;
        if (std::shared_ptr<TServerTransport> com = std::move(slot.Com)) {
            com->Close(closeGraceMs);
            TServerFrame::Retire(std::move(com));
        }
    } catch (...) {
        ok = false;
    }
    return ok && !slot.Com;
}

}  // namespace Communication

}  // namespace kestrup
