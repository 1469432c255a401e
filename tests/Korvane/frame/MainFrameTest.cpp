// The main frame against the simulated drive: the status tick's texts, the seven-segment
// display, the product check, and a tick that finds its previous poll still running.
#include "CommFixture.h"

#include "AppFlags.h"
#include "LangText.h"
#include "MainFrame.h"
#include "MyToolBar.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "AutoHideToolBar.h"
#include "TabbedControlBar.h"
#include "ToolBoxEx.h"
#include "KorvaneView.h"
#include "controls/MyNumericIndicatorCtrl.h"
#include "platform/LanguageConf.h"
#include "KorvaneView.h"
#include "Wnds/scope/DlgScope.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/ScopeThreads.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace {

class MainFrameTest : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(m_sim.SlavePath()));
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        ASSERT_TRUE(m_sys->Init());
        ASSERT_TRUE(m_sys->m_SeriesPort.m_bOpen);
        // The simulated drive paces its replies itself: no margin after each request.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
        SetSysParam(m_sys.get());
        SetAppFlags(&m_flags);
    }
    void TearDown() override
    {
        m_frame.reset();
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        qunsetenv("KORVANE_DEVICE");
        SysParamFixture::TearDown();
    }

    CMainFrame &Frame()
    {
        if (!m_frame) {
            m_frame = std::make_unique<CMainFrame>();
            m_frame->m_fnChangeProduct = [this](int id) {
                m_switches.push_back(id);
                return true;
            };
        }
        return *m_frame;
    }
    QString Pane(int i) { return Frame().StatusPane(i)->text(); }
    QString Display()
    {
        CMyToolBar *bar = Frame().ToolBar();
        auto *numeric = dynamic_cast<CMyToolBarNumericButton *>(bar->GetButton(bar->GetCount() - 1));
        return numeric && numeric->m_pIndicator ? numeric->m_pIndicator->GetImpl()->m_arrChars.join(QString())
                                                : QStringLiteral("<none>");
    }
    QString Label()
    {
        CMyToolBar *bar = Frame().ToolBar();
        return bar->GetButton(bar->GetCount() - 2)->m_strText;
    }
    // One tick now, waiting for its result to be painted.
    void Tick()
    {
        const QString before = Pane(2) + QStringLiteral("|") + QString::number(m_ticks++);
        Frame().StatusPane(2)->setText(before);
        Frame().OnStatusTimer();
        ASSERT_TRUE(WaitFor([&] { return Pane(2) != before; }, 3000));
    }
    int RunStateReads() const
    {
        int n = 0;
        for (const SimDrive::Request &r : m_sim.Requests()) {
            const auto &b = r.bytes;
            if (b.size() >= 4 && b[1] == 0x23 && b[2] == 0x89 && b[3] == 0x01)
                ++n;
        }
        return n;
    }
    // The drive falls silent; the frame's polls give up on it after shortened reply windows
    // (the codec's own tests keep the real ones).
    void Silence()
    {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        m_sim.InjectFault(f);
        m_sys->m_ModbusRTU.SetReplyTimeouts(30, 60);
    }
    void Speak()
    {
        m_sim.ClearFaults();
        m_sys->m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    CAppFlags m_flags;
    std::unique_ptr<CMainFrame> m_frame;
    std::vector<int> m_switches;
    int m_ticks = 0;
};

TEST_F(MainFrameTest, OnlineAndReadyWithinOneTickOfStart)
{
    Frame();
    EXPECT_EQ(Display(), QStringLiteral("Er00.00"));
    EXPECT_TRUE(Frame().IsStatusTimerRunning());
    EXPECT_EQ(Frame().StatusTickMs(), 2000u);
    // The first tick of a tick a tenth as long: the same poll, sooner.
    Frame().SetStatusTickMs(200);
    EXPECT_TRUE(Frame().IsStatusTimerRunning());
    ASSERT_TRUE(WaitFor([&] { return Pane(0) == QStringLiteral("当前状态: 在线"); }, 3000));
    EXPECT_EQ(Display(), QStringLiteral("rdy"));
    EXPECT_EQ(Label(), QString());
    EXPECT_EQ(Pane(2), QStringLiteral("软件发布版本号：1.0.6 驱动器型号：  DRV1   SN号：  12345600789abc"));
    EXPECT_EQ(Pane(3), QStringLiteral("Halvex"));
    EXPECT_TRUE(m_flags.m_bOnline);
    const int connect = Frame().ToolBar()->CommandToIndex(32945);
    EXPECT_EQ(Frame().ToolBar()->GetButton(connect)->m_strText, QStringLiteral("关闭"));
    EXPECT_EQ(Frame().ToolBar()->GetButton(connect)->m_iImage, 5);
}

