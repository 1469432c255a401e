#include "grid/BCGPGridDateTimeExtItem.h"
#include "grid/BallColorBCGPGridCellItem.h"
#include "grid/ButtonItem.h"
#include "grid/ColorfulTextCell.h"
#include "grid/FilterListDlg.h"
#include "grid/MultiCheckBox.h"
#include "grid/PercentBCGPGridCellItem.h"
#include "grid/PictureGridItem.h"
#include "grid/QLBCGGridCtrl.h"

#include "platform/ControlId.h"
#include "platform/UiServices.h"
#include "platform/grid/GridParts.h"

#include <QStringListModel>
#include <QCompleter>
#include <QComboBox>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace platform;

namespace {

// The window that owns a grid: records every notice with what its lParam pointed to.
class Owner : public QWidget, public MessageTarget
{
public:
    Owner() : MessageTarget(this) { resize(900, 500); }

    struct Notice {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        int row = -2;
        int col = -2;
        bool item = false;
        QString text;
    };
    std::vector<Notice> notices;
    std::function<LRESULT(UINT, LPARAM)> answer;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        Notice n{msg, wParam, lParam, -2, -2, false, QString()};
        if (msg == UM_GRID_CELL_LCLICK || msg == UM_GRID_CELL_RCLICK || msg == UM_GRID_CELL_DBLCLICK) {
            auto *c = reinterpret_cast<QLGridCellNotify *>(lParam);
            n.row = c->nRow;
            n.col = c->nColumn;
            n.item = c->pItem != nullptr;
        } else if (msg == GridMessage("BCGM_GRID_FILTER_BAR_CHANGED")
                   || msg == GridMessage("BCGM_GRID_FILTER_BAR_ENTER_MSG")) {
            auto *f = reinterpret_cast<FilterColumnInfo *>(lParam);
            n.col = f->nCol;
            n.text = f->strFilter;
        } else if (msg == GridMessage("BCGM_GRID_ITEM_CHANGED")) {
            auto *i = reinterpret_cast<GridItemInfo *>(lParam);
            n.row = i->nRow;
            n.col = i->nCol;
            n.text = i->pItem ? i->pItem->FormatItem() : QString();
        }
        notices.push_back(n);
        if (answer)
            return answer(msg, lParam);
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }

    int Count(UINT msg) const
    {
        return static_cast<int>(std::count_if(notices.begin(), notices.end(), [msg](const Notice &n) {
            return n.msg == msg;
        }));
    }
    int Count(const char *name) const { return Count(GridMessage(name)); }
    const Notice *Last(UINT msg) const
    {
        for (auto it = notices.rbegin(); it != notices.rend(); ++it) {
            if (it->msg == msg)
                return &*it;
        }
        return nullptr;
    }
};

struct GridFixture : public ::testing::Test {
    void SetUp() override
    {
        owner = std::make_unique<Owner>();
        grid = new CQLBCGGridCtrl(owner.get());
        SetCtrlId(grid, 1234);
        grid->setGeometry(0, 0, 880, 480);
        ui = std::make_shared<ScriptedUiServices>();
        previousUi = SetUiServices(ui);
    }
    void TearDown() override
    {
        owner.reset();
        SetUiServices(previousUi);
    }

    // Columns: name (text), count (int), value (double).
    void Fill(const std::vector<std::tuple<QString, int, double>> &rows)
    {
        grid->InsertColumn(0, "name", 120);
        grid->InsertColumn(1, "count", 80);
        grid->InsertColumn(2, "value", 80);
        for (const auto &[name, count, value] : rows) {
            GridRow *row = grid->CreateRow(0);
            row->AddItem(new CBCGPGridItemMid(QVariant(name)));
            row->AddItem(new CBCGPGridItemMid(QVariant(count)));
            row->AddItem(new CBCGPGridItemMid(QVariant(value)));
            grid->AddRow(row, false);
        }
        grid->AdjustLayout();
    }
    std::vector<QString> Shown(int col = 0) const
    {
        std::vector<QString> out;
        for (int v = 0; v < grid->GetVisibleRowCount(); ++v)
            out.push_back(grid->GetRow(grid->ViewRowToRow(v))->GetItem(col)->FormatItem());
        return out;
    }

    std::unique_ptr<Owner> owner;
    CQLBCGGridCtrl *grid = nullptr;
    std::shared_ptr<ScriptedUiServices> ui;
    std::shared_ptr<UiServices> previousUi;
};

const std::vector<std::tuple<QString, int, double>> kRows = {
    {"Alpha", 10, 2.5}, {"beta", 9, -1.0}, {"Gamma", 100, 0.25}, {"alphabet", 9, 7.0}, {"delta", -3, 2.5},
};

