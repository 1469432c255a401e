#include "database/ParamValueText.h"

#include "platform/LanguageConf.h"

bool IsSpecialParamCode(const QString &code)
{
    static const char *const kCodes[] = {"P8970", "P8971", "P8972", "P8973", "P8974", "P8975", "P897A",
                                         "P897B", "P897C", "P897D", "P9104", "P9105", "P9106", "P9107"};
    for (const char *c : kCodes) {
        if (code == QLatin1String(c))
            return true;
    }
    return false;
}

QString ParamValueText(const CDBDataParameter &param, std::int32_t value)
{
    if (param.dwInput == 1) {
        const QString option = GetParamOptionText(param, value);
        if (!option.isEmpty())
            return option;
    }
    if (IsSpecialParamCode(param.sNum))
        return QString::asprintf("0x%X", static_cast<std::uint32_t>(value));
    return QString::asprintf("%d", value);
}

std::optional<std::int32_t> ParseDecimalInt32(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-'))
        ++i;
    if (i == t.size())
        return std::nullopt;
    for (int k = i; k < t.size(); ++k) {
        if (t[k] < QLatin1Char('0') || t[k] > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<std::int32_t> ReadParamValueText(const CDBDataParameter &param, const QString &text)
{
    const QString t = text.trimmed();
    if (param.dwInput == 1) {
        // The shown text first; a file written in another language holds that language's text.
        for (const CDBDataSelects &option : param.m_arrSelects) {
            if (!t.isEmpty() && (TrText(option.sDescription) == t || option.sDescription == t))
                return static_cast<std::int32_t>(option.iValue);
        }
    }
    if (IsSpecialParamCode(param.sNum) && t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        for (const QChar c : digits) {
            if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
                return std::nullopt;
        }
        bool ok = false;
        const uint v = digits.toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        return static_cast<std::int32_t>(v);
    }
    return ParseDecimalInt32(t);
}
