#pragma once
// The oscilloscope page: the trace view with a scroll bar under it, the progress bar of a
// single-shot read, and the side panel (CDlgScopeDocker) whose tabs hold the sampling panel,
// the scope parameters, the cursor table and the capture history. The page starts and stops
// captures, takes the capture messages the sampling panel passes on, keeps the last ten
// captures as history files, and runs the file, range, zoom and display commands.
//
// While a capture runs the main window's status timer is stopped, so that the status poll does
// not share the link with the capture; it runs again when the capture ends, a start is
// refused, or the page is left.
#include "DialogExMid.h"
#include "Wnds/scope/ScopePageLogic.h"
#include "Wnds/scope/ScopePanelHost.h"
#include "Wnds/scope/VScope.h"

#include <functional>

class CDlgScopeDocker;
class CDlgSocpeParam;
class CMyProgressCtrl;
class QCheckBox;
class QPushButton;
class QScrollBar;

class CDlgScope : public CDialogExMid, public CScopePanelPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 185;
    enum : int {
        IDC_OPEN = 1005, IDC_SAVE = 1006, IDC_COMPARE = 1181, IDC_1182 = 1182, IDC_COORD_TIP = 1183,
        IDC_RANGE_MANUAL = 1187, IDC_RANGE_AUTO = 1193, IDC_START = 1194, IDC_STOP = 1195,
        IDC_SIDEBAR = 1083, IDC_CACHE_PATH = 1758, IDC_SCROLL = 1179, IDC_PROGRESS = 255,
        ID_MOUSE_ZOOM = 32929, ID_MULTI_AXIS = 32918, ID_REFRESH_ZOOM = 32917, ID_CACHE_PATH = 32943,
    };
    static constexpr int kChannelBoxIds[4] = {1711, 1721, 1731, 1741};
    static constexpr int kContextMenuRes = 224;
    static constexpr int kDockerWidth = 300;  // at 96 dpi
    static constexpr UINT_PTR kMainStatusTimer = 1;
    static constexpr UINT kMainStatusMs = 2000;

    explicit CDlgScope(QWidget *pParent = nullptr);
    ~CDlgScope() override;

    bool OnInitDialog() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(int cx, int cy) override;

    // ---- what the sampling panel reaches through the docker
    CVScope *GetScopeView() override { return &m_scope; }
    int StartSampling() override;
    int StopSampling() override;
    void OnStartRefused(int result) override;
    LRESULT OnCaptureDone(WPARAM wParam, LPARAM lParam) override;
    void OnCaptureFailed(bool linkLost) override;
    LRESULT OnCaptureProgress(WPARAM wParam, LPARAM lParam) override;
    void SetCaptureProgress(const QString &text, int pos, bool show) override;
    void UpdateScrollRange(int n) override;

    // ---- operations
    // 1 when the file is now shown as the comparison capture.
    int LoadWaveFile(const QString &path);
    // Writes the capture as a history file and keeps at most ten.
    void SaveCaptureToHistory();
    int SaveCaptureFile(const QString &path, int nKind);
    int LoadCaptureFile(const QString &path);
    int LoadCompareFile(const QString &path);
    // The main frame's emergency stop: the capture ends and the start indicator goes idle.
    void StopForEmergency();

    // ---- handlers
    LRESULT OnStopTimer();
    void OnHScroll(scopepage::ScrollRequest request, int thumb = 0);
    void OnOpenCapture();
    void OnSaveCapture();
    void OnCompare();
    void OnRangeManual();
    void OnRangeAuto();
    void OnToggleCoordTip();
    void OnToggleMouseZoom();
    void OnToggleMultiAxis();
    void OnToggleSidebar();
    void OnRefreshZoom();
    void RecalcLayout();

    CDlgScopeDocker *Docker() const { return m_pDocker; }
    CDlgSocpeParam *Panel() const;
    QScrollBar *ScrollBar() const { return m_scroll; }
    CMyProgressCtrl *Progress() const { return m_progress; }
    QPushButton *Button(int id) const;
    QCheckBox *ChannelBox(int k) const;  // k = 1..4
    int DockerWidth() const;

    // The main window's status timer and the timer of the page the view shows; tests and
    // hosts without a main frame replace them.
    std::function<void(bool run)> m_fnMainStatusTimer;
    std::function<void()> m_fnRestartShownPageTimer;

    BYTE m_bHistoryCompare = 0;
    int m_bMultiAxis = 1;
    int m_bSidebar = 1;

protected:
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void BuildControls();
    void InitDockerDlg();
    void SetStartStopButtons(bool running);
    void RefreshCursorDialog();
    void PlaceProgress();
    QString StartFolder() const;
    int Scaled(int px) const;

    CDlgScopeDocker *m_pDocker = nullptr;
    CVScope m_scope;
    QScrollBar *m_scroll = nullptr;
    CMyProgressCtrl *m_progress = nullptr;
    int m_nScrollMax = 0;
    int m_nScrollPage = 10;
    int m_nScrollPos = 0;
    bool m_bScrollEnabled = true;
};
