#include "controls/InfoTip.h"

#include "platform/CursorQuery.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

void Relay(CInfoTip &tip, QEvent::Type type = QEvent::MouseMove,
           Qt::MouseButton button = Qt::NoButton)
{
    if (type == QEvent::MouseMove || type == QEvent::MouseButtonPress) {
        QMouseEvent e(type, QPointF(1, 1), QPointF(1, 1), button, button, Qt::NoModifier);
        tip.RelayEvent(&e);
    } else {
        QEvent e(type);
        tip.RelayEvent(&e);
    }
}

// An owner with two tools and a plain widget beside them; the cursor is stubbed.
struct TipFixture : public ::testing::Test
{
    QWidget owner;
    QWidget *toolA = new QWidget(&owner);
    QWidget *toolB = new QWidget(&owner);
    QWidget *plain = new QWidget(&owner);
    CInfoTip tip;
    QFont font{"Sans", 10};
    platform::ScopedCursorStub cursor{QPoint(500, 400), nullptr};

    TipFixture()
    {
        tip.Create(&owner);
        tip.m_pFont = &font;
        tip.AddTool(toolA, "Tool A");
        tip.AddTool(toolB, "Tool B\nsecond line", QPixmap(16, 16));
    }
    void Over(QWidget *w, QPoint at = QPoint(500, 400))
    {
        cursor.Set(at, w);
        Relay(tip);
    }
};

}

TEST(InfoTipShape, BalloonSizeFollowsLinesAndIcon)
{
    const QFont font("Sans", 10);
    const QFontMetrics fm(font);
    const int line = fm.boundingRect(QRect(), Qt::AlignLeft, "Ag").height();
    struct Case
    {
        const char *what;
        QString text;
        QSize icon;
        int lines;
        int iconExtra;  // width added by the icon
        int minHeight;  // the icon's height when it is taller
    };
    const Case cases[] = {
        {"one line", "Ag", {}, 1, 0, 0},
        {"three lines", "Ag\nAg\nAg", {}, 3, 0, 0},
        {"a long line stays one line", QString(200, 'x'), {}, 1, 0, 0},
        {"small icon", "Ag", {16, 16}, 1, 21, 0},
        {"tall icon", "Ag", {32, 80}, 1, 37, 80},
    };
    for (const Case &c : cases) {
        const auto b = CInfoTip::BuildBalloonRegion(font, c.text, c.icon);
        const QRect text = fm.boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, c.text);
        EXPECT_EQ(b.W, text.width() + 24 + c.iconExtra) << c.what;
        EXPECT_GE(text.height(), c.lines * line - 1) << c.what;
        EXPECT_LT(text.height(), (c.lines + 1) * line) << c.what;
        EXPECT_EQ(b.H, std::max(text.height() + 20, c.minHeight)) << c.what;
        EXPECT_EQ(b.window, QSize(b.W, b.H + 25)) << c.what;
        // The box with rounded corners, and the pointer hanging near its right end.
        EXPECT_TRUE(b.region.contains(QPoint(b.W / 2, b.H / 2))) << c.what;
        EXPECT_FALSE(b.region.contains(QPoint(0, 0))) << c.what << ": rounded corner";
        EXPECT_TRUE(b.region.contains(QPoint(b.W - 14, b.H + 10))) << c.what << ": pointer";
        EXPECT_FALSE(b.region.contains(QPoint(b.W - 5, b.H + 10))) << c.what << ": right of it";
        EXPECT_FALSE(b.region.contains(QPoint(b.W - 40, b.H + 5))) << c.what << ": left of it";
    }
}

