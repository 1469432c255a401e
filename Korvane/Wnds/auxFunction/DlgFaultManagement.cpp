#include "DlgFaultManagement.h"

#include "LangFormat.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "platform/SaveFile.h"
#include "platform/Adjustable.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr WORD kRegReset = 0x0805;
constexpr WORD kRegSelect = 0x0935;
constexpr WORD kRegCode = 0x0936;
constexpr WORD kRegTime = 0x0937;
constexpr WORD kRegSpeed = 0x0939;
constexpr WORD kRegCurrentU = 0x093B;
constexpr WORD kRegCurrentV = 0x093C;
constexpr WORD kRegBusVoltage = 0x093D;
const QString kNoteColumn = QStringLiteral("XML_FAULT_MANAGEMENT_NOTE_ID");
platform::Adjustable<int> g_resetPauseMs;

}

int CDlgFaultManagement::ResetPauseMs()
{
    return g_resetPauseMs.Or(kResetPauseMs);
}

void CDlgFaultManagement::SetResetPauseMs(int ms)
{
    g_resetPauseMs.Set(ms);
}

const QStringList &CDlgFaultManagement::ColumnIds()
{
    static const QStringList ids = {
        QStringLiteral("XML_FAULT_MANAGEMENT_ID"),         QStringLiteral("XML_FAULT_MANAGEMENT_ERROR"),
        QStringLiteral("XML_FAULT_MANAGEMENT_TIME"),       QStringLiteral("XML_FAULT_MANAGEMENT_MOTORSPEED"),
        QStringLiteral("XML_FAULT_MANAGEMENT_CURRENTU"),   QStringLiteral("XML_FAULT_MANAGEMENT_CURRENTV"),
        QStringLiteral("XML_FAULT_MANAGEMENT_VOL"),
    };
    return ids;
}

CDlgFaultManagement::CDlgFaultManagement() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgFaultManagement");
    m_pReset = new QPushButton(QStringLiteral("复位"), this);
    platform::SetCtrlId(m_pReset, IDC_RESET);
    m_pReset->setToolTip(TrSection(m_strLangSection, QStringLiteral("故障复位")));
    m_pHistory = new QCheckBox(QStringLiteral("故障历史"), this);
    platform::SetCtrlId(m_pHistory, IDC_HISTORY);
    m_pDictionary = new QPushButton(QStringLiteral("数据字典"), this);
    platform::SetCtrlId(m_pDictionary, IDC_DICTIONARY);
    m_pDictionary->setToolTip(TrSection(m_strLangSection, QStringLiteral("管理数据字典")));
    connect(m_pReset, &QPushButton::clicked, this, [this] { ResetFault(); });
    connect(m_pHistory, &QCheckBox::clicked, this, [this] { StartFaultHistoryRead(); });
}

CDlgFaultManagement::~CDlgFaultManagement()
{
    // A page deleted without being destroyed first still keeps its list.
    if (IsCreated() && !m_bListSaved)
        SaveFaultList();
}

bool CDlgFaultManagement::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CreateGrids();
    WarnIfNotConnected();
    LoadFaultList();
    OnSize(width(), height());
    return true;
}

void CDlgFaultManagement::CreateGrids()
{
    // The fault table always has its built-in layout: no stored file is read and no header menu
    // offers to change it.
    m_pFaultGrid = CDlgBCGGrid::CreateForTable(this, QStringLiteral("XML_FAULT_MANAGEMENT"), TRUE, FALSE);
    m_pNoteGrid = CDlgBCGGrid::CreateForTable(this, QStringLiteral("XML_FAULT_MANAGEMENT_NOTE"));
}

