// The oscilloscope's history tab: the capture files it lists, what choosing one loads and
// shows, and what "使用选中文件的参数" makes of the group "示波器参数" and of the values the
// parameter tab then writes.
#include "ScopeTabsFixture.h"

#include "grid/BCGPGridCtrlEx.h"

#include <QDir>
#include <QPushButton>

namespace {

class HistoryTest : public ScopeTabsFixture
{
protected:
    CDlgHistoryData &Bound()
    {
        CDlgHistoryData &page = History();
        page.m_fnLoadFile = [this](const QString &path) {
            m_loaded << path;
            return QFile::exists(path) ? 1 : 0;
        };
        page.m_fnApplyParams = [this] {
            ++m_applied;
            return 1;
        };
        return page;
    }
    static QStringList Column(CBCGPGridCtrlEx *grid, int col)
    {
        QStringList cells;
        for (int r = 0; r < grid->GetRowCount(); ++r)
            cells << grid->GetRow(r)->GetItem(col)->GetValue().toString();
        return cells;
    }
    // Chooses the file row by name, as a click in the list does.
    void Choose(const QString &name)
    {
        const int row = int(Column(m_history->FileList(), 0).indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        m_history->FileList()->SetCurSel(platform::GridItemID{row, 0});
        QCoreApplication::processEvents();
    }

    QStringList m_loaded;
    int m_applied = 0;
};

}

TEST_F(HistoryTest, AnEmptyFolderListsNothingAndItsCommandsDoNothing)
{
    SetScopeGroup({"P0203"});
    CDlgHistoryData &page = Bound();
    EXPECT_EQ(page.FileList()->GetRowCount(), 0);
    page.OnFileSelChanged();
    page.OnApplyParams();
    EXPECT_TRUE(m_loaded.isEmpty());
    EXPECT_EQ(m_applied, 0);
    EXPECT_EQ(GroupCodes(), QStringList{"P0203"});
    EXPECT_EQ(page.ParamList()->GetRowCount(), 0);
}

TEST_F(HistoryTest, FilesAreListedByNameAndEachFillAppends)
{
    WriteHistoryFile("2026_1210_10-00-00.csv", {{"P0203", 5}});
    WriteHistoryFile("2026_1210_10-01-00.csv", {{"P0203", 6}});
    QFile(GetHistoryDataDir() + "/notes.txt").open(QIODevice::WriteOnly);
    CDlgHistoryData &page = Bound();
    QStringList names = Column(page.FileList(), 0);
    names.sort();
    EXPECT_EQ(names, (QStringList{"2026_1210_10-00-00.csv", "2026_1210_10-01-00.csv"}));
    // The docker empties the list before every fill; a fill alone adds.
    page.FillFileList();
    EXPECT_EQ(page.FileList()->GetRowCount(), 4);
    page.ClearFileList();
    EXPECT_EQ(page.FileList()->GetRowCount(), 0);
    WriteHistoryFile("2026_1210_10-02-00.csv", {{"P0203", 7}});
    page.FillFileList();
    EXPECT_EQ(page.FileList()->GetRowCount(), 3);
}

TEST_F(HistoryTest, ChoosingAFileLoadsItAndListsItsParameters)
{
    const QString path = WriteHistoryFile("a.csv", {{"P0203", 123}, {"P0608", 600}});
    CDlgHistoryData &page = Bound();
    Choose("a.csv");
    EXPECT_EQ(m_loaded, QStringList{path});
    EXPECT_EQ(Column(page.ParamList(), 0), (QStringList{"P0203", "P0608"}));
    EXPECT_EQ(Column(page.ParamList(), 1), (QStringList{"123", "600"}));
    // A selection in the parameter list runs the same handler: the file is loaded again.
    page.ParamList()->SetCurSel(platform::GridItemID{1, 0});
    QCoreApplication::processEvents();
    EXPECT_EQ(m_loaded.size(), 2);
    EXPECT_EQ(page.ParamList()->GetRowCount(), 2);
}

// The live capture keeps its set-up words (its own save writes them), whatever file the list
// shows the parameters of or applies.
TEST_F(HistoryTest, ReadingAFilesParametersLeavesTheLiveSetUpAlone)
{
    CScopeSettings *settings = CScopeSettings::GetInstance();
    const WORD older[11] = {2, 8, 0x9091, 0x9293, 1, 2, 3, 4, 5, 6, 0};
    std::copy(std::begin(older), std::end(older), settings->m_wDriveConfig);
    WriteHistoryFile("older.csv", {{"P0203", 123}});
    const WORD live[11] = {0, 4, 0x9000, 0x0100, 0, 0, 0, 0, 0, 77, 0};
    std::copy(std::begin(live), std::end(live), settings->m_wDriveConfig);
    CDlgHistoryData &page = Bound();
    Choose("older.csv");
    ASSERT_EQ(page.ParamList()->GetRowCount(), 1);
    page.OnApplyParams();
    ASSERT_EQ(m_applied, 1);
    EXPECT_TRUE(std::equal(std::begin(live), std::end(live), settings->m_wDriveConfig));
}

TEST_F(HistoryTest, AFileDeletedAfterListingLeavesTheParameterListEmpty)
{
    WriteHistoryFile("a.csv", {{"P0203", 123}});
    const QString gone = WriteHistoryFile("b.csv", {{"P0608", 600}});
    CDlgHistoryData &page = Bound();
    Choose("a.csv");
    ASSERT_EQ(page.ParamList()->GetRowCount(), 1);
    ASSERT_TRUE(QFile::remove(gone));
    Choose("b.csv");
    EXPECT_EQ(m_loaded.back(), gone) << "the page's load decides about a missing file";
    EXPECT_EQ(page.ParamList()->GetRowCount(), 0);
    page.OnApplyParams();
    EXPECT_EQ(m_applied, 0);
}

// Twice in a row, with the group missing at first: the group is made once and each code is
// in it once. Nothing was written (the bound apply only counts), so the table is unchanged;
// the write is handed the file's values that are in range.
TEST_F(HistoryTest, ApplyingTwiceLeavesEachCodeOnceAndCreatesTheGroup)
{
    m_sys->m_arrParamUser.append(CParamUser{"other", "P0203"});
    WriteHistoryFile("a.csv", {{"P0203", 123}, {"P0608", 20000}, {"P0206", 7}});
    const int before0203 = Record("P0203")->iCurValue;
    const int before0206 = Record("P0206")->iCurValue;
    CDlgHistoryData &page = Bound();
    Choose("a.csv");
    ASSERT_EQ(GroupCount(), 0);
    page.OnApplyParams();
    page.OnApplyParams();
    EXPECT_EQ(m_applied, 2);
    EXPECT_EQ(GroupCount(), 1);
    EXPECT_EQ(GroupCodes(), (QStringList{"P0203", "P0608", "P0206"}));
    EXPECT_EQ(m_sys->m_arrParamUser.front().sGroupName, "other") << "other groups keep their members";
    EXPECT_EQ(Record("P0203")->iCurValue, before0203);
    EXPECT_EQ(Record("P0206")->iCurValue, before0206);
    using Values = QList<QPair<QString, std::int32_t>>;
    EXPECT_EQ(page.ApplyValues(), (Values{{"P0203", 123}, {"P0206", 7}})) << "a value out of range is not taken";
}

// The apply as the side panel binds it: the parameter tab rebuilds its rows and writes the
// file's values; the list it shows carries them, and the table takes them once written.
TEST_F(HistoryTest, TheWriteListCarriesTheFilesValues)
{
    SetScopeGroup({"P0608"});
    WriteHistoryFile("a.csv", {{"P0203", 123}, {"P0206", 7}});
    CDlgScopeSet &tab = Tab();
    CDlgHistoryData &page = Bound();
    page.m_fnApplyParams = [&tab, &page] {
        return tab.FillScopeParamRows() ? (tab.WriteParamsWithValues(page.ApplyValues()) ? 1 : -1) : 0;
    };
    Choose("a.csv");
    page.ApplyButton()->click();
    ASSERT_EQ(m_listed.size(), 1u);
    ASSERT_EQ(m_listed.front().size(), 2);
    EXPECT_EQ(m_listed.front()[0].sNum, "P0203");
    EXPECT_EQ(m_listed.front()[0].iCurValue, 123);
    EXPECT_EQ(m_listed.front()[1].iCurValue, 7);
    ASSERT_TRUE(WaitFor([&] { return !tab.IsTransferRunning(); }));
    ASSERT_TRUE(WaitFor([&] { return Record("P0206")->iCurValue == 7; }));
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0203, 123}, {0x0206, 7}}));
    EXPECT_EQ(Record("P0203")->iCurValue, 123);
    EXPECT_EQ(TabCell(1, "IDS_ParaView_3"), "7") << "the tab shows what the drive took";
}

