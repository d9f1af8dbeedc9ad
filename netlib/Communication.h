// The long-lived server connection, direct: a non-blocking client socket whose
// connect, read and error events arrive through the calling thread's dispatcher.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Dispatcher.h"

namespace kestrup {

using TStatusCallback = void (*)(const char*);

// Text the host may post before the socket has taken it; beyond this a post is refused.
constexpr size_t MaxPendingSend = size_t(256) << 20;

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

// A non-blocking TCP client. Level-triggered, so a delivery can stop after a
// bounded amount and the dispatcher comes back for the rest.
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
    // A socket error code of the error table; the socket is closed before.
    std::function<void(int code)> OnError;

    // Starts connecting to a dotted IPv4 address; an unusable one is an error event.
    void Open(const std::string& address, int port);
    void Close();
    bool Active() const { return FFd >= 0; }
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
    int FFd = -1;
    bool FConnecting = false;
    bool FConnected = false;
    bool FWatchWrite = false;
    uint64_t FGeneration = 0;  // changes on every close: a handler sees its socket went
    std::string FAddress;
    int FPort = 0;
    std::string FOut;
    size_t FOutPos = 0;
    std::vector<char> FBuffer;

    void Watch(bool write);
    void Event(uint32_t events);
    void ReadSome();
    void FlushSome();
    void Fail(int err);
};

namespace Communication {

bool Server_Connect(const std::string& address, const std::string& host, int port,
                    TStatusCallback callback);
bool Server_Connected();
bool Server_Post(const std::string& data);
bool Server_Disconnect();

}  // namespace Communication

}  // namespace kestrup
