// The connection check, the 2-second poll and the drive identity of CSysParam. Each drive
// transaction takes the link lock on its own, so that workers can interleave theirs.
#include "SYSPARAM/SysParam.h"

#include "LangText.h"
#include "TraceLog.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <thread>

#define SYSPARAM_LOG KLOG("SYSPARAM\\SysParam")

namespace {

QString Hex4(int value)
{
    return QString::asprintf("%04x", unsigned(value) & 0xFFFFu);
}

}

namespace {
thread_local DWORD t_dwLastLinkError = 0;

bool OnGuiThread()
{
    auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
}

DWORD CSysParam::LastLinkError()
{
    return t_dwLastLinkError;
}

bool CSysParam::AcquireLink(LinkWait wait)
{
    if (wait == LinkWait::Auto)
        wait = OnGuiThread() ? LinkWait::Bounded : LinkWait::Block;
    if (wait == LinkWait::Stop) {
        ++m_nStopWaiters;
        const bool got = m_csSerial.try_lock_for(std::chrono::milliseconds(kStopLinkWaitMs));
        --m_nStopWaiters;
        return got;
    }
    // A stop that waits for the link goes first: anyone else who gets the lock meanwhile hands
    // it back and tries again (within its own time). A thread already holding it nests.
    const bool nested = CLinkLock::HeldByThisThread();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundedLinkWaitMs);
    for (;;) {
        bool got = false;
        switch (wait) {
        case LinkWait::Block:
            m_csSerial.lock();
            got = true;
            break;
        case LinkWait::TryOnly:
            got = m_csSerial.try_lock();
            break;
        default: {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            got = left.count() > 0 && m_csSerial.try_lock_for(left);
            break;
        }
        }
        if (!got)
            return false;
        if (nested || m_nStopWaiters.load() == 0)
            return true;
        m_csSerial.unlock();
        if (wait == LinkWait::TryOnly)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

namespace {

// A caller that may not wait for the drive (the GUI thread) does not let the line settle either.
bool MaySettle(CSysParam::LinkWait wait)
{
    using W = CSysParam::LinkWait;
    return wait == W::Block || wait == W::Stop || (wait == W::Auto && !OnGuiThread());
}

// The codec's patience for the one call made under it.
class SettleScope
{
public:
    SettleScope(CModbusRTU &codec, bool may) : m_codec(codec) { m_codec.SetMaySettle(may); }
    ~SettleScope() { m_codec.SetMaySettle(true); }
    SettleScope(const SettleScope &) = delete;
    SettleScope &operator=(const SettleScope &) = delete;

private:
    CModbusRTU &m_codec;
};

}

template <typename Call>
BOOL CSysParam::Transact(LinkWait wait, int nTries, Call call)
{
    t_dwLastLinkError = 0;
    BOOL ok = FALSE;
    for (int i = 0; i < std::max(nTries, 1) && !ok; ++i) {
        if (!AcquireLink(wait)) {
            t_dwLastLinkError = kErrLinkBusy;
            return FALSE;
        }
        std::lock_guard lock(m_csSerial, std::adopt_lock);
        const SettleScope patience(m_ModbusRTU, MaySettle(wait));
        ok = call();
        t_dwLastLinkError = ok ? 0 : m_ModbusRTU.m_dwLastError;
    }
    return ok;
}

BOOL CSysParam::ReadReg(WORD addr, int *value, LinkWait wait, int nTries)
{
    return Transact(wait, nTries, [&] {
        return m_ModbusRTU.ReadRegister(addr, &m_SeriesPort, m_byStation, value);
    });
}

BOOL CSysParam::ReadReg32(WORD addr, int *value, LinkWait wait, int nTries)
{
    return Transact(wait, nTries, [&] {
        return m_ModbusRTU.ReadRegister32(addr, &m_SeriesPort, m_byStation, value, m_bLowWordFirst);
    });
}

BOOL CSysParam::WriteReg(WORD addr, WORD value, LinkWait wait, int nTries)
{
    return Transact(wait, nTries, [&] {
        return m_ModbusRTU.WriteRegister(value, &m_SeriesPort, m_byStation, addr);
    });
}

BOOL CSysParam::WriteReg32(WORD addr, DWORD value, LinkWait wait, int nTries)
{
    return Transact(wait, nTries, [&] {
        return m_ModbusRTU.WriteRegister32(value, &m_SeriesPort, m_byStation, addr, m_bLowWordFirst);
    });
}

BOOL CSysParam::ReadBlock(WORD index, BYTE data[128], LinkWait wait, int nTries)
{
    return Transact(wait, nTries, [&] {
        return m_ModbusRTU.ReadBlock(index, &m_SeriesPort, m_byStation, data);
    });
}

DWORD CSysParam::RawTransaction(const BYTE *frame, DWORD dwLength, BYTE *reply, DWORD dwCapacity,
                                DWORD dwExpected, DWORD dwTimeoutMs, LinkWait wait,
                                bool bSleepFrameTime)
{
    t_dwLastLinkError = 0;
    if (!AcquireLink(wait)) {
        t_dwLastLinkError = kErrLinkBusy;
        return 0;
    }
    std::lock_guard lock(m_csSerial, std::adopt_lock);
    const SettleScope patience(m_ModbusRTU, MaySettle(wait));
    const DWORD got = m_ModbusRTU.RawTransaction(&m_SeriesPort, frame, dwLength, reply, dwCapacity,
                                                 dwExpected, dwTimeoutMs, bSleepFrameTime);
    t_dwLastLinkError = m_ModbusRTU.m_dwLastError;
    return got;
}

void CSysParam::RestoreDefaultLink()
{
    // Written only when they differ: workers read these while they talk to the drive.
    if (g_byDefaultStation != 0xFA)
        g_byDefaultStation = 0xFA;
    if (g_byFuncRead != 0x23)
        g_byFuncRead = 0x23;
    if (g_byFuncWrite != 0x26)
        g_byFuncWrite = 0x26;
    if (g_byFuncWrite32 != 0x20)
        g_byFuncWrite32 = 0x20;
    if (g_byFuncBlock != 0x2B)
        g_byFuncBlock = 0x2B;
    m_byStation = 0xFA;
}

BOOL CSysParam::CheckConnection()
{
    int linkWord = 0;
    BOOL ok = FALSE;
    {
        std::lock_guard lock(m_csSerial);
        for (int i = 0; i < 20; ++i) {
            if (m_ModbusRTU.WriteRegister(kHandshakeValue, &m_SeriesPort, m_byStation, kRegHandshake))
                break;
        }
        ok = m_ModbusRTU.ReadRegister(kRegLinkWord, &m_SeriesPort, m_byStation, &linkWord);
    }
    if (!ok) {
        RestoreDefaultLink();
        // One read more than the drive needs: a reply lost on the way does not decide that
        // the drive is not there.
        for (int i = 0; i < 2 && !ok; ++i)
            ok = ReadReg(kRegLinkWord, &linkWord);
        if (!ok || (linkWord != 0x0101 && linkWord != 0x0102)) {
            if (m_bConnected)
                SYSPARAM_LOG << "伺服从已连接到未连接";
            m_bConnected = FALSE;
            return FALSE;
        }
    }
    if (!m_bConnected) {
        SYSPARAM_LOG << "伺服从未连接到已连接";
        ForgetIdentity();
        ReadIdentity();
    }
    m_bConnected = TRUE;
    m_nLinkWord = linkWord;
    return TRUE;
}

BOOL CSysParam::PollConnection()
{
    const bool wasUp = m_bConnected;
    int order = 0;
    int linkWord = 0;
    BOOL linkOk = FALSE;
    {
        std::lock_guard lock(m_csSerial);
        if (m_ModbusRTU.ReadRegister(kRegWordOrder, &m_SeriesPort, m_byStation, &order))
            m_bLowWordFirst = order != 0 ? TRUE : FALSE;
        linkOk = m_ModbusRTU.ReadRegister(kRegLinkWord, &m_SeriesPort, m_byStation, &linkWord);
    }
    if (!linkOk) {
        if (wasUp)
            SYSPARAM_LOG << "伺服连接状态发生变化 当前状态：" << "断开";
        m_bConnected = FALSE;
        m_bIdentityPending = false;  // read again on the next new link
        return FALSE;
    }
    m_nLinkWord = linkWord;
    m_bConnected = TRUE;

    int state = 0;
    if (!ReadReg(kRegDriveState, &state))
        return FALSE;
    m_nDriveStatus = state;
    if (!wasUp) {
        SYSPARAM_LOG << "伺服连接状态发生变化 当前状态：" << "连接";
        ForgetIdentity();
    }
    // On a new link, and again after it until both are known, at growing intervals. A drive
    // that refuses one of them is online all the same: the verdict rests on the link word and
    // the state.
    if (m_bIdentityPending) {
        if (m_nIdentityWait > 0)
            --m_nIdentityWait;
        else
            ReadIdentity();
    }
    if (!m_bScopeSampling)
        WriteReg(kRegHandshake, kHandshakeValue);
    return TRUE;
}

void CSysParam::ForgetIdentity()
{
    m_bModelKnown = false;
    m_bSerialKnown = false;
    m_nIdentityGap = 0;
    m_nIdentityWait = 0;
    m_bIdentityPending = true;
}

bool CSysParam::ReadIdentity()
{
    // Both are tried even when the first fails: a model without a serial number (or the
    // reverse) is still worth showing. What this link has given once is not asked again.
    if (!m_bModelKnown)
        m_bModelKnown = ReadDriveModel() != FALSE;
    if (!m_bSerialKnown)
        m_bSerialKnown = ReadDriveSerial() != FALSE;
    const bool known = m_bModelKnown && m_bSerialKnown;
    m_bIdentityPending = !known;
    if (!known) {
        m_nIdentityGap = std::clamp(2 * m_nIdentityGap.load(), 1, kIdentityMaxGap);
        m_nIdentityWait = m_nIdentityGap.load();
    }
    return known;
}

BOOL CSysParam::ReadDriveModel()
{
    int first = 0;
    int second = 0;
    if (!ReadReg(kRegModel1, &first) || !ReadReg(kRegModel2, &second))
        return FALSE;
    QString model;
    for (int word : {first, second}) {
        model += QChar((word >> 8) & 0xFF);
        model += QChar(word & 0xFF);
    }
    std::lock_guard identity(m_csIdentity);
    m_strDriveModel = model;
    return TRUE;
}

BOOL CSysParam::ReadDriveSerial()
{
    int parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!ReadReg(WORD(kRegSerial1 + i), &parts[i]))
            return FALSE;
    }
    const QString serial = QString::asprintf("%02x%04x%04x%04x", unsigned(parts[0]) & 0xFFFFu,
                                             unsigned(parts[1]) & 0xFFFFu, unsigned(parts[2]) & 0xFFFFu,
                                             unsigned(parts[3]) & 0xFFFFu);
    std::lock_guard identity(m_csIdentity);
    m_strDriveSerial = serial;
    return TRUE;
}

