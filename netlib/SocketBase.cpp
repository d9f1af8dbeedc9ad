#include "SocketBase.h"

#include <algorithm>
#include <atomic>
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

TSocketBase::TSocketBase() : FDispatcher(TDispatcher::Current()), FWorkBuffer(WorkBufferSize) {
    if (int ms = GCallDeadlineMs; ms > 0)
        Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    FTimer.SetEnabled(false);
    FTimer.SetOnTimer([this] { TimerFired(); });
    Report("Create", 8);
    Report("Initializing Winsock", 8);
    if (GLiveSockets++ == 0 || Information.empty()) Information = net::SocketLayerInfo();
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
    if (FSocket != NoSocket) {
        net::Close(FSocket);
        FSocket = NoSocket;
    }
    --GLiveSockets;
}

void TSocketBase::Report(const std::string& text, int level) {
    if (ReportLevel >= level && !FDestroying) {
        StatusText = text;
        if (OnStatus) OnStatus(*this, text);
    }
}

void TSocketBase::SocketError(int code, int tolerated) {
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
    FSocket = net::OpenTcp();
    if (FSocket == NoSocket) throw ESockError("Initializaton of windows sockets failed");
    // Closing resets the connection instead of draining it.
    net::SetResetOnClose(FSocket, true);
    FRegistered = false;
    FConnecting = false;
    FListening = false;
}

void TSocketBase::RegisterSocket(uint32_t events) {
    FDispatcher.Watch(FSocket, events, [this](uint32_t event, int error) { SocketEvent(event, error); });
    FRegistered = true;
}

void TSocketBase::CloseSocket() {
    Report("Request Close Socket", 4);
    Connected = false;
    DropInput();
    if (FSocket == NoSocket) return;
    FRegistered = false;
    bool closed = net::Close(FSocket);
    FSocket = NoSocket;
    FConnecting = FListening = false;
    if (!closed) SocketError(net::LastError(), WouldBlock);
    // The fresh socket for the next Connect is made when that comes.
    if (!FDestroying && OnDisconnect) OnDisconnect(*this);
}

