#pragma once
// Window messages of the program: the private message numbers, the message parameter types,
// sending and posting between windows and threads, registered (named) messages, window timers
// by id, and the message-target base that every window class dispatching messages derives from.
//
// A window class dispatches in one place: it overrides WindowProc with a switch over the
// messages it handles and hands everything else to its base's WindowProc.
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <vector>

class QTimer;

// Message parameter types, sized as the pointers they may carry.
using UINT = unsigned int;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// System messages that our own windows use with their usual numbers.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_USER = 0x0400;

// Page protocol (the view and every page).
constexpr UINT UM_IDENTIFY = 0x400;
constexpr UINT UM_STOP_TIMER = 0x401;
constexpr UINT UM_START_TIMER = 0x402;
constexpr UINT UM_PAGE_ACTIVATE = 0x403;
constexpr UINT UM_THEME_CHANGED = 0x40A;
// A page to the view (sent): start the shown page's own timer again.
constexpr UINT UM_RESTART_PAGE_TIMER = 0x412;

// The answer of every dialog and page to UM_IDENTIFY.
constexpr LRESULT kIdentifyAnswer = 0x534B0000;

// Navigation panes to the main frame (posted).
constexpr UINT UM_FUNCTION_TOOL_CLICK = 0x405;
constexpr UINT UM_GROUP_TOOL_CLICK = 0x406;
constexpr UINT UM_GROUP_TOOL_MENU = 0x40B;

// Worker results and cross-page requests.
constexpr UINT UM_SHOW_PARAM_GROUP = 0x40E;
constexpr UINT UM_READ_DONE = 0x40F;
constexpr UINT UM_PROGRESS_POLL = 0x410;
constexpr UINT UM_THREAD_FINISHED = 0x411;
constexpr UINT UM_MONITOR_ADD_PARAM = 0x84C;

// Grid controls and the grid page.
constexpr UINT UM_GRID_SCROLL_END = 0x407;
constexpr UINT UM_GRID_CELL_RCLICK = 0x7E9;
constexpr UINT UM_GRID_CELL_LCLICK = 0x7EA;
constexpr UINT UM_GRID_CELL_DBLCLICK = 0x7EB;
constexpr UINT UM_GRID_ITEM_CHANGED = 0x7EC;
constexpr UINT UM_GRID_HEADER_RCLICK = 0x7ED;
constexpr UINT UM_GRID_BEGIN_EDIT = 0x81D;
constexpr UINT UM_GRID_END_EDIT = 0x81E;
constexpr UINT UM_GRID_DATA_CHANGED = 0x81F;
constexpr UINT UM_MINIGRID_CLICK = 0x500;

// Control notifications (the same number means different things for different senders).
constexpr UINT UM_BUTTON_PRESSED = 0x7E8;
constexpr UINT UM_BUTTON_RELEASED = 0x7E9;
constexpr UINT UM_COLOR_CHANGED = 0x7E9;
constexpr UINT UM_COLOR_ACCEPTED = 0x7EC;
constexpr UINT UM_COLOR_CANCELLED = 0x7ED;
constexpr UINT UM_COLOR_DONE = 0xBD0;
constexpr UINT UM_JOG_ENABLE_HINT = 0x7FC;
constexpr UINT UM_USABILITY_EDIT_DONE = 0x469;

// Control-loop diagrams and the setup wizard.
constexpr UINT UM_DIAGRAM_MODE_CHANGED = 0x40C;
constexpr UINT UM_DIAGRAM_EDIT_CHANGED = 0x40D;
// A parameter box's text was committed (Enter, or left changed): wParam = the edit's id.
constexpr UINT UM_DIAGRAM_EDIT_COMMITTED = 0x43C;
// A parameter box's write has ended (posted by the page's writer, payload: its outcome).
constexpr UINT UM_DIAGRAM_WRITE_DONE = 0x43D;
constexpr UINT UM_WIZARD_NEXT_PAGE = 0x8B0;
// The setup wizard's write worker hands the acknowledged records back to the page.
constexpr UINT UM_WIZARD_WRITTEN = 0x8B1;