void CDlgFaultManagement::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pFaultGrid || !m_pNoteGrid)
        return;
    // The buttons along the top; the fault table left, the cause picture right.
    const int top = 40;
    // Each as wide as its text needs in the language, at least its usual width.
    int x = 10;
    for (auto [w, width] : {std::pair<QWidget *, int>{m_pReset, 90}, {m_pHistory, 120}, {m_pDictionary, 90}}) {
        const int wide = std::max(width, w->sizeHint().width());
        w->setGeometry(x, 8, wide, 26);
        x += wide + 10;
    }
    const int tableWidth = std::max(200, cx - 480);
    m_pFaultGrid->setGeometry(0, top, tableWidth, std::max(50, cy - top));
    m_pNoteGrid->setGeometry(tableWidth + 5, top, std::max(50, cx - tableWidth - 5), std::max(50, cy - top));
}

bool CDlgFaultManagement::WarnIfNotConnected()
{
    CSysParam *sys = GetSysParam();
    if (sys && sys->m_bConnected)
        return true;
    platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_DlgSoftWarning_1")), QString(), MB_OK, this);
    return false;
}

QString CDlgFaultManagement::FaultText(int code)
{
    return QString::asprintf("Er%02X.%01X", (code >> 4) & 0xFF, code & 0xF);
}

CGridRowData CDlgFaultManagement::BuildRow(const FaultRecord &r, int index)
{
    const QStringList &ids = ColumnIds();
    CGridRowData row;
    AddGridCellValue(ids[0], row, "%d", index);
    AddGridCellValue(ids[1], row, "%s", FaultText(r.v[0]).toUtf8().constData());
    AddGridCellValue(ids[2], row, "%.1f", r.v[1] * 0.1);
    AddGridCellValue(ids[3], row, "%d", r.v[2]);
    AddGridCellValue(ids[4], row, "%d", r.v[3] / 100);
    AddGridCellValue(ids[5], row, "%d", r.v[4] / 100);
    AddGridCellValue(ids[6], row, "%d", r.v[5] / 10);
    return row;
}

QString CDlgFaultManagement::PicturePath(const QString &faultText)
{
    static const QRegularExpression kFault(QStringLiteral("^Er[0-9A-F]{2}\\.[0-9A-F]$"));
    if (!kFault.match(faultText).hasMatch())
        return QString();
    return LanguageFilePath(GetParentDirectory(GetProgramDir()) + QStringLiteral("/CommonRes/FaultManagementInfoRes/") +
                            faultText + QStringLiteral(".png"));
}

QString CDlgFaultManagement::ListFilePath()
{
    return GetModulePath(QString::fromLatin1(kListFileName));
}

void CDlgFaultManagement::SplitString(const QString &text, QChar separator, QStringList &out)
{
    out = text.split(separator, Qt::KeepEmptyParts);
}

void CDlgFaultManagement::ReplaceRows(CDlgBCGGrid *grid, const CGridRowDataMap &rows)
{
    if (!grid)
        return;
    grid->SetRowDataMap(rows);
    grid->FillRows();
}

// ---- history ------------------------------------------------------------------------------

void CDlgFaultManagement::StartFaultHistoryRead()
{
    // Offline the table stays as it is: there is nothing to wait for.
    if (!WarnIfNotConnected() || m_historyWorker.IsRunning())
        return;
    ShowProgress(TrSection(m_strLangSection, QStringLiteral("读取数据中...")), GetWindowRef(), this);
    ReplaceRows(m_pFaultGrid, {});
    m_historyWorker.Start([ref = GetWindowRef()](const std::atomic<bool> &stop) {
        std::shared_ptr<HistoryResult> result = ReadFaultHistory(stop);
        platform::PostMessage(ref, UM_READ_DONE, 0, 0, result);
    });
}

