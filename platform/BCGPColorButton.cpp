#include "platform/BCGPColorButton.h"

#include "platform/ControlNotify.h"
#include "platform/UiServices.h"

#include <QPainter>
#include <QPolygon>
#include <qdrawutil.h>

namespace {
constexpr int kBorder = 2;
constexpr int kArrowWidth = 16;
}

CBCGPColorButton::CBCGPColorButton(QWidget *parent) : QPushButton(parent)
{
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, [this] { OnShowColorPopup(); });
}

CBCGPColorButton::~CBCGPColorButton() = default;

void CBCGPColorButton::SetColor(COLORREF color)
{
    m_Color = color;
    update();
}

void CBCGPColorButton::EnableAutomaticButton(const QString &label, COLORREF colorAutomatic, BOOL enable)
{
    m_strAutoColorText = enable ? label : QString();
    m_ColorAutomatic = colorAutomatic;
    update();
}

void CBCGPColorButton::SetTextColor(COLORREF color)
{
    m_clrText = color;
    update();
}

QSize CBCGPColorButton::sizeHint() const
{
    return QSize(60, 22);
}

QRect CBCGPColorButton::ArrowRect() const
{
    return QRect(width() - kBorder - kArrowWidth, kBorder, kArrowWidth, height() - 2 * kBorder);
}

void CBCGPColorButton::DrawArrow(QPainter *p, UINT uiState) const
{
    const QRect a = ArrowRect();
    const QPalette &pal = palette();
    p->fillRect(a, pal.color(QPalette::Button));
    const QPoint c = a.center();
    p->setPen(Qt::NoPen);
    p->setBrush(pal.color((uiState & ODS_DISABLED) ? QPalette::Dark : QPalette::ButtonText));
    p->drawPolygon(QPolygon({c + QPoint(-3, -1), c + QPoint(3, -1), c + QPoint(0, 2)}));
    p->setBrush(Qt::NoBrush);
    qDrawShadeRect(p, a, pal, false, 1);
}

void CBCGPColorButton::OnDraw(QPainter *p, const QRect &rect, UINT uiState)
{
    const QRect box = rect.adjusted(2, 2, -2, -2);
    const COLORREF c = m_Color == kAutomaticColor ? m_ColorAutomatic : m_Color;
    p->fillRect(box, platform::ColorFromRef(c));
    p->setPen(palette().color(QPalette::Dark));
    p->drawRect(box.adjusted(0, 0, -1, -1));
    DrawArrow(p, uiState);
}

void CBCGPColorButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    UINT state = 0;
    if (isDown())
        state |= ODS_SELECTED;
    if (!isEnabled())
        state |= ODS_DISABLED;
    if (hasFocus())
        state |= ODS_FOCUS;
    p.fillRect(rect(), palette().color(QPalette::Button));
    qDrawWinButton(&p, rect(), palette(), (state & ODS_SELECTED) != 0);
    const QRect arrow = ArrowRect();
    OnDraw(&p, QRect(kBorder, kBorder, arrow.left() - kBorder, height() - 2 * kBorder), state);
}

void CBCGPColorButton::OnShowColorPopup()
{
    const COLORREF initial = m_Color == kAutomaticColor ? m_ColorAutomatic : m_Color;
    if (const std::optional<COLORREF> chosen = platform::Ui().ChooseColour(initial, this))
        UpdateColor(*chosen);
}

void CBCGPColorButton::UpdateColor(COLORREF color)
{
    SetColor(color);
    platform::NotifyParent(this, BN_CLICKED);
}
