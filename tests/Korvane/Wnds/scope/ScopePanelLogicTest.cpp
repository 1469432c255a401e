// The sampling panel's rules without a window: bit budget and slots, the data choice, trigger
// words and description files, point counts and the time and scale lists.
#include "Wnds/scope/ScopePanelLogic.h"

#include "PathHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <gtest/gtest.h>

using namespace scopepanel;

TEST(ScopePanelLogic, ChannelBitsGiveLayoutAndSlots)
{
    struct Case {
        const char *what;
        bool ticked[4];
        const char *text[4];
        bool accepted;
        int layout;
        int wantSlot[4];
    } cases[] = {
        {"four 16-bit", {1, 1, 1, 1}, {"a-16", "b-16", "c-16", "d-16"}, true, 0, {1, 2, 3, 4}},
        {"CH1 and CH3 32-bit", {1, 0, 1, 0}, {"a-32", "NULL", "c-32", "NULL"}, true, 2, {1, 2, 3, 4}},
        {"80 bits", {1, 1, 1, 1}, {"a-32", "b-16", "c-16", "d-16"}, false, 0, {1, 2, 3, 4}},
        {"CH3 32-bit alone", {0, 0, 1, 0}, {"a-16", "b-16", "c-32", "d-16"}, true, 4, {3, 2, 1, 4}},
        {"CH2 32 with CH1 16", {1, 1, 0, 0}, {"a-16", "b-32", "c-16", "d-16"}, true, 1, {2, 3, 1, 4}},
        {"CH2 and CH4 32-bit", {0, 1, 0, 1}, {"a", "b-32", "c", "d-32"}, true, 2, {2, 1, 4, 3}},
        {"no suffix counts nothing", {1, 1, 1, 1}, {"Status_word", "b-16", "DI", "d-16"}, true, 0, {1, 2, 3, 4}},
        {"unticked 32-bit ignored", {1, 0, 0, 0}, {"a-16", "b-32", "c-32", "d-32"}, true, 0, {1, 2, 3, 4}},
    };
    for (const Case &c : cases) {
        QString text[4];
        for (int i = 0; i < 4; ++i)
            text[i] = QString::fromLatin1(c.text[i]);
        const ChannelBits r = CheckChannelBits(c.ticked, text);
        EXPECT_EQ(r.accepted, c.accepted) << c.what;
        if (!c.accepted)
            continue;
        EXPECT_EQ(r.layout, c.layout) << c.what;
        for (int s = 1; s <= 4; ++s)
            EXPECT_EQ(r.slot[s], c.wantSlot[s - 1]) << c.what << " slot " << s;
    }
    EXPECT_EQ(SourceWidthOfText("Speed-feedback-16"), 16);
    EXPECT_EQ(SourceWidthOfText("x-abc"), 0);
}

TEST(ScopePanelLogic, DataChoiceFillsSlotsWithinTheBudget)
{
    const QString before[4] = {"p0", "p1", "p2", "p3"};
    struct Case {
        const char *what;
        QStringList t32, t16;
        bool stored;
        int layout;
        QStringList names;
    } cases[] = {
        {"nothing", {}, {}, true, 0, {"p0", "p1", "p2", "p3"}},
        {"four 16", {}, {"a", "b", "c", "d"}, true, 0, {"a", "b", "c", "d"}},
        {"DI and DO placed", {}, {"DI", "DO", "c", "d"}, true, 0, {"c", "d", "DI", "DO"}},
        {"32 with two 16", {"L"}, {"a", "b"}, true, 1, {"L", "p1", "a", "b"}},
        {"32 with one 16", {"L"}, {"a"}, true, 2, {"L", "p1", "a", "p3"}},
        {"32 alone", {"L"}, {}, true, 4, {"L", "p1", "p2", "p3"}},
        {"two 32", {"L", "M"}, {}, true, 2, {"L", "p1", "M", "p3"}},
        {"two 32 and a 16", {"L", "M"}, {"a"}, false, 3, {"p0", "p1", "p2", "p3"}},
        {"five 16", {}, {"a", "b", "c", "d", "e"}, false, 3, {"p0", "p1", "p2", "p3"}},
        {"32 and three 16", {"L"}, {"a", "b", "c"}, false, 3, {"p0", "p1", "p2", "p3"}},
    };
    for (const Case &c : cases) {
        const ChselResult r = AssignChselSlots(c.t32, c.t16, before, 3);
        EXPECT_EQ(r.stored, c.stored) << c.what;
        EXPECT_EQ(r.layout, c.layout) << c.what;
        EXPECT_EQ(QStringList(r.names, r.names + 4), c.names) << c.what;
    }
}

TEST(ScopePanelLogic, CapturePointsByLayout)
{
    EXPECT_EQ(CapturePointCount(4096, 0), 1000);
    EXPECT_EQ(CapturePointCount(4096, 2), 1000);
    EXPECT_EQ(CapturePointCount(4096, 3), 4000);
    EXPECT_EQ(CapturePointCount(4096, 4), 2000);
    EXPECT_EQ(CapturePointCount(3999, 0), 0);
}

