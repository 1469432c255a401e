#pragma once
// The link lock: one re-entrant lock held around every drive transaction, on any thread.
// It also knows whether the calling thread holds it, so that code about to show a box or send
// to a window can assert that it does not (a nested event loop could otherwise poll the drive
// and wait on the lock forever).
#include <mutex>

class CLinkLock {
public:
    void lock();
    bool try_lock();
    void unlock();

    // The names the program's older code calls.
    void Lock() { lock(); }
    void Unlock() { unlock(); }

    // True while the calling thread holds any link lock.
    static bool HeldByThisThread();

private:
    std::recursive_mutex m_mutex;
};

// Debug builds stop here when the calling thread holds the link lock.
void AssertLinkLockNotHeld();
