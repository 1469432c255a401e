// The load-inertia identification page and its parameter form against the simulated drive.
#include "AidFixture.h"

#include "Wnds/auxFunction/DlgAidInertia.h"
#include "controls/KVProcessIndicator.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

TEST(InertiaParamsTest, ValidateChecksEveryBoxInOrderBeforeAnything)
{
    const CInertiaParamTexts good{1, "16", "400", "2000", "3.50", 0, "500", "100", "200"};
    CInertiaParamValues v;
    ASSERT_EQ(ValidateInertiaInputs(good, &v).nResult, CInertiaCheck::kOk);
    EXPECT_EQ(v.nInitRatio, 350) << "the ratio is held in hundredths";
    EXPECT_EQ(v.nRigidity, 16);
    EXPECT_EQ(v.nIntervalTime, 200);

    struct Case
    {
        const char *what;
        std::function<void(CInertiaParamTexts &)> change;
        int result;
        InertiaField field;
    };
    const Case cases[] = {
        {"gain 12a", [](auto &t) { t.strSpeedGain = "12a"; }, 1, InertiaField::SpeedGain},
        {"gain 5", [](auto &t) { t.strSpeedGain = "5"; }, 2, InertiaField::SpeedGain},
        {"gain 20001", [](auto &t) { t.strSpeedGain = "20001"; }, 2, InertiaField::SpeedGain},
        {"integral empty", [](auto &t) { t.strIntegralTime = ""; }, 2, InertiaField::IntegralTime},
        {"integral 51200", [](auto &t) { t.strIntegralTime = "51200"; }, 0, InertiaField::None},
        {"ratio 1.5.3", [](auto &t) { t.strInitRatio = "1.5.3"; }, 1, InertiaField::InitRatio},
        {"ratio -1", [](auto &t) { t.strInitRatio = "-1"; }, 1, InertiaField::InitRatio},
        {"ratio 120.01", [](auto &t) { t.strInitRatio = "120.01"; }, 2, InertiaField::InitRatio},
        {"ratio 120", [](auto &t) { t.strInitRatio = "120"; }, 0, InertiaField::None},
        {"ratio empty", [](auto &t) { t.strInitRatio = ""; }, 2, InertiaField::InitRatio},
        {"rigidity 33", [](auto &t) { t.strRigidity = "33"; }, 2, InertiaField::Rigidity},
        {"rigidity x", [](auto &t) { t.strRigidity = "x"; }, 1, InertiaField::Rigidity},
        {"speed 99", [](auto &t) { t.strMaxSpeed = "99"; }, 2, InertiaField::MaxSpeed},
        {"accel 801", [](auto &t) { t.strAccelTime = "801"; }, 2, InertiaField::AccelTime},
        {"interval 49", [](auto &t) { t.strIntervalTime = "49"; }, 2, InertiaField::IntervalTime},
        {"interval huge", [](auto &t) { t.strIntervalTime = "99999999999999999999"; }, 2, InertiaField::IntervalTime},
        {"gain and speed bad: gain first",
         [](auto &t) {
             t.strSpeedGain = "1";
             t.strMaxSpeed = "1";
         },
         2, InertiaField::SpeedGain},
        {"no tuning mode", [](auto &t) { t.nTuneMode = -1; }, 3, InertiaField::TuneMode},
        {"no command type", [](auto &t) { t.nCmdType = -1; }, 3, InertiaField::CmdType},
    };
    for (const Case &c : cases) {
        CInertiaParamTexts t = good;
        c.change(t);
        CInertiaParamValues out;
        out.nMaxSpeed = -7;
        const CInertiaCheck check = ValidateInertiaInputs(t, &out);
        EXPECT_EQ(check.nResult, c.result) << c.what;
        EXPECT_EQ(check.field, c.field) << c.what;
        if (c.result != 0) {
            EXPECT_EQ(out.nMaxSpeed, -7) << c.what << ": nothing handed out";
        }
    }
    EXPECT_TRUE(IsAllowedText("", "0123456789"));
    EXPECT_FALSE(IsAllowedText("1 2", "0123456789"));
    EXPECT_EQ(InertiaRatioRaw(0.29), 29);
    EXPECT_EQ(InertiaRatioRaw(2.5), 250);
    EXPECT_EQ(InertiaRatioText(29), "0.29");
    int raw = -1;
    EXPECT_EQ(ParseInertiaRatioText("99999999999999999999", &raw), CInertiaCheck::kOutOfRange);
    EXPECT_EQ(ParseInertiaRatioText(".", &raw), CInertiaCheck::kBadCharacter);
    EXPECT_EQ(ParseInertiaRatioText("1.", &raw), CInertiaCheck::kOk);
    EXPECT_EQ(raw, 100);
}

