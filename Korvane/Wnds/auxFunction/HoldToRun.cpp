#include "HoldToRun.h"

#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "platform/Adjustable.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace {
platform::Adjustable<UINT> g_keepAliveMs;
}

CHoldToRun::CHoldToRun(platform::MessageTarget *page, WORD reg) : m_queue(page), m_reg(reg)
{
    QObject::connect(&m_owedTimer, &QTimer::timeout, &m_owedTimer, [this] { RetryOwedOff(); });
}

UINT CHoldToRun::KeepAliveMs()
{
    return g_keepAliveMs.Or(kKeepAliveMs);
}

void CHoldToRun::SetKeepAliveMs(UINT ms)
{
    g_keepAliveMs.Set(ms);
}

WORD CHoldToRun::CommandOf(int state)
{
    switch (state) {
    case kIdle: return kCmdIdle;
    case kForward: return kCmdForward;
    case kReverse: return kCmdReverse;
    default: return 0;
    }
}

bool CHoldToRun::PortOpen()
{
    CSysParam *sys = GetSysParam();
    return sys && sys->m_SeriesPort.m_bOpen;
}

bool CHoldToRun::Write(WORD reg, WORD value, int tries, bool stop, DWORD *error)
{
    *error = CSysParam::kErrLinkBusy;
    CSysParam *sys = GetSysParam();
    if (!sys)
        return false;
    if (sys->WriteReg(reg, value, stop ? CSysParam::LinkWait::Stop : CSysParam::LinkWait::Bounded, tries)) {
        *error = 0;
        return true;
    }
    *error = CSysParam::LastLinkError();
    return false;
}

