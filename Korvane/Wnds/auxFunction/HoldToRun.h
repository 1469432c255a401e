#pragma once
// The run command word of a tuning aid that moves the motor while a control is held (the jog
// page's 0x0807, the inertia page's 0x080C): the run state, the commands for it, and the
// safety rules every such page keeps:
// - the end of a hold sends the stop at once, not at the next keep-alive tick, whenever the
//   port is open, whatever the page believes of the link: a page that dropped to off during
//   the hold may still have a motor turning;
// - the stop overtakes every queued run command and keep-alive, waits for a busy link (and
//   goes before anyone else waiting for it); a busy link is not a lost one: only a keep-alive
//   whose transactions all fail drops the state to off, and nothing starts again by itself;
// - leaving the page switches off (whenever the port is open) and always ends in state off;
// - an off the drive never acknowledged while the page had it switched on (a lost link, a
//   release or a leave the drive did not answer) is still owed: it is tried again, once per
//   keep-alive period and off the GUI thread, until the drive takes it, the user switches on
//   again, or kOwedRounds periods have gone by; once the page has had the drive switched on,
//   every end of a hold writes the stop (idle, or off when the page is off) whatever the page
//   reached meanwhile, until the user switches off or leaves.
// The drive work runs on the page's worker (CMotionQueue) in order; the state lives on the GUI
// thread, which only posts the work and takes its results. The page passes the queue's result
// messages (CMotionQueue::DoneMessage) to HandleMessage.
#include "Wnds/auxFunction/MotionQueue.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QTimer>

#include <functional>

class CHoldToRun
{
public:
    enum State { kOff = 0, kIdle = 1, kForward = 2, kReverse = 3 };
    static constexpr WORD kCmdIdle = 0x0001;
    static constexpr WORD kCmdForward = 0x0011;
    static constexpr WORD kCmdReverse = 0x0021;
    static constexpr WORD kCmdOff = 0x0041;
    static constexpr int kTries = 10;
    static constexpr UINT kKeepAliveTimer = 17;
    static constexpr UINT kKeepAliveMs = 500;
    // How long an owed off is tried again: two minutes at the full keep-alive period, long
    // past the drive's own watchdog; a drive gone longer than that is a new start.
    static constexpr int kOwedRounds = 240;
    // The keep-alive period the pages start their timer with: kKeepAliveMs, unless a test of the
    // pages' logic shortened it (together with its simulated drive's watchdog) to run quicker.
    // 0 restores the default.
    static UINT KeepAliveMs();
    static void SetKeepAliveMs(UINT ms);

    // `page`: the page whose worker does the drive work and which gets the results.
    CHoldToRun(platform::MessageTarget *page, WORD reg);

    int State() const { return m_nState; }
    bool IsOn() const { return m_nState != kOff; }
    // The command a keep-alive tick sends in a state (0: none).
    static WORD CommandOf(int state);

    // Runs `check` on the worker (false: it told the user why, nothing is written), then the
    // idle command with `tries`, then `after` once the drive took it (its result runs on the
    // GUI thread after `done`). `done(ok, checked, error)` on the GUI thread; on success the
    // state is idle. Nothing happens while a switch-on is under way.
    using Check = std::function<bool()>;
    using After = std::function<CMotionQueue::Result()>;
    using SwitchedOn = std::function<void(bool ok, bool checked, DWORD error)>;
    void SwitchOn(int tries, Check check, After after, SwitchedOn done);
    bool Switching() const { return m_bSwitching; }
    // The off command with `tries`, ahead of everything queued, whenever the port is open. The
    // state is off at once, or, with `keepOnFailure`, only when the drive took it.
    // `done(ok, error)` on the GUI thread (at once when the port is closed).
    using Told = std::function<void(bool ok, DWORD error)>;
    void SwitchOff(int tries, bool keepOnFailure, Told done);
    bool OffPending() const { return m_bOffPending; }
    // A hold begins: forward or reverse when switched on; false (nothing changes) when off.
    bool Press(bool forward);
    // A hold ends (a release, focus or window lost, a box, leaving): switched on, back to idle
    // and the idle command at once; off (dropped to off during the hold, or at any time since
    // the drive was switched on), the off command. Sent whenever the port is open, `kTries`
    // tries. False when there was nothing to stop (no hold, and the page has not had the drive
    // switched on since it was last switched off or left).
    bool Release();
    bool IsHeld() const { return m_bHeld; }
    // An off is owed to the drive and tried again until it takes it.
    bool OffOwed() const { return m_bOffOwed; }

    // One keep-alive tick: the state's command, `kTries` tries, unless one is still on its way.
    // When every try failed (or the port is closed) while switched on, the state drops to off
    // and `lost` (SetLostHandler) runs on the GUI thread; a busy link changes nothing.
    void KeepAlive();
    void SetLostHandler(std::function<void()> lost) { m_fnLost = std::move(lost); }
    // Drops to off without a word to the drive (the port is closed, or the off is on its way).
    void Drop();
    // The port is open: a stop can be sent.
    static bool PortOpen();

    // Other drive work of the page, in the same order (parameter writes, polls).
    CMotionQueue &Queue() { return m_queue; }
    const CMotionQueue &Queue() const { return m_queue; }
    // The queue's result messages: true when `msg` was one (it has run).
    bool HandleMessage(UINT msg, const std::shared_ptr<CMotionQueue::Result> &payload);

    // One write of the command word (`tries`), from any thread.
    static bool Write(WORD reg, WORD value, int tries, bool stop, DWORD *error);

private:
    void PostStop(WORD value, int tries, Told done);
    // The off was not acknowledged (or could not be sent): owed from now on, tried again.
    void OweOff();
    // The drive took an off, or the user switched on again: nothing is owed.
    void SettleOff();
    // One round of the owed off: one try on the worker when the port is open.
    void RetryOwedOff();
    // The off of an end of a hold or a switch-off: `done` after the owed state followed its
    // result (a result that comes after the user switched on again changes nothing).
    void PostOff(int tries, bool owe, Told done);
    // The keep-alive's write on the worker; a stop queued meanwhile goes out in its place, under
    // the same hold of the link. Busy: the link stayed taken.
    enum class Sent { Ok, Failed, Busy, Overtaken };
    Sent WriteKeepAlive(WORD value, DWORD *error);

    CMotionQueue m_queue;
    WORD m_reg;
    int m_nState = kOff;
    bool m_bHeld = false;        // a hold began and has not ended
    bool m_bSwitching = false;   // a switch-on is on its way
    bool m_bOffPending = false;  // a switch-off that keeps the state until the drive took it
    bool m_bKeepAliveInFlight = false;  // posted and its verdict not yet back on this thread
    unsigned m_nEpoch = 0;       // counts the switch-offs: older results change nothing
    bool m_bEngaged = false;     // switched on since the user last switched off or left
    bool m_bOffOwed = false;
    bool m_bOwedInFlight = false;  // a try of the owed off is on its way
    int m_nOwedRounds = 0;
    unsigned m_nOwedGen = 0;     // counts the switch-ons: an older off's verdict owes nothing
    QTimer m_owedTimer;
    std::function<void()> m_fnLost;
};
