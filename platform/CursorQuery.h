#pragma once
// Where the mouse is and which of our windows lies under it. Controls that track the cursor
// ask here, so that tests can stand in for a mouse that the offscreen platform lacks.
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace platform {

QPoint GetCursorPos();
// The widget of ours under the screen point (the deepest child), or nullptr.
QWidget *WindowFromPoint(const QPoint &global);

// Tests: while this lives, the cursor is at `pos` and the widget under it is `under` (which
// may be null or go away), whatever the real mouse does.
class ScopedCursorStub
{
public:
    ScopedCursorStub(const QPoint &pos, QWidget *under);
    ~ScopedCursorStub();
    ScopedCursorStub(const ScopedCursorStub &) = delete;
    ScopedCursorStub &operator=(const ScopedCursorStub &) = delete;

    void Set(const QPoint &pos, QWidget *under);
};

}
