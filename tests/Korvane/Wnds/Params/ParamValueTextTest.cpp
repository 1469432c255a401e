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

TEST(ParamValueText, TypedTextsReadBack)
{
    const struct {
        const char *code;
        const char *text;
        std::int32_t value;
    } cases[] = {
        {"P9104", "0x1F40", 8000}, {"P9104", "1F40", 8000}, {"P9104", "  -0x10", -16},
        {"P9104", "zz", 0},         {"P0203", "15", 15},     {"P0203", "-7abc", -7},
        {"P0203", "abc", 0},        {"P0203", "99999999999", INT32_MAX},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseParamNumber(c.code, c.text), c.value) << c.code << " " << c.text;
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
    p.dwInput = 0;
    EXPECT_EQ(ParamValueText(p, 1), "1") << "not enumerated";
}
