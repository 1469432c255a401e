#include "JOGButton.h"

#include "platform/ControlNotify.h"

#include <QMouseEvent>

CJOGButton::CJOGButton(QWidget *parent) : CButtonST(parent) {}

void CJOGButton::mousePressEvent(QMouseEvent *e)
{
    const bool wasActive = IsPressActive();
    CButtonST::mousePressEvent(e);
    if (!wasActive && IsPressActive())
        platform::NotifyParent(this, kPressed);
}

void CJOGButton::OnPressEnd()
{
    platform::NotifyParent(this, kReleased);
}
