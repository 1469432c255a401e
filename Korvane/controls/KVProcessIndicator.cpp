#include "KVProcessIndicator.h"

#include "platform/ControlId.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr int kMarqueeFrameMs = 30;

}

CCircularProgressIndicatorImpl::CCircularProgressIndicatorImpl()
{
    m_subGauges.resize(2);
    m_timer.setInterval(kMarqueeFrameMs);
    connect(&m_timer, &QTimer::timeout, this, &CCircularProgressIndicatorImpl::Tick);
}

CCircularProgressIndicatorImpl::~CCircularProgressIndicatorImpl() = default;

void CCircularProgressIndicatorImpl::SetOptions(const CircularProgressIndicatorOptions &options, bool redraw)
{
    m_options = options;
    SetDirty(true, redraw);
}

void CCircularProgressIndicatorImpl::StartMarquee(BOOL start, double)
{
    if (start)
        m_timer.start();
    else
        m_timer.stop();
    SetDirty(true, true);
}

void CCircularProgressIndicatorImpl::SetCenterText(const QString &text, bool redraw)
{
    m_strCenterText = text;
    m_subGauges[0].text = text;
    SetDirty(true, redraw);
}

void CCircularProgressIndicatorImpl::SetFrameRect(const QRectF &rc)
{
    if (rc != m_rcFrame) {
        m_rcFrame = rc;
        m_bDirty = true;
    }
}

void CCircularProgressIndicatorImpl::SetDirty(bool dirty, bool redraw)
{
    m_bDirty = m_bDirty || dirty;
    if (redraw) {
        ++m_nRedraws;
        if (m_redraw)
            m_redraw();
    }
}

void CCircularProgressIndicatorImpl::Tick()
{
    const double step = std::max(1, m_options.m_nMarqueeStep);
    m_dAngle += m_options.m_bCounterClockwise ? step : -step;
    if (m_dAngle >= 360.0 || m_dAngle <= -360.0)
        m_dAngle = std::fmod(m_dAngle, 360.0);
    if (m_redraw)
        m_redraw();
}

int CCircularProgressIndicatorImpl::ReposAllSubGauges()
{
    const double s = std::min(m_rcFrame.width(), m_rcFrame.height());
    const QRectF square(m_rcFrame.center().x() - s / 2, m_rcFrame.center().y() - s / 2, s, s);
    for (size_t i = 0; i < m_subGauges.size(); ++i) {
        IndicatorTextGauge &g = m_subGauges[i];
        g.visible = !m_options.m_bHideTexts && !(i == 0 && m_options.m_bHideCenterText) && !g.text.isEmpty();
        g.rect = square;
        g.fontSize = 0.3 * s;
    }
    return 0;
}

void CCircularProgressIndicatorImpl::Draw(QPainter &p)
{
    if (m_bDirty) {
        ReposAllSubGauges();
        m_bDirty = false;
    }
    p.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(m_rcFrame.width(), m_rcFrame.height()) - 2.0;
    if (side <= 2.0)
        return;
    const QPointF c = m_rcFrame.center();
    const double outer = side / 2;
    const double ringWidth = m_options.m_nShape == 1 ? outer * 0.3
                                                     : outer * std::clamp(m_options.m_nRingPercent, 2, 50) / 100.0;
    const double mid = outer - ringWidth / 2;
    const QRectF ring(c.x() - mid, c.y() - mid, 2 * mid, 2 * mid);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(c, outer, outer);
    QPen track(QColor(210, 214, 220), ringWidth);
    track.setCapStyle(Qt::FlatCap);
    p.setPen(track);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(ring);

    if (m_dHi > m_dLo && m_dPos > m_dLo) {
        const double share = std::min(1.0, (m_dPos - m_dLo) / (m_dHi - m_dLo));
        QPen done(QColor(0, 170, 80), ringWidth);
        done.setCapStyle(Qt::FlatCap);
        p.setPen(done);
        p.drawArc(ring, 90 * 16, -static_cast<int>(share * 360 * 16));
    }
    if (IsMarqueeRunning()) {
        QPen arc(QColor(0, 122, 204), ringWidth);
        arc.setCapStyle(Qt::FlatCap);
        p.setPen(arc);
        const int arcs = std::max(1, m_options.m_nMarqueeArcs);
        const int span = std::clamp(m_options.m_nMarqueeArc, 10, 360 / arcs);
        for (int i = 0; i < arcs; ++i)
            p.drawArc(ring, static_cast<int>((m_dAngle + i * 360.0 / arcs) * 16), span * 16);
    }

    for (const IndicatorTextGauge &g : m_subGauges) {
        if (!g.visible || g.text.isEmpty() || g.fontSize < 1.0)
            continue;
        QFont f = p.font();
        f.setPixelSize(std::max(1, static_cast<int>(g.fontSize)));
        // A long label shrinks to the ring's inside rather than running over the ring or being
        // cut off at its edges.
        const double wide = QFontMetricsF(f).horizontalAdvance(g.text);
        const double room = 0.9 * std::min(g.rect.width(), 2.0 * (outer - ringWidth));
        if (wide > room && wide > 0.0)
            f.setPixelSize(std::max(1, static_cast<int>(g.fontSize * room / wide)));
        p.setFont(f);
        p.setPen(g.colour.isValid() ? g.colour : QColor(40, 40, 40));
        const int v = g.vAlign == 0 ? Qt::AlignTop : g.vAlign == 1 ? Qt::AlignBottom : Qt::AlignVCenter;
        p.drawText(g.rect, Qt::AlignHCenter | v | Qt::TextSingleLine, g.text);
    }
}

