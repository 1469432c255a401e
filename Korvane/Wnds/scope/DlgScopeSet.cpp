#include "Wnds/scope/DlgScopeSet.h"

#include "Wnds/Params/DlgParamNote.h"

#include "AppFlags.h"
#include "DlgDesktop.h"
#include "DlgUserParamSet.h"
#include "LangText.h"
#include "PopupMenu.h"
#include "TraceLog.h"
#include "Wnds/Params/DlgParamUploadList.h"
#include "Wnds/Params/DlgParams.h"
#include "Wnds/Params/ParamTransfer.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/WaveFile.h"
#include "database/ParamValueText.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "platform/CommandId.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"
#include "platform/grid/Grid.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <utility>

#define SCOPESET_LOG KLOG("Wnds\\scope\\DlgScopeSet")

using platform::TrSection;
using platform::TrText;

namespace {

constexpr const char *kTableId = "XML_Params2";
const QString kColValue = QStringLiteral("IDS_ParaView_3");
const QString kColMin = QStringLiteral("IDS_ParaView_6");
const QString kColMax = QStringLiteral("IDS_ParaView_7");
const QString kColIndex = QStringLiteral("IDS_ParaView_8");
constexpr COLORREF kChangedColour = RGB(255, 255, 0);

bool LinkUp()
{
    CSysParam *sys = GetSysParam();
    return sys && sys->m_bConnected;
}

bool RollRunning()
{
    return CScopeSettings::Exists() && CScopeSettings::GetInstance()->m_bRollRunning != 0;
}

}

CDlgScopeSet::CDlgScopeSet(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgParams");
    m_pWorker = std::make_unique<platform::PageWorker>(this, "scope parameter transfer");
    m_nMsgEnter = platform::GridMessage("BCGM_GRID_ENTER_MSG");
    m_nMsgSelChanged = platform::GridMessage("BCGM_GRID_SEL_CHANGED");
    m_nMsgWriteEnded = platform::RegisterWindowMessage(QStringLiteral("KORVANE_SCOPESET_WRITE_ENDED"));
    m_btnWrite = new QPushButton(QStringLiteral("写入参数"), this);
    m_btnRead = new QPushButton(QStringLiteral("读取参数"), this);
    platform::SetCtrlId(m_btnWrite, IDC_WRITE);
    platform::SetCtrlId(m_btnRead, IDC_READ);
    // An empty table gives no clue where its rows come from: the group is filled elsewhere.
    m_lblHint = new QLabel(this);
    m_lblHint->setWordWrap(true);
    m_lblHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // It lies on the table's light base, whatever colour the page gives its own texts.
    m_lblHint->setStyleSheet(QStringLiteral("QLabel { color: palette(text); }"));
    m_lblHint->hide();
    for (QPushButton *button : {m_btnWrite, m_btnRead}) {
        button->resize(90, 25);
        connect(button, &QPushButton::clicked, this, [button] { platform::NotifyParent(button, BN_CLICKED); });
    }
}

CDlgScopeSet::~CDlgScopeSet()
{
    // The worker reports to this tab and reads its members: it ends first.
    m_pWorker->Stop();
}

bool CDlgScopeSet::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute(QString::fromLatin1(kTableId), attr);
    for (const QString &id : {QStringLiteral("IDS_ParaView_1"), QStringLiteral("IDS_ParaView_2"), kColValue}) {
        auto col = attr.m_mapColumns.find(id);
        const QString text = ReadLangIniString(m_strLangSection, id);
        if (col != attr.m_mapColumns.end() && !text.isEmpty() && text != QLatin1String("Not found"))
            col->second.strColShowName = text;
    }
    m_dlgGrid.m_strTableId = QString::fromLatin1(kTableId);
    m_dlgGrid.SetOwner(this);
    m_dlgGrid.Create(this);
    m_dlgGrid.InitColumns(attr, 0);
    FillScopeParamRows();
    OnSize(width(), height());
    m_dlgGrid.show();
    m_btnWrite->setToolTip(TrSection(m_strLangSection, QStringLiteral("写入选择参数")));
    m_btnRead->setToolTip(TrSection(m_strLangSection, QStringLiteral("读取选择参数")));
    return true;
}

