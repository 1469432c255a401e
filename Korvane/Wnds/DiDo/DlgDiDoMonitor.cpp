#include "DlgDiDoMonitor.h"
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
#include "platform/Adjustable.h"

#include <QCheckBox>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr COLORREF kStaleBack = 0x00C8C8C8;  // a state that could not be read
platform::Adjustable<int> g_forcePauseMs;

// Up to `budget` attempts at one write; answers whether it went through, spends the budget.
bool WriteWithin(CSysParam &sys, WORD addr, WORD value, int &budget)
{
    while (budget > 0) {
        --budget;
        if (sys.WriteReg(addr, value))
            return true;
    }
    return false;
}

}

int CDlgDiDoMonitor::ForcePauseMs()
{
    return g_forcePauseMs.Or(kForcePauseMs);
}

void CDlgDiDoMonitor::SetForcePauseMs(int ms)
{
    g_forcePauseMs.Set(ms);
}

CDlgDiDoMonitor::CDlgDiDoMonitor() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgDiDoMonitor");
    m_pForceDi = new QCheckBox(QStringLiteral("强制Di输入"), this);
    platform::SetCtrlId(m_pForceDi, IDC_FORCE_DI);
    m_pForceDi->setToolTip(TrSection(m_strLangSection, QStringLiteral("允许强制DI输入")));
    m_pForceDo = new QCheckBox(QStringLiteral("强制Do输出"), this);
    platform::SetCtrlId(m_pForceDo, IDC_FORCE_DO);
    m_pForceDo->setToolTip(TrSection(m_strLangSection, QStringLiteral("允许强制DO输出")));
    connect(m_pForceDi, &QCheckBox::clicked, this, [this] { OnForceSwitch(false); });
    connect(m_pForceDo, &QCheckBox::clicked, this, [this] { OnForceSwitch(true); });
}

bool CDlgDiDoMonitor::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pProgress = MakeDiDoProgress(this);
    auto make = [this](int id, bool isDo) {
        return MakeDiDoGrid(this, id, m_strLangSection,
                            {{isDo ? "Do状态" : "Di状态", 160}, {"名称", 160}, {"执行", 160}, {"模式", 160}});
    };
    m_pDiGrid = make(IDC_DI_GRID, false);
    m_pDoGrid = make(IDC_DO_GRID, true);
    BuildDiDoRows(ActiveParameterTable(), m_lists);
    WarnWhenOffline(this);
    InitDiData();
    InitDoData();
    OnSize(width(), height());
    return true;
}

void CDlgDiDoMonitor::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pDiGrid)
        return;
    // Inputs take the upper half with their switch under them, outputs the lower half with
    // theirs. The grids give up height first: however low the page, both switches stay on it.
    constexpr int kSwitchRow = 30, kSwitchHeight = 24;
    const int gridHeight = std::max(0, (cy - 2 * kSwitchRow) / 2);
    m_pDiGrid->setGeometry(0, 0, cx, gridHeight);
    m_pForceDi->setGeometry(10, gridHeight + 3, 200, kSwitchHeight);
    m_pDoGrid->setGeometry(0, gridHeight + kSwitchRow, cx, std::max(0, cy - 2 * kSwitchRow - gridHeight));
    m_pForceDo->setGeometry(10, cy - kSwitchRow + 3, 200, kSwitchHeight);
    if (m_pProgress)
        m_pProgress->setGeometry(QRect(QPoint(cx / 2, cy / 2 - 40), QPoint(cx / 2 + 400, cy / 2 + 30)));
}

int CDlgDiDoMonitor::LineOfRow(bool isDo, int row) const
{
    return DiDoLineOfRow(isDo ? m_doRowLine : m_diRowLine, row);
}

void CDlgDiDoMonitor::FillGrid(bool isDo)
{
    CMiniGridCtrl *grid = Grid(isDo);
    if (!grid)
        return;
    const std::vector<CDiDoItem> &rows = isDo ? m_lists.arrDo : m_lists.arrDi;
    std::vector<int> &map = isDo ? m_doRowLine : m_diRowLine;
    const bool compact = IsCompactProduct(ActiveProductId());
    grid->setUpdatesEnabled(false);
    grid->RemoveAll();
    map.clear();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const CDiDoItem &item = rows[k];
        if (item.nModeValue == -1 || (isDo && k == 4 && compact))
            continue;
        platform::GridRow *row = grid->CreateRow(4);
        auto *state = new CMiniRadioItem(TrText(QStringLiteral("低电平")), TrText(QStringLiteral("高电平")), item.bState);
        if (!item.bStateKnown)
            state->SetBackgroundColor(kStaleBack, false);
        row->ReplaceItem(0, state);
        row->ReplaceItem(1, new platform::GridItem(
                                TrSection(m_strLangSection, QString::fromUtf8(isDo ? "输出%1" : "输入%1")).arg(k + 1)));
        row->ReplaceItem(2, new platform::GridCheckItem(item.bState != 0));
        auto *mode = new platform::GridItem(DiDoOptionText(item.mapModeOptions, item.nModeValue));
        for (const QString &text : DiDoOptionList(item.mapModeOptions))
            mode->AddOption(text);
        row->ReplaceItem(3, mode);
        grid->AddRow(row, false);
        map.push_back(int(k));
    }
    grid->setUpdatesEnabled(true);
    grid->AdjustLayout();
}

void CDlgDiDoMonitor::InitDiData()
{
    FillGrid(false);
}

void CDlgDiDoMonitor::InitDoData()
{
    FillGrid(true);
}

// ---- the worker ---------------------------------------------------------------------------

