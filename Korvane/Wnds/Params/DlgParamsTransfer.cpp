// The parameter page's reads and writes: the commands, the confirmation, the one-shot workers
// and what the page does when they end.
#include "Wnds/Params/DlgParams.h"

#include "AppFlags.h"
#include "TraceLog.h"
#include "Wnds/Params/DlgParamNote.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "controls/MyProgressCtrl.h"
#include "database/ParamValueText.h"
#include "platform/LanguageConf.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"

#define TRANSFER_LOG KLOG("Wnds\\Params\\DlgParams")

using platform::TrSection;
using platform::TrText;

namespace {

const QString kColValue = QStringLiteral("IDS_ParaView_3");

QString Fill(const QString &format, std::initializer_list<QString> values)
{
    // printf-style %s / %d places filled in order (the texts come translated).
    QString out;
    auto it = values.begin();
    for (int i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('%') && i + 1 < format.size() && it != values.end()
            && (format[i + 1] == QLatin1Char('s') || format[i + 1] == QLatin1Char('d'))) {
            out += *it++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

bool LinkUp()
{
    CSysParam *sys = GetSysParam();
    return sys && sys->m_bConnected;
}

}

bool CDlgParams::IsTransferRunning() const
{
    return m_pWorker->IsRunning();
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
    m_pWorker->Start([this, list](const std::atomic<bool> &stop) { ReadWorker(list, stop); });
}

void CDlgParams::ReadWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop)
{
    const platform::WindowRef page(this);
    const platform::WindowRef progress(m_pProgress);
    if (list.isEmpty())
        return;
    CSysParam *sys = GetSysParam();
    platform::SendMessage(page, m_nMsgProgressShow, 1);
    auto runData = std::make_shared<QList<CRunData>>();
    QString result;
    int failures = 0;
    int outOfRange = 0;
    for (int i = 0; i < list.size() && !stop; ++i) {
        const CDBDataParameter &p = list[i];
        int raw = 0;
        BOOL ok = FALSE;
        if (sys && p.dwWidth == 16)
            ok = sys->ReadReg(WORD(p.dwAddress), &raw, CSysParam::LinkWait::Block, kReadTries);
        else if (sys && p.dwWidth == 32)
            ok = sys->ReadReg32(WORD(p.dwAddress), &raw, CSysParam::LinkWait::Block, kReadTries);
        CRunData data;
        data.sNum = p.sNum;
        if (!ok) {
            result += Fill(TrText(QStringLiteral("【读取失败】【%s】【%s】")), {p.sNum, TrText(p.sName)}) + QStringLiteral("\r\n");
            ++failures;
        } else {
            std::int32_t value = raw;
            if (p.dwWidth == 16)
                value = p.bSign ? std::int32_t(std::int16_t(raw & 0xFFFF)) : std::int32_t(raw & 0xFFFF);
            if (!IsParamValueInRange(p, value)) {
                ++outOfRange;
                result += Fill(TrText(QStringLiteral("【超过范围】【%s】【范围%d-%d->当前值%d】")),
                               {p.sNum, QString::number(p.iMin), QString::number(p.iMax), QString::number(value)})
                          + QStringLiteral("\r\n");
            }
            data.iValue = value;
            data.bOk = TRUE;
        }
        runData->append(data);
        platform::SendMessage(progress, PBM_SETPOS, WPARAM(i + 1));
    }
    platform::SendMessage(page, m_nMsgProgressShow, 0);
    if (stop)
        return;
    const QString closing = Fill(TrText(QStringLiteral("信息提示：当前选项 %d个,读取完毕!")), {QString::number(list.size())});
    result += closing + QStringLiteral("\r\n");
    TRANSFER_LOG << closing.toStdString();
    platform::Ui().MessageBox(result, TrText(QStringLiteral("读参数结果")), MB_OK, this);
    platform::PostMessage(page, UM_THREAD_FINISHED, 0, 0, runData);
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
    if (m_bSingleRowRead) {
        UpdateSingleRow();
        m_bSingleRowRead = FALSE;
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
    if (dlg.Run() != IDOK)
        return;
    m_bWriteFinished = FALSE;
    SetTimer(kWriteTimerId, kWriteTimerMs);
    m_pWorker->Start([this, list](const std::atomic<bool> &stop) { WriteWorker(list, stop); });
}

void CDlgParams::WriteWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop)
{
    const platform::WindowRef page(this);
    const platform::WindowRef progress(m_pProgress);
    CSysParam *sys = GetSysParam();
    platform::SendMessage(page, m_nMsgProgressShow, 1);
    QString result;
    int failures = 0;
    for (int i = 0; i < list.size() && !stop; ++i) {
        const CDBDataParameter &p = list[i];
        const std::int32_t value = p.iCurValue;
        if (p.nModify == 2)
            continue;
        // Nothing out of range reaches the drive: it is listed and counted as a failure.
        if (!IsParamValueInRange(p, value)) {
            result += Fill(TrText(QStringLiteral("【超过范围】【%s】【范围%d-%d->当前值%d】")),
                           {p.sNum, QString::number(p.iMin), QString::number(p.iMax), QString::number(value)})
                      + QStringLiteral("\r\n");
            ++failures;
            platform::SendMessage(progress, PBM_SETPOS, WPARAM(i + 1));
            continue;
        }
        const bool wordOrder = p.dwAddress == kWordOrderAddress;
        if (wordOrder && sys && value != std::int32_t(sys->m_bLowWordFirst.load())) {
            if (platform::Ui().MessageBox(TrText(QStringLiteral("是否改写P8006的值？此值影响Modbus读写32位参数的顺序!")),
                                          TrText(QStringLiteral("提示")), MB_YESNO | MB_ICONQUESTION) != IDYES)
                continue;
        }
        BOOL ok = FALSE;
        if (sys && p.dwWidth == 16)
            ok = sys->WriteReg(WORD(p.dwAddress), WORD(value & 0xFFFF), CSysParam::LinkWait::Block, kWriteTries);
        else if (sys && p.dwWidth == 32)
            ok = sys->WriteReg32(WORD(p.dwAddress), DWORD(value), CSysParam::LinkWait::Block, kWriteTries);
        if (ok && wordOrder && sys) {
            // Later 32-bit values of this run (and every later transfer) go in the new order.
            sys->m_bLowWordFirst = value != 0 ? TRUE : FALSE;
        }
        if (!ok) {
            result += Fill(TrText(QStringLiteral("【写入失败】 【%s】 【%s】")), {p.sNum, TrText(p.sName)}) + QStringLiteral("\r\n");
            ++failures;
        }
        platform::SendMessage(progress, PBM_SETPOS, WPARAM(i + 1));
    }
    const QString count = QString::number(list.size());
    const QString summary = failures
                                ? Fill(TrText(QStringLiteral("信息提示：选项%d个, %d个写入失败!")), {count, QString::number(failures)})
                                : Fill(TrText(QStringLiteral("信息提示：选项%d个,参数写入完毕!")), {count});
    result += summary + QStringLiteral("\r\n");
    TRANSFER_LOG << summary.toStdString();
    platform::SendMessage(page, m_nMsgProgressShow, 0);
    if (!stop)
        platform::Ui().MessageBox(result, TrText(QStringLiteral("写参数结果")), MB_OK);
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
