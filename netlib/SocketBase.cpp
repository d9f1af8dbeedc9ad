#include "SocketBase.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>

namespace kestrup {

namespace {

struct TErrorEntry {
    int Code;
    const char* Text;
};

const TErrorEntry ErrorTable[] = {
    {10004, "Interrupted system call"},
    {10009, "Bad file number"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Wrong protocol type for socket"},
    {10042, "Bad protocol option"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Can't assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection or reset"},
    {10053, "Software caused connection abort"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references, can't splice"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolic links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to Host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disc quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network subsystem is unavailable"},
    {10092, "Incompatible version of WINSOCK.DLL"},
    {10093, "Successful WSAStartup not yet performed"},
    {11001, "Host not found"},
    {11002, "Non-Authoritative Host not found"},
    {11003, "Non-Recoverable error: FORMERR, REFUSED, NOTIMP"},
    {11004, "Valid name, no data record of requested type"},
    {0, "Unrecognized error code"},
};

constexpr int WouldBlock = 10035;
constexpr int NotConnected = 10057;
constexpr size_t WorkBufferSize = 65536;

std::atomic<int> GLiveSockets{0};
std::atomic<int> GCallDeadlineMs{0};

}  // namespace

void SetCallDeadline(int ms) { GCallDeadlineMs = ms > 0 ? ms : 0; }
int CallDeadline() { return GCallDeadlineMs; }

std::string SocketErrorText(int code) {
    for (const auto& e : ErrorTable)
        if (e.Code != 0 && e.Code == code) return e.Text;
    return {};
}

int SocketErrorCode(int err) {
    switch (err) {
        case 0:
            return 0;
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
        case ENFILE:
            return 10024;
        case EAGAIN:
            return WouldBlock;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case ENOPROTOOPT:
            return 10042;
        case EPROTONOSUPPORT:
            return 10043;
        case ESOCKTNOSUPPORT:
            return 10044;
        case EOPNOTSUPP:
            return 10045;
        case EPFNOSUPPORT:
            return 10046;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
            return 10054;
        case ENOBUFS:
        case ENOMEM:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return NotConnected;
        case ESHUTDOWN:
        case EPIPE:
            return 10058;
        case ETOOMANYREFS:
            return 10059;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case ELOOP:
            return 10062;
        case ENAMETOOLONG:
            return 10063;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        case ENOTEMPTY:
            return 10066;
        case EUSERS:
            return 10068;
        case EDQUOT:
            return 10069;
        case ESTALE:
            return 10070;
        case EREMOTE:
            return 10071;
        // Outside the table: kept above 10000 so the error path still fails on it.
        default:
            return 20000 + err;
    }
}

TSocketBase::TSocketBase() : FDispatcher(TDispatcher::Current()), FWorkBuffer(WorkBufferSize) {
    if (int ms = GCallDeadlineMs; ms > 0)
        Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    FTimer.SetEnabled(false);
    FTimer.SetOnTimer([this] { TimerFired(); });
    Report("Create", 8);
    Report("Initializing Winsock", 8);
    if (GLiveSockets++ == 0 || Information.empty()) {
        rlimit lim{};
        getrlimit(RLIMIT_NOFILE, &lim);
        Information = {"Version= 1.1",
                       "High Version= 1.1",
                       "Description= POSIX sockets",
                       "System= Running",
                       "Max Sockets= " + std::to_string(lim.rlim_cur),
                       "Max Udp pack size= 65507"};
    }
    try {
        NewSocket();
    } catch (...) {
        --GLiveSockets;
        throw ESockError("Initializaton of windows sockets failed");
    }
}

TSocketBase::~TSocketBase() {
    Report("Destroy", 8);
    Abort();
    Cancel();
    FLookup.reset();
    FDestroying = true;
    if (FSocket >= 0) {
        if (FRegistered) FDispatcher.Remove(FSocket);
        ::close(FSocket);
        FSocket = -1;
    }
    --GLiveSockets;
}

void TSocketBase::Report(const std::string& text, int level) {
    if (ReportLevel >= level && !FDestroying) {
        StatusText = text;
        if (OnStatus) OnStatus(*this, text);
    }
}

void TSocketBase::SocketError(int err, int tolerated) {
    int code = SocketErrorCode(err);
    LastError = code;
    if (code == tolerated || code <= 10000) return;
    std::string text = SocketErrorText(code);
    Report("Looking Up Error Message " + text, 8);
    std::string message = text.empty() ? "Unknown Error No. " + std::to_string(code)
                                       : std::to_string(code) + ":" + text;
    if (OnError) OnError(*this, code, message);
    throw ESockError(message);
}

void TSocketBase::NewSocket() {
    FSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (FSocket < 0) throw ESockError("Initializaton of windows sockets failed");
    // Closing resets the connection instead of draining it.
    linger lg{1, 0};
    ::setsockopt(FSocket, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    FRegistered = false;
    FConnecting = false;
    FListening = false;
}

void TSocketBase::RegisterSocket(uint32_t events) {
    // A fresh socket is watched only once it connects or listens: an idle
    // unconnected socket reports a hang-up that would read as a close.
    if (FRegistered) FDispatcher.Remove(FSocket);
    FDispatcher.Add(FSocket, events, [this](uint32_t ev) { SocketEvent(ev); });
    FRegistered = true;
}

void TSocketBase::CloseSocket() {
    Report("Request Close Socket", 4);
    Connected = false;
    DropInput();
    if (FSocket < 0) return;
    if (FRegistered) FDispatcher.Remove(FSocket);
    FRegistered = false;
    int rc = ::close(FSocket);
    FSocket = -1;
    FConnecting = FListening = false;
    if (rc < 0) SocketError(errno, WouldBlock);
    // The fresh socket for the next Connect is made when that comes.
    if (!FDestroying && OnDisconnect) OnDisconnect(*this);
}

void TSocketBase::SocketEvent(uint32_t events) {
    try {
        if (FConnecting) {
            if (!(events & (EPOLLOUT | EPOLLERR | EPOLLHUP))) return;
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &err, &len);
            FConnecting = false;
            Succeeded = err == 0;
            if (!Succeeded) {
                LastError = SocketErrorCode(err);
                return;
            }
            Connected = true;
            if (OnConnect) OnConnect(*this);
            events &= ~uint32_t(EPOLLOUT);
        }
        if (FListening) {
            if (events & EPOLLIN) {
                Succeeded = !(events & EPOLLERR);
                Connected = true;
                if (FListenUseLookup)
                    FLookupDone = true;
                else if (OnAccept)
                    OnAccept(*this);
            }
            return;
        }
        Succeeded = !(events & EPOLLERR);
        if (events & EPOLLIN) {
            try {
                if (OnDataAvailable) OnDataAvailable(*this);
            } catch (...) {
            }
        }
        if ((events & (EPOLLRDHUP | EPOLLHUP)) && FSocket >= 0 && Connected) {
            // While bytes wait, the readers meet the end of the data themselves; a
            // reset is left for them too, so it fails the read instead of reading
            // as an orderly close.
            if (!(events & EPOLLERR) && !DataAvailable()) CloseSocket();
        }
    } catch (...) {
        // Event handling never fails outward.
    }
}

void TSocketBase::TimerOn() {
    Report("Timer On", 8);
    TimedOut = false;
    FLastActivity = std::chrono::steady_clock::now();
    if (TimeOut > 0) {
        FTimer.Start(TimeOut);
    }
}

void TSocketBase::Progress() {
    // Restarting the time-out and letting other work run cost system calls, so a
    // fast transfer does both once a millisecond rather than after every block.
    auto now = std::chrono::steady_clock::now();
    FLastActivity = now;
    if (now - FLastPump >= std::chrono::milliseconds(1)) {
        FLastPump = now;
        Pump();
        CheckDeadline();
    }
}

void TSocketBase::CheckDeadline() {
    // The per-step time-out restarts with every byte; this one does not, so a
    // peer that drips data cannot hold the call.
    if (Deadline == std::chrono::steady_clock::time_point::max() || Canceled) return;
    if (std::chrono::steady_clock::now() < Deadline) return;
    Report("Call Deadline Passed", 8);
    TimedOut = true;
    FLookupDone = true;
    Abort();
}

void TSocketBase::TimerOff() {
    Report("Timer Off", 8);
    FTimer.SetEnabled(false);
}

void TSocketBase::TimerFired() {
    // Data arrived since the timer was started: the silence is shorter than the limit.
    auto silent = std::chrono::steady_clock::now() - FLastActivity;
    if (TimeOut > 0 && silent < std::chrono::milliseconds(TimeOut)) {
        auto rest = std::chrono::milliseconds(TimeOut) -
                    std::chrono::duration_cast<std::chrono::milliseconds>(silent);
        FTimer.Start(int(std::max<int64_t>(1, rest.count())));
        return;
    }
    Report("Timer Triggered", 8);
    TimerOff();
    TimedOut = true;
    FLookupDone = true;
    Abort();
}

void TSocketBase::CheckCanceled(const char* text) {
    if (Canceled) {
        Canceled = false;
        throw EAbortError(text);
    }
}

void TSocketBase::Cancel() {
    Report("Canceling", 8);
    Canceled = true;
}

void TSocketBase::Abort() {
    Report("Abort", 8);
    Cancel();
}

void TSocketBase::ConnectHoldingOnConnect() {
    auto onConnect = std::move(OnConnect);
    OnConnect = nullptr;
    try {
        Connect();
    } catch (...) {
        OnConnect = std::move(onConnect);
        throw;
    }
    OnConnect = std::move(onConnect);
}

void TSocketBase::CertifyConnect() {
    Report("Checking Connection", 8);
    if (!Connected) throw ESockError("Not Connected");
}

void TSocketBase::ResolveHost() {
    Report("Resolve Host", 8);
    const std::string& target = Proxy.empty() ? Host : Proxy;
    in_addr a{};
    if (::inet_pton(AF_INET, target.c_str(), &a) == 1) {
        RemoteAddress = a.s_addr;
        return;
    }
    RemoteAddress = 0;
    TimerOn();
    FLookupDone = false;
    FLookupError = 0;
    uint32_t found = 0;
    FLookup = std::make_unique<THostLookup>(target, [this, &found](int error, uint32_t address) {
        FLookupError = error;
        found = address;
        FLookupDone = true;
    });
    while (!FLookupDone && !TimedOut && !Canceled) WaitPass();
    TimerOff();
    FLookup.reset();  // abandons a look-up still running
    if (TimedOut) throw ESockError("Host Lookup Timed Out");
    if (Canceled) throw ESockError("Host Lookup Canceled");
    if (FLookupError != 0) {
        LastError = FLookupError;
        throw ESockError("Host Lookup Failed");
    }
    RemoteAddress = found;
    if (OnHostResolved) OnHostResolved(*this);
}

void TSocketBase::Connect() {
    Report("Connecting", 8);
    Canceled = false;
    if (Connected) throw ESockError("Already connected");
    if (std::chrono::steady_clock::now() >= Deadline) throw ESockError("Call deadline passed");
    bool retried = false;
    for (;;) {
        try {
            ResolveHost();
        } catch (const ESockError& e) {
            if (std::string(e.what()) != "Host Lookup Failed") throw;
        }
        if (RemoteAddress != 0) break;
        bool handled = false;
        if (!retried && OnInvalidHost) OnInvalidHost(*this, handled);
        if (retried || !handled) throw ESockError("Null Remote Address");
        retried = true;
    }
    if (FSocket < 0) NewSocket();
    DropInput();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    RemotePort = uint16_t(Proxy.empty() ? Port : ProxyPort);
    addr.sin_port = htons(RemotePort);
    addr.sin_addr.s_addr = RemoteAddress;
    FLookupDone = false;
    Succeeded = true;
    FConnecting = true;
    RegisterSocket(EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET);
    if (::connect(FSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        FConnecting = false;
        Connected = true;
        if (OnConnect) OnConnect(*this);
    } else if (errno != EINPROGRESS) {
        int err = errno;
        FConnecting = false;
        Succeeded = false;
        LastError = SocketErrorCode(err);
    }
    TimerOn();
    while (!Connected && !TimedOut && !Canceled && Succeeded) WaitPass();
    TimerOff();
    if (Connected && !TimedOut && !Canceled && Succeeded) return;
    bool timedOut = TimedOut, canceled = Canceled;
    Canceled = false;
    // The failed socket cannot connect again; the next attempt gets a new one.
    FConnecting = false;
    Connected = false;
    if (FRegistered) FDispatcher.Remove(FSocket);
    ::close(FSocket);
    FSocket = -1;
    FRegistered = false;
    if (OnConnectionFailed) OnConnectionFailed(*this);
    if (timedOut) throw ESockError("Connection Timed out");
    if (canceled) throw ESockError("Connection Canceled");
    throw ESockError("Connection Failed");  // LastError tells why
}

void TSocketBase::Disconnect() {
    Report("Disconnecting", 8);
    CloseSocket();
}

void TSocketBase::SendBuffer(const char* bytes, size_t count) {
    Report("Sending Buffer", 4);
    TimerOn();
    if (!Canceled) {
        if (count == 0) count = std::strlen(bytes);
        size_t sent = 0;
        while (sent < count && !Canceled) {
            ssize_t n = ::send(FSocket, bytes + sent, count - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += size_t(n);
                // A reader that keeps taking data is not silent: the time-out counts from here.
                FLastActivity = std::chrono::steady_clock::now();
            } else if (n == 0) {
                break;
            } else {
                int err = errno;
                try {
                    SocketError(err, WouldBlock);
                } catch (...) {
                    TimerOff();
                    throw;
                }
                WaitPass();
            }
        }
    }
    TimerOff();
    CheckCanceled("Socket send aborted");
}

void TSocketBase::Write(const std::string& text) {
    Report("Write", 8);
    // The whole text goes out, however long.
    if (!text.empty()) SendBuffer(text.data(), text.size());
}

void TSocketBase::Writeln(const std::string& text) {
    Report("Writeln", 8);
    Write(text + "\r\n");
}

ssize_t TSocketBase::Receive(char* buffer, size_t count, int flags) {
    ssize_t n = ::recv(FSocket, buffer, count, flags | MSG_DONTWAIT);
    if (n >= 0) return n;
    int err = errno;
    if (err == EINTR || err == EAGAIN) return -2;
    if (err == ENOTCONN || err == EBADF) {
        LastError = NotConnected;
        return -3;
    }
    SocketError(err, WouldBlock);
    return -2;
}

ssize_t TSocketBase::Fill() {
    if (FInputPos == FInputEnd) DropInput();
    if (FInput.size() - FInputEnd < WorkBufferSize / 2) {
        if (FInputPos > 0) {
            std::memmove(FInput.data(), FInput.data() + FInputPos, Buffered());
            FInputEnd -= FInputPos;
            FInputPos = 0;
        }
        if (FInput.size() - FInputEnd < WorkBufferSize / 2)
            FInput.resize(std::max(FInput.size() * 2, WorkBufferSize));
    }
    ssize_t n = Receive(FInput.data() + FInputEnd, FInput.size() - FInputEnd, 0);
    if (n > 0) FInputEnd += size_t(n);
    return n;
}

size_t TSocketBase::TakeBuffered(char* out, size_t count) {
    size_t n = std::min(count, Buffered());
    std::memcpy(out, FInput.data() + FInputPos, n);
    FInputPos += n;
    return n;
}

std::string TSocketBase::Read(int count) {
    Report("Read( " + std::to_string(count) + " )", 8);
    std::string result;
    if (count > 0) {
        // Wait until the wanted bytes are there; the peer closing gives nothing.
        while (Buffered() < size_t(count) && !Canceled) {
            ssize_t n = Fill();
            if (n == 0 || n == -3) return result;
            if (n == -2) WaitPass();
        }
        CheckCanceled("Socket send aborted");
    } else {
        if (Buffered() == 0 && Fill() <= 0) return result;
        count = int(Buffered());
    }
    result.resize(size_t(count));
    TakeBuffered(result.data(), size_t(count));
    BytesRecvd += count;
    return result;
}

std::string TSocketBase::ReadLn() {
    Report("ReadLn", 8);
    TimerOn();
    std::string line;
    try {
        while (!Canceled) {
            const char* start = FInput.data() + FInputPos;
            const char* lf = Buffered()
                                 ? static_cast<const char*>(std::memchr(start, '\n', Buffered()))
                                 : nullptr;
            size_t length = lf ? size_t(lf - start) + 1 : Buffered();
            if (length > MaxLineLength) throw EKestrupError("Reply line too long");
            if (lf) {
                line.assign(start, length);
                FInputPos += length;
                break;
            }
            ssize_t n = Fill();
            if (n == 0 || n == -3) {
                // The peer closed: a partial line counts for nothing.
                DropInput();
                break;
            }
            if (n == -2) WaitPass();
        }
    } catch (...) {
        TimerOff();
        throw;
    }
    TimerOff();
    CheckCanceled("Socket readln aborted");
    return line;
}

std::string TSocketBase::Transaction(const std::string& command) {
    Report("Transaction", 8);
    ReplyNumber = 0;
    Writeln(command);
    LastReply = ReadLn();
    if (!LastReply.empty()) {
        Report(LastReply, 1);
        size_t digits = 0;
        while (digits < LastReply.size() && digits < 10 && LastReply[digits] >= '0' &&
               LastReply[digits] <= '9')
            ++digits;
        if (digits > 0) {
            long long v = std::stoll(LastReply.substr(0, digits));
            ReplyNumber = v <= 32767 ? int(v) : 0;
        }
    }
    return LastReply;
}

void TSocketBase::SendFile(const std::string& fileName) {
    Report("SendFile", 8);
    TFileStream file(fileName, TFileStream::fmOpenRead);
    for (;;) {
        int64_t n = file.Read(FWorkBuffer.data(), int64_t(FWorkBuffer.size()));
        if (n <= 0 || Canceled) break;
        SendBuffer(FWorkBuffer.data(), size_t(n));
        BytesSent += n;
        if (OnPacketSent) OnPacketSent(*this);
        Pump();
    }
    CheckCanceled("Socket send aborted");
}

void TSocketBase::SendStream(TStream& stream) {
    Report("SendStream", 8);
    stream.SetPosition(0);
    BytesSent = 0;
    BytesTotal = stream.Size();
    for (;;) {
        int64_t n = stream.Read(FWorkBuffer.data(), int64_t(FWorkBuffer.size()));
        if (n <= 0 || Canceled) break;
        SendBuffer(FWorkBuffer.data(), size_t(n));
        BytesSent += n;
        if (OnPacketSent) OnPacketSent(*this);
        Pump();
    }
    CheckCanceled("Socket send aborted");
}

// Receives until the peer closes, `limit` bytes arrived (negative: no limit) or the
// operation is cancelled, handing each piece to `sink`. Bounded by the time-out timer.
void TSocketBase::ReceiveInto(int64_t limit, const std::function<void(const char*, size_t)>& sink) {
    BytesRecvd = 0;
    TimerOn();
    try {
        while (!Canceled && (limit < 0 || BytesRecvd < limit)) {
            size_t want = FWorkBuffer.size();
            if (limit >= 0) want = size_t(std::min<int64_t>(int64_t(want), limit - BytesRecvd));
            ssize_t n = Buffered() ? ssize_t(TakeBuffered(FWorkBuffer.data(), want))
                                   : Receive(FWorkBuffer.data(), want, 0);
            if (n == 0 || n == -3) break;
            if (n > 0) {
                sink(FWorkBuffer.data(), size_t(n));
                BytesRecvd += n;
                if (OnPacketRecvd) OnPacketRecvd(*this);
                Progress();
            } else {
                WaitPass();
            }
        }
    } catch (...) {
        TimerOff();
        throw;
    }
    TimerOff();
}

void TSocketBase::CaptureFile(const std::string& fileName, int64_t limit, int64_t cap) {
    Report("CaptureFile", 8);
    TFileStream file(fileName, TFileStream::fmCreate);
    int64_t written = 0;
    ReceiveInto(limit, [&](const char* data, size_t n) {
        // Checked before writing: the file never holds more than the cap.
        if (cap > 0 && written + int64_t(n) > cap) throw ETooLarge();
        file.Write(data, int64_t(n));
        written += int64_t(n);
    });
    CheckCanceled("Socket send aborted");
}

void TSocketBase::CaptureString(std::string& text, int64_t size) {
    Report("Capture String", 8);
    text.clear();
    // The work buffer stays in cache, so copying from it is cheaper than receiving into
    // fresh memory of the text.
    ReceiveInto(size, [&](const char* data, size_t n) { text.append(data, n); });
    CheckCanceled("Socket capture aborted");
}

void TSocketBase::Listen(bool useLookupMessage) {
    Report("Listening", 8);
    if (FSocket < 0) NewSocket();
    int one = 1;
    ::setsockopt(FSocket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(Port));
    if (::inet_pton(AF_INET, ListenAddress.c_str(), &addr.sin_addr) != 1)
        throw ESockError("Invalid listen address " + ListenAddress);
    if (::bind(FSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0)
        SocketError(errno, WouldBlock);
    if (::listen(FSocket, 1) < 0) SocketError(errno, WouldBlock);
    FListening = true;
    FListenUseLookup = useLookupMessage;
    FLookupDone = false;
    Succeeded = true;
    RegisterSocket(EPOLLIN);
}

int TSocketBase::Accept() {
    Report("Accepting", 4);
    // Bounded by TimeOut: a peer that never connects must not hold the caller.
    TimerOn();
    while (!FLookupDone && !Connected && !Canceled) WaitPass();
    TimerOff();
    if (Canceled) {
        Canceled = false;
        throw ESockError("Accepting Canceled");
    }
    if (!Succeeded) throw ESockError("Error creating Data Connection");
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int fd =
        ::accept4(FSocket, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) throw ESockError("Error creating Data Connection");
    FDispatcher.Remove(FSocket);
    ::close(FSocket);
    FSocket = fd;
    DropInput();
    FRegistered = false;
    FListening = false;
    linger lg{1, 0};
    ::setsockopt(FSocket, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    RegisterSocket(EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET);
    RemoteAddress = peer.sin_addr.s_addr;
    RemotePort = ntohs(peer.sin_port);
    Connected = true;
    return fd;
}

bool TSocketBase::DataAvailable() {
    Report("Data Available", 8);
    char c;
    return Buffered() > 0 || (FSocket >= 0 && ::recv(FSocket, &c, 1, MSG_PEEK | MSG_DONTWAIT) > 0);
}

void TSocketBase::ClearInput() {
    Report("Clearing Input", 8);
    DropInput();
    if (FSocket >= 0) {
        ssize_t n = ::recv(FSocket, FWorkBuffer.data(), FWorkBuffer.size(), MSG_DONTWAIT);
        (void)n;
    }
}

std::string TSocketBase::LocalAddressForPort() const {
    sockaddr_in local{};
    socklen_t len = sizeof local;
    ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&local), &len);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

int TSocketBase::LocalPort() const {
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (::getsockname(FSocket, reinterpret_cast<sockaddr*>(&local), &len) < 0) return 0;
    return ntohs(local.sin_port);
}

std::string TSocketBase::LocalPortForPort() const {
    int port = LocalPort();
    return "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}

}  // namespace kestrup
