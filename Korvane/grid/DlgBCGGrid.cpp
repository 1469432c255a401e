#include "grid/DlgBCGGrid.h"
#include "grid/TableColors.h"

#include "controls/MiniGridCtrl.h"
#include "grid/BCGPGridDateTimeExtItem.h"
#include "grid/BallColorBCGPGridCellItem.h"
#include "grid/ButtonItem.h"
#include "grid/ColorfulTextCell.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "grid/GridMenu.h"
#include "grid/MultiCheckBox.h"
#include "grid/PercentBCGPGridCellItem.h"
#include "grid/PictureGridItem.h"
#include "platform/LanguageConf.h"
#include "platform/ControlId.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTableView>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>

using platform::GridCheckItem;
using platform::GridItem;
using platform::GridItemID;
using platform::GridItemInfo;
using platform::GridMessage;
using platform::GridRow;

namespace {

constexpr UINT kWmKeyDown = 0x0100;
constexpr UINT kWmKeyUp = 0x0101;
constexpr COLORREF kLockedText = 0x6F6F6F;

int WToI(const QString &text) { return static_cast<int>(std::strtol(text.toLatin1().constData(), nullptr, 10)); }
double WToF(const QString &text) { return std::strtod(text.toLatin1().constData(), nullptr); }

QDateTime ParseDate(const QString &text)
{
    if (text.trimmed().isEmpty())
        return CBCGPGridDateTimeExtItem::NoDate();
    for (const char *f : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd H:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd",
                          "yyyy/M/d H:mm:ss", "yyyy/M/d"}) {
        const QDateTime dt = QDateTime::fromString(text.trimmed(), QString::fromLatin1(f));
        if (dt.isValid())
            return dt;
    }
    const QDateTime iso = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    return iso.isValid() ? iso : CBCGPGridDateTimeExtItem::NoDate();
}

COLORREF TextForBackground(COLORREF back)
{
    const int r = back & 0xFF, g = (back >> 8) & 0xFF, b = (back >> 16) & 0xFF;
    return 0.299 * r + 0.587 * g + 0.114 * b < 128 ? 0xFFFFFF : 0;
}

int QtAlignOf(int nAlign)
{
    switch (nAlign) {
    case 1: return Qt::AlignRight;
    case 2: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}


}

