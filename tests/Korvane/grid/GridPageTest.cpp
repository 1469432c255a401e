#include "grid/DlgBCGGrid.h"
#include "grid/TableColors.h"
#include "grid/GridCtrlTableAttributeOp.h"

#include "PathHelpers.h"
#include "platform/grid/GridParts.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <functional>
#include <memory>

using namespace platform;

namespace {

// The page that owns a grid page: records every notice.
class RecordingOwner : public QWidget, public MessageTarget
{
public:
    RecordingOwner() : MessageTarget(this) { resize(800, 400); }
    struct Notice {
        UINT msg;
        int row = -2;
        int col = -2;
    };
    std::vector<Notice> notices;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        Notice n{msg};
        if (msg == UM_GRID_CELL_LCLICK || msg == UM_GRID_CELL_RCLICK || msg == UM_GRID_CELL_DBLCLICK) {
            auto *hit = reinterpret_cast<QLGridCellNotify *>(lParam);
            n.row = hit->nRow;
            n.col = hit->nColumn;
        } else if (msg == UM_GRID_ITEM_CHANGED) {
            auto *info = reinterpret_cast<GridItemInfo *>(lParam);
            n.row = info->nRow;
            n.col = info->nCol;
        }
        notices.push_back(n);
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    int Count(UINT msg) const
    {
        return static_cast<int>(std::count_if(notices.begin(), notices.end(), [msg](const Notice &n) { return n.msg == msg; }));
    }
};

CGridTableAttribute Table(bool sumBar = true, bool multi = true)
{
    CGridTableAttribute t;
    AddColumnAttribute(t, 1, "name", "Name", "", "", true, true, 90, true, 0, 2, 11, false, 0, "");
    AddColumnAttribute(t, 2, "count", "Count", "", "", true, true, 70, true, 0, 1, 11, false, 0, "");
    AddColumnAttribute(t, 3, "value", "Value", "", "", true, true, 70, true, 0, 3, 11, false, 0, "");
    AddColumnAttribute(t, 4, "on", "On", "", "", true, true, 50, true, 0, 0, 11, false, 0, "");
    t.isShowSumBar = sumBar;
    t.isMultiRowSelect = multi;
    t.isShowSortBar = true;
    return t;
}

struct PageFixture : public ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QDir().mkpath(tmp.path() + "/App/bin");
        SetProgramDir(tmp.path() + "/App/bin");
        owner = std::make_unique<RecordingOwner>();
        page = new CDlgBCGGrid(owner.get());
        page->Create(owner.get());
        page->setGeometry(0, 0, 780, 380);
        owner->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        owner.reset();
        SetProgramDir(QString());
    }
    void Fill(const std::vector<std::tuple<const char *, const char *, const char *, bool>> &rows, BYTE valueType = 2)
    {
        page->m_rows.clear();
        std::int64_t key = 10;
        for (const auto &[name, count, value, enabled] : rows) {
            CGridRowData row;
            AddGridCellValue("name", row, "%s", name);
            InsertGridCellData("count", count, row, 1, 0, -1);
            InsertGridCellData("value", value, row, valueType, 0, -1);
            InsertGridCellData("on", "0", row, 1, 4, -1);
            if (!enabled)
                row["count"].m_bEnabled = 0;
            page->m_rows[key] = row;
            key += 10;
        }
        page->FillRows();
    }
    QString Sum(int col) const { return page->GetGrid()->GetColumnsInfo().GetColumnSumText(col); }

    QTemporaryDir tmp;
    std::unique_ptr<RecordingOwner> owner;
    CDlgBCGGrid *page = nullptr;
};

const std::vector<std::tuple<const char *, const char *, const char *, bool>> kRows = {
    {"alpha", "3", "1.5", true}, {"beta", "4", "2.25", false}, {"gamma", "10", "0.25", true}};

