#pragma once
// The link lock: one re-entrant lock held around every drive transaction, on any thread.
// It also knows whether the calling thread holds it: a thread holding it must not wait on
// the GUI thread (a sent message, a box), which may itself be waiting for the link. The
// blocking calls check this in every build (platform/BlockingCheck.h).
#include <chrono>
#include <mutex>

class CLinkLock {
public:
    void lock();
    bool try_lock();
    // Waits at most `ms` for the lock.
    bool try_lock_for(std::chrono::milliseconds ms);
    void unlock();

    // The names the program's older code calls.
    void Lock() { lock(); }
    void Unlock() { unlock(); }

    // True while the calling thread holds any link lock.
    static bool HeldByThisThread();

private:
    // A plain re-entrant mutex, waited for by trying in a loop: the timed wait of a timed
    // mutex goes through a call the thread checker does not see, so every exchange under the
    // lock would look like a race to it.
    std::recursive_mutex m_mutex;
};

// Debug builds stop here when the calling thread holds the link lock.
void AssertLinkLockNotHeld();
