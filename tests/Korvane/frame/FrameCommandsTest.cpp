// The main frame's commands against the simulated drive: emergency stop, serial devices
// arriving and leaving, the page timer around toolbar commands, projects and the manual.
#include "CommFixture.h"

#include "DialogExMid.h"
#include "KorvaneView.h"
#include "MainFrame.h"
#include "database/ADODataBase.h"
#include "MyToolBar.h"
#include "PathHelpers.h"
#include "Thread/ReadRequest.h"
#include "ToolBoxEx.h"
#include "DlgParamMointor.h"
#include "NavigationInfo.h"
#include "Wnds/Params/DlgParams.h"
#include "database/DbServices.h"
#include "platform/DeviceWatcher.h"
#include "platform/LanguageConf.h"
#include "support/ProgramDirCopy.h"

#include <QCloseEvent>
#include <QDir>
#include <algorithm>
#include <QFile>
#include <QFileInfo>

#include <mutex>

namespace {

using Kind = platform::ScriptedUiServices::Kind;

class FakeWatcher : public platform::IDeviceWatcher
{
};

// A page with a timer of its own.
class TimerPage : public CDialogExMid
{
public:
    TimerPage() : CDialogExMid(0)
    {
        m_nTimerID = 7;
        m_nElapse = 100000;
    }
};

// Message boxes that note whether the page's timer ran while they were up.
class TimerWatchingUi : public platform::ScriptedUiServices
{
public:
    std::function<bool()> timerRunning;
    std::vector<bool> seen;

protected:
    int DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner) override
    {
        seen.push_back(timerRunning && timerRunning());
        return ScriptedUiServices::DoMessageBox(text, caption, type, owner);
    }
};

class FrameCommandsTest : public CommFixture
{
protected:
    void SetUp() override
    {
        CommFixture::SetUp();
        // The simulated drive paces its replies itself: no margin after each request.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
        m_frame = std::make_unique<CMainFrame>();
        m_frame->StopStatusTimer();
        auto watcher = std::make_unique<FakeWatcher>();
        m_watcher = watcher.get();
        m_frame->SetDeviceWatcher(std::move(watcher));
    }
    void TearDown() override
    {
        m_frame.reset();
        CommFixture::TearDown();
    }

    QString EmergencyText() const
    {
        CMyToolBar *bar = m_frame->ToolBar();
        return bar->GetButton(bar->CommandToIndex(CMainFrame::ID_CMD_EMERGENCY))->m_strText;
    }
    int EmergencyImage() const
    {
        CMyToolBar *bar = m_frame->ToolBar();
        return bar->GetButton(bar->CommandToIndex(CMainFrame::ID_CMD_EMERGENCY))->m_iImage;
    }
    // Counts the writes of `value` to the emergency-stop register.
    std::function<int()> CountWrites(std::uint16_t value)
    {
        auto count = std::make_shared<std::atomic<int>>(0);
        m_sim.SetWriteHook(CMainFrame::kRegEmergencyStop, [this, count, value](std::uint16_t a, std::uint16_t v) {
            if (v == value)
                ++*count;
            m_sim.SetRegister(a, v);
            return std::uint16_t(0);
        });
        return [count] { return count->load(); };
    }
    // The latch read runs (the drive does not answer it) when the button is pressed.
    void PressWhileTheLatchIsRead()
    {
        SimDrive::Fault silent;
        silent.kind = SimDrive::FaultKind::Silence;
        silent.persistent = true;
        silent.function = 0x23;
        silent.address = CMainFrame::kRegEmergencyStop;
        m_sim.InjectFault(silent);
        m_frame->ReadEmergencyLatch();
        ASSERT_TRUE(m_frame->IsEmergencyBusy());
        m_frame->OnToolbarCommand(CMainFrame::ID_CMD_EMERGENCY);
    }
    void Press()
    {
        m_frame->OnToolbarCommand(CMainFrame::ID_CMD_EMERGENCY);
        ASSERT_TRUE(WaitFor([this] { return !m_frame->IsEmergencyBusy(); }, 3000));
        QApplication::processEvents();
        QApplication::processEvents();
    }
    platform::DeviceEvent Event(platform::DeviceEvent::Kind kind, const QString &node, QStringList links = {})
    {
        platform::DeviceEvent e;
        e.kind = kind;
        e.devNode = node;
        e.links = std::move(links);
        return e;
    }

    std::unique_ptr<CMainFrame> m_frame;
    FakeWatcher *m_watcher = nullptr;
};

