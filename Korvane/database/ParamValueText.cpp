#include "database/ParamValueText.h"

#include "platform/LanguageConf.h"

#include <array>

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

std::optional<std::int32_t> ParseDecimalInt32(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    if (!t.isEmpty() && (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')))
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

std::optional<std::int32_t> ParseParamNumber(const QString &code, const QString &text)
{
    if (!IsSpecialParamCode(code))
        return ParseDecimalInt32(text);
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    for (const QChar c : digits) {
        const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                         (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
        if (!hex)
            return std::nullopt;
    }
    bool ok = false;
    const uint v = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<std::int32_t> ParseParamValueText(const CDBDataParameter &param, const QString &text)
{
    const QString t = text.trimmed();
    if (param.dwInput == 1 && !t.isEmpty()) {
        // The shown text first; a file written in another language holds that language's text.
        const QString source = platform::GetSqlite()->SourceText(t);
        for (const CDBDataSelects &option : param.m_arrSelects) {
            if (option.sDescription == t || option.sDescription == source || TrText(option.sDescription) == t)
                return static_cast<std::int32_t>(option.iValue);
        }
    }
    return ParseParamNumber(param.sNum, t);
}

QString RefusedParamValueText(const CDBDataParameter &param, const QString &typed, bool takesOptions)
{
    const std::optional<std::int32_t> value =
        takesOptions ? ParseParamValueText(param, typed) : ParseParamNumber(param.sNum, typed);
    if (value && IsParamValueInRange(param, *value))
        return QString();
    const QString shown = typed.trimmed();
    // A cleared box is no value typed: it only gives way to the stored one.
    if (shown.isEmpty())
        return QString();
    QString reason;
    if (value)
        reason = TrText(QStringLiteral("设置值超出范围！"));
    else if (takesOptions && param.dwInput == 1 && !param.m_arrSelects.isEmpty())
        reason = TrText(QStringLiteral("“%1”既不是整数，也不是可选的值。")).arg(shown);
    else if (IsSpecialParamCode(param.sNum))
        reason = TrText(QStringLiteral("“%1”不是十六进制数。")).arg(shown);
    else
        reason = TrText(QStringLiteral("“%1”不是整数。")).arg(shown);
    QString range = TrText(QStringLiteral("%1 %2 允许的范围：%3 到 %4"))
                        .arg(param.sNum, TrText(param.sName), FormatParamNumber(param.sNum, param.iMin),
                             FormatParamNumber(param.sNum, param.iMax));
    if (!param.sUnit.trimmed().isEmpty())
        range += QStringLiteral(" (%1)").arg(param.sUnit.trimmed());
    return reason + QLatin1Char('\n') + range;
}
