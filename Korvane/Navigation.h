#pragma once
// The home page: project shortcuts and the recent-projects list.
#include "TabDialog.h"

class CNavigation : public CTabDialog
{
    Q_OBJECT
public:
    static constexpr int IDD = 102;
    static constexpr int IDC_NEW_PROJECT = 1055;
    static constexpr int IDC_OPEN_PROJECT = 1056;
    static constexpr int IDC_CLOSE_HOME_AFTER_OPEN = 1057;
    static constexpr int IDC_SHOW_HOME_AT_START = 1058;
    static constexpr int IDC_RECENT_PROJECTS = 1059;

    explicit CNavigation(QWidget *pParent = nullptr);
};
