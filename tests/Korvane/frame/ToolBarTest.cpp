// The toolbar that is also the title bar: the right-aligned status pair and its hiding rule,
// the display's value text, the caption glyphs and commands.
#include "MyToolBar.h"
#include "controls/MyNumericIndicatorCtrl.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(StatusPairLayout, RightAlignedAndHiddenWhenTooNarrow)
{
    // Five buttons of 50 px laid out from 0, the last two the label and the display.
    const struct
    {
        const char *name;
        int clientRight;
        std::vector<bool> visible;
        int displayLeft;
        int labelLeft;
    } cases[] = {
        // 90 + 70 wide pair from the right edge; the label starts right of button 2's end.
        {"roomy", 400, {true, true, true, true, true}, 310, 240},
        // The label's left edge meets button 2's right edge (150): both hidden.
        {"pair meets", 310, {true, true, true, false, false}, 220, 150},
        // Narrower still: the buttons reaching the right edge go too, from the right.
        {"narrow", 120, {true, true, false, false, false}, 30, -40},
        {"very narrow", 40, {false, false, false, false, false}, -50, -120},
    };
    for (const auto &c : cases) {
        std::vector<QRect> rects;
        for (int i = 0; i < 5; ++i)
            rects.emplace_back(i * 50, 0, 50, 60);
        std::vector<bool> visible(5, true);
        LayoutStatusPair(rects, visible, c.clientRight);
        EXPECT_EQ(visible, c.visible) << c.name;
        EXPECT_EQ(rects[4].left(), c.displayLeft) << c.name;
        EXPECT_EQ(rects[4].width(), 90) << c.name;
        EXPECT_EQ(rects[3].left(), c.labelLeft) << c.name;
        EXPECT_EQ(rects[3].width(), 70) << c.name;
        EXPECT_EQ(rects[4].top(), 0) << c.name;
        EXPECT_EQ(rects[4].height(), 60) << c.name;
    }
}

// Records what the toolbar posts to its window.
class Receiver : public QWidget, public platform::MessageTarget
{
public:
    Receiver() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        got.emplace_back(msg, wParam);
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    std::vector<std::pair<UINT, WPARAM>> got;
};

struct Bar
{
    Receiver frame;
    CMyToolBar *bar = new CMyToolBar(&frame);
    CMyToolBarNumericButton *numeric = nullptr;

    explicit Bar(int width)
    {
        bar->m_target = platform::WindowRef(&frame);
        bar->InsertButton(std::make_unique<CToolbarImage>(1234, 353));
        auto command = std::make_unique<CMyToolBarButton>(32946, 1, QStringLiteral("保存"));
        command->m_bText = true;
        bar->InsertButton(std::move(command));
        bar->InsertButton(std::make_unique<CToolbarLabel>(32944, QStringLiteral("KV2   ")));
        auto display = std::make_unique<CMyToolBarNumericButton>(32936, 4, QStringLiteral("Er00.00"));
        numeric = display.get();
        bar->InsertButton(std::move(display));
        bar->setGeometry(0, 0, width, bar->height());
        frame.resize(width, 200);
        frame.show();
        bar->AdjustLocations();
    }
};

TEST(ToolBar, DisplayFollowsItsButtonAndHidesWithThePair)
{
    Bar wide(1200);
    ASSERT_NE(wide.numeric->m_pIndicator, nullptr);
    EXPECT_TRUE(wide.numeric->m_pIndicator->isVisible());
    EXPECT_EQ(wide.numeric->m_rect.right(), 1199);
    EXPECT_TRUE(wide.numeric->m_rect.contains(wide.numeric->m_pIndicator->geometry()));
    EXPECT_EQ(wide.numeric->m_pIndicator->GetImpl()->m_nCells, 7);
    EXPECT_EQ(wide.numeric->m_pIndicator->GetImpl()->m_arrChars.join(QString()), QStringLiteral("Er00.00"));

    wide.bar->resize(300, wide.bar->height());
    wide.bar->AdjustLocations();
    EXPECT_FALSE(wide.bar->GetButton(3)->m_bVisible);
    EXPECT_FALSE(wide.bar->GetButton(2)->m_bVisible);
    EXPECT_FALSE(wide.numeric->m_pIndicator->isVisible());
    // Widening again brings them back.
    wide.bar->resize(1200, wide.bar->height());
    wide.bar->AdjustLocations();
    EXPECT_TRUE(wide.numeric->m_pIndicator->isVisible());
}

TEST(ToolBar, ValueTextReachesTheDisplayEveryTime)
{
    Bar b(1200);
    b.numeric->SetValueText(QStringLiteral("88888"));
    EXPECT_EQ(b.numeric->m_strText, QStringLiteral("88888"));
    EXPECT_EQ(b.numeric->m_pIndicator->GetImpl()->m_arrChars.size(), 5);
    b.numeric->m_pIndicator->GetImpl()->m_arrChars.clear();
    b.numeric->SetValueText(QStringLiteral("88888"));  // unchanged text still goes through
    EXPECT_EQ(b.numeric->m_pIndicator->GetImpl()->m_arrChars.size(), 5);
}

TEST(ToolBar, GlyphsPostSystemCommandsAndButtonsTheirCommand)
{
    Bar b(1200);
    QTest::mouseClick(b.bar, Qt::LeftButton, {}, b.bar->GlyphRect(2).center());
    QTest::mouseClick(b.bar, Qt::LeftButton, {}, b.bar->GlyphRect(1).center());
    QTest::mouseClick(b.bar, Qt::LeftButton, {}, b.bar->GlyphRect(0).center());
    QTest::mouseClick(b.bar, Qt::LeftButton, {}, b.bar->GetButton(1)->m_rect.center());
    QApplication::processEvents();
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_SYSCOMMAND, SC_CLOSE}, {WM_SYSCOMMAND, SC_MAXIMIZE}, {WM_SYSCOMMAND, SC_MINIMIZE}, {WM_COMMAND, 32946}};
    EXPECT_EQ(b.frame.got, expected);
}

TEST(ToolBar, DoubleClickOnTheLogoOrEmptySpaceTogglesMaximised)
{
    Bar b(1200);
    const QPoint logo = b.bar->GetButton(0)->m_rect.center();
    const QPoint empty(b.bar->GetButton(1)->m_rect.right() + 20, 30);
    ASSERT_EQ(b.bar->HitTest(empty), -1);
    for (const QPoint &p : {logo, empty}) {
        const bool before = b.frame.isMaximized();
        QTest::mouseDClick(b.bar, Qt::LeftButton, {}, p);
        QApplication::processEvents();
        EXPECT_NE(b.frame.isMaximized(), before);
    }
    // On a command button a double-click is no caption action.
    const bool before = b.frame.isMaximized();
    QTest::mouseDClick(b.bar, Qt::LeftButton, {}, b.bar->GetButton(1)->m_rect.center());
    EXPECT_EQ(b.frame.isMaximized(), before);
}

TEST(ToolBar, MissingPictureMakesAPlainButton)
{
    QImage image;
    EXPECT_FALSE(LoadResourceImage(99999, "PNG", &image));
    EXPECT_TRUE(LoadResourceImage(353, "PNG", &image));
    EXPECT_EQ(image.size(), QSize(164, 53));
    CToolbarImage missing(1, 99999);
    EXPECT_EQ(missing.m_pImage, nullptr);
}

}
