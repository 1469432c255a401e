#include "SYSPARAM/LinkLock.h"

#include "platform/BlockingCheck.h"

#include <cassert>

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
    if (!m_mutex.try_lock_for(ms))
        return false;
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
