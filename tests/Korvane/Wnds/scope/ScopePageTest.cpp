// The oscilloscope page with its side panel and sampling panel, on the simulated drive.
#include "ScopeLinkFixture.h"

#include "AppFlags.h"
#include "KorvaneView.h"
#include "PageIds.h"
#include "PathHelpers.h"
#include "Wnds/scope/ChBitDlg.h"
#include "Wnds/scope/DISelecDlg.h"
#include "Wnds/scope/DlgScope.h"
#include "Wnds/scope/DlgHistoryData.h"
#include "Wnds/scope/DlgScopeDocker.h"
#include "Wnds/scope/DlgScopeSet.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/NewScopeCursorDlg.h"
#include "Wnds/scope/NewTrigerDlg.h"
#include "Wnds/scope/ScopeConfig.h"
#include "controls/KVProcessIndicator.h"
#include "controls/MyProgressCtrl.h"
#include "grid/BCGPGridCtrlEx.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "support/FileBytes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <thread>
#include <tuple>

namespace {

// The page, with what the tests watch of the capture messages.
class WatchedScope : public CDlgScope
{
public:
    LRESULT OnCaptureProgress(WPARAM w, LPARAM l) override
    {
        progress.push_back(static_cast<int>(w));
        shownDuringProgress = shownDuringProgress && Progress()->isVisible();
        return CDlgScope::OnCaptureProgress(w, l);
    }
    LRESULT OnCaptureDone(WPARAM w, LPARAM l) override
    {
        ++captures;
        return CDlgScope::OnCaptureDone(w, l);
    }
    std::vector<int> progress;
    bool shownDuringProgress = true;
    int captures = 0;
};

class ScopePage : public ScopeLinkTest
{
protected:
    int LinkBaud() const override { return kFastBaud; }
    void SetUp() override
    {
        ScopeLinkTest::SetUp();
        // What the page does with a capture is under test, not the drive's recording time:
        // a single shot of the shipped period would record for two seconds.
        sim.SetRecorderTimeShare(0.05);
        SetAppFlags(&flags);
        UseEnglishProgramFolder(dir.path());
        // Trace colours that show on the black background.
        QFile ini(dir.filePath("config/Scope/scope.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[NewScopeColor]\nch1=65535\nch2=16776960\nch3=16711935\nch4=65280\nback=0\n");
        ini.close();
        settings->m_strContinuousPath = dir.filePath("rec");
        QDir().mkpath(settings->m_strContinuousPath);
    }
    void TearDown() override
    {
        if (page && page->IsCreated())
            page->DestroyWindow();
        page.reset();
        SetAppFlags(nullptr);
        SetProgramDir(QString());
        ScopeLinkTest::TearDown();
    }
    void Open()
    {
        host.resize(1280, 800);
        page = std::make_unique<WatchedScope>();
        page->m_fnMainStatusTimer = [this](bool run) { statusTimer.push_back(run); };
        page->m_fnRestartShownPageTimer = {};
        page->Create(&host);
        page->setGeometry(0, 0, 1280, 800);
        host.show();
        page->show();
        panel = page->Panel();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return !panel->BasePending(); }, 10000));
    }
    void Choose(int k, const QString &name)
    {
        QComboBox *box = panel->Source(k);
        int i = -1;
        for (int j = 0; j < box->count() && i < 0; ++j)
            if (box->itemData(j).toString() == name)
                i = j;
        ASSERT_GE(i, 0) << name.toStdString();
        box->setCurrentIndex(i);
        panel->OnSelchangeSource(k);
        panel->Check(k)->setChecked(true);
        panel->OnClickedChannelCheck(k);
    }
    void StartRoll()
    {
        panel->RollRadio()->setChecked(true);
        panel->PeriodEdit()->setText("60");
        panel->OnKillfocusPeriod();
        Choose(1, "Speed.cmd(r/min)");
        platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
        ASSERT_TRUE(PumpUntil([&] { return page->GetScopeView()->Channels().m_ch[0].m_nCount >= 32; }, 20000));
        ASSERT_TRUE(panel->IndicatorRunning());
    }
    bool Wrote(int address, int value) const
    {
        for (const auto &r : sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x26 && ((r.bytes[2] << 8) | r.bytes[3]) == address &&
                ((r.bytes[4] << 8) | r.bytes[5]) == value)
                return true;
        return false;
    }
    QStringList HistoryFiles() const
    {
        return QDir(GetHistoryDataDir()).entryList({"*.csv"}, QDir::Files, QDir::Name);
    }
    void PutHistoryFiles(int n, int first = 0)
    {
        for (int i = first; i < first + n; ++i) {
            QFile f(GetHistoryDataDir() + QStringLiteral("/20200101_0000%1.csv").arg(i, 2, 10, QLatin1Char('0')));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    // A capture in the view without the drive: 1000 samples on CH1.
    void FillView()
    {
        CChannel &c = page->GetScopeView()->Channels().m_ch[0];
        std::vector<double> v(1000);
        for (int i = 0; i < 1000; ++i)
            v[static_cast<std::size_t>(i)] = i % 50;
        c.m_nCount = 0;
        c.AppendFromVector(v, 1000);
        c.m_strName = QStringLiteral("Speed.cmd(r/min)");
    }
    std::vector<platform::ScriptedUiServices::Call> Boxes() const
    {
        std::vector<platform::ScriptedUiServices::Call> boxes;
        for (const auto &c : ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox)
                boxes.push_back(c);
        return boxes;
    }
    // Writes a picture of the page when KORVANE_SCREENSHOTS names a folder.
    void Screenshot(const char *name)
    {
        const QByteArray folder = qgetenv("KORVANE_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QCoreApplication::processEvents();
        host.grab().save(QString::fromLocal8Bit(folder) + "/" + QString::fromLatin1(name) + ".png");
    }

    QTemporaryDir dir;
    CAppFlags flags;
    QWidget host;
    std::unique_ptr<WatchedScope> page;
    CDlgSocpeParam *panel = nullptr;
    std::vector<bool> statusTimer;
};

}

TEST_F(ScopePage, SingleShotShowsTheCaptureBlockByBlockAndKeepsItInTheHistory)
{
    Open();
    panel->SingleRadio()->setChecked(true);
    panel->PeriodEdit()->setText("1");
    panel->OnKillfocusPeriod();
    Choose(1, "FUNC_test1_2");  // counts: sample m has the value m
    Choose(2, "Speed.cmd(r/min)");
    Choose(3, "Speed.fbk(r/min)");
    Choose(4, "Torque.cmd(%)");
    ASSERT_EQ(settings->m_nLayout, 0);

    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    EXPECT_TRUE(panel->IndicatorRunning());
    EXPECT_FALSE(page->Button(CDlgScope::IDC_START)->isEnabled());
    ASSERT_TRUE(PumpUntil([&] { return page->captures == 1; }, 20000));

    const int blocks = 2 * settings->m_nSampleWords / 128;
    ASSERT_EQ(static_cast<int>(page->progress.size()), blocks);
    for (int i = 0; i < blocks; ++i)
        EXPECT_EQ(page->progress[static_cast<std::size_t>(i)], i + 1) << "one step per block";
    EXPECT_TRUE(page->shownDuringProgress);
    EXPECT_FALSE(page->Progress()->isVisible());
    EXPECT_FALSE(panel->IndicatorRunning());
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    EXPECT_FALSE(page->Button(CDlgScope::IDC_STOP)->isEnabled());
    EXPECT_EQ(statusTimer, (std::vector<bool>{false, true})) << "the status poll pauses for the capture only";

    const CScopeChannels &ch = page->GetScopeView()->Channels();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(ch.m_ch[t].m_nCount, 1000) << "CH" << t + 1;
    EXPECT_DOUBLE_EQ(ch.m_ch[0].At(999) - ch.m_ch[0].At(0), 999.0);

    const QStringList history = HistoryFiles();
    ASSERT_EQ(history.size(), 1);
    // The whole record in view, the cursors on, as a user would set them.
    panel->TimeDivList()->setCurrentIndex(0);
    panel->OnSelchangeTimeDiv();
    page->Docker()->SelectTab(CDlgScopeDocker::kTabCursor);
    page->Docker()->CursorDlg()->m_chkShowCursor->click();
    Screenshot("scope-single-shot-cursors");

    // Chosen on the history tab, the history file comes back as the comparison capture.
    CDlgScopeDocker *docker = page->Docker();
    docker->SelectTab(CDlgScopeDocker::kTabHistory);
    CBCGPGridCtrlEx *files = docker->HistoryPage().FileList();
    ASSERT_EQ(files->GetRowCount(), 1);
    files->SetCurSel(platform::GridItemID{0, 0});
    ASSERT_TRUE(PumpUntil([&] { return page->m_bHistoryCompare == 1; }, 5000));
    Screenshot("scope-history-comparison");
    EXPECT_EQ(page->m_bHistoryCompare, 1);
    EXPECT_EQ(page->GetScopeView()->m_bCompare, 1);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(ch.m_cmp[t].m_nCount, 1000) << "CH" << t + 1;
    EXPECT_DOUBLE_EQ(ch.m_cmp[0].At(500), ch.m_ch[0].At(500));
    // Drawn over the same span as the live capture, not squeezed into the first tenth.
    EXPECT_EQ(page->GetScopeView()->m_nCmpXFirst, 0);
    EXPECT_EQ(page->GetScopeView()->m_nCmpXLast, 1000);
}

// A first run (no stored period or channel choice): a single shot draws its trace at once, and
// a roll's first frame gives its axes a range around its data; a channel left unticked shows
// no axis.
TEST_F(ScopePage, FirstRunSingleShotDrawsWithTheShippedSettings)
{
    Open();
    EXPECT_EQ(panel->PeriodEdit()->text(), QString::number(kDefaultPeriodCount));
    panel->SingleRadio()->setChecked(true);
    Choose(1, "Speed.cmd(r/min)");
    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    ASSERT_TRUE(PumpUntil([&] { return page->captures == 1; }, 20000));
    CVScope *view = page->GetScopeView();
    const CChannel &single = view->Channels().m_ch[0];
    ASSERT_GT(single.m_nCount, 0);
    EXPECT_GE(view->m_nXLast - view->m_nXFirst, 100) << "more than a few samples in view";
    EXPECT_LT(view->m_nXFirst, single.m_nCount) << "the window shows the capture";
    EXPECT_GT(view->m_nXLast, 0) << "the window shows the capture";
    EXPECT_LT(single.m_dMin, single.m_dMax);
}

TEST_F(ScopePage, FirstRunRollScalesItsAxesWithTheShippedSettings)
{
    Open();
    Choose(1, "Speed.cmd(r/min)");
    CVScope *view = page->GetScopeView();
    QComboBox *two = panel->Source(2);
    two->setCurrentIndex(two->findData(QStringLiteral("Speed.fbk(r/min)")));
    panel->OnSelchangeSource(2);
    ASSERT_FALSE(panel->Check(2)->isChecked());
    StartRoll();
    const CChannel &roll = view->Channels().m_ch[0];
    ASSERT_TRUE(PumpUntil([&] { return settings->m_bRollRunning && roll.m_nCount >= 64 && roll.m_nCount < 1000; }, 20000));
    EXPECT_LT(roll.m_dMin, roll.m_dMax);
    for (int i = 0; i < ScopeRollSamplesPerFrame(settings->m_nLayout); ++i) {
        ASSERT_GE(roll.At(i), roll.m_dMin);
        ASSERT_LE(roll.At(i), roll.m_dMax);
    }
    for (int t = 1; t < 4; ++t)
        EXPECT_EQ(view->Channels().m_ch[t].m_bVisible, 0) << "trace " << t;
    page->StopSampling();
}

TEST_F(ScopePage, LostFramesReachTheViewAsCounted)
{
    Open();
    Choose(1, "Speed.cmd(r/min)");
    panel->RollRadio()->setChecked(true);
    const int k = ScopeRollSamplesPerFrame(settings->m_nLayout);
    settings->m_vecCh[0].assign(static_cast<std::size_t>(k), 7.0);
    platform::SendMessage(page.get(), UM_SCOPE_ROLL_FRAME, 1, 3);
    EXPECT_EQ(page->GetScopeView()->Channels().m_ch[0].m_nCount, 4 * k) << "three lost frames and the good one";
}

TEST_F(ScopePage, EmergencyStopEndsARollOnTheDrive)
{
    Open();
    StartRoll();
    Screenshot("scope-roll-running");
    EXPECT_EQ(statusTimer, std::vector<bool>{false});
    sim.ClearRequests();
    page->StopForEmergency();
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_FALSE(panel->IndicatorRunning());
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    EXPECT_EQ(statusTimer.back(), true);
    EXPECT_TRUE(PumpUntil([&] { return Wrote(0x8963, 2); }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return !sim.RecorderRolling(); }, 10000));
}

