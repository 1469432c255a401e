// The grid page's header menu, its style files and its spreadsheet export.
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "grid/GridMenu.h"
#include "grid/SpreadsheetExport.h"

#include "PathHelpers.h"
#include "platform/CommandId.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <map>
#include <memory>

using namespace platform;

namespace {

CGridTableAttribute Columns(const std::vector<std::tuple<const char *, int, int, bool>> &cols)
{
    CGridTableAttribute t;
    int n = 1;
    for (const auto &[id, index, lock, shown] : cols) {
        AddColumnAttribute(t, n++, id, id, "", "T", shown, true, 60, true, static_cast<std::uint8_t>(lock), 0, 11,
                           false, 0, "");
        t.m_mapColumns[id].iColIndex = static_cast<std::int16_t>(index);
    }
    return t;
}

std::map<QString, std::pair<int, int>> Positions(const CGridTableAttribute &t)
{
    std::map<QString, std::pair<int, int>> out;
    for (const auto &[id, c] : t.m_mapColumns)
        out[id] = {c.iColIndex, c.iLock};
    return out;
}

using Pos = std::map<QString, std::pair<int, int>>;

}

TEST(GridMenuLocks, RulesRenumberTheShownColumns)
{
    struct Case {
        const char *what;
        std::vector<std::tuple<const char *, int, int, bool>> cols;
        const char *x;
        int lock;
        bool changes;
        Pos expected;  // id -> (position, lock)
    };
    const std::vector<Case> cases = {
        {"unlock the middle of three left-locked", {{"A", 0, 1, true}, {"B", 1, 1, true}, {"C", 2, 1, true}}, "B", 0,
         true, {{"A", {0, 1}}, {"B", {2, 0}}, {"C", {1, 1}}}},
        {"lock the last of five on the left",
         {{"A", 0, 0, true}, {"B", 1, 0, true}, {"C", 2, 0, true}, {"D", 3, 0, true}, {"E", 4, 0, true}}, "E", 1,
         true, {{"A", {1, 0}}, {"B", {2, 0}}, {"C", {3, 0}}, {"D", {4, 0}}, {"E", {0, 1}}}},
        {"lock on the right moves the later ones down",
         {{"A", 0, 0, true}, {"B", 1, 0, true}, {"C", 2, 0, true}, {"D", 3, 0, true}}, "B", 2, true,
         {{"A", {0, 0}}, {"B", {3, 2}}, {"C", {1, 0}}, {"D", {2, 0}}}},
        {"unlock a right-locked column",
         {{"A", 0, 0, true}, {"B", 1, 0, true}, {"D", 2, 2, true}, {"E", 3, 2, true}}, "E", 0, true,
         {{"A", {0, 0}}, {"B", {1, 0}}, {"D", {3, 2}}, {"E", {2, 0}}}},
        {"from the right to the left",
         {{"L", 0, 1, true}, {"A", 1, 0, true}, {"R", 2, 2, true}}, "R", 1, true,
         {{"L", {0, 1}}, {"A", {2, 0}}, {"R", {1, 1}}}},
        {"a hidden column keeps its position",
         {{"A", 0, 0, true}, {"H", 1, 0, false}, {"B", 2, 0, true}}, "B", 1, true,
         {{"A", {1, 0}}, {"H", {1, 0}}, {"B", {0, 1}}}},
        {"unlocking an unlocked column does nothing", {{"A", 0, 0, true}, {"B", 1, 0, true}}, "B", 0, false,
         {{"A", {0, 0}}, {"B", {1, 0}}}},
        {"locking left twice does nothing", {{"A", 0, 1, true}}, "A", 1, false, {{"A", {0, 1}}}},
        {"an unknown lock value only changes the lock", {{"A", 0, 0, true}, {"B", 1, 3, true}}, "B", 0, true,
         {{"A", {0, 0}}, {"B", {1, 0}}}},
    };
    for (const Case &c : cases) {
        CGridTableAttribute t = Columns(c.cols);
        EXPECT_EQ(ApplyColumnLock(t, c.x, c.lock), c.changes) << c.what;
        EXPECT_EQ(Positions(t), c.expected) << c.what;
    }
    CGridTableAttribute t = Columns({{"A", 0, 0, true}});
    EXPECT_FALSE(ApplyColumnLock(t, "missing", 1));
}