TEST_F(FrameCommandsTest, EmergencyStopLatchesAndReleasesByTheButtonsState)
{
    m_sim.SetRegister(CMainFrame::kRegEmergencyStop, 0);
    auto ones = CountWrites(1);
    Press();
    EXPECT_EQ(m_sim.GetRegister(CMainFrame::kRegEmergencyStop), 1);
    EXPECT_EQ(EmergencyText(), TrSection(QStringLiteral("CMainFrame"), QStringLiteral("取消")));
    EXPECT_EQ(EmergencyImage(), 7);
    Press();
    EXPECT_EQ(m_sim.GetRegister(CMainFrame::kRegEmergencyStop), 0);
    EXPECT_EQ(EmergencyText(), TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停")));
    EXPECT_EQ(EmergencyImage(), 4);

    // The drive latched by itself while the button shows "急停": a press stops, never releases.
    m_sim.SetRegister(CMainFrame::kRegEmergencyStop, 1);
    const int before = ones();
    Press();
    EXPECT_EQ(ones(), before + 1);
    EXPECT_EQ(m_sim.GetRegister(CMainFrame::kRegEmergencyStop), 1);
    EXPECT_TRUE(m_frame->m_bEmergencyLatched);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FrameCommandsTest, EmergencyStopIsTriedWhileOfflineAndAFailedWriteIsReported)
{
    m_flags.m_bOnline = FALSE;  // the cached flag lags: the port is open
    SimDrive::Fault refuse;
    refuse.kind = SimDrive::FaultKind::ErrorReply;
    refuse.persistent = true;
    refuse.address = CMainFrame::kRegEmergencyStop;
    refuse.errorCode = SimDrive::kExRefused;
    m_sim.InjectFault(refuse);
    Press();
    EXPECT_FALSE(m_frame->m_bEmergencyLatched);
    EXPECT_EQ(EmergencyText(), TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停")));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停写入失败，驱动器未停机！")));

    // With the port closed nothing is tried.
    m_ui->ClearCalls();
    m_sys->ClosePort();
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_EMERGENCY);
    EXPECT_FALSE(m_frame->IsEmergencyBusy());
    EXPECT_TRUE(Boxes().empty());
}

