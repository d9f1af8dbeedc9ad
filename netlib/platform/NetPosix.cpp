// The POSIX side of the platform seam: epoll for socket events, timerfd for timers,
// eventfd for wake-ups, a short-lived thread per host look-up.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "Net.h"

namespace kestrup {

namespace {

thread_local int GLastError = 0;

// The library's code for a system errno value.
int CodeOf(int err) {
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


long Failed(int err) {
    GLastError = CodeOf(err);
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------------
// The event loop

struct TDispatcher::TImpl {
    struct TEntry {
        uint32_t Generation = 0;
        bool Raw = false;  // a timer or wake-up descriptor of our own
        std::shared_ptr<std::function<void()>> RawHandler;
        // Sockets:
        std::shared_ptr<TSocketHandler> Handler;
        uint32_t Mask = 0;
        enum { Idle, Connecting, Open, Listening } State = Idle;
        bool ReadArmed = true, WriteArmed = false, CloseArmed = true, AcceptArmed = true;
        uint32_t InEpoll = 0;  // the registered epoll events, 0 when not registered
        bool Registered = false;
    };

    int Epoll = -1;
    int Wake = -1;  // readable while posted tasks wait
    uint32_t Generation = 0;
    std::unordered_map<int, TEntry> Entries;
    std::deque<std::function<void()>> Tasks;

    TImpl() {
        Epoll = ::epoll_create1(EPOLL_CLOEXEC);
        Wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (Epoll < 0 || Wake < 0) throw std::runtime_error("Cannot create the event dispatcher");
        AddRaw(Wake, [this] {
            uint64_t v;
            while (::read(Wake, &v, sizeof v) < 0 && errno == EINTR) {
            }
            RunTasks();
        });
    }
    ~TImpl() {
        if (Wake >= 0) ::close(Wake);
        if (Epoll >= 0) ::close(Epoll);
    }

    uint64_t Key(int fd, const TEntry& e) const { return (uint64_t(e.Generation) << 32) | uint32_t(fd); }

    void AddRaw(int fd, std::function<void()> handler) {
        Remove(fd);
        TEntry e;
        e.Generation = ++Generation;
        e.Raw = true;
        e.RawHandler = std::make_shared<std::function<void()>>(std::move(handler));
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = Key(fd, e);
        if (::epoll_ctl(Epoll, EPOLL_CTL_ADD, fd, &ev) < 0)
            throw std::runtime_error(std::string("Cannot watch descriptor: ") + std::strerror(errno));
        e.Registered = true;
        e.InEpoll = EPOLLIN;
        Entries[fd] = std::move(e);
    }

    void Remove(int fd) {
        auto it = Entries.find(fd);
        if (it == Entries.end()) return;
        if (it->second.Registered) ::epoll_ctl(Epoll, EPOLL_CTL_DEL, fd, nullptr);
        Entries.erase(it);
    }

    // Brings the epoll registration in line with what the entry wants now.
    void Update(int fd, TEntry& e) {
        uint32_t want = 0;
        switch (e.State) {
            case TEntry::Idle:
                break;
            case TEntry::Connecting:
                want = EPOLLOUT;
                break;
            case TEntry::Listening:
                if ((e.Mask & neAccept) && e.AcceptArmed) want = EPOLLIN;
                break;
            case TEntry::Open:
                if ((e.Mask & neRead) && e.ReadArmed) want |= EPOLLIN;
                if ((e.Mask & neWrite) && e.WriteArmed) want |= EPOLLOUT;
                if ((e.Mask & neClose) && e.CloseArmed) want |= EPOLLRDHUP;
                break;
        }
        // An errored or hung-up socket is reported whatever it was registered for, so
        // one that wants nothing now is taken out until it does.
        if (want == 0) {
            if (e.Registered) ::epoll_ctl(Epoll, EPOLL_CTL_DEL, fd, nullptr);
            e.Registered = false;
            e.InEpoll = 0;
            return;
        }
        if (e.Registered && want == e.InEpoll) return;
        epoll_event ev{};
        ev.events = want;
        ev.data.u64 = Key(fd, e);
        if (::epoll_ctl(Epoll, e.Registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &ev) == 0) {
            e.Registered = true;
            e.InEpoll = want;
        }
    }

    TEntry* Find(int fd) {
        auto it = Entries.find(fd);
        return it == Entries.end() || it->second.Raw ? nullptr : &it->second;
    }

    void Rearm(int fd, uint32_t event) {
        TEntry* e = Find(fd);
        if (!e) return;
        bool* flag = event == neRead ? &e->ReadArmed : event == neWrite ? &e->WriteArmed : &e->AcceptArmed;
        if (*flag) return;
        *flag = true;
        Update(fd, *e);
    }

    void SetState(int fd, int state) {
        TEntry* e = Find(fd);
        if (!e) return;
        e->State = decltype(e->State)(state);
        Update(fd, *e);
    }

    void RunTasks() {
        // Tasks posted while these run wait for the next pass.
        std::deque<std::function<void()>> now;
        now.swap(Tasks);
        for (auto& task : now) {
            try {
                task();
            } catch (...) {
            }
        }
    }

    int DeliverSocket(int fd, uint32_t generation, uint32_t events) {
        TEntry* e = Find(fd);
        if (!e || e->Generation != generation) return 0;
        uint32_t announce[4];
        int errors[4];
        int n = 0;
        auto handler = e->Handler;
        if (e->State == TEntry::Connecting) {
            if (!(events & (EPOLLOUT | EPOLLERR | EPOLLHUP))) return 0;
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            if (err == 0 && (events & (EPOLLERR | EPOLLHUP))) err = ECONNREFUSED;
            e->State = err == 0 ? TEntry::Open : TEntry::Idle;
            e->WriteArmed = err == 0;
            announce[n] = neConnect;
            errors[n++] = CodeOf(err);
        } else if (e->State == TEntry::Listening) {
            if (events & (EPOLLIN | EPOLLERR)) {
                e->AcceptArmed = false;
                announce[n] = neAccept;
                errors[n++] = 0;
            }
        } else if (e->State == TEntry::Open) {
            // The pending error is left for the reader to meet (reading it here would
            // clear it, and a reset would then read as an orderly end).
            int err = (events & EPOLLERR) ? ECONNRESET : 0;
            if ((events & (EPOLLIN | EPOLLERR | EPOLLHUP)) && (e->Mask & neRead) && e->ReadArmed) {
                e->ReadArmed = false;
                announce[n] = neRead;
                errors[n++] = 0;
            }
            if ((events & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) && (e->Mask & neClose) &&
                e->CloseArmed) {
                e->CloseArmed = false;
                announce[n] = neClose;
                errors[n++] = CodeOf(err);
            }
            if ((events & EPOLLOUT) && (e->Mask & neWrite) && e->WriteArmed) {
                e->WriteArmed = false;
                announce[n] = neWrite;
                errors[n++] = 0;
            }
        }
        Update(fd, *e);
        int delivered = 0;
        for (int i = 0; i < n; ++i) {
            // A handler may have closed, replaced or dropped the registration.
            TEntry* now = Find(fd);
            if (!now || now->Generation != generation) break;
            if (!(now->Mask & announce[i])) continue;
            try {
                (*handler)(announce[i], errors[i]);
            } catch (...) {
            }
            ++delivered;
        }
        return delivered;
    }

    int Dispatch(int timeoutMs) {
        if (!Tasks.empty()) timeoutMs = 0;
        epoll_event events[32];
        int n = ::epoll_wait(Epoll, events, 32, timeoutMs);
        int delivered = 0;
        for (int i = 0; i < n; ++i) {
            int fd = int(uint32_t(events[i].data.u64));
            uint32_t generation = uint32_t(events[i].data.u64 >> 32);
            auto it = Entries.find(fd);
            if (it == Entries.end() || it->second.Generation != generation) continue;
            if (it->second.Raw) {
                auto handler = it->second.RawHandler;  // lives on if it removes itself
                try {
                    (*handler)();
                } catch (...) {
                }
                ++delivered;
            } else {
                delivered += DeliverSocket(fd, generation, events[i].events);
            }
        }
        if (!Tasks.empty()) {
            delivered += int(Tasks.size());
            RunTasks();
        }
        return delivered;
    }
};

namespace {
thread_local TDispatcher::TImpl* GCurrentImpl = nullptr;
}

TDispatcher& TDispatcher::Current() {
    thread_local std::unique_ptr<TDispatcher> instance(new TDispatcher());
    return *instance;
}

TDispatcher::TDispatcher() : F(std::make_unique<TImpl>()) { GCurrentImpl = F.get(); }

TDispatcher::~TDispatcher() { GCurrentImpl = nullptr; }

void TDispatcher::Watch(TSocketHandle s, uint32_t events, TSocketHandler handler) {
    int fd = int(s);
    F->Remove(fd);
    TImpl::TEntry e;
    e.Generation = ++F->Generation;
    e.Handler = std::make_shared<TSocketHandler>(std::move(handler));
    e.Mask = events;
    int listening = 0;
    socklen_t len = sizeof listening;
    uint32_t a;
    uint16_t p;
    if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &len) == 0 && listening)
        e.State = TImpl::TEntry::Listening;
    else if (net::RemoteEnd(s, &a, &p))
        e.State = TImpl::TEntry::Open;
    // A fresh socket is left out of epoll until it connects or listens: an idle
    // unconnected socket reports a hang-up.
    auto& entry = F->Entries[fd] = std::move(e);
    F->Update(fd, entry);
}

void TDispatcher::Unwatch(TSocketHandle s) {
    auto it = F->Entries.find(int(s));
    if (it != F->Entries.end() && !it->second.Raw) F->Remove(int(s));
}

void TDispatcher::Post(std::function<void()> task) {
    F->Tasks.push_back(std::move(task));
    uint64_t one = 1;
    ssize_t w = ::write(F->Wake, &one, sizeof one);
    (void)w;
}

int TDispatcher::Dispatch(int timeoutMs) { return F->Dispatch(timeoutMs); }

int TDispatcher::Fd() const { return F->Epoll; }

// ---------------------------------------------------------------------------------
// Sockets

namespace net {

int LastError() { return GLastError; }

TSocketHandle OpenTcp() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Failed(errno), NoSocket;
    return fd;
}

bool Close(TSocketHandle s) {
    if (GCurrentImpl) GCurrentImpl->Remove(int(s));
    if (::close(int(s)) < 0) return Failed(errno), false;
    return true;
}

void SetResetOnClose(TSocketHandle s, bool reset) {
    linger lg{reset ? 1 : 0, 0};
    ::setsockopt(int(s), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
}

int StartConnect(TSocketHandle s, uint32_t address, uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = address;
    if (::connect(int(s), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        if (GCurrentImpl) GCurrentImpl->SetState(int(s), TDispatcher::TImpl::TEntry::Open);
        return 0;
    }
    if (errno == EINPROGRESS) {
        if (GCurrentImpl) GCurrentImpl->SetState(int(s), TDispatcher::TImpl::TEntry::Connecting);
        return WouldBlock;
    }
    Failed(errno);
    return GLastError;
}

long Send(TSocketHandle s, const char* data, size_t count) {
    ssize_t n = ::send(int(s), data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return long(n);
    int err = errno == EINTR ? EAGAIN : errno;
    if (err == EAGAIN && GCurrentImpl) GCurrentImpl->Rearm(int(s), neWrite);
    return Failed(err);
}

long Receive(TSocketHandle s, char* buffer, size_t count, bool peek) {
    ssize_t n = ::recv(int(s), buffer, count, MSG_DONTWAIT | (peek ? MSG_PEEK : 0));
    if (GCurrentImpl && !peek) GCurrentImpl->Rearm(int(s), neRead);
    if (n >= 0) return long(n);
    return Failed(errno == EINTR ? EAGAIN : errno);
}

int Listen(TSocketHandle s, uint32_t address, uint16_t port, int backlog) {
    int one = 1;
    ::setsockopt(int(s), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = address;
    if (::bind(int(s), reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) return Failed(errno), GLastError;
    if (::listen(int(s), backlog) < 0) return Failed(errno), GLastError;
    if (GCurrentImpl) GCurrentImpl->SetState(int(s), TDispatcher::TImpl::TEntry::Listening);
    return 0;
}

TSocketHandle Accept(TSocketHandle s, uint32_t* peerAddress, uint16_t* peerPort) {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int fd = ::accept4(int(s), reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (GCurrentImpl) GCurrentImpl->Rearm(int(s), neAccept);
    if (fd < 0) return Failed(errno == EINTR ? EAGAIN : errno), NoSocket;
    if (peerAddress) *peerAddress = peer.sin_addr.s_addr;
    if (peerPort) *peerPort = ntohs(peer.sin_port);
    return fd;
}

namespace {
bool EndOf(bool local, TSocketHandle s, uint32_t* address, uint16_t* port) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    int rc = local ? ::getsockname(int(s), reinterpret_cast<sockaddr*>(&a), &len)
                   : ::getpeername(int(s), reinterpret_cast<sockaddr*>(&a), &len);
    if (rc < 0 || a.sin_family != AF_INET) return false;
    if (address) *address = a.sin_addr.s_addr;
    if (port) *port = ntohs(a.sin_port);
    return true;
}
}  // namespace

bool LocalEnd(TSocketHandle s, uint32_t* address, uint16_t* port) { return EndOf(true, s, address, port); }
bool RemoteEnd(TSocketHandle s, uint32_t* address, uint16_t* port) { return EndOf(false, s, address, port); }

std::vector<std::string> SocketLayerInfo() {
    rlimit lim{};
    ::getrlimit(RLIMIT_NOFILE, &lim);
    return {"Version= 1.1",
            "High Version= 1.1",
            "Description= POSIX sockets",
            "System= Running",
            "Max Sockets= " + std::to_string(lim.rlim_cur),
            "Max Udp pack size= 65507"};
}

}  // namespace net

// ---------------------------------------------------------------------------------
// Host look-up: getaddrinfo on a thread of its own; the answer comes back through an
// eventfd on the dispatcher of the thread that asked.

struct THostLookup::TJob {
    std::mutex Lock;
    int EventFd = -1;
    int Error = 0;
    uint32_t Address = 0;
    TDispatcher::TImpl* Loop = nullptr;
    ~TJob() {
        if (EventFd >= 0) ::close(EventFd);
    }
};

namespace {
int LookupErrorCode(int gai) {
    switch (gai) {
        case EAI_NONAME:
            return 11001;
        case EAI_AGAIN:
            return 11002;
        case EAI_FAIL:
            return 11003;
#ifdef EAI_NODATA
        case EAI_NODATA:
            return 11004;
#endif
        default:
            return 11001;
    }
}
}  // namespace

THostLookup::THostLookup(const std::string& host, TDone done) : FJob(std::make_shared<TJob>()) {
    FJob->Loop = TDispatcher::Current().F.get();
    FJob->EventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FJob->EventFd < 0) throw std::runtime_error("Cannot start the host look-up");
    int fd = FJob->EventFd;
    TJob* job = FJob.get();
    job->Loop->AddRaw(fd, [job, fd, done = std::move(done)] {
        uint64_t v;
        while (::read(fd, &v, sizeof v) < 0 && errno == EINTR) {
        }
        auto keep = done;  // removing the entry frees this closure
        job->Loop->Remove(fd);
        int error;
        uint32_t address;
        {
            std::lock_guard<std::mutex> g(job->Lock);
            error = job->Error;
            address = job->Address;
        }
        if (keep) keep(error, address);
    });
    std::shared_ptr<TJob> shared = FJob;
    std::thread([shared, host] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
        {
            std::lock_guard<std::mutex> g(shared->Lock);
            if (rc == 0 && result && result->ai_family == AF_INET)
                shared->Address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
            else
                shared->Error = rc == 0 ? 11004 : LookupErrorCode(rc);
        }
        if (result) ::freeaddrinfo(result);
        uint64_t one = 1;
        ssize_t w = ::write(shared->EventFd, &one, sizeof one);
        (void)w;
    }).detach();
}

THostLookup::~THostLookup() {
    if (GCurrentImpl == FJob->Loop) FJob->Loop->Remove(FJob->EventFd);
}

// ---------------------------------------------------------------------------------
// Timers

struct TThreadTimer::TImpl {
    TDispatcher::TImpl* Loop = nullptr;
    int Fd = -1;
};

TThreadTimer::TThreadTimer() : F(std::make_unique<TImpl>()) { F->Loop = TDispatcher::Current().F.get(); }

TThreadTimer::~TThreadTimer() {
    if (F->Fd >= 0) {
        if (GCurrentImpl == F->Loop) F->Loop->Remove(F->Fd);
        ::close(F->Fd);
    }
}

void TThreadTimer::Restart() {
    bool run = FEnabled && FInterval > 0 && FOnTimer;
    // Stopping only drops the flag: the kernel timer is armed one period at a
    // time, so a stopped timer wakes the loop at most once more and is ignored.
    if (!run) return;
    if (F->Fd < 0) {
        F->Fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (F->Fd < 0) throw std::runtime_error("No Timer");
        F->Loop->AddRaw(F->Fd, [this] {
            uint64_t v;
            if (::read(F->Fd, &v, sizeof v) <= 0) return;
            Fired();
        });
    }
    itimerspec when{};
    when.it_value.tv_sec = FInterval / 1000;
    when.it_value.tv_nsec = long(FInterval % 1000) * 1000000L;
    // Arming resets the expiry count, so an old expiry cannot fire the new period.
    if (::timerfd_settime(F->Fd, 0, &when, nullptr) < 0) throw std::runtime_error("No Timer");
}

// ---------------------------------------------------------------------------------
// Files

namespace files {

TFile::~TFile() { Close(); }

bool TFile::Open(const std::string& name, TMode mode) {
    Close();
    // No O_TRUNC: truncating a file, even an empty one (the file made beside a download's
    // target), makes ext4 start writing all of it back at close, which a download would
    // wait for. Only a file that holds something is cut to empty.
    int fd = mode == OpenRead ? ::open(name.c_str(), O_RDONLY | O_CLOEXEC)
                              : ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    struct stat st {};
    if (fd >= 0 && mode == Create &&
        (::fstat(fd, &st) < 0 || (st.st_size > 0 && ::ftruncate(fd, 0) < 0))) {
        const int err = errno;
        ::close(fd);
        errno = err;
        fd = -1;
    }
    if (fd < 0) {
        FError = std::strerror(errno);
        return false;
    }
    FHandle = fd;
    return true;
}

int64_t TFile::Read(void* buffer, int64_t count) {
    for (;;) {
        ssize_t n = ::read(int(FHandle), buffer, size_t(count > 0 ? count : 0));
        if (n >= 0) return n;
        if (errno != EINTR) {
            FError = std::strerror(errno);
            return -1;
        }
    }
}

bool TFile::Write(const void* buffer, int64_t count) {
    const char* p = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::write(int(FHandle), p + done, size_t(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            FError = std::strerror(errno);
            return false;
        }
        done += n;
    }
    return true;
}

int64_t TFile::Seek(int64_t offset, int origin) {
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(int(FHandle), offset, whence);
    return r < 0 ? -1 : int64_t(r);
}

void TFile::Close() {
    if (FHandle >= 0) ::close(int(FHandle));
    FHandle = -1;
}

std::string CreateBeside(const std::string& target) {
    std::string name = target + ".part-XXXXXX";
    int fd = ::mkstemp(name.data());
    if (fd < 0) return {};
    ::fchmod(fd, 0644);
    ::close(fd);
    return name;
}

bool Replace(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool Remove(const std::string& name) { return std::remove(name.c_str()) == 0; }

int64_t SizeOf(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) < 0) return -1;
    return st.st_size;
}

}  // namespace files

void AdviseLargeBuffer(char* data, size_t size) {
    constexpr uintptr_t Huge = uintptr_t(2) << 20;
    if (size < 4 * Huge) return;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + Huge - 1) & ~(Huge - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(Huge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

TBodyBuffer::TBodyBuffer(size_t capacity, bool filled) : FCapacity(capacity) {
    // Anonymous pages are zero and take memory when first written.
    void* p = ::mmap(nullptr, capacity + 1, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    FData = static_cast<char*>(p);
    FUsable = capacity + 1;
    // Before any page is touched; a short body in a large range keeps small pages.
    if (filled) AdviseLargeBuffer(FData, capacity + 1);
}

TBodyBuffer::~TBodyBuffer() {
    if (FData) ::munmap(FData, FCapacity + 1);
}

bool TBodyBuffer::MakeUsable(size_t bytes) { return bytes <= FUsable; }

}  // namespace kestrup