void CDlgDiDoMonitor::ReadAll(Job &job, const std::atomic<bool> &stop)
{
    const auto side = [&stop](std::vector<CDiDoItem> &rows, const std::vector<CDiDoRegister> &regs, WORD stateReg) {
        int word = 0;
        if (!stop && ReadStatusRegister(stateReg, &word, kAttempts))
            ApplyStateWord(rows, WORD(word));
        else
            MarkStatesUnknown(rows);
        ReadDiDoRegisters(regs, rows, kAttempts, &stop);
    };
    side(job.lists.arrDi, job.lists.regDi, kRegDiState);
    side(job.lists.arrDo, job.lists.regDo, kRegDoState);
}

void CDlgDiDoMonitor::Force(Job &job, const std::atomic<bool> &stop)
{
    CSysParam *sys = GetSysParam();
    if (!sys || stop)
        return;
    const WORD enable = ForceEnableWord(job.bForceDi, job.bForceDo);
    if (job.nForceSide >= 0) {
        const bool isDo = job.nForceSide == 1;
        const WORD word = ForcedWord(isDo ? job.lists.arrDo : job.lists.arrDi);
        // One budget serves both writes: the enable word only follows a forced word that arrived.
        int budget = kForceBudget;
        if (WriteWithin(*sys, isDo ? kRegForcedDo : kRegForcedDi, word, budget)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ForcePauseMs()));
            WriteWithin(*sys, kRegForceEnable, enable, budget);
        }
    }
    if (job.nSwitchSide >= 0) {
        int budget = kForceBudget;
        WriteWithin(*sys, kRegForceEnable, enable, budget);
        if (job.nSwitchSide == 1)
            ReadDiDoRegisters(job.lists.regDo, job.lists.arrDo, kAttempts, &stop);
        else
            ReadDiDoRegisters(job.lists.regDi, job.lists.arrDi, kAttempts, &stop);
    }
}

void CDlgDiDoMonitor::Run(std::shared_ptr<Job> job)
{
    job->lists = m_lists;
    job->bForceDi = m_bForceDi;
    job->bForceDo = m_bForceDo;
    job->bOnline = GetAppFlags()->m_bOnline;
    m_worker.Start([job, ref = GetWindowRef()](const std::atomic<bool> &stop) {
        Force(*job, stop);
        if (job->bOnline)
            ReadAll(*job, stop);
        platform::PostMessage(ref, UM_THREAD_FINISHED, 0, 0, job);
    });
}

// ---- user actions -------------------------------------------------------------------------

void CDlgDiDoMonitor::StartRead()
{
    if (m_worker.IsRunning())
        return;
    m_bWaitDialog = true;
    ShowProgress(TrSection(m_strLangSection, QStringLiteral("读取数据中...")), GetWindowRef(), this);
    Run(std::make_shared<Job>());
}

void CDlgDiDoMonitor::OnGridClick(bool isDo, int row, int column)
{
    // One drive action at a time: a click while one runs is not taken.
    if (m_worker.IsRunning())
        return;
    auto job = std::make_shared<Job>();
    const int line = LineOfRow(isDo, row);
    if (column == 2 && line >= 0) {
        bool &forcing = isDo ? m_bForceDo : m_bForceDi;
        bool yes = forcing;
        if (!yes && platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("是否强制执行")),
                                              TrSection(m_strLangSection, QStringLiteral("提示")),
                                              MB_YESNO | MB_ICONINFORMATION, this) == IDYES) {
            ForceBox(isDo)->setChecked(true);
            forcing = true;
            yes = true;
        }
        if (yes) {
            CDiDoItem &item = (isDo ? m_lists.arrDo : m_lists.arrDi)[std::size_t(line)];
            item.bState = item.bState ? 0 : 1;
            job->nForceSide = isDo ? 1 : 0;
        }
    }
    Run(job);
}

void CDlgDiDoMonitor::OnForceSwitch(bool isDo)
{
    QCheckBox *box = ForceBox(isDo);
    if (m_worker.IsRunning()) {
        // Not taken: the box goes back to what the drive was told.
        box->setChecked(isDo ? m_bForceDo : m_bForceDi);
        return;
    }
    (isDo ? m_bForceDo : m_bForceDi) = box->isChecked();
    auto job = std::make_shared<Job>();
    job->nSwitchSide = isDo ? 1 : 0;
    Run(job);
}

LRESULT CDlgDiDoMonitor::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TableColorsRefreshMessage()) {
        m_pDiGrid->ApplyGridColors();
        m_pDoGrid->ApplyGridColors();
        return 0;
    }
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        StartRead();
        return 0;
    case UM_THREAD_FINISHED:
        if (auto job = Payload<Job>()) {
            // Values and states come from the round; the forcing choices stay the page's.
            m_lists.arrDi = job->lists.arrDi;
            m_lists.arrDo = job->lists.arrDo;
        }
        InitDiData();
        InitDoData();
        if (m_bWaitDialog) {
            m_bWaitDialog = false;
            SetDone();
        }
        return 1;
    case UM_PROGRESS_POLL:
        return PollFinished(BOOL(wParam));
    case UM_MINIGRID_CLICK: {
        if (const auto *click = reinterpret_cast<const MiniGridClick *>(wParam))
            OnGridClick(lParam == IDC_DO_GRID, click->nRow, click->nColumn);
        return 0;
    }
    case UM_THEME_CHANGED:
        CDialogExMid::WindowProc(msg, wParam, lParam);
        m_pDiGrid->ApplyGridColors();
        m_pDoGrid->ApplyGridColors();
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
