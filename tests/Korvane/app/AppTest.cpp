// The application object's start-up, shutdown, command line and "SysSet.ini".
#include "AppFlags.h"
#include "DlgLoad.h"
#include "KorvaneApp.h"
#include "SimAids.h"
#include "SimDrive.h"
#include "Thread/ReadQueue.h"
#include "database/DbServices.h"
#include "KorvaneView.h"
#include "MainFrame.h"
#include "PathHelpers.h"
#include "ToolBoxEx.h"
#include "UserCtrlDefValue.h"
#include "DlgParamMointor.h"
#include "ParamWatchBar.h"
#include "Wnds/Params/DlgParams.h"
#include "Wnds/Params/DlgParamNote.h"
#include "PageIds.h"
#include "grid/DlgBCGGrid.h"
#include "grid/QLBCGGridCtrl.h"
#include "platform/grid/Grid.h"
#include "Wnds/auxFunction/AidSafetyPrompt.h"
#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "LangText.h"
#include "database/ADODataBase.h"
#include "platform/CommandId.h"
#include "platform/ContextMenus.h"
#include "platform/ControlId.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "support/FileBytes.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Log = std::vector<std::string>;

TEST(CommandLine, LogLevelWords)
{
    const struct
    {
        const char *line;
        int current;
        int level;
    } cases[] = {
        {"", 2, 2},
        {"--loglevel=Warning", 0, 1},
        {"--LOGLEVEL=warning", 0, 1},
        {"--loglevel=WARNING", 0, 1},
        {"--loglevel=error", 0, 2},
        {"--loglevel=fatal", 0, 3},
        {"--loglevel=verbose", 2, 0},
        {"--loglevel", 2, 2},         // no '=': the level stays
        {"-loglevel=error", 1, 1},    // not an option word
        {"--loglevel=info --loglevel=error", 0, 2},
        {"--loglevel=error --loglevel=info", 0, 0},
        {"x.kvf   --loglevel=fatal  ", 0, 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CKorvaneApp::ParseLogLevel(QString::fromLatin1(c.line), c.current), c.level) << c.line;
}

TEST(SysSetColours, FieldsTakeTheirLowByteAndMissingOnesAreZero)
{
    EXPECT_EQ(CKorvaneApp::ParseColourValue(QStringLiteral("255,128,0")), RGB(255, 128, 0));
    EXPECT_EQ(CKorvaneApp::ParseColourValue(QStringLiteral("300,0,0")), RGB(44, 0, 0));
    EXPECT_EQ(CKorvaneApp::ParseColourValue(QStringLiteral("10,20")), RGB(10, 20, 0));
    EXPECT_EQ(CKorvaneApp::ParseColourValue(QStringLiteral("1234,5,6")), RGB(123, 5, 6));
    EXPECT_EQ(CKorvaneApp::FormatColourValue(RGB(255, 128, 0)), QStringLiteral("255,128,0"));
}

// A program directory with the configuration of the build.
class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramDir(m_dir.path());
        QDirIterator it(QStringLiteral(KORVANE_CONFIG_DIR), QDir::Files);
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("config"))));
        while (it.hasNext()) {
            it.next();
            ASSERT_TRUE(QFile::copy(it.filePath(), m_dir.filePath(QStringLiteral("config/") + it.fileName())));
        }
        platform::CreateLanguageLibrary(m_dir.filePath(QStringLiteral("config/LangTable.tsv")));
        m_ui = std::make_shared<platform::ScriptedUiServices>();
        m_scopedUi = std::make_unique<platform::ScopedUiServices>(m_ui);
    }
    void TearDown() override
    {
        m_scopedUi.reset();
        platform::DestroyLanguageLibrary();
        SetProgramDir(QString());
    }
    QString File(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::shared_ptr<platform::ScriptedUiServices> m_ui;
    std::unique_ptr<platform::ScopedUiServices> m_scopedUi;
};

class FailingLink : public IAppDriveLink
{
public:
    bool Init() override { return false; }
    void RequestReadWorkerStop() override {}
    bool IsReadWorkerRunning() const override { return false; }
    void ReleaseReadWorker() override {}
};

