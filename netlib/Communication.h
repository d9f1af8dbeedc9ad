// The long-lived server connection. One core (status lines, reuse of a connection,
// posting, a bounded disconnect) over two transports: the direct one, a non-blocking
// client socket whose events arrive through the calling thread's dispatcher, and the
// one through the proxy (ProxyCommunication), a socket base that connects by waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Net.h"

namespace kestrup {

// The host's status callback; empty when there is none.
using TStatusCallback = std::function<void(const char*)>;

// Text the host may post before the socket has taken it; beyond this a post is refused.
constexpr size_t MaxPendingSend = size_t(256) << 20;
// How long Server_Disconnect lets text already posted go out when no proxy time-out
// says otherwise; what is left then is dropped.
constexpr int DefaultCloseGraceMs = 2000;
// The longest a direct connection waits for its host name look-up without a time-out.
constexpr int DefaultLookupLimitMs = 30000;

// Marks code of the server connection that is on the stack. A connection object
// freed while one of its own waits or deliveries runs is kept until the outermost
// export ends, so no frame returns into a freed object.
class TServerFrame {
public:
    explicit TServerFrame(bool isExport);
    ~TServerFrame();
    TServerFrame(const TServerFrame&) = delete;
    TServerFrame& operator=(const TServerFrame&) = delete;
    // Frees obj now when nothing of ours is on the stack, else later.
    static void Retire(std::shared_ptr<void> obj);

private:
    bool FExport;
};

// A non-blocking TCP client. A delivery stops after a bounded amount and the
// dispatcher comes back for the rest.
class TClientSocket {
public:
    TClientSocket();
    ~TClientSocket();
    TClientSocket(const TClientSocket&) = delete;
    TClientSocket& operator=(const TClientSocket&) = delete;

    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
    // Text as it arrived, zero-terminated after size bytes.
    std::function<void(const char* data, size_t size)> OnRead;
    // An error code of the error table; the socket is closed before.
    std::function<void(int code)> OnError;

    // Starts connecting to a dotted IPv4 address; an unusable one is an error event.
    void Open(const std::string& address, int port);
    void Close();
    bool Active() const { return FSocket != NoSocket; }
    bool Connected() const { return FConnected; }
    // Connected, and the peer has not already hung up with nothing left to read.
    bool PeerAlive() const;
    const std::string& Address() const { return FAddress; }
    int Port() const { return FPort; }
    // Sends what the socket takes now and queues the rest for the dispatcher to
    // flush. False when not connected, on an error, or when the queue is full.
    bool Send(std::string_view data);
    size_t Pending() const { return FOut.size() - FOutPos; }

private:
    TDispatcher& FDispatcher;
    TSocketHandle FSocket = NoSocket;
    bool FConnecting = false;
    bool FConnected = false;
    uint64_t FGeneration = 0;  // changes on every close: a handler sees its socket went
    std::string FAddress;
    int FPort = 0;
    std::string FOut;
    size_t FOutPos = 0;
    std::vector<char> FBuffer;

    void Event(uint32_t event, int error);
    void ReadSome();
    void FlushSome();
    void Fail(int code);
};

// Where a server connection goes, and through what.
struct TServerTarget {
    std::string Address;
    std::string Host;
    int Port = 0;
    std::string ProxyHost;
    int ProxyPort = 0;
    int TimeOut = 0;  // ms, 0 = none
};

// One way of holding the connection. Text from the server and socket errors go to
// OnText as the host's callback is to see them.
class TServerTransport {
public:
    virtual ~TServerTransport() = default;
    // Makes (or starts making) the connection to target.
    virtual void Open(const TServerTarget& target) = 0;
    // Already holds a live connection to target.
    virtual bool Holds(const TServerTarget& target) const = 0;
    virtual bool Alive() const = 0;
    // Hands data to the connection; false when it could not.
    virtual bool Send(const std::string& data) = 0;
    // Lets text already posted go out for at most graceMs, then closes and drops
    // the rest.
    virtual void Close(int graceMs) = 0;

    std::function<void(const char*)> OnText;
};

std::unique_ptr<TServerTransport> MakeDirectTransport();
std::unique_ptr<TServerTransport> MakeProxyTransport();

// The four server exports behind the library's busy flag. The mode (useProxy) is
// read at every call: each mode has a connection of its own.
namespace Communication {

bool Server_Connect(bool useProxy, const TServerTarget& target, TStatusCallback callback);
bool Server_Connected(bool useProxy);
bool Server_Post(bool useProxy, const std::string& data);
// Ends within closeGraceMs (plus the look-ups already done) whatever the peer does.
bool Server_Disconnect(bool useProxy, int closeGraceMs);

}  // namespace Communication

}  // namespace kestrup
