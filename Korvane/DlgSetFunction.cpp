#include "DlgSetFunction.h"

#include "AppFlags.h"
#include "DialogExMid.h"
#include "platform/ControlId.h"

#include <QCheckBox>

CDlgSetFunction::CDlgSetFunction(QWidget *pParent) : CBCGPPropertyPageEx(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetFunction");
    setWindowTitle(QStringLiteral("参数设置"));
    m_chkEnterWrites = new QCheckBox(QStringLiteral("回车是否写入驱动器"), this);
    platform::SetCtrlId(m_chkEnterWrites, IDC_ENTER_WRITES);
    m_chkEnterWrites->setGeometry(CDialogExMid::MapDialogRect(QRect(20, 20, 200, 12)));
    m_chkDanger = new QCheckBox(QStringLiteral("显示危险提示窗口"), this);
    platform::SetCtrlId(m_chkDanger, IDC_DANGER);
    m_chkDanger->setGeometry(CDialogExMid::MapDialogRect(QRect(20, 40, 200, 12)));
    connect(m_chkEnterWrites, &QCheckBox::clicked, this, [this] { OnEnterWrites(); });
    connect(m_chkDanger, &QCheckBox::clicked, this, [this] { OnDanger(); });
}

bool CDlgSetFunction::OnInitDialog()
{
    CBCGPPropertyPageEx::OnInitDialog();
    const CAppFlags *flags = GetAppFlags();
    m_chkEnterWrites->setChecked(flags->m_bIsEnterWriteDriver);
    m_chkDanger->setChecked(flags->m_bIsDangerWnd);
    return true;
}

void CDlgSetFunction::OnEnterWrites()
{
    GetAppFlags()->m_bIsEnterWriteDriver = m_chkEnterWrites->isChecked() ? TRUE : FALSE;
}

void CDlgSetFunction::OnDanger()
{
    CAppFlags *flags = GetAppFlags();
    const BOOL on = m_chkDanger->isChecked() ? TRUE : FALSE;
    flags->m_bIsDangerWnd = on;
    // Turning the prompt off means "never again" for every aid; turning it on asks again.
    flags->m_bIsDangerJogMoveWnd = on ? FALSE : TRUE;
    flags->m_bIsDangerInertiaWnd = on ? FALSE : TRUE;
    flags->m_bIsDangerAnalyseWnd = on ? FALSE : TRUE;
}