namespace {

struct MenuItem {
    bool enabled;
    bool checked;
};

void Collect(const QMenu &menu, std::map<int, MenuItem> &out, bool parentEnabled = true)
{
    for (QAction *a : menu.actions()) {
        const bool enabled = parentEnabled && a->isEnabled();
        if (QMenu *sub = a->menu())
            Collect(*sub, out, enabled);
        else if (int id = GetCommandId(a))
            out[id] = {enabled, a->isChecked()};
    }
}

std::map<int, MenuItem> MenuOf(const CGridTableAttribute &t, const CGridColumnAttribute *col, bool onColumn)
{
    QMenu menu;
    BuildGridMenu(menu, t, col, onColumn);
    std::map<int, MenuItem> items;
    Collect(menu, items);
    return items;
}

}

TEST(GridMenuContents, ItemsChecksAndGreyedColumnItems)
{
    CGridTableAttribute t = Columns({{"A", 0, 2, true}});
    CGridColumnAttribute &a = t.m_mapColumns["A"];
    a.enColSumType = 2;
    t.isShowSumBar = true;

    auto items = MenuOf(t, &a, true);
    EXPECT_FALSE(items.count(ID_GRID_MENU_INVERT_CHECKS)) << "only with multi-row selection";
    EXPECT_FALSE(items.count(ID_GRID_MENU_UPDATE_STYLE));
    EXPECT_FALSE(items.count(ID_GRID_MENU_INIT_STYLE));
    EXPECT_TRUE(items.at(ID_GRID_MENU_SHOW).checked);
    EXPECT_TRUE(items.at(ID_GRID_MENU_LOCK_RIGHT).checked);
    EXPECT_FALSE(items.at(ID_GRID_MENU_UNLOCK).checked);
    EXPECT_TRUE(items.at(ID_GRID_MENU_SUM_COUNT).checked) << "sum type 2 is the count";
    EXPECT_FALSE(items.at(ID_GRID_MENU_SUM_SUM).checked);
    EXPECT_TRUE(items.at(ID_GRID_MENU_SUM_BAR).checked);
    EXPECT_FALSE(items.at(ID_GRID_MENU_FILTER_BAR).checked);
    for (int id : {32888, 32889, 32890, 32892, 32893, 32894, 32895, 32896, 32897, 32898, 32899, 32900, 32901})
        EXPECT_TRUE(items.count(id) && items.at(id).enabled) << id;

    t.isMultiRowSelect = true;
    items = MenuOf(t, nullptr, false);
    EXPECT_TRUE(items.count(ID_GRID_MENU_INVERT_CHECKS));
    for (int id : {32889, 32890, 32892, 32893, 32894, 32895, 32896, 32897})
        EXPECT_FALSE(items.at(id).enabled) << "off the columns: " << id;
    EXPECT_TRUE(items.at(ID_GRID_MENU_EXPORT).enabled);
    EXPECT_TRUE(items.at(ID_GRID_MENU_MULTI_ROW).checked);
}

TEST(GridMenuStyles, LoadedStyleKeepsOnlyTheTablesColumns)
{
    CGridTableAttribute table = Columns({{"A", 0, 0, true}, {"B", 1, 0, true}});
    table.m_mapColumns["A"].strColDestribution = "about A";
    CGridTableAttribute foreign = Columns({{"X", 0, 0, true}});
    CGridTableAttribute before = table;
    EXPECT_FALSE(MergeLoadedStyle(table, foreign));
    EXPECT_EQ(table, before);

    CGridTableAttribute file = Columns({{"A", 3, 1, false}, {"X", 0, 0, true}});
    file.m_mapColumns["A"].strColShowName = "Renamed";
    file.isShowSumBar = true;
    ASSERT_TRUE(MergeLoadedStyle(table, file));
    EXPECT_EQ(table.m_mapColumns.size(), 2u);
    EXPECT_FALSE(table.m_mapColumns.count("X"));
    EXPECT_EQ(table.m_mapColumns["A"].strColShowName, "Renamed");
    EXPECT_EQ(table.m_mapColumns["A"].iLock, 1);
    EXPECT_EQ(table.m_mapColumns["A"].strColDestribution, "about A") << "descriptions stay the table's";
    EXPECT_EQ(table.m_mapColumns["B"], before.m_mapColumns["B"]) << "missing in the file: kept";
    EXPECT_TRUE(table.isShowSumBar);
    EXPECT_EQ(table.m_mapColumnOrder, before.m_mapColumnOrder);
}

