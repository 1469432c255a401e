// Walks the whole program in English, traditional and simplified Chinese with the simulated
// drive connected: the main frame and its panes, every page of the page table, the wizard's
// steps, the settings sheet's pages, the frame's and the pages' dialogs, the context and grid
// menus, and the texts handed to the message boxes, alerts and file dialogs. Every visible text
// must be of the language (English and traditional Chinese) and fit its widget (all three).
// The suite runs it once more at 144 dpi. The walk goes in parts, each a test of its own.
#include "ScreenTextAudit.h"
#include "WalkSupport.h"

#include "SimSettings.h"
#include "support/SettleWindow.h"

#include "AppFlags.h"
#include "CustomTheme.h"
#include "DlgCommSetting.h"
#include "DlgNew.h"
#include "DlgShowTip.h"
#include "DlgSysSet.h"
#include "DlgUserParamSet.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "MainFrame.h"
#include "MyToolBar.h"
#include "PageIds.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "ToolBoxEx.h"
#include "Wnds/Params/DlgParamAddToUser.h"
#include "Wnds/Params/DlgParamCompareSelect.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "Wnds/scope/DlgHistoryData.h"
#include "Wnds/scope/DlgScopeSet.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/NewScopeContiPathDlg.h"
#include "Wnds/scope/WaveFile.h"
#include "PathHelpers.h"
#include "database/DataProject.h"
#include "database/DbServices.h"
#include "grid/DlgBCGGrid.h"
#include "grid/DlgGridCtrlTableStyle.h"
#include "grid/GridMenu.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "wizard/DlgSetupWizard.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using walk::PopupCatcher;
using walk::Pump;

struct LanguageCase
{
    const char *name;
    unsigned number;
    const char *file;
    ScreenTextAudit::Language rule;
};

void PrintTo(const LanguageCase &c, std::ostream *os) { *os << c.name; }

constexpr int kWalkBaud = 115200;

// The walk in parts, each a test of its own, so that none runs long.
enum class WalkPart { Frame, PagesA, PagesB, Wizard, Dialogs };

struct WalkPartCase
{
    const char *name;
    WalkPart part;
};

void PrintTo(const WalkPartCase &c, std::ostream *os) { *os << c.name; }

class ScreenTextWalk : public ::testing::TestWithParam<std::tuple<LanguageCase, WalkPartCase>>
{
protected:
    static const LanguageCase &Lang() { return std::get<0>(GetParam()); }
    static WalkPart Part() { return std::get<1>(GetParam()).part; }

