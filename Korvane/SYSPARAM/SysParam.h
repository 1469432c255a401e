#pragma once
// The process-wide settings and drive-connection object: config.ini, the serial port, the
// register codec, the station address, the link state and its lock, the project database with
// the current project, the custom parameter groups and the parameter look-ups every page uses.
//
// Every drive transaction, on any thread, holds m_csSerial from before the request until the
// reply is decoded. Pages use the transaction methods (ReadReg, ReadReg32, WriteReg,
// WriteReg32, ReadBlock, RawTransaction), which take it for one transaction each; only this
// object, the connection check and the read worker touch the codec and the port directly.
// The GUI thread never waits on the drive for long: its calls wait a bounded time for the
// lock, periodic GUI work only tries it. The lock is never held while a message box is shown
// or a message is sent to a window (the blocking calls refuse and count it).
//
// The application owns the live instance and publishes it with SetSysParam(); other code
// reaches it by GetSysParam(). A second instance (a page's own) that is never initialised
// never opens the port and never writes config.ini or the custom groups.
#include "SYSPARAM/LinkLock.h"
#include "TX/ModbusRTU.h"
#include "TX/SeriesPort.h"
#include "database/DBDataParameter.h"
#include "database/DataProject.h"
#include "database/GroupsUser.h"
#include "database/ProjectDatabase.h"
#include "platform/WinTypes.h"

#include <QList>
#include <QString>
#include <atomic>
#include <mutex>

// Result records of the parameter pages' read and download runs (filled by those pages).
class QWidget;

class CRunData {
public:
    QString sNum;
    std::int32_t iValue = 0;
    BOOL bOk = FALSE;
};

// What the status display shows of the link, copied in one piece: a worker polls, the GUI
// paints the copy it was posted.
struct CLinkState {
    BOOL bConnected = FALSE;
    int nDriveStatus = 0;
    int nLinkWord = 0;
    BOOL bLowWordFirst = FALSE;
    QString strModel;
    QString strSerial;
};

class CSysParam {
public:
    // Uses the default parameter database beside the program.
    CSysParam();
    explicit CSysParam(const QString &defaultDbPath);
    virtual ~CSysParam();
    CSysParam(const CSysParam &) = delete;
    CSysParam &operator=(const CSysParam &) = delete;

    // Start-up: custom groups, config.ini, the default database for the current product, the
    // port, and the range check of every parameter. FALSE ends start-up.
    BOOL Init();
    bool IsInitialised() const { return m_bInitialised; }

    // ---- Settings (config.ini) ---------------------------------------------------------
    BOOL LoadSettings();
    void SaveSettings();
    void SaveClose1s();
    static QString ReadIniString(const QString &section, const QString &key, const QString &def,
                                 const QString &file);
    // Program directory with a trailing '/'.
    static QString GetProgramDir();
    // Where recipe files are looked for until the user picks a folder: the user's home.
    static QString DefaultRecipePath();
    void IgnoreString(const QString &) {}

    // The device the port opens: $KORVANE_DEVICE when set, else [SerialPort] DevicePath, else
    // the serial device of ComNum (COM1 is /dev/ttyS0).
    QString GetDevicePath() const;
    static QString DevicePathOfComNum(int comNum);
    // Parity (0 none, 1 odd, 2 even) and stop bits (0 one, 2 two) of a frame format text.
    static int ParityOfProtocol(const QString &protocol);
    static int StopBitsOfProtocol(const QString &protocol);

    // Opens the port from the settings (an open port stays open unchanged), closes it, or
    // closes and reopens it with the current settings; each under the link lock.
    BOOL OpenPortFromSettings();
    void ClosePort();
    BOOL ReopenPort();

    // ---- Custom parameter groups ---------------------------------------------------------
    // Loads them from the user folder; remembers whether an existing file failed to load.
    bool LoadCustomGroups();
    // Writes them back. A file that failed to load is kept as "CustomParam.xml.bak" before it
    // is replaced, and is left alone when there is nothing to write.
    void SaveCustomGroups();

