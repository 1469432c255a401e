// The oscilloscope's parameter tab on the simulated drive: its rows, in-place edits, reads and
// writes, the roll stopped around a write, and the one transfer at a time it shares with the
// parameter page.
#include "ScopeTabsFixture.h"

#include "database/ParamValueText.h"

#include "DlgUserParamSet.h"
#include "platform/LanguageConf.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using Kind = platform::ScriptedUiServices::Kind;

class ScopeSetTest : public ScopeTabsFixture
{
protected:
    // Boxes with this text, whatever their caption.
    int BoxCount(const char *text) const
    {
        int n = 0;
        for (const auto &c : m_ui->Calls())
            n += c.kind == Kind::MessageBox && c.text == QString::fromUtf8(text);
        return n;
    }
    bool WaitForTabIdle()
    {
        const bool idle = WaitFor([&] { return !m_tab->IsTransferRunning(); });
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return idle;
    }
};

}

TEST_F(ScopeSetTest, RowsAreTheGroupsMembersTheDriveKnowsInGroupOrder)
{
    SetScopeGroup({"P0608", "PFFFF", "P0203"});
    Record("P0203")->iCurValue = Record("P0203")->iDefaultValue + 1;
    CDlgScopeSet &tab = Tab();
    EXPECT_TRUE(tab.m_bHasScopeGroup);
    EXPECT_EQ(tab.m_strScopeGroup, Group());
    ASSERT_EQ(TabCodes(), (QStringList{"P0608", "P0203"}));
    // The position cell finds the record again.
    EXPECT_EQ(tab.RecordOfRow(1), Record("P0203"));
    EXPECT_EQ(TabCell(1, "IDS_ParaView_3"), QString::number(Record("P0203")->iCurValue));
    // A member added while the tab is hidden shows when it is activated again.
    m_sys->m_arrParamUser.append(CParamUser{Group(), "P0206"});
    platform::SendMessage(platform::WindowRef(&tab), UM_PAGE_ACTIVATE, 0, 0);
    EXPECT_EQ(TabCodes(), (QStringList{"P0608", "P0203", "P0206"}));
}

