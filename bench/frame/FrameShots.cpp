// Pictures of the main window against the simulated drive: frame_shots <folder> writes
// frame_docked.png (the two toolboxes tabbed on the left, the parameter table) and
// frame_autohide.png (the same after the pin: both toolboxes behind tabs on the left strip),
// and frame_speed_loop.png, frame_position_loop.png (the loop pages opened from the function
// pane's "控制环路" group), and frame_page_<id>.png for every page of the view.
#include "AppFlags.h"
#include "AutoHideToolBar.h"
#include "support/SimSettings.h"
#include "support/Shots.h"
#include "CustomTheme.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "PageIds.h"
#include "MainFrame.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "ToolBoxEx.h"
#include "database/DataProject.h"
#include "platform/Messages.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QToolButton>

#include <cstdio>
#include <functional>

using shots::Pump;
using shots::Save;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: frame_shots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    // Texts looked up by key come from the simplified Chinese file, as in the program's first run.
    GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini");
    // No safety prompt in front of the motor pages.
    GetAppFlags()->m_bIsDangerWnd = FALSE;
    GetAppFlags()->m_bIsDangerJogMoveWnd = TRUE;
    GetAppFlags()->m_bIsDangerAnalyseWnd = TRUE;
    GetAppFlags()->m_bIsDangerInertiaWnd = TRUE;
    SimDrive sim;
    if (!sim.Start())
        return 1;
    const QString dbPath = QString::fromStdString(SimDrive::DefaultDatabasePath());
    sim.SeedFromDefaultDatabase(dbPath.toStdString());
    CSysParam sys(dbPath);
    ConnectSettingsToSim(sys, sim);

    InstallCustomTheme();
    int result = 0;
    {
        CMainFrame frame;
        platform::SetMainWindow(&frame);
        frame.AllowShow();
        frame.resize(1280, 800);
        frame.show();
        frame.GetActiveView()->OnInitialUpdate();
        Pump(6000, [&] { return frame.StatusPane(0)->text().contains(QStringLiteral("在线")); });
        Pump(300);
        if (!Save(frame, folder.filePath(QStringLiteral("frame_docked.png"))))
            result = 1;
        const struct
        {
            int page;
            const char *file;
        } loops[] = {{15, "frame_speed_loop.png"}, {16, "frame_position_loop.png"}};
        for (const auto &loop : loops) {
            // The pane's own click path: the button that carries the page id.
            CToolBoxEx *pane = frame.FunctionPane();
            for (int p = 0; p < pane->GetPageCount(); ++p)
                for (int t = 0; t < pane->GetPage(p)->GetToolCount(); ++t)
                    if (pane->GetPage(p)->GetTool(t)->data == loop.page)
                        platform::SendMessage(platform::WindowRef(&frame), pane->m_nClickMessage, WPARAM(loop.page));
            Pump(1500);
            if (!Save(frame, folder.filePath(QString::fromLatin1(loop.file))))
                result = 1;
        }
        for (int id = kHomePageId; id <= kLastPageId; ++id) {
            frame.GetActiveView()->ShowPage(id);
            if (!frame.GetActiveView()->CurrentPage())
                continue;
            Pump(1500);
            if (!Save(frame, folder.filePath(QStringLiteral("frame_page_%1.png").arg(id))))
                result = 1;
        }
        frame.GetActiveView()->ShowPage(3);
        Pump(300);
        frame.ParamPane()->PinButton()->click();
        Pump(500);
        if (!Save(frame, folder.filePath(QStringLiteral("frame_autohide.png"))))
            result = 1;
        std::printf("auto-hidden: function pane %d, parameter pane %d; strip tabs %zu\n",
                    int(frame.IsAutoHidden(frame.FunctionPane())), int(frame.IsAutoHidden(frame.ParamPane())),
                    frame.AutoHideStrip(Qt::LeftDockWidgetArea)->Panes().size());
        platform::SetMainWindow(nullptr);
    }
    SetSysParam(nullptr);
    return result;
}