QString CSysParam::GetDriveModel() const
{
    std::lock_guard identity(m_csIdentity);
    return m_strDriveModel;
}

QString CSysParam::GetDriveSerial() const
{
    std::lock_guard identity(m_csIdentity);
    return m_strDriveSerial;
}

CLinkState CSysParam::GetLinkState() const
{
    CLinkState state;
    state.bConnected = m_bConnected;
    state.nDriveStatus = m_nDriveStatus;
    state.nLinkWord = m_nLinkWord;
    state.bLowWordFirst = m_bLowWordFirst;
    std::lock_guard identity(m_csIdentity);
    state.strModel = m_strDriveModel;
    state.strSerial = m_strDriveSerial;
    return state;
}

QString CSysParam::FormatAlarmText(int code)
{
    return QString::asprintf("Er%02X.%01X", unsigned(code >> 4) & 0xFFu, unsigned(code) & 0xFu);
}

QString CSysParam::GetAlarmText()
{
    int code = 0;
    for (int i = 0; i < 5; ++i) {
        if (ReadReg(kRegAlarmCode, &code))
            return FormatAlarmText(code);
    }
    // No made-up code: the user must see that the alarm is unknown, not "Er00.0".
    return QString::fromLatin1(kAlarmUnreadable);
}

QString CSysParam::ReadVersion(WORD addr)
{
    int value = 0;
    if (!ReadReg(addr, &value))
        value = 0;
    return Hex4(value);
}