TEST_F(GridFixture, ModelPassesQtsModelTester)
{
    Fill(kRows);
    QAbstractItemModelTester source(grid->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester proxy(grid->ProxyModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid->EnableFilterBar(true);
    grid->SetFilterBarText(0, "al");
    grid->Sort(1, false);
    GridRow *row = grid->CreateRow(3);
    grid->AddRow(row, true);
    grid->RemoveAll();
    EXPECT_EQ(grid->GetRowCount(), 0);
}

TEST_F(GridFixture, FilterBarMatchesContainedTextIgnoringCaseUnlessAsked)
{
    Fill(kRows);
    grid->EnableFilterBar(true);
    const struct {
        const char *text;
        bool caseSensitive;
        std::vector<QString> shown;
    } cases[] = {
        {"alpha", false, {"Alpha", "alphabet"}},
        {"alpha", true, {"alphabet"}},
        {"ET", false, {"beta", "alphabet"}},
        {"", false, {"Alpha", "beta", "Gamma", "alphabet", "delta"}},
        {"zzz", false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        grid->SetFilterBarText(0, "");
        grid->SetFilterBarCaseSensitive(c.caseSensitive);
        grid->SetFilterBarText(0, c.text);
        EXPECT_EQ(Shown(), c.shown);
    }
}

TEST_F(GridFixture, FilterBarNoticesAndOwnerVeto)
{
    Fill(kRows);
    grid->EnableFilterBar(true);
    const UINT changed = GridMessage("BCGM_GRID_FILTER_BAR_CHANGED");

    grid->SetFilterBarText(0, "ALP");
    ASSERT_EQ(owner->Count(changed), 1);
    EXPECT_EQ(owner->Last(changed)->wParam, 1234u);
    EXPECT_EQ(owner->Last(changed)->text, "alp");
    EXPECT_EQ(Shown().size(), 2u);
    // The same text after lower-casing sends nothing.
    grid->SetFilterBarText(0, "alp");
    EXPECT_EQ(owner->Count(changed), 1);

    // An owner that answers 1 filters itself: the grid keeps its rows.
    owner->answer = [changed](UINT msg, LPARAM) -> LRESULT { return msg == changed ? 1 : 0; };
    grid->SetFilterBarText(0, "gam");
    EXPECT_EQ(owner->Count(changed), 2);
    EXPECT_EQ(Shown().size(), 2u);
    owner->answer = nullptr;

    // Clearing sends once; an entry already empty sends nothing.
    grid->SetFilterBarText(0, "");
    EXPECT_EQ(owner->Count(changed), 3);
    EXPECT_EQ(Shown().size(), 5u);
    grid->OnFilterBarChanged(0, "");
    EXPECT_EQ(owner->Count(changed), 3);
    // Out-of-range columns are ignored.
    grid->OnFilterBarChanged(7, "x");
    grid->OnFilterBarChanged(-1, "x");
    EXPECT_EQ(owner->Count(changed), 3);
}

TEST_F(GridFixture, EnterNotices)
{
    Fill(kRows);
    grid->EnableFilterBar(true);
    owner->show();
    QApplication::processEvents();
    const UINT enter = GridMessage("BCGM_GRID_ENTER_MSG");
    const UINT filterEnter = GridMessage("BCGM_GRID_FILTER_BAR_ENTER_MSG");
    QTableView *view = grid->View(1);

    // Plain Enter on the grid.
    grid->SetCurSel(GridItemID{1, 0});
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(owner->Count(enter), 1);

    // Enter ending an in-place edit: the change first, then Enter, once.
    ASSERT_TRUE(grid->EditItem(GridItemID{1, 1}));
    QWidget *editor = grid->GetItem(GridItemID{1, 1})->GetInPlaceWnd();
    ASSERT_NE(editor, nullptr);
    auto *edit = qobject_cast<QLineEdit *>(editor);
    ASSERT_NE(edit, nullptr);
    edit->setText("12abc");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(owner->Count(enter), 2);
    const UINT itemChanged = GridMessage("BCGM_GRID_ITEM_CHANGED");
    ASSERT_EQ(owner->Count(itemChanged), 1);
    EXPECT_EQ(owner->Last(itemChanged)->text, "12");
    EXPECT_EQ(owner->Last(itemChanged)->row, 1);
    EXPECT_FALSE(grid->IsEditing());

    // Shift+Enter stays in the editor.
    ASSERT_TRUE(grid->EditItem(GridItemID{2, 1}));
    editor = grid->GetItem(GridItemID{2, 1})->GetInPlaceWnd();
    QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(grid->IsEditing());
    EXPECT_EQ(owner->Count(enter), 2);
    grid->EndEditItem(false);

    // A locked (disabled) cell opens no editor; Enter on it is still one notice, no change.
    grid->GetItem(GridItemID{3, 1})->Enable(false);
    EXPECT_FALSE(grid->EditItem(GridItemID{3, 1}));
    grid->SetCurSel(GridItemID{3, 1});
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(owner->Count(enter), 3);
    EXPECT_EQ(owner->Count(itemChanged), 1);
    EXPECT_EQ(owner->Count("BCGM_GRID_ITEM_BEGININPLACEEDIT"), 2);

    // Enter in a filter edit is the filter bar's, never the grid's.
    QWidget *filter = grid->FilterEdit(0);
    ASSERT_NE(filter, nullptr);
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_EQ(owner->Count(filterEnter), 1);
    EXPECT_EQ(owner->Last(filterEnter)->col, 0);
    EXPECT_EQ(owner->Count(enter), 3);
}

TEST_F(GridFixture, SortComparesByValueType)
{
    Fill(kRows);
    const struct {
        int col;
        bool asc;
        std::vector<QString> names;
    } cases[] = {
        // Text: ordinal comparison (upper case first).
        {0, true, {"Alpha", "Gamma", "alphabet", "beta", "delta"}},
        // Integers numerically (100 after 9); equal values keep their row order.
        {1, true, {"delta", "beta", "alphabet", "Alpha", "Gamma"}},
        {1, false, {"Gamma", "Alpha", "beta", "alphabet", "delta"}},
        {2, true, {"beta", "Gamma", "Alpha", "delta", "alphabet"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.col);
        grid->Sort(c.col, c.asc);
        EXPECT_EQ(Shown(), c.names);
        EXPECT_EQ(grid->GetColumnsInfo().GetColumnState(c.col), c.asc ? 1 : -1);
    }
    // A second key breaks ties of the first.
    grid->Sort(1, true);
    grid->Sort(0, false, true);
    EXPECT_EQ(Shown(), (std::vector<QString>{"delta", "beta", "alphabet", "Alpha", "Gamma"}));
}

TEST_F(GridFixture, NoticesNameRowsOfTheModelWhileSortedOrFiltered)
{
    Fill(kRows);
    grid->EnableFilterBar(true);
    grid->Sort(1, false);           // Gamma first
    grid->SetFilterBarText(0, "a");  // all but... every name holds an a
    owner->show();
    QApplication::processEvents();
    QTableView *view = grid->View(1);
    const QRect first = view->visualRect(grid->ProxyModel()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, first.center());
    const auto *click = owner->Last(UM_GRID_CELL_LCLICK);
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(click->row, 2);  // Gamma is row 2 of the model
    EXPECT_EQ(click->col, 0);
    EXPECT_TRUE(click->item);

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, first.center());
    EXPECT_EQ(owner->Last(UM_GRID_CELL_RCLICK)->row, 2);
    // Outside every cell: no item, -1 for left clicks and 0 for right clicks.
    const QPoint below(5, view->viewport()->height() - 2);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below);
    EXPECT_FALSE(owner->Last(UM_GRID_CELL_LCLICK)->item);
    EXPECT_EQ(owner->Last(UM_GRID_CELL_LCLICK)->row, -1);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, below);
    EXPECT_EQ(owner->Last(UM_GRID_CELL_RCLICK)->row, 0);
}

TEST_F(GridFixture, WhiteTextTurnsNearBlackOnClick)
{
    Fill(kRows);
    owner->show();
    QApplication::processEvents();
    grid->GetItem(GridItemID{0, 0})->SetTextColor(0xFFFFFF);
    grid->GetItem(GridItemID{1, 0})->SetTextColor(0x00FF00);
    for (int r : {0, 1}) {
        const QRect cell = grid->View(1)->visualRect(grid->ProxyModel()->index(r, 0));
        QTest::mouseClick(grid->View(1)->viewport(), Qt::LeftButton, {}, cell.center());
    }
    EXPECT_EQ(grid->GetItem(GridItemID{0, 0})->GetTextColor(), 0x010101u);
    EXPECT_EQ(grid->GetItem(GridItemID{1, 0})->GetTextColor(), 0x00FF00u);
}

TEST_F(GridFixture, HeaderValueFiltersAndTheirLimits)
{
    Fill(kRows);
    grid->EnableHeaderFilterMenu(true);
    EXPECT_TRUE(grid->IsHeaderMenuButtonEnabled(1));
    EXPECT_EQ(grid->GetHeaderMenuButtonImageIndex(1, true), 0);

    // The popup opens with the column's distinct values; applying it filters and tells the owner.
    grid->OnHeaderMenuButtonClick(1, QRect());
    EXPECT_EQ(grid->m_nFilterMenuColumn, 1);
    EXPECT_TRUE(grid->IsColumnSelected(1));
    QStringList values;
    grid->GetColumnFilterValues(1, values);
    EXPECT_EQ(values, (QStringList{"-3", "10", "100", "9"}));
    FilterColumnInfo f;
    f.nCol = 1;
    f.bAll = false;
    f.lstValues = {"9"};
    grid->ApplyFilterMenu(ID_GRID_FILTER_APPLIED, f);
    EXPECT_EQ(Shown(), (std::vector<QString>{"beta", "alphabet"}));
    QApplication::processEvents();
    EXPECT_EQ(owner->Count(UM_GRID_DATA_CHANGED), 1);
    grid->Sort(1, true);
    EXPECT_EQ(grid->GetHeaderMenuButtonImageIndex(1, true), 4);
    EXPECT_EQ(grid->GetHeaderMenuButtonImageIndex(1, false), 3);

    // Supplied values win; an empty supplied list falls back to the grid's own.
    const QStringList supplied{"x", "y"};
    grid->SetColumnFilterValues(2, &supplied);
    grid->GetColumnFilterValues(2, values);
    EXPECT_EQ(values, supplied);
    const QStringList none;
    grid->SetColumnFilterValues(2, &none);
    grid->GetColumnFilterValues(2, values);
    EXPECT_EQ(values.size(), 4);
    EXPECT_FALSE(grid->SetColumnFilterValues(-1, &none));

    // Limits: exactly 10,000 rows opens the popup, one more gives the row-limit message.
    grid->RemoveAll();
    for (int i = 0; i < kGridFilterLimit; ++i) {
        GridRow *row = grid->CreateRow(3);
        row->GetItem(0)->SetValue(QString::number(i % 7), false);
        grid->AddRow(row, false);
    }
    grid->OnHeaderMenuButtonClick(0, QRect());
    EXPECT_TRUE(ui->Calls().empty());
    grid->AddRow(grid->CreateRow(3), true);
    grid->OnHeaderMenuButtonClick(0, QRect());
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, QString::fromUtf8("数据数量超出了全局设置上限!"));

    // More than 10,000 supplied values give the value-limit message.
    QStringList many;
    for (int i = 0; i <= kGridFilterLimit; ++i)
        many.append(QString::number(i));
    grid->RemoveAll();
    grid->AddRow(grid->CreateRow(3), true);
    grid->SetColumnFilterValues(0, &many);
    grid->OnHeaderMenuButtonClick(0, QRect());
    ASSERT_EQ(ui->Calls().size(), 2u);
    EXPECT_EQ(ui->Calls()[1].text, QString::fromUtf8("过滤列表项数量超出了全局设置上限!"));
    EXPECT_EQ(grid->m_nFilterMenuColumn, 0);
}

