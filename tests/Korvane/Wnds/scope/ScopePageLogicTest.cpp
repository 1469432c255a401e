// The oscilloscope page's window-free rules: the scroll bar's steps and the history trimming.
#include "Wnds/scope/ScopePageLogic.h"

#include <gtest/gtest.h>

using scopepage::ScrollRequest;

TEST(ScopePageScroll, EachRequestMovesAsTheTableSays)
{
    // step 10 (a window of 100 samples), page 50, limit 900.
    struct Case {
        const char *what;
        ScrollRequest request;
        int pos;
        bool moves;
        int newPos, left, right;
    } cases[] = {
        {"line left near the start stops at 0", ScrollRequest::LineLeft, 7, true, 0, 7, 0},
        {"line left at exactly one step", ScrollRequest::LineLeft, 10, true, 0, 10, 0},
        {"line left elsewhere", ScrollRequest::LineLeft, 300, true, 290, 10, 0},
        {"line right near the end stops at the limit", ScrollRequest::LineRight, 895, true, 900, 0, 5},
        {"line right elsewhere", ScrollRequest::LineRight, 300, true, 310, 0, 10},
        {"page left a whole page", ScrollRequest::PageLeft, 50, true, 0, 50, 0},
        {"page left less than a page", ScrollRequest::PageLeft, 30, true, 0, 30, 0},
        {"page left at 0 does nothing", ScrollRequest::PageLeft, 0, false, 0, 0, 0},
        {"page right with exactly one page left", ScrollRequest::PageRight, 850, true, 900, 0, 50},
        {"page right with less than a page left", ScrollRequest::PageRight, 880, true, 900, 0, 20},
        {"page right at the limit does nothing", ScrollRequest::PageRight, 900, false, 0, 0, 0},
        {"other requests do nothing", ScrollRequest::Other, 300, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        const scopepage::ScrollMove m = scopepage::ScrollStep(c.request, c.pos, 900, 10, 0);
        EXPECT_EQ(m.moves, c.moves) << c.what;
        if (!c.moves)
            continue;
        EXPECT_EQ(m.pos, c.newPos) << c.what;
        EXPECT_EQ(m.left, c.left) << c.what;
        EXPECT_EQ(m.right, c.right) << c.what;
        EXPECT_FALSE(m.toThumb) << c.what;
    }
    const scopepage::ScrollMove thumb = scopepage::ScrollStep(ScrollRequest::Thumb, 300, 900, 10, 612);
    EXPECT_TRUE(thumb.toThumb);
    EXPECT_EQ(thumb.pos, 612);
}

TEST(ScopePageScroll, LimitLeavesRoomForOnePage)
{
    EXPECT_EQ(scopepage::ScrollLimit(0, 999, 100), 900);
    EXPECT_EQ(scopepage::ScrollLimit(0, 999, 0), 999);
    EXPECT_EQ(scopepage::ScrollLimit(0, 999, 10 * 0xFFFF), 0) << "the whole record in one page";
}

TEST(ScopePageHistory, TheSmallestNameGoesOnceMoreThanTenLie)
{
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QStringLiteral("20260101_0000%1.csv").arg(i, 2, 10, QLatin1Char('0'));
    EXPECT_TRUE(scopepage::HistoryFileToDrop(ten).isEmpty());
    QStringList eleven = ten;
    eleven.prepend(QStringLiteral("20261210_120000.csv"));
    EXPECT_EQ(scopepage::HistoryFileToDrop(eleven), QStringLiteral("20260101_000000.csv"));
    // Case-sensitive: "C" sorts before "b".
    QStringList letters{"b.csv", "C.csv"};
    for (int i = 0; i < 9; ++i)
        letters << QStringLiteral("x%1.csv").arg(i);
    EXPECT_EQ(scopepage::HistoryFileToDrop(letters), QStringLiteral("C.csv"));
    EXPECT_EQ(scopepage::HistoryFileToDrop(ten + QStringList{"0.csv"}), QStringLiteral("0.csv"));
    EXPECT_EQ(scopepage::HistoryFileName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))), QStringLiteral("20260304_050607.csv"));
}
