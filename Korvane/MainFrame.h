#pragma once
// The program's main window: a frameless window whose toolbar is its title bar, the status bar
// with four panes, the function and parameter-edit navigation panes tabbed on the left, the
// monitor pane's bottom dock, and the page area (the view). Every 2,000 ms its status tick
// polls the drive on a worker and paints the posted result. It holds the view settings of
// "SysSet.ini" and stays hidden until the start-up allows it to be shown.
#include "NavigationInfo.h"
#include "ParamWatchBar.h"
#include "StatusTick.h"
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {
class IDeviceWatcher;
class PageWorker;
struct DeviceEvent;
}
#include "database/DataProject.h"

class CAutoHideToolBar;
class CKorvaneView;
class CMyToolBar;
class CTabbedControlBar;
class CToolBoxEx;
class QDockWidget;
class QLabel;

class CMainFrame : public QMainWindow, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CKorvaneView *GetActiveView() const { return m_pView; }
    // The application's "drive identity read" and "product checked" flags; until bound the
    // frame keeps its own.
    void BindIdentityFlags(bool *driveInfoRead, bool *productChecked)
    {
        m_pDriveInfoRead = driveInfoRead ? driveInfoRead : &m_bDriveInfoReadHere;
        m_pProductChecked = productChecked ? productChecked : &m_bProductCheckedHere;
    }
    // The view shows the parameter page.
    void ShowAllParameters();
    // The content in use was replaced (a project opened or created, another product): the
    // parameter pane, the parameter page and the monitor pane show the new one.
    void ShowReplacedProject();
    // Lets the window become visible from now on.
    void AllowShow() { m_bAllowShow = true; }
    QLabel *StatusPane(int index) const;

    // Requests to show the window are dropped until AllowShow.
    void setVisible(bool visible) override;

    // Timer 1, the status tick; the oscilloscope stops it while it captures.
    void StartStatusTimer();
    void StopStatusTimer();
    bool IsStatusTimerRunning() const;
    // The tick's period, kStatusTimerMs unless a test shortens it; a running timer restarts
    // with the new period.
    void SetStatusTickMs(UINT ms);
    UINT StatusTickMs() const { return m_nStatusTickMs; }
    // One tick: starts a poll on the worker unless the previous one still runs.
    void OnStatusTimer();
    // The port was closed: the frame shows no drive at once, and drops the results of polls
    // started before.
    void ShowPortClosed();

    // Sets the label (button 8) and the seven-segment display (button 9).
    void UpdateToolbarStatus(const QString &label, const QString &indicator);
    void FillFunctionPane(bool bRebuild);
    void LoadParamEditPane(bool bRebuild);
    // Shows or hides the parameter edit, monitor and function panes as m_bShowEditParam,
    // m_bShowMonitorParam and m_bShowFuncNavigation say.
    void ApplyPaneSwitches();
    // After a language change: title, panes, toolbar texts, monitor pane, the current page.
    void RetranslateAll();
    bool GetToolbarButtonToolTipText(UINT id, QString &text) const;

    CMyToolBar *ToolBar() const { return m_wndToolBar; }
    CToolBoxEx *FunctionPane() const { return m_wndFuncToolBox; }
    CToolBoxEx *ParamPane() const { return m_wndParamToolBox; }
    CParamWatchBar *MonitorPane() const { return m_wndParamWatchBar; }
    // The tabbed container of the two toolboxes, and the auto-hide strip of an edge (left or
    // right; null for the others).
    CTabbedControlBar *TabbedToolBoxes() const { return m_pTabbedBar; }
    CAutoHideToolBar *AutoHideStrip(Qt::DockWidgetArea edge) const;
    // The pane is hidden behind a tab of an auto-hide strip.
    bool IsAutoHidden(const QDockWidget *pane) const;

    static constexpr COLORREF kNoColour = 0xFFFFFFFFu;
    static constexpr int kDefaultThemeId = 32826;
    static constexpr UINT_PTR kStatusTimerId = 1;
    static constexpr UINT kStatusTimerMs = 2000;

    NavigationTarget m_curTarget;
    QString m_strLangSection = QStringLiteral("CMainFrame");
    bool m_bClrCustom = false;
    COLORREF m_clrFont = kNoColour;
    COLORREF m_clrEven = kNoColour;
    COLORREF m_clrOdd = kNoColour;
    bool m_bShowEditParam = true;
    bool m_bShowMonitorParam = true;
    bool m_bShowFuncNavigation = true;
    int m_nThemeID = kDefaultThemeId;
    bool m_bAllowShow = false;

    // How a product switch is made (the application sets its product change); answers
    // whether the new product is in use.
    std::function<bool(int)> m_fnChangeProduct;
    // The drive link the tick polls (the settings object by default); set before the first
    // tick, it must outlive the frame's worker.
    void SetStatusLink(std::shared_ptr<IStatusLink> link);
    // Number of ticks that found the previous poll still running.
    int m_nSkippedTicks = 0;

    // ---- Commands (toolbar, window commands, custom-group menu) and relays ----------------
    // Command ids of the toolbar range, the window commands and the custom-group menu.
    static constexpr UINT ID_CMD_CONNECT = 32945;
    static constexpr UINT ID_CMD_SAVE = 32946;
    static constexpr UINT ID_CMD_OPEN = 32947;
    static constexpr UINT ID_CMD_MANUAL = 32948;
    static constexpr UINT ID_CMD_EMERGENCY = 32949;
    static constexpr UINT ID_CMD_CLOSE_PORT = 32950;
    static constexpr UINT ID_CMD_SETTINGS = 32951;
    static constexpr UINT ID_CMD_NOTHING = 32952;
    static constexpr UINT ID_CMD_MINIMISE = 32953;
    static constexpr UINT ID_CMD_MAXIMISE = 32954;
    static constexpr UINT ID_CMD_CLOSE = 32955;
    static constexpr UINT ID_CMD_NEW = 32956;
    static constexpr UINT ID_CMD_NEW_GROUP = 32933;
    static constexpr UINT ID_CMD_DELETE_GROUP = 32934;
    static constexpr UINT ID_CMD_EDIT_GROUP = 32935;
    static constexpr WORD kRegEmergencyStop = 0x0806;
    static constexpr int kEmergencyTries = 10;

    // A toolbar-range command with the current page's timer stopped around it (not restarted
    // after the close command).
    void OnToolbarCommand(UINT id);
    void OnConnect();
    void OnNewProject();
    void OnSaveProject();
    void OnOpenProject();
    // The save dialog at the open project's path, the save and its alert; true when saved.
    bool SaveProjectWithDialog();
    // With changes not yet saved, asks whether to save them (yes / no / cancel); true when the
    // caller may go on and replace or drop the content.
    bool ConfirmDiscardChanges();
    void OnManual();
    void OnEmergencyStop();
    void OnSystemSettings();
    void OnNewCustomGroup();
    void OnEditCustomGroup();
    void OnDeleteCustomGroup();
    void OnParamGroupClick(int key);
    // Hands the group to the parameter page when it is the page shown.
    void ShowParamGroupOnPage(const NavigationTarget &target);
    void OnParamGroupContextMenu(int key, const QPoint &at);
    // The items of the parameter pane's menu for the entry under the mouse (key -1: none):
    // delete and edit over a custom group, else only new.
    static std::vector<UINT> CustomGroupMenuCommands(int key, const NavigationTarget &target);
    // A serial device arrived or left.
    void OnDeviceChange(const platform::DeviceEvent &event);
    // Takes the device watcher and listens to it.
    void SetDeviceWatcher(std::unique_ptr<platform::IDeviceWatcher> watcher);
    // Reads the drive's emergency-stop latch on the worker and shows it on the button.
    void ReadEmergencyLatch();
    bool IsEmergencyBusy() const;
    // The emergency button shows "取消": the next press releases the stop.
    bool m_bEmergencyLatched = false;
    // The user closed the port (close command, or the connect button while online): a device
    // arriving does not open it again until the user connects.
    bool m_bPortClosedByUser = false;
    // The user manual the manual command opens.
    QString ManualPath() const;

    // The application's operations the connect and close commands use (its ClosePort and
    // ShowCommSettings).
    std::function<void()> m_fnClosePort;
    std::function<void()> m_fnShowCommSettings;
    // Stand-ins for dialogs of other parts of the program. The new-project dialog answers the
    // record of the devices chosen (nothing when cancelled); the custom-group dialog gets
    // (edit?, group name) and answers the group name on OK (nothing when cancelled).
    std::function<std::optional<CNewProjectInfo>()> m_fnNewProjectDialog;
    std::function<std::optional<QString>(bool, const QString &)> m_fnCustomGroupDialog;
    // How the settings sheet is shown (modal by default); tests look at it instead.
    std::function<void(class CDlgSysSet &)> m_fnShowSettingsSheet;

