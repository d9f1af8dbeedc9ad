#pragma once
// Timing of the program's start-up, stage by stage, for the start-up measurement. Off unless
// switched on (the --quit-after-paint run, or ORBELLE_STARTUP_STAGES set): then each stage
// records when it began and ended on the monotonic clock, the same clock the measuring
// script reads before it starts the program. Switched off, a stage costs one test of a flag.
#include <cstdint>
#include <cstdio>

namespace orb::stages {

// Switches recording on for the rest of the run; also on when ORBELLE_STARTUP_STAGES is set.
void Enable();
bool Enabled();
// Monotonic clock, nanoseconds.
std::int64_t Now();
// Records a finished stage. Names must be literals (kept by pointer).
void Record(const char* name, std::int64_t begin, std::int64_t end);
// Writes the stages recorded since the last call, one line each:
// "stage <name> <begin ns> <end ns>".
void Print(std::FILE* out);
// The peak resident set of this process so far (VmHWM), in kB; -1 when unknown.
long PeakRssKb();
// Minor page faults of the process so far: each is a fresh page it touched.
long MinorFaults();

// A stage that lasts as long as this object.
class Stage {
public:
    explicit Stage(const char* name) : name_(Enabled() ? name : nullptr), begin_(name_ ? Now() : 0) {}
    ~Stage() { End(); }
    // Ends the stage before the end of the scope.
    void End() {
        if (name_) Record(name_, begin_, Now());
        name_ = nullptr;
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

private:
    const char* name_;
    std::int64_t begin_;
};

}  // namespace orb::stages