TEST_F(AppFixture, SettingsFailureShowsItsMessageAndEndsWithAnError)
{
    CKorvaneApp app;
    app.SetDriveLink(std::make_unique<FailingLink>());
    EXPECT_FALSE(app.InitInstance({QStringLiteral("Korvane")}));
    EXPECT_NE(app.m_nExitCode, 0);
    const auto calls = m_ui->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, TrSection(QStringLiteral("CKorvaneApp"), QStringLiteral("参数初始化失败")));
    EXPECT_EQ(app.MainFrame(), nullptr);
    // The start was logged before the settings were tried.
    QFile sysLog(File(QStringLiteral("Quennark_Sys.log")));
    ASSERT_TRUE(sysLog.open(QIODevice::ReadOnly));
    EXPECT_TRUE(sysLog.readAll().contains("Start Quennark!"));
    EXPECT_EQ(app.ExitInstance(), app.m_nExitCode);
    EXPECT_FALSE(QFileInfo::exists(File(QStringLiteral("SysSet.ini"))));
}

// A read worker that, once told to stop, still sends one result to a window on the GUI thread
// before it ends, as the real one may do with the request in hand.
class SendingWorkerLink : public IAppDriveLink
{
public:
    SendingWorkerLink(Log &log, platform::WindowRef target) : m_log(log), m_target(target)
    {
        m_thread = std::thread([this] {
            while (!m_stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            platform::SendMessage(m_target, UM_READ_DONE);
            m_done = true;
        });
    }
    ~SendingWorkerLink() override
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Init() override { return true; }
    void RequestReadWorkerStop() override
    {
        m_log.push_back("worker stop flag");
        m_stop = true;
    }
    bool IsReadWorkerRunning() const override { return !m_done; }
    void ReleaseReadWorker() override
    {
        m_log.push_back(m_done ? "released ended worker" : "released running worker");
        m_thread.join();
    }

private:
    Log &m_log;
    platform::WindowRef m_target;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

class ResultWindow : public QWidget, public platform::MessageTarget
{
public:
    explicit ResultWindow(Log &log) : MessageTarget(this), m_log(log) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_READ_DONE)
            m_log.push_back("result handled");
        return MessageTarget::WindowProc(msg, w, l);
    }
    Log &m_log;
};

class WorkerPage : public CDialogExMid, public IPageWorkers
{
public:
    explicit WorkerPage(Log &log, const QString &sysSet) : CDialogExMid(0), m_log(log), m_sysSet(sysSet) {}
    void StopWorkers() override
    {
        m_log.push_back(QFileInfo::exists(m_sysSet) ? "page workers after settings" : "page workers stopped");
    }
    Log &m_log;
    QString m_sysSet;
};

TEST_F(AppFixture, StartsHiddenAndShutsDownWorkersFirst)
{
    Log log;
    ResultWindow results(log);
    {
        CKorvaneApp app;
        app.SetDriveLink(std::make_unique<SendingWorkerLink>(log, platform::WindowRef(&results)));
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane"), QStringLiteral("--loglevel=warning")}));
        EXPECT_EQ(app.m_nLogLevel, 1);
        EXPECT_EQ(app.m_strAppPath, m_dir.path());
        EXPECT_EQ(app.m_strLangFile, File(QStringLiteral("config/chinese_S.ini")));
        ASSERT_NE(app.MainFrame(), nullptr);
        EXPECT_EQ(platform::MainWindow(), app.MainFrame());
        EXPECT_FALSE(app.MainFrame()->isVisible());
        app.MainFrame()->show();  // refused until the start-up delay is over
        EXPECT_FALSE(app.MainFrame()->isVisible());
        EXPECT_TRUE(app.Splash() && app.Splash()->isVisible());

        // The parameter page is shown first; the oscilloscope page waits hidden.
        CKorvaneView *view = app.MainFrame()->GetActiveView();
        ASSERT_NE(view->CurrentPage(), nullptr);
        EXPECT_STREQ(view->CurrentPage()->metaObject()->className(), "CDlgParams");
        ASSERT_NE(view->Pages()[kScopePageId].pPage, nullptr);
        view->Pages()[11] = CPageEntry{new WorkerPage(log, app.SysSetIniPath()), 0, QString()};

        EXPECT_EQ(app.ExitInstance(), 0);
        EXPECT_TRUE(QFileInfo::exists(app.SysSetIniPath()));
        EXPECT_TRUE(QFileInfo::exists(File(QStringLiteral("UserHistory.dat"))));
        EXPECT_EQ(app.Splash(), nullptr);
    }
    // The view asks its pages once more as it goes; stopped workers have nothing left to do.
    EXPECT_EQ(log, (Log{"worker stop flag", "page workers stopped", "result handled", "released ended worker",
                        "page workers after settings"}));
}