TEST_F(ScopeSetTest, WithoutTheGroupOrTheLinkNothingStarts)
{
    CDlgScopeSet &tab = Tab();
    EXPECT_FALSE(tab.m_bHasScopeGroup);
    EXPECT_TRUE(TabCodes().isEmpty());
    tab.OnWriteParams();
    tab.OnReadParams();
    EXPECT_EQ(Boxes("参数写入"), std::vector<QString>{QString::fromUtf8("请选择功能码！")});
    EXPECT_EQ(Boxes("参数读取"), std::vector<QString>{QString::fromUtf8("请选择功能码！")});

    SetScopeGroup({"P0203"});
    tab.FillScopeParamRows();
    m_sys->m_bConnected = FALSE;
    m_ui->ClearCalls();
    tab.OnWriteParams();
    tab.OnReadParams();
    EXPECT_EQ(Boxes("参数写入"), std::vector<QString>{QString::fromUtf8("请连接串口！")});
    EXPECT_EQ(Boxes("参数读取"), std::vector<QString>{QString::fromUtf8("请连接串口！")});
    EXPECT_TRUE(m_listed.empty());
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(ScopeSetTest, AnEditInRangeIsStoredAndTickedOneOutsideRestoresTheOldValue)
{
    SetScopeGroup({"P0203"});
    Tab();
    const int old = Record("P0203")->iCurValue;
    TypeValue(0, "5000");
    EXPECT_EQ(Record("P0203")->iCurValue, old);
    EXPECT_EQ(TabCell(0, "IDS_ParaView_3"), QString::number(old));
    ASSERT_TRUE(WaitFor([&] { return !m_ui->Calls().empty(); }));
    EXPECT_EQ(m_ui->Calls().back().kind, Kind::MessageBox);
    EXPECT_EQ(m_ui->Calls().back().text, RefusedParamValueText(*Record("P0203"), QStringLiteral("5000"), true));
    EXPECT_TRUE(CDlgParams::CheckedParams()->isEmpty());

    TypeValue(0, "123");
    EXPECT_EQ(Record("P0203")->iCurValue, 123);
    ASSERT_EQ(CDlgParams::CheckedParams()->size(), 1);
    EXPECT_EQ(CDlgParams::CheckedParams()->front().iCurValue, 123);
}

TEST_F(ScopeSetTest, ATypedTextThatIsNotAWholeNumberIsRefusedAndTheCellRestored)
{
    SetScopeGroup({"P0203"});
    Tab();
    const int old = Record("P0203")->iCurValue;
    for (const char *text : {"1e3", "1,000", "12.7", "12abc", "abc", "", "-", "0x10"}) {
        SCOPED_TRACE(text);
        TypeValue(0, text);
        EXPECT_EQ(Record("P0203")->iCurValue, old);
        EXPECT_EQ(TabCell(0, "IDS_ParaView_3"), QString::number(old));
        EXPECT_TRUE(CDlgParams::CheckedParams()->isEmpty());
    }
}

TEST_F(ScopeSetTest, AnEnumeratedValueShowsItsOptionAndAChosenOptionStoresItsValue)
{
    SetScopeGroup({"P000A"});
    Tab();
    CDBDataParameter *mode = Record("P000A");
    ASSERT_GE(mode->m_arrSelects.size(), 2);
    EXPECT_EQ(TabCell(0, "IDS_ParaView_3"), GetParamOptionText(*mode, mode->iCurValue));
    const CDBDataSelects other = mode->m_arrSelects[0].iValue == mode->iCurValue ? mode->m_arrSelects[1]
                                                                                 : mode->m_arrSelects[0];
    TypeValue(0, GetParamOptionText(*mode, other.iValue));
    EXPECT_EQ(mode->iCurValue, other.iValue);
}

TEST_F(ScopeSetTest, ReadStoresValuesInRangeAndListsTheRest)
{
    SetScopeGroup({"P0203", "P0608"});
    CDlgScopeSet &tab = Tab();
    const int oldMax = Record("P0608")->iCurValue;
    m_sim.SetRegister(0x0203, 77);
    m_sim.SetRegister(0x0608, 20000);
    tab.OnReadParams();
    ASSERT_TRUE(WaitForTabIdle());
    ASSERT_TRUE(WaitFor([&] { return Record("P0203")->iCurValue == 77; }));
    EXPECT_EQ(Record("P0608")->iCurValue, oldMax);
    EXPECT_EQ(TabCell(0, "IDS_ParaView_3"), "77");
    EXPECT_EQ(Boxes("读参数结果"),
              std::vector<QString>{QString::fromUtf8("【超过范围】【P0608】【范围0-10000->当前值20000】\r\n"
                                                     "信息提示：当前选项 2个,读取完毕!\r\n")});
    ASSERT_EQ(CDlgParams::CheckedParams()->size(), 1);
    EXPECT_EQ(CDlgParams::CheckedParams()->front().sNum, "P0203");
}

// A write during a roll: "是否先停止?" first; Yes stops the capture, the list is shown, and
// the capture starts again only after the worker has ended, so that the drive sees the stop,
// the parameter writes and then the start. No leaves everything as it was.
TEST_F(ScopeSetTest, AWriteDuringARollStopsItAndRestartsItAfterTheWorker)
{
    SetScopeGroup({"P0203", "P0608"});
    CDlgScopeSet &tab = Tab();
    Record("P0203")->iCurValue = 321;
    Record("P0608")->iCurValue = 600;
    std::vector<std::string> calls;
    tab.m_fnStopSampling = [&] {
        calls.push_back(IsParamTransferRunning() ? "stop while writing" : "stop");
        return m_sys->WriteReg(SimDrive::kRegRecCommand, 2);
    };
    tab.m_fnStartSampling = [&] {
        calls.push_back(IsParamTransferRunning() ? "start while writing" : "start");
        return m_sys->WriteReg(SimDrive::kRegRecCommand, 1);
    };
    CScopeSettings::GetInstance()->m_bRollRunning = 1;

    m_ui->PushAnswer(IDNO);
    tab.OnWriteParams();
    EXPECT_EQ(BoxCount("是否先停止?"), 1);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(m_listed.empty());

    m_ui->PushAnswer(IDYES);
    tab.OnWriteParams();
    EXPECT_EQ(calls, std::vector<std::string>{"stop"}) << "the start waits for the worker";
    ASSERT_EQ(m_listed.size(), 1u);
    EXPECT_EQ(m_listed.front().size(), 2);
    ASSERT_TRUE(WaitFor([&] { return calls.size() == 2; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"stop", "start"}));
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{
                            {SimDrive::kRegRecCommand, 2}, {0x0203, 321}, {0x0608, 600}, {SimDrive::kRegRecCommand, 1}}));
    EXPECT_EQ(Boxes("写参数结果"), std::vector<QString>{QString::fromUtf8("信息提示：选项2个,参数写入完毕!\r\n")});
}

