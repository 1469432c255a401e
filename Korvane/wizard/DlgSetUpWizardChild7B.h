#pragma once
// The virtual DI/DO panel of the signal step: VDI1..VDI9 and VDO1..VDO9, two empty lists each.
#include "DialogExMid.h"

class QComboBox;
class QLabel;

class CDlgSetUpWizardChild7B : public CDialogExMid
{
    Q_OBJECT
public:
    enum { IDD = 349 };
    explicit CDlgSetUpWizardChild7B(QWidget *pParent = nullptr);
    bool OnInitDialog() override;

    QList<QLabel *> m_labels;     // 18
    QList<QComboBox *> m_combos;  // 36
};
