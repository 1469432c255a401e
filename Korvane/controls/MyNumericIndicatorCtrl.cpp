#include "controls/MyNumericIndicatorCtrl.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace {

struct SizeGeometry
{
    double pointLeft, pointRight, pointTop, pointBottom;
    std::initializer_list<std::initializer_list<double>> segments;  // x0, y0, x1, y1, ...
};

// Pixel set, smallest size first. Each segment is its polygon's points as x, y pairs; a
// segment of two points is a line.
const SizeGeometry kPixel[5] = {
    {7, 8, 9, 10,
     {{0, 4, 0, 0}, {1, 0, 5, 0}, {5, 1, 5, 5}, {5, 6, 5, 10}, {4, 10, 0, 10}, {0, 9, 0, 5}, {1, 5, 5, 5}}},
    {11, 13, 16, 18,
     {{0, 0, 2, 2, 2, 6, 0, 8},
      {1, 0, 9, 0, 7, 2, 3, 2},
      {8, 2, 10, 0, 10, 8, 8, 6},
      {8, 11, 10, 9, 10, 17, 8, 15},
      {0, 18, 2, 16, 8, 16, 10, 18},
      {0, 9, 2, 11, 2, 15, 0, 17},
      {2, 8, 8, 8, 8, 10, 2, 10}}},
    {17, 20, 24, 27,
     {{0, 2, 2, 2, 3, 3, 3, 10, 1, 12, 0, 12},
      {2, 1, 2, 0, 13, 0, 13, 1, 11, 3, 3, 3},
      {12, 3, 13, 2, 15, 2, 15, 12, 13, 12, 12, 10},
      {12, 16, 13, 15, 15, 15, 15, 25, 13, 25, 12, 23},
      {2, 27, 2, 25, 3, 24, 12, 24, 13, 25, 13, 27},
      {0, 15, 2, 15, 3, 16, 3, 23, 1, 25, 0, 25},
      {1, 13, 2, 12, 13, 12, 14, 13, 12, 15, 2, 15}}},
    {28, 33, 40, 45,
     {{0, 3, 1, 1, 5, 5, 5, 18, 1, 22, 0, 20},
      {2, 1, 3, 0, 22, 0, 23, 1, 19, 5, 5, 5},
      {20, 5, 23, 1, 25, 3, 25, 20, 23, 22, 20, 18},
      {20, 26, 23, 22, 25, 24, 25, 41, 23, 43, 20, 39},
      {2, 43, 5, 40, 20, 40, 23, 43, 21, 45, 4, 45},
      {0, 24, 1, 22, 5, 26, 5, 39, 1, 43, 0, 41},
      {2, 22, 4, 20, 21, 20, 23, 22, 20, 25, 4, 25}}},
    {39, 46, 56, 63,
     {{0, 6, 2, 3, 7, 8, 7, 25, 2, 30, 0, 27},
      {4, 2, 6, 0, 29, 0, 31, 2, 26, 7, 8, 7},
      {28, 8, 32, 3, 35, 6, 35, 27, 32, 30, 28, 25},
      {28, 37, 32, 32, 35, 35, 35, 56, 32, 59, 28, 54},
      {4, 60, 8, 56, 27, 56, 31, 60, 28, 63, 6, 63},
      {0, 35, 2, 32, 7, 37, 7, 54, 2, 59, 0, 56},
      {4, 31, 7, 28, 28, 28, 31, 31, 27, 35, 7, 35}}},
};

