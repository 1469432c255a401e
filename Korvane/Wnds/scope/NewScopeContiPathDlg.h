#pragma once
// The folder of the continuous (roll) recordings: shown as text and as a folder tree, stored
// in scope.ini by "设 定" (the dialog stays open), closed by "关 闭".
#include "DialogExMid.h"

class CDirTreeCtrl;
class QLineEdit;

class CNewScopeContiPathDlg : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 197;
    static constexpr int IDC_PATH = 1094;
    static constexpr int IDC_TREE = 1096;

    explicit CNewScopeContiPathDlg(QWidget *pParent = nullptr);

    bool OnInitDialog() override;
    // "设 定": stores the folder; the dialog stays open.
    void OnOK() override;

    QLineEdit *PathEdit() const { return m_edit; }
    CDirTreeCtrl *Tree() const { return m_tree; }

    QString m_strPath;
    // Set by "设 定": the folder last stored, for the running settings.
    bool m_bStored = false;
    QString m_strStored;

private:
    void OnTreeSelChanged();

    QLineEdit *m_edit = nullptr;
    CDirTreeCtrl *m_tree = nullptr;
};
