#include "Wnds/Params/ParamTransfer.h"

#include "LangText.h"
#include "database/ParamValueText.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <cstdint>

namespace {

constexpr std::int32_t kWordOrderAddress = 0x8006;
std::atomic<bool> g_bTransferClaimed{false};

QString Line(const QString &format, const QStringList &values)
{
    return FillLangPlaces(format, values) + QStringLiteral("\r\n");
}

QString OutOfRangeLine(const QString &format, const CDBDataParameter &p, std::int32_t value)
{
    return Line(format, {p.sNum, QString::number(p.iMin), QString::number(p.iMax), QString::number(value)});
}

}

ParamReadRun RunParameterReads(const QList<CDBDataParameter> &list, int tries, const ParamReadTexts &texts,
                               const std::function<void(int)> &progress, const std::atomic<bool> &stop,
                               const ParamReadSummary &summary)
{
    ParamReadRun run;
    CSysParam *sys = GetSysParam();
    for (int i = 0; i < list.size() && !stop; ++i) {
        const CDBDataParameter &p = list[i];
        int raw = 0;
        BOOL ok = FALSE;
        if (sys && p.dwWidth == 16)
            ok = sys->ReadReg(WORD(p.dwAddress), &raw, CSysParam::LinkWait::Block, tries);
        else if (sys && p.dwWidth == 32)
            ok = sys->ReadReg32(WORD(p.dwAddress), &raw, CSysParam::LinkWait::Block, tries);
        CRunData data;
        data.sNum = p.sNum;
        if (!ok) {
            run.text += Line(texts.failed, {p.sNum, platform::TrText(p.sName)});
            ++run.failures;
        } else {
            std::int32_t value = raw;
            if (p.dwWidth == 16)
                value = p.bSign ? std::int32_t(std::int16_t(raw & 0xFFFF)) : std::int32_t(raw & 0xFFFF);
            if (!IsParamValueInRange(p, value)) {
                ++run.outOfRange;
                run.text += OutOfRangeLine(texts.outOfRange, p, value);
            }
            data.iValue = value;
            data.bOk = TRUE;
        }
        run.runData.append(data);
        if (progress)
            progress(i + 1);
    }
    if (stop)
        return run;
    if ((run.failures || run.outOfRange) && summary)
        run.text += summary(int(list.size()), run.failures, run.outOfRange) + QStringLiteral("\r\n");
    else
        run.text += Line(texts.closing, {QString::number(list.size())});
    return run;
}

ParamWriteRun RunParameterWrites(const QList<CDBDataParameter> &list, int tries, const ParamWriteTexts &texts,
                                 const std::function<void(int)> &progress, const std::atomic<bool> &stop)
{
    ParamWriteRun run;
    CSysParam *sys = GetSysParam();
    for (int i = 0; i < list.size() && !stop; ++i) {
        const CDBDataParameter &p = list[i];
        const std::int32_t value = p.iCurValue;
        if (p.nModify == 2)
            continue;
        // Nothing out of range reaches the drive: it is listed and counted as a failure.
        if (!IsParamValueInRange(p, value)) {
            run.text += OutOfRangeLine(texts.outOfRange, p, value);
            ++run.failures;
            if (progress)
                progress(i + 1);
            continue;
        }
        const bool wordOrder = p.dwAddress == kWordOrderAddress;
        if (wordOrder && sys && value != std::int32_t(sys->m_bLowWordFirst.load())) {
            if (platform::Ui().MessageBox(texts.wordOrderQuestion, texts.wordOrderCaption, MB_YESNO | MB_ICONQUESTION)
                != IDYES)
                continue;
        }
        BOOL ok = FALSE;
        if (sys && p.dwWidth == 16)
            ok = sys->WriteReg(WORD(p.dwAddress), WORD(value & 0xFFFF), CSysParam::LinkWait::Block, tries);
        else if (sys && p.dwWidth == 32)
            ok = sys->WriteReg32(WORD(p.dwAddress), DWORD(value), CSysParam::LinkWait::Block, tries);
        if (ok && wordOrder && sys) {
            // Later 32-bit values of this run (and every later transfer) go in the new order.
            sys->m_bLowWordFirst = value != 0 ? TRUE : FALSE;
        }
        if (ok) {
            run.written.append({p.sNum, value});
        } else {
            run.text += Line(texts.failed, {p.sNum, platform::TrText(p.sName)});
            ++run.failures;
        }
        if (progress)
            progress(i + 1);
    }
    if (texts.summary)
        run.text += texts.summary(int(list.size()), run.failures);
    return run;
}

bool TryBeginParamTransfer()
{
    bool expected = false;
    return g_bTransferClaimed.compare_exchange_strong(expected, true);
}

void EndParamTransfer()
{
    g_bTransferClaimed = false;
}

bool IsParamTransferRunning()
{
    return g_bTransferClaimed;
}
