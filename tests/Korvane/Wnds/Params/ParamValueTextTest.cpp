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

// A refused text is told with its reason, the parameter and its range; a value the box takes,
// or a cleared box, is told nothing.
TEST(ParamValueText, ARefusalSaysWhyAndWhatTheParameterTakes)
{
    CDBDataParameter mode;
    mode.sNum = "P000A";
    mode.sName = QString::fromUtf8("控制模式");
    mode.dwInput = 1;
    mode.iMin = 0;
    mode.iMax = 2;
    CDBDataSelects speed;
    speed.iValue = 1;
    speed.sDescription = QString::fromUtf8("速度模式");
    mode.m_arrSelects.append(speed);
    CDBDataParameter version;
    version.sNum = "P9104";
    version.sName = QString::fromUtf8("软件版本");
    version.iMin = 0;
    version.iMax = 0xFFFF;
    CDBDataParameter gain;
    gain.sNum = "P0204";
    gain.sName = QString::fromUtf8("速度环增益");
    gain.sUnit = "0.1Hz";
    gain.iMin = 10;
    gain.iMax = 20000;
    const struct
    {
        const CDBDataParameter *param;
        const char *typed;
        bool takesOptions;
        const char *told;  // empty: nothing
    } cases[] = {
        {&gain, "400", true, ""},
        {&gain, "  ", true, ""},
        {&gain, "5", true, "设置值超出范围！\nP0204 速度环增益 允许的范围：10 到 20000 (0.1Hz)"},
        {&gain, "12.7", true, "“12.7”不是整数。\nP0204 速度环增益 允许的范围：10 到 20000 (0.1Hz)"},
        {&version, "0xZZ", true, "“0xZZ”不是十六进制数。\nP9104 软件版本 允许的范围：0x0 到 0xFFFF"},
        {&version, "0x1F40", true, ""},
        {&mode, "速度模式", true, ""},
        {&mode, "快", true, "“快”既不是整数，也不是可选的值。\nP000A 控制模式 允许的范围：0 到 2"},
        // The detail pane's edit takes numbers only.
        {&mode, "速度模式", false, "“速度模式”不是整数。\nP000A 控制模式 允许的范围：0 到 2"},
        {&mode, "3", false, "设置值超出范围！\nP000A 控制模式 允许的范围：0 到 2"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RefusedParamValueText(*c.param, QString::fromUtf8(c.typed), c.takesOptions), QString::fromUtf8(c.told))
            << c.param->sNum.toStdString() << " \"" << c.typed << '"';
}
