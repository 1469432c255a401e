#pragma once
// Context menus registered by name, built on demand with their items' command ids (the
// framework's context-menu manager). A chosen item goes to the owner as WM_COMMAND through
// ShowPopupMenu.
#include <QString>
#include <QStringList>

#include <vector>

class QMenu;
class QWidget;

namespace platform {

struct ContextMenuItem
{
    QString text;
    int commandId = 0;
};

// Registers (or replaces) the menu under `name`, with its resource id.
void AddContextMenu(const QString &name, int resId, const std::vector<ContextMenuItem> &items);
// The resource id registered under `name`; 0 when none is.
int ContextMenuResId(const QString &name);
// A new menu with the registered items, owned by `parent`, their texts (source texts) in the
// language of the moment; null when nothing is registered.
QMenu *CreateContextMenu(const QString &name, QWidget *parent);
// Forgets every registration (tests).
void ClearContextMenus();

}
