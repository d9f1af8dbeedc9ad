#include "platform/StartupStages.h"

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace orb::stages {

namespace {
struct Entry {
    const char* name;
    std::int64_t begin, end;
};
struct State {
    bool enabled = std::getenv("ORBELLE_STARTUP_STAGES") != nullptr;
    std::vector<Entry> entries;
    std::size_t printed = 0;
};
State& S() {
    static State s;
    return s;
}
}  // namespace

void Enable() { S().enabled = true; }

bool Enabled() { return S().enabled; }

std::int64_t Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void Record(const char* name, std::int64_t begin, std::int64_t end) {
    if (S().enabled) S().entries.push_back({name, begin, end});
}

void Print(std::FILE* out) {
    State& s = S();
    for (; s.printed < s.entries.size(); ++s.printed) {
        const Entry& e = s.entries[s.printed];
        std::fprintf(out, "stage %s %lld %lld\n", e.name, (long long)e.begin, (long long)e.end);
    }
    std::fflush(out);
}

long MinorFaults() {
    rusage u{};
    return getrusage(RUSAGE_SELF, &u) == 0 ? u.ru_minflt : -1;
}

long PeakRssKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kb = std::strtol(line + 6, nullptr, 10);
            break;
        }
    std::fclose(f);
    return kb;
}

}  // namespace orb::stages
