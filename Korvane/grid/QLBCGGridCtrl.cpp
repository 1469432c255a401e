#include "grid/QLBCGGridCtrl.h"

#include "DialogExMid.h"
#include "grid/FilterListDlg.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QHeaderView>
#include <QTableView>

using platform::FilterColumnInfo;
using platform::GridItem;
using platform::GridItemID;
using platform::GridRow;

CQLBCGGridCtrl::CQLBCGGridCtrl(QWidget *parent) : CBCGPGridCtrlMid(parent) { m_curFilter.Reset(); }

void CQLBCGGridCtrl::SetFixedRowHeight(int &height) { m_nFixedRowHeight = height; }

void CQLBCGGridCtrl::SetRowHeight()
{
    CBCGPGridCtrlMid::SetRowHeight();
    if (m_nFixedRowHeight != -1) {
        m_nRowHeight = m_nFixedRowHeight;
        for (int i = 0; i < 3; ++i)
            View(i)->verticalHeader()->setDefaultSectionSize(m_nRowHeight);
    }
}

BOOL CQLBCGGridCtrl::SetColumnFilterValues(int col, const QStringList *values)
{
    if (col < 0)
        return FALSE;
    m_mapColumnValues[col] = values ? *values : QStringList();
    return TRUE;
}

void CQLBCGGridCtrl::GetColumnFilterValues(int col, QStringList &values) const
{
    values.clear();
    auto it = m_mapColumnValues.find(col);
    if (it != m_mapColumnValues.end())
        values = it->second;
    if (values.isEmpty())
        GetColumnValuesList(col, values);
}

QString CQLBCGGridCtrl::GetHeaderMenuButtonTooltip(int col) const
{
    QString tip = TrText(QString::fromUtf8("通过(%1)过滤")).arg(GetColumnName(col));
    const QString description = GetCustomFilterDescription(col);
    if (!description.isEmpty())
        tip += QStringLiteral("\n") + description;
    return tip;
}

QString CQLBCGGridCtrl::GetCustomFilterDescription(int col) const
{
    if (col != m_curFilter.nCol || m_curFilter.bAll)
        return QString::fromUtf8("点击当前按钮进行列标题过滤设置");
    if (col == 0 && !m_curFilter.strFilter.isEmpty())
        return QStringLiteral("Contains \"%1\"").arg(m_curFilter.strFilter);
    if (col >= 0 && col <= 5 && col != 4) {
        if (m_curFilter.lstValues.isEmpty())
            return QStringLiteral("(Showing None)");
        return QStringLiteral("Contains \"%1\"").arg(m_curFilter.lstValues.join(QStringLiteral(", ")));
    }
    if (col == 4)
        return m_curFilter.lstValues.isEmpty() ? QStringLiteral("(Showing None)") : QString();
    return QString();
}

void CQLBCGGridCtrl::OnHeaderMenuButtonClick(int col, const QRect &)
{
    SelectColumn(col, true);
    m_nFilterMenuColumn = col;
    if (GetRowCount() > kGridFilterLimit) {
        platform::Ui().MessageBox(QString::fromUtf8("数据数量超出了全局设置上限!"), QString(), MB_OK, this);
        return;
    }
    QStringList values;
    GetColumnFilterValues(col, values);
    if (values.size() > kGridFilterLimit) {
        platform::Ui().MessageBox(QString::fromUtf8("过滤列表项数量超出了全局设置上限!"), QString(), MB_OK, this);
        return;
    }
    ShowFilterMenu(ID_GRID_FILTER_APPLIED, col, values, QPoint(-1, -1));
}

void CQLBCGGridCtrl::OnHeaderColumnRClick(int col)
{
    setFocus();
    SendToOwner(UM_GRID_HEADER_RCLICK, static_cast<WPARAM>(GetDlgCtrlID()), col);
}

void CQLBCGGridCtrl::SendCellNotice(UINT msg, const GridItemID &hit, int missing)
{
    QLGridCellNotify n;
    if (!hit.IsNull()) {
        n.pItem = GetItem(hit);
        n.nRow = hit.m_nRow;
        n.nColumn = hit.m_nColumn;
    }
    if (!n.pItem) {
        n.nRow = missing;
        n.nColumn = missing;
    }
    SendToOwner(msg, static_cast<WPARAM>(GetDlgCtrlID()), reinterpret_cast<LPARAM>(&n));
}

void CQLBCGGridCtrl::OnCellLButtonUp(const GridItemID &hit, const QPoint &)
{
    if (GridItem *item = GetItem(hit)) {
        if (item->GetTextColor() == 0xFFFFFF)
            item->SetTextColor(0x010101);
    }
    SendCellNotice(UM_GRID_CELL_LCLICK, hit, -1);
}