class InertiaTest : public AidFixture
{
protected:
    void SetUp() override
    {
        AidFixture::SetUp();
        sim.Seed({{0x0201, 1}, {0x0202, 12}, {0x0204, 400}, {0x0205, 2000}, {0x0230, 350}, {0x0232, 0},
                  {0x0233, 500}, {0x0234, 100}, {0x0235, 200}});
        page = std::make_unique<CDlgAidInertia>();
        page->Create(nullptr);
        page->show();
        QCoreApplication::processEvents();
        sim.ClearRequests();
    }
    void TearDown() override
    {
        page.reset();
        AidFixture::TearDown();
    }
    QString Text(int id) const { return page->Edit(id)->text(); }
    void Press(int id) { platform::SendMessage(page.get(), UM_BUTTON_PRESSED, static_cast<WPARAM>(id)); }
    void Release(int id)
    {
        platform::SendMessage(page.get(), UM_BUTTON_RELEASED, static_cast<WPARAM>(id));
        Settle(page.get());
    }
    // Nothing answers until the faults are cleared: full reply windows would only slow the test.
    void Silence()
    {
        SimDrive::Fault silent;
        silent.kind = SimDrive::FaultKind::Silence;
        silent.persistent = true;
        sim.InjectFault(silent);
        sys.m_ModbusRTU.SetReplyTimeouts(10, 20);
    }
    // "读取参数" and "写入参数" as a user presses them; their drive work runs on the worker.
    void ReadParams() { Click(CDlgAidInertia::IDC_READ); }
    void WriteParams() { Click(CDlgAidInertia::IDC_WRITE); }
    void Click(int id)
    {
        auto *button = qobject_cast<QPushButton *>(platform::FindCtrl(page.get(), id));
        ASSERT_TRUE(button);
        button->click();
        Settle(page.get());
        EXPECT_FALSE(page->IsParamsBusy());
    }
    void ServoOn()
    {
        page->ServoButton()->click();
        Settle(page.get());
        ASSERT_EQ(page->ServoButton()->text(), "Servo Off");
    }

    std::unique_ptr<CDlgAidInertia> page;
};

TEST_F(InertiaTest, ReadingFillsTheFormAndAFailingRowIsToldAlone)
{
    Fail(0x0204, true, 0x23);
    ReadParams();
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, FillLangPlaces(LoadLangString("IDS_NewInertiaParaSetDlg_5"), {"0x0004"}));
    EXPECT_EQ(page->Combo(CDlgAidInertia::IDC_TUNE_MODE)->currentIndex(), 1);
    EXPECT_EQ(Text(CDlgAidInertia::IDC_RIGIDITY), "12");
    EXPECT_EQ(Text(CDlgAidInertia::IDC_SPEED_GAIN), "0") << "unchanged";
    EXPECT_EQ(Text(CDlgAidInertia::IDC_INTEGRAL_TIME), "2000");
    EXPECT_EQ(Text(CDlgAidInertia::IDC_INIT_RATIO), "3.50");
    EXPECT_EQ(Text(CDlgAidInertia::IDC_RESULT), "3.50");
    EXPECT_EQ(Text(CDlgAidInertia::IDC_INTERVAL_TIME), "200");

    ui->ClearCalls();
    sys.m_bConnected = FALSE;
    sim.ClearRequests();
    ReadParams();
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, TrText(QString::fromUtf8("请连接串口！")));
    EXPECT_EQ(ui->Calls()[0].caption, TrText(QString::fromUtf8("惯量辨识")));
    EXPECT_TRUE(sim.Requests().empty());
}

