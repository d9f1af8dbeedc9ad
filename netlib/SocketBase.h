// TSocketBase: the blocking TCP client base of every protocol client. Its socket
// is non-blocking and its events arrive through the thread's dispatcher; every
// blocking operation waits in passes that let the calling thread's other work run.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Errors.h"
#include "Streams.h"
#include "platform/Net.h"

namespace kestrup {

// The text of a socket error code ("Connection refused"), or empty when unknown.
std::string SocketErrorText(int code);

// The whole-call limit every new client takes (ms, 0 = none); the host sets it.
void SetCallDeadline(int ms);
int CallDeadline();

// Longest reply line ReadLn accepts: a hostile peer cannot make it grow without bound.
constexpr size_t MaxLineLength = 1 << 20;
// The most body one call receives into a file, unless the host says otherwise.
constexpr int64_t DefaultMaxBody = int64_t(256) << 20;
// The most Http_Get keeps in memory by default: the body is held once, so the call
// grows the host's memory by well under 256 MiB.
constexpr int64_t DefaultMaxMemoryBody = int64_t(128) << 20;

class TSocketBase {
public:
    TSocketBase();
    virtual ~TSocketBase();
    TSocketBase(const TSocketBase&) = delete;
    TSocketBase& operator=(const TSocketBase&) = delete;

    std::string Host;
    int Port = 0;
    int TimeOut = 0;  // ms for each wait; 0 = no limit
    int ReportLevel = 0;
    std::string Proxy;
    int ProxyPort = 0;
    // Local address Listen binds to.
    std::string ListenAddress = "0.0.0.0";

    bool Connected = false;
    bool Canceled = false;
    bool TimedOut = false;
    bool Succeeded = true;
    int64_t BytesSent = 0;
    int64_t BytesRecvd = 0;
    int64_t BytesTotal = 0;
    int LastError = 0;
    std::string LastReply;
    int ReplyNumber = 0;
    std::string StatusText;
    uint32_t RemoteAddress = 0;  // network order
    uint16_t RemotePort = 0;     // host order
    std::vector<std::string> Information;
    // End of the whole call, taken from the library setting when the client is made;
    // a client that opens further sockets hands its own on. max(): no limit.
    std::chrono::steady_clock::time_point Deadline = std::chrono::steady_clock::time_point::max();
    // Accept takes connections only from this address (network order; 0: any); others
    // are closed and the wait goes on.
    uint32_t AcceptFrom = 0;

    std::function<void(TSocketBase&)> OnConnect;
    std::function<void(TSocketBase&)> OnDisconnect;
    std::function<void(TSocketBase&, bool& handled)> OnInvalidHost;
    std::function<void(TSocketBase&)> OnHostResolved;
    std::function<void(TSocketBase&, const std::string&)> OnStatus;
    std::function<void(TSocketBase&)> OnConnectionFailed;
    std::function<void(TSocketBase&, int code, const std::string& message)> OnError;
    std::function<void(TSocketBase&)> OnConnectionRequired;
    std::function<void(TSocketBase&)> OnPacketRecvd;
    std::function<void(TSocketBase&)> OnPacketSent;
    std::function<void(TSocketBase&)> OnDataAvailable;
    std::function<void(TSocketBase&)> OnAccept;