// A stop that comes while a start is still writing the drive's set-up (each reply held back,
// so that the start takes a while) ends what the start began: whichever way the stop comes
// and wherever the start stands, the drive is told to stop, no capture thread is left, the
// drive hears nothing after that, and the page shows an idle, online oscilloscope.
TEST_F(ScopePage, AStopDuringAStartIsNeverLost)
{
    enum class Stopper { PageLeave, EmergencyStop, SecondPress, Exit };
    enum class Point { AtThePress, DuringTheSetUp, StartCommandOnTheLine, BeforeThePanelHears };
    const struct {
        Stopper stopper;
        const char *stopperName;
    } stoppers[] = {{Stopper::PageLeave, "page left"},
                    {Stopper::EmergencyStop, "emergency stop"},
                    {Stopper::SecondPress, "second press"},
                    {Stopper::Exit, "exit"}};
    const struct {
        Point point;
        const char *pointName;
    } points[] = {{Point::AtThePress, "at the press"},
                  {Point::DuringTheSetUp, "during the set-up"},
                  {Point::StartCommandOnTheLine, "start command on the line"},
                  {Point::BeforeThePanelHears, "writes over, panel not yet told"}};
    SimDrive::Fault slow;
    slow.kind = SimDrive::FaultKind::LateReply;
    slow.persistent = true;
    slow.delayMs = 30;
    sim.InjectFault(slow);
    auto seen = [this](int address, int value) {
        return [this, address, value] { return Wrote(address, value); };
    };
    for (const bool roll : {true, false}) {
        for (const auto &s : stoppers) {
            for (const auto &p : points) {
                SCOPED_TRACE(std::string(roll ? "roll, " : "single shot, ") + s.stopperName + ", " + p.pointName);
                Open();
                (roll ? panel->RollRadio() : panel->SingleRadio())->setChecked(true);
                panel->PeriodEdit()->setText("60");
                panel->OnKillfocusPeriod();
                Choose(1, "Speed.cmd(r/min)");
                statusTimer.clear();
                sim.ClearRequests();
                platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
                ASSERT_TRUE(panel->IndicatorRunning());
                switch (p.point) {
                case Point::AtThePress: break;
                case Point::DuringTheSetUp: ASSERT_TRUE(PumpUntil([&] { return RequestsTo(0x26, 0x895A) > 0; })); break;
                case Point::StartCommandOnTheLine: ASSERT_TRUE(PumpUntil(seen(0x8963, 1))); break;
                case Point::BeforeThePanelHears: {
                    // The worker is done and its result waits in the event queue.
                    QElapsedTimer t;
                    t.start();
                    while (panel->Core().Busy() && t.elapsed() < 15000)
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    ASSERT_FALSE(panel->Core().Busy());
                    ASSERT_TRUE(Wrote(0x8963, 1));
                    break;
                }
                }
                switch (s.stopper) {
                case Stopper::PageLeave: platform::SendMessage(page.get(), UM_STOP_TIMER, 0, 0); break;
                case Stopper::EmergencyStop: page->StopForEmergency(); break;
                case Stopper::SecondPress:
                    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
                    break;
                case Stopper::Exit: {
                    // As the program's exit leaves and ends its pages.
                    platform::SendMessage(page.get(), UM_STOP_TIMER, 0, 0);
                    CPageMap pages;
                    pages.emplace(kScopePageId, CPageEntry{page.get(), 0, QStringLiteral("scope")});
                    StopPageWorkers(pages);
                    page->DestroyWindow();
                    break;
                }
                }
                const bool exited = s.stopper == Stopper::Exit;
                ASSERT_TRUE(PumpUntil([&] {
                    return (exited || !panel->Core().Busy()) && !ScopeRollThreadRunning() && !ScopeSingleShotThreadRunning() &&
                           !sim.RecorderRolling() && Wrote(0x8963, 2);
                }));
                // Whatever a lost stop would have let run shows within this time (a single
                // shot's status poll asks about 95 times a second, a roll streams 25 frames).
                PumpUntil([] { return false; }, 300);
                const auto log = sim.Requests();
                ASSERT_FALSE(log.empty());
                const auto &last = log.back().bytes;
                ASSERT_EQ(last.size(), 8u);
                EXPECT_EQ(last[1], 0x26);
                EXPECT_EQ((last[2] << 8) | last[3], 0x8963) << "nothing after the stop";
                EXPECT_EQ((last[4] << 8) | last[5], 2);
                EXPECT_FALSE(ScopeRollThreadRunning());
                EXPECT_FALSE(ScopeSingleShotThreadRunning());
                EXPECT_EQ(settings->m_bRollRunning, 0);
                EXPECT_EQ(settings->m_bSingleRunning, 0);
                EXPECT_EQ(g_bScopeSingleBusy, 0);
                EXPECT_TRUE(sys.m_bConnected);
                if (!exited) {
                    EXPECT_FALSE(panel->IndicatorRunning());
                    EXPECT_FALSE(panel->Capturing());
                    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
                    EXPECT_FALSE(page->Button(CDlgScope::IDC_STOP)->isEnabled());
                    EXPECT_TRUE(panel->SingleRadio()->isEnabled());
                    EXPECT_TRUE(panel->RollRadio()->isEnabled());
                    ASSERT_FALSE(statusTimer.empty());
                    EXPECT_TRUE(statusTimer.back()) << "the status poll runs again";
                    page->DestroyWindow();
                }
                page.reset();
            }
        }
    }
}