TEST_F(InertiaTest, WritingFollowsTheTuningMode)
{
    ReadParams();
    page->Edit(CDlgAidInertia::IDC_SPEED_GAIN)->setText("450");
    page->Edit(CDlgAidInertia::IDC_INIT_RATIO)->setText("12.7");
    ui->ClearCalls();
    sim.ClearRequests();
    WriteParams();
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0201, 1}, {0x0202, 12}, {0x0230, 1270}, {0x0232, 0}, {0x0233, 500},
                                            {0x0234, 100}, {0x0235, 200}}));
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_NewInertiaParaSetDlg_33")}));

    page->Combo(CDlgAidInertia::IDC_TUNE_MODE)->setCurrentIndex(0);
    sim.ClearRequests();
    WriteParams();
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0201, 0}, {0x0204, 450}, {0x0205, 2000}, {0x0230, 1270}, {0x0232, 0},
                                            {0x0233, 500}, {0x0234, 100}, {0x0235, 200}}));

    // One refused row: its message, the others written, no success message.
    Fail(0x0233, true, 0x26);
    ui->ClearCalls();
    sim.ClearRequests();
    WriteParams();
    EXPECT_EQ(Writes().size(), 8u);
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{FillLangPlaces(LoadLangString("IDS_NewInertiaParaSetDlg_27"), {"0x0004"})}));
}

TEST_F(InertiaTest, ABadBoxStopsTheWholeWrite)
{
    // Before any read no list has a selection: nothing goes out (never 0xFFFF).
    WriteParams();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_NewInertiaParaSetDlg_45")}));

    ReadParams();
    ui->ClearCalls();
    page->Edit(CDlgAidInertia::IDC_MAX_SPEED)->setText("12a");
    WriteParams();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_NewInertiaParaSetDlg_17")}));
    EXPECT_TRUE(page->Edit(CDlgAidInertia::IDC_MAX_SPEED)->hasSelectedText());
}

TEST_F(InertiaTest, ServoOnPollsTheEstimateAndHoldingRunsTheMotor)
{
    aids->SetInertiaRatio(420);
    ReadParams();
    sim.ClearRequests();
    ServoOn();
    EXPECT_EQ(ValuesTo(0x080C), (std::vector<int>{1}));
    EXPECT_EQ(page->RunState(), 1);
    EXPECT_FALSE(page->Edit(CDlgAidInertia::IDC_RESULT)->isEnabled());
    Press(CDlgAidInertia::IDC_FORWARD);
    EXPECT_EQ(page->RunState(), 2);
    ASSERT_TRUE(PumpUntil([&] { return !ValuesTo(0x080C).empty() && ValuesTo(0x080C).back() == 0x11; }));
    // The result box follows the drive's estimate.
    ASSERT_TRUE(PumpUntil([&] { return Text(CDlgAidInertia::IDC_RESULT) == "4.20"; }, 8000));
    Release(CDlgAidInertia::IDC_FORWARD);
    EXPECT_EQ(ValuesTo(0x080C).back(), 1) << "the stop goes out in the release";
    EXPECT_EQ(aids->Inertia().state, SimAids::Run::Idle);
    EXPECT_EQ(aids->Inertia().trips, 0);

    // A failed poll keeps the estimate on show. One poll at a time: once the second refused poll
    // reached the drive, the page has taken the first one's answer.
    Fail(0x8937);
    const std::size_t polls = RequestsTo(0x23, 0x8937);
    ASSERT_TRUE(PumpUntil([&] { return RequestsTo(0x23, 0x8937) >= polls + 2; }));
    EXPECT_EQ(Text(CDlgAidInertia::IDC_RESULT), "4.20");
    sim.ClearFaults();

    page->ServoButton()->click();
    Settle(page.get());
    EXPECT_EQ(ValuesTo(0x080C).back(), 0x41);
    EXPECT_EQ(page->RunState(), 0);
    EXPECT_FALSE(page->IsTimerRunning(CDlgAidInertia::kPollTimer));
    EXPECT_FALSE(page->IsTimerRunning(17));

    // "写入驱动器" writes the result, rounded.
    sim.ClearRequests();
    Release(CDlgAidInertia::IDC_WRITE_GAUGE);
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0230, 420}}));
    page->Edit(CDlgAidInertia::IDC_RESULT)->setText("0.29");
    sim.ClearRequests();
    Release(CDlgAidInertia::IDC_WRITE_GAUGE);
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0230, 29}}));
}

