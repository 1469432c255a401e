#include "HoldToRun.h"

#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"

WORD CHoldToRun::CommandOf(int state)
{
    switch (state) {
    case kIdle: return kCmdIdle;
    case kForward: return kCmdForward;
    case kReverse: return kCmdReverse;
    default: return 0;
    }
}

bool CHoldToRun::Write(WORD value, int tries)
{
    CSysParam *sys = GetSysParam();
    if (!sys) {
        m_dwLastError = CSysParam::kErrLinkBusy;
        return false;
    }
    if (sys->WriteReg(m_reg, value, CSysParam::LinkWait::Bounded, tries)) {
        m_dwLastError = 0;
        return true;
    }
    m_dwLastError = CSysParam::LastLinkError();
    return false;
}

bool CHoldToRun::SwitchOn(int tries)
{
    if (!Write(kCmdIdle, tries))
        return false;
    m_nState = kIdle;
    return true;
}

bool CHoldToRun::SwitchOff(int tries, bool keepOnFailure)
{
    CSysParam *sys = GetSysParam();
    const bool ok = !(sys && sys->m_bConnected) || Write(kCmdOff, tries);
    if (ok || !keepOnFailure)
        m_nState = kOff;
    return ok;
}

bool CHoldToRun::Press(bool forward)
{
    if (m_nState == kOff)
        return false;
    m_nState = forward ? kForward : kReverse;
    return true;
}

bool CHoldToRun::Release()
{
    if (m_nState != kForward && m_nState != kReverse)
        return false;
    m_nState = kIdle;
    Write(kCmdIdle, kTries);
    return true;
}

CHoldToRun::Tick CHoldToRun::KeepAlive()
{
    if (m_nState == kOff)
        return Tick::Nothing;
    if (!GetAppFlags()->m_bOnline || !Write(CommandOf(m_nState), kTries)) {
        m_nState = kOff;
        return Tick::LinkLost;
    }
    return Tick::Sent;
}