// Oscilloscope.
constexpr UINT UM_VSCOPE_NOTIFY = 0x13A0;
constexpr UINT UM_VSCOPE_RCLICK = 0x13A1;
constexpr UINT UM_VSCOPE_LCLICK = 0x13A2;
constexpr UINT UM_SCOPE_CAPTURE_DONE = 0x17BA;
constexpr UINT UM_SCOPE_PROGRESS = 0x17BB;
constexpr UINT UM_SCOPE_ROLL_FRAME = 0x17BC;
// An acquisition thread ended by itself (posted; wParam 0 single shot, 1 roll; lParam its result).
constexpr UINT UM_SCOPE_THREAD_ENDED = 0x17BD;
// The sampling panel's core: a drive command of its worker has finished (posted to itself).
constexpr UINT UM_SCOPE_CORE_RESULT = 0x17BE;
constexpr UINT UM_SCOPE_CURSOR_REFRESH = 0x1800;

// Mechanism analysis (the smoothing notice goes by two names).
constexpr UINT UM_MA_ANALYSE = 0xC6C;
constexpr UINT UM_MA_PROGRESS = 0xC6D;
constexpr UINT UM_MA_STATE = 0xC6E;
// The analysis page's worker: a step to finish on the GUI thread (posted, payload std::function).
constexpr UINT UM_MA_RUN_STEP = 0xC6F;
constexpr UINT UM_MA_SMOOTH_CHANGED = 0x1F4F;
constexpr UINT UM_MA_SMOOTHING_CHANGED = 0x1F4F;

namespace platform {

class MessageTarget;
class PageWorker;

namespace detail {
struct Mailbox;
class MessageHook;
}

// A thread-safe reference to a message target. Take it on the GUI thread (from a pointer to a
// live window) and hand it to worker threads: sending or posting through it after the window
// is gone does nothing and answers 0.
class WindowRef
{
public:
    WindowRef() = default;
    WindowRef(std::nullptr_t) {}
    WindowRef(MessageTarget *target);
    // Any QObject: refers to it when it is a message target, else to nothing.
    WindowRef(QObject *object);
    // A pointer to a class that is both a QObject and a message target.
    template <class T>
        requires(std::is_base_of_v<MessageTarget, T> && std::is_base_of_v<QObject, T>)
    WindowRef(T *p) : WindowRef(static_cast<MessageTarget *>(p))
    {
    }