// "写入驱动器" writes only what P0230 can hold (the ratio in hundredths, 0 to 12000); anything
// else is told and sends nothing, and the gauge is full only after a write the drive took.
TEST_F(InertiaTest, TheResultWriteTakesOnlyAValueTheParameterHolds)
{
    ReadParams();
    const QString range = TrText(QStringLiteral("设置值超出范围！"));
    const QString parse = LoadLangString("IDS_NewInertiaParaSetDlg_17");
    struct Case
    {
        const char *typed;
        int written;  // -1: nothing
        QString box;
    };
    const Case cases[] = {
        {"500", -1, range},   {"12001", -1, range}, {"120.01", -1, range}, {"1.234", -1, range},
        {"abc", -1, parse},   {"", -1, parse},      {"-1", -1, parse},     {"1,5", -1, parse},
        {"12.00", 1200, {}},  {"120", 12000, {}},   {"0", 0, {}},          {" 2.5 ", 250, {}},
        {".5", 50, {}},
    };
    CKVCircularProgressIndicatorImpl *gauge = page->Indicator(CDlgAidInertia::IDC_WRITE_GAUGE)->GetIndicatorImpl();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        page->Edit(CDlgAidInertia::IDC_RESULT)->setText(QString::fromUtf8(c.typed));
        sim.ClearRequests();
        ui->ClearCalls();
        Release(CDlgAidInertia::IDC_WRITE_GAUGE);
        if (c.written < 0) {
            EXPECT_TRUE(Writes().empty());
            EXPECT_EQ(BoxTexts(), std::vector<QString>{c.box});
            EXPECT_EQ(gauge->GetPos(), 0.0);
        } else {
            EXPECT_EQ(Writes(), (std::vector<Write>{{0x0230, c.written}}));
            EXPECT_TRUE(BoxTexts().empty());
            EXPECT_EQ(gauge->GetPos(), 100.0);
        }
        EXPECT_FALSE(page->IsTimerRunning(CDlgAidInertia::kWriteTimer));
    }
    // A write the drive refuses leaves the gauge empty.
    Fail(0x0230);
    page->Edit(CDlgAidInertia::IDC_RESULT)->setText("3.00");
    ui->ClearCalls();
    Release(CDlgAidInertia::IDC_WRITE_GAUGE);
    EXPECT_EQ(gauge->GetPos(), 0.0);
    EXPECT_EQ(BoxTexts().size(), 1u);
}

// The page grows with the window by its anchors; below its own size nothing moves.
TEST_F(InertiaTest, ControlsFollowTheWindowsGrowth)
{
    const QSize base = page->size();
    QWidget *step2 = platform::FindCtrl(page.get(), 2328);
    QWidget *servo = page->ServoButton();
    QWidget *gauge = page->Indicator(CDlgAidInertia::IDC_WRITE_GAUGE);
    QWidget *banner = platform::FindCtrl(page.get(), CDlgAidInertia::IDC_BANNER);
    ASSERT_TRUE(step2 && gauge && banner);
    const QRect step2At = step2->geometry(), servoAt = servo->geometry(), gaugeAt = gauge->geometry();
    const QRect bannerAt = banner->geometry();
    page->resize(base.width() + 200, base.height() + 100);
    QCoreApplication::processEvents();
    // Moves 30 % across and grows 30 % across, 95 % down.
    EXPECT_EQ(step2->geometry(), QRect(step2At.x() + 60, step2At.y(), step2At.width() + 60, step2At.height() + 95));
    EXPECT_EQ(servo->geometry(), QRect(servoAt.x() + 60, servoAt.y(), servoAt.width() + 60, servoAt.height()));
    EXPECT_EQ(gauge->geometry(), QRect(gaugeAt.x() + 120, gaugeAt.y() + 30, gaugeAt.width() + 60, gaugeAt.height()));
    EXPECT_EQ(banner->geometry(), bannerAt) << "the banner has no anchor";
    page->resize(base.width() - 100, base.height() - 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(step2->geometry(), step2At);
    EXPECT_EQ(gauge->geometry(), gaugeAt);
}

TEST_F(InertiaTest, ANeverReadResultIsNotWritten)
{
    Release(CDlgAidInertia::IDC_WRITE_GAUGE);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_NewInertiaIdentifyDlg_16")}));
}

TEST_F(InertiaTest, PressWhileOffTellsAndDriveNotReadyRefuses)
{
    Press(CDlgAidInertia::IDC_FORWARD);
    EXPECT_EQ(page->RunState(), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_NewInertiaIdentifyDlg_11")}));
    ui->ClearCalls();
    aids->SetRunState(0x0000);
    page->ServoButton()->click();
    Settle(page.get());
    EXPECT_EQ(page->ServoButton()->text(), "Servo On");
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{LoadLangString("IDS_NewInertiaIdentifyDlg_19")}));
}

