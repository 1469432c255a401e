#include "controls/LHBGraph.h"

#include "platform/UiServices.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// A chart 460 x 365: plot (30, 35) - (430, 335), 400 x 300 pixels, before any axis strips.
class Chart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g.resize(460, 365);
        g.show();  // a hidden widget learns its size only when shown
        g.m_bShowAxes = false;
    }
    // x 0..100 in 4 divisions, y 0..100 in 10.
    CLHBCurve &Linear(const QString &name = QStringLiteral("a"))
    {
        g.m_nXScale = 0;
        g.AddCurve(name, QStringLiteral("Hz"), QStringLiteral("dB"), kRed, 0.0f, 10.0f, 0.0f, 25.0f);
        return *g.Curve(g.CurveCount() - 1);
    }
    QImage Paint(bool forExport = false)
    {
        QImage img(g.size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        g.Render(p, forExport);
        return img;
    }
    static LHB::RECT R(int l, int t, int r, int b) { return LHB::RECT{l, t, r, b}; }

    CLHBGraph g;
};

}

TEST_F(Chart, MapsValuesOnLinearAndLogarithmicScales)
{
    CLHBCurve &c = Linear();
    ASSERT_EQ(g.m_rcData, R(30, 35, 430, 335));
    EXPECT_EQ(g.MapX(c, 0), 30);
    EXPECT_EQ(g.MapX(c, 50), 230);
    EXPECT_EQ(g.MapX(c, 100), 430);
    EXPECT_EQ(g.MapY(c, 0), 335);
    EXPECT_EQ(g.MapY(c, 50), 185);
    EXPECT_EQ(g.MapY(c, 100), 35);

    g.m_nXScale = 1;  // four decades from 1, 100 pixels each
    const std::pair<double, int> log[] = {{1, 30}, {10, 130}, {100, 230}, {1000, 330}, {10000, 430}, {0, 30}, {-3, 30}, {0.5, -1}};
    for (const auto &[x, px] : log) {
        if (px >= 0) {
            EXPECT_EQ(g.MapX(c, x), px) << x;
        } else {
            EXPECT_LT(g.MapX(c, x), 30) << "below 1 lies left of the axis start";
        }
    }

    // A curve without a span stays on the edge instead of dividing by zero.
    g.m_nXScale = 0;
    c.m_fXStep = 0;
    c.m_fYStep = 0;
    EXPECT_EQ(g.MapX(c, 42), 30);
    EXPECT_EQ(g.MapY(c, 42), 335);
}

TEST_F(Chart, AxisLabels)
{
    CLHBCurve &c = Linear();
    const std::vector<QString> linear{"0", "25", "50", "75", "100"};
    EXPECT_EQ(g.XAxisLabels(c), linear);
    g.m_nXScale = 1;
    const std::vector<QString> decades{"1", "10", "100", "1k", "10k"};
    EXPECT_EQ(g.XAxisLabels(c), decades);
    EXPECT_EQ(CLHBGraph::FormatFrequency(999), QStringLiteral("999"));
    EXPECT_EQ(CLHBGraph::FormatFrequency(999.99999), QStringLiteral("1k"));
    EXPECT_EQ(CLHBGraph::FormatFrequency(20000), QStringLiteral("20k"));
}

TEST_F(Chart, CurveNamesAreUnique)
{
    Linear(QStringLiteral("gain"));
    g.AddPoint(QStringLiteral("gain"), 1, 2, false);
    EXPECT_EQ(g.AddCurve(QStringLiteral("gain"), "x", "y", kGreen, 0, 1, 0, 1), -1);
    EXPECT_EQ(g.AddCurve(QString(), "x", "y", kGreen, 0, 1, 0, 1), -1);
    ASSERT_EQ(g.CurveCount(), 1);
    EXPECT_EQ(g.Curve(0)->m_crColor, kRed);
    EXPECT_EQ(g.Curve(0)->m_vecPoints.size(), 1u);
    EXPECT_EQ(g.AddCurve(QStringLiteral("phase"), "x", "y", kGreen, 0, 1, 0, 1), 2);

    g.AddPoint(QStringLiteral("none"), 1, 2, false);  // no such curve: nothing happens
    EXPECT_EQ(g.DeleteCurve(QStringLiteral("none")), FALSE);
    EXPECT_EQ(g.DeleteCurve(QStringLiteral("gain")), TRUE);
    ASSERT_EQ(g.CurveCount(), 1);
    EXPECT_EQ(g.Curve(0)->GetName(), QStringLiteral("phase"));
}

