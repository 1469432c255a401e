#pragma once
// A cell whose text has a colour of its own.
#include "platform/grid/Grid.h"

class CColorfulTextCell : public platform::GridItem
{
public:
    explicit CColorfulTextCell(const QVariant &value = QVariant()) : GridItem(value) {}
    COLORREF OnFillBackground(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info) override;

    // 0xFFFFFFFF: the grid's text colour.
    COLORREF m_clrText = 0xFFFFFFFF;
};
