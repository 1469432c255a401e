#pragma once
// The check that keeps a thread from waiting on the GUI thread while it holds a lock the GUI
// thread may want (the link lock): the GUI thread would wait on that lock and the caller on
// the GUI thread, for ever. Locks of that kind tell the check when the calling thread takes
// and releases them; every blocking cross-thread call (a sent message, the UI services,
// RunOnGuiThread) asks it first. A violation is logged and counted, and the call fails at
// once instead of blocking: in every build, not only where asserts are on.
namespace platform {

// The calling thread took / released a lock under which it must not wait on the GUI thread.
void NoteNoBlockLockTaken();
void NoteNoBlockLockReleased();
// True while the calling thread holds such a lock.
bool HoldsNoBlockLock();

// Asked by a blocking call before it blocks: false (after logging and counting) when the
// caller holds such a lock; the call must then fail at once.
bool BlockingCallAllowed(const char *what);

// Violations so far (tests).
int BlockingViolationCount();
void ResetBlockingViolationCount();

}