TEST_F(ScopePage, LeavingThePageEndsARollAndResumesTheStatusPoll)
{
    Open();
    StartRoll();
    sim.ClearRequests();
    platform::SendMessage(page.get(), UM_STOP_TIMER, 0, 0);
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_FALSE(panel->IndicatorRunning());
    EXPECT_EQ(statusTimer.back(), true);
    EXPECT_TRUE(PumpUntil([&] { return Wrote(0x8963, 2); }, 10000));
}

// Between captures neither a page switch nor an emergency stop may reach the drive or the
// recording folder, in either mode.
TEST_F(ScopePage, StopsWithNoCaptureRunningWriteNothingAndSendNothing)
{
    Open();
    for (const bool roll : {true, false}) {
        SCOPED_TRACE(roll ? "roll" : "single shot");
        (roll ? panel->RollRadio() : panel->SingleRadio())->setChecked(true);
        sim.ClearRequests();
        platform::SendMessage(page.get(), UM_STOP_TIMER, 0, 0);
        page->StopForEmergency();
        // Whatever the stops would have queued has run once the posted steps of a stop (and the
        // pause before its command) are past, the core's worker is idle and its posted
        // results are handled.
        PumpUntil([] { return false; }, 4 * CScopeControl::StopPauseMs());
        ASSERT_TRUE(PumpUntil([&] { return !panel->Core().Busy(); }));
        PumpUntil([] { return false; }, 20);
        EXPECT_EQ(RequestsTo(0x26, 0x8963), 0u);
        EXPECT_TRUE(QDir(settings->m_strContinuousPath).entryList(QDir::Files).isEmpty());
        EXPECT_TRUE(HistoryFiles().isEmpty());
        EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    }
}