TEST(SpreadsheetRules, ColumnNamesWidthsAndPictureSizes)
{
    const std::vector<std::pair<int, const char *>> names = {
        {1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {702, "ZZ"}, {703, "AAA"}, {18278, "ZZZ"}, {0, ""}};
    for (const auto &[n, name] : names)
        EXPECT_EQ(SpreadsheetColumnName(n), QString(name)) << n;

    EXPECT_EQ(SpreadsheetPictureSize(40, 20, 2.0), QSizeF(40, 20));
    EXPECT_EQ(SpreadsheetPictureSize(40, 20, 0), QSizeF(20, 20)) << "no ratio counts as 1";
    EXPECT_EQ(SpreadsheetPictureSize(10, 30, 1.5), QSizeF(15, 10));

    EXPECT_EQ(SpreadsheetAutoFitWidth({"abc", "中文字"}), 8) << "CJK counts 2, plus 2";
    EXPECT_EQ(SpreadsheetAutoFitWidth({QString(400, 'x')}), 255);
    EXPECT_EQ(SpreadsheetAutoFitWidth({}), 2);

    CSpreadsheetExportOptions o;
    EXPECT_EQ(o.nDataRowHeight, 30);
    EXPECT_EQ(o.bAutoFit, 1);
    o.mapColumnWidths = {{"Name", 100}, {"Odd", 37}};
    EXPECT_EQ(SpreadsheetColumnWidth(o, "Name"), 20);
    EXPECT_EQ(SpreadsheetColumnWidth(o, "Odd"), 7);
    EXPECT_EQ(SpreadsheetColumnWidth(o, "Other"), 20);
}

TEST(SpreadsheetRules, RefusesMissingInputsWithoutTouchingFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.xlsx");
    EXPECT_EQ(ExportRowsToSpreadsheet({}, QString(), {{"a"}}, {}), 0);
    EXPECT_EQ(ExportRowsToSpreadsheet({}, path, {}, {}), 0);
    EXPECT_EQ(ExportRowsToSpreadsheet({}, path, {{}}, {}), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(ExportRowsToSpreadsheet({}, path, {{"a", "b"}}, {}), 1) << "a header alone is a table";
    EXPECT_TRUE(QFile::exists(path));
}

// An export killed half-way leaves its temporary file beside the target; the next export of
// that target removes it, and leaves other files (another target's leftovers, the user's own
// copies) alone.
TEST(SpreadsheetRules, TheNextExportRemovesWhatAKilledOneLeft)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.xlsx");
    const QStringList leftovers = {"t.xlsx.kvtmp-a1B2c3", "t.xlsx.kvtmp-ZZ9zz9"};
    const QStringList others = {"t.xlsx.backup", "t.xlsx.kvtmp-short", "u.xlsx.kvtmp-a1B2c3", "t.xlsx.kvtmp-a1B2c3.old"};
    for (const QString &name : leftovers + others) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PK half a workbook");
    }
    ASSERT_EQ(ExportRowsToSpreadsheet({}, path, {{"a", "b"}, {"1", "2"}}, {}), 1);
    QStringList expected = others;
    expected << "t.xlsx";
    expected.sort();
    QStringList present = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(present, expected);
}

