#pragma once
// The oscilloscope page's side panel: a tab control with the sampling panel ("设置"), the scope
// parameters ("参数"), the cursor table ("坐标设置") and the capture history ("历史数据"), a
// row of six tool buttons, and the wiring between those tabs and the page. The tabs call one
// another through function objects the docker binds; every binding and every forwarding
// operation answers 0 when its target does not exist. The docker makes no drive access.
#include "DialogExMid.h"
#include "Wnds/scope/DlgHistoryData.h"
#include "Wnds/scope/ScopePanelHost.h"

#include <map>

class CDlgScope;
class CDlgScopeSet;
class CDlgSocpeParam;
class CNewScopeCursorDlg;
class QPushButton;
class QScrollArea;
class QTabBar;

class CDlgScopeDocker : public CDialogExMid, public CScopePanelDocker
{
    Q_OBJECT
public:
    static constexpr int IDD = 205;
    static constexpr int IDC_TAB = 1082;
    enum Tab : int { kTabSampling = 0, kTabScopeSet = 1, kTabCursor = 2, kTabHistory = 3 };
    // The tool buttons in their order, with their pictures.
    struct ToolButton {
        int id;
        int png;
        const char *tip;
    };
    static constexpr ToolButton kButtons[6] = {{1005, 232, "打开"}, {1006, 233, "保存"},
                                               {1187, 230, "放大"}, {1193, 231, "缩小"},
                                               {1183, 234, "坐标"}, {1181, 228, "波形对比/取消"}};

    explicit CDlgScopeDocker(CDlgScope *pScope, QWidget *pParent = nullptr);
    ~CDlgScopeDocker() override;

    bool OnInitDialog() override;
    // The tabs' captions too.
    bool TranslateControls() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(int cx, int cy) override;

    // ---- CScopePanelDocker
    CScopePanelPage *GetPage() override;
    QWidget *GetCursorDialog() override;

    // ---- forwarding to the sampling panel (0 without it)
    int StartSampling();
    int StopSampling();
    CVScope *GetScopeView() const;
    int OpenWaveFile(const QString &path);
    int OpenCompareFile(const QString &path);
    int SaveWaveFile(const QString &path, int nKind);

    // ---- the bindings' targets (0 without their target)
    int LoadHistoryFile(const QString &path);
    // The parameter tab fills its rows from the group and writes them: 1; 0 without the tab
    // or when the fill fails.
    int ApplyHistoryParams();

    // ---- tabs
    void ShowTab();
    void SelectTab(int index);
    int CurrentTab() const { return m_nCurTab; }
    QWidget *TabPage(int index) const;
    void CreateCursorPage();
    void CreateScopeSetPage();
    void CreateHistoryPage();
    void OnZoom(bool in);

    CDlgSocpeParam *ScopeParam() const { return m_pScopeParam; }
    CNewScopeCursorDlg *CursorDlg() const { return m_pCursorDlg; }
    CDlgScopeSet *ScopeSet() const { return m_pScopeSet; }
    CDlgHistoryData &HistoryPage() { return m_dlgHistory; }
    QTabBar *TabBar() const { return m_pTab; }
    QPushButton *ToolButtonById(int id) const;
    // The sampling panel is taller than a small screen leaves the docker: it scrolls in this.
    QScrollArea *SamplingScroll() const { return m_pSamplingScroll; }

private:
    void InitButton(QPushButton *button, const ToolButton &t);
    QRect PageRect() const;
    // What stands in the page rectangle for a tab's page: the page, or the sampling panel's
    // scroll area.
    QWidget *Holder(QWidget *page) const;

    CDlgScope *m_pScope;
    CDlgSocpeParam *m_pScopeParam = nullptr;
    CDlgScopeSet *m_pScopeSet = nullptr;
    CNewScopeCursorDlg *m_pCursorDlg = nullptr;
    std::map<int, CDialogExMid *> m_mapTabs;
    CDlgHistoryData m_dlgHistory;
    QTabBar *m_pTab = nullptr;
    QScrollArea *m_pSamplingScroll = nullptr;
    QPushButton *m_pButtons[6] = {};
    int m_nCurTab = 0;
};