TEST(GridRowModel, InsertingCells)
{
    CGridRowData row;
    InsertGridCellData("a", "1", row, 0, 0, -1);
    InsertGridCellData("a", "2", row, 0, 0, -1);
    EXPECT_EQ(row["a"].m_strValue, "1");
    InsertGridCellData("r", "1", row, 1, 14, -1);
    EXPECT_EQ(row["r"].m_strChoice[0], "");
    EXPECT_EQ(row["r"].m_strChoice[1], "1");
    InsertGridCellData("c", "1", row, 0, 2, -1, {0x80}, {"x", "y"});
    CGridCellData copy = row["c"];
    copy.m_spOptions->push_back("z");
    EXPECT_EQ(row["c"].m_spOptions->size(), 3u);
    EXPECT_EQ(row["c"].m_spTextColors, nullptr);
    AddGridCellValue("f", row, "%d-%s", 7, "x");
    EXPECT_EQ(row["f"].m_strValue, "7-x");
}

TEST_F(PageFixture, CellKindsValuesAndColours)
{
    CGridTableAttribute fixed;
    int i = 1;
    for (const char *id : {"k1", "k2", "k4", "bg", "dis", "disOwn", "num", "iKouzhong"})
        AddColumnAttribute(fixed, i++, id, id, "", "", true, true, 60, true, 0, 0, 11, false, 0, "");
    page->InitColumns(fixed, 2);
    CGridRowData row;
    InsertGridCellData("k1", "2", row, 0, 1, -1);
    InsertGridCellData("k2", "", row, 0, 2, -1);
    InsertGridCellData("k4", "2", row, 0, 4, -1);
    InsertGridCellData("bg", "x", row, 0, 0, -1, {0x000080});
    InsertGridCellData("dis", "x", row, 0, 0, -1);
    row["dis"].m_bEnabled = 0;
    InsertGridCellData("disOwn", "x", row, 0, 0, -1, {}, {}, {0x00FF00});
    row["disOwn"].m_bEnabled = 0;
    InsertGridCellData("num", "3.14159", row, 3, 0, -1);
    InsertGridCellData("iKouzhong", "2.5", row, 2, 0, -1);
    page->m_rows[1] = row;
    page->FillRows();
    page->FillRows();  // a second fill must not grow any shared list
    auto *grid = page->GetGrid();
    auto item = [&](const char *field) { return grid->GetRow(0)->GetItem(page->m_mapFieldToCol.at(field)); };
    EXPECT_TRUE(dynamic_cast<GridCheckItem *>(item("k1"))->GetState());
    EXPECT_FALSE(dynamic_cast<GridCheckItem *>(item("k4"))->GetState());
    EXPECT_EQ(item("k2")->GetOptionCount(), 1);
    EXPECT_EQ(item("bg")->GetTextColor(), 0xFFFFFFu);
    EXPECT_EQ(item("dis")->GetTextColor(), 0x6F6F6Fu);
    EXPECT_EQ(item("disOwn")->GetTextColor(), 0x00FF00u);
    EXPECT_FALSE(item("dis")->IsEnabled());
    EXPECT_EQ(page->m_rows[1]["disOwn"].m_spTextColors->size(), 1u);
    EXPECT_EQ(page->m_rows[1]["dis"].m_spTextColors, nullptr);
    EXPECT_EQ(item("num")->FormatItem(), "3.142");
    EXPECT_EQ(item("iKouzhong")->FormatItem(), "2.5000");
    EXPECT_EQ(page->m_vecLockedCells.size(), 2u);
}

