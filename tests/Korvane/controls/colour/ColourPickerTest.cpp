#include "controls/ColourPicker.h"
#include "controls/ColourPopup.h"

#include "LangText.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Msg
{
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// The page that holds the pickers: records what reaches it.
class Page : public QWidget, public platform::MessageTarget
{
public:
    Page() : platform::MessageTarget(this) { resize(300, 200); }
    std::vector<Msg> got;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        got.push_back({msg, w, l});
        return 0;
    }
};

QString LangFile(const char *name)
{
    return QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/") + name;
}

// A shown page with a picker whose palette opens on a click.
class PickerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetLangText().m_strLangFile = LangFile("english_US.ini");
        picker = new CColourPicker(&page);
        picker->move(10, 10);
        picker->resize(60, 20);
        picker->AdjustButtonSize();
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    void TearDown() override
    {
        Flush();
        GetLangText() = CLangText();
    }

    CColourPopup *Open(CColourPicker *p = nullptr)
    {
        QTest::mouseClick(p ? p : picker, Qt::LeftButton);
        return qobject_cast<CColourPopup *>(QApplication::activePopupWidget());
    }
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static void Mouse(QWidget *w, QEvent::Type type, QPoint pos)
    {
        QMouseEvent e(type, pos, w->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    int DoneCount() const
    {
        int n = 0;
        for (const Msg &m : page.got)
            n += m.msg == UM_COLOR_DONE && m.wParam == 0 && m.lParam == 0;
        return static_cast<int>(page.got.size()) == n ? n : -1;  // nothing else may arrive
    }

    Page page;
    CColourPicker *picker = nullptr;
};

}

TEST(ColourPopup, PaletteHoldsTheFortyColoursInTableOrder)
{
    const int rgb[40][3] = {
        {0, 0, 0},       {165, 42, 0},    {0, 64, 64},     {0, 85, 0},      {0, 0, 94},
        {0, 0, 139},     {75, 0, 130},    {40, 40, 40},    {139, 0, 0},     {255, 104, 32},
        {139, 139, 0},   {0, 147, 0},     {56, 142, 142},  {0, 0, 255},     {123, 123, 192},
        {102, 102, 102}, {255, 0, 0},     {255, 173, 91},  {50, 205, 50},   {60, 179, 113},
        {127, 255, 212}, {125, 158, 192}, {128, 0, 128},   {127, 127, 127}, {255, 192, 203},
        {255, 215, 0},   {255, 255, 0},   {0, 255, 0},     {64, 224, 208},  {192, 255, 255},
        {72, 0, 72},     {192, 192, 192}, {255, 228, 225}, {210, 180, 140}, {255, 255, 224},
        {152, 251, 152}, {175, 238, 238}, {104, 131, 139}, {230, 230, 250}, {255, 255, 255},
    };
    const ColourTableEntry *table = CColourPopup::ColourTable();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(table[i].crColour, RGB(rgb[i][0], rgb[i][1], rgb[i][2])) << "entry " << i + 1;
        EXPECT_EQ(table[i].nNameId, i + 1);
    }
}

TEST(ColourPopup, ArrowKeysWrapAsTheTableSays)
{
    struct Case
    {
        const char *what;
        int key;
        int row, col;
        bool custom;
        int toRow, toCol;
    };
    const Case cases[] = {
        {"down from nothing", Qt::Key_Down, -1, -1, true, 0, 0},
        {"up from nothing", Qt::Key_Up, -1, -1, true, 4, 0},
        {"right from nothing", Qt::Key_Right, -1, -1, true, 0, 0},
        {"left from nothing", Qt::Key_Left, -1, -1, true, 4, 7},
        {"down from custom", Qt::Key_Down, -2, -2, true, 0, 0},
        {"up from custom", Qt::Key_Up, -2, -2, true, 4, 0},
        {"right from custom", Qt::Key_Right, -2, -2, true, 0, 0},
        {"left from custom", Qt::Key_Left, -2, -2, true, 4, 7},
        {"down inside", Qt::Key_Down, 1, 3, true, 2, 3},
        {"up inside", Qt::Key_Up, 2, 3, true, 1, 3},
        {"right inside", Qt::Key_Right, 2, 3, true, 2, 4},
        {"left inside", Qt::Key_Left, 2, 3, true, 2, 2},
        {"down from last row", Qt::Key_Down, 4, 5, true, -2, -2},
        {"up from row 0", Qt::Key_Up, 0, 5, true, -2, -2},
        {"right from last column", Qt::Key_Right, 3, 7, true, 3, 0},
        {"left from column 0", Qt::Key_Left, 3, 0, true, 3, 7},
        // Without the button there is nothing to land on below or above: wrap in the column.
        {"down from last row, no button", Qt::Key_Down, 4, 5, false, 0, 5},
        {"up from row 0, no button", Qt::Key_Up, 0, 5, false, 4, 5},
        {"other key", Qt::Key_A, 2, 2, true, 2, 2},
    };
    for (const Case &c : cases) {
        int r = c.row, k = c.col;
        CColourPopup::NextHover(c.key, r, k, 5, 8, c.custom);
        EXPECT_EQ(r, c.toRow) << c.what;
        EXPECT_EQ(k, c.toCol) << c.what;
    }
}

