#include "database/ParamValueText.h"


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
