#pragma once
// Step 4: the brake and the four stop modes.
#include "wizard/WizardStepPage.h"

class QCheckBox;

class CDlgSetUpWizardChildFive : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 283 };
    explicit CDlgSetUpWizardChildFive(QWidget *pParent = nullptr);

    QCheckBox *m_chkBrake;     // 1134
    QGroupBox *m_boxes[4];     // 2168, 2169, 2177, 2184
    QComboBox *m_combos[4];    // 1998, 1999, 2000, 2001

protected:
    bool StoresEntries() const override { return true; }
    std::vector<wizard::StepEntry> Entries() const override;
};
