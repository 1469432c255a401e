#pragma once
// A periodic read for a window's timer: the status tick, the monitor pane, the data monitor,
// the DI/DO monitor. The timer handler calls Request(), which hands the round to a worker
// thread of the window's own and returns at once; the worker runs the read (taking the link
// lock as any worker does) and posts the result to the window as `msg`, newest only
// (platform::PostLatest), with a std::shared_ptr<T> payload; the handler paints the last
// result it was posted. A request while a round is running asks for one more round at most,
// so a slow or silent drive never piles rounds up. The worker ends with the window
// (DestroyWindow or its destructor).
#include "platform/Messages.h"
#include "platform/PageWorker.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

template <class T>
class CPeriodicRead
{
public:
    // Runs on the worker; a null result posts nothing. `stop` turns true when the window goes.
    using Read = std::function<std::shared_ptr<T>(const std::atomic<bool> &stop)>;

    CPeriodicRead(platform::MessageTarget *owner, UINT msg, Read read)
        : m_target(owner), m_nMsg(msg), m_read(std::move(read)), m_worker(owner, "periodic read")
    {
    }
    CPeriodicRead(const CPeriodicRead &) = delete;
    CPeriodicRead &operator=(const CPeriodicRead &) = delete;

    // GUI thread, from the timer handler. Never waits on the drive or the link lock.
    void Request()
    {
        {
            std::lock_guard lock(m_mx);
            m_bWanted = true;
        }
        if (!m_worker.IsRunning())
            m_worker.Start([this](const std::atomic<bool> &stop) { Loop(stop); });
        m_cv.notify_one();
    }

    // Rounds run so far (tests).
    int Rounds() const { return m_nRounds; }

private:
    void Loop(const std::atomic<bool> &stop)
    {
        while (!stop) {
            {
                std::unique_lock lock(m_mx);
                // Woken by Request; the stop flag is looked at every few milliseconds.
                if (!m_cv.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_bWanted; }))
                    continue;
                m_bWanted = false;
            }
            std::shared_ptr<T> result = m_read(stop);
            ++m_nRounds;
            if (result && !stop)
                platform::PostLatest(m_target, m_nMsg, std::move(result));
        }
    }

    platform::WindowRef m_target;
    UINT m_nMsg;
    Read m_read;
    std::mutex m_mx;
    std::condition_variable m_cv;
    bool m_bWanted = false;  // under m_mx
    std::atomic<int> m_nRounds{0};
    platform::PageWorker m_worker;  // last: it stops before the rest goes
};
