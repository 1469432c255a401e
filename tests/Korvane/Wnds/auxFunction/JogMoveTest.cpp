// The jog trial-run page against the simulated drive: what reaches the drive, and when, as the
// user switches jog mode, holds the round controls, edits the values and leaves the page.
#include "AidFixture.h"

#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "controls/IntRangeEdit.h"
#include "controls/JOGButton.h"
#include "controls/KVProcessIndicator.h"
#include "platform/ControlNotify.h"

#include <QFocusEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

namespace {

using Clock = SimAids::Clock;

class JogMoveTest : public AidFixture
{
protected:
    void SetUp() override
    {
        AidFixture::SetUp();
        sim.SetRegister(0x0606, 300);
        sim.SetRegister(0x060A, 200);
    }
    void TearDown() override
    {
        page.reset();
        AidFixture::TearDown();
    }
    CDlgAidJogMove &Open()
    {
        page = std::make_unique<CDlgAidJogMove>();
        page->Create(nullptr);
        page->show();
        QCoreApplication::processEvents();
        return *page;
    }
    CDlgAidJogMove &SwitchedOn()
    {
        Open();
        sim.ClearRequests();
        page->EnableButton()->click();
        Settle(page.get());
        EXPECT_EQ(page->JogState(), 1);
        return *page;
    }
    void Press(int id) { platform::SendMessage(page.get(), UM_BUTTON_PRESSED, static_cast<WPARAM>(id)); }
    void Release(int id)
    {
        platform::SendMessage(page.get(), UM_BUTTON_RELEASED, static_cast<WPARAM>(id));
        Settle(page.get());
    }
    // Waits for the next keep-alive write of the command.
    bool AwaitCommand(int value)
    {
        const std::size_t before = ValuesTo(0x0807).size();
        return PumpUntil([&] {
            const auto v = ValuesTo(0x0807);
            return v.size() > before && v.back() == value;
        });
    }

    std::unique_ptr<CDlgAidJogMove> page;
};

TEST_F(JogMoveTest, OpeningReadsSpeedAndAccelerationAndShowsThem)
{
    Open();
    EXPECT_EQ(page->SpeedEdit()->text(), "300");
    EXPECT_EQ(page->AccelEdit()->text(), "200");
    EXPECT_EQ(page->Gauge(true)->value(), 300);
    EXPECT_EQ(page->ReadOut(false)->text(), "200 ms");
    EXPECT_TRUE(page->m_bSpeedLoaded && page->m_bAccelLoaded);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(page->JogState(), 0);
    EXPECT_FALSE(page->HoldButton(true)->isEnabled());
    // The safety prompt comes up once the page shows, with the jog picture and the jog flag.
    PumpUntil([&] { return !prompts.empty(); });
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].first.endsWith("/CommonRes/AlarmInfoRes/JogTip.png"));
    EXPECT_EQ(prompts[0].second, &flags.m_bIsDangerJogMoveWnd);
}

TEST_F(JogMoveTest, SwitchOnSendsJogOnThenSpeedAndAccelerationAndKeepsItAlive)
{
    SwitchedOn();
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0807, 1}, {0x0606, 300}, {0x060A, 200}}));
    EXPECT_TRUE(ui->Calls().empty());
    EXPECT_EQ(page->EnableButton()->text(), QString::fromUtf8("使能OFF"));
    EXPECT_TRUE(page->HoldButton(false)->isEnabled());
    EXPECT_TRUE(page->IsTimerRunning(17));
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Idle);
    ASSERT_TRUE(AwaitCommand(1));
    ASSERT_TRUE(AwaitCommand(1));
}

// Holding turns the motor from the next tick on; the release stops it at once.
TEST_F(JogMoveTest, HoldRunsTheMotorAndReleaseStopsItAtOnce)
{
    SwitchedOn();
    Press(CDlgAidJogMove::IDC_FORWARD);
    EXPECT_EQ(page->JogState(), 2);
    EXPECT_TRUE(page->Indicator(true)->GetIndicatorImpl()->IsMarqueeRunning());
    ASSERT_TRUE(AwaitCommand(0x11));
    EXPECT_TRUE(PumpUntil([&] { return aids->Jog().rpm > 0; }));
    Release(CDlgAidJogMove::IDC_FORWARD);
    EXPECT_EQ(ValuesTo(0x0807).back(), 1) << "the stop goes out with the release";
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Idle);
    EXPECT_FALSE(page->Indicator(true)->GetIndicatorImpl()->IsMarqueeRunning());
    // Reverse through the hidden hold button.
    platform::SendMessage(page.get(), WM_COMMAND, MAKEWPARAM(CDlgAidJogMove::IDC_REVERSE_BUTTON, CJOGButton::kPressed));
    EXPECT_EQ(page->JogState(), 3);
    ASSERT_TRUE(AwaitCommand(0x21));
    platform::SendMessage(page.get(), WM_COMMAND, MAKEWPARAM(CDlgAidJogMove::IDC_REVERSE_BUTTON, CJOGButton::kReleased));
    Settle(page.get());
    EXPECT_EQ(ValuesTo(0x0807).back(), 1);
    // After the stop no run command follows (past two keep-alive ticks).
    ASSERT_TRUE(AwaitWritesSince(0x0807, Clock::now(), 2)) << "the keep-alive stopped";
    const auto all = ValuesTo(0x0807);
    const auto stop = std::find(all.rbegin(), all.rend(), 0x21);
    for (auto it = all.rbegin(); it != stop; ++it)
        EXPECT_EQ(*it, 1);
}

