#include "platform/Messages.h"

#include "platform/BlockingCheck.h"
#include "platform/PageWorker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <vector>

namespace platform {

namespace detail {

// The part of a message target that outlives it: senders on other threads check it under its
// lock, and the target clears it before it goes.
struct Mailbox
{
    // The newest payload of a PostLatest message not yet handled.
    struct Latest
    {
        std::shared_ptr<void> payload;
        const std::type_info *type = nullptr;
    };
    std::mutex lock;
    MessageTarget *target = nullptr;
    QObject *hook = nullptr;
    QThread *thread = nullptr;
    std::map<UINT, Latest> latest;  // under lock
};

namespace {

// Qt hands an event to the receiving thread under a lock of its own that race checkers
// cannot see. A release here, once the event is built, and an acquire where a message hook
// starts on an event make that hand-off (the event and everything its sender wrote before
// it) visible to them, so that no suppression has to cover the handlers.
std::atomic<unsigned> g_handOff{0};
void NoteHandOff()
{
    g_handOff.fetch_add(1, std::memory_order_release);
}
void TakeHandOff()
{
    (void)g_handOff.load(std::memory_order_acquire);
}

const QEvent::Type kPostedType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kSentType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kBroadcastType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kLatestType = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessageEvent : public QEvent
{
public:
    PostedMessageEvent(QEvent::Type type, UINT m, WPARAM w, LPARAM l, std::shared_ptr<void> p,
                       const std::type_info *t)
        : QEvent(type), msg(m), wParam(w), lParam(l), payload(std::move(p)), payloadType(t)
    {
        NoteHandOff();
    }
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<void> payload;
    const std::type_info *payloadType;
};

// A message sent from another thread; the sender waits on the promise. An event that is
// dropped (its target gone, the application ending) still answers, with 0.
class SentMessageEvent : public QEvent
{
public:
    SentMessageEvent(UINT m, WPARAM w, LPARAM l, std::shared_ptr<std::promise<LRESULT>> p)
        : QEvent(kSentType), msg(m), wParam(w), lParam(l), answer(std::move(p))
    {
        NoteHandOff();
    }
    ~SentMessageEvent() override
    {
        if (!answered)
            answer->set_value(0);
    }
    void Answer(LRESULT r)
    {
        answered = true;
        answer->set_value(r);
    }
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<std::promise<LRESULT>> answer;
    bool answered = false;
};

std::mutex g_allLock;
std::vector<std::weak_ptr<Mailbox>> &AllMailboxes()
{
    static std::vector<std::weak_ptr<Mailbox>> all;
    return all;
}

}

class MessageHook : public QObject
{
public:
    MessageHook(MessageTarget *target, QObject *parent) : QObject(parent), m_target(target) {}

