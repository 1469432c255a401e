#pragma once
// The oscilloscope's one process-wide state: the set-up sent to the drive, the chosen sources,
// the trigger words, colours, the recording folder, the source and bit tables read from
// config/Scope, the run flags of the two acquisition threads and the sample buffers they fill.
//
// The object has no lock. The GUI thread writes the set-up and the flags; an acquisition
// thread writes the sample buffers and the frame state, and announces them with a blocking
// SendMessage, during which the GUI thread reads them. The run flags are atomics polled by
// the threads.
#include "database/DBDataParameter.h"
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <bitset>
#include <cstdint>
#include <ctime>
#include <vector>

// Channel layouts: 0..4 for a single shot; the roll mode sends the code plus 5.
constexpr int kScopeLayoutCount = 5;
constexpr int kScopeRollLayoutOffset = 5;
// Samples per channel in one 128-byte roll frame, by layout 0..4.
int ScopeRollSamplesPerFrame(int layout);
// Source codes: 0 unused, 1 DI word, 2 DO word, 3..0x7F bit sources, 0x80 and up values.
constexpr int kScopeSourceDI = 1;
constexpr int kScopeSourceDO = 2;
constexpr int kScopeFirstValueSource = 0x80;

// One channel source: a row of the source table.
class CChannelInfo {
public:
    int nSourceCode = 0;   // sent to the drive as one byte; 0: channel not in use
    BOOL bSigned = FALSE;  // samples are two's complement
    int nParam1 = 0;       // lower value
    int nParam2 = 0;       // upper value
    float fScale = 1.0f;   // every raw sample is multiplied by it
    int nType = 0;         // 0..3
    QString strName;
    int nBits = 0;         // sample width, 16 or 32
};

// One bit source: a row of the bit table.
class CHBit {
public:
    int nId = 0;
    QString strName;
    QStringList arrBitNames;  // 16 names, bit 0 first
};

// One remembered bit selection: 1 the DI word, 2 the DO word, else a bit source's id.
class BitSetCh {
public:
    int nId = 0;
    std::bitset<16> bits;
};

// The DI or the DO selection of the sampling panel.
class ScopeIoSelection {
public:
    std::int32_t nBits = 0;           // bit i set: bit i of the word is drawn
    QStringList arrNames;             // names of the chosen bits, ascending bit order
    std::vector<COLORREF> arrColors;  // one per chosen bit
};

// The argument of an acquisition thread.
class CScopeThreadParam {
public:
    CChannelInfo arrChannel[4];  // CH1..CH4; code 0: not in use
    int nLayout = 0;             // 0..4 single shot, 5..9 roll
    platform::WindowRef hNotify;

    // The two process-wide instances, one per mode.
    static CScopeThreadParam &SingleShot();
    static CScopeThreadParam &Roll();
};

class CScopeSettings {
public:
    // Created on the first call, from any thread; the same object afterwards. Null after
    // DestroyInstance.
    static CScopeSettings *GetInstance();
    // The exit's step: stops and joins the acquisition threads, then destroys the object.
    // Nothing recreates it afterwards, until the application object starts again
    // (AllowCreation). No-op when it was never created.
    static void DestroyInstance();
    static bool Exists();
    // The application object's start: the object may be made again after an earlier exit in
    // the same process.
    static void AllowCreation();

    void Reset();

    double m_dBasePeriodMs = 0.125;
    int m_nPeriodCount = 0;
    int m_nPointsPerDiv = 100;
    QString m_strTimePerDiv;
    int m_bHasData = 0;
    WORD m_wDriveConfig[11] = {};
    COLORREF m_clrChannel[4] = {};
    COLORREF m_clrBack = 0;
    QString m_strContinuousPath;
    std::int64_t m_tStart = 0;
    COLORREF m_clrCursorChannel[4] = {};
    QList<CDBDataParameter> m_arrParamList;      // updated when a capture file is loaded
    QList<CDBDataParameter> m_arrCaptureParams;  // written into every capture file
    std::vector<CChannelInfo> m_arrChannelInfo;
    std::vector<CHBit> m_arrChBit;
    std::vector<WORD> m_arrBitList, m_arrWordList2, m_arrWordList3;
    QString m_strChannelName[4];
    int m_nChselKind = 0;
    std::atomic<int> m_bRollRunning{0};
    std::atomic<int> m_bSingleRunning{0};
    int m_nChSel[4] = {};
    std::vector<BitSetCh> m_arrBitSetCh;
    int m_nLayout = 0;
    int m_nCycleCount = 1;
    WORD m_wTrigger[6] = {};
    ScopeIoSelection m_selDI;
    ScopeIoSelection m_selDO;
    int m_nSampleWords = 4096;
    std::vector<double> m_vecCh[4];
    std::vector<std::int32_t> m_vecDI;
    std::vector<std::int32_t> m_vecDO;
    BYTE m_byFrameHeader[6] = {0x01, 0x7B, 0xAA, 0x0F, 0x55, 0xF0};
    int m_nKmpNext[6] = {};
    int m_nLastFrameCounter = 0;
    int m_bFirstFrame = 1;

    // Control id lists of the sampling panel: enabled display controls, and the controls a
    // single-shot or roll start disabled.
    std::vector<WORD> m_arrDisplayCtrl;
    std::vector<WORD> m_arrCtrlSingle;
    std::vector<WORD> m_arrCtrlRoll;

    // Empties the six sample buffers.
    void ClearSamples();

    // Look-ups over the source tables.
    // The code of the first source of that name, else the id of the first bit source, else 0.
    int SourceCodeOfName(const QString &name) const;
    // Index of the first source (bit source) of that name, -1 when none.
    int FindChannelInfo(const QString &name) const;
    int FindBitSource(const QString &name) const;
    // The name of a code: a bit source's name wins over a source's; empty when neither.
    QString FindChannelName(int code) const;
    // The type of the source of that name, 0 when none.
    int GetChannelType(const QString &name) const;
    // Sets the value of the first entry of m_arrParamList with that code; FALSE when none.
    BOOL SetLoadedParamValue(const QString &code, int value);

private:
    CScopeSettings();
    ~CScopeSettings() = default;
    CScopeSettings(const CScopeSettings &) = delete;
    CScopeSettings &operator=(const CScopeSettings &) = delete;
};

// Process-wide flags of a capture (GUI thread).
extern std::atomic<int> g_bScopeSingleBusy;
extern std::atomic<int> g_nScopeRunMode;  // 0 idle, 2 roll