// Every way a hold can end is a release: inside, outside, focus lost.
TEST_F(JogMoveTest, ReleaseOutsideAndFocusLossStopTheMotor)
{
    SwitchedOn();
    CKVProcessIndicator *fwd = page->Indicator(true);
    const QPoint inside = fwd->rect().center();
    QTest::mousePress(fwd, Qt::LeftButton, {}, inside);
    EXPECT_EQ(page->JogState(), 2);
    QTest::mouseRelease(fwd, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_EQ(page->JogState(), 1);
    Settle(page.get());
    EXPECT_EQ(ValuesTo(0x0807).back(), 1);

    QTest::mousePress(fwd, Qt::LeftButton, {}, inside);
    EXPECT_EQ(page->JogState(), 2);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(fwd, &out);
    EXPECT_EQ(page->JogState(), 1);
    Settle(page.get());
    EXPECT_EQ(ValuesTo(0x0807).back(), 1);
}

TEST_F(JogMoveTest, PressWhileOffOnlyAsksToSwitchOn)
{
    Open();
    ui->ClearCalls();
    sim.ClearRequests();
    Press(CDlgAidJogMove::IDC_FORWARD);
    PumpUntil([&] { return !ui->Calls().empty(); });
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{QString::fromUtf8("请伺服使能后再试！")}));
    Release(CDlgAidJogMove::IDC_FORWARD);
    EXPECT_EQ(page->JogState(), 0);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(JogMoveTest, DriveNotReadyOrRefusingJogModeLeavesItOff)
{
    struct Case
    {
        std::uint16_t runState;
        const char *key;
    };
    for (const Case &c : {Case{0x0000, "IDS_NewInertiaIdentifyDlg_19"}, Case{0x2000, "IDS_NewInertiaIdentifyDlg_21"},
                          Case{0x3000, "IDS_NewInertiaIdentifyDlg_23"}}) {
        aids->SetRunState(c.runState);
        Open();
        ui->ClearCalls();
        sim.ClearRequests();
        page->EnableButton()->click();
        Settle(page.get());
        EXPECT_EQ(page->JogState(), 0) << c.key;
        EXPECT_TRUE(Writes().empty()) << c.key;
        EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString(c.key)})) << c.key;
        EXPECT_FALSE(page->IsTimerRunning(17));
    }
    // Ready, but the drive refuses the jog-on command: told, and still off.
    aids->SetRunState(0x1000);
    Open();
    ui->ClearCalls();
    Fail(0x0807);
    page->EnableButton()->click();
    Settle(page.get());
    EXPECT_EQ(page->JogState(), 0);
    EXPECT_FALSE(page->IsTimerRunning(17));
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, FillLangPlaces(LoadLangString("IDS_UsabilityJog_128"), {"0x0004"}));
    EXPECT_EQ(page->EnableButton()->text(), QString::fromUtf8("使能ON"));
}

// A value that could not be read is read at switch-on, and a value never read is never written.
TEST_F(JogMoveTest, UnreadValuesAreReadAtSwitchOnAndNeverWrittenAsZero)
{
    Fail(0x0606, true, 0x23);
    Open();
    EXPECT_TRUE(HasBox(LoadLangString("IDS_UsabilityJog_18")));
    EXPECT_FALSE(page->m_bSpeedLoaded);
    ui->ClearCalls();
    sim.ClearRequests();
    page->EnableButton()->click();
    Settle(page.get());
    EXPECT_EQ(page->JogState(), 1);
    EXPECT_EQ(RequestsTo(0x26, 0x0606), 0u) << "speed never read: never written";
    EXPECT_TRUE(HasBox(LoadLangString("IDS_UsabilityJog_126")));
    page->EnableButton()->click();
    Settle(page.get());

    sim.ClearFaults();
    sim.ClearRequests();
    page->EnableButton()->click();
    Settle(page.get());
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0807, 1}, {0x0606, 300}, {0x060A, 200}}));
    EXPECT_EQ(page->SpeedEdit()->text(), "300");
}