CHoldToRun::Sent CHoldToRun::WriteKeepAlive(WORD value, DWORD *error)
{
    *error = CSysParam::kErrLinkBusy;
    CSysParam *sys = GetSysParam();
    if (!sys)
        return Sent::Failed;
    for (int i = 0; i < kTries; ++i) {
        // Waits for the link as a user's command does, but gives way at once to a stop queued
        // meanwhile, which then waits for the link ahead of everyone else.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(CSysParam::kBoundedLinkWaitMs);
        while (!sys->AcquireLink(CSysParam::LinkWait::TryOnly)) {
            if (m_queue.StopWaiting())
                return Sent::Overtaken;
            if (std::chrono::steady_clock::now() >= deadline) {
                *error = CSysParam::kErrLinkBusy;
                return Sent::Busy;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        // The link is ours: a stop that came while we waited for it goes first, and this run
        // command not at all.
        if (m_queue.StopWaiting()) {
            m_queue.RunQueuedStops();
            sys->m_csSerial.unlock();
            return Sent::Overtaken;
        }
        const bool ok = sys->WriteReg(m_reg, value, CSysParam::LinkWait::Block, 1);
        *error = ok ? 0 : CSysParam::LastLinkError();
        sys->m_csSerial.unlock();
        if (ok)
            return Sent::Ok;
    }
    return Sent::Failed;
}

bool CHoldToRun::HandleMessage(UINT msg, const std::shared_ptr<CMotionQueue::Result> &payload)
{
    if (msg != CMotionQueue::DoneMessage())
        return false;
    if (payload && *payload)
        (*payload)();
    return true;
}

void CHoldToRun::Drop()
{
    m_nState = kOff;
    m_bHeld = false;
    m_bSwitching = false;
    ++m_nEpoch;
}

void CHoldToRun::SwitchOn(int tries, Check check, After after, SwitchedOn done)
{
    if (m_bSwitching || m_bOffPending)
        return;
    // The user decides anew: an owed off already queued still goes first, a later verdict of
    // one owes nothing, and none is tried again unless this switch-on fails.
    const bool owed = m_bOffOwed;
    SettleOff();
    ++m_nOwedGen;
    m_bSwitching = true;
    const unsigned epoch = m_nEpoch;
    const WORD reg = m_reg;
    const bool posted = m_queue.Post(CMotionQueue::Kind::Run, [this, tries, check, after, done, epoch, reg, owed] {
        const bool checked = !check || check();
        DWORD error = 0;
        const bool ok = checked && Write(reg, kCmdIdle, tries, false, &error);
        CMotionQueue::Result then = ok && after ? after() : CMotionQueue::Result();
        m_queue.Done([this, ok, checked, error, epoch, done, then, owed] {
            // Switched off meanwhile: that decided.
            if (epoch != m_nEpoch)
                return;
            m_bSwitching = false;
            if (ok) {
                m_nState = kIdle;
                m_bEngaged = true;
            } else if (owed) {
                OweOff();
            }
            if (done)
                done(ok, checked, error);
            if (then)
                then();
        });
    });
    if (!posted) {
        m_bSwitching = false;
        if (owed)
            OweOff();
    }
}

void CHoldToRun::PostStop(WORD value, int tries, Told done)
{
    const WORD reg = m_reg;
    // A stop takes every queued keep-alive off the queue; none of them answers any more.
    m_bKeepAliveInFlight = false;
    const bool posted = m_queue.Post(CMotionQueue::Kind::Stop, [this, reg, value, tries, done] {
        DWORD error = 0;
        const bool ok = Write(reg, value, tries, true, &error);
        m_queue.Done([ok, error, done] {
            if (done)
                done(ok, error);
        });
    });
    if (posted)
        return;
    // The page's worker is gone (the page is being destroyed): the stop still goes out.
    DWORD error = 0;
    const bool ok = Write(reg, value, tries, true, &error);
    if (done)
        done(ok, error);
}

void CHoldToRun::PostOff(int tries, bool owe, Told done)
{
    const unsigned gen = m_nOwedGen;
    PostStop(kCmdOff, tries, [this, gen, owe, done](bool ok, DWORD error) {
        if (gen == m_nOwedGen) {
            if (ok)
                SettleOff();
            else if (owe || m_bOffOwed)
                OweOff();
        }
        if (done)
            done(ok, error);
    });
}

void CHoldToRun::OweOff()
{
    if (!m_bOffOwed) {
        m_bOffOwed = true;
        m_nOwedRounds = 0;
    }
    if (!m_owedTimer.isActive())
        m_owedTimer.start(static_cast<int>(KeepAliveMs()));
}

void CHoldToRun::SettleOff()
{
    m_bOffOwed = false;
    m_owedTimer.stop();
}

void CHoldToRun::RetryOwedOff()
{
    if (!m_bOffOwed || m_nState != kOff || m_bSwitching) {
        SettleOff();
        return;
    }
    if (++m_nOwedRounds > kOwedRounds) {
        KLOG("Wnds\\auxFunction\\HoldToRun") << "owed off to register " << m_reg << " never acknowledged; no more tries";
        SettleOff();
        return;
    }
    // A closed port is waited for: the drive gets the off when it is open again.
    if (m_bOwedInFlight || !PortOpen())
        return;
    const unsigned gen = m_nOwedGen;
    const WORD reg = m_reg;
    m_bOwedInFlight = m_queue.Post(CMotionQueue::Kind::Stop, [this, reg, gen] {
        DWORD error = 0;
        const bool ok = Write(reg, kCmdOff, 1, true, &error);
        m_queue.Done([this, ok, gen] {
            m_bOwedInFlight = false;
            if (ok && gen == m_nOwedGen)
                SettleOff();
        });
    });
    // The page's workers are gone for good: nothing can be sent from here any more.
    if (!m_bOwedInFlight)
        SettleOff();
}

void CHoldToRun::SwitchOff(int tries, bool keepOnFailure, Told done)
{
    // Switched on during this visit: the off is owed until the drive takes it.
    const bool engaged = std::exchange(m_bEngaged, false);
    if (!PortOpen()) {
        Drop();
        if (engaged)
            OweOff();
        if (done)
            done(true, 0);
        return;
    }
    if (!keepOnFailure) {
        Drop();
        PostOff(tries, engaged, std::move(done));
        return;
    }
    m_bOffPending = true;
    PostStop(kCmdOff, tries, [this, done, engaged](bool ok, DWORD error) {
        m_bOffPending = false;
        if (ok) {
            Drop();
            SettleOff();
        } else {
            // Refused: the drive stays switched on, kept alive as before.
            m_bEngaged = m_bEngaged || engaged;
        }
        if (done)
            done(ok, error);
    });
}

bool CHoldToRun::Press(bool forward)
{
    if (m_nState == kOff)
        return false;
    m_nState = forward ? kForward : kReverse;
    m_bHeld = true;
    return true;
}

bool CHoldToRun::Release()
{
    const bool held = std::exchange(m_bHeld, false);
    // A switch-off on its way stops the motor; an idle command behind it would switch back on.
    if (m_bOffPending) {
        m_nState = kIdle;
        return true;
    }
    // Once the drive was switched on from this page, an end of a hold stops whatever the page
    // reached meanwhile: a hold that ended when a box took the window still ends for the user
    // when the button is let go, and the drive may have come back in between.
    if (!held && !m_bEngaged)
        return false;
    if (m_nState != kOff) {
        m_nState = kIdle;
        if (!PortOpen())
            return false;
        PostStop(kCmdIdle, kTries, {});
        return true;
    }
    if (!PortOpen()) {
        OweOff();
        return false;
    }
    PostOff(kTries, true, {});
    return true;
}

void CHoldToRun::KeepAlive()
{
    if (m_nState == kOff || m_bSwitching || m_bOffPending)
        return;
    if (!PortOpen()) {
        Drop();
        OweOff();
        if (m_fnLost)
            m_fnLost();
        return;
    }
    // One keep-alive at a time, counted until its verdict is back here: one posted after a
    // failed one was written but before its verdict dropped the page would go out behind the
    // drop and, on a link that just came back, set the motor running again.
    if (m_bKeepAliveInFlight || m_queue.KeepAlivePending())
        return;
    const WORD value = CommandOf(m_nState);
    const unsigned epoch = m_nEpoch;
    m_bKeepAliveInFlight = m_queue.Post(CMotionQueue::Kind::KeepAlive, [this, value, epoch] {
        DWORD error = 0;
        const Sent sent = WriteKeepAlive(value, &error);
        m_queue.Done([this, sent, epoch] {
            m_bKeepAliveInFlight = false;
            if (sent != Sent::Failed || epoch != m_nEpoch || m_nState == kOff)
                return;
            // A hold under way stays one: its end still sends the stop.
            const bool held = m_bHeld;
            Drop();
            m_bHeld = held;
            // The drive may still be switched on when it answers again.
            OweOff();
            if (m_fnLost)
                m_fnLost();
        });
    });
}