class IdleLink : public IAppDriveLink
{
public:
    bool Init() override { return true; }
    void RequestReadWorkerStop() override {}
    bool IsReadWorkerRunning() const override { return false; }
    void ReleaseReadWorker() override {}
};

// A page that remembers the state of its check box across runs.
class RememberingPage : public CDialogExMid
{
public:
    static constexpr int kDlgId = 4711;
    static constexpr int kBoxId = 1001;
    RememberingPage() : CDialogExMid(kDlgId), m_box(new QCheckBox(this))
    {
        m_bRememberValues = true;
        platform::SetCtrlId(m_box, kBoxId);
    }
    QCheckBox *m_box;
};

TEST_F(AppFixture, PageValuesChosenBeforeExitReachTheSavedFile)
{
    {
        CKorvaneApp app;
        app.SetDriveLink(std::make_unique<IdleLink>());
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane")}));
        CUserCtrlDefValueList::GetInstance()->SetValue(RememberingPage::kDlgId, RememberingPage::kBoxId,
                                                       kCtrlKindButton, QStringLiteral("0"));
        auto *page = new RememberingPage;
        page->Create(app.MainFrame()->GetActiveView());
        app.MainFrame()->GetActiveView()->Pages()[11] = CPageEntry{page, 0, QString()};
        page->m_box->setChecked(true);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    CUserCtrlDefValueList saved;
    ASSERT_TRUE(saved.LoadFromFile(File(QStringLiteral("UserHistory.dat"))));
    EXPECT_EQ(saved.GetValue(RememberingPage::kDlgId, RememberingPage::kBoxId, kCtrlKindButton),
              QStringLiteral("1"));
}

// A pane switched off is hidden after a restart, the other two stay shown: the frame that
// goes saves the switches, the next run's frame reads them back as it starts.
TEST_F(AppFixture, APaneSwitchedOffStaysHiddenAfterARestart)
{
    const struct {
        const char *pane;
        bool CMainFrame::*flag;
        QDockWidget *(*dock)(CMainFrame &);
    } cases[] = {
        {"parameter edit", &CMainFrame::m_bShowEditParam, [](CMainFrame &f) -> QDockWidget * { return f.ParamPane(); }},
        {"monitor", &CMainFrame::m_bShowMonitorParam, [](CMainFrame &f) -> QDockWidget * { return f.MonitorPane(); }},
        {"function", &CMainFrame::m_bShowFuncNavigation, [](CMainFrame &f) -> QDockWidget * { return f.FunctionPane(); }},
    };
    CKorvaneApp app;
    app.m_strAppPath = m_dir.path();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pane);
        QFile::remove(File(QStringLiteral("SysSet.ini")));
        {
            CMainFrame before;
            platform::SetMainWindow(&before);
            before.*c.flag = false;
            app.SaveSysSetIni();
        }
        CMainFrame frame;
        platform::SetMainWindow(&frame);
        app.LoadSysSetIni();
        for (const auto &other : cases)
            EXPECT_EQ(other.dock(frame)->isHidden(), other.flag == c.flag) << other.pane;
        platform::SetMainWindow(nullptr);
    }
}

