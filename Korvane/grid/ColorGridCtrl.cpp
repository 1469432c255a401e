#include "grid/ColorGridCtrl.h"

CColorGridCtrl::CColorGridCtrl(QWidget *parent) : platform::GridCtrl(parent) {}

QString CColorGridCtrl::GetGroupName(int, const platform::GridItem *item) const
{
    const platform::GridRow *row = item ? item->GetParentRow() : nullptr;
    if (!row)
        return QString();
    auto it = m_mapGroupNames.upper_bound(row->GetRowId());
    if (it == m_mapGroupNames.begin())
        return QString();
    return std::prev(it)->second;
}
