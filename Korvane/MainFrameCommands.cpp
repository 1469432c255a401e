// The main frame's commands: the toolbar, the window commands, the custom-group menu of the
// parameter pane, serial devices arriving and leaving, and the relays between the panes, the
// read worker and the pages.
#include "MainFrame.h"

#include "AppFlags.h"
#include "DialogExMid.h"
#include "DlgParamMointor.h"
#include "DlgSetFunction.h"
#include "DlgSetLanguage.h"
#include "DlgSysSet.h"
#include "DlgViewSetPage.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "MyToolBar.h"
#include "OpenDocument.h"
#include "PathHelpers.h"
#include "PopupMenu.h"
#include "ParamWatchBar.h"
#include "SYSPARAM/SysParam.h"
#include "Thread/ReadRequest.h"
#include "database/ParamValueText.h"
#include "Wnds/Params/DlgParams.h"
#include "Wnds/scope/DlgScope.h"
#include "ToolBoxEx.h"
#include "TraceLog.h"
#include "platform/CommandId.h"
#include "platform/ControlNotify.h"
#include "platform/DeviceWatcher.h"
#include "platform/LanguageConf.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenu>

#include <mutex>
#include <utility>

#define COMMANDS_LOG KLOG("MainFrm")

namespace {

const QString kProjectFilter = QStringLiteral("Korvane File(*.KVF)|*.KVF||");
const QString kManualName = QStringLiteral("Halvex伺服后台调试软件使用手册.pdf");
constexpr int kCustomGroupMenuId = 243;

struct EmergencyResult
{
    bool ok = false;
    bool latched = false;  // the latch as written or read
    bool wasWrite = false;
};

}

// ---- Dispatch ---------------------------------------------------------------------------------