std::shared_ptr<CDlgFaultManagement::HistoryResult> CDlgFaultManagement::ReadFaultHistory(const std::atomic<bool> &stop)
{
    auto result = std::make_shared<HistoryResult>();
    CSysParam *sys = GetSysParam();
    if (!sys) {
        result->bFailed = true;
        return result;
    }
    const auto read16 = [&](WORD addr, std::int32_t *out, bool asSigned) {
        int v = 0;
        if (!sys->ReadReg(addr, &v, CSysParam::LinkWait::Block, kAttempts))
            return false;
        *out = asSigned ? std::int32_t(std::int16_t(v & 0xFFFF)) : std::int32_t(v & 0xFFFF);
        return true;
    };
    for (int i = 0; i < kRecordCount; ++i) {
        // Each value takes the link for its own transaction; a value that cannot be read ends
        // the run, so that no record is shown with a value that was never read.
        FaultRecord r;
        int time = 0;
        const bool ok = !stop && sys->WriteReg(kRegSelect, WORD(i), CSysParam::LinkWait::Block, kAttempts) &&
                        read16(kRegCode, &r.v[0], false) &&
                        sys->ReadReg32(kRegTime, &time, CSysParam::LinkWait::Block, kAttempts) &&
                        read16(kRegSpeed, &r.v[2], true) && read16(kRegCurrentU, &r.v[3], true) &&
                        read16(kRegCurrentV, &r.v[4], true) && read16(kRegBusVoltage, &r.v[5], false);
        if (!ok) {
            result->bFailed = true;
            break;
        }
        r.v[0] &= 0xFFF;
        r.v[1] = time;
        result->records.push_back(r);
    }
    return result;
}

void CDlgFaultManagement::OnFaultRecords(const HistoryResult *result)
{
    if (result) {
        const int wanted = m_pHistory->isChecked() ? kRecordCount : 1;
        m_rows.clear();
        for (int i = 0; i < wanted && i < int(result->records.size()); ++i)
            m_rows[i] = BuildRow(result->records[std::size_t(i)], i);
        ReplaceRows(m_pFaultGrid, m_rows);
    }
    SetDone();
    if (result && result->bFailed)
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("读取失败!")), QString(), MB_OK, this);
}

// ---- reset --------------------------------------------------------------------------------

void CDlgFaultManagement::ResetFault()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected) {
        platform::Ui().MessageBox(LoadLangString(QStringLiteral("IDS_DlgSoftWarning_6")),
                                  LoadLangString(QStringLiteral("IDS_DlgSoftWarning_7")), MB_OK, this);
        return;
    }
    if (m_resetWorker.IsRunning())
        return;
    m_pReset->setEnabled(false);
    // The 1, the pause the drive needs and the 0 run where waiting blocks no one.
    m_resetWorker.Start([ref = GetWindowRef()](const std::atomic<bool> &stop) {
        auto result = std::make_shared<ResetResult>();
        CSysParam *s = GetSysParam();
        if (s) {
            result->bOk = s->WriteReg(kRegReset, 1, CSysParam::LinkWait::Block);
            result->dwError = result->bOk ? 0 : CSysParam::LastLinkError();
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ResetPauseMs());
            while (!stop && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            s->WriteReg(kRegReset, 0, CSysParam::LinkWait::Block);
        }
        platform::PostMessage(ref, UM_THREAD_FINISHED, 0, 0, result);
    });
}

void CDlgFaultManagement::OnResetDone(const ResetResult &result)
{
    m_pReset->setEnabled(true);
    const QString text = result.bOk ? LoadLangString(QStringLiteral("IDS_DlgSoftWarning_8"))
                                    : FillLangFormat(LoadLangString(QStringLiteral("IDS_DlgSoftWarning_9")),
                                                     {static_cast<long long>(result.dwError)});
    platform::Ui().MessageBox(text, QString(), MB_OK, this);
}

// ---- notes --------------------------------------------------------------------------------

bool CDlgFaultManagement::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    // The cause picture shown is the one of the language: chosen again for the same fault.
    if (m_nNoteRow >= 0)
        ShowFaultNote(m_nNoteRow);
    return ok;
}

void CDlgFaultManagement::ShowFaultNote(int row)
{
    m_nNoteRow = row;
    QString text;
    if (!m_pFaultGrid->GetRowCellText(text, row, ColumnIds()[1]))
        return;
    const QString path = PicturePath(text);
    CGridRowDataMap rows;
    if (!path.isEmpty()) {
        CGridRowData note;
        AddGridCellValueEx(kNoteColumn, note, 0, 13, "%s", path.toUtf8().constData());
        rows[0] = note;
    }
    ReplaceRows(m_pNoteGrid, rows);
}

