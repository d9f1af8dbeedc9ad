// The parts of the platform seam that are the same everywhere.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <new>

#include "Net.h"

namespace kestrup {

namespace {
std::atomic<void (*)()> GIdleCallback{nullptr};
}

void SetIdleCallback(void (*callback)()) { GIdleCallback = callback; }

void RunIdleCallback() {
    if (auto cb = GIdleCallback.load()) cb();
}

void TDispatcher::WaitPass() {
    Dispatch(2);
    RunIdleCallback();
}

void TDispatcher::Pump() {
    Dispatch(0);
    RunIdleCallback();
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

void TThreadTimer::Fired() {
    if (FEnabled && FInterval > 0 && FOnTimer) {
        Restart();                // the next period
        auto handler = FOnTimer;  // the handler may replace itself
        handler();
    }
}

bool TBodyBuffer::Append(const char* data, size_t count) {
    if (count > FCapacity - FSize) return false;
    // The terminating zero needs one byte more.
    if (FSize + count + 1 > FUsable && !MakeUsable(FSize + count + 1)) throw std::bad_alloc();
    __builtin_memcpy(FData + FSize, data, count);
    FSize += count;
    FData[FSize] = '\0';
    return true;
}

char* TBodyBuffer::Reserve(size_t& count) {
    count = std::min(count, FCapacity - FSize);
    if (count == 0) return nullptr;
    if (FSize + count + 1 > FUsable && !MakeUsable(FSize + count + 1)) throw std::bad_alloc();
    return FData + FSize;
}

void TBodyBuffer::Commit(size_t count) {
    FSize += std::min(count, FCapacity - FSize);
    FData[FSize] = '\0';
}

namespace net {

// Four decimal fields of one to three digits, each at most 255, no leading zeros.
bool ParseAddress(const std::string& text, uint32_t* address) {
    unsigned char bytes[4];
    size_t p = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p >= text.size() || text[p] != '.') return false;
            ++p;
        }
        size_t start = p;
        unsigned value = 0;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9' && p - start < 3)
            value = value * 10 + unsigned(text[p++] - '0');
        if (p == start || value > 255 || (p - start > 1 && text[start] == '0')) return false;
        bytes[i] = static_cast<unsigned char>(value);
    }
    if (p != text.size()) return false;
    // Network order: the first field is the first byte in memory.
    uint32_t a;
    static_assert(sizeof a == sizeof bytes);
    __builtin_memcpy(&a, bytes, 4);
    *address = a;
    return true;
}

std::string FormatAddress(uint32_t address) {
    unsigned char b[4];
    __builtin_memcpy(b, &address, 4);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

}  // namespace net

}  // namespace kestrup