// A stop pressed while the latch is being read waits for that read; when the port closes
// first (the adapter pulled out) the stop never goes out, and the user is told so.
TEST_F(FrameCommandsTest, AStopWaitingForTheLatchReadIsReportedWhenThePortClosesFirst)
{
    m_sys->m_bConnected = TRUE;
    m_flags.m_bOnline = TRUE;
    auto stops = CountWrites(1);
    ASSERT_NO_FATAL_FAILURE(PressWhileTheLatchIsRead());
    EXPECT_EQ(EmergencyText(), TrSection(QStringLiteral("CMainFrame"), QStringLiteral("请稍候...")));
    m_watcher->Notify(Event(platform::DeviceEvent::Kind::Removal, QStringLiteral("/dev/ttyUSB0"), {SimPath()}));
    ASSERT_FALSE(m_sys->m_SeriesPort.m_bOpen);
    ASSERT_TRUE(WaitFor([this] { return !m_frame->IsEmergencyBusy() && !Boxes().empty(); }, 20000));
    QApplication::processEvents();
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停写入失败，驱动器未停机！")));
    EXPECT_EQ(stops(), 0);
    EXPECT_EQ(EmergencyText(), TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停")));
    EXPECT_FALSE(m_frame->IsEmergencyBusy());
}

TEST_F(FrameCommandsTest, TheLatchReadOnConnectDecidesTheButton)
{
    m_sim.SetRegister(CMainFrame::kRegEmergencyStop, 1);
    m_frame->ReadEmergencyLatch();
    ASSERT_TRUE(WaitFor([this] { return !m_frame->IsEmergencyBusy(); }, 3000));
    QApplication::processEvents();
    EXPECT_TRUE(m_frame->m_bEmergencyLatched);
    auto zeros = CountWrites(0);
    Press();
    EXPECT_EQ(zeros(), 1);
    EXPECT_EQ(m_sim.GetRegister(CMainFrame::kRegEmergencyStop), 0);
}

// The button's text always says what its next press does, across language switches too: only a
// press on "取消" writes 0. A press while the latch is being read (a drive that does not answer
// it) shows that it waits and is carried out after the read.
// In every language the emergency button names what its next press does, and the press does it.
TEST_F(FrameCommandsTest, EmergencyCaptionNamesThePressInEveryLanguage)
{
    const ProgramDirCopy program;
    ASSERT_TRUE(program.IsValid());
    const struct
    {
        unsigned language;
        const char *stop;    // shown while released: a press stops the drive
        const char *cancel;  // shown while latched: a press releases it
    } rows[] = {{CLanguageConf::kSimplified, "急停", "取消"},
                {CLanguageConf::kTraditional, "急停", "取消"},
                {CLanguageConf::kEnglish, "E-Stop", "Cancel"}};
    m_sim.SetRegister(CMainFrame::kRegEmergencyStop, 0);
    m_frame->ReadEmergencyLatch();
    ASSERT_TRUE(WaitFor([&] { return !m_frame->IsEmergencyBusy(); }, 5000));
    for (const auto &r : rows) {
        SCOPED_TRACE(r.language);
        SelectLanguage(r.language);
        m_frame->RetranslateAll();
        ASSERT_FALSE(m_frame->m_bEmergencyLatched);
        EXPECT_EQ(EmergencyText(), QString::fromUtf8(r.stop));
        Press();
        EXPECT_EQ(m_sim.GetRegister(CMainFrame::kRegEmergencyStop), 1);
        EXPECT_EQ(EmergencyText(), QString::fromUtf8(r.cancel));
        Press();
        EXPECT_EQ(m_sim.GetRegister(CMainFrame::kRegEmergencyStop), 0);
        EXPECT_EQ(EmergencyText(), QString::fromUtf8(r.stop));
    }
}

TEST_F(FrameCommandsTest, EmergencyPressDoesWhatTheShownTextSaid)
{
    const QString stopText = TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停"));
    const QString cancelText = TrSection(QStringLiteral("CMainFrame"), QStringLiteral("取消"));
    const QString waitText = TrSection(QStringLiteral("CMainFrame"), QStringLiteral("请稍候..."));
    auto written = std::make_shared<std::vector<int>>();
    auto writtenLock = std::make_shared<std::mutex>();
    m_sim.SetWriteHook(CMainFrame::kRegEmergencyStop, [this, written, writtenLock](std::uint16_t a, std::uint16_t v) {
        std::lock_guard g(*writtenLock);
        written->push_back(v);
        m_sim.SetRegister(a, v);
        return std::uint16_t(0);
    });
    const auto writes = [&] {
        std::lock_guard g(*writtenLock);
        return *written;
    };
    struct Case
    {
        const char *what;
        bool latched;
        bool pressDuringRead;
        int expected;
    };
    const Case cases[] = {
        {"latched", true, false, 0},
        {"not latched", false, false, 1},
        {"latched, press during the latch read", true, true, 0},
        {"not latched, press during the latch read", false, true, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_sim.SetRegister(CMainFrame::kRegEmergencyStop, c.latched ? 1 : 0);
        m_frame->ReadEmergencyLatch();
        ASSERT_TRUE(WaitFor([&] { return !m_frame->IsEmergencyBusy() && m_frame->m_bEmergencyLatched == c.latched; }, 5000));
        m_frame->RetranslateAll();
        m_frame->RetranslateAll();
        EXPECT_EQ(EmergencyText(), c.latched ? cancelText : stopText);
        {
            std::lock_guard g(*writtenLock);
            written->clear();
        }
        if (c.pressDuringRead) {
            ASSERT_NO_FATAL_FAILURE(PressWhileTheLatchIsRead());
            EXPECT_EQ(EmergencyText(), waitText) << "the press is seen to wait";
            // Switching language while it waits keeps it waiting.
            m_frame->RetranslateAll();
            EXPECT_EQ(EmergencyText(), waitText);
        } else {
            m_frame->OnToolbarCommand(CMainFrame::ID_CMD_EMERGENCY);
        }
        ASSERT_TRUE(WaitFor([&] { return !writes().empty() && !m_frame->IsEmergencyBusy() && EmergencyText() != waitText; }, 8000));
        m_sim.ClearFaults();
        EXPECT_EQ(writes(), std::vector<int>{c.expected});
        EXPECT_EQ(EmergencyText(), c.expected == 1 ? cancelText : stopText);
        EXPECT_EQ(m_frame->m_bEmergencyLatched, c.expected == 1);
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FrameCommandsTest, RemovalOfTheConfiguredDeviceClosesThePortAndSaves)
{
    m_sys->m_bConnected = TRUE;
    m_flags.m_bOnline = TRUE;
    ASSERT_FALSE(QFileInfo::exists(ConfigIni()));
    ASSERT_FALSE(QFileInfo::exists(CustomXml()));
    // Another device leaving changes nothing.
    m_watcher->Notify(Event(platform::DeviceEvent::Kind::Removal, QStringLiteral("/dev/ttyUSB7")));
    EXPECT_TRUE(m_sys->m_SeriesPort.m_bOpen);
    EXPECT_TRUE(m_flags.m_bOnline);
    EXPECT_FALSE(QFileInfo::exists(ConfigIni()));

    m_sys->m_arrGroupsUser.append(CGroupsUser{});
    m_sys->m_arrGroupsUser.back().sGroupName = QStringLiteral("mine");
    m_watcher->Notify(Event(platform::DeviceEvent::Kind::Removal, QStringLiteral("/dev/ttyUSB0"), {SimPath()}));
    EXPECT_FALSE(m_sys->m_SeriesPort.m_bOpen);
    EXPECT_FALSE(m_sys->m_bConnected);
    EXPECT_FALSE(m_flags.m_bOnline);
    EXPECT_TRUE(QFileInfo::exists(ConfigIni()));
    EXPECT_TRUE(QFileInfo::exists(CustomXml()));
}

TEST_F(FrameCommandsTest, ArrivalOpensTheConfiguredPortUnlessTheUserClosedIt)
{
    m_sys->ClosePort();  // as after a start without the adapter
    m_watcher->Notify(Event(platform::DeviceEvent::Kind::Arrival, QStringLiteral("/dev/ttyUSB7")));
    EXPECT_FALSE(m_sys->m_SeriesPort.m_bOpen);
    m_watcher->Notify(Event(platform::DeviceEvent::Kind::Arrival, SimPath()));
    EXPECT_TRUE(m_sys->m_SeriesPort.m_bOpen);

    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_CLOSE_PORT);  // no application: the flag only
    m_sys->ClosePort();
    m_watcher->Notify(Event(platform::DeviceEvent::Kind::Arrival, SimPath()));
    EXPECT_FALSE(m_sys->m_SeriesPort.m_bOpen);
}

TEST_F(FrameCommandsTest, ToolbarCommandsStopThePageTimerAndRestartItExceptForClose)
{
    auto ui = std::make_shared<TimerWatchingUi>();
    platform::ScopedUiServices scope(ui);
    auto *page = new TimerPage();
    m_frame->GetActiveView()->Pages()[90] = CPageEntry{page, 0, QString()};
    m_frame->GetActiveView()->ShowPage(90);
    ASSERT_EQ(m_frame->GetActiveView()->CurrentPage(), page);
    m_frame->GetActiveView()->StartPageTimer();
    ASSERT_TRUE(page->IsTimerRunning(7));
    ui->timerRunning = [page] { return page->IsTimerRunning(7); };

    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_MANUAL);  // the manual is missing: a box
    ASSERT_EQ(ui->seen.size(), 1u);
    EXPECT_FALSE(ui->seen[0]);
    EXPECT_TRUE(page->IsTimerRunning(7));
    EXPECT_EQ(ui->Calls()[0].text, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("文件名无效!")));

    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_NOTHING);
    EXPECT_TRUE(page->IsTimerRunning(7));
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_CLOSE);
    EXPECT_FALSE(page->IsTimerRunning(7));
    m_frame->GetActiveView()->Pages().erase(90);
    delete page;
}

