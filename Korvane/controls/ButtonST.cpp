#include "controls/ButtonST.h"

#include "platform/CursorQuery.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

CButtonST::CButtonST(QWidget *parent) : QPushButton(parent)
{
    const COLORREF face = platform::RefFromColor(palette().color(QPalette::Button));
    const COLORREF text = platform::RefFromColor(palette().color(QPalette::ButtonText));
    for (int i = 0; i < BTNST_MAX_COLORS; i += 2) {
        m_clrStates[i] = face;
        m_clrStates[i + 1] = text;
    }
    // Hover is tracked with no button held too.
    setMouseTracking(true);
    setFlat(true);
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, &CButtonST::OnClicked);
}

CButtonST::~CButtonST() = default;

void CButtonST::PreSubclassWindow(unsigned style)
{
    const unsigned type = style & BS_TYPEMASK;
    if (type & 0x2)
        m_bCheckBoxMode = TRUE;
    if (type == BS_DEFPUSHBUTTON)
        m_bDefaultButton = TRUE;
    setDefault(m_bDefaultButton != FALSE);
}

void CButtonST::SetButtonStyle(unsigned style)
{
    const unsigned type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        m_bDefaultButton = type == BS_DEFPUSHBUTTON;
        setDefault(m_bDefaultButton != FALSE);
    }
    update();
}

DWORD CButtonST::SetIcon(const QPixmap &in, const QPixmap &out)
{
    for (STRUCT_ICONS &icon : m_icons)
        icon = STRUCT_ICONS{};
    if (!in.isNull()) {
        m_icons[0] = {in, in.width(), in.height()};
        if (!out.isNull())
            m_icons[1] = {out, out.width(), out.height()};
    }
    update();
    return 0;
}

void CButtonST::SetCheck(int state)
{
    if (!m_bCheckBoxMode)
        return;
    m_nCheckState = (state == BST_CHECKED || state == BST_INDETERMINATE) ? 1 : 0;
    update();
}

CButtonST::Placement CButtonST::PlaceIcon(const QRect &item, const QSize &icon, int align,
                                          bool hasCaption, bool pressed, bool checkBox)
{
    // Windows-style edges: right and bottom are exclusive.
    const int iL = item.left(), iT = item.top(), iR = item.left() + item.width(),
              iB = item.top() + item.height();
    const int w = icon.width(), h = icon.height();
    int cL = iL, cT = iT, cR = iR, cB = iB;
    int x = iL, y = iT;
    switch (align) {
    case ST_ALIGN_VERT:
        x = iL + (iR - iL - w) / 2;
        if (hasCaption) {
            y = 3;
            cT += h;
        } else {
            y = iT + (iB - iT - h) / 2;
        }
        break;
    case ST_ALIGN_HORIZ_RIGHT:
        if (hasCaption) {
            cR = cR - cL - w - 3;
            cL = 3;
            x = iR - w - 3;
            y = iT + (iB - iT - h) / 2;
        } else {
            x = iL + (iR - iL - w) / 2;
            y = iT;
        }
        break;
    default:
        if (hasCaption) {
            x = iL + 3;
            cL += w + 3;
        } else {
            x = iL + (iR - iL - w) / 2;
        }
        y = iT + (iB - iT - h) / 2;
        break;
    }
    Placement out{QRect(x, y, w, h), QRect(cL, cT, cR - cL, cB - cT)};
    if (pressed && !checkBox) {
        out.icon.translate(1, 1);
        out.caption.translate(1, 1);
    }
    return out;
}

DWORD CButtonST::DrawFace(QPainter &p, const QRect &rect)
{
    COLORREF bk = m_clrStates[BTNST_COLOR_BK_OUT];
    if (m_bHover || m_bPressed)
        bk = m_clrStates[BTNST_COLOR_BK_IN];
    else if (m_bFocused)
        bk = m_clrStates[BTNST_COLOR_BK_FOCUS];
    p.fillRect(rect, platform::ColorFromRef(bk));
    return 0;
}

DWORD CButtonST::DrawFlatEdge(QPainter &p, const QRect &rect)
{
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const QColor topLeft = m_bPressed ? shadow : light;
    const QColor bottomRight = m_bPressed ? light : shadow;
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    p.setPen(topLeft);
    p.drawLine(l, t, r - 1, t);
    p.drawLine(l, t, l, b - 1);
    p.setPen(bottomRight);
    p.drawLine(r, t, r, b);
    p.drawLine(l, b, r, b);
    return 0;
}

