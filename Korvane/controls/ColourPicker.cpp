#include "controls/ColourPicker.h"

#include "LangText.h"
#include "controls/ColourPopup.h"

#include <QPainter>
#include <QPolygon>
#include <qdrawutil.h>

#include <algorithm>

namespace {

// Edge and thumb sizes of the look the picker is drawn in.
constexpr int kEdge = 2;
constexpr int kThumb = 16;

int ArrowSize()
{
    return std::max({kThumb, 5 * kEdge});
}

}

CColourPicker::CColourPicker(QWidget *parent) : QPushButton(parent), platform::MessageTarget(this)
{
    m_crBack = platform::RefFromColor(palette().color(QPalette::Button));
    m_crText = platform::RefFromColor(palette().color(QPalette::ButtonText));
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, &CColourPicker::OnClicked);
    AdjustButtonSize();
}

CColourPicker::~CColourPicker() = default;

COLORREF CColourPicker::GetColour() const
{
    return m_nColourTarget == 1 ? m_crText : m_crBack;
}

void CColourPicker::SetColour(COLORREF cr)
{
    if (m_nColourTarget == 1)
        m_crText = cr;
    else
        m_crBack = cr;
    if (isVisible())
        repaint();
}

void CColourPicker::SetPopupEnabled(BOOL enabled)
{
    m_bPopupEnabled = enabled;
    PlaceArrow();
    update();
}

QSize CColourPicker::sizeHint() const
{
    const int s = ArrowSize();
    return QSize(std::max(QPushButton::sizeHint().width(), 2 * (s + kEdge)), s + 2 * kEdge);
}

void CColourPicker::AdjustButtonSize()
{
    const int s = ArrowSize();
    resize(std::max(width(), 2 * (s + kEdge)), s + 2 * kEdge);
    PlaceArrow();
}

void CColourPicker::PlaceArrow()
{
    const int s = ArrowSize();
    const int right = width(), bottom = height();
    const int left = m_bPopupEnabled ? right - s - kEdge : right - kEdge;
    m_rcArrow = QRect(QPoint(left, kEdge), QPoint(right - kEdge - 1, bottom - kEdge - 1));
}

void CColourPicker::resizeEvent(QResizeEvent *e)
{
    QPushButton::resizeEvent(e);
    PlaceArrow();
}

void CColourPicker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    const bool selected = isDown() || m_bPopupOpen;
    const bool disabled = !isEnabled();
    m_strCaption = text();

    if (m_rcArrow.width() > 0) {
        p.fillRect(m_rcArrow, pal.color(QPalette::Button));
        qDrawWinButton(&p, m_rcArrow, pal, selected);
        const QPoint c = m_rcArrow.center() + (selected ? QPoint(1, 1) : QPoint(0, 0));
        const QPolygon arrow({c + QPoint(-4, -2), c + QPoint(4, -2), c + QPoint(0, 2)});
        p.setPen(Qt::NoPen);
        p.setBrush(pal.color(disabled ? QPalette::Dark : QPalette::ButtonText));
        p.drawPolygon(arrow);
    }

    qDrawWinPanel(&p, rect(), pal, true);
    QRect swatch = rect().adjusted(kEdge, kEdge, -kEdge, -kEdge);
    swatch.setRight(swatch.right() - m_rcArrow.width());
    p.fillRect(swatch, disabled ? pal.color(QPalette::Button) : platform::ColorFromRef(m_crBack));

    if (!m_strCaption.isEmpty()) {
        const int flags = Qt::AlignCenter | Qt::TextSingleLine;
        if (disabled) {
            p.setPen(pal.color(QPalette::Light));
            p.drawText(swatch.translated(1, 1), flags, m_strCaption);
            p.setPen(pal.color(QPalette::Dark));
            p.drawText(swatch, flags, m_strCaption);
        } else {
            p.setPen(platform::ColorFromRef(m_crText));
            p.drawText(swatch, flags, m_strCaption);
        }
    }
    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::WindowText), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(swatch.adjusted(1, 1, -2, -2));
    }
}

void CColourPicker::OnClicked()
{
    if (!m_bPopupEnabled)
        return;
    m_bPopupOpen = TRUE;
    update();
    const QString custom = LoadLangString("IDS_ColourPicker_1");
    const QPoint below = mapToGlobal(QPoint(0, height()));
    new CColourPopup(GetColour(), this, &custom, below.x(), below.y());
}

LRESULT CColourPicker::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_COLOR_CHANGED:
        if (m_bTrackHover)
            SetColour(static_cast<COLORREF>(wParam));
        return TRUE;
    case UM_COLOR_CANCELLED:
        m_bPopupOpen = FALSE;
        SetColour(static_cast<COLORREF>(wParam));
        update();
        return TRUE;
    case UM_COLOR_ACCEPTED:
        m_bPopupOpen = FALSE;
        SetColour(static_cast<COLORREF>(wParam));
        update();
        if (parentWidget())
            platform::SendMessage(platform::WindowRef(static_cast<QObject *>(parentWidget())),
                                  UM_COLOR_DONE, 0, 0);
        return TRUE;
    default:
        return platform::MessageTarget::WindowProc(msg, wParam, lParam);
    }
}
