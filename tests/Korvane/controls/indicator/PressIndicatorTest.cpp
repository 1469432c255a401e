#include "controls/KVProcessIndicator.h"

#include "platform/ControlId.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Note
{
    UINT msg;
    WPARAM id;
};

// The page holding the indicator: records what it is told.
class Page : public QWidget, public platform::MessageTarget
{
public:
    Page() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == UM_BUTTON_PRESSED || msg == UM_BUTTON_RELEASED) {
            notes.push_back({msg, wParam});
            return 7;
        }
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    std::vector<UINT> Messages() const
    {
        std::vector<UINT> m;
        for (const Note &n : notes)
            m.push_back(n.msg);
        return m;
    }
    std::vector<Note> notes;
};

class PressIndicator : public ::testing::Test
{
protected:
    void SetUp() override
    {
        page.resize(300, 300);
        ind = new CKVProcessIndicator(&page);
        platform::SetCtrlId(ind, 2010);
        ind->setGeometry(10, 10, 100, 100);
        page.show();
    }
    Page page;
    CKVProcessIndicator *ind = nullptr;
    const QPoint inside{50, 50};
    const QPoint outside{150, 50};
    const std::vector<UINT> pressed{UM_BUTTON_PRESSED};
    const std::vector<UINT> both{UM_BUTTON_PRESSED, UM_BUTTON_RELEASED};
};

}

TEST_F(PressIndicator, PressAndReleaseInsideNotifyTheParentWithTheControlId)
{
    QTest::mousePress(ind, Qt::LeftButton, {}, inside);
    EXPECT_EQ(ind->OnMouseUp(1, inside), 7) << "answers the parent's answer";
    EXPECT_EQ(page.Messages(), both);
    for (const Note &n : page.notes)
        EXPECT_EQ(n.id, 2010u);
}

TEST_F(PressIndicator, AnyButtonPresses)
{
    QTest::mousePress(ind, Qt::RightButton, {}, inside);
    EXPECT_EQ(page.Messages(), pressed);
}

