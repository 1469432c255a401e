// The oscilloscope's grid control and the grouping grid.
#include "grid/BCGPGridCtrlEx.h"
#include "grid/ColorGridCtrl.h"

#include "platform/Messages.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

using namespace platform;

namespace {

class Parent : public QWidget, public MessageTarget
{
public:
    Parent() : MessageTarget(this) { resize(600, 300); }
    int scrollEnds = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == UM_GRID_SCROLL_END)
            ++scrollEnds;
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
};

void AddRows(GridCtrl &grid, const std::vector<QStringList> &rows)
{
    for (const QStringList &texts : rows) {
        GridRow *row = grid.CreateRow(grid.GetColumnCount());
        for (int c = 0; c < texts.size(); ++c)
            row->GetItem(c)->SetValue(texts[c]);
        grid.AddRow(row, false);
    }
}

}

TEST(GridCtrlEx, FixedRowHeightReplacesTheComputedOne)
{
    Parent parent;
    auto *grid = new CBCGPGridCtrlEx(&parent);
    const int computed = grid->GetRowHeight();
    int h = 41;
    grid->SetFixedRowHeight(h);
    EXPECT_EQ(grid->GetRowHeight(), 41);
    EXPECT_EQ(grid->View(1)->verticalHeader()->defaultSectionSize(), 41);
    grid->SetGridFont(QFont(grid->GetGridFont().family(), 20));
    EXPECT_EQ(grid->GetRowHeight(), 41) << "a font change keeps the fixed height";
    h = -1;
    grid->SetFixedRowHeight(h);
    grid->SetGridFont(QFont(grid->GetGridFont().family(), 9));
    EXPECT_NE(grid->GetRowHeight(), 41);
    EXPECT_GT(computed, 0);
}

TEST(GridCtrlEx, HeaderCheckBoxFollowsTheRowsAndChecksOnlyShownRows)
{
    Parent parent;
    auto *grid = new CBCGPGridCtrlEx(&parent);
    grid->InsertColumn(0, "A", 80);
    grid->EnableCheckBoxes(true);
    AddRows(*grid, {{"x"}, {"y"}, {"z"}});
    grid->AdjustLayout();

    for (int r = 0; r < 2; ++r)
        grid->OnRowCheckBoxClick(grid->GetRow(r));
    EXPECT_FALSE(grid->GetColumnsInfo().GetCheckBoxState()) << "one row still unchecked";
    grid->OnRowCheckBoxClick(grid->GetRow(2));
    EXPECT_TRUE(grid->GetColumnsInfo().GetCheckBoxState()) << "every row checked";
    grid->OnRowCheckBoxClick(grid->GetRow(1));
    EXPECT_FALSE(grid->GetColumnsInfo().GetCheckBoxState()) << "a row unchecked clears the header";

    // A row hidden by the filter bar neither takes the header's state nor lets it be checked.
    grid->EnableFilterBar(true);
    grid->SetFilterBarText(0, "z");
    ASSERT_EQ(grid->GetVisibleRowCount(), 1);
    grid->GetRow(2)->SetCheck(false);
    grid->OnHeaderCheckBoxClick(0);
    EXPECT_TRUE(grid->GetColumnsInfo().GetCheckBoxState());
    EXPECT_TRUE(grid->GetRow(2)->GetCheck());
    EXPECT_FALSE(grid->GetRow(1)->GetCheck()) << "filtered out: keeps its mark";
    grid->GetRow(0)->SetCheck(true);
    grid->GetRow(1)->SetCheck(true);
    grid->OnRowCheckBoxClick(grid->GetRow(2));
    grid->OnRowCheckBoxClick(grid->GetRow(2));
    EXPECT_FALSE(grid->GetColumnsInfo().GetCheckBoxState()) << "hidden rows keep the header unchecked";
}

TEST(GridCtrlEx, ScrollEndReachesTheParentOnThumbReleaseAndEachWheelNotch)
{
    Parent parent;
    auto *grid = new CBCGPGridCtrlEx(&parent);
    grid->resize(300, 150);
    grid->InsertColumn(0, "A", 80);
    std::vector<QStringList> rows;
    for (int i = 0; i < 100; ++i)
        rows.push_back({QString::number(i)});
    AddRows(*grid, rows);
    grid->AdjustLayout();
    parent.show();
    QApplication::processEvents();

    QScrollBar *bar = grid->VerticalBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 2);
    emit bar->sliderReleased();
    EXPECT_EQ(parent.scrollEnds, 0);
    bar->setValue(bar->maximum());
    emit bar->sliderReleased();
    EXPECT_EQ(parent.scrollEnds, 1);

    QWidget *vp = grid->View(1)->viewport();
    for (int notch = 0; notch < 2; ++notch) {
        QWheelEvent wheel(QPointF(10, 10), vp->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(vp, &wheel);
    }
    EXPECT_EQ(parent.scrollEnds, 3);
}