// The user's table colours are in force from the start: the parameter table and the monitor pane
// are made with the frame, before "SysSet.ini" is read, and take the colours when it is.
TEST_F(AppFixture, CustomTableColoursApplyFromTheStart)
{
    ASSERT_NO_FATAL_FAILURE(testfiles::WriteAll(
        File(QStringLiteral("SysSet.ini")),
        "[ViewSet]\r\nClrFontColor=0,0,128\r\nClrEvenColor=230,240,255\r\nClrOddColor=255,250,240\r\n"
        "BClrCustom=1\r\n"));
    const platform::GridCtrl::ColorTheme custom{RGB(0, 0, 128), RGB(230, 240, 255), RGB(255, 250, 240)};

    CKorvaneApp app;
    app.SetDriveLink(std::make_unique<IdleLink>());
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane")}));
    auto *params = qobject_cast<CDlgParams *>(app.MainFrame()->GetActiveView()->CurrentPage());
    ASSERT_NE(params, nullptr);
    ASSERT_NE(params->Grid()->GetGrid(), nullptr);
    EXPECT_EQ(params->Grid()->GetGrid()->GetColorTheme(), custom) << "parameter table";
    CDlgParamMointor *monitor = app.MainFrame()->MonitorPane()->Monitor();
    ASSERT_NE(monitor, nullptr);
    ASSERT_NE(monitor->Grid()->GetGrid(), nullptr);
    EXPECT_EQ(monitor->Grid()->GetGrid()->GetColorTheme(), custom) << "monitor pane";
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(AppFixture, SysSetRoundTripsThroughTheMainFrame)
{
    ASSERT_NO_FATAL_FAILURE(testfiles::WriteAll(
        File(QStringLiteral("SysSet.ini")),
        "[ViewSet]\r\nBShowEditParam=0\r\nBShowMonitorParam=true\r\nBShowFuncNavitaion=2\r\nNThemesID=abc\r\n"
        "ClrEvenColor=1,2\r\nBClrCustom=1\r\n[FunctionSet]\r\nbIsEnterWriteDriver=\r\nbScopeCheckCh3=1\r\n"
        "m_bIsDangerInertiaWnd=1\r\n"));

    CKorvaneApp app;
    app.m_strAppPath = m_dir.path();
    app.LoadSysSetIni();  // no main frame: nothing read
    EXPECT_FALSE(app.m_bScopeCheckCh3);

    CMainFrame frame;
    platform::SetMainWindow(&frame);
    app.LoadSysSetIni();
    EXPECT_FALSE(frame.m_bShowEditParam);
    EXPECT_FALSE(frame.m_bShowMonitorParam);
    EXPECT_FALSE(frame.m_bShowFuncNavigation);
    EXPECT_EQ(frame.m_nThemeID, 0);
    EXPECT_EQ(frame.m_clrEven, RGB(1, 2, 0));
    EXPECT_EQ(frame.m_clrFont, CMainFrame::kNoColour);
    EXPECT_TRUE(frame.m_bClrCustom);
    EXPECT_TRUE(app.m_bIsEnterWriteDriver);  // empty value: default kept
    EXPECT_TRUE(app.m_bScopeCheckCh3);
    EXPECT_TRUE(app.m_bIsDangerInertiaWnd);
    EXPECT_TRUE(app.m_bIsDangerWnd);

    frame.m_clrOdd = RGB(9, 8, 7);
    app.m_bScopeIsOnce = true;
    app.SaveSysSetIni();
    platform::SetMainWindow(nullptr);
    const platform::IniFile saved(File(QStringLiteral("SysSet.ini")));
    EXPECT_EQ(saved.Read(QStringLiteral("ViewSet"), QStringLiteral("BShowMonitorParam")), QStringLiteral("0"));
    EXPECT_EQ(saved.Read(QStringLiteral("ViewSet"), QStringLiteral("NThemesID")), QStringLiteral("0"));
    EXPECT_EQ(saved.Read(QStringLiteral("ViewSet"), QStringLiteral("ClrEvenColor")), QStringLiteral("1,2,0"));
    EXPECT_EQ(saved.Read(QStringLiteral("ViewSet"), QStringLiteral("ClrOddColor")), QStringLiteral("9,8,7"));
    EXPECT_FALSE(saved.HasKey(QStringLiteral("ViewSet"), QStringLiteral("ClrFontColor")));
    EXPECT_EQ(saved.Read(QStringLiteral("FunctionSet"), QStringLiteral("bIsEnterWriteDriver")), QStringLiteral("1"));
    EXPECT_EQ(saved.Read(QStringLiteral("FunctionSet"), QStringLiteral("bScopeIsOnce")), QStringLiteral("1"));
}

}