// A change the 64-bit budget refuses goes back to the accepted source, never to the list's
// first entry (a 32-bit source in the shipped tables), and a start checks the budget again.
TEST_F(ScopePage, RefusedSourceChangeKeepsTheAcceptedSourceAndTheBudget)
{
    Open();
    Choose(1, "Pos.cmd.incr(enc)");
    Choose(2, "Speed.cmd(r/min)");
    Choose(3, "Speed.fbk(r/min)");
    ASSERT_EQ(settings->m_nLayout, 1);
    ui->ClearCalls();
    QComboBox *two = panel->Source(2);
    const int before = two->currentIndex();
    two->setCurrentIndex(1);  // a second 32-bit source: 80 bits
    panel->OnSelchangeSource(2);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(two->currentIndex(), before);
    EXPECT_EQ(settings->m_nLayout, 1);

    // Lists changed behind the handlers: the start refuses before the drive hears anything.
    {
        const QSignalBlocker block(two);
        two->setCurrentIndex(1);
    }
    ui->ClearCalls();
    sim.ClearRequests();
    panel->SingleRadio()->setChecked(true);
    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Boxes().empty(); }, 10000));
    EXPECT_EQ(RequestsTo(0x26, 0x8959), 0u);
    EXPECT_FALSE(panel->IndicatorRunning());
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
}

