#include "DlgDiDoSet.h"
#include "grid/TableColors.h"

#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/DiDo/DiDoGrid.h"
#include "controls/MiniGridCtrl.h"
#include "controls/MyProgressCtrl.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QPushButton>

namespace {

struct ButtonDef
{
    int id;
    const char *caption;
    const char *tip;
};

const ButtonDef kButtons[] = {
    {CDlgDiDoSet::IDC_DI_READ, "读取", "读取DI功能参数"},   {CDlgDiDoSet::IDC_DI_REFRESH, "刷新", nullptr},
    {CDlgDiDoSet::IDC_DI_WRITE, "写入", "写入DI功能参数"},  {CDlgDiDoSet::IDC_DO_READ, "读取", "读取DO功能参数"},
    {CDlgDiDoSet::IDC_DO_REFRESH, "刷新", nullptr},         {CDlgDiDoSet::IDC_DO_WRITE, "写入", "写入DO功能参数"},
};

}

CDlgDiDoSet::CDlgDiDoSet() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgDiDoSet");
    for (const ButtonDef &b : kButtons) {
        auto *button = new QPushButton(QString::fromUtf8(b.caption), this);
        platform::SetCtrlId(button, b.id);
        if (b.tip)
            button->setToolTip(TrSection(m_strLangSection, QString::fromUtf8(b.tip)));
        m_buttons.push_back(button);
        const int id = b.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            switch (id) {
            case IDC_DI_READ: ReadParams(false); break;
            case IDC_DO_READ: ReadParams(true); break;
            case IDC_DI_REFRESH: RefreshParams(false); break;
            case IDC_DO_REFRESH: RefreshParams(true); break;
            case IDC_DI_WRITE: WriteParams(false); break;
            case IDC_DO_WRITE: WriteParams(true); break;
            default: break;
            }
        });
    }
}

QPushButton *CDlgDiDoSet::Button(int id) const
{
    for (QPushButton *b : m_buttons)
        if (platform::GetCtrlId(b) == id)
            return b;
    return nullptr;
}

bool CDlgDiDoSet::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pProgress = MakeDiDoProgress(this);
    BuildDiDoRows(ActiveParameterTable(), m_lists);
    SetConnectorLabels(m_lists, ActiveProductId());
    WarnWhenOffline(this);
    auto make = [this](int id, bool isDo) {
        return MakeDiDoGrid(this, id, m_strLangSection, {{isDo ? "Do模式" : "Di模式", 160}, {"功能", 250}, {"连接器", 160}});
    };
    m_pDiGrid = make(IDC_DI_GRID, false);
    m_pDoGrid = make(IDC_DO_GRID, true);
    FillDiGrid();
    FillDoGrid();
    OnSize(width(), height());
    return true;
}

void CDlgDiDoSet::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pDiGrid)
        return;
    const int half = cy / 2;
    const int buttonRow = 32;
    m_pDiGrid->setGeometry(0, 0, cx, std::max(40, half - buttonRow));
    m_pDoGrid->setGeometry(0, half, cx, std::max(40, cy - half - buttonRow));
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const int y = i < 3 ? std::max(40, half - buttonRow + 4) : std::max(half + 40, cy - buttonRow + 4);
        m_buttons[i]->setGeometry(10 + int(i % 3) * 100, y, 90, 24);
    }
    if (m_pProgress)
        m_pProgress->setGeometry(QRect(QPoint(cx / 2 - 200, cy / 2 - 40), QPoint(cx / 2 + 200, cy / 2 + 30)));
}

int CDlgDiDoSet::LineOfRow(bool isDo, int row) const
{
    return DiDoLineOfRow(isDo ? m_doRowLine : m_diRowLine, row);
}

