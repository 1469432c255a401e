#include "MyProgressCtrl.h"

#include "platform/ColorRef.h"

#include <QPainter>

#include <algorithm>

namespace {

// Fraction of the range done, 0..1; an empty or inverted range counts as nothing done.
double Fraction(int lower, int upper, int pos)
{
    if (upper <= lower)
        return 0.0;
    const double f = (static_cast<double>(pos) - lower) / (static_cast<double>(upper) - lower);
    return std::clamp(f, 0.0, 1.0);
}

}

CMyProgressCtrl::CMyProgressCtrl(QWidget *parent, bool captionStyle)
    : QWidget(parent), MessageTarget(this), m_bCaptionStyle(captionStyle)
{
}

void CMyProgressCtrl::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    m_nPos = std::clamp(m_nPos, std::min(lower, upper), std::max(lower, upper));
    update();
}

void CMyProgressCtrl::GetRange(int &lower, int &upper) const
{
    lower = m_nLower;
    upper = m_nUpper;
}

int CMyProgressCtrl::SetPos(int pos)
{
    const int old = m_nPos;
    m_nPos = std::clamp(pos, std::min(m_nLower, m_nUpper), std::max(m_nLower, m_nUpper));
    if (m_nPos != old)
        update();
    return old;
}

void CMyProgressCtrl::SetWindowText(const QString &text)
{
    setWindowTitle(text);
    update();
}

int CMyProgressCtrl::Percent(int lower, int upper, int pos)
{
    return static_cast<int>(Fraction(lower, upper, pos) * 100.0);
}

int CMyProgressCtrl::BarWidth(int lower, int upper, int pos, int width)
{
    return static_cast<int>(Fraction(lower, upper, pos) * width);
}

QString CMyProgressCtrl::PaintedText() const
{
    const QString percent = QStringLiteral("%1%").arg(Percent(m_nLower, m_nUpper, m_nPos));
    if (m_bCaptionStyle && !windowTitle().isEmpty())
        return windowTitle() + QLatin1Char(' ') + percent;
    return percent;
}

LRESULT CMyProgressCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case PBM_SETRANGE: {
        const LRESULT old = (m_nLower & 0xFFFF) | ((m_nUpper & 0xFFFF) << 16);
        SetRange(static_cast<int>(lParam & 0xFFFF), static_cast<int>((lParam >> 16) & 0xFFFF));
        return old;
    }
    case PBM_SETRANGE32: {
        const LRESULT old = (m_nLower & 0xFFFF) | ((m_nUpper & 0xFFFF) << 16);
        SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
        return old;
    }
    case PBM_SETPOS: return SetPos(static_cast<int>(wParam));
    case PBM_DELTAPOS: return SetPos(m_nPos + static_cast<int>(wParam));
    case PBM_GETPOS: return m_nPos;
    case PBM_GETRANGE: return wParam ? m_nLower : m_nUpper;
    default: return MessageTarget::WindowProc(msg, wParam, lParam);
    }
}

void CMyProgressCtrl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect client = rect();
    p.fillRect(client, palette().color(QPalette::Button));
    const int bar = BarWidth(m_nLower, m_nUpper, m_nPos, client.width());
    if (bar > 0)
        p.fillRect(QRect(client.left(), client.top(), bar, client.height()), platform::ColorFromRef(RGB(128, 128, 255)));
    QFont f(QStringLiteral("宋体"));
    f.setPointSize(12);
    p.setFont(f);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, PaintedText());
}
