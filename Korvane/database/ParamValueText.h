#pragma once
// How a parameter's value is shown as text, and how such a text is read back: the option
// description of an enumerated parameter, hexadecimal for the identity and version codes,
// signed decimal for everything else.
#include "database/DBDataParameter.h"

#include <QString>

#include <cstdint>

// The fourteen codes whose values are shown and entered in hexadecimal: P8970 to P8975,
// P897A to P897D and P9104 to P9107.
bool IsSpecialParamCode(const QString &code);

// The value as the parameter pages show it: the translated option text when one matches,
// else "0x%X" for the hexadecimal codes, else "%d".
QString ParamValueText(const CDBDataParameter &param, std::int32_t value);