TEST_F(ScopeSetTest, ACancelledListStartsTheStoppedRollAgainAtOnce)
{
    SetScopeGroup({"P0203"});
    CDlgScopeSet &tab = Tab();
    int starts = 0, stops = 0;
    tab.m_fnStopSampling = [&] { return ++stops; };
    tab.m_fnStartSampling = [&] { return ++starts; };
    CScopeSettings::GetInstance()->m_bRollRunning = 1;
    m_listAnswer = IDCANCEL;
    m_ui->PushAnswer(IDYES);
    tab.OnWriteParams();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(tab.IsTransferRunning());
    EXPECT_TRUE(Writes().empty());
    // Without a roll nothing is asked and nothing stopped.
    CScopeSettings::GetInstance()->m_bRollRunning = 0;
    m_ui->ClearCalls();
    tab.OnWriteParams();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(BoxCount("是否先停止?"), 0);
}

TEST_F(ScopeSetTest, EnterWritesTheSelectedValueOnlyInTheValueColumn)
{
    SetScopeGroup({"P0608", "P0203"});
    CDlgScopeSet &tab = Tab();
    CQLBCGGridCtrl *grid = tab.Grid()->GetGrid();
    const int valueCol = tab.Grid()->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_3"));
    const int codeCol = tab.Grid()->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_1"));
    TypeValue(1, "222");
    const UINT enter = platform::GridMessage("BCGM_GRID_ENTER_MSG");

    grid->SetCurSel(platform::GridItemID{1, codeCol});
    platform::SendMessage(platform::WindowRef(tab.Grid()), enter, 0, 0);
    EXPECT_TRUE(m_listed.empty());

    grid->SetCurSel(platform::GridItemID{1, valueCol});
    m_flags.m_bIsEnterWriteDriver = FALSE;
    platform::SendMessage(platform::WindowRef(tab.Grid()), enter, 0, 0);
    EXPECT_TRUE(m_listed.empty());

    m_flags.m_bIsEnterWriteDriver = TRUE;
    platform::SendMessage(platform::WindowRef(tab.Grid()), enter, 0, 0);
    ASSERT_EQ(m_listed.size(), 1u);
    ASSERT_EQ(m_listed.front().size(), 1);
    EXPECT_EQ(m_listed.front().front().sNum, "P0203");
    ASSERT_TRUE(WaitForTabIdle());
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0203, 222}}));
}

// Typed into the value cell and ended with Enter, as the user does: a text the parameter does
// not take (no number, or out of its range) brings back the old value, says so as the
// parameter page does, and offers no write; a good value after it is written as ever.
TEST_F(ScopeSetTest, ARefusedTextEndedWithEnterOffersNoWriteAndSaysWhy)
{
    SetScopeGroup({"P0203"});
    CDlgScopeSet &tab = Tab();
    CQLBCGGridCtrl *grid = tab.Grid()->GetGrid();
    const int valueCol = tab.Grid()->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_3"));
    const int old = Record("P0203")->iCurValue;
    auto type = [&](const QString &text) {
        grid->SetCurSel(platform::GridItemID{0, valueCol});
        ASSERT_TRUE(grid->EditItem(platform::GridItemID{0, valueCol}));
        auto *edit = qobject_cast<QLineEdit *>(grid->GetItem(platform::GridItemID{0, valueCol})->GetInPlaceWnd());
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    };
    for (const char *text : {"12abc", "abc", "1e3", "1,000", "99999999", "-99999999"}) {
        SCOPED_TRACE(text);
        m_ui->ClearCalls();
        type(QString::fromLatin1(text));
        EXPECT_TRUE(m_listed.empty()) << "no write list";
        EXPECT_TRUE(Writes().empty());
        EXPECT_EQ(Record("P0203")->iCurValue, old);
        EXPECT_EQ(TabCell(0, "IDS_ParaView_3"), QString::number(old));
        // Told why in a warning box, as the parameter page tells it (the box comes after the
        // edit's commit).
        const QString why = RefusedParamValueText(*Record("P0203"), QString::fromLatin1(text), true);
        EXPECT_FALSE(why.isEmpty());
        ASSERT_TRUE(WaitFor([&] { return !m_ui->Calls().empty(); }));
        int boxes = 0;
        for (const auto &c : m_ui->Calls())
            boxes += c.kind == Kind::MessageBox && c.text == why && (c.type & MB_ICONWARNING);
        EXPECT_EQ(boxes, 1);
        EXPECT_EQ(BoxCount("参数写入完毕"), 0);
    }
    type(QStringLiteral("222"));
    ASSERT_EQ(m_listed.size(), 1u);
    ASSERT_TRUE(WaitForTabIdle());
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0203, 222}}));
}

