#include "ParamWatchBar.h"

#include "DlgParamMointor.h"

#include <QEvent>

CParamWatchBar::CParamWatchBar(const QString &caption, QWidget *parent) : QDockWidget(caption, parent), MessageTarget(this)
{
    m_pClient = new QWidget(this);
    m_pClient->setMinimumHeight(150);
    m_pClient->installEventFilter(this);
    setWidget(m_pClient);
    // No pane menu: the context menu of the pane does nothing.
    setContextMenuPolicy(Qt::PreventContextMenu);
    CreateMonitor();
}

CParamWatchBar::~CParamWatchBar()
{
    if (m_pDlgMonitor)
        m_pDlgMonitor->DestroyWindow();
    delete m_pDlgMonitor;
}

void CParamWatchBar::CreateMonitor()
{
    if (m_pDlgMonitor) {
        m_pDlgMonitor->DestroyWindow();
        delete m_pDlgMonitor;
    }
    m_pDlgMonitor = new CDlgParamMointor(m_pClient);
    m_pDlgMonitor->Create(m_pClient);
    FitMonitor();
}

void CParamWatchBar::FitMonitor()
{
    if (m_pDlgMonitor && m_pDlgMonitor->IsCreated()) {
        const QRect r = m_pClient->rect();
        m_pDlgMonitor->ResizeTo(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }
}

bool CParamWatchBar::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_pClient && e->type() == QEvent::Resize)
        FitMonitor();
    return QDockWidget::eventFilter(o, e);
}

LRESULT CParamWatchBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_BUTTON_RELEASED:  // the frame's language-change notice
        return 0;
    case UM_MONITOR_ADD_PARAM:
        if (m_pDlgMonitor)
            platform::SendMessage(platform::WindowRef(m_pDlgMonitor), msg, wParam, lParam);
        return 0;
    default:
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
}