    // ---- Look-ups over the current project (pointers valid until the project changes) ---
    CDataAxisParameter *FindActiveAxis(int deviceId);
    CDataAxisSystem *FindActiveProductSystem(int productId);
    CDBDataProducts *FindCurrentProduct();
    // The current device's loaded-value map: parameter code to the value the content held
    // when it was loaded. Without a current device, an empty map (valid until the next call).
    QMap<QString, std::int32_t> &GetCurrentDeviceSelects();
    BOOL FindParamByCode(const QString &code, CDBDataParameter *out);
    BOOL AppendGroupParameters(const QString &groupNo, QList<CDBDataParameter> &list);
    // Tells the user when the value lies outside its range; always TRUE.
    BOOL CheckParamRange(const CDBDataParameter &param);

    // ---- Connection check and drive identity ---------------------------------------------
    BOOL CheckConnection();
    BOOL PollConnection();
    BOOL ReadDriveModel();
    BOOL ReadDriveSerial();
    // The identity texts; a worker writes them, so they are read under their own lock.
    QString GetDriveModel() const;
    QString GetDriveSerial() const;
    CLinkState GetLinkState() const;
    // "Er%02X.%01X" of the alarm code; kAlarmUnreadable when the code cannot be read.
    QString GetAlarmText();
    static QString FormatAlarmText(int code);
    QString ReadMcuStdVersion();
    QString ReadMcuCustomVersion();
    QString ReadFpgaStdVersion();
    QString ReadFpgaCustomVersion();
    bool CheckServoReadyForJog();
    // Whether the run-state word (0x8901, bits 12-13 = 1) lets a servo be switched on, read
    // with up to 10 tries; each refusal is told in a box owned by `owner` that states the
    // value read. CheckServoReadyForJog is this with the main window as owner (none: false).
    bool CheckServoReady(QWidget *owner);

    // The alarm text when every attempt to read the alarm code failed.
    static constexpr const char *kAlarmUnreadable = "Er--.-";

    // Registers of the connection check.
    static constexpr WORD kRegHandshake = 0x8963;
    static constexpr WORD kRegLinkWord = 0x9104;
    static constexpr WORD kRegMcuCustomVersion = 0x9105;
    static constexpr WORD kRegFpgaStdVersion = 0x9106;
    static constexpr WORD kRegFpgaCustomVersion = 0x9107;
    static constexpr WORD kRegWordOrder = 0x8006;
    static constexpr WORD kRegDriveState = 0x092B;
    static constexpr WORD kRegAlarmCode = 0x0931;
    static constexpr WORD kRegModel1 = 0x8970;
    static constexpr WORD kRegModel2 = 0x8971;
    static constexpr WORD kRegSerial1 = 0x897A;
    static constexpr WORD kRegRunState = 0x8901;
    static constexpr WORD kHandshakeValue = 2;

    // ---- Drive transactions ------------------------------------------------------------
    // Pages reach the drive only through these: each takes the link lock for its own
    // transaction (a retry takes it again, so others interleave), and the codec owns the
    // purge before the request and the settling after a failure. 32-bit calls use the
    // drive's word order. Outputs are written only on success; on failure
    // LastLinkError() tells why (the codec's code, the drive's code, or kErrLinkBusy).
    //
    // How long a call waits for the link when another thread has it:
    enum class LinkWait {
        Auto,     // the GUI thread: Bounded; any other thread: Block
        Block,    // as long as it takes (workers)
        Bounded,  // at most kBoundedLinkWaitMs, about two transactions (a user's command)
        TryOnly,  // only when the link is free at once (periodic work on the GUI thread)
        // The write that stops a motor: waits up to kStopLinkWaitMs, and while it waits no
        // other transaction takes the link before it.
        Stop,
    };
    static constexpr DWORD kErrLinkBusy = 0x1010;
    static constexpr int kBoundedLinkWaitMs = 250;
    static constexpr int kStopLinkWaitMs = 2000;