TEST_F(MainFrameTest, AlarmShowsItsTextAndSilenceShowsOfflineAtTheNextTick)
{
    m_sim.SetRegister(0x092B, 3);
    m_sim.SetRegister(0x0931, 0x0E1);
    Tick();
    EXPECT_EQ(Display(), QStringLiteral("Er0E.1"));
    Silence();
    Tick();
    EXPECT_EQ(Pane(0), QStringLiteral("当前状态: 离线"));
    EXPECT_EQ(Display(), QStringLiteral("88888"));
    EXPECT_EQ(Label(), QStringLiteral("DRV1   "));
    EXPECT_EQ(Pane(2), QStringLiteral("软件发布版本号：1.0.6 "));
    EXPECT_FALSE(m_flags.m_bOnline);
    const int connect = Frame().ToolBar()->CommandToIndex(32945);
    EXPECT_EQ(Frame().ToolBar()->GetButton(connect)->m_strText, QStringLiteral("连通"));
}

// A drive that refuses its serial number is online all the same: its model is shown, the
// serial number stays empty, and the next ticks keep it online.
TEST_F(MainFrameTest, ADriveRefusingItsSerialNumberIsOnlineWithItsModel)
{
    m_sim.SetReadHook(0x897A, [](std::uint16_t) { return SimDrive::Access{0, SimDrive::kExRefused}; });
    m_sys->m_bConnected = FALSE;
    m_sys->m_strDriveModel.clear();
    m_sys->m_strDriveSerial.clear();
    Frame();
    for (int tick = 0; tick < 3; ++tick) {
        Tick();
        EXPECT_EQ(Pane(0), QStringLiteral("当前状态: 在线")) << tick;
        EXPECT_EQ(Display(), QStringLiteral("rdy")) << tick;
        EXPECT_EQ(Pane(2), QStringLiteral("软件发布版本号：1.0.6 驱动器型号：  DRV1   SN号：  ")) << tick;
        EXPECT_TRUE(m_flags.m_bOnline) << tick;
    }
}

// Closing the port takes the drive off the screen at once: no identity in pane 2, "88888" on
// the display; a poll that was under way when it closed paints nothing of the old link.
TEST_F(MainFrameTest, ClosingThePortClearsTheDriveOnScreen)
{
    Tick();
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    ASSERT_TRUE(Pane(2).contains(QStringLiteral("DRV1")));
    Frame().m_fnClosePort = [this] { m_sys->ClosePort(); };
    Frame().OnToolbarCommand(CMainFrame::ID_CMD_CLOSE_PORT);
    EXPECT_EQ(Pane(0), QStringLiteral("当前状态: 离线"));
    EXPECT_EQ(Pane(2), QStringLiteral("软件发布版本号：1.0.6 "));
    EXPECT_EQ(Display(), QStringLiteral("88888"));
    EXPECT_FALSE(m_flags.m_bOnline);
    Tick();
    EXPECT_EQ(Pane(2), QStringLiteral("软件发布版本号：1.0.6 "));
    EXPECT_EQ(Display(), QStringLiteral("88888"));
}