TEST(ScopePanelLogic, TriggerWords)
{
    std::vector<TriggerSource> list = {{0, 0, 0, "none"}, {2, 0, 1, "Speed"}};
    for (int n = 1; n <= 10; ++n)
        list.push_back({15 + n, 1, 0, QStringLiteral("DI%1: ").arg(n)});
    for (int n = 1; n <= 8; ++n)
        list.push_back({31 + n, 1, 0, QStringLiteral("DO%1: ").arg(n)});
    list.push_back({48, 1, 0, "Speed"});  // a second entry with the text of the first
    auto words = [&](TriggerChoice c, TriggerRefusal expect = TriggerRefusal::None) {
        std::array<WORD, 6> w{0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};
        EXPECT_EQ(MakeTriggerWords(list, c, w.data()), expect);
        return w;
    };
    TriggerChoice di3;
    di3.posA = 4;
    di3.sourceA = "DI3: ";
    di3.condA = 2;
    EXPECT_EQ(words(di3)[0], 0x1202);
    TriggerChoice do8;
    do8.posA = 19;
    do8.sourceA = "DO8: ";
    EXPECT_EQ(words(do8)[0], 0x2700);
    TriggerChoice ch2;
    ch2.posA = 1;
    ch2.sourceA = "Speed";
    ch2.condA = 4;
    ch2.levelA = -1;
    ch2.percent = 25;
    ch2.pointCount = 4000;
    ch2.posB = 5;
    ch2.sourceB = "DI4: ";
    ch2.levelB = 7;
    ch2.combination = 2;
    const auto w = words(ch2);
    EXPECT_EQ(w[0], 0x0204);  // the first entry of that text
    EXPECT_EQ(w[1], 0xFFFF);
    EXPECT_EQ(w[2], 0x1300);
    EXPECT_EQ(w[3], 7);
    EXPECT_EQ(w[4], 2);
    EXPECT_EQ(w[5], 1000);
    TriggerChoice none;
    none.percent = 33;
    none.pointCount = 1000;
    EXPECT_EQ(words(none), (std::array<WORD, 6>{0, 0, 0, 0, 0, 330}));

    TriggerChoice high = ch2;
    high.levelA = 32768;
    EXPECT_EQ(words(high, TriggerRefusal::LevelA)[0], 0xAAAA);
    high.levelA = -32768;
    EXPECT_EQ(words(high)[1], 0x8000);
    high.levelB = -32769;
    words(high, TriggerRefusal::LevelB);
    TriggerChoice pct = none;
    pct.percent = 101;
    words(pct, TriggerRefusal::Percent);
    // A source that is not set takes no level.
    TriggerChoice unset;
    unset.levelA = 99999;
    words(unset);
}

TEST(ScopePanelLogic, TriggerFileRows)
{
    QTemporaryDir dir;
    auto file = [&](const QByteArray &bytes) {
        const QString p = dir.filePath("t.txt");
        QFile f(p);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return p;
    };
    EXPECT_TRUE(ReadTriggerFile(file("Name\tCode\t\r\n")).empty());
    const auto rows = ReadTriggerFile(
        file("Name\tCode\t\r\nReady\t48\t\r\n" + QByteArray(120, 'x') + "\t49\t\r\nAlarm\t53\t\r\n"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].code, 48);
    EXPECT_EQ(rows[0].text, "48: Ready");
    EXPECT_EQ(rows[0].kind, 1);
    EXPECT_EQ(rows[1].text, "53: Alarm");
    EXPECT_TRUE(ReadTriggerFile(dir.filePath("missing.txt")).empty());
}

TEST(ScopePanelLogic, TimeDivisionLists)
{
    const QStringList before = TimeDivEntries(0.125, 2);
    ASSERT_EQ(before.size(), 19);
    EXPECT_EQ(before.first(), "2.500");
    int perDiv = 100;
    EXPECT_EQ(before[TimeDivSelection(before, 0.125, 2, perDiv)], "25.000");
    perDiv = 7;  // no entry begins with it: entry 3, and the points per division return to 100
    EXPECT_EQ(TimeDivSelection(before, 0.125, 2, perDiv), 3);
    EXPECT_EQ(perDiv, 100);

    const QStringList four = CaptureTimeDivEntries(4000, 0.125, "All");
    ASSERT_EQ(four.size(), 100);
    EXPECT_EQ(four.first(), "All");
    EXPECT_EQ(four[1], "49.5000");  // 99 × 40 × 0.125 / 10
    EXPECT_EQ(four.last(), "0.5000");
    EXPECT_EQ(CaptureTimeDivEntries(4050, 0.125, "All").size(), 101);
    EXPECT_EQ(CaptureTimeDivEntries(10, 0.125, "All").size(), 101);

    EXPECT_EQ(SamplesPerDivision(0.01, 0.125), 1);
    EXPECT_EQ(SamplesPerDivision(25.0, 0.125), 200);
    EXPECT_TRUE(IsWholeRecord("all", "All"));
    EXPECT_TRUE(IsWholeRecord("All", "All"));
    EXPECT_TRUE(IsWholeRecord("", "All"));
    EXPECT_FALSE(IsWholeRecord("12.5000", "All"));
}

TEST(ScopePanelLogic, ScaleListAndFunctionNames)
{
    const QStringList &s = ScaleEntries();
    ASSERT_EQ(s.size(), 32);
    EXPECT_EQ(s.first(), "0.010");
    EXPECT_EQ(s[kDefaultScaleEntry], "2000.000");
    EXPECT_EQ(s.last(), "200000000.000");
    EXPECT_EQ(FindScaleEntry(s, 0.5), 5);
    EXPECT_EQ(FindScaleEntry(s, 3.0), -1);

    QList<CDBDataSelects> options;
    CDBDataSelects a;
    a.iValue = 1;
    a.sDescription = "1-Servo enable";
    CDBDataSelects b;
    b.iValue = 2;
    b.sDescription = "Alarm reset";
    options << a << b;
    EXPECT_EQ(IoFunctionName(options, 1), "Servo enable");
    EXPECT_EQ(IoFunctionName(options, 2), "Alarm reset");
    EXPECT_EQ(IoFunctionName(options, 3), "");
}
