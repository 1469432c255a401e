#include "platform/CommandId.h"

#include <QAction>
#include <QVariant>

namespace platform {

namespace {
constexpr const char *kCommandIdProperty = "cmdId";
}

void SetCommandId(QAction *a, int id)
{
    if (a)
        a->setProperty(kCommandIdProperty, id);
}

int GetCommandId(const QAction *a)
{
    if (!a)
        return 0;
    const QVariant v = a->property(kCommandIdProperty);
    return v.isValid() ? v.toInt() : 0;
}

void CmdUi::Enable(bool on)
{
    m_pAction->setEnabled(on);
}

void CmdUi::SetCheck(int check)
{
    m_pAction->setCheckable(true);
    m_pAction->setChecked(check != 0);
}

void CmdUi::SetText(const QString &text)
{
    m_pAction->setText(text);
}

}