// The workbook is an ordinary file of the user's: the mode a new file gets under the umask.
TEST(SpreadsheetRules, TheWorkbookTakesTheUsersFileMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.xlsx");
    const mode_t before = ::umask(022);
    const int written = ExportRowsToSpreadsheet({}, path, {{"a", "b"}}, {});
    ::umask(before);
    ASSERT_EQ(written, 1);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// ---- on a grid page ----------------------------------------------------------------------------

namespace {

class Owner : public QWidget, public MessageTarget
{
public:
    Owner() : MessageTarget(this) { resize(800, 400); }
    LRESULT exportAnswer = 0;
    int exportAsks = 0;
    int attributeChanges = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == GridMessage("UM_EXPORT_DATA_TO_EXCEL_MSG")) {
            ++exportAsks;
            return exportAnswer;
        }
        if (msg == GridMessage("ATTRI_FIELD_HAS_CHANGED"))
            ++attributeChanges;
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
};

using MenuPage = CDlgBCGGrid;

// Every item of a menu that is showing, and of its popups, as a user would find them (a popup
// shows its items' states once it opens: it is asked for them as it does).
std::map<int, MenuItem> ItemsOf(QMenu &menu)
{
    std::map<int, MenuItem> items;
    Collect(menu, items);
    return items;
}

QAction *ItemNamed(QMenu &menu, const QString &text)
{
    for (QAction *a : menu.actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

struct MenuPageFixture : public ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QDir().mkpath(tmp.path() + "/App/bin");
        SetProgramDir(tmp.path() + "/App/bin");
        owner = std::make_unique<Owner>();
        page = new MenuPage(owner.get());
        page->Create(owner.get());
        page->setGeometry(0, 0, 780, 380);
        CGridTableAttribute t;
        AddColumnAttribute(t, 1, "name", "Name", "", "", true, true, 90, true, 0, 0, 11, false, 0, "");
        AddColumnAttribute(t, 2, "value", "Value", "", "", true, true, 70, true, 0, 1, 11, false, 0, "");
        AddColumnAttribute(t, 3, "note", "Note", "", "", true, true, 70, true, 0, 0, 11, false, 0, "");
        t.isShowSumBar = true;
        page->InitColumns(t, 2);
        owner->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        owner.reset();
        SetProgramDir(QString());
    }
    void Fill(int rows)
    {
        page->m_rows.clear();
        for (int i = 0; i < rows; ++i) {
            CGridRowData row;
            InsertGridCellData("name", QString("row%1").arg(i), row, 0, 0, -1);
            InsertGridCellData("value", QString("%1.5").arg(i), row, 2, 0, -1);
            InsertGridCellData("note", QString("00%1").arg(i), row, 0, 0, -1);
            page->m_rows[i] = row;
        }
        page->FillRows();
    }
    int Col(const char *field) const { return page->m_mapFieldToCol.at(field); }
    // Right-clicks the header over `column` (-1: beside the columns) as the grid reports it, and
    // hands the real menu to `use` once it shows; the menu is closed after, unless `use` chose an
    // item. False when no menu opened.
    bool WithHeaderMenu(int column, const std::function<void(QMenu &)> &use)
    {
        bool opened = false;
        QTimer look;
        look.setInterval(10);
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            look.stop();
            opened = true;
            use(*menu);
            // Whatever is still open goes, innermost first.
            while (auto *open = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
                open->close();
        });
        look.start();
        SendMessage(WindowRef(page), UM_GRID_HEADER_RCLICK, CDlgBCGGrid::IDC_GRID, column);
        look.stop();
        return opened;
    }
    // Through the real menu: opens the popup `popup` with the keyboard and chooses `item` in it.
    bool Choose(int column, const char *popup, const char *item)
    {
        bool chosen = false;
        const bool opened = WithHeaderMenu(column, [&](QMenu &menu) {
            QAction *sub = ItemNamed(menu, QString::fromUtf8(popup));
            if (!sub || !sub->menu() || !sub->isEnabled())
                return;
            menu.setActiveAction(sub);
            QTest::keyClick(&menu, Qt::Key_Right);
            auto *open = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *target = open == sub->menu() ? ItemNamed(*open, QString::fromUtf8(item)) : nullptr;
            if (!target || !target->isEnabled())
                return;
            open->setActiveAction(target);
            QTest::keyClick(open, Qt::Key_Return);
            chosen = true;
        });
        return opened && chosen;
    }
    std::vector<ScriptedUiServices::Call> Alerts() const
    {
        std::vector<ScriptedUiServices::Call> out;
        for (const auto &c : ui->Calls())
            if (c.kind == ScriptedUiServices::Kind::DesktopAlert)
                out.push_back(c);
        return out;
    }
    int FileDialogs() const
    {
        int n = 0;
        for (const auto &c : ui->Calls())
            n += c.kind == ScriptedUiServices::Kind::FileDialog;
        return n;
    }

    QTemporaryDir tmp;
    std::shared_ptr<ScriptedUiServices> ui = std::make_shared<ScriptedUiServices>();
    ScopedUiServices useUi{ui};
    std::unique_ptr<Owner> owner;
    MenuPage *page = nullptr;
};

}

