// The DI/DO monitor page against the simulated drive: states, forcing by click and by switch,
// the shared write budget, a silent drive, rows by product and by table.
#include "DrivePageFixture.h"

#include "grid/TableColors.h"

#include "Wnds/DiDo/DlgDiDoMonitor.h"
#include "controls/MiniGridCtrl.h"

#include <QCheckBox>

namespace {

using Writes_t = std::vector<std::pair<int, int>>;

class DiDoMonitorTest : public DrivePageTest<CDlgDiDoMonitor>
{
protected:
    void Click(bool isDo, int row, int column)
    {
        m_page->OnGridClick(isDo, row, column);
        Settle();
    }
    std::vector<int> States(bool isDo) const
    {
        std::vector<int> s;
        for (const CDiDoItem &i : isDo ? m_page->Lists().arrDo : m_page->Lists().arrDi)
            s.push_back(i.bState);
        return s;
    }
};

TEST_F(DiDoMonitorTest, ActivationReadsStatesAndModes)
{
    m_sim.SetDiWord(0x0105);
    m_sim.SetDoWord(0x0012);
    m_sim.SetRegister(0x0109, 5);
    Open();
    EXPECT_EQ(m_page->Grid(false)->GetRowCount(), 9);
    Activate();
    EXPECT_EQ(States(false), (std::vector<int>{1, 0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(States(true), (std::vector<int>{0, 1, 0, 0, 1}));
    EXPECT_EQ(m_page->Lists().arrDi[1].nModeValue, 5);
    EXPECT_EQ(m_page->Grid(false)->GetRow(1)->GetItem(3)->GetValue().toString(), QString::fromUtf8("零速箝位"));
    EXPECT_EQ(m_page->Grid(true)->GetRowCount(), 5);
    EXPECT_TRUE(WaitFor([] { return CProgressDialog_Implement::RunningWatchers() == 0; }));
}

TEST_F(DiDoMonitorTest, ForcingAnInputAsksOnceThenWritesTheWordBeforeTheSwitch)
{
    Open();
    Activate();
    m_sim.ClearRequests();
    m_ui->PushAnswer(IDYES);
    Click(false, 2, 2);  // DI3
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], QString::fromUtf8("是否强制执行"));
    EXPECT_TRUE(m_page->ForceBox(false)->isChecked());
    EXPECT_EQ(Writes(), (Writes_t{{0x0810, 0x0004}, {0x080F, 1}}));
    EXPECT_EQ(m_sim.GetRegister(0x0810), 0x0004);
    EXPECT_EQ(States(false)[2], 1);  // read back from 0x0925, now the forced word

    // Forcing is on: the next click forces without asking.
    m_ui->ClearCalls();
    m_sim.ClearRequests();
    Click(false, 0, 2);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(Writes(), (Writes_t{{0x0810, 0x0005}, {0x080F, 1}}));

    // Clearing the switch writes the enable word without the DI bit.
    m_sim.ClearRequests();
    m_page->ForceBox(false)->click();
    Settle();
    EXPECT_EQ(Writes(), (Writes_t{{0x080F, 0}}));
}

TEST_F(DiDoMonitorTest, NoForcingWithoutYesAndOtherColumnsOnlyRefresh)
{
    Open();
    Activate();
    m_sim.ClearRequests();
    m_ui->PushAnswer(IDNO);
    Click(false, 0, 2);
    EXPECT_FALSE(m_page->ForceBox(false)->isChecked());
    Click(false, 0, 1);
    Click(true, 0, 3);
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(Reads().empty());
}

TEST_F(DiDoMonitorTest, OutputsAreForcedOneMeaningOnForEveryLine)
{
    Open();
    Activate();
    m_sim.ClearRequests();
    m_ui->PushAnswer(IDYES);
    Click(true, 1, 2);  // DO2 on
    EXPECT_EQ(Writes(), (Writes_t{{0x0811, 0x0002}, {0x080F, 2}}));
    EXPECT_EQ(States(true)[1], 1);
}

TEST_F(DiDoMonitorTest, OneBudgetOfThreeServesBothWrites)
{
    Open();
    Activate();
    auto refuse = [&](int address) {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::ErrorReply;
        f.errorCode = SimDrive::kExRefused;
        f.persistent = true;
        f.address = address;
        m_sim.InjectFault(f);
    };
    auto count = [&](int address) {
        int n = 0;
        for (const auto &w : Writes())
            n += w.first == address;
        return n;
    };
    refuse(0x0810);
    m_sim.ClearRequests();
    m_ui->PushAnswer(IDYES);
    Click(false, 0, 2);
    EXPECT_EQ(count(0x0810), 3);
    EXPECT_EQ(count(0x080F), 0);

    m_sim.ClearFaults();
    refuse(0x080F);
    m_sim.ClearRequests();
    Click(false, 0, 2);
    EXPECT_EQ(count(0x0810), 1);
    EXPECT_EQ(count(0x080F), 2);
}

TEST_F(DiDoMonitorTest, ASilentDriveLeavesTheLastStatesMarkedNeverAllOff)
{
    m_sim.SetDiWord(0x0003);
    Open();
    Activate();
    EXPECT_EQ(States(false)[0], 1);
    Silence();
    Activate();
    EXPECT_EQ(States(false)[0], 1);
    EXPECT_EQ(States(false)[1], 1);
    EXPECT_FALSE(m_page->Lists().arrDi[0].bStateKnown);
    EXPECT_EQ(m_page->Lists().arrDi[0].nModeValue, 1);
}

TEST_F(DiDoMonitorTest, RowsFollowTheProductAndTheTableAndClicksFindTheirLine)
{
    m_sys->m_ProjectDatabase.m_nProductID = 4;
    DropParameter("P0109");
    Open();
    Activate();
    EXPECT_EQ(m_page->Grid(false)->GetRowCount(), 8);  // DI7 stays on this page
    EXPECT_EQ(m_page->Grid(true)->GetRowCount(), 4);
    EXPECT_EQ(m_page->LineOfRow(false, 1), 2);
    m_sim.ClearRequests();
    m_ui->PushAnswer(IDYES);
    Click(false, 1, 2);
    EXPECT_EQ(Writes(), (Writes_t{{0x0810, 0x0004}, {0x080F, 1}}));
}

TEST_F(DiDoMonitorTest, OfflineActivationFillsTheGridsWithoutTraffic)
{
    GoOffline();
    Open();
    Activate();
    EXPECT_TRUE(m_sim.Requests().empty());
    EXPECT_EQ(m_page->Grid(false)->GetRowCount(), 9);
    EXPECT_EQ(m_page->Grid(true)->GetRowCount(), 5);
}

}

// Both state grids follow the user's table colours when the frame relays the colour change.
TEST_F(DiDoMonitorTest, BothGridsFollowTheColourBroadcast)
{
    Open();
    TableColors colours{TRUE, RGB(1, 2, 3), RGB(200, 220, 240), RGB(10, 20, 30)};
    SetTableColorsSource([&] { return colours; });
    platform::SendMessage(platform::WindowRef(m_page.get()), TableColorsRefreshMessage(), 0, 0);
    for (bool isDo : {false, true}) {
        EXPECT_EQ(m_page->Grid(isDo)->GetColorTheme().text, RGB(1, 2, 3)) << isDo;
        EXPECT_EQ(m_page->Grid(isDo)->GetColorTheme().evenBack, RGB(200, 220, 240)) << isDo;
    }
    colours.bCustom = FALSE;
    platform::SendMessage(platform::WindowRef(m_page.get()), TableColorsRefreshMessage(), 0, 0);
    EXPECT_EQ(m_page->Grid(true)->GetColorTheme(), platform::GridCtrl::ColorTheme{});
    SetTableColorsSource({});
}
