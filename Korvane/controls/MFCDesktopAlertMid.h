#pragma once
// The popup window type that desktop alerts are shown in.
#include "platform/PopupWindow.h"

class CMFCDesktopAlertMid : public platform::PopupWindow
{
    Q_OBJECT
public:
    using platform::PopupWindow::PopupWindow;
};
