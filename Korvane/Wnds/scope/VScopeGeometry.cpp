#include "Wnds/scope/VScopeGeometry.h"

#include <algorithm>
#include <cmath>

namespace vscope {

namespace {

// A span of zero maps as one unit, so that no mapping divides by zero.
double Span(double a, double b)
{
    const double s = b - a;
    return s == 0 ? 1.0 : s;
}

int NonZero(int v) { return v == 0 ? 1 : v; }

// Grid loops never run longer than this, whatever the window and the step.
constexpr int kMaxLines = 4096;

long long CeilDiv(long long a, long long b)
{
    const long long q = a / b;
    return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
}

}

Rect Rect::Normalized() const
{
    return Rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

int HalfUp(double v)
{
    // Far-off points (a trace scaled far out of view) stay representable as pixels.
    constexpr double kFar = 1e8;
    if (!(v > -kFar))
        return static_cast<int>(-kFar);
    if (v > kFar)
        return static_cast<int>(kFar);
    return static_cast<int>(v + 0.5);
}

Layout CalcLayout(int cx, int cy, int nLeft, int nRight, int nRows)
{
    Layout l;
    if (nRows > 0 && nLeft == 0)
        nLeft = 1;
    Rect &p = l.plot;
    p.left = nLeft == 0 ? 15 : 80 * nLeft;
    p.right = nRight == 0 ? cx - 15 : cx - 80 * nRight;
    p.top = 30;
    p.bottom = nRows > 0 ? cy - 20 * nRows - 50 : cy - 30;
    const int h = p.bottom - p.top;
    if (h / 10 < 6) {
        // Fewer than ten rows of 6 pixels: fewer divisions of 6 pixels, never fewer than one;
        // a plot too low for one division stays empty.
        l.extraYDivs = std::max(h / 6 - 10, -9);
        p.bottom = h < 6 ? p.top : 30 + 6 * (10 + l.extraYDivs);
    }
    p.bottom -= (p.bottom - p.top) % 10;
    if (nRows > 0)
        l.bits = Rect{p.left, cy - 20 * nRows - 15, p.right, cy - 10};
    return l;
}

int CalcExtraXDivs(int cx, int nLeft, int nRight)
{
    const int bare = (nLeft == 0 ? 15 : 0) + (nRight == 0 ? 15 : 0);
    const int spare = 80 * (2 - nLeft) + 80 * (2 - nRight) - bare;
    const int d = (cx - 320) / 10;
    const int extra = d >= 6 ? spare / d : (cx - 80 * nLeft - 80 * nRight - bare) / 6 - 10;
    return std::max(extra, -9);
}

QPoint ValueToPoint(const Rect &plot, int x0, int x1, int y0, int y1, int x, int y)
{
    return ValueToPointD(plot, x0, x1, y0, y1, x, y);
}

QPoint ValueToPointD(const Rect &plot, double x0, double x1, double y0, double y1, double x, double y)
{
    return QPoint(plot.left + HalfUp((x - x0) * plot.Width() / Span(x0, x1)),
                  plot.bottom - HalfUp((y - y0) * plot.Height() / Span(y0, y1)));
}

QPoint PointToValue(const Rect &plot, int x0, int x1, int y0, int y1, int px, int py)
{
    return QPoint(x0 + HalfUp(static_cast<double>(px - plot.left) * (x1 - x0) / NonZero(plot.Width())),
                  y0 + HalfUp(static_cast<double>(plot.bottom - py) * (y1 - y0) / NonZero(plot.Height())));
}

QPointF PointToValueD(const Rect &plot, double x0, double x1, double y0, double y1, int px, int py)
{
    return QPointF(SampleAtX(plot, x0, x1, px), ValueAtY(plot, y0, y1, py));
}

double ValueAtY(const Rect &plot, double lo, double hi, int y)
{
    return lo + (hi - lo) * (plot.bottom - y) / NonZero(plot.Height());
}

double SampleAtX(const Rect &plot, double first, double last, int x)
{
    return first + (last - first) * (x - plot.left) / NonZero(plot.Width());
}

QString FormatAxisValue(double v, bool decimals3)
{
    if (std::fabs(v) >= 10000000.0)
        return QString::asprintf("%.5e", v);
    return QString::asprintf(decimals3 ? "%.3f" : "%.1f", v);
}

std::vector<GridLine> PlainTimeGrid(int xFirst, int xLast, int divisions)
{
    std::vector<GridLine> lines;
    divisions = std::max(divisions, 1);
    // A window narrower than the divisions still gets lines, one sample apart.
    const long long step = std::max<long long>((static_cast<long long>(xLast) - xFirst) / divisions, 1);
    long long index = CeilDiv(xFirst, step) * step;
    for (int n = 0; n <= divisions && index <= xLast && n < kMaxLines; ++n, index += step)
        lines.push_back(GridLine{static_cast<int>(index), index % (2 * step) == 0});
    return lines;
}

std::vector<GridLine> RollingTimeGrid(int xFirst, int xLast)
{
    std::vector<GridLine> lines;
    const long long step = std::max<long long>((static_cast<long long>(xLast) - xFirst) / 10, 1);
    for (int k = 1; k <= 11; ++k) {
        const long long index = xFirst + k * step;
        if (index > xLast)
            break;
        lines.push_back(GridLine{static_cast<int>(index), k % 2 == 1});
    }
    return lines;
}

std::vector<int> PlainValueRows(const Rect &plot, int divisions)
{
    divisions = std::max(divisions, 1);
    const int step = HalfUp(static_cast<double>(plot.Height()) / divisions);
    std::vector<int> rows;
    for (int j = 0; j <= divisions; ++j)
        rows.push_back(plot.top + j * step);
    return rows;
}

std::vector<double> ZoomedTicks(double first, double last, double step, bool whole)
{
    std::vector<double> ticks;
    if (!(step > 0) || !std::isfinite(first) || !std::isfinite(last))
        return ticks;
    double tick = std::ceil(first / step) * step;
    if (whole)
        tick = std::trunc(tick);
    if (first + step - tick < 0.000001)
        tick -= step;
    const double end = whole ? std::trunc(last / step) * step : std::floor(last / step) * step;
    for (int k = 0; k < kMaxLines; ++k) {
        const double t = tick + k * step;
        if (t > end + step * 1e-9)
            break;
        ticks.push_back(t);
    }
    return ticks;
}

Rect ZoomInRect(const Rect &plot, QPoint p, int hitArea)
{
    Rect r = plot;
    const int w = NonZero(plot.Width());
    const int h = NonZero(plot.Height());
    const int k = 60 * h / w;
    if (hitArea != 2) {
        r.left += (p.x() - plot.left) * 60 / w;
        r.right += (p.x() - plot.right) * 60 / w;
    }
    if (hitArea != 1) {
        r.top += (p.y() - plot.top) * k / h;
        r.bottom -= (plot.bottom - p.y()) * k / h;
    }
    return r;
}

void MapWindow(const Rect &plot, double first, double last, int left, int right, double &outFirst,
               double &outLast)
{
    outFirst = SampleAtX(plot, first, last, left);
    outLast = SampleAtX(plot, first, last, right);
}

void AlignGrids(std::vector<AxisRange> &ranges)
{
    bool haveRef = false;
    double refFraction = 0;
    for (AxisRange &r : ranges) {
        const double step = (r.fullMax - r.fullMin) / 10;
        const double span = r.viewMax - r.viewMin;
        if (!(step > 0) || !(span != 0))
            continue;
        double c = std::ceil(r.viewMin / step) * step;
        if (r.viewMin + step - c < 0.000001)
            c -= step;
        const double offset = c - r.viewMin;
        if (!haveRef) {
            haveRef = true;
            refFraction = offset / span;
            continue;
        }
        const double move = offset - span * refFraction;
        r.viewMin += move;
        r.viewMax += move;
    }
}

void SquareSteps(const std::vector<QPoint> &levels, std::vector<QPoint> &out)
{
    out.clear();
    out.reserve(2 * levels.size());
    for (size_t k = 0; k < levels.size(); ++k) {
        if (k > 0 && levels[k].y() != levels[k - 1].y() && levels[k].x() != levels[k - 1].x())
            out.emplace_back(levels[k].x(), levels[k - 1].y());
        out.push_back(levels[k]);
    }
}

void CursorPositions(const Rect &plot, int &x1, int &x2, int &y1, int &y2)
{
    const int dx = static_cast<int>(plot.Width() / 10.0 + 0.5);
    const int dy = static_cast<int>(plot.Height() / 10.0 + 0.5);
    x1 = plot.left + dx;
    x2 = plot.right - dx;
    y1 = plot.top + dy;
    y2 = plot.bottom - dy;
}

void DragCursorPair(int &moving, int &other, int target, int lo, int hi, bool locked)
{
    if (!locked) {
        moving = std::clamp(target, lo, std::max(lo, hi));
        return;
    }
    int delta = target - moving;
    const int high = std::max(moving, other);
    const int low = std::min(moving, other);
    if (high + delta > hi)
        delta = hi - high;
    if (low + delta < lo)
        delta = lo - low;
    moving += delta;
    other += delta;
}

}
