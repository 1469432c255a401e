#include "controls/MyProgressCtrl.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(MyProgressCtrl, PercentageAndBarFollowTheRangeAndStayWithinIt)
{
    struct Case
    {
        const char *what;
        int lower, upper, pos, width;
        int percent, bar;
    } const cases[] = {
        {"nothing done", 0, 100, 0, 200, 0, 0},
        {"all done", 0, 100, 100, 200, 100, 200},
        {"a third truncates", 0, 3, 1, 200, 33, 66},
        {"33.9 % shows 33", 0, 1000, 339, 100, 33, 33},
        {"lower bound is subtracted", 50, 150, 100, 200, 50, 100},
        {"position below the range", 50, 150, 10, 200, 0, 0},
        {"position above the range", 0, 10, 20, 200, 100, 200},
        {"empty range", 7, 7, 7, 200, 0, 0},
        {"inverted range", 10, 0, 5, 200, 0, 0},
        {"extreme bounds do not overflow", -2147483647 - 1, 2147483647, 0, 1000, 50, 500},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CMyProgressCtrl::Percent(c.lower, c.upper, c.pos), c.percent) << c.what;
        EXPECT_EQ(CMyProgressCtrl::BarWidth(c.lower, c.upper, c.pos, c.width), c.bar) << c.what;
    }
}

TEST(MyProgressCtrl, MessagesSetRangeAndPositionAndKeepThePositionInRange)
{
    CMyProgressCtrl bar;
    bar.WindowProc(PBM_SETRANGE, 0, static_cast<LPARAM>(40) << 16);  // 0 .. 40, as the pages send it
    int lo = -1, hi = -1;
    bar.GetRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 40);
    EXPECT_EQ(bar.WindowProc(PBM_SETPOS, 10, 0), 0);  // answers the previous position
    EXPECT_EQ(bar.WindowProc(PBM_GETPOS, 0, 0), 10);
    EXPECT_EQ(bar.PaintedText(), QStringLiteral("25%"));
    bar.WindowProc(PBM_SETPOS, 99, 0);
    EXPECT_EQ(bar.GetPos(), 40);
    bar.WindowProc(PBM_SETRANGE32, static_cast<WPARAM>(100), 200);
    EXPECT_EQ(bar.GetPos(), 100);
    EXPECT_EQ(bar.WindowProc(PBM_GETRANGE, 1, 0), 100);
    EXPECT_EQ(bar.WindowProc(PBM_GETRANGE, 0, 0), 200);
}

TEST(MyProgressCtrl, CaptionStyleDrawsTheWindowTextBeforeThePercentage)
{
    CMyProgressCtrl plain;
    plain.SetWindowText(QStringLiteral("参数读取中，请稍后..."));
    EXPECT_EQ(plain.PaintedText(), QStringLiteral("0%"));

    CMyProgressCtrl caption(nullptr, true);
    caption.SetRange(0, 4);
    caption.SetPos(1);
    EXPECT_EQ(caption.PaintedText(), QStringLiteral("25%"));
    caption.SetWindowText(QStringLiteral("参数读取中，请稍后..."));
    EXPECT_EQ(caption.PaintedText(), QStringLiteral("参数读取中，请稍后... 25%"));
    EXPECT_EQ(caption.GetWindowText(), QStringLiteral("参数读取中，请稍后..."));
}

TEST(MyProgressCtrl, PaintsTheBarOverThePartDone)
{
    CMyProgressCtrl bar;
    bar.resize(200, 20);
    bar.SetRange(0, 4);
    bar.SetPos(1);
    const QImage img = bar.grab().toImage();
    const int y = 2;  // above the centred text
    EXPECT_EQ(img.pixelColor(5, y), QColor(128, 128, 255));
    EXPECT_EQ(img.pixelColor(48, y), QColor(128, 128, 255));
    EXPECT_NE(img.pixelColor(52, y), QColor(128, 128, 255));
    EXPECT_NE(img.pixelColor(195, y), QColor(128, 128, 255));
}
