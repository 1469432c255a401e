// The mechanism analysis page against the simulated drive: the start's registers in order, the
// ends of a run (analysed, drive status, error bit, silent status, failed block, stop, page
// left) with the run flags and the status poll, and the notch-filter dialog.
#include "PathHelpers.h"
#include "StatusTick.h"
#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "Wnds/auxFunction/DlgAidAnalyzeDocker.h"
#include "Wnds/auxFunction/FreqResponse4096.h"
#include "Wnds/auxFunction/MaRun.h"
#include "Wnds/auxFunction/SetXBQ.h"
#include "controls/LHBGraph.h"
#include "controls/EditUsability.h"
#include "controls/ListCtrlUsabilityJog.h"
#include "support/SimLinkFixture.h"
#include "platform/ControlId.h"

#include <QCheckBox>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr std::uint8_t kRead = 0x23;
constexpr std::uint8_t kWrite = 0x26;
constexpr std::uint8_t kBlock = 0x2B;

bool AnalysisRegister(int a)
{
    return a == 0x092B || a == 0x8959 || a == 0x8962 || a == 0x8965 || a == 0x8923 || a == 0x8963 ||
           (a >= 0x8940 && a <= 0x894A);
}

class AnalyseRunTest : public SimLinkFixture {
protected:
    void SetUp() override
    {
        SimLinkFixture::SetUp();
        flags.m_bIsDangerAnalyseWnd = TRUE;
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("config/Aid"));
        SetProgramDir(dir.path());
        ASSERT_TRUE(SaveMaSettings(MaSettingsPath(), "10", "20", "16"));
        sim.SetAnalysisSeconds(0.05);
        // A run reads 64 blocks of 128 bytes, a second of line time at the link's real pace.
        // None of these tests is about the line's pace (the link's own tests are): the simulated
        // drive answers eight times as fast as the port's setting.
        sim.SetBaud(8 * kBaud);
        sim.SetRegister(0x8940, 16000);
        host.resize(1000, 700);
        page = new DlgAidAnalyse();
        page->setWindowFlags(Qt::Widget);
        page->Create(&host);
        page->resize(1000, 700);
        ui->ClearCalls();
        sim.ClearRequests();
    }
    void TearDown() override
    {
        page->DestroyWindow();
        delete page;
        SetProgramDir(QString());
        SimLinkFixture::TearDown();
    }

    bool Analysed() const
    {
        return page->GainChart()->CurveCount() > 0 && !page->WorkerRunning();
    }
    bool Idle() const { return !page->WorkerRunning(); }
    static bool RunFlags()
    {
        CSysParam *sys = GetSysParam();
        return marun::s_bMASingleSampRecvData || sys->g_bDriveSampling || sys->m_bScopeSampling;
    }
    // Register traffic of the analysis as "R 092B" and "W 8959=3"; repeated status reads
    // count once, since their number depends on timing.
    std::vector<std::string> Traffic() const
    {
        std::vector<std::string> out;
        char line[32];
        for (const SimDrive::Request &r : sim.Requests()) {
            const auto &b = r.bytes;
            if (b.size() < 8 || (b[1] != kRead && b[1] != kWrite))
                continue;
            const int a = (b[2] << 8) | b[3];
            if (!AnalysisRegister(a))
                continue;
            if (b[1] == kRead)
                std::snprintf(line, sizeof line, "R %04X", a);
            else
                std::snprintf(line, sizeof line, "W %04X=%X", a, (b[4] << 8) | b[5]);
            if (!out.empty() && out.back() == line && a == 0x8944)
                continue;
            out.emplace_back(line);
        }
        return out;
    }
    std::vector<QString> Texts() const
    {
        std::vector<QString> t;
        for (const auto &c : ui->Calls())
            t.push_back(c.text);
        return t;
    }
    static QString Lang(const char *key) { return LoadLangString(QString::fromLatin1(key)); }
    // For runs where a register read (or a block read) goes unanswered: waiting out the codec's
    // full reply window on each try would only make the test slow. An answered request that
    // misses the short window on a loaded machine is tried again.
    void ShortRegisterWindow() { sys.m_ModbusRTU.SetReplyTimeouts(15, CModbusRTU::kBlockTimeoutMs); }
    void ShortBlockWindow() { sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, 25); }

    QTemporaryDir dir;
    QWidget host;
    DlgAidAnalyse *page = nullptr;
};

}

