#include "platform/CursorQuery.h"

#include <QApplication>
#include <QCursor>

namespace platform {

namespace {

struct Stub
{
    bool active = false;
    QPoint pos;
    QPointer<QWidget> under;
};

Stub &TheStub()
{
    static Stub stub;
    return stub;
}

}

QPoint GetCursorPos()
{
    return TheStub().active ? TheStub().pos : QCursor::pos();
}

QWidget *WindowFromPoint(const QPoint &global)
{
    if (TheStub().active)
        return TheStub().under.data();
    return QApplication::widgetAt(global);
}

ScopedCursorStub::ScopedCursorStub(const QPoint &pos, QWidget *under)
{
    Set(pos, under);
}

ScopedCursorStub::~ScopedCursorStub()
{
    TheStub() = Stub{};
}

void ScopedCursorStub::Set(const QPoint &pos, QWidget *under)
{
    TheStub().active = true;
    TheStub().pos = pos;
    TheStub().under = under;
}

}
