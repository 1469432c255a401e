#pragma once
// Step 5: the external braking resistor.
#include "wizard/WizardStepPage.h"

class QCheckBox;
class QLineEdit;

class CDlgSetUpWizardChildSix : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 284 };
    explicit CDlgSetUpWizardChildSix(QWidget *pParent = nullptr);

    QCheckBox *m_chkExternal;  // 1134
    QGroupBox *m_boxMode;      // 2168
    QGroupBox *m_boxPower;     // 2169
    QGroupBox *m_boxValue;     // 2177
    QComboBox *m_cmbMode;      // 1998
    QLineEdit *m_editPower;    // 1110
    QLineEdit *m_editValue;    // 1111

protected:
    // Its group is emptied even when the box is not ticked.
    bool StoresEntries() const override { return true; }
    std::vector<wizard::StepEntry> Entries() const override;

private:
    void EnableResistorControls();
};
