#include "MainFrame.h"

#include "DlgParamMointor.h"
#include "grid/TableColors.h"

#include "AutoHideToolBar.h"
#include "CustomTheme.h"
#include "KorvaneView.h"
#include "MyToolBar.h"
#include "ParamWatchBar.h"
#include "Resources.h"
#include "SYSPARAM/SysParam.h"
#include "TabbedControlBar.h"
#include "ToolBoxEx.h"
#include "TraceLog.h"
#include "AppFlags.h"
#include "platform/ControlId.h"
#include "platform/DeviceWatcher.h"
#include "platform/PageWorker.h"
#include "platform/LanguageConf.h"
#include "Wnds/Params/DlgParams.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>

#define MAINFRAME_LOG KLOG("MainFrm")

namespace {

constexpr int kPaneIds[] = {2006, 2007, 2008, 2009};
constexpr int kPaneShares[] = {1, 1, 6, 2};  // tenths of the width

constexpr int kFuncPaneId = 1000;
constexpr int kParamPaneId = 1001;
constexpr int kMonitorPaneId = 32803;

constexpr UINT ID_LOGO = 1234;
constexpr UINT ID_NEW = 32956;
constexpr UINT ID_SAVE = 32946;
constexpr UINT ID_OPEN = 32947;
constexpr UINT ID_HELP = 32948;
constexpr UINT ID_EMERGENCY = 32949;
constexpr UINT ID_SETTINGS = 32951;
constexpr UINT ID_CONNECT = 32945;
constexpr UINT ID_SERIES = 32944;
constexpr UINT ID_ALARM = 32936;

// Images 0 to 8 of the regular, hot and checked/pressed lists.
constexpr int kImagesRegular[] = {2361, 2367, 2364, 2352, 2372, 2358, 2370, 354, 2355};
constexpr int kImagesHot[] = {2360, 2366, 2363, 2351, 2372, 2357, 2369, 354, 2354};
constexpr int kImagesExtra[] = {2362, 2368, 2365, 2353, 2372, 2359, 2371, 354, 2356};

struct ToolTip
{
    UINT id;
    const char *text;
};
constexpr ToolTip kToolTips[] = {
    {ID_NEW, "新建工程向导"}, {ID_SAVE, "保存文件"},   {ID_OPEN, "打开文件"},   {ID_HELP, "常见问题解答"},
    {ID_EMERGENCY, "紧急停机"}, {ID_SETTINGS, "系统设置"}, {ID_CONNECT, "连接串口"}, {ID_SERIES, "伺服系列"},
    {ID_ALARM, "报警代码"},
};

QList<QPixmap> LoadImages(const int (&ids)[9])
{
    QList<QPixmap> list;
    for (int id : ids) {
        QImage image;
        LoadResourceImage(id, "PNG", &image);
        list.append(QPixmap::fromImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    }
    return list;
}

// A status bar that lets the frame's background picture show through.
class CThemedStatusBar : public QStatusBar
{
public:
    using QStatusBar::QStatusBar;

protected:
    void paintEvent(QPaintEvent *e) override
    {
        if (const CCustomTheme *theme = GetCustomTheme()) {
            QPainter painter(this);
            theme->OnFillBarBackground(painter, this, rect());
        }
        QStatusBar::paintEvent(e);
    }
};

}

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent), MessageTarget(this)
{
    InitKorvaneResources();
    // The toolbar is the caption; the theme draws the frame.
    setWindowFlag(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground, false);
    setDockNestingEnabled(false);
    // The client area starts 10 pixels in from the left edge; the picture shows there.
    setContentsMargins(10, 0, 0, 0);
    // Pane captions and tabs stand on the dark background picture.
    setStyleSheet(QStringLiteral(
        "QDockWidget { color: rgb(220, 220, 220); }"
        "QDockWidget::title { background: rgba(16, 32, 56, 220); padding-left: 4px; }"
        "QMainWindow > QTabBar::tab { background: rgb(36, 54, 78); color: rgb(220, 220, 220); padding: 3px 10px; }"
        "QMainWindow > QTabBar::tab:selected { background: rgb(210, 1, 59); }"));

    m_pView = new CKorvaneView(this);
    setCentralWidget(m_pView);

    CreateStatusBar();
    CreatePanes();
    CreateToolBar();
    setWindowTitle(Tr("Halvex伺服调试软件"));
    resize(1280, 800);

    m_nPollDoneMsg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_STATUS_POLL_DONE"));
    m_nColourRefreshMsg = platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH"));
    SetTableColorsSource([this] { return TableColors{m_bClrCustom, m_clrFont, m_clrEven, m_clrOdd}; });
    if (CSysParam *sys = GetSysParam())
        m_pStatusLink = std::make_shared<CSysParamStatusLink>(*sys);
    m_pPoller = std::make_unique<CStatusPoller>(GetWindowRef(), m_nPollDoneMsg,
                                                [](const StatusPollRequest &r) { return RunStatusPoll(r); });
    StartStatusTimer();

    m_nEmergencyDoneMsg = platform::RegisterWindowMessage(QStringLiteral("KORVANE_EMERGENCY_DONE"));
    // Raising the parameter pane's tab shows the parameter page.
    connect(this, &QMainWindow::tabifiedDockWidgetActivated, this, [this](QDockWidget *dock) {
        if (dock == m_wndParamToolBox)
            m_pView->ShowPage(kParamsPageId);
    });
}