TEST_F(FrameCommandsTest, ManualOpensWithTheDesktopAndSaysWhenNothingCanShowIt)
{
    const QString manual = m_frame->ManualPath();
    WriteFile(manual, "%PDF-1.4\n");
    m_frame->OnManual();
    auto calls = m_ui->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, Kind::ShellOpen);
    EXPECT_EQ(calls[0].text, manual);

    m_ui->ClearCalls();
    m_ui->SetShellOpenResult(false);
    m_frame->OnManual();
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("没有相关联的应用程序!")));
    EXPECT_TRUE(boxes[0].caption.isEmpty());
}

TEST_F(FrameCommandsTest, SaveAndOpenShowOneSecondAlerts)
{
    const QString file = m_tmp.filePath("project.KVF");
    m_ui->PushFile(file);
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_SAVE);
    m_ui->PushFile(file);
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_OPEN);
    WriteFile(m_tmp.filePath("broken.KVF"), "not a project");
    m_ui->PushFile(m_tmp.filePath("broken.KVF"));
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_OPEN);
    m_ui->PushFile(std::nullopt);  // cancelled: nothing
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_SAVE);

    std::vector<platform::ScriptedUiServices::Call> alerts;
    std::vector<platform::ScriptedUiServices::Call> choosers;
    for (const auto &c : m_ui->Calls()) {
        if (c.kind == Kind::DesktopAlert)
            alerts.push_back(c);
        if (c.kind == Kind::FileDialog)
            choosers.push_back(c);
    }
    ASSERT_EQ(choosers.size(), 4u);
    EXPECT_TRUE(choosers[0].file.save);
    EXPECT_EQ(choosers[0].file.filter, QStringLiteral("Korvane File(*.KVF)|*.KVF||"));
    EXPECT_EQ(choosers[0].file.defaultExt, QStringLiteral("KVF"));
    EXPECT_FALSE(choosers[1].file.save);
    const struct
    {
        const char *text;
        COLORREF colour;
    } expected[] = {{"保存成功！", RGB(0, 0, 255)}, {"打开成功！", RGB(0, 0, 255)}, {"打开失败！", RGB(255, 0, 0)}};
    ASSERT_EQ(alerts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(alerts[i].alert.text, TrSection(QStringLiteral("CMainFrame"), QString::fromUtf8(expected[i].text))) << i;
        EXPECT_EQ(alerts[i].alert.textColour, expected[i].colour) << i;
        EXPECT_EQ(alerts[i].alert.seconds, 1) << i;
    }
}

TEST_F(FrameCommandsTest, DeletingACustomGroupAsksFirstAndRemovesItsPairs)
{
    CGroupsUser a, b;
    a.sGroupName = QStringLiteral("mine");
    b.sGroupName = QStringLiteral("other");
    m_sys->m_arrGroupsUser = {a, b};
    for (const char *g : {"mine", "other", "mine"}) {
        CParamUser p;
        p.sGroupName = QString::fromLatin1(g);
        p.sNum = QStringLiteral("P0001");
        m_sys->m_arrParamUser.append(p);
    }
    m_frame->m_curTarget.m_bCustom = 1;
    m_frame->m_curTarget.m_nTargetId = 5;
    m_frame->m_curTarget.m_strGroup = QStringLiteral("mine");
    m_frame->m_curTarget.m_strCaption = QStringLiteral("mine");

    m_ui->PushAnswer(IDNO);
    platform::SendMessage(platform::WindowRef(m_frame.get()), WM_COMMAND, CMainFrame::ID_CMD_DELETE_GROUP);
    EXPECT_EQ(m_sys->m_arrGroupsUser.size(), 2);
    EXPECT_EQ(m_sys->m_arrParamUser.size(), 3);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].text.contains(QStringLiteral("[mine]")));

    m_ui->PushAnswer(IDYES);
    platform::SendMessage(platform::WindowRef(m_frame.get()), WM_COMMAND, CMainFrame::ID_CMD_DELETE_GROUP);
    ASSERT_EQ(m_sys->m_arrGroupsUser.size(), 1);
    EXPECT_EQ(m_sys->m_arrGroupsUser[0].sGroupName, QStringLiteral("other"));
    ASSERT_EQ(m_sys->m_arrParamUser.size(), 1);
    EXPECT_EQ(m_sys->m_arrParamUser[0].sGroupName, QStringLiteral("other"));

    // A system group is never deleted, and nothing is asked.
    m_ui->ClearCalls();
    m_frame->m_curTarget.m_bCustom = 0;
    m_frame->m_curTarget.m_strGroup = QStringLiteral("other");
    platform::SendMessage(platform::WindowRef(m_frame.get()), WM_COMMAND, CMainFrame::ID_CMD_DELETE_GROUP);
    EXPECT_EQ(m_sys->m_arrGroupsUser.size(), 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FrameCommandsTest, ReadValuesReachTheCurrentDeviceOnlyWhereTheReadSucceeded)
{
    CDataAxisParameter *axis = m_sys->FindActiveAxis(m_sys->m_ProjectDatabase.m_nCurDeviceID);
    ASSERT_NE(axis, nullptr);
    ASSERT_GE(axis->m_arrParameter.size(), 2);
    auto request = std::make_shared<CReadRequest>();
    request->m_arrParam = {axis->m_arrParameter[0], axis->m_arrParameter[1]};
    request->m_arrParam[0].iCurValue = 1234;
    request->m_arrParam[1].iCurValue = 5678;
    request->m_arrReadOk = {true, false};
    const std::int32_t before = axis->m_arrParameter[1].iCurValue;
    platform::PostMessage(platform::WindowRef(m_frame.get()), UM_READ_DONE, 0, 0, request);
    QApplication::processEvents();
    axis = m_sys->FindActiveAxis(m_sys->m_ProjectDatabase.m_nCurDeviceID);
    EXPECT_EQ(axis->m_arrParameter[0].iCurValue, 1234);
    EXPECT_EQ(axis->m_arrParameter[1].iCurValue, before);
}

