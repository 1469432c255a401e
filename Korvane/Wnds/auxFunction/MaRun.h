#pragma once
// One mechanism-analysis run as the drive sees it, free of widgets: the start sequence that
// checks the drive and loads the test registers, the wait for the record and its read-back in
// 64 blocks, the end-of-test commands and the hand-built stop frame. Everything here talks to
// the drive and so runs on the analysis page's worker; messages for the user go through
// platform::Ui() with the page as their owner.
#include "platform/WinTypes.h"

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace marun {

constexpr WORD kRegDriveState = 0x092B;
constexpr WORD kRegLayout = 0x8959;
constexpr WORD kRegRingP = 0x8962;
constexpr WORD kRegRingT = 0x8965;
constexpr WORD kRegRate = 0x8940;
constexpr WORD kRegAmplitude = 0x8941;
constexpr WORD kRegOffset = 0x8942;
constexpr WORD kRegRun = 0x8943;
constexpr WORD kRegStatus = 0x8944;
constexpr WORD kRegPrepare = 0x8945;
constexpr WORD kRegCommand = 0x894A;
constexpr WORD kRegStop = 0x8923;
constexpr int kTries = 10;
constexpr int kBlocks = 64;
constexpr int kBlockBytes = 128;

// The run is wanted: set once a start has succeeded, cleared by every end of a run. The
// worker polls it (and its own stop flag) and gives up as soon as it is clear.
extern std::atomic<BOOL> s_bMASingleSampRecvData;

// Sets or clears the run flag together with the settings object's sampling flags: while a run
// occupies the drive, the status poll neither reads the drive freely nor sends its handshake,
// which would end the drive's recording.
void SetRunFlags(bool running);

// The inputs of a start, as the side panel held them when the start was asked for.
struct StartInputs {
    QString strAmplitude;
    QString strOffset;
    QString strSmoothing;
    QString strSettingsPath;  // where the inputs are remembered
};
struct StartOutcome {
    bool bStarted = false;
    int nAmplitude = 0;
    int nOffset = 0;
    int nSampleRate = 0;
};

// A text check of the test inputs: empty, a decimal point, not a number, or out of range is
// refused with its message. True when accepted.
bool CheckIntegerText(const QString &text, int min, int max, QWidget *owner);

// The start sequence, from the drive check to the run command; every refusal has shown its
// message and sent the stop frame. `cancelled` ends it early (the page went).
StartOutcome StartSequence(const StartInputs &in, QWidget *owner, const std::function<bool()> &cancelled);

// How the wait for the record and its read-back ended.
enum class SampleEnd {
    Complete = 0,         // the record is in `record`
    StatusUnreadable = 1, // 10 reads of the status failed
    DriveError = 2,       // the drive set its error bit
    BlockFailed = 3,      // a block failed 10 times (its message shown)
    Stopped = 4,          // the run flag went
};
// Polls the status until the record is complete, gives the drive its end-of-record commands
// and reads the 64 blocks. `progress` is called with 0 before the first block and with each
// block's index.
SampleEnd WaitAndRead(const std::function<bool()> &running, const std::function<void(int)> &progress,
                      unsigned char *record);

// The end-of-analysis command (0x894A = 0x41); its failure is told to the user.
bool SendSamplingEnd(QWidget *owner);
// The end of a test: 0x894A = 0x31, 0x8943 = 0, then the end-of-analysis command; the first
// failure is told and ends it. True when all three were accepted.
bool EndTestCommands(QWidget *owner);
// The hand-built stop request (register 0x8923 = 0), up to 10 attempts, silent.
bool SendAnalysisStop();
// The stop request's 8 bytes for a station.
void BuildStopFrame(BYTE station, BYTE frame[8]);

}