TEST_F(AnalyseRunTest, StartWritesTheTestRegistersInOrderThenAnalyses)
{
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([this] { return Analysed(); }));
    const std::vector<std::string> expected = {
        "R 092B",      "W 8959=3",    "W 8962=0",  "W 8965=0",  "W 8944=0",  "R 8940",
        "W 8941=A",    "W 8942=14",   "W 8944=0",  "W 8945=1",  "W 8943=0",  "W 894A=11",
        "W 894A=11",   "W 8943=1",    "R 8944",    "W 8943=0",  "W 894A=31", "W 894A=41",
        "W 894A=41",
    };
    EXPECT_EQ(Traffic(), expected);
    std::size_t blocks = 0;
    for (const auto &r : sim.Requests())
        blocks += r.bytes.size() >= 2 && r.bytes[1] == kBlock;
    EXPECT_EQ(blocks, 64u);
    EXPECT_TRUE(Texts().empty());
    EXPECT_FALSE(RunFlags());
    EXPECT_FALSE(page->Docker()->IsTestRunning());
    EXPECT_EQ(page->MainResult().nCount, kMaBins);
    EXPECT_EQ(page->MainResult().nSampleRate, 16000);
    EXPECT_EQ(page->PhaseChart()->CurveCount(), 1);
}

TEST_F(AnalyseRunTest, TheStatusPollSendsNoHandshakeWhileARunGoes)
{
    sim.SetAnalysisFault(SimDrive::AnalysisFault::NeverDone);
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([] { return GetSysParam()->m_bScopeSampling.load() != FALSE; }));
    // The indicator runs from the successful start, so a click on it stops the run.
    ASSERT_TRUE(PumpUntil([this] { return page->Docker()->IsTestRunning(); }));
    CSysParamStatusLink link(sys);
    for (int i = 0; i < 3; ++i)
        RunStatusPoll(link, {});
    EXPECT_EQ(RequestsTo(kWrite, 0x8963), 0u);
    EXPECT_EQ(sim.AnalysisRunsStoppedByRecorder(), 0);
    EXPECT_TRUE(sim.AnalysisRunning());

    page->WindowProc(WM_COMMAND, DlgAidAnalyse::ID_END_TEST, 0);
    EXPECT_FALSE(RunFlags());
    EXPECT_FALSE(page->Docker()->IsTestRunning());
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
    EXPECT_FALSE(sim.AnalysisRunning());
    const std::vector<std::string> traffic = Traffic();
    const std::vector<std::string> tail(traffic.end() - 3, traffic.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"W 894A=31", "W 8943=0", "W 894A=41"}));
    // With the run over, the poll reads freely and sends its handshake again.
    RunStatusPoll(link, {});
    EXPECT_GE(RequestsTo(kWrite, 0x8963), 1u);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(AnalyseRunTest, LeavingThePageEndsTheRun)
{
    sim.SetAnalysisFault(SimDrive::AnalysisFault::NeverDone);
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([] { return marun::s_bMASingleSampRecvData.load() != FALSE; }));
    platform::SendMessage(page, UM_STOP_TIMER, 0, 0);
    EXPECT_FALSE(RunFlags());
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
    EXPECT_EQ(RequestsTo(kWrite, 0x8923), 1u);
    EXPECT_FALSE(sim.AnalysisRunning());
    EXPECT_EQ(page->GainChart()->CurveCount(), 0);
}

TEST_F(AnalyseRunTest, DriveStatusRefusesTheStart)
{
    struct Case {
        int state;
        const char *text;  // nullptr: refused without a message
    } cases[] = {{0, "IDS_MechanismAnalysisDlg_178"}, {2, "IDS_MechanismAnalysisDlg_180"},
                 {3, "IDS_MechanismAnalysisDlg_182"}, {4, nullptr}};
    for (const Case &c : cases) {
        sim.SetRegister(0x092B, static_cast<std::uint16_t>(c.state));
        ui->ClearCalls();
        sim.ClearRequests();
        page->OnBntStartTest();
        ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
        const std::vector<QString> texts = Texts();
        if (c.text) {
            ASSERT_EQ(texts.size(), 1u) << c.state;
            EXPECT_EQ(texts[0], Lang(c.text));
        } else {
            EXPECT_TRUE(texts.empty()) << c.state;
        }
        EXPECT_EQ(RequestsTo(kWrite, 0x8923), 1u) << c.state;
        EXPECT_EQ(RequestsTo(kWrite, 0x8943), 0u) << c.state;
        EXPECT_FALSE(RunFlags());
    }
}

