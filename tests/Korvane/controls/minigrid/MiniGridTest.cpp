#include "controls/MiniGridCtrl.h"

#include "platform/ControlId.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using platform::GridItem;
using platform::GridItemID;
using platform::GridRow;

namespace {

// The I/O page holding the grid: copies the click records (the grid keeps them).
class Page : public QWidget, public platform::MessageTarget
{
public:
    Page() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == UM_MINIGRID_CLICK) {
            clicks.push_back(*reinterpret_cast<const MiniGridClick *>(wParam));
            ids.push_back(lParam);
            return 0;
        }
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    std::vector<MiniGridClick> clicks;
    std::vector<LPARAM> ids;
};

class MiniGrid : public ::testing::Test
{
protected:
    void SetUp() override
    {
        page.resize(400, 300);
        grid = new CMiniGridCtrl(&page);
        platform::SetCtrlId(grid, 2005);
        grid->setGeometry(0, 0, 400, 300);
        grid->InsertColumn(0, QStringLiteral("Di状态"), 100);
        grid->InsertColumn(1, QStringLiteral("功能"), 100);
        grid->InsertColumn(2, QStringLiteral("强制"), 100);
        for (int r = 0; r < 3; ++r) {
            GridRow *row = grid->CreateRow(3);
            row->ReplaceItem(0, new GridItem(QString::number(r % 2)));
            row->ReplaceItem(1, new CMiniRadioItem(QStringLiteral("无效"), QStringLiteral("有效"), static_cast<BYTE>(r == 1)));
            row->ReplaceItem(2, new GridItem(QStringLiteral("x")));
            grid->AddRow(row, false);
        }
        grid->AdjustLayout();
        page.show();
        QApplication::processEvents();
    }
    QRect Cell(int row, int col) const
    {
        return grid->View(1)->visualRect(grid->ProxyModel()->index(row, col));
    }

    Page page;
    CMiniGridCtrl *grid = nullptr;
};

}

TEST_F(MiniGrid, ReleasingAClickTellsTheParentTheCellOrNothing)
{
    QWidget *vp = grid->View(1)->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, Cell(2, 1).center());
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(5, vp->height() - 2));  // empty space under the rows
    QTest::mouseClick(vp, Qt::RightButton, {}, Cell(0, 0).center());       // right clicks say nothing
    ASSERT_EQ(page.clicks.size(), 2u);
    EXPECT_EQ(page.clicks[0].nRow, 2);
    EXPECT_EQ(page.clicks[0].nColumn, 1);
    EXPECT_EQ(page.clicks[1].nRow, -1);
    EXPECT_EQ(page.clicks[1].nColumn, -1);
    EXPECT_EQ(page.ids, (std::vector<LPARAM>{2005, 2005}));
}

TEST(MiniGridRows, HeightIsTheFontHeightPlusMarginsOrTheMinimum)
{
    struct Case
    {
        int font, dpi;
        bool useMin;
        int min, height;
    } const cases[] = {
        {12, 96, true, 30, 30},
        {12, 96, false, 30, 16},
        {40, 96, true, 30, 44},
        {12, 144, false, 0, 22},  // 2 scaled twice: 3, then 5
    };
    for (const Case &c : cases)
        EXPECT_EQ(CMiniGridCtrl::RowHeightFor(c.font, c.dpi, c.useMin, c.min), c.height) << c.font << " " << c.dpi;
}

TEST_F(MiniGrid, RowHeightSettingReachesTheViews)
{
    grid->m_nMinRowHeight = 30;
    grid->m_bUseMinRowHeight = TRUE;
    grid->SetRowHeight();
    EXPECT_EQ(grid->GetRowHeight(), 30);
    EXPECT_EQ(grid->View(1)->rowHeight(1), 30);
    grid->m_bUseMinRowHeight = FALSE;
    grid->SetRowHeight();
    EXPECT_EQ(grid->GetRowHeight(), CMiniGridCtrl::RowHeightFor(QFontMetrics(grid->GetGridFont()).height(), grid->logicalDpiY(), false, 0));
}

TEST_F(MiniGrid, ToolTipsOfTheStateAndForcedWriteColumns)
{
    struct Case
    {
        int row, col;
        const char *text;
    } const cases[] = {
        {1, 0, "输入状态ON"},
        {0, 0, "输出状态OFF"},
        {0, 2, "强制写入IO状态"},
        {0, 1, "untouched"},
    };
    for (const Case &c : cases) {
        QString text = QStringLiteral("untouched"), description;
        grid->GetItemCustomTooltip(GridItemID{c.row, c.col}, text, description);
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.row << "," << c.col;
    }
    GridRow *empty = grid->CreateRow(0);
    grid->AddRow(empty, true);
    QString text = QStringLiteral("untouched"), description;
    grid->GetItemCustomTooltip(GridItemID{3, 0}, text, description);
    EXPECT_EQ(text, QStringLiteral("untouched")) << "a row without a state item gives nothing";
}