void CDlgScopeSet::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_dlgGrid.GetGrid())
        return;
    const QRect client = rect();
    const QRect grid(client.left(), client.top(), client.width(), std::max(client.height() - kButtonStrip, 0));
    m_dlgGrid.setGeometry(grid);
    // The buttons as wide as their texts need in the language, 90 pixels at least.
    int x = client.left() + 30;
    for (QPushButton *button : {m_btnWrite, m_btnRead}) {
        button->setGeometry(x, grid.bottom() + 1 + 10, std::max(90, button->sizeHint().width()), 25);
        x += button->width() + 10;
    }
    // Below the table's header line, inside the empty table.
    const int headerHeight = 30;
    m_lblHint->setGeometry(client.left() + 10, client.top() + headerHeight, std::max(client.width() - 20, 0),
                           std::max(std::min(grid.height() - headerHeight, 90), 0));
    m_lblHint->raise();
}

// ---- rows ----------------------------------------------------------------------------------------

BOOL CDlgScopeSet::FillScopeParamRows()
{
    CSysParam *sys = GetSysParam();
    const QString group = QString::fromUtf8(kScopeGroupName);
    if (sys) {
        for (const CGroupsUser &g : sys->m_arrGroupsUser) {
            if (g.sGroupName == group) {
                m_bHasScopeGroup = TRUE;
                m_strScopeGroup = group;
                break;
            }
        }
    }
    const QList<CDBDataParameter> *table = CDlgParams::ActiveParams();
    QStringList codes;
    if (sys && table) {
        for (const CParamUser &member : sys->m_arrParamUser) {
            if (member.sGroupName != group)
                continue;
            for (const CDBDataParameter &p : *table) {
                if (p.sNum == member.sNum) {
                    codes.append(member.sNum);
                    break;
                }
            }
        }
    }
    CGridRowDataMap rows;
    if (m_dlgGrid.GetGrid() && table && !table->isEmpty()) {
        for (const QString &code : codes) {
            for (int i = 0; i < table->size(); ++i) {
                const CDBDataParameter &p = (*table)[i];
                if (p.sNum != code)
                    continue;
                CGridRowData row = CDlgParams::BaseRow(p, i);
                if (p.iCurValue != p.iDefaultValue)
                    row[kColValue].m_spBackColors = std::make_shared<std::vector<COLORREF>>(1, kChangedColour);
                // The range in plain decimal, also for the codes the value shows in hexadecimal.
                row[kColMin].m_strValue = QString::number(p.iMin);
                row[kColMax].m_strValue = QString::number(p.iMax);
                SCOPESET_LOG << "scope parameter " << p.sNum.toStdString() << ' ' << p.sName.toStdString() << ' '
                             << p.iCurValue;
                rows[std::int64_t(rows.size())] = std::move(row);
                break;
            }
        }
    }
    if (m_dlgGrid.GetGrid()) {
        m_dlgGrid.SetRowDataMap(rows);
        m_dlgGrid.FillRows();
    }
    // clang-format off
    m_lblHint->setText(TrSection(m_strLangSection, QStringLiteral("分组“示波器参数”中没有参数：在表格上点右键选“编辑”添加参数（分组不存在时会新建），或在“历史数据”页用“使用选中文件的参数”填入。")));
    // clang-format on
    m_lblHint->setVisible(rows.empty());
    return TRUE;
}

CDBDataParameter *CDlgScopeSet::RecordOfRow(int nRow)
{
    QString text;
    if (!m_dlgGrid.GetRowCellText(text, nRow, kColIndex))
        return nullptr;
    bool ok = false;
    const int index = text.toInt(&ok);
    QList<CDBDataParameter> *table = CDlgParams::ActiveParams();
    if (!ok || !table || index < 0 || index >= table->size())
        return nullptr;
    return &(*table)[index];
}

QList<CDBDataParameter> CDlgScopeSet::RowParameters()
{
    QList<CDBDataParameter> list;
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    for (int r = 0; grid && r < grid->GetRowCount(); ++r) {
        if (const CDBDataParameter *p = RecordOfRow(r))
            list.append(*p);
    }
    return list;
}

