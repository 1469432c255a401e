#include "wizard/WizardStepPage.h"

#include "wizard/WizardPictures.h"
#include "wizard/WizardRecipe.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDlgSetUpFont::CDlgSetUpFont()
{
    m_fontTitle.setStyleHint(QFont::SansSerif);
    m_fontTitle.setFamilies({QStringLiteral("futura"), QStringLiteral("Sans Serif")});
    m_fontTitle.setPixelSize(20);
    m_fontTitle.setWeight(QFont::Bold);
}

CWizardStepPage::CWizardStepPage(int nIDTemplate, int groupIndex, const QString &title, int applyId, QWidget *pParent)
    : CDialogExMid(nIDTemplate, pParent), m_nGroupIndex(groupIndex)
{
    auto *outer = new QVBoxLayout(this);
    m_pTitle = new QLabel(title, this);
    platform::SetCtrlId(m_pTitle, IDC_TITLE);
    outer->addWidget(m_pTitle);
    m_pStepsLayout = new QVBoxLayout;
    outer->addLayout(m_pStepsLayout, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnPrev = new QPushButton(QStringLiteral("< 上一步"), this);
    platform::SetCtrlId(m_btnPrev, IDC_PREV);
    m_btnNext = new QPushButton(QStringLiteral("下一步 >"), this);
    platform::SetCtrlId(m_btnNext, IDC_NEXT);
    m_btnApply = new QPushButton(QStringLiteral("应用"), this);
    platform::SetCtrlId(m_btnApply, applyId);
    buttons->addWidget(m_btnPrev);
    buttons->addWidget(m_btnNext);
    buttons->addWidget(m_btnApply);
    outer->addLayout(buttons);
    connect(m_btnPrev, &QPushButton::clicked, this, [this] { OnPrevStep(); });
    connect(m_btnNext, &QPushButton::clicked, this, [this] { OnNextStep(); });
    connect(m_btnApply, &QPushButton::clicked, this, [this] { OnApply(); });
}

QWidget *CWizardStepPage::AddStep()
{
    auto *panel = new QWidget(this);
    new QVBoxLayout(panel);
    m_pStepsLayout->addWidget(panel);
    m_steps.push_back(panel);
    return panel;
}

bool CWizardStepPage::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    RedrawWizardImages(this);
    return ok;
}

bool CWizardStepPage::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pTitle->setFont(m_fontTitle);
    ShowStepControls();
    return true;
}

void CWizardStepPage::OnPrevStep()
{
    m_nStep = PrevStep(m_nStep);
    ShowStepControls();
}

void CWizardStepPage::OnNextStep()
{
    m_nStep = NextStep(m_nStep);
    ShowStepControls();
}

void CWizardStepPage::ShowStepControls()
{
    const bool subSteps = StepCount() > 1;
    for (int i = 0; i < StepCount(); ++i)
        m_steps[size_t(i)]->setVisible(i == m_nStep);
    m_btnPrev->setVisible(subSteps);
    m_btnNext->setVisible(subSteps && m_nStep != LastStep());
    m_btnPrev->setEnabled(m_nStep != 0);
    m_btnApply->setVisible(!subSteps || m_nStep == LastStep());
    OnStepChanged();
}

IRecipeSink *CWizardStepPage::Sink() const
{
    return dynamic_cast<IRecipeSink *>(parentWidget());
}

void CWizardStepPage::OnApply()
{
    IRecipeSink *sink = Sink();
    if (StoresEntries() && sink) {
        // The fixed group name, not the translated title, so the recipe fills in any language.
        const QString group = WizardGroupNames()[size_t(m_nGroupIndex)];
        sink->RemoveRecipeEntries(group);
        for (const wizard::StepEntry &e : Entries())
            sink->AddRecipeEntry(group, e.code, e.text, e.value);
    }
    if (auto *target = dynamic_cast<platform::MessageTarget *>(parentWidget()))
        platform::SendMessage(platform::WindowRef(target), UM_WIZARD_NEXT_PAGE, 0, 0);
}

QLabel *MakeWizardPicture(QWidget *parent, int ctrlId, int image)
{
    auto *label = new QLabel(parent);
    platform::SetCtrlId(label, ctrlId);
    SetWizardImage(label, image);
    return label;
}

QGroupBox *WizardGroupBox(QWidget *step, int id, const QString &caption)
{
    auto *box = new QGroupBox(caption, step);
    platform::SetCtrlId(box, id);
    new QVBoxLayout(box);
    step->layout()->addWidget(box);
    return box;
}

QRadioButton *WizardRadio(QWidget *box, QButtonGroup *group, int id, const QString &caption)
{
    auto *r = new QRadioButton(caption, box);
    platform::SetCtrlId(r, id);
    box->layout()->addWidget(r);
    if (group)
        group->addButton(r);
    return r;
}

QLabel *WizardLabel(QWidget *parent, int id, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    platform::SetCtrlId(label, id);
    if (parent->layout())
        parent->layout()->addWidget(label);
    return label;
}

QComboBox *WizardCombo(QWidget *parent, int id, const QStringList &items)
{
    auto *combo = new QComboBox(parent);
    platform::SetCtrlId(combo, id);
    combo->addItems(items);
    combo->setCurrentIndex(items.isEmpty() ? -1 : 0);
    if (parent->layout())
        parent->layout()->addWidget(combo);
    return combo;
}

wizard::Choice ChosenRadio(QRadioButton *const *buttons, int n)
{
    for (int i = 0; i < n; ++i)
        if (buttons[i]->isChecked())
            return {i, buttons[i]->text()};
    return {};
}
