#include "platform/ControlId.h"

#include <QVariant>
#include <QWidget>

namespace platform {

namespace {
constexpr const char *kCtrlIdProperty = "ctrlId";
}

void SetCtrlId(QWidget *w, int id)
{
    if (w)
        w->setProperty(kCtrlIdProperty, id);
}

int GetCtrlId(const QWidget *w)
{
    if (!w)
        return kNoCtrlId;
    const QVariant v = w->property(kCtrlIdProperty);
    return v.isValid() ? v.toInt() : kNoCtrlId;
}

QWidget *FindCtrl(QWidget *parent, int id)
{
    if (!parent)
        return nullptr;
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w)
            continue;
        if (GetCtrlId(w) == id)
            return w;
        if (QWidget *found = FindCtrl(w, id))
            return found;
    }
    return nullptr;
}

}
