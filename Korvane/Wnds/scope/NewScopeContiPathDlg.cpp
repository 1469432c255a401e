#include "Wnds/scope/NewScopeContiPathDlg.h"

#include "LangText.h"
#include "Wnds/scope/ScopeConfig.h"
#include "controls/DirTreeCtrl.h"
#include "platform/ControlId.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

CNewScopeContiPathDlg::CNewScopeContiPathDlg(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CNewScopeContiPathDlg");
    setWindowTitle(QStringLiteral("连续采样文件路径设置"));
    resize(MapDialogRect(QRect(0, 0, 239, 170)).size());
    m_edit = new QLineEdit(this);
    platform::SetCtrlId(m_edit, IDC_PATH);
    m_edit->setGeometry(MapDialogRect(QRect(7, 7, 225, 14)));
    m_tree = new CDirTreeCtrl(this);
    platform::SetCtrlId(m_tree, IDC_TREE);
    m_tree->setGeometry(MapDialogRect(QRect(7, 26, 225, 115)));
    auto *set = new QPushButton(QStringLiteral("设 定"), this);
    platform::SetCtrlId(set, IDOK);
    set->setGeometry(MapDialogRect(QRect(60, 148, 50, 14)));
    auto *close = new QPushButton(QStringLiteral("关 闭"), this);
    platform::SetCtrlId(close, IDCANCEL);
    close->setGeometry(MapDialogRect(QRect(130, 148, 50, 14)));
    connect(set, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(close, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { OnTreeSelChanged(); });
}

bool CNewScopeContiPathDlg::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    const platform::IniFile ini(ScopeIniPath());
    m_strPath = platform::IniFile::NormalizePath(
        ini.Read(QStringLiteral("NewScopeFilePath"), QStringLiteral("path"), DefaultRecordingFolder()));
    m_edit->setText(m_strPath);
    m_tree->DisplayTree(QStringLiteral("/"));
    m_tree->SetSelPath(m_strPath);
    // Selecting the stored folder is no choice of the user's: the edit keeps the stored text.
    m_edit->setText(m_strPath);
    return true;
}

void CNewScopeContiPathDlg::OnTreeSelChanged()
{
    if (QTreeWidgetItem *item = m_tree->currentItem()) {
        m_strPath = m_tree->GetFullPath(item);
        m_edit->setText(m_strPath);
    }
}

void CNewScopeContiPathDlg::OnOK()
{
    m_strPath = m_edit->text();
    platform::IniFile ini(ScopeIniPath());
    ini.Write(QStringLiteral("NewScopeFilePath"), QStringLiteral("path"), m_strPath);
    if (!ini.Save()) {
        // The folder stays as it was: saying "set" here would lose the recordings elsewhere.
        ShowBCGMessageBox(this, TrText(QStringLiteral("连续采样文件夹设置失败，配置文件无法写入！")),
                          LoadLangString(QStringLiteral("IDS_NewScopeContiPathDlg_2")), MB_OK);
        return;
    }
    m_bStored = true;
    m_strStored = m_strPath;
    ShowBCGMessageBox(this, LoadLangString(QStringLiteral("IDS_NewScopeContiPathDlg_1")),
                      LoadLangString(QStringLiteral("IDS_NewScopeContiPathDlg_2")), MB_OK);
}
