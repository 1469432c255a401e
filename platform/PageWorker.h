#pragma once
// A worker thread owned by a page: a thread and its stop flag. The page starts it with the
// work to do; the work polls StopRequested() (or the flag it is given) and returns soon after
// it turns true. Stop() sets the flag and joins, keeping the GUI thread's events flowing
// meanwhile, so that a worker waiting on the GUI thread (a message it sends, a box it shows)
// can finish. Past the deadline it logs once and goes on pumping and joining: a worker is
// never detached and the process is never terminated for it.
//
// The page's window detaches its mailbox before it stops its workers (CDialogExMid does both
// in DestroyWindow); the destructor stops the worker too, for a page that forgot.
#include "platform/Messages.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform {

class PageWorker
{
public:
    using Work = std::function<void(const std::atomic<bool> &stop)>;

    // `owner`: the window whose worker this is (may be null). The owner's DestroyWindow (or
    // the exit) stops it through MessageTarget::StopWorkersForGood.
    explicit PageWorker(MessageTarget *owner, std::string name = "page worker");
    // A page that forgot to stop its worker: the owner's mailbox is detached first, so that
    // no handler of the half-destroyed window runs while the worker is joined.
    ~PageWorker();
    PageWorker(const PageWorker &) = delete;
    PageWorker &operator=(const PageWorker &) = delete;

    // Starts `work` on a new thread; a worker still running is stopped first.
    void Start(Work work);
    // Sets the stop flag and returns at once.
    void RequestStop() { m_bStop = true; }
    bool StopRequested() const { return m_bStop; }
    const std::atomic<bool> &StopFlag() const { return m_bStop; }
    // True from Start until the work has returned.
    bool IsRunning() const;
    // A worker that stands by for work between its jobs (a page's queue) tells when it has
    // none: it is not busy then.
    void SetIdleCheck(std::function<bool()> idle) { m_idle = std::move(idle); }
    // Running and at work.
    bool IsBusy() const { return IsRunning() && !(m_idle && m_idle()); }
    // RequestStop, then joins while pumping events (on the GUI thread; elsewhere it just
    // waits). Logs once when the worker is still running after `logAfter`.
    void Stop(std::chrono::milliseconds logAfter = std::chrono::milliseconds(5000));

    // Joins a worker whose stop was requested, pumping events; the same rules as Stop.
    static void JoinPumping(std::thread &thread, const std::atomic<bool> &finished,
                            const std::string &name, std::chrono::milliseconds logAfter);

private:
    MessageTarget *m_pOwner = nullptr;
    std::string m_name;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::shared_ptr<std::atomic<bool>> m_pFinished;
    std::function<bool()> m_idle;
};

}
