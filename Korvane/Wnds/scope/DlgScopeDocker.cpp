#include "Wnds/scope/DlgScopeDocker.h"

#include "Wnds/scope/DlgScope.h"
#include "Wnds/scope/DlgScopeSet.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/NewScopeCursorDlg.h"
#include "Wnds/scope/VScope.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"

#include <QIcon>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>

namespace {

constexpr int kTabHeight = 25;
constexpr int kButtonSize = 25;
constexpr int kPageTop = 30;
constexpr int kPageBottom = 40;

}

CDlgScopeDocker::CDlgScopeDocker(CDlgScope *pScope, QWidget *pParent)
    : CDialogExMid(IDD, pParent ? pParent : pScope), m_pScope(pScope)
{
    m_strLangSection = QStringLiteral("CDlgScopeDocker");
    m_pTab = new QTabBar(this);
    platform::SetCtrlId(m_pTab, IDC_TAB);
    m_pTab->setShape(QTabBar::RoundedSouth);
    m_pTab->setExpanding(false);
    m_pTab->setDrawBase(false);
    connect(m_pTab, &QTabBar::currentChanged, this, [this] { ShowTab(); });
    for (int i = 0; i < 6; ++i) {
        m_pButtons[i] = new QPushButton(this);
        platform::SetCtrlId(m_pButtons[i], kButtons[i].id);
        const int id = kButtons[i].id;
        connect(m_pButtons[i], &QPushButton::clicked, this,
                [this, id] { platform::SendMessage(this, WM_COMMAND, WPARAM(id), 0); });
    }
    m_setNoTranslateIds.insert(UINT(IDC_TAB));
}

CDlgScopeDocker::~CDlgScopeDocker()
{
    if (IsCreated())
        DestroyWindow();
}

QPushButton *CDlgScopeDocker::ToolButtonById(int id) const
{
    for (int i = 0; i < 6; ++i)
        if (kButtons[i].id == id)
            return m_pButtons[i];
    return nullptr;
}

const char *const kTabCaptions[] = {"设置", "参数", "坐标设置", "历史数据"};

void CDlgScopeDocker::InitButton(QPushButton *button, const ToolButton &t)
{
    button->setToolTip(TrText(QString::fromUtf8(t.tip)));
    button->setText(QString());
    button->setIcon(QIcon(QStringLiteral(":/res/%1.png").arg(t.png)));
    button->setCursor(Qt::PointingHandCursor);
    button->setFlat(true);
}

bool CDlgScopeDocker::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_mapTabs.clear();
    for (int i = 0; i < 6; ++i)
        InitButton(m_pButtons[i], kButtons[i]);
    {
        const QSignalBlocker block(m_pTab);
        while (m_pTab->count() > 0)
            m_pTab->removeTab(0);
        for (const char *caption : kTabCaptions)
            m_pTab->addTab(TrText(QString::fromUtf8(caption)));
        m_pTab->setCurrentIndex(kTabSampling);
    }
    m_pSamplingScroll = new QScrollArea(this);
    m_pSamplingScroll->setFrameShape(QFrame::NoFrame);
    m_pSamplingScroll->setWidgetResizable(true);
    m_pScopeParam = new CDlgSocpeParam(this);
    m_pScopeParam->SetDocker(this);
    // Its controls stand where its template puts them: the panel is never shorter than that,
    // and the area scrolls when the docker is.
    m_pScopeParam->setMinimumHeight(m_pScopeParam->height());
    m_pScopeParam->Create(m_pSamplingScroll);
    m_pSamplingScroll->setWidget(m_pScopeParam);
    // The theme's picture shows through the panel as through every page; its texts are drawn
    // for it.
    m_pSamplingScroll->viewport()->setAutoFillBackground(false);
    m_pScopeParam->setAutoFillBackground(false);
    m_pScopeParam->show();
    m_mapTabs[kTabSampling] = m_pScopeParam;
    m_mapTabs[kTabScopeSet] = nullptr;
    m_mapTabs[kTabCursor] = nullptr;
    m_mapTabs[kTabHistory] = &m_dlgHistory;
    OnSize(width(), height());
    return true;
}

bool CDlgScopeDocker::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    for (int i = 0; i < m_pTab->count() && i < 4; ++i)
        m_pTab->setTabText(i, TrText(QString::fromUtf8(kTabCaptions[i])));
    return ok;
}

void CDlgScopeDocker::OnDestroy()
{
    for (auto &[index, page] : m_mapTabs)
        if (page && page->IsCreated())
            page->DestroyWindow();
    CDialogExMid::OnDestroy();
}

// ---- layout and tabs -------------------------------------------------------------------------------

void CDlgScopeDocker::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pTab)
        return;
    const QRect rc = rect();
    m_pTab->setGeometry(rc.left(), rc.bottom() + 1 - kTabHeight, rc.width(), kTabHeight);
    for (int i = 0; i < 6; ++i)
        m_pButtons[i]->setGeometry(rc.left() + i * kButtonSize, rc.top() + 2, kButtonSize, kButtonSize);
    ShowTab();
}

QRect CDlgScopeDocker::PageRect() const
{
    QRect rc = rect();
    rc.setTop(rc.top() + kPageTop);
    rc.setBottom(rc.bottom() - kPageBottom);
    return rc;
}

QWidget *CDlgScopeDocker::Holder(QWidget *page) const
{
    return page && page == m_pScopeParam && m_pSamplingScroll ? m_pSamplingScroll : page;
}

QWidget *CDlgScopeDocker::TabPage(int index) const
{
    const auto it = m_mapTabs.find(index);
    return it == m_mapTabs.end() ? nullptr : it->second;
}