    void SetUp() override
    {
        // The program's folder is a copy: pages write their settings and lists beside the
        // program, and the tests leave the runnable tree as they found it.
        const QString realBin = GetProgramDir();
        const QString bin = m_tmp.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(ProgramDirCopy::CopyTree(realBin + QStringLiteral("/config"), bin + QStringLiteral("/config")));
        ASSERT_TRUE(QFile::link(QDir(realBin + QStringLiteral("/../CommonRes")).absolutePath(),
                                m_tmp.filePath(QStringLiteral("CommonRes"))));
        SetProgramDir(bin);
        SetDbProgramDir(bin);
        const LanguageCase &lang = Lang();
        // The translator keeps its language number beside its table: a copy of the table.
        const QString table = m_tmp.filePath(QStringLiteral("LangTable.tsv"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/LangTable.tsv"), table));
        platform::CreateLanguageLibrary(table);
        GetSqlite()->Load();
        CLanguageConf::GetTheOne()->Set(lang.number);
        GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/") + QString::fromLatin1(lang.file);
        SetAppFlags(&m_flags);

        ASSERT_TRUE(StartSeededSim(m_sim));
        m_sys = std::make_unique<CSysParam>(QString::fromStdString(SimDrive::DefaultDatabasePath()));
        // The link at the fastest rate the settings offer: the pages read the same, sooner.
        m_sim.SetBaud(kWalkBaud);
        m_sys->m_nComBaud = kWalkBaud;
        ConnectSettingsToSim(*m_sys, m_sim);
        // The simulated drive paces its replies itself: no margin after each request.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
        InstallCustomTheme();
    }
    void TearDown() override
    {
        SetProgramDir(QString());
        SetDbProgramDir(QString());
        platform::SetMainWindow(nullptr);
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        SetAppFlags(nullptr);
        GetLangText().m_strLangFile.clear();
        CLanguageConf::GetTheOne()->Set(CLanguageConf::kSimplified);
        platform::DestroyLanguageLibrary();
    }

    // A modeless dialog of the program, shown beside the frame, looked at and closed.
    template <typename Dlg, typename... Args>
    void LookAtDialog(ScreenTextAudit &audit, CMainFrame &frame, const QString &where, Args &&...args)
    {
        auto dlg = std::make_unique<Dlg>(std::forward<Args>(args)...);
        dlg->setParent(&frame, Qt::Dialog);
        dlg->Create(&frame);
        dlg->show();
        ASSERT_TRUE(SettleWindow(dlg.get())) << where.toStdString();
        audit.Walk(dlg.get(), where);
        dlg->DestroyWindow();
    }

    QTemporaryDir m_tmp;
    CAppFlags m_flags;
    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_uiScope{m_ui};
};

TEST_P(ScreenTextWalk, EveryVisibleTextIsOfTheLanguageAndFits)
{
    ScreenTextAudit audit(Lang().rule);
    // What the drive reports and the numbers it holds are data, not texts of the program.
    static const QRegularExpression data(QStringLiteral("^[-+0-9A-Fa-fx.,:;%/ ()*=_<>|]*$"));
    // The language choice names each language in its own writing.
    static const QStringList ownNames = {QStringLiteral("简体中文"), QStringLiteral("繁體中文")};
    audit.m_isData = [](const QString &text) { return data.match(text).hasMatch() || ownNames.contains(text); };
    // The custom group the oscilloscope keeps its parameters in is a group of the user's project.
    audit.m_dataNames << QString::fromUtf8(kScopeGroupName);
    PopupCatcher popups(audit);
    // The second run of the suite asks for 144 dpi: the screen must be at it.
    if (const int dpi = qEnvironmentVariableIntValue("QT_FONT_DPI"); dpi > 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        ASSERT_NE(screen, nullptr);
        EXPECT_NEAR(screen->logicalDotsPerInch() * screen->devicePixelRatio(), dpi, 0.5);
    }

    // The link is up before the frame opens: its own poll would find the drive only at its
    // first tick, seconds later. A handshake that went unanswered on a loaded machine is tried
    // again, as the program would.
    ASSERT_TRUE(Pump(6000, [&] { return m_sys->PollConnection(); }));
    CMainFrame frame;
    ShowMainFrame(frame, 1400, 860);
    frame.RetranslateAll();
    ASSERT_TRUE(m_sys->m_bConnected.load() != 0);
    // The program is online once the frame's status tick has found the drive. Its first tick
    // comes seconds after the frame opens: the walk ticks once itself and keeps the timer still,
    // so that the frame before that tick is the frame as it opens, and no later tick (which
    // would only repeat the first) falls between a page's reads.
    frame.StopStatusTimer();
    ASSERT_TRUE(SettleWindow(&frame));
    const WalkPart part = Part();
    const auto checkToolbar = [&](const QString &where) {
        for (int i = 0; i < frame.ToolBar()->GetCount(); ++i) {
            CToolbarButtonBase *b = frame.ToolBar()->GetButton(i);
            audit.CheckText(b->m_strText, where + QStringLiteral(" toolbar button ") + QString::number(i));
            QString tip;
            if (frame.GetToolbarButtonToolTipText(b->m_nID, tip))
                audit.CheckText(tip, where + QStringLiteral(" toolbar tool tip ") + QString::number(i));
        }
    };
    CKorvaneView *view = frame.GetActiveView();
    if (part == WalkPart::Frame) {
        // Offline: the frame, and a page that reads the drive as it opens and says it could not.
        popups.m_where = QStringLiteral("frame offline");
        audit.Walk(&frame, QStringLiteral("frame offline"));
        checkToolbar(QStringLiteral("frame offline"));
        view->ShowPage(4);
        ASSERT_TRUE(SettleWindow(&frame));
        audit.Walk(view->CurrentPage(), QStringLiteral("page 4 offline"));
        view->ShowPage(kParamsPageId);
    }
    // Ticked again, as the timer would, should a poll find no answer on a loaded machine (a
    // tick while the previous poll runs is skipped).
    ASSERT_TRUE(Pump(6000, [&] {
        if (!m_flags.m_bOnline)
            frame.OnStatusTimer();
        return m_flags.m_bOnline != 0;
    }));
    ASSERT_TRUE(SettleWindow(&frame));

    if (part == WalkPart::Frame) {
        popups.m_where = QStringLiteral("frame");
        audit.Walk(&frame, QStringLiteral("frame"));
        // The two navigation panes share their place: each in front once.
        for (QDockWidget *pane : {static_cast<QDockWidget *>(frame.FunctionPane()), static_cast<QDockWidget *>(frame.ParamPane())}) {
            pane->raise();
            ASSERT_TRUE(SettleWindow(pane));
            audit.Walk(pane, QStringLiteral("frame pane"));
        }
        checkToolbar(QStringLiteral("frame"));
        frame.OnParamGroupContextMenu(-1, QPoint(100, 100));
        // The grid menu with every item it can show.
        {
            CGridTableAttribute table;
            table.isMultiRowSelect = true;
            QMenu menu;
            BuildGridMenu(menu, table, nullptr, true);
            audit.WalkMenu(&menu, QStringLiteral("grid menu"));
        }
        // File dialogs of the frame's commands, cancelled.
        m_ui->PushFile(std::nullopt);
        frame.OnOpenProject();
        m_ui->PushFile(std::nullopt);
        frame.SaveProjectWithDialog();
        ASSERT_TRUE(SettleWindow(&frame));
    }

    std::vector<int> pages;
    switch (part) {
    case WalkPart::PagesA: pages = {-1, 2, 3, 4, 5, 6, 7, 8}; break;
    case WalkPart::PagesB: pages = {9, 10, 11, 12, 13, 15, 16}; break;
    case WalkPart::Wizard: pages = {17}; break;
    default: break;
    }
    for (int id : pages) {
        const QString where = QStringLiteral("page ") + QString::number(id);
        popups.m_where = where;
        view->ShowPage(id);
        ASSERT_TRUE(SettleWindow(view)) << id;
        CDialogExMid *page = view->CurrentPage();
        ASSERT_NE(page, nullptr) << id;
        audit.Walk(page, where);
        // Context menus of the page and of its tables, grid menus of its grids.
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, page->rect().center(),
                                    page->mapToGlobal(page->rect().center()));
        QApplication::sendEvent(page, &menuEvent);
        for (CDlgBCGGrid *grid : page->findChildren<CDlgBCGGrid *>()) {
            if (grid->isVisible())
                grid->OnHeaderRClick(0, 0);
        }
        if (auto *wizard = dynamic_cast<CDlgSetupWizard *>(page)) {
            for (int step = 1; step < 7; ++step) {
                wizard->SwitchToPage(step);
                ASSERT_TRUE(SettleWindow(wizard)) << step;
                audit.Walk(wizard, where + QStringLiteral(" step ") + QString::number(step));
            }
            wizard->SwitchToPage(0);
        }
    }

    if (part == WalkPart::Dialogs) {
        popups.m_where = QStringLiteral("settings");
        {
            CDlgSysSet settings(&frame);
            settings.Create(&frame);
            settings.show();
            ASSERT_TRUE(SettleWindow(&settings));
            for (int i = 0; i < settings.m_sheet->count(); ++i) {
                settings.m_sheet->setCurrentIndex(i);
                ASSERT_TRUE(SettleWindow(&settings)) << i;
                audit.Walk(&settings, QStringLiteral("settings page ") + QString::number(i));
            }
            settings.DestroyWindow();
        }

        popups.m_where = QStringLiteral("dialogs");
        LookAtDialog<CDlgCommSetting>(audit, frame, QStringLiteral("comm settings"));
        LookAtDialog<CDlgNew>(audit, frame, QStringLiteral("new project"));
        LookAtDialog<CDlgUserParamSet>(audit, frame, QStringLiteral("custom group"));
        LookAtDialog<CDlgShowTip>(audit, frame, QStringLiteral("tip"));
        LookAtDialog<CDlgScopeSet>(audit, frame, QStringLiteral("scope set"));
        LookAtDialog<CDlgSocpeParam>(audit, frame, QStringLiteral("scope parameters"));
        LookAtDialog<CDlgHistoryData>(audit, frame, QStringLiteral("history"));
        LookAtDialog<CNewScopeContiPathDlg>(audit, frame, QStringLiteral("recording folder"));
        LookAtDialog<CDlgParamAddToUser>(audit, frame, QStringLiteral("add to custom"));
        LookAtDialog<CDlgParamCompareSelect>(audit, frame, QStringLiteral("compare select"));
        LookAtDialog<CDlgParamUploadList>(audit, frame, QStringLiteral("upload list"));
        LookAtDialog<CDlgGridCtrlTableStyle>(audit, frame, QStringLiteral("table style"));
    }

    for (const auto &call : m_ui->Calls()) {
        audit.CheckText(call.text, QStringLiteral("box text"));
        audit.CheckText(call.caption, QStringLiteral("box caption"));
        audit.CheckText(call.alert.text, QStringLiteral("alert text"));
        audit.CheckText(call.alert.caption, QStringLiteral("alert caption"));
        audit.CheckText(call.file.title, QStringLiteral("file dialog title"));
        audit.CheckText(call.file.filter, QStringLiteral("file dialog filter"));
    }
    platform::SetMainWindow(nullptr);

    std::printf("%s %s: %d menus, %d modal dialogs, %zu box, alert and file dialog calls looked at\n",
                Lang().name, std::get<1>(GetParam()).name, popups.m_menus, popups.m_dialogs, m_ui->Calls().size());
    if (part == WalkPart::Frame || part == WalkPart::PagesA) {
        EXPECT_GT(popups.m_menus, 0);
    }
    EXPECT_TRUE(audit.Findings().isEmpty()) << audit.Findings().size() << " findings:\n"
                                            << audit.Findings().join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenTextWalk,
                         ::testing::Combine(
                             ::testing::Values(LanguageCase{"English", CLanguageConf::kEnglish, "english_US.ini",
                                                            ScreenTextAudit::Language::English},
                                               LanguageCase{"Traditional", CLanguageConf::kTraditional,
                                                            "chinese_T.ini", ScreenTextAudit::Language::Traditional},
                                               LanguageCase{"Simplified", CLanguageConf::kSimplified,
                                                            "chinese_S.ini", ScreenTextAudit::Language::Simplified}),
                             ::testing::Values(WalkPartCase{"Frame", WalkPart::Frame},
                                               WalkPartCase{"PagesA", WalkPart::PagesA},
                                               WalkPartCase{"PagesB", WalkPart::PagesB},
                                               WalkPartCase{"Wizard", WalkPart::Wizard},
                                               WalkPartCase{"Dialogs", WalkPart::Dialogs})),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

TEST(ScreenTextAuditRule, SimplifiedOnlyCharactersAndEnglish)
{
    using L = ScreenTextAudit::Language;
    // Simplified forms are wrong in traditional Chinese, their traditional forms and the
    // characters both write are not.
    for (char32_t c : {U'参', U'设', U'数', U'门', U'电'})
        EXPECT_TRUE(ScreenTextAudit::WrongCharacter(L::Traditional, c)) << std::uint32_t(c);
    for (char32_t c : {U'參', U'設', U'數', U'門', U'電', U'伺', U'服', U'A', U'1'})
        EXPECT_FALSE(ScreenTextAudit::WrongCharacter(L::Traditional, c)) << std::uint32_t(c);
    for (char32_t c : {U'参', U'參', U'：', U'【', U'。'})
        EXPECT_TRUE(ScreenTextAudit::WrongCharacter(L::English, c)) << std::uint32_t(c);
    for (char32_t c : {U'A', U'Ω', U'℃', U'µ', U'-'})
        EXPECT_FALSE(ScreenTextAudit::WrongCharacter(L::English, c)) << std::uint32_t(c);
}

}