// Smooth (anti-aliased) set.
const SizeGeometry kSmooth[5] = {
    {8, 9, 9, 10,
     {{0, 4, 0, 1}, {1, 0, 4, 0}, {5, 1, 5, 4}, {5, 6, 5, 9}, {4, 10, 1, 10}, {0, 9, 0, 6}, {1, 5, 4, 5}}},
    {11, 13, 16, 18,
     {{0, 2.5, 1, 1.5, 2, 2.5, 2, 7.5, 1, 8.5, 0, 7.5},
      {1.5, 1, 2.5, 0, 7.5, 0, 8.5, 1, 7.5, 2, 2.5, 2},
      {8.5, 2.5, 9, 1.5, 10, 2.5, 10, 7.5, 9, 8.5, 8, 7.5},
      {8, 10.5, 9, 9.5, 10, 10.5, 10, 15.5, 9, 16.5, 8, 15.5},
      {1.5, 17, 2.5, 16, 7.5, 16, 8.5, 17, 7.5, 18, 2.5, 18},
      {0, 10.5, 1, 9.5, 2, 10.5, 2, 15.5, 1, 16.5, 0, 15.5},
      {1.5, 9, 2.5, 8, 7.5, 8, 8.5, 9, 7.5, 10, 2.5, 10}}},
    {17, 20, 24, 27,
     {{0, 3, 1, 2, 3, 4, 3, 11.5, 1, 13, 0, 12},
      {2, 1, 3, 0, 12, 0, 13, 1, 11, 3, 4, 3},
      {12, 4, 14, 2, 15, 3, 15, 12, 14, 13, 12, 11.5},
      {12, 15.5, 14, 14, 15, 15, 15, 24, 14, 25, 12, 23},
      {2, 26, 4, 24, 11, 24, 13, 26, 12, 27, 3, 27},
      {0, 15, 1, 14, 3, 15.5, 3, 23, 1, 25, 0, 24},
      {2, 13.5, 4, 12, 11, 12, 13, 13.5, 11, 15, 4, 15}}},
    {28, 32, 44, 48,
     {{0, 3, 1, 2, 5, 6, 5, 18, 1, 21.5, 0, 20.5},
      {2, 1, 3, 0, 22, 0, 23, 1, 19, 5, 6, 5},
      {20, 6, 24, 2, 25, 3, 25, 20.5, 24, 21.5, 20, 18},
      {20, 27, 24, 23.5, 25, 24.5, 25, 42, 24, 43, 20, 39},
      {2, 44, 6, 40, 19, 40, 23, 44, 22, 45, 3, 45},
      {0, 24.5, 1, 23.5, 5, 27, 5, 39, 1, 43, 0, 42},
      {2, 22.5, 5, 20, 20, 20, 23, 22.5, 20, 25, 5, 25}}},
    {43, 49, 68, 74,
     {{0, 5, 2, 3, 7, 8, 7, 26.5, 2, 31, 0, 29},
      {3, 2, 5, 0, 30, 0, 32, 2, 27, 7, 8, 7},
      {28, 8, 33, 3, 35, 5, 35, 29, 33, 31, 28, 26.5},
      {28, 36.5, 33, 32, 35, 34, 35, 58, 33, 60, 28, 55},
      {3, 61, 8, 56, 27, 56, 32, 61, 30, 63, 5, 63},
      {0, 34, 2, 32, 7, 36.5, 7, 55, 2, 60, 0, 58},
      {3.5, 31.5, 7.5, 28, 27.5, 28, 31.5, 31.5, 27.5, 35, 7.5, 35}}},
};

void Fill(std::array<CMyDigit::XDigit, 5> &set, const SizeGeometry (&table)[5])
{
    for (size_t size = 0; size < 5; ++size) {
        CMyDigit::XDigit &d = set[size];
        d = CMyDigit::XDigit();
        const SizeGeometry &g = table[size];
        d.pointLeft = g.pointLeft;
        d.pointRight = g.pointRight;
        d.pointTop = g.pointTop;
        d.pointBottom = g.pointBottom;
        size_t s = 0;
        for (const auto &segment : g.segments) {
            const double *v = segment.begin();
            // A point only where both of its coordinates are given.
            for (size_t i = 0; i + 1 < segment.size(); i += 2)
                d.segments[s].base.append(QPointF(v[i], v[i + 1]));
            d.segments[s].scaled = d.segments[s].base;
            ++s;
        }
    }
}

