#pragma once
// A grid whose rows are grouped by a column, each group captioned by its owner by row position
// rather than by the group column's value.
#include "platform/grid/Grid.h"

#include <map>

class CColorGridCtrl : public platform::GridCtrl
{
    Q_OBJECT
public:
    explicit CColorGridCtrl(QWidget *parent = nullptr);

    // The caption of the nearest entry at or above the item's row; empty when none (or no row).
    QString GetGroupName(int groupCol, const platform::GridItem *item) const override;

    // First row index -> caption. The owner refills it whenever it rebuilds the rows, then
    // groups with InsertGroupColumn and calls AdjustLayout.
    std::map<int, QString> m_mapGroupNames;
};