CMainFrame::~CMainFrame()
{
    SetTableColorsSource({});
    KillTimer(kStatusTimerId);
    // The worker posts to this window: it ends before the window does.
    m_pPoller.reset();
    if (m_pEmergencyWorker)
        m_pEmergencyWorker->Stop();
    m_pDeviceWatcher.reset();
}

QString CMainFrame::Tr(const char *source) const
{
    return TrSection(m_strLangSection, QString::fromUtf8(source));
}

void CMainFrame::CreateStatusBar()
{
    auto *bar = new CThemedStatusBar(this);
    bar->setSizeGripEnabled(false);
    setStatusBar(bar);
    for (size_t i = 0; i < m_statusPanes.size(); ++i) {
        auto *pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("pane%1").arg(kPaneIds[i]));
        pane->setMinimumWidth(0);
        pane->setStyleSheet(QStringLiteral("color: rgb(220, 220, 220);"));
        bar->addWidget(pane, kPaneShares[i]);
        m_statusPanes[i] = pane;
    }
    m_statusPanes[3]->setText(QStringLiteral("Halvex"));
}

void CMainFrame::CreatePanes()
{
    m_wndFuncToolBox = new CToolBoxEx(Tr("功能导航"), kFuncPaneId, this);
    m_wndFuncToolBox->m_nClickMessage = UM_FUNCTION_TOOL_CLICK;
    m_wndFuncToolBox->m_owner = GetWindowRef();
    m_wndFuncToolBox->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    FillFunctionPane(false);

    m_wndParamToolBox = new CToolBoxEx(Tr("参数编辑"), kParamPaneId, this);
    m_wndParamToolBox->m_nClickMessage = UM_GROUP_TOOL_CLICK;
    m_wndParamToolBox->m_nMenuMessage = UM_GROUP_TOOL_MENU;
    m_wndParamToolBox->m_owner = GetWindowRef();
    m_wndParamToolBox->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    LoadParamEditPane(false);

    // The monitor pane's dock; its content is the parameter monitor.
    m_wndParamWatchBar = new CParamWatchBar(Tr("参数监控"), this);
    m_wndParamWatchBar->setObjectName(QStringLiteral("monitorPane"));
    platform::SetCtrlId(m_wndParamWatchBar, kMonitorPaneId);
    QImage icons;
    if (LoadResourceImage(147, "PNG", &icons) && icons.width() >= 48)
        m_wndParamWatchBar->setWindowIcon(QPixmap::fromImage(icons.copy(32, 0, 16, 16)));

    // The auto-hide strips of the edges the toolboxes dock at, then the toolboxes' tabbed
    // container; each toolbox's pin hides its row.
    m_pLeftStrip = new CAutoHideToolBar(this, Qt::LeftDockWidgetArea);
    m_pRightStrip = new CAutoHideToolBar(this, Qt::RightDockWidgetArea);
    m_pTabbedBar = new CTabbedControlBar(this, [this](Qt::DockWidgetArea edge) { return AutoHideStrip(edge); });
    for (CToolBoxEx *box : {m_wndFuncToolBox, m_wndParamToolBox}) {
        CTabbedControlBar::SetAllowsAutoHide(box, true);
        connect(box, &CToolBoxEx::pinClicked, this, [this](CToolBoxEx *pane) { m_pTabbedBar->OnPinButton(pane); });
    }
    addDockWidget(Qt::LeftDockWidgetArea, m_wndFuncToolBox);
    m_pTabbedBar->Attach(m_wndFuncToolBox, m_wndParamToolBox);
    m_wndParamToolBox->show();
    m_wndParamToolBox->raise();
    addDockWidget(Qt::BottomDockWidgetArea, m_wndParamWatchBar);
    resizeDocks({m_wndFuncToolBox}, {200}, Qt::Horizontal);
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = new CMyToolBar(this);
    m_wndToolBar->m_target = GetWindowRef();
    m_wndToolBar->m_imgToolBar = LoadImages(kImagesRegular);
    m_wndToolBar->m_imgToolBarHot = LoadImages(kImagesHot);
    m_wndToolBar->m_imgToolBarExtra = LoadImages(kImagesExtra);
    m_wndToolBar->m_fnToolTip = [this](UINT id) {
        QString text;
        GetToolbarButtonToolTipText(id, text);
        return text;
    };
    m_wndToolBar->InsertButton(std::make_unique<CToolbarImage>(ID_LOGO, 353));
    const struct
    {
        UINT id;
        const char *text;
        int image;
    } commands[] = {
        {ID_NEW, "新建", 8},      {ID_SAVE, "保存", 1},     {ID_OPEN, "打开", 2}, {ID_HELP, "帮助", 3},
        {ID_EMERGENCY, "急停", 4}, {ID_SETTINGS, "设置", 6}, {ID_CONNECT, "连通", 0},
    };
    for (const auto &c : commands) {
        auto button = std::make_unique<CMyToolBarButton>(c.id, c.image, Tr(c.text));
        button->m_bText = true;
        m_wndToolBar->InsertButton(std::move(button));
    }
    m_wndToolBar->InsertButton(std::make_unique<CToolbarLabel>(ID_SERIES, QStringLiteral("DRV")));
    m_wndToolBar->InsertButton(std::make_unique<CMyToolBarNumericButton>(ID_ALARM, 4, QStringLiteral("Er00.00")));
    setMenuWidget(m_wndToolBar);
    m_wndToolBar->AdjustLocations();
}

