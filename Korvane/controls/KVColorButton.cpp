#include "controls/KVColorButton.h"

#include "LangText.h"
#include "controls/ColourPopup.h"
#include "platform/ControlNotify.h"

#include <QPainter>

CKVColorButton::CKVColorButton(QWidget *parent)
    : CBCGPColorButton(parent), platform::MessageTarget(this)
{
}

CKVColorButton::~CKVColorButton() = default;

CKVColorButton::Layout CKVColorButton::Arrange(const QRect &rect, bool automaticWithText)
{
    if (!automaticWithText)
        return {rect, QRect()};
    const int side = rect.height();
    return {QRect(rect.left(), rect.top(), side, side),
            QRect(rect.left() + side, rect.top(), rect.width() - side, rect.height())};
}

void CKVColorButton::OnDraw(QPainter *p, const QRect &rect, UINT uiState)
{
    const QPalette &pal = palette();
    const bool disabled = (uiState & ODS_DISABLED) != 0;
    const bool automatic = m_Color == kAutomaticColor;
    const Layout layout = Arrange(rect, automatic && !m_strAutoColorText.isEmpty());
    if (!layout.text.isNull()) {
        p->setFont(font());
        QColor text = m_clrText == kAutomaticColor ? pal.color(QPalette::ButtonText)
                                                   : platform::ColorFromRef(m_clrText);
        if (disabled)
            text = pal.color(QPalette::Disabled, QPalette::ButtonText);
        p->setPen(text);
        const QString shown = p->fontMetrics().elidedText(m_strAutoColorText, Qt::ElideRight,
                                                          layout.text.width());
        p->drawText(layout.text, Qt::AlignCenter | Qt::TextSingleLine, shown);
    }
    const QRect box = layout.box.adjusted(2, 2, -2, -2);
    if (!automatic)
        p->fillRect(box, platform::ColorFromRef(m_Color));
    p->setPen(disabled ? pal.color(QPalette::Disabled, QPalette::ButtonText) : pal.color(QPalette::Dark));
    p->setBrush(Qt::NoBrush);
    p->drawRect(box.adjusted(0, 0, -1, -1));
    DrawArrow(p, uiState);
}

void CKVColorButton::OnShowColorPopup()
{
    const QString custom = LoadLangString("IDS_ColourPicker_1");
    const QPoint below = mapToGlobal(QPoint(0, height()));
    // The automatic entry ("默认") puts the owner's default colour back.
    new CColourPopup(m_Color, this, &custom, below.x(), below.y(),
                     m_strAutoColorText.isEmpty() ? nullptr : &m_strAutoColorText);
}

LRESULT CKVColorButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_COLOR_CHANGED:
    case UM_COLOR_CANCELLED:
        return TRUE;
    case UM_COLOR_ACCEPTED:
        UpdateColor(static_cast<COLORREF>(wParam));
        return TRUE;
    default:
        return platform::MessageTarget::WindowProc(msg, wParam, lParam);
    }
}