TEST_F(PageFixture, NoticeTableForClicksEditsAndCheckBoxes)
{
    page->InitColumns(Table(), 2);
    Fill(kRows);
    auto *grid = page->GetGrid();
    const int countCol = page->m_mapFieldToCol.at("count");
    const int nameCol = page->m_mapFieldToCol.at("name");
    QLGridCellNotify hit;
    const struct {
        const char *name;
        UINT msg;
        int row, col;
        bool item;
        BOOL rclickLocked;
        int expected;  // notices of that message reaching the owner
    } cases[] = {
        {"left click", UM_GRID_CELL_LCLICK, 0, nameCol, true, 0, 1},
        {"left click on a locked cell", UM_GRID_CELL_LCLICK, 1, countCol, true, 0, 0},
        {"double click", UM_GRID_CELL_DBLCLICK, 2, nameCol, true, 0, 1},
        {"double click on a locked cell", UM_GRID_CELL_DBLCLICK, 1, countCol, true, 0, 0},
        {"right click", UM_GRID_CELL_RCLICK, 0, nameCol, true, 0, 1},
        {"right click beside the cells", UM_GRID_CELL_RCLICK, 0, 0, false, 0, 0},
        {"right click on a locked cell", UM_GRID_CELL_RCLICK, 1, countCol, true, 0, 0},
        {"right click on a locked cell, allowed", UM_GRID_CELL_RCLICK, 1, countCol, true, 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        owner->notices.clear();
        page->m_bRClickOnLockedCell = c.rclickLocked;
        hit.pItem = c.item ? grid->GetItem(GridItemID{c.row, c.col}) : nullptr;
        hit.nRow = c.row;
        hit.nColumn = c.col;
        SendMessage(WindowRef(static_cast<MessageTarget *>(page)), c.msg, CDlgBCGGrid::IDC_GRID,
                    reinterpret_cast<LPARAM>(&hit));
        EXPECT_EQ(owner->Count(c.msg), c.expected);
    }

    // An edit stores the value into the record; check cells store "1" or "0"; locked cells
    // store nothing and tell nobody.
    owner->notices.clear();
    GridItem *count = grid->GetItem(GridItemID{0, countCol});
    count->SetValue(QVariant(42), false);
    count->SetItemChanged();
    EXPECT_EQ(page->m_rows[10]["count"].m_strValue, "42");
    EXPECT_EQ(owner->Count(UM_GRID_ITEM_CHANGED), 1);
    auto *check = dynamic_cast<GridCheckItem *>(grid->GetItem(GridItemID{2, page->m_mapFieldToCol.at("on")}));
    check->OnClickValue(0x0201, QPoint());
    EXPECT_EQ(page->m_rows[30]["on"].m_strValue, "1");
    GridItem *locked = grid->GetItem(GridItemID{1, countCol});
    locked->SetValue(QVariant(99), false);
    locked->SetItemChanged();
    EXPECT_EQ(page->m_rows[20]["count"].m_strValue, "4");
    EXPECT_EQ(owner->Count(UM_GRID_ITEM_CHANGED), 2);

    // Row check boxes: a row with a locked cell keeps its mark while locked rows are off.
    const UINT rowClick = GridMessage("BCGM_GRID_ROW_CHECKBOX_CLICK");
    grid->OnRowCheckBoxClick(grid->GetRow(1));
    EXPECT_FALSE(grid->GetRow(1)->GetCheck());
    EXPECT_EQ(owner->Count(rowClick), 0);
    grid->OnRowCheckBoxClick(grid->GetRow(0));
    EXPECT_TRUE(grid->GetRow(0)->GetCheck());
    EXPECT_EQ(owner->Count(rowClick), 1);
    EXPECT_EQ(page->m_nCheckedRows, 1);
    page->m_bCheckLockedRows = 1;
    grid->OnRowCheckBoxClick(grid->GetRow(1));
    EXPECT_TRUE(grid->GetRow(1)->GetCheck());
    EXPECT_EQ(page->m_nCheckedRows, 2);

    // Enter on a locked cell is not reported; on another cell it is.
    const UINT enter = GridMessage("BCGM_GRID_ENTER_MSG");
    grid->SetCurSel(GridItemID{1, countCol});
    SendMessage(WindowRef(static_cast<MessageTarget *>(page)), enter, CDlgBCGGrid::IDC_GRID, 0);
    EXPECT_EQ(owner->Count(enter), 0);
    grid->SetCurSel(GridItemID{0, countCol});
    SendMessage(WindowRef(static_cast<MessageTarget *>(page)), enter, CDlgBCGGrid::IDC_GRID, 0);
    EXPECT_EQ(owner->Count(enter), 1);
}

TEST_F(PageFixture, StatisticsBeforeAndAfterAFilter)
{
    page->InitColumns(Table(), 2);
    const int name = page->m_mapFieldToCol.at("name");
    const int count = page->m_mapFieldToCol.at("count");
    const int value = page->m_mapFieldToCol.at("value");
    const int on = page->m_mapFieldToCol.at("on");
    const struct {
        BYTE valueType;
        const char *sum;
        const char *average;
    } precisions[] = {
        {2, "17", "平均=1.33"},
        {1, "17", "平均=1"},
        {9, "17", "平均=1.3333"},
    };
    for (const auto &p : precisions) {
        SCOPED_TRACE(p.valueType);
        Fill(kRows, p.valueType);
        EXPECT_EQ(Sum(name), QString::fromUtf8("计数=3"));
        EXPECT_EQ(Sum(value), QString::fromUtf8(p.average));
        EXPECT_EQ(Sum(on), "");
    }
    // Sums take the precision of the first row's value type: 1.5 + 2.25 with two decimals.
    Fill(kRows, 2);
    EXPECT_EQ(Sum(count), "17");
    page->GetGrid()->SetFilterBarText(name, "a");  // alpha, beta, gamma all hold an a
    page->GetGrid()->SetFilterBarText(name, "ga");
    page->RefreshStatistics();
    EXPECT_EQ(Sum(name), QString::fromUtf8("计数=1"));
    EXPECT_EQ(Sum(count), "10");
    EXPECT_EQ(Sum(value), QString::fromUtf8("平均=0.25"));
    page->GetGrid()->SetFilterBarText(name, "zzz");
    page->RefreshStatistics();
    EXPECT_EQ(Sum(value), QString::fromUtf8("平均=0.00"));
    EXPECT_EQ(TrimTrailingZeros("12.500"), "12.5");
    EXPECT_EQ(TrimTrailingZeros("3.000"), "3");
    EXPECT_EQ(TrimTrailingZeros("300"), "300");
}

// The header box ticks the rows the filter shows; the mark then says how many rows are ticked.
TEST_F(PageFixture, HeaderCheckUnderAFilterMarksTheTickedRows)
{
    page->InitColumns(Table(), 2);
    Fill(kRows);
    auto *grid = page->GetGrid();
    const int name = page->m_mapFieldToCol.at("name");
    grid->SetFilterBarText(name, "ga");
    grid->OnHeaderCheckBoxClick(0);
    EXPECT_EQ(page->m_nCheckedRows, 1);
    EXPECT_TRUE(grid->GetRow(2)->GetCheck());
    EXPECT_FALSE(Sum(name).contains(QString::fromUtf8("选中"))) << Sum(name).toStdString();
    grid->SetFilterBarText(name, "a");
    grid->OnHeaderCheckBoxClick(0);  // the box was ticked: now every shown row is unticked
    EXPECT_EQ(page->m_nCheckedRows, 0);
    grid->OnHeaderCheckBoxClick(0);
    EXPECT_EQ(page->m_nCheckedRows, 3);
    EXPECT_TRUE(Sum(name).startsWith(QString::fromUtf8("选中(3)"))) << Sum(name).toStdString();
}

// The user's table colours reach a grid page when it is made and again on the colour broadcast;
// switching them off brings the theme's colours back.
TEST_F(PageFixture, CustomTableColoursAtCreationAndOnTheBroadcast)
{
    TableColors colours{TRUE, RGB(1, 2, 3), RGB(200, 220, 240), RGB(10, 20, 30)};
    SetTableColorsSource([&] { return colours; });
    auto *made = new CDlgBCGGrid(owner.get());
    made->Create(owner.get());
    EXPECT_EQ(made->GetGrid()->GetColorTheme().text, RGB(1, 2, 3));
    EXPECT_EQ(made->GetGrid()->GetColorTheme().evenBack, RGB(200, 220, 240));

    page->InitColumns(Table(), 2);
    Fill(kRows);
    colours.clrEven = RGB(5, 6, 7);
    SendMessage(WindowRef(page), TableColorsRefreshMessage(), 0, 0);
    QApplication::processEvents();
    auto *grid = page->GetGrid();
    const QRect cell = grid->View(1)->visualRect(grid->ProxyModel()->index(0, 1));
    const QImage shot = grid->View(1)->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(cell.right() - 2, cell.top() + 2), QColor(5, 6, 7));
    EXPECT_EQ(grid->GetColorTheme().oddBack, RGB(10, 20, 30));
    EXPECT_EQ(grid->GetColorTheme().text, RGB(1, 2, 3));

    colours.bCustom = FALSE;
    SendMessage(WindowRef(page), TableColorsRefreshMessage(), 0, 0);
    EXPECT_EQ(grid->GetColorTheme(), platform::GridCtrl::ColorTheme{});
    SetTableColorsSource({});
}

