#include "Wnds/scope/ScopeLink.h"

#include "SYSPARAM/SysParam.h"

#include <chrono>
#include <thread>

namespace scopelink {

namespace {

thread_local DWORD t_lastError = 0;
constexpr DWORD kErrNoLink = 0x2000;

template <typename Call>
BOOL Transaction(Call call)
{
    CSysParam *sys = GetSysParam();
    if (!sys) {
        t_lastError = kErrNoLink;
        return FALSE;
    }
    std::lock_guard lock(sys->m_csSerial);
    const BOOL ok = call(*sys);
    t_lastError = ok ? 0 : sys->m_ModbusRTU.m_dwLastError;
    return ok;
}

}

BOOL ReadReg(WORD address, int *value)
{
    return Transaction([&](CSysParam &s) {
        return s.m_ModbusRTU.ReadRegister(address, &s.m_SeriesPort, s.m_byStation, value);
    });
}

BOOL ReadReg32(WORD address, int *value)
{
    return Transaction([&](CSysParam &s) {
        return s.m_ModbusRTU.ReadRegister32(address, &s.m_SeriesPort, s.m_byStation, value,
                                            s.m_bLowWordFirst);
    });
}

BOOL WriteReg(WORD address, WORD value)
{
    return Transaction([&](CSysParam &s) {
        return s.m_ModbusRTU.WriteRegister(value, &s.m_SeriesPort, s.m_byStation, address);
    });
}

BOOL ReadBlock(WORD index, BYTE data[128])
{
    return Transaction([&](CSysParam &s) {
        return s.m_ModbusRTU.ReadBlock(index, &s.m_SeriesPort, s.m_byStation, data);
    });
}

DWORD LastError()
{
    return t_lastError;
}

DWORD ReadStream(BYTE *buffer, DWORD max, int waitMs)
{
    CSysParam *sys = GetSysParam();
    if (sys) {
        std::lock_guard lock(sys->m_csSerial);
        CSeriesPort &port = sys->m_SeriesPort;
        if (port.m_bOpen) {
            if (port.GetBytesQueued() == 0 && !port.WaitForData(waitMs))
                return 0;
            if (port.m_bOpen)
                return port.Read(buffer, max);
        }
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
