#include "MotionQueue.h"

#include <QString>

#include <algorithm>
#include <chrono>

CMotionQueue::CMotionQueue(platform::MessageTarget *owner)
    : m_pOwner(owner), m_page(owner), m_worker(owner, "motion queue")
{
    m_worker.SetIdleCheck([this] { return IsIdle(); });
}

CMotionQueue::~CMotionQueue()
{
    // The page is half gone: none of its handlers may run while the worker ends, and the stops
    // still queued go out before it does.
    if (m_worker.IsRunning() && m_pOwner)
        m_pOwner->Detach();
    m_worker.Stop();
}

UINT CMotionQueue::DoneMessage()
{
    static const UINT msg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_MOTION_QUEUE_DONE"));
    return msg;
}

bool CMotionQueue::Post(Kind kind, Job job, int key)
{
    if (m_worker.StopRequested())
        return false;
    {
        std::lock_guard g(m_lock);
        switch (kind) {
        case Kind::Stop: {
            std::erase_if(m_items, [](const Item &i) { return i.kind == Kind::Run || i.kind == Kind::KeepAlive; });
            // Behind the stops already queued, before everything else.
            const auto at = std::find_if(m_items.begin(), m_items.end(), [](const Item &i) { return i.kind != Kind::Stop; });
            m_items.insert(at, Item{kind, std::move(job), key});
            break;
        }
        case Kind::Param: {
            const auto same = std::find_if(m_items.begin(), m_items.end(),
                                           [&](const Item &i) { return i.kind == Kind::Param && i.key == key; });
            if (same != m_items.end())
                same->job = std::move(job);
            else
                m_items.push_back(Item{kind, std::move(job), key});
            break;
        }
        default:
            m_items.push_back(Item{kind, std::move(job), key});
            break;
        }
    }
    m_cv.notify_one();
    if (!m_worker.IsRunning())
        m_worker.Start([this](const std::atomic<bool> &stop) { Loop(stop); });
    return true;
}

bool CMotionQueue::KeepAlivePending() const
{
    std::lock_guard g(m_lock);
    return (m_bRunning && m_running == Kind::KeepAlive) ||
           std::any_of(m_items.begin(), m_items.end(), [](const Item &i) { return i.kind == Kind::KeepAlive; });
}

bool CMotionQueue::StopWaiting() const
{
    std::lock_guard g(m_lock);
    return std::any_of(m_items.begin(), m_items.end(), [](const Item &i) { return i.kind == Kind::Stop; });
}

bool CMotionQueue::IsIdle() const
{
    std::lock_guard g(m_lock);
    return !m_bRunning && m_items.empty();
}

void CMotionQueue::RunQueuedStops()
{
    std::deque<Item> stops;
    {
        std::lock_guard g(m_lock);
        for (auto it = m_items.begin(); it != m_items.end();) {
            if (it->kind == Kind::Stop) {
                stops.push_back(std::move(*it));
                it = m_items.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Item &i : stops)
        i.job();
}

void CMotionQueue::Done(Result result)
{
    platform::PostMessage(m_page, DoneMessage(), 0, 0, std::make_shared<Result>(std::move(result)));
}

void CMotionQueue::Loop(const std::atomic<bool> &stop)
{
    for (;;) {
        Item item{Kind::Other, {}, -1};
        {
            std::unique_lock l(m_lock);
            // The stop flag does not wake the wait: look at it now and then.
            m_cv.wait_for(l, std::chrono::milliseconds(20), [&] { return !m_items.empty() || stop; });
            if (stop) {
                // Going: only the stops are still made.
                std::erase_if(m_items, [](const Item &i) { return i.kind != Kind::Stop; });
                if (m_items.empty())
                    return;
            }
            if (m_items.empty())
                continue;
            item = std::move(m_items.front());
            m_items.pop_front();
            m_bRunning = true;
            m_running = item.kind;
        }
        item.job();
        std::lock_guard g(m_lock);
        m_bRunning = false;
    }
}