TEST_F(PageFixture, CheckedCountMarkCountsEveryRow)
{
    page->InitColumns(Table(), 2);
    Fill(kRows);
    auto *grid = page->GetGrid();
    const int name = page->m_mapFieldToCol.at("name");
    const int on = page->m_mapFieldToCol.at("on");
    // Checked rows outside the first positions and hidden by the filter count too.
    grid->GetRow(2)->SetCheck(true);
    grid->GetRow(1)->SetCheck(true);
    grid->SetFilterBarText(name, "alpha");
    page->RefreshStatistics();
    EXPECT_EQ(page->m_nCheckedRows, 2);
    EXPECT_EQ(Sum(name), QString::fromUtf8("选中(2),计数=1"));
    grid->GetRow(1)->SetCheck(false);
    page->RefreshStatistics();
    EXPECT_EQ(Sum(name), QString::fromUtf8("计数=1"));
    // A first column without a statistic takes the space form.
    grid->SetColumnOrderArray({on, name, 1, 2});
    grid->GetRow(1)->SetCheck(true);
    page->RefreshStatistics();
    EXPECT_EQ(Sum(on), QString::fromUtf8("选中(2) "));
    EXPECT_EQ(Sum(name), QString::fromUtf8("计数=1"));
    CGridRowDataMap checked;
    page->GetSelectedRowsData(checked);
    EXPECT_EQ(checked.size(), 2u);
}

