// The trace view's arithmetic: layout, divisions, grid lines, mappings, zoom steps, grid
// alignment, cursor placement and the column thinning of long traces.
#include "Wnds/scope/VScopeGeometry.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace vscope;

TEST(VScopeGeometry, LayoutPlacesPlotAndRows)
{
    struct Case
    {
        const char *what;
        int cx, cy, nLeft, nRight, nRows;
        Rect plot, bits;
        int extraY;
    } const cases[] = {
        {"no axes", 800, 600, 0, 0, 0, {15, 30, 785, 570}, {}, 0},
        {"one axis each side", 800, 600, 1, 1, 0, {80, 30, 720, 570}, {}, 0},
        {"two axes each side", 800, 600, 2, 2, 0, {160, 30, 640, 570}, {}, 0},
        {"a DI row keeps the left margin", 800, 600, 0, 0, 1, {80, 30, 785, 530}, {80, 565, 785, 590}, 0},
        {"five rows", 800, 600, 1, 1, 5, {80, 30, 720, 450}, {80, 485, 720, 590}, 0},
        {"height cut to a multiple of 10", 800, 607, 0, 0, 0, {15, 30, 785, 570}, {}, 0},
        // 50 pixels: 8 divisions of 6, 48 pixels, cut to 40 (lines 5 pixels apart).
        {"plot 50 high", 800, 110, 0, 0, 0, {15, 30, 785, 70}, {}, -2},
        {"plot too low for one division", 800, 64, 0, 0, 0, {15, 30, 785, 30}, {}, -9},
        {"client smaller than the margins", 20, 20, 0, 0, 0, {15, 30, 5, 30}, {}, -9},
    };
    for (const Case &c : cases) {
        const Layout l = CalcLayout(c.cx, c.cy, c.nLeft, c.nRight, c.nRows);
        EXPECT_EQ(l.plot, c.plot) << c.what;
        EXPECT_EQ(l.bits, c.bits) << c.what;
        EXPECT_EQ(l.extraYDivs, c.extraY) << c.what;
        EXPECT_EQ(l.plot.Height() % 10, 0) << c.what;
    }
    const Layout fifty = CalcLayout(800, 110, 0, 0, 0);
    const std::vector<int> rows = PlainValueRows(fifty.plot, 10 + fifty.extraYDivs);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[1] - rows[0], 5);
    EXPECT_EQ(rows.back(), fifty.plot.bottom);
    EXPECT_TRUE(CalcLayout(20, 20, 0, 0, 0).plot.IsEmpty());
}

TEST(VScopeGeometry, ExtraTimeDivisions)
{
    struct Case
    {
        int cx, nLeft, nRight, extra;
    } const cases[] = {
        {420, 2, 2, 0},   // D = 10, nothing spare
        {420, 0, 0, 29},  // spare 290 = 29 divisions of 10
        {420, 1, 1, 16},  // spare 160
        {1920, 2, 2, 0},
        {370, 2, 2, -2},  // D = 5: (370 - 320) / 6 - 10 divisions of 6 pixels
        {50, 2, 2, -9},   // never fewer than one division
    };
    for (const Case &c : cases)
        EXPECT_EQ(CalcExtraXDivs(c.cx, c.nLeft, c.nRight), c.extra) << c.cx << " " << c.nLeft;
}

TEST(VScopeGeometry, PlainTimeGridLinesAndLabels)
{
    // 500..10500 in 10 divisions: every 1,000 from 1,000 to 10,000, labels at even thousands.
    const std::vector<GridLine> lines = PlainTimeGrid(500, 10500, 10);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines.front().index, 1000);
    EXPECT_EQ(lines.back().index, 10000);
    std::vector<QString> labels;
    for (const GridLine &l : lines)
        if (l.label)
            labels.push_back(QString::asprintf("%.1f", l.index * 0.125));
    EXPECT_EQ(labels, (std::vector<QString>{"250.0", "500.0", "750.0", "1000.0", "1250.0"}));

    EXPECT_EQ(PlainTimeGrid(0, 10000, 10).size(), 11u);
    EXPECT_EQ(PlainTimeGrid(-10000, 0, 10).front().index, -10000);
    // A window narrower than its divisions still has lines, one sample apart, and an end.
    const std::vector<GridLine> narrow = PlainTimeGrid(3, 8, 10);
    ASSERT_EQ(narrow.size(), 6u);
    EXPECT_EQ(narrow.front().index, 3);
    EXPECT_EQ(narrow.back().index, 8);
    EXPECT_LE(PlainTimeGrid(0, 0, 10).size(), 1u);
    EXPECT_TRUE(PlainTimeGrid(10, 0, 10).empty());

    const std::vector<GridLine> roll = RollingTimeGrid(1000, 2000);
    ASSERT_EQ(roll.size(), 10u);
    EXPECT_EQ(roll.front().index, 1100);
    EXPECT_TRUE(roll[0].label);
    EXPECT_FALSE(roll[1].label);
    EXPECT_EQ(RollingTimeGrid(0, 5).size(), 5u);
}

