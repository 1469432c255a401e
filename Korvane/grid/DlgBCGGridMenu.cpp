// The grid page's header menu, its style files and its spreadsheet export.
#include "grid/DlgBCGGrid.h"

#include "DlgDesktop.h"
#include "PopupMenu.h"
#include "grid/DlgGridCtrlTableStyle.h"
#include "grid/GridMenu.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>

using platform::GridMessage;
using platform::GridRow;

namespace {

constexpr COLORREF kAlertRed = RGB(255, 0, 0);

void Alert(const char *text) { ShowDesktopAlert(2, TrText(QString::fromUtf8(text)), kAlertRed); }

// The path with `ext` (".XML", ".xlsx") appended unless its extension already is that one,
// compared without case.
QString WithExtension(const QString &path, const QString &ext)
{
    return path.endsWith(ext, Qt::CaseInsensitive) ? path : path + ext;
}

}

// ---- header menu -----------------------------------------------------------------------------

BOOL CDlgBCGGrid::LookupColumnFieldId(int nCol, QString &out)
{
    out.clear();
    if (!m_pGrid || nCol < 0 || nCol > m_pGrid->GetColumnCount())
        return FALSE;
    auto it = m_mapColToField.find(nCol);
    if (it != m_mapColToField.end())
        out = it->second;
    return TRUE;
}

LRESULT CDlgBCGGrid::OnHeaderRClick(WPARAM, LPARAM lParam)
{
    m_nMenuColumn = static_cast<int>(lParam);
    if (!m_bHeaderMenuEnabled)
        return 0;
    const CGridColumnAttribute *column = nullptr;
    QString field;
    if (m_nMenuColumn != -1 && LookupColumnFieldId(m_nMenuColumn, field)) {
        auto it = m_tableAttr.m_mapColumns.find(field);
        if (it != m_tableAttr.m_mapColumns.end())
            column = &it->second;
    }
    QMenu menu(this);
    BuildGridMenu(menu, m_tableAttr, column, m_nMenuColumn != -1);
    RunHeaderMenu(menu, QCursor::pos());
    return 0;
}

void CDlgBCGGrid::RunHeaderMenu(QMenu &menu, const QPoint &at) { ShowPopupMenu(this, &menu, at.x(), at.y()); }

int CDlgBCGGrid::RunStyleEditor(CDlgGridCtrlTableStyle &dlg) { return dlg.DoModal(); }

void CDlgBCGGrid::RebuildFromAttribute(const CGridTableAttribute &attr)
{
    InitColumns(attr, 2);
    FillRows();
    if (QObject *parent = this->parent())
        platform::SendMessage(platform::WindowRef(parent), GridMessage("ATTRI_FIELD_HAS_CHANGED"), 0, 0);
}

