#include "wizard/DlgSetUpWizardChild7A.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

CDlgSetUpWizardChild7A::CDlgSetUpWizardChild7A(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChild7A");
    auto *grid = new QGridLayout(this);
    const QStringList rows = {
        QStringLiteral("DI1 9"),          QStringLiteral("DI2 10"),         QStringLiteral("DI3 34"),
        QStringLiteral("DI4 8"),          QStringLiteral("DI5 33"),         QStringLiteral("DI8 30"),
        QStringLiteral("DI9 12"),         QStringLiteral("7 DO1+\n6 DO1-"), QStringLiteral("5 DO1+\n4 DO1-"),
        QStringLiteral("3 DO1+\n2 DO1-"), QStringLiteral("1 DO4+\n26 DO4-"), QStringLiteral("28 DO5+\n27 DO5-"),
    };
    for (int r = 0; r < rows.size(); ++r) {
        grid->addWidget(new QLabel(rows[r], this), r, 0);
        for (int c = 0; c < 2; ++c) {
            auto *combo = new QComboBox(this);
            grid->addWidget(combo, r, 1 + c);
            m_combos.append(combo);
        }
    }
}

bool CDlgSetUpWizardChild7A::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    for (QComboBox *c : m_combos) {
        c->clear();
        c->addItem(QStringLiteral("1"));
        c->setCurrentIndex(0);
    }
    return true;
}