void CCircularProgressIndicatorImpl::SetRange(double lo, double hi)
{
    m_dLo = lo;
    m_dHi = hi;
    SetDirty(true, true);
}

void CCircularProgressIndicatorImpl::SetPos(double pos, bool redraw)
{
    m_dPos = std::clamp(pos, std::min(m_dLo, m_dHi), std::max(m_dLo, m_dHi));
    SetDirty(true, redraw);
}

CKVCircularProgressIndicatorImpl::CKVCircularProgressIndicatorImpl() = default;

void CKVCircularProgressIndicatorImpl::SetLabel(const QString &text)
{
    if (text == m_strLabel)
        return;
    m_strLabel = text;
    if (m_subGauges.size() < 2)
        throw std::invalid_argument("indicator without a label gauge");
    m_subGauges[1].text = text;
    m_subGauges[1].colour = m_brLabel;
    SetDirty(true, true);
}

int CKVCircularProgressIndicatorImpl::ReposAllSubGauges()
{
    QRectF frame = m_rcFrame;
    const double pad = m_scales.empty() ? 0.0 : m_scales.front() + 2.0;
    frame.adjust(pad, pad, -pad, -pad);
    const double s = std::max(0.0, std::min(frame.width(), frame.height()));
    const double cx = frame.center().x();
    const double cy = frame.center().y();
    QRectF square(cx - s / 2, cy - s / 2, s, s);
    const bool centerSuppressed = m_options.m_bHideCenterText || m_strCenterText.isEmpty();

    for (size_t i = 0; i < m_subGauges.size(); ++i) {
        IndicatorTextGauge &g = m_subGauges.at(i);
        g.visible = !m_options.m_bHideTexts && (i == 0 ? !centerSuppressed : !m_strLabel.isEmpty());
        if (!g.visible)
            continue;
        g.rect = square;
        if (i == 0 && !m_strLabel.isEmpty()) {
            g.rect = QRectF(cx - s / 2, cy - s / 2, s, 2 * s / 3);
            square = QRectF(cx - s / 4, cy - s / 2 + 2 * s / 3, s / 2, s / 3);
        }
        g.fontSize = (i == 0 ? 0.4 : 0.3) * g.rect.height();
        if (i == 1)
            g.vAlign = centerSuppressed ? 2 : 0;
    }
    return 0;
}

CKVProcessIndicator::CKVProcessIndicator(QWidget *parent) : QWidget(parent), MessageTarget(this)
{
    setFocusPolicy(Qt::ClickFocus);
}

CKVProcessIndicator::~CKVProcessIndicator() = default;

CKVCircularProgressIndicatorImpl *CKVProcessIndicator::GetIndicatorImpl()
{
    if (!m_pImpl) {
        m_pImpl.reset(new (std::nothrow) CKVCircularProgressIndicatorImpl);
        if (m_pImpl)
            m_pImpl->SetRedrawHandler([this] { update(); });
    }
    return m_pImpl.get();
}

LRESULT CKVProcessIndicator::Notify(UINT msg)
{
    return platform::SendMessage(platform::WindowRef(parentWidget()), msg,
                                 static_cast<WPARAM>(platform::GetCtrlId(this)), 0);
}

// An owner that starts a motion or a test with this control takes only the left button: a right
// or middle click must never start it, nor end a hold that the left button keeps.
BOOL CKVProcessIndicator::OnMouseDown(int button, const QPointF &pt)
{
    if (m_bLeftButtonOnly && button != Qt::LeftButton)
        return FALSE;
    if (QRectF(rect()).contains(pt)) {
        m_bPressed = true;
        Notify(UM_BUTTON_PRESSED);
    }
    return TRUE;
}

BOOL CKVProcessIndicator::OnMouseUp(int button, const QPointF &pt)
{
    if (m_bLeftButtonOnly && button != Qt::LeftButton)
        return FALSE;
    const bool inside = QRectF(rect()).contains(pt);
    const bool held = m_bPressed;
    m_bPressed = false;
    if (inside || (m_bHoldToRun && held))
        return static_cast<BOOL>(Notify(UM_BUTTON_RELEASED));
    return FALSE;
}

void CKVProcessIndicator::ReleaseHeld()
{
    if (m_bHoldToRun && m_bPressed) {
        m_bPressed = false;
        Notify(UM_BUTTON_RELEASED);
    }
}

void CKVProcessIndicator::paintEvent(QPaintEvent *)
{
    CKVCircularProgressIndicatorImpl *impl = GetIndicatorImpl();
    if (!impl)
        return;
    QPainter p(this);
    impl->SetFrameRect(QRectF(rect()));
    impl->Draw(p);
}

void CKVProcessIndicator::mousePressEvent(QMouseEvent *e)
{
    OnMouseDown(static_cast<int>(e->button()), e->position());
}

void CKVProcessIndicator::mouseReleaseEvent(QMouseEvent *e)
{
    OnMouseUp(static_cast<int>(e->button()), e->position());
}

void CKVProcessIndicator::focusOutEvent(QFocusEvent *e)
{
    ReleaseHeld();
    QWidget::focusOutEvent(e);
}

void CKVProcessIndicator::hideEvent(QHideEvent *e)
{
    ReleaseHeld();
    QWidget::hideEvent(e);
}

void CKVProcessIndicator::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::ActivationChange && !isActiveWindow())
        ReleaseHeld();
    QWidget::changeEvent(e);
}

bool CKVProcessIndicator::event(QEvent *e)
{
    if (e->type() == QEvent::UngrabMouse)
        ReleaseHeld();
    return QWidget::event(e);
}
