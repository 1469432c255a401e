#include "grid/BCGPGridCtrlEx.h"

#include "platform/Messages.h"

#include <QHeaderView>
#include <QTableView>

using platform::GridRow;

CBCGPGridCtrlEx::CBCGPGridCtrlEx(QWidget *parent) : CBCGPGridCtrlMid(parent) {}

void CBCGPGridCtrlEx::SetFixedRowHeight(int &height)
{
    m_nFixedRowHeight = height;
    SetRowHeight();
}

void CBCGPGridCtrlEx::SetRowHeight()
{
    CBCGPGridCtrlMid::SetRowHeight();
    if (m_nFixedRowHeight == -1)
        return;
    m_nRowHeight = m_nFixedRowHeight;
    for (int i = 0; i < 3; ++i)
        View(i)->verticalHeader()->setDefaultSectionSize(m_nRowHeight);
}

void CBCGPGridCtrlEx::OnRowCheckBoxClick(GridRow *row)
{
    CBCGPGridCtrlMid::OnRowCheckBoxClick(row);
    if (!row)
        return;
    bool all = row->GetCheck();
    for (int r = 0; all && r < GetRowCount(); ++r) {
        const GridRow *other = GetRow(r);
        all = other->GetCheck() && other->IsItemVisible() && !FilterItem(other);
    }
    GetColumnsInfo().SetCheckBoxState(all);
    RedrawAll();
}

void CBCGPGridCtrlEx::OnScrollEnd()
{
    if (QObject *parent = this->parent())
        platform::SendMessage(platform::WindowRef(parent), UM_GRID_SCROLL_END, 0, 0);
}