TEST_F(JogMoveTest, EditsWriteOnEnterOrLeavingChangedNeverPerKeystrokeOrEmpty)
{
    Open();
    sim.ClearRequests();
    CIntRangeEdit *speed = page->SpeedEdit();
    speed->clear();
    QTest::keyClicks(speed, "450");
    Settle(page.get());
    EXPECT_TRUE(Writes().empty()) << "no write per keystroke";
    QTest::keyClick(speed, Qt::Key_Return);
    Settle(page.get());
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0606, 450}}));
    EXPECT_EQ(page->ReadOut(true)->text(), "450 rpm");
    EXPECT_EQ(page->Gauge(true)->value(), 450);

    // Typing past the bound gives the bound.
    speed->clear();
    QTest::keyClicks(speed, "5000");
    EXPECT_EQ(speed->text(), "1000");
    // A pasted value past the bound is written as the bound.
    sim.ClearRequests();
    speed->setText("99999");
    QTest::keyClick(speed, Qt::Key_Return);
    Settle(page.get());
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0606, 1000}}));
    EXPECT_EQ(page->ReadOut(true)->text(), "1000 rpm");

    sim.ClearRequests();
    speed->clear();
    QTest::keyClick(speed, Qt::Key_Return);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(speed, &out);
    Settle(page.get());
    EXPECT_TRUE(Writes().empty()) << "an empty box is no 0";
    // Nor is a lone sign: nothing is written and the box shows the last value again.
    for (const char *sign : {"-", "+"}) {
        speed->setText(sign);
        QTest::keyClick(speed, Qt::Key_Return);
        EXPECT_TRUE(Writes().empty()) << sign;
        EXPECT_EQ(speed->text(), "1000") << sign;
    }

    CIntRangeEdit *accel = page->AccelEdit();
    accel->clear();
    QTest::keyClicks(accel, "800");
    QCoreApplication::sendEvent(accel, &out);
    Settle(page.get());
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x060A, 800}}));
    QCoreApplication::sendEvent(accel, &out);
    Settle(page.get());
    EXPECT_EQ(Writes().size(), 1u) << "unchanged: nothing more";

    // The end of a gauge drag writes the gauge's value.
    sim.ClearRequests();
    page->OnGaugeFinishTrack(1, 640);
    Settle(page.get());
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0606, 640}}));
    EXPECT_EQ(speed->text(), "640");
}

// Leaving the page switches jog mode off at once and nothing is sent afterwards.
TEST_F(JogMoveTest, LeavingThePageSwitchesOffAndSendsNothingMore)
{
    SwitchedOn();
    Press(CDlgAidJogMove::IDC_REVERSE);
    ASSERT_TRUE(AwaitCommand(0x21));
    platform::SendMessage(page.get(), UM_STOP_TIMER);
    Settle(page.get());
    EXPECT_EQ(ValuesTo(0x0807).back(), 0x41);
    EXPECT_EQ(page->JogState(), 0);
    EXPECT_FALSE(page->IsTimerRunning(17));
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Off);
    const std::size_t n = ValuesTo(0x0807).size();
    Idle(4 * kKeepAliveMs);
    EXPECT_EQ(ValuesTo(0x0807).size(), n);
    // Coming back restarts the page timer, which sends nothing while off.
    platform::SendMessage(page.get(), UM_START_TIMER);
    Idle(3 * kKeepAliveMs);
    EXPECT_EQ(ValuesTo(0x0807).size(), n);

    // Leaving sends the switch-off even when jog mode was never on.
    CDlgAidJogMove &fresh = Open();
    sim.ClearRequests();
    platform::SendMessage(&fresh, UM_STOP_TIMER);
    Settle(&fresh);
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0807, 0x41}}));
}

TEST_F(JogMoveTest, ARefusedSwitchOffIsToldAndTheStateIsOffAnyway)
{
    SwitchedOn();
    Fail(0x0807);
    ui->ClearCalls();
    platform::SendMessage(page.get(), UM_STOP_TIMER);
    Settle(page.get());
    EXPECT_EQ(page->JogState(), 0);
    EXPECT_FALSE(page->IsTimerRunning(17));
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, FillLangPlaces(LoadLangString("IDS_UsabilityJog_130"), {"0x0004"}));
}

