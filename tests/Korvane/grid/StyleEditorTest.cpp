// The table style editor.
#include "grid/DlgBCGGrid.h"
#include "grid/DlgGridCtrlTableStyle.h"
#include "grid/GridCtrlTableAttributeOp.h"

#include "PathHelpers.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace platform;

namespace {

// Columns a (left, 0), b (none, 1), c (none, 2, hidden), d (right, 3).
CGridTableAttribute Table()
{
    CGridTableAttribute t;
    AddColumnAttribute(t, 1, "a", "A", "", "T", true, true, 60, true, 1, 1, 11, false, 0, "N2");
    AddColumnAttribute(t, 2, "b", "B", "", "T", true, true, 60, true, 0, 0, 11, false, 1, "");
    AddColumnAttribute(t, 3, "c", "C", "", "T", false, true, 60, true, 0, 0, 11, false, 0, "");
    AddColumnAttribute(t, 4, "d", "D", "", "T", true, false, 60, true, 2, 3, 12, true, 0, "#");
    t.mainSortField = "b";
    t.iPageRows = 0;
    return t;
}

struct EditorFixture : public ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QDir().mkpath(tmp.path() + "/App/bin");
        SetProgramDir(tmp.path() + "/App/bin");
        Open(Table());
    }
    void TearDown() override
    {
        dlg.reset();
        SetProgramDir(QString());
    }
    void Open(const CGridTableAttribute &t)
    {
        dlg = std::make_unique<CDlgGridCtrlTableStyle>();
        dlg->SetTableAttribute("  styled  ", t);
        dlg->m_setUnsortableFieldIDs = {"d"};
        dlg->Create(nullptr);
    }
    // The listed style row of a column.
    CGridRowData *Row(const char *id) const
    {
        for (auto &[key, row] : dlg->m_pStyleGrid->m_rows)
            if (row["strColID"].m_strValue == id)
                return &row;
        return nullptr;
    }
    void Edit(const char *id, const char *cell, const QString &value) { (*Row(id))[cell].m_strValue = value; }
    QString UserFile() const { return CGridCtrlTableAttributeOpBase::GetUserTableFile("styled"); }
    void Click(int id) { dlg->Check(id)->click(); }

    QTemporaryDir tmp;
    std::shared_ptr<ScriptedUiServices> ui = std::make_shared<ScriptedUiServices>();
    ScopedUiServices useUi{ui};
    std::unique_ptr<CDlgGridCtrlTableStyle> dlg;
};

}

TEST_F(EditorFixture, RowsAndControlsShowTheTable)
{
    EXPECT_EQ(dlg->m_strTableID, "styled");
    EXPECT_EQ(dlg->m_arrShownAtOpen, (std::vector<QString>{"a", "b", "d"}));
    ASSERT_EQ(dlg->m_pStyleGrid->m_rows.size(), 4u);
    EXPECT_FALSE(dlg->m_pStyleGrid->m_bHeaderMenuEnabled);
    EXPECT_EQ((*Row("a"))["iLock"].m_strValue, "锁定在左侧");
    EXPECT_EQ((*Row("d"))["enColSumType"].m_strValue, "求平均值");
    EXPECT_EQ((*Row("b"))["enSerchType"].m_strValue, "相等");
    EXPECT_EQ((*Row("a"))["strColFormat"].m_strValue, "N2");
    EXPECT_EQ((*Row("c"))["isShow"].m_strValue, "0");
    EXPECT_EQ(dlg->m_editPageRows->text(), "50") << "a page size of 0 shows 50";
    EXPECT_EQ(dlg->m_comboMainSort->count(), 4) << "the empty entry and a, b, c: d may not be sorted";
    EXPECT_EQ(dlg->m_comboMainSort->currentIndex(), 2);
    EXPECT_EQ(dlg->m_comboSecondSort->currentIndex(), 0);
    EXPECT_TRUE(dlg->Check(1985)->isChecked());
    EXPECT_TRUE(dlg->Check(1992)->isChecked()) << "ascending";
    EXPECT_TRUE(dlg->m_btnSaveSystem->isHidden());
    EXPECT_TRUE(dlg->m_btnInitSystem->isHidden());
    EXPECT_FALSE(dlg->m_btnInitUser->isHidden());

    EXPECT_EQ(CDlgGridCtrlTableStyle::FindOptionIndex("计数", CDlgGridCtrlTableStyle::SumOptions()), 2);
    EXPECT_EQ(CDlgGridCtrlTableStyle::FindOptionIndex("相等", CDlgGridCtrlTableStyle::SearchOptions()), 1);
    EXPECT_EQ(CDlgGridCtrlTableStyle::FindOptionIndex("unknown", CDlgGridCtrlTableStyle::LockOptions()), 0);
}