namespace {

// The program's own drive link: the settings object opens the device the environment names
// (here the simulated drive), is published for the rest of the program, and goes at exit.
TEST_F(AppFixture, RealLinkOpensTheDriveAndIsReleasedAtExit)
{
    SimDrive drive;
    ASSERT_TRUE(drive.Start());
    qputenv("KORVANE_DEVICE", QByteArray::fromStdString(drive.SlavePath()));
    // The temporary program tree has no CommonRes beside it: take the build's.
    SetDbProgramDir(QFileInfo(QStringLiteral(KORVANE_CONFIG_DIR)).path());
    {
        CKorvaneApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane")}));
        EXPECT_EQ(GetSysParam(), &app.g_SysParam);
        ASSERT_NE(GetReadQueue(), nullptr);
        EXPECT_TRUE(app.g_SysParam.m_SeriesPort.m_bOpen);
        EXPECT_TRUE(app.g_SysParam.PollConnection());
        EXPECT_TRUE(app.g_SysParam.m_bConnected);
        EXPECT_EQ(app.g_SysParam.m_strDriveModel, QStringLiteral("DRV1"));
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    qunsetenv("KORVANE_DEVICE");
    SetDbProgramDir(QString());
    EXPECT_EQ(GetSysParam(), nullptr);
    EXPECT_EQ(GetReadQueue(), nullptr);
    // The settings were saved beside the program, without the device the environment gave.
    EXPECT_TRUE(QFileInfo::exists(File(QStringLiteral("config/config.ini"))));
    EXPECT_EQ(platform::IniFile::GetString(File(QStringLiteral("config/config.ini")),
                                           QStringLiteral("SerialPort"), QStringLiteral("DevicePath")),
              QString());
}

}

namespace {

// The main frame's port and product operations on the program's own link and the simulated
// drive, and the edit menu the start-up registers.
TEST_F(AppFixture, PortAndProductOperations)
{
    SimDrive drive;
    ASSERT_TRUE(drive.Start());
    qputenv("KORVANE_DEVICE", QByteArray::fromStdString(drive.SlavePath()));
    SetDbProgramDir(QFileInfo(QStringLiteral(KORVANE_CONFIG_DIR)).path());
    platform::ClearContextMenus();
    {
        CKorvaneApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane")}));
        CSysParam &sys = app.g_SysParam;
        ASSERT_TRUE(sys.m_SeriesPort.m_bOpen);

        // The edit popup under its name, with the edit commands.
        const QString editMenu = QString::fromLatin1(CKorvaneApp::kEditMenuName);
        EXPECT_EQ(editMenu, QStringLiteral("My menu"));
        EXPECT_EQ(platform::ContextMenuResId(editMenu), 130);
        std::unique_ptr<QMenu> menu(platform::CreateContextMenu(editMenu, nullptr));
        ASSERT_TRUE(menu);
        std::vector<int> ids;
        for (QAction *a : menu->actions())
            ids.push_back(platform::GetCommandId(a));
        EXPECT_EQ(ids, (std::vector<int>{57635, 57634, 57637}));

        // A second product in a copy of the default database.
        const QString db = File(QStringLiteral("default.mdb"));
        ASSERT_TRUE(QFile::copy(sys.m_ProjectDatabase.m_strDefaultDbPath, db));
        QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
        {
            CADODataBase writer;
            ASSERT_TRUE(writer.Open(CADODataBase::MakeConnectionString(db, CADODataBase::OpenMode::Exclusive), {}, {}));
            for (const char *sql : {"insert into PRODUCTS values(2,'DRV2',1,'',0)",
                                    "insert into SYSTEMGROUPS select 2,nAxisID,sGroupNO,sGroupName,sDbFileVersion,"
                                    "nGroupIndex from SYSTEMGROUPS where nProductID=1",
                                    "insert into PARAMETER select sDbFileVersion,2,nAxisID,nDeviceID,bSign,iCurValue,"
                                    "iDefaultValue,iMax,iMin,dwWidth,dwAddress,dwInput,sGroupNO,sNum,sName,sUnit,"
                                    "nModify,nEffective,nLimit from PARAMETER where nProductID=1 and sNum<>'P0608'"})
                ASSERT_TRUE(writer.Execute(QString::fromLatin1(sql))) << sql;
        }
        sys.m_ProjectDatabase.m_strDefaultDbPath = db;

        // The port is not touched while another thread is in a transaction.
        std::atomic<bool> locked{false};
        std::atomic<bool> released{false};
        std::thread worker([&] {
            std::lock_guard lock(sys.m_csSerial);
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            released = true;
        });
        while (!locked)
            std::this_thread::yield();
        EXPECT_TRUE(app.ChangeProduct(2));
        EXPECT_TRUE(released) << "the port closed while the link was in use";
        worker.join();
        EXPECT_EQ(sys.m_ProjectDatabase.m_nProductID, 2);
        ASSERT_EQ(sys.m_ProjectDatabase.m_Project.m_arrProducts.size(), 1);
        EXPECT_EQ(sys.m_ProjectDatabase.m_Project.m_arrProducts[0].sProductModel, QStringLiteral("DRV2"));
        CDBDataParameter p;
        EXPECT_FALSE(sys.FindParamByCode(QStringLiteral("P0608"), &p)) << "product 2's own parameter set";
        EXPECT_TRUE(sys.m_SeriesPort.m_bOpen);
        EXPECT_TRUE(sys.PollConnection());

        // A product the database does not hold: told, the product in use stays, the port stays shut.
        m_ui->ClearCalls();
        EXPECT_FALSE(app.ChangeProduct(7));
        EXPECT_EQ(m_ui->Calls().size(), 1u);
        EXPECT_EQ(sys.m_ProjectDatabase.m_nProductID, 2);
        EXPECT_EQ(sys.m_ProjectDatabase.m_Project.m_arrProducts[0].sProductModel, QStringLiteral("DRV2"));
        EXPECT_FALSE(sys.m_SeriesPort.m_bOpen);

        // Closing: the flags drop, the port shuts and the user learns which port closed.
        ASSERT_TRUE(sys.OpenPortFromSettings());
        app.m_bOnline = TRUE;
        app.m_bDriveInfoRead = true;
        m_ui->ClearCalls();
        app.ClosePort();
        EXPECT_FALSE(app.m_bOnline);
        EXPECT_FALSE(GetAppFlags()->m_bOnline);
        EXPECT_FALSE(app.m_bDriveInfoRead);
        EXPECT_FALSE(sys.m_SeriesPort.m_bOpen);
        const auto calls = m_ui->Calls();
        ASSERT_EQ(calls.size(), 1u);
        const QString closed = TrSection(QStringLiteral("CKorvaneApp"), QStringLiteral("成功关闭%s (波特率%d)!"));
        EXPECT_EQ(calls[0].text, FillLangPlaces(closed, {sys.GetDevicePath(), QStringLiteral("57600")}));
        EXPECT_TRUE(calls[0].text.contains(sys.GetDevicePath())) << "the device closed, not a COM number";
        EXPECT_FALSE(calls[0].text.contains(QStringLiteral("COM")));
        EXPECT_TRUE(calls[0].text.contains(QStringLiteral("57600")));
        EXPECT_EQ(calls[0].caption, TrSection(QStringLiteral("CKorvaneApp"), QStringLiteral("提示")));

        // The project file's alerts last one second.
        m_ui->ClearCalls();
        EXPECT_FALSE(sys.m_ProjectDatabase.SaveProject(File(QStringLiteral("no-such-dir/p.KVF"))));
        const auto alerts = m_ui->Calls();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].kind, platform::ScriptedUiServices::Kind::DesktopAlert);
        EXPECT_EQ(alerts[0].alert.seconds, 1);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    qunsetenv("KORVANE_DEVICE");
    SetDbProgramDir(QString());
    platform::ClearContextMenus();
}

}