void TSocketBase::SocketEvent(uint32_t event, int error) {
    try {
        Succeeded = error == 0;
        switch (event) {
            case neConnect:
                if (!FConnecting) return;
                FConnecting = false;
                if (error != 0) {
                    LastError = error;
                    return;
                }
                Connected = true;
                if (OnConnect) OnConnect(*this);
                break;
            case neAccept:
                if (!FListening) return;
                Connected = true;
                if (FListenUseLookup)
                    FLookupDone = true;
                else if (OnAccept)
                    OnAccept(*this);
                break;
            case neRead:
                try {
                    if (OnDataAvailable) OnDataAvailable(*this);
                } catch (...) {
                }
                break;
            case neClose:
                // While bytes wait, the readers meet the end of the data themselves; a
                // reset is left for them too, so it fails the read instead of reading
                // as an orderly close.
                if (FSocket != NoSocket && Connected && error == 0 && !DataAvailable()) CloseSocket();
                break;
            default:
                break;
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
    // The per-step time-out restarts with every byte; these do not, so a peer that
    // drips data cannot hold the call.
    if (Canceled) return;
    const auto never = std::chrono::steady_clock::time_point::max();
    if (Deadline == never && FWaitLimit == never) return;
    auto now = std::chrono::steady_clock::now();
    if (now < Deadline && now < FWaitLimit) return;
    Report("Call Deadline Passed", 8);
    TimedOut = true;
    FLookupDone = true;
    Abort();
}

void TSocketBase::LimitWaits(int ms) {
    FWaitLimit = ms > 0 ? std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)
                        : std::chrono::steady_clock::time_point::max();
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
    if (uint32_t a; net::ParseAddress(target, &a)) {
        RemoteAddress = a;
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
    if (FSocket == NoSocket) NewSocket();
    DropInput();
    RemotePort = uint16_t(Proxy.empty() ? Port : ProxyPort);
    FLookupDone = false;
    Succeeded = true;
    FConnecting = true;
    RegisterSocket(neRead | neWrite | neConnect | neClose);
    int rc = net::StartConnect(FSocket, RemoteAddress, RemotePort);
    if (rc == 0) {
        FConnecting = false;
        Connected = true;
        if (OnConnect) OnConnect(*this);
    } else if (rc != WouldBlock) {
        FConnecting = false;
        Succeeded = false;
        LastError = rc;
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
    net::Close(FSocket);
    FSocket = NoSocket;
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
            long n = net::Send(FSocket, bytes + sent, count - sent);
            if (n > 0) {
                sent += size_t(n);
                // A reader that keeps taking data is not silent: the time-out counts from here.
                FLastActivity = std::chrono::steady_clock::now();
            } else if (n == 0) {
                break;
            } else {
                int err = net::LastError();
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

long TSocketBase::Receive(char* buffer, size_t count) {
    if (FSocket == NoSocket) {
        LastError = NotConnected;
        return -3;
    }
    long n = net::Receive(FSocket, buffer, count);
    if (n >= 0) return n;
    int err = net::LastError();
    if (err == WouldBlock || err == 10004) return -2;
    if (err == NotConnected || err == 10009 || err == 10038) {
        LastError = NotConnected;
        return -3;
    }
    SocketError(err, WouldBlock);
    return -2;
}

long TSocketBase::Fill() {
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
    long n = Receive(FInput.data() + FInputEnd, FInput.size() - FInputEnd);
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
            long n = Fill();
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
            long n = Fill();
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
    // Each piece lands in the work buffer and is handed on from there.
    ReceiveDirect(
        limit,
        [this](size_t& want) {
            want = std::min(want, FWorkBuffer.size());
            return FWorkBuffer.data();
        },
        [&](size_t n) { sink(FWorkBuffer.data(), n); });
}

void TSocketBase::ReceiveDirect(int64_t limit, const std::function<char*(size_t&)>& room,
                                const std::function<void(size_t)>& took) {
    BytesRecvd = 0;
    TimerOn();
    try {
        while (!Canceled && (limit < 0 || BytesRecvd < limit)) {
            size_t want = limit >= 0 ? size_t(limit - BytesRecvd) : size_t(1) << 30;
            char* to = room(want);
            if (!to || want == 0) break;
            long n = Buffered() ? long(TakeBuffered(to, want)) : Receive(to, want);
            if (n == 0 || n == -3) break;
            if (n > 0) {
                took(size_t(n));
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
    if (FSocket == NoSocket) NewSocket();
    uint32_t address;
    if (!net::ParseAddress(ListenAddress, &address))
        throw ESockError("Invalid listen address " + ListenAddress);
    if (int rc = net::Listen(FSocket, address, uint16_t(Port), 1); rc != 0) SocketError(rc, 0);
    FListening = true;
    FListenUseLookup = useLookupMessage;
    FLookupDone = false;
    Succeeded = true;
    RegisterSocket(neAccept);
}

TSocketHandle TSocketBase::Accept() {
    Report("Accepting", 4);
    // Bounded by TimeOut: a peer that never connects must not hold the caller.
    TimerOn();
    for (;;) {
        while (!FLookupDone && !Connected && !Canceled) WaitPass();
        if (Canceled) {
            TimerOff();
            Canceled = false;
            throw ESockError("Accepting Canceled");
        }
        if (!Succeeded) {
            TimerOff();
            throw ESockError("Error creating Data Connection");
        }
        uint32_t peerAddress = 0;
        uint16_t peerPort = 0;
        TSocketHandle s = net::Accept(FSocket, &peerAddress, &peerPort);
        if (s == NoSocket && net::LastError() == WouldBlock) {
            FLookupDone = Connected = false;
            continue;
        }
        if (s == NoSocket) {
            TimerOff();
            throw ESockError("Error creating Data Connection");
        }
        if (AcceptFrom != 0 && peerAddress != AcceptFrom) {
            // Not the peer we wait for: its data must not pass for the peer's.
            Report("Refused connection from " + net::FormatAddress(peerAddress), 1);
            net::Close(s);
            FLookupDone = Connected = false;
            continue;
        }
        TimerOff();
        net::Close(FSocket);
        FSocket = s;
        DropInput();
        FRegistered = false;
        FListening = false;
        net::SetResetOnClose(FSocket, true);
        RegisterSocket(neRead | neWrite | neClose);
        RemoteAddress = peerAddress;
        RemotePort = peerPort;
        Connected = true;
        return s;
    }
}

bool TSocketBase::DataAvailable() {
    Report("Data Available", 8);
    char c;
    return Buffered() > 0 || (FSocket != NoSocket && net::Receive(FSocket, &c, 1, true) > 0);
}

bool TSocketBase::PeerClosed() {
    char c;
    return Buffered() == 0 && FSocket != NoSocket && net::Receive(FSocket, &c, 1, true) == 0;
}

void TSocketBase::ClearInput() {
    Report("Clearing Input", 8);
    DropInput();
    if (FSocket != NoSocket) net::Receive(FSocket, FWorkBuffer.data(), FWorkBuffer.size());
}

std::string TSocketBase::LocalAddress() const {
    uint32_t address = 0;
    if (FSocket == NoSocket || !net::LocalEnd(FSocket, &address, nullptr)) return {};
    return net::FormatAddress(address);
}

std::string TSocketBase::LocalAddressForPort() const {
    uint32_t address = 0;
    net::LocalEnd(FSocket, &address, nullptr);
    std::string s = net::FormatAddress(address);
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

int TSocketBase::LocalPort() const {
    uint16_t port = 0;
    if (FSocket == NoSocket || !net::LocalEnd(FSocket, nullptr, &port)) return 0;
    return port;
}

std::string TSocketBase::LocalPortForPort() const {
    int port = LocalPort();
    return "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}

}  // namespace kestrup