TEST_F(MenuPageFixture, HeaderRightClickOpensTheMenuUnlessSwitchedOff)
{
    Fill(2);
    std::map<int, MenuItem> items;
    std::map<QString, bool> popups;
    const auto look = [&](QMenu &menu) {
        items = ItemsOf(menu);
        popups.clear();
        for (QAction *a : menu.actions())
            if (a->menu())
                popups[a->text()] = a->isEnabled();
    };
    ASSERT_TRUE(WithHeaderMenu(Col("value"), look));
    EXPECT_EQ(page->m_nMenuColumn, Col("value"));
    EXPECT_TRUE(items.at(ID_GRID_MENU_SUM_SUM).checked);
    EXPECT_TRUE(items.at(ID_GRID_MENU_SHOW).enabled);

    // The popups open for a column; beside the columns only "其他" does.
    const struct {
        const char *where;
        int column;
        bool columnPopups;
    } cases[] = {{"on a column", Col("note"), true}, {"beside the columns", -1, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.where);
        ASSERT_TRUE(WithHeaderMenu(c.column, look));
        EXPECT_EQ(popups, (std::map<QString, bool>{
                              {"锁定", c.columnPopups}, {"合计", c.columnPopups}, {"其他", true}}));
        EXPECT_EQ(items.at(ID_GRID_MENU_SHOW).enabled, c.columnPopups);
        for (int id : {ID_GRID_MENU_UNLOCK, ID_GRID_MENU_LOCK_LEFT, ID_GRID_MENU_SUM_AVERAGE})
            EXPECT_EQ(items.at(id).enabled, c.columnPopups) << id;
        for (int id : {ID_GRID_MENU_FILTER_BAR, ID_GRID_MENU_SUM_BAR, ID_GRID_MENU_MULTI_ROW})
            EXPECT_TRUE(items.at(id).enabled) << id;
    }

    page->m_bHeaderMenuEnabled = 0;
    EXPECT_FALSE(WithHeaderMenu(0, look));
    EXPECT_EQ(page->m_nMenuColumn, 0);
}

// The popups' commands reached as a user reaches them: the real menu, a popup opened with the
// keyboard, an item chosen in it.
TEST_F(MenuPageFixture, ThePopupsCommandsWorkThroughTheRealMenu)
{
    Fill(3);
    ASSERT_TRUE(Choose(Col("note"), "锁定", "在左侧"));
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["note"].iLock, 1);
    EXPECT_TRUE(page->GetGrid()->IsColumnFrozen(Col("note")));
    ASSERT_TRUE(Choose(Col("value"), "合计", "求平均值"));
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["value"].enColSumType, 3);
    ASSERT_TRUE(page->m_tableAttr.isShowSumBar);
    ASSERT_TRUE(Choose(-1, "其他", "合计栏"));
    EXPECT_FALSE(page->m_tableAttr.isShowSumBar);
    EXPECT_FALSE(Choose(-1, "锁定", "在右侧")) << "beside the columns the popup stays shut";

    // "反选" has no other way in: it shows with multi-row selection, switched on in the same popup.
    ASSERT_TRUE(Choose(-1, "其他", "多行选择"));
    ASSERT_TRUE(page->m_tableAttr.isMultiRowSelect);
    page->GetGrid()->GetRow(1)->SetCheck(true);
    ASSERT_TRUE(Choose(-1, "其他", "反选"));
    EXPECT_TRUE(page->GetGrid()->GetRow(0)->GetCheck());
    EXPECT_FALSE(page->GetGrid()->GetRow(1)->GetCheck());
    EXPECT_EQ(owner->attributeChanges, 4) << "every command but the inversion rebuilt the table";
}