BOOL CDlgScopeSet::StoreCheckedParameter(const CDBDataParameter &param)
{
    return CDlgParams::UpdateCheckedList(param, TRUE);
}

void CDlgScopeSet::CommitScopeParamValue(int nRow, int nCol)
{
    if (m_dlgGrid.GetColumnFieldId(nCol) != kColValue)
        return;
    CDBDataParameter *param = RecordOfRow(nRow);
    QString text;
    if (!param || !m_dlgGrid.GetRowCellText(text, nRow, kColValue))
        return;
    // A text that is no value of the parameter (nor one in its range) keeps nothing, and the
    // Enter that ended the edit offers no write of the old value.
    const std::optional<std::int32_t> typed = ParseParamValueText(*param, text);
    m_bEditRefused = !typed || !IsParamValueInRange(*param, *typed);
    if (!m_bEditRefused) {
        param->iCurValue = *typed;
        StoreCheckedParameter(*param);
        m_dlgGrid.SetRowCheck(TRUE, nRow);
    } else {
        // Why, as the parameter page says it: the reason, the parameter and its range.
        CDlgParamNote::TellRefusedValue(this, *param, text, true);
        m_dlgGrid.SetCellValue(nRow, ParamValueText(*param, param->iCurValue), kColValue);
    }
}

// ---- messages ------------------------------------------------------------------------------------

LRESULT CDlgScopeSet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_nMsgEnter && msg)
        return OnScopeGridEnter();
    if (msg == m_nMsgSelChanged && msg) {
        m_bEditRefused = false;
        return 0;
    }
    if (msg == m_nMsgWriteEnded && msg) {
        const auto written = Payload<QList<QPair<QString, std::int32_t>>>();
        OnWriteEnded(written ? *written : QList<QPair<QString, std::int32_t>>{});
        return 0;
    }
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        SCOPESET_LOG << "will active set grid Data";
        FillScopeParamRows();
        return 0;
    case UM_THREAD_FINISHED:
        if (auto runData = Payload<QList<CRunData>>()) {
            if (CSysParam *sys = GetSysParam())
                sys->m_arrRunData = *runData;
        }
        ApplyScopeReadResults();
        return 1;
    case UM_GRID_ITEM_CHANGED:
        if (const auto *info = reinterpret_cast<const platform::GridItemInfo *>(lParam))
            CommitScopeParamValue(info->nRow, info->nCol);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_WRITE: OnWriteParams(); break;
        case IDC_READ: OnReadParams(); break;
        case ID_EDIT_GROUP: OnEditScopeGroup(); break;
        default: break;
        }
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}

void CDlgScopeSet::contextMenuEvent(QContextMenuEvent *e)
{
    OnContextMenu(e->globalPos());
    e->accept();
}

void CDlgScopeSet::OnContextMenu(const QPoint &screenPos)
{
    if (!m_dlgGrid.GetGrid() || !QRect(m_dlgGrid.mapToGlobal(QPoint(0, 0)), m_dlgGrid.size()).contains(screenPos))
        return;
    QMenu menu(this);
    menu.setProperty("menuResId", kContextMenuId);
    platform::SetCommandId(menu.addAction(TrSection(m_strLangSection, QStringLiteral("编辑"))), ID_EDIT_GROUP);
    ShowPopupMenu(this, &menu, screenPos.x(), screenPos.y());
}

void CDlgScopeSet::ShowBox(const char *text, const char *caption)
{
    platform::Ui().MessageBox(TrSection(m_strLangSection, QString::fromUtf8(text)),
                              TrSection(m_strLangSection, QString::fromUtf8(caption)), MB_OK, this);
}

// ---- write ---------------------------------------------------------------------------------------

bool CDlgScopeSet::IsTransferRunning() const
{
    return m_pWorker->IsRunning() || IsParamTransferRunning();
}