CAutoHideToolBar *CMainFrame::AutoHideStrip(Qt::DockWidgetArea edge) const
{
    switch (edge) {
    case Qt::LeftDockWidgetArea: return m_pLeftStrip;
    case Qt::RightDockWidgetArea: return m_pRightStrip;
    default: return nullptr;
    }
}

bool CMainFrame::IsAutoHidden(const QDockWidget *pane) const
{
    return (m_pLeftStrip && m_pLeftStrip->Holds(pane)) || (m_pRightStrip && m_pRightStrip->Holds(pane));
}

QLabel *CMainFrame::StatusPane(int index) const
{
    return index >= 0 && index < int(m_statusPanes.size()) ? m_statusPanes[size_t(index)] : nullptr;
}

void CMainFrame::setVisible(bool visible)
{
    if (visible && !m_bAllowShow)
        return;
    QMainWindow::setVisible(visible);
}

void CMainFrame::SetStatusLink(std::shared_ptr<IStatusLink> link)
{
    m_pStatusLink = std::move(link);
}

// ---- Status tick ------------------------------------------------------------------------------

void CMainFrame::StartStatusTimer()
{
    SetTimer(kStatusTimerId, m_nStatusTickMs);
}

void CMainFrame::SetStatusTickMs(UINT ms)
{
    m_nStatusTickMs = ms;
    if (IsStatusTimerRunning())
        StartStatusTimer();
}

void CMainFrame::StopStatusTimer()
{
    KillTimer(kStatusTimerId);
}

bool CMainFrame::IsStatusTimerRunning() const
{
    return IsTimerRunning(kStatusTimerId);
}

void CMainFrame::OnTimer(UINT_PTR id)
{
    if (id == kStatusTimerId)
        OnStatusTimer();
}

bool &CMainFrame::DriveInfoReadFlag()
{
    return *m_pDriveInfoRead;
}

bool &CMainFrame::ProductCheckedFlag()
{
    return *m_pProductChecked;
}

void CMainFrame::OnStatusTimer()
{
    StatusPollRequest request;
    request.link = m_pStatusLink;
    request.readRunState = !DriveInfoReadFlag();
    request.generation = m_nPollGeneration;
    if (!m_pPoller->Start(request))
        ++m_nSkippedTicks;
}

void CMainFrame::ShowPortClosed()
{
    ++m_nPollGeneration;
    StatusPollResult closed;
    closed.generation = m_nPollGeneration;
    ApplyStatus(closed);
}

StatusContext CMainFrame::CurrentStatusContext()
{
    StatusContext context;
    context.langSection = m_strLangSection;
    context.driveInfoRead = DriveInfoReadFlag();
    if (CSysParam *sys = GetSysParam()) {
        context.currentProductId = sys->m_ProjectDatabase.m_nProductID;
        if (const CDBDataProducts *product = sys->FindCurrentProduct()) {
            context.currentProductExists = true;
            context.currentProductModel = product->sProductModel;
        }
        context.findProductId = [sys](const QString &model) { return sys->m_ProjectDatabase.FindProductID(model); };
    }
    return context;
}