TEST_F(PageFixture, SecondFillKeepsFilterBarTextsAndReadBacksFailCleanly)
{
    page->InitColumns(Table(), 2);
    Fill(kRows);
    auto *grid = page->GetGrid();
    const int name = page->m_mapFieldToCol.at("name");
    grid->SetFilterBarText(name, "al");
    Fill(kRows);
    EXPECT_EQ(grid->GetFilterBarText(name), "al");
    EXPECT_EQ(grid->GetVisibleRowCount(), 1);
    page->InitColumns(Table(), 2);
    EXPECT_EQ(grid->GetFilterBarText(page->m_mapFieldToCol.at("name")), "al");

    QString text = "stale";
    CGridCellData cell;
    cell.m_strValue = "stale";
    CGridRowData row;
    row["x"] = cell;
    const struct {
        const char *name;
        std::function<BOOL()> call;
        std::function<bool()> cleared;
    } misses[] = {
        {"row", [&] { return page->GetRow(99, row); }, [&] { return row.empty(); }},
        {"cell text", [&] { return page->GetCellText(text, 99, 0); }, [&] { return text.isEmpty(); }},
        {"cell data", [&] { return page->GetCellData(99, 0, cell); }, [&] { return cell.m_strValue.isEmpty(); }},
        {"row cell text", [&] { return page->GetRowCellText(text, 0, "nope"); }, [&] { return text.isEmpty(); }},
    };
    for (const auto &m : misses) {
        SCOPED_TRACE(m.name);
        text = "stale";
        EXPECT_FALSE(m.call());
        EXPECT_TRUE(m.cleared());
    }
    EXPECT_TRUE(row.empty());
    EXPECT_TRUE(cell.m_strValue.isEmpty());
    EXPECT_EQ(page->GetColumnFieldId(-1), "ERROR");
    EXPECT_EQ(page->GetColumnFieldId(name), "name");
}

TEST_F(PageFixture, DenseLayoutOfDuplicateAndOutOfRangePositions)
{
    CGridTableAttribute t = Table(false, false);
    t.m_mapColumns.at("name").iColIndex = 7;
    t.m_mapColumns.at("count").iColIndex = 7;
    t.m_mapColumns.at("value").iColIndex = 400;
    t.m_mapColumns.at("on").iColIndex = -5;
    page->InitColumns(t, 2);
    auto *grid = page->GetGrid();
    ASSERT_EQ(grid->GetColumnCount(), 4);
    EXPECT_EQ(page->m_mapFieldToCol.at("on"), 0);
    EXPECT_EQ(page->m_mapFieldToCol.at("name"), 1);  // item 1 before item 2 at equal positions
    EXPECT_EQ(page->m_mapFieldToCol.at("count"), 2);
    EXPECT_EQ(page->m_mapFieldToCol.at("value"), 3);
    for (int c = 0; c < 4; ++c)
        EXPECT_FALSE(grid->GetColumnName(c).isEmpty()) << c;
}