TEST_F(MenuPageFixture, CommandsRebuildFromTheWorkingCopy)
{
    Fill(3);
    page->m_nMenuColumn = Col("note");
    page->OnGridMenuCommand(ID_GRID_MENU_SHOW);
    EXPECT_FALSE(page->GetGrid()->GetColumnVisible(Col("note")));
    EXPECT_FALSE(page->m_tableAttr.m_mapColumns["note"].isShow);
    EXPECT_EQ(page->GetGrid()->GetRowCount(), 3) << "rows filled again";
    EXPECT_EQ(owner->attributeChanges, 1);

    page->OnGridMenuCommand(ID_GRID_MENU_UNLOCK);
    EXPECT_EQ(owner->attributeChanges, 1) << "already unlocked: no rebuild";
    page->m_nMenuColumn = Col("value");
    page->OnGridMenuCommand(ID_GRID_MENU_LOCK_RIGHT);
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["value"].iLock, 2);
    EXPECT_TRUE(page->GetGrid()->IsColumnRightFrozen(Col("value")));
    page->OnGridMenuCommand(ID_GRID_MENU_SUM_AVERAGE);
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["value"].enColSumType, 3);

    page->OnGridMenuCommand(ID_GRID_MENU_SUM_BAR);
    EXPECT_FALSE(page->m_tableAttr.isShowSumBar);
    EXPECT_FALSE(page->GetGrid()->GetColumnsInfo().m_bShowSumRow);
    const int changes = owner->attributeChanges;
    page->OnGridMenuCommand(ID_GRID_MENU_PRINT_PREVIEW);
    page->OnGridMenuCommand(ID_GRID_MENU_LAST);
    EXPECT_EQ(owner->attributeChanges, changes) << "print preview and unused ids do nothing";
}

TEST_F(MenuPageFixture, InvertRowChecks)
{
    Fill(3);
    EXPECT_FALSE(page->InvertRowChecks()) << "no row check boxes";
    page->m_nMenuColumn = -1;
    page->OnGridMenuCommand(ID_GRID_MENU_MULTI_ROW);
    ASSERT_TRUE(page->GetGrid()->HasCheckBoxes());
    page->GetGrid()->GetRow(1)->SetCheck(true);
    EXPECT_TRUE(page->InvertRowChecks());
    EXPECT_TRUE(page->GetGrid()->GetRow(0)->GetCheck());
    EXPECT_FALSE(page->GetGrid()->GetRow(1)->GetCheck());
    EXPECT_EQ(page->m_nCheckedRows, 2);
    EXPECT_FALSE(page->GetGrid()->GetColumnsInfo().GetCheckBoxState());
    page->GetGrid()->GetRow(1)->SetCheck(false);
    for (int r = 0; r < 3; ++r)
        page->GetGrid()->GetRow(r)->SetCheck(false);
    page->InvertRowChecks();
    EXPECT_TRUE(page->GetGrid()->GetColumnsInfo().GetCheckBoxState()) << "every row checked";
}

TEST_F(MenuPageFixture, CollectedRowsFollowTheShownColumnsAndTheStoredValues)
{
    SpreadsheetRows rows;
    EXPECT_FALSE(page->CollectExportRows(rows)) << "no rows";
    EXPECT_FALSE(page->ExportToSpreadsheet());
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0].alert.text, QString("表格没有数据，不能导出！"));
    EXPECT_EQ(FileDialogs(), 0) << "no file asked for";

    Fill(2);
    page->GetGrid()->SetColumnVisible(Col("name"), false);
    page->GetGrid()->SetColumnOrderArray({Col("note"), Col("name"), Col("value")});
    ASSERT_TRUE(page->CollectExportRows(rows));
    ASSERT_EQ(rows.size(), 4u) << "header, two rows, sum row";
    EXPECT_EQ(rows[0], (QStringList{"Note", "Value"}));
    EXPECT_EQ(rows[1], (QStringList{"000", "0.5"})) << "the stored value, not the shown 0.50";
    EXPECT_EQ(rows[3].size(), 2);

    page->m_nMenuColumn = -1;
    page->OnGridMenuCommand(ID_GRID_MENU_MULTI_ROW);
    ASSERT_TRUE(page->CollectExportRows(rows));
    EXPECT_EQ(rows.size(), 2u) << "none checked: the header and the sum row";
    page->GetGrid()->GetRow(1)->SetCheck(true);
    ASSERT_TRUE(page->CollectExportRows(rows));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (QStringList{"001", "1.5"}));
}