void CDlgScopeDocker::SelectTab(int index)
{
    m_pTab->setCurrentIndex(index);
    ShowTab();
}

void CDlgScopeDocker::ShowTab()
{
    if (!m_pTab || !IsCreated())
        return;
    const QRect rc = PageRect();
    m_nCurTab = m_pTab->currentIndex();
    for (auto &[index, page] : m_mapTabs) {
        if (page)
            Holder(page)->setGeometry(rc);
        if (index != m_nCurTab) {
            if (page)
                Holder(page)->hide();
            continue;
        }
        if (index == kTabCursor && !page) {
            CreateCursorPage();
            page = m_pCursorDlg;
            page->setGeometry(rc);
        } else if (index == kTabScopeSet && !page) {
            CreateScopeSetPage();
            page = m_pScopeSet;
            page->setGeometry(rc);
        }
        if (!page)
            continue;
        if (page == m_pCursorDlg)
            platform::SendMessage(page, UM_SCOPE_CURSOR_REFRESH, 0, 0);
        if (page == &m_dlgHistory) {
            if (!m_dlgHistory.IsCreated()) {
                CreateHistoryPage();
                m_dlgHistory.setGeometry(rc);
            }
            // Captures saved since the last look show up.
            m_dlgHistory.ClearFileList();
            m_dlgHistory.FillFileList();
        }
        Holder(page)->show();
    }
}

void CDlgScopeDocker::CreateCursorPage()
{
    m_pCursorDlg = new CNewScopeCursorDlg(GetScopeView(), this);
    CDlgSocpeParam *panel = m_pScopeParam;
    m_pCursorDlg->m_fnGetChannelSourceName = [panel](int channel) {
        return panel ? panel->GetChannelSourceName(channel) : QString();
    };
    m_pCursorDlg->Create(this);
    m_pCursorDlg->move(330, 5);
    m_pCursorDlg->show();
    m_mapTabs[kTabCursor] = m_pCursorDlg;
}

void CDlgScopeDocker::CreateScopeSetPage()
{
    m_pScopeSet = new CDlgScopeSet(this);
    m_pScopeSet->Create(this);
    m_pScopeSet->show();
    m_pScopeSet->m_fnStartSampling = [this] { return StartSampling(); };
    m_pScopeSet->m_fnStopSampling = [this] { return StopSampling(); };
    m_mapTabs[kTabScopeSet] = m_pScopeSet;
}

void CDlgScopeDocker::CreateHistoryPage()
{
    m_dlgHistory.Create(this);
    m_dlgHistory.m_fnLoadFile = [this](const QString &path) { return LoadHistoryFile(path); };
    m_dlgHistory.m_fnApplyParams = [this] { return ApplyHistoryParams(); };
    m_dlgHistory.show();
}

// ---- forwarding --------------------------------------------------------------------------------------

CScopePanelPage *CDlgScopeDocker::GetPage()
{
    return m_pScope;
}

QWidget *CDlgScopeDocker::GetCursorDialog()
{
    return m_pCursorDlg && m_pCursorDlg->IsCreated() ? m_pCursorDlg : nullptr;
}

int CDlgScopeDocker::StartSampling()
{
    return m_pScopeParam ? m_pScopeParam->StartSampling() : 0;
}

int CDlgScopeDocker::StopSampling()
{
    return m_pScopeParam ? m_pScopeParam->StopSampling() : 0;
}

CVScope *CDlgScopeDocker::GetScopeView() const
{
    return m_pScope ? m_pScope->GetScopeView() : nullptr;
}

int CDlgScopeDocker::OpenWaveFile(const QString &path)
{
    return m_pScopeParam ? m_pScopeParam->OpenWaveFile(m_pScopeParam, path) : 0;
}

int CDlgScopeDocker::OpenCompareFile(const QString &path)
{
    return m_pScopeParam ? m_pScopeParam->OpenCompareFile(path) : 0;
}

int CDlgScopeDocker::SaveWaveFile(const QString &path, int nKind)
{
    return m_pScopeParam && m_pScopeParam->SaveWaveFile(path, nKind) ? 1 : 0;
}

int CDlgScopeDocker::LoadHistoryFile(const QString &path)
{
    return m_pScope ? m_pScope->LoadWaveFile(path) : 0;
}

int CDlgScopeDocker::ApplyHistoryParams()
{
    if (!m_pScopeSet || !m_pScopeSet->FillScopeParamRows())
        return 0;
    return m_pScopeSet->WriteParamsWithValues(m_dlgHistory.ApplyValues()) ? 1 : -1;
}

void CDlgScopeDocker::OnZoom(bool in)
{
    CVScope *view = GetScopeView();
    if (!view)
        return;
    const vscope::Rect &r = view->m_rcPlot;
    const QPoint centre = view->mapToGlobal(QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    if (in)
        view->ZoomInAt(centre);
    else
        view->ZoomOutAt(centre);
}

// ---- messages ------------------------------------------------------------------------------------------

LRESULT CDlgScopeDocker::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        if (CDialogExMid *set = m_mapTabs.count(kTabScopeSet) ? m_mapTabs[kTabScopeSet] : nullptr)
            platform::SendMessage(set, UM_PAGE_ACTIVATE, wParam, lParam);
        return 0;
    case WM_COMMAND:
        switch (int(LOWORD(wParam))) {
        case 1005:
        case 1006:
        case 1181:
        case 1183:
            if (m_pScope)
                platform::SendMessage(m_pScope, WM_COMMAND, WPARAM(LOWORD(wParam)), 0);
            return 0;
        case 1187: OnZoom(true); return 0;
        case 1193: OnZoom(false); return 0;
        default: break;
        }
        break;
    default: break;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}
