#pragma once
// Step 6: hardware, virtual or both kinds of DI/DO, then their panels. "应用" only tells the
// user what to do with the recipe.
#include "wizard/WizardStepPage.h"

class CDlgSetUpWizardChild7A;
class CDlgSetUpWizardChild7B;
class QRadioButton;

class CDlgSetUpWizardChildSeven : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 285 };
    explicit CDlgSetUpWizardChildSeven(QWidget *pParent = nullptr);
    bool OnInitDialog() override;
    void OnApply() override;

    // 0 hardware (2272), 1 virtual (2273), 2 both (2126).
    int Choice() const;

    QRadioButton *m_radChoice[3];
    CDlgSetUpWizardChild7A *m_pPanelA;
    CDlgSetUpWizardChild7B *m_pPanelB;

protected:
    int LastStep() const override { return wizard::SignalLastStep(Choice()); }
    void OnStepChanged() override;
};