protected:
    void closeEvent(QCloseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void OnTimer(UINT_PTR id) override;

private:
    void CreateStatusBar();
    void CreateToolBar();
    void CreatePanes();
    void ApplyStatus(const StatusPollResult &result);
    StatusContext CurrentStatusContext();
    StatusPollResult m_lastStatus;  // what the last tick found (or the closed port), for re-texting
    void FillPane(CToolBoxEx *pane, CNavigationInfo *tree);
    bool &DriveInfoReadFlag();
    bool &ProductCheckedFlag();
    QString Tr(const char *source) const;

    CKorvaneView *m_pView = nullptr;
    std::array<QLabel *, 4> m_statusPanes{};
    CMyToolBar *m_wndToolBar = nullptr;
    CToolBoxEx *m_wndFuncToolBox = nullptr;
    CToolBoxEx *m_wndParamToolBox = nullptr;
    CParamWatchBar *m_wndParamWatchBar = nullptr;
    CTabbedControlBar *m_pTabbedBar = nullptr;
    CAutoHideToolBar *m_pLeftStrip = nullptr;
    CAutoHideToolBar *m_pRightStrip = nullptr;
    UINT m_nPollDoneMsg = 0;
    unsigned m_nPollGeneration = 0;
    UINT m_nStatusTickMs = kStatusTimerMs;
    UINT m_nColourRefreshMsg = 0;
    std::shared_ptr<IStatusLink> m_pStatusLink;
    std::unique_ptr<CStatusPoller> m_pPoller;
    bool m_bDriveInfoReadHere = false;
    bool HandleCommandMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result);
    void SetEmergencyButton(bool latched);
    // The emergency button's text for what it now means (or that a command is on its way).
    QString EmergencyButtonText() const;
    void StartEmergencyWrite(bool stop);
    void OnEmergencyDone(bool ok, bool latched, bool wasWrite);
    // A press while the worker was busy, carried out when it is done.
    enum class EmergencyPress { None, Stop, Release };
    EmergencyPress m_ePendingEmergencyPress = EmergencyPress::None;
    bool m_bEmergencyWriting = false;
    std::unique_ptr<platform::IDeviceWatcher> m_pDeviceWatcher;
    std::unique_ptr<platform::PageWorker> m_pEmergencyWorker;
    UINT m_nEmergencyDoneMsg = 0;
    bool m_bProductCheckedHere = false;
    bool *m_pDriveInfoRead = &m_bDriveInfoReadHere;
    bool *m_pProductChecked = &m_bProductCheckedHere;

Q_SIGNALS:
    // The window is closing: the application saves its view settings.
    void closing();
};
