#include "grid/ButtonItem.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

CButtonItem::CButtonItem(const QString &caption) : GridItem(QVariant(caption)) { AllowEdit(false); }

void CButtonItem::OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &, COLORREF)
{
    const QRect r = rect.adjusted(2, 2, -2, -2);
    QStyleOptionButton opt;
    opt.rect = r;
    opt.state = QStyle::State_Raised | (IsEnabled() ? QStyle::State_Enabled : QStyle::State_None);
    QApplication::style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p);
    p.setPen(QApplication::palette().color(IsEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, FormatItem());
}

bool CButtonItem::Press()
{
    platform::GridCtrl *grid = GetOwnerList();
    if (grid)
        platform::SendMessage(platform::WindowRef(static_cast<platform::MessageTarget *>(grid)), WM_COMMAND,
                              m_nCommandId, 0);
    return true;
}

bool CButtonItem::OnClickValue(UINT msg, const QPoint &)
{
    if (msg != 0x0201 /* WM_LBUTTONDOWN */)
        return false;
    return Press();
}

bool CButtonItem::PushChar(QChar ch)
{
    if (ch == QLatin1Char(' ') || ch == QLatin1Char('\r'))
        return Press();
    return false;
}