TEST_F(InertiaTest, LeavingSwitchesOffAndALostLinkStopsEverything)
{
    ServoOn();
    Press(CDlgAidInertia::IDC_REVERSE);
    ASSERT_TRUE(PumpUntil([&] { return ValuesTo(0x080C).back() == 0x21; }));
    platform::SendMessage(page.get(), UM_STOP_TIMER);
    Settle(page.get());
    EXPECT_EQ(ValuesTo(0x080C).back(), 0x41);
    EXPECT_EQ(page->RunState(), 0);
    EXPECT_FALSE(page->IsTimerRunning(17));
    EXPECT_FALSE(page->IsTimerRunning(CDlgAidInertia::kPollTimer));
    const std::size_t n = ValuesTo(0x080C).size();
    Idle(3 * kKeepAliveMs);
    EXPECT_EQ(ValuesTo(0x080C).size(), n);

    ServoOn();
    Press(CDlgAidInertia::IDC_FORWARD);
    ASSERT_TRUE(PumpUntil([&] { return ValuesTo(0x080C).back() == 0x11; }));
    ui->ClearCalls();
    Silence();
    ASSERT_TRUE(PumpUntil([&] { return page->RunState() == 0; }, 10000));
    EXPECT_EQ(page->ServoButton()->text(), "Servo On");
    EXPECT_TRUE(HasBox(LoadLangString("IDS_NewInertiaIdentifyDlg_15")));
    EXPECT_TRUE(PumpUntil([&] { return aids->Inertia().rpm == 0; }, kWatchdogMs + 5000));
    ASSERT_TRUE(DrainSilentLine());
    sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    sim.ClearFaults();
    sim.ClearRequests();
    // The off the page owes since the drop reaches the drive once it answers; nothing resumes.
    EXPECT_TRUE(PumpUntil([&] { return !page->OffOwed(); }, 10000));
    Idle(4 * kKeepAliveMs);
    // The owed off, tried again until one try's answer could be taken; nothing else.
    const std::vector<int> after = ValuesTo(0x080C);
    EXPECT_FALSE(after.empty());
    for (const int v : after)
        EXPECT_EQ(v, 0x41) << "only the owed off: " << ::testing::PrintToString(after);
}