TEST_F(GridFixture, CheckBoxProtocol)
{
    Fill(kRows);
    grid->EnableCheckBoxes(true);
    grid->EnableFilterBar(true);
    const UINT rowClick = GridMessage("BCGM_GRID_ROW_CHECKBOX_CLICK");
    const UINT headerClick = GridMessage("BCGM_GRID_HEADERCHECKBOX_CLICK");
    const UINT headerEnd = GridMessage("BCGM_GRID_HEADERCHECKBOX_CLICK_END");

    grid->OnRowCheckBoxClick(grid->GetRow(2));
    EXPECT_TRUE(grid->GetRow(2)->GetCheck());
    ASSERT_EQ(owner->Count(rowClick), 1);
    EXPECT_EQ(owner->Last(rowClick)->lParam, reinterpret_cast<LPARAM>(grid->GetRow(2)));

    // The owner may take the header click over.
    owner->answer = [headerClick](UINT msg, LPARAM) -> LRESULT { return msg == headerClick ? 1 : 0; };
    grid->OnHeaderCheckBoxClick(0);
    EXPECT_FALSE(grid->GetColumnsInfo().GetCheckBoxState());
    EXPECT_EQ(owner->Count(headerEnd), 0);
    owner->answer = nullptr;

    // Otherwise the header box toggles, and the page grid checks the rows the filter shows.
    grid->GetRow(2)->SetCheck(true);
    grid->SetFilterBarText(0, "alpha");
    grid->OnHeaderCheckBoxClick(0);
    EXPECT_TRUE(grid->GetColumnsInfo().GetCheckBoxState());
    EXPECT_EQ(owner->Count(headerEnd), 1);
    EXPECT_TRUE(grid->GetRow(0)->GetCheck());
    EXPECT_TRUE(grid->GetRow(3)->GetCheck());
    EXPECT_FALSE(grid->GetRow(1)->GetCheck());
    EXPECT_TRUE(grid->GetRow(2)->GetCheck());  // hidden rows keep theirs

    // A click on the box drawn in the first display column toggles that row.
    grid->SetFilterBarText(0, "");
    owner->show();
    QApplication::processEvents();
    QTableView *view = grid->View(1);
    const QRect cell = view->visualRect(grid->ProxyModel()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 8, cell.center().y()));
    EXPECT_TRUE(grid->GetRow(1)->GetCheck());
    EXPECT_EQ(owner->Count(rowClick), 2);
}