TEST_F(PageFixture, ColumnLayoutSavedOnCloseReadsBack)
{
    page->m_strTableId = "XML_Params2";
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute("XML_Params2", attr);
    page->InitColumns(attr, 2);
    auto *grid = page->GetGrid();
    const int c1 = page->m_mapFieldToCol.at("IDS_ParaView_1");
    const int c3 = page->m_mapFieldToCol.at("IDS_ParaView_3");
    grid->SetColumnWidth(c3, 140);
    grid->SetColumnVisible(c1, false);
    grid->SetColumnOrderArray({c3, page->m_mapFieldToCol.at("IDS_ParaView_2"), c1});
    page->DestroyWindow();
    CGridTableAttribute back;
    ASSERT_TRUE(ReadTableAttributeFile(CGridCtrlTableAttributeOpBase::GetUserTableFile("XML_Params2"), back));
    EXPECT_EQ(back.m_mapColumns.at("IDS_ParaView_3").iColWidth, 140);
    EXPECT_EQ(back.m_mapColumns.at("IDS_ParaView_3").iColIndex, 0);
    EXPECT_FALSE(back.m_mapColumns.at("IDS_ParaView_1").isShow);
    EXPECT_EQ(back.m_mapColumns.at("IDS_ParaView_1").iColWidth, 90);
    EXPECT_EQ(back.m_mapColumns.at("IDS_ParaView_1").iColIndex, 2);
}

// A built-in table's default widths give way to longer captions; a width the user set is kept,
// narrower than its caption or not: through a rebuild of the page, and through the saved layout
// when the page opens again.
TEST_F(PageFixture, ANarrowedColumnKeepsItsWidth)
{
    const auto open = [&] {
        page->m_strTableId = "XML_Params2";
        CGridTableAttribute attr;
        CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute("XML_Params2", attr);
        page->InitColumns(attr, 2);
        return page->m_mapFieldToCol.at("IDS_ParaView_1");
    };
    int c = open();
    auto *grid = page->GetGrid();
    const int captionWidth = grid->CaptionWidth(grid->GetColumnName(c));
    ASSERT_GT(captionWidth, 90) << "the case needs a caption wider than the default width";
    EXPECT_EQ(grid->GetColumnWidth(c), captionWidth) << "a default width is widened";

    grid->SetColumnWidth(c, 60);  // the user narrows the column
    CGridTableAttribute working;
    page->SaveColumnLayout(working);
    page->InitColumns(working, 2);
    EXPECT_EQ(grid->GetColumnWidth(page->m_mapFieldToCol.at("IDS_ParaView_1")), 60) << "rebuilt";

    page->DestroyWindow();
    page = new CDlgBCGGrid(owner.get());
    page->Create(owner.get());
    c = open();
    EXPECT_EQ(page->GetGrid()->GetColumnWidth(c), 60) << "opened again";
    const int other = page->m_mapFieldToCol.at("IDS_ParaView_2");
    EXPECT_EQ(page->GetGrid()->GetColumnWidth(other),
              std::max(90, page->GetGrid()->CaptionWidth(page->GetGrid()->GetColumnName(other))))
        << "the column the user left alone keeps what it showed";
}