TEST(CustomGroupMenu, OnlyACustomGroupOffersDeleteAndEdit)
{
    NavigationTarget custom;
    custom.m_bCustom = 1;
    custom.m_nTargetId = 4;
    NavigationTarget all = custom;
    all.m_bAll = 1;
    NavigationTarget system;
    system.m_bSystem = 1;
    system.m_nTargetId = 2;
    NavigationTarget none = custom;
    none.m_nTargetId = -1;
    const std::vector<UINT> onlyNew = {CMainFrame::ID_CMD_NEW_GROUP};
    const std::vector<UINT> deleteEdit = {CMainFrame::ID_CMD_DELETE_GROUP, CMainFrame::ID_CMD_EDIT_GROUP};
    EXPECT_EQ(CMainFrame::CustomGroupMenuCommands(7, custom), deleteEdit);
    EXPECT_EQ(CMainFrame::CustomGroupMenuCommands(-1, custom), onlyNew);
    EXPECT_EQ(CMainFrame::CustomGroupMenuCommands(7, all), onlyNew);
    EXPECT_EQ(CMainFrame::CustomGroupMenuCommands(7, system), onlyNew);
    EXPECT_EQ(CMainFrame::CustomGroupMenuCommands(7, none), onlyNew);
}

TEST_F(FrameCommandsTest, ConnectOpensTheDialogWhenOfflineAndClosesThePortWhenOnline)
{
    CMyToolBar *bar = m_frame->ToolBar();
    auto *button = bar->GetButton(bar->CommandToIndex(CMainFrame::ID_CMD_CONNECT));
    int dialogs = 0;
    int closes = 0;
    m_frame->m_fnShowCommSettings = [&] {
        ++dialogs;
        m_flags.m_bOnline = TRUE;
    };
    m_frame->m_fnClosePort = [&] {
        ++closes;
        m_flags.m_bOnline = FALSE;
    };
    m_frame->m_bPortClosedByUser = true;
    m_flags.m_bOnline = FALSE;
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_CONNECT);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(m_frame->m_bPortClosedByUser);  // the port is open again
    EXPECT_EQ(button->m_strText, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("关闭")));
    EXPECT_EQ(button->m_iImage, 5);
    ASSERT_TRUE(WaitFor([this] { return !m_frame->IsEmergencyBusy(); }, 3000));  // the latch read

    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_CONNECT);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(m_frame->m_bPortClosedByUser);
    EXPECT_EQ(button->m_strText, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("连通")));
    EXPECT_EQ(button->m_iImage, 0);
}

TEST_F(FrameCommandsTest, ANewProjectWithoutDevicesCreatesNothing)
{
    const QString before = m_sys->m_ProjectDatabase.m_strProjectPath;
    int asked = 0;
    m_frame->m_fnNewProjectDialog = [&]() -> std::optional<CNewProjectInfo> {
        ++asked;
        CNewProjectInfo info;
        info.m_strFilePath = m_tmp.filePath(QStringLiteral("empty.KVF"));
        return info;
    };
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_NEW);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_sys->m_ProjectDatabase.m_strProjectPath, before);
    EXPECT_FALSE(QFileInfo::exists(m_tmp.filePath(QStringLiteral("empty.KVF"))));
}

// The program's own watcher comes up and goes quietly, with or without udev in reach.
TEST(DeviceWatcher, TheSystemWatcherStartsAndStops)
{
    auto watcher = platform::CreateDeviceWatcher();
    ASSERT_NE(watcher, nullptr);
    watcher->SetHandler([](const platform::DeviceEvent &) {});
    QApplication::processEvents();
    watcher.reset();
}

}