TEST_F(GridFixture, FrozenColumnsStayInTheirBandsAndRefuseDrags)
{
    Fill(kRows);
    grid->InsertColumn(3, "tail", 60);
    grid->FreezeColumns(1, 1);
    owner->show();
    QApplication::processEvents();
    EXPECT_TRUE(grid->IsColumnFrozen(0));
    EXPECT_TRUE(grid->IsColumnRightFrozen(3));
    EXPECT_FALSE(grid->DragColumn(0));
    EXPECT_FALSE(grid->DragColumn(3));
    EXPECT_TRUE(grid->DragColumn(1));
    EXPECT_FALSE(grid->View(0)->isColumnHidden(0));
    EXPECT_TRUE(grid->View(1)->isColumnHidden(0));
    EXPECT_FALSE(grid->View(2)->isColumnHidden(3));

    // Dragging the frozen header moves nothing.
    QHeaderView *left = grid->View(0)->horizontalHeader();
    const int x = left->sectionViewportPosition(0) + 30;
    QTest::mousePress(left->viewport(), Qt::LeftButton, {}, QPoint(x, 10));
    QTest::mouseMove(left->viewport(), QPoint(x + 200, 10));
    QTest::mouseRelease(left->viewport(), Qt::LeftButton, {}, QPoint(x + 200, 10));
    EXPECT_EQ(grid->GetColumnOrderArray(), (std::vector<int>{0, 1, 2, 3}));

    // A drag in the main band reorders only the main band.
    QHeaderView *main = grid->View(1)->horizontalHeader();
    main->moveSection(main->visualIndex(2), main->visualIndex(1));
    EXPECT_EQ(grid->GetColumnOrderArray(), (std::vector<int>{0, 2, 1, 3}));

    // The vertical scrolling is shared.
    for (int i = 0; i < 60; ++i)
        grid->AddRow(grid->CreateRow(4), false);
    grid->AdjustLayout();
    QApplication::processEvents();
    grid->VerticalBar()->setValue(10);
    EXPECT_EQ(grid->View(0)->verticalScrollBar()->value(), 10);
    EXPECT_EQ(grid->View(2)->verticalScrollBar()->value(), 10);
    // The right band keeps its place while the main one scrolls sideways.
    const int rightX = grid->View(2)->x();
    grid->View(1)->horizontalScrollBar()->setValue(40);
    EXPECT_EQ(grid->View(2)->x(), rightX);
    EXPECT_EQ(dynamic_cast<CBCGPGridColumnsInfoMid &>(grid->GetColumnsInfo()).CalcRightFrozenWidth(grid), 60);
}

