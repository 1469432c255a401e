#include "Wnds/Params/DlgParamUploadList.h"

#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"

#include <QListWidget>
#include <QPushButton>

#include <mutex>

namespace {

std::mutex g_runnerLock;
CDlgParamUploadList::Runner &RunnerSlot()
{
    static CDlgParamUploadList::Runner runner;
    return runner;
}

}

CDlgParamUploadList::CDlgParamUploadList(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgParamUploadList");
    setWindowTitle(QStringLiteral("功能码组列表"));
    resize(MapDialogRect(QRect(0, 0, 260, 200)).size());
    m_pList = new QListWidget(this);
    platform::SetCtrlId(m_pList, IDC_LIST);
    m_pList->setGeometry(MapDialogRect(QRect(7, 7, 246, 162)));
    m_btnOk = new QPushButton(QStringLiteral("确定"), this);
    platform::SetCtrlId(m_btnOk, IDOK);
    m_btnOk->setGeometry(MapDialogRect(QRect(140, 176, 50, 16)));
    m_btnCancel = new QPushButton(QStringLiteral("返回"), this);
    platform::SetCtrlId(m_btnCancel, IDCANCEL);
    m_btnCancel->setGeometry(MapDialogRect(QRect(200, 176, 50, 16)));
    connect(m_btnOk, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

QString CDlgParamUploadList::LineText(int position, const CDBDataParameter &param)
{
    return QStringLiteral("【%1】【%2】 【%3】")
        .arg(position, 3, 10, QLatin1Char('0'))
        .arg(param.sNum, platform::TrText(param.sName));
}

bool CDlgParamUploadList::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pList->clear();
    for (int i = 0; i < m_arrParameter.size(); ++i)
        m_pList->addItem(LineText(i + 1, m_arrParameter[i]));
    if (m_arrParameter.isEmpty())
        setWindowTitle(windowTitle() + QStringLiteral("     ") + platform::TrSection(m_strLangSection, QStringLiteral("当前没有选择参数!")));
    return true;
}


int CDlgParamUploadList::Run()
{
    Runner runner;
    {
        std::lock_guard lock(g_runnerLock);
        runner = RunnerSlot();
    }
    if (runner) {
        OnInitDialog();
        return runner(*this);
    }
    return DoModal();
}

CDlgParamUploadList::Runner CDlgParamUploadList::SetRunner(Runner runner)
{
    std::lock_guard lock(g_runnerLock);
    Runner previous = std::move(RunnerSlot());
    RunnerSlot() = std::move(runner);
    return previous;
}
