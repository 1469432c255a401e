#pragma once
// A hand-drawn balloon tip: a rounded box with a pointer whose point sits on the mouse cursor,
// holding an optional icon and a text. It serves any number of tool widgets, each with its own
// text and icon. The owner passes it the mouse events it sees (install the tip as an event
// filter, or call RelayEvent); the tip shows 300 ms after the cursor comes to rest on a tool
// and hides on a button press, when the cursor leaves the tools, or within a second of the
// cursor moving onto another window.
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <map>

class CInfoTip : public QWidget, public platform::MessageTarget
{
    Q_OBJECT
public:
    struct TipToolInfo
    {
        QString strText;
        QPixmap hIcon;  // may be null
    };

    // Timer ids on the tip's window.
    static constexpr UINT_PTR kShowTimer = 100;
    static constexpr UINT_PTR kCheckTimer = 101;

    explicit CInfoTip(QWidget *owner = nullptr);
    ~CInfoTip() override;

    // Places the (hidden) tip window over its owner's windows.
    BOOL Create(QWidget *owner);
    // A tool and what the tip says over it. A tool that is destroyed drops out.
    void AddTool(QWidget *tool, const QString &text, const QPixmap &icon = QPixmap());
    void RemoveTool(QWidget *tool);

    // One event the owner saw: mouse moves and enter/leave track the tool under the cursor;
    // left, right and middle button presses hide the tip.
    void RelayEvent(QEvent *e);
    void ScheduleShow(const QString &text);
    void SetTipIcon(const QPixmap &icon);

    struct Balloon
    {
        int W = 0;  // box width
        int H = 0;  // box height; the pointer hangs 25 pixels below it
        QRegion region;
        QSize window;
    };
    // The balloon for a text (lines broken only at its own line breaks) and an icon size.
    static Balloon BuildBalloonRegion(const QFont &font, const QString &text, const QSize &icon);

    int m_nShowDelay = 300;
    // How often a shown tip looks whether the cursor is still on its tool.
    int m_nCheckPeriod = 1000;
    QPoint m_ptCursor;
    QString m_strText;
    QPixmap m_hIcon;
    QSize m_sizeIcon{0, 0};
    const QFont *m_pFont = nullptr;  // not owned; the widget's font when null
    QPointer<QWidget> m_pCurrentTool;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void OnTimer(UINT_PTR id) override;
    void paintEvent(QPaintEvent *e) override;

private:
    const TipToolInfo *FindTool(QWidget *w);
    void HideTip();
    const QFont &TipFont() const;
    static QPainterPath BalloonPath(int W, int H);

    struct Entry
    {
        QPointer<QWidget> tool;
        TipToolInfo info;
    };
    std::map<QWidget *, Entry> m_mapTools;
};
