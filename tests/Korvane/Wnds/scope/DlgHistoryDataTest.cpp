// The oscilloscope's history tab: the capture files it lists, what choosing one loads and
// shows, and what "使用选中文件的参数" makes of the group "示波器参数" and of the values the
// parameter tab then writes.
#include "ScopeTabsFixture.h"

#include "Wnds/scope/DlgScope.h"
#include "Wnds/scope/DlgScopeDocker.h"
#include "grid/BCGPGridCtrlEx.h"
#include "platform/LanguageConf.h"

#include <QDir>
#include <QPushButton>

#include <algorithm>

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

    static QByteArray Bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool Rewrite(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    static QStringList HistoryNames()
    {
        return QDir(GetHistoryDataDir()).entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
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
        QByteArray bytes = Bytes(path);
        ASSERT_TRUE(bytes.contains("P0206,\tP0206,\t7\n"));
        bytes.replace("P0206,\tP0206,\t7\n", QByteArray("P0206,\tP0206,\t") + text + "\n");
        ASSERT_TRUE(Rewrite(path, bytes));
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

// A click on a file that cannot be shown says so, through the page's real compare load: a file
// cut short inside its header, one whose sample rows are damaged, and one deleted after the
// listing. A file that loads says nothing.
TEST_F(HistoryTest, AFileThatCannotBeShownSaysWhy)
{
    struct Case {
        const char *what;
        bool damage;
        bool remove;
        const char *why;  // empty: loads, no box
    } cases[] = {
        {"loads", false, false, ""},
        {"header cut short", true, false, "文件已损坏"},
        {"deleted after listing", false, true, "文件已不存在"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = WriteHistoryFile("h.csv", {{"P0203", 5}});
        if (c.damage) {
            ASSERT_TRUE(Rewrite(path, Bytes(path).left(40)));
        }
        CDlgHistoryData &page = Bound();
        page.m_fnLoadFile = [](const QString &file) {
            CScopeChannels channels;
            channels.m_dTimePerPoint = 0.125;
            return OpenCompareFile(file, channels, *CScopeSettings::GetInstance());
        };
        if (c.remove) {
            ASSERT_TRUE(QFile::remove(path));
        }
        m_ui->ClearCalls();
        Choose("h.csv");
        QStringList said;
        for (const auto &call : m_ui->Calls())
            said << call.text;
        if (*c.why) {
            ASSERT_EQ(said.size(), 1) << said.join(" | ").toStdString();
            EXPECT_TRUE(said.front().contains(QString::fromUtf8(c.why))) << said.front().toStdString();
            EXPECT_TRUE(said.front().contains("h.csv"));
        } else {
            EXPECT_TRUE(said.isEmpty()) << said.join(" | ").toStdString();
        }
        m_history.reset();
        QFile::remove(path);
    }
}

// The whole way through the oscilloscope page: a capture it saves to the history carries the
// group's parameters; chosen on the history tab they are listed, and applied they reach the
// drive. A capture saved with the group empty lists its own parameters, and says that none of
// them can be written; a damaged value says so.
TEST_F(HistoryTest, TheOscilloscopesOwnCaptureListsAndAppliesItsParameters)
{
    QWidget host;
    auto page = std::make_unique<CDlgScope>();
    page->m_fnMainStatusTimer = [](bool) {};
    page->m_fnRestartShownPageTimer = {};
    page->Create(&host);
    host.resize(1280, 800);
    page->setGeometry(0, 0, 1280, 800);
    host.show();
    QCoreApplication::processEvents();
    CChannel &trace = page->GetScopeView()->Channels().m_ch[0];
    trace.AppendFromArray(std::vector<double>{1, 2, 3, 4});
    CDlgScopeDocker *docker = page->Docker();
    CDlgHistoryData &history = docker->HistoryPage();
    auto choose = [&](const QString &name) {
        docker->SelectTab(CDlgScopeDocker::kTabHistory);
        const int row = int(Column(history.FileList(), 0).indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        history.FileList()->SetCurSel(platform::GridItemID{row, 0});
        QCoreApplication::processEvents();
    };
    auto said = [&] {
        QStringList texts;
        for (const auto &call : m_ui->Calls())
            texts << call.text;
        return texts.join(" | ");
    };
    docker->SelectTab(CDlgScopeDocker::kTabScopeSet);

    // With the group empty the capture carries the recorder's parameters, which only show.
    page->SaveCaptureToHistory();
    QStringList names = HistoryNames();
    ASSERT_EQ(names.size(), 1);
    const QString plain = names.front();
    m_ui->ClearCalls();
    choose(plain);
    EXPECT_EQ(said(), QString());
    const QStringList recorded = Column(history.ParamList(), 0);
    EXPECT_EQ(recorded.size(), CScopeSettings::GetInstance()->m_arrCaptureParams.size());
    EXPECT_TRUE(recorded.contains("H0506"));
    m_sim.ClearRequests();
    history.ApplyButton()->click();
    EXPECT_EQ(said(), TrSection("CDlgHistoryData", QStringLiteral("历史数据“%1”中没有可写入驱动器的参数。")).arg(plain));
    EXPECT_TRUE(m_listed.empty());
    EXPECT_EQ(GroupCount(), 0) << "nothing changes";

    // The group's values at the capture, then others in the table.
    SetScopeGroup({"P0203", "P0206"});
    Record("P0203")->iCurValue = 123;
    Record("P0206")->iCurValue = 7;
    QFile::remove(GetHistoryDataDir() + "/" + plain);
    page->SaveCaptureToHistory();
    names = HistoryNames();
    ASSERT_EQ(names.size(), 1);
    Record("P0203")->iCurValue = 5;
    Record("P0206")->iCurValue = 3;
    m_ui->ClearCalls();
    choose(names.front());
    EXPECT_EQ(said(), QString());
    EXPECT_EQ(Column(history.ParamList(), 0), (QStringList{"P0206", "P0203"}));
    EXPECT_EQ(Column(history.ParamList(), 1), (QStringList{"7", "123"}));
    m_sim.ClearRequests();
    history.ApplyButton()->click();
    ASSERT_EQ(m_listed.size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return !docker->ScopeSet()->IsTransferRunning(); }));
    auto writes = Writes();
    std::sort(writes.begin(), writes.end());
    EXPECT_EQ(writes, (std::vector<std::pair<int, int>>{{0x0203, 123}, {0x0206, 7}}));

    // A value that is no number: the user hears which capture and which value.
    const QString path = GetHistoryDataDir() + "/" + names.front();
    QByteArray bytes = Bytes(path);
    const qsizetype at = bytes.lastIndexOf("P0203,");
    ASSERT_GT(at, 0);
    ASSERT_TRUE(Rewrite(path, bytes.left(bytes.indexOf("\t123", at)) + "\t12abc\n"));
    m_listed.clear();
    m_sim.ClearRequests();
    m_ui->ClearCalls();
    choose(names.front());
    history.ApplyButton()->click();
    EXPECT_TRUE(said().contains(names.front())) << said().toStdString();
    EXPECT_TRUE(said().contains("12abc")) << said().toStdString();
    EXPECT_TRUE(m_listed.empty());
    EXPECT_TRUE(Writes().empty());
    page->DestroyWindow();
}

// A group section line with a field more or less refuses the file: choosing it lists nothing
// and says which file and which line; applying it changes nothing.
TEST_F(HistoryTest, AFileWithAParameterLineOfOtherFieldsSaysWhichFileAndWhy)
{
    const QString path = WriteHistoryFile("fields.csv", {{"P0203", 123}, {"P0206", 1000}});
    QByteArray bytes = Bytes(path);
    ASSERT_TRUE(bytes.contains("P0206,\tP0206,\t1000\n"));
    bytes.replace("P0206,\tP0206,\t1000\n", "P0206,\tP0206,\t1,000\n");
    const int line = int(bytes.left(bytes.indexOf("P0206,\tP0206,\t1,000\n")).count('\n')) + 1;
    ASSERT_TRUE(Rewrite(path, bytes));
    const int before = Record("P0206")->iCurValue;
    CDlgHistoryData &page = Bound();
    m_ui->ClearCalls();
    Choose("fields.csv");
    EXPECT_EQ(page.ParamList()->GetRowCount(), 0);
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    const QString text = m_ui->Calls().front().text;
    EXPECT_TRUE(text.contains("fields.csv")) << text.toStdString();
    EXPECT_TRUE(text.contains(TrText(QStringLiteral("第%1行有%2个字段，应为%3个。")).arg(line).arg(4).arg(3)))
        << text.toStdString();
    page.OnApplyParams();
    EXPECT_EQ(m_applied, 0);
    EXPECT_EQ(GroupCount(), 0);
    EXPECT_EQ(Record("P0206")->iCurValue, before);
    EXPECT_EQ(m_ui->Calls().size(), 2u) << "the apply says it too";
}
