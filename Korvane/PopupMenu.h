#pragma once
// Context menus opened inside the screen's work area, their items updated by the owner before
// they open, and the chosen command sent to the owner.
#include <QPoint>
#include <QRect>

class QMenu;
class QWidget;

// Opens the menu at the screen point and waits for the choice: each pop-up sends
// WM_INITMENUPOPUP (wParam the QMenu*) to the owner before it opens, and a chosen item with a
// command id is sent to the owner as WM_COMMAND with that id. False for a null menu.
bool ShowPopupMenu(QWidget *owner, QMenu *menu, int x, int y);

// Where a menu of the given height opens when asked for at `at`: a menu asked for near the top
// that is taller than the room below moves up until its bottom meets the work area's.
QPoint PopupMenuPosition(const QPoint &at, int menuHeight, const QRect &workArea);