    bool event(QEvent *e) override
    {
        TakeHandOff();
        if (e->type() == kPostedType) {
            auto *pe = static_cast<PostedMessageEvent *>(e);
            m_target->Dispatch(pe->msg, pe->wParam, pe->lParam, pe->payload, pe->payloadType);
            return true;
        }
        if (e->type() == kBroadcastType) {
            auto *pe = static_cast<PostedMessageEvent *>(e);
            auto *w = qobject_cast<QWidget *>(m_target->TargetObject());
            if (w && w->isWindow())
                m_target->Dispatch(pe->msg, pe->wParam, pe->lParam, nullptr, nullptr);
            return true;
        }
        if (e->type() == kLatestType) {
            auto *pe = static_cast<PostedMessageEvent *>(e);
            Mailbox::Latest newest;
            {
                const auto &box = m_target->m_box;
                std::lock_guard<std::mutex> g(box->lock);
                auto it = box->latest.find(pe->msg);
                if (it == box->latest.end() || !box->target)
                    return true;
                newest = std::move(it->second);
                box->latest.erase(it);
            }
            m_target->Dispatch(pe->msg, 0, 0, std::move(newest.payload), newest.type);
            return true;
        }
        if (e->type() == kSentType) {
            auto *se = static_cast<SentMessageEvent *>(e);
            se->Answer(m_target->Dispatch(se->msg, se->wParam, se->lParam, nullptr, nullptr));
            return true;
        }
        return QObject::event(e);
    }

private:
    MessageTarget *m_target;
};

}

WindowRef::WindowRef(MessageTarget *target)
{
    if (target)
        m_box = target->m_box;
}

WindowRef::WindowRef(QObject *object) : WindowRef(dynamic_cast<MessageTarget *>(object)) {}

bool WindowRef::IsAlive() const
{
    if (!m_box)
        return false;
    std::lock_guard<std::mutex> g(m_box->lock);
    return m_box->target != nullptr;
}

LRESULT SendMessage(const WindowRef &target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto &box = target.m_box;
    if (!box)
        return 0;
    std::unique_lock<std::mutex> g(box->lock);
    MessageTarget *t = box->target;
    if (!t)
        return 0;
    if (QThread::currentThread() == box->thread) {
        g.unlock();
        return t->Dispatch(msg, wParam, lParam, nullptr, nullptr);
    }
    if (!BlockingCallAllowed("SendMessage"))
        return 0;
    auto answer = std::make_shared<std::promise<LRESULT>>();
    std::future<LRESULT> result = answer->get_future();
    QCoreApplication::postEvent(box->hook, new detail::SentMessageEvent(msg, wParam, lParam, answer));
    g.unlock();
    return result.get();
}

bool PostMessageImpl(const WindowRef &target, UINT msg, WPARAM wParam, LPARAM lParam,
                     std::shared_ptr<void> payload, const std::type_info *type)
{
    const auto &box = target.m_box;
    if (!box)
        return false;
    std::lock_guard<std::mutex> g(box->lock);
    if (!box->target)
        return false;
    QCoreApplication::postEvent(box->hook, new detail::PostedMessageEvent(detail::kPostedType, msg, wParam,
                                                                  lParam, std::move(payload), type));
    return true;
}

bool PostLatestImpl(const WindowRef &target, UINT msg, std::shared_ptr<void> payload,
                    const std::type_info *type)
{
    const auto &box = target.m_box;
    if (!box)
        return false;
    std::lock_guard<std::mutex> g(box->lock);
    if (!box->target)
        return false;
    auto [it, fresh] = box->latest.try_emplace(msg);
    it->second.payload = std::move(payload);
    it->second.type = type;
    if (fresh)
        QCoreApplication::postEvent(box->hook, new detail::PostedMessageEvent(detail::kLatestType, msg, 0, 0,
                                                                      nullptr, nullptr));
    return true;
}

void PostBroadcast(UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> all(detail::g_allLock);
    for (const auto &weak : detail::AllMailboxes()) {
        auto box = weak.lock();
        if (!box)
            continue;
        std::lock_guard<std::mutex> g(box->lock);
        if (box->target)
            QCoreApplication::postEvent(box->hook, new detail::PostedMessageEvent(
                                                       detail::kBroadcastType, msg, wParam, lParam, nullptr, nullptr));
    }
}

UINT RegisterWindowMessage(const QString &name)
{
    static std::mutex lock;
    static std::map<QString, UINT> table;
    static UINT next = 0xC000;
    if (name.isEmpty())
        return 0;
    const QString key = name.toCaseFolded();
    std::lock_guard<std::mutex> g(lock);
    auto it = table.find(key);
    if (it != table.end())
        return it->second;
    if (next > 0xFFFF)
        return 0;
    table.emplace(key, next);
    return next++;
}

MessageTarget::MessageTarget(QObject *self)
    : m_self(self), m_hook(new detail::MessageHook(this, self)), m_box(std::make_shared<detail::Mailbox>())
{
    m_box->target = this;
    m_box->hook = m_hook;
    m_box->thread = self->thread();
    std::lock_guard<std::mutex> all(detail::g_allLock);
    auto &boxes = detail::AllMailboxes();
    std::erase_if(boxes, [](const std::weak_ptr<detail::Mailbox> &w) { return w.expired(); });
    boxes.push_back(m_box);
}

MessageTarget::~MessageTarget()
{
    {
        std::lock_guard<std::mutex> g(m_box->lock);
        m_box->target = nullptr;
        m_box->hook = nullptr;
        m_box->latest.clear();
    }
    // Deleting the hook drops the messages still queued for it and stops the timers.
    delete m_hook;
}

void MessageTarget::Detach()
{
    if (m_bDetached)
        return;
    m_bDetached = true;
    {
        std::lock_guard<std::mutex> g(m_box->lock);
        m_box->target = nullptr;
        m_box->latest.clear();
    }
    // Dropping the queued events answers every waiting sender with 0.
    if (m_hook)
        QCoreApplication::removePostedEvents(m_hook);
    for (auto &[id, timer] : m_timers) {
        timer->stop();
        timer->deleteLater();
    }
    m_timers.clear();
}

bool MessageTarget::AnyWorkerBusy() const
{
    return std::any_of(m_workers.begin(), m_workers.end(), [](const PageWorker *w) { return w->IsBusy(); });
}

void MessageTarget::RequestWorkersStop()
{
    for (PageWorker *w : m_workers)
        w->RequestStop();
}

void MessageTarget::StopWorkersForGood()
{
    Detach();
    RequestWorkersStop();
    // Copied: a worker's owner may let it go while the others are joined.
    const std::vector<PageWorker *> workers = m_workers;
    for (PageWorker *w : workers)
        w->Stop();
}

LRESULT MessageTarget::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER)
        OnTimer(wParam);
    return 0;
}

LRESULT MessageTarget::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<void> payload,
                                const std::type_info *type)
{
    if (m_bDetached)
        return 0;
    // Handlers may send further messages: keep the outer message's payload for after.
    std::shared_ptr<void> outerPayload = std::exchange(m_payload, std::move(payload));
    const std::type_info *outerType = std::exchange(m_payloadType, type);
    const LRESULT r = WindowProc(msg, wParam, lParam);
    m_payload = std::move(outerPayload);
    m_payloadType = outerType;
    return r;
}

bool MessageTarget::SetTimer(UINT_PTR id, UINT elapseMs, bool precise)
{
    Q_ASSERT(QThread::currentThread() == m_self->thread());
    if (m_bDetached)
        return false;
    QTimer *&timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(m_hook);
        QObject::connect(timer, &QTimer::timeout, m_hook, [this, id] { Dispatch(WM_TIMER, id, 0, nullptr, nullptr); });
    }
    timer->setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer);
    timer->start(static_cast<int>(elapseMs));
    return true;
}

bool MessageTarget::KillTimer(UINT_PTR id)
{
    Q_ASSERT(QThread::currentThread() == m_self->thread());
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return false;
    // The handler of this very timer may be the caller: stop it now, free it later.
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
    return true;
}

bool MessageTarget::IsTimerRunning(UINT_PTR id) const
{
    return m_timers.count(id) != 0;
}

WindowRef MessageTarget::GetWindowRef() const
{
    return WindowRef(const_cast<MessageTarget *>(this));
}

}
