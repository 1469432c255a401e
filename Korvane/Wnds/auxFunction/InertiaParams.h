#pragma once
// The nine parameters of the load-inertia identification ("step1" of its page): the check of
// the typed texts, done in full before anything is written, and the registers they go to.
// P0204/P0205 are in the page's units (0.1 Hz, 0.01 ms) and are not converted; P0230 (the
// initial inertia ratio) holds hundredths and is shown, checked and typed as the ratio.
#include "platform/WinTypes.h"

#include <QString>

struct CInertiaParamTexts
{
    int nTuneMode = -1;  // list position; -1: nothing selected
    QString strRigidity;
    QString strSpeedGain;
    QString strIntegralTime;
    QString strInitRatio;
    int nCmdType = -1;
    QString strMaxSpeed;
    QString strAccelTime;
    QString strIntervalTime;
};

struct CInertiaParamValues
{
    int nTuneMode = 0;
    int nRigidity = 0;
    int nSpeedGain = 0;
    int nIntegralTime = 0;
    int nInitRatio = 0;  // hundredths, as P0230 holds it
    int nCmdType = 0;
    int nMaxSpeed = 0;
    int nAccelTime = 0;
    int nIntervalTime = 0;
};

// Which box a check failed on (the page gives it the focus).
enum class InertiaField { None, Rigidity, SpeedGain, IntegralTime, InitRatio, MaxSpeed, AccelTime, IntervalTime,
                          TuneMode, CmdType };

struct CInertiaCheck
{
    enum { kOk = 0, kBadCharacter = 1, kOutOfRange = 2, kNoSelection = 3 };
    int nResult = kOk;
    InertiaField field = InertiaField::None;
};

// TRUE when every character of the text is one of `allowed` (an empty text passes).
BOOL IsAllowedText(const QString &text, const QString &allowed);

// Checks the boxes in the page's order and converts them all; *out is filled only when every
// box passed.
CInertiaCheck ValidateInertiaInputs(const CInertiaParamTexts &texts, CInertiaParamValues *out);

// A typed identification result (the ratio) as the P0230 value it writes: digits with at most
// one point and two decimals, the value in hundredths within 0 to 12000. kBadCharacter for any
// other character (or an empty text), kOutOfRange for more decimals or a larger value; *raw is
// set only on kOk.
int ParseInertiaRatioText(const QString &text, int *raw);

// The ratio text of a P0230 value in hundredths ("%.2f").
QString InertiaRatioText(int hundredths);
// The P0230 value of a ratio (rounded to the nearest hundredth).
int InertiaRatioRaw(double ratio);

// Registers of the parameters.
namespace inertia_reg {
constexpr WORD kTuneMode = 0x0201;
constexpr WORD kRigidity = 0x0202;
constexpr WORD kSpeedGain = 0x0204;
constexpr WORD kIntegralTime = 0x0205;
constexpr WORD kInitRatio = 0x0230;
constexpr WORD kCmdType = 0x0232;
constexpr WORD kMaxSpeed = 0x0233;
constexpr WORD kAccelTime = 0x0234;
constexpr WORD kIntervalTime = 0x0235;
constexpr WORD kRun = 0x080C;
constexpr WORD kResult = 0x8937;
constexpr int kInitRatioMax = 12000;  // P0230, hundredths
}  // namespace inertia_reg