namespace {

// Closing the main window during a hold: the page is left through the exit itself and the stop
// reaches the drive before the port goes, also when the page believes the link is down.
struct HoldPage
{
    const char *what;
    int pageId;
    std::uint8_t reg;  // low byte of the run register (0x08xx)
    int indicatorId;
    bool linkFlagDown;
};

void PrintTo(const HoldPage &p, std::ostream *os) { *os << p.what; }

class ExitDuringAHold : public AppFixture, public ::testing::WithParamInterface<HoldPage>
{
};

TEST_P(ExitDuringAHold, ClosingTheMainWindowStopsTheMotorBeforeThePortCloses)
{
    const HoldPage &c = GetParam();
    SimDrive drive;
    ASSERT_TRUE(drive.Start());
    SimAids aids(drive);
    qputenv("KORVANE_DEVICE", QByteArray::fromStdString(drive.SlavePath()));
    SetDbProgramDir(QFileInfo(QStringLiteral(KORVANE_CONFIG_DIR)).path());
    platform::ScopedUiServices ui{std::make_shared<platform::ScriptedUiServices>()};
    const AidSafetyPromptRunner old = SetAidSafetyPromptRunner([](QWidget *, const QString &, BOOL *) {});
    {
        CKorvaneApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane")}));
        // The simulated drive paces its replies itself: the codec's extra wait after each request
        // only makes the test slow.
        app.g_SysParam.m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(app.g_SysParam.PollConnection());
        GetAppFlags()->m_bOnline = TRUE;
        CKorvaneView *view = app.MainFrame()->GetActiveView();
        view->ShowPage(c.pageId);
        CDialogExMid *page = view->CurrentPage();
        ASSERT_NE(page, nullptr);
        // Switched on once the drive answered (the page's worker talks to it).
        const auto await = [](const std::function<bool()> &done) {
            QElapsedTimer t;
            t.start();
            while (!done() && t.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return done();
        };
        if (auto *jog = qobject_cast<CDlgAidJogMove *>(page)) {
            jog->EnableButton()->click();
            ASSERT_TRUE(await([&] { return jog->JogState() == 1; }));
        } else if (auto *inertia = qobject_cast<CDlgAidInertia *>(page)) {
            inertia->ServoButton()->click();
            ASSERT_TRUE(await([&] { return inertia->RunState() == 1; }));
        }
        platform::SendMessage(page, UM_BUTTON_PRESSED, static_cast<WPARAM>(c.indicatorId));
        if (c.linkFlagDown)
            app.g_SysParam.m_bConnected = FALSE;
        drive.ClearRequests();
        app.MainFrame()->close();
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    // The drive heard the switch-off (a closed port carries nothing) and took it.
    bool off = false;
    for (const SimDrive::Request &r : drive.Requests())
        off = off || (r.bytes.size() == 8 && r.bytes[1] == 0x26 && r.bytes[2] == 0x08 && r.bytes[3] == c.reg &&
                      r.bytes[4] == 0x00 && r.bytes[5] == 0x41);
    EXPECT_TRUE(off);
    EXPECT_EQ((c.reg == 0x07 ? aids.Jog() : aids.Inertia()).state, SimAids::Run::Off);
    SetAidSafetyPromptRunner(old);
    qunsetenv("KORVANE_DEVICE");
    SetDbProgramDir(QString());
}

INSTANTIATE_TEST_SUITE_P(Pages, ExitDuringAHold,
                         ::testing::Values(HoldPage{"jog", 4, 0x07, CDlgAidJogMove::IDC_FORWARD, false},
                                           HoldPage{"jogLinkFlagDown", 4, 0x07, CDlgAidJogMove::IDC_FORWARD, true},
                                           HoldPage{"inertia", 5, 0x0C, CDlgAidInertia::IDC_FORWARD, false},
                                           HoldPage{"inertiaLinkFlagDown", 5, 0x0C, CDlgAidInertia::IDC_FORWARD, true}),
                         [](const ::testing::TestParamInfo<HoldPage> &info) { return std::string(info.param.what); });

}

namespace {

// The project asks whether to save only when something changed. Started as the program starts
// against a drive, every page of the function tree opened from the tree and left to do what it
// does as it opens (the data monitor's readings among it), closing asks nothing. A value the
// user typed into the parameter table is a change; a read of a parameter is a change only when
// the drive's value differs from the project's.
TEST_F(AppFixture, ClosingAsksToSaveOnlyAfterAChange)
{
    SimDrive drive;
    ASSERT_TRUE(drive.Start());
    drive.SeedFromDefaultDatabase(SimDrive::DefaultDatabasePath());
    SimAids aids(drive);
    qputenv("KORVANE_DEVICE", QByteArray::fromStdString(drive.SlavePath()));
    SetDbProgramDir(QFileInfo(QStringLiteral(KORVANE_CONFIG_DIR)).path());
    const AidSafetyPromptRunner old = SetAidSafetyPromptRunner([](QWidget *, const QString &, BOOL *) {});
    const QString question = TrSection(QStringLiteral("CMainFrame"), QStringLiteral("是否保存对当前工程的更改？"));
    const auto boxes = [&](const QString &text) {
        int n = 0;
        for (const auto &c : m_ui->Calls())
            n += c.kind == platform::ScriptedUiServices::Kind::MessageBox && c.text == text ? 1 : 0;
        return n;
    };
    const auto pumpUntil = [](const std::function<bool()> &done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    };
    const auto pump = [&](int ms) { pumpUntil([] { return false; }, ms); };
    enum class Do { OpenEveryPage, TypeAValue, ReadTheSameValue, ReadAnotherValue };
    const struct
    {
        const char *what;
        Do action;
        bool asks;
    } cases[] = {
        {"every page opened", Do::OpenEveryPage, false},
        {"a value typed", Do::TypeAValue, true},
        {"a read that finds the project's value", Do::ReadTheSameValue, false},
        {"a read that finds another value", Do::ReadAnotherValue, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        m_ui->ClearCalls();
        drive.SetRegister(0x0203, 400);
        CKorvaneApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Korvane")}));
        app.g_SysParam.m_ModbusRTU.SetFrameMargin(0);
        // The safety prompts in front of the motor pages stay away.
        app.m_bIsDangerWnd = FALSE;
        app.m_bIsDangerJogMoveWnd = TRUE;
        app.m_bIsDangerInertiaWnd = TRUE;
        app.m_bIsDangerAnalyseWnd = TRUE;
        CMainFrame *frame = app.MainFrame();
        frame->AllowShow();
        frame->show();
        // The frame's own status tick finds the drive and reads what it reads on a new link.
        ASSERT_TRUE(pumpUntil([] { return GetAppFlags()->m_bOnline != 0; }, 15000));
        CKorvaneView *view = frame->GetActiveView();
        auto *params = qobject_cast<CDlgParams *>(view->CurrentPage());
        ASSERT_NE(params, nullptr);
        const int row = params->FindRowByCode(QStringLiteral("P0203"));
        const int col = params->Grid()->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_3"));
        CQLBCGGridCtrl *grid = params->Grid()->GetGrid();
        switch (c.action) {
        case Do::OpenEveryPage: {
            CToolBoxEx *tree = frame->FunctionPane();
            int opened = 0;
            for (int p = 0; p < tree->GetPageCount(); ++p) {
                for (int i = 0; i < tree->GetPage(p)->GetToolCount(); ++i) {
                    tree->OnToolClick(p, i);
                    pump(400);
                    ++opened;
                }
            }
            EXPECT_GE(opened, 15);
            // A status tick or two with every page made.
            pump(4500);
            break;
        }
        case Do::TypeAValue: {
            ASSERT_TRUE(grid->EditItem(platform::GridItemID{row, col}));
            auto *editor = qobject_cast<QLineEdit *>(grid->GetItem(platform::GridItemID{row, col})->GetInPlaceWnd());
            ASSERT_NE(editor, nullptr);
            editor->setText(QStringLiteral("321"));
            // Ended by a click elsewhere: the value is kept, nothing is written.
            grid->EndEditItem(true);
            pump(100);
            break;
        }
        case Do::ReadTheSameValue:
        case Do::ReadAnotherValue: {
            if (c.action == Do::ReadAnotherValue)
                drive.SetRegister(0x0203, 321);
            // The row chosen, then the detail pane's read.
            grid->SetCurSel(platform::GridItemID{row, col});
            platform::SendMessage(platform::WindowRef(params), platform::GridMessage("BCGM_GRID_SEL_CHANGED"), 0, 0);
            auto *read = qobject_cast<QPushButton *>(platform::FindCtrl(params->Note(), CDlgParamNote::IDC_READ));
            ASSERT_NE(read, nullptr);
            read->click();
            const QString result = TrText(QStringLiteral("读参数结果"));
            ASSERT_TRUE(pumpUntil([&] {
                for (const auto &b : m_ui->Calls())
                    if (b.caption == result)
                        return !params->IsTransferRunning();
                return false;
            }, 10000));
            pump(100);
            QString shown;
            params->Grid()->GetRowCellText(shown, row, QStringLiteral("IDS_ParaView_3"));
            EXPECT_EQ(shown, c.action == Do::ReadAnotherValue ? "321" : "400");
            break;
        }
        }
        m_ui->PushAnswer(IDNO);
        frame->close();
        EXPECT_EQ(boxes(question), c.asks ? 1 : 0);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    SetAidSafetyPromptRunner(old);
    qunsetenv("KORVANE_DEVICE");
    SetDbProgramDir(QString());
}

}