void Slant(CMyDigit::XDigit &d, double angle)
{
    if (d.segments[0].base.size() > 2 && angle != 0.0) {
        const double t = std::tan(std::clamp(angle, -75.0, 75.0) * std::numbers::pi / 180.0);
        for (auto &segment : d.segments) {
            for (QPointF &p : segment.base)
                p.setX(p.x() + p.y() * t);
        }
    }
    bool first = true;
    for (auto &segment : d.segments) {
        for (const QPointF &p : segment.base) {
            if (first) {
                d.left = d.right = p.x();
                d.top = d.bottom = p.y();
                first = false;
            } else {
                d.left = std::min(d.left, p.x());
                d.right = std::max(d.right, p.x());
                d.top = std::min(d.top, p.y());
                d.bottom = std::max(d.bottom, p.y());
            }
        }
        segment.scaled = segment.base;
    }
    d.scale = 1.0;
}

QColor WithOpacity(QColor c, double factor)
{
    c.setAlphaF(float(std::clamp(c.alphaF() * factor, 0.0, 1.0)));
    return c;
}

}

void CMyDigit::BuildSegments(double slant)
{
    Fill(m_pixel, kPixel);
    Fill(m_smooth, kSmooth);
    for (auto *set : {&m_pixel, &m_smooth}) {
        for (XDigit &d : *set)
            Slant(d, slant);
    }
    m_nCurrent = 4;
}

double CMyDigit::GlyphWidth(const XDigit &d, bool withPoint)
{
    return (withPoint ? d.pointRight : d.right) - d.left;
}

QRectF CMyDigit::FitToCell(const QRectF &cell, IndicatorGraphics graphics, bool withPoint)
{
    const bool pixel = graphics == IndicatorGraphics::Pixel;
    const double threshold = pixel ? 1.0 : 0.75;
    auto &set = Set(graphics);
    auto ratioOf = [&](const XDigit &d) {
        const double w = GlyphWidth(d, withPoint);
        const double h = d.bottom - d.top;
        return std::min(w > 0 ? cell.width() / w : 0.0, h > 0 ? cell.height() / h : 0.0);
    };
    m_nCurrent = 0;
    for (int size = 4; size >= 0; --size) {
        if (ratioOf(set[size_t(size)]) >= threshold) {
            m_nCurrent = size;
            break;
        }
    }
    XDigit &d = set[size_t(m_nCurrent)];
    const double s = pixel && m_nCurrent > 0 && m_nCurrent < 4 ? 1.0 : ratioOf(d);
    const double w = GlyphWidth(d, withPoint) * s;
    const double h = (d.bottom - d.top) * s;
    const QRectF glyph(cell.left() + (cell.width() - w) / 2, cell.top() + (cell.height() - h) / 2, w, h);
    if (s != d.scale) {
        d.scale = s;
        for (XSegment &segment : d.segments) {
            segment.scaled.resize(segment.base.size());
            for (qsizetype i = 0; i < segment.base.size(); ++i)
                segment.scaled[i] = segment.base[i] * s;
        }
    }
    return glyph;
}

QString CMyDigit::Pattern(QChar ch)
{
    switch (ch.toUpper().unicode()) {
    case '-': return QStringLiteral("0000001");
    case '0': return QStringLiteral("1111110");
    case '1': return QStringLiteral("0011000");
    case '2': return QStringLiteral("0110111");
    case '3': return QStringLiteral("0111101");
    case '4': return QStringLiteral("1011001");
    case '5': return QStringLiteral("1101101");
    case '6': return QStringLiteral("1101111");
    case '7': return QStringLiteral("0111000");
    case '8': return QStringLiteral("1111111");
    case '9': return QStringLiteral("1111101");
    case 'A': return QStringLiteral("1111011");
    case 'B': return QStringLiteral("1001111");
    case 'C': return QStringLiteral("1100110");
    case 'D': return QStringLiteral("0011111");
    case 'E': return QStringLiteral("1100111");
    case 'F': return QStringLiteral("1100011");
    case 'N': return QStringLiteral("0001011");
    case 'O': return QStringLiteral("0001111");
    case 'R': return QStringLiteral("0000011");
    case 'U': return QStringLiteral("0001110");
    case 'Y': return QStringLiteral("1011101");
    default: return QString();
    }
}

