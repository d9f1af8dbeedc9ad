// The Windows side of the platform seam: Winsock 2 with a hidden window per thread.
// Socket events arrive as message 1125 (WSAAsyncSelect), host look-ups as 1126
// (WSAAsyncGetHostByName), time-outs as WM_TIMER (SetTimer); a wait runs the calling
// thread's messages, so the host's own windows keep working while a call waits.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <deque>
#include <unordered_map>
#include <vector>

#include "Net.h"

namespace kestrup {

namespace {

constexpr UINT SocketMessage = WM_USER + 101;  // 1125
constexpr UINT LookupMessage = WM_USER + 102;  // 1126
constexpr UINT TaskMessage = WM_USER + 103;
const char* const WindowClass = "SocketBaseWindowClass";
// Messages one wait pass takes from the queue at most, so a host that keeps posting
// cannot hold the library's own loop.
constexpr int MessagesPerPass = 512;

thread_local int GLastError = 0;

long Failed() {
    GLastError = WSAGetLastError();
    return -1;
}

HINSTANCE ModuleInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleInstance), &module);
    return module;
}

WSADATA GWinsock{};
bool GWinsockStarted = false;

bool StartWinsock() {
    if (!GWinsockStarted) GWinsockStarted = WSAStartup(MAKEWORD(2, 2), &GWinsock) == 0;
    return GWinsockStarted;
}

uint32_t NativeEvents(uint32_t events) {
    uint32_t e = 0;
    if (events & neRead) e |= FD_READ | FD_OOB;
    if (events & neWrite) e |= FD_WRITE;
    if (events & neAccept) e |= FD_ACCEPT;
    if (events & neConnect) e |= FD_CONNECT;
    if (events & neClose) e |= FD_CLOSE;
    return e;
}

uint32_t NeutralEvent(uint32_t native) {
    switch (native) {
        case FD_READ:
        case FD_OOB:
            return neRead;
        case FD_WRITE:
            return neWrite;
        case FD_ACCEPT:
            return neAccept;
        case FD_CONNECT:
            return neConnect;
        case FD_CLOSE:
            return neClose;
        default:
            return 0;
    }
}

}  // namespace

struct THostLookup::TJob {
    TDispatcher::TImpl* Loop = nullptr;
    HANDLE Task = nullptr;
    std::vector<char> Buffer = std::vector<char>(MAXGETHOSTSTRUCT);
    THostLookup::TDone Done;
};

struct TThreadTimer::TImpl {
    TDispatcher::TImpl* Loop = nullptr;
    UINT_PTR Id = 0;
    bool Running = false;
    static void Fire(TThreadTimer* t) { t->Fired(); }
};

struct TDispatcher::TImpl {
    struct TEntry {
        uint32_t Mask = 0;
        std::shared_ptr<TSocketHandler> Handler;
    };
    HWND Window = nullptr;
    std::unordered_map<SOCKET, TEntry> Sockets;
    std::unordered_map<UINT_PTR, TThreadTimer*> Timers;
    UINT_PTR NextTimerId = 1;
    // A look-up stays here until its answer comes: the system writes into its buffer
    // until then, also after the caller gave up on it.
    std::unordered_map<HANDLE, std::shared_ptr<THostLookup::TJob>> Lookups;
    std::deque<std::function<void()>> Tasks;
    int Delivered = 0;

    TImpl() {
        StartWinsock();
        HINSTANCE instance = ModuleInstance();
        WNDCLASSA wc{};
        if (!GetClassInfoA(instance, WindowClass, &wc)) {
            wc = WNDCLASSA{};
            wc.lpfnWndProc = &TImpl::WindowProc;
            wc.hInstance = instance;
            wc.lpszClassName = WindowClass;
            RegisterClassA(&wc);
        }
        Window = CreateWindowExA(0, WindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
        if (!Window) throw std::runtime_error("Cannot create the socket window");
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        Live().push_back(this);
    }

    ~TImpl() {
        auto& live = Live();
        for (size_t i = 0; i < live.size(); ++i)
            if (live[i] == this) {
                live.erase(live.begin() + long(i));
                break;
            }
        if (Window) {
            SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
            DestroyWindow(Window);
        }
    }

    // Every thread's loop, so unloading the library can silence their windows.
    static std::vector<TImpl*>& Live() {
        static auto* live = new std::vector<TImpl*>();
        return *live;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<TImpl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!self || (message < SocketMessage && message != WM_TIMER))
            return DefWindowProcA(window, message, w, l);
        // Nothing that fails in here may leave the window procedure.
        try {
            if (message == SocketMessage)
                self->SocketEvent(SOCKET(w), WSAGETSELECTEVENT(l), WSAGETSELECTERROR(l));
            else if (message == LookupMessage)
                self->LookupDone(reinterpret_cast<HANDLE>(w), WSAGETASYNCERROR(l));
            else if (message == TaskMessage)
                self->RunTasks();
            else if (message == WM_TIMER)
                self->TimerEvent(UINT_PTR(w));
        } catch (...) {
        }
        return 0;
    }

