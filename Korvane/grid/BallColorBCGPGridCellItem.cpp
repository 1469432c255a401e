#include "grid/BallColorBCGPGridCellItem.h"

#include <QPainter>

CBallColorBCGPGridCellItem::CBallColorBCGPGridCellItem(const QString &text1, const QString &text2,
                                                       const QString &text3, COLORREF color1, COLORREF color2)
    : m_color1(color1), m_color2(color2), m_text1(text1), m_text2(text2), m_text3(text3)
{
    AllowEdit(false);
}

COLORREF CBallColorBCGPGridCellItem::OnFillBackground(QPainter &p, const QRect &rect,
                                                      const platform::GridPaintInfo &info)
{
    SetBackgroundColor(0xFFFFFF, false);
    return GridItem::OnFillBackground(p, rect, info);
}

void CBallColorBCGPGridCellItem::Parts(const QRect &cell, QRect parts[3])
{
    const QRect r = cell.adjusted(2, 2, -2, -2);
    const int third = r.width() / 3;
    const int left = r.left();
    const int right = r.left() + r.width();
    parts[0] = QRect(left, r.top(), third, r.height());
    parts[1] = QRect(left + third, r.top(), third, r.height());
    parts[2] = QRect(left + 2 * third, r.top(), right - (left + 2 * third), r.height());
}

bool CBallColorBCGPGridCellItem::ShowsTexts(const QRect &cell)
{
    const QRect r = cell.adjusted(2, 2, -2, -2);
    return r.width() > 2 * r.height();
}

void CBallColorBCGPGridCellItem::OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &, COLORREF)
{
    QRect parts[3];
    Parts(rect, parts);
    const bool texts = ShowsTexts(rect);
    const COLORREF colors[3] = {m_color1, m_color2, m_color3};
    const QString *labels[3] = {&m_text1, &m_text2, &m_text3};
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < 3; ++i) {
        if (parts[i].isEmpty())
            continue;
        const COLORREF c = colors[i] == 0xFFFFFFFF ? 0xFFFFFF : colors[i];
        p.fillRect(parts[i], platform::ColorFromRef(c));
        if (texts) {
            p.setPen(Qt::white);
            p.drawText(parts[i].translated(1, 1), Qt::AlignCenter | Qt::TextSingleLine,
                       p.fontMetrics().elidedText(*labels[i], Qt::ElideRight, parts[i].width()));
        }
    }
    p.restore();
}
