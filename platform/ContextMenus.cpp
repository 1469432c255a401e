#include "ContextMenus.h"

#include "CommandId.h"
#include "LanguageConf.h"

#include <QMenu>

#include <map>
#include <mutex>

namespace platform {

namespace {
struct Registered
{
    int resId = 0;
    std::vector<ContextMenuItem> items;
};
std::mutex g_lock;
std::map<QString, Registered> g_menus;
}

void AddContextMenu(const QString &name, int resId, const std::vector<ContextMenuItem> &items)
{
    std::lock_guard lock(g_lock);
    g_menus[name] = {resId, items};
}

int ContextMenuResId(const QString &name)
{
    std::lock_guard lock(g_lock);
    const auto it = g_menus.find(name);
    return it == g_menus.end() ? 0 : it->second.resId;
}

QMenu *CreateContextMenu(const QString &name, QWidget *parent)
{
    Registered menu;
    {
        std::lock_guard lock(g_lock);
        const auto it = g_menus.find(name);
        if (it == g_menus.end())
            return nullptr;
        menu = it->second;
    }
    auto *m = new QMenu(parent);
    for (const ContextMenuItem &item : menu.items)
        SetCommandId(m->addAction(TrText(item.text)), item.commandId);
    return m;
}

void ClearContextMenus()
{
    std::lock_guard lock(g_lock);
    g_menus.clear();
}

}