void CDlgBCGGrid::OnGridMenuCommand(UINT id)
{
    CGridTableAttribute copy;
    SaveColumnLayout(copy);
    QString field;
    LookupColumnFieldId(m_nMenuColumn, field);
    auto xIt = copy.m_mapColumns.find(field);
    CGridColumnAttribute *x = xIt != copy.m_mapColumns.end() ? &xIt->second : nullptr;

    switch (id) {
    case ID_GRID_MENU_STYLE: {
        CDlgGridCtrlTableStyle dlg;
        dlg.SetTableAttribute(m_strTableId, copy);
        dlg.m_setUnsortableFieldIDs = m_setUnsortableFieldIDs;
        if (RunStyleEditor(dlg) != IDOK)
            return;
        copy = dlg.m_TableAttribute;
        break;
    }
    case ID_GRID_MENU_SHOW:
        if (x)
            x->isShow = !x->isShow;
        break;
    case ID_GRID_MENU_UNLOCK:
    case ID_GRID_MENU_LOCK_LEFT:
    case ID_GRID_MENU_LOCK_RIGHT:
        if (x) {
            const int lock = id == ID_GRID_MENU_UNLOCK ? 0 : id == ID_GRID_MENU_LOCK_LEFT ? 1 : 2;
            if (!ApplyColumnLock(copy, field, lock))
                return;
        }
        break;
    case ID_GRID_MENU_SUM_NONE:
    case ID_GRID_MENU_SUM_COUNT:
    case ID_GRID_MENU_SUM_SUM:
    case ID_GRID_MENU_SUM_AVERAGE:
        if (x)
            x->enColSumType = id == ID_GRID_MENU_SUM_NONE ? 0 : id == ID_GRID_MENU_SUM_COUNT ? 2
                            : id == ID_GRID_MENU_SUM_SUM  ? 1 : 3;
        break;
    case ID_GRID_MENU_EXPORT: {
        QObject *owner = GetOwnerWindow();
        const LRESULT taken = owner ? platform::SendMessage(platform::WindowRef(owner),
                                                            GridMessage("UM_EXPORT_DATA_TO_EXCEL_MSG"), 0, 0)
                                    : 0;
        if (!taken)
            ExportToSpreadsheet();
        return;
    }
    case ID_GRID_MENU_LOAD_STYLE:
        if (!IsCreated())
            return;
        LoadStyleFile(copy);
        return;
    case ID_GRID_MENU_SAVE_STYLE:
        if (IsCreated())
            SaveStyleFile();
        return;
    case ID_GRID_MENU_INVERT_CHECKS:
        InvertRowChecks();
        return;
    default:
        if (bool CGridTableAttribute::*option = GridMenuOption(id)) {
            copy.*option = !(copy.*option);
            break;
        }
        // The print preview and the unused ids of the range do nothing.
        return;
    }
    RebuildFromAttribute(copy);
}

void CDlgBCGGrid::LoadStyleFile(CGridTableAttribute &copy)
{
    platform::FileDialogRequest req;
    req.save = false;
    req.title = TrText(QString::fromUtf8("请选择表格样式"));
    // Names are case-sensitive here: both spellings of the extension are offered.
    req.filter = TrText(QString::fromUtf8("XML文件(*.XML)|*.XML;*.xml||"));
    req.fileMustExist = true;
    req.owner = this;
    const std::optional<QString> path = platform::Ui().FileDialog(req);
    if (!path)
        return;
    if (!QFileInfo::exists(*path)) {
        Alert("请选择需要打开的表格样式文件！");
        return;
    }
    // Only this table's columns come from the file; the file's other columns are dropped and
    // columns it lacks keep their current settings.
    CGridTableAttribute loaded = copy;
    if (!ReadTableAttributeFile(*path, loaded) || !MergeLoadedStyle(copy, loaded)) {
        Alert("样式读取失败！");
        return;
    }
    RebuildFromAttribute(copy);
}

void CDlgBCGGrid::SaveStyleFile()
{
    platform::FileDialogRequest req;
    req.save = true;
    req.title = TrText(QString::fromUtf8("导出样式"));
    req.filter = QString::fromUtf8("Excel File(*.xml)|*.xml;*.XML||");
    if (!windowTitle().isEmpty())
        req.initialName = windowTitle() + QStringLiteral(".xml");
    req.owner = this;
    const std::optional<QString> chosen = platform::Ui().FileDialog(req);
    if (!chosen)
        return;
    if (chosen->isEmpty()) {
        Alert("文件名不能为空！");
        return;
    }
    const QString path = WithExtension(*chosen, QStringLiteral(".XML"));
    CGridTableAttribute attr;
    SaveColumnLayout(attr);
    if (!WriteTableAttributeFile(path, attr))
        Alert("保存表格样式失败！");
}

BOOL CDlgBCGGrid::InvertRowChecks()
{
    if (!m_pGrid || !m_pGrid->HasCheckBoxes())
        return FALSE;
    m_pGrid->GetColumnsInfo().SetCheckBoxState(false);
    m_nCheckedRows = 0;
    const int rows = m_pGrid->GetRowCount();
    for (int r = 0; r < rows; ++r) {
        GridRow *row = m_pGrid->GetRow(r);
        row->ToggleCheck();
        if (row->GetCheck())
            ++m_nCheckedRows;
    }
    UpdateCheckedCountMark(m_nCheckedRows);
    if (m_nCheckedRows == rows)
        m_pGrid->GetColumnsInfo().SetCheckBoxState(true);
    m_pGrid->RedrawAll();
    return TRUE;
}

