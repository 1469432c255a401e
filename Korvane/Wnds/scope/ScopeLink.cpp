#include "Wnds/scope/ScopeLink.h"

#include "SYSPARAM/SysParam.h"

#include <chrono>
#include <thread>

namespace scopelink {

namespace {

constexpr DWORD kErrNoLink = 0x2000;
thread_local DWORD t_noLink = 0;

// Workers block for the link; the calls of this file never run long on the GUI thread.
constexpr auto kWait = CSysParam::LinkWait::Auto;

CSysParam *Sys()
{
    CSysParam *sys = GetSysParam();
    t_noLink = sys ? 0 : kErrNoLink;
    return sys;
}

}

BOOL ReadReg(WORD address, int *value)
{
    CSysParam *sys = Sys();
    return sys && sys->ReadReg(address, value, kWait);
}

BOOL ReadReg32(WORD address, int *value)
{
    CSysParam *sys = Sys();
    return sys && sys->ReadReg32(address, value, kWait);
}

BOOL WriteReg(WORD address, WORD value)
{
    CSysParam *sys = Sys();
    return sys && sys->WriteReg(address, value, kWait);
}

BOOL ReadBlock(WORD index, BYTE data[128])
{
    CSysParam *sys = Sys();
    return sys && sys->ReadBlock(index, data, kWait);
}

DWORD LastError()
{
    return t_noLink ? t_noLink : CSysParam::LastLinkError();
}

DWORD ReadStream(BYTE *buffer, DWORD max, int waitMs)
{
    CSysParam *sys = GetSysParam();
    if (sys && sys->m_SeriesPort.m_bOpen) {
        CSeriesPort &port = sys->m_SeriesPort;
        // The wait leaves the link to other users (a page's transaction during a roll): the
        // lock is taken only to read what has come. Waking for a reply meant for another user
        // costs one empty read.
        if (!port.WaitForData(waitMs))
            return 0;
        std::lock_guard lock(sys->m_csSerial);
        if (port.m_bOpen)
            return port.Read(buffer, max);
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    return 0;
}

bool Connected()
{
    CSysParam *sys = GetSysParam();
    return sys && sys->m_bConnected;
}

BYTE Station()
{
    CSysParam *sys = GetSysParam();
    return sys ? sys->m_byStation.load() : g_byDefaultStation;
}

BYTE BlockFunction()
{
    return g_byFuncBlock;
}

int Baud()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return 57600;
    if (sys->m_SeriesPort.m_bOpen && sys->m_SeriesPort.m_nBaud > 0)
        return sys->m_SeriesPort.m_nBaud;
    return sys->m_nComBaud;
}

int BitsPerByte()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return 11;
    const int parity = CSysParam::ParityOfProtocol(sys->m_strProtocol) != 0 ? 1 : 0;
    const int stop = CSysParam::StopBitsOfProtocol(sys->m_strProtocol) != 0 ? 2 : 1;
    return 1 + 8 + parity + stop;
}

}
