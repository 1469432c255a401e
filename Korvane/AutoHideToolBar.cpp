#include "AutoHideToolBar.h"

#include "TabbedControlBar.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QPainter>

namespace {

Qt::ToolBarArea ToolBarAreaOf(Qt::DockWidgetArea edge)
{
    switch (edge) {
    case Qt::RightDockWidgetArea: return Qt::RightToolBarArea;
    case Qt::TopDockWidgetArea: return Qt::TopToolBarArea;
    case Qt::BottomDockWidgetArea: return Qt::BottomToolBarArea;
    default: return Qt::LeftToolBarArea;
    }
}

bool Vertical(Qt::DockWidgetArea edge)
{
    return edge == Qt::LeftDockWidgetArea || edge == Qt::RightDockWidgetArea;
}

}

// ---- CAutoHideTab ---------------------------------------------------------------------------

CAutoHideTab::CAutoHideTab(QDockWidget *pane, Qt::Orientation orientation, QWidget *parent)
    : QAbstractButton(parent), m_pPane(pane), m_orientation(orientation)
{
    setText(pane ? pane->windowTitle() : QString());
    setObjectName(QStringLiteral("autoHideTab"));
    setCursor(Qt::PointingHandCursor);
    if (pane)
        connect(pane, &QWidget::windowTitleChanged, this, [this](const QString &title) {
            setText(title);
            updateGeometry();
            update();
        });
}

QSize CAutoHideTab::sizeHint() const
{
    const QFontMetrics fm(font());
    const QSize along(fm.horizontalAdvance(text()) + 24, fm.height() + 10);
    return m_orientation == Qt::Vertical ? along.transposed() : along;
}

void CAutoHideTab::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect().adjusted(1, 1, -1, -1);
    p.fillRect(r, isDown() ? QColor(210, 1, 59) : QColor(36, 54, 78));
    p.setPen(QColor(90, 110, 140));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(QColor(220, 220, 220));
    if (m_orientation == Qt::Vertical) {
        // Read from top to bottom, as the edge runs.
        p.translate(width(), 0);
        p.rotate(90);
        p.drawText(QRect(0, 0, height(), width()), Qt::AlignCenter, text());
    } else {
        p.drawText(rect(), Qt::AlignCenter, text());
    }
}

// ---- CAutoHideToolBar -----------------------------------------------------------------------

CAutoHideToolBar::CAutoHideToolBar(QMainWindow *frame, Qt::DockWidgetArea edge)
    : QToolBar(frame), m_pFrame(frame), m_edge(edge)
{
    setObjectName(QStringLiteral("autoHideStrip%1").arg(int(edge)));
    setMovable(false);
    setFloatable(false);
    setOrientation(Vertical(edge) ? Qt::Vertical : Qt::Horizontal);
    // Not one of the tool bars a user switches on and off.
    toggleViewAction()->setVisible(false);
    setStyleSheet(QStringLiteral("QToolBar { background: rgb(16, 32, 56); border: none; spacing: 2px; padding: 1px; }"));
    frame->addToolBar(ToolBarAreaOf(edge), this);
    hide();
}

bool CAutoHideToolBar::Holds(const QDockWidget *pane) const
{
    for (const Entry &e : m_entries)
        if (e.pane == pane)
            return true;
    return false;
}

std::vector<QDockWidget *> CAutoHideToolBar::Panes() const
{
    std::vector<QDockWidget *> panes;
    for (const Entry &e : m_entries)
        if (e.pane)
            panes.push_back(e.pane);
    return panes;
}

CAutoHideTab *CAutoHideToolBar::TabOf(const QDockWidget *pane) const
{
    for (const Entry &e : m_entries)
        if (e.pane == pane)
            return e.tab;
    return nullptr;
}

void CAutoHideToolBar::AddPane(QDockWidget *pane, CTabbedControlBar *group)
{
    if (!pane || Holds(pane))
        return;
    Entry entry;
    entry.pane = pane;
    entry.group = group;
    entry.tab = new CAutoHideTab(pane, orientation(), this);
    entry.action = addWidget(entry.tab);
    connect(entry.tab, &QAbstractButton::clicked, this, [this, pane] { DockPane(pane); });
    m_entries.push_back(entry);
    pane->hide();
    UpdateShown();
}

void CAutoHideToolBar::RemovePane(QDockWidget *pane)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->pane != pane)
            continue;
        removeAction(it->action);
        it->tab->deleteLater();
        m_entries.erase(it);
        break;
    }
    UpdateShown();
}

void CAutoHideToolBar::DockPane(QDockWidget *pane)
{
    QPointer<CTabbedControlBar> group;
    for (const Entry &e : m_entries)
        if (e.pane == pane)
            group = e.group;
    if (!Holds(pane))
        return;
    RemovePane(pane);
    if (group) {
        group->Redock(pane, m_edge);
        return;
    }
    if (m_pFrame->dockWidgetArea(pane) != m_edge || pane->isFloating())
        m_pFrame->addDockWidget(m_edge, pane);
    pane->show();
    pane->raise();
}

void CAutoHideToolBar::UpdateShown()
{
    setVisible(!m_entries.empty());
}