TEST_F(Chart, EachCurveAxisTakesAStripBesideAndUnderThePlot)
{
    g.m_bShowAxes = true;
    g.m_nXScale = 0;
    g.m_crBack = RGB(0, 0, 0);
    g.AddCurve(QStringLiteral("a"), "Hz", "dB", kRed, 0, 10, 0, 25);
    g.AddCurve(QStringLiteral("b"), "Hz", "deg", kGreen, 0, 10, 0, 25);
    EXPECT_EQ(g.m_rcPlot, R(90, 35, 430, 275));
    EXPECT_EQ(g.m_rcData, g.m_rcPlot);
    const QImage img = Paint();
    const int midY = 150;
    EXPECT_EQ(img.pixelColor(60, midY), QColor(255, 0, 0)) << "first y axis 30 pixels left of the plot";
    EXPECT_EQ(img.pixelColor(30, midY), QColor(0, 255, 0)) << "second y axis 60 pixels left";
    EXPECT_EQ(img.pixelColor(260, 305), QColor(255, 0, 0)) << "first x axis 30 pixels under";
    EXPECT_EQ(img.pixelColor(260, 335), QColor(0, 255, 0)) << "second x axis 60 pixels under";
}

// The owner updates the range after adding points, and the page resizes its charts: the axes
// keep their strips through both, never falling back onto the control's edge.
TEST_F(Chart, TheAxisStripsSurviveARangeUpdateAndAResize)
{
    g.m_bShowAxes = true;
    g.AddCurve(QStringLiteral("a"), "Hz", "dB", kRed, 0, 10, 0, 25);
    g.AddPoint(QStringLiteral("a"), 1, 2, false);
    g.UpdateAxisRange();
    EXPECT_EQ(g.m_rcPlot, R(60, 35, 430, 305));
    EXPECT_EQ(g.m_rcData, g.m_rcPlot);
    g.resize(560, 415);
    QApplication::processEvents();
    EXPECT_EQ(g.m_rcPlot, R(60, 35, 530, 355));
    EXPECT_EQ(g.m_rcData, g.m_rcPlot);
    g.UpdateAxisRange();
    EXPECT_EQ(g.m_rcPlot, R(60, 35, 530, 355));
}

TEST_F(Chart, BoxZoomStretchesTheDataRectangleFromTheBoxCorner)
{
    struct Case
    {
        const char *what;
        QPoint from, to;
        LHB::RECT data;
    } const cases[] = {
        {"top-left to bottom-right", {130, 110}, {330, 260}, R(-170, -115, 630, 485)},
        {"bottom-right to top-left", {330, 260}, {130, 110}, R(-170, -115, 630, 485)},
        {"bottom-left to top-right", {130, 260}, {330, 110}, R(-170, -115, 630, 485)},
        {"box as wide as the plot does not zoom x", {30, 110}, {430, 260}, R(30, -115, 430, 485)},
        {"equal y", {130, 110}, {330, 110}, R(30, 35, 430, 335)},
        {"equal x", {130, 110}, {130, 260}, R(30, 35, 430, 335)},
    };
    Linear();
    for (const Case &c : cases) {
        g.ResetView();
        g.DoLButtonDown(c.from);
        g.DoLButtonUp(c.to);
        EXPECT_EQ(g.m_rcData, c.data) << c.what;
        EXPECT_FALSE(g.m_bDragging);
    }
    g.DoLButtonUp({200, 200});  // no drag under way
    EXPECT_EQ(g.m_rcData, R(30, 35, 430, 335));
}

TEST_F(Chart, ASecondBoxZoomShowsWhatTheBoxHeld)
{
    CLHBCurve &c = Linear();
    g.DoLButtonDown({130, 110});
    g.DoLButtonUp({330, 260});  // x 25..75 now fills the plot
    ASSERT_EQ(g.MapX(c, 25), 30);
    ASSERT_EQ(g.MapX(c, 75), 430);
    const int x50 = g.MapX(c, 50);
    const int x75 = g.MapX(c, 75);
    g.DoLButtonDown({x50, 110});
    g.DoLButtonUp({x75, 260});
    EXPECT_EQ(g.MapX(c, 50), 30);
    EXPECT_EQ(g.MapX(c, 75), 430);
}

