#include "Navigation.h"

#include "platform/ControlId.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CNavigation::CNavigation(QWidget *pParent) : CTabDialog(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CNavigation");
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("文件操作"), this), 0, 0, 1, 2);
    auto *newProject = new QPushButton(QStringLiteral("新建工程"), this);
    platform::SetCtrlId(newProject, IDC_NEW_PROJECT);
    grid->addWidget(newProject, 1, 0);
    auto *openProject = new QPushButton(QStringLiteral("打开工程"), this);
    platform::SetCtrlId(openProject, IDC_OPEN_PROJECT);
    grid->addWidget(openProject, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("最近打开的工程"), this), 2, 0, 1, 2);
    auto *recent = new QListWidget(this);
    platform::SetCtrlId(recent, IDC_RECENT_PROJECTS);
    grid->addWidget(recent, 3, 0, 1, 2);
    auto *closeHome = new QCheckBox(QStringLiteral("打开项目后关闭首页"), this);
    platform::SetCtrlId(closeHome, IDC_CLOSE_HOME_AFTER_OPEN);
    grid->addWidget(closeHome, 4, 0, 1, 2);
    auto *showHome = new QCheckBox(QStringLiteral("下次启动时显示首页"), this);
    platform::SetCtrlId(showHome, IDC_SHOW_HOME_AT_START);
    grid->addWidget(showHome, 5, 0, 1, 2);
}