TEST_F(MainFrameTest, ProductIsNotSwitchedWhileNotConnected)
{
    m_sys->m_ProjectDatabase.m_nProductID = 1;
    Silence();
    Tick();
    Tick();
    EXPECT_EQ(Pane(0), QStringLiteral("当前状态: 离线"));
    EXPECT_TRUE(m_switches.empty());
    // The drive answers with the model of the product in use: checked once on this link
    // (its run state read), nothing to switch.
    Speak();
    m_sim.ClearRequests();
    Tick();
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    EXPECT_EQ(RunStateReads(), 1);
    EXPECT_TRUE(m_switches.empty());
    m_sim.ClearRequests();
    Tick();
    EXPECT_EQ(RunStateReads(), 0);
    EXPECT_TRUE(m_switches.empty());
}

TEST_F(MainFrameTest, DuringACaptureOnePollPerTickReachesTheDriveWithoutHandshake)
{
    Tick();  // link up
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    // What every run that streams from the drive sets.
    m_sys->g_bDriveSampling = TRUE;
    m_sys->m_bScopeSampling = TRUE;
    m_sim.ClearRequests();
    Tick();
    int linkWordReads = 0;
    int handshakes = 0;
    for (const SimDrive::Request &r : m_sim.Requests()) {
        const auto &b = r.bytes;
        if (b.size() >= 4 && b[1] == 0x23 && b[2] == 0x91 && b[3] == 0x04)
            ++linkWordReads;
        if (b.size() >= 6 && b[1] == 0x26 && b[2] == 0x89 && b[3] == 0x63)
            ++handshakes;
    }
    EXPECT_EQ(linkWordReads, 1);
    EXPECT_EQ(handshakes, 0);
    EXPECT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    EXPECT_EQ(Display(), QStringLiteral("rdy"));
}

// Requests the drive was sent since the log was last cleared.
int RequestCount(const SimDrive &sim)
{
    return int(sim.Requests().size());
}

// A drive that never answers one register of its serial number: past the new link's first poll
// the polls cost little more than a healthy link's (the identity is asked again, at growing
// intervals), and the drive stays online with its model.
TEST_F(MainFrameTest, ASilentIdentityRegisterCostsLittleMoreThanAHealthyPoll)
{
    constexpr int kTicks = 8;
    Frame().StopStatusTimer();
    Tick();  // the new link, its identity read
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    m_sim.ClearRequests();
    QElapsedTimer took;
    took.start();
    for (int i = 0; i < kTicks; ++i)
        Tick();
    const qint64 healthyMs = took.restart();
    const int healthy = RequestCount(m_sim);
    ASSERT_GT(healthy, 0);

    // The link drops and comes back with the register silent.
    SimDrive::Fault silent;
    silent.kind = SimDrive::FaultKind::Silence;
    silent.persistent = true;
    silent.function = 0x23;
    silent.address = 0x897B;
    m_sim.InjectFault(silent);
    m_sys->m_bConnected = FALSE;
    Tick();
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    m_sim.ClearRequests();
    took.restart();
    for (int i = 0; i < kTicks; ++i) {
        Tick();
        EXPECT_EQ(Pane(0), QStringLiteral("当前状态: 在线")) << i;
    }
    const qint64 silentMs = took.elapsed();
    const int silentIdentity = RequestCount(m_sim);
    std::fprintf(stderr, "over %d ticks: healthy %d requests in %lld ms, silent identity register %d requests in %lld ms\n",
                 kTicks, healthy, static_cast<long long>(healthyMs), silentIdentity, static_cast<long long>(silentMs));
    EXPECT_LE(silentIdentity * 2, healthy * 3);
    EXPECT_TRUE(Pane(2).contains(QStringLiteral("DRV1")));
    // The register answers again: the identity is completed at one of the next tries.
    m_sim.ClearFaults();
    ASSERT_TRUE(WaitFor(
        [&] {
            Tick();
            return Pane(2).contains(QStringLiteral("12345600789abc"));
        },
        60000));
}

// The status poll as the frame runs it, counting its ticks.
class CountingStatusLink : public CSysParamStatusLink
{
public:
    CountingStatusLink(CSysParam &sys, std::shared_ptr<std::atomic<int>> ticks)
        : CSysParamStatusLink(sys), m_ticks(std::move(ticks))
    {
    }
    int DriveStatus() const override
    {
        ++*m_ticks;  // once per tick
        return CSysParamStatusLink::DriveStatus();
    }

private:
    std::shared_ptr<std::atomic<int>> m_ticks;
};