TEST_F(EditorFixture, OutOfRangeValuesShowAndStoreTheFirstOption)
{
    CGridTableAttribute t = Table();
    t.m_mapColumns["a"].iLock = 3;
    t.m_mapColumns["b"].enColSumType = 7;
    t.m_mapColumns["b"].enSerchType = 4;
    Open(t);
    EXPECT_EQ((*Row("a"))["iLock"].m_strValue, "不锁定");
    EXPECT_EQ((*Row("b"))["enColSumType"].m_strValue, "无");
    EXPECT_EQ((*Row("b"))["enSerchType"].m_strValue, "包含");
    dlg->OnBnClickedOk();
    const auto &cols = dlg->m_TableAttribute.m_mapColumns;
    EXPECT_EQ(cols.at("a").iLock, 0);
    EXPECT_EQ(cols.at("b").enColSumType, 0);
    EXPECT_EQ(cols.at("b").enSerchType, 0);
    EXPECT_EQ(cols.at("a").strColFormat, "N2") << "formats come back unchanged";
    EXPECT_EQ(cols.at("d").strColFormat, "#");
}

TEST_F(EditorFixture, OkStoresTheRowsAndRenumbersByLockGroup)
{
    Edit("c", "isShow", "1");                // hidden -> shown: end of the unlocked group
    Edit("a", "iLock", "锁定在右侧");         // shown, left -> right: end of the right group
    Edit("b", "strColShowName", "Bee");
    Edit("b", "iColWidth", "70000");         // stored as 16 bits
    Edit("b", "enColSumType", "计数");
    Edit("b", "iColFont", "14");
    Edit("d", "isShow", "0");
    dlg->OnBnClickedOk();
    const auto &cols = dlg->m_TableAttribute.m_mapColumns;
    EXPECT_EQ(cols.at("b").strColShowName, "Bee");
    EXPECT_EQ(cols.at("b").iColWidth, static_cast<std::int16_t>(70000));
    EXPECT_EQ(cols.at("b").enColSumType, 2);
    EXPECT_EQ(cols.at("b").iColFont, 14);
    EXPECT_EQ(cols.at("a").iLock, 2);
    // none group: b (1), c (entered); right group: a (entered); hidden: d.
    EXPECT_EQ(cols.at("b").iColIndex, 1);
    EXPECT_EQ(cols.at("c").iColIndex, 2);
    EXPECT_EQ(cols.at("a").iColIndex, 3);
    EXPECT_EQ(cols.at("d").iColIndex, 4);
    EXPECT_EQ(dlg->m_bReloadRequired, 1) << "the shown columns changed";
    EXPECT_TRUE(QFile::exists(UserFile()));
    CGridTableAttribute saved;
    ASSERT_TRUE(ReadTableAttributeFile(UserFile(), saved));
    EXPECT_EQ(saved.m_mapColumns.at("b").strColShowName, "Bee");
}

TEST_F(EditorFixture, ReloadFlagFollowsShownColumnsPagingSortingAndTheSumBar)
{
    struct Case {
        const char *what;
        std::function<void(EditorFixture &)> change;
        int reload;
    };
    const std::vector<Case> cases = {
        {"nothing", [](EditorFixture &) {}, 0},
        {"captions, widths, locks and fonts",
         [](EditorFixture &f) {
             f.Edit("a", "strColShowName", "x");
             f.Edit("b", "iLock", "锁定在左侧");
             f.Edit("b", "iColWidth", "99");
             f.Click(1964);
         }, 0},
        {"hide and show again", [](EditorFixture &f) { f.Edit("a", "isShow", "1"); }, 0},
        {"hide a shown column", [](EditorFixture &f) { f.Edit("a", "isShow", "0"); }, 1},
        {"page size", [](EditorFixture &f) { f.dlg->m_editPageRows->setText("20"); }, 1},
        {"sort key", [](EditorFixture &f) { f.dlg->m_comboSecondSort->setCurrentIndex(1); }, 1},
        {"sort direction", [](EditorFixture &f) { f.Click(1992); }, 1},
        {"sum bar", [](EditorFixture &f) { f.Click(1976); }, 1},
        {"show-all checked", [](EditorFixture &f) { f.Click(1974); }, 1},
    };
    for (const Case &c : cases) {
        Open(Table());
        c.change(*this);
        dlg->OnBnClickedOk();
        EXPECT_EQ(dlg->m_bReloadRequired, c.reload) << c.what;
    }

    // Checking "显示全选" marks a reload even when every column was shown already.
    CGridTableAttribute allShown = Table();
    allShown.m_mapColumns["c"].isShow = true;
    Open(allShown);
    Click(1974);
    dlg->OnBnClickedOk();
    EXPECT_EQ(dlg->m_bReloadRequired, 1);

    // A main sort key that names no listed column is stored empty, which counts as a change.
    CGridTableAttribute t = Table();
    t.mainSortField = "d";
    Open(t);
    EXPECT_EQ(dlg->m_comboMainSort->currentIndex(), 0);
    dlg->OnBnClickedOk();
    EXPECT_EQ(dlg->m_TableAttribute.mainSortField, "");
    EXPECT_EQ(dlg->m_bReloadRequired, 1);
}

