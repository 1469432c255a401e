#include "KorvaneView.h"

#include "CustomTheme.h"
#include "DlgStatus.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "Wnds/Controls/DlgPositionCtrl.h"
#include "Wnds/Controls/DlgSpeedLoop.h"
#include "Wnds/DiDo/DlgDiDoMonitor.h"
#include "Wnds/DiDo/DlgDiDoSet.h"
#include "Wnds/DiDo/DlgDiShowSet.h"
#include "Wnds/Params/DlgParams.h"
#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "Wnds/auxFunction/DlgAidMagCalibration.h"
#include "Wnds/auxFunction/DlgDeviceInfo.h"
#include "Wnds/auxFunction/DlgFaultManagement.h"
#include "Wnds/auxFunction/DlgStatusData.h"
#include "Wnds/scope/DlgScope.h"
#include "wizard/DlgSetupWizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QMainWindow>
#include <QResizeEvent>

namespace {

// The pages' text colours on the theme's picture (a contrast of 4.5:1 or more against it).
const QColor kPageText(235, 235, 235);
const QColor kPageDisabledText(150, 156, 166);

// Gives the labels, check boxes, radio buttons and group titles of the view's pages the light
// text colours as each is polished. Only texts in the main window itself: a box or dialog a page
// opens is a window of its own, on its own light background. A text with a colour or a style
// sheet of its own keeps it. (Not a palette on the view: the frame's style sheet fixes each
// child's palette when it is polished, so a palette never passes down.)
class PageTextColours : public QObject
{
public:
    explicit PageTextColours(CKorvaneView *view) : QObject(view), m_view(view) {}

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Polish || !o->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(o);
        if (!qobject_cast<QLabel *>(w) && !qobject_cast<QCheckBox *>(w) && !qobject_cast<QRadioButton *>(w) &&
            !qobject_cast<QGroupBox *>(w))
            return false;
        if (w->window() != m_view->window() || !m_view->isAncestorOf(w) || !w->styleSheet().isEmpty())
            return false;
        QPalette pal = w->palette();
        if (pal.color(QPalette::Active, QPalette::WindowText) != QApplication::palette().color(QPalette::Active, QPalette::WindowText))
            return false;
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            pal.setColor(group, QPalette::WindowText, kPageText);
        pal.setColor(QPalette::Disabled, QPalette::WindowText, kPageDisabledText);
        w->setPalette(pal);
        return false;
    }

private:
    CKorvaneView *m_view;
};

struct PageKind
{
    int id;
    const char *name;
    CDialogExMid *(*make)();
};

template <class T>
CDialogExMid *Make()
{
    return new T();
}

const PageKind kPages[] = {
    {-1, "首页", &Make<CNavigation>},
    {2, "示波器", &Make<CDlgScope>},
    {3, "参数管理", &Make<CDlgParams>},
    {4, "试运转", &Make<CDlgAidJogMove>},
    {5, "负载惯量辨识", &Make<CDlgAidInertia>},
    {6, "数据监控", &Make<CDlgStatusData>},
    {7, "电机磁极角辨识", &Make<CDlgAidMagCalibration>},
    {8, "IO监控", &Make<CDlgDiDoMonitor>},
    {9, "IO功能监控", &Make<CDlgDiShowSet>},
    {10, "IO设置", &Make<CDlgDiDoSet>},
    {11, "故障管理", &Make<CDlgFaultManagement>},
    {12, "频率特性分析", &Make<DlgAidAnalyse>},
    {13, "设备信息", &Make<CDlgDeviceInfo>},
    {15, "速度环", &Make<CDlgSpeedLoop>},
    {16, "位置环", &Make<CDlgPositionCtrl>},
    {17, "安装向导", &Make<CDlgSetupWizard>},
};

const PageKind *FindKind(int nPageId)
{
    for (const PageKind &k : kPages)
        if (k.id == nPageId)
            return &k;
    return nullptr;
}

}

QString PageName(int nPageId)
{
    const PageKind *kind = FindKind(nPageId);
    return kind ? QString::fromUtf8(kind->name) : QString();
}

CDialogExMid *CreatePage(CPageMap &map, int nPageId, int &nExtra, QString &strName)
{
    auto it = map.find(nPageId);
    if (it != map.end() && it->second.pPage) {
        nExtra = it->second.nExtra;
        strName = it->second.strName;
        return it->second.pPage;
    }
    const PageKind *kind = FindKind(nPageId);
    if (!kind)
        return nullptr;
    CDialogExMid *page = kind->make();
    strName = QString::fromUtf8(kind->name);
    if (it != map.end())
        it->second.pPage = page;
    else
        map.emplace(nPageId, CPageEntry{page, nExtra, strName});
    return page;
}