QString TrimTrailingZeros(QString text)
{
    if (!text.contains(QLatin1Char('.')))
        return text;
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

CDlgBCGGrid::CDlgBCGGrid(QWidget *parent) : CTabDialog(IDD, parent)
{
    // The header menu's popups open under the ids of their first items: "锁定" and "合计" for
    // a column that was clicked, "其他" always.
    const auto onColumn = [this](platform::CmdUi &ui) { ui.Enable(m_nMenuColumn != -1); };
    SetCommandUpdateHandler(ID_GRID_MENU_UNLOCK, onColumn);
    SetCommandUpdateHandler(ID_GRID_MENU_SUM_NONE, onColumn);
    SetCommandUpdateHandler(ID_GRID_MENU_FILTER_BAR, [](platform::CmdUi &ui) { ui.Enable(true); });
}

CDlgBCGGrid::~CDlgBCGGrid()
{
    m_rows.clear();
}

bool CDlgBCGGrid::OnInitDialog()
{
    CTabDialog::OnInitDialog();
    CreateGrid();
    return true;
}

QObject *CDlgBCGGrid::GetOwnerWindow() const { return m_owner ? m_owner.data() : parent(); }

LRESULT CDlgBCGGrid::SendToOwner(UINT msg, LPARAM lParam)
{
    QObject *owner = GetOwnerWindow();
    if (!owner)
        return 0;
    return platform::SendMessage(platform::WindowRef(owner), msg, reinterpret_cast<WPARAM>(this), lParam);
}

void CDlgBCGGrid::CreateGrid()
{
    delete m_pGrid;
    m_pGrid = new CQLBCGGridCtrl(this);
    platform::SetCtrlId(m_pGrid, IDC_GRID);
    m_pGrid->SetOwner(this);
    ApplyGridColors();
    m_pGrid->EnableAlternateRows(m_bAlternateRows);
    m_pGrid->EnableRowHeader(m_bRowHeader);
    if (m_bRowHeader)
        m_pGrid->View(0)->verticalHeader()->setMinimumWidth(std::max(1, m_nRowHeaderWidth));
    m_pGrid->ShowSumRow(m_tableAttr.isShowSumBar);
    if (m_tableAttr.isShowSumBar)
        m_pGrid->SetSumRowHeight(m_tableAttr.iSumRowHeight);
    for (int i = 0; i < 3; ++i)
        m_pGrid->View(i)->installEventFilter(this);
    m_pGrid->setGeometry(rect());
    m_pGrid->show();
}

bool CDlgBCGGrid::TranslateControls()
{
    const bool ok = CTabDialog::TranslateControls();
    if (!m_pGrid)
        return ok;
    for (const auto &[col, field] : m_mapColToField) {
        const auto source = m_mapFieldCaption.find(field);
        if (source == m_mapFieldCaption.end())
            continue;
        const QString caption = ShownColumnCaption(source->second);
        m_pGrid->SetColumnName(col, caption);
        // The switch is the user's choice: a caption longer in the new language is shown whole.
        if (m_pGrid->GetColumnWidth(col) < m_pGrid->CaptionWidth(caption))
            m_pGrid->SetColumnWidth(col, m_pGrid->CaptionWidth(caption));
    }
    if (m_tableAttr.isShowSumBar)
        m_pGrid->SetSumRowCaption(TrText(QString::fromUtf8("合计")));
    // A text the program put into a cell is taken back to its source and looked up again;
    // values and names without an entry come back as they are.
    const auto retext = [this](const QString &text) { return LookupControlText(IDC_GRID, text); };
    for (auto &[key, row] : m_rows) {
        for (auto &[field, cell] : row) {
            if (!cell.m_strValue.isEmpty())
                cell.m_strValue = retext(cell.m_strValue);
            for (QString &choice : cell.m_strChoice)
                if (!choice.isEmpty())
                    choice = retext(choice);
            for (auto *list : {&cell.m_spOptions, &cell.m_spExtraTexts}) {
                if (!*list)
                    continue;
                auto texts = std::make_shared<std::vector<QString>>(**list);
                for (QString &t : *texts)
                    t = retext(t);
                *list = texts;
            }
        }
    }
    FillRows();
    return ok;
}

void CDlgBCGGrid::OnSize(int cx, int cy)
{
    CTabDialog::OnSize(cx, cy);
    if (m_pGrid)
        m_pGrid->setGeometry(0, 0, cx, cy);
}

void CDlgBCGGrid::OnDestroy()
{
    if (m_pGrid && !m_strTableId.isEmpty())
        SaveTableLayout(m_strTableId);
    KillTimer(kStatisticsTimer);
    CTabDialog::OnDestroy();
}

// ---- columns and rows ------------------------------------------------------------------------

std::map<QString, QString> CDlgBCGGrid::SaveFilterBarTexts() const
{
    std::map<QString, QString> texts;
    if (!m_pGrid)
        return texts;
    for (const auto &[col, field] : m_mapColToField) {
        const QString t = m_pGrid->GetFilterBarText(col);
        if (m_pGrid->GetColumnVisible(col) && !t.isEmpty())
            texts[field] = t;
    }
    return texts;
}

CDlgBCGGrid *CDlgBCGGrid::CreateForTable(QWidget *owner, const QString &tableId, BOOL bDefaultOnly, BOOL bHeaderMenu)
{
    auto *grid = new CDlgBCGGrid(owner);
    grid->m_nRowHeaderWidth = 1;
    grid->m_strTableId = tableId;
    grid->m_bHeaderMenuEnabled = bHeaderMenu;
    grid->SetOwner(owner);
    grid->Create(owner);
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttributeByName(tableId, attr, bDefaultOnly);
    grid->InitColumns(attr, 2);
    grid->show();
    return grid;
}

BOOL CDlgBCGGrid::InitColumns(const CGridTableAttribute &attr, int nAlign)
{
    m_tableAttr = attr;
    if (!m_pGrid)
        return FALSE;
    m_pGrid->RemoveAll();
    const std::map<QString, QString> typed = SaveFilterBarTexts();
    m_pGrid->DeleteAllColumns();
    m_mapFieldToCol.clear();
    m_mapColToField.clear();
    m_mapFieldEditable.clear();
    m_mapFieldCaption.clear();

    // Columns are laid out densely by their position, then by their item number, so that
    // duplicate or out-of-range positions of a stored layout never leave a column unshown.
    std::map<QString, int> itemOf;
    for (const auto &[n, id] : attr.m_mapColumnOrder)
        itemOf.emplace(id, n);
    std::vector<const CGridColumnAttribute *> columns;
    for (const auto &[id, col] : attr.m_mapColumns)
        columns.push_back(&col);
    std::stable_sort(columns.begin(), columns.end(), [&](const auto *a, const auto *b) {
        if (a->iColIndex != b->iColIndex)
            return a->iColIndex < b->iColIndex;
        const auto ia = itemOf.find(a->strColID), ib = itemOf.find(b->strColID);
        const int na = ia == itemOf.end() ? INT_MAX : ia->second;
        const int nb = ib == itemOf.end() ? INT_MAX : ib->second;
        return na < nb;
    });
    const int align = QtAlignOf(nAlign);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        m_pGrid->InsertColumn(i, QString(), 10);
        m_pGrid->SetHeaderAlign(i, align);
        m_pGrid->SetColumnAlign(i, align);
        m_pGrid->EnableColumnHeaderMenuButton(i, columns[i]->isEnableFilter && attr.isShowTitleFilter);
    }

    m_pGrid->EnableSortByHeaderClick(attr.isAllowSort);
    m_pGrid->EnableFilterBar(attr.isShowSortBar, QStringLiteral("<all>"));
    m_pGrid->EnableCheckBoxes(attr.isMultiRowSelect);
    m_pGrid->EnableDragColumns(attr.isEnableDragCol);
    const bool readOnly = !attr.isEnableEdit || m_bForceReadOnly;
    m_pGrid->SetReadOnly(readOnly);
    m_pGrid->SetWholeRowSel(readOnly && attr.isWholeRowSelect);
    QFont font(QString::fromUtf8("宋体"));
    font.setPixelSize(attr.iDataRowFont + 2);
    m_pGrid->SetGridFont(font);
    m_pGrid->m_nMinRowHeight = attr.DataRowHeight;
    m_pGrid->m_bUseMinRowHeight = 1;
    m_pGrid->m_bShowFilterSearchGlyph = 0;
    int fixed = attr.DataRowHeight;
    m_pGrid->SetFixedRowHeight(fixed);
    m_pGrid->SetRowHeight();
    m_pGrid->EnableHeaderFilterMenu(attr.isShowTitleFilter);
    if (attr.isShowSumBar) {
        m_pGrid->ShowSumRow(true);
        m_pGrid->SetSumRowHeight(m_tableAttr.iSumRowHeight);
        m_pGrid->SetSumRowCaption(TrText(QString::fromUtf8("合计")));
    } else {
        m_pGrid->SetSumRowHeight(0);
        m_pGrid->ShowSumRow(false);
    }

    int left = 0, right = 0;
    std::vector<int> leftCols, middleCols, rightCols;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const CGridColumnAttribute &c = *columns[i];
        // The stored caption is the source text (or a text key); a caption the user wrote has no
        // entry and stays.
        const QString caption = ShownColumnCaption(c.strColShowName);
        m_pGrid->SetColumnName(i, caption);
        // A default width is widened to a caption longer in this language; a width the user
        // kept is the user's, however narrow.
        const int captionWidth = c.defaultWidth.on ? m_pGrid->CaptionWidth(caption) : 0;
        m_pGrid->SetColumnWidth(i, std::max({int(c.iColWidth), 4, captionWidth}));
        m_pGrid->SetColumnVisible(i, c.isShow);
        m_pGrid->EnableColumnFilterEdit(i, c.isEnableFilter);
        m_mapFieldToCol[c.strColID] = i;
        m_mapColToField[i] = c.strColID;
        m_mapFieldEditable[c.strColID] = c.isEdit ? 1 : 0;
        m_mapFieldCaption[c.strColID] = c.strColShowName;
        if (c.iLock == 1) {
            leftCols.push_back(i);
            ++left;
        } else if (c.iLock == 2) {
            rightCols.push_back(i);
            ++right;
        } else {
            middleCols.push_back(i);
        }
    }
    // Frozen columns stand at their edge of the display order.
    std::vector<int> order = leftCols;
    order.insert(order.end(), middleCols.begin(), middleCols.end());
    order.insert(order.end(), rightCols.begin(), rightCols.end());
    m_pGrid->SetColumnOrderArray(order);
    m_pGrid->FreezeColumns(left, right);
    m_pGrid->ColumnsMid().CalcRightFrozenWidth(m_pGrid);

    for (const auto &[field, text] : typed) {
        auto it = m_mapFieldToCol.find(field);
        if (it != m_mapFieldToCol.end() && m_pGrid->GetColumnVisible(it->second))
            m_pGrid->SetFilterBarText(it->second, text);
    }
    m_pGrid->AdjustLayout();
    return TRUE;
}