// The stored choices of lists 3 and 4 come back at opening; stored ticks that would break the
// budget are dropped quietly, from the last channel down.
TEST_F(ScopePage, OpeningKeepsStoredChoicesWithinTheBudget)
{
    // Lists 3 and 4 both hold the twenty 32-bit sources, then DI or DO, then the 16-bit ones.
    const struct {
        const char *name;
        int ch2sel;
        bool ticks[4];
        bool ticksAfter[4];
        int layout;
    } cases[] = {
        {"32+16+16 fits", 22, {true, false, true, true}, {true, false, true, true}, 1},
        {"32+32+16+16 is cut", 1, {true, true, true, true}, {true, true, false, false}, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(testfiles::WriteAll(
            dir.filePath("config/Scope/scope.ini"),
            QStringLiteral("[NewScopeColor]\nch1=65535\nch2=16776960\nch3=16711935\nch4=65280\nback=0\n"
                           "[NewScopeChannel]\ncyclecount=60\nmode=1\nch1sel=0\nch2sel=%1\nch3sel=22\nch4sel=21\n")
                .arg(c.ch2sel)
                .toUtf8()));
        BOOL *flag[4] = {&flags.m_bScopeCheckCh1, &flags.m_bScopeCheckCh2, &flags.m_bScopeCheckCh3,
                         &flags.m_bScopeCheckCh4};
        for (int i = 0; i < 4; ++i)
            *flag[i] = c.ticks[i];
        ui->ClearCalls();
        Open();
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(panel->Source(3)->currentData().toString(), QStringLiteral("Speed.fbk(r/min)"));
        EXPECT_EQ(panel->Source(4)->currentData().toString(), QStringLiteral("Speed.cmd(r/min)"));
        for (int k = 1; k <= 4; ++k)
            EXPECT_EQ(panel->Check(k)->isChecked(), c.ticksAfter[k - 1]) << "CH" << k;
        EXPECT_EQ(settings->m_nLayout, c.layout);
        page->DestroyWindow();
        page.reset();
    }
}

// A stored DI, DO or bit-source choice comes back at opening as the list entry and its
// remembered bits, with no dialog (the program may start before the drive answers); once the
// link is up, the terminals are named from the drive. The DI and DO buttons follow CH3 and CH4.
TEST_F(ScopePage, OpeningWithStoredBitChoicesOpensNoDialogAndNamesTerminalsOnceTheLinkIsUp)
{
    // The drive gives DI terminals function 5 and DO terminals function 3.
    CDataAxisParameter axis;
    axis.nAxisID = 1;
    for (const auto &[code, value, text] : {std::tuple{"H0302", 5, "5-Forward limit"}, std::tuple{"H0400", 3, "3-Brake output"}}) {
        CDBDataParameter p;
        p.sNum = QString::fromLatin1(code);
        CDBDataSelects o;
        o.iValue = value;
        o.sDescription = QString::fromLatin1(text);
        p.m_arrSelects << o;
        axis.m_arrParameter << p;
    }
    CDataDevice device;
    device.nDeviceID = sys.m_ProjectDatabase.m_nCurDeviceID;
    device.m_arrAxis << axis;
    sys.m_ProjectDatabase.m_Project.m_arrDevices << device;
    for (int i = 0; i < 10; ++i)
        sim.SetRegister(static_cast<std::uint16_t>(0x0302 + 2 * i), 5);
    for (int i = 0; i < 8; ++i)
        sim.SetRegister(static_cast<std::uint16_t>(0x0400 + 2 * i), 3);

    // Where the sources stand in the lists.
    Open();
    auto indexOf = [&](int k, const char *name) { return panel->Source(k)->findData(QString::fromLatin1(name)); };
    const int ch1 = indexOf(1, "Speed.cmd(r/min)");  // 16 bits: the layout keeps CH3 and CH4
    const struct {
        const char *what;
        const char *ch3;
        const char *ch4;
        QStringList diNames;  // offline, then from the drive
        QStringList diDrive;
        QStringList doNames;
        QStringList doDrive;
    } cases[] = {
        {"CH3 DI", "DI", "Speed.fbk(r/min)", {"DI1:", "DI3:"}, {"DI1:Forward limit", "DI3:Forward limit"}, {}, {}},
        {"CH3 bit source, CH4 DO", "Status_word", "DO", {"Servo_ready", "Servo_running"}, {"Servo_ready", "Servo_running"},
         {"DO2:"}, {"DO2:Brake output"}},
        {"CH3 DI, CH4 DO", "DI", "DO", {"DI1:", "DI3:"}, {"DI1:Forward limit", "DI3:Forward limit"}, {"DO2:"},
         {"DO2:Brake output"}},
    };
    int sel[std::size(cases)][2];
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        sel[i][0] = indexOf(3, cases[i].ch3);
        sel[i][1] = indexOf(4, cases[i].ch4);
        ASSERT_GE(sel[i][0], 0) << cases[i].ch3;
        ASSERT_GE(sel[i][1], 0) << cases[i].ch4;
    }
    ASSERT_GE(ch1, 0);
    page->DestroyWindow();
    page.reset();

    // Any selection dialog that shows is recorded and closed.
    QStringList dialogs;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dlg = qobject_cast<CDialogExMid *>(w);
            if (dlg && w->isVisible() && (qobject_cast<CIoSelecDlg *>(w) || qobject_cast<CChBitDlg *>(w))) {
                dialogs << w->windowTitle();
                dlg->EndDialog(IDCANCEL);
            }
        }
    });
    watch.start(20);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto &c = cases[i];
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(testfiles::WriteAll(
            dir.filePath("config/Scope/scope.ini"),
            QStringLiteral("[NewScopeColor]\nch1=65535\nch2=16776960\nch3=16711935\nch4=65280\nback=0\n"
                           "[NewScopeChannel]\ncyclecount=1\nmode=0\nch1sel=%1\nch2sel=%1\nch3sel=%2\nch4sel=%3\n")
                .arg(ch1)
                .arg(sel[i][0])
                .arg(sel[i][1])
                .toUtf8()));
        settings->m_arrBitSetCh.clear();
        for (const auto &[id, bits] : {std::pair{1, 0b101}, std::pair{2, 0b10}, std::pair{3, 0b11}}) {
            BitSetCh b;
            b.nId = id;
            b.bits = std::bitset<16>(static_cast<unsigned long>(bits));
            settings->m_arrBitSetCh.push_back(b);
        }
        ASSERT_TRUE(WriteBitSelections(*settings));
        settings->m_selDI = ScopeIoSelection();
        settings->m_selDO = ScopeIoSelection();
        flags.m_bScopeIsOnce = TRUE;
        flags.m_bScopeCheckCh1 = flags.m_bScopeCheckCh3 = flags.m_bScopeCheckCh4 = TRUE;
        flags.m_bScopeCheckCh2 = FALSE;
        sys.m_bConnected = FALSE;
        sim.ClearRequests();
        Open();
        PumpUntil([] { return false; }, 100);
        EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(", ").toStdString();
        EXPECT_EQ(panel->Source(3)->currentData().toString(), QString::fromLatin1(c.ch3));
        EXPECT_EQ(panel->Source(4)->currentData().toString(), QString::fromLatin1(c.ch4));
        EXPECT_EQ(panel->DiButton()->isEnabled(), true) << "CH3 holds DI or a bit source";
        EXPECT_EQ(panel->DiButton()->text(), QString::fromLatin1(QByteArray(c.ch3) == "DI" ? "DI" : "bit"));
        EXPECT_EQ(panel->DoButton()->isEnabled(), QByteArray(c.ch4) == "DO") << "only while CH4 holds DO";
        EXPECT_EQ(settings->m_selDI.arrNames, c.diNames);
        EXPECT_EQ(settings->m_selDO.arrNames, c.doNames);
        EXPECT_TRUE(sim.Requests().empty()) << "nothing asked of a drive that is not there";

        // The link comes up; a capture names the terminals as the drive has them.
        sys.m_bConnected = TRUE;
        ASSERT_TRUE(panel->SingleRadio()->isChecked());
        platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
        ASSERT_TRUE(PumpUntil([&] { return page->captures == 1; }, 20000));
        EXPECT_TRUE(PumpUntil([&] { return settings->m_selDI.arrNames == c.diDrive && settings->m_selDO.arrNames == c.doDrive; }));
        EXPECT_EQ(settings->m_selDI.arrNames, c.diDrive);
        EXPECT_EQ(settings->m_selDO.arrNames, c.doDrive);
        const CDIDOChannel &di = page->GetScopeView()->Channels().m_di;
        EXPECT_GT(di.m_nCount, 0) << "the capture's DI strip";
        EXPECT_EQ(di.m_arrBitNames, c.diDrive);
        EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(", ").toStdString();
        page->DestroyWindow();
        page.reset();
    }
}

