#pragma once
// The common frame of the setup wizard's step pages: the bold title, sub-steps shown one group
// of controls at a time with "< 上一步" and "下一步 >", and "应用", which stores the page's
// entries in the wizard's recipe under the page's fixed group name and asks for the next step.
#include "DialogExMid.h"
#include "wizard/WizardSteps.h"

#include <QFont>
#include <QLabel>

#include <vector>

class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

// Where the pages put their entries: the wizard.
class IRecipeSink
{
public:
    virtual ~IRecipeSink() = default;
    virtual void RemoveRecipeEntries(const QString &group) = 0;
    virtual void AddRecipeEntry(const QString &group, const QString &code, const QString &text, const QString &value) = 0;
};

// The pages' shared fonts.
class CDlgSetUpFont
{
public:
    CDlgSetUpFont();
    QFont m_fontTitle;  // bold, height 20
};

class CWizardStepPage : public CDialogExMid, public CDlgSetUpFont
{
    Q_OBJECT
public:
    enum { IDC_TITLE = 2160, IDC_PREV = 2170, IDC_NEXT = 2139 };

    // `title` is the page's caption (translated for display); `groupIndex` the recipe group it
    // fills, by its fixed name; `applyId` the id of its "应用" button.
    CWizardStepPage(int nIDTemplate, int groupIndex, const QString &title, int applyId, QWidget *pParent = nullptr);

    bool OnInitDialog() override;
    // The schematics' captions are drawn into their pictures: drawn again in the current language.
    bool TranslateControls() override;

    int Step() const { return m_nStep; }
    void OnPrevStep();
    void OnNextStep();
    void ShowStepControls();
    // "应用": the page's entries into its recipe group, then UM_WIZARD_NEXT_PAGE to the wizard.
    virtual void OnApply();

    QPushButton *PrevButton() const { return m_btnPrev; }
    QPushButton *NextButton() const { return m_btnNext; }
    QPushButton *ApplyButton() const { return m_btnApply; }
    QLabel *Title() const { return m_pTitle; }
    QWidget *StepPanel(int step) const { return m_steps.at(size_t(step)); }
    int StepCount() const { return int(m_steps.size()); }

protected:
    // A new container for the controls of the next sub-step (pages without sub-steps have one).
    QWidget *AddStep();
    virtual int LastStep() const { return StepCount() - 1; }
    virtual int NextStep(int step) const { return qMin(step + 1, LastStep()); }
    virtual int PrevStep(int step) const { return qMax(step - 1, 0); }
    virtual void OnStepChanged() {}
    // The page's entries; pages that store none return nothing and don't touch their group.
    virtual bool StoresEntries() const { return false; }
    virtual std::vector<wizard::StepEntry> Entries() const { return {}; }
    IRecipeSink *Sink() const;

    int m_nStep = 0;
    int m_nGroupIndex = 0;
    QLabel *m_pTitle = nullptr;
    QPushButton *m_btnPrev = nullptr;
    QPushButton *m_btnNext = nullptr;
    QPushButton *m_btnApply = nullptr;
    QVBoxLayout *m_pStepsLayout = nullptr;
    std::vector<QWidget *> m_steps;
};

// Controls of the pages, each given its id and added to the step container's (or box's) layout.
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QRadioButton;
// A picture static showing one of the wizard's images.
QLabel *MakeWizardPicture(QWidget *parent, int ctrlId, int image);
QGroupBox *WizardGroupBox(QWidget *step, int id, const QString &caption);
QRadioButton *WizardRadio(QWidget *box, QButtonGroup *group, int id, const QString &caption);
QLabel *WizardLabel(QWidget *parent, int id, const QString &text);
// A combo box with the items, the first selected.
QComboBox *WizardCombo(QWidget *parent, int id, const QStringList &items);
// The checked button of the array and its caption; index -1 when none is checked.
wizard::Choice ChosenRadio(QRadioButton *const *buttons, int n);
