#include "grid/PercentBCGPGridCellItem.h"

#include <QPainter>

CPercentBCGPGridCellItem::CPercentBCGPGridCellItem(const QString &caption, int percent)
    : GridItem(QVariant(caption)), m_nPercent(percent)
{
    AllowEdit(false);
}

QRect CPercentBCGPGridCellItem::BarRect(const QRect &cell, int percent)
{
    const int width = static_cast<int>((static_cast<long long>(cell.width()) * percent) / 100);
    if (width <= 0)
        return QRect();
    return QRect(cell.left(), cell.top(), width, cell.height()).adjusted(1, 1, -1, -1);
}

COLORREF CPercentBCGPGridCellItem::OnFillBackground(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info)
{
    const COLORREF text = GridItem::OnFillBackground(p, rect, info);
    const QRect bar = BarRect(rect, m_nPercent);
    if (!bar.isEmpty()) {
        p.save();
        p.setClipping(false);
        p.fillRect(bar, platform::ColorFromRef(RGB(0xA8, 0xFF, 0xA8)));
        p.restore();
    }
    return text;
}