void CButtonST::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect item = rect();
    m_bPressed = isDown() || (m_bCheckBoxMode && m_nCheckState);
    m_bFocused = hasFocus();
    m_bDisabled = !isEnabled();

    DrawFace(p, item);
    if (m_bPressed || m_bHover)
        DrawFlatEdge(p, item);

    const QString caption = text();
    Placement place{QRect(), item};
    if (!m_icons[0].hIcon.isNull()) {
        int index = 0;
        if (!(m_bPressed || (!m_bCheckBoxMode && m_bHover)) && !m_icons[1].hIcon.isNull())
            index = 1;
        const STRUCT_ICONS &icon = m_icons[index];
        place = PlaceIcon(item, QSize(icon.dwWidth, icon.dwHeight), m_nIconAlign,
                          !caption.isEmpty(), m_bPressed, m_bCheckBoxMode);
        QPixmap pix = icon.hIcon;
        if (m_bDisabled) {
            QStyleOption opt;
            opt.initFrom(this);
            pix = style()->generatedIconPixmap(QIcon::Disabled, pix, &opt);
        }
        p.drawPixmap(place.icon.topLeft(), pix);
    } else if (m_bPressed && !m_bCheckBoxMode) {
        place.caption.translate(1, 1);
    }

    if (!caption.isEmpty()) {
        const int flags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
        const QRect c = place.caption;
        const QRect measured =
            p.fontMetrics().boundingRect(QRect(0, 0, c.width(), c.height()), flags, caption);
        const QRect centred(c.left() + (c.width() - measured.width()) / 2,
                            c.top() + (c.height() - measured.height()) / 2, measured.width(),
                            measured.height());
        if (m_bDisabled) {
            p.setPen(palette().color(QPalette::Light));
            p.drawText(centred.translated(1, 1), flags, caption);
            p.setPen(palette().color(QPalette::Dark));
            p.drawText(centred, flags, caption);
        } else {
            const bool in = m_bHover || m_bPressed;
            p.setPen(platform::ColorFromRef(m_clrStates[in ? BTNST_COLOR_FG_IN : BTNST_COLOR_FG_OUT]));
            p.drawText(centred, flags, caption);
        }
    }
}

void CButtonST::OnClicked()
{
    setFocus(Qt::MouseFocusReason);
    if (m_bCheckBoxMode) {
        m_nCheckState = m_nCheckState ? 0 : 1;
        update();
    }
}

void CButtonST::mousePressEvent(QMouseEvent *e)
{
    QPushButton::mousePressEvent(e);
    if (e->button() == Qt::LeftButton && isEnabled())
        m_bPressActive = true;
}

void CButtonST::mouseReleaseEvent(QMouseEvent *e)
{
    // The click reaches the parent before the press counts as ended.
    QPushButton::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        EndPress();
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent *e)
{
    // A double click is a second press, so it gives a second click.
    mousePressEvent(e);
}

void CButtonST::mouseMoveEvent(QMouseEvent *e)
{
    QPushButton::mouseMoveEvent(e);
    QWidget *under = platform::WindowFromPoint(e->globalPosition().toPoint());
    if ((e->buttons() & Qt::LeftButton) && !m_bHover)
        return;  // no hover starts during a drag
    if (under == this) {
        if (!m_bHover) {
            m_bHover = TRUE;
            update();
        }
    } else if (m_bHover) {
        ClearHover();
    }
}

void CButtonST::leaveEvent(QEvent *e)
{
    QPushButton::leaveEvent(e);
    ClearHover();
}

void CButtonST::focusOutEvent(QFocusEvent *e)
{
    QPushButton::focusOutEvent(e);
    ClearHover();
    EndPress();
}

void CButtonST::hideEvent(QHideEvent *e)
{
    QPushButton::hideEvent(e);
    ClearHover();
    EndPress();
}

void CButtonST::changeEvent(QEvent *e)
{
    QPushButton::changeEvent(e);
    switch (e->type()) {
    case QEvent::ActivationChange:
        if (!isActiveWindow()) {
            ClearHover();
            EndPress();
        }
        break;
    case QEvent::EnabledChange:
        // Qt itself moves the focus on, and only when this button held it.
        if (!isEnabled()) {
            ClearHover();
            EndPress();
        }
        break;
    default:
        break;
    }
}

bool CButtonST::event(QEvent *e)
{
    const bool handled = QPushButton::event(e);
    if (e->type() == QEvent::UngrabMouse) {
        ClearHover();
        EndPress();
    }
    return handled;
}

void CButtonST::ClearHover()
{
    if (m_bHover) {
        m_bHover = FALSE;
        update();
    }
}

void CButtonST::EndPress()
{
    if (!m_bPressActive)
        return;
    m_bPressActive = false;
    if (isDown())
        setDown(false);
    OnPressEnd();
}