    void SocketEvent(SOCKET s, uint32_t native, int error) {
        auto it = Sockets.find(s);
        if (it == Sockets.end()) return;
        uint32_t event = NeutralEvent(native);
        if (!(it->second.Mask & event)) return;
        auto handler = it->second.Handler;  // lives on if the handler drops it
        ++Delivered;
        (*handler)(event, error);
    }

    void LookupDone(HANDLE task, int error) {
        auto it = Lookups.find(task);
        if (it == Lookups.end()) return;
        std::shared_ptr<THostLookup::TJob> job = std::move(it->second);
        Lookups.erase(it);
        ++Delivered;
        uint32_t address = 0;
        if (error == 0) {
            auto* host = reinterpret_cast<hostent*>(job->Buffer.data());
            if (host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0])
                memcpy(&address, host->h_addr_list[0], 4);
            else
                error = 11004;
        }
        if (auto done = std::move(job->Done)) done(error, address);
    }

    void TimerEvent(UINT_PTR id) {
        auto it = Timers.find(id);
        if (it == Timers.end()) {
            KillTimer(Window, id);
            return;
        }
        ++Delivered;
        TThreadTimer::TImpl::Fire(it->second);
    }

    void RunTasks() {
        std::deque<std::function<void()>> now;
        now.swap(Tasks);
        for (auto& task : now) {
            ++Delivered;
            try {
                task();
            } catch (...) {
            }
        }
    }

    // Takes the queued events of s out of the message queue, keeping all others.
    void DropQueued(SOCKET s) {
        std::vector<MSG> keep;
        MSG m;
        while (PeekMessageA(&m, Window, SocketMessage, SocketMessage, PM_REMOVE))
            if (SOCKET(m.wParam) != s) keep.push_back(m);
        for (const MSG& k : keep) PostMessageA(Window, k.message, k.wParam, k.lParam);
    }

    int Dispatch(int timeoutMs) {
        Delivered = 0;
        if (!Tasks.empty()) timeoutMs = 0;
        MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(timeoutMs < 0 ? 0 : timeoutMs), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        MSG m;
        for (int i = 0; i < MessagesPerPass && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (m.message == WM_QUIT) {
                // The host's loop must still see it.
                PostQuitMessage(int(m.wParam));
                break;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (!Tasks.empty()) RunTasks();
        return Delivered;
    }
};

namespace {
thread_local TDispatcher::TImpl* GCurrentImpl = nullptr;
}

TDispatcher& TDispatcher::Current() {
    // Never freed: the thread's window goes with the thread.
    thread_local TDispatcher* instance = new TDispatcher();
    return *instance;
}

TDispatcher::TDispatcher() : F(std::make_unique<TImpl>()) { GCurrentImpl = F.get(); }

TDispatcher::~TDispatcher() { GCurrentImpl = nullptr; }

void TDispatcher::Watch(TSocketHandle s, uint32_t events, TSocketHandler handler) {
    SOCKET sock = SOCKET(s);
    auto& entry = F->Sockets[sock];
    bool replaced = entry.Handler != nullptr;
    entry.Mask = events;
    entry.Handler = std::make_shared<TSocketHandler>(std::move(handler));
    if (replaced) F->DropQueued(sock);
    WSAAsyncSelect(sock, F->Window, SocketMessage, long(NativeEvents(events)));
}

void TDispatcher::Unwatch(TSocketHandle s) {
    SOCKET sock = SOCKET(s);
    auto it = F->Sockets.find(sock);
    if (it == F->Sockets.end()) return;
    WSAAsyncSelect(sock, F->Window, 0, 0);
    F->Sockets.erase(it);
    F->DropQueued(sock);
}

void TDispatcher::Post(std::function<void()> task) {
    F->Tasks.push_back(std::move(task));
    PostMessageA(F->Window, TaskMessage, 0, 0);
}

int TDispatcher::Dispatch(int timeoutMs) { return F->Dispatch(timeoutMs); }

int TDispatcher::Fd() const { return -1; }

namespace net {

int LastError() { return GLastError; }

TSocketHandle OpenTcp() {
    if (!StartWinsock()) {
        GLastError = 10091;
        return NoSocket;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return Failed(), NoSocket;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return TSocketHandle(s);
}

bool Close(TSocketHandle s) {
    if (GCurrentImpl) TDispatcher::Current().Unwatch(s);
    if (closesocket(SOCKET(s)) == SOCKET_ERROR) return Failed(), false;
    return true;
}

void SetResetOnClose(TSocketHandle s, bool reset) {
    linger lg{};
    lg.l_onoff = reset ? 1 : 0;
    lg.l_linger = 0;
    setsockopt(SOCKET(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lg), sizeof lg);
}

int StartConnect(TSocketHandle s, uint32_t address, uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = address;
    if (connect(SOCKET(s), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return 0;
    Failed();
    return GLastError;
}

long Send(TSocketHandle s, const char* data, size_t count) {
    int n = send(SOCKET(s), data, int(count > 0x40000000 ? 0x40000000 : count), 0);
    return n == SOCKET_ERROR ? Failed() : long(n);
}

long Receive(TSocketHandle s, char* buffer, size_t count, bool peek) {
    int n = recv(SOCKET(s), buffer, int(count > 0x40000000 ? 0x40000000 : count), peek ? MSG_PEEK : 0);
    return n == SOCKET_ERROR ? Failed() : long(n);
}

int Listen(TSocketHandle s, uint32_t address, uint16_t port, int backlog) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = address;
    if (bind(SOCKET(s), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == SOCKET_ERROR)
        return Failed(), GLastError;
    if (listen(SOCKET(s), backlog) == SOCKET_ERROR) return Failed(), GLastError;
    return 0;
}

TSocketHandle Accept(TSocketHandle s, uint32_t* peerAddress, uint16_t* peerPort) {
    sockaddr_in peer{};
    int len = sizeof peer;
    SOCKET n = accept(SOCKET(s), reinterpret_cast<sockaddr*>(&peer), &len);
    if (n == INVALID_SOCKET) return Failed(), NoSocket;
    // It inherits the listening socket's event registration; the taker watches it anew.
    WSAAsyncSelect(n, GCurrentImpl ? GCurrentImpl->Window : nullptr, 0, 0);
    u_long nonBlocking = 1;
    ioctlsocket(n, FIONBIO, &nonBlocking);
    SetHandleInformation(reinterpret_cast<HANDLE>(n), HANDLE_FLAG_INHERIT, 0);
    if (peerAddress) *peerAddress = peer.sin_addr.s_addr;
    if (peerPort) *peerPort = ntohs(peer.sin_port);
    return TSocketHandle(n);
}

namespace {
bool EndOf(bool local, TSocketHandle s, uint32_t* address, uint16_t* port) {
    sockaddr_in a{};
    int len = sizeof a;
    int rc = local ? getsockname(SOCKET(s), reinterpret_cast<sockaddr*>(&a), &len)
                   : getpeername(SOCKET(s), reinterpret_cast<sockaddr*>(&a), &len);
    if (rc == SOCKET_ERROR || a.sin_family != AF_INET) return false;
    if (address) *address = a.sin_addr.s_addr;
    if (port) *port = ntohs(a.sin_port);
    return true;
}
}  // namespace

bool LocalEnd(TSocketHandle s, uint32_t* address, uint16_t* port) {
    return EndOf(true, s, address, port);
}
bool RemoteEnd(TSocketHandle s, uint32_t* address, uint16_t* port) {
    return EndOf(false, s, address, port);
}

std::vector<std::string> SocketLayerInfo() {
    if (!StartWinsock()) return {"System= Not started"};
    auto version = [](WORD v) {
        return std::to_string(LOBYTE(v)) + "." + std::to_string(HIBYTE(v));
    };
    return {"Version= " + version(GWinsock.wVersion),
            "High Version= " + version(GWinsock.wHighVersion),
            std::string("Description= ") + GWinsock.szDescription,
            std::string("System= ") + GWinsock.szSystemStatus,
            "Max Sockets= " + std::to_string(GWinsock.iMaxSockets),
            "Max Udp pack size= " + std::to_string(GWinsock.iMaxUdpDg)};
}

}  // namespace net

THostLookup::THostLookup(const std::string& host, TDone done) : FJob(std::make_shared<TJob>()) {
    TDispatcher::TImpl* loop = TDispatcher::Current().F.get();
    FJob->Loop = loop;
    FJob->Done = std::move(done);
    FJob->Task = WSAAsyncGetHostByName(loop->Window, LookupMessage, host.c_str(),
                                       FJob->Buffer.data(), int(FJob->Buffer.size()));
    if (FJob->Task) {
        loop->Lookups[FJob->Task] = FJob;
    } else {
        // Could not even start: answered from the loop like any other look-up.
        int error = WSAGetLastError();
        std::weak_ptr<TJob> job = FJob;
        TDispatcher::Current().Post([job, error] {
            if (auto j = job.lock())
                if (auto d = std::move(j->Done)) d(error ? error : 11001, 0);
        });
    }
}

THostLookup::~THostLookup() {
    // The answer may still come; it then finds no one to tell.
    FJob->Done = nullptr;
    if (FJob->Task) WSACancelAsyncRequest(FJob->Task);
}

TThreadTimer::TThreadTimer() : F(std::make_unique<TImpl>()) {
    F->Loop = TDispatcher::Current().F.get();
    F->Id = F->Loop->NextTimerId++;
    F->Loop->Timers[F->Id] = this;
}

TThreadTimer::~TThreadTimer() {
    if (GCurrentImpl == F->Loop) {
        if (F->Running) KillTimer(F->Loop->Window, F->Id);
        F->Loop->Timers.erase(F->Id);
    }
}

void TThreadTimer::Restart() {
    bool run = FEnabled && FInterval > 0 && FOnTimer;
    if (!run) {
        if (F->Running) KillTimer(F->Loop->Window, F->Id);
        F->Running = false;
        return;
    }
    if (!SetTimer(F->Loop->Window, F->Id, UINT(FInterval), nullptr))
        throw std::runtime_error("No Timer");
    F->Running = true;
}

namespace files {

TFile::~TFile() { Close(); }

namespace {
std::string SystemError() { return "system error " + std::to_string(GetLastError()); }
}  // namespace

bool TFile::Open(const std::string& name, TMode mode) {
    Close();
    HANDLE h = mode == OpenRead
                   ? CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                   : CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        FError = SystemError();
        return false;
    }
    FHandle = reinterpret_cast<intptr_t>(h);
    return true;
}

int64_t TFile::Read(void* buffer, int64_t count) {
    DWORD got = 0;
    DWORD want = DWORD(count > 0x40000000 ? 0x40000000 : (count > 0 ? count : 0));
    if (!ReadFile(reinterpret_cast<HANDLE>(FHandle), buffer, want, &got, nullptr)) {
        FError = SystemError();
        return -1;
    }
    return got;
}

bool TFile::Write(const void* buffer, int64_t count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        DWORD put = 0;
        DWORD want = DWORD(count > 0x40000000 ? 0x40000000 : count);
        if (!WriteFile(reinterpret_cast<HANDLE>(FHandle), p, want, &put, nullptr) || put == 0) {
            FError = SystemError();
            return false;
        }
        p += put;
        count -= put;
    }
    return true;
}

int64_t TFile::Seek(int64_t offset, int origin) {
    LARGE_INTEGER distance, now;
    distance.QuadPart = offset;
    DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(FHandle), distance, &now, method)) return -1;
    return now.QuadPart;
}

void TFile::Close() {
    if (FHandle != -1) CloseHandle(reinterpret_cast<HANDLE>(FHandle));
    FHandle = -1;
}

std::string CreateBeside(const std::string& target) {
    DWORD seed = GetTickCount() ^ GetCurrentProcessId();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + ".part-" + std::to_string((seed + DWORD(attempt) * 7919u) % 1000000u);
        HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return {};
}

bool Replace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Remove(const std::string& name) { return DeleteFileA(name.c_str()) != 0; }

int64_t SizeOf(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace files

void AdviseLargeBuffer(char*, size_t) {}

namespace {
constexpr size_t CommitStep = size_t(1) << 20;
}

TBodyBuffer::TBodyBuffer(size_t capacity, bool) : FCapacity(capacity) {
    // The range is reserved now and committed a step at a time as it fills.
    void* p = VirtualAlloc(nullptr, capacity + 1, MEM_RESERVE, PAGE_READWRITE);
    if (!p) throw std::bad_alloc();
    FData = static_cast<char*>(p);
    if (!MakeUsable(1)) {
        VirtualFree(FData, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
    FData[0] = '\0';
}

TBodyBuffer::~TBodyBuffer() {
    if (FData) VirtualFree(FData, 0, MEM_RELEASE);
}

bool TBodyBuffer::MakeUsable(size_t bytes) {
    if (bytes <= FUsable) return true;
    size_t want = (bytes + CommitStep - 1) / CommitStep * CommitStep;
    if (want > FCapacity + 1) want = FCapacity + 1;
    if (!VirtualAlloc(FData, want, MEM_COMMIT, PAGE_READWRITE)) return false;
    FUsable = want;
    return true;
}

}  // namespace kestrup

// Unloading the library while a host keeps running: the hidden windows of every
// thread stop calling into code that is about to go.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        for (auto* loop : kestrup::TDispatcher::TImpl::Live()) {
            SetWindowLongPtrA(loop->Window, GWLP_USERDATA, 0);
            SetWindowLongPtrA(loop->Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
        }
        UnregisterClassA(kestrup::WindowClass, nullptr);
    }
    return TRUE;
}
