#include "platform/ControlNotify.h"

#include "platform/ControlId.h"

#include <QWidget>

namespace platform {

LRESULT NotifyParent(QWidget *control, unsigned code)
{
    if (!control || !control->parentWidget())
        return 0;
    const auto id = static_cast<unsigned>(GetCtrlId(control));
    return SendMessage(WindowRef(static_cast<QObject *>(control->parentWidget())), WM_COMMAND,
                       MAKEWPARAM(id, code), 0);
}

}
