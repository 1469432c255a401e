#include "PopupMenu.h"

#include "platform/CommandId.h"
#include "platform/Messages.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <vector>

namespace {

void HookUpdates(QWidget *owner, QMenu *menu, std::vector<QMetaObject::Connection> &hooks)
{
    QPointer<QWidget> target = owner;
    hooks.push_back(QObject::connect(menu, &QMenu::aboutToShow, menu, [target, menu] {
        if (target)
            platform::SendMessage(target.data(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    }));
    for (QAction *a : menu->actions())
        if (QMenu *sub = a->menu())
            HookUpdates(owner, sub, hooks);
}

}

QPoint PopupMenuPosition(const QPoint &at, int menuHeight, const QRect &workArea)
{
    const int bottom = workArea.y() + workArea.height();
    if (at.y() < menuHeight && menuHeight > bottom - at.y())
        return QPoint(at.x(), bottom - menuHeight);
    return at;
}

bool ShowPopupMenu(QWidget *owner, QMenu *menu, int x, int y)
{
    if (!menu)
        return false;
    // Hooked for this opening only: the caller may open the same menu again.
    std::vector<QMetaObject::Connection> hooks;
    HookUpdates(owner, menu, hooks);
    QScreen *screen = QGuiApplication::screenAt(QPoint(x, y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect();
    const QPoint at = PopupMenuPosition(QPoint(x, y), menu->sizeHint().height(), work);
    QPointer<QWidget> target = owner;
    QAction *chosen = menu->exec(at);
    for (const auto &c : hooks)
        QObject::disconnect(c);
    if (chosen && target) {
        const int id = platform::GetCommandId(chosen);
        if (id != 0)
            platform::SendMessage(target.data(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
    return true;
}
