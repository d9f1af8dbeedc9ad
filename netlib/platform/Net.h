// What the protocol code needs of the operating system, and nothing more: TCP
// sockets whose calls report the library's error codes (10035 "would block", 10061
// "connection refused", ...), socket events delivered on the thread that owns the
// socket, the wait-and-dispatch step of every blocking operation, timers, host
// look-ups and files. One implementation over POSIX (epoll), one over Win32
// (window messages); the code above this header is the same on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrup {

// A socket: a descriptor on POSIX, a SOCKET on Windows. Both fit; -1 is none.
using TSocketHandle = intptr_t;
constexpr TSocketHandle NoSocket = -1;

// Error codes the calls report (the rest are in the error table of the socket base).
constexpr int WouldBlock = 10035;
constexpr int NotConnected = 10057;

// Socket events. Each is announced once and again only after the call that takes it
// up: a read after the next receive that leaves data waiting, a write after a send
// that would have blocked, an accept after the next accept. A handler may meet a
// spurious event and must then find that its call would block.
enum TNetEvent : uint32_t {
    neRead = 1,
    neWrite = 2,
    neAccept = 4,
    neConnect = 8,  // the connect started by StartConnect ended; error 0 when it succeeded
    neClose = 16,   // the peer closed or reset the connection (error then tells)
};
// event is one TNetEvent; error 0 or an error code.
using TSocketHandler = std::function<void(uint32_t event, int error)>;

namespace net {

// The error code of the last failed call of this thread.
int LastError();
// A non-blocking TCP socket that closes on exec, or NoSocket (LastError tells).
TSocketHandle OpenTcp();
// Closes the socket; false when the system refused (LastError tells).
bool Close(TSocketHandle s);
// Lingering on with 0 s (close resets the connection) or off (close drains).
void SetResetOnClose(TSocketHandle s, bool reset);
// Starts connecting to an IPv4 address (network order). 0: connected already;
// WouldBlock: under way, neConnect follows; any other code: failed.
int StartConnect(TSocketHandle s, uint32_t address, uint16_t port);
// Bytes sent, or -1 (LastError tells; WouldBlock when the socket takes nothing now).
long Send(TSocketHandle s, const char* data, size_t count);
// Bytes received, 0 when the peer closed, -1 (LastError tells). peek leaves them waiting.
long Receive(TSocketHandle s, char* buffer, size_t count, bool peek = false);
// Binds to address:port (port 0: any free one) and listens. 0 or an error code.
int Listen(TSocketHandle s, uint32_t address, uint16_t port, int backlog);
// Takes one waiting connection, or NoSocket (LastError tells). The new socket is
// non-blocking and connected.
TSocketHandle Accept(TSocketHandle s, uint32_t* peerAddress, uint16_t* peerPort);
// The local or remote end of a socket; false when it has none.
bool LocalEnd(TSocketHandle s, uint32_t* address, uint16_t* port);
bool RemoteEnd(TSocketHandle s, uint32_t* address, uint16_t* port);
// Dotted IPv4 text to an address in network order, and back.
bool ParseAddress(const std::string& text, uint32_t* address);
std::string FormatAddress(uint32_t address);
// Lines describing the socket layer ("Version= ...", "Max Sockets= ..."), starting
// it when this is the first use in the process.
std::vector<std::string> SocketLayerInfo();

}  // namespace net

// The calling thread's event loop: socket events, timers, look-ups and posted tasks
// of the thread are delivered from Dispatch, on that thread. On Windows the same
// step runs the thread's window messages, so a host's windows keep working while a
// call waits, and the host's own message loop delivers the library's events.
class TDispatcher {
public:
    static TDispatcher& Current();
    ~TDispatcher();
    TDispatcher(const TDispatcher&) = delete;
    TDispatcher& operator=(const TDispatcher&) = delete;

    // Delivers the events of socket s (a set of TNetEvent) to handler; replaces an
    // earlier registration. Watch a socket before starting its connect.
    void Watch(TSocketHandle s, uint32_t events, TSocketHandler handler);
    // No event of s is delivered after this, also none that was already pending.
    void Unwatch(TSocketHandle s);
    // Runs task on this thread from a later Dispatch.
    void Post(std::function<void()> task);
    // Waits up to timeoutMs for events and delivers them; returns how many.
    int Dispatch(int timeoutMs);
    // One pass of every wait loop: at most 2 ms for events, then the host's idle callback.
    void WaitPass();
    // Delivery without waiting plus the idle callback, for loops busy moving data.
    void Pump();
    // A descriptor that is readable while events wait (POSIX hosts watch it), or -1.
    int Fd() const;