TEST_F(Chart, WheelZoomKeepsTheCursorPointAndNeverGoesOut)
{
    CLHBCurve &c = Linear();
    g.m_bWheelZoom = TRUE;
    g.m_ptCursor = {130, 185};  // a quarter across, half down
    g.DoMouseWheel(120);
    // Steps of 0.02 of the plot, truncated (0.02 as a float is a hair under: 6 becomes 5).
    EXPECT_EQ(g.m_rcData, R(29, 33, 435, 337));
    EXPECT_EQ(g.m_rcSaved, g.m_rcData);
    EXPECT_NEAR(g.MapX(c, 25), 130, 1);
    for (int i = 0; i < 5; ++i)
        g.DoMouseWheel(-120);
    EXPECT_EQ(g.m_rcData, R(30, 35, 430, 335)) << "back out to the full range, no further";

    g.m_nZoomMode = 0;
    g.DoMouseWheel(120);
    EXPECT_EQ(g.m_rcData, R(29, 35, 435, 335)) << "x only";
    g.ResetView();

    const LHB::RECT full = g.m_rcData;
    g.m_ptCursor = {10, 185};  // outside the plot
    g.DoMouseWheel(120);
    EXPECT_EQ(g.m_rcData, full);
    g.m_ptCursor = {130, 185};
    g.m_bWheelZoom = FALSE;
    g.DoMouseWheel(120);
    EXPECT_EQ(g.m_rcData, full);
}

TEST_F(Chart, LinkedChartsFollowTheMouseTogether)
{
    CLHBGraph other;
    other.resize(460, 365);
    other.show();
    other.m_bShowAxes = false;
    other.m_nXScale = 0;
    other.AddCurve(QStringLiteral("phase"), "Hz", "deg", kGreen, 0, 10, 0, 25);
    Linear();
    g.m_pLinked = &other;
    other.m_pLinked = &g;
    g.show();
    other.show();

    QTest::mousePress(&g, Qt::LeftButton, {}, {130, 110});
    QTest::mouseRelease(&g, Qt::LeftButton, {}, {330, 260});
    EXPECT_EQ(g.m_rcData, R(-170, -115, 630, 485));
    EXPECT_EQ(other.m_rcData, g.m_rcData);

    QTest::mouseMove(&g, {200, 200});
    EXPECT_EQ(other.m_ptCursor, QPoint(200, 200));

    QTest::mousePress(&other, Qt::RightButton, {}, {200, 200});
    EXPECT_EQ(g.m_rcData, R(30, 35, 430, 335));
    EXPECT_EQ(other.m_rcData, R(30, 35, 430, 335));
}

TEST(CurvePoints, FindPointAtReadsTheNearestPointWithinItsTolerance)
{
    struct Case
    {
        const char *what;
        std::vector<int> px;
        int cursor;
        int found;  // index, or -1 for none
    } const cases[] = {
        {"no points", {}, 10, -1},
        {"left of the first, near", {100, 200}, 96, 0},
        {"left of the first, far", {100, 200}, 95, -1},
        {"right of the last, near", {100, 200}, 204, 1},
        {"right of the last, far", {100, 200}, 205, -1},
        {"on a point", {100, 200}, 100, 0},
        {"near the right point", {100, 200}, 196, 1},
        {"near the left point", {100, 200}, 104, 0},
        {"near neither: the right point", {100, 200}, 150, 1},
        {"3 pixels apart: tolerance 1", {100, 103}, 101, 0},
        {"3 pixels apart, near the right", {100, 103}, 102, 1},
        {"1 pixel apart: tolerance stays 1", {100, 101, 102}, 100, 1},
    };
    for (const Case &c : cases) {
        CLHBCurve curve;
        for (int x : c.px)
            curve.m_vecPoints.push_back(LHBPoint{static_cast<float>(x), 0, false, x, 0});
        LHBPoint out;
        const BOOL ok = curve.FindPointAt({c.cursor, 0}, out);
        EXPECT_EQ(ok != 0, c.found >= 0) << c.what;
        if (ok && c.found >= 0) {
            EXPECT_EQ(out.px, c.px[static_cast<size_t>(c.found)]) << c.what;
        }
    }
}