TEST(ColourPopup, ScreenClampKeepsThePaletteOnThePickersScreen)
{
    struct Case
    {
        const char *what;
        QRect screen;
        QPoint at;
        QPoint expected;
    };
    const QSize size(148, 120);
    const Case cases[] = {
        {"fits", {0, 0, 1000, 800}, {100, 100}, {100, 100}},
        {"past the right edge", {0, 0, 1000, 800}, {900, 100}, {852, 100}},
        {"past the left edge", {0, 0, 1000, 800}, {-30, 100}, {0, 100}},
        {"past the bottom: above the owner", {0, 0, 1000, 800}, {100, 750}, {100, 610}},
        {"corner", {0, 0, 1000, 800}, {950, 700}, {852, 560}},
        {"second screen, left edge", {1000, 0, 800, 600}, {990, 50}, {1000, 50}},
        {"second screen, right edge", {1000, 0, 800, 600}, {1700, 50}, {1652, 50}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CColourPopup::ClampToScreen(QRect(c.at, size), c.screen, 20).topLeft(), c.expected)
            << c.what;
}

TEST_F(PickerFixture, CellsAndHitTestAgreeWithAndWithoutCustomButton)
{
    for (const bool custom : {true, false}) {
        SCOPED_TRACE(custom ? "with custom button" : "without");
        const QString text = "More Colors...";
        auto *popup = new CColourPopup(RGB(1, 2, 3), picker, custom ? &text : nullptr, 100, 100);
        const int top = custom ? 2 + popup->m_rcCustomButton.height() + 2 : 2;
        EXPECT_EQ(popup->GetCellRect(0, 0), QRect(2, top, 18, 18));
        EXPECT_EQ(popup->GetCellRect(4, 7), QRect(2 + 7 * 18, top + 4 * 18, 18, 18));
        EXPECT_TRUE(popup->GetCellRect(5, 0).isNull());
        EXPECT_TRUE(popup->GetCellRect(0, 8).isNull());
        EXPECT_TRUE(popup->GetCellRect(-1, 0).isNull());
        EXPECT_EQ(popup->height(), 5 * 18 + 4 + (custom ? popup->m_rcCustomButton.height() + 2 : 0));
        EXPECT_GE(popup->width(), 8 * 18 + 4);
        for (int r = 0; r < 5; ++r) {
            for (int k = 0; k < 8; ++k) {
                const QRect cell = popup->GetCellRect(r, k);
                for (const QPoint p : {cell.topLeft(), cell.bottomRight(), cell.center()}) {
                    int hr = -1, hk = -1;
                    ASSERT_TRUE(popup->HitTest(p, hr, hk));
                    EXPECT_EQ(hr, r);
                    EXPECT_EQ(hk, k);
                }
            }
        }
        int hr = -1, hk = -1;
        EXPECT_FALSE(popup->HitTest(QPoint(0, 0), hr, hk)) << "the border";
        EXPECT_FALSE(popup->HitTest(QPoint(1, top + 5), hr, hk)) << "left margin";
        EXPECT_FALSE(popup->HitTest(QPoint(popup->width() - 1, top + 5), hr, hk)) << "right margin";
        if (custom) {
            EXPECT_TRUE(popup->HitTest(popup->m_rcCustomButton.center(), hr, hk));
            EXPECT_EQ(hr, -2);
            EXPECT_EQ(hk, -2);
            EXPECT_EQ(popup->m_rcCustomButton.left(), 2);
            EXPECT_EQ(popup->m_rcCustomButton.top(), 2);
        }
        popup->close();
        Flush();
    }
}

TEST_F(PickerFixture, MarksTheCellOfTheColourAtOpening)
{
    struct Case
    {
        COLORREF colour;
        int row, col;
    };
    const Case cases[] = {{RGB(255, 255, 0), 3, 2}, {RGB(0, 0, 0), 0, 0},
                          {RGB(255, 255, 255), 4, 7}, {RGB(1, 2, 3), -2, -2}};
    for (const Case &c : cases) {
        auto *popup = new CColourPopup(c.colour, picker, nullptr, 0, 0);
        EXPECT_EQ(popup->m_nMarkedRow, c.row);
        EXPECT_EQ(popup->m_nMarkedCol, c.col);
        popup->close();
        Flush();
    }
}

TEST_F(PickerFixture, AcceptAfterHoverSetsTheHoveredColourAndTellsTheParentOnce)
{
    picker->SetColour(RGB(1, 2, 3));
    CColourPopup *popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(picker->m_bPopupOpen);
    EXPECT_EQ(popup->m_crInitial, RGB(1, 2, 3));
    // Opens just below the picker, left-aligned.
    EXPECT_EQ(popup->geometry().topLeft(), picker->mapToGlobal(QPoint(0, picker->height())));
    QPointer<CColourPopup> alive(popup);
    Mouse(popup, QEvent::MouseMove, popup->GetCellRect(1, 2).center());
    EXPECT_EQ(picker->GetColour(), RGB(1, 2, 3)) << "no tracking unless asked";
    // A release inside the popup but on no cell takes the colour last hovered.
    Mouse(popup, QEvent::MouseButtonRelease, QPoint(1, 1));
    EXPECT_EQ(picker->GetColour(), RGB(139, 139, 0));
    EXPECT_FALSE(picker->m_bPopupOpen);
    EXPECT_EQ(DoneCount(), 1);
    Flush();
    EXPECT_TRUE(alive.isNull()) << "the popup deletes itself";
}

TEST_F(PickerFixture, TrackHoverFollowsTheHoveredCellAndTheCustomButtonShowsTheInitialColour)
{
    picker->m_bTrackHover = TRUE;
    picker->SetColour(RGB(1, 2, 3));
    CColourPopup *popup = Open();
    ASSERT_NE(popup, nullptr);
    Mouse(popup, QEvent::MouseMove, popup->GetCellRect(0, 1).center());
    EXPECT_EQ(picker->GetColour(), RGB(165, 42, 0));
    Mouse(popup, QEvent::MouseMove, popup->m_rcCustomButton.center());
    EXPECT_EQ(picker->GetColour(), RGB(1, 2, 3));
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_EQ(picker->GetColour(), RGB(1, 2, 3));
    EXPECT_TRUE(page.got.empty());
}

TEST_F(PickerFixture, EveryWayOutButAcceptIsOneSilentCancel)
{
    struct Case
    {
        const char *what;
        void (*end)(CColourPopup *);
    };
    const Case cases[] = {
        {"Escape", [](CColourPopup *p) { QTest::keyClick(p, Qt::Key_Escape); }},
        {"click outside",
         [](CColourPopup *p) { Mouse(p, QEvent::MouseButtonRelease, QPoint(-20, p->height() + 30)); }},
        {"closed by the system", [](CColourPopup *p) { p->close(); }},
    };
    for (const Case &c : cases) {
        page.got.clear();
        picker->SetColour(RGB(40, 40, 40));
        CColourPopup *popup = Open();
        ASSERT_NE(popup, nullptr) << c.what;
        Mouse(popup, QEvent::MouseMove, popup->GetCellRect(2, 2).center());
        c.end(popup);
        Flush();
        EXPECT_EQ(picker->GetColour(), RGB(40, 40, 40)) << c.what;
        EXPECT_FALSE(picker->m_bPopupOpen) << c.what;
        EXPECT_TRUE(page.got.empty()) << c.what;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << c.what;
    }
}

TEST_F(PickerFixture, KeyboardChoiceAccepts)
{
    CColourPopup *popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Left);  // (last row, last column): white
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(picker->GetColour(), RGB(255, 255, 255));
    EXPECT_EQ(DoneCount(), 1);
}