TEST_F(TipFixture, ShowsAfterRestingWithThePointerOnTheCursor)
{
    Over(toolA);
    EXPECT_TRUE(tip.IsTimerRunning(CInfoTip::kShowTimer));
    EXPECT_FALSE(tip.isVisible());
    // Moves within the tool neither reschedule nor show early.
    Over(toolA, QPoint(505, 402));
    QTest::qWait(100);
    EXPECT_FALSE(tip.isVisible());
    cursor.Set(QPoint(510, 410), toolA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tip.isVisible(); }, 10000));
    EXPECT_EQ(tip.m_strText, "Tool A");
    const auto b = CInfoTip::BuildBalloonRegion(font, "Tool A", QSize());
    EXPECT_EQ(tip.size(), b.window);
    // The pointer's point is on the cursor read when the timer fired.
    EXPECT_EQ(tip.pos() + QPoint(b.W - 12, b.H + 15), QPoint(510, 410));
    EXPECT_FALSE(tip.IsTimerRunning(CInfoTip::kShowTimer));
    EXPECT_TRUE(tip.IsTimerRunning(CInfoTip::kCheckTimer));

    // The balloon itself under the cursor (its pointer sits there) is not another window.
    Over(&tip, QPoint(510, 410));
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.m_pCurrentTool.data(), toolA);

    // A press hides it.
    Relay(tip, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_FALSE(tip.isVisible());
    EXPECT_EQ(tip.m_pCurrentTool.data(), nullptr);
}

TEST_F(TipFixture, NeverShowsWithoutToolsOrWhenTheCursorRestsTooShortly)
{
    CInfoTip empty;
    empty.Create(&owner);
    cursor.Set(QPoint(500, 400), plain);
    Relay(empty);
    Relay(empty, QEvent::Enter);
    EXPECT_FALSE(empty.IsTimerRunning(CInfoTip::kShowTimer));

    // Off the tool before the delay is over (no event is handled in between): the tip stays
    // hidden past the delay.
    tip.m_nShowDelay = 60;
    Over(toolA);
    EXPECT_TRUE(tip.IsTimerRunning(CInfoTip::kShowTimer));
    Over(plain);
    EXPECT_FALSE(tip.IsTimerRunning(CInfoTip::kShowTimer));
    QTest::qWait(150);
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(empty.isVisible());

    // Off our windows altogether.
    Over(toolA);
    Over(nullptr);
    EXPECT_FALSE(tip.IsTimerRunning(CInfoTip::kShowTimer));
}

TEST_F(TipFixture, AnotherToolTakesOverWithItsOwnTextAndIcon)
{
    Over(toolA);
    Over(toolB);
    EXPECT_EQ(tip.m_pCurrentTool.data(), toolB);
    EXPECT_EQ(tip.m_strText, "Tool B\nsecond line");
    EXPECT_EQ(tip.m_sizeIcon, QSize(16, 16));
    Over(toolA);
    EXPECT_EQ(tip.m_sizeIcon, QSize(0, 0));
}

TEST_F(TipFixture, ADestroyedToolDropsOut)
{
    QPointer<QWidget> gone(toolA);
    delete toolA;
    // Whatever widget comes next, possibly at the same address, is no tool.
    auto *newcomer = new QWidget(&owner);
    Over(newcomer);
    EXPECT_FALSE(tip.IsTimerRunning(CInfoTip::kShowTimer));
    EXPECT_EQ(tip.m_pCurrentTool.data(), nullptr);
}

TEST_F(TipFixture, TheCheckTimerHidesTheTipOnceTheCursorIsElsewhere)
{
    EXPECT_EQ(tip.m_nCheckPeriod, 1000) << "once a second in the program";
    tip.m_nShowDelay = 20;
    tip.m_nCheckPeriod = 50;
    Over(toolA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tip.isVisible(); }, 10000));
    EXPECT_TRUE(tip.IsTimerRunning(CInfoTip::kCheckTimer));
    // The owner saw no move (another window took the mouse): the next check finds it.
    cursor.Set(QPoint(900, 900), plain);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tip.isVisible(); }, 10000));
    EXPECT_EQ(tip.m_pCurrentTool.data(), nullptr);
}

TEST_F(TipFixture, AsAnEventFilterItSeesTheOwnersMouseEvents)
{
    owner.installEventFilter(&tip);
    cursor.Set(QPoint(500, 400), toolA);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&owner, &enter);
    EXPECT_EQ(tip.m_pCurrentTool.data(), toolA);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&owner, &press);
    EXPECT_EQ(tip.m_pCurrentTool.data(), nullptr);
}