// Boxes that stay open, as a box does while its reader is away, until `closeWhen` holds (or a
// long while has passed); the rest of the program goes on meanwhile.
class HeldBoxes : public platform::ScriptedUiServices
{
public:
    std::function<void()> whileOpen;

protected:
    int DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner) override
    {
        if (whileOpen)
            whileOpen();
        return ScriptedUiServices::DoMessageBox(text, caption, type, owner);
    }
};

// The link is lost during a roll and the oscilloscope says so in a box: while the box stays open
// the status bar says offline within two ticks.
TEST_F(MainFrameTest, TheStatusShowsALostLinkWhileTheBoxSayingSoIsOpen)
{
    // The oscilloscope's tables beside the program.
    const QString tables = QCoreApplication::applicationDirPath() + QStringLiteral("/config/Scope");
    ASSERT_TRUE(QDir().mkpath(m_binDir + QStringLiteral("/config/Scope")));
    for (const QString &f : QDir(tables).entryList(QDir::Files))
        QFile::copy(tables + QLatin1Char('/') + f, m_binDir + QStringLiteral("/config/Scope/") + f);
    const QString language = GetLangText().m_strLanguage;
    GetLangText().m_strLanguage = QStringLiteral("ChineseS");
    auto ui = std::make_shared<HeldBoxes>();
    platform::ScopedUiServices held(ui);
    auto ticks = std::make_shared<std::atomic<int>>(0);
    Frame().SetStatusLink(std::make_shared<CountingStatusLink>(*m_sys, ticks));
    // The program's main window: the oscilloscope stops its status timer while it samples.
    platform::SetMainWindow(&Frame());
    // A roll ends on a quarter of a second without its stream (a real line waits longer).
    SetScopeRollSilenceMs(250);
    Tick();
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));

    platform::SendMessage(platform::WindowRef(&Frame()), UM_FUNCTION_TOOL_CLICK, 2);
    auto *scope = dynamic_cast<CDlgScope *>(Frame().GetActiveView()->CurrentPage());
    ASSERT_NE(scope, nullptr);
    CDlgSocpeParam *panel = scope->Panel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !panel->BasePending(); }, 10000));
    panel->RollRadio()->setChecked(true);
    panel->PeriodEdit()->setText(QStringLiteral("60"));
    panel->OnKillfocusPeriod();
    QComboBox *source = panel->Source(1);
    ASSERT_GT(source->count(), 1);
    source->setCurrentIndex(1);
    panel->OnSelchangeSource(1);
    panel->Check(1)->setChecked(true);
    panel->OnClickedChannelCheck(1);
    platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    ASSERT_TRUE(WaitFor([&] { return panel->IndicatorRunning() && m_sys->g_bDriveSampling; }, 10000));
    ASSERT_EQ(Pane(0), QStringLiteral("当前状态: 在线"));
    ASSERT_FALSE(Frame().IsStatusTimerRunning()) << "the capture holds the link";

    int ticksWhenOpened = -1;
    int ticksWhenOffline = -1;
    ui->whileOpen = [&] {
        ticksWhenOpened = ticks->load();
        QElapsedTimer open;
        open.start();
        while (Pane(0) != QStringLiteral("当前状态: 离线") && open.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (Pane(0) == QStringLiteral("当前状态: 离线"))
            ticksWhenOffline = ticks->load();
    };
    m_sim.Stop();  // the drive is unplugged
    ASSERT_TRUE(WaitFor([&] { return ticksWhenOpened >= 0; }, 30000));
    ASSERT_GE(ticksWhenOffline, 0) << "still online while the box was open";
    EXPECT_LE(ticksWhenOffline - ticksWhenOpened, 2);
    EXPECT_EQ(ui->Calls().back().text, TrText(QStringLiteral("通讯中断，示波器采样已停止！")));
    StopScopeThreads();
    SetScopeRollSilenceMs(0);
    GetLangText().m_strLanguage = language;
    platform::SetMainWindow(nullptr);
}