bool CMainFrame::HandleCommandMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    result = 0;
    if (msg == m_nEmergencyDoneMsg && msg != 0) {
        if (auto r = Payload<EmergencyResult>())
            OnEmergencyDone(r->ok, r->latched, r->wasWrite);
        return true;
    }
    // A page changed the custom groups (the oscilloscope's parameter tab edits its own).
    static const UINT reloadParamPane = platform::RegisterWindowMessage(QStringLiteral("KORVANE_RELOAD_PARAM_PANE"));
    if (msg == reloadParamPane) {
        LoadParamEditPane(true);
        return true;
    }
    switch (msg) {
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id >= ID_CMD_CONNECT && id <= ID_CMD_NEW) {
            OnToolbarCommand(id);
            return true;
        }
        if (id == ID_CMD_NEW_GROUP)
            OnNewCustomGroup();
        else if (id == ID_CMD_DELETE_GROUP)
            OnDeleteCustomGroup();
        else if (id == ID_CMD_EDIT_GROUP)
            OnEditCustomGroup();
        else
            return false;
        return true;
    }
    case UM_GROUP_TOOL_CLICK:
        OnParamGroupClick(int(wParam));
        return true;
    case UM_GROUP_TOOL_MENU: {
        const auto packed = std::uint32_t(lParam);
        const QPoint at(std::int16_t(packed & 0xFFFFu), std::int16_t(packed >> 16));
        OnParamGroupContextMenu(int(wParam), at);
        return true;
    }
    case UM_SHOW_PARAM_GROUP: {
        const auto *param = reinterpret_cast<const CDBDataParameter *>(wParam);
        if (!param)
            return true;
        GetActiveView()->ShowPage(kParamsPageId);
        const NavigationTarget target = GetGroupTree(false)->FindSystemTarget(param->sGroupNO);
        ShowParamGroupOnPage(target);
        if (CToolBoxPageEx *page = ParamPane()->GetPage(target.m_bSystem))
            page->SetSelected(target.m_nIndex);
        return true;
    }
    case UM_MONITOR_ADD_PARAM:
        result = platform::SendMessage(platform::WindowRef(MonitorPane()), msg, wParam, lParam);
        return true;
    case UM_READ_DONE:
        if (wParam == 0) {
            if (auto request = Payload<CReadRequest>()) {
                CSysParam *sys = GetSysParam();
                CDataAxisParameter *axis = sys ? sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID) : nullptr;
                // These are the data monitor's live readings: kept with the project, but no
                // work of the user's. A project with nothing to save still has nothing to save.
                const bool unchanged = sys && !sys->m_ProjectDatabase.HasUnsavedChanges();
                for (int i = 0; axis && i < request->m_arrParam.size(); ++i) {
                    // A parameter whose read failed still holds the requester's value.
                    if (!request->IsRead(i))
                        continue;
                    const CDBDataParameter &read = request->m_arrParam[i];
                    for (CDBDataParameter &p : axis->m_arrParameter) {
                        if (p.nAxisID == read.nAxisID && p.nDeviceID == read.nDeviceID && p.sNum == read.sNum) {
                            // A value outside the parameter's range is not kept, as reading all
                            // keeps none: a project holding one would not open again.
                            if (IsParamValueInRange(p, read.iCurValue))
                                p.iCurValue = read.iCurValue;
                            break;
                        }
                    }
                }
                if (unchanged)
                    sys->m_ProjectDatabase.MarkUnchanged();
            }
        }
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnToolbarCommand(UINT id)
{
    CDialogExMid *page = GetActiveView()->CurrentPage();
    if (page && page->m_nTimerID != -1)
        page->KillTimer(UINT_PTR(page->m_nTimerID));

    switch (id) {
    case ID_CMD_CONNECT: OnConnect(); break;
    case ID_CMD_SAVE: OnSaveProject(); break;
    case ID_CMD_OPEN: OnOpenProject(); break;
    case ID_CMD_MANUAL: OnManual(); break;
    case ID_CMD_EMERGENCY: OnEmergencyStop(); break;
    case ID_CMD_CLOSE_PORT:
        m_bPortClosedByUser = true;
        if (m_fnClosePort)
            m_fnClosePort();
        if (CSysParam *sys = GetSysParam(); sys && !sys->m_SeriesPort.m_bOpen)
            ShowPortClosed();
        break;
    case ID_CMD_SETTINGS: OnSystemSettings(); break;
    case ID_CMD_MINIMISE: showMinimized(); break;
    case ID_CMD_MAXIMISE:
        if (isMaximized())
            showNormal();
        else
            showMaximized();
        break;
    case ID_CMD_CLOSE:
        // Closing tells the application, which writes "SysSet.ini" before the window goes.
        close();
        return;  // the page's timer stays stopped: the window is going
    case ID_CMD_NEW: OnNewProject(); break;
    default: break;
    }
    GetActiveView()->StartPageTimer();
}

// ---- Connect, projects, manual, settings ------------------------------------------------------

void CMainFrame::OnConnect()
{
    CAppFlags *flags = GetAppFlags();
    const int index = m_wndToolBar->CommandToIndex(ID_CMD_CONNECT);
    if (!flags->m_bOnline) {
        if (m_fnShowCommSettings)
            m_fnShowCommSettings();
        if (CSysParam *sys = GetSysParam(); sys && sys->m_SeriesPort.m_bOpen)
            m_bPortClosedByUser = false;
        if (flags->m_bOnline) {
            m_wndToolBar->SetButtonInfo(index, Tr("关闭"), 5);
            ReadEmergencyLatch();
        }
    } else {
        m_bPortClosedByUser = true;
        if (m_fnClosePort)
            m_fnClosePort();
        if (CSysParam *sys = GetSysParam(); sys && !sys->m_SeriesPort.m_bOpen)
            ShowPortClosed();
        if (!flags->m_bOnline)
            m_wndToolBar->SetButtonInfo(index, Tr("连通"), 0);
    }
}

void CMainFrame::OnNewProject()
{
    CSysParam *sys = GetSysParam();
    if (!m_fnNewProjectDialog || !sys)
        return;
    if (!ConfirmDiscardChanges())
        return;
    const std::optional<CNewProjectInfo> info = m_fnNewProjectDialog();
    if (!info || info->m_arrDeviceList.isEmpty())
        return;
    if (sys->m_ProjectDatabase.NewProject(*info))
        ShowReplacedProject();
}

