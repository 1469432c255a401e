#pragma once
// Menu commands by numeric id, and the state a window's command-update handler gives a menu
// item before its menu opens.
#include <QString>

class QAction;

namespace platform {

void SetCommandId(QAction *a, int id);
int GetCommandId(const QAction *a);  // 0 when none was set

// One menu item handed to a command-update handler.
class CmdUi
{
public:
    CmdUi(int id, QAction *action) : m_nID(id), m_pAction(action) {}
    void Enable(bool on = true);
    // 0 unchecked, 1 checked (2, indeterminate, shows as checked).
    void SetCheck(int check = 1);
    void SetText(const QString &text);

    int m_nID;
    QAction *m_pAction;
};

}