TEST_F(PickerFixture, CustomButtonAsksForAColourAndACancelledDialogAcceptsTheInitialOne)
{
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scoped(ui);
    picker->SetColour(RGB(10, 20, 30));

    CColourPopup *popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->m_strCustomText, "More Colors...");
    Mouse(popup, QEvent::MouseMove, popup->GetCellRect(0, 3).center());
    Mouse(popup, QEvent::MouseMove, popup->m_rcCustomButton.center());
    Mouse(popup, QEvent::MouseButtonRelease, popup->m_rcCustomButton.center());
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].kind, platform::ScriptedUiServices::Kind::ChooseColour);
    EXPECT_EQ(ui->Calls()[0].colour, RGB(10, 20, 30));
    EXPECT_EQ(picker->GetColour(), RGB(10, 20, 30));
    EXPECT_EQ(DoneCount(), 1) << "still an accept";

    ui->PushColour(RGB(7, 8, 9));
    popup = Open();
    ASSERT_NE(popup, nullptr);
    Mouse(popup, QEvent::MouseMove, popup->m_rcCustomButton.center());
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(picker->GetColour(), RGB(7, 8, 9));
    EXPECT_EQ(DoneCount(), 2);
}

TEST_F(PickerFixture, ColourTargetOneColoursTheCaption)
{
    picker->m_nColourTarget = 1;
    const COLORREF back = picker->m_crBack;
    CColourPopup *popup = Open();
    ASSERT_NE(popup, nullptr);
    Mouse(popup, QEvent::MouseMove, popup->GetCellRect(2, 0).center());
    Mouse(popup, QEvent::MouseButtonRelease, popup->GetCellRect(2, 0).center());
    EXPECT_EQ(picker->m_crText, RGB(255, 0, 0));
    EXPECT_EQ(picker->m_crBack, back);
}