void CMainFrame::OnSaveProject()
{
    SaveProjectWithDialog();
}

bool CMainFrame::SaveProjectWithDialog()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return false;
    platform::FileDialogRequest request;
    request.save = true;
    request.filter = kProjectFilter;
    request.defaultExt = QStringLiteral("KVF");
    // The open project's own path: OK writes it in place instead of a copy in the working folder.
    const QString current = sys->m_ProjectDatabase.m_strProjectPath;
    request.initialName = current;
    if (!current.isEmpty())
        request.initialDir = QFileInfo(current).absolutePath();
    request.overwritePrompt = true;
    request.owner = this;
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    if (!path)
        return false;
    const bool ok = sys->m_ProjectDatabase.SaveProject(*path);
    platform::DesktopAlertRequest alert;
    alert.seconds = 1;
    alert.text = Tr(ok ? "保存成功！" : "保存失败！");
    alert.textColour = ok ? RGB(0, 0, 255) : RGB(255, 0, 0);
    platform::Ui().DesktopAlert(alert);
    return ok;
}

bool CMainFrame::ConfirmDiscardChanges()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_ProjectDatabase.HasUnsavedChanges())
        return true;
    switch (platform::Ui().MessageBox(Tr("是否保存对当前工程的更改？"), Tr("提示"),
                                      MB_YESNOCANCEL | MB_ICONQUESTION, this)) {
    case IDYES:
        // A save the user cancelled or that failed keeps the work where it is.
        return SaveProjectWithDialog();
    case IDNO:
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnOpenProject()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return;
    if (!ConfirmDiscardChanges())
        return;
    platform::FileDialogRequest request;
    request.save = false;
    request.filter = kProjectFilter;
    request.defaultExt = QStringLiteral("KVF");
    request.fileMustExist = true;
    request.overwritePrompt = false;
    request.owner = this;
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    if (!path)
        return;
    const bool ok = sys->m_ProjectDatabase.OpenProject(*path);
    platform::DesktopAlertRequest alert;
    alert.seconds = 1;
    alert.text = Tr(ok ? "打开成功！" : "打开失败！");
    alert.textColour = ok ? RGB(0, 0, 255) : RGB(255, 0, 0);
    platform::Ui().DesktopAlert(alert);
    if (ok)
        ShowReplacedProject();
}

void CMainFrame::ShowReplacedProject()
{
    LoadParamEditPane(true);
    ShowAllParameters();
    if (CDlgParamMointor *monitor = MonitorPane() ? MonitorPane()->Monitor() : nullptr)
        monitor->FollowProject();
}

QString CMainFrame::ManualPath() const
{
    // CommonRes sits beside the program directory, as the default parameter database does.
    return QFileInfo(GetProgramDir()).dir().filePath(QStringLiteral("CommonRes/DeviceInfoRes/") + kManualName);
}

void CMainFrame::OnManual()
{
    OpenInstalledDocument(ManualPath(), this, m_strLangSection);
}

void CMainFrame::OnSystemSettings()
{
    // Closed by hand or not (a pane in another tab, or the frame itself not shown, counts as shown).
    // An auto-hidden pane is shown too, behind its tab.
    m_bShowEditParam = !m_wndParamToolBox->isHidden() || IsAutoHidden(m_wndParamToolBox);
    m_bShowMonitorParam = !m_wndParamWatchBar->isHidden() || IsAutoHidden(m_wndParamWatchBar);
    m_bShowFuncNavigation = !m_wndFuncToolBox->isHidden() || IsAutoHidden(m_wndFuncToolBox);

    CDlgSysSet dlg(this);
    CDlgViewSetPage &view = *dlg.m_pageView;
    view.m_bShowParamEdit = m_bShowEditParam;
    view.m_bShowParamMonitor = m_bShowMonitorParam;
    view.m_bShowNavigation = m_bShowFuncNavigation;
    view.m_clrFont = m_clrFont;
    view.m_clrTable1 = m_clrEven;
    view.m_clrTable2 = m_clrOdd;
    view.m_bTableCustom = m_bClrCustom;
    if (m_fnShowSettingsSheet)
        m_fnShowSettingsSheet(dlg);
    else
        dlg.DoModal();
}