BOOL CDlgBCGGrid::SetRowDataMap(const CGridRowDataMap &rows)
{
    if (&rows != &m_rows)
        m_rows = rows;
    if (m_pGrid) {
        for (int c = 0; c < m_pGrid->GetColumnCount(); ++c) {
            platform::FilterColumnInfo all;
            all.nCol = c;
            m_pGrid->SetColumnFilter(all);
        }
    }
    return TRUE;
}

GridItem *CDlgBCGGrid::BuildItem(const QString &fieldId, CGridCellData &cell, bool &locked)
{
    GridItem *item = nullptr;
    const QString &v = cell.m_strValue;
    auto option = [&](std::size_t i) {
        return cell.m_spOptions && i < cell.m_spOptions->size() ? (*cell.m_spOptions)[i] : QString();
    };
    auto back = [&](std::size_t i) -> COLORREF {
        return cell.m_spBackColors && i < cell.m_spBackColors->size() ? (*cell.m_spBackColors)[i] : 0xFFFFFFFF;
    };
    const BYTE kind = cell.m_byCellKind;
    switch (kind) {
    case 1: item = new GridCheckItem(v != QLatin1String("0"), cell.m_strLabel); break;
    case 2:
    case 5: {
        auto *combo = new CBCGPGridItemMid(QVariant(v));
        if (cell.m_spOptions) {
            for (const QString &o : *cell.m_spOptions)
                combo->AddOption(o, false);
        } else {
            combo->AddOption(QString(), false);
        }
        if (kind == 2)
            combo->AllowEdit(false);
        item = combo;
        break;
    }
    case 4: item = new GridCheckItem(v == QLatin1String("1")); break;
    case 6: item = new CButtonItem(v); break;
    case 7: {
        const COLORREF second = cell.m_spBackColors && cell.m_spBackColors->size() > 3 ? back(3) : back(2);
        item = new CBallColorBCGPGridCellItem(QString(), QString(), QString(), back(1), second);
        break;
    }
    case 8: item = new CPercentBCGPGridCellItem(v, cell.m_nNumber); break;
    case 10: {
        auto *box = new CMultiCheckBox(cell.m_nNumber);
        box->SetValue(QVariant(WToI(v)), false);
        box->m_nMask2 = static_cast<DWORD>(cell.m_nExtra);
        for (int i = 0; i < box->GetCount(); ++i)
            box->SetLabel(i, option(static_cast<std::size_t>(i)));
        item = box;
        break;
    }
    case 11: {
        auto *text = new CColorfulTextCell(QVariant(v));
        text->m_clrText = static_cast<COLORREF>(cell.m_nExtra);
        item = text;
        break;
    }
    case 12: item = new CBCGPGridDateTimeExtItem(ParseDate(v)); break;
    case 13: item = new CPictureGridItem(v); break;
    case 14:
        // The on state is the lamp's alternate state, captioned with the on text.
        item = new CMiniRadioItem(cell.m_strChoice[1], cell.m_strChoice[0], WToI(v) != 0 ? 1 : 0);
        break;
    default: item = new CBCGPGridItemMid(QVariant(v)); break;
    }
    const bool isCheck = kind == 1 || kind == 4;
    const bool isDefault = !(kind == 1 || kind == 2 || kind == 4 || kind == 5 || kind == 6 || kind == 7 || kind == 8
                             || kind == 10 || kind == 11 || kind == 12 || kind == 13 || kind == 14);
    // Cells whose value is a mask, a date, a picture or an on/off state keep it whatever the
    // value type says: a text would undo them.
    const bool keepsValue = kind == 10 || kind == 12 || kind == 13 || kind == 14 || kind == 7;
    auto *mid = dynamic_cast<CBCGPGridItemMid *>(item);
    switch (cell.m_byValueType) {
    case 1:
        if (isCheck)
            item->SetValue(QVariant(WToI(v) != 0), false);
        else if (!keepsValue)
            item->SetValue(QVariant(WToI(v)), false);
        if (isDefault && mid)
            mid->SetValueFormat(QStringLiteral("%d"), item->GetValue());
        break;
    case 2:
    case 3:
    case 4:
        if (!keepsValue && !isCheck)
            item->SetValue(QVariant(WToF(v)), false);
        if (isDefault && mid) {
            QString f = cell.m_byValueType == 2 ? QStringLiteral("%.2f")
                        : cell.m_byValueType == 3 ? QStringLiteral("%.3f") : QStringLiteral("%.4f");
            if (cell.m_byValueType == 2 && fieldId == QLatin1String("iKouzhong"))
                f = QStringLiteral("%.4f");
            mid->SetValueFormat(f, item->GetValue());
        }
        break;
    case 7:
        if (auto *ball = dynamic_cast<CBallColorBCGPGridCellItem *>(item)) {
            ball->m_color1 = back(1);
            ball->m_color2 = back(2);
            ball->m_color3 = back(3);
            ball->m_text1 = option(0);
            ball->m_text2 = option(1);
            ball->m_text3 = option(2);
        }
        break;
    case 8:
        if (auto *date = dynamic_cast<platform::GridDateTimeItem *>(item))
            date->SetValue(QVariant(ParseDate(v)), false);
        else if (!keepsValue)
            item->SetValue(QVariant(ParseDate(v)), false);
        break;
    case 0:
        // No value type given: a check cell keeps the state its kind gave it (a kind-4 cell
        // is checked by "1" only).
        if (!isCheck && !keepsValue)
            item->SetValue(QVariant(v), false);
        break;
    default:
        if (isCheck)
            item->SetValue(QVariant(WToI(v) != 0), false);
        else if (!keepsValue)
            item->SetValue(QVariant(v), false);
        break;
    }

    if (cell.m_spBackColors && !cell.m_spBackColors->empty()) {
        const COLORREF b = (*cell.m_spBackColors)[0];
        item->SetBackgroundColor(b, false);
        item->SetTextColor(TextForBackground(b), false);
    }
    // A locked cell is grey unless it has a text colour of its own. The grey is derived here
    // rather than appended to the record's shared colour list, which would grow on every fill.
    locked = !cell.m_bEnabled;
    if (cell.m_spTextColors && !cell.m_spTextColors->empty())
        item->SetTextColor((*cell.m_spTextColors)[0], false);
    else if (locked)
        item->SetTextColor(kLockedText, false);
    item->Enable(cell.m_bEnabled != 0);
    return item;
}

