// The parameter page's reads and writes: the commands, the confirmation, the one-shot workers
// and what the page does when they end.
#include "Wnds/Params/DlgParams.h"

#include "AppFlags.h"
#include "TraceLog.h"
#include "Wnds/Params/DlgParamNote.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "Wnds/Params/ParamTransfer.h"
#include "LangText.h"
#include "controls/MyProgressCtrl.h"
#include "database/ParamValueText.h"
#include "platform/LanguageConf.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"
#include "platform/Adjustable.h"

#include <atomic>
#include <utility>

#define TRANSFER_LOG KLOG("Wnds\\Params\\DlgParams")

using platform::TrSection;
using platform::TrText;

namespace {

const QString kColValue = QStringLiteral("IDS_ParaView_3");
platform::Adjustable<UINT> g_writeTimerMs;

bool LinkUp()
{
    CSysParam *sys = GetSysParam();
    return sys && sys->m_bConnected;
}

}

UINT CDlgParams::WriteTimerMs()
{
    return g_writeTimerMs.Or(kWriteTimerMs);
}

void CDlgParams::SetWriteTimerMs(UINT ms)
{
    g_writeTimerMs.Set(ms);
}

bool CDlgParams::IsTransferRunning() const
{
    return m_pWorker->IsRunning() || IsParamTransferRunning();
}

void CDlgParams::BuildAllList(bool bForWrite)
{
    m_arrTransferParameter.clear();
    QList<CDBDataParameter> *checked = CheckedParams();
    if (checked)
        checked->clear();
    if (const QList<CDBDataParameter> *params = ActiveParams()) {
        for (const CDBDataParameter &p : *params) {
            // Display-only parameters (status, identity, versions) are never written.
            if (p.nLimit != 0 || (bForWrite && p.nModify == 2))
                continue;
            if (checked)
                checked->append(p);
            m_arrTransferParameter.append(p);
        }
    }
    RefreshTable();
}

bool CDlgParams::PrepareTransfer(bool bWrite, bool bAll)
{
    const QString caption = TrSection(m_strLangSection, bWrite ? QStringLiteral("参数写入") : QStringLiteral("参数读取"));
    if (!LinkUp()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请连接串口！")), caption, MB_OK, this);
        return false;
    }
    if (bAll) {
        BuildAllList(bWrite);
    } else {
        const QList<CDBDataParameter> *checked = CheckedParams();
        m_arrTransferParameter = checked ? *checked : QList<CDBDataParameter>();
    }
    if (m_arrTransferParameter.isEmpty()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请选择功能码！")), caption, MB_OK, this);
        return false;
    }
    return true;
}

void CDlgParams::ReadAllParameters()
{
    if (!IsTransferRunning() && PrepareTransfer(false, true))
        StartParameterRead(0, FALSE);
}

void CDlgParams::ReadCheckedParameters()
{
    if (!IsTransferRunning() && PrepareTransfer(false, false))
        StartParameterRead(0, FALSE);
}

void CDlgParams::WriteAllParameters()
{
    if (IsTransferRunning())
        return;
    if (platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请确认是否需要把所有数据写入驱动器？")),
                                  TrSection(m_strLangSection, QStringLiteral("提示")), MB_OKCANCEL | MB_ICONQUESTION,
                                  this) != IDOK)
        return;
    if (PrepareTransfer(true, true))
        StartParameterWrite();
}

void CDlgParams::WriteCheckedParameters()
{
    if (!IsTransferRunning() && PrepareTransfer(true, false))
        StartParameterWrite();
}

// ---- read ----------------------------------------------------------------------------------------

void CDlgParams::StartParameterRead(int nTarget, BOOL bRefreshNote)
{
    TRANSFER_LOG << "读取伺服数据";
    m_nReadTarget = nTarget;
    m_bReadRefreshNote = bRefreshNote;
    if (!LinkUp()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请连接串口！")),
                                  TrSection(m_strLangSection, QStringLiteral("参数读取")), MB_OK, this);
        return;
    }
    if (IsTransferRunning())
        return;
    m_pProgress->SetRange(0, int(m_arrTransferParameter.size()));
    m_pProgress->SetPos(0);
    m_pProgress->SetWindowText(TrSection(m_strLangSection, QStringLiteral("参数读取中，请稍后...")));
    QList<CDBDataParameter> list = m_arrTransferParameter;
    if (!TryBeginParamTransfer())
        return;
    m_bRunSingleRow = m_bSingleRowRead;
    m_pWorker->Start([this, list](const std::atomic<bool> &stop) { ReadWorker(list, stop); });
}