    bool IsAlive() const;
    explicit operator bool() const { return IsAlive(); }
    bool operator==(const WindowRef &o) const { return m_box == o.m_box; }

private:
    friend LRESULT SendMessage(const WindowRef &, UINT, WPARAM, LPARAM);
    friend bool PostMessageImpl(const WindowRef &, UINT, WPARAM, LPARAM, std::shared_ptr<void>,
                                const std::type_info *);
    friend bool PostLatestImpl(const WindowRef &, UINT, std::shared_ptr<void>, const std::type_info *);
    friend class MessageTarget;
    std::shared_ptr<detail::Mailbox> m_box;
};

// Calls the target's WindowProc and returns its result. On the GUI thread the handler runs at
// once; from another thread the call is queued to the GUI thread and the caller waits for the
// answer (0 when the target goes away first). The GUI thread must never wait on a thread that
// may be sending to it.
LRESULT SendMessage(const WindowRef &target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

bool PostMessageImpl(const WindowRef &target, UINT msg, WPARAM wParam, LPARAM lParam,
                     std::shared_ptr<void> payload, const std::type_info *type);

// Queues the message for the target's thread and returns at once; false when the target is
// already gone. A target that goes away before the message is handled drops it.
inline bool PostMessage(const WindowRef &target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return PostMessageImpl(target, msg, wParam, lParam, nullptr, nullptr);
}

// Posts with a payload owned by the message: the handler reads it with
// MessageTarget::Payload<T>(), and the payload lives as long as anyone holds it.
template <class T>
bool PostMessage(const WindowRef &target, UINT msg, WPARAM wParam, LPARAM lParam,
                 std::shared_ptr<T> payload)
{
    return PostMessageImpl(target, msg, wParam, lParam, std::move(payload), &typeid(T));
}

bool PostLatestImpl(const WindowRef &target, UINT msg, std::shared_ptr<void> payload,
                    const std::type_info *type);

// For producers faster than the GUI: at most one event per target and message is pending at
// a time, and it carries the newest payload given (earlier ones are dropped unseen). The
// handler reads it with Payload<T>(); wParam and lParam are 0. False when the target is gone.
template <class T>
bool PostLatest(const WindowRef &target, UINT msg, std::shared_ptr<T> payload)
{
    return PostLatestImpl(target, msg, std::move(payload), &typeid(T));
}

// Posts to every live top-level message target (the broadcast of a registered message).
void PostBroadcast(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// The process-wide table of named messages: the same name (compared without case) always
// yields the same number, in 0xC000..0xFFFF; 0 for an empty name or a full table.
UINT RegisterWindowMessage(const QString &name);

// Base of every window class that handles messages. It is mixed into a QObject-derived class
// and given that object; the object's thread is the one that handles its messages and timers.
class MessageTarget
{
public:
    explicit MessageTarget(QObject *self);
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget &) = delete;
    MessageTarget &operator=(const MessageTarget &) = delete;

    // The message map: handle what the class knows and pass the rest to the base class.
    // The base answers WM_TIMER by OnTimer and everything else with 0.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Window timers by id: (re)starts the timer with the period in ms; each expiry sends
    // WM_TIMER with the id to this window on its thread. KillTimer answers whether it ran.
    // A precise timer keeps its period to the millisecond (a drive's keep-alive); the default
    // may drift by some percent, which the system uses to group wake-ups.
    bool SetTimer(UINT_PTR id, UINT elapseMs, bool precise = false);
    bool KillTimer(UINT_PTR id);
    bool IsTimerRunning(UINT_PTR id) const;

    WindowRef GetWindowRef() const;
    QObject *TargetObject() const { return m_self; }

    // Empties the mailbox for good: queued messages are dropped, a worker waiting in
    // SendMessage gets 0 at once, later sends and posts do nothing, timers stop, and no
    // handler of this target runs again. Called on the GUI thread before a window stops or
    // joins its workers, so that none of them can wait on it. Idempotent.
    void Detach();
    bool IsDetached() const { return m_bDetached; }

    // The workers this window owns (each PageWorker given this window registers itself).
    bool HasWorkers() const { return !m_workers.empty(); }
    // One of them is at work (PageWorker::IsBusy).
    bool AnyWorkerBusy() const;
    // Sets every owned worker's stop flag; returns at once.
    void RequestWorkersStop();
    // The end of the window's workers: Detach, stop flags, then joins while pumping events.
    void StopWorkersForGood();

protected:
    virtual void OnTimer(UINT_PTR id) {}

    // The payload of the posted message now being handled, when it holds a T; else null.
    template <class T>
    std::shared_ptr<T> Payload() const
    {
        if (!m_payloadType || *m_payloadType != typeid(T))
            return nullptr;
        return std::static_pointer_cast<T>(m_payload);
    }

private:
    friend class detail::MessageHook;
    friend class WindowRef;
    friend LRESULT SendMessage(const WindowRef &, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<void> payload,
                     const std::type_info *type);

    QObject *m_self;
    QPointer<QObject> m_hook;  // receives posted messages and owns the timers; child of m_self
    std::shared_ptr<detail::Mailbox> m_box;
    std::map<UINT_PTR, QTimer *> m_timers;
    std::shared_ptr<void> m_payload;
    const std::type_info *m_payloadType = nullptr;
    bool m_bDetached = false;
    friend class PageWorker;
    std::vector<PageWorker *> m_workers;
};

}