void CDlgFaultManagement::OpenNotePicture(int row)
{
    if (row != 0)
        return;
    CGridRowDataMap notes;
    m_pNoteGrid->GetRowDataMap(notes);
    if (notes.empty())
        return;
    const auto cell = notes.begin()->second.find(kNoteColumn);
    if (cell != notes.begin()->second.end() && !cell->second.m_strValue.isEmpty())
        platform::Ui().ShellOpen(cell->second.m_strValue);
}

// ---- the list file ------------------------------------------------------------------------

void CDlgFaultManagement::LoadFaultList()
{
    QFile file(ListFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    QStringList lines = AnsiToCString(file.readAll().toStdString()).split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (lines.isEmpty())
        return;
    QStringList keys;
    if (lines[0].size() > 2) {
        QStringList parts;
        SplitString(lines[0], QLatin1Char(','), parts);
        for (const QString &p : parts)
            if (!p.isEmpty())
                keys << p;
    }
    CGridRowDataMap rows;
    std::int64_t next = 0;
    for (int i = 1; i < lines.size(); ++i) {
        if (lines[i].size() <= 2)
            continue;
        QStringList fields;
        SplitString(lines[i], QLatin1Char(','), fields);
        CGridRowData row;
        for (int j = 0; j < fields.size() && j < keys.size(); ++j)
            AddGridCellValue(keys[j], row, "%s", fields[j].toUtf8().constData());
        rows[next++] = row;
    }
    ReplaceRows(m_pFaultGrid, rows);
}

void CDlgFaultManagement::SaveFaultList()
{
    if (!m_pFaultGrid)
        return;
    CGridRowDataMap rows;
    m_pFaultGrid->GetRowDataMap(rows);
    const QStringList &ids = ColumnIds();
    QString text = ids.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const auto &[key, row] : rows) {
        QString line;
        for (const QString &id : ids) {
            const auto cell = row.find(id);
            if (cell != row.end())
                line += cell->second.m_strValue + QLatin1Char(',');
        }
        while (line.endsWith(QLatin1Char(',')))
            line.chop(1);
        text += line + QStringLiteral("\r\n");
    }
    platform::SaveFile file(ListFilePath());
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::string bytes = CStringToAnsi(text);
    file.write(bytes.data(), qint64(bytes.size()));
    if (file.commit())
        m_bListSaved = true;
}

// ---- messages -----------------------------------------------------------------------------

void CDlgFaultManagement::OnDestroy()
{
    SaveFaultList();
    CDialogExMid::OnDestroy();
}

LRESULT CDlgFaultManagement::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_READ_DONE:
        OnFaultRecords(Payload<HistoryResult>().get());
        return 0;
    case UM_THREAD_FINISHED:
        if (auto r = Payload<ResetResult>())
            OnResetDone(*r);
        return 0;
    case UM_PROGRESS_POLL:
        return PollFinished(BOOL(wParam));
    case UM_GRID_CELL_LCLICK: {
        const auto *hit = reinterpret_cast<const QLGridCellNotify *>(lParam);
        if (reinterpret_cast<CDlgBCGGrid *>(wParam) == m_pFaultGrid && hit && hit->nRow >= 0 && hit->nColumn >= 0)
            ShowFaultNote(hit->nRow);
        return 0;
    }
    case UM_GRID_CELL_DBLCLICK: {
        const auto *hit = reinterpret_cast<const QLGridCellNotify *>(lParam);
        if (reinterpret_cast<CDlgBCGGrid *>(wParam) != m_pNoteGrid || !hit)
            return 1;
        if (hit->nRow != 0)
            return 0;
        OpenNotePicture(hit->nRow);
        return 1;
    }
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