// ---- Emergency stop ---------------------------------------------------------------------------

bool CMainFrame::IsEmergencyBusy() const
{
    return m_pEmergencyWorker && m_pEmergencyWorker->IsRunning();
}

void CMainFrame::SetEmergencyButton(bool latched)
{
    m_bEmergencyLatched = latched;
    m_wndToolBar->SetButtonInfo(m_wndToolBar->CommandToIndex(ID_CMD_EMERGENCY), EmergencyButtonText(),
                                latched ? 7 : 4);
}

QString CMainFrame::EmergencyButtonText() const
{
    if (m_bEmergencyWriting || m_ePendingEmergencyPress != EmergencyPress::None)
        return Tr("请稍候...");
    return Tr(m_bEmergencyLatched ? "取消" : "急停");
}

void CMainFrame::OnEmergencyStop()
{
    CSysParam *sys = GetSysParam();
    // Tried whenever the port is open: the cached online flag may lag the drive by a tick.
    if (!sys || !sys->m_SeriesPort.m_bOpen)
        return;
    // The text the user saw decides: only "取消" releases; "急停", and "请稍候..." while a
    // command is on its way, stop. A latch the drive set by itself is never released by a press
    // that means to stop.
    const bool stop = !m_bEmergencyLatched || m_bEmergencyWriting || m_ePendingEmergencyPress != EmergencyPress::None;
    if (IsEmergencyBusy()) {
        // The latch read (or a write) runs: the press is carried out when it is done, and a
        // stop wins over a release.
        if (stop || m_ePendingEmergencyPress == EmergencyPress::None)
            m_ePendingEmergencyPress = stop ? EmergencyPress::Stop : EmergencyPress::Release;
        m_wndToolBar->SetButtonInfo(m_wndToolBar->CommandToIndex(ID_CMD_EMERGENCY), EmergencyButtonText(),
                                    m_bEmergencyLatched ? 7 : 4);
        return;
    }
    StartEmergencyWrite(stop);
}

void CMainFrame::StartEmergencyWrite(bool stop)
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return;
    // A capture that holds the link ends first, so that the stop reaches the drive at once.
    if (m_pView) {
        const auto it = m_pView->Pages().find(kScopePageId);
        if (it != m_pView->Pages().end())
            if (auto *scope = qobject_cast<CDlgScope *>(it->second.pPage.data()); scope && scope->IsCreated())
                scope->StopForEmergency();
    }
    if (!m_pEmergencyWorker)
        m_pEmergencyWorker = std::make_unique<platform::PageWorker>(this, "emergency stop");
    m_bEmergencyWriting = true;
    m_wndToolBar->SetButtonInfo(m_wndToolBar->CommandToIndex(ID_CMD_EMERGENCY), EmergencyButtonText(),
                                stop ? 4 : 7);
    const platform::WindowRef self(this);
    const UINT done = m_nEmergencyDoneMsg;
    m_pEmergencyWorker->Start([sys, stop, self, done](const std::atomic<bool> &stopFlag) {
        auto result = std::make_shared<EmergencyResult>();
        result->wasWrite = true;
        result->latched = stop;
        for (int i = 0; i < kEmergencyTries && !stopFlag; ++i) {
            if (sys->WriteReg(kRegEmergencyStop, stop ? 1 : 0,
                              stop ? CSysParam::LinkWait::Stop : CSysParam::LinkWait::Block)) {
                result->ok = true;
                break;
            }
        }
        platform::PostMessage(self, done, 0, 0, result);
    });
}

