#include "wizard/DlgSetUpWizardChildFive.h"

#include "platform/ControlId.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLayout>

CDlgSetUpWizardChildFive::CDlgSetUpWizardChildFive(QWidget *pParent)
    : CWizardStepPage(IDD, 4, QStringLiteral("停机设定"), 1179, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildFive");
    QWidget *s = AddStep();
    QGroupBox *brake = WizardGroupBox(s, 2167, QStringLiteral("抱闸设置"));
    m_chkBrake = new QCheckBox(QStringLiteral("开启抱闸（默认DO3）"), brake);
    platform::SetCtrlId(m_chkBrake, 1134);
    brake->layout()->addWidget(m_chkBrake);
    const QString free = QStringLiteral("0-自由停机, 保持自由运行状态");
    struct Row
    {
        int box, combo;
        const char16_t *caption;
        QStringList items;
    };
    const Row rows[4] = {
        {2168, 1998, u"伺服OFF停机方式选择",
         {free, QStringLiteral("1-零速停机, 保持自由运行状态"), QStringLiteral("2-零速停机, 保持DB状态"), QStringLiteral("3-DB停机, 保持DB状态")}},
        {2169, 1999, u"故障NO.2停机方式选择",
         {free, QStringLiteral("1-零速停机, 保持自由运行状态"), QStringLiteral("2-零速停机, 保持DB状态"), QStringLiteral("3-DB停机, 保持DB状态"),
          QStringLiteral("4-DB停机, 保持自由运行状态")}},
        {2177, 2000, u"超程停机方式选择",
         {free, QStringLiteral("1-零速停机, 位置保持锁定状态"), QStringLiteral("2-零速停机, 保持自由运行状态")}},
        {2184, 2001, u"故障NO.1停机方式选择",
         {free, QStringLiteral("1-DB停机, 保持自由运行状态"), QStringLiteral("2-DB停机, 保持DB状态")}},
    };
    for (int i = 0; i < 4; ++i) {
        m_boxes[i] = WizardGroupBox(s, rows[i].box, QString::fromUtf16(rows[i].caption));
        m_combos[i] = WizardCombo(m_boxes[i], rows[i].combo, rows[i].items);
    }
}

std::vector<wizard::StepEntry> CDlgSetUpWizardChildFive::Entries() const
{
    std::array<wizard::StopChoice, 4> choices;
    for (int i = 0; i < 4; ++i)
        choices[size_t(i)] = {m_boxes[i]->title(), m_combos[i]->currentText()};
    return wizard::StopEntries(m_chkBrake->isChecked(), m_chkBrake->text(), choices);
}
