// The magnetic-pole identification page: its run against the simulated drive's pole steps at a
// 10 ms cycle, and its end on the GUI thread.
#include "AidFixture.h"

#include "Wnds/auxFunction/DlgAidMagCalibration.h"
#include "platform/LanguageConf.h"

#include <QPushButton>

namespace {

class MagCalibrationTest : public AidFixture
{
protected:
    void SetUp() override
    {
        AidFixture::SetUp();
        page = std::make_unique<CDlgAidMagCalibration>();
        page->Create(nullptr);
        page->m_nCycleMs = 10;
        pole.step1Ms = 5;
        pole.step2Ms = 5;
    }
    void TearDown() override
    {
        if (page)
            page->DestroyWindow();
        page.reset();
        AidFixture::TearDown();
    }
    // Runs once and waits for the outcome box.
    QString RunOnce()
    {
        aids->SetPole(pole);
        ui->ClearCalls();
        page->StartButton()->click();
        const auto ended = [&] { return !page->IsRunning(); };
        EXPECT_TRUE(PumpUntil(ended, 20000));
        return ui->Calls().empty() ? QString() : ui->Calls().back().text;
    }

    std::unique_ptr<CDlgAidMagCalibration> page;
    SimAids::PoleOptions pole;
};

const QString kSuccess = QString::fromUtf8("磁极校准成功，请重启伺服驱动器生效！");
const QString kFailure = QString::fromUtf8("磁极校准失败！");

TEST_F(MagCalibrationTest, ScenariosEndWithTheirOutcome)
{
    struct Case
    {
        const char *what;
        std::function<void(SimAids::PoleOptions &)> set;
        QString box;
        int step2Writes;
    };
    const Case cases[] = {
        {"one pause", [](auto &) {}, kSuccess, 1},
        {"stuck1: no second step", [](auto &p) { p.stuck1 = true; }, kFailure, 0},
        {"stuck2: fails with its value", [](auto &p) { p.stuck2 = true; }, kFailure + "\n" + QString::fromUtf8("失败，故障码1"), 1},
        {"fail2: fails with the code", [](auto &p) { p.fail2 = 9; }, kFailure + "\n" + QString::fromUtf8("失败，故障码9"), 1},
        // Another value on the way to 0 is the drive still working, not a fault.
        {"2 then 0: waited on", [](auto &p) { p.interim2 = 2; p.interim2Ms = 30; }, kSuccess, 1},
    };
    for (const Case &c : cases) {
        pole = SimAids::PoleOptions{};
        pole.step1Ms = 5;
        pole.step2Ms = 5;
        c.set(pole);
        const int before = aids->PoleStep2Writes();
        EXPECT_EQ(RunOnce(), TrText(c.box)) << c.what;
        EXPECT_EQ(aids->PoleStep2Writes() - before, c.step2Writes) << c.what;
        EXPECT_EQ(page->Gauge()->Value(), 0.0) << c.what;
        EXPECT_FALSE(page->IsTimerRunning(CDlgAidMagCalibration::kAnimTimer)) << c.what;
        EXPECT_TRUE(page->StartButton()->isEnabled()) << c.what;
        ui->ClearCalls();
    }
    EXPECT_EQ(aids->PoleStarts(), 5);
}

TEST_F(MagCalibrationTest, PendingFaultIsToldFirstThenTheRunGoesOn)
{
    pole.pendingFault = 7;
    EXPECT_EQ(RunOnce(), kSuccess);
    ASSERT_EQ(ui->Calls().size(), 2u);
    EXPECT_EQ(ui->Calls()[0].text, TrText(QString::fromUtf8("失败，故障码7")));
    EXPECT_EQ(ui->Calls()[0].caption, TrText(QString::fromUtf8("警告")));
    for (const auto &c : ui->Calls())
        EXPECT_TRUE(c.onGuiThread) << c.text.toStdString();
}

TEST_F(MagCalibrationTest, ButtonIsOffDuringARunAndRefusesWithoutALink)
{
    pole.step1Ms = 200;
    aids->SetPole(pole);
    page->StartButton()->click();
    EXPECT_FALSE(page->StartButton()->isEnabled());
    EXPECT_TRUE(page->IsTimerRunning(CDlgAidMagCalibration::kAnimTimer));
    page->OnBnClickedStart();
    ASSERT_TRUE(PumpUntil([&] { return !page->IsRunning(); }, 20000));
    EXPECT_EQ(aids->PoleStarts(), 1) << "a second click during a run starts nothing";

    sys.m_bConnected = FALSE;
    ui->ClearCalls();
    page->OnBnClickedStart();
    EXPECT_FALSE(page->IsRunning());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{TrText(QString::fromUtf8("请连接串口！"))}));
}

TEST_F(MagCalibrationTest, ASilentDriveFails)
{
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    sim.InjectFault(f);
    // Nothing answers: the codec's full reply windows would only make the test slow.
    sys.m_ModbusRTU.SetReplyTimeouts(10, 20);
    EXPECT_EQ(RunOnce(), kFailure);
    EXPECT_EQ(aids->PoleStep2Writes(), 0);
}

TEST_F(MagCalibrationTest, ClosingThePageCancelsAndJoinsTheRun)
{
    pole.stuck1 = true;
    aids->SetPole(pole);
    page->m_nCycleMs = 1000;
    page->StartButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return aids->PoleStarts() == 1; }));
    page->DestroyWindow();
    EXPECT_FALSE(page->IsRunning());
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui->Calls().empty()) << "no outcome after the page went";
}

TEST(MagAnimationTest, NeedleValuesStayInRange)
{
    std::mt19937 rng(1);
    int lo = 0, hi = -200;
    for (int i = 0; i < 20000; ++i) {
        const int v = CDlgAidMagCalibration::AnimationValue(rng);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_GE(lo, -100);
    EXPECT_LE(hi, 99);
}

}  // namespace
