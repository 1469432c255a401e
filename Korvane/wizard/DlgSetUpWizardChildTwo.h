#pragma once
// Step 1: the control mode, then the command source of that mode.
#include "wizard/WizardStepPage.h"

class QComboBox;

class CDlgSetUpWizardChildTwo : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 280 };
    explicit CDlgSetUpWizardChildTwo(QWidget *pParent = nullptr);

    QComboBox *m_cmbMode;      // 2173
    QComboBox *m_cmbSpeed;     // 2174
    QComboBox *m_cmbPosition;  // 2176
    QComboBox *m_cmbTorque;    // 2178
    QLabel *m_pModeLabel;      // 2172
    QLabel *m_pPicture;        // 1081
    int m_nImage = 309;        // the picture shown

protected:
    // The source step of the chosen mode ends the page: "应用" is reachable in every mode.
    int LastStep() const override;
    int NextStep(int step) const override;
    int PrevStep(int step) const override { return NextStep(step); }
    void OnStepChanged() override { UpdatePicture(); }
    bool StoresEntries() const override { return true; }
    std::vector<wizard::StepEntry> Entries() const override;

private:
    void UpdatePicture();
};