TEST_F(PickerFixture, CellTipsAreInTheLanguageChosenWhenThePaletteOpens)
{
    struct Case
    {
        const char *file;
        const char *black;
    };
    const Case cases[] = {{"english_US.ini", "Black"}, {"chinese_S.ini", "黑色"}};
    for (const Case &c : cases) {
        GetLangText().m_strLangFile = LangFile(c.file);
        CColourPopup *popup = Open();
        ASSERT_NE(popup, nullptr);
        const QPoint at = popup->GetCellRect(0, 0).center();
        QHelpEvent help(QEvent::ToolTip, at, popup->mapToGlobal(at));
        QApplication::sendEvent(popup, &help);
        EXPECT_EQ(QToolTip::text(), QString::fromUtf8(c.black)) << c.file;
        QToolTip::hideText();
        QTest::keyClick(popup, Qt::Key_Escape);
        Flush();
    }
}

TEST_F(PickerFixture, ASwitchedOffPickerOpensNothingWhileOthersStillOpen)
{
    auto *other = new CColourPicker(&page);
    other->move(10, 60);
    other->show();
    const int arrowWidth = picker->m_rcArrow.width();
    EXPECT_EQ(arrowWidth, 16);
    EXPECT_EQ(picker->m_rcArrow.right() + 1, picker->width() - 2);

    picker->SetPopupEnabled(FALSE);
    EXPECT_EQ(picker->m_rcArrow.width(), 0) << "empty arrow box";
    EXPECT_EQ(Open(), nullptr);
    EXPECT_FALSE(picker->m_bPopupOpen);
    picker->SetColour(RGB(0, 0, 255));
    EXPECT_EQ(picker->GetColour(), RGB(0, 0, 255)) << "still shows and takes its colour";

    CColourPopup *popup = Open(other);
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST(ColourPicker, SizesItselfForSwatchAndArrow)
{
    CColourPicker narrow;
    narrow.resize(10, 50);
    narrow.AdjustButtonSize();
    EXPECT_EQ(narrow.size(), QSize(36, 20));
    CColourPicker wide;
    wide.resize(80, 50);
    wide.AdjustButtonSize();
    EXPECT_EQ(wide.size(), QSize(80, 20));
    EXPECT_EQ(wide.m_rcArrow, QRect(80 - 18, 2, 16, 16));
}

TEST(ColourPicker, PaintsTheSwatchLeftOfTheArrowOrAcrossWhenSwitchedOff)
{
    CColourPicker p;
    p.resize(80, 20);
    p.AdjustButtonSize();
    p.SetColour(RGB(0, 200, 0));
    QImage img(p.size(), QImage::Format_RGB32);
    p.render(&img);
    EXPECT_EQ(img.pixelColor(30, 10), QColor(0, 200, 0));
    EXPECT_NE(img.pixelColor(70, 10), QColor(0, 200, 0)) << "the arrow box";
    p.SetPopupEnabled(FALSE);
    p.render(&img);
    EXPECT_EQ(img.pixelColor(70, 10), QColor(0, 200, 0)) << "no arrow box";
}
