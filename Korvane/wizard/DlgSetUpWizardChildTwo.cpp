#include "wizard/DlgSetUpWizardChildTwo.h"

#include "wizard/WizardPictures.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>

CDlgSetUpWizardChildTwo::CDlgSetUpWizardChildTwo(QWidget *pParent)
    : CWizardStepPage(IDD, 1, QStringLiteral("控制方式选择"), 1179, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildTwo");
    QWidget *s0 = AddStep();
    m_pModeLabel = WizardLabel(s0, 2172, QStringLiteral("控制模式选择"));
    m_cmbMode = WizardCombo(s0, 2173, {QStringLiteral("0-速度模式"), QStringLiteral("1-位置模式"), QStringLiteral("2-转矩模式")});
    QWidget *s1 = AddStep();
    WizardLabel(s1, 2175, QStringLiteral("速度指令来源"));
    m_cmbSpeed = WizardCombo(s1, 2174,
                             {QStringLiteral("0-主速度指令A来源"), QStringLiteral("1-辅助速度指令B来源"), QStringLiteral("2-A+B"),
                              QStringLiteral("3-A/B切换"), QStringLiteral("4-通讯给定")});
    QWidget *s2 = AddStep();
    WizardLabel(s2, 2151, QStringLiteral("主位置指令来源"));
    m_cmbPosition = WizardCombo(s2, 2176, {QStringLiteral("0-脉冲指令"), QStringLiteral("1-步进量"), QStringLiteral("2-多段位置指令")});
    QWidget *s3 = AddStep();
    WizardLabel(s3, 2152, QStringLiteral("转矩指令来源"));
    m_cmbTorque = WizardCombo(s3, 2178,
                              {QStringLiteral("0-主转矩指令A来源"), QStringLiteral("1-辅助转矩指令B来源"), QStringLiteral("2-A+B"),
                               QStringLiteral("3-A/B切换"), QStringLiteral("4-通讯给定")});
    // One picture below the steps, shown on every step.
    m_pPicture = MakeWizardPicture(this, 1081, m_nImage);
    m_pStepsLayout->addWidget(m_pPicture);
    for (QComboBox *c : {m_cmbMode, m_cmbSpeed, m_cmbPosition, m_cmbTorque})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { UpdatePicture(); });
    // The mode decides which step is the last; the buttons follow a change of it.
    connect(m_cmbMode, &QComboBox::currentIndexChanged, this, [this] { ShowStepControls(); });
}

int CDlgSetUpWizardChildTwo::NextStep(int step) const
{
    return wizard::ControlModeStep(step, m_cmbMode->currentIndex());
}

int CDlgSetUpWizardChildTwo::LastStep() const
{
    return wizard::ControlModeStep(0, m_cmbMode->currentIndex());
}

void CDlgSetUpWizardChildTwo::UpdatePicture()
{
    m_nImage = wizard::ControlModeImage(m_nStep, m_cmbMode->currentIndex(), m_cmbSpeed->currentIndex(),
                                        m_cmbPosition->currentIndex(), m_cmbTorque->currentIndex());
    SetWizardImage(m_pPicture, m_nImage);
}

std::vector<wizard::StepEntry> CDlgSetUpWizardChildTwo::Entries() const
{
    const int mode = qMax(0, m_cmbMode->currentIndex());
    const QComboBox *source = mode == 0 ? m_cmbSpeed : mode == 1 ? m_cmbPosition : m_cmbTorque;
    return wizard::ControlModeEntries(m_pModeLabel->text(), mode, source->currentText(), source->currentIndex());
}
