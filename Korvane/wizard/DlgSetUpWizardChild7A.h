#pragma once
// The hardware DI/DO panel of the signal step: a row per terminal with two choice lists.
#include "DialogExMid.h"

class QComboBox;

class CDlgSetUpWizardChild7A : public CDialogExMid
{
    Q_OBJECT
public:
    enum { IDD = 348 };
    explicit CDlgSetUpWizardChild7A(QWidget *pParent = nullptr);
    bool OnInitDialog() override;

    QList<QComboBox *> m_combos;  // 24: two per row
};