void CDlgDiDoSet::FillGrid(bool isDo)
{
    CMiniGridCtrl *grid = Grid(isDo);
    if (!grid)
        return;
    const std::vector<CDiDoItem> &rows = isDo ? m_lists.arrDo : m_lists.arrDi;
    std::vector<int> &map = isDo ? m_doRowLine : m_diRowLine;
    const std::size_t missing = isDo ? 4 : 6;  // DO5, DI7
    const bool compact = IsCompactProduct(ActiveProductId());
    grid->setUpdatesEnabled(false);
    grid->RemoveAll();
    map.clear();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const CDiDoItem &item = rows[k];
        if (item.nModeValue == -1 || (k == missing && compact))
            continue;
        platform::GridRow *row = grid->CreateRow(3);
        auto *mode = new platform::GridItem(DiDoOptionText(item.mapModeOptions, item.nModeValue));
        for (const QString &text : DiDoOptionList(item.mapModeOptions))
            mode->AddOption(text);
        auto *function = new platform::GridItem(DiDoOptionText(item.mapFunctionOptions, item.nFunctionValue));
        for (const QString &text : DiDoOptionList(item.mapFunctionOptions))
            function->AddOption(text);
        auto *label = new platform::GridItem(item.strName);
        label->AllowEdit(false);
        row->ReplaceItem(0, mode);
        row->ReplaceItem(1, function);
        row->ReplaceItem(2, label);
        grid->AddRow(row, false);
        map.push_back(int(k));
    }
    grid->setUpdatesEnabled(true);
    grid->AdjustLayout();
}

void CDlgDiDoSet::FillDiGrid()
{
    FillGrid(false);
}

void CDlgDiDoSet::FillDoGrid()
{
    FillGrid(true);
}

// ---- reading ------------------------------------------------------------------------------

void CDlgDiDoSet::Start(std::shared_ptr<Job> job)
{
    job->lists = m_lists;
    platform::WindowRef progress;
    if (!job->bQuiet) {
        const auto &regs = job->nSide == 1 ? m_lists.regDo : m_lists.regDi;
        m_pProgress->SetRange(0, int(regs.size()));
        m_pProgress->SetPos(0);
        m_pProgress->show();
        progress = platform::WindowRef(m_pProgress);
    }
    m_worker.Start([job, progress, ref = GetWindowRef()](const std::atomic<bool> &stop) {
        const auto step = [&progress](int pos) {
            if (progress)
                platform::PostMessage(progress, PBM_SETPOS, WPARAM(pos), 0);
        };
        CDiDoLists &l = job->lists;
        if (job->bWrite) {
            job->nFailed = WriteSide(job->nSide == 1 ? l.regDo : l.regDi, job->nSide == 1, stop, progress);
        } else {
            if (job->nSide != 0)
                job->nFailed += ReadDiDoRegisters(l.regDo, l.arrDo, kAttempts, &stop, step);
            if (job->nSide != 1)
                job->nFailed += ReadDiDoRegisters(l.regDi, l.arrDi, kAttempts, &stop, step);
        }
        platform::PostMessage(ref, UM_THREAD_FINISHED, 0, 0, job);
    });
}

void CDlgDiDoSet::Activate()
{
    if (m_worker.IsRunning())
        return;
    BuildDiDoRows(ActiveParameterTable(), m_lists);
    SetConnectorLabels(m_lists, ActiveProductId());
    m_bWaitDialog = true;
    ShowProgress(TrSection(m_strLangSection, QStringLiteral("读取数据中...")), GetWindowRef(), this);
    auto job = std::make_shared<Job>();
    if (!GetAppFlags()->m_bOnline) {
        // Nothing to read: the rows as built are shown at once.
        job->lists = m_lists;
        OnJobDone(*job);
        return;
    }
    Start(job);
}

void CDlgDiDoSet::ReadParams(bool isDo)
{
    if (m_worker.IsRunning())
        return;
    auto job = std::make_shared<Job>();
    job->nSide = isDo ? 1 : 0;
    job->bQuiet = false;
    Start(job);
}

void CDlgDiDoSet::RefreshParams(bool isDo)
{
    if (m_worker.IsRunning() || !GetAppFlags()->m_bOnline)
        return;
    auto job = std::make_shared<Job>();
    job->nSide = isDo ? 1 : 0;
    Start(job);
}

// ---- writing ------------------------------------------------------------------------------

void CDlgDiDoSet::CollectValues(bool isDo)
{
    std::vector<CDiDoItem> &rows = isDo ? m_lists.arrDo : m_lists.arrDi;
    CMiniGridCtrl *grid = Grid(isDo);
    for (int r = 0; r < grid->GetRowCount(); ++r) {
        const int line = LineOfRow(isDo, r);
        const platform::GridRow *row = grid->GetRow(r);
        if (line < 0 || !row)
            continue;
        CDiDoItem &item = rows[std::size_t(line)];
        // A text that names no option leaves the value as it was.
        if (const platform::GridItem *mode = row->GetItem(0))
            DiDoOptionValue(item.mapModeOptions, mode->GetValue().toString(), &item.nModeValue);
        if (const platform::GridItem *function = row->GetItem(1))
            DiDoOptionValue(item.mapFunctionOptions, function->GetValue().toString(), &item.nFunctionValue);
    }
    for (CDiDoRegister &reg : isDo ? m_lists.regDo : m_lists.regDi) {
        const CDiDoItem &item = rows[std::size_t(reg.nLine)];
        reg.nValue = reg.kind == DiDoKind::Mode ? item.nModeValue : item.nFunctionValue;
    }
}

