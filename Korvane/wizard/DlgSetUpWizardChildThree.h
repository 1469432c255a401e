#pragma once
// Step 2: a guide through the command input settings (electronic gear, mechanism, pulse port,
// pulse form, positioning threshold). It stores nothing in the recipe.
#include "wizard/WizardStepPage.h"

#include <map>

class QGroupBox;
class QLineEdit;
class QRadioButton;

class CDlgSetUpWizardChildThree : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 281 };
    explicit CDlgSetUpWizardChildThree(QWidget *pParent = nullptr);

    // Stores the mechanism type (2212..2216) and sets the texts and pictures that follow it.
    void OnMechanismType(int buttonId);

    QRadioButton *m_radAdvanced;  // 2207 "高级设定"
    QRadioButton *m_radManual;    // 2208
    int m_nMechanismType = 2212;
    std::map<int, QLabel *> m_texts;  // the texts the mechanism type sets, by control id
    QLabel *m_pictures[3] = {};       // 2210, 2262 and step 4's mechanism picture
    QGroupBox *m_groupBox2260 = nullptr;

protected:
    int NextStep(int step) const override;
    int PrevStep(int step) const override;
};
