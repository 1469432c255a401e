// Language texts with printf places, filled without printf: whatever a translator writes,
// the program neither crashes nor reads values that were never given.
#include "LangFormat.h"

#include <gtest/gtest.h>

TEST(LangFormat, FillsWhatItCanAndLeavesTheRestAsWritten)
{
    const struct {
        const char *name;
        QString format;
        std::vector<LangArg> args;
        QString want;
    } cases[] = {
        {"text and number", "%s failed (%d)", {QString("Write"), 12LL}, "Write failed (12)"},
        {"four decimals", "Sample Time,%.4fms", {0.375}, "Sample Time,0.3750ms"},
        {"hex and padding", "0x%04X|%-4d|%5s", {255LL, 7LL, QString("ab")}, "0x00FF|7   |   ab"},
        {"length modifiers are read past", "%ld %lf", {3LL, 1.5}, "3 1.500000"},
        {"a stray %n takes nothing", "a%nb%d", {5LL}, "a%nb5"},
        {"%p and a lone % stay", "%p 100% %", {1LL}, "%p 100% %"},
        {"no place at all", "Done", {42LL}, "Done"},
        {"more places than values", "%d,%d,%s", {1LL}, "1,%d,%s"},
        {"percent sign", "100%% of %d", {3LL}, "100% of 3"},
        {"kinds converted", "%s|%d|%.1f", {7LL, QString("12"), 2LL}, "7|12|2.0"},
        {"precision cuts text", "%.3s", {QString("abcdef")}, "abc"},
        {"a runaway width is capped", "%99999999d", {1LL}, QString(63, ' ') + "1"},
        {"unicode text", "记录文件无法写入：%s", {QString("/数据/a.csv")}, "记录文件无法写入：/数据/a.csv"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FillLangFormat(c.format, c.args), c.want);
    }
}
