#pragma once
// How a parameter's value is shown and read back: the option description of an enumerated
// parameter, hexadecimal for the identity and version codes, signed decimal for the rest.
#include "database/DBDataParameter.h"

#include <QString>

#include <cstdint>

// TRUE for the fourteen codes shown and entered in hexadecimal: P8970..P8975, P897A..P897D,
// P9104..P9107 (compared case-sensitively).
bool IsSpecialParamCode(const QString &code);

// "0x%X" for a special code, else "%d".
QString FormatParamNumber(const QString &code, std::int32_t value);

// The value text: the translated option description when the parameter is enumerated
// (dwInput 1) and one of its options has the value, else FormatParamNumber.
QString ParamValueText(const CDBDataParameter &param, std::int32_t value);

// A typed number read back: hexadecimal for a special code (leading blanks and sign, an
// optional 0x, then hex digits up to the first other character), else signed decimal (its
// leading digits). No digits gives 0.
std::int32_t ParseParamNumber(const QString &code, const QString &text);

// A typed value read back: an option's (translated or source) description gives that option's
// value; anything else is read as a number by ParseParamNumber.
std::int32_t ParseParamValueText(const CDBDataParameter &param, const QString &text);

// The value lies in [iMin, iMax].
inline bool IsParamValueInRange(const CDBDataParameter &param, std::int32_t value)
{
    return value >= param.iMin && value <= param.iMax;
}
