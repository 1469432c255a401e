#include "platform/ControlWalk.h"

#include <QFrame>
#include <QGroupBox>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

namespace platform {

namespace {

bool IsExactly(const QWidget *w, const QMetaObject &meta)
{
    return w->metaObject() == &meta;
}

void Walk(QWidget *parent, const std::function<void(QWidget *)> &visit)
{
    // A scroll area's contents live in its viewport; its scroll bars are not controls of ours.
    if (auto *area = qobject_cast<QScrollArea *>(parent)) {
        if (QWidget *viewport = area->viewport())
            Walk(viewport, visit);
        return;
    }
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow())
            continue;
        visit(w);
        if (IsPlainContainer(w))
            Walk(w, visit);
    }
}

}

bool IsPlainContainer(const QWidget *w)
{
    if (!w || w->isWindow())
        return false;
    return IsExactly(w, QWidget::staticMetaObject) || IsExactly(w, QFrame::staticMetaObject) ||
           IsExactly(w, QGroupBox::staticMetaObject) || IsExactly(w, QTabWidget::staticMetaObject) ||
           IsExactly(w, QStackedWidget::staticMetaObject) || IsExactly(w, QSplitter::staticMetaObject) ||
           IsExactly(w, QScrollArea::staticMetaObject);
}

void ForEachControl(QWidget *root, const std::function<void(QWidget *)> &visit)
{
    if (root)
        Walk(root, visit);
}

}