TEST_F(PageFixture, FilterTypingRefreshesTheStatisticsOnceAfterAPause)
{
    page->InitColumns(Table(), 2);
    Fill(kRows);
    auto *grid = page->GetGrid();
    const int name = page->m_mapFieldToCol.at("name");
    EXPECT_EQ(Sum(name), QString::fromUtf8("计数=3"));
    for (const char *typed : {"g", "ga", "gam"})
        grid->SetFilterBarText(name, typed);
    QApplication::processEvents();
    // The rows are filtered at once; the statistics wait for the typing to stop.
    EXPECT_EQ(grid->GetVisibleRowCount(), 1);
    EXPECT_EQ(Sum(name), QString::fromUtf8("计数=3"));
    EXPECT_TRUE(page->IsTimerRunning(CDlgBCGGrid::kStatisticsTimer));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Sum(name) == QString::fromUtf8("计数=1"); }, 10000)) << Sum(name).toStdString();
    EXPECT_FALSE(page->IsTimerRunning(CDlgBCGGrid::kStatisticsTimer));
}

TEST_F(PageFixture, TwoOptionCellsExplainThemselvesInTheirToolTip)
{
    CGridTableAttribute t;
    AddColumnAttribute(t, 1, "di", "DI", "", "", true, true, 90, true, 0, 0, 11, false, 0, "");
    page->InitColumns(t, 2);
    const struct {
        const char *value;
        const char *tip;
    } cases[] = {{"1", "closed"}, {"0", "open"}};
    for (const auto &c : cases) {
        CGridRowData row;
        InsertGridCellData("di", c.value, row, 1, 14, -1, {}, {}, {}, {"ON", "OFF"}, {"closed", "open"});
        page->m_rows.clear();
        page->m_rows[1] = row;
        page->FillRows();
        QString text, description;
        page->GetGrid()->GetItemCustomTooltip(GridItemID{0, 0}, text, description);
        EXPECT_EQ(text, c.tip);
        EXPECT_EQ(page->GetGrid()->GetItem(GridItemID{0, 0})->FormatItem(), std::string(c.value) == "1" ? "ON" : "OFF");
    }
}

TEST_F(PageFixture, CheckByClickLeavesOneRowOrFollowsTheSelection)
{
    CGridTableAttribute t = Table();
    t.isWholeRowSelect = true;
    t.IsMultiRowSelectNoLoseFocus = true;
    t.isEnableEdit = false;
    page->InitColumns(t, 2);
    Fill(kRows);
    auto *grid = page->GetGrid();
    const int name = page->m_mapFieldToCol.at("name");
    auto click = [&](int row) {
        QLGridCellNotify hit{grid->GetItem(GridItemID{row, name}), row, name, 0};
        SendMessage(WindowRef(static_cast<MessageTarget *>(page)), UM_GRID_CELL_LCLICK, CDlgBCGGrid::IDC_GRID,
                    reinterpret_cast<LPARAM>(&hit));
    };
    grid->GetRow(2)->SetCheck(true);
    click(0);
    EXPECT_TRUE(grid->GetRow(0)->GetCheck());
    EXPECT_FALSE(grid->GetRow(2)->GetCheck());
    EXPECT_EQ(page->m_nCheckedRows, 1);
    // Shift extends the selection, and the checks follow it.
    page->m_bShiftDown = 1;
    click(2);
    page->m_bShiftDown = 0;
    EXPECT_TRUE(grid->GetRow(1)->GetCheck());
    EXPECT_TRUE(grid->GetRow(2)->GetCheck());
    EXPECT_EQ(page->m_nCheckedRows, 3);
    // Ctrl takes one row out again.
    page->m_bCtrlDown = 1;
    click(1);
    page->m_bCtrlDown = 0;
    EXPECT_FALSE(grid->GetRow(1)->GetCheck());
    EXPECT_EQ(page->m_nCheckedRows, 2);
    EXPECT_EQ(owner->Count(GridMessage("BCGM_GRID_ROW_CHECKBOX_CLICK")), 3);
}

}

// The second run of this program under a decimal-comma desktop must really be under it, and the
// C conversions must still use a point.
TEST(NumericLocale, CellNumbersUseAPointWhateverTheDesktop)
{
    if (qEnvironmentVariableIsSet("KORVANE_COMMA_LOCALE")) {
        EXPECT_TRUE(QByteArray(std::setlocale(LC_CTYPE, nullptr)).startsWith("de_DE")) << std::setlocale(LC_CTYPE, nullptr);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", 1.5);
    EXPECT_STREQ(text, "1.50");
    EXPECT_EQ(std::strtod("1.25", nullptr), 1.25);
}
