#include "HoldToRun.h"

#include "SYSPARAM/SysParam.h"

#include <utility>

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

bool CHoldToRun::Write(WORD value, int tries, bool stop)
{
    CSysParam *sys = GetSysParam();
    if (!sys) {
        m_dwLastError = CSysParam::kErrLinkBusy;
        return false;
    }
    if (sys->WriteReg(m_reg, value, stop ? CSysParam::LinkWait::Stop : CSysParam::LinkWait::Bounded, tries)) {
        m_dwLastError = 0;
        return true;
    }
    m_dwLastError = CSysParam::LastLinkError();
    return false;
}

bool CHoldToRun::SwitchOn(int tries)
{
    if (!Write(kCmdIdle, tries, false))
        return false;
    m_nState = kIdle;
    return true;
}

bool CHoldToRun::SwitchOff(int tries, bool keepOnFailure)
{
    const bool ok = !PortOpen() || Write(kCmdOff, tries, true);
    if (ok || !keepOnFailure)
        Drop();
    return ok;
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
    if (m_nState != kOff) {
        m_nState = kIdle;
        return PortOpen() && Write(kCmdIdle, kTries, true);
    }
    // The page dropped to off during the hold, yet the drive may still have the run command.
    return held && PortOpen() && Write(kCmdOff, kTries, true);
}

CHoldToRun::Tick CHoldToRun::KeepAlive()
{
    if (m_nState == kOff)
        return Tick::Nothing;
    if (!PortOpen()) {
        m_nState = kOff;
        return Tick::LinkLost;
    }
    if (Write(CommandOf(m_nState), kTries, false))
        return Tick::Sent;
    if (m_dwLastError == CSysParam::kErrLinkBusy)
        return Tick::Busy;
    m_nState = kOff;
    return Tick::LinkLost;
}