    void Connect();
    // Connect without running OnConnect: for clients whose OnConnect means logged in or
    // greeted, which they run themselves once the dialogue has got that far.
    void ConnectHoldingOnConnect();
    void Disconnect();
    void CertifyConnect();
    void Cancel();
    void Abort();
    // Sends count bytes; count 0 sends the zero-terminated text at bytes.
    void SendBuffer(const char* bytes, size_t count);
    void Write(const std::string& text);
    void Writeln(const std::string& text);
    std::string Read(int count);
    std::string ReadLn();
    std::string Transaction(const std::string& command);
    void SendFile(const std::string& fileName);
    void SendStream(TStream& stream);
    // Receives into a new file until the peer closes, or until limit bytes (-1: none).
    // More than cap bytes (0: no cap) fails the capture with "Body too large".
    void CaptureFile(const std::string& fileName, int64_t limit = -1, int64_t cap = 0);
    // Receives into text until the peer closes or size bytes arrived (-1: no size).
    void CaptureString(std::string& text, int64_t size = -1);
    void ReceiveInto(int64_t limit, const std::function<void(const char*, size_t)>& sink);
    // The same, received straight into the caller's memory: `room` gives where the next
    // bytes go and how many fit there (null: no room left, the receive ends), `took` is told
    // how many arrived.
    void ReceiveDirect(int64_t limit, const std::function<char*(size_t&)>& room,
                       const std::function<void(size_t)>& took);
    void Listen(bool useLookupMessage);
    // Waits for one incoming connection (bounded by TimeOut) and continues on it;
    // the listening socket is closed. Returns the new socket handle.
    TSocketHandle Accept();
    void ResolveHost();
    bool DataAvailable();
    // The peer closed and nothing it sent is left to read.
    bool PeerClosed();
    void ClearInput();

    // Local end formatted for an FTP PORT command: "a,b,c,d" and ",hi,lo".
    std::string LocalAddressForPort() const;
    std::string LocalPortForPort() const;
    // The dotted local address of the connection, or empty.
    std::string LocalAddress() const;
    int LocalPort() const;
    TSocketHandle Handle() const { return FSocket; }
    // Bulk transfers (the FTP data connection) receive in larger blocks.
    void SetWorkBufferSize(size_t size) { FWorkBuffer.resize(size); }

protected:
    void Report(const std::string& text, int level);
    // The error path: fails with "code:text" unless code is the tolerated one.
    void SocketError(int code, int tolerated);
    void WaitPass() {
        FDispatcher.WaitPass();
        CheckDeadline();
    }
    // Fails with text when the running operation was cancelled or timed out.
    void CheckCanceled(const char* text);
    // Past the deadline, or past the limit of the running exchange, the running
    // operation is aborted like a time-out.
    void CheckDeadline();
    // Bounds the waits from now on to ms in all (0: no limit), until cleared: a reply of
    // many lines, or one that drips, ends within the time-out all the same.
    void LimitWaits(int ms);
    void ClearWaitLimit() { FWaitLimit = std::chrono::steady_clock::time_point::max(); }
    void Pump() { FDispatcher.Pump(); }
    bool Destroying() const { return FDestroying; }

private:
    TDispatcher& FDispatcher;
    TSocketHandle FSocket = NoSocket;
    bool FRegistered = false;
    bool FConnecting = false;
    bool FListening = false;
    bool FListenUseLookup = false;
    bool FLookupDone = false;
    int FLookupError = 0;
    bool FDestroying = false;
    std::vector<char> FWorkBuffer;
    // Bytes received but not yet taken by a reader: lines are cut from here, so
    // one receive serves many short lines.
    std::vector<char> FInput;
    size_t FInputPos = 0;
    size_t FInputEnd = 0;
    TThreadTimer FTimer;
    std::unique_ptr<THostLookup> FLookup;

    void NewSocket();
    void RegisterSocket(uint32_t events);
    void CloseSocket();
    void SocketEvent(uint32_t event, int error);
    void TimerOn();
    void TimerOff();
    void TimerFired();
    // After a received block: counts as activity for the time-out, and lets
    // other work run now and then.
    void Progress();
    std::chrono::steady_clock::time_point FLastActivity;
    std::chrono::steady_clock::time_point FWaitLimit = std::chrono::steady_clock::time_point::max();
    std::chrono::steady_clock::time_point FLastPump;
    // A receive that maps "would block" to -2 and fails on real errors (except "not
    // connected": -3).
    long Receive(char* buffer, size_t count);
    size_t Buffered() const { return FInputEnd - FInputPos; }
    // Receives what is waiting into the input buffer (result as Receive).
    long Fill();
    // Moves up to count buffered bytes to out.
    size_t TakeBuffered(char* out, size_t count);
    void DropInput() { FInputPos = FInputEnd = 0; }
};

}  // namespace kestrup
