// Pictures of the main window against the simulated drive: frame_shots <folder> writes
// frame_docked.png (the two toolboxes tabbed on the left, the parameter table) and
// frame_autohide.png (the same after the pin: both toolboxes behind tabs on the left strip),
// and frame_speed_loop.png, frame_position_loop.png (the loop pages opened from the function
// pane's "控制环路" group), frame_page_<id>.png for every page of the view, and against the
// simulated mechanism: scope_single.png (a single shot with the settings of a first run: start
// it without config/Scope/scope.ini), scope_panel_ch4.png (its side panel scrolled down to CH4
// and the background colour), scope_roll.png, analysis_warning.png (the safety prompt
// in front of the frequency-response page) and analysis_bode.png (a run's gain and phase); then
// inertia_result.png (the inertia page scrolled down to its result) and data_monitor_names.png
// (the data monitor running with its charts on the longest names of its list).
// A box that comes up is pictured as box_<n>.png and closed.
#include "AppFlags.h"
#include "AutoHideToolBar.h"
#include "SimSettings.h"
#include "support/Shots.h"
#include "CustomTheme.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "PageIds.h"
#include "MainFrame.h"
#include "SYSPARAM/SysParam.h"
#include "Thread/ReadQueue.h"
#include "SimDrive.h"
#include "ToolBoxEx.h"
#include "database/DataProject.h"
#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/auxFunction/DlgStatusData.h"
#include "Wnds/scope/DlgScope.h"
#include "Wnds/scope/DlgScopeDocker.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/ScopeThreads.h"
#include "controls/LHBGraph.h"
#include "platform/ControlId.h"
#include "platform/Messages.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QToolButton>

#include <cstdio>
#include <functional>

using shots::Pump;
using shots::Save;