    struct TImpl;

private:
    TDispatcher();
    std::unique_ptr<TImpl> F;
    friend class TThreadTimer;
    friend class THostLookup;
};

void SetIdleCallback(void (*callback)());
void RunIdleCallback();

// A host name look-up that does not hold the calling thread; its completion is
// delivered by the dispatcher of the thread that started it. Dropping the object
// abandons the look-up.
class THostLookup {
public:
    // done(error, address): error 0 and an IPv4 address in network order, or a
    // look-up error code (11001...).
    using TDone = std::function<void(int error, uint32_t address)>;
    THostLookup(const std::string& host, TDone done);
    ~THostLookup();
    THostLookup(const THostLookup&) = delete;
    THostLookup& operator=(const THostLookup&) = delete;

    struct TJob;

private:
    std::shared_ptr<TJob> FJob;
};

// A repeating timer of the calling thread: fires OnTimer every Interval ms while
// enabled, from the thread's dispatcher.
class TThreadTimer {
public:
    TThreadTimer();
    ~TThreadTimer();
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    bool Enabled() const { return FEnabled; }
    int Interval() const { return FInterval; }
    void SetEnabled(bool value);
    void SetInterval(int ms);
    void SetOnTimer(std::function<void()> handler);
    // Sets the interval and enables the timer in one step.
    void Start(int ms);

    struct TImpl;

private:
    bool FEnabled = true;
    int FInterval = 1000;
    std::function<void()> FOnTimer;
    std::unique_ptr<TImpl> F;
    void Restart();
    void Fired();
};

namespace files {

// An open file. Binary on every platform.
class TFile {
public:
    enum TMode { OpenRead, Create };  // Create makes it empty, replacing an old one
    TFile() = default;
    ~TFile();
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    // False when it cannot be opened; Error() says why.
    bool Open(const std::string& name, TMode mode);
    // Bytes read (0 at the end) or -1.
    int64_t Read(void* buffer, int64_t count);
    // True when all was written.
    bool Write(const void* buffer, int64_t count);
    // origin 0 start, 1 current, 2 end; the new position or -1.
    int64_t Seek(int64_t offset, int origin);
    void Close();
    const std::string& Error() const { return FError; }

private:
    intptr_t FHandle = -1;
    std::string FError;
};

// A new empty file beside target ("<target>.part-..."), or empty when none can be made.
std::string CreateBeside(const std::string& target);
// Puts from in the place of to in one step; to is left as it was when this fails.
bool Replace(const std::string& from, const std::string& to);
bool Remove(const std::string& name);
// The size of a file, or -1 when it cannot be read.
int64_t SizeOf(const std::string& name);

}  // namespace files

// A large buffer about to be filled once from start to end: ask the system for large
// pages where it has them, so filling it costs fewer page faults.
void AdviseLargeBuffer(char* data, size_t size);

// Memory for a body of up to a known capacity whose contents never move: the address
// range is reserved at once and takes memory only as it is filled, so growing costs no
// copy and the body is held once. A zero byte always follows the contents.
class TBodyBuffer {
public:
    // Fails with std::bad_alloc when the address range cannot be had. filled: the
    // contents will fill it (a known length), so large pages pay off.
    explicit TBodyBuffer(size_t capacity, bool filled = false);
    ~TBodyBuffer();
    TBodyBuffer(const TBodyBuffer&) = delete;
    TBodyBuffer& operator=(const TBodyBuffer&) = delete;
    const char* Data() const { return FData; }
    size_t Size() const { return FSize; }
    size_t Capacity() const { return FCapacity; }
    // False (and nothing appended) when the contents would pass the capacity.
    bool Append(const char* data, size_t count);
    // Where up to `count` more bytes go, for a receive straight into the buffer; `count`
    // comes back as the room there is (0, and null, at the capacity). Commit then takes
    // what was written.
    char* Reserve(size_t& count);
    void Commit(size_t count);

private:
    char* FData = nullptr;
    size_t FSize = 0;
    size_t FCapacity = 0;
    size_t FUsable = 0;  // bytes that may be written without asking the system again
    bool MakeUsable(size_t bytes);
};

}  // namespace kestrup
