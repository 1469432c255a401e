#include "MiniGridCtrl.h"

#include "grid/TableColors.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QTableView>

#include <algorithm>

namespace {

// A length of the 96-DPI design at the screen's resolution.
int ScaleByDPI(int v, int dpi)
{
    return (v * dpi + 48) / 96;
}

}

CMiniGridCtrl::CMiniGridCtrl(QWidget *parent) : GridCtrl(parent) {}

int CMiniGridCtrl::RowHeightFor(int fontHeight, int dpi, bool useMin, int minHeight)
{
    const int v = ScaleByDPI(ScaleByDPI(2, dpi), dpi);
    int h = fontHeight + 2 * v;
    if (useMin)
        h = std::max(h, minHeight);
    return h;
}

void CMiniGridCtrl::SetRowHeight()
{
    GridCtrl::SetRowHeight();
    const int h = RowHeightFor(QFontMetrics(GetGridFont()).height(), logicalDpiY(), m_bUseMinRowHeight,
                               m_nMinRowHeight);
    if (h == m_nRowHeight)
        return;
    m_nRowHeight = h;
    for (int i = 0; i < 3; ++i)
        if (QTableView *v = View(i))
            v->verticalHeader()->setDefaultSectionSize(h);
}

void CMiniGridCtrl::GetItemCustomTooltip(const platform::GridItemID &id, QString &text, QString &description)
{
    if (id.m_nColumn == 0) {
        const platform::GridRow *row = GetRow(id.m_nRow);
        const platform::GridItem *item = row ? row->GetItem(0) : nullptr;
        if (!item)
            return;
        text = TrText(item->GetValue().toInt() != 0 ? QStringLiteral("输入状态ON") : QStringLiteral("输出状态OFF"));
    } else if (id.m_nColumn == 2) {
        text = TrText(QStringLiteral("强制写入IO状态"));
    }
}

void CMiniGridCtrl::ApplyTableColors(bool custom, COLORREF text, COLORREF even, COLORREF odd)
{
    if (custom) {
        ColorTheme theme = GetColorTheme();
        theme.text = text;
        theme.evenBack = even;
        theme.oddBack = odd;
        SetColorTheme(theme, true);
    } else {
        SetVisualManagerColorTheme(true);
    }
    AdjustLayout();
}

void CMiniGridCtrl::ApplyGridColors()
{
    const TableColors c = CurrentTableColors();
    ApplyTableColors(c.bCustom, c.clrFont, c.clrEven, c.clrOdd);
}

void CMiniGridCtrl::OnCellLButtonUp(const platform::GridItemID &hit, const QPoint &pt)
{
    GridCtrl::OnCellLButtonUp(hit, pt);
    const platform::WindowRef parent(parentWidget());
    MiniGridClick record{hit.IsNull() ? -1 : hit.m_nRow, hit.IsNull() ? -1 : hit.m_nColumn};
    if (!parent.IsAlive())
        return;
    platform::SendMessage(parent, UM_MINIGRID_CLICK, reinterpret_cast<WPARAM>(&record),
                          static_cast<LPARAM>(platform::GetCtrlId(this)));
}

CMiniRadioItem::CMiniRadioItem(const QString &normalText, const QString &altText, BYTE altState)
    : GridItem(QVariant()), m_strAltText(altText), m_strNormalText(normalText), m_bAltState(altState)
{
}

QString CMiniRadioItem::FitCaption(const QString &caption, const QFontMetrics &fm, int room)
{
    if (fm.horizontalAdvance(caption) <= room)
        return caption;
    // Cut at the start: the end of the caption is the state ("...ON" / "...OFF").
    const QString ellipsis(QChar(0x2026));
    for (qsizetype cut = 1; cut < caption.size(); ++cut) {
        const QString shown = ellipsis + caption.mid(cut);
        if (fm.horizontalAdvance(shown) <= room)
            return shown;
    }
    return caption.right(1);
}

void CMiniRadioItem::OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                                 COLORREF textColor)
{
    const QString caption = m_bAltState ? m_strAltText : m_strNormalText;
    const QColor lamp = m_bAltState ? QColor(255, 0, 0) : QColor(0, 255, 0);
    const int cx = rect.left() + rect.width() / 2;
    const int cy = rect.top() + rect.height() / 2;
    int lx = caption.isEmpty() ? cx : cx - 25;
    int textLeft = cx - 10;
    QString shown;
    if (!caption.isEmpty()) {
        // The lamp sits left of the centre and the caption follows it; a caption too long for the
        // rest of the cell moves both left, and only what still does not fit is cut.
        const QFontMetrics fm(p.font());
        const int right = rect.right() - kMargin;
        const int over = fm.horizontalAdvance(caption) - (right - textLeft);
        const int shift = std::clamp(over, 0, std::max(0, lx - 10 - (rect.left() + kMargin)));
        lx -= shift;
        textLeft -= shift;
        shown = FitCaption(caption, fm, right - textLeft);
    }

    p.save();
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.setBrush(platform::ColorFromRef(info.backColor));
    p.drawEllipse(QRect(lx - 10, cy - 10, 20, 20));
    p.setBrush(lamp);
    p.drawEllipse(QRect(lx - 5, cy - 5, 10, 10));
    if (!shown.isEmpty()) {
        p.setPen(platform::ColorFromRef(textColor));
        p.drawText(QRect(QPoint(textLeft, rect.top()), QPoint(rect.right() - kMargin, rect.bottom())),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    p.restore();
}