void CMyDigit::DrawChar(QPainter &painter, IndicatorGraphics graphics, QChar ch, const QRectF &glyph,
                        const QColor &brush, double unlitOpacity)
{
    const QString pattern = Pattern(ch);
    if (pattern.isEmpty())
        return;
    const XDigit &d = Set(graphics)[size_t(m_nCurrent)];
    const double u = std::clamp(unlitOpacity, 0.0, 1.0) * brush.alphaF();
    auto drawSegment = [&](const XSegment &segment, const QColor &colour) {
        QPolygonF points;
        for (const QPointF &p : segment.scaled)
            points.append(p + glyph.topLeft());
        if (points.size() > 2) {
            QPainterPath path;
            path.addPolygon(points);
            path.closeSubpath();
            painter.fillPath(path, colour);
        } else if (points.size() == 2) {
            painter.setPen(QPen(colour, 1.0));
            painter.drawLine(points[0], points[1]);
        }
    };
    const bool smooth = graphics != IndicatorGraphics::Pixel;
    if (smooth && u != 0.0) {
        QColor unlit = brush;
        unlit.setAlphaF(float(u));
        for (int i = 0; i < 7; ++i) {
            if (pattern[i] == QLatin1Char('0'))
                drawSegment(d.segments[size_t(i)], unlit);
        }
    }
    for (int i = 0; i < 7; ++i) {
        if (pattern[i] == QLatin1Char('1'))
            drawSegment(d.segments[size_t(i)], brush);
    }
}

void CMyDigit::DrawPoint(QPainter &painter, IndicatorGraphics graphics, const QRectF &glyph, const QColor &brush)
{
    const XDigit &d = Set(graphics)[size_t(m_nCurrent)];
    double side = d.pointRight > 0 ? glyph.width() * (d.pointRight - d.pointLeft) / d.pointRight : 1.0;
    side = std::max(side, 1.0);
    painter.fillRect(QRectF(glyph.right() - side, glyph.bottom() - side, side, side), brush);
}

// ---- NumericIndicatorImpl -----------------------------------------------------------------

const QColor &NumericIndicatorImpl::BrushOfKind(int kind) const
{
    switch (kind) {
    case 1: return m_brDecimal;
    case 2: return m_brDot;
    case 3: return m_brSign;
    default: return m_brDigit;
    }
}

void NumericIndicatorImpl::OnDrawChar(QPainter &painter, IndicatorGraphics, const QRectF &cell, QChar ch, int,
                                      int kind)
{
    painter.save();
    painter.setFont(m_textFont);
    painter.setPen(BrushOfKind(kind));
    painter.drawText(cell, Qt::AlignCenter, QString(ch));
    painter.restore();
}

void NumericIndicatorImpl::DrawSeparator(QPainter &painter, const QRectF &strip) const
{
    painter.fillRect(strip, m_brSeparator);
}

