#include "wizard/DlgSetUpWizardChildSix.h"

#include "platform/ControlId.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>

CDlgSetUpWizardChildSix::CDlgSetUpWizardChildSix(QWidget *pParent)
    : CWizardStepPage(IDD, 5, QStringLiteral("制动电阻设定"), 1179, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildSix");
    QWidget *s = AddStep();
    m_chkExternal = new QCheckBox(QStringLiteral("使用外制动电阻制动(当内部制动能力不足时, 需使用外部制动电阻)"), s);
    platform::SetCtrlId(m_chkExternal, 1134);
    s->layout()->addWidget(m_chkExternal);
    m_boxMode = WizardGroupBox(s, 2168, QStringLiteral("外置电阻工作模式"));
    m_cmbMode = WizardCombo(m_boxMode, 1998, {QStringLiteral("1-使用外接制动电阻并且自然冷却"), QStringLiteral("2-使用外接制动电阻并且强迫风冷")});
    m_boxPower = WizardGroupBox(s, 2169, QStringLiteral("电阻功率"));
    m_editPower = new QLineEdit(m_boxPower);
    platform::SetCtrlId(m_editPower, 1110);
    m_boxPower->layout()->addWidget(m_editPower);
    WizardLabel(m_boxPower, platform::kNoCtrlId, QStringLiteral("W(1-65535)"));
    m_boxValue = WizardGroupBox(s, 2177, QStringLiteral("电阻阻值"));
    m_editValue = new QLineEdit(m_boxValue);
    platform::SetCtrlId(m_editValue, 1111);
    m_boxValue->layout()->addWidget(m_editValue);
    WizardLabel(m_boxValue, platform::kNoCtrlId, QStringLiteral("Ω(1-1000)"));
    s->layout()->addWidget(MakeWizardPicture(s, 1081, 324));
    connect(m_chkExternal, &QCheckBox::clicked, this, [this] { EnableResistorControls(); });
    EnableResistorControls();
}

void CDlgSetUpWizardChildSix::EnableResistorControls()
{
    const bool on = m_chkExternal->isChecked();
    m_cmbMode->setEnabled(on);
    m_editPower->setEnabled(on);
    m_editValue->setEnabled(on);
}

std::vector<wizard::StepEntry> CDlgSetUpWizardChildSix::Entries() const
{
    wizard::ResistorChoice c;
    c.useExternal = m_chkExternal->isChecked();
    c.modeCaption = m_boxMode->title();
    c.modeItemText = m_cmbMode->currentText();
    c.powerCaption = m_boxPower->title();
    c.powerText = m_editPower->text();
    c.resistanceCaption = m_boxValue->title();
    c.resistanceText = m_editValue->text();
    return wizard::ResistorEntries(c);
}