    BOOL ReadReg(WORD addr, int *value, LinkWait wait = LinkWait::Auto, int nTries = 1);
    BOOL ReadReg32(WORD addr, int *value, LinkWait wait = LinkWait::Auto, int nTries = 1);
    BOOL WriteReg(WORD addr, WORD value, LinkWait wait = LinkWait::Auto, int nTries = 1);
    BOOL WriteReg32(WORD addr, DWORD value, LinkWait wait = LinkWait::Auto, int nTries = 1);
    BOOL ReadBlock(WORD index, BYTE data[128], LinkWait wait = LinkWait::Auto, int nTries = 1);
    // A frame built by hand: sends it, lets its frame time pass (when bSleepFrameTime),
    // waits for dwExpected reply bytes at most dwTimeoutMs, and reads what came (at most
    // dwCapacity). Returns the byte count; 0 with LastLinkError() when nothing could be
    // sent or the link stayed busy.
    DWORD RawTransaction(const BYTE *frame, DWORD dwLength, BYTE *reply, DWORD dwCapacity,
                         DWORD dwExpected, DWORD dwTimeoutMs, LinkWait wait = LinkWait::Auto,
                         bool bSleepFrameTime = true);
    // Why the calling thread's last failed transaction method failed.
    static DWORD LastLinkError();
    // True when the link lock could be had within the time `wait` allows; the caller then
    // holds it and must unlock it (a short run of transactions under one hold).
    bool AcquireLink(LinkWait wait);
    // The codec's verdict that the drive is absent (two silent exchanges in a row).
    bool IsDriveAbsent() const { return m_ModbusRTU.IsDriveAbsent(); }

    // ---- Members ------------------------------------------------------------------------
    CProjectDatabase m_ProjectDatabase;
    QList<CRunData> m_arrRunData;
    QList<CDBDataParameter> m_arrRecipeParameter;
    QList<CGroupsUser> m_arrGroupsUser;
    QList<CParamUser> m_arrParamUser;
    CSeriesPort m_SeriesPort;
    int m_nComNum = 1;
    QString m_strDevicePath;  // [SerialPort] DevicePath; empty: derived from m_nComNum
    QString m_strProtocol = QStringLiteral("8-N-2");
    int m_nComBaud = 57600;
    CModbusRTU m_ModbusRTU;
    std::atomic<BYTE> m_byStation;
    std::atomic<BOOL> m_bConnected{FALSE};
    std::atomic<int> m_nDriveStatus{0};
    QString m_strConfigFile;
    QString m_strParamsDataPath;
    QString m_strRecipePath = DefaultRecipePath();
    std::atomic<int> m_nLinkWord{0};
    CLinkLock m_csSerial;
    std::atomic<BOOL> g_bDriveSampling{FALSE};
    std::atomic<BOOL> m_bScopeSampling{FALSE};
    std::atomic<BOOL> m_bLowWordFirst{FALSE};
    QString m_strDriveModel;   // under m_csIdentity
    QString m_strDriveSerial;  // under m_csIdentity
    mutable std::mutex m_csIdentity;
    QString m_strLoginUser = QStringLiteral("qorvi");
    QString m_strLoginPsw = QStringLiteral("qorvi");
    int m_nClose1s = 0;
    BOOL m_bEngineer = FALSE;

private:
    template <typename Call>
    BOOL Transact(LinkWait wait, int nTries, Call call);
    // Model and serial number, each tried until it has been read on this link; true when both
    // are known. Sets or clears m_bIdentityPending accordingly; after a failed try the polls
    // let a growing number of polls pass before the next (a drive that never answers one of
    // them costs a healthy poll's time again).
    bool ReadIdentity();
    // A new link: nothing of its identity is known yet, and the first poll reads it.
    void ForgetIdentity();
    QString ReadVersion(WORD addr);
    void RestoreDefaultLink();

    QMap<QString, std::int32_t> m_mapNoDeviceSelects;  // answered when there is no current device
    std::atomic<bool> m_bIdentityPending{false};  // the link is up, the identity not yet known
    std::atomic<bool> m_bModelKnown{false};       // read on this link
    std::atomic<bool> m_bSerialKnown{false};
    // Polls between two tries of an identity that failed, and polls still to let pass.
    std::atomic<int> m_nIdentityGap{0};
    std::atomic<int> m_nIdentityWait{0};
    static constexpr int kIdentityMaxGap = 16;
    std::atomic<int> m_nStopWaiters{0};  // LinkWait::Stop calls waiting for the link
    bool m_bInitialised = false;
    bool m_bCustomGroupsLoadFailed = false;
};

// The live instance, set by the application (null before and after it lives).
CSysParam *GetSysParam();
void SetSysParam(CSysParam *sysParam);
