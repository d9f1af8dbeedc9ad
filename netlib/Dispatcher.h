// The per-thread event dispatcher: sockets, timers and host look-ups register
// their descriptors here, and their events are delivered on the owning thread
// while it waits or while the host calls Kestrup_Dispatch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace kestrup {

using TEventHandler = std::function<void(uint32_t events)>;

class TDispatcher {
public:
    // The calling thread's dispatcher, made on first use.
    static TDispatcher& Current();
    ~TDispatcher();
    TDispatcher(const TDispatcher&) = delete;
    TDispatcher& operator=(const TDispatcher&) = delete;

    // The epoll descriptor: readable while events wait to be delivered.
    int Fd() const { return FEpoll; }
    // events are epoll flags; edge-triggered registrations add EPOLLET themselves.
    void Add(int fd, uint32_t events, TEventHandler handler);
    void Remove(int fd);
    bool Has(int fd) const { return FHandlers.count(fd) != 0; }
    // Waits up to timeoutMs for events and delivers them; returns how many.
    int Dispatch(int timeoutMs);
    // One pass of every wait loop: at most 2 ms for events, then the host's idle callback.
    void WaitPass();
    // Non-blocking delivery plus the idle callback, for loops that are busy moving data.
    void Pump();

private:
    TDispatcher();
    struct TEntry {
        uint32_t Generation;
        std::shared_ptr<TEventHandler> Handler;
    };
    int FEpoll = -1;
    uint32_t FGeneration = 0;
    std::unordered_map<int, TEntry> FHandlers;
};

void SetIdleCallback(void (*callback)());
void RunIdleCallback();

// A host name look-up run off the calling thread. Completion is delivered by the
// dispatcher of the thread that started it. Dropping the object abandons the look-up.
class THostLookup {
public:
    // done(error, address): error 0 and an IPv4 address in network order, or a
    // look-up error code of the error table (11001...).
    using TDone = std::function<void(int error, uint32_t address)>;
    THostLookup(const std::string& host, TDone done);
    ~THostLookup();
    THostLookup(const THostLookup&) = delete;
    THostLookup& operator=(const THostLookup&) = delete;

    struct TJob;

private:
    std::shared_ptr<TJob> FJob;
    TDone FDone;
    TDispatcher& FDispatcher;
};

// A repeating timer on the dispatcher; fires OnTimer on the owning thread.
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

private:
    bool FEnabled = true;
    int FInterval = 1000;
    std::function<void()> FOnTimer;
    int FFd = -1;
    TDispatcher& FDispatcher;
    void Restart();
    void Arm();
    void Fired();
};

}  // namespace kestrup