void CDlgParams::ReadWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop)
{
    const ParamTransferClaimEnd claim;
    const platform::WindowRef page(this);
    const platform::WindowRef progress(m_pProgress);
    if (list.isEmpty())
        return;
    platform::SendMessage(page, m_nMsgProgressShow, 1);
    const ParamReadTexts texts{TrText(QStringLiteral("【读取失败】【%s】【%s】")),
                               TrText(QStringLiteral("【超过范围】【%s】【范围%d-%d->当前值%d】")),
                               TrText(QStringLiteral("信息提示：当前选项 %d个,读取完毕!"))};
    // A run that lost or refused values says how many, never only that it read them all.
    const ParamReadSummary summary = [](int count, int failures, int outOfRange) {
        const QString n = QString::number(count);
        if (failures && outOfRange)
            return FillLangPlaces(TrText(QStringLiteral("信息提示：选项 %d个,%d个读取失败,%d个数据超过范围!")),
                                  {n, QString::number(failures), QString::number(outOfRange)});
        if (failures)
            return FillLangPlaces(TrText(QStringLiteral("信息提示：选项 %d个,%d个读取失败!")), {n, QString::number(failures)});
        return FillLangPlaces(TrText(QStringLiteral("信息提示：选项 %d个,%d个数据超过范围!")), {n, QString::number(outOfRange)});
    };
    ParamReadRun run = RunParameterReads(
        list, kReadTries, texts, [&](int done) { platform::SendMessage(progress, PBM_SETPOS, WPARAM(done)); }, stop,
        summary);
    platform::SendMessage(page, m_nMsgProgressShow, 0);
    if (stop)
        return;
    TRANSFER_LOG << run.text.section(QStringLiteral("\r\n"), -2, -2).toStdString();
    platform::Ui().MessageBox(run.text, TrText(QStringLiteral("读参数结果")), MB_OK, this);
    platform::PostMessage(page, UM_THREAD_FINISHED, 0, 0, std::make_shared<QList<CRunData>>(std::move(run.runData)));
}

BOOL CDlgParams::ApplyReadResults()
{
    CSysParam *sys = GetSysParam();
    QList<CDBDataParameter> *params = ActiveParams();
    if (!sys || sys->m_arrRunData.isEmpty() || !params || params->isEmpty())
        return FALSE;
    m_mapDriveValue.clear();
    for (const CRunData &data : sys->m_arrRunData) {
        // A failed read leaves the parameter as it was.
        if (!data.bOk)
            continue;
        for (CDBDataParameter &p : *params) {
            if (p.sNum != data.sNum)
                continue;
            if (!IsParamValueInRange(p, data.iValue))
                break;
            if (m_nReadTarget == 0) {
                p.iCurValue = data.iValue;
                UpdateCheckedList(p, TRUE);
                if (m_bReadRefreshNote)
                    m_pDlgParamNote->SetParameter(&p);
            } else {
                m_mapDriveValue[data.sNum] = data.iValue;
            }
            break;
        }
    }
    if (m_bRunSingleRow) {
        UpdateSingleRow();
        return TRUE;
    }
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    const int selected = grid ? grid->GetCurSelItemID().m_nRow : -1;
    // The pane shows a record of the table; the rebuild hides it, the reselection shows it again.
    RefreshTable();
    if (selected >= 0)
        m_dlgGrid.SelectRow(selected);
    return TRUE;
}

// ---- write ---------------------------------------------------------------------------------------