// A click on a group of the parameter pane shows that group on the parameter page; "all
// parameters" (no target) shows every parameter.
TEST_F(FrameCommandsTest, AGroupClickShowsItsParametersOnTheParameterPage)
{
    int key = -1;
    for (const auto &[group, entries] : GetGroupTree(true)->m_targets)
        for (const auto &[k, target] : entries)
            if (target.m_bSystem && target.m_strGroup == "P02")
                key = k;
    ASSERT_NE(key, -1);
    platform::SendMessage(platform::WindowRef(m_frame.get()), UM_GROUP_TOOL_CLICK, WPARAM(key));
    auto *page = dynamic_cast<CDlgParams *>(m_frame->GetActiveView()->CurrentPage());
    ASSERT_NE(page, nullptr);
    ASSERT_FALSE(page->m_listShownCode.isEmpty());
    for (const QString &code : page->m_listShownCode)
        EXPECT_TRUE(code.startsWith("P02")) << code.toStdString();
    m_frame->ShowAllParameters();
    EXPECT_TRUE(page->m_listShownCode.contains("P0007"));
    EXPECT_TRUE(page->m_listShownCode.contains("P0203"));
}

TEST_F(FrameCommandsTest, MonitorRequestsReachTheMonitorPane)
{
    QString code = QStringLiteral("P0203");
    platform::SendMessage(platform::WindowRef(m_frame.get()), UM_MONITOR_ADD_PARAM, 0, reinterpret_cast<LPARAM>(&code));
    ASSERT_EQ(m_frame->MonitorPane()->Monitor()->Monitored().size(), 1);
    EXPECT_EQ(m_frame->MonitorPane()->Monitor()->Monitored().front().sNum, "P0203");
}

// The monitor pane's project column follows the project the user opens: the opened project's
// value; the drive's current value stays. A code the opened project lacks shows no project value
// and is still watched.
TEST_F(FrameCommandsTest, TheMonitorPaneFollowsAnOpenedProject)
{
    CDlgParamMointor *monitor = m_frame->MonitorPane()->Monitor();
    for (const char *code : {"P0203", "P0206", "P0608"}) {
        QString text = QString::fromLatin1(code);
        platform::SendMessage(platform::WindowRef(m_frame.get()), UM_MONITOR_ADD_PARAM, 0, reinterpret_cast<LPARAM>(&text));
    }
    const QString project = QStringLiteral("IDS_ParaView_3");
    ASSERT_EQ(monitor->CellText("P0203", project), "400");
    ASSERT_EQ(monitor->CellText("P0206", project), "100");
    const QString current = monitor->CellText("P0203", CDlgParamMointor::kColCurrent);
    const auto setValue = [this](const char *code, int value) {
        CDataAxisParameter *axis = m_sys->FindActiveAxis(m_sys->m_ProjectDatabase.m_nCurDeviceID);
        for (CDBDataParameter &p : axis->m_arrParameter)
            if (p.sNum == QLatin1String(code))
                p.iCurValue = value;
    };
    // A project saved with another value and without P0608; the content then set back.
    const QString file = m_tmp.filePath(QStringLiteral("other.KVF"));
    setValue("P0203", 777);
    ASSERT_TRUE(m_sys->m_ProjectDatabase.SaveProject(file));
    {
        CADODataBase writer;
        ASSERT_TRUE(writer.Open(CADODataBase::MakeConnectionString(file, CADODataBase::OpenMode::Exclusive), {}, {}));
        ASSERT_TRUE(writer.Execute(QStringLiteral("delete from PARAMETER where sNum='P0608'")));
    }
    setValue("P0203", 400);
    m_sys->m_ProjectDatabase.MarkUnchanged();

    m_ui->PushFile(file);
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_OPEN);
    ASSERT_EQ(m_sys->m_ProjectDatabase.m_strProjectPath, file);
    EXPECT_EQ(monitor->CellText("P0203", project), "777");
    EXPECT_EQ(monitor->CellText("P0206", project), "100");
    EXPECT_EQ(monitor->CellText("P0608", project), "");
    EXPECT_EQ(monitor->CellText("P0203", CDlgParamMointor::kColCurrent), current) << "the drive's value stays";
    EXPECT_EQ(monitor->Monitored().size(), 3);
}

// A page that changed the custom groups itself (the oscilloscope's parameter tab through the
// group editor) has the parameter pane rebuilt.
TEST_F(FrameCommandsTest, APageThatChangedTheGroupsHasTheParameterPaneRebuilt)
{
    auto labels = [this] {
        QStringList all;
        CToolBoxEx *pane = m_frame->ParamPane();
        for (int p = 0; p < pane->GetPageCount(); ++p)
            for (int t = 0; t < pane->GetPage(p)->GetToolCount(); ++t)
                all << pane->GetPage(p)->GetTool(t)->label;
        return all;
    };
    m_sys->m_arrGroupsUser.append(CGroupsUser{QStringLiteral("新组")});
    EXPECT_FALSE(labels().contains(QStringLiteral("新组")));
    platform::SendMessage(platform::WindowRef(m_frame.get()),
                          platform::RegisterWindowMessage(QStringLiteral("KORVANE_RELOAD_PARAM_PANE")), 0, 0);
    EXPECT_TRUE(labels().contains(QStringLiteral("新组")));
}

