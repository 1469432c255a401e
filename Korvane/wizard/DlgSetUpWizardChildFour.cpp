#include "wizard/DlgSetUpWizardChildFour.h"

#include "platform/ControlId.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

CDlgSetUpWizardChildFour::CDlgSetUpWizardChildFour(QWidget *pParent)
    : CWizardStepPage(IDD, 3, QStringLiteral("分频输出设定"), 1179, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildFour");
    QWidget *s0 = AddStep();
    QGroupBox *pulses = WizardGroupBox(s0, 2167, QStringLiteral("电机每圈输出脉冲数设置"));
    auto *edit = new QLineEdit(pulses);
    platform::SetCtrlId(edit, 2189);
    pulses->layout()->addWidget(edit);
    WizardLabel(pulses, 2176, QStringLiteral("Pulse/rev[35-32767]"));
    m_chkDivided = new QCheckBox(QStringLiteral("使用分频输出"), s0);
    platform::SetCtrlId(m_chkDivided, 2185);
    s0->layout()->addWidget(m_chkDivided);
    auto *g = new QButtonGroup(this);
    m_radSource[0] = WizardRadio(s0, g, 2186, QStringLiteral("编码器分频输出"));
    m_radSource[1] = WizardRadio(s0, g, 2187, QStringLiteral("脉冲指令分频输出"));
    m_radSource[0]->setChecked(true);
    WizardLabel(s0, 2191, QStringLiteral("与单圈指令相符的分频输出"));
    auto *edit2 = new QLineEdit(s0);
    platform::SetCtrlId(edit2, 2193);
    s0->layout()->addWidget(edit2);
    WizardLabel(s0, 2177, QStringLiteral("Pulse/rev"));
    m_btnSmallApply = new QPushButton(QStringLiteral("应用"), s0);
    platform::SetCtrlId(m_btnSmallApply, 2192);
    s0->layout()->addWidget(m_btnSmallApply);
    s0->layout()->addWidget(MakeWizardPicture(s0, 2188, 325));

    QWidget *s1 = AddStep();
    QGroupBox *phase = WizardGroupBox(s1, 2168, QStringLiteral("脉冲相位输出设定"));
    // Neither is chosen until the user picks one.
    auto *g1 = new QButtonGroup(this);
    g1->setExclusive(true);
    WizardRadio(phase, g1, 2196, QStringLiteral("A超前B"));
    WizardRadio(phase, g1, 2197, QStringLiteral("A滞后B"));
    phase->layout()->addWidget(MakeWizardPicture(phase, 2198, 327));
    phase->layout()->addWidget(MakeWizardPicture(phase, 2199, 328));

    connect(m_chkDivided, &QCheckBox::clicked, this, [this] { EnableDividedControls(); });
    EnableDividedControls();
}

void CDlgSetUpWizardChildFour::EnableDividedControls()
{
    const bool on = m_chkDivided->isChecked();
    m_radSource[0]->setEnabled(on);
    m_radSource[1]->setEnabled(on);
    m_btnSmallApply->setEnabled(on);
}