TEST_F(PressIndicator, StartStopUseIgnoresAReleaseOutside)
{
    QTest::mousePress(ind, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(ind, Qt::LeftButton, {}, outside);
    EXPECT_EQ(page.Messages(), pressed);
    EXPECT_EQ(ind->OnMouseUp(1, outside), FALSE);
    // Losing the focus or being hidden says nothing either.
    QTest::mousePress(ind, Qt::LeftButton, {}, inside);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(ind, &out);
    ind->hide();
    EXPECT_EQ(page.Messages(), (std::vector<UINT>{UM_BUTTON_PRESSED, UM_BUTTON_PRESSED}));
}

TEST_F(PressIndicator, HoldToRunReleasesOnceWhateverEndsTheHold)
{
    ind->m_bHoldToRun = true;
    struct Case
    {
        const char *what;
        std::function<void(CKVProcessIndicator *)> end;
    } const cases[] = {
        {"release outside", [this](CKVProcessIndicator *w) { QTest::mouseRelease(w, Qt::LeftButton, {}, outside); }},
        {"release inside", [this](CKVProcessIndicator *w) { QTest::mouseRelease(w, Qt::LeftButton, {}, inside); }},
        {"focus lost",
         [](CKVProcessIndicator *w) {
             QFocusEvent out(QEvent::FocusOut);
             QApplication::sendEvent(w, &out);
         }},
        {"hidden", [](CKVProcessIndicator *w) { w->hide(); }},
        {"window deactivated",
         [](CKVProcessIndicator *w) {
             QEvent e(QEvent::ActivationChange);
             QApplication::sendEvent(w, &e);
         }},
        {"mouse grab lost",
         [](CKVProcessIndicator *w) {
             QEvent e(QEvent::UngrabMouse);
             QApplication::sendEvent(w, &e);
         }},
    };
    for (const Case &c : cases) {
        page.notes.clear();
        ind->show();
        QTest::mousePress(ind, Qt::LeftButton, {}, inside);
        c.end(ind);
        // Whatever follows the end of the hold, it was reported once.
        QTest::mouseRelease(ind, Qt::LeftButton, {}, outside);
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(ind, &out);
        EXPECT_EQ(page.Messages(), both) << c.what;
    }

    // Without a press before, nothing is released.
    page.notes.clear();
    ind->show();
    QTest::mouseRelease(ind, Qt::LeftButton, {}, outside);
    ind->hide();
    EXPECT_TRUE(page.notes.empty());
}

TEST(IndicatorImpl, SameLabelTwiceRedrawsOnce)
{
    CKVProcessIndicator ind;
    CKVCircularProgressIndicatorImpl *impl = ind.GetIndicatorImpl();
    ASSERT_EQ(impl, ind.GetIndicatorImpl()) << "made once and kept";
    const int before = impl->RedrawCount();
    ind.SetLabel(QStringLiteral("正转"));
    ind.SetLabel(QStringLiteral("正转"));
    EXPECT_EQ(impl->RedrawCount(), before + 1);
    EXPECT_EQ(impl->SubGauges()[1].text, QStringLiteral("正转"));
}

TEST(IndicatorImpl, TextsAreLaidOutInACentredSquare)
{
    CKVCircularProgressIndicatorImpl impl;
    impl.Scales() = {8.0};                       // inset 10 on every side
    impl.SetFrameRect(QRectF(0, 0, 320, 140));   // wide: the square is as high as the frame
    const auto &g = impl.SubGauges();

    // A label alone: centred in the whole square at 0.3 of its height.
    impl.SetLabel(QStringLiteral("开始"));
    impl.ReposAllSubGauges();
    EXPECT_FALSE(g[0].visible);
    ASSERT_TRUE(g[1].visible);
    EXPECT_EQ(g[1].rect, QRectF(100, 10, 120, 120));
    EXPECT_DOUBLE_EQ(g[1].fontSize, 36.0);
    EXPECT_EQ(g[1].vAlign, 2);

    // With a centre text: it takes the upper two thirds, the label the lower third.
    impl.SetCenterText(QStringLiteral("50%"));
    impl.ReposAllSubGauges();
    ASSERT_TRUE(g[0].visible);
    EXPECT_EQ(g[0].rect, QRectF(100, 10, 120, 80));
    EXPECT_DOUBLE_EQ(g[0].fontSize, 32.0);
    EXPECT_EQ(g[1].rect, QRectF(130, 90, 60, 40));
    EXPECT_DOUBLE_EQ(g[1].fontSize, 12.0);
    EXPECT_EQ(g[1].vAlign, 0);

    // An empty label hides sub-gauge 1; the centre text keeps the whole square.
    impl.SetLabel(QString());
    impl.ReposAllSubGauges();
    EXPECT_FALSE(g[1].visible);
    EXPECT_EQ(g[0].rect, QRectF(100, 10, 120, 120));

    // The options can hide the centre text or every text.
    CircularProgressIndicatorOptions o = impl.GetOptions();
    o.m_bHideCenterText = 1;
    impl.SetOptions(o);
    impl.SetLabel(QStringLiteral("开始"));
    impl.ReposAllSubGauges();
    EXPECT_FALSE(g[0].visible);
    EXPECT_EQ(g[1].vAlign, 2);
    o.m_bHideTexts = 1;
    impl.SetOptions(o);
    impl.ReposAllSubGauges();
    EXPECT_FALSE(g[1].visible);
}

TEST(IndicatorImpl, MarqueeRunsUntilStopped)
{
    CKVProcessIndicator ind;
    ind.resize(120, 120);
    CKVCircularProgressIndicatorImpl *impl = ind.GetIndicatorImpl();
    EXPECT_FALSE(impl->IsMarqueeRunning());
    impl->StartMarquee(TRUE, 0.0);
    EXPECT_TRUE(impl->IsMarqueeRunning());
    const QImage a = ind.grab().toImage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ind.grab().toImage() != a; }, 10000)) << "the marquee turns";
    impl->StartMarquee(FALSE, 0.0);
    EXPECT_FALSE(impl->IsMarqueeRunning());
}
