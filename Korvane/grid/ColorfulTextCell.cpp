#include "grid/ColorfulTextCell.h"

COLORREF CColorfulTextCell::OnFillBackground(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info)
{
    const COLORREF base = GridItem::OnFillBackground(p, rect, info);
    return m_clrText != 0xFFFFFFFF ? m_clrText : base;
}
