#pragma once
// Step 3: a guide through the divided (encoder) output settings. It stores nothing.
#include "wizard/WizardStepPage.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

class CDlgSetUpWizardChildFour : public CWizardStepPage
{
    Q_OBJECT
public:
    enum { IDD = 282 };
    explicit CDlgSetUpWizardChildFour(QWidget *pParent = nullptr);

    QCheckBox *m_chkDivided;       // 2185 "使用分频输出"
    QRadioButton *m_radSource[2];  // 2186, 2187
    QPushButton *m_btnSmallApply;  // 2192

private:
    void EnableDividedControls();
};
