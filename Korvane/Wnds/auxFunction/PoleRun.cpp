#include "PoleRun.h"

#include "SYSPARAM/SysParam.h"

namespace {

// One read with a shared budget of tries: stops at the first success.
bool ReadWithBudget(CSysParam *sys, WORD reg, int *value, int *budget)
{
    while (*budget > 0) {
        --*budget;
        if (sys->ReadReg(reg, value, CSysParam::LinkWait::Block, 1))
            return true;
    }
    return false;
}

}  // namespace

CPoleRun::Result CPoleRun::Run(const Sleeper &sleep, const Warn &warn, int cycleMs)
{
    Result result;
    CSysParam *sys = GetSysParam();
    if (!sys)
        return {Outcome::LinkLost, 0, false};
    int fault = 0;
    if (sys->ReadReg(kRegStep2, &fault, CSysParam::LinkWait::Block, kTries) && fault != 0)
        warn(fault);

    sys->WriteReg(kRegStart, 1, CSysParam::LinkWait::Block, kTries);
    int budget = kTries;
    bool cleared = false;
    for (int cycle = 0; cycle < kCycles && !cleared; ++cycle) {
        int v = 1;
        if (ReadWithBudget(sys, kRegStart, &v, &budget) && v == 0)
            cleared = true;
        else if (!sleep(cycleMs))
            return result;
    }
    // A start the drive never finished must not go on to the second step.
    if (!cleared)
        return {Outcome::StartNotCleared, 0, false};

    result.step2 = true;
    sys->WriteReg(kRegStep2, 1, CSysParam::LinkWait::Block, kTries);
    budget = kTries;
    bool read = false;
    int v = 1;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        read = ReadWithBudget(sys, kRegStep2, &v, &budget);
        if (!sleep(cycleMs))
            return result;
        if (read && v == 0) {
            result.outcome = Outcome::Success;
            return result;
        }
        // Any other value is the drive still working (it may pass through other values on its
        // way to 0): waited on until the cycles run out.
        if (!sleep(cycleMs))
            return result;
    }
    if (!read)
        result.outcome = Outcome::LinkLost;
    else
        result.outcome = v == 1 ? Outcome::Step2NotCleared : Outcome::Step2Failed;
    result.code = read ? v : 0;
    return result;
}
