#include "SYSPARAM/LinkLock.h"

#include "platform/BlockingCheck.h"

#include <cassert>
#include <thread>

void CLinkLock::lock()
{
    m_mutex.lock();
    platform::NoteNoBlockLockTaken();
}

bool CLinkLock::try_lock()
{
    if (!m_mutex.try_lock())
        return false;
    platform::NoteNoBlockLockTaken();
    return true;
}

bool CLinkLock::try_lock_for(std::chrono::milliseconds ms)
{
    const auto deadline = std::chrono::steady_clock::now() + ms;
    while (!m_mutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Short against an exchange (a few milliseconds), long enough not to spin.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    platform::NoteNoBlockLockTaken();
    return true;
}

void CLinkLock::unlock()
{
    platform::NoteNoBlockLockReleased();
    m_mutex.unlock();
}

bool CLinkLock::HeldByThisThread()
{
    return platform::HoldsNoBlockLock();
}

void AssertLinkLockNotHeld()
{
    assert(!CLinkLock::HeldByThisThread() && "link lock held across a box or a message");
}
