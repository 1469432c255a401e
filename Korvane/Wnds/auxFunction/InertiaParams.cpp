#include "InertiaParams.h"

#include <algorithm>
#include <cmath>

BOOL IsAllowedText(const QString &text, const QString &allowed)
{
    for (QChar c : text)
        if (!allowed.contains(c))
            return FALSE;
    return TRUE;
}

namespace {

const QString kDigits = QStringLiteral("0123456789");

// A whole-number box: digits only, within [lo, hi]. An empty box is out of range.
bool CheckInt(const QString &text, int lo, int hi, InertiaField field, int *value, CInertiaCheck *check)
{
    if (!IsAllowedText(text, kDigits)) {
        *check = {CInertiaCheck::kBadCharacter, field};
        return false;
    }
    // Past the bound the digits no longer matter: the box is out of range.
    long long v = text.isEmpty() ? -1 : 0;
    for (QChar c : text)
        v = std::min<long long>(v * 10 + c.digitValue(), 1LL << 40);
    if (v < lo || v > hi) {
        *check = {CInertiaCheck::kOutOfRange, field};
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

CInertiaCheck ValidateInertiaInputs(const CInertiaParamTexts &t, CInertiaParamValues *out)
{
    CInertiaCheck check;
    CInertiaParamValues v;
    // A page never read has no list selection: ask for a read before judging zeros in the boxes.
    if (t.nTuneMode < 0)
        return {CInertiaCheck::kNoSelection, InertiaField::TuneMode};
    if (t.nCmdType < 0)
        return {CInertiaCheck::kNoSelection, InertiaField::CmdType};
    if (!CheckInt(t.strRigidity, 0, 32, InertiaField::Rigidity, &v.nRigidity, &check) ||
        !CheckInt(t.strSpeedGain, 10, 20000, InertiaField::SpeedGain, &v.nSpeedGain, &check) ||
        !CheckInt(t.strIntegralTime, 15, 51200, InertiaField::IntegralTime, &v.nIntegralTime, &check))
        return check;
    // The ratio: digits with at most one point and two decimals' worth kept.
    if (!IsAllowedText(t.strInitRatio, QStringLiteral(".0123456789")) || t.strInitRatio.count(u'.') > 1)
        return {CInertiaCheck::kBadCharacter, InertiaField::InitRatio};
    bool ok = false;
    const double ratio = t.strInitRatio.toDouble(&ok);
    if (!ok || ratio < 0.0 || InertiaRatioRaw(ratio) > 12000)
        return {CInertiaCheck::kOutOfRange, InertiaField::InitRatio};
    v.nInitRatio = InertiaRatioRaw(ratio);
    if (!CheckInt(t.strMaxSpeed, 100, 2000, InertiaField::MaxSpeed, &v.nMaxSpeed, &check) ||
        !CheckInt(t.strAccelTime, 20, 800, InertiaField::AccelTime, &v.nAccelTime, &check) ||
        !CheckInt(t.strIntervalTime, 50, 10000, InertiaField::IntervalTime, &v.nIntervalTime, &check))
        return check;
    v.nTuneMode = t.nTuneMode;
    v.nCmdType = t.nCmdType;
    if (out)
        *out = v;
    return check;
}

QString InertiaRatioText(int hundredths)
{
    return QString::asprintf("%.2f", hundredths / 100.0);
}

int InertiaRatioRaw(double ratio)
{
    return static_cast<int>(std::lround(ratio * 100.0));
}

int ParseInertiaRatioText(const QString &text, int *raw)
{
    if (text.isEmpty() || !IsAllowedText(text, QStringLiteral(".0123456789")) || text.count(u'.') > 1 ||
        text == QStringLiteral("."))
        return CInertiaCheck::kBadCharacter;
    const qsizetype point = text.indexOf(u'.');
    const QString whole = point < 0 ? text : text.left(point);
    const QString decimals = point < 0 ? QString() : text.mid(point + 1);
    if (decimals.size() > 2)
        return CInertiaCheck::kOutOfRange;
    // Digit by digit, so that no long text can overflow on its way to the bound.
    long long value = 0;
    for (QChar c : whole + decimals.leftJustified(2, u'0')) {
        value = value * 10 + c.digitValue();
        if (value > inertia_reg::kInitRatioMax)
            return CInertiaCheck::kOutOfRange;
    }
    *raw = static_cast<int>(value);
    return CInertiaCheck::kOk;
}