// A link whose poll waits until released.
class BlockingLink : public IStatusLink
{
public:
    bool IsPortOpen() const override { return true; }
    bool IsDriveSampling() const override { return false; }
    bool IsConnected() const override { return false; }
    bool PollConnection() override
    {
        std::unique_lock lock(mutex);
        ++polls;
        entered.notify_all();
        released.wait(lock, [this] { return release; });
        return false;
    }
    int DriveStatus() const override { return 0; }
    QString AlarmText() override { return {}; }
    QString DriveModel() const override { return {}; }
    QString DriveSerial() const override { return {}; }
    void ReadRunState() override {}

    void Release()
    {
        std::lock_guard lock(mutex);
        release = true;
        released.notify_all();
    }

    std::mutex mutex;
    std::condition_variable entered;
    std::condition_variable released;
    bool release = false;
    int polls = 0;
};

TEST_F(MainFrameTest, TickSkipsWhileThePreviousPollRuns)
{
    auto link = std::make_shared<BlockingLink>();
    Frame().StopStatusTimer();
    Frame().SetStatusLink(link);
    Frame().OnStatusTimer();
    {
        std::unique_lock lock(link->mutex);
        ASSERT_TRUE(link->entered.wait_for(lock, std::chrono::seconds(2), [&] { return link->polls == 1; }));
    }
    // The GUI thread goes on while the poll hangs: further ticks are skipped, not queued.
    Frame().OnStatusTimer();
    Frame().OnStatusTimer();
    EXPECT_EQ(Frame().m_nSkippedTicks, 2);
    link->Release();
    ASSERT_TRUE(WaitFor([&] { return Pane(0) == QStringLiteral("当前状态: 离线"); }, 2000));
    EXPECT_EQ(link->polls, 1);
}

TEST_F(MainFrameTest, PanesToolbarAndStatusBarAreBuilt)
{
    CMainFrame &f = Frame();
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    ASSERT_NE(f.FunctionPane(), nullptr);
    ASSERT_NE(f.ParamPane(), nullptr);
    EXPECT_EQ(f.FunctionPane()->GetPageCount(), 4);
    EXPECT_EQ(f.FunctionPane()->m_nClickMessage, UM_FUNCTION_TOOL_CLICK);
    EXPECT_EQ(f.FunctionPane()->m_nMenuMessage, 0u);
    EXPECT_EQ(f.ParamPane()->m_nMenuMessage, UM_GROUP_TOOL_MENU);
    EXPECT_EQ(f.tabifiedDockWidgets(f.FunctionPane()).size(), 1);
    EXPECT_EQ(f.FunctionPane()->GetPage(0)->GetTool(3)->data, 2);  // 示波器
    EXPECT_EQ(f.ToolBar()->GetCount(), 10);
    EXPECT_EQ(f.dockWidgetArea(f.MonitorPane()), Qt::BottomDockWidgetArea);
    QString tip;
    EXPECT_TRUE(f.GetToolbarButtonToolTipText(32949, tip));
    EXPECT_EQ(tip, QStringLiteral("紧急停机"));
    EXPECT_TRUE(f.GetToolbarButtonToolTipText(1234, tip));
    EXPECT_TRUE(tip.isEmpty());
    // Hidden until the start-up allows it.
    f.show();
    EXPECT_FALSE(f.isVisible());
    f.AllowShow();
    f.show();
    EXPECT_TRUE(f.isVisible());
}