// A single shot whose block reads fail ends there, and the status poll gets the link back.
TEST_F(ScopePage, FailedSingleShotReleasesStartAndResumesTheStatusPoll)
{
    Open();
    panel->SingleRadio()->setChecked(true);
    Choose(1, "Speed.cmd(r/min)");
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    sim.SetBlockFault(0, f);
    // Every try of the block goes unanswered: its full reply window would only slow the test.
    sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, 20);
    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Boxes().empty(); }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return !panel->IndicatorRunning(); }, 10000));
    EXPECT_EQ(settings->m_bSingleRunning, 0);
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    EXPECT_EQ(statusTimer, (std::vector<bool>{false, true}));
}

// A roll whose stream stops coming (the drive unplugged) ends by itself and says so.
TEST_F(ScopePage, RollWithoutItsStreamEndsAndTellsTheLinkIsLost)
{
    // Half a second of silence (eight frames' time) stands for the two seconds of a real line.
    SetScopeRollSilenceMs(500);
    Open();
    StartRoll();
    ui->ClearCalls();
    sim.Stop();
    ASSERT_TRUE(PumpUntil([&] { return !Boxes().empty(); }, 20000));
    EXPECT_EQ(Boxes()[0].text, TrText(QStringLiteral("通讯中断，示波器采样已停止！")));
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_FALSE(panel->IndicatorRunning());
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    EXPECT_FALSE(sys.m_bConnected);
    EXPECT_EQ(statusTimer.back(), true);
}

TEST_F(ScopePage, StopWithoutALinkStillEndsTheCaptureHere)
{
    Open();
    StartRoll();
    sys.m_bConnected = FALSE;
    ui->ClearCalls();
    EXPECT_EQ(page->StopSampling(), 0);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("请连接串口！"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("参数写入"));
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    EXPECT_FALSE(page->Button(CDlgScope::IDC_STOP)->isEnabled());
    EXPECT_EQ(statusTimer.back(), true);
}