// Nothing written, nothing changed, and the user is told: the parameter tab not opened yet,
// the confirmation list cancelled, every write failing on a dead port.
TEST_F(HistoryTest, AnApplyThatWritesNothingLeavesTheTableAndSaysWhy)
{
    enum class Case { TabNeverOpened, ListCancelled, WritesFail };
    for (Case c : {Case::TabNeverOpened, Case::ListCancelled, Case::WritesFail}) {
        SCOPED_TRACE(int(c));
        WriteHistoryFile("a.csv", {{"P0203", 123}, {"P0206", 7}});
        const int before0203 = Record("P0203")->iCurValue;
        const int before0206 = Record("P0206")->iCurValue;
        CDlgScopeSet *tab = c == Case::TabNeverOpened ? nullptr : &Tab();
        CDlgHistoryData &page = Bound();
        page.m_fnApplyParams = [tab, &page] {
            if (!tab || !tab->FillScopeParamRows())
                return 0;
            return tab->WriteParamsWithValues(page.ApplyValues()) ? 1 : -1;
        };
        m_listAnswer = c == Case::ListCancelled ? IDCANCEL : IDOK;
        if (c == Case::WritesFail)
            m_sys->ClosePort();
        m_ui->ClearCalls();
        Choose("a.csv");
        page.ApplyButton()->click();
        if (tab) {
            ASSERT_TRUE(WaitFor([&] { return !tab->IsTransferRunning(); }));
        }
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        EXPECT_EQ(Record("P0203")->iCurValue, before0203);
        EXPECT_EQ(Record("P0206")->iCurValue, before0206);
        EXPECT_TRUE(Writes().empty());
        QStringList said;
        for (const auto &call : m_ui->Calls())
            said << call.text;
        const QString why = c == Case::TabNeverOpened ? QStringLiteral("文件的参数没有写入：请先打开“参数”页。")
                            : c == Case::ListCancelled ? QStringLiteral("参数没有写入，表格未改变。")
                                                       : QStringLiteral("2个写入失败");
        EXPECT_TRUE(said.join('\n').contains(why)) << said.join(" | ").toStdString();
        m_tab.reset();
        m_history.reset();
    }
}

