#include "controls/ButtonST.h"

#include "platform/CursorQuery.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>

namespace {

void SendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Press(QWidget *w, QPoint pos = {5, 5})
{
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
}

void Release(QWidget *w, QPoint pos = {5, 5})
{
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

void Move(QWidget *w, Qt::MouseButtons held, QPoint pos = {6, 6})
{
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}

class CountingButton : public CButtonST
{
public:
    using CButtonST::CButtonST;
    int ends = 0;

protected:
    void OnPressEnd() override { ++ends; }
};

// A shown window holding three buttons, the first one focused.
struct Panel
{
    QWidget window;
    CountingButton *a = new CountingButton(&window);
    CountingButton *b = new CountingButton(&window);
    CountingButton *c = new CountingButton(&window);
    Panel()
    {
        auto *l = new QVBoxLayout(&window);
        for (CountingButton *x : {a, b, c}) {
            x->setText("Run");
            x->setFocusPolicy(Qt::StrongFocus);
            l->addWidget(x);
        }
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        a->setFocus();
    }
};

}

TEST(ButtonST, IconPlacementTable)
{
    struct Case
    {
        const char *what;
        int align;
        bool caption;
        bool pressed;
        bool checkBox;
        QRect icon;
        QRect captionRect;
    };
    const QRect item(0, 0, 100, 40);
    const Case cases[] = {
        {"left with caption", 0, true, false, false, {3, 4, 32, 32}, {35, 0, 65, 40}},
        {"left alone", 0, false, false, false, {34, 4, 32, 32}, {0, 0, 100, 40}},
        {"above with caption", 1, true, false, false, {34, 3, 32, 32}, {0, 32, 100, 8}},
        {"above alone", 1, false, false, false, {34, 4, 32, 32}, {0, 0, 100, 40}},
        // 3 pixels from the right edge, the caption left of it.
        {"right with caption", 2, true, false, false, {65, 4, 32, 32}, {3, 0, 62, 40}},
        {"right alone keeps the top", 2, false, false, false, {34, 0, 32, 32}, {0, 0, 100, 40}},
        {"left pressed", 0, true, true, false, {4, 5, 32, 32}, {36, 1, 65, 40}},
        {"right pressed", 2, true, true, false, {66, 5, 32, 32}, {4, 1, 62, 40}},
        {"check box does not move", 0, true, true, true, {3, 4, 32, 32}, {35, 0, 65, 40}},
    };
    for (const Case &c : cases) {
        const auto p = CButtonST::PlaceIcon(item, {32, 32}, c.align, c.caption, c.pressed, c.checkBox);
        EXPECT_EQ(p.icon, c.icon) << c.what;
        EXPECT_EQ(p.caption, c.captionRect) << c.what;
    }
    // Halves truncate.
    EXPECT_EQ(CButtonST::PlaceIcon({0, 0, 101, 41}, {32, 32}, 0, false, false, false).icon,
              QRect(34, 4, 32, 32));
}

TEST(ButtonST, SetIconTakesThePixmapSizesAndANullFirstIconClears)
{
    CButtonST b;
    QPixmap in(32, 32), out(16, 24);
    EXPECT_EQ(b.SetIcon(in, out), 0u);
    EXPECT_EQ(b.m_icons[0].dwWidth, 32);
    EXPECT_EQ(b.m_icons[1].dwHeight, 24);
    EXPECT_EQ(b.SetIcon(QPixmap(), out), 0u);
    EXPECT_TRUE(b.m_icons[0].hIcon.isNull());
    EXPECT_TRUE(b.m_icons[1].hIcon.isNull());
}

TEST(ButtonST, HoverStartsOnlyWithoutADragAndEndsOnLeaveDeactivationAndFocusLoss)
{
    Panel p;
    CButtonST *b = p.a;
    platform::ScopedCursorStub cursor(b->mapToGlobal(QPoint(6, 6)), b);

    Move(b, Qt::LeftButton);
    EXPECT_FALSE(b->m_bHover) << "dragging onto the button";
    Move(b, Qt::NoButton);
    EXPECT_TRUE(b->m_bHover);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_FALSE(b->m_bHover) << "leave";

    Move(b, Qt::NoButton);
    ASSERT_TRUE(b->m_bHover);
    p.window.hide();  // the window goes inactive
    QEvent deact(QEvent::ActivationChange);
    QApplication::sendEvent(b, &deact);
    EXPECT_FALSE(b->m_bHover) << "deactivation";

    p.window.show();
    Move(b, Qt::NoButton);
    ASSERT_TRUE(b->m_bHover);
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(b, &out);
    EXPECT_FALSE(b->m_bHover) << "focus loss";

    // The cursor moved onto another window while the button still saw the move.
    Move(b, Qt::NoButton);
    cursor.Set(QPoint(-100, -100), nullptr);
    Move(b, Qt::NoButton);
    EXPECT_FALSE(b->m_bHover) << "moved off";
}

TEST(ButtonST, DoubleClickGivesTwoClicks)
{
    Panel p;
    QSignalSpy clicks(p.a, &QAbstractButton::clicked);
    Press(p.a);
    Release(p.a);
    SendMouse(p.a, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    Release(p.a);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(p.a->ends, 2);
}

TEST(ButtonST, CheckBoxModeTogglesOnClickAndTakesSetCheck)
{
    Panel p;
    p.b->PreSubclassWindow(BS_AUTOCHECKBOX);
    EXPECT_TRUE(p.b->m_bCheckBoxMode);
    Press(p.b);
    Release(p.b);
    EXPECT_EQ(p.b->GetCheck(), 1);
    EXPECT_TRUE(p.b->hasFocus()) << "a click takes the focus";
    Press(p.b);
    Release(p.b);
    EXPECT_EQ(p.b->GetCheck(), 0);
    p.b->SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(p.b->GetCheck(), 1);
    p.b->SetCheck(BST_UNCHECKED);
    EXPECT_EQ(p.b->GetCheck(), 0);

    CButtonST def;
    def.PreSubclassWindow(BS_DEFPUSHBUTTON);
    EXPECT_TRUE(def.m_bDefaultButton);
    EXPECT_FALSE(def.m_bCheckBoxMode);
    def.SetButtonStyle(BS_PUSHBUTTON);
    EXPECT_FALSE(def.m_bDefaultButton);
}

TEST(ButtonST, EveryEndOfAPressReachesThePressEndOnce)
{
    struct Case
    {
        const char *what;
        std::function<void(Panel &)> end;
    };
    const Case cases[] = {
        {"release on the button", [](Panel &p) { Release(p.a); }},
        {"release far outside", [](Panel &p) { Release(p.a, {-300, -300}); }},
        {"focus loss", [](Panel &p) { p.b->setFocus(); }},
        {"deactivation",
         [](Panel &p) {
             QWidget other;
             other.show();
             other.activateWindow();
             EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
         }},
        {"hide", [](Panel &p) { p.a->hide(); }},
        {"disable", [](Panel &p) { p.a->setEnabled(false); }},
        {"grab loss",
         [](Panel &p) {
             QEvent e(QEvent::UngrabMouse);
             QApplication::sendEvent(p.a, &e);
         }},
    };
    for (const Case &c : cases) {
        Panel p;
        Press(p.a);
        ASSERT_TRUE(p.a->IsPressActive()) << c.what;
        c.end(p);
        EXPECT_EQ(p.a->ends, 1) << c.what;
        EXPECT_FALSE(p.a->IsPressActive()) << c.what;
        // Whatever follows belongs to no press.
        Release(p.a);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(p.a, &out);
        p.a->hide();
        EXPECT_EQ(p.a->ends, 1) << c.what;
    }
}

TEST(ButtonST, DisablingMovesTheFocusOnlyFromItself)
{
    Panel p;
    ASSERT_TRUE(p.a->hasFocus());
    p.b->setEnabled(false);
    EXPECT_TRUE(p.a->hasFocus()) << "typing elsewhere must not jump";
    p.a->setEnabled(false);
    EXPECT_TRUE(p.c->hasFocus()) << "to the next tab stop that can take it";
}

TEST(ButtonST, FaceColourFollowsTheState)
{
    struct Case
    {
        const char *what;
        bool hover, down, checkBox, checked;
        QColor face;
    };
    const QColor in(255, 255, 0), out(10, 20, 30);
    const Case cases[] = {
        {"rest", false, false, false, false, out},
        {"hover", true, false, false, false, in},
        {"pressed", false, true, false, false, in},
        {"checked check box", false, false, true, true, in},
        {"unchecked check box", false, false, true, false, out},
    };
    for (const Case &c : cases) {
        CButtonST b;
        b.resize(60, 30);
        b.m_clrStates[CButtonST::BTNST_COLOR_BK_IN] = platform::RefFromColor(in);
        b.m_clrStates[CButtonST::BTNST_COLOR_BK_OUT] = platform::RefFromColor(out);
        if (c.checkBox) {
            b.PreSubclassWindow(BS_AUTOCHECKBOX);
            b.SetCheck(c.checked ? BST_CHECKED : BST_UNCHECKED);
        }
        b.m_bHover = c.hover;
        b.setDown(c.down);
        QImage img(b.size(), QImage::Format_RGB32);
        b.render(&img);
        EXPECT_EQ(img.pixelColor(30, 5), c.face) << c.what;
        // The flat edge shows exactly when the face is lit.
        const bool edge = img.pixelColor(0, 15) != c.face;
        EXPECT_EQ(edge, c.face == in) << c.what;
    }
}