TEST_F(ScopePage, RefusedStartResumesTheStatusPoll)
{
    Open();
    panel->SingleRadio()->setChecked(true);
    Choose(1, "Speed.cmd(r/min)");
    sys.m_bConnected = FALSE;
    ui->ClearCalls();
    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    ASSERT_TRUE(PumpUntil([&] { return !Boxes().empty(); }, 10000));
    EXPECT_EQ(Boxes()[0].text, QStringLiteral("请连接串口！"));
    EXPECT_EQ(Boxes()[0].caption, QStringLiteral("示波器"));
    EXPECT_FALSE(panel->IndicatorRunning());
    EXPECT_TRUE(page->Button(CDlgScope::IDC_START)->isEnabled());
    EXPECT_EQ(statusTimer, (std::vector<bool>{false, true}));
}

TEST_F(ScopePage, HistoryKeepsTenAndEachSaveDropsOneFile)
{
    Open();
    FillView();
    PutHistoryFiles(10);
    page->SaveCaptureToHistory();
    QStringList files = HistoryFiles();
    EXPECT_EQ(files.size(), 10);
    EXPECT_FALSE(files.contains("20200101_000000.csv")) << "the smallest name goes";
    EXPECT_TRUE(files.contains("20200101_000001.csv"));

    // Three more put there from outside: a save still deletes only one of the old files.
    PutHistoryFiles(3, 10);
    page->SaveCaptureToHistory();
    files = HistoryFiles();
    int old = 0;
    for (const QString &f : files)
        old += f.startsWith("2020");
    EXPECT_EQ(old, 11);
    EXPECT_FALSE(files.contains("20200101_000001.csv"));
}

TEST_F(ScopePage, CaptureWithoutSamplesWritesNoHistoryAndDeletesNone)
{
    Open();
    PutHistoryFiles(11);
    page->SaveCaptureToHistory();
    EXPECT_EQ(HistoryFiles().size(), 11);
    EXPECT_TRUE(HistoryFiles().contains("20200101_000000.csv"));
}

TEST_F(ScopePage, SaveTakesCsvAndBmpInAnyCase)
{
    Open();
    FillView();
    const struct {
        const char *name;
        bool saved;
    } cases[] = {{"a.csv", true}, {"b.CSV", true}, {"c.bmp", true}, {"d.Bmp", true}, {"e.txt", false}};
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ui->PushFile(path);
        page->OnSaveCapture();
        EXPECT_EQ(QFile::exists(path), c.saved) << c.name;
    }
    // An existing file is replaced only on "yes".
    const QString path = dir.filePath("a.csv");
    QFile::remove(path);
    QFile(path).open(QIODevice::WriteOnly);
    ui->PushFile(path);
    ui->PushAnswer(IDNO);
    page->OnSaveCapture();
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST_F(ScopePage, CancelledOpenStillResetsRangeComparisonAndChannelBoxes)
{
    Open();
    FillView();
    CVScope *view = page->GetScopeView();
    view->SetZoomed(TRUE);
    view->m_bCompare = 1;
    ui->PushFile(std::nullopt);
    page->OnOpenCapture();
    EXPECT_EQ(view->m_bZoomed, 0);
    EXPECT_EQ(view->m_bCompare, 0);
    for (int k = 1; k <= 4; ++k)
        EXPECT_TRUE(page->ChannelBox(k)->isChecked());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(view->Channels().m_ch[0].m_nCount, 1000) << "nothing was read";
}

TEST_F(ScopePage, CompareAsksForACaptureAndTogglesOff)
{
    Open();
    page->OnCompare();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].caption, QString());
    EXPECT_EQ(page->LoadWaveFile(dir.filePath("missing.csv")), 0);

    FillView();
    const QString file = dir.filePath("cmp.csv");
    ASSERT_TRUE(page->SaveCaptureFile(file, 1));
    ui->ClearCalls();
    ui->PushFile(file);
    page->OnCompare();
    EXPECT_EQ(page->m_bHistoryCompare, 1);
    EXPECT_EQ(page->GetScopeView()->m_bCompare, 1);
    page->OnCompare();
    EXPECT_EQ(page->m_bHistoryCompare, 0);
    EXPECT_EQ(page->GetScopeView()->m_bCompare, 0);
    int dialogs = 0;
    for (const auto &c : ui->Calls())
        dialogs += c.kind == platform::ScriptedUiServices::Kind::FileDialog;
    EXPECT_EQ(dialogs, 1) << "switching off opens no dialog";
}

TEST_F(ScopePage, ScrollBarMovesTheViewWindow)
{
    Open();
    FillView();
    CVScope *view = page->GetScopeView();
    view->SetXWindow(0, 100);
    page->UpdateScrollRange(10);  // a page of 100 samples: the bar runs 0..900
    EXPECT_EQ(page->ScrollBar()->maximum(), 900);
    page->OnHScroll(scopepage::ScrollRequest::PageRight);
    EXPECT_EQ(page->ScrollBar()->value(), 50);
    EXPECT_EQ(view->m_nXFirst, 50);
    page->OnHScroll(scopepage::ScrollRequest::Thumb, 850);
    EXPECT_EQ(view->m_nXFirst, 850);
    EXPECT_EQ(view->m_nXLast, 950);
    page->OnHScroll(scopepage::ScrollRequest::PageRight);
    EXPECT_EQ(page->ScrollBar()->value(), 900) << "exactly one page left: the bar reaches its limit";
    EXPECT_EQ(view->m_nXFirst, 900);
}