TEST(VScopeGeometry, ValueLabelsTurnToExponentsFromTenMillion)
{
    EXPECT_EQ(FormatAxisValue(12345678), QString::fromLatin1("1.23457e+07"));
    EXPECT_EQ(FormatAxisValue(-10000000), QString::fromLatin1("-1.00000e+07"));
    EXPECT_EQ(FormatAxisValue(9999999), QString::fromLatin1("9999999.0"));
    EXPECT_EQ(FormatAxisValue(2.25, true), QString::fromLatin1("2.250"));
}

TEST(VScopeGeometry, MappingsBothWays)
{
    const Rect plot{100, 30, 1100, 530};
    EXPECT_EQ(ValueToPoint(plot, 0, 1000, -5, 5, 500, 0), QPoint(600, 280));
    EXPECT_EQ(ValueToPoint(plot, 0, 1000, -5, 5, 0, -5), QPoint(100, 530));
    EXPECT_EQ(ValueToPointD(plot, 0, 1000, -5, 5, 1000, 5), QPoint(1100, 30));
    EXPECT_EQ(ValueToPointD(plot, 0, 1000, 0, 1, 0.4, 0), QPoint(100, 530));  // 0.4 px rounds down
    EXPECT_EQ(ValueToPointD(plot, 0, 1000, 0, 1, 0.5, 0), QPoint(101, 530));  // half rounds up
    EXPECT_EQ(PointToValue(plot, 0, 1000, -5, 5, 600, 280), QPoint(500, 0));
    EXPECT_EQ(PointToValue(plot, 0, 10000, 0, 1, 100, 530), QPoint(0, 0));
    const QPointF v = PointToValueD(plot, 0, 1000, -5, 5, 350, 130);
    EXPECT_DOUBLE_EQ(v.x(), 250);
    EXPECT_DOUBLE_EQ(v.y(), 3);
    EXPECT_DOUBLE_EQ(ValueAtY(plot, -5, 5, 530), -5);
    EXPECT_DOUBLE_EQ(SampleAtX(plot, 0, 10000, 1100), 10000);

    // Zero spans and an empty plot map without dividing by zero.
    EXPECT_EQ(ValueToPoint(plot, 7, 7, 3, 3, 7, 3), QPoint(100, 530));
    const Rect none{10, 10, 10, 10};
    EXPECT_EQ(PointToValue(none, 0, 100, 0, 1, 10, 10), QPoint(0, 0));
    // A trace scaled far out of view still gives drawable pixels.
    const QPoint far = ValueToPointD(plot, 0, 1, 0, 1e-12, 0, 1e9);
    EXPECT_LT(far.y(), -1000000);
}

