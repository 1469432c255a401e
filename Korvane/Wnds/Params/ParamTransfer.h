#pragma once
// The drive traffic of a parameter read or write run, shared by the parameter page and the
// oscilloscope's parameter tab: one parameter after the other, each with its attempts, and the
// result lines of what failed. The callers differ only in their attempt budgets, their texts
// and what they report on the way.
//
// Both run on a worker thread. Only one run may exist in the program at a time: the runs share
// the settings object's run-data list, and two of them would interleave on the link. A caller
// takes the claim on the GUI thread before it starts its worker; the worker gives it back when
// it ends.
#include "SYSPARAM/SysParam.h"
#include "database/DBDataParameter.h"

#include <QList>
#include <QPair>
#include <QString>

#include <atomic>
#include <functional>

// Texts of a read run, translated; their places are filled in the order given.
struct ParamReadTexts {
    QString failed;      // code, name
    QString outOfRange;  // code, minimum, maximum, value
    QString closing;     // count
};

// The closing line of a read run with failures or values out of range (count, failures, out of
// range), without its line end.
using ParamReadSummary = std::function<QString(int count, int failures, int outOfRange)>;

struct ParamReadRun {
    QString text;              // the failure lines and the closing line, each ending in "\r\n"
    QList<CRunData> runData;   // one entry per parameter read, in list order
    int failures = 0;
    int outOfRange = 0;
};

// Reads every parameter of the list (16 or 32 bits, `tries` attempts, the link lock held
// around each). A value read outside the parameter's range is listed but still handed back in
// the run data; the caller decides what to store. `progress` (may be empty) hears i + 1 after
// parameter i. A stop request ends the run early, without its closing line. With a summary, a
// run that failed or found values out of range closes with it instead of texts.closing.
ParamReadRun RunParameterReads(const QList<CDBDataParameter> &list, int tries, const ParamReadTexts &texts,
                               const std::function<void(int)> &progress, const std::atomic<bool> &stop,
                               const ParamReadSummary &summary = {});

// Texts of a write run, translated.
struct ParamWriteTexts {
    QString failed;             // code, name
    QString outOfRange;         // code, minimum, maximum, value
    QString wordOrderQuestion;  // asked before a write that changes register 0x8006
    QString wordOrderCaption;
    // The closing lines from the number of parameters and of failures.
    std::function<QString(int count, int failures)> summary;
};

struct ParamWriteRun {
    QString text;
    int failures = 0;
    // (code, value) of every parameter the drive took, in run order.
    QList<QPair<QString, std::int32_t>> written;
};

// Writes every parameter's iCurValue. Display-only parameters are skipped; a value outside its
// range never reaches the drive and counts as a failure; a change of the word-order register
// is asked first (No skips it) and, once written, applies to the rest of the run.
ParamWriteRun RunParameterWrites(const QList<CDBDataParameter> &list, int tries, const ParamWriteTexts &texts,
                                 const std::function<void(int)> &progress, const std::atomic<bool> &stop);

// The program-wide claim of the one parameter transfer. TryBegin answers false while another
// run holds it.
bool TryBeginParamTransfer();
void EndParamTransfer();
bool IsParamTransferRunning();

// Gives the claim back when it goes out of scope (the first local of a transfer's worker).
class ParamTransferClaimEnd {
public:
    ParamTransferClaimEnd() = default;
    ~ParamTransferClaimEnd() { EndParamTransfer(); }
    ParamTransferClaimEnd(const ParamTransferClaimEnd &) = delete;
    ParamTransferClaimEnd &operator=(const ParamTransferClaimEnd &) = delete;
};
