#include "wizard/DlgSetUpWizardChild7B.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

CDlgSetUpWizardChild7B::CDlgSetUpWizardChild7B(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChild7B");
    auto *grid = new QGridLayout(this);
    for (int r = 0; r < 18; ++r) {
        auto *label = new QLabel(this);
        grid->addWidget(label, r, 0);
        m_labels.append(label);
        for (int c = 0; c < 2; ++c) {
            auto *combo = new QComboBox(this);
            grid->addWidget(combo, r, 1 + c);
            m_combos.append(combo);
        }
    }
}

bool CDlgSetUpWizardChild7B::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    for (int r = 0; r < 18; ++r)
        m_labels[r]->setText(r < 9 ? QStringLiteral("VDI%1").arg(r + 1) : QStringLiteral("VDO%1").arg(r - 8));
    return true;
}
