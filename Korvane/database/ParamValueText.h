#pragma once
// How a parameter's value is shown and read back: the option description of an enumerated
// parameter, hexadecimal for the identity and version codes, signed decimal for the rest.
#include "database/DBDataParameter.h"

#include <QString>

#include <cstdint>
#include <optional>

// TRUE for the fourteen codes shown and entered in hexadecimal: P8970..P8975, P897A..P897D,
// P9104..P9107 (compared case-sensitively).
bool IsSpecialParamCode(const QString &code);

// "0x%X" for a special code, else "%d".
QString FormatParamNumber(const QString &code, std::int32_t value);

// The value text: the translated option description when the parameter is enumerated
// (dwInput 1) and one of its options has the value, else FormatParamNumber.
QString ParamValueText(const CDBDataParameter &param, std::int32_t value);

// A whole signed 32-bit decimal number, blanks around it allowed; nothing for "", "-",
// "0x10", "12abc", "1e3", "1,000", "12.7" or a number outside the 32-bit range.
std::optional<std::int32_t> ParseDecimalInt32(const QString &text);

// A number in the parameter's display base, the whole text (blanks around it allowed):
// hexadecimal for a special code (optional "0x", at most eight digits, the 32-bit pattern),
// else ParseDecimalInt32. Nothing when any part of the text is not the number.
std::optional<std::int32_t> ParseParamNumber(const QString &code, const QString &text);

// A typed or stored value read back, for every value that may be written to the drive: an
// option's description (shown or source language) gives that option's value; anything else
// must be a whole number by ParseParamNumber. Nothing when the text is neither.
std::optional<std::int32_t> ParseParamValueText(const CDBDataParameter &param, const QString &text);

// Why a typed text cannot be the parameter's value, and what it takes: a text that is no number
// (nor, where the box takes them, one of the options of an enumerated parameter), or a number
// outside [iMin, iMax]; then the code, the name and the range (with the unit). Empty when the
// text is a value in range, or blank.
QString RefusedParamValueText(const CDBDataParameter &param, const QString &typed, bool takesOptions = true);

// The value lies in [iMin, iMax].
inline bool IsParamValueInRange(const CDBDataParameter &param, std::int32_t value)
{
    return value >= param.iMin && value <= param.iMax;
}
