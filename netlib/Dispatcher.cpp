#include "Dispatcher.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "Errors.h"

namespace kestrup {

namespace {
std::atomic<void (*)()> GIdleCallback{nullptr};
}

void SetIdleCallback(void (*callback)()) { GIdleCallback = callback; }

void RunIdleCallback() {
    if (auto cb = GIdleCallback.load()) cb();
}

TDispatcher& TDispatcher::Current() {
    thread_local std::unique_ptr<TDispatcher> instance(new TDispatcher());
    return *instance;
}

TDispatcher::TDispatcher() {
    FEpoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (FEpoll < 0) throw ESockError("Cannot create the event dispatcher");
}

TDispatcher::~TDispatcher() {
    if (FEpoll >= 0) ::close(FEpoll);
}

void TDispatcher::Add(int fd, uint32_t events, TEventHandler handler) {
    Remove(fd);
    uint32_t generation = ++FGeneration;
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = (uint64_t(generation) << 32) | uint32_t(fd);
    if (::epoll_ctl(FEpoll, EPOLL_CTL_ADD, fd, &ev) < 0)
        throw ESockError(std::string("Cannot watch descriptor: ") + std::strerror(errno));
    FHandlers[fd] = TEntry{generation, std::make_shared<TEventHandler>(std::move(handler))};
}

void TDispatcher::Remove(int fd) {
    auto it = FHandlers.find(fd);
    if (it == FHandlers.end()) return;
    ::epoll_ctl(FEpoll, EPOLL_CTL_DEL, fd, nullptr);
    FHandlers.erase(it);
}

int TDispatcher::Dispatch(int timeoutMs) {
    epoll_event events[32];
    int n = ::epoll_wait(FEpoll, events, 32, timeoutMs);
    if (n <= 0) return 0;
    int delivered = 0;
    for (int i = 0; i < n; ++i) {
        int fd = int(uint32_t(events[i].data.u64));
        uint32_t generation = uint32_t(events[i].data.u64 >> 32);
        // A handler may have removed or replaced another registration meanwhile.
        auto it = FHandlers.find(fd);
        if (it == FHandlers.end() || it->second.Generation != generation) continue;
        auto handler = it->second.Handler;  // stays alive if the handler removes itself
        (*handler)(events[i].events);
        ++delivered;
    }
    return delivered;
}

void TDispatcher::WaitPass() {
    Dispatch(2);
    RunIdleCallback();
}

void TDispatcher::Pump() {
    Dispatch(0);
    RunIdleCallback();
}

// The job outlives an abandoned look-up: the worker thread holds it until done.
struct THostLookup::TJob {
    std::mutex Lock;
    int EventFd = -1;
    int Error = 0;
    uint32_t Address = 0;
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

THostLookup::THostLookup(const std::string& host, TDone done)
    : FJob(std::make_shared<TJob>()), FDone(std::move(done)), FDispatcher(TDispatcher::Current()) {
    FJob->EventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FJob->EventFd < 0) throw ESockError("Cannot start the host look-up");
    int fd = FJob->EventFd;
    FDispatcher.Add(fd, EPOLLIN, [this, fd](uint32_t) {
        uint64_t v;
        while (::read(fd, &v, sizeof v) < 0 && errno == EINTR) {
        }
        FDispatcher.Remove(fd);
        int error;
        uint32_t address;
        {
            std::lock_guard<std::mutex> g(FJob->Lock);
            error = FJob->Error;
            address = FJob->Address;
        }
        if (FDone) FDone(error, address);
    });
    std::shared_ptr<TJob> job = FJob;
    std::thread([job, host] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
        {
            std::lock_guard<std::mutex> g(job->Lock);
            if (rc == 0 && result && result->ai_family == AF_INET) {
                job->Address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
            } else {
                job->Error = rc == 0 ? 11004 : LookupErrorCode(rc);
            }
        }
        if (result) ::freeaddrinfo(result);
        uint64_t one = 1;
        ssize_t w = ::write(job->EventFd, &one, sizeof one);
        (void)w;
    }).detach();
}

THostLookup::~THostLookup() { FDispatcher.Remove(FJob->EventFd); }

TThreadTimer::TThreadTimer() : FDispatcher(TDispatcher::Current()) {}

TThreadTimer::~TThreadTimer() {
    if (FFd >= 0) {
        FDispatcher.Remove(FFd);
        ::close(FFd);
    }
}

void TThreadTimer::SetEnabled(bool value) {
    FEnabled = value;
    Restart();
}

void TThreadTimer::SetInterval(int ms) {
    FInterval = ms;
    Restart();
}

void TThreadTimer::Start(int ms) {
    FInterval = ms;
    FEnabled = true;
    Restart();
}

void TThreadTimer::SetOnTimer(std::function<void()> handler) {
    FOnTimer = std::move(handler);
    Restart();
}

void TThreadTimer::Restart() {
    bool run = FEnabled && FInterval > 0 && FOnTimer;
    // Stopping only drops the flag: the kernel timer is armed one period at a
    // time, so a stopped timer wakes the loop at most once more and is ignored.
    if (!run) return;
    if (FFd < 0) {
        FFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (FFd < 0) throw EKestrupError("No Timer");
        FDispatcher.Add(FFd, EPOLLIN, [this](uint32_t) { Fired(); });
    }
    Arm();
}

void TThreadTimer::Arm() {
    itimerspec when{};
    when.it_value.tv_sec = FInterval / 1000;
    when.it_value.tv_nsec = long(FInterval % 1000) * 1000000L;
    // Arming resets the expiry count, so an old expiry cannot fire the new period.
    if (::timerfd_settime(FFd, 0, &when, nullptr) < 0) throw EKestrupError("No Timer");
}

void TThreadTimer::Fired() {
    uint64_t v;
    if (::read(FFd, &v, sizeof v) <= 0) return;
    if (FEnabled && FInterval > 0 && FOnTimer) {
        Arm();                    // the next period
        auto handler = FOnTimer;  // the handler may replace itself
        handler();
    }
}

}  // namespace kestrup
