#include "SYSPARAM/LinkLock.h"

#include <cassert>

namespace {
thread_local int t_nHeld = 0;
}

void CLinkLock::lock()
{
    m_mutex.lock();
    ++t_nHeld;
}

bool CLinkLock::try_lock()
{
    if (!m_mutex.try_lock())
        return false;
    ++t_nHeld;
    return true;
}

void CLinkLock::unlock()
{
    --t_nHeld;
    m_mutex.unlock();
}

bool CLinkLock::HeldByThisThread()
{
    return t_nHeld > 0;
}

void AssertLinkLockNotHeld()
{
    assert(!CLinkLock::HeldByThisThread() && "link lock held across a box or a message");
}