void CDlgBCGGrid::FillRows()
{
    m_nCheckedRows = 0;
    if (!m_pGrid)
        return;
    m_pGrid->RemoveAll();
    const int columns = m_pGrid->GetColumnCount();
    m_vecLockedCells.clear();
    for (auto &[key, record] : m_rows) {
        GridRow *row = m_pGrid->CreateRow(columns);
        row->SetData(reinterpret_cast<DWORD_PTR>(&record));
        const int rowId = m_pGrid->GetRowCount();
        for (auto &[field, cell] : record) {
            if (m_mapFieldToCol.empty())
                break;
            auto col = m_mapFieldToCol.find(field);
            if (col == m_mapFieldToCol.end() || col->second >= columns)
                continue;
            auto editable = m_mapFieldEditable.find(field);
            const bool isEdit = editable == m_mapFieldEditable.end() || editable->second != 0;
            bool locked = false;
            GridItem *item = BuildItem(field, cell, locked);
            if (!isEdit)
                item->AllowEdit(false);
            if (!isEdit && item->GetOptionCount() == 0)
                item->SetReadOnly(true);
            row->ReplaceItem(col->second, item);
            if (locked)
                m_vecLockedCells.push_back(LockedCell{item, rowId, col->second, 0});
        }
        for (int c = 0; c < columns; ++c) {
            GridItem *item = row->GetItem(c);
            auto field = m_mapColToField.find(c);
            if (item && field != m_mapColToField.end()) {
                auto editable = m_mapFieldEditable.find(field->second);
                if (editable != m_mapFieldEditable.end() && editable->second == 0)
                    item->SetReadOnly(true);
            }
        }
        m_pGrid->AddRow(row, false);
    }
    m_pGrid->EnableAlternateRows(true);
    m_pGrid->AdjustLayout();
    RefreshStatistics();
}

// ---- reading back ----------------------------------------------------------------------------

CGridRowData *CDlgBCGGrid::RowRecord(int nRow) const
{
    GridRow *row = m_pGrid ? m_pGrid->GetRow(nRow) : nullptr;
    return row ? reinterpret_cast<CGridRowData *>(row->GetData()) : nullptr;
}

GridRow *CDlgBCGGrid::FindRowById(int nRow) const
{
    if (!m_pGrid)
        return nullptr;
    GridRow *row = m_pGrid->GetRow(nRow);
    if (row && row->GetRowId() == nRow)
        return row;
    for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
        if (m_pGrid->GetRow(r)->GetRowId() == nRow)
            return m_pGrid->GetRow(r);
    }
    return nullptr;
}

BOOL CDlgBCGGrid::GetRowDataMap(CGridRowDataMap &out)
{
    if (&out == &m_rows)
        return m_pGrid ? TRUE : FALSE;
    out.clear();
    if (!m_pGrid)
        return FALSE;
    out = m_rows;
    return TRUE;
}

BOOL CDlgBCGGrid::GetRow(int nRow, CGridRowData &out)
{
    out.clear();
    const CGridRowData *record = (m_pGrid && nRow >= 0) ? RowRecord(nRow) : nullptr;
    if (!record)
        return FALSE;
    out = *record;
    return TRUE;
}

void CDlgBCGGrid::GetSelectedRowsData(CGridRowDataMap &out)
{
    out.clear();
    if (!m_pGrid)
        return;
    if (m_tableAttr.isMultiRowSelect) {
        for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
            GridRow *row = m_pGrid->GetRow(r);
            if (row->GetCheck())
                if (const CGridRowData *record = RowRecord(r))
                    out[r] = *record;
        }
        return;
    }
    GridRow *cur = m_pGrid->GetCurSel();
    if (cur && cur->GetRowId() >= 0)
        if (const CGridRowData *record = RowRecord(cur->GetRowId()))
            out[cur->GetRowId()] = *record;
}

BOOL CDlgBCGGrid::GetCellText(QString &out, int nRowId, int nCol)
{
    out.clear();
    if (!m_pGrid || nRowId < 0 || nCol < 0)
        return FALSE;
    GridRow *row = FindRowById(nRowId);
    if (!row || m_pGrid->RowToViewRow(row->GetRowId()) < 0 || !row->GetItem(nCol))
        return FALSE;
    out = row->GetItem(nCol)->FormatItem();
    return TRUE;
}

BOOL CDlgBCGGrid::GetCellData(int nRowId, int nCol, CGridCellData &out)
{
    out = CGridCellData();
    if (!m_pGrid || nRowId < 0 || nCol < 0)
        return FALSE;
    GridRow *row = FindRowById(nRowId);
    auto field = m_mapColToField.find(nCol);
    const CGridRowData *record = row ? reinterpret_cast<CGridRowData *>(row->GetData()) : nullptr;
    if (!record || field == m_mapColToField.end())
        return FALSE;
    auto cell = record->find(field->second);
    if (cell == record->end())
        return FALSE;
    out = cell->second;
    return TRUE;
}

BOOL CDlgBCGGrid::GetRowCellText(QString &out, int nRowId, const QString &fieldId)
{
    out.clear();
    if (!m_pGrid || nRowId < 0)
        return FALSE;
    GridRow *row = FindRowById(nRowId);
    auto *record = row ? reinterpret_cast<CGridRowData *>(row->GetData()) : nullptr;
    if (!record)
        return FALSE;
    auto cell = record->find(fieldId);
    if (cell == record->end())
        return FALSE;
    out = cell->second.m_strValue;
    auto col = m_mapFieldToCol.find(fieldId);
    if (col != m_mapFieldToCol.end()) {
        if (GridItem *item = row->GetItem(col->second)) {
            const QString shown = VariantToText(item->GetValue());
            if (shown != out) {
                out = shown;
                cell->second.m_strValue = shown;
            }
        }
    }
    return TRUE;
}

BOOL CDlgBCGGrid::SaveColumnLayout(CGridTableAttribute &out)
{
    if (m_pGrid) {
        const std::vector<int> order = m_pGrid->GetColumnOrderArray();
        for (auto &[id, col] : m_tableAttr.m_mapColumns) {
            auto it = m_mapFieldToCol.find(id);
            if (it == m_mapFieldToCol.end())
                continue;
            const int c = it->second;
            col.isShow = m_pGrid->GetColumnVisible(c);
            if (col.isShow) {
                col.iColWidth = static_cast<std::int16_t>(m_pGrid->GetColumnWidth(c));
                col.defaultWidth.on = false;
            }
            const auto pos = std::find(order.begin(), order.end(), c);
            if (pos != order.end())
                col.iColIndex = static_cast<std::int16_t>(pos - order.begin());
        }
    }
    out = m_tableAttr;
    return TRUE;
}