TEST_F(EditorFixture, SpinBoxesClampAndTheFontReachesEveryListedRow)
{
    auto typeInto = [](QSpinBox *spin, const char *text) {
        spin->findChild<QLineEdit *>()->setText(text);
        spin->interpretText();
    };
    typeInto(dlg->m_spinRowHeight, "10");
    EXPECT_EQ(dlg->m_spinRowHeight->value(), 20);
    typeInto(dlg->m_spinRowHeight, "60");
    EXPECT_EQ(dlg->m_spinRowHeight->value(), 50);
    dlg->m_spinRowHeight->setValue(49);
    dlg->m_spinRowHeight->stepBy(1);
    dlg->m_spinRowHeight->stepBy(1);
    EXPECT_EQ(dlg->m_spinRowHeight->value(), 50);
    dlg->m_spinRowHeight->setValue(12);  // a stored height below the range
    dlg->m_spinRowHeight->stepBy(-1);
    EXPECT_EQ(dlg->m_spinRowHeight->value(), 20);
    dlg->m_spinRowHeight->stepBy(10);
    EXPECT_EQ(dlg->m_spinRowHeight->value(), 20) << "other steps leave the value";
    typeInto(dlg->m_spinRowHeight, "60");

    typeInto(dlg->m_spinFont, "150");
    EXPECT_EQ(dlg->m_spinFont->value(), 100);
    for (const char *id : {"a", "b", "c", "d"})
        EXPECT_EQ((*Row(id))["iColFont"].m_strValue, "100") << id;
    typeInto(dlg->m_spinFont, "3");
    EXPECT_EQ(dlg->m_spinFont->value(), 9);
    dlg->m_spinFont->setValue(11);
    EXPECT_EQ((*Row("a"))["iColFont"].m_strValue, "11") << "back to the size at opening";
    dlg->m_editPageRows->setText("7");
    dlg->OnBnClickedOk();
    EXPECT_EQ(dlg->m_TableAttribute.DataRowHeight, 50);
    EXPECT_EQ(dlg->m_TableAttribute.iDataRowFont, 11);
    EXPECT_EQ(dlg->m_TableAttribute.iPageRows, 7);
}

// A stored row height or font outside the boxes' ranges survives an OK that did not touch them.
TEST_F(EditorFixture, OkKeepsStoredValuesTheUserDidNotTouch)
{
    CGridTableAttribute t = Table();
    t.DataRowHeight = 300;
    t.iDataRowFont = 5;
    Open(t);
    dlg->OnBnClickedOk();
    EXPECT_EQ(dlg->m_TableAttribute.DataRowHeight, 300);
    EXPECT_EQ(dlg->m_TableAttribute.iDataRowFont, 5);
}

TEST_F(EditorFixture, EditsSurviveTheShownHiddenFilter)
{
    Edit("a", "strColShowName", "Renamed");
    Click(1987);  // only the hidden columns
    ASSERT_EQ(dlg->m_pStyleGrid->m_rows.size(), 1u);
    EXPECT_EQ(dlg->m_pStyleGrid->m_rows.begin()->second["strColID"].m_strValue, "c");
    Edit("c", "strColShowName", "Sea");
    Click(1986);  // both: every column
    EXPECT_EQ(dlg->m_pStyleGrid->m_rows.size(), 4u);
    EXPECT_EQ((*Row("a"))["strColShowName"].m_strValue, "Renamed");
    EXPECT_EQ((*Row("c"))["strColShowName"].m_strValue, "Sea");
    Click(1987);  // only the shown columns
    EXPECT_EQ(dlg->m_pStyleGrid->m_rows.size(), 3u);
    dlg->OnBnClickedOk();
    EXPECT_EQ(dlg->m_TableAttribute.m_mapColumns.at("a").strColShowName, "Renamed");
    EXPECT_EQ(dlg->m_TableAttribute.m_mapColumns.at("c").strColShowName, "Sea");
}

