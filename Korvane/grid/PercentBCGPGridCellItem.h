#pragma once
// A cell with a green bar under its text, as wide as the percentage of the cell's width.
#include "platform/grid/Grid.h"

class CPercentBCGPGridCellItem : public platform::GridItem
{
public:
    CPercentBCGPGridCellItem(const QString &caption, int percent);
    COLORREF OnFillBackground(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info) override;
    // The bar of a cell; empty at 0 %. The percentage is not limited.
    static QRect BarRect(const QRect &cell, int percent);

    QString m_strUnused;
    int m_nPercent;
};
