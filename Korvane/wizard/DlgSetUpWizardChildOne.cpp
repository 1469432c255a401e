#include "wizard/DlgSetUpWizardChildOne.h"

#include "platform/ControlId.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>

CDlgSetUpWizardChildOne::CDlgSetUpWizardChildOne(QWidget *pParent)
    : CWizardStepPage(IDD, 0, QStringLiteral(" 编码器识别与设定"), 1050, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildOne");
    QWidget *s0 = AddStep();
    QGroupBox *type = WizardGroupBox(s0, 2167, QStringLiteral("编码器设定"));
    auto *gType = new QButtonGroup(this);
    m_radType[0] = WizardRadio(type, gType, 2161, QStringLiteral("17位绝对式编码器"));
    m_radType[1] = WizardRadio(type, gType, 2162, QStringLiteral("23位绝对式编码器"));
    m_radType[2] = WizardRadio(type, gType, 2163, QStringLiteral("24位绝对值编码器"));

    QWidget *s1 = AddStep();
    QGroupBox *mode = WizardGroupBox(s1, 2168, QStringLiteral("绝对编码器设定"));
    auto *gMode = new QButtonGroup(this);
    m_radMode[0] = WizardRadio(mode, gMode, 2164, QStringLiteral("增量位置模式"));
    m_radMode[1] = WizardRadio(mode, gMode, 2165, QStringLiteral("绝对位置线性模式"));
    m_radMode[2] = WizardRadio(mode, gMode, 2166, QStringLiteral("绝对位置旋转模式"));
    WizardLabel(mode, 2171, QStringLiteral("注：编码器可在0到65535范围内运行"));
    s1->layout()->addWidget(MakeWizardPicture(s1, 1082, 305));
    s1->layout()->addWidget(MakeWizardPicture(s1, 1083, 307));

    QWidget *s2 = AddStep();
    QGroupBox *dir = WizardGroupBox(s2, 2169, QStringLiteral("旋转方向选择"));
    auto *gDir = new QButtonGroup(this);
    m_radDirection[0] = WizardRadio(dir, gDir, 2126, QStringLiteral("以CCW为正转方向"));
    m_radDirection[1] = WizardRadio(dir, gDir, 2127, QStringLiteral("以CW为正转方向"));
    s2->layout()->addWidget(MakeWizardPicture(s2, 1081, 304));

    m_radType[0]->setChecked(true);
    m_radMode[0]->setChecked(true);
    m_radDirection[0]->setChecked(true);
}

int CDlgSetUpWizardChildOne::NextStep(int step) const
{
    return wizard::EncoderNextStep(step, m_radType[2]->isChecked());
}

int CDlgSetUpWizardChildOne::PrevStep(int step) const
{
    return wizard::EncoderPrevStep(step, m_radType[2]->isChecked());
}

std::vector<wizard::StepEntry> CDlgSetUpWizardChildOne::Entries() const
{
    return wizard::EncoderEntries(ChosenRadio(m_radType, 3), ChosenRadio(m_radMode, 3), ChosenRadio(m_radDirection, 2));
}