TEST_F(EditorFixture, SortKeyCommandsRefuseUnsortableColumns)
{
    dlg->m_pStyleGrid->SelectRow(3);  // d
    SendMessage(WindowRef(dlg.get()), WM_COMMAND, CDlgGridCtrlTableStyle::ID_SET_MAIN_SORT, 0);
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].alert.text, QString("该字段不能参与排序！"));
    EXPECT_EQ(dlg->m_comboMainSort->currentIndex(), 2);
    dlg->m_pStyleGrid->SelectRow(2);  // c
    SendMessage(WindowRef(dlg.get()), WM_COMMAND, CDlgGridCtrlTableStyle::ID_SET_SECOND_SORT, 0);
    EXPECT_EQ(dlg->m_comboSecondSort->currentIndex(), 3);
}

TEST_F(EditorFixture, CancelWritesNothingAndAFailedSaveStillEndsWithOk)
{
    Edit("a", "strColShowName", "Changed");
    dlg->OnCancel();
    EXPECT_FALSE(QFile::exists(UserFile()));
    EXPECT_EQ(dlg->m_TableAttribute.m_mapColumns.at("a").strColShowName, "A");

    // The user folder cannot be made: a file stands where it would be.
    QDir(tmp.path() + "/App").mkpath(".");
    QFile blocker(tmp.path() + "/App/UserDir");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Open(Table());
    dlg->OnBnClickedOk();
    ASSERT_FALSE(ui->Calls().empty());
    EXPECT_EQ(ui->Calls().back().text, QString("保存表格样式失败！"));
    EXPECT_EQ(ui->Calls().back().kind, ScriptedUiServices::Kind::MessageBox);
}

TEST_F(EditorFixture, ResetOfTheUserStyleReloadsTheDefaults)
{
    // The rows come back from the built-in columns; the table's date stays.
    CGridTableAttribute t;
    CGridCtrlTableAttributeOp::GetInstance()->BuildDefaultAttribute("TableStyle", t);
    t.UpdateDateTime = "2020-01-01";
    dlg = std::make_unique<CDlgGridCtrlTableStyle>();
    dlg->SetTableAttribute("TableStyle", t);
    dlg->Create(nullptr);
    Edit("strColID", "strColShowName", "edited");
    ui->ClearCalls();
    dlg->OnBnClickedInitUserStyle();
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].alert.text, QString("初始化用户表格样式成功！"));
    EXPECT_EQ(dlg->m_TableAttribute.UpdateDateTime, "2020-01-01");
    EXPECT_NE((*Row("strColID"))["strColShowName"].m_strValue, "edited");
}

TEST(GridPageStyleCommand, EditorOkReplacesTheTableAndCancelKeepsIt)
{
    QTemporaryDir tmp;
    QDir().mkpath(tmp.path() + "/App/bin");
    SetProgramDir(tmp.path() + "/App/bin");
    struct Page : CDlgBCGGrid {
        using CDlgBCGGrid::CDlgBCGGrid;
        int result = IDCANCEL;
        int RunStyleEditor(CDlgGridCtrlTableStyle &dlg) override
        {
            dlg.Create(nullptr);
            (*dlg.m_pStyleGrid->m_rows.begin()).second["strColShowName"].m_strValue = "FromEditor";
            if (result == IDOK)
                dlg.OnBnClickedOk();
            return result;
        }
    };
    QWidget owner;
    auto *page = new Page(&owner);
    page->Create(&owner);
    page->m_strTableId = "mine";
    CGridTableAttribute t;
    AddColumnAttribute(t, 1, "a", "A", "", "", true, true, 60, true, 0, 0, 11, false, 0, "");
    page->InitColumns(t, 2);
    page->m_nMenuColumn = 0;
    page->OnGridMenuCommand(32888);
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["a"].strColShowName, "A");
    EXPECT_FALSE(QFile::exists(CGridCtrlTableAttributeOpBase::GetUserTableFile("mine")));
    page->result = IDOK;
    page->OnGridMenuCommand(32888);
    EXPECT_EQ(page->m_tableAttr.m_mapColumns["a"].strColShowName, "FromEditor");
    EXPECT_EQ(page->GetGrid()->GetColumnName(0), "FromEditor");
    EXPECT_TRUE(QFile::exists(CGridCtrlTableAttributeOpBase::GetUserTableFile("mine")));
    page->m_strTableId.clear();
    SetProgramDir(QString());
}