TEST(ColorGrid, CaptionOfTheNearestEntryAtOrAboveTheRow)
{
    CColorGridCtrl grid;
    grid.InsertColumn(0, "A", 80);
    std::vector<QStringList> rows(8, QStringList{"v"});
    AddRows(grid, rows);
    auto caption = [&](int row) { return grid.GetGroupName(0, grid.GetRow(row)->GetItem(0)); };

    grid.m_mapGroupNames = {{0, "A"}, {5, "B"}};
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(caption(r), "A") << r;
    EXPECT_EQ(caption(5), "B");
    EXPECT_EQ(caption(7), "B");

    grid.m_mapGroupNames = {{3, "first"}};
    EXPECT_EQ(caption(0), "");
    EXPECT_EQ(caption(2), "");
    EXPECT_EQ(caption(3), "first");

    GridItem loose;
    EXPECT_EQ(grid.GetGroupName(0, &loose), "") << "an item without a row";
    EXPECT_EQ(grid.GetGroupName(0, nullptr), "");
    grid.m_mapGroupNames.clear();
    EXPECT_EQ(caption(4), "");
}

TEST(ColorGrid, GroupsKeepTheOrderOfTheirFirstRowsUnderCaptionBands)
{
    Parent parent;
    auto *grid = new CColorGridCtrl(&parent);
    grid->resize(500, 400);
    for (int c = 0; c < 3; ++c)
        grid->InsertColumn(c, QString("c%1").arg(c), 80);
    grid->SetColumnVisible(2, false);
    // Group "z" comes first although it sorts last; "a" rows are scattered.
    AddRows(*grid, {{"0", "r0", "z"}, {"1", "r1", "a"}, {"2", "r2", "z"}, {"3", "r3", "m"}, {"4", "r4", "a"}});
    grid->m_mapGroupNames = {{0, "Zed"}, {1, "Ay"}, {3, "Em"}};
    grid->InsertGroupColumn(0, 2);
    grid->AdjustLayout();

    std::vector<int> shown;
    for (int vr = 0; vr < grid->GetVisibleRowCount(); ++vr)
        shown.push_back(grid->ViewRowToRow(vr));
    EXPECT_EQ(shown, (std::vector<int>{0, 2, 1, 4, 3}));
    const std::vector<std::pair<int, QString>> expected{{0, "Zed"}, {2, "Ay"}, {4, "Em"}};
    EXPECT_EQ(grid->GetGroupCaptions(), expected);

    const int h = grid->GetRowHeight();
    QHeaderView *vh = grid->View(1)->verticalHeader();
    EXPECT_EQ(vh->sectionSize(0), 2 * h) << "a group's first row carries its caption band";
    EXPECT_EQ(vh->sectionSize(1), h);
    EXPECT_EQ(grid->GroupBandHeight(2), h);
    EXPECT_EQ(grid->GroupBandHeight(3), 0);

    // Rebuilt as an owner does: rows removed, captions refilled, rows added, layout again.
    grid->RemoveAll();
    grid->m_mapGroupNames.clear();
    EXPECT_TRUE(grid->GetGroupCaptions().empty());
    AddRows(*grid, {{"0", "r0", "b"}, {"1", "r1", "b"}});
    grid->m_mapGroupNames = {{0, "Bee"}};
    grid->AdjustLayout();
    EXPECT_EQ(grid->GetGroupCaptions(), (std::vector<std::pair<int, QString>>{{0, "Bee"}}));
    EXPECT_EQ(vh->sectionSize(0), 2 * h);
    EXPECT_EQ(vh->sectionSize(1), h);

    // Without grouping the bands go.
    grid->RemoveAllGroupColumns();
    grid->AdjustLayout();
    EXPECT_TRUE(grid->GetGroupCaptions().empty());
    EXPECT_EQ(vh->sectionSize(0), h);

    parent.show();
    grid->InsertGroupColumn(0, 2);
    grid->AdjustLayout();
    QImage shot(grid->size(), QImage::Format_ARGB32);
    grid->render(&shot);  // paints the bands without tripping over anything
    EXPECT_FALSE(shot.isNull());
}

TEST(GridGrouping, FilteringAndSortingKeepGroupsTogether)
{
    GridCtrl grid;
    grid.resize(500, 400);
    for (int c = 0; c < 2; ++c)
        grid.InsertColumn(c, QString("c%1").arg(c), 80);
    AddRows(grid, {{"3", "b"}, {"1", "a"}, {"2", "b"}, {"0", "a"}});
    grid.InsertGroupColumn(0, 1);
    grid.AdjustLayout();
    grid.Sort(0, true);
    std::vector<int> shown;
    for (int vr = 0; vr < grid.GetVisibleRowCount(); ++vr)
        shown.push_back(grid.ViewRowToRow(vr));
    EXPECT_EQ(shown, (std::vector<int>{2, 0, 3, 1})) << "groups by first row, sorted inside";
    EXPECT_EQ(grid.GetGroupCaptions(), (std::vector<std::pair<int, QString>>{{0, "b"}, {2, "a"}}))
        << "the grid's own caption is the group column's text";

    grid.EnableFilterBar(true);
    grid.SetFilterBarText(0, "3");
    EXPECT_EQ(grid.GetVisibleRowCount(), 1);
    EXPECT_EQ(grid.GetGroupCaptions(), (std::vector<std::pair<int, QString>>{{0, "b"}}));
}