bool CDlgScopeSet::StopRollForWrite()
{
    if (!RollRunning())
        return true;
    if (platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("是否先停止?")),
                                  TrSection(m_strLangSection, QStringLiteral("参数写入")), MB_YESNO, this)
        != IDYES)
        return false;
    if (m_fnStopSampling) {
        m_fnStopSampling();
        m_bRestartSampling = true;
    }
    return true;
}

bool CDlgScopeSet::ReadyToTransfer(const char *caption)
{
    if (!LinkUp()) {
        ShowBox("请连接串口！", caption);
        return false;
    }
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    if (!grid || grid->GetRowCount() == 0) {
        ShowBox("请选择功能码！", caption);
        return false;
    }
    // Another transfer holds the link and the run-data list; this one would wait behind it.
    return !IsTransferRunning();
}

void CDlgScopeSet::OnWriteParams()
{
    WriteParamsWithValues({});
}

bool CDlgScopeSet::WriteParamsWithValues(const QList<QPair<QString, std::int32_t>> &values)
{
    if (!ReadyToTransfer("参数写入") || !StopRollForWrite())
        return false;
    m_arrTransferParameter = RowParameters();
    for (CDBDataParameter &p : m_arrTransferParameter) {
        for (const auto &[code, value] : values) {
            if (p.sNum == code)
                p.iCurValue = value;
        }
    }
    if (StartScopeParamWrite())
        return true;
    OnWriteEnded();
    return false;
}

bool CDlgScopeSet::StartScopeParamWrite()
{
    if (!LinkUp()) {
        ShowBox("请连接串口！", "参数写入");
        return false;
    }
    CDlgParamUploadList dlg(this);
    dlg.m_arrParameter = m_arrTransferParameter;
    if (dlg.Run() != IDOK || !TryBeginParamTransfer())
        return false;
    const QList<CDBDataParameter> list = m_arrTransferParameter;
    m_pWorker->Start([this, list](const std::atomic<bool> &stop) { WriteWorker(list, stop); });
    return true;
}

void CDlgScopeSet::WriteWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop)
{
    const platform::WindowRef tab(this);
    QList<QPair<QString, std::int32_t>> written;
    {
        const ParamTransferClaimEnd claim;
        ParamWriteTexts texts;
        texts.failed = LoadLangString(QStringLiteral("IDS_DlgParamUpload_3"));
        texts.outOfRange = LoadLangString(QStringLiteral("IDS_DlgParamDownload_4"));
        texts.wordOrderQuestion = LoadLangString(QStringLiteral("IDS_DlgParamUpload_11"));
        texts.wordOrderCaption = TrText(QStringLiteral("提示"));
        texts.summary = [](int count, int failures) {
            QString lines;
            if (failures)
                lines += FillLangPlaces(LoadLangString(QStringLiteral("IDS_DlgParamUpload_4")),
                                        {QString::number(count), QString::number(failures)})
                         + QStringLiteral("\r\n");
            return lines + FillLangPlaces(LoadLangString(QStringLiteral("IDS_DlgParamUpload_5")), {QString::number(count)})
                   + QStringLiteral("\r\n");
        };
        ParamWriteRun run = RunParameterWrites(list, kTries, texts, {}, stop);
        if (!stop)
            platform::Ui().MessageBox(run.text, TrText(QStringLiteral("写参数结果")), MB_OK);
        written = std::move(run.written);
    }
    // The capture stopped for this write may start again only now that the link is free.
    platform::PostMessage(tab, m_nMsgWriteEnded, 0, 0,
                          std::make_shared<QList<QPair<QString, std::int32_t>>>(std::move(written)));
}

void CDlgScopeSet::OnWriteEnded(const QList<QPair<QString, std::int32_t>> &written)
{
    QList<CDBDataParameter> *table = CDlgParams::ActiveParams();
    bool changed = false;
    for (const auto &[code, value] : written) {
        for (qsizetype i = 0; table && i < table->size(); ++i) {
            CDBDataParameter &p = (*table)[i];
            if (p.sNum != code || p.iCurValue == value)
                continue;
            p.iCurValue = value;
            StoreCheckedParameter(p);
            changed = true;
        }
    }
    if (changed)
        FillScopeParamRows();
    if (!m_bRestartSampling)
        return;
    m_bRestartSampling = false;
    if (m_fnStartSampling)
        m_fnStartSampling();
}