namespace {

CDlgParams *ParamsPage(CMainFrame &frame)
{
    return dynamic_cast<CDlgParams *>(frame.GetActiveView()->CurrentPage());
}

// Every parameter of the active device that the user may see.
QStringList VisibleParameters(CSysParam &sys)
{
    QStringList codes;
    if (CDataAxisParameter *axis = sys.FindActiveAxis(sys.m_ProjectDatabase.m_nCurDeviceID))
        for (const CDBDataParameter &p : axis->m_arrParameter)
            if (p.nLimit == 0 || sys.m_bEngineer)
                codes << p.sNum;
    return codes;
}

}

TEST_F(FrameCommandsTest, AtStartUpTheParameterTableHoldsEveryParameter)
{
    m_frame->GetActiveView()->OnInitialUpdate();
    CDlgParams *page = ParamsPage(*m_frame);
    ASSERT_NE(page, nullptr);
    // The first page shown is the parameter table, not the home page (that one is under
    // "系统状态" in the function pane).
    EXPECT_EQ(m_frame->GetActiveView()->CurrentPage(), page);
    EXPECT_EQ(m_frame->GetActiveView()->Pages().count(kHomePageId), 0u);
    const QStringList all = VisibleParameters(*m_sys);
    ASSERT_GT(all.size(), 20);
    EXPECT_EQ(page->m_listShownCode, all);
    ASSERT_GT(m_frame->ParamPane()->GetPageCount(), 0);
    EXPECT_EQ(m_frame->ParamPane()->GetPage(0)->GetSelected(), 0) << "\"所有参数\" is selected";
}

// A custom group made or edited through the dialog is what the parameter page then shows.
TEST_F(FrameCommandsTest, ANewOrEditedCustomGroupIsShownOnThePage)
{
    const QStringList all = VisibleParameters(*m_sys);
    ASSERT_GE(all.size(), 4);
    auto defineGroup = [this](const QString &name, const QStringList &codes) {
        m_sys->m_arrGroupsUser.erase(std::remove_if(m_sys->m_arrGroupsUser.begin(), m_sys->m_arrGroupsUser.end(),
                                                    [&](const CGroupsUser &g) { return g.sGroupName == name; }),
                                     m_sys->m_arrGroupsUser.end());
        m_sys->m_arrGroupsUser.append(CGroupsUser{name});
        for (int i = m_sys->m_arrParamUser.size() - 1; i >= 0; --i)
            if (m_sys->m_arrParamUser[i].sGroupName == name)
                m_sys->m_arrParamUser.removeAt(i);
        for (const QString &code : codes) {
            CParamUser p;
            p.sGroupName = name;
            p.sNum = code;
            m_sys->m_arrParamUser.append(p);
        }
    };
    m_frame->GetActiveView()->OnInitialUpdate();
    m_frame->m_fnCustomGroupDialog = [&](bool edit, const QString &name) -> std::optional<QString> {
        EXPECT_FALSE(edit);
        EXPECT_TRUE(name.isEmpty());
        defineGroup(QStringLiteral("mine"), {all[1], all[3]});
        return QStringLiteral("mine");
    };
    platform::SendMessage(platform::WindowRef(m_frame.get()), WM_COMMAND, CMainFrame::ID_CMD_NEW_GROUP);
    CDlgParams *page = ParamsPage(*m_frame);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_listShownCode, (QStringList{all[1], all[3]}));

    // Edited: the page shows the group as it is now.
    m_frame->m_curTarget = GetGroupTree(false)->FindCustomTarget(QStringLiteral("mine"));
    m_frame->ShowAllParameters();
    m_frame->m_fnCustomGroupDialog = [&](bool edit, const QString &name) -> std::optional<QString> {
        EXPECT_TRUE(edit);
        EXPECT_EQ(name, QStringLiteral("mine"));
        defineGroup(QStringLiteral("mine"), {all[0], all[2], all[3]});
        return QStringLiteral("mine");
    };
    platform::SendMessage(platform::WindowRef(m_frame.get()), WM_COMMAND, CMainFrame::ID_CMD_EDIT_GROUP);
    EXPECT_EQ(page->m_listShownCode, (QStringList{all[0], all[2], all[3]}));
    EXPECT_EQ(m_frame->m_curTarget.m_strGroup, QStringLiteral("mine"));
}

namespace {

// Changes the value of the drive's first parameter, as an edit in the table does.
void ChangeAValue(CSysParam &sys)
{
    CDataAxisParameter *axis = sys.FindActiveAxis(sys.m_ProjectDatabase.m_nCurDeviceID);
    ASSERT_NE(axis, nullptr);
    ASSERT_FALSE(axis->m_arrParameter.isEmpty());
    axis->m_arrParameter[0].iCurValue += 1;
}

std::vector<platform::ScriptedUiServices::Call> FileDialogs(const std::vector<platform::ScriptedUiServices::Call> &calls)
{
    std::vector<platform::ScriptedUiServices::Call> out;
    for (const auto &c : calls)
        if (c.kind == Kind::FileDialog)
            out.push_back(c);
    return out;
}

}

