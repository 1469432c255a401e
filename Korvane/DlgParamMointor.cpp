#include "DlgParamMointor.h"

#include <algorithm>

#include "LangText.h"
#include "PopupMenu.h"
#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "database/ParamValueText.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "platform/CommandId.h"
#include "platform/ControlNotify.h"
#include "platform/CursorQuery.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "platform/grid/Grid.h"
#include "platform/Adjustable.h"

#include <QMenu>

#include <atomic>

#define MONITOR_LOG KLOG("Wnds\\Params\\DlgParamMointor")

namespace {

const QString kSection = QStringLiteral("CDlgParams");
platform::Adjustable<UINT> g_refreshMs;
const QString kColCode = QStringLiteral("IDS_ParaView_1");

CGridCellData Cell(const QString &text)
{
    CGridCellData cell;
    cell.m_strValue = text;
    return cell;
}

}

UINT CDlgParamMointor::RefreshMs()
{
    return g_refreshMs.Or(kTimerMs);
}

void CDlgParamMointor::SetRefreshMs(UINT ms)
{
    g_refreshMs.Set(ms);
}

CDlgParamMointor::CDlgParamMointor(QWidget *pParent)
    : CDialogExMid(IDD, pParent),
      m_nMsgReadDone(platform::RegisterWindowMessage(QStringLiteral("KORVANE_MONITOR_READ_DONE"))),
      m_reader(this, m_nMsgReadDone, [this](const std::atomic<bool> &stop) { return ReadAll(stop); })
{
    m_strLangSection = kSection;
}

CDlgParamMointor::~CDlgParamMointor() = default;

bool CDlgParamMointor::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute(QStringLiteral("XML_Params_Monitor"), attr);
    NameColumns(attr);
    m_dlgGrid.m_strTableId = QStringLiteral("XML_Params_Monitor");
    m_dlgGrid.SetOwner(this);
    m_dlgGrid.Create(this);
    m_dlgGrid.InitColumns(attr, 2);
    m_dlgGrid.FillRows();
    m_dlgGrid.setGeometry(rect());
    m_dlgGrid.show();
    return true;
}

void CDlgParamMointor::NameColumns(CGridTableAttribute &attr)
{
    for (const char *id : {"IDS_ParaView_1", "IDS_ParaView_2", "IDS_ParaView_3", "IDS_ParaView_4", "IDS_ParaView_5",
                           "IDS_ParaView_6", "IDS_ParaView_7", "IDS_ParaView_9", "IDS_ParaView_10", "IDS_ParaView_11"}) {
        auto it = attr.m_mapColumns.find(QString::fromLatin1(id));
        const QString text = it != attr.m_mapColumns.end() ? ReadLangIniString(kSection, it->first) : QString();
        if (!text.isEmpty() && text != QLatin1String("Not found"))
            it->second.strColShowName = text;
    }
    // The current-value column has no key of its own: its Chinese caption, as the table's
    // description holds it, is the lookup's key.
    CGridTableAttribute source;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute(QStringLiteral("XML_Params_Monitor"), source);
    auto from = source.m_mapColumns.find(kColCurrent);
    if (auto cur = attr.m_mapColumns.find(kColCurrent); cur != attr.m_mapColumns.end() && from != source.m_mapColumns.end())
        cur->second.strColShowName = platform::TrText(from->second.strColShowName);
}