TEST_F(AnalyseRunTest, NotConnectedSendsTheStopAndSays)
{
    sys.m_bConnected = FALSE;
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
    EXPECT_EQ(Texts(), std::vector<QString>{Lang("IDS_MechanismAnalysisDlg_12")});
    EXPECT_EQ(RequestsTo(kRead, 0x092B), 0u);
}

TEST_F(AnalyseRunTest, BadInputIsRememberedThenRefused)
{
    page->Docker()->SetAmplitudeText(QStringLiteral("51"));
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].caption, Lang("IDS_MyListCtrl_2"));
    MaSettings s;
    ASSERT_TRUE(LoadMaSettings(MaSettingsPath(), s));
    EXPECT_EQ(s.nAmplitude, 51);
    EXPECT_EQ(RequestsTo(kWrite, 0x8941), 0u);
    EXPECT_EQ(RequestsTo(kWrite, 0x8923), 1u);
}

// Each way a run fails, as a test of its own (a run that fails waits its time-outs).
class AnalyseFailTest : public AnalyseRunTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(AnalyseFailTest, RunsThatFailEndWithTheirMessageAndNoCurves)
{
    struct Case {
        const char *name;
        std::function<void()> arrange;
        std::vector<const char *> texts;
    } cases[] = {
        {"error bit", [this] { sim.SetAnalysisFault(SimDrive::AnalysisFault::ErrorBit); },
         {"IDS_MechanismAnalysisDlg_35"}},
        {"silent status",
         [this] {
             ShortRegisterWindow();
             SimDrive::Fault f;
             f.kind = SimDrive::FaultKind::Silence;
             f.persistent = true;
             f.function = kRead;
             f.address = 0x8944;
             sim.InjectFault(f);
         },
         {"IDS_MechanismAnalysisDlg_34"}},
        {"failed block",
         [this] {
             ShortBlockWindow();
             SimDrive::Fault f;
             f.kind = SimDrive::FaultKind::Silence;
             f.persistent = true;
             sim.SetBlockFault(10, f);
         },
         {"IDS_NewScopeView_53"}},
        {"rate without a rule", [this] { sim.SetRegister(0x8940, 7000); }, {"IDS_MechanismAnalysisDlg_186"}},
    };
    {
        const Case &c = cases[GetParam()];
        sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
        sim.ClearFaults();
        sim.SetAnalysisFault(SimDrive::AnalysisFault::None);
        sim.SetRegister(0x8940, 16000);
        c.arrange();
        ui->ClearCalls();
        sim.ClearRequests();
        page->OnBntStartTest();
        // The run's end reaches the page as a posted message after the worker has gone: wait for
        // the flags and the indicator too, which a loaded machine may handle late.
        ASSERT_TRUE(PumpUntil(
            [this, &c] {
                return Idle() && ui->Calls().size() >= c.texts.size() && !RunFlags() &&
                       !page->Docker()->IsTestRunning();
            },
            15000))
            << c.name;
        const std::vector<QString> texts = Texts();
        ASSERT_EQ(texts.size(), c.texts.size()) << c.name;
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_TRUE(texts[i].startsWith(Lang(c.texts[i]).left(8))) << c.name << ": " << texts[i].toStdString();
        EXPECT_EQ(page->GainChart()->CurveCount(), 0) << c.name;
        EXPECT_FALSE(RunFlags()) << c.name;
        EXPECT_FALSE(page->Docker()->IsTestRunning()) << c.name;
    }
}

std::string FailureName(const ::testing::TestParamInfo<int> &info)
{
    static const char *const names[] = {"ErrorBit", "SilentStatus", "FailedBlock", "RateWithoutARule"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Failures, AnalyseFailTest, ::testing::Values(0, 1, 2, 3), FailureName);

TEST_F(AnalyseRunTest, LibraryRatesDrawTheModel)
{
    sim.SetRegister(0x8940, 8000);
    SimDrive::MechanismModel model;
    model.resonanceHz = 500;
    sim.SetMechanismModel(model);
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([this] { return Analysed(); }));
    const MaResult &r = page->MainResult();
    ASSERT_EQ(r.nCount, 1024);
    EXPECT_EQ(r.nSampleRate, 8000);
    EXPECT_NEAR(r.dGainMax, 20.0, 1.0);
    // The stop point is the first point below -3 dB.
    int first = -1;
    for (int i = 0; i < r.nCount && first < 0; ++i)
        if (r.gain[static_cast<size_t>(i)] < -3.0)
            first = i;
    if (first >= 0) {
        EXPECT_EQ(r.dStopFreq, r.freq[static_cast<size_t>(first)]);
    }
    EXPECT_TRUE(Texts().empty());
}