LRESULT CDlgScopeSet::OnScopeGridEnter()
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    CAppFlags *flags = GetAppFlags();
    if (!grid || !flags || !flags->m_bIsEnterWriteDriver)
        return 0;
    const platform::GridItemID cur = grid->GetCurSelItemID();
    if (cur.m_nRow < 0 || cur.m_nColumn < 0 || cur.m_nRow >= grid->GetRowCount()
        || m_dlgGrid.GetColumnFieldId(cur.m_nColumn) != kColValue)
        return 0;
    // The refusal has told the user; the cell shows the value the drive has.
    if (std::exchange(m_bEditRefused, false))
        return 0;
    const CDBDataParameter *param = RecordOfRow(cur.m_nRow);
    if (!param || IsTransferRunning())
        return 0;
    if (!StopRollForWrite())
        return 0;
    m_arrTransferParameter = {*param};
    if (!StartScopeParamWrite())
        OnWriteEnded();
    CommitScopeParamValue(cur.m_nRow, cur.m_nColumn);
    return 0;
}

// ---- read ----------------------------------------------------------------------------------------

void CDlgScopeSet::OnReadParams()
{
    if (!ReadyToTransfer("参数读取"))
        return;
    m_arrTransferParameter = RowParameters();
    StartScopeParamRead();
}

void CDlgScopeSet::StartScopeParamRead()
{
    if (!LinkUp()) {
        ShowBox("请连接串口！", "参数读取");
        return;
    }
    if (!TryBeginParamTransfer())
        return;
    const QList<CDBDataParameter> list = m_arrTransferParameter;
    m_pWorker->Start([this, list](const std::atomic<bool> &stop) { ReadWorker(list, stop); });
}

void CDlgScopeSet::ReadWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop)
{
    const ParamTransferClaimEnd claim;
    const platform::WindowRef tab(this);
    if (list.isEmpty())
        return;
    const ParamReadTexts texts{LoadLangString(QStringLiteral("IDS_DlgParamDownload_3")),
                               LoadLangString(QStringLiteral("IDS_DlgParamDownload_4")),
                               LoadLangString(QStringLiteral("IDS_DlgParamDownload_8"))};
    ParamReadRun run = RunParameterReads(list, kTries, texts, {}, stop);
    if (stop)
        return;
    platform::Ui().MessageBox(run.text, TrText(QStringLiteral("读参数结果")), MB_OK, this);
    platform::PostMessage(tab, UM_THREAD_FINISHED, 0, 0, std::make_shared<QList<CRunData>>(std::move(run.runData)));
}

BOOL CDlgScopeSet::ApplyScopeReadResults()
{
    CSysParam *sys = GetSysParam();
    QList<CDBDataParameter> *table = CDlgParams::ActiveParams();
    if (sys && table) {
        for (const CRunData &data : sys->m_arrRunData) {
            if (!data.bOk)
                continue;
            for (CDBDataParameter &p : *table) {
                if (p.sNum != data.sNum)
                    continue;
                if (IsParamValueInRange(p, data.iValue)) {
                    p.iCurValue = data.iValue;
                    StoreCheckedParameter(p);
                }
                break;
            }
        }
    }
    return FillScopeParamRows();
}

// ---- the group -----------------------------------------------------------------------------------

void CDlgScopeSet::OnEditScopeGroup()
{
    CDlgUserParamSet dlg(this);
    dlg.SetGroup(TRUE, QString::fromUtf8(kScopeGroupName));
    dlg.m_bNameEditable = FALSE;
    if (dlg.DoModal() != IDOK)
        return;
    // Only the rows change: the run data may be another read's, older than the values shown.
    FillScopeParamRows();
    if (QWidget *main = platform::MainWindow())
        platform::SendMessage(platform::WindowRef(static_cast<QObject *>(main)),
                              platform::RegisterWindowMessage(QStringLiteral("KORVANE_RELOAD_PARAM_PANE")), 0, 0);
}