// A file value that is not a whole number (nor an option) refuses the whole file: no value,
// no group member, no write.
TEST_F(HistoryTest, AFileWithAnUnreadableValueChangesNothingAndWritesNothing)
{
    const char *const texts[] = {"abc", "", "   ", "0x10", "12abc", "1e3", "12.7", "-"};
    CDlgScopeSet &tab = Tab();
    CDlgHistoryData &page = Bound();
    page.m_fnApplyParams = [&tab, &page] {
        return tab.FillScopeParamRows() ? (tab.WriteParamsWithValues(page.ApplyValues()) ? 1 : -1) : 0;
    };
    const int before0203 = Record("P0203")->iCurValue;
    const int before0206 = Record("P0206")->iCurValue;
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        const QString path = WriteHistoryFile("bad.csv", {{"P0203", 123}, {"P0206", 7}});
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        ASSERT_TRUE(bytes.contains("P0206,\tP0206,\t7\n"));
        bytes.replace("P0206,\tP0206,\t7\n", QByteArray("P0206,\tP0206,\t") + text + "\n");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        m_history->ClearFileList();
        m_history->FillFileList();
        Choose("bad.csv");
        page.ApplyButton()->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(Record("P0203")->iCurValue, before0203);
        EXPECT_EQ(Record("P0206")->iCurValue, before0206);
        EXPECT_EQ(GroupCount(), 0);
        EXPECT_TRUE(m_listed.empty());
        EXPECT_TRUE(Writes().empty());
    }
}