// ---- The notch-filter dialog --------------------------------------------------------------------

TEST_F(AnalyseRunTest, NotchDialogOnASilentDriveShowsItsFirstValues)
{
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    sim.InjectFault(f);
    page->WindowProc(WM_COMMAND, DlgAidAnalyse::ID_SET_NOTCH, 0);
    ASSERT_NE(page->NotchDialog(), nullptr);
    EXPECT_EQ(Texts(), std::vector<QString>{Lang("IDS_SetXBQ_13")});
    CListCtrlUsabilityJog *list = page->NotchDialog()->List();
    ASSERT_EQ(list->GetItemCount(), 6);
    const char *values[] = {"8000", "2", "0", "8000", "2", "0"};
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(list->GetItemText(r, 1), QString::fromLatin1(values[r])) << r;
    EXPECT_EQ(list->GetItemText(0, 2), QStringLiteral("50 ～ 8000"));
    const std::size_t requests = sim.Requests().size();
    page->NotchDialog()->OnClose();
    EXPECT_FALSE(page->NotchDialog()->isVisible());
    page->WindowProc(WM_COMMAND, DlgAidAnalyse::ID_SET_NOTCH, 0);
    EXPECT_TRUE(page->NotchDialog()->isVisible());
    EXPECT_EQ(sim.Requests().size(), requests);
    EXPECT_EQ(ui->Calls().size(), 1u);
}

TEST_F(AnalyseRunTest, NotchDialogReadsAndWritesTheDrivesNotches)
{
    sim.Seed({{0x090C, 1200}, {0x090D, 5}, {0x090E, 40}, {0x090F, 3000}, {0x0910, 7}, {0x0911, 60}});
    page->OnSetNotch();
    CListCtrlUsabilityJog *list = page->NotchDialog()->List();
    const char *values[] = {"1200", "5", "40", "3000", "7", "60"};
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(list->GetItemText(r, 1), QString::fromLatin1(values[r])) << r;
    EXPECT_TRUE(Texts().empty());
    // The loop diagrams' notches are other registers: the dialog never touches them.
    EXPECT_EQ(RequestsTo(kRead, 0x0303), 0u);

    list->GetEditor(0)->m_strValue = QStringLiteral("900");
    sim.ClearRequests();
    page->NotchDialog()->OnWrite();
    EXPECT_EQ(sim.GetRegister(0x090C), 900);
    EXPECT_EQ(RequestsTo(kWrite, 0x0911), 1u);
    EXPECT_TRUE(Texts().empty());

    // A value outside its row's range is refused before anything is sent.
    sim.ClearRequests();
    list->GetEditor(3)->setText(QStringLiteral("9000"));
    list->GetEditor(3)->CommitValue();
    EXPECT_EQ(RequestsTo(kWrite, 0x090F), 0u);
    EXPECT_EQ(sim.GetRegister(0x090F), 3000);
    EXPECT_EQ(ui->Calls().size(), 1u);
    ui->ClearCalls();

    sim.Seed({{0x090D, 9}});
    page->NotchDialog()->OnRead();
    EXPECT_EQ(list->GetItemText(1, 1), QStringLiteral("9"));
}

// The curve switches and colour pickers have their places under the charts, and a switch
// shows or hides its curve.
TEST_F(AnalyseRunTest, CurveSwitchesAndColoursArePlacedAndWork)
{
    host.show();
    page->show();
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([this] { return Analysed(); }));
    const QRect phase = page->PhaseChart()->geometry();
    std::vector<QRect> placed;
    for (int id : {DlgAidAnalyse::IDC_GAIN_CHECK, DlgAidAnalyse::IDC_GAIN_COLOUR, DlgAidAnalyse::IDC_PHASE_CHECK,
                   DlgAidAnalyse::IDC_PHASE_COLOUR, DlgAidAnalyse::IDC_BACK_COLOUR}) {
        SCOPED_TRACE(id);
        QWidget *w = platform::FindCtrl(page, id);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(page->rect().contains(w->geometry()));
        EXPECT_GE(w->geometry().top(), phase.bottom()) << "under the charts";
        for (const QRect &other : placed)
            EXPECT_FALSE(other.intersects(w->geometry()));
        placed.push_back(w->geometry());
    }
    auto *gain = qobject_cast<QCheckBox *>(platform::FindCtrl(page, DlgAidAnalyse::IDC_GAIN_CHECK));
    ASSERT_TRUE(gain->isChecked());
    ASSERT_GT(page->GainChart()->CurveCount(), 0);
    auto curve = [this] {
        for (int i = 0; i < page->GainChart()->CurveCount(); ++i)
            if (page->GainChart()->Curve(i)->GetName() == QStringLiteral("增益曲线"))
                return page->GainChart()->Curve(i);
        return static_cast<CLHBCurve *>(nullptr);
    };
    ASSERT_NE(curve(), nullptr);
    gain->click();
    EXPECT_EQ(curve()->m_bVisible, 0);
    gain->click();
    EXPECT_EQ(curve()->m_bVisible, 1);
}