// "读取参数" and "写入参数" against a drive that answers nothing: the click returns at once, the
// two buttons rest until the worker is done (a second click starts nothing), and each row that
// failed is told, in the rows' order.
TEST_F(InertiaTest, ParameterReadAndWriteRunOnTheWorkerAndTellEachFailedRow)
{
    ReadParams();
    ui->ClearCalls();
    Silence();
    QWidget *read = platform::FindCtrl(page.get(), CDlgAidInertia::IDC_READ);
    QWidget *write = platform::FindCtrl(page.get(), CDlgAidInertia::IDC_WRITE);
    struct Step
    {
        const char *what;
        QWidget *button;
        std::vector<const char *> captions;  // of the boxes, in order
    } steps[] = {
        {"read", read,
         {"IDS_NewInertiaParaSetDlg_6", "IDS_NewInertiaParaSetDlg_6", "IDS_NewInertiaParaSetDlg_6",
          "IDS_NewInertiaParaSetDlg_8", "IDS_NewInertiaParaSetDlg_10", "IDS_NewInertiaParaSetDlg_12",
          "IDS_NewInertiaParaSetDlg_12", "IDS_NewInertiaParaSetDlg_14", "IDS_NewInertiaParaSetDlg_16"}},
        // Tuning mode 1: seven registers, no success box.
        {"write", write,
         {"IDS_NewInertiaParaSetDlg_22", "IDS_NewInertiaParaSetDlg_22", "IDS_NewInertiaParaSetDlg_26",
          "IDS_NewInertiaParaSetDlg_28", "IDS_NewInertiaParaSetDlg_28", "IDS_NewInertiaParaSetDlg_30",
          "IDS_NewInertiaParaSetDlg_32"}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        ui->ClearCalls();
        sim.ClearRequests();
        qobject_cast<QPushButton *>(s.button)->click();
        EXPECT_TRUE(page->IsParamsBusy());
        EXPECT_FALSE(read->isEnabled());
        EXPECT_FALSE(write->isEnabled());
        qobject_cast<QPushButton *>(s.button)->click();  // resting: nothing more
        ASSERT_TRUE(Settle(page.get()));
        EXPECT_FALSE(page->IsParamsBusy());
        EXPECT_TRUE(read->isEnabled());
        EXPECT_TRUE(write->isEnabled());
        EXPECT_EQ(sim.Requests().size(), s.captions.size()) << "one transaction per row, once";
        std::vector<QString> captions, expected;
        for (const auto &c : ui->Calls())
            captions.push_back(c.caption);
        for (const char *key : s.captions)
            expected.push_back(LoadLangString(QString::fromLatin1(key)));
        EXPECT_EQ(captions, expected);
    }
    EXPECT_EQ(Text(CDlgAidInertia::IDC_RIGIDITY), "12") << "a failed row keeps what the box showed";
    sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    sim.ClearFaults();
}

// The write gauge runs while the result is written and stays where the write left it: the page
// shown again (its page timer started by the view) does not move it.
TEST_F(InertiaTest, TheWriteGaugeStaysWhereTheWriteLeftIt)
{
    ReadParams();
    CKVCircularProgressIndicatorImpl *gauge = page->Indicator(CDlgAidInertia::IDC_WRITE_GAUGE)->GetIndicatorImpl();
    sim.ClearRequests();
    platform::SendMessage(page.get(), UM_BUTTON_RELEASED, static_cast<WPARAM>(CDlgAidInertia::IDC_WRITE_GAUGE));
    EXPECT_TRUE(page->IsResultWriting());
    EXPECT_TRUE(page->IsTimerRunning(CDlgAidInertia::kWriteTimer));
    ASSERT_TRUE(Settle(page.get()));
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0230, 350}}));
    EXPECT_EQ(gauge->GetPos(), 100.0);
    EXPECT_FALSE(page->IsTimerRunning(CDlgAidInertia::kWriteTimer));
    for (int i = 0; i < 3; ++i) {
        platform::SendMessage(page.get(), UM_STOP_TIMER);
        platform::SendMessage(page.get(), UM_START_TIMER);
        Idle(3 * int(CDlgAidInertia::kWriteMs));
        EXPECT_EQ(gauge->GetPos(), 100.0);
        EXPECT_FALSE(page->IsTimerRunning(CDlgAidInertia::kWriteTimer));
    }
}

// A refused servo-off click changes nothing: the servo stays on and the keep-alive goes on.
TEST_F(InertiaTest, ARefusedServoOffLeavesTheServoOn)
{
    ServoOn();
    Fail(0x080C, false, 0x26);
    ui->ClearCalls();
    page->ServoButton()->click();
    Settle(page.get());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{FillLangPlaces(LoadLangString("IDS_NewInertiaIdentifyDlg_9"), {"0x0004"})}));
    EXPECT_EQ(page->ServoButton()->text(), "Servo Off");
    EXPECT_EQ(page->RunState(), 1);
    EXPECT_TRUE(page->IsTimerRunning(CDlgAidInertia::kPollTimer));
    sim.ClearRequests();
    EXPECT_TRUE(PumpUntil([&] { return !ValuesTo(0x080C).empty(); }));
    EXPECT_EQ(ValuesTo(0x080C).front(), 1);
}

}  // namespace