BOOL CDlgBCGGrid::SaveTableLayout(const QString &tableId)
{
    if (!m_pGrid || tableId.isEmpty())
        return FALSE;
    CGridTableAttribute attr;
    SaveColumnLayout(attr);
    return CGridCtrlTableAttributeOp::GetInstance()->SaveUserTableAttribute(tableId, attr);
}

BOOL CDlgBCGGrid::GetExportFieldIds(std::vector<QString> &out, BOOL bRebuild)
{
    if (bRebuild || m_exportFields.empty()) {
        m_exportFields.clear();
        for (const auto &[field, col] : m_mapFieldToCol) {
            if (m_pGrid && m_pGrid->GetColumnVisible(col))
                m_exportFields.push_back(field);
        }
        for (const QString &extra : m_extraExportFields) {
            if (std::find(m_exportFields.begin(), m_exportFields.end(), extra) == m_exportFields.end())
                m_exportFields.push_back(extra);
        }
    }
    out = m_exportFields;
    return out.empty() ? FALSE : TRUE;
}

BOOL CDlgBCGGrid::SetItemValueFromText(GridItem *item, const QString &text)
{
    if (!item)
        return FALSE;
    const QVariant &v = item->GetValue();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        item->SetValue(QVariant(WToI(text)));
        break;
    case QMetaType::Bool:
        item->SetValue(QVariant(WToI(text) != 0));
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        item->SetValue(QVariant(WToF(text)));
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            return FALSE;
        item->SetValue(QVariant(dt));
        break;
    }
    default:
        item->SetValue(QVariant(text));
        break;
    }
    return TRUE;
}

QString CDlgBCGGrid::VariantToText(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::Float:
        return QString::number(double(v.toFloat()), 'g', 7);
    default:
        return v.toString();
    }
}

// ---- owner operations ------------------------------------------------------------------------

int CDlgBCGGrid::GetCurSelColumn()
{
    if (!m_pGrid || !m_pGrid->GetCurSel() || !m_pGrid->GetCurSelItem())
        return -1;
    return m_pGrid->GetCurSelItem()->GetColumnId();
}

BOOL CDlgBCGGrid::GetCurSelCellText(QString &out, const QString &fieldId)
{
    out.clear();
    if (!m_pGrid || !m_pGrid->GetCurSel())
        return FALSE;
    const CGridRowData *record = reinterpret_cast<CGridRowData *>(m_pGrid->GetCurSel()->GetData());
    if (record) {
        auto cell = record->find(fieldId);
        if (cell != record->end())
            out = cell->second.m_strValue;
    }
    return TRUE;
}

BOOL CDlgBCGGrid::SelectRow(int nRow)
{
    if (!m_pGrid)
        return FALSE;
    if (nRow >= 0 && nRow < m_pGrid->GetRowCount()) {
        m_pGrid->SetCurSel(GridItemID{nRow, 0});
        m_pGrid->EnsureVisible(nRow);
    }
    return TRUE;
}

