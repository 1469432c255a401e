#include "Wnds/auxFunction/MaRun.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "TX/ModbusRTU.h"
#include "TraceLog.h"
#include "Wnds/auxFunction/FreqResponse4096.h"
#include "Wnds/auxFunction/MaFiles.h"
#include "platform/UiServices.h"

#include <QStringList>

#include <chrono>
#include <cstring>
#include <thread>

#define MA_LOG KLOG("Wnds\\auxFunction\\DlgAidAnalyse")

namespace marun {

std::atomic<BOOL> s_bMASingleSampRecvData{FALSE};

namespace {

using LinkWait = CSysParam::LinkWait;

QString Text(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

void Box(QWidget *owner, const char *textKey, const char *captionKey, UINT type = MB_OK)
{
    platform::Ui().MessageBox(Text(textKey), Text(captionKey), type, owner);
}

bool Read(WORD address, int *value)
{
    CSysParam *sys = GetSysParam();
    return sys && sys->ReadReg(address, value, LinkWait::Block, kTries);
}

bool Write(WORD address, WORD value)
{
    CSysParam *sys = GetSysParam();
    return sys && sys->WriteReg(address, value, LinkWait::Block, kTries);
}

bool Connected()
{
    CSysParam *sys = GetSysParam();
    return sys && sys->m_bConnected;
}

// The drive's state must be "ready"; any other state refuses the start with its message
// (a state the drive should never report refuses silently).
bool CheckDriveReady(QWidget *owner)
{
    int state = -1;
    if (!Read(kRegDriveState, &state)) {
        Box(owner, "IDS_MechanismAnalysisDlg_176", "IDS_MechanismAnalysisDlg_177");
        return false;
    }
    switch (state) {
    case 1:
        return true;
    case 0:
        Box(owner, "IDS_MechanismAnalysisDlg_178", "IDS_MechanismAnalysisDlg_179");
        return false;
    case 2:
        Box(owner, "IDS_MechanismAnalysisDlg_180", "IDS_MechanismAnalysisDlg_181");
        return false;
    case 3:
        Box(owner, "IDS_MechanismAnalysisDlg_182", "IDS_MechanismAnalysisDlg_183");
        return false;
    default:
        return false;
    }
}

bool PrepareScopeRegisters()
{
    // All three are tried whatever the first did.
    const bool layout = Write(kRegLayout, 3);
    const bool ringP = Write(kRegRingP, 0);
    const bool ringT = Write(kRegRingT, 0);
    return layout && ringP && ringT;
}

}

void SetRunFlags(bool running)
{
    s_bMASingleSampRecvData = running ? TRUE : FALSE;
    if (CSysParam *sys = GetSysParam()) {
        sys->g_bDriveSampling = running ? TRUE : FALSE;
        sys->m_bScopeSampling = running ? TRUE : FALSE;
    }
}

bool CheckIntegerText(const QString &text, int min, int max, QWidget *owner)
{
    if (text.isEmpty()) {
        Box(owner, "IDS_MyListCtrl_3", "IDS_MyListCtrl_4", MB_ICONERROR);
        return false;
    }
    if (text.contains('.')) {
        Box(owner, "IDS_MyListCtrl_5", "IDS_MyListCtrl_6", MB_ICONERROR);
        return false;
    }
    const int value = MaLeadingInt(text);
    if (text != QStringLiteral("0") && value == 0) {
        Box(owner, "IDS_MechanismAnalysisDlg_8", "IDS_MechanismAnalysisDlg_9", MB_OK);
        return false;
    }
    if (value < min || value > max) {
        platform::Ui().MessageBox(FillLangPlaces(Text("IDS_MyListCtrl_1"), {QString::number(min), QString::number(max)}),
                                  Text("IDS_MyListCtrl_2"), MB_ICONERROR, owner);
        return false;
    }
    return true;
}

StartOutcome StartSequence(const StartInputs &in, QWidget *owner, const std::function<bool()> &cancelled)
{
    StartOutcome out;
    auto refuse = [&](const char *textKey, const char *captionKey) {
        SendAnalysisStop();
        if (textKey)
            Box(owner, textKey, captionKey);
        return out;
    };
    if (!Connected())
        return refuse("IDS_MechanismAnalysisDlg_12", "IDS_MechanismAnalysisDlg_13");
    if (!CheckDriveReady(owner))
        return refuse(nullptr, nullptr);
    if (cancelled())
        return out;
    if (!PrepareScopeRegisters())
        return refuse("IDS_MechanismAnalysisDlg_14", "IDS_MechanismAnalysisDlg_15");
    Write(kRegStatus, 0);
    int rate = 0;
    if (!Read(kRegRate, &rate))
        return refuse("IDS_MechanismAnalysisDlg_16", "IDS_MechanismAnalysisDlg_17");
    out.nSampleRate = static_cast<int>(static_cast<std::uint16_t>(rate));
    SetMaSampleRate(static_cast<double>(out.nSampleRate));

    // The inputs are remembered before they are checked, so a refused value is kept for
    // the user to correct.
    if (!in.strSettingsPath.isEmpty() &&
        !SaveMaSettings(in.strSettingsPath, in.strAmplitude, in.strOffset, in.strSmoothing))
        platform::Ui().MessageBox(Text("IDS_MechanismAnalysisDlg_160"), QString(), MB_OK, owner);
    if (!CheckIntegerText(in.strAmplitude, 1, 50, owner) || !CheckIntegerText(in.strOffset, -1000, 1000, owner))
        return refuse(nullptr, nullptr);
    out.nAmplitude = MaLeadingInt(in.strAmplitude);
    out.nOffset = MaLeadingInt(in.strOffset);
    BuildExcitationSignal(out.nAmplitude, out.nOffset);
    if (cancelled())
        return out;

    const bool amplitude = Write(kRegAmplitude, static_cast<WORD>(out.nAmplitude));
    if (!amplitude || !Write(kRegOffset, static_cast<WORD>(static_cast<std::int16_t>(out.nOffset))))
        return refuse("IDS_MechanismAnalysisDlg_22", "IDS_MechanismAnalysisDlg_23");
    if (!Write(kRegStatus, 0))
        return refuse("IDS_MechanismAnalysisDlg_24", "IDS_MechanismAnalysisDlg_25");
    if (!Write(kRegPrepare, 1))
        return refuse("IDS_MechanismAnalysisDlg_26", "IDS_MechanismAnalysisDlg_27");
    if (!Write(kRegRun, 0))
        return refuse("IDS_MechanismAnalysisDlg_28", "IDS_MechanismAnalysisDlg_29");
    Write(kRegCommand, 0x11);
    Write(kRegCommand, 0x11);
    if (cancelled())
        return out;
    if (!Write(kRegRun, 1))
        return refuse("IDS_MechanismAnalysisDlg_32", "IDS_MechanismAnalysisDlg_33");
    MA_LOG << "OnBntStartTest start MA_SINGLESAMPRECVDATA";
    out.bStarted = true;
    return out;
}

SampleEnd WaitAndRead(const std::function<bool()> &running, const std::function<void(int)> &progress,
                      unsigned char *record)
{
    MA_LOG << "WINAPI MA_SINGLESAMPRECVDATA Start!!!";
    auto stopped = [](const char *which) {
        MA_LOG << "WINAPI MA_SINGLESAMPRECVDATA Stop " << which << " !!!";
        return SampleEnd::Stopped;
    };
    if (!running())
        return stopped("2");
    for (;;) {
        int status = 0;
        if (!Read(kRegStatus, &status))
            return SampleEnd::StatusUnreadable;
        if ((status & 3) == 3)
            break;
        if (status & 4)
            return SampleEnd::DriveError;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!running())
            return stopped("2");
    }
    if (!running())
        return stopped("2");
    Write(kRegRun, 0);
    Write(kRegCommand, 0x31);
    Write(kRegCommand, 0x41);
    progress(0);
    std::memset(record, 0, kMaRecordBytes);
    CSysParam *sys = GetSysParam();
    for (int block = 0; block < kBlocks; ++block) {
        if (!running())
            return stopped("1");
        progress(block);
        MA_LOG << "WINAPI MA_SINGLESAMPRECVDATA pos:" << block;
        BYTE data[kBlockBytes];
        if (!sys || !sys->ReadBlock(static_cast<WORD>(block), data, LinkWait::Block, kTries)) {
            const DWORD error = CSysParam::LastLinkError();
            platform::Ui().MessageBox(FillLangPlaces(Text("IDS_NewScopeView_53"), {QString::number(error)}),
                                      QString(), MB_OK);
            return SampleEnd::BlockFailed;
        }
        std::memcpy(record + block * kBlockBytes, data, kBlockBytes);
    }
    if (!running())
        return stopped("3");
    return SampleEnd::Complete;
}

bool SendSamplingEnd(QWidget *owner)
{
    if (Write(kRegCommand, 0x41))
        return true;
    Box(owner, "IDS_MechanismAnalysisDlg_184", "IDS_MechanismAnalysisDlg_185");
    return false;
}

bool EndTestCommands(QWidget *owner)
{
    MA_LOG << "CMechanismAnalysisDlg::OnBntEndTest start !!!";
    if (!Write(kRegCommand, 0x31)) {
        Box(owner, "IDS_MechanismAnalysisDlg_39", "IDS_MechanismAnalysisDlg_40");
        return false;
    }
    if (!Write(kRegRun, 0)) {
        Box(owner, "IDS_MechanismAnalysisDlg_41", "IDS_MechanismAnalysisDlg_42");
        return false;
    }
    if (!SendSamplingEnd(owner)) {
        Box(owner, "IDS_MechanismAnalysisDlg_43", "IDS_MechanismAnalysisDlg_44");
        return false;
    }
    return true;
}

void BuildStopFrame(BYTE station, BYTE frame[8])
{
    frame[0] = station;
    frame[1] = 0x26;
    frame[2] = 0x89;
    frame[3] = 0x23;
    frame[4] = 0x00;
    frame[5] = 0x00;
    const WORD crc = CModbusRTU::CRC16(frame, 6);
    frame[6] = static_cast<BYTE>(crc & 0xFF);
    frame[7] = static_cast<BYTE>(crc >> 8);
}

bool SendAnalysisStop()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return false;
    BYTE frame[8];
    BuildStopFrame(sys->m_byStation, frame);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        BYTE reply[100];
        // A one-register reply: the codec's window for one.
        const DWORD n = sys->RawTransaction(frame, 8, reply, sizeof reply, 8, sys->m_ModbusRTU.RegisterTimeoutMs(),
                                            LinkWait::Block);
        if (n == 0 || CModbusRTU::CRC16(reply, n) != 0)
            continue;
        if (n >= 2 && (reply[1] & 0x80))
            continue;
        return true;
    }
    return false;
}

}