// ---- spreadsheet export ----------------------------------------------------------------------

BOOL CDlgBCGGrid::GetDisplayColumnOrder(std::vector<int> &out)
{
    out.clear();
    if (!m_pGrid)
        return FALSE;
    for (int c : m_pGrid->GetColumnOrderArray()) {
        if (c >= 0 && m_pGrid->GetColumnVisible(c))
            out.push_back(c);
    }
    return TRUE;
}

BOOL CDlgBCGGrid::CollectExportHeader(QStringList &out)
{
    out.clear();
    std::vector<int> order;
    if (!GetDisplayColumnOrder(order))
        return FALSE;
    for (int c : order)
        out.push_back(m_pGrid->GetColumnName(c));
    return TRUE;
}

BOOL CDlgBCGGrid::CollectExportRows(SpreadsheetRows &out)
{
    out.clear();
    if (!m_pGrid || m_pGrid->GetRowCount() == 0 || m_pGrid->GetColumnCount() == 0)
        return FALSE;
    std::vector<int> order;
    GetDisplayColumnOrder(order);
    QStringList header;
    CollectExportHeader(header);
    out.push_back(header);
    for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
        const GridRow *row = m_pGrid->GetRow(r);
        if (m_pGrid->RowToViewRow(r) < 0)
            continue;
        if (m_tableAttr.isMultiRowSelect && !row->GetCheck())
            continue;
        const auto *record = reinterpret_cast<const CGridRowData *>(row->GetData());
        QStringList cells;
        for (int c : order) {
            QString text;
            auto field = m_mapColToField.find(c);
            if (record && field != m_mapColToField.end()) {
                auto cell = record->find(field->second);
                if (cell != record->end())
                    text = cell->second.m_strValue;
            }
            cells.push_back(text);
        }
        out.push_back(cells);
    }
    const auto &info = m_pGrid->GetColumnsInfo();
    if (info.m_bShowSumRow) {
        QStringList sums;
        for (int c : order)
            sums.push_back(info.GetColumnSumText(c));
        out.push_back(sums);
    }
    return TRUE;
}

BOOL CDlgBCGGrid::ExportToSpreadsheet()
{
    SpreadsheetRows rows;
    if (!CollectExportRows(rows)) {
        Alert("表格没有数据，不能导出！");
        return FALSE;
    }
    platform::FileDialogRequest req;
    req.save = true;
    req.title = TrText(QString::fromUtf8("导出XLS"));
    req.filter = QStringLiteral("Excel File(*.xlsx)|*.xlsx||");
    if (!windowTitle().isEmpty())
        req.initialName = windowTitle() + QStringLiteral(".xlsx");
    req.owner = this;
    const std::optional<QString> chosen = platform::Ui().FileDialog(req);
    if (!chosen)
        return FALSE;
    if (chosen->isEmpty()) {
        Alert("文件名不能为空！");
        return FALSE;
    }
    const QString path = WithExtension(*chosen, QStringLiteral(".xlsx"));

    CSpreadsheetExportOptions options;
    options.nDataRowHeight = m_tableAttr.DataRowHeight;
    for (const auto &[id, col] : m_tableAttr.m_mapColumns)
        options.mapColumnWidths[col.strColShowName] = col.iColWidth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int written = ExportRowsToSpreadsheet(options, path, rows, QStringList());
    QApplication::restoreOverrideCursor();
    if (!written) {
        ShowDesktopAlert(2, TrText(QString::fromUtf8("导出到文件[%1]保存失败！创建excel服务失败！")).arg(path), kAlertRed);
        return FALSE;
    }
    if (platform::Ui().MessageBox(TrText(QString::fromUtf8("是否打开文件[%1]？")).arg(path), QString(), MB_YESNO, this) == IDYES)
        platform::Ui().ShellOpen(path);
    return TRUE;
}