void CQLBCGGridCtrl::OnCellRButtonUp(const GridItemID &hit, const QPoint &)
{
    SendCellNotice(UM_GRID_CELL_RCLICK, hit, 0);
}

void CQLBCGGridCtrl::OnCellDblClk(const GridItemID &hit, const QPoint &)
{
    SendCellNotice(UM_GRID_CELL_DBLCLICK, hit, -1);
}

void CQLBCGGridCtrl::OnScrollEnd()
{
    QObject *parent = this->parent();
    QObject *grand = parent ? parent->parent() : nullptr;
    if (grand)
        platform::SendMessage(platform::WindowRef(grand), UM_GRID_SCROLL_END, 0, 0);
}

bool CQLBCGGridCtrl::CanEndInplaceEditOnChar(int key, Qt::KeyboardModifiers mods) const
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return !(mods & (Qt::ShiftModifier | Qt::ControlModifier));
    default:
        return CBCGPGridCtrlMid::CanEndInplaceEditOnChar(key, mods);
    }
}

bool CQLBCGGridCtrl::OnInplaceEditKeyDown(int key, Qt::KeyboardModifiers mods)
{
    const bool result = CBCGPGridCtrlMid::OnInplaceEditKeyDown(key, mods);
    if (result) {
        switch (key) {
        case Qt::Key_Left: GoToNextItem(0x11); break;
        case Qt::Key_Up: GoToNextItem(0x101); break;
        case Qt::Key_Right: GoToNextItem(0x22); break;
        case Qt::Key_Down: GoToNextItem(0x202); break;
        case Qt::Key_Tab: GoToNextItem((mods & Qt::ShiftModifier) ? 0x11 : 0x22); break;
        case Qt::Key_Backtab: GoToNextItem(0x11); break;
        default: break;
        }
    }
    return result;
}

void CQLBCGGridCtrl::GetItemCustomTooltip(const GridItemID &id, QString &text, QString &description)
{
    auto *dlg = dynamic_cast<CDialogExMid *>(parentWidget());
    if (!dlg)
        return;
    QLGridTooltipRequest request{this, id, &text, &description};
    dlg->UpdateControl(kGridCellTooltip, GetDlgCtrlID(), reinterpret_cast<WPARAM>(&request), 0);
}

QStringList CQLBCGGridCtrl::AutoCompleteList(const GridItem *item, const QString &typed)
{
    QStringList list;
    const QString up = typed.toUpper();
    if (!item || up.isEmpty())
        return list;
    for (int i = 0; i < item->GetOptionCount(); ++i) {
        const QString opt = item->GetOption(i);
        const QString optUp = opt.toUpper();
        if (optUp.startsWith(up) && optUp != up)
            list.append(opt);
    }
    return list;
}

int CQLBCGGridCtrl::RunFilterDialog(QDialog &dlg) { return dlg.exec(); }

void CQLBCGGridCtrl::OnCustomFilter()
{
    const int col = m_nFilterMenuColumn;
    if (col >= 0) {
        QStringList values;
        GetColumnFilterValues(col, values);
        FilterColumnInfo copy = m_curFilter;
        if (copy.nCol != col) {
            copy.Reset();
            copy.nCol = col;
        }
        int result = 0;
        if (col == 0) {
            CFilterStringDlg dlg(&copy, this);
            result = RunFilterDialog(dlg);
        } else if (col >= 1 && col <= 5) {
            CFilterListDlg dlg(&values, &copy, this);
            result = RunFilterDialog(dlg);
        }
        if (result == 1) {
            m_curFilter = copy;
            if (col == 4)
                m_curFilter.lstInts.clear();
        }
    }
    ClearSelection();
    AdjustLayout();
}

LRESULT CQLBCGGridCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_COMMAND)
        return CBCGPGridCtrlMid::WindowProc(msg, wParam, lParam);
    switch (static_cast<UINT>(wParam & 0xFFFF)) {
    case ID_GRID_SORT_ASC:
        if (m_nFilterMenuColumn >= 0)
            Sort(m_nFilterMenuColumn, true, false);
        return 0;
    case ID_GRID_SORT_DESC:
        if (m_nFilterMenuColumn >= 0)
            Sort(m_nFilterMenuColumn, false, false);
        return 0;
    case ID_GRID_CUSTOM_FILTER:
        OnCustomFilter();
        return 0;
    case ID_GRID_CLEAR_FILTER:
        ClearSelection();
        m_curFilter.Reset();
        AdjustLayout();
        return 0;
    case ID_GRID_FILTER_APPLIED:
        ClearSelection();
        AdjustLayout();
        if (QObject *owner = GetOwner())
            platform::PostMessage(platform::WindowRef(owner), UM_GRID_DATA_CHANGED, 0, 0);
        return 0;
    default:
        return CBCGPGridCtrlMid::WindowProc(msg, wParam, lParam);
    }
}
