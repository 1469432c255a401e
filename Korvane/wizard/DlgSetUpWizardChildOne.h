#pragma once
// Step 0: the encoder type, its absolute mode (24-bit encoders only) and the direction.
#include "wizard/WizardStepPage.h"

class QRadioButton;

class CDlgSetUpWizardChildOne : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 279 };
    explicit CDlgSetUpWizardChildOne(QWidget *pParent = nullptr);

    QRadioButton *m_radType[3];       // 2161 17-bit, 2162 23-bit, 2163 24-bit
    QRadioButton *m_radMode[3];       // 2164, 2165, 2166
    QRadioButton *m_radDirection[2];  // 2126 CCW, 2127 CW

protected:
    int NextStep(int step) const override;
    int PrevStep(int step) const override;
    bool StoresEntries() const override { return true; }
    std::vector<wizard::StepEntry> Entries() const override;
};