TEST_F(GridFixture, SumRowTextsAndFilterBarClearButton)
{
    Fill(kRows);
    grid->ShowSumRow(true);
    grid->SetSumRowCaption(QString::fromUtf8("合计"));
    EXPECT_TRUE(grid->GetColumnsInfo().SetColumnSumText(1, "125"));
    EXPECT_FALSE(grid->GetColumnsInfo().SetColumnSumText(9, "x"));
    EXPECT_EQ(grid->GetColumnsInfo().GetColumnSumText(1), "125");
    owner->show();
    QApplication::processEvents();
    EXPECT_FALSE(grid->GetSumCellRect(1).isEmpty());
    grid->ShowSumRow(false);
    EXPECT_TRUE(grid->GetSumCellRect(1).isEmpty());

    // The page grid posts nothing for one edit's clear button; clearing the bar posts -1.
    grid->EnableFilterBar(true);
    grid->SetFilterBarText(0, "a");
    grid->OnFilterEditClearButton(0);
    grid->OnFilterBarClearAll();
    QApplication::processEvents();
    const UINT clear = GridMessage("BCGM_GRID_CLICK_FILTER_BAR_CLEAR_BTN");
    ASSERT_EQ(owner->Count(clear), 1);
    EXPECT_EQ(owner->Last(clear)->lParam, -1);
    EXPECT_TRUE(grid->GetFilterBarText(0).isEmpty());
    EXPECT_EQ(grid->GetVisibleRowCount(), 5);
}