int CDlgDiDoSet::WriteSide(const std::vector<CDiDoRegister> &regs, bool isDo, const std::atomic<bool> &stop,
                           const platform::WindowRef &progress)
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return int(regs.size());
    // The drive takes input settings only behind its write-enable code.
    if (!isDo)
        sys->WriteReg(kRegWriteEnable, kWriteEnableCode, CSysParam::LinkWait::Block, kAttempts);
    int failed = 0;
    for (std::size_t j = 0; j < regs.size(); ++j) {
        const CDiDoRegister &reg = regs[j];
        bool ok = false;
        if (stop)
            ok = false;
        else if (reg.dwWidth == 16)
            ok = sys->WriteReg(WORD(reg.dwAddress), WORD(reg.nValue), CSysParam::LinkWait::Block, kAttempts);
        else if (reg.dwWidth == 32)
            ok = sys->WriteReg32(WORD(reg.dwAddress), DWORD(reg.nValue), CSysParam::LinkWait::Block, kAttempts);
        if (!ok)
            ++failed;
        if (progress)
            platform::PostMessage(progress, PBM_SETPOS, WPARAM(j + 1), 0);
    }
    return failed;
}

void CDlgDiDoSet::WriteParams(bool isDo)
{
    if (m_worker.IsRunning())
        return;
    CollectValues(isDo);
    auto job = std::make_shared<Job>();
    job->nSide = isDo ? 1 : 0;
    job->bWrite = true;
    job->bQuiet = false;
    Start(job);
}

void CDlgDiDoSet::OnJobDone(const Job &job)
{
    if (!job.bWrite) {
        // Reads bring values; the labels and the page's own choices elsewhere stay.
        for (std::size_t i = 0; i < m_lists.arrDi.size(); ++i) {
            m_lists.arrDi[i].nModeValue = job.lists.arrDi[i].nModeValue;
            m_lists.arrDi[i].nFunctionValue = job.lists.arrDi[i].nFunctionValue;
        }
        for (std::size_t i = 0; i < m_lists.arrDo.size(); ++i) {
            m_lists.arrDo[i].nModeValue = job.lists.arrDo[i].nModeValue;
            m_lists.arrDo[i].nFunctionValue = job.lists.arrDo[i].nFunctionValue;
        }
        FillDiGrid();
        FillDoGrid();
    }
    if (m_bWaitDialog) {
        m_bWaitDialog = false;
        SetDone();
    }
    if (job.bQuiet)
        return;
    m_pProgress->hide();
    const char *texts[2][2][2] = {{{"Di功能参数读入成功", "Di功能参数读入失败"}, {"Di功能参数写入成功", "Di功能参数写入失败"}},
                                  {{"Do功能参数读入成功", "Do功能参数读入失败"}, {"Do功能参数写入成功", "Do功能参数写入失败"}}};
    const QString text = TrSection(m_strLangSection,
                                   QString::fromUtf8(texts[job.nSide == 1][job.bWrite ? 1 : 0][job.nFailed > 0 ? 1 : 0])) +
                         QStringLiteral("\r\n");
    platform::Ui().MessageBox(text, TrSection(m_strLangSection, job.bWrite ? QStringLiteral("写参数结果") : QStringLiteral("读参数结果")),
                              MB_OK, this);
}

LRESULT CDlgDiDoSet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TableColorsRefreshMessage()) {
        m_pDiGrid->ApplyGridColors();
        m_pDoGrid->ApplyGridColors();
        return 0;
    }
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        Activate();
        return 0;
    case UM_THREAD_FINISHED:
        if (auto job = Payload<Job>())
            OnJobDone(*job);
        return 1;
    case UM_PROGRESS_POLL:
        return PollFinished(BOOL(wParam));
    case UM_THEME_CHANGED:
        CDialogExMid::WindowProc(msg, wParam, lParam);
        m_pDiGrid->ApplyGridColors();
        m_pDoGrid->ApplyGridColors();
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