void CDlgParams::StartParameterWrite()
{
    const QString caption = TrSection(m_strLangSection, QStringLiteral("参数写入"));
    if (!LinkUp()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请连接串口！")), caption, MB_OK, this);
        return;
    }
    if (IsTransferRunning())
        return;
    // Display-only parameters never reach the drive, whichever path put them in the list.
    QList<CDBDataParameter> list;
    for (const CDBDataParameter &p : m_arrTransferParameter) {
        if (p.nModify != 2)
            list.append(p);
    }
    if (list.isEmpty()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请选择功能码！")), caption, MB_OK, this);
        return;
    }
    m_pProgress->SetRange(0, int(list.size()));
    m_pProgress->SetPos(0);
    m_pProgress->SetWindowText(TrSection(m_strLangSection, QStringLiteral("参数写入中，请稍后...")));
    CDlgParamUploadList dlg(this);
    dlg.m_arrParameter = list;
    if (dlg.Run() != IDOK || !TryBeginParamTransfer())
        return;
    m_bWriteFinished = FALSE;
    SetTimer(kWriteTimerId, WriteTimerMs());
    m_pWorker->Start([this, list](const std::atomic<bool> &stop) { WriteWorker(list, stop); });
}

void CDlgParams::WriteWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop)
{
    const ParamTransferClaimEnd claim;
    const platform::WindowRef page(this);
    const platform::WindowRef progress(m_pProgress);
    platform::SendMessage(page, m_nMsgProgressShow, 1);
    ParamWriteTexts texts;
    texts.failed = TrText(QStringLiteral("【写入失败】 【%s】 【%s】"));
    texts.outOfRange = TrText(QStringLiteral("【超过范围】【%s】【范围%d-%d->当前值%d】"));
    texts.wordOrderQuestion = TrText(QStringLiteral("是否改写P8006的值？此值影响Modbus读写32位参数的顺序!"));
    texts.wordOrderCaption = TrText(QStringLiteral("提示"));
    texts.summary = [](int count, int failures) {
        const QString line = failures ? FillLangPlaces(TrText(QStringLiteral("信息提示：选项%d个, %d个写入失败!")),
                                                       {QString::number(count), QString::number(failures)})
                                      : FillLangPlaces(TrText(QStringLiteral("信息提示：选项%d个,参数写入完毕!")),
                                                       {QString::number(count)});
        TRANSFER_LOG << line.toStdString();
        return line + QStringLiteral("\r\n");
    };
    const ParamWriteRun run = RunParameterWrites(
        list, kWriteTries, texts, [&](int done) { platform::SendMessage(progress, PBM_SETPOS, WPARAM(done)); }, stop);
    platform::SendMessage(page, m_nMsgProgressShow, 0);
    if (!stop)
        platform::Ui().MessageBox(run.text, TrText(QStringLiteral("写参数结果")), MB_OK);
    m_bWriteFinished = TRUE;
}

void CDlgParams::OnTimer(UINT_PTR id)
{
    if (id != kWriteTimerId) {
        CDialogExMid::OnTimer(id);
        return;
    }
    if (m_bWriteFinished) {
        FocusGrid();
        m_bWriteFinished = FALSE;
        KillTimer(kWriteTimerId);
    }
}

LRESULT CDlgParams::OnGridEnter(WPARAM, LPARAM)
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    if (!m_pDlgParamNote || !grid)
        return 0;
    const platform::GridItemID cur = grid->GetCurSelItemID();
    CAppFlags *flags = GetAppFlags();
    if (cur.m_nRow < 0 || cur.m_nColumn < 0 || !flags || !flags->m_bIsEnterWriteDriver
        || m_dlgGrid.GetColumnFieldId(cur.m_nColumn) != kColValue || !m_pDlgParamNote->isVisibleTo(this))
        return 0;
    if (std::exchange(m_bEditRefused, false)) {
        // The refusal has told the user; the cell shows the drive's value again.
        FocusGrid();
        return 0;
    }
    TRANSFER_LOG << "Do Write To Servo";
    m_pDlgParamNote->WriteValue();
    FocusGrid();
    return 0;
}

void CDlgParams::SortParametersByAddress(QList<CDBDataParameter> &list)
{
    for (int i = 0; i + 1 < list.size(); ++i) {
        int smallest = i;
        for (int j = i + 1; j < list.size(); ++j) {
            if (std::uint32_t(list[j].dwAddress) < std::uint32_t(list[smallest].dwAddress))
                smallest = j;
        }
        if (smallest != i)
            list.swapItemsAt(i, smallest);
    }
}
