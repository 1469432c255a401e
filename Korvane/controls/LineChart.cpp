#include "LineChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr int kAxisWidth = 48;
constexpr int kMargin = 6;
constexpr int kMaxKeptPoints = 100000;

}

CLineChart::CLineChart(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLineChart::AddPoint(double value)
{
    if (m_points.size() >= kMaxKeptPoints)
        m_points.remove(0, kMaxKeptPoints / 2);
    m_points.append(value);
}

void CLineChart::ClearPoints()
{
    m_points.clear();
    update();
}

void CLineChart::SetVerticalRange(double lowest, double highest, double majorUnit)
{
    m_dLowest = lowest;
    m_dHighest = highest > lowest ? highest : lowest + 1;
    m_dMajorUnit = majorUnit > 0 ? majorUnit : (m_dHighest - m_dLowest);
    update();
}

void CLineChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 255, 255));
    const QRectF plot(kAxisWidth, kMargin, std::max(10, width() - kAxisWidth - kMargin),
                      std::max(10, height() - 2 * kMargin));
    const double span = m_dHighest - m_dLowest;
    auto yOf = [&](double v) { return plot.bottom() - (v - m_dLowest) / span * plot.height(); };

    p.setPen(QColor(220, 220, 220));
    const int lines = int(span / m_dMajorUnit);
    for (int i = 0; i <= lines && i <= 200; ++i) {
        const double v = m_dLowest + i * m_dMajorUnit;
        const double y = yOf(v);
        p.setPen(QColor(220, 220, 220));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(QColor(90, 90, 90));
        p.drawText(QRectF(0, y - 8, kAxisWidth - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'g', 8));
    }
    p.setPen(QColor(120, 120, 120));
    p.drawRect(plot);

    if (m_points.isEmpty())
        return;
    const int shown = std::max(2, m_nVisiblePoints);
    const int first = std::max(0, int(m_points.size()) - shown);
    const double dx = plot.width() / (shown - 1);
    QPainterPath path;
    for (int i = first; i < m_points.size(); ++i) {
        const double v = std::clamp(m_points[i], m_dLowest, m_dHighest);
        const QPointF pt(plot.left() + (i - first) * dx, yOf(v));
        if (i == first)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(plot);
    p.setPen(QPen(QColor(30, 110, 200), 1.5));
    p.drawPath(path);
}