void CMainFrame::ReadEmergencyLatch()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_SeriesPort.m_bOpen || IsEmergencyBusy())
        return;
    if (!m_pEmergencyWorker)
        m_pEmergencyWorker = std::make_unique<platform::PageWorker>(this, "emergency stop");
    const platform::WindowRef self(this);
    const UINT done = m_nEmergencyDoneMsg;
    m_pEmergencyWorker->Start([sys, self, done](const std::atomic<bool> &stopFlag) {
        auto result = std::make_shared<EmergencyResult>();
        for (int i = 0; i < kEmergencyTries && !stopFlag; ++i) {
            int value = 0;
            if (sys->ReadReg(kRegEmergencyStop, &value, CSysParam::LinkWait::Block)) {
                result->ok = true;
                result->latched = value != 0;
                break;
            }
        }
        platform::PostMessage(self, done, 0, 0, result);
    });
}

void CMainFrame::OnEmergencyDone(bool ok, bool latched, bool wasWrite)
{
    if (wasWrite)
        m_bEmergencyWriting = false;
    const EmergencyPress pending = std::exchange(m_ePendingEmergencyPress, EmergencyPress::None);
    SetEmergencyButton(ok ? latched : m_bEmergencyLatched);
    if (!ok && wasWrite && latched) {
        COMMANDS_LOG << "emergency stop write failed";
        platform::Ui().MessageBox(Tr("急停写入失败，驱动器未停机！"), TrText(QStringLiteral("提示")),
                                  MB_OK | MB_ICONERROR, this);
    }
    CSysParam *sys = GetSysParam();
    if (pending != EmergencyPress::None && sys && sys->m_SeriesPort.m_bOpen) {
        StartEmergencyWrite(pending == EmergencyPress::Stop);
        return;
    }
    if (pending == EmergencyPress::None)
        return;
    SetEmergencyButton(m_bEmergencyLatched);
    // The port closed before the press could be carried out: a stop that was never sent is
    // no stop, and the user who pressed it must know.
    if (pending == EmergencyPress::Stop) {
        COMMANDS_LOG << "emergency stop not sent: the port closed";
        platform::Ui().MessageBox(Tr("急停写入失败，驱动器未停机！"), TrText(QStringLiteral("提示")),
                                  MB_OK | MB_ICONERROR, this);
    }
}

// ---- Serial devices -----------------------------------------------------------------------

void CMainFrame::SetDeviceWatcher(std::unique_ptr<platform::IDeviceWatcher> watcher)
{
    m_pDeviceWatcher = std::move(watcher);
    if (m_pDeviceWatcher)
        m_pDeviceWatcher->SetHandler([this](const platform::DeviceEvent &e) { OnDeviceChange(e); });
}

void CMainFrame::OnDeviceChange(const platform::DeviceEvent &event)
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return;
    // Only the configured device matters: the port it opened, or the one it would open.
    const QString configured = sys->GetDevicePath();
    const QString opened = QString::fromStdString(sys->m_SeriesPort.DevicePath());
    if (!event.Names(configured) && !(sys->m_SeriesPort.m_bOpen && event.Names(opened)))
        return;

    if (event.kind == platform::DeviceEvent::Kind::Removal) {
        COMMANDS_LOG << "serial device removed: " << event.devNode.toStdString();
        sys->ClosePort();
        sys->m_bConnected = FALSE;
        GetAppFlags()->m_bOnline = FALSE;
        DriveInfoReadFlag() = false;
        ShowPortClosed();
        sys->SaveSettings();
        sys->SaveCustomGroups();
        return;
    }
    COMMANDS_LOG << "serial device arrived: " << event.devNode.toStdString();
    if (!m_bPortClosedByUser)
        sys->OpenPortFromSettings();
}

// ---- Parameter groups -------------------------------------------------------------------------

void CMainFrame::OnParamGroupClick(int key)
{
    const NavigationTarget target = GetGroupTree(false)->FindTargetByKey(key);
    GetActiveView()->ShowPage(kParamsPageId);
    COMMANDS_LOG << "param string " << target.m_strCaption.toStdString();
    ShowParamGroupOnPage(target);
}