// The tab and the parameter page share the run-data list and the link: while one transfer
// runs (its worker cannot end before the GUI thread shows its result box), the other refuses
// to start, without a word and without a request.
TEST_F(ScopeSetTest, OneParameterTransferAtATimeAcrossTheTabAndThePage)
{
    SetScopeGroup({"P0203"});
    CDlgScopeSet &tab = Tab();
    CDlgParams &page = Page();
    CDlgParams::CheckedParams()->append(*Record("P0608"));

    page.WriteCheckedParameters();
    ASSERT_TRUE(IsParamTransferRunning());
    tab.OnWriteParams();
    tab.OnReadParams();
    EXPECT_EQ(m_listed.size(), 1u) << "the tab's write list never opened";
    ASSERT_TRUE(WaitForResult("写参数结果"));
    EXPECT_FALSE(IsParamTransferRunning());

    tab.OnReadParams();
    ASSERT_TRUE(IsParamTransferRunning());
    page.ReadCheckedParameters();
    page.WriteCheckedParameters();
    EXPECT_EQ(m_listed.size(), 1u);
    ASSERT_TRUE(WaitForTabIdle());
    EXPECT_EQ(Boxes("读参数结果").size(), 1u);
    const std::vector<int> reads = [&] {
        std::vector<int> a;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes[1] == 0x23)
                a.push_back((r.bytes[2] << 8) | r.bytes[3]);
        return a;
    }();
    EXPECT_EQ(reads, std::vector<int>{0x0203}) << "only the tab's read reached the drive";

    // Free again: the page starts.
    page.ReadCheckedParameters();
    ASSERT_TRUE(WaitForResult("读参数结果"));
    EXPECT_EQ(Boxes("读参数结果").size(), 2u);
}

TEST_F(ScopeSetTest, AfterTheGroupEditorOnlyTheRowsAreRebuilt)
{
    SetScopeGroup({"P0203"});
    CDlgScopeSet &tab = Tab();
    // Run data of an earlier read elsewhere: applying it now would put back an old value.
    m_sys->m_arrRunData = {CRunData{"P0203", 11, TRUE}};
    Record("P0203")->iCurValue = 99;
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dlg = qobject_cast<CDlgUserParamSet *>(w); dlg && dlg->isVisible()) {
                dlg->m_lstGroup.append(*CDlgParams::ActiveParams()->begin());
                dlg->OnOK();
            }
    });
    tab.OnEditScopeGroup();
    EXPECT_EQ(Record("P0203")->iCurValue, 99);
    EXPECT_EQ(TabCell(TabCodes().indexOf("P0203"), "IDS_ParaView_3"), "99");
    EXPECT_EQ(TabCodes().size(), GroupCodes().size());
    EXPECT_GE(TabCodes().size(), 1);
}

// A missing or empty group leaves an empty table that says how it is filled; the editor,
// opened from the tab, creates the missing group on OK (members or not) and nothing on Cancel.
TEST_F(ScopeSetTest, AnEmptyGroupSaysHowItIsFilledAndTheEditorCreatesAMissingOne)
{
    enum class Answer { OkWithMember, OkEmpty, Cancel };
    struct Case {
        const char *what;
        bool groupThere;
        Answer answer;
        int groups;
        bool hintAfter;
    } cases[] = {
        {"missing, OK with a member", false, Answer::OkWithMember, 1, false},
        {"missing, OK empty", false, Answer::OkEmpty, 1, true},
        {"missing, cancelled", false, Answer::Cancel, 0, true},
        {"there but empty, OK with a member", true, Answer::OkWithMember, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_sys->m_arrGroupsUser.removeIf([this](const CGroupsUser &g) { return g.sGroupName == Group(); });
        m_sys->m_arrParamUser.removeIf([this](const CParamUser &p) { return p.sGroupName == Group(); });
        if (c.groupThere)
            SetScopeGroup({});
        CDlgScopeSet &tab = Tab();
        EXPECT_TRUE(tab.HintLabel()->isVisible());
        EXPECT_TRUE(tab.HintLabel()->text().contains(QStringLiteral("编辑")));
        EXPECT_TRUE(tab.HintLabel()->geometry().intersects(tab.Grid()->geometry())) << "inside the empty table";
        const Answer answer = c.answer;
        QTimer::singleShot(0, [answer] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dlg = qobject_cast<CDlgUserParamSet *>(w); dlg && dlg->isVisible()) {
                    if (answer == Answer::Cancel) {
                        dlg->reject();
                        continue;
                    }
                    if (answer == Answer::OkWithMember)
                        dlg->m_lstGroup.append(*CDlgParams::ActiveParams()->begin());
                    dlg->OnOK();
                }
        });
        tab.OnEditScopeGroup();
        EXPECT_EQ(GroupCount(), c.groups);
        EXPECT_EQ(GroupCodes().size(), c.answer == Answer::OkWithMember ? 1 : 0);
        EXPECT_EQ(tab.HintLabel()->isVisible(), c.hintAfter);
        m_tab.reset();
    }
}