bool CDlgParamMointor::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    if (!m_dlgGrid.IsCreated())
        return ok;
    CGridTableAttribute attr;
    m_dlgGrid.SaveColumnLayout(attr);
    NameColumns(attr);
    // Names and option texts anew; the values the rows show stay as they are.
    CGridRowDataMap rows;
    m_dlgGrid.GetRowDataMap(rows);
    for (auto &[key, row] : rows) {
        auto code = row.find(kColCode);
        if (code == row.end())
            continue;
        for (const CDBDataParameter &p : m_arrParams) {
            if (p.sNum != code->second.m_strValue)
                continue;
            CGridRowData fresh = BuildRow(p, key);
            fresh[kColCurrent] = row[kColCurrent];
            const CGridCellData &was = row[QStringLiteral("IDS_ParaView_3")];
            CGridCellData &now = fresh[QStringLiteral("IDS_ParaView_3")];
            if (was.m_spOptions && now.m_spOptions && was.m_spOptions->size() == now.m_spOptions->size()) {
                const auto at = std::find(was.m_spOptions->begin(), was.m_spOptions->end(), was.m_strValue);
                now.m_strValue = at != was.m_spOptions->end()
                                     ? (*now.m_spOptions)[std::size_t(at - was.m_spOptions->begin())]
                                     : was.m_strValue;
            } else {
                now = was;
            }
            row = std::move(fresh);
            break;
        }
    }
    m_dlgGrid.InitColumns(attr, 2);
    m_dlgGrid.SetRowDataMap(rows);
    RefillRows();
    return ok;
}

void CDlgParamMointor::ResizeTo(int left, int top, int right, int bottom)
{
    if (!m_dlgGrid.IsCreated())
        return;
    setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    m_dlgGrid.setGeometry(QRect(QPoint(0, 0), QPoint(right - left - 1, bottom - top - 1)));
    show();
    m_dlgGrid.show();
}

CGridRowData CDlgParamMointor::BuildRow(const CDBDataParameter &param, std::int64_t key) const
{
    CGridRowData row;
    row[kColCode] = Cell(param.sNum);
    row[QStringLiteral("IDS_ParaView_2")] = Cell(platform::TrText(param.sName));
    CGridCellData value = Cell(FormatParamNumber(param.sNum, param.iCurValue));
    const QString option = GetParamOptionText(param, param.iCurValue);
    if (!option.isEmpty()) {
        value.m_strValue = option;
        value.m_byCellKind = 2;
        auto options = std::make_shared<std::vector<QString>>();
        for (const CDBDataSelects &s : param.m_arrSelects)
            options->push_back(platform::TrText(s.sDescription));
        value.m_spOptions = options;
    }
    if (CSysParam *sys = GetSysParam()) {
        const QMap<QString, std::int32_t> &loaded = sys->GetCurrentDeviceSelects();
        auto it = loaded.find(param.sNum);
        if (it != loaded.end() && it.value() != param.iCurValue)
            value.m_spBackColors = std::make_shared<std::vector<COLORREF>>(1, kChangedColour);
    }
    row[QStringLiteral("IDS_ParaView_3")] = value;
    const QString def = GetParamOptionText(param, param.iDefaultValue);
    row[QStringLiteral("IDS_ParaView_4")] = Cell(def.isEmpty() ? QString::number(param.iDefaultValue) : def);
    row[QStringLiteral("IDS_ParaView_5")] = Cell(param.sUnit);
    row[QStringLiteral("IDS_ParaView_6")] = Cell(FormatParamNumber(param.sNum, param.iMin));
    row[QStringLiteral("IDS_ParaView_7")] = Cell(FormatParamNumber(param.sNum, param.iMax));
    row[QStringLiteral("IDS_ParaView_8")] = Cell(QString::number(key));
    row[QStringLiteral("IDS_ParaView_9")] = Cell(FormatParamNumber(param.sNum, 0));
    row[QStringLiteral("IDS_ParaView_10")] = Cell(QString::number(param.nModify));
    row[QStringLiteral("IDS_ParaView_11")] = Cell(QString::number(param.nEffective));
    row[kColCurrent] = Cell(QString::number(param.iCurValue));
    return row;
}