void CMainFrame::ShowParamGroupOnPage(const NavigationTarget &target)
{
    auto *page = dynamic_cast<CDlgParams *>(GetActiveView()->CurrentPage());
    if (page && page->IsCreated())
        page->ShowParamGroup(target);
}

std::vector<UINT> CMainFrame::CustomGroupMenuCommands(int key, const NavigationTarget &target)
{
    const bool custom = key != -1 && target.m_bCustom && !target.m_bAll && target.m_nTargetId != -1;
    if (custom)
        return {ID_CMD_DELETE_GROUP, ID_CMD_EDIT_GROUP};
    return {ID_CMD_NEW_GROUP};
}

void CMainFrame::OnParamGroupContextMenu(int key, const QPoint &at)
{
    const NavigationTarget target = key == -1 ? NavigationTarget{} : GetGroupTree(false)->FindTargetByKey(key);
    const std::vector<UINT> commands = CustomGroupMenuCommands(key, target);
    if (commands.front() != ID_CMD_NEW_GROUP)
        m_curTarget = target;
    QMenu menu(this);
    for (UINT id : commands) {
        const char *text = id == ID_CMD_NEW_GROUP ? "新建自定义组" : id == ID_CMD_DELETE_GROUP ? "删除自定义组" : "编辑自定义组";
        platform::SetCommandId(menu.addAction(Tr(text)), int(id));
    }
    menu.setProperty("menuResId", kCustomGroupMenuId);
    ShowPopupMenu(this, &menu, at.x(), at.y());
}

void CMainFrame::OnNewCustomGroup()
{
    if (!m_fnCustomGroupDialog)
        return;
    const std::optional<QString> name = m_fnCustomGroupDialog(false, QString());
    if (!name)
        return;
    LoadParamEditPane(true);
    GetActiveView()->ShowPage(kParamsPageId);
    const NavigationTarget target = GetGroupTree(false)->FindCustomTarget(*name);
    ShowParamGroupOnPage(target);
    if (CToolBoxPageEx *page = ParamPane()->GetPage(target.m_bSystem))
        page->SetSelected(target.m_nIndex);
}

void CMainFrame::OnEditCustomGroup()
{
    if (!m_fnCustomGroupDialog)
        return;
    const std::optional<QString> name = m_fnCustomGroupDialog(true, m_curTarget.m_strGroup);
    if (!name)
        return;
    LoadParamEditPane(true);
    GetActiveView()->ShowPage(kParamsPageId);
    // The rebuilt pane's entry of the group (under its new name when it was renamed).
    const NavigationTarget edited = GetGroupTree(false)->FindCustomTarget(name->isEmpty() ? m_curTarget.m_strGroup : *name);
    if (edited.m_nTargetId != -1)
        m_curTarget = edited;
    ShowParamGroupOnPage(m_curTarget);
    if (CToolBoxPageEx *page = ParamPane()->GetPage(m_curTarget.m_bSystem))
        page->SetSelected(m_curTarget.m_nIndex);
}

void CMainFrame::OnDeleteCustomGroup()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !m_curTarget.m_bCustom || m_curTarget.m_bAll)
        return;
    const QString question = FillLangPlaces(Tr("确定删除自定义分组[%s]？"), {m_curTarget.m_strCaption});
    if (platform::Ui().MessageBox(question, TrText(QStringLiteral("提示")), MB_YESNO | MB_ICONQUESTION, this) != IDYES)
        return;
    const QString group = m_curTarget.m_strGroup;
    for (int i = 0; i < sys->m_arrGroupsUser.size(); ++i) {
        if (sys->m_arrGroupsUser[i].sGroupName == group) {
            sys->m_arrGroupsUser.removeAt(i);
            break;
        }
    }
    for (int i = sys->m_arrParamUser.size() - 1; i >= 0; --i) {
        if (sys->m_arrParamUser[i].sGroupName == group)
            sys->m_arrParamUser.removeAt(i);
    }
    LoadParamEditPane(true);
    ShowAllParameters();
}
