#pragma once
// The drive sequence of the magnetic-pole angle identification, run on the page's worker: the
// pending-fault check (0x0803), the start (0x0809 := 1) and the wait until the drive clears it,
// the second step (0x0803 := 1) and its wait. Widget-free: the pause between cycles and the
// pending-fault warning are handed in, so the sequence runs the same at any cycle length.
#include "platform/WinTypes.h"

#include <functional>

class CPoleRun
{
public:
    static constexpr WORD kRegStart = 0x0809;
    static constexpr WORD kRegStep2 = 0x0803;
    static constexpr int kTries = 10;
    static constexpr int kCycles = 5;
    static constexpr int kCycleMs = 1000;

    enum class Outcome {
        Success,
        StartNotCleared,  // 0x0809 still set (or unreadable) after five cycles: no second step
        Step2NotCleared,  // 0x0803 still 1 after five cycles
        Step2Failed,      // 0x0803 still at a value other than 0 or 1 (`code`) after five cycles
        LinkLost,         // 0x0803 could not be read at the end
        Cancelled,        // the page went away
    };
    struct Result
    {
        Outcome outcome = Outcome::Cancelled;
        int code = 0;          // the value 0x0803 ended at (Step2Failed)
        bool step2 = false;    // the second step was commanded
    };

    // Pauses `ms`; false when the run is to end (the page is going).
    using Sleeper = std::function<bool(int ms)>;
    // Tells the user of a pending fault code; returns when the user has seen it.
    using Warn = std::function<void(int code)>;

    static Result Run(const Sleeper &sleep, const Warn &warn, int cycleMs = kCycleMs);
};
