#include "wizard/DlgSetupWizard.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "database/DataProject.h"
#include "grid/ColorGridCtrl.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "wizard/DlgSetUpWizardChildFive.h"
#include "wizard/DlgSetUpWizardChildFour.h"
#include "wizard/DlgSetUpWizardChildOne.h"
#include "wizard/DlgSetUpWizardChildSeven.h"
#include "wizard/DlgSetUpWizardChildSix.h"
#include "wizard/DlgSetUpWizardChildThree.h"
#include "wizard/DlgSetUpWizardChildTwo.h"
#include "wizard/WizardPictures.h"

#include <QPushButton>

#include <algorithm>

namespace {

CWizardStepPage *MakeStepPage(int step, QWidget *parent)
{
    switch (step) {
    case 0: return new CDlgSetUpWizardChildOne(parent);
    case 1: return new CDlgSetUpWizardChildTwo(parent);
    case 2: return new CDlgSetUpWizardChildThree(parent);
    case 3: return new CDlgSetUpWizardChildFour(parent);
    case 4: return new CDlgSetUpWizardChildFive(parent);
    case 5: return new CDlgSetUpWizardChildSix(parent);
    case 6: return new CDlgSetUpWizardChildSeven(parent);
    default: return nullptr;
    }
}

}

CDlgSetupWizard::CDlgSetupWizard() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgSetupWizard");
    setWindowTitle(QStringLiteral("安装向导"));
    for (int k = 0; k < 7; ++k) {
        m_btnSteps[k] = new QPushButton(this);
        platform::SetCtrlId(m_btnSteps[k], kStepButtonIds[k]);
        connect(m_btnSteps[k], &QPushButton::clicked, this, [this, k] { SwitchToPage(k); });
    }
    m_btnSave = new QPushButton(QStringLiteral("保存"), this);
    platform::SetCtrlId(m_btnSave, IDC_SAVE);
    m_btnWrite = new QPushButton(QStringLiteral("写入"), this);
    platform::SetCtrlId(m_btnWrite, IDC_WRITE);
    connect(m_btnWrite, &QPushButton::clicked, this, [this] { OnWriteRecipe(); });
}

CDlgSetupWizard::~CDlgSetupWizard()
{
    for (auto &w : m_workers)
        w->Stop();
    delete m_pPage;
    m_pPage = nullptr;
}

bool CDlgSetupWizard::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    InitRecipeGrid();
    for (int k = 0; k < 7; ++k) {
        SetWizardIcon(m_btnSteps[k], 294 + k);
        m_btnSteps[k]->setIconSize(WizardImage(294 + k).size());
    }
    SwitchToPage(0);
    RepositionControls();
    return true;
}

bool CDlgSetupWizard::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    RedrawWizardImages(this);
    RefreshRecipeGrid();
    return ok;
}

void CDlgSetupWizard::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    RepositionControls();
}

void CDlgSetupWizard::SwitchToPage(int step)
{
    if (m_pPage) {
        m_pPage->DestroyWindow();
        delete m_pPage;
        m_pPage = nullptr;
    }
    m_nStep = step;
    if (CWizardStepPage *page = MakeStepPage(step, this)) {
        m_pPage = page;
        page->Create(this);
        page->show();
    }
    RepositionControls();
}

void CDlgSetupWizard::RepositionControls()
{
    if (!m_pPage || !m_pGrid)
        return;
    const wizard::WizardLayout l = wizard::ComputeWizardLayout(rect());
    for (int k = 0; k < 7; ++k) {
        m_btnSteps[k]->setGeometry(l.stepButtons[size_t(k)]);
        m_btnSteps[k]->show();
    }
    m_pPage->setGeometry(l.page);
    m_pPage->show();
    m_pGrid->setGeometry(l.grid);
    m_pGrid->show();
    m_btnSave->setGeometry(l.save);
    m_btnSave->show();
    m_btnWrite->setGeometry(l.write);
    m_btnWrite->show();
}

void CDlgSetupWizard::InitRecipeGrid()
{
    if (!m_pGrid) {
        m_pGrid = new CColorGridCtrl(this);
        platform::SetCtrlId(m_pGrid, 1);
        m_pGrid->hide();
    }
    m_pGrid->EnableHeader(true);
    m_pGrid->EnableRowHeader(true);
    m_pGrid->RemoveAll();
    static const char16_t *const kColumns[] = {u"参数编号", u"参数名称", u"参数值", u"类型"};
    if (m_pGrid->GetColumnCount() == 0)
        for (int c = 0; c < 4; ++c) {
            const QString caption = platform::TrText(QString::fromUtf16(kColumns[c]));
            m_pGrid->InsertColumn(c, caption, std::max(80, m_pGrid->CaptionWidth(caption)));
        }
    m_pGrid->SetColumnVisible(3, false);
    RefreshRecipeGrid();
    m_pGrid->AdjustLayout();
}