TEST_F(Chart, CurvesAreCutAtThePlotBorderAndMarkersShown)
{
    CLHBCurve &c = Linear();
    g.m_crBack = RGB(0, 0, 0);
    g.m_bShowGrid = false;
    // A rising line, then a point far above the plot, then back inside.
    g.AddPoint("a", 0, 50, false);
    g.AddPoint("a", 25, 50, false);
    g.AddPoint("a", 50, 500, false);
    g.AddPoint("a", 75, 50, true);
    g.AddPoint("a", 90, 50, false);
    QImage img = Paint();
    const int y50 = g.MapY(c, 50);
    EXPECT_EQ(img.pixelColor(80, y50), QColor(255, 0, 0)) << "segment inside the plot";
    EXPECT_EQ(img.pixelColor(360, y50), QColor(255, 0, 0));
    // The line from the cut point down to the next point starts at the clamped position.
    EXPECT_EQ(img.pixelColor(180, y50 - 40), QColor(0, 0, 0)) << "nothing drawn towards the point outside";
    g.m_bShowMarkers = true;
    img = Paint();
    EXPECT_EQ(img.pixelColor(g.MapX(c, 75) + 3, y50 + 3), QColor(0, 255, 255)) << "marker in the complement colour";
    EXPECT_EQ(c.m_vecPoints[2].py, g.MapY(c, 500)) << "pixel positions kept for the read-out";
}

TEST_F(Chart, ReadoutShowsTheValuesUnderTheCursor)
{
    CLHBCurve &c = Linear();
    for (int i = 0; i <= 100; i += 10)
        g.AddPoint("a", static_cast<float>(i), 40, false);
    g.SetCurvesFlag(true);
    EXPECT_EQ(c.m_bShowValue, 1);
    g.m_crBack = RGB(0, 0, 0);
    Paint();  // pixel positions
    g.m_ptCursor = {g.MapX(c, 50), 200};
    const QImage img = Paint();
    EXPECT_EQ(img.pixelColor(g.m_ptCursor.x(), 100), QColor(0xC8, 0, 0xC8)) << "cursor line";
    EXPECT_EQ(img.pixelColor(g.m_ptCursor.x() + 95, 190), QColor(255, 255, 255)) << "read-out box";
}

TEST_F(Chart, ExportedPictureReadsBackWithTheChartSize)
{
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scoped(ui);
    Linear();
    g.AddPoint("a", 10, 10, false);
    g.AddPoint("a", 90, 90, false);
    QTemporaryDir dir;
    const QString path = dir.filePath("chart.bmp");
    g.SaveBitmap(path);
    const QImage back(path);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(460, 365));
    EXPECT_TRUE(ui->Calls().empty());

    g.SaveBitmap(dir.filePath("no/such/folder/chart.bmp"));
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, QStringLiteral("Unable to open the file when saving bitmap"));
}

TEST_F(Chart, PointsAddedFromFourThreadsWhilePaintingAndChangingCurves)
{
    g.m_bShowAxes = true;
    g.m_nXScale = 1;
    const QString names[] = {"c0", "c1", "c2", "c3"};
    for (const QString &n : names)
        g.AddCurve(n, "Hz", "dB", kRed, -50, 10, 0, 1);
    g.SetCurvesFlag(true);
    g.m_ptCursor = {200, 200};

    constexpr int kPoints = 5000;
    std::atomic<int> running{4};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kPoints; ++i)
                g.AddPoint(names[t], static_cast<float>(1 + i), static_cast<float>(i % 100 - 50), i % 500 == 0);
            --running;
        });
    }
    int paints = 0;
    while (running > 0 || paints < 3) {
        Paint(paints % 2 == 1);
        // The curve list changes while the workers look curves up.
        g.AddCurve(QStringLiteral("spare"), "Hz", "dB", kGreen, 0, 1, 0, 1);
        g.DeleteCurve(QStringLiteral("spare"));
        ++paints;
    }
    for (std::thread &w : workers)
        w.join();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(g.Curve(i)->m_vecPoints.size(), static_cast<size_t>(kPoints));
    EXPECT_GE(paints, 3);
}