TEST_F(GridFixture, CustomFilterCommandsAndTheirToolTip)
{
    struct Answering : CQLBCGGridCtrl {
        using CQLBCGGridCtrl::CQLBCGGridCtrl;
        std::function<int(QDialog &)> run;
        int RunFilterDialog(QDialog &dlg) override { return run(dlg); }
    };
    auto *g = new Answering(owner.get());
    g->InsertColumn(0, "name", 80);
    g->InsertColumn(1, "kind", 80);
    for (const char *k : {"a", "b", "c"}) {
        GridRow *row = g->CreateRow(2);
        row->GetItem(1)->SetValue(QString::fromLatin1(k), false);
        g->AddRow(row, true);
    }
    const QString none = QString::fromUtf8("点击当前按钮进行列标题过滤设置");
    EXPECT_EQ(g->GetCustomFilterDescription(1), none);
    // Before any header button press the commands do nothing.
    SendMessage(WindowRef(static_cast<MessageTarget *>(g)), WM_COMMAND, ID_GRID_CUSTOM_FILTER, 0);
    g->m_nFilterMenuColumn = 1;
    g->run = [](QDialog &dlg) {
        auto &list = dynamic_cast<CFilterListDlg &>(dlg);
        list.SetCheck(2, 0);
        list.OnCheckChange(2);
        list.OnOK();
        return 1;
    };
    SendMessage(WindowRef(static_cast<MessageTarget *>(g)), WM_COMMAND, ID_GRID_CUSTOM_FILTER, 0);
    EXPECT_EQ(g->GetCustomFilterDescription(1), "Contains \"a, c\"");
    EXPECT_EQ(g->GetHeaderMenuButtonTooltip(1), QString::fromUtf8("通过(kind)过滤\nContains \"a, c\""));
    SendMessage(WindowRef(static_cast<MessageTarget *>(g)), WM_COMMAND, ID_GRID_CLEAR_FILTER, 0);
    EXPECT_EQ(g->GetCustomFilterDescription(1), none);
    g->m_nFilterMenuColumn = 0;
    g->run = [](QDialog &dlg) {
        auto &text = dynamic_cast<CFilterStringDlg &>(dlg);
        text.Edit()->setText("ab");
        text.OnOK();
        return 1;
    };
    SendMessage(WindowRef(static_cast<MessageTarget *>(g)), WM_COMMAND, ID_GRID_CUSTOM_FILTER, 0);
    EXPECT_EQ(g->GetCustomFilterDescription(0), "Contains \"ab\"");
}

// ---- Filter dialogs --------------------------------------------------------------------------