void CDlgSetupWizard::RefreshRecipeGrid()
{
    if (!m_pGrid)
        return;
    m_pGrid->RemoveAllGroupColumns();
    m_pGrid->RemoveAll();
    const std::vector<RecipeGridRow> rows = m_recipe.GridRows(&m_pGrid->m_mapGroupNames);
    // The recipe keeps its groups and texts as the steps name them (the source texts): shown in
    // the current language.
    for (auto &[first, name] : m_pGrid->m_mapGroupNames)
        name = platform::TrText(name);
    for (const RecipeGridRow &r : rows) {
        platform::GridRow *row = m_pGrid->CreateRow(4);
        const QString cells[4] = {r.code, platform::TrText(r.text), r.value, platform::TrText(r.group)};
        for (int c = 0; c < 4; ++c)
            row->GetItem(c)->SetValue(cells[c], false);
        m_pGrid->AddRow(row, false);
    }
    m_pGrid->InsertGroupColumn(0, 3);
    m_pGrid->AdjustLayout();
}

void CDlgSetupWizard::RemoveRecipeEntries(const QString &group)
{
    m_recipe.RemoveEntries(group);
}

void CDlgSetupWizard::AddRecipeEntry(const QString &group, const QString &code, const QString &text, const QString &value)
{
    m_recipe.AddEntry(group, code, text, value);
    RefreshRecipeGrid();
}

LRESULT CDlgSetupWizard::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_WIZARD_NEXT_PAGE: {
        const int next = wizard::NextStepAfterApply(m_nStep);
        if (next >= 0)
            SwitchToPage(next);
        return 0;
    }
    case UM_WIZARD_WRITTEN:
        if (auto records = Payload<QList<CDBDataParameter>>())
            ApplyAcknowledged(*records);
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}

void CDlgSetupWizard::OnWriteRecipe()
{
    m_writeList = RecipeWriteList();
    CSysParam *sys = GetSysParam();
    CDataAxisParameter *axis = sys ? sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID) : nullptr;
    if (!axis) {
        platform::Ui().MessageBox(platform::TrText(QStringLiteral("当前设备没有参数表，无法写入。")),
                                  platform::TrText(QStringLiteral("参数写入")), MB_OK | MB_ICONWARNING, this);
        return;
    }
    m_writeList = m_recipe.BuildWriteList(axis->m_arrParameter);
    StartRecipeWrite();
}

void CDlgSetupWizard::StartRecipeWrite()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected) {
        platform::Ui().MessageBox(platform::TrText(QStringLiteral("请连接串口！")), platform::TrText(QStringLiteral("参数写入")),
                                  MB_OK, this);
        return;
    }
    CDlgParamUploadList dlg(this);
    dlg.m_arrParameter = m_writeList.records;
    if (dlg.Run() != IDOK)
        return;
    // Finished workers are let go; a write still running goes on beside the new one.
    std::erase_if(m_workers, [](const std::unique_ptr<platform::PageWorker> &w) { return !w->IsRunning(); });
    auto worker = std::make_unique<platform::PageWorker>(this, "wizard recipe write");
    const RecipeWriteList list = m_writeList;
    const platform::WindowRef self(this);
    worker->Start([list, self, sys](const std::atomic<bool> &stop) {
        auto ask = [] {
            return platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_DlgParamUpload_11")), QString(),
                                             MB_YESNO | MB_ICONQUESTION) == IDYES;
        };
        const RecipeWriteOutcome out = WriteRecipeRecords(list, sys, ask, stop);
        if (out.stopped)
            return;
        if (!out.acknowledged.isEmpty())
            platform::PostMessage(self, UM_WIZARD_WRITTEN, 0, 0, std::make_shared<QList<CDBDataParameter>>(out.acknowledged));
        if (!out.text.isEmpty())
            platform::Ui().MessageBox(out.text, platform::TrText(QStringLiteral("写参数结果")), MB_OK);
    });
    m_workers.push_back(std::move(worker));
}

bool CDlgSetupWizard::IsWriting() const
{
    return std::any_of(m_workers.begin(), m_workers.end(), [](const auto &w) { return w->IsRunning(); });
}

void CDlgSetupWizard::ApplyAcknowledged(const QList<CDBDataParameter> &records)
{
    CSysParam *sys = GetSysParam();
    CDataAxisParameter *axis = sys ? sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID) : nullptr;
    if (!axis)
        return;
    for (const CDBDataParameter &done : records)
        for (CDBDataParameter &p : axis->m_arrParameter)
            if (p.sNum == done.sNum) {
                p.iCurValue = done.iCurValue;
                break;
            }
}
