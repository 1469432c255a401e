#include "wizard/DlgSetUpWizardChildSeven.h"

#include "wizard/DlgSetUpWizardChild7A.h"
#include "wizard/DlgSetUpWizardChild7B.h"
#include "platform/LanguageConf.h"

#include <QButtonGroup>
#include <QLayout>
#include <QRadioButton>

CDlgSetUpWizardChildSeven::CDlgSetUpWizardChildSeven(QWidget *pParent)
    : CWizardStepPage(IDD, 6, QStringLiteral("输入输出信号设定"), 1179, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildSeven");
    // Step 0 holds the choice; the later steps show the panels, which this page places itself.
    QWidget *s0 = AddStep();
    auto *g = new QButtonGroup(this);
    m_radChoice[0] = WizardRadio(s0, g, 2272, QStringLiteral("硬件DI/DO接入伺服"));
    m_radChoice[1] = WizardRadio(s0, g, 2273, QStringLiteral("虚拟DI/DO接入伺服"));
    m_radChoice[2] = WizardRadio(s0, g, 2126, QStringLiteral("硬件虚拟DI/DO接入伺服"));
    m_radChoice[0]->setChecked(true);
    AddStep();
    AddStep();
    m_pPanelA = new CDlgSetUpWizardChild7A(this);
    m_pPanelB = new CDlgSetUpWizardChild7B(this);
    m_pStepsLayout->addWidget(m_pPanelA);
    m_pStepsLayout->addWidget(m_pPanelB);
    for (QRadioButton *r : m_radChoice)
        connect(r, &QRadioButton::toggled, this, [this] { ShowStepControls(); });
}

bool CDlgSetUpWizardChildSeven::OnInitDialog()
{
    m_pPanelA->Create(this);
    m_pPanelB->Create(this);
    return CWizardStepPage::OnInitDialog();
}

int CDlgSetUpWizardChildSeven::Choice() const
{
    for (int i = 0; i < 3; ++i)
        if (m_radChoice[i]->isChecked())
            return i;
    return 0;
}

void CDlgSetUpWizardChildSeven::OnStepChanged()
{
    const char panel = wizard::SignalPanel(Choice(), m_nStep);
    m_pPanelA->setVisible(panel == 'A');
    m_pPanelB->setVisible(panel == 'B');
}

void CDlgSetUpWizardChildSeven::OnApply()
{
    ShowBCGMessageBox(this,
                      platform::TrText(QStringLiteral("参数配方已生成，请在'参数一览'确认参数无误后：点击'保存'保存配方至本地;点击'下载'下载配方至驱动器;")),
                      QString(), MB_OK);
}
