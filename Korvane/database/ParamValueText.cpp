#include "database/ParamValueText.h"

#include "platform/LanguageConf.h"

#include <array>

namespace {

std::int64_t ParseDigits(const QString &text, int base)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (base == 16 && i + 1 < n && text[i] == QLatin1Char('0') && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X')))
        i += 2;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const int digit = text[i].isDigit() && text[i].unicode() < 128 ? text[i].unicode() - '0'
                          : base == 16 && text[i].toLower() >= QLatin1Char('a') && text[i].toLower() <= QLatin1Char('f')
                              ? text[i].toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0)
            break;
        // Beyond 32 bits the value saturates, as the C library's conversions do.
        if (value < (std::int64_t(1) << 33))
            value = value * base + digit;
    }
    return negative ? -value : value;
}

}

bool IsSpecialParamCode(const QString &code)
{
    static const std::array<const char *, 14> kCodes = {"P8970", "P8971", "P8972", "P8973", "P8974",
                                                        "P8975", "P897A", "P897B", "P897C", "P897D",
                                                        "P9104", "P9105", "P9106", "P9107"};
    for (const char *c : kCodes) {
        if (code == QLatin1String(c))
            return true;
    }
    return false;
}

QString FormatParamNumber(const QString &code, std::int32_t value)
{
    if (IsSpecialParamCode(code))
        return QStringLiteral("0x") + QString::number(static_cast<std::uint32_t>(value), 16).toUpper();
    return QString::number(value);
}

QString ParamValueText(const CDBDataParameter &param, std::int32_t value)
{
    if (param.dwInput == 1) {
        const QString option = GetParamOptionText(param, value);
        if (!option.isEmpty())
            return option;
    }
    return FormatParamNumber(param.sNum, value);
}

std::int32_t ParseParamNumber(const QString &code, const QString &text)
{
    const std::int64_t v = ParseDigits(text, IsSpecialParamCode(code) ? 16 : 10);
    if (IsSpecialParamCode(code))
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

std::int32_t ParseParamValueText(const CDBDataParameter &param, const QString &text)
{
    if (param.dwInput == 1 && !param.m_arrSelects.isEmpty()) {
        const QString source = platform::GetSqlite()->SourceText(text);
        for (const CDBDataSelects &option : param.m_arrSelects) {
            if (option.sDescription == source || option.sDescription == text)
                return static_cast<std::int32_t>(option.iValue);
        }
    }
    return ParseParamNumber(param.sNum, text);
}
