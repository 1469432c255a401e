#include "Wnds/Params/DlgParamAddToUser.h"

#include "DlgDesktop.h"
#include "SYSPARAM/SysParam.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QListWidget>
#include <QPushButton>

CDlgParamAddToUser::CDlgParamAddToUser(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgParamAddToUser");
    setWindowTitle(QStringLiteral("添加参数到自定义分组"));
    resize(MapDialogRect(QRect(0, 0, 200, 180)).size());
    m_listGroups = new QListWidget(this);
    platform::SetCtrlId(m_listGroups, IDC_GROUPS);
    m_listGroups->setGeometry(MapDialogRect(QRect(7, 7, 186, 145)));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(86, 159, 50, 14)));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(143, 159, 50, 14)));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgParamAddToUser::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_listGroups->clear();
    if (const CSysParam *sys = GetSysParam()) {
        for (const CGroupsUser &g : sys->m_arrGroupsUser) {
            auto *item = new QListWidgetItem(g.sGroupName, m_listGroups);
            item->setSizeHint(QSize(0, 25));
        }
    }
    if (m_listGroups->count() > 0)
        m_listGroups->setCurrentRow(0);
    return true;
}

void CDlgParamAddToUser::OnOK()
{
    if (const QListWidgetItem *item = m_listGroups->currentItem(); item && item->isSelected())
        m_strGroupName = item->text();
    if (m_strGroupName.isEmpty()) {
        ShowDesktopAlert(1, TrSection(m_strLangSection, QStringLiteral("请选择一个自定义分组！")), RGB(255, 0, 0), this);
        return;
    }
    CDialogExMid::OnOK();
}