TEST(FilterDialogs, ListDialogRules)
{
    const QStringList values{"a", "b", "c"};
    struct Case {
        const char *name;
        FilterColumnInfo start;
        std::function<void(CFilterListDlg &)> act;
        bool all;
        QStringList selected;
        int headState;
    };
    FilterColumnInfo all;
    FilterColumnInfo some;
    some.bAll = false;
    some.lstValues = {"b"};
    const Case cases[] = {
        {"all, unchanged", all, [](CFilterListDlg &) {}, true, {}, 1},
        {"one unchecked", all, [](CFilterListDlg &d) { d.SetCheck(2, 0); d.OnCheckChange(2); }, false, {"a", "c"}, 2},
        {"checked one by one", some,
         [](CFilterListDlg &d) {
             d.SetCheck(1, 1);
             d.OnCheckChange(1);
             d.SetCheck(3, 1);
             d.OnCheckChange(3);
         },
         true, {}, 2},
        {"select all off", all, [](CFilterListDlg &d) { d.SetCheck(0, 0); d.OnCheckChange(0); }, false, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FilterColumnInfo f = c.start;
        CFilterListDlg dlg(&values, &f);
        if (!c.start.bAll) {
            EXPECT_EQ(dlg.GetCheck(0), 2);
        }
        c.act(dlg);
        EXPECT_EQ(dlg.GetCheck(0), c.headState);
        dlg.OnOK();
        EXPECT_EQ(f.bAll, c.all);
        EXPECT_EQ(f.lstValues, c.selected);
        EXPECT_EQ(dlg.result(), 1);
    }
    const QStringList empty;
    FilterColumnInfo f;
    f.bAll = false;
    CFilterListDlg dlg(&empty, &f);
    dlg.OnOK();
    EXPECT_TRUE(f.bAll);
}

TEST(FilterDialogs, StringDialogAndCancel)
{
    FilterColumnInfo f;
    {
        CFilterStringDlg dlg(&f);
        dlg.Edit()->setText("abc");
        dlg.OnOK();
    }
    EXPECT_FALSE(f.bAll);
    EXPECT_EQ(f.strFilter, "abc");
    {
        CFilterStringDlg dlg(&f);
        EXPECT_EQ(dlg.Edit()->text(), "abc");
        dlg.Edit()->setText("");
        dlg.reject();
    }
    EXPECT_EQ(f.strFilter, "abc");
    CFilterStringDlg dlg(&f);
    dlg.Edit()->setText("");
    dlg.OnOK();
    EXPECT_TRUE(f.bAll);
}

// ---- Cells -----------------------------------------------------------------------------------

TEST(GridCells, ItemMidTextsFormatsAndTypeAhead)
{
    CBCGPGridItemMid intCell(QVariant(int(5)));
    intCell.TextToVar("12abc");
    EXPECT_EQ(intCell.GetValue().toInt(), 12);
    EXPECT_EQ(intCell.GetValue().typeId(), QMetaType::Int);
    EXPECT_TRUE(intCell.TextToVar("abc"));
    EXPECT_EQ(intCell.GetValue().toInt(), 0);

    CBCGPGridItemMid f(QVariant(1.5f));
    f.SetValueFormat("%.3f", QVariant(1.0f));
    EXPECT_EQ(f.FormatItem(), "1.500");
    CBCGPGridItemMid d(QVariant(2.0));
    d.SetValueFormat("%.2f", QVariant(1.0));
    EXPECT_EQ(d.FormatItem(), "2.00");

    // First-letter choice among options, continuing after the current one.
    CBCGPGridItemMid list(QVariant(QString("Banana")));
    for (const char *o : {"Apple", "Banana", "Berry"})
        list.AddOption(o);
    list.AllowEdit(false);
    list.PushChar('b');
    EXPECT_EQ(list.FormatItem(), "Berry");
    list.PushChar('b');
    EXPECT_EQ(list.FormatItem(), "Banana");
    list.PushChar('z');
    EXPECT_EQ(list.FormatItem(), "Banana");

    // Auto-completion of the page grid's editor.
    GridItem options{QVariant(QString())};
    for (const char *o : {"Abc", "ABX", "b", "AB"})
        options.AddOption(o);
    EXPECT_EQ(CQLBCGGridCtrl::AutoCompleteList(&options, "ab"), (QStringList{"Abc", "ABX"}));
}

TEST(GridCells, GeometryOfTheDrawnKinds)
{
    // Pictures keep their aspect, centred.
    const struct {
        QRect cell;
        QSize picture;
        QRect drawn;
    } pictures[] = {
        {QRect(0, 0, 40, 40), QSize(200, 100), QRect(0, 11, 40, 18)},
        {QRect(10, 10, 40, 40), QSize(50, 50), QRect(10, 11, 40, 38)},
    };
    for (const auto &c : pictures)
        EXPECT_EQ(CPictureGridItem::PictureRect(c.cell, c.picture.width(), c.picture.height()), c.drawn);
    EXPECT_FALSE(CPictureGridItem("/no/such/picture.png").HasPicture());

    // Ball-colour blocks and when their texts show.
    const struct {
        int w, h;
        bool texts;
    } balls[] = {{50, 30, false}, {70, 30, true}};
    for (const auto &c : balls)
        EXPECT_EQ(CBallColorBCGPGridCellItem::ShowsTexts(QRect(0, 0, c.w, c.h)), c.texts) << c.w;
    QRect parts[3];
    CBallColorBCGPGridCellItem::Parts(QRect(0, 0, 50, 30), parts);
    EXPECT_EQ(parts[0], QRect(2, 2, 15, 26));
    EXPECT_EQ(parts[1], QRect(17, 2, 15, 26));
    EXPECT_EQ(parts[2], QRect(32, 2, 16, 26));

    // Percent bars are not limited.
    const struct {
        int percent;
        QRect bar;
    } bars[] = {{0, QRect()}, {50, QRect(1, 1, 48, 22)}, {150, QRect(1, 1, 148, 22)}};
    for (const auto &c : bars)
        EXPECT_EQ(CPercentBCGPGridCellItem::BarRect(QRect(0, 0, 100, 24), c.percent), c.bar) << c.percent;

    // Dates: the "no date" value shows nothing.
    EXPECT_EQ(CBCGPGridDateTimeExtItem(CBCGPGridDateTimeExtItem::NoDate()).FormatItem(), "");
    EXPECT_EQ(CBCGPGridDateTimeExtItem(QDateTime(QDate(2020, 5, 6), QTime(14, 0))).FormatItem(), "2020-05-06");
}

TEST_F(GridFixture, MultiCheckBoxClicksAndItsLimit)
{
    EXPECT_EQ(CMultiCheckBox(40).GetCount(), 32);
    EXPECT_EQ(CMultiCheckBox(-2).GetCount(), 0);
    grid->InsertColumn(0, "bits", 90);
    GridRow *row = grid->CreateRow(0);
    auto *box = new CMultiCheckBox(3);
    box->SetValue(QVariant(5), false);
    row->AddItem(box);
    grid->AddRow(row, true);
    owner->show();
    QApplication::processEvents();
    const QRect r = box->GetRect();
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(box->BoxAt(r, QPoint(r.left() + 45, r.center().y())), 1);
    EXPECT_TRUE(box->OnClickValue(0x0201, QPoint(r.left() + 45, r.center().y())));
    EXPECT_EQ(box->GetMask(), 7u);
    EXPECT_EQ(owner->Count("BCGM_GRID_ITEM_CHANGED"), 1);
    EXPECT_FALSE(box->OnClickValue(0x0201, QPoint(r.right() + 10, r.center().y())));
    // Every bit of the 32 is reachable.
    CMultiCheckBox wide(32);
    EXPECT_EQ(wide.BoxAt(QRect(0, 0, 320, 20), QPoint(315, 5)), 31);
}

// An editable option cell completes what is typed from its options, as the page grid lists them.
TEST_F(GridFixture, AnEditableOptionCellOffersTheOptionsThatBeginWithTheTypedText)
{
    Fill(kRows);
    auto *item = static_cast<CBCGPGridItemMid *>(grid->GetItem(GridItemID{0, 0}));
    for (const char *o : {"Abc", "ABX", "b", "AB"})
        item->AddOption(o);
    item->AllowEdit(true);
    owner->show();
    QApplication::processEvents();
    ASSERT_TRUE(grid->EditItem(GridItemID{0, 0}));
    auto *combo = qobject_cast<QComboBox *>(item->GetInPlaceWnd());
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(combo->isEditable());
    ASSERT_NE(combo->completer(), nullptr);
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), "ab");
    auto *model = qobject_cast<QStringListModel *>(combo->completer()->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->stringList(), (QStringList{"Abc", "ABX"}));
    QTest::keyClick(combo->lineEdit(), Qt::Key_X);
    EXPECT_TRUE(model->stringList().isEmpty()) << "\"abx\" equals an option and begins no other";
    grid->EndEditItem(false);
}