void StopPageWorkers(CPageMap &map)
{
    // Stop, pump, join: every page's mailbox goes first (a worker waiting on its page is
    // released and none of the page's handlers runs again), then every worker is told to
    // stop, and only then are they joined, with the events flowing meanwhile.
    for (auto &[id, entry] : map) {
        if (entry.pPage) {
            entry.pPage->Detach();
            entry.pPage->RequestWorkersStop();
        }
    }
    for (auto &[id, entry] : map) {
        if (!entry.pPage)
            continue;
        entry.pPage->StopWorkersForGood();
        if (auto *workers = dynamic_cast<IPageWorkers *>(entry.pPage.data()))
            workers->StopWorkers();
    }
}

void ClearPageTable(CPageMap &map)
{
    StopPageWorkers(map);
    for (auto &[id, entry] : map)
        delete entry.pPage.data();
    map.clear();
}

CKorvaneView::CKorvaneView(QWidget *parent) : QWidget(parent), MessageTarget(this)
{
    setContextMenuPolicy(Qt::PreventContextMenu);
    // Under the theme the pages stand on the dark background picture, so their own texts are
    // light. Edit boxes, lists, tables and buttons keep their light bases and dark texts.
    if (GetCustomTheme())
        qApp->installEventFilter(new PageTextColours(this));
}

CKorvaneView::~CKorvaneView()
{
    // Pages are children of the view; their table owns them and goes with the view, after
    // their workers have ended.
    ClearPageTable(m_mapPages);
}

void CKorvaneView::CreatePageWindow(CDialogExMid *page)
{
    page->setWindowFlags(Qt::Widget);
    page->Create(this);
    page->hide();
}

void CKorvaneView::OnInitialUpdate()
{
    if (m_bInitialUpdateDone)
        return;
    m_bInitialUpdateDone = true;
    if (!m_pDlgStatus) {
        m_pDlgStatus = new CDlgStatus();
        m_pDlgStatus->setWindowFlags(Qt::Widget);
        m_pDlgStatus->Create(this);
        m_pDlgStatus->hide();
    }
    int nExtra = 0;
    QString strName;
    if (CDialogExMid *scope = CreatePage(m_mapPages, kScopePageId, nExtra, strName); scope && !scope->IsCreated())
        CreatePageWindow(scope);
    // Hosted by the main window, the view opens on the parameter page with every parameter.
    if (auto *frame = qobject_cast<CMainFrame *>(window()))
        frame->ShowAllParameters();
    else if (qobject_cast<QMainWindow *>(window()))
        ShowPage(kParamsPageId);
    LayoutPage();
}

void CKorvaneView::ShowPage(int nPageId)
{
    CDialogExMid *pOld = m_pCurPage;
    setUpdatesEnabled(false);

    int nExtra = 0;
    QString strName;
    CDialogExMid *pNew = CreatePage(m_mapPages, nPageId, nExtra, strName);
    m_pCurPage = pNew;

    if (pOld && pOld != pNew)
        platform::SendMessage(pOld, UM_STOP_TIMER, 0, 0);
    if (pNew && !pNew->IsCreated())
        CreatePageWindow(pNew);
    if (pOld && pOld != pNew)
        pOld->hide();
    if (pNew && pNew != pOld) {
        platform::SendMessage(pNew, UM_PAGE_ACTIVATE, 0, 0);
        pNew->show();
        platform::SendMessage(pNew, UM_START_TIMER, 0, 0);
        platform::SendMessage(pNew, UM_THEME_CHANGED, 0, 0);
    }
    LayoutPage();

    const bool wasShown = pNew && pNew == pOld && pNew->isVisible();
    setUpdatesEnabled(true);
    if (pNew && !wasShown)
        pNew->update();
}

void CKorvaneView::StartPageTimer()
{
    if (m_pCurPage && m_pCurPage->m_nTimerID != -1)
        m_pCurPage->SetTimer(UINT_PTR(m_pCurPage->m_nTimerID), m_pCurPage->m_nElapse);
}

LRESULT CKorvaneView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_RESTART_PAGE_TIMER:
        StartPageTimer();
        return 0;
    default:
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
}

void CKorvaneView::RetranslatePage()
{
    // Every page made so far, shown or not: a page shown later keeps the texts it has now.
    for (auto &[id, entry] : m_mapPages) {
        if (entry.pPage && entry.pPage->IsCreated())
            entry.pPage->TranslateControls();
    }
    if (m_pDlgStatus)
        m_pDlgStatus->TranslateControls();
}

void CKorvaneView::LayoutPage()
{
    if (m_pCurPage && m_pCurPage->IsCreated())
        m_pCurPage->setGeometry(0, 0, width(), height());
}

void CKorvaneView::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    LayoutPage();
}

void CKorvaneView::contextMenuEvent(QContextMenuEvent *e)
{
    e->accept();
}