void CMainFrame::ApplyStatus(const StatusPollResult &result)
{
    m_lastStatus = result;
    const StatusView view = ComputeStatusView(result, CurrentStatusContext());

    m_statusPanes[0]->setText(view.pane0);
    const bool wasOnline = GetAppFlags()->m_bOnline;
    GetAppFlags()->m_bOnline = view.online ? TRUE : FALSE;
    if (view.online && !wasOnline)
        ReadEmergencyLatch();
    const int connect = m_wndToolBar->CommandToIndex(ID_CONNECT);
    m_wndToolBar->SetButtonInfo(connect, view.connectText, view.connectImage);
    m_wndToolBar->repaint();
    if (view.toolbar)
        UpdateToolbarStatus(view.toolbar->first, view.toolbar->second);

    if (view.productChecked) {
        DriveInfoReadFlag() = true;
        ProductCheckedFlag() = true;
        if (view.unknownModel)
            MAINFRAME_LOG << "驱动器型号未知，按产品1处理: " << result.model.toStdString();
        if (view.switchToProduct) {
            const int id = *view.switchToProduct;
            MAINFRAME_LOG << "切换产品: " << id;
            if (m_fnChangeProduct && m_fnChangeProduct(id))
                ShowReplacedProject();
        }
    }
    m_statusPanes[2]->setText(view.pane2);
}

void CMainFrame::UpdateToolbarStatus(const QString &label, const QString &indicator)
{
    const int count = m_wndToolBar->GetCount();
    if (auto *labelButton = dynamic_cast<CToolbarLabel *>(m_wndToolBar->GetButton(count - 2))) {
        labelButton->m_strText = label;
        m_wndToolBar->AdjustLocations();
        m_wndToolBar->repaint();
    }
    if (auto *numeric = dynamic_cast<CMyToolBarNumericButton *>(m_wndToolBar->GetButton(count - 1)))
        numeric->SetValueText(indicator);
}

// ---- Panes ------------------------------------------------------------------------------------

void CMainFrame::FillPane(CToolBoxEx *pane, CNavigationInfo *tree)
{
    if (!pane || !tree)
        return;
    pane->RemoveAllToolsPages();
    for (const NavGroup &group : tree->m_groups) {
        QStringList labels;
        for (const NavItem &item : group.m_items)
            labels.append(item.m_strCaption);
        pane->AddToolsPage(group.m_strCaption, labels);
        CToolBoxPageEx *page = pane->GetPage(pane->GetPageCount() - 1);
        for (size_t i = 0; page && i < group.m_items.size(); ++i)
            page->SetToolData(int(i), group.m_items[i].m_nId);
    }
    pane->RecalcLayout();
}

void CMainFrame::FillFunctionPane(bool bRebuild)
{
    FillPane(m_wndFuncToolBox, GetFunctionTree(bRebuild));
}

void CMainFrame::LoadParamEditPane(bool bRebuild)
{
    FillPane(m_wndParamToolBox, GetGroupTree(bRebuild));
}

void CMainFrame::ApplyPaneSwitches()
{
    const std::pair<QDockWidget *, bool> panes[] = {
        {m_wndParamToolBox, m_bShowEditParam}, {m_wndParamWatchBar, m_bShowMonitorParam}, {m_wndFuncToolBox, m_bShowFuncNavigation}};
    for (const auto &[pane, show] : panes) {
        if (!pane)
            continue;
        // An auto-hidden pane counts as shown; switched off, it loses its tab as well.
        if (IsAutoHidden(pane)) {
            if (!show)
                for (CAutoHideToolBar *strip : {m_pLeftStrip, m_pRightStrip})
                    strip->RemovePane(pane);
            continue;
        }
        // Only a change is applied: showing a tabbed pane again would disturb its tab row.
        if (pane->isHidden() == show)
            pane->setVisible(show);
    }
}