QString CSysParam::ReadMcuStdVersion()
{
    return ReadVersion(kRegLinkWord);
}

QString CSysParam::ReadMcuCustomVersion()
{
    return ReadVersion(kRegMcuCustomVersion);
}

QString CSysParam::ReadFpgaStdVersion()
{
    return ReadVersion(kRegFpgaStdVersion);
}

QString CSysParam::ReadFpgaCustomVersion()
{
    return ReadVersion(kRegFpgaCustomVersion);
}

bool CSysParam::CheckServoReadyForJog()
{
    QWidget *owner = platform::MainWindow();
    return owner && CheckServoReady(owner);
}

bool CSysParam::CheckServoReady(QWidget *owner)
{
    int state = 0;
    bool read = false;
    for (int i = 0; i < 10 && !read; ++i)
        read = ReadReg(kRegRunState, &state);
    AssertLinkLockNotHeld();
    const QString tip = TrText(QStringLiteral("提示"));
    if (!read) {
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_17")), tip,
                                  MB_OK, owner);
        return false;
    }
    switch ((state >> 12) & 0x3) {
    case 1:
        return true;
    case 0:
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_19")),
                                  LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_20")),
                                  MB_OK, owner);
        return false;
    case 2:
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_21")), tip,
                                  MB_OK, owner);
        return false;
    default:
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_23")), tip,
                                  MB_OK, owner);
        return false;
    }
}
