#include "TabbedControlBar.h"

#include "AutoHideToolBar.h"

#include <QDockWidget>
#include <QMainWindow>

namespace {
const char *const kAllowsAutoHide = "korvaneAllowsAutoHide";
}

CTabbedControlBar::CTabbedControlBar(QMainWindow *frame, std::function<CAutoHideToolBar *(Qt::DockWidgetArea)> stripFor)
    : QObject(frame), m_pFrame(frame), m_fnStripFor(std::move(stripFor))
{
}

bool CTabbedControlBar::AllowsAutoHide(const QDockWidget *pane)
{
    return pane && pane->property(kAllowsAutoHide).toBool();
}

void CTabbedControlBar::SetAllowsAutoHide(QDockWidget *pane, bool allow)
{
    if (pane)
        pane->setProperty(kAllowsAutoHide, allow);
}

bool CTabbedControlBar::Contains(const QDockWidget *pane) const
{
    for (const auto &m : m_members)
        if (m == pane)
            return true;
    return false;
}

void CTabbedControlBar::Attach(QDockWidget *first, QDockWidget *pane)
{
    m_pFrame->tabifyDockWidget(first, pane);
    for (QDockWidget *p : {first, pane})
        if (!Contains(p))
            m_members.emplace_back(p);
}

std::vector<QDockWidget *> CTabbedControlBar::OnPinButton(QDockWidget *pane)
{
    std::vector<QDockWidget *> hidden;
    if (!pane || !AllowsAutoHide(pane) || pane->isFloating() || pane->isHidden())
        return hidden;
    const Qt::DockWidgetArea edge = m_pFrame->dockWidgetArea(pane);
    CAutoHideToolBar *strip = m_fnStripFor ? m_fnStripFor(edge) : nullptr;
    if (!strip)
        return hidden;
    // The row: every pane docked in the same area, tabbed or side by side.
    for (QDockWidget *d : m_pFrame->findChildren<QDockWidget *>(Qt::FindDirectChildrenOnly)) {
        if (d->isHidden() || d->isFloating() || m_pFrame->dockWidgetArea(d) != edge || !AllowsAutoHide(d))
            continue;
        hidden.push_back(d);
    }
    m_pFrame->setUpdatesEnabled(false);
    for (QDockWidget *d : hidden)
        strip->AddPane(d, Contains(d) ? this : nullptr);
    m_pFrame->setUpdatesEnabled(true);
    m_pFrame->update();
    return hidden;
}

void CTabbedControlBar::Redock(QDockWidget *pane, Qt::DockWidgetArea edge)
{
    QDockWidget *docked = nullptr;
    for (const auto &m : m_members)
        if (m && m != pane && !m->isHidden() && !m->isFloating() && m_pFrame->dockWidgetArea(m) == edge)
            docked = m;
    if (pane->isFloating() || m_pFrame->dockWidgetArea(pane) != edge)
        m_pFrame->addDockWidget(edge, pane);
    pane->show();
    if (docked && !m_pFrame->tabifiedDockWidgets(docked).contains(pane))
        m_pFrame->tabifyDockWidget(docked, pane);
    pane->raise();
}
