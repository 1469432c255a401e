#pragma once
// The tabbed container of docking panes: panes attached to one another show as tabs of one
// dock (Qt's tabbed docks), and this object knows the group. It carries the caption-button
// rule of the group's panes: the pin button of a docked pane switches every pane docked in the
// same row (the same dock area) that allows auto-hide to auto-hide mode at that edge, each
// with a tab on the edge's strip (CAutoHideToolBar). A pane docked again from the strip
// rejoins the group's tabs.
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QDockWidget;
class QMainWindow;
class CAutoHideToolBar;

class CTabbedControlBar : public QObject
{
    Q_OBJECT
public:
    // `stripFor` answers the frame's auto-hide strip of an edge (null: none there).
    CTabbedControlBar(QMainWindow *frame, std::function<CAutoHideToolBar *(Qt::DockWidgetArea)> stripFor);

    // Puts `pane` as a tab beside `first` (which is docked already) and takes both into the group.
    void Attach(QDockWidget *first, QDockWidget *pane);
    bool Contains(const QDockWidget *pane) const;
    const std::vector<QPointer<QDockWidget>> &Members() const { return m_members; }

    // Whether a pane takes part in "auto-hide all" (the pin of another pane of its row).
    static bool AllowsAutoHide(const QDockWidget *pane);
    static void SetAllowsAutoHide(QDockWidget *pane, bool allow);

    // The pin button of `pane` was released over it: a docked pane's row goes to auto-hide.
    // Answers the panes hidden.
    std::vector<QDockWidget *> OnPinButton(QDockWidget *pane);
    // Docks `pane` again: as a tab of a group member docked at `edge`, else alone there.
    void Redock(QDockWidget *pane, Qt::DockWidgetArea edge);

private:
    QMainWindow *m_pFrame;
    std::function<CAutoHideToolBar *(Qt::DockWidgetArea)> m_fnStripFor;
    std::vector<QPointer<QDockWidget>> m_members;
};