void CMainFrame::RetranslateAll()
{
    setWindowTitle(Tr("Halvex伺服调试软件"));
    auto retext = [this](CToolBoxEx *pane, const char *caption, bool params) {
        if (!pane)
            return;
        int selectedPage = 0;
        int selectedTool = 0;
        for (int p = 0; p < pane->GetPageCount(); ++p) {
            const int tool = pane->GetPage(p)->GetSelected();
            if (tool >= 0) {
                selectedPage = p;
                selectedTool = tool;
                break;
            }
        }
        if (params)
            LoadParamEditPane(true);
        else
            FillFunctionPane(true);
        pane->setWindowTitle(Tr(caption));
        pane->update();
        if (CToolBoxPageEx *page = pane->GetPage(selectedPage))
            page->SetSelected(selectedTool);
    };
    retext(m_wndParamToolBox, "参数编辑", true);
    retext(m_wndFuncToolBox, "功能导航", false);

    const struct
    {
        UINT id;
        const char *text;
    } texts[] = {
        {ID_SAVE, "保存"}, {ID_OPEN, "打开"}, {ID_HELP, "帮助"}, {ID_SETTINGS, "设置"}, {ID_NEW, "新建"},
    };
    for (const auto &t : texts) {
        if (CToolbarButtonBase *b = m_wndToolBar->GetButton(m_wndToolBar->CommandToIndex(t.id)))
            b->m_strText = Tr(t.text);
    }
    // The emergency button keeps saying what its next press does.
    if (CToolbarButtonBase *b = m_wndToolBar->GetButton(m_wndToolBar->CommandToIndex(ID_EMERGENCY)))
        b->m_strText = EmergencyButtonText();
    if (CToolbarButtonBase *b = m_wndToolBar->GetButton(m_wndToolBar->CommandToIndex(ID_CONNECT)))
        b->m_strText = Tr(GetAppFlags()->m_bOnline ? "关闭" : "连通");
    m_wndToolBar->AdjustLocations();
    m_wndToolBar->repaint();

    // The status panes in the new language, from what the last tick found.
    const StatusView status = ComputeStatusView(m_lastStatus, CurrentStatusContext());
    m_statusPanes[0]->setText(status.pane0);
    m_statusPanes[2]->setText(status.pane2);

    m_wndParamWatchBar->setWindowTitle(Tr("参数监控"));
    if (CDlgParamMointor *monitor = m_wndParamWatchBar->Monitor())
        monitor->TranslateControls();
    platform::SendMessage(platform::WindowRef(m_wndParamWatchBar), UM_BUTTON_RELEASED);
    m_wndParamWatchBar->update();
    m_pView->RetranslatePage();
}

bool CMainFrame::GetToolbarButtonToolTipText(UINT id, QString &text) const
{
    text.clear();
    for (const ToolTip &t : kToolTips) {
        if (t.id == id)
            text = Tr(t.text);
    }
    return true;
}

// ---- Messages ---------------------------------------------------------------------------------

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (LRESULT handled = 0; HandleCommandMessage(msg, wParam, lParam, handled))
        return handled;
    if (msg == m_nPollDoneMsg && msg != 0) {
        if (auto result = Payload<StatusPollResult>(); result && result->generation == m_nPollGeneration)
            ApplyStatus(*result);
        return 0;
    }
    if (msg == m_nColourRefreshMsg && msg != 0) {
        // Every descendant hears it, children of children included; one that went away while
        // an earlier one handled it is skipped.
        const auto children = findChildren<QObject *>();
        std::vector<QPointer<QObject>> targets(children.begin(), children.end());
        for (const QPointer<QObject> &child : targets) {
            if (child)
                platform::SendMessage(platform::WindowRef(child.data()), msg, 0, 0);
        }
        return 0;
    }
    switch (msg) {
    case UM_FUNCTION_TOOL_CLICK:
        m_pView->ShowPage(int(wParam));
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam) {
        case SC_CLOSE: close(); break;
        case SC_MINIMIZE: showMinimized(); break;
        case SC_MAXIMIZE: showMaximized(); break;
        case SC_RESTORE: showNormal(); break;
        default: break;
        }
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    default:
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
}

void CMainFrame::ShowAllParameters()
{
    m_pView->ShowPage(kParamsPageId);
    NavigationTarget all;
    all.m_strCaption = Tr("所有参数");
    all.m_nTargetId = -1;
    ShowParamGroupOnPage(all);
    if (CToolBoxPageEx *page = m_wndParamToolBox ? m_wndParamToolBox->GetPage(0) : nullptr)
        page->SetSelected(0);
}

void CMainFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (const CCustomTheme *theme = GetCustomTheme())
        theme->PaintFrameBorder(this, painter);
    else
        painter.fillRect(rect(), palette().window());
}

void CMainFrame::resizeEvent(QResizeEvent *e)
{
    if (CCustomTheme *theme = GetCustomTheme())
        theme->PrepareCache(this, size());
    QMainWindow::resizeEvent(e);
}

void CMainFrame::closeEvent(QCloseEvent *e)
{
    if (!ConfirmDiscardChanges()) {
        e->ignore();
        return;
    }
    Q_EMIT closing();
    QMainWindow::closeEvent(e);
    // Closing the main window ends the program, whatever other window is still open.
    if (e->isAccepted())
        QCoreApplication::quit();
}