TEST_F(ScopePage, DockerMakesItsTabsOnceAndListsTheHistoryAtEveryShow)
{
    Open();
    CDlgScopeDocker *docker = page->Docker();
    EXPECT_EQ(docker->TabBar()->count(), 4);
    EXPECT_EQ(docker->TabPage(CDlgScopeDocker::kTabSampling), panel);
    EXPECT_EQ(docker->CursorDlg(), nullptr);
    docker->SelectTab(CDlgScopeDocker::kTabCursor);
    CNewScopeCursorDlg *cursor = docker->CursorDlg();
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(cursor->isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(docker->GetCursorDialog(), cursor);
    EXPECT_EQ(cursor->m_fnGetChannelSourceName(0), panel->GetChannelSourceName(0));
    docker->SelectTab(CDlgScopeDocker::kTabSampling);
    docker->SelectTab(CDlgScopeDocker::kTabCursor);
    EXPECT_EQ(docker->CursorDlg(), cursor) << "made once";
    // The parameter tab: made at its first show, bound to the capture's start and stop.
    EXPECT_EQ(docker->ScopeSet(), nullptr);
    EXPECT_EQ(docker->ApplyHistoryParams(), 0) << "no parameter tab yet";
    docker->SelectTab(CDlgScopeDocker::kTabScopeSet);
    CDlgScopeSet *set = docker->ScopeSet();
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(set->isVisible());
    EXPECT_TRUE(set->m_fnStartSampling && set->m_fnStopSampling);
    docker->SelectTab(CDlgScopeDocker::kTabSampling);
    docker->SelectTab(CDlgScopeDocker::kTabScopeSet);
    EXPECT_EQ(docker->ScopeSet(), set) << "made once";

    // The history tab lists the folder anew at every show.
    FillView();
    page->SaveCaptureToHistory();
    EXPECT_FALSE(docker->HistoryPage().IsCreated());
    docker->SelectTab(CDlgScopeDocker::kTabHistory);
    EXPECT_TRUE(docker->HistoryPage().IsCreated());
    EXPECT_TRUE(docker->HistoryPage().m_fnLoadFile && docker->HistoryPage().m_fnApplyParams);
    EXPECT_EQ(docker->HistoryPage().FileList()->GetRowCount(), 1);
    PutHistoryFiles(2);
    docker->SelectTab(CDlgScopeDocker::kTabSampling);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(docker->HistoryPage().isVisible());
    docker->SelectTab(CDlgScopeDocker::kTabHistory);
    EXPECT_EQ(docker->HistoryPage().FileList()->GetRowCount(), 3);

    // The docker stands at the right edge, 300 px at 96 dpi; the view's sides are whole tens.
    EXPECT_EQ(docker->width(), 300 * page->logicalDpiX() / 96);
    EXPECT_EQ(docker->geometry().right(), page->width() - 1);
    const QRect v = page->GetScopeView()->geometry();
    EXPECT_LE(v.right(), docker->x());
    EXPECT_EQ(v.width() % 10, 0);
    EXPECT_EQ(v.height() % 10, 0);
}

// The side panel is taller than the docker that the main window leaves the page at 1280 x 800
// (about 500 pixels): it scrolls, and every control of it, CH4's and the background colour
// among them, can be brought into view, whatever the page's height.
TEST_F(ScopePage, EverySidePanelControlCanBeReachedOnASmallScreen)
{
    Open();
    Choose(4, "Speed.fbk(r/min)");
    CDlgScopeDocker *docker = page->Docker();
    QScrollArea *scroll = docker->SamplingScroll();
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(panel->parentWidget(), scroll->viewport());
    EXPECT_EQ(panel->Docker(), docker);
    for (const int height : {800, 500, 300}) {
        SCOPED_TRACE(height);
        page->setGeometry(0, 0, 1280, height);
        QCoreApplication::processEvents();
        ASSERT_TRUE(scroll->isVisible());
        QWidget *viewport = scroll->viewport();
        int controls = 0;
        for (QWidget *w : panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!w->isVisibleTo(panel) || qobject_cast<QGroupBox *>(w))
                continue;
            SCOPED_TRACE(platform::GetCtrlId(w));
            ++controls;
            // As a user scrolls to it (an edit's own notion would bring its caret only).
            const QRect inPanel(w->mapTo(panel, QPoint(0, 0)), w->size());
            scroll->ensureVisible(inPanel.center().x(), inPanel.center().y(), inPanel.width() / 2 + 1,
                                  inPanel.height() / 2 + 1);
            const QRect shown(w->mapTo(viewport, QPoint(0, 0)), w->size());
            EXPECT_TRUE(viewport->rect().contains(shown)) << "at " << shown.y() << " in " << viewport->height();
        }
        EXPECT_GT(controls, 40);
    }
    for (int id : {CDlgSocpeParam::ChId(CDlgSocpeParam::IDC_CH_CHECK, 4), static_cast<int>(CDlgSocpeParam::IDC_BACK)}) {
        QWidget *w = platform::FindCtrl(panel, id);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisibleTo(panel)) << id;
    }
}

TEST(ScopeDocker, ForwardingWithoutItsTargetsAnswersZero)
{
    CDlgScopeDocker docker(nullptr);
    EXPECT_EQ(docker.StartSampling(), 0);
    EXPECT_EQ(docker.StopSampling(), 0);
    EXPECT_EQ(docker.OpenWaveFile("x.csv"), 0);
    EXPECT_EQ(docker.OpenCompareFile("x.csv"), 0);
    EXPECT_EQ(docker.SaveWaveFile("x.csv", 1), 0);
    EXPECT_EQ(docker.LoadHistoryFile("x.csv"), 0);
    EXPECT_EQ(docker.GetScopeView(), nullptr);
    EXPECT_EQ(docker.GetCursorDialog(), nullptr);
}
