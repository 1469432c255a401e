#include "grid/MultiCheckBox.h"

#include <QPainter>

#include <algorithm>

CMultiCheckBox::CMultiCheckBox(int count)
    : GridItem(QVariant(int(0))), m_nCount(std::clamp(count, 0, kMaxBoxes)), m_labels(m_nCount)
{
    AllowEdit(false);
}

void CMultiCheckBox::SetLabel(int i, const QString &label)
{
    if (i >= 0 && i < m_nCount)
        m_labels[i] = label;
}

int CMultiCheckBox::BoxAt(const QRect &cell, const QPoint &point) const
{
    if (m_nCount <= 0)
        return -1;
    const int boxWidth = cell.width() / m_nCount;
    if (boxWidth <= 0 || point.x() < cell.left() || point.y() < cell.top() || point.y() > cell.bottom())
        return -1;
    const int i = (point.x() - cell.left()) / boxWidth;
    return i < m_nCount ? i : -1;
}

void CMultiCheckBox::DrawCheckBox(QPainter &p, const QRect &box, int state, bool enabled, int align)
{
    const int s = platform::GridCheckBoxSize();
    int x = box.left() + 2;
    if (align & Qt::AlignHCenter)
        x = box.center().x() - s / 2;
    else if (align & Qt::AlignRight)
        x = box.right() - s - 2;
    platform::DrawGridCheckBox(p, QRect(x, box.center().y() - s / 2, s, s), state, enabled);
}

void CMultiCheckBox::OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &, COLORREF textColor)
{
    if (m_nCount <= 0)
        return;
    const int boxWidth = rect.width() / m_nCount;
    const DWORD value = GetMask();
    const int align = GetAlign() ? GetAlign() : int(Qt::AlignLeft);
    for (int i = 0; i < m_nCount; ++i) {
        const QRect box(rect.left() + i * boxWidth, rect.top(), boxWidth, rect.height());
        const bool v = (value >> i) & 1u;
        const bool m = (m_nMask2 >> i) & 1u;
        const bool enabled = IsEnabled() && !(m && !v);
        DrawCheckBox(p, box, (v || m) ? 1 : 0, enabled, align);
        if (!m_labels[i].isEmpty()) {
            const int textLeft = box.left() + 2 + platform::GridCheckBoxSize() + 4;
            const QRect text(textLeft, box.top() + 2, box.right() - textLeft, box.height() - 4);
            p.setPen(enabled ? platform::ColorFromRef(textColor) : QColor(0xA0, 0xA0, 0xA0));
            p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       p.fontMetrics().elidedText(m_labels[i], Qt::ElideRight, text.width()));
        }
        p.setPen(QColor(0xD0, 0xD0, 0xD0));
        p.drawLine(box.right(), box.top(), box.right(), box.bottom());
    }
}

bool CMultiCheckBox::OnClickValue(UINT msg, const QPoint &point)
{
    if (msg != 0x0201 && msg != 0x0204)
        return false;
    platform::GridCtrl *grid = GetOwnerList();
    if (IsInPlaceEditing() || IsReadOnly() || (grid && grid->IsReadOnly()))
        return false;
    const int i = BoxAt(GetRect(), point);
    if (i < 0 || !IsEnabled())
        return false;
    const DWORD value = GetMask() ^ (DWORD(1) << i);
    SetValue(QVariant(static_cast<int>(value)), true);
    Redraw();
    SetItemChanged();
    return true;
}