void NumericIndicatorImpl::DrawFrame(QPainter &painter, const QRectF &rect) const
{
    if (m_dblFrameSize <= 0)
        return;
    painter.save();
    painter.setPen(QPen(m_brOutline, m_dblFrameSize));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

// ---- CMyNumericIndicatorImpl --------------------------------------------------------------

CMyNumericIndicatorImpl::CMyNumericIndicatorImpl()
{
    UpdateTextFormat();
}

CMyNumericIndicatorImpl::~CMyNumericIndicatorImpl()
{
    delete m_pDigit;
    m_arrChars.clear();
}

void CMyNumericIndicatorImpl::SetDigitsText(const QString &text)
{
    m_arrChars.clear();
    for (QChar ch : text)
        m_arrChars.append(QString(ch));
}

void CMyNumericIndicatorImpl::UpdateTextFormat()
{
    m_textFont = QApplication::font();
    delete m_pDigit;
    m_pDigit = new CMyDigit;
    m_pDigit->BuildSegments(0.0);
}

void CMyNumericIndicatorImpl::OnDrawChar(QPainter &painter, IndicatorGraphics graphics, const QRectF &cell,
                                         QChar ch, int index, int kind)
{
    if (m_style == Classic) {
        NumericIndicatorImpl::OnDrawChar(painter, graphics, cell, ch, index, kind);
        return;
    }
    if (!m_pDigit)
        return;
    const QColor &brush = BrushOfKind(kind);
    if (kind == 2) {
        m_pDigit->DrawPoint(painter, graphics, cell, brush);
        return;
    }
    if (m_dblOpacity < 1.0)
        m_pDigit->DrawChar(painter, graphics, ch, cell, WithOpacity(brush, m_dblOpacity), 0.0);
    else
        m_pDigit->DrawChar(painter, graphics, ch, cell, brush, 0.0);
}

void CMyNumericIndicatorImpl::OnDraw(QPainter &painter, IndicatorGraphics graphics, const QRectF &clip,
                                     unsigned flags)
{
    if (m_rect.isEmpty() || m_nCells < 1 || (flags & 2u) == 0)
        return;
    painter.fillRect(m_rect, m_brFill);

    const double mx = m_dblFrameSize * m_scaleX;
    const double my = m_dblFrameSize * m_scaleY;
    const double cellWidth = (m_rect.width() - 2 * mx) / m_nCells;
    // Cell 0 is the rightmost; the text fills the cells from its end.
    auto plainCell = [&](int i) {
        return QRectF(m_rect.right() - mx - (i + 1) * cellWidth, m_rect.top(), cellWidth, m_rect.height());
    };
    const bool digital = m_style == Digital;
    const bool withPoint = m_nDecimals >= 1 && m_bDrawDecimalPoint;

    QRectF firstDigital;
    if (digital && m_pDigit)
        firstDigital = m_pDigit->FitToCell(plainCell(0).adjusted(mx, my, -mx, -my), graphics, withPoint);
    auto cellRect = [&](int i) {
        if (digital && m_pDigit)
            return firstDigital.translated(-i * cellWidth, 0);
        return plainCell(i);
    };

    const qsizetype needed = m_arrChars.size() - (digital && withPoint ? 1 : 0);
    const bool overflow = needed > m_nCells;
    if (overflow)
        m_arrChars = {QStringLiteral("E"), QStringLiteral("r"), QStringLiteral("r"), QStringLiteral("o"),
                      QStringLiteral("r")};

    qsizetype next = m_arrChars.size();
    for (int i = 0; i < m_nCells;) {
        int kind = overflow ? 4 : (i < m_nDecimals ? 1 : 0);
        if (next <= 0) {
            ++i;  // the text is used up: the cell stays empty
            continue;
        }
        const QString &entry = m_arrChars[--next];
        const QChar ch = entry.isEmpty() ? QChar() : entry[0];
        if (!overflow) {
            if (ch == QLatin1Char('+') || ch == QLatin1Char('-'))
                kind = 3;
            else if (ch == QLatin1Char('.') || ch == QLatin1Char(','))
                kind = 2;
        }
        const QRectF rect = cellRect(i);
        if (rect.intersects(clip))
            OnDrawChar(painter, graphics, rect, ch, i, kind);
        // In the digital style the point shares the cell of the digit to its left.
        if (!(digital && kind == 2))
            ++i;
    }

    const double separator = m_dblSeparatorWidth * m_scaleX;
    if (separator >= 1.0) {
        for (int i = 0; i + 1 < m_nCells; ++i) {
            const double boundary = plainCell(i).left();
            DrawSeparator(painter, QRectF(boundary - separator / 2, m_rect.top(), separator, m_rect.height()));
        }
    }
    DrawFrame(painter, m_rect.translated(0.5, 0.5));
}

// ---- CMyNumericIndicatorCtrl --------------------------------------------------------------

CMyNumericIndicatorCtrl::CMyNumericIndicatorCtrl(QWidget *parent)
    : QWidget(parent), m_pImpl(new CMyNumericIndicatorImpl)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CMyNumericIndicatorCtrl::~CMyNumericIndicatorCtrl()
{
    delete m_pImpl;
}

void CMyNumericIndicatorCtrl::paintEvent(QPaintEvent *e)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_graphics != IndicatorGraphics::Pixel);
    m_pImpl->m_rect = QRectF(rect());
    m_pImpl->OnDraw(painter, m_graphics, QRectF(e->rect()), 2u);
}