// The editor starts with its text selected, so typing replaces it; a grid that asks not to
// leaves the caret after the text instead.
TEST_F(GridFixture, AnEditorSelectsItsTextUnlessTheGridSaysNot)
{
    Fill(kRows);
    owner->show();
    QApplication::processEvents();
    for (const BOOL selectAll : {TRUE, FALSE}) {
        SCOPED_TRACE(selectAll);
        grid->m_bSelectAllOnEdit = selectAll;
        ASSERT_TRUE(grid->EditItem(GridItemID{1, 0}));
        auto *edit = qobject_cast<QLineEdit *>(grid->GetItem(GridItemID{1, 0})->GetInPlaceWnd());
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->selectedText(), selectAll ? QString("beta") : QString());
        EXPECT_EQ(edit->cursorPosition(), 4);
        grid->EndEditItem(false);
    }
}

TEST_F(GridFixture, ButtonAndColourCells)
{
    struct Commands : CQLBCGGridCtrl {
        using CQLBCGGridCtrl::CQLBCGGridCtrl;
        std::vector<WPARAM> commands;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
        {
            if (msg == WM_COMMAND)
                commands.push_back(w);
            return CQLBCGGridCtrl::WindowProc(msg, w, l);
        }
    };
    auto *g = new Commands(owner.get());
    g->InsertColumn(0, "b", 80);
    GridRow *row = g->CreateRow(0);
    auto *button = new CButtonItem("Go");
    row->AddItem(button);
    g->AddRow(row, true);
    EXPECT_TRUE(button->OnClickValue(0x0201, QPoint()));
    EXPECT_TRUE(button->PushChar(' '));
    EXPECT_FALSE(button->PushChar('x'));
    EXPECT_EQ(g->commands, (std::vector<WPARAM>{1027, 1027}));

    QImage image(20, 20, QImage::Format_ARGB32);
    QPainter p(&image);
    GridPaintInfo info;
    info.textColor = 0x123456;
    CColorfulTextCell plain;
    EXPECT_EQ(plain.OnFillBackground(p, image.rect(), info), 0x123456u);
    plain.m_clrText = 0x0000FF;
    EXPECT_EQ(plain.OnFillBackground(p, image.rect(), info), 0x0000FFu);
}

}