TEST_F(JogMoveTest, OnlyFailedTransactionsDropToOffAndNothingResumes)
{
    SwitchedOn();
    // A short ramp: the motor the watchdog stops comes to rest soon after.
    sim.SetRegister(0x060A, 50);
    Press(CDlgAidJogMove::IDC_FORWARD);
    ASSERT_TRUE(AwaitCommand(0x11));
    ui->ClearCalls();
    // A status flag that says offline while the drive answers is no lost link: the keep-alive
    // goes on commanding what the user holds.
    flags.m_bOnline = FALSE;
    ASSERT_TRUE(AwaitCommand(0x11));
    ASSERT_TRUE(AwaitCommand(0x11));
    EXPECT_EQ(page->JogState(), 2);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(aids->Jog().trips, 0);
    flags.m_bOnline = TRUE;

    // A silent drive: the tick's tries all fail.
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    sim.InjectFault(f);
    // Nothing answers until the faults are cleared: full reply windows would only slow the test.
    sys.m_ModbusRTU.SetReplyTimeouts(10, 20);
    ASSERT_TRUE(PumpUntil([&] { return page->JogState() == 0; }, 10000));
    EXPECT_FALSE(page->IsTimerRunning(17));
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_UsabilityJog_131")}));
    // The drive's watchdog brings the motor to rest.
    EXPECT_TRUE(PumpUntil([&] { return aids->Jog().state == SimAids::Run::Off && aids->Jog().rpm == 0; },
                          kWatchdogMs + 5000));
    EXPECT_EQ(aids->Jog().trips, 1);
    ASSERT_TRUE(DrainSilentLine());
    sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    sim.ClearFaults();
    sim.ClearRequests();
    // The off the page owes since the drop reaches the drive once it answers; nothing resumes.
    EXPECT_TRUE(PumpUntil([&] { return !page->OffOwed(); }, 10000));
    Idle(3 * kKeepAliveMs);
    // The owed off, tried again until one try's answer could be taken; nothing else.
    const std::vector<int> after = ValuesTo(0x0807);
    EXPECT_FALSE(after.empty());
    for (const int v : after)
        EXPECT_EQ(v, 0x41) << "only the owed off: " << ::testing::PrintToString(after);
}

// Every way of moving a slider is a whole drag: the wheel, the arrow and page keys, a click on
// the groove; the edit box, the read-out and the drive's register follow.
TEST_F(JogMoveTest, SliderStepsReachTheDrive)
{
    Open();
    struct Case
    {
        const char *what;
        bool speed;
        std::function<void(QSlider *)> act;
    };
    const Case cases[] = {
        {"wheel up",
         true,
         [](QSlider *g) {
             QWheelEvent e(QPointF(g->rect().center()), QPointF(g->mapToGlobal(g->rect().center())), {}, {0, 120},
                           Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
             QCoreApplication::sendEvent(g, &e);
         }},
        {"arrow right", true, [](QSlider *g) { QTest::keyClick(g, Qt::Key_Right); }},
        {"page down", false, [](QSlider *g) { QTest::keyClick(g, Qt::Key_PageDown); }},
        {"groove click", false,
         [](QSlider *g) {
             QStyleOptionSlider opt;
             opt.initFrom(g);
             opt.orientation = g->orientation();
             opt.minimum = g->minimum();
             opt.maximum = g->maximum();
             opt.sliderPosition = opt.sliderValue = g->value();
             opt.tickPosition = g->tickPosition();
             opt.tickInterval = g->tickInterval();
             opt.pageStep = g->pageStep();
             opt.singleStep = g->singleStep();
             opt.subControls = QStyle::SC_All;
             const QRect groove = g->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, g);
             QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(groove.right() - 2, groove.center().y()));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QSlider *g = page->Gauge(c.speed);
        const int before = g->value();
        sim.ClearRequests();
        c.act(g);
        Settle(page.get());
        ASSERT_NE(g->value(), before) << "the slider did not move";
        const int reg = c.speed ? 0x0606 : 0x060A;
        EXPECT_EQ(ValuesTo(reg), std::vector<int>{g->value()});
        EXPECT_EQ(sim.GetRegister(reg), g->value());
        EXPECT_EQ((c.speed ? page->SpeedEdit() : page->AccelEdit())->text(), QString::number(g->value()));
        EXPECT_EQ(page->ReadOut(c.speed)->text(), QString::number(g->value()) + (c.speed ? " rpm" : " ms"));
        EXPECT_EQ(c.speed ? page->m_nJogSpeed : page->m_nJogAccel, g->value());
    }
}

// While jog mode is on, the keep-alive keeps the drive's watchdog from tripping.
TEST_F(JogMoveTest, KeepAliveNeverLetsTheWatchdogTrip)
{
    SwitchedOn();
    Press(CDlgAidJogMove::IDC_FORWARD);
    Idle(2 * kWatchdogMs);
    EXPECT_EQ(aids->Jog().trips, 0);
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Forward);
    Release(CDlgAidJogMove::IDC_FORWARD);
    Idle(kWatchdogMs + kKeepAliveMs);
    EXPECT_EQ(aids->Jog().trips, 0);
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Idle);
}

}  // namespace