TEST(VScopeGeometry, ZoomStepKeepsThePointAndHonoursTheHitArea)
{
    const Rect plot{100, 30, 1100, 530};  // 1000 x 500: k = 30
    struct Case
    {
        const char *what;
        QPoint p;
        int hitArea;
        Rect expected;
    } const cases[] = {
        {"left edge", {100, 280}, 0, {100, 45, 1040, 515}},
        {"centre", {600, 280}, 0, {130, 45, 1070, 515}},
        {"values only", {600, 280}, 2, {100, 45, 1100, 515}},
        {"time only", {600, 280}, 1, {130, 30, 1070, 530}},
        {"top right corner", {1100, 30}, 0, {160, 30, 1100, 500}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZoomInRect(plot, c.p, c.hitArea), c.expected) << c.what;

    double first, last;
    const Rect left = ZoomInRect(plot, {100, 280}, 0);
    MapWindow(plot, 2000, 3000, left.left, left.right, first, last);
    EXPECT_DOUBLE_EQ(first, 2000);  // the left edge's sample stays
    EXPECT_DOUBLE_EQ(last, 2940);
    const Rect centre = ZoomInRect(plot, {600, 280}, 0);
    MapWindow(plot, 2000, 3000, centre.left, centre.right, first, last);
    EXPECT_DOUBLE_EQ(first - 2000, 3000 - last);  // both sides shrink alike
    EXPECT_DOUBLE_EQ(last - first, 940);
}

TEST(VScopeGeometry, ZoomedTicks)
{
    EXPECT_EQ(ZoomedTicks(1500, 4200, 1000, true), (std::vector<double>{2000, 3000, 4000}));
    EXPECT_EQ(ZoomedTicks(-0.7, 0.9, 0.5, false), (std::vector<double>{-0.5, 0, 0.5}));
    EXPECT_EQ(ZoomedTicks(2000, 3000, 1000, true), (std::vector<double>{2000, 3000}));
    EXPECT_TRUE(ZoomedTicks(0, 10, 0, false).empty());
    EXPECT_TRUE(ZoomedTicks(0, NAN, 1, false).empty());
    EXPECT_LE(ZoomedTicks(0, 1e12, 1, true).size(), 4096u);  // never an endless loop
}

TEST(VScopeGeometry, AlignGridsPutsLaterDivisionsOnTheFirstChannelsRows)
{
    // CH1: divisions of 2, first line -6 one tenth up a span of 10. CH2: divisions of 10,
    // first line 10 at 7/50 of its span: it moves by 2.
    std::vector<AxisRange> ranges{{-10, 10, -7, 3}, {0, 100, 3, 53}, {0, 1, 0.05, 0.55}};
    AlignGrids(ranges);
    EXPECT_DOUBLE_EQ(ranges[0].viewMin, -7);
    EXPECT_DOUBLE_EQ(ranges[1].viewMin, 5);
    EXPECT_DOUBLE_EQ(ranges[1].viewMax, 55);
    for (const AxisRange &r : ranges) {
        const double step = (r.fullMax - r.fullMin) / 10;
        const double c = std::ceil(r.viewMin / step - 1e-9) * step;
        EXPECT_NEAR((c - r.viewMin) / (r.viewMax - r.viewMin), 0.1, 1e-9);
    }
    EXPECT_DOUBLE_EQ(ranges[2].viewMax - ranges[2].viewMin, 0.5);  // spans kept

    std::vector<AxisRange> flat{{0, 0, 0, 0}, {0, 100, 3, 53}};
    AlignGrids(flat);  // a channel without a range is no reference and moves nothing
    EXPECT_DOUBLE_EQ(flat[1].viewMin, 3);
}

TEST(VScopeGeometry, CursorsPlacedAndDragged)
{
    int x1, x2, y1, y2;
    CursorPositions(Rect{80, 30, 1080, 530}, x1, x2, y1, y2);
    EXPECT_EQ(x1, 180);
    EXPECT_EQ(x2, 980);
    EXPECT_EQ(y1, 80);
    EXPECT_EQ(y2, 480);

    struct Case
    {
        const char *what;
        int moving, other, target;
        bool locked;
        int movingAfter, otherAfter;
    } const cases[] = {
        {"free, inside", 300, 700, 400, false, 400, 700},
        {"free, past the edge", 300, 700, 2000, false, 1000, 700},
        {"locked follows", 300, 700, 400, true, 400, 800},
        {"locked stops with the outer on the edge", 300, 700, 900, true, 600, 1000},
        {"locked stops at the low edge", 300, 700, -50, true, 100, 500},
    };
    for (const Case &c : cases) {
        int m = c.moving, o = c.other;
        DragCursorPair(m, o, c.target, 100, 1000, c.locked);
        EXPECT_EQ(m, c.movingAfter) << c.what;
        EXPECT_EQ(o, c.otherAfter) << c.what;
    }
}

TEST(VScopeGeometry, ThinnedTraceCoversTheSamePixels)
{
    // A noisy sine of 60,000 samples across 700 columns: the thinned polyline paints exactly
    // what the full one paints.
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0, 40);
    std::vector<double> data(60000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = 1000 * std::sin(i * 0.0007) + noise(gen);
    const Rect plot{50, 30, 750, 430};
    auto xOf = [&](int i) { return plot.left + HalfUp(i * plot.Width() / 59999.0); };
    auto yOf = [&](int i) { return plot.bottom - HalfUp((data[static_cast<size_t>(i)] + 1500) * plot.Height() / 3000.0); };
    std::vector<QPoint> full, thin;
    for (int i = 0; i < 60000; ++i)
        full.emplace_back(xOf(i), yOf(i));
    ThinToColumns(0, 59999, xOf, yOf, thin);
    EXPECT_LT(thin.size(), 4 * 701u);
    auto same = [](const std::vector<QPoint> &one, const std::vector<QPoint> &other, const char *what) {
        for (int width : {1, 2}) {
            QImage a(800, 460, QImage::Format_RGB32), b(800, 460, QImage::Format_RGB32);
            a.fill(Qt::black);
            b.fill(Qt::black);
            for (auto [img, pts] : {std::pair{&a, &one}, std::pair{&b, &other}}) {
                QPainter p(img);
                p.setPen(QPen(Qt::white, width));
                p.drawPolyline(pts->data(), static_cast<int>(pts->size()));
            }
            EXPECT_EQ(a, b) << what << ", pen width " << width;
        }
    };
    same(full, thin, "trace");

    // A bit row: levels 5 and 15 pixels above the row's bottom, toggling irregularly, drawn
    // as square waves from every sample and from the thinned columns.
    auto bitY = [&](int i) { return 400 - ((i * 7 / 13 + (i % 97 == 0 ? 1 : 0)) % 2) * 10 - 5; };
    std::vector<QPoint> levels, fullSteps, thinSteps;
    for (int i = 0; i < 60000; ++i)
        levels.emplace_back(xOf(i), bitY(i));
    SquareSteps(levels, fullSteps);
    ThinToColumns(0, 59999, xOf, bitY, levels);
    SquareSteps(levels, thinSteps);
    same(fullSteps, thinSteps, "bit row");
    // Few samples: every change of level is a step across, then up or down.
    SquareSteps({{0, 5}, {10, 5}, {20, 15}, {30, 5}}, thinSteps);
    EXPECT_EQ(thinSteps, (std::vector<QPoint>{{0, 5}, {10, 5}, {20, 5}, {20, 15}, {30, 15}, {30, 5}}));
}