// A switch the user unticked keeps its curves hidden whenever they are drawn anew: after a
// new run, after a resize with an opened result file, and through a smoothing change, after
// which the curve shows smoothed as the others once it is switched on again.
TEST_F(AnalyseRunTest, UntickedSwitchesKeepTheirCurvesHiddenWhenTheyAreDrawnAnew)
{
    // A resonance: curves that smoothing changes.
    SimDrive::MechanismModel model;
    model.resonanceHz = 300;
    sim.SetMechanismModel(model);
    host.show();
    page->show();
    auto *gain = qobject_cast<QCheckBox *>(platform::FindCtrl(page, DlgAidAnalyse::IDC_GAIN_CHECK));
    auto *phase = qobject_cast<QCheckBox *>(platform::FindCtrl(page, DlgAidAnalyse::IDC_PHASE_CHECK));
    auto shown = [](CLHBGraph *chart, const QString &name) {
        for (int i = 0; i < chart->CurveCount(); ++i)
            if (chart->Curve(i)->GetName() == name)
                return chart->Curve(i)->m_bVisible;
        return -1;
    };
    auto expectSwitchesFollowed = [&] {
        EXPECT_EQ(shown(page->GainChart(), DlgAidAnalyse::kGainCurve), gain->isChecked() ? 1 : 0);
        EXPECT_EQ(shown(page->PhaseChart(), DlgAidAnalyse::kPhaseCurve), phase->isChecked() ? 1 : 0);
    };
    page->OnBntStartTest();
    ASSERT_TRUE(PumpUntil([this] { return Analysed(); }));
    phase->click();
    ASSERT_FALSE(phase->isChecked());
    {
        SCOPED_TRACE("a new run");
        page->OnBntStartTest();
        ASSERT_TRUE(PumpUntil([this] { return !Idle(); }));
        ASSERT_TRUE(PumpUntil([this] { return Analysed(); }));
        expectSwitchesFollowed();
    }
    const QString file = dir.filePath("result.msf");
    ui->PushFile(file);
    page->OnSave();
    ASSERT_TRUE(QFileInfo::exists(file));
    ui->PushFile(file);
    page->OnOpen();
    EXPECT_TRUE(gain->isChecked() && phase->isChecked()) << "an opened result shows both";
    gain->click();
    {
        SCOPED_TRACE("a resize with an opened result");
        page->resize(900, 650);
        QCoreApplication::processEvents();
        expectSwitchesFollowed();
    }
    {
        SCOPED_TRACE("a smoothing change, then the switch on again");
        page->OnSmoothingChanged(QStringLiteral("3"));
        expectSwitchesFollowed();
        const CLHBCurve *hiddenGain = nullptr;
        for (int i = 0; i < page->GainChart()->CurveCount(); ++i)
            if (page->GainChart()->Curve(i)->GetName() == DlgAidAnalyse::kGainCurve)
                hiddenGain = page->GainChart()->Curve(i);
        ASSERT_NE(hiddenGain, nullptr);
        auto values = [](const CLHBCurve *c) {
            std::vector<float> v;
            for (const LHBPoint &p : c->m_vecPoints)
                v.push_back(p.y);
            return v;
        };
        const std::vector<float> before = values(hiddenGain);
        page->OnSmoothingChanged(QStringLiteral("20"));
        gain->click();
        expectSwitchesFollowed();
        for (int i = 0; i < page->GainChart()->CurveCount(); ++i) {
            if (page->GainChart()->Curve(i)->GetName() == DlgAidAnalyse::kGainCurve) {
                EXPECT_NE(values(page->GainChart()->Curve(i)), before) << "smoothed at the new level";
            }
        }
    }
}
