#include "DlgDiShowSet.h"

#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "controls/MyProgressCtrl.h"
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "platform/Adjustable.h"

#include <atomic>

namespace {

constexpr COLORREF kStaleBack = 0x00C8C8C8;  // a state that could not be read
platform::Adjustable<UINT> g_refreshMs;

}

UINT CDlgDiShowSet::RefreshMs()
{
    return g_refreshMs.Or(kRefreshMs);
}

void CDlgDiShowSet::SetRefreshMs(UINT ms)
{
    g_refreshMs.Set(ms);
}

CDlgDiShowSet::CDlgDiShowSet() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgDiShowSet");
}

bool CDlgDiShowSet::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pProgress = new CMyProgressCtrl(this);
    platform::SetCtrlId(m_pProgress, 255);
    const QPoint c = rect().center();
    m_pProgress->setGeometry(QRect(QPoint(c.x(), c.y() - 40), QPoint(c.x() + 400, c.y() + 30)));
    m_pProgress->hide();

    m_pDiGrid = CDlgBCGGrid::CreateForTable(this, QStringLiteral("XML_DI_SHOW_SET"));
    m_pDoGrid = CDlgBCGGrid::CreateForTable(this, QStringLiteral("XML_DO_SHOW_SET"));

    BuildDiDoRows(ActiveParameterTable(), m_lists);
    ApplyConnectorLabels();
    StartRefresh();
    FillDiTable();
    FillDoTable();
    StartShowTimer();
    OnSize(width(), height());
    return true;
}

void CDlgDiShowSet::ApplyConnectorLabels()
{
    // The lines a product lacks keep their label.
    const int product = ActiveProductId();
    for (int i = 0; i < kDiLineCount; ++i) {
        const QString label = ConnectorLabel(false, i, product);
        if (!label.isEmpty())
            m_lists.arrDi[std::size_t(i)].strName = label;
    }
    for (int i = 0; i < kDoLineCount; ++i) {
        const QString label = ConnectorLabel(true, i, product);
        if (!label.isEmpty())
            m_lists.arrDo[std::size_t(i)].strName = label;
    }
}

void CDlgDiShowSet::StartShowTimer()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected)
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_DlgSoftWarning_1")), QString(), MB_OK, this);
    // The refresh runs whatever the link was at creation: it reads only while on line, so a
    // page made before the drive came up follows it once it does.
    m_nTimerID = int(kShowTimer);
    m_nElapse = RefreshMs();
    SetTimer(kShowTimer, m_nElapse);
}

void CDlgDiShowSet::OnTimer(UINT_PTR id)
{
    CDialogExMid::OnTimer(id);
    if (id != kShowTimer)
        return;
    if (!StartRefresh() && !m_worker.IsRunning()) {
        FillDiTable();
        FillDoTable();
    }
}

BYTE CDlgDiShowSet::ActiveState(bool bitSet, int reference)
{
    return (bitSet && reference == 1) || (!bitSet && reference == 0) ? 1 : 0;
}

void CDlgDiShowSet::ReadSide(std::vector<CDiDoItem> &rows, const std::vector<CDiDoRegister> &regs, WORD stateReg,
                             WORD referenceBase, const std::atomic<bool> &stop, bool *pParamsFailed,
                             const platform::WindowRef &progress)
{
    int word = 0;
    const bool wordOk = !stop && ReadStatusRegister(stateReg, &word, kAttempts);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        int reference = 0;
        const bool refOk = wordOk && !stop && ReadStatusRegister(WORD(referenceBase + 2 * k), &reference, kAttempts);
        if (refOk) {
            rows[k].bState = ActiveState((word >> k) & 1, reference);
            rows[k].bStateKnown = true;
        } else {
            rows[k].bStateKnown = false;
        }
    }
    const int failed = ReadDiDoRegisters(regs, rows, kAttempts, &stop, [&progress](int pos) {
        if (progress)
            platform::PostMessage(progress, PBM_SETPOS, WPARAM(pos), 0);
    });
    if (failed > 0)
        *pParamsFailed = true;
}