TEST_F(FrameCommandsTest, SaveStartsAtTheOpenProjectSoOkWritesItInPlace)
{
    const QString first = m_tmp.filePath(QStringLiteral("work/first.KVF"));
    QDir().mkpath(QFileInfo(first).absolutePath());
    m_ui->PushFile(first);
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_SAVE);
    ASSERT_TRUE(QFileInfo::exists(first));
    EXPECT_FALSE(m_sys->m_ProjectDatabase.HasUnsavedChanges());

    ChangeAValue(*m_sys);
    EXPECT_TRUE(m_sys->m_ProjectDatabase.HasUnsavedChanges());
    m_ui->ClearCalls();
    m_ui->PushFile(first);  // OK on the name offered
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_SAVE);
    auto dialogs = FileDialogs(m_ui->Calls());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].file.initialName, first);
    EXPECT_EQ(dialogs[0].file.initialDir, QFileInfo(first).absolutePath());
    EXPECT_FALSE(m_sys->m_ProjectDatabase.HasUnsavedChanges());

    // A project opened from elsewhere is offered at its own path.
    const QString other = m_tmp.filePath(QStringLiteral("elsewhere/other.KVF"));
    QDir().mkpath(QFileInfo(other).absolutePath());
    ASSERT_TRUE(QFile::copy(first, other));
    m_ui->PushFile(other);
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_OPEN);
    ASSERT_EQ(m_sys->m_ProjectDatabase.m_strProjectPath, other);
    m_ui->ClearCalls();
    m_ui->PushFile(std::nullopt);
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_SAVE);
    dialogs = FileDialogs(m_ui->Calls());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].file.initialName, other);
}

// Closing the window, New and Open with changes not yet saved ask first: Yes saves (and goes on
// only when the save happened), No goes on without saving, Cancel keeps everything.
TEST_F(FrameCommandsTest, ChangesNotYetSavedAreAskedForBeforeTheyAreDropped)
{
    enum class Path { Close, New, Open };
    const struct
    {
        const char *name;
        Path path;
        int answer;
        bool saveChosen;  // the save dialog (after Yes) is answered with a path
        bool goesOn;
        bool saved;
    } cases[] = {
        {"close yes", Path::Close, IDYES, true, true, true},
        {"close yes, save cancelled", Path::Close, IDYES, false, false, false},
        {"close no", Path::Close, IDNO, false, true, false},
        {"close cancel", Path::Close, IDCANCEL, false, false, false},
        {"new yes", Path::New, IDYES, true, true, true},
        {"new no", Path::New, IDNO, false, true, false},
        {"new cancel", Path::New, IDCANCEL, false, false, false},
        {"open yes", Path::Open, IDYES, true, true, true},
        {"open no", Path::Open, IDNO, false, true, false},
        {"open cancel", Path::Open, IDCANCEL, false, false, false},
    };
    int n = 0;
    // Outlives the loop: the frame keeps the dialog function, and a later command calls it.
    int newAsked = 0;
    m_frame->m_fnNewProjectDialog = [&newAsked]() -> std::optional<CNewProjectInfo> {
        ++newAsked;
        return std::nullopt;  // the new-project dialog cancelled: the content stays
    };
    for (const auto &c : cases) {
        const QString target = m_tmp.filePath(QStringLiteral("asked%1.KVF").arg(n++));
        ChangeAValue(*m_sys);
        ASSERT_TRUE(m_sys->m_ProjectDatabase.HasUnsavedChanges()) << c.name;
        m_ui->ClearCalls();
        m_ui->PushAnswer(c.answer);
        if (c.answer == IDYES)
            m_ui->PushFile(c.saveChosen ? std::optional<QString>(target) : std::nullopt);
        bool wentOn = false;
        newAsked = 0;
        switch (c.path) {
        case Path::Close: {
            QCloseEvent close;
            QApplication::sendEvent(m_frame.get(), &close);
            wentOn = close.isAccepted();
            break;
        }
        case Path::New:
            m_frame->OnToolbarCommand(CMainFrame::ID_CMD_NEW);
            wentOn = newAsked == 1;
            break;
        case Path::Open:
            m_ui->PushFile(std::nullopt);  // the open dialog, cancelled
            m_frame->OnToolbarCommand(CMainFrame::ID_CMD_OPEN);
            for (const auto &d : FileDialogs(m_ui->Calls()))
                wentOn = wentOn || !d.file.save;
            break;
        }
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].text, TrSection(QStringLiteral("CMainFrame"), QStringLiteral("是否保存对当前工程的更改？"))) << c.name;
        EXPECT_EQ(boxes[0].type & MB_TYPEMASK, MB_YESNOCANCEL) << c.name;
        EXPECT_EQ(wentOn, c.goesOn) << c.name;
        EXPECT_EQ(QFileInfo::exists(target), c.saved) << c.name;
        EXPECT_EQ(m_sys->m_ProjectDatabase.HasUnsavedChanges(), !c.saved) << c.name;
        m_sys->m_ProjectDatabase.MarkUnchanged();
    }

    // Nothing changed: nothing is asked.
    m_ui->ClearCalls();
    m_frame->OnToolbarCommand(CMainFrame::ID_CMD_NEW);
    QCloseEvent close;
    QApplication::sendEvent(m_frame.get(), &close);
    EXPECT_TRUE(close.isAccepted());
    EXPECT_TRUE(Boxes().empty());
}
