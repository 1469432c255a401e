// The hold-to-run button's notices, and the simulated drive's run-command model that the
// tuning pages' safety tests rely on.
#include "AidFixture.h"

#include "controls/JOGButton.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"

#include <QFocusEvent>
#include <QWidget>

namespace {

class CommandRecorder : public QWidget, public platform::MessageTarget
{
public:
    CommandRecorder() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_COMMAND)
            codes.push_back(HIWORD(w));
        return MessageTarget::WindowProc(msg, w, l);
    }
    std::vector<unsigned> codes;
};

TEST(JOGButtonTest, EveryEndOfAPressIsOneRelease)
{
    CommandRecorder parent;
    auto *button = new CJOGButton(&parent);
    platform::SetCtrlId(button, 1063);
    button->setGeometry(10, 10, 80, 30);
    parent.resize(200, 100);
    parent.show();
    const QPoint inside = button->rect().center();
    const unsigned down = CJOGButton::kPressed, up = CJOGButton::kReleased;
    // The page hears the click through the button's signal; it must come before the release.
    QObject::connect(button, &QPushButton::clicked, &parent, [&parent] { parent.codes.push_back(BN_CLICKED); });

    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    EXPECT_EQ(parent.codes, (std::vector<unsigned>{down, BN_CLICKED, up})) << "the click comes before the release";

    parent.codes.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(500, 500));
    EXPECT_EQ(parent.codes, (std::vector<unsigned>{down, up})) << "released outside";

    parent.codes.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(button, &out);
    QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
    ASSERT_GE(parent.codes.size(), 2u);
    EXPECT_EQ(parent.codes[0], down);
    EXPECT_EQ(std::count(parent.codes.begin(), parent.codes.end(), up), 1) << "focus loss ends the hold once";

    parent.codes.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, inside);
    button->setEnabled(false);
    EXPECT_EQ(parent.codes, (std::vector<unsigned>{down, up})) << "disabled while held";
}

class SimAidsTest : public AidFixture
{
};

TEST_F(SimAidsTest, RunCommandsRampToTheSpeedAndRefuseOtherValues)
{
    sim.SetRegister(0x0606, 600);
    sim.SetRegister(0x060A, 100);
    aids->SetWatchdogMs(0);  // a reversal takes longer than the tests' watchdog; it has a test of its own
    EXPECT_TRUE(sys.WriteReg(0x0807, 1));
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Idle);
    const auto start = SimAids::Clock::now();
    EXPECT_TRUE(sys.WriteReg(0x0807, 0x11));
    EXPECT_TRUE(PumpUntil([&] { return aids->Jog().rpm == 600; }));
    // The ramp takes the acceleration time from 0 to the speed.
    EXPECT_NEAR(aids->JogRpmAt(start + std::chrono::milliseconds(50)), 300, 300);
    EXPECT_TRUE(sys.WriteReg(0x0807, 0x21));
    EXPECT_TRUE(PumpUntil([&] { return aids->Jog().rpm == -600; }));
    EXPECT_FALSE(sys.WriteReg(0x0807, 0x05));
    EXPECT_EQ(CSysParam::LastLinkError(), SimDrive::kExBadValue);
    EXPECT_TRUE(sys.WriteReg(0x0807, 0x41));
    EXPECT_EQ(aids->Jog().state, SimAids::Run::Off);
    EXPECT_EQ(aids->Jog().commands, 4);
}

TEST_F(SimAidsTest, WatchdogStopsAMotorThatHearsNothing)
{
    sim.SetRegister(0x0233, 500);
    sim.SetRegister(0x0234, 100);
    EXPECT_TRUE(sys.WriteReg(0x080C, 1));
    EXPECT_TRUE(sys.WriteReg(0x080C, 0x11));
    EXPECT_TRUE(PumpUntil([&] { return aids->Inertia().rpm == 500; }));
    EXPECT_TRUE(PumpUntil([&] { return aids->Inertia().state == SimAids::Run::Off; }, SimAids::kWatchdogMs + 3000));
    EXPECT_TRUE(PumpUntil([&] { return aids->Inertia().rpm == 0; }));
    EXPECT_EQ(aids->Inertia().trips, 1);
    EXPECT_EQ(aids->Jog().trips, 0);
}

TEST_F(SimAidsTest, InertiaEstimateConvergesOnlyWhileMoving)
{
    // From 1.00 to 100.00: the estimate is near after four steps and settles only after fifteen,
    // so it is still on its way when the motor stops.
    constexpr int kStepMs = 25;
    aids->SetEstimateStepMs(kStepMs);
    sim.SetRegister(0x0230, 100);
    aids->SetInertiaRatio(10000);
    aids->SetWatchdogMs(0);  // one run command, then only reads: the estimate takes longer than the watchdog
    int value = 0;
    EXPECT_TRUE(sys.WriteReg(0x080C, 1));
    ASSERT_TRUE(sys.ReadReg(0x8937, &value));
    EXPECT_EQ(value, 100) << "the initial ratio until the motor moves";
    EXPECT_TRUE(sys.WriteReg(0x080C, 0x11));
    EXPECT_TRUE(PumpUntil([&] { return sys.ReadReg(0x8937, &value) && value >= 9000; }));
    EXPECT_TRUE(sys.WriteReg(0x080C, 1));
    ASSERT_TRUE(sys.ReadReg(0x8937, &value));
    const int frozen = value;
    // Four steps of standing still.
    QTest::qWait(4 * kStepMs);
    ASSERT_TRUE(sys.ReadReg(0x8937, &value));
    EXPECT_EQ(value, frozen);
    EXPECT_FALSE(sys.WriteReg(0x8937, 5)) << "read-only";
    EXPECT_TRUE(sys.WriteReg(0x080C, 0x41));
}

TEST_F(SimAidsTest, PoleStepsClearAfterTheirTimeOrStickOrFail)
{
    SimAids::PoleOptions o;
    o.step1Ms = 50;
    o.step2Ms = 50;
    o.pendingFault = 7;
    aids->SetPole(o);
    int v = -1;
    ASSERT_TRUE(sys.ReadReg(0x0803, &v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(sys.WriteReg(0x0809, 1));
    ASSERT_TRUE(sys.ReadReg(0x0809, &v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(PumpUntil([&] { return sys.ReadReg(0x0809, &v) && v == 0; }));
    EXPECT_FALSE(sys.WriteReg(0x0809, 2));
    EXPECT_TRUE(sys.WriteReg(0x0803, 1));
    EXPECT_TRUE(PumpUntil([&] { return sys.ReadReg(0x0803, &v) && v == 0; }));
    EXPECT_EQ(aids->PoleStarts(), 1);

    o.pendingFault = 0;
    o.fail2 = 9;
    aids->SetPole(o);
    EXPECT_TRUE(sys.WriteReg(0x0803, 1));
    EXPECT_TRUE(PumpUntil([&] { return sys.ReadReg(0x0803, &v) && v == 9; }));
    o.fail2 = 0;
    o.stuck1 = true;
    aids->SetPole(o);
    EXPECT_TRUE(sys.WriteReg(0x0809, 1));
    QTest::qWait(150);
    ASSERT_TRUE(sys.ReadReg(0x0809, &v));
    EXPECT_EQ(v, 1);
}

}  // namespace