TEST_F(MiniGrid, TableColoursFollowTheCustomSwitch)
{
    grid->ApplyTableColors(true, RGB(1, 2, 3), RGB(200, 220, 240), RGB(10, 20, 30));
    QApplication::processEvents();
    QImage shot = grid->View(1)->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(Cell(0, 2).left() + 70, Cell(0, 2).top() + 2), QColor(200, 220, 240)) << "even row";
    EXPECT_EQ(shot.pixelColor(Cell(1, 2).left() + 70, Cell(1, 2).top() + 2), QColor(10, 20, 30)) << "odd row";
    EXPECT_EQ(grid->GetColorTheme().text, RGB(1, 2, 3));

    grid->ApplyGridColors();  // no main frame here: the visual manager's colours
    EXPECT_EQ(grid->GetColorTheme(), platform::GridCtrl::ColorTheme{});
    shot = grid->View(1)->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(Cell(0, 2).left() + 70, Cell(0, 2).top() + 2), QColor(255, 255, 255));
}

TEST(MiniRadioItem, LampIsConcentricAndMovesLeftForACaption)
{
    struct Case
    {
        const char *what;
        QString normal, alt;
        BYTE altState;
        int centreX;
        QColor dot;
    } const cases[] = {
        {"normal, no caption", QString(), QString(), 0, 100, QColor(0, 255, 0)},
        {"alternate, no caption", QString(), QString(), 1, 100, QColor(255, 0, 0)},
        {"normal with caption", QStringLiteral("低电平"), QStringLiteral("高电平"), 0, 75, QColor(0, 255, 0)},
        {"alternate with caption", QStringLiteral("低电平"), QStringLiteral("高电平"), 1, 75, QColor(255, 0, 0)},
    };
    for (const Case &c : cases) {
        CMiniRadioItem item(c.normal, c.alt, c.altState);
        QImage img(200, 30, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            platform::GridPaintInfo info;
            item.OnDrawValue(p, QRect(0, 0, 200, 30), info, RGB(0, 0, 0));
        }
        const int cy = 15;
        EXPECT_EQ(img.pixelColor(c.centreX, cy), c.dot) << c.what;            // dot at the centre
        EXPECT_EQ(img.pixelColor(c.centreX + 7, cy), QColor(Qt::white)) << c.what;  // between dot and ring
        EXPECT_EQ(img.pixelColor(c.centreX - 7, cy), QColor(Qt::white)) << c.what;
        EXPECT_NE(img.pixelColor(c.centreX + 10, cy), QColor(Qt::white)) << c.what;  // the ring
        EXPECT_NE(img.pixelColor(c.centreX - 10, cy), QColor(Qt::white)) << c.what;
    }
}

// The state is the end of the caption: whatever the room, what is drawn ends with it, and room
// enough shows the whole caption.
TEST(MiniRadioItem, TheCaptionAlwaysShowsItsState)
{
    const QFontMetrics fm(QApplication::font());
    for (const char *caption : {"输入状态ON", "输入状态OFF", "Input state OFF"}) {
        const QString text = QString::fromUtf8(caption);
        const QString state = text.endsWith(QLatin1String("OFF")) ? QStringLiteral("OFF") : QStringLiteral("ON");
        const int whole = fm.horizontalAdvance(text);
        EXPECT_EQ(CMiniRadioItem::FitCaption(text, fm, whole), text) << caption;
        for (int room : {whole - 1, whole / 2, fm.horizontalAdvance(QString(QChar(0x2026)) + state)}) {
            const QString shown = CMiniRadioItem::FitCaption(text, fm, room);
            EXPECT_TRUE(shown.endsWith(state)) << caption << " in " << room << ": " << shown.toStdString();
            EXPECT_LE(fm.horizontalAdvance(shown), room);
        }
    }
}

// A DI/DO state cell as narrow as the pages make it still draws the caption's end.
TEST(MiniRadioItem, ALongCaptionMovesLeftRatherThanLosingItsState)
{
    CMiniRadioItem item(QStringLiteral("输入状态OFF"), QStringLiteral("输入状态ON"), 0);
    QImage img(110, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        item.OnDrawValue(p, QRect(0, 0, 110, 30), platform::GridPaintInfo{}, RGB(0, 0, 0));
    }
    // Ink right of where a fixed 50-pixel caption box would end: the end of the caption.
    bool inked = false;
    for (int x = 96; x < 108 && !inked; ++x)
        for (int y = 5; y < 25 && !inked; ++y)
            inked = img.pixelColor(x, y).lightness() < 128;
    EXPECT_TRUE(inked);
}
