#pragma once
// The docking toolboxes of the navigation panes: collapsible pages, each a column of text
// tools. A click on a tool posts the pane's click message with the tool's data value to the
// owner window, a right-click its menu message (wParam -1 on empty space); one tool at most is
// shown selected over all pages.
#include "platform/Messages.h"

#include <QDockWidget>
#include <QString>
#include <QStringList>

#include <vector>

class CToolBoxEx;
class QVBoxLayout;
class QToolButton;

class CToolBoxPageEx : public QWidget
{
    Q_OBJECT
public:
    struct Tool
    {
        int image = -1;  // tools carry no image
        int id = 0;      // 1-based position, for its tool tip
        QString label;
        bool checked = false;
        bool highlighted = false;
        int data = 0;
    };

    CToolBoxPageEx(CToolBoxEx *box, int index, QWidget *parent);

    bool Init(const QStringList &labels);
    int GetToolCount() const { return int(m_tools.size()); }
    Tool *GetTool(int index);
    void SetToolData(int index, int data);
    // The checked tool, -1 when none.
    int GetSelected() const;
    void SetSelected(int index);
    void ClearSelection();
    // The tool under a point of the page, -1 when none.
    int HitTest(const QPoint &point) const;
    QRect ToolRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    int m_nIndex;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void leaveEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    int ToolHeight() const;

    CToolBoxEx *m_pBox;
    std::vector<Tool> m_tools;
};

class CToolBoxEx : public QDockWidget
{
    Q_OBJECT
public:
    CToolBoxEx(const QString &caption, int ctrlId, QWidget *parent = nullptr);

    // Adds a page named `name` holding one tool per label (none for an empty list).
    bool AddToolsPage(const QString &name, const QStringList &labels);
    void RemoveAllToolsPages();
    int GetPageCount() const { return int(m_pages.size()); }
    CToolBoxPageEx *GetPage(int index) const;
    void RecalcLayout();

    // A tool was clicked: post the click message, clear the selection of every other page.
    void OnToolClick(int nPage, int nIndex);
    // A context menu was asked for at a screen point; nHit is the tool or -1.
    bool OnToolboxMenu(const QPoint &screenPoint, CToolBoxPageEx *pPage, int nHit);

    UINT m_nClickMessage = 0;
    UINT m_nMenuMessage = 0;
    // Where the messages go; the top-level window when unset.
    platform::WindowRef m_owner;

    // The caption's buttons: the pin (auto-hide) and the close button.
    QToolButton *PinButton() const { return m_pPin; }
    QToolButton *CloseButton() const { return m_pClose; }

Q_SIGNALS:
    // The pin button was released over itself; the frame's tabbed container acts on it.
    void pinClicked(CToolBoxEx *pane);

private:
    void CreateCaption();
    QToolButton *m_pPin = nullptr;
    QToolButton *m_pClose = nullptr;

    platform::WindowRef Owner() const;

    QWidget *m_pContent;
    QVBoxLayout *m_pLayout;
    std::vector<CToolBoxPageEx *> m_pages;
    std::vector<QToolButton *> m_headers;
};
