#pragma once
// The trace view's arithmetic, free of painting: where the plot and the DI/DO rows go for a
// client size, how many divisions fit, where grid lines and ticks fall, how samples and values
// map to pixels and back, and how a zoom step or a grid alignment changes the windows.
//
// Every function here is safe for degenerate input: a window or range of zero width maps as
// if it were one unit wide, and there is always at least one division each way.
#include <QPoint>
#include <QPointF>
#include <QString>

#include <vector>

namespace vscope {

// A rectangle with the right and bottom edges as coordinates (width = right - left).
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    QPoint Center() const { return QPoint((left + right) / 2, (top + bottom) / 2); }
    Rect Normalized() const;
    bool operator==(const Rect &) const = default;
};

// v + 0.5 converted toward zero.
int HalfUp(double v);

struct Layout
{
    Rect plot;
    Rect bits;  // empty without DI/DO rows
    int extraYDivs = 0;
};

// The plot and row areas for a client of cx x cy with nLeft / nRight value axes and nRows
// DI/DO rows. A DI/DO row without a left axis still keeps the left axis margin.
Layout CalcLayout(int cx, int cy, int nLeft, int nRight, int nRows);
// Vertical divisions beyond 10 for a client cx wide (never fewer than one division).
int CalcExtraXDivs(int cx, int nLeft, int nRight);

// Sample/value to pixel and back over the plot (see the view's ValueToPoint).
QPoint ValueToPoint(const Rect &plot, int x0, int x1, int y0, int y1, int x, int y);
QPoint ValueToPointD(const Rect &plot, double x0, double x1, double y0, double y1, double x, double y);
QPoint PointToValue(const Rect &plot, int x0, int x1, int y0, int y1, int px, int py);
QPointF PointToValueD(const Rect &plot, double x0, double x1, double y0, double y1, int px, int py);
// The value at pixel row y for the range lo..hi over the plot.
double ValueAtY(const Rect &plot, double lo, double hi, int y);
// The fractional sample at pixel column x for the window first..last over the plot.
double SampleAtX(const Rect &plot, double first, double last, int x);

// "%.1f", or "%.5e" from 10,000,000 in magnitude on ("%.3f" with decimals3).
QString FormatAxisValue(double v, bool decimals3 = false);

struct GridLine
{
    int index = 0;  // sample index of the line
    bool label = false;
};
// Vertical lines of the plain view: multiples of the step from the window's first index on.
std::vector<GridLine> PlainTimeGrid(int xFirst, int xLast, int divisions);
// Vertical lines while rolling: first + k x step for k = 1..11, labels at odd k.
std::vector<GridLine> RollingTimeGrid(int xFirst, int xLast);
// Horizontal line pixel rows of the plain view, top to bottom (n + 1 of them).
std::vector<int> PlainValueRows(const Rect &plot, int divisions);
// Ticks (multiples of step) inside the zoomed window first..last; the time ticks are whole.
std::vector<double> ZoomedTicks(double first, double last, double step, bool whole);

// One zoom-in step at pixel p: the plot rectangle shrunk around p (hitArea 2: values only,
// 1: time only).
Rect ZoomInRect(const Rect &plot, QPoint p, int hitArea);
// The window a pixel span left..right of the plot shows, mapped through first..last.
void MapWindow(const Rect &plot, double first, double last, int left, int right, double &outFirst,
               double &outLast);
// A zoomed time span below this many samples is refused.
constexpr double kMinZoomSpan = 0.00002;

// One channel's ranges for grid alignment.
struct AxisRange
{
    double fullMin = 0;
    double fullMax = 0;
    double viewMin = 0;
    double viewMax = 0;
};
// Moves the view ranges of channels 1.. so that their first division lines sit at the same
// height as channel 0's. Spans are kept.
void AlignGrids(std::vector<AxisRange> &ranges);

// Cursors one tenth of the plot in from each edge.
void CursorPositions(const Rect &plot, int &x1, int &x2, int &y1, int &y2);
// Moves cursor `moving` toward `target` inside lo..hi; a locked pair moves together, keeping
// its distance, and stops with the outer one on the edge.
void DragCursorPair(int &moving, int &other, int target, int lo, int hi, bool locked);

// A square wave through the points: a change of level goes across at the old level first,
// then up or down.
void SquareSteps(const std::vector<QPoint> &levels, std::vector<QPoint> &out);

// The samples of first..last (both included) that a polyline needs to cover exactly the
// pixels of the full one, when many samples share a pixel column: in each column the first,
// the lowest, the highest and the last. xOf maps a sample index to its pixel column.
template <class XOf, class YOf>
void ThinToColumns(int first, int last, XOf xOf, YOf yOf, std::vector<QPoint> &out)
{
    out.clear();
    int i = first;
    while (i <= last) {
        const int x = xOf(i);
        const int y0 = yOf(i);
        int iMin = i, iMax = i, yMin = y0, yMax = y0, j = i + 1, yLast = y0;
        while (j <= last && xOf(j) == x) {
            const int y = yOf(j);
            if (y < yMin) {
                yMin = y;
                iMin = j;
            }
            if (y > yMax) {
                yMax = y;
                iMax = j;
            }
            yLast = y;
            ++j;
        }
        out.emplace_back(x, y0);
        if (iMin < iMax) {
            if (iMin != i)
                out.emplace_back(x, yMin);
            if (iMax != j - 1)
                out.emplace_back(x, yMax);
        } else if (iMax < iMin) {
            if (iMax != i)
                out.emplace_back(x, yMax);
            if (iMin != j - 1)
                out.emplace_back(x, yMin);
        }
        if (j - 1 != i)
            out.emplace_back(x, yLast);
        i = j;
    }
}

}
