#include "platform/BlockingCheck.h"

#include <glog/logging.h>

#include <atomic>

namespace platform {

namespace {
thread_local int t_nHeld = 0;
std::atomic<int> g_nViolations{0};
}

void NoteNoBlockLockTaken()
{
    ++t_nHeld;
}

void NoteNoBlockLockReleased()
{
    --t_nHeld;
}

bool HoldsNoBlockLock()
{
    return t_nHeld > 0;
}

bool BlockingCallAllowed(const char *what)
{
    if (t_nHeld <= 0)
        return true;
    ++g_nViolations;
    LOG(ERROR) << "blocking call refused while the link lock is held: " << (what ? what : "?");
    return false;
}

int BlockingViolationCount()
{
    return g_nViolations.load();
}

void ResetBlockingViolationCount()
{
    g_nViolations = 0;
}

}