bool CDlgParamMointor::AddParam(const QString &code)
{
    if (code.isEmpty())
        return false;
    CSysParam *sys = GetSysParam();
    CDBDataParameter param;
    if (!sys || !sys->FindParamByCode(code, &param)) {
        MONITOR_LOG << "monitor: no parameter " << code.toStdString() << " in the current device";
        return false;
    }
    CGridRowDataMap rows;
    m_dlgGrid.GetRowDataMap(rows);
    for (const auto &[key, row] : rows) {
        auto cell = row.find(kColCode);
        if (cell != row.end() && cell->second.m_strValue == code) {
            platform::Ui().MessageBox(platform::TrSection(kSection, QStringLiteral("该编号已添加监控!")), QString(),
                                      MB_OK, this);
            return false;
        }
    }
    const std::int64_t key = m_nNextKey++;
    rows[key] = BuildRow(param, key);
    m_arrParams.append(param);
    m_dlgGrid.SetRowDataMap(rows);
    RefillRows();
    {
        std::lock_guard lock(m_mxSnapshot);
        m_snapshot = m_arrParams;
    }
    if (!m_bTimerRunning) {
        m_nTimerID = int(kTimerId);
        m_nElapse = RefreshMs();
        SetTimer(kTimerId, m_nElapse);
        m_bTimerRunning = true;
    }
    return true;
}

void CDlgParamMointor::DeleteRow(int nRow)
{
    CGridRowData row;
    if (nRow < 0 || !m_dlgGrid.GetRow(nRow, row))
        return;
    auto cell = row.find(kColCode);
    if (cell == row.end())
        return;
    const QString code = cell->second.m_strValue;
    CGridRowDataMap rows;
    m_dlgGrid.GetRowDataMap(rows);
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        auto c = it->second.find(kColCode);
        if (c != it->second.end() && c->second.m_strValue == code) {
            rows.erase(it);
            break;
        }
    }
    for (int i = 0; i < m_arrParams.size(); ++i) {
        if (m_arrParams[i].sNum == code) {
            m_arrParams.removeAt(i);
            break;
        }
    }
    m_failing.erase(code);
    m_stale.erase(code);
    {
        std::lock_guard lock(m_mxSnapshot);
        m_snapshot = m_arrParams;
    }
    m_dlgGrid.SetRowDataMap(rows);
    RefillRows();
    if (rows.empty()) {
        KillTimer(kTimerId);
        m_bTimerRunning = false;
    }
}

void CDlgParamMointor::FollowProject()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !m_dlgGrid.IsCreated())
        return;
    CGridRowDataMap rows;
    m_dlgGrid.GetRowDataMap(rows);
    for (auto &[key, row] : rows) {
        const auto code = row.find(kColCode);
        if (code == row.end())
            continue;
        CDBDataParameter record;
        if (!sys->FindParamByCode(code->second.m_strValue, &record)) {
            row[QStringLiteral("IDS_ParaView_3")] = Cell(QString());
            continue;
        }
        CGridRowData fresh = BuildRow(record, key);
        fresh[kColCurrent] = row[kColCurrent];
        row = std::move(fresh);
        // Read from now on as the new project defines it (another product may place it elsewhere).
        for (CDBDataParameter &p : m_arrParams) {
            if (p.sNum == record.sNum) {
                const std::int32_t shown = p.iCurValue;
                p = record;
                p.iCurValue = shown;
            }
        }
    }
    {
        std::lock_guard lock(m_mxSnapshot);
        m_snapshot = m_arrParams;
    }
    m_dlgGrid.SetRowDataMap(rows);
    RefillRows();
}

std::shared_ptr<CDlgParamMointor::ReadResult> CDlgParamMointor::ReadAll(const std::atomic<bool> &stop)
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected)
        return nullptr;
    QList<CDBDataParameter> params;
    {
        std::lock_guard lock(m_mxSnapshot);
        params = m_snapshot;
    }
    auto result = std::make_shared<ReadResult>();
    for (const CDBDataParameter &p : params) {
        if (stop || !sys->m_bConnected)
            return nullptr;
        ReadValue v;
        v.code = p.sNum;
        int raw = 0;
        if (p.dwWidth == 16) {
            v.ok = sys->ReadReg(WORD(p.dwAddress), &raw, CSysParam::LinkWait::Block, kReadTries);
            v.value = p.bSign ? std::int32_t(std::int16_t(raw & 0xFFFF)) : std::int32_t(raw & 0xFFFF);
        } else if (p.dwWidth == 32) {
            v.ok = sys->ReadReg32(WORD(p.dwAddress), &raw, CSysParam::LinkWait::Block, kReadTries);
            v.value = raw;
        }
        result->values.push_back(v);
    }
    return result;
}