TEST_F(MenuPageFixture, ExportAsksTheOwnerThenWritesTheWorkbook)
{
    Fill(2);
    page->m_nMenuColumn = 0;
    owner->exportAnswer = 1;
    page->OnGridMenuCommand(ID_GRID_MENU_EXPORT);
    EXPECT_EQ(owner->exportAsks, 1);
    EXPECT_EQ(FileDialogs(), 0) << "the owner took over";

    owner->exportAnswer = 0;
    const QString base = tmp.filePath("table");
    ui->PushFile(base);
    ui->PushAnswer(IDYES);
    page->OnGridMenuCommand(ID_GRID_MENU_EXPORT);
    EXPECT_TRUE(QFile::exists(base + ".xlsx"));
    bool opened = false, asked = false;
    for (const auto &c : ui->Calls()) {
        if (c.kind == ScriptedUiServices::Kind::FileDialog) {
            EXPECT_EQ(c.file.filter, "Excel File(*.xlsx)|*.xlsx||");
        }
        asked |= c.kind == ScriptedUiServices::Kind::MessageBox && c.text == QString("是否打开文件[%1.xlsx]？").arg(base);
        opened |= c.kind == ScriptedUiServices::Kind::ShellOpen && c.text == base + ".xlsx";
    }
    EXPECT_TRUE(asked);
    EXPECT_TRUE(opened);

    // A name that ends in .XLSX keeps it; a failing export keeps the old file and says so.
    ui->ClearCalls();
    const QString named = tmp.filePath("named.XLSX");
    QFile old(named);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    page->m_rows[0]["note"].m_strValue = QString(40000, 'x');
    page->FillRows();
    ui->PushFile(named);
    EXPECT_FALSE(page->ExportToSpreadsheet());
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0].alert.text, QString("导出到文件[%1]保存失败！创建excel服务失败！").arg(named));
    QFile check(named);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(tmp.path()).entryList({"*.kvtmp-*"}, QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(MenuPageFixture, StyleFilesSaveAndLoadOnlyThisTablesColumns)
{
    Fill(1);
    ui->PushFile(tmp.filePath("plain"));
    page->OnGridMenuCommand(ID_GRID_MENU_SAVE_STYLE);
    EXPECT_TRUE(QFile::exists(tmp.filePath("plain.XML")));
    ui->PushFile(tmp.filePath("lower.xml"));
    page->OnGridMenuCommand(ID_GRID_MENU_SAVE_STYLE);
    EXPECT_TRUE(QFile::exists(tmp.filePath("lower.xml")));
    EXPECT_FALSE(QFile::exists(tmp.filePath("lower.xml.XML")));
    EXPECT_TRUE(Alerts().empty());
    ui->PushFile(tmp.filePath("no/such/dir/style"));
    page->OnGridMenuCommand(ID_GRID_MENU_SAVE_STYLE);
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0].alert.text, QString("保存表格样式失败！"));

    // Another table's style file: refused, nothing changes.
    ui->ClearCalls();
    CGridTableAttribute other;
    AddColumnAttribute(other, 1, "foreign", "Foreign", "", "", true, true, 90, true, 0, 0, 11, false, 0, "");
    ASSERT_TRUE(WriteTableAttributeFile(tmp.filePath("other.XML"), other));
    const CGridTableAttribute before = page->m_tableAttr;
    ui->PushFile(tmp.filePath("other.XML"));
    page->OnGridMenuCommand(ID_GRID_MENU_LOAD_STYLE);
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0].alert.text, QString("样式读取失败！"));
    EXPECT_EQ(page->m_tableAttr, before);

    // A file with one of this table's columns and a foreign one.
    ui->ClearCalls();
    CGridTableAttribute mixed = other;
    AddColumnAttribute(mixed, 2, "value", "Worth", "", "", false, true, 40, true, 0, 2, 11, false, 0, "");
    ASSERT_TRUE(WriteTableAttributeFile(tmp.filePath("mixed.XML"), mixed));
    ui->PushFile(tmp.filePath("mixed.XML"));
    page->OnGridMenuCommand(ID_GRID_MENU_LOAD_STYLE);
    EXPECT_TRUE(Alerts().empty());
    EXPECT_EQ(page->m_tableAttr.m_mapColumns.size(), 3u);
    EXPECT_FALSE(page->m_tableAttr.m_mapColumns.count("foreign"));
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["value"].strColShowName, "Worth");
    EXPECT_FALSE(page->GetGrid()->GetColumnVisible(Col("value")));
    EXPECT_TRUE(page->GetGrid()->GetColumnVisible(Col("name")));

    ui->PushFile(tmp.filePath("absent.XML"));
    page->OnGridMenuCommand(ID_GRID_MENU_LOAD_STYLE);
    ASSERT_EQ(Alerts().size(), 1u);
    EXPECT_EQ(Alerts()[0].alert.text, QString("请选择需要打开的表格样式文件！"));
}
