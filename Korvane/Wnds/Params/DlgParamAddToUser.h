#pragma once
// Picks one existing custom group; the parameter page then adds its chosen parameters to it.
#include "DialogExMid.h"

class QListWidget;

class CDlgParamAddToUser : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 242;
    enum { IDC_GROUPS = 2041 };

    explicit CDlgParamAddToUser(QWidget *pParent = nullptr);
    bool OnInitDialog() override;
    void OnOK() override;

    QListWidget *m_listGroups = nullptr;
    // The chosen group, after IDOK.
    QString m_strGroupName;
};
