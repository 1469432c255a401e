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
#include <QScrollBar>
#include <QWheelEvent>

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
    m_pVBar = new QScrollBar(Qt::Vertical, this);
    m_pHBar = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar *bar : {m_pVBar, m_pHBar}) {
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, [this] { LayoutPage(); });
    }
    // A control reached with the keyboard comes into view, as in any scrolled window.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_pCurPage && m_pCurPage->isAncestorOf(now))
            EnsureVisible(now);
    });
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
        // Another page opens at its top.
        for (QScrollBar *bar : {m_pVBar, m_pHBar}) {
            const QSignalBlocker quiet(bar);
            bar->setValue(0);
        }
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
    if (!m_pCurPage || !m_pCurPage->IsCreated()) {
        m_pVBar->hide();
        m_pHBar->hide();
        return;
    }
    // A bar takes room from the other direction: decide the two together.
    const QSize need = m_pCurPage->minimumSize();
    const int barW = m_pVBar->sizeHint().width();
    const int barH = m_pHBar->sizeHint().height();
    bool down = need.height() > height();
    bool across = need.width() > width() - (down ? barW : 0);
    down = down || (across && need.height() > height() - barH);
    const int areaW = width() - (down ? barW : 0);
    const int areaH = height() - (across ? barH : 0);
    const QSignalBlocker quietV(m_pVBar);
    const QSignalBlocker quietH(m_pHBar);
    m_pVBar->setRange(0, down ? need.height() - areaH : 0);
    m_pVBar->setPageStep(std::max(1, areaH));
    m_pVBar->setSingleStep(20);
    m_pHBar->setRange(0, across ? need.width() - areaW : 0);
    m_pHBar->setPageStep(std::max(1, areaW));
    m_pHBar->setSingleStep(20);
    m_pVBar->setGeometry(areaW, 0, barW, areaH);
    m_pHBar->setGeometry(0, areaH, areaW, barH);
    m_pVBar->setVisible(down);
    m_pHBar->setVisible(across);
    m_pCurPage->setGeometry(-m_pHBar->value(), -m_pVBar->value(), std::max(areaW, need.width()),
                            std::max(areaH, need.height()));
    m_pVBar->raise();
    m_pHBar->raise();
}

void CKorvaneView::EnsureVisible(const QWidget *w)
{
    if (!w || !m_pCurPage || !m_pCurPage->isAncestorOf(w))
        return;
    const QRect r(w->mapTo(m_pCurPage, QPoint(0, 0)), w->size());
    const auto follow = [](QScrollBar *bar, int from, int to) {
        if (!bar->isVisible())
            return;
        const int shown = bar->pageStep();
        // The far edge into view, then the near edge, which wins for a control larger than the area.
        if (to > bar->value() + shown)
            bar->setValue(to - shown);
        if (from < bar->value())
            bar->setValue(from);
    };
    follow(m_pVBar, r.top(), r.bottom() + 1);
    follow(m_pHBar, r.left(), r.right() + 1);
}

void CKorvaneView::wheelEvent(QWheelEvent *e)
{
    // What a page's controls leave unused scrolls the page.
    QScrollBar *bar = m_pVBar->isVisible() ? m_pVBar : m_pHBar->isVisible() ? m_pHBar : nullptr;
    if (!bar) {
        QWidget::wheelEvent(e);
        return;
    }
    QCoreApplication::sendEvent(bar, e);
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
