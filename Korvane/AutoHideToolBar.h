#pragma once
// The strip of tabs along an edge of the main window that stands for auto-hidden panes. A pane
// the pin button hid gets a tab here; hovering a tab does nothing (the pane does not slide
// out), a click on it docks the pane again where it was (tabbed with its group when one of the
// group is docked). The strip is a fixed tool bar at the window's edge and hides itself while
// it holds no tab.
#include <QAbstractButton>
#include <QPointer>
#include <QToolBar>

#include <vector>

class QDockWidget;
class QMainWindow;
class CTabbedControlBar;

// One tab of the strip: the pane's caption, written along the edge.
class CAutoHideTab : public QAbstractButton
{
    Q_OBJECT
public:
    CAutoHideTab(QDockWidget *pane, Qt::Orientation orientation, QWidget *parent);
    QDockWidget *Pane() const { return m_pPane; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QPointer<QDockWidget> m_pPane;
    Qt::Orientation m_orientation;
};

class CAutoHideToolBar : public QToolBar
{
    Q_OBJECT
public:
    // A strip at `edge` of `frame` (added to its tool bar area there), empty and hidden.
    CAutoHideToolBar(QMainWindow *frame, Qt::DockWidgetArea edge);

    Qt::DockWidgetArea Edge() const { return m_edge; }
    // Hides the pane and gives it a tab; `group` (may be null) docks it again as a tab.
    void AddPane(QDockWidget *pane, CTabbedControlBar *group);
    // The pane leaves auto-hide mode: its tab goes and it docks again at the strip's edge.
    void DockPane(QDockWidget *pane);
    // The tab goes; the pane stays as it is (hidden).
    void RemovePane(QDockWidget *pane);
    bool Holds(const QDockWidget *pane) const;
    std::vector<QDockWidget *> Panes() const;
    CAutoHideTab *TabOf(const QDockWidget *pane) const;

private:
    struct Entry
    {
        QPointer<QDockWidget> pane;
        QPointer<CTabbedControlBar> group;
        CAutoHideTab *tab = nullptr;
        QAction *action = nullptr;
    };
    void UpdateShown();

    QMainWindow *m_pFrame;
    Qt::DockWidgetArea m_edge;
    std::vector<Entry> m_entries;
};