TEST_F(MainFrameTest, RetranslateAllTakesTheNewLanguageEverywhere)
{
    const QString table = m_tmp.filePath("LangTable.tsv");
    ASSERT_TRUE(QFile::copy(KORVANE_SOURCE_DIR "/Korvane/config/LangTable.tsv", table));
    platform::CreateLanguageLibrary(table);
    GetSqlite()->Load();
    CMainFrame &f = Frame();
    f.StopStatusTimer();
    f.FunctionPane()->GetPage(1)->SetSelected(2);
    CLanguageConf::GetTheOne()->Set(CLanguageConf::kEnglish);
    f.RetranslateAll();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Halvex Servo Tuning Software"));
    EXPECT_EQ(f.FunctionPane()->windowTitle(), QStringLiteral("Functions"));
    EXPECT_EQ(f.ParamPane()->windowTitle(), QStringLiteral("Parameters"));
    EXPECT_EQ(f.MonitorPane()->windowTitle(), QStringLiteral("Parameter Monitor"));
    EXPECT_EQ(f.FunctionPane()->GetPage(0)->GetTool(0)->label, QStringLiteral("Data Monitor"));
    EXPECT_EQ(f.FunctionPane()->GetPage(0)->GetTool(0)->data, 6);
    // The selection survives the refill.
    EXPECT_EQ(f.FunctionPane()->GetPage(1)->GetSelected(), 2);
    CMyToolBar *bar = f.ToolBar();
    EXPECT_EQ(bar->GetButton(bar->CommandToIndex(32946))->m_strText, QStringLiteral("Save"));
    CLanguageConf::GetTheOne()->Set(CLanguageConf::kSimplified);
    platform::DestroyLanguageLibrary();
}

// A window inside the frame that counts the colour refresh.
class ColourListener : public QWidget, public platform::MessageTarget
{
public:
    explicit ColourListener(QWidget *parent) : QWidget(parent), MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH")))
            ++heard;
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    int heard = 0;
};

TEST_F(MainFrameTest, ColourRefreshReachesEveryDescendantOnce)
{
    CMainFrame &f = Frame();
    f.StopStatusTimer();
    auto *child = new ColourListener(f.GetActiveView());
    auto *grandChild = new ColourListener(child);
    const UINT msg = platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH"));
    EXPECT_EQ(platform::SendMessage(platform::WindowRef(&f), msg), 0);
    EXPECT_EQ(child->heard, 1);
    EXPECT_EQ(grandChild->heard, 1);
}

TEST_F(MainFrameTest, PaneClicksShowTheirPage)
{
    CMainFrame &f = Frame();
    f.StopStatusTimer();
    platform::SendMessage(platform::WindowRef(&f), UM_FUNCTION_TOOL_CLICK, 2);
    ASSERT_NE(f.GetActiveView()->CurrentPage(), nullptr);
    const auto *scope = f.GetActiveView()->CurrentPage();
    platform::SendMessage(platform::WindowRef(&f), UM_GROUP_TOOL_CLICK, 1);
    EXPECT_NE(f.GetActiveView()->CurrentPage(), scope);
}

// The pages that had no way in: their buttons are in the function pane and open them.
TEST_F(MainFrameTest, TheHomeWizardAndLoopPagesOpenFromTheFunctionPane)
{
    CMainFrame &f = Frame();
    f.StopStatusTimer();
    for (const int id : {-1, 15, 16, 17}) {
        int clicked = 0;
        CToolBoxEx *pane = f.FunctionPane();
        for (int p = 0; p < pane->GetPageCount(); ++p)
            for (int t = 0; t < pane->GetPage(p)->GetToolCount(); ++t)
                if (pane->GetPage(p)->GetTool(t)->data == id)
                    ++clicked;
        EXPECT_EQ(clicked, 1) << id;
        platform::SendMessage(platform::WindowRef(&f), UM_FUNCTION_TOOL_CLICK, WPARAM(id));
        CDialogExMid *page = f.GetActiveView()->CurrentPage();
        ASSERT_NE(page, nullptr) << id;
        const auto it = f.GetActiveView()->Pages().find(id);
        ASSERT_NE(it, f.GetActiveView()->Pages().end()) << id;
        EXPECT_EQ(it->second.pPage, page) << id;
        EXPECT_TRUE(page->isVisibleTo(f.GetActiveView())) << id;
    }
}

}