bool CDlgDiShowSet::StartRefresh()
{
    if (m_worker.IsRunning() || !GetAppFlags()->m_bOnline)
        return false;
    platform::WindowRef progress;
    if (!m_bParamsReadOnce) {
        m_pProgress->SetPos(0);
        m_pProgress->show();
        progress = platform::WindowRef(m_pProgress);
    }
    auto round = std::make_shared<Round>();
    round->lists = m_lists;
    m_worker.Start([round, progress, ref = GetWindowRef()](const std::atomic<bool> &stop) {
        CDiDoLists &l = round->lists;
        ReadSide(l.arrDi, l.regDi, kRegDiState, kDiReferenceBase, stop, &round->bParamsFailed, progress);
        ReadSide(l.arrDo, l.regDo, kRegDoState, kDoReferenceBase, stop, &round->bParamsFailed, platform::WindowRef());
        platform::PostMessage(ref, UM_THREAD_FINISHED, 0, 0, round);
    });
    return true;
}

void CDlgDiShowSet::OnRound(const Round &round)
{
    ++m_nRounds;
    // Values and states come from the round; the rows keep their labels.
    for (std::size_t i = 0; i < m_lists.arrDi.size(); ++i) {
        const QString label = m_lists.arrDi[i].strName;
        m_lists.arrDi[i] = round.lists.arrDi[i];
        m_lists.arrDi[i].strName = label;
    }
    for (std::size_t i = 0; i < m_lists.arrDo.size(); ++i) {
        const QString label = m_lists.arrDo[i].strName;
        m_lists.arrDo[i] = round.lists.arrDo[i];
        m_lists.arrDo[i].strName = label;
    }
    FillDiTable();
    FillDoTable();
    if (!m_bParamsReadOnce) {
        m_bParamsReadOnce = true;
        m_pProgress->hide();
        // Only a failure is worth a box: a read that worked shows itself in the tables.
        if (round.bParamsFailed)
            platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("功能参数读入失败")) + QStringLiteral("\r\n"),
                                      TrSection(m_strLangSection, QStringLiteral("读参数结果")), MB_OK, this);
    }
}

CGridRowDataMap CDlgDiShowSet::BuildRows(const std::vector<CDiDoItem> &rows, bool isDo, int productId)
{
    const QString stateColumn = isDo ? QStringLiteral("Do状态") : QStringLiteral("Di状态");
    const std::size_t missing = isDo ? 4 : 6;  // DO5, DI7
    CGridRowDataMap out;
    std::int64_t next = 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const CDiDoItem &item = rows[k];
        if (item.nModeValue == -1 || (k == missing && IsCompactProduct(productId)))
            continue;
        CGridRowData row;
        std::vector<COLORREF> back;
        if (!item.bStateKnown)
            back.push_back(kStaleBack);
        InsertGridCellData(stateColumn, QString::number(item.bState), row, 0, 14, -1, back,
                           {TrText(QStringLiteral("无效")), TrText(QStringLiteral("有效"))}, {},
                           isDo ? std::vector<QString>{TrText(QStringLiteral("输出状态ON")), TrText(QStringLiteral("输出状态OFF"))}
                                : std::vector<QString>{TrText(QStringLiteral("输入状态ON")), TrText(QStringLiteral("输入状态OFF"))});
        AddGridCellValue(QStringLiteral("模式"), row, "%s",
                         DiDoOptionText(item.mapModeOptions, item.nModeValue).toUtf8().constData());
        AddGridCellValue(QStringLiteral("连接器"), row, "%s", item.strName.toUtf8().constData());
        out[next++] = row;
    }
    return out;
}

void CDlgDiShowSet::FillDiTable()
{
    if (m_pDiGrid) {
        m_pDiGrid->SetRowDataMap(BuildRows(m_lists.arrDi, false, ActiveProductId()));
        m_pDiGrid->FillRows();
    }
}

void CDlgDiShowSet::FillDoTable()
{
    if (m_pDoGrid) {
        m_pDoGrid->SetRowDataMap(BuildRows(m_lists.arrDo, true, ActiveProductId()));
        m_pDoGrid->FillRows();
    }
}

void CDlgDiShowSet::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pDiGrid || !m_pDoGrid)
        return;
    const int top = 2 * cy / 3;
    m_pDiGrid->setGeometry(0, 0, cx, top);
    m_pDoGrid->setGeometry(0, top + 5, cx, cy - top);
}

LRESULT CDlgDiShowSet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        ApplyConnectorLabels();
        return 0;
    case UM_THREAD_FINISHED:
        if (auto round = Payload<Round>())
            OnRound(*round);
        return 0;
    case UM_THEME_CHANGED:
        CDialogExMid::WindowProc(msg, wParam, lParam);
        if (m_pDiGrid)
            m_pDiGrid->ApplyGridColors();
        if (m_pDoGrid)
            m_pDoGrid->ApplyGridColors();
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