namespace {

// Picks the k-th entry (from 1) of a channel's source list and ticks the channel.
void ChooseSource(CDlgSocpeParam *panel, int k, int entry)
{
    QComboBox *box = panel->Source(k);
    if (box->count() <= entry)
        return;
    box->setCurrentIndex(entry);
    panel->OnSelchangeSource(k);
    panel->Check(k)->setChecked(true);
    panel->OnClickedChannelCheck(k);
}

}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto out = shots::OutputFolder(argc, argv, "frame_shots <folder>");
    if (!out)
        return 2;
    const QDir &folder = *out;
    // Texts looked up by key come from the simplified Chinese file, as in the program's first run.
    GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini");
    GetLangText().m_strLanguage = QStringLiteral("ChineseS");
    // No safety prompt in front of the motor pages.
    GetAppFlags()->m_bIsDangerWnd = FALSE;
    GetAppFlags()->m_bIsDangerJogMoveWnd = TRUE;
    GetAppFlags()->m_bIsDangerAnalyseWnd = TRUE;
    GetAppFlags()->m_bIsDangerInertiaWnd = TRUE;
    SimDrive sim;
    if (!StartSeededSim(sim))
        return 1;
    CSysParam sys(QString::fromStdString(SimDrive::DefaultDatabasePath()));
    ConnectSettingsToSim(sys, sim);
    // The read worker the data monitor asks for its values.
    CReadQueue readQueue(sys);
    SetReadQueue(&readQueue);

    SimDrive::MechanismModel mechanism;
    mechanism.resonanceHz = 500;
    mechanism.peakGain = 10;
    sim.SetMechanismModel(mechanism);

    InstallCustomTheme();
    int result = 0;
    // A box that comes up is pictured and closed, so that nothing waits on a click.
    int boxes = 0;
    QString nextBox;
    QTimer boxWatch;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        const QString name = nextBox.isEmpty() ? QStringLiteral("box_%1.png").arg(boxes) : nextBox;
        nextBox.clear();
        ++boxes;
        Save(*box, folder.filePath(name));
        if (auto *dialog = qobject_cast<QDialog *>(box))
            dialog->reject();
        else
            box->close();
    });
    boxWatch.start(700);
    {
        CMainFrame frame;
        ShowMainFrame(frame, 1280, 800);
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
        // The oscilloscope: a single shot of two channels, then the roll.
        frame.GetActiveView()->ShowPage(kScopePageId);
        if (auto *scope = qobject_cast<CDlgScope *>(frame.GetActiveView()->CurrentPage())) {
            CDlgSocpeParam *panel = scope->Panel();
            Pump(3000, [&] { return !panel->BasePending(); });
            ChooseSource(panel, 1, 1);
            ChooseSource(panel, 2, 2);
            panel->SingleRadio()->setChecked(true);
            panel->OnClickedSingle();
            platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
            Pump(500);
            Pump(15000, [] { return !ScopeSingleShotThreadRunning(); });
            Pump(800);
            if (!Save(frame, folder.filePath(QStringLiteral("scope_single.png"))))
                result = 1;
            // The side panel scrolled down to CH4 and the background colour.
            if (QScrollArea *scroll = scope->Docker()->SamplingScroll()) {
                scroll->ensureWidgetVisible(platform::FindCtrl(panel, CDlgSocpeParam::IDC_BACK), 0, 0);
                Pump(300);
                if (!Save(frame, folder.filePath(QStringLiteral("scope_panel_ch4.png"))))
                    result = 1;
                scroll->ensureWidgetVisible(panel->PeriodEdit(), 0, 0);
            }
            panel->RollRadio()->setChecked(true);
            panel->OnClickedRoll();
            const unsigned period = CScopeControl::MinimumRollPeriod(16000, 0, sys.m_nComBaud, 11);
            panel->PeriodEdit()->setText(QString::number(std::max(period, 30u)));
            panel->OnKillfocusPeriod();
            platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
            Pump(4000);
            if (!Save(frame, folder.filePath(QStringLiteral("scope_roll.png"))))
                result = 1;
            platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
            Pump(5000, [] { return !ScopeRollThreadRunning(); });
        }
        // The frequency-response page: its safety prompt, then a run on the 500 Hz mechanism.
        GetAppFlags()->m_bIsDangerAnalyseWnd = FALSE;
        GetAppFlags()->m_bIsDangerWnd = TRUE;
        nextBox = QStringLiteral("analysis_warning.png");
        const int boxesBefore = boxes;
        frame.GetActiveView()->ShowPage(12);
        Pump(2500, [&] { return boxes > boxesBefore; });
        Pump(300);
        if (auto *analysis = qobject_cast<DlgAidAnalyse *>(frame.GetActiveView()->CurrentPage())) {
            analysis->OnBntStartTest();
            Pump(20000, [&] { return analysis->GainChart()->CurveCount() > 0 && !analysis->WorkerRunning(); });
            Pump(500);
            if (!Save(frame, folder.filePath(QStringLiteral("analysis_bode.png"))))
                result = 1;
        }
        // The inertia page, its parameters read, scrolled down to its result and its "写入参数".
        GetAppFlags()->m_bIsDangerWnd = FALSE;
        CKorvaneView *view = frame.GetActiveView();
        view->ShowPage(5);
        Pump(800);
        if (auto *inertia = qobject_cast<CDlgAidInertia *>(view->CurrentPage())) {
            qobject_cast<QPushButton *>(platform::FindCtrl(inertia, CDlgAidInertia::IDC_READ))->click();
            Pump(3000, [&] { return !inertia->IsParamsBusy(); });
            view->EnsureVisible(platform::FindCtrl(inertia, CDlgAidInertia::IDC_WRITE));
            Pump(300);
            if (!Save(frame, folder.filePath(QStringLiteral("inertia_result.png"))))
                result = 1;
        }
        // The data monitor running, its charts on the longest names of its list.
        view->ShowPage(6);
        Pump(800);
        if (auto *monitor = qobject_cast<CDlgStatusData *>(view->CurrentPage())) {
            const char *names[] = {"当前报警代码", "相电流有效值", "陷波器1频率", "电机转速"};
            for (int k = 0; k < CDlgStatusData::kSlots; ++k) {
                const int item = monitor->Combo(k)->findText(QString::fromUtf8(names[k]));
                monitor->Combo(k)->setCurrentIndex(item);
                monitor->SetRowChecked(item, true);
            }
            sim.SetStatusMoving(true);
            monitor->StartButton()->click();
            Pump(4000);

            if (!Save(frame, folder.filePath(QStringLiteral("data_monitor_names.png"))))
                result = 1;
            monitor->StopButton()->click();
            sim.SetStatusMoving(false);
            Pump(300);
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
    readQueue.Shutdown();
    SetReadQueue(nullptr);
    SetSysParam(nullptr);
    return result;
}