namespace {

// The pin of a docked toolbox hides both toolboxes of the left row behind tabs on the left
// strip; hovering a tab leaves them hidden; a click on a tab docks that pane again, as a tab of
// the other when that one is docked; the monitor pane at the bottom is another row.
TEST_F(MainFrameTest, PinHidesTheToolboxRowAndATabClickDocksOnePaneAgain)
{
    CMainFrame &f = Frame();
    f.AllowShow();
    f.show();
    QApplication::processEvents();
    CToolBoxEx *func = f.FunctionPane();
    CToolBoxEx *params = f.ParamPane();
    CAutoHideToolBar *strip = f.AutoHideStrip(Qt::LeftDockWidgetArea);
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isHidden()) << "an empty strip takes no room";
    ASSERT_TRUE(f.TabbedToolBoxes()->Contains(func) && f.TabbedToolBoxes()->Contains(params));

    params->PinButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(func->isHidden());
    EXPECT_TRUE(params->isHidden());
    EXPECT_TRUE(f.IsAutoHidden(func) && f.IsAutoHidden(params));
    EXPECT_FALSE(f.MonitorPane()->isHidden()) << "another row";
    EXPECT_FALSE(strip->isHidden());
    ASSERT_EQ(strip->Panes().size(), 2u);
    CAutoHideTab *tab = strip->TabOf(params);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->text(), params->windowTitle());

    // Hovering does nothing.
    QEnterEvent enter(QPointF(4, 4), tab->mapToGlobal(QPointF(4, 4)), tab->mapToGlobal(QPointF(4, 4)));
    QApplication::sendEvent(tab, &enter);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 6), tab->mapToGlobal(QPointF(5, 6)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(tab, &move);
    QApplication::processEvents();
    EXPECT_TRUE(func->isHidden());
    EXPECT_TRUE(params->isHidden());

    // A click docks the pane of the tab, and only that one.
    tab->click();
    QApplication::processEvents();
    EXPECT_FALSE(params->isHidden());
    EXPECT_EQ(f.dockWidgetArea(params), Qt::LeftDockWidgetArea);
    EXPECT_FALSE(f.IsAutoHidden(params));
    EXPECT_TRUE(func->isHidden());
    ASSERT_EQ(strip->Panes().size(), 1u);

    strip->TabOf(func)->click();
    QApplication::processEvents();
    EXPECT_FALSE(func->isHidden());
    EXPECT_TRUE(f.tabifiedDockWidgets(func).contains(params)) << "tabbed together again";
    EXPECT_TRUE(strip->isHidden());

    // Auto-hidden panes count as shown for the settings; switched off, they lose their tab.
    params->PinButton()->click();
    f.m_bShowFuncNavigation = false;
    f.ApplyPaneSwitches();
    EXPECT_FALSE(f.IsAutoHidden(func));
    EXPECT_TRUE(f.IsAutoHidden(params));
    EXPECT_TRUE(func->isHidden());
}

// A pane of the row that does not take part in "auto-hide all" stays; a floating pane's pin
// does nothing.
TEST_F(MainFrameTest, PinLeavesPanesThatRefuseAutoHide)
{
    CMainFrame &f = Frame();
    auto *other = new QDockWidget(QStringLiteral("other"), &f);
    other->setObjectName(QStringLiteral("otherPane"));
    f.addDockWidget(Qt::LeftDockWidgetArea, other);
    f.FunctionPane()->PinButton()->click();
    EXPECT_TRUE(f.FunctionPane()->isHidden());
    EXPECT_TRUE(f.ParamPane()->isHidden());
    EXPECT_FALSE(other->isHidden());
    EXPECT_EQ(f.AutoHideStrip(Qt::LeftDockWidgetArea)->Panes().size(), 2u);

    for (CAutoHideTab *tab : f.AutoHideStrip(Qt::LeftDockWidgetArea)->findChildren<CAutoHideTab *>())
        tab->click();
    f.ParamPane()->setFloating(true);
    EXPECT_TRUE(f.TabbedToolBoxes()->OnPinButton(f.ParamPane()).empty());
    EXPECT_FALSE(f.ParamPane()->isHidden());
}

}
