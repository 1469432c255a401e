#pragma once
// The setup wizard page: seven step buttons, the current step page, the overview grid of the
// recipe that the steps fill, and "写入", which writes the recipe to the drive on a worker.
#include "DialogExMid.h"
#include "wizard/WizardRecipe.h"
#include "wizard/WizardStepPage.h"

#include "platform/PageWorker.h"

#include <QList>

#include <memory>
#include <vector>

class CColorGridCtrl;
class QPushButton;

class CDlgSetupWizard : public CDialogExMid, public IRecipeSink
{
    Q_OBJECT
public:
    enum { IDD = 278, IDC_SAVE = 2029, IDC_WRITE = 2062 };
    static constexpr int kStepButtonIds[7] = {2157, 2158, 1179, 1180, 1181, 1182, 1183};

    CDlgSetupWizard();
    ~CDlgSetupWizard() override;

    bool OnInitDialog() override;
    // The step buttons' pictures and the recipe's rows in the current language too.
    bool TranslateControls() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void SwitchToPage(int step);
    void RepositionControls();
    void InitRecipeGrid();
    void RefreshRecipeGrid();
    void RemoveRecipeEntries(const QString &group) override;
    void AddRecipeEntry(const QString &group, const QString &code, const QString &text, const QString &value) override;
    // "写入": the write list from the recipe, then the write.
    void OnWriteRecipe();
    void StartRecipeWrite();
    // True while a write worker runs.
    bool IsWriting() const;

    int m_nStep = 0;
    CWizardStepPage *m_pPage = nullptr;
    CColorGridCtrl *m_pGrid = nullptr;
    CWizardRecipe m_recipe;
    RecipeWriteList m_writeList;
    QPushButton *m_btnSteps[7] = {};
    QPushButton *m_btnSave = nullptr;
    QPushButton *m_btnWrite = nullptr;

private:
    // Gives the project the values the drive acknowledged.
    void ApplyAcknowledged(const QList<CDBDataParameter> &records);

    std::vector<std::unique_ptr<platform::PageWorker>> m_workers;
};