BOOL CDlgBCGGrid::SelectRowByKey(int key)
{
    if (!m_pGrid)
        return FALSE;
    auto it = m_rows.find(static_cast<std::int64_t>(key));
    if (it == m_rows.end())
        return FALSE;
    for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
        GridRow *row = m_pGrid->GetRow(r);
        if (reinterpret_cast<CGridRowData *>(row->GetData()) == &it->second && m_pGrid->RowToViewRow(r) >= 0) {
            m_pGrid->SetCurSel(GridItemID{r, 0});
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CDlgBCGGrid::SetCellValue(int nRow, const QString &value, const QString &fieldId)
{
    if (!m_pGrid || nRow < 0 || nRow >= m_pGrid->GetRowCount())
        return FALSE;
    GridRow *row = FindRowById(nRow);
    auto *record = row ? reinterpret_cast<CGridRowData *>(row->GetData()) : nullptr;
    if (!record)
        return FALSE;
    auto cell = record->find(fieldId);
    auto col = m_mapFieldToCol.find(fieldId);
    if (col == m_mapFieldToCol.end()) {
        if (cell == record->end())
            return FALSE;
        cell->second.m_strValue = value;
        return TRUE;
    }
    if (cell == record->end())
        return TRUE;
    cell->second.m_strValue = value;
    GridItem *item = row->GetItem(col->second);
    if (!item)
        return TRUE;
    const bool isCheck = cell->second.m_byCellKind == 1 || cell->second.m_byCellKind == 4;
    auto *mid = dynamic_cast<CBCGPGridItemMid *>(item);
    switch (cell->second.m_byValueType) {
    case 1:
        item->SetValue(isCheck ? QVariant(WToI(value) != 0) : QVariant(WToI(value)));
        break;
    case 2:
    case 3:
    case 4:
        if (mid)
            mid->SetValueFormat(cell->second.m_byValueType == 2   ? QStringLiteral("%.2f")
                                : cell->second.m_byValueType == 3 ? QStringLiteral("%.3f")
                                                                  : QStringLiteral("%.4f"),
                                QVariant(double(0)));
        item->SetValue(QVariant(WToF(value)));
        break;
    default:
        item->SetValue(isCheck ? QVariant(WToI(value) != 0) : QVariant(value));
        break;
    }
    return TRUE;
}

BOOL CDlgBCGGrid::SetCellColors(BOOL bReset, int nRow, const QString &fieldId)
{
    if (!m_pGrid || nRow < 0 || nRow >= m_pGrid->GetRowCount())
        return FALSE;
    auto col = m_mapFieldToCol.find(fieldId);
    if (col == m_mapFieldToCol.end() || col->second < 0 || col->second >= m_pGrid->GetColumnCount())
        return FALSE;
    GridRow *row = FindRowById(nRow);
    auto *record = row ? reinterpret_cast<CGridRowData *>(row->GetData()) : nullptr;
    if (!record)
        return FALSE;
    auto cell = record->find(fieldId);
    if (cell == record->end())
        return TRUE;
    GridItem *item = row->GetItem(col->second);
    if (bReset) {
        if (cell->second.m_spBackColors) {
            cell->second.m_spBackColors->clear();
            if (item) {
                item->SetBackgroundColor(platform::kGridDefaultColor);
                item->SetTextColor(platform::kGridDefaultColor);
            }
        }
        return TRUE;
    }
    constexpr COLORREF yellow = 0x0000FFFF;
    if (!cell->second.m_spBackColors)
        cell->second.m_spBackColors = std::make_shared<std::vector<COLORREF>>();
    cell->second.m_spBackColors->assign(1, yellow);
    if (item) {
        item->SetBackgroundColor(yellow);
        item->SetTextColor(TextForBackground(yellow));
    }
    return TRUE;
}

BOOL CDlgBCGGrid::CommitCellText(const QString &text, int nRow, int nCol)
{
    if (!m_pGrid)
        return FALSE;
    GridRow *row = m_pGrid->GetRow(nRow);
    auto *record = row ? reinterpret_cast<CGridRowData *>(row->GetData()) : nullptr;
    auto field = m_mapColToField.find(nCol);
    if (!record || field == m_mapColToField.end())
        return FALSE;
    auto cell = record->find(field->second);
    GridItem *item = row->GetItem(nCol);
    if (cell == record->end() || !item || !SetItemValueFromText(item, text))
        return FALSE;
    cell->second.m_strValue = text;
    return TRUE;
}

QString CDlgBCGGrid::GetColumnFieldId(int nCol)
{
    if (!m_pGrid || nCol < 0 || nCol >= m_pGrid->GetColumnCount()
        || nCol >= static_cast<int>(m_mapColToField.size()))
        return QStringLiteral("ERROR");
    auto it = m_mapColToField.find(nCol);
    return it == m_mapColToField.end() ? QString() : it->second;
}

BOOL CDlgBCGGrid::SetRowCheck(BOOL bCheck, int nRow)
{
    if (!m_pGrid || !m_pGrid->HasCheckBoxes() || !m_tableAttr.isMultiRowSelect || nRow < 0
        || nRow >= m_pGrid->GetRowCount())
        return FALSE;
    m_pGrid->GetRow(nRow)->SetCheck(bCheck != 0);
    if (bCheck) {
        bool all = true;
        for (int r = 0; r < m_pGrid->GetRowCount() && all; ++r)
            all = m_pGrid->GetRow(r)->GetCheck();
        if (all)
            m_pGrid->GetColumnsInfo().SetCheckBoxState(true);
    } else {
        m_pGrid->GetColumnsInfo().SetCheckBoxState(false);
    }
    m_pGrid->RedrawAll();
    return TRUE;
}

BOOL CDlgBCGGrid::GetRowCheck(BOOL *pCheck, int nRow)
{
    if (!m_pGrid || !m_pGrid->HasCheckBoxes() || !m_tableAttr.isMultiRowSelect || nRow < 0
        || nRow >= m_pGrid->GetRowCount() || !pCheck)
        return FALSE;
    *pCheck = m_pGrid->GetRow(nRow)->GetCheck() ? 1 : 0;
    return TRUE;
}

BOOL CDlgBCGGrid::IsLockedCell(int nRowId, int nCol) const
{
    for (const LockedCell &c : m_vecLockedCells) {
        if (c.nRow == nRowId && c.nCol == nCol)
            return TRUE;
    }
    return FALSE;
}

bool CDlgBCGGrid::IsLockedForEvent(int nRow, int nCol, bool columnMayBeAny) const
{
    for (const LockedCell &c : m_vecLockedCells) {
        if (c.nRow == nRow && (c.nCol == nCol || (columnMayBeAny && nCol == -1)))
            return true;
    }
    return false;
}

void CDlgBCGGrid::ApplyGridColors()
{
    if (!m_pGrid)
        return;
    const TableColors c = CurrentTableColors();
    if (c.bCustom) {
        platform::GridCtrl::ColorTheme theme = m_pGrid->GetColorTheme();
        theme.text = c.clrFont;
        theme.evenBack = c.clrEven;
        theme.oddBack = c.clrOdd;
        m_pGrid->SetColorTheme(theme, true);
    } else {
        m_pGrid->SetVisualManagerColorTheme(true);
    }
    m_pGrid->AdjustLayout();
}

BOOL CDlgBCGGrid::SelectCell(int nRow, int nCol, BOOL bByClick)
{
    if (!m_pGrid || nRow < 0 || nRow >= m_pGrid->GetRowCount())
        return FALSE;
    nCol = std::clamp(nCol, 0, std::max(0, m_pGrid->GetColumnCount() - 1));
    auto mode = platform::GridCtrl::SelectSingle;
    if (m_tableAttr.isMultiRowSelect && bByClick) {
        if (m_bCtrlDown && !m_bShiftDown)
            mode = platform::GridCtrl::SelectAdd;
        else if (m_bShiftDown && !m_bCtrlDown)
            mode = platform::GridCtrl::SelectExtend;
    }
    m_pGrid->SetCurSel(GridItemID{nRow, nCol}, true, mode);
    return TRUE;
}

void CDlgBCGGrid::SyncChecksWithSelection()
{
    if (!m_pGrid)
        return;
    QItemSelectionModel *sel = m_pGrid->View(1)->selectionModel();
    // One pass over the selection's ranges, then one over the rows: a shift-click over thousands of
    // rows stays linear.
    std::vector<char> selectedView;
    for (const QItemSelectionRange &range : sel->selection()) {
        if (range.bottom() >= int(selectedView.size()))
            selectedView.resize(std::size_t(range.bottom()) + 1, 0);
        for (int v = range.top(); v <= range.bottom(); ++v)
            selectedView[std::size_t(v)] = 1;
    }
    for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
        const int v = m_pGrid->RowToViewRow(r);
        if (v < 0)
            continue;
        const bool selected = v < int(selectedView.size()) && selectedView[std::size_t(v)];
        m_pGrid->GetRow(r)->SetCheck(selected);
    }
    m_pGrid->RedrawAll();
}

void CDlgBCGGrid::UpdateControl(int nKind, int, WPARAM wParam, LPARAM)
{
    if (nKind != kGridCellTooltip || !wParam)
        return;
    auto *request = reinterpret_cast<QLGridTooltipRequest *>(wParam);
    CGridCellData cell;
    if (!GetCellData(request->id.m_nRow, request->id.m_nColumn, cell))
        return;
    if (cell.m_byCellKind == 14 && cell.m_spExtraTexts && cell.m_spExtraTexts->size() >= 2 && request->pText)
        *request->pText = WToI(cell.m_strValue) ? (*cell.m_spExtraTexts)[0] : (*cell.m_spExtraTexts)[1];
}

// ---- statistics ------------------------------------------------------------------------------

void CDlgBCGGrid::RestartStatisticsTimer()
{
    KillTimer(kStatisticsTimer);
    SetTimer(kStatisticsTimer, 500);
}

void CDlgBCGGrid::OnTimer(UINT_PTR id)
{
    KillTimer(id);
    if (id == kStatisticsTimer)
        RefreshStatistics();
}

BOOL CDlgBCGGrid::RefreshStatistics()
{
    if (!m_pGrid || !m_tableAttr.isShowSumBar || !m_pGrid->GetColumnsInfo().m_bShowSumRow)
        return FALSE;
    const int visible = m_pGrid->GetVisibleRowCount();
    const CGridRowData *first = m_rows.empty() ? nullptr : &m_rows.begin()->second;
    for (const auto &[id, attr] : m_tableAttr.m_mapColumns) {
        if (!attr.isShow)
            continue;
        auto col = m_mapFieldToCol.find(id);
        if (col == m_mapFieldToCol.end())
            continue;
        const int c = col->second;
        int type = 1;
        if (first) {
            auto cell = first->find(id);
            if (cell != first->end())
                type = cell->second.m_byValueType;
        }
        auto &info = m_pGrid->GetColumnsInfo();
        switch (attr.enColSumType) {
        case 0:
            info.SetColumnSumText(c, QString());
            break;
        case 2:
            info.SetColumnSumText(c, QString::fromUtf8("计数=%1").arg(visible));
            break;
        case 1:
        case 3: {
            double sum = 0;
            for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
                if (m_pGrid->RowToViewRow(r) < 0)
                    continue;
                if (GridItem *item = m_pGrid->GetRow(r)->GetItem(c))
                    sum += WToF(VariantToText(item->GetValue()));
            }
            const bool average = attr.enColSumType == 3;
            const double value = average ? sum / (visible > 0 ? visible : 1) : sum;
            const QString label = average ? QString::fromUtf8("平均=") : QString();
            QString text;
            switch (type) {
            case 1: text = label + QString::number(static_cast<long long>(value)); break;
            case 2: text = label + QString::asprintf("%.02f", value); break;
            case 3: text = label + QString::asprintf("%.03f", value); break;
            case 4: text = label + QString::asprintf("%.04f", value); break;
            default: text = label + TrimTrailingZeros(QString::asprintf("%.4f", value)); break;
            }
            info.SetColumnSumText(c, text);
            break;
        }
        default:
            break;
        }
    }
    m_pGrid->GetColumnsInfo().m_bShowSumRow = true;
    m_pGrid->SetSumRowHeight(m_tableAttr.iSumRowHeight);
    m_pGrid->AdjustLayout();
    UpdateCheckedCountMark(CountCheckedRows());
    return TRUE;
}

