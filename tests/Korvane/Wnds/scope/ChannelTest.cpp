// The trace records: automatic scaling, requested ranges, statistics, scale lists, bit rows
// and the fixed capacity.
#include "Wnds/scope/Channel.h"
#include "Wnds/scope/CommaSubStr.h"
#include "Wnds/scope/ScopeSettings.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void Fill(CChannel &c, std::initializer_list<double> values)
{
    c.m_nCount = 0;
    c.AppendFromVector(std::vector<double>(values), static_cast<int>(values.size()));
}

}

TEST(Channel, AutoScale)
{
    struct Case { std::vector<double> data; double lo, hi; } cases[] = {
        {{}, -5, 5},
        {{-4.5, -0.5}, -8, 2},      // centre -2.5, step 1: k = -3
        {{0, 2.5}, -1.5, 3.5},      // per-division exactly 0.5 keeps step 0.5
        {{0, 2.55}, -4, 6},         // 0.51 takes step 1
    };
    for (const auto &c : cases) {
        CChannel ch;
        ch.AppendFromArray(c.data);
        ch.AutoScale();
        EXPECT_DOUBLE_EQ(ch.m_dMin, c.lo);
        EXPECT_DOUBLE_EQ(ch.m_dMax, c.hi);
    }
    CChannel ramp;
    std::vector<double> r;
    for (int i = 0; i <= 100; ++i)
        r.push_back(i);
    ramp.AppendFromArray(r);
    ramp.AutoScale();
    EXPECT_DOUBLE_EQ(ramp.m_dMin, -60);
    EXPECT_DOUBLE_EQ(ramp.m_dMax, 140);
}

TEST(Channel, SetRangeKeepsOrCentresTheSpan)
{
    CChannel c;
    Fill(c, {-3, 4});
    c.SetRange(-10, 10);
    EXPECT_EQ(c.m_dMin, -10);
    EXPECT_EQ(c.m_dMax, 10);
    c.SetRange(0, 2);
    EXPECT_DOUBLE_EQ(c.m_dMin, -0.5);
    EXPECT_DOUBLE_EQ(c.m_dMax, 1.5);

    // A range without span opens to one unit either side, so nothing maps through zero.
    CChannel flat;
    Fill(flat, {3, 3});
    flat.SetRange(3, 3);
    EXPECT_DOUBLE_EQ(flat.m_dMin, 2);
    EXPECT_DOUBLE_EQ(flat.m_dMax, 4);
    CChannel outside;
    Fill(outside, {-3, 4});
    outside.SetRange(7, 7);
    EXPECT_DOUBLE_EQ(outside.m_dMax - outside.m_dMin, 2);
}

TEST(Channel, Statistics)
{
    CChannel c;
    Fill(c, {1, 5, -2, 3, 4, 7});
    EXPECT_EQ(c.GetRms(5, 5), 0.0);
    EXPECT_EQ(c.GetMax(3, 3), 3.0);
    EXPECT_EQ(c.GetMax(0, 5), 7.0);
    EXPECT_EQ(c.GetMin(0, 4), -2.0);
    EXPECT_DOUBLE_EQ(c.GetRms(0, 2), std::sqrt((1.0 + 25.0) / 2));
}

TEST(Channel, ScaleList)
{
    struct Case { double range; int count; const char *last; } cases[] = {
        {10, 10, "10.000"}, {200, 14, "200.000"}, {30, 0, nullptr}, {0.005, 0, nullptr},
        {1e9, 34, "1000000000"}, {0.3 - 0.1, 5, "0.200"}, {-1, 0, nullptr},
    };
    for (const auto &c : cases) {
        CChannel ch;
        ch.m_dMin = 0;
        ch.m_dMax = c.range;
        QStringList out{"stale"};
        ch.GetScaleList(out);
        ASSERT_EQ(out.size(), c.count) << c.range;
        if (c.last) {
            EXPECT_EQ(out.last(), QString::fromLatin1(c.last));
        }
    }
}

TEST(Channel, CapacityIsEnforced)
{
    CChannel c;
    c.m_nCount = kChannelCapacity - 1;
    EXPECT_THROW(c.AppendFromArray({1.0, 2.0}), std::invalid_argument);
    EXPECT_EQ(c.m_nCount, kChannelCapacity);
    EXPECT_THROW(c.GetMax(-1, 3), std::invalid_argument);
    EXPECT_EQ(c.m_arrData.size(), static_cast<std::size_t>(kChannelCapacity));
}

TEST(DIDOChannel, RowsFollowTheShownBits)
{
    CDIDOChannel d;
    d.SetBits(std::bitset<16>(0b1010), {"b1", "b3"}, {1, 2});
    d.AppendFromVector({0b1000, 0b0010}, 2);
    EXPECT_EQ(d.GetShownBitCount(), 2);
    EXPECT_EQ(d.GetRowValue(0, 0), 0);
    EXPECT_EQ(d.GetRowValue(0, 1), 1);
    EXPECT_EQ(d.GetRowValue(1, 0), 1);
    EXPECT_EQ(d.GetRowValue(1, 2), 0);
    EXPECT_EQ(d.GetBitName(1), "b3");
    EXPECT_THROW(d.GetBitName(2), std::invalid_argument);
    d.SetBits(d.m_bitsShown, d.m_arrBitNames, d.m_arrBitColors);
    EXPECT_EQ(d.m_arrBitNames.size(), 2);
    d.m_bVisible = 0;
    d.Clear();
    EXPECT_EQ(d.m_bVisible, 0);
    EXPECT_EQ(d.m_nCount, 0);
    EXPECT_EQ(d.GetShownBitCount(), 0);
}

TEST(CommaSubStr, Fields)
{
    CCommaSubStr s(QStringLiteral("1.5, 2.25 ,x"), QLatin1Char(','));
    EXPECT_EQ(s.GetSubStr(0), "1.5");
    EXPECT_EQ(s.GetSubStr(1), "2.25");
    EXPECT_EQ(s.GetSubStr(2), "x");
    EXPECT_EQ(s.GetSubStr(3), "");
    CCommaSubStr lead(QStringLiteral(",a"), QLatin1Char(','));
    EXPECT_EQ(lead.GetSubStr(0), "");
    EXPECT_EQ(lead.GetSubStr(1), "a");
    EXPECT_EQ(CCommaSubStr(QString(), QLatin1Char(',')).GetSubStr(0), "");
}

TEST(CommaSubStr, WidenAnsiLine)
{
    // "中" in GBK is D6 D0.
    QString line;
    line.append(QChar(0xD6));
    line.append(QChar(0xD0));
    WidenAnsiLine(line);
    EXPECT_EQ(line, QString::fromUtf8("中"));
}

TEST(ScopeSettingsObject, FreshDefaults)
{
    CScopeSettings *s = CScopeSettings::GetInstance();
    ASSERT_EQ(s, CScopeSettings::GetInstance());
    s->Reset();
    for (const auto &n : s->m_strChannelName)
        EXPECT_EQ(n, "NULL");
    EXPECT_EQ(s->m_bRollRunning, 0);
    EXPECT_EQ(s->m_bSingleRunning, 0);
    EXPECT_EQ(s->m_nSampleWords, 4096);
    const BYTE header[6] = {0x01, 0x7B, 0xAA, 0x0F, 0x55, 0xF0};
    EXPECT_TRUE(std::equal(header, header + 6, s->m_byFrameHeader));
    EXPECT_EQ(s->m_strTimePerDiv, "all");
}
