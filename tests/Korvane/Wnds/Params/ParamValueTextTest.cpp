// How parameter values are shown and read back.
#include "database/ParamValueText.h"

#include <gtest/gtest.h>

TEST(ParamValueText, SpecialCodesAreHexadecimalOthersSignedDecimal)
{
    const struct {
        const char *code;
        std::int32_t value;
        const char *text;
    } cases[] = {
        {"P9104", 8000, "0x1F40"}, {"P897D", 0, "0x0"}, {"P8970", -1, "0xFFFFFFFF"},
        {"P0203", -20, "-20"},     {"p9104", 10, "10"},  {"P91040", 10, "10"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatParamNumber(c.code, c.value), c.text) << c.code;
}

// A text is the whole number in the parameter's display base or nothing: no part of it is
// taken, so that what is written to the drive is what was typed.
TEST(ParamValueText, TypedTextsReadBackWholeOrNotAtAll)
{
    const std::optional<std::int32_t> refused;
    const struct {
        const char *code;
        const char *text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"P9104", "0x1F40", 8000},       {"P9104", "1F40", 8000},     {"P9104", " 0X1f40 ", 8000},
        {"P9104", "0xFFFFFFFF", -1},     {"P9104", "0x100000000", refused},
        {"P9104", "  -0x10", refused},   {"P9104", "zz", refused},    {"P9104", "0x", refused},
        {"P9104", "0x1G", refused},      {"P9104", "", refused},
        {"P0203", "15", 15},             {"P0203", " -7 ", -7},       {"P0203", "+7", 7},
        {"P0203", "-2147483648", INT32_MIN},                          {"P0203", "2147483647", INT32_MAX},
        {"P0203", "2147483648", refused}, {"P0203", "99999999999", refused},
        {"P0203", "-7abc", refused},     {"P0203", "12abc", refused}, {"P0203", "abc", refused},
        {"P0203", "1e3", refused},       {"P0203", "1,000", refused}, {"P0203", "12.7", refused},
        {"P0203", "0x10", refused},      {"P0203", "", refused},      {"P0203", "   ", refused},
        {"P0203", "-", refused},         {"P0203", "+", refused},     {"P0203", "1 000", refused},
        {"P0203", "\xef\xbc\x91\xef\xbc\x92", refused},  // full-width digits
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseParamNumber(c.code, QString::fromUtf8(c.text)), c.value) << c.code << " \"" << c.text << '"';
}

TEST(ParamValueText, OptionsWinOverNumbers)
{
    CDBDataParameter p;
    p.sNum = "P000A";
    p.dwInput = 1;
    CDBDataSelects speed;
    speed.iValue = 1;
    speed.sDescription = QString::fromUtf8("速度模式");
    p.m_arrSelects.append(speed);
    EXPECT_EQ(ParamValueText(p, 1), QString::fromUtf8("速度模式"));
    EXPECT_EQ(ParamValueText(p, 2), "2");
    EXPECT_EQ(ParseParamValueText(p, QString::fromUtf8("速度模式")), 1);
    EXPECT_EQ(ParseParamValueText(p, "2"), 2);
    EXPECT_EQ(ParseParamValueText(p, QString::fromUtf8(" 速度模式 ")), 1);
    EXPECT_EQ(ParseParamValueText(p, QString::fromUtf8("速度模式x")), std::nullopt);
    EXPECT_EQ(ParseParamValueText(p, "2x"), std::nullopt);
    p.dwInput = 0;
    EXPECT_EQ(ParamValueText(p, 1), "1") << "not enumerated";
}