int CDlgBCGGrid::CountCheckedRows()
{
    if (!m_pGrid)
        return 0;
    // Over every row, as the read-back of checked rows counts them.
    int n = 0;
    for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
        if (m_pGrid->GetRow(r)->GetCheck())
            ++n;
    }
    m_nCheckedRows = n;
    return n;
}

void CDlgBCGGrid::UpdateCheckedCountMark(int nChecked)
{
    if (!m_pGrid || !m_tableAttr.isShowSumBar)
        return;
    auto &info = m_pGrid->GetColumnsInfo();
    const std::vector<int> order = m_pGrid->GetColumnOrderArray();
    const int target = order.empty() ? -1 : order.front();
    if (m_nCheckMarkColumn >= 0 && target >= 0 && m_nCheckMarkColumn != target) {
        const QString old = info.GetColumnSumText(m_nCheckMarkColumn);
        const int comma = old.lastIndexOf(QLatin1Char(','));
        info.SetColumnSumText(m_nCheckMarkColumn, comma >= 0 ? old.mid(comma + 1) : old);
    }
    if (target < 0)
        return;
    const QString before = info.GetColumnSumText(target);
    QString stripped = before;
    int cut = stripped.lastIndexOf(QLatin1Char(','));
    if (cut < 0)
        cut = stripped.lastIndexOf(QLatin1Char(' '));
    if (cut >= 0)
        stripped = stripped.mid(cut + 1);
    QString text = stripped;
    if (nChecked > 1) {
        const QString prefix = (!before.isEmpty() && !stripped.isEmpty())
                                   ? QString::fromUtf8("选中(%1),").arg(nChecked)
                                   : QString::fromUtf8("选中(%1) ").arg(nChecked);
        text = prefix + stripped;
    }
    info.SetColumnSumText(target, text);
    m_pGrid->RedrawAll();
    m_nCheckMarkColumn = target;
}

// ---- events ----------------------------------------------------------------------------------

