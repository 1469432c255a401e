// The DI/DO monitor page against the simulated drive: states, forcing by click and by switch,
// the shared write budget, a silent drive, rows by product and by table.
#include "DrivePageFixture.h"
#include "support/Soak.h"

#include "ColourBroadcastCheck.h"

#include "Wnds/DiDo/DlgDiDoMonitor.h"
#include "controls/MiniGridCtrl.h"

#include <QCheckBox>

namespace {

using Writes_t = std::vector<std::pair<int, int>>;

class DiDoMonitorTest : public DrivePageTest<CDlgDiDoMonitor>
{
protected:
    void SetUp() override
    {
        // The order of the forcing writes is under test, not the length of the drive's pause.
        CDlgDiDoMonitor::SetForcePauseMs(10);
        DrivePageTest::SetUp();
        if (!HasFatalFailure())
            UseGenerousReplyWindows();
    }
    void TearDown() override
    {
        DrivePageTest::TearDown();
        CDlgDiDoMonitor::SetForcePauseMs(0);
    }
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
    std::vector<std::chrono::steady_clock::time_point> sent;
    for (const SimDrive::Request &r : m_sim.Requests())
        if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
            sent.push_back(r.at);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_GE(sent[1] - sent[0], std::chrono::milliseconds(CDlgDiDoMonitor::ForcePauseMs())) << "the drive's pause";
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

// What runs of activations against a drive that answers late check: every state shown is the
// drive's state word of that activation, every mode or function value its register's (or, after
// a failed read, the one shown before), never another register's.
class ActivationCheck
{
public:
    explicit ActivationCheck(const CDiDoLists &lists) : m_lists(lists)
    {
        m_regs = lists.regDi;
        m_regs.insert(m_regs.end(), lists.regDo.begin(), lists.regDo.end());
        for (std::size_t r = 0; r < m_regs.size(); ++r)
            m_previous.push_back(Shown(r));
    }
    const std::vector<CDiDoRegister> &Registers() const { return m_regs; }
    // Gives the drive the state words and register values of activation a.
    void PutOnDrive(SimDrive &sim, int a) const
    {
        sim.SetDiWord(DiWord(a));
        sim.SetDoWord(DoWord(a));
        for (std::size_t r = 0; r < m_regs.size(); ++r) {
            if (m_regs[r].dwWidth == 32)
                sim.SetRegister32(WORD(m_regs[r].dwAddress), std::uint32_t(Value(a, r)));
            else
                sim.SetRegister(WORD(m_regs[r].dwAddress), std::uint16_t(Value(a, r)));
        }
    }
    // What the page shows after activation a.
    void Compare(int a)
    {
        for (bool isDo : {false, true}) {
            const std::vector<CDiDoItem> &rows = isDo ? m_lists.arrDo : m_lists.arrDi;
            const WORD word = isDo ? DoWord(a) : DiWord(a);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (!rows[i].bStateKnown)
                    continue;
                ++statesShown;
                if (rows[i].bState != ((word >> i) & 1u)) {
                    ++wrongStates;
                    ADD_FAILURE() << (isDo ? "DO " : "DI ") << i << " shows " << int(rows[i].bState);
                }
            }
        }
        for (std::size_t r = 0; r < m_regs.size(); ++r) {
            const std::int32_t shown = Shown(r);
            valuesRead += shown == Value(a, r);
            if (shown != Value(a, r) && shown != m_previous[r]) {
                ++wrongValues;
                ADD_FAILURE() << std::hex << m_regs[r].dwAddress << " shows " << std::dec << shown;
            }
            m_previous[r] = shown;
        }
    }
    int statesShown = 0;
    int wrongStates = 0;
    int valuesRead = 0;
    int wrongValues = 0;

private:
    static WORD DiWord(int a) { return WORD((a * 0x2D + 0x0A) & 0x1FF); }
    static WORD DoWord(int a) { return WORD((a * 0x0B + 0x05) & 0x1F); }
    static std::int32_t Value(int a, std::size_t r) { return std::int32_t(1000 * a + 10 * int(r) + 3); }
    std::int32_t Shown(std::size_t r) const
    {
        const CDiDoItem &row = (r < m_lists.regDi.size() ? m_lists.arrDi : m_lists.arrDo)[std::size_t(m_regs[r].nLine)];
        return m_regs[r].kind == DiDoKind::Mode ? row.nModeValue : row.nFunctionValue;
    }
    const CDiDoLists &m_lists;
    std::vector<CDiDoRegister> m_regs;
    std::vector<std::int32_t> m_previous;
};

// Activations with late answers on the state words and the line registers: a state or a
// value shown is the drive's own (or, after a failed read, the one shown before), never
// another register's.
// The activations in two halves, each a test of its own (every activation waits late answers).
class DiDoLateTest : public DiDoMonitorTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(DiDoLateTest, LateAnswersNeverShowStatesOrValuesTheDriveDidNotHave)
{
    // A short reply time-out: a late answer outlasts several further requests.
    m_sys->m_ModbusRTU.SetReplyTimeouts(20, 40);
    Open();
    ActivationCheck check(m_page->Lists());
    const std::vector<CDiDoRegister> &regs = check.Registers();
    ASSERT_FALSE(regs.empty());
    const int delays[] = {0, 30, 90, 110, 150, 200, 250, 300};
    const WORD targets[] = {0x0925, 0x0926};
    // Every delay once, or 25 activations under the soak.
    const int activations = SoakCount(int(std::size(delays)), 25);
    const int first = GetParam() == 0 ? 1 : activations / 2 + 1;
    const int last = GetParam() == 0 ? activations / 2 : activations;
    for (int a = first; a <= last; ++a) {
        SCOPED_TRACE(a);
        check.PutOnDrive(m_sim, a);
        SimDrive::Fault state;
        state.kind = SimDrive::FaultKind::LateReply;
        state.address = targets[a % 2];
        state.delayMs = delays[a % std::size(delays)];
        m_sim.InjectFault(state);
        SimDrive::Fault line = state;
        line.address = int(regs[std::size_t(a) % regs.size()].dwAddress);
        line.delayMs = delays[(a + 3) % std::size(delays)];
        m_sim.InjectFault(line);
        Activate();
        m_sim.ClearFaults();
        check.Compare(a);
    }
}

INSTANTIATE_TEST_SUITE_P(Halves, DiDoLateTest, ::testing::Values(0, 1));

TEST_F(DiDoMonitorTest, BothGridsFollowTheColourBroadcast)
{
    Open();
    ExpectBothGridsFollowTheColourBroadcast(*m_page);
}

// However low the page, both forcing switches stay on it, under their own grid and clear of the
// other one.
TEST_F(DiDoMonitorTest, BothSwitchesStayOnThePageAtEveryHeight)
{
    Open();
    for (int height : {700, 300, 150, 100, 70}) {
        m_page->resize(600, height);
        m_page->OnSize(600, height);
        const QRect page(0, 0, 600, height);
        const QRect di = m_page->Grid(false)->geometry(), dout = m_page->Grid(true)->geometry();
        const QRect forceDi = m_page->ForceBox(false)->geometry(), forceDo = m_page->ForceBox(true)->geometry();
        EXPECT_TRUE(page.contains(forceDi)) << height;
        EXPECT_TRUE(page.contains(forceDo)) << height;
        EXPECT_GE(forceDi.top(), di.bottom()) << height;
        EXPECT_LE(forceDi.bottom(), dout.top()) << height;
        EXPECT_GE(forceDo.top(), dout.bottom()) << height;
        EXPECT_GE(di.height() + dout.height(), height - 2 * 30 - 1) << height;
    }
}

// A drive late on every request, by anything from nothing to 300 ms and every seventh just past
// the reply window, answering one request at a time in the order they came, at the program's own
// line rate, reply windows and margin: over 25 activations not one I/O state and not one mode or
// function value shown differs from the drive's registers (a read that failed leaves what was
// shown before). Five activations per test, the five tests over different values and lateness.
class DiDoAlwaysLateTest : public DiDoMonitorTest, public ::testing::WithParamInterface<int>
{
protected:
    void PrepareDrive() override
    {
        ConnectedDriveFixture::PrepareDrive();
        m_sim.EnableStatusSide();
    }
};

TEST_P(DiDoAlwaysLateTest, NoStateOrValueShownIsOneTheDriveDidNotHave)
{
    m_sys->m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    m_sys->m_ModbusRTU.SetFrameMargin(-1);
    Open();
    ActivationCheck check(m_page->Lists());
    ASSERT_FALSE(check.Registers().empty());
    SimDrive::LateAnswers late;
    late.maxMs = 300;
    late.pastWindowEvery = 7;
    late.seed = unsigned(1 + GetParam());
    m_sim.SetLateAnswers(late);
    constexpr int kActivations = 5;
    for (int a = GetParam() * kActivations + 1; a <= (GetParam() + 1) * kActivations; ++a) {
        SCOPED_TRACE(a);
        check.PutOnDrive(m_sim, a);
        platform::SendMessage(platform::WindowRef(m_page.get()), UM_PAGE_ACTIVATE, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return !m_page->IsBusy(); }, 180000));
        Pump();
        check.Compare(a);
    }
    m_sim.SetLateAnswers({});
    std::fprintf(stderr, "late drive, %d activations: %d states shown, %d wrong; %d values read, %d wrong\n",
                 kActivations, check.statesShown, check.wrongStates, check.valuesRead, check.wrongValues);
    EXPECT_EQ(check.wrongStates, 0);
    EXPECT_EQ(check.wrongValues, 0);
}

INSTANTIATE_TEST_SUITE_P(Fifths, DiDoAlwaysLateTest, ::testing::Range(0, 5));
