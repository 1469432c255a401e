#pragma once
// The drive work of a page that moves the motor, done in order on the page's own worker, so that
// the GUI thread only posts work and shows results and never waits on the drive:
// - a stop overtakes what is queued: every queued job that could start or keep a motion (a run
//   command, a keep-alive, a switch-on) is dropped, and the stop goes before the other work;
// - the page never queues a keep-alive behind another (KeepAlivePending);
// - a parameter write replaces a queued write of the same register;
// - when the page's workers are stopped (the page goes, the program ends), the stops still
//   queued are made first and the rest is dropped.
// A job hands its result to the page with Done(): the page runs it on the GUI thread when the
// message arrives (DoneMessage, its payload a CMotionQueue::Result), or never when it went.
#include "platform/Messages.h"
#include "platform/PageWorker.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class CMotionQueue
{
public:
    enum class Kind { Stop, Run, KeepAlive, Param, Other };
    using Job = std::function<void()>;
    using Result = std::function<void()>;

    explicit CMotionQueue(platform::MessageTarget *owner);
    ~CMotionQueue();
    CMotionQueue(const CMotionQueue &) = delete;
    CMotionQueue &operator=(const CMotionQueue &) = delete;

    // Queues `job` by the rules above; `key` names the register of a parameter write. False when
    // the page's workers were stopped for good: nothing runs any more, the caller does the work
    // itself if it must (a stop).
    bool Post(Kind kind, Job job, int key = -1);
    // A keep-alive is queued or running.
    bool KeepAlivePending() const;
    // A stop is queued: work in progress gives up between its tries for it.
    bool StopWaiting() const;
    // No job queued or running.
    bool IsIdle() const;
    // From a job on the worker: makes the queued stops now, in order (a job that holds the link
    // when a stop comes lets the stop have it before anyone else can take it).
    void RunQueuedStops();
    // From a job: `result` runs on the page's GUI thread.
    void Done(Result result);
    static UINT DoneMessage();

private:
    struct Item
    {
        Kind kind;
        Job job;
        int key;
    };
    void Loop(const std::atomic<bool> &stop);

    platform::MessageTarget *m_pOwner;
    platform::WindowRef m_page;
    mutable std::mutex m_lock;
    std::condition_variable m_cv;
    std::deque<Item> m_items;
    bool m_bRunning = false;
    Kind m_running = Kind::Other;
    platform::PageWorker m_worker;
};