LRESULT CDlgBCGGrid::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The frame relays the colour change to every window under it, this page included.
    if (msg == TableColorsRefreshMessage()) {
        ApplyGridColors();
        return 0;
    }
    if (msg == GridMessage("BCGM_GRID_ITEM_CHANGED")) {
        auto *info = reinterpret_cast<GridItemInfo *>(lParam);
        if (!info || IsLockedForEvent(info->nRow, info->nCol, true))
            return 0;
        if (info->nRow >= 0 && info->nCol >= 0 && m_pGrid && m_pGrid->GetRow(info->nRow)) {
            auto field = m_mapColToField.find(info->nCol);
            CGridRowData *record = RowRecord(info->nRow);
            if (field != m_mapColToField.end() && record) {
                auto cell = record->find(field->second);
                if (cell != record->end()) {
                    QString text = info->pItem ? VariantToText(info->pItem->GetValue()) : QString();
                    if (cell->second.m_byCellKind == 1 || cell->second.m_byCellKind == 4)
                        text = WToI(text) ? QStringLiteral("1") : QStringLiteral("0");
                    cell->second.m_strValue = text;
                }
            }
        }
        SendToOwner(UM_GRID_ITEM_CHANGED, lParam);
        RestartStatisticsTimer();
        return 1;
    }
    if (msg == UM_GRID_CELL_RCLICK || msg == UM_GRID_CELL_LCLICK || msg == UM_GRID_CELL_DBLCLICK) {
        auto *hit = reinterpret_cast<QLGridCellNotify *>(lParam);
        if (!hit)
            return 0;
        if (msg == UM_GRID_CELL_RCLICK) {
            if (IsLockedForEvent(hit->nRow, hit->nColumn, true) && !m_bRClickOnLockedCell)
                return 0;
            if (!hit->pItem)
                return 0;
            if (m_tableAttr.isWholeRowSelect)
                SelectCell(hit->nRow, hit->nColumn, FALSE);
            SendToOwner(UM_GRID_CELL_RCLICK, lParam);
            return 0;
        }
        if (IsLockedForEvent(hit->nRow, hit->nColumn, false))
            return 0;
        if (msg == UM_GRID_CELL_DBLCLICK) {
            SendToOwner(UM_GRID_CELL_DBLCLICK, lParam);
            return 0;
        }
        if (m_tableAttr.isWholeRowSelect) {
            SelectCell(hit->nRow, hit->nColumn, TRUE);
            if (m_tableAttr.IsMultiRowSelectNoLoseFocus && m_pGrid) {
                const bool modifier = m_bCtrlDown || m_bShiftDown;
                if (hit->nRow < 0 && hit->nColumn < 0) {
                    if (modifier) {
                        SyncChecksWithSelection();
                        CountCheckedRows();
                        UpdateCheckedCountMark(m_nCheckedRows);
                    }
                } else {
                    if (!modifier) {
                        m_pGrid->GetColumnsInfo().SetCheckBoxState(false);
                        m_pGrid->CheckAll(false);
                        if (GridRow *row = m_pGrid->GetRow(hit->nRow))
                            row->SetCheck(true);
                        m_pGrid->RedrawAll();
                        m_nCheckedRows = 1;
                    } else {
                        SyncChecksWithSelection();
                        CountCheckedRows();
                    }
                    UpdateCheckedCountMark(m_nCheckedRows);
                    SendToOwner(GridMessage("BCGM_GRID_ROW_CHECKBOX_CLICK"), lParam);
                }
            }
        }
        SendToOwner(UM_GRID_CELL_LCLICK, lParam);
        return 0;
    }
    if (msg == UM_GRID_HEADER_RCLICK)
        return OnHeaderRClick(wParam, lParam);
    if (msg == WM_COMMAND && (wParam & 0xFFFF) >= ID_GRID_MENU_FIRST && (wParam & 0xFFFF) <= ID_GRID_MENU_LAST) {
        OnGridMenuCommand(static_cast<UINT>(wParam & 0xFFFF));
        return 0;
    }
    if (msg == GridMessage("BCGM_GRID_ITEM_BEGININPLACEEDIT")) {
        SendToOwner(UM_GRID_BEGIN_EDIT, lParam);
        return 1;
    }
    if (msg == GridMessage("BCGM_GRID_ITEM_ENDINPLACEEDIT")) {
        SendToOwner(UM_GRID_END_EDIT, lParam);
        return 1;
    }
    if (msg == GridMessage("BCGM_GRID_FILTER_BAR_CHANGED")) {
        RestartStatisticsTimer();
        return 0;
    }
    if (msg == GridMessage("BCGM_GRID_FILTER_BAR_ENTER_MSG") || msg == GridMessage("BCGM_GRID_CLICK_FILTER_BAR_CLEAR_BTN"))
        return 0;
    if (msg == GridMessage("BCGM_GRID_ROW_CHECKBOX_CLICK")) {
        auto *row = reinterpret_cast<GridRow *>(lParam);
        if (row && !m_bCheckLockedRows) {
            for (const LockedCell &c : m_vecLockedCells) {
                if (c.nRow == row->GetRowId()) {
                    // The grid has already ticked the box; a row with a locked cell keeps
                    // its mark, so the tick is taken back.
                    row->ToggleCheck();
                    if (m_pGrid)
                        m_pGrid->RedrawAll();
                    return 0;
                }
            }
        }
        const LRESULT answer = SendToOwner(msg, lParam);
        if (row && !row->GetCheck()) {
            if (m_pGrid)
                m_pGrid->GetColumnsInfo().SetCheckBoxState(false);
            --m_nCheckedRows;
        } else if (row) {
            ++m_nCheckedRows;
        }
        UpdateCheckedCountMark(m_nCheckedRows);
        return answer;
    }
    if (msg == GridMessage("BCGM_GRID_HEADERCHECKBOX_CLICK")) {
        // An owner that takes the click over ticks rows its own way: the statistics pass counts
        // them once it is done.
        const LRESULT answer = SendToOwner(msg, lParam);
        if (answer)
            RestartStatisticsTimer();
        return answer;
    }
    if (msg == GridMessage("BCGM_GRID_HEADERCHECKBOX_CLICK_END")) {
        // The grid has ticked the rows the filter shows: the mark counts what is ticked.
        UpdateCheckedCountMark(CountCheckedRows());
        return SendToOwner(msg, lParam);
    }
    if (msg == GridMessage("BCGM_GRID_ITEM_DBLCLICK"))
        return 1;
    if (msg == UM_GRID_DATA_CHANGED) {
        RestartStatisticsTimer();
        return 0;
    }
    if (msg == 0x408 || msg == 0x409) {
        QObject *owner = GetOwnerWindow();
        if (owner)
            platform::SendMessage(platform::WindowRef(owner), msg, wParam, lParam);
        return 0;
    }
    if (msg == GridMessage("BCGM_GRID_SEL_CHANGED")) {
        SendToOwner(msg, lParam);
        return 0;
    }
    if (msg == GridMessage("BCGM_GRID_ENTER_MSG")) {
        const GridItemID cur = m_pGrid ? m_pGrid->GetCurSelItemID() : GridItemID{};
        if (IsLockedCell(cur.m_nRow, cur.m_nColumn))
            return 0;
        SendToOwner(msg, lParam);
        return 0;
    }
    return CTabDialog::WindowProc(msg, wParam, lParam);
}

bool CDlgBCGGrid::HandleKey(QKeyEvent *e, bool down)
{
    if (e->key() == Qt::Key_Shift)
        m_bShiftDown = down ? 1 : 0;
    if (e->key() == Qt::Key_Control)
        m_bCtrlDown = down ? 1 : 0;
    if (down) {
        SendToOwner(kWmKeyDown, static_cast<LPARAM>(e->key()));
        if (e->key() == Qt::Key_Escape)
            return true;
    } else if (m_pGrid) {
        platform::SendMessage(platform::WindowRef(static_cast<platform::MessageTarget *>(m_pGrid)), kWmKeyUp,
                              static_cast<WPARAM>(e->key()), 0);
    }
    return false;
}

bool CDlgBCGGrid::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        if (HandleKey(static_cast<QKeyEvent *>(e), e->type() == QEvent::KeyPress))
            return true;
    }
    return CTabDialog::eventFilter(o, e);
}

void CDlgBCGGrid::keyPressEvent(QKeyEvent *e)
{
    if (HandleKey(e, true))
        return;
    CTabDialog::keyPressEvent(e);
}

void CDlgBCGGrid::keyReleaseEvent(QKeyEvent *e)
{
    HandleKey(e, false);
    CTabDialog::keyReleaseEvent(e);
}
