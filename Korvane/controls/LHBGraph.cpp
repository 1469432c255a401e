#include "LHBGraph.h"

#include "BitmapFile.h"
#include "platform/ControlId.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kAxisStep = 30;  // pixels per curve axis beside and under the plot
constexpr double kPixelLimit = 1.0e7;

// Truncation toward zero of a pixel position that may be far off (or not a number) without
// overflowing the int: such points land far outside the plot and are cut there.
int Trunc(double v)
{
    if (std::isnan(v))
        return static_cast<int>(-kPixelLimit);
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

COLORREF Complement(COLORREF c)
{
    return ~c & 0xFFFFFF;
}

QColor Col(COLORREF c)
{
    return platform::ColorFromRef(c);
}

QFont AxisFont()
{
    QFont f(QStringLiteral("Arail"));
    f.setPointSize(9);
    return f;
}

QRect Box(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

QString Fixed(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

bool StrictlyInside(const LHB::RECT &r, int x, int y)
{
    return x > r.left && x < r.right && y > r.top && y < r.bottom;
}

QPoint ClampInto(const LHB::RECT &r, int x, int y)
{
    return QPoint(std::clamp(x, r.left, std::max(r.left, r.right)), std::clamp(y, r.top, std::max(r.top, r.bottom)));
}

// Collects a curve's lines; consecutive vertices in one pixel column shrink to the first, the
// lowest, the highest and the last of them, which draws the same pixels.
class Polyline
{
public:
    explicit Polyline(QPainter &p) : m_p(p) {}
    ~Polyline() { Flush(); }

    void MoveTo(QPoint q)
    {
        Flush();
        Start(q);
    }
    void LineTo(QPoint q)
    {
        if (!m_open) {
            Start(q);
            return;
        }
        if (q.x() == m_colX) {
            if (q.y() < m_min.y())
                m_min = q, m_minAt = ++m_seq;
            if (q.y() > m_max.y())
                m_max = q, m_maxAt = ++m_seq;
            m_last = q;
            m_colCount++;
            return;
        }
        EmitColumn();
        Column(q);
    }
    void Flush()
    {
        if (!m_open)
            return;
        EmitColumn();
        if (m_pts.size() >= 2)
            m_p.drawPolyline(m_pts.data(), static_cast<int>(m_pts.size()));
        m_pts.clear();
        m_open = false;
    }

private:
    void Start(QPoint q)
    {
        m_open = true;
        Column(q);
    }
    void Column(QPoint q)
    {
        m_colX = q.x();
        m_first = m_min = m_max = m_last = q;
        m_seq = m_minAt = m_maxAt = 0;
        m_colCount = 1;
    }
    void Push(QPoint q)
    {
        if (m_pts.empty() || m_pts.back() != q)
            m_pts.push_back(q);
    }
    void EmitColumn()
    {
        Push(m_first);
        if (m_colCount > 1) {
            if (m_minAt <= m_maxAt) {
                Push(m_min);
                Push(m_max);
            } else {
                Push(m_max);
                Push(m_min);
            }
            Push(m_last);
        }
    }

    QPainter &m_p;
    std::vector<QPoint> m_pts;
    bool m_open = false;
    int m_colX = 0;
    QPoint m_first, m_min, m_max, m_last;
    int m_seq = 0, m_minAt = 0, m_maxAt = 0, m_colCount = 0;
};

}

BOOL CLHBCurve::FindPointAt(QPoint cursor, LHBPoint &out) const
{
    if (m_vecPoints.empty())
        return FALSE;
    const int cx = cursor.x();
    const auto it = std::find_if(m_vecPoints.begin(), m_vecPoints.end(), [cx](const LHBPoint &p) { return p.px > cx; });
    if (it == m_vecPoints.end()) {
        const LHBPoint &last = m_vecPoints.back();
        if (std::abs(cx - last.px) < 5) {
            out = last;
            return TRUE;
        }
        return FALSE;
    }
    if (it == m_vecPoints.begin()) {
        if (std::abs(cx - it->px) < 5) {
            out = *it;
            return TRUE;
        }
        return FALSE;
    }
    const LHBPoint &right = *it;
    const LHBPoint &left = *(it - 1);
    const int gap = std::abs(right.px - left.px);
    const int t = gap < 5 ? std::max(1, static_cast<int>(gap * 0.5)) : 5;
    if (std::abs(cx - right.px) <= t)
        out = right;
    else if (std::abs(cx - left.px) <= t)
        out = left;
    else
        out = right;
    return TRUE;
}

CLHBGraph::CLHBGraph(QWidget *parent) : QWidget(parent)
{
    m_vecXGrid.assign(static_cast<size_t>(std::max(0, m_nXDivisions - 1)), LHB::GridLine{});
    m_vecYGrid.assign(static_cast<size_t>(std::max(0, m_nYDivisions - 1)), LHB::GridLine{});
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

CLHBGraph::~CLHBGraph()
{
    DeleteAllCurves();
}

bool CLHBGraph::Create(const QString &windowName, const QRect &rect, QWidget *parent, int id)
{
    setParent(parent);
    setWindowTitle(windowName);
    setGeometry(rect);
    platform::SetCtrlId(this, id);
    setCursor(Qt::ArrowCursor);
    show();
    return true;
}

int CLHBGraph::AddCurve(const QString &name, const QString &xUnit, const QString &yUnit, COLORREF colour,
                        float yStart, float yStep, float xStart, float xStep)
{
    if (name.isEmpty())
        return -1;
    for (const CLHBCurve *c : m_arrCurves)
        if (c->m_strName == name)
            return -1;
    auto *curve = new CLHBCurve;
    curve->m_strName = name;
    curve->m_strXUnit = xUnit;
    curve->m_strYUnit = yUnit;
    curve->m_crColor = colour;
    curve->m_fYStart = yStart;
    curve->m_fYStep = yStep;
    curve->m_fXStart = xStart;
    curve->m_fXStep = xStep;
    {
        std::lock_guard lock(m_hMutex);
        m_arrCurves.push_back(curve);
    }
    for (CLHBCurve *c : m_arrCurves)
        c->m_bShowValue = m_bShowValues;
    UpdateAxisRange();
    if (!m_arrCurves.empty())
        update();
    return static_cast<int>(m_arrCurves.size());
}

void CLHBGraph::AddPoint(const QString &name, float x, float y, bool marker)
{
    if (name.isEmpty())
        return;
    std::lock_guard lock(m_hMutex);
    for (CLHBCurve *c : m_arrCurves) {
        if (c->m_strName == name) {
            c->m_vecPoints.push_back(LHBPoint{x, y, marker, 0, 0});
            return;
        }
    }
}

BOOL CLHBGraph::DeleteCurve(const QString &name)
{
    CLHBCurve *gone = nullptr;
    {
        std::lock_guard lock(m_hMutex);
        const auto it = std::find_if(m_arrCurves.begin(), m_arrCurves.end(),
                                     [&](const CLHBCurve *c) { return c->m_strName == name; });
        if (it == m_arrCurves.end())
            return FALSE;
        gone = *it;
        m_arrCurves.erase(it);
    }
    delete gone;
    return TRUE;
}

void CLHBGraph::DeleteAllCurves()
{
    std::vector<CLHBCurve *> gone;
    {
        std::lock_guard lock(m_hMutex);
        gone.swap(m_arrCurves);
    }
    for (CLHBCurve *c : gone)
        delete c;
}

LHB::RECT CLHBGraph::PlotWithAxisRoom() const
{
    LHB::RECT plot = m_rcLayout;
    if (!m_bShowAxes)
        return plot;
    for (const CLHBCurve *c : m_arrCurves) {
        if (!c->m_bVisible)
            continue;
        if (c->m_bXAxis)
            plot.bottom -= kAxisStep;
        if (c->m_bYAxis)
            plot.left += kAxisStep;
    }
    return plot;
}

void CLHBGraph::UpdateAxisRange()
{
    // The plot always leaves each axis its strip: a later range update or a resize never puts
    // the axes back onto the edge of the control, under their own labels.
    const LHB::RECT plot = PlotWithAxisRoom();
    if (!(plot == m_rcPlot)) {
        m_rcPlot = plot;
        m_rcSaved = m_rcData = plot;
        return;
    }
    m_rcSaved.bottom = std::max(m_rcSaved.bottom, m_rcPlot.bottom);
    m_rcSaved.left = std::min(m_rcSaved.left, m_rcPlot.left);
    m_rcData = m_rcSaved;
}

void CLHBGraph::ResetView()
{
    m_rcData = m_rcPlot;
    m_rcSaved = m_rcPlot;
    update();
}

void CLHBGraph::SetCurvesFlag(bool show)
{
    m_bShowValues = show;
    for (CLHBCurve *c : m_arrCurves)
        c->m_bShowValue = show;
}

int CLHBGraph::MapX(const CLHBCurve &c, double x) const
{
    const double width = m_rcData.Width();
    if (m_nXScale == 1) {
        // Decades from 1: a value at or below 0 has no place on the scale and sits at its start.
        if (m_nXDivisions <= 0 || !(x > 0.0))
            return m_rcData.left;
        const double w = static_cast<float>(width / m_nXDivisions);
        return Trunc(std::log10(x) * w) + m_rcData.left;
    }
    const double span = static_cast<double>(m_nXDivisions) * c.m_fXStep;
    if (span == 0.0 || !std::isfinite(span))
        return m_rcData.left;
    return Trunc((x - c.m_fXStart) / span * width + m_rcData.left);
}

int CLHBGraph::MapY(const CLHBCurve &c, double y) const
{
    const double span = static_cast<double>(m_nYDivisions) * c.m_fYStep;
    if (span == 0.0 || !std::isfinite(span))
        return m_rcData.bottom;
    return Trunc(m_rcData.bottom - (y - c.m_fYStart) / span * m_rcData.Height());
}

QString CLHBGraph::FormatFrequency(double v)
{
    if ((v + 0.00001) / 1000.0 >= 1.0)
        return Fixed(v / 1000.0, 0) + QLatin1Char('k');
    return Fixed(v, 0);
}

std::vector<QString> CLHBGraph::XAxisLabels(const CLHBCurve &c) const
{
    std::vector<QString> labels;
    for (int i = 0; i <= m_nXDivisions; ++i) {
        if (m_nXScale == 1)
            labels.push_back(i == 0 ? Fixed(1.0, 0) : FormatFrequency(std::pow(10.0, i)));
        else
            labels.push_back(Fixed(static_cast<double>(i) * c.m_fXStep + c.m_fXStart, 0));
    }
    return labels;
}

BOOL CLHBGraph::FindLocked(CLHBCurve &c, QPoint cursor, LHBPoint &out)
{
    std::lock_guard lock(m_hMutex);
    return c.FindPointAt(cursor, out);
}

void CLHBGraph::Render(QPainter &p, bool forExport)
{
    p.setBackgroundMode(Qt::TransparentMode);
    DrawBackgroundAndGrid(p);
    if (m_arrCurves.empty())
        return;
    if (m_bShowAxes)
        DrawAxes(p);
    for (CLHBCurve *c : m_arrCurves)
        if (c->m_bVisible)
            DrawCurve(p, *c);
    if (forExport) {
        DrawExportBoxes(p);
        return;
    }
    DrawReadout(p);
    if (m_bDragging) {
        p.setPen(QPen(Col(Complement(m_crBack)), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(m_ptDragStart, m_ptCursor).normalized());
    }
}

void CLHBGraph::DrawBackgroundAndGrid(QPainter &p)
{
    const QRect client = rect();
    const QRect inner = client.adjusted(5, 5, -5, -5);
    p.fillRect(inner, Col(m_crBack));
    // The etched edge: a dark line with a light one inside it.
    p.setBrush(Qt::NoBrush);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(inner.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(inner.adjusted(1, 1, -2, -2));

    const QRect plot = Box(m_rcPlot.left, m_rcPlot.top, m_rcPlot.right, m_rcPlot.bottom);
    p.fillRect(plot, Col(m_crBack));
    p.setPen(QPen(Col(m_crFrame), 3));
    p.drawRect(plot);

    QPen dotted(Col(m_crFrame), 1, Qt::DotLine);
    p.setPen(dotted);
    m_vecXGrid.assign(static_cast<size_t>(std::max(0, m_nXDivisions - 1)), LHB::GridLine{});
    m_vecYGrid.assign(static_cast<size_t>(std::max(0, m_nYDivisions - 1)), LHB::GridLine{});
    if (m_nXDivisions > 0) {
        const float step = static_cast<float>(m_rcData.Width()) / m_nXDivisions;
        for (int i = 1; i < m_nXDivisions; ++i) {
            const int x = Trunc(i * step) + m_rcData.left;
            if (x < m_rcPlot.left || x > m_rcPlot.right)
                continue;
            LHB::GridLine g{x, std::max(m_rcData.top, m_rcPlot.top), x, std::min(m_rcData.bottom, m_rcPlot.bottom)};
            m_vecXGrid[static_cast<size_t>(i - 1)] = g;
            if (m_bShowGrid)
                p.drawLine(g.x1, g.y1, g.x2, g.y2);
        }
        if (m_nXScale == 1 && m_bShowGrid) {
            const double w = step;
            for (int d = 0; d < m_nXDivisions; ++d) {
                for (int k = 0; k < 10; ++k) {
                    const int x = Trunc((std::log10(k + 1.0) + d) * w) + m_rcData.left;
                    if (x > m_rcPlot.left && x < m_rcPlot.right)
                        p.drawLine(x, m_rcPlot.top, x, m_rcPlot.bottom);
                }
            }
        }
    }
    if (m_nYDivisions > 0) {
        const float step = static_cast<float>(m_rcData.Height()) / m_nYDivisions;
        for (int i = 1; i < m_nYDivisions; ++i) {
            const int y = Trunc(i * step) + m_rcData.top;
            if (y < m_rcPlot.top || y > m_rcPlot.bottom)
                continue;
            LHB::GridLine g{std::max(m_rcData.left, m_rcPlot.left), y, std::min(m_rcData.right, m_rcPlot.right), y};
            m_vecYGrid[static_cast<size_t>(i - 1)] = g;
            if (m_bShowGrid)
                p.drawLine(g.x1, g.y1, g.x2, g.y2);
        }
    }
}

void CLHBGraph::DrawAxes(QPainter &p)
{
    p.setFont(AxisFont());
    int yAxisX = m_rcPlot.left;
    int xAxisY = m_rcPlot.bottom;
    for (const CLHBCurve *c : m_arrCurves) {
        if (!c->m_bVisible)
            continue;
        const QColor colour = Col(c->m_crColor);
        p.setPen(QPen(colour, 1));
        if (c->m_bYAxis) {
            yAxisX -= kAxisStep;
            const int ax = yAxisX;
            p.drawLine(ax, m_rcPlot.top, ax, m_rcPlot.bottom);
            p.drawLine(ax - 10, m_rcPlot.top, ax + 10, m_rcPlot.top);
            p.drawLine(ax - 10, m_rcPlot.bottom, ax + 10, m_rcPlot.bottom);
            p.drawText(Box(ax - 25, m_rcPlot.top - 26, ax + 25, m_rcPlot.top), Qt::AlignCenter, c->m_strYUnit);
            for (int i = 0; i <= m_nYDivisions; ++i) {
                const QString text = Fixed(static_cast<double>(i) * c->m_fYStep + c->m_fYStart, 0);
                int lineY;
                QRect box;
                if (i == m_nYDivisions) {
                    if (m_rcData.top < m_rcPlot.top)
                        continue;
                    lineY = m_rcData.top;
                    box = Box(ax + 2, lineY, ax + 50, lineY + 12);
                } else if (i == 0) {
                    if (m_rcData.bottom > m_rcPlot.bottom)
                        continue;
                    lineY = m_rcData.bottom;
                    box = Box(ax + 2, lineY, ax + 50, lineY + 12);
                } else {
                    const LHB::GridLine &g = m_vecYGrid[static_cast<size_t>(m_nYDivisions - i - 1)];
                    if (g.y1 < m_rcPlot.top || g.y1 > m_rcPlot.bottom)
                        continue;
                    lineY = g.y1;
                    box = Box(ax + 2, lineY - 12, ax + 50, lineY);
                }
                p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
                p.drawLine(ax, lineY, ax + 6, lineY);
            }
        }
        if (c->m_bXAxis) {
            xAxisY += kAxisStep;
            const int ay = xAxisY;
            p.drawLine(m_rcPlot.left, ay, m_rcPlot.right, ay);
            p.drawLine(m_rcPlot.left, ay - 10, m_rcPlot.left, ay + 10);
            p.drawLine(m_rcPlot.right, ay - 10, m_rcPlot.right, ay + 10);
            p.drawText(Box(m_rcPlot.left - 50, ay - 6, m_rcPlot.left - 5, ay + 6), Qt::AlignRight | Qt::AlignVCenter,
                       c->m_strXUnit);
            const std::vector<QString> labels = XAxisLabels(*c);
            for (int i = 0; i <= m_nXDivisions; ++i) {
                QRect box;
                if (i == 0) {
                    if (m_rcData.left < m_rcPlot.left)
                        continue;
                    box = Box(m_rcData.left - 50, ay - 12, m_rcData.left + 50, ay);
                } else if (i == m_nXDivisions) {
                    if (m_rcData.right > m_rcPlot.right)
                        continue;
                    box = Box(m_rcData.right - 50, ay - 12, m_rcData.right + 50, ay);
                } else {
                    const LHB::GridLine &g = m_vecXGrid[static_cast<size_t>(i - 1)];
                    if (g.x1 <= m_rcPlot.left || g.x1 >= m_rcPlot.right)
                        continue;
                    box = Box(g.x1 - 25, ay - 12, g.x1 + 25, ay);
                    p.drawLine(g.x1, ay, g.x1, ay - 6);
                }
                p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, labels[static_cast<size_t>(i)]);
            }
        }
    }
}

void CLHBGraph::DrawCurve(QPainter &p, CLHBCurve &c)
{
    p.setPen(QPen(Col(c.m_crColor), 1));
    const QColor markColour = Col(Complement(c.m_crColor));
    const int radius = c.m_nMarkerSize + 4;
    std::vector<QPoint> marks;

    std::lock_guard lock(m_hMutex);
    {
        Polyline line(p);
        bool first = true;
        for (LHBPoint &pt : c.m_vecPoints) {
            pt.px = MapX(c, pt.x);
            pt.py = MapY(c, pt.y);
            const bool inside = StrictlyInside(m_rcPlot, pt.px, pt.py);
            const QPoint q = inside && !first ? QPoint(pt.px, pt.py) : ClampInto(m_rcPlot, pt.px, pt.py);
            if (first || !inside)
                line.MoveTo(q);
            else
                line.LineTo(q);
            first = false;
            if (pt.marker && m_bShowMarkers)
                marks.push_back(q);
        }
    }
    if (!marks.empty()) {
        p.setPen(markColour);
        p.setBrush(markColour);
        for (const QPoint &m : marks)
            p.drawEllipse(m, radius, radius);
        p.setBrush(Qt::NoBrush);
    }
}

void CLHBGraph::DrawReadout(QPainter &p)
{
    struct Hit
    {
        const CLHBCurve *curve;
        LHBPoint point;
    };
    std::vector<Hit> hits;
    for (CLHBCurve *c : m_arrCurves) {
        LHBPoint pt;
        if (c->m_bVisible && c->m_bShowValue && FindLocked(*c, m_ptCursor, pt))
            hits.push_back({c, pt});
    }
    const int cx = m_ptCursor.x();
    const int cy = m_ptCursor.y();
    if (!hits.empty()) {
        const int n = static_cast<int>(hits.size());
        p.setPen(Col(m_crBack));
        p.setBrush(Col(Complement(m_crBack)));
        p.drawRoundedRect(Box(cx, cy - (n + 1) * 15 - 3, cx + 100, cy), 4, 4);
        p.setBrush(Qt::NoBrush);
        p.setFont(AxisFont());
        const Hit &first = hits.front();
        p.setPen(Col(first.curve->m_crColor));
        p.drawText(Box(cx, cy - 15, cx + 50, cy), Qt::AlignRight | Qt::AlignVCenter, first.curve->m_strXUnit + QLatin1Char(':'));
        p.drawText(Box(cx + 50, cy - 15, cx + 100, cy), Qt::AlignLeft | Qt::AlignVCenter, Fixed(first.point.x, 1));
        for (int i = 0; i < n; ++i) {
            const int bottom = cy - 15 * (i + 1);
            p.setPen(Col(hits[static_cast<size_t>(i)].curve->m_crColor));
            p.drawText(Box(cx, bottom - 15, cx + 50, bottom), Qt::AlignRight | Qt::AlignVCenter,
                       hits[static_cast<size_t>(i)].curve->m_strYUnit + QLatin1Char(':'));
            p.drawText(Box(cx + 50, bottom - 15, cx + 100, bottom), Qt::AlignLeft | Qt::AlignVCenter,
                       Fixed(hits[static_cast<size_t>(i)].point.y, 1));
        }
        p.setPen(QPen(Col(0xC800C8), 1));
        p.drawLine(cx, rect().top() + 32, cx, rect().bottom() + 1 - 20);
    }
}

void CLHBGraph::DrawExportBoxes(QPainter &p)
{
    p.setFont(AxisFont());
    for (CLHBCurve *c : m_arrCurves) {
        LHBPoint pt;
        if (!c->m_bVisible || !c->m_bShowValue || !FindLocked(*c, m_ptCursor, pt))
            continue;
        const QColor colour = Col(c->m_crColor);
        p.setPen(colour);
        p.drawLine(pt.px - 5, pt.py, pt.px + 5, pt.py);
        p.drawLine(pt.px, pt.py - 5, pt.px, pt.py + 5);
        p.setBrush(Col(Complement(m_crBack)));
        p.drawRoundedRect(Box(pt.px, pt.py - 30, pt.px + 100, pt.py), 4, 4);
        p.setBrush(Qt::NoBrush);
        p.drawText(Box(pt.px, pt.py - 30, pt.px + 100, pt.py - 15), Qt::AlignCenter,
                   c->m_strYUnit + QLatin1Char(':') + Fixed(pt.y, 1));
        p.drawText(Box(pt.px, pt.py - 15, pt.px + 100, pt.py), Qt::AlignCenter,
                   c->m_strXUnit + QLatin1Char(':') + Fixed(pt.x, 1));
    }
}

void CLHBGraph::SaveBitmap(const QString &path)
{
    QImage picture(size(), QImage::Format_RGB32);
    picture.fill(palette().color(QPalette::Window));
    {
        QPainter p(&picture);
        Render(p, true);
    }
    update();
    const std::unique_ptr<BITMAPINFO> info = BuildBitmapInfo(picture, this);
    if (!info)
        return;
    SaveBitmapToBmpFile(path, this, info.get(), picture);
}

void CLHBGraph::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    Render(p, false);
}

void CLHBGraph::resizeEvent(QResizeEvent *)
{
    m_rcLayout = LHB::RECT{m_nMarginLeft, m_nMarginTop, width() - m_nMarginRight, height() - m_nMarginBottom};
    m_rcData = m_rcSaved = m_rcPlot = PlotWithAxisRoom();
}

void CLHBGraph::DoLButtonDown(QPoint pt)
{
    m_bDragging = true;
    m_ptDragStart = pt;
}

void CLHBGraph::DoLButtonUp(QPoint pt)
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    // The box's top-left corner, however it was dragged.
    const QPoint anchor(std::min(pt.x(), m_ptDragStart.x()), std::min(pt.y(), m_ptDragStart.y()));
    const int dx = std::abs(pt.x() - m_ptDragStart.x());
    const int dy = std::abs(pt.y() - m_ptDragStart.y());
    if (dx != 0 && dy != 0) {
        const double fx = std::max(1.0, static_cast<double>(m_rcPlot.Width()) / dx);
        const double fy = std::max(1.0, static_cast<double>(m_rcPlot.Height()) / dy);
        m_rcData.right += Trunc(m_rcData.Width() * (fx - 1));
        m_rcData.bottom += Trunc(m_rcData.Height() * (fy - 1));
        // The anchor's place in the stretched data rectangle goes to the plot's corner; on an
        // unzoomed view that is (anchor - plot corner) * f, and a zoomed one starts off the corner.
        const int shiftX = Trunc((anchor.x() - m_rcData.left) * fx) + m_rcData.left - m_rcPlot.left;
        const int shiftY = Trunc((anchor.y() - m_rcData.top) * fy) + m_rcData.top - m_rcPlot.top;
        m_rcData.left -= shiftX;
        m_rcData.right -= shiftX;
        m_rcData.top -= shiftY;
        m_rcData.bottom -= shiftY;
    }
    update();
}

void CLHBGraph::DoRButtonDown()
{
    ResetView();
}

void CLHBGraph::DoMouseMove(QPoint pt)
{
    setFocus();
    if (!m_arrCurves.empty()) {
        m_ptCursor = pt;
        update();
    }
}

void CLHBGraph::DoMouseWheel(int delta)
{
    if (!m_bWheelZoom || m_arrCurves.empty() || !StrictlyInside(m_rcPlot, m_ptCursor.x(), m_ptCursor.y()))
        return;
    const double W = m_rcPlot.Width();
    const double H = m_rcPlot.Height();
    const double f = delta > 0 ? m_fWheelStep : -m_fWheelStep;
    const double l = (m_ptCursor.x() - m_rcPlot.left) / W;
    const double r = (m_rcPlot.right - m_ptCursor.x()) / W;
    const double t = (m_ptCursor.y() - m_rcPlot.top) / H;
    const double b = (m_rcPlot.bottom - m_ptCursor.y()) / H;
    if (m_nZoomMode == 0 || m_nZoomMode == 2) {
        m_rcData.right += Trunc(f * W * r);
        m_rcData.left -= Trunc(f * W * l);
    }
    if (m_nZoomMode == 1 || m_nZoomMode == 2) {
        m_rcData.top -= Trunc(f * H * t);
        m_rcData.bottom += Trunc(f * H * b);
    }
    m_rcData.right = std::max(m_rcData.right, m_rcPlot.right);
    m_rcData.left = std::min(m_rcData.left, m_rcPlot.left);
    m_rcData.top = std::min(m_rcData.top, m_rcPlot.top);
    m_rcData.bottom = std::max(m_rcData.bottom, m_rcPlot.bottom);
    m_rcSaved = m_rcData;
    update();
}

void CLHBGraph::mousePressEvent(QMouseEvent *e)
{
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        if (m_pLinked)
            m_pLinked->DoLButtonDown(pt);
        DoLButtonDown(pt);
    } else if (e->button() == Qt::RightButton) {
        if (m_pLinked)
            m_pLinked->DoRButtonDown();
        DoRButtonDown();
    }
}

void CLHBGraph::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pt = e->position().toPoint();
    if (m_pLinked)
        m_pLinked->DoLButtonUp(pt);
    DoLButtonUp(pt);
}

void CLHBGraph::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pt = e->position().toPoint();
    if (m_pLinked)
        m_pLinked->DoMouseMove(pt);
    DoMouseMove(pt);
}

void CLHBGraph::wheelEvent(QWheelEvent *e)
{
    const int delta = e->angleDelta().y();
    if (m_pLinked)
        m_pLinked->DoMouseWheel(delta);
    DoMouseWheel(delta);
    e->accept();
}