int CDlgParamMointor::RowOfCode(const QString &code)
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    for (int r = 0; grid && r < grid->GetRowCount(); ++r) {
        QString text;
        if (m_dlgGrid.GetRowCellText(text, r, kColCode) && text == code)
            return r;
    }
    return -1;
}

QString CDlgParamMointor::CellText(const QString &code, const QString &fieldId)
{
    QString text;
    const int row = RowOfCode(code);
    if (row >= 0)
        m_dlgGrid.GetRowCellText(text, row, fieldId);
    return text;
}

void CDlgParamMointor::RefillRows()
{
    m_dlgGrid.FillRows();
    // The rebuilt rows have fresh cells: the values that could not be read are greyed again.
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    auto col = m_dlgGrid.m_mapFieldToCol.find(kColCurrent);
    if (!grid || col == m_dlgGrid.m_mapFieldToCol.end())
        return;
    for (const QString &code : m_stale) {
        if (platform::GridItem *item = grid->GetItem(platform::GridItemID{RowOfCode(code), col->second}))
            item->SetTextColor(kStaleText);
    }
    grid->RedrawAll();
}

bool CDlgParamMointor::IsStale(const QString &code)
{
    return m_stale.count(code) != 0;
}

void CDlgParamMointor::ApplyResult(const ReadResult &result)
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    auto col = m_dlgGrid.m_mapFieldToCol.find(kColCurrent);
    for (const ReadValue &v : result.values) {
        const int row = RowOfCode(v.code);
        if (row < 0)
            continue;  // deleted while the round ran
        platform::GridItem *item = grid && col != m_dlgGrid.m_mapFieldToCol.end()
                                       ? grid->GetItem(platform::GridItemID{row, col->second})
                                       : nullptr;
        if (v.ok) {
            m_dlgGrid.SetCellValue(row, QString::number(v.value), kColCurrent);
            for (CDBDataParameter &p : m_arrParams) {
                if (p.sNum == v.code)
                    p.iCurValue = v.value;
            }
            if (m_failing.erase(v.code))
                MONITOR_LOG << "monitor: " << v.code.toStdString() << " answers again";
            if (m_stale.erase(v.code) && item)
                item->SetTextColor(platform::kGridDefaultColor);
        } else {
            if (m_failing.insert(v.code).second)
                MONITOR_LOG << "monitor: " << v.code.toStdString() << " cannot be read; the last value stays";
            if (m_stale.insert(v.code).second && item)
                item->SetTextColor(kStaleText);
        }
    }
    if (grid)
        grid->RedrawAll();
}

void CDlgParamMointor::OnTimer(UINT_PTR id)
{
    if (id == kTimerId) {
        m_reader.Request();
        return;
    }
    CDialogExMid::OnTimer(id);
}

void CDlgParamMointor::ShowMenu(LPARAM lParam)
{
    const auto *hit = reinterpret_cast<const QLGridCellNotify *>(lParam);
    if (!hit || hit->nRow < 0)
        return;
    QMenu menu(this);
    menu.setProperty("menuResId", kContextMenuId);
    platform::SetCommandId(menu.addAction(platform::TrSection(kSection, QStringLiteral("删除该监控参数"))), ID_DELETE);
    m_nClickedRow = hit->nRow;
    const QPoint at = platform::GetCursorPos();
    ShowPopupMenu(this, &menu, at.x(), at.y());
}

LRESULT CDlgParamMointor::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_nMsgReadDone && msg) {
        if (auto result = Payload<ReadResult>())
            ApplyResult(*result);
        return 0;
    }
    switch (msg) {
    case UM_MONITOR_ADD_PARAM:
        if (const auto *code = reinterpret_cast<const QString *>(lParam))
            AddParam(*code);
        return 0;
    case UM_GRID_CELL_RCLICK:
        ShowMenu(lParam);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_DELETE && m_nClickedRow != -1)
            DeleteRow(m_nClickedRow);
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
