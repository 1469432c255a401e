// The trace view on screen (offscreen platform): the frame edge the wheel acts on, cursor
// drags, the readout, trace grabbing, zoom steps and their history, the rubber band, the
// saved picture, and pictures of a full capture for a look by eye.
#include "Wnds/scope/VScope.h"

#include "SimDrive.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

class Page : public QWidget, public platform::MessageTarget
{
public:
    Page() : platform::MessageTarget(this) {}
    struct Msg
    {
        UINT msg;
        WPARAM wParam;
        QPoint point;
    };
    std::vector<Msg> messages;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == UM_VSCOPE_NOTIFY || msg == UM_VSCOPE_RCLICK || msg == UM_VSCOPE_LCLICK) {
            const QPoint at = lParam ? *reinterpret_cast<const QPoint *>(lParam) : QPoint();
            messages.push_back(Msg{msg, wParam, at});
            return 0;
        }
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    int Count(UINT msg) const
    {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](const Msg &m) { return m.msg == msg; }));
    }
};

// n samples of a simulated drive source; the counting sources give the sample number.
std::vector<double> Generated(int code, int n, double scale = 1.0)
{
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] =
            static_cast<std::int32_t>(SimDrive::RecorderSample(code, i, 1, 8000)) * scale;
    return v;
}

void Fill(CChannel &c, const std::vector<double> &data, const QString &name, COLORREF colour)
{
    c.m_nCount = 0;
    c.AppendFromArray(data);
    c.m_strName = name;
    c.m_clrTrace = colour;
    c.AutoScale();
}

void FillWord(CDIDOChannel &d, int code, int n, unsigned bits, const QStringList &names,
              const std::vector<COLORREF> &colours)
{
    std::vector<int> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] = static_cast<int>(SimDrive::RecorderSample(code, i, 1, 8000));
    d.m_nCount = 0;
    d.AppendFromVector(v, n);
    d.SetBits(std::bitset<16>(bits), names, colours);
}

class VScope : public ::testing::Test
{
protected:
    std::shared_ptr<platform::ScriptedUiServices> ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scoped{ui};
    Page page;
    CVScope *view = new CVScope(&page);

    void SetUp() override
    {
        page.resize(1000, 640);
        view->Create(QString(), QRect(0, 0, 1000, 600), &page);
        page.show();
        view->CalcExtraXDivs();
        view->CalcLayout();
    }

    // Two analog traces: CH1 a sine of 4,096 samples scaled -5..5, CH2 a ramp.
    void TwoTraces()
    {
        std::vector<double> sine(4096), ramp(4096);
        for (int i = 0; i < 4096; ++i) {
            sine[static_cast<size_t>(i)] = 4 * std::sin(i * 2 * M_PI / 1024);
            ramp[static_cast<size_t>(i)] = i / 100.0;
        }
        Fill(view->m_ch[0], sine, "sine", RGB(255, 255, 0));
        view->m_ch[0].SetRange(-5, 5);
        Fill(view->m_ch[1], ramp, "ramp", RGB(255, 0, 255));
        view->SetXWindow(0, 4000);
        view->CalcExtraXDivs();
        view->CalcLayout();
    }

    QPoint Screen(QPoint p) const { return view->mapToGlobal(p); }
    QPoint PlotCentre() const { return view->m_rcPlot.Center(); }
};

QColor Pixel(const QImage &img, int x, int y)
{
    return img.pixelColor(x, y);
}

}

TEST_F(VScope, EmptyViewDrawsGridFrameAndTimeLabelsOnly)
{
    const QImage img = view->Render();
    const vscope::Rect &p = view->m_rcPlot;
    EXPECT_EQ(p, (vscope::Rect{15, 30, 985, 570}));
    EXPECT_EQ(Pixel(img, p.left, 300), QColor(100, 100, 100));
    EXPECT_EQ(Pixel(img, p.right, 300), QColor(100, 100, 100));
    // Time labels under the plot in the inverse of the black background.
    bool label = false;
    for (int y = p.bottom + 6; y < p.bottom + 25 && !label; ++y)
        for (int x = 0; x < view->width() && !label; ++x)
            label = Pixel(img, x, y) != QColor(Qt::black);
    EXPECT_TRUE(label);
    // Nothing left of the plot beside it: no value labels without channels.
    for (int x = 0; x < p.left; ++x)
        for (int y = 0; y < p.bottom; y += 3)
            ASSERT_EQ(Pixel(img, x, y), QColor(Qt::black)) << x << "," << y;
}

TEST_F(VScope, DegenerateSizesAndWindowsDrawWithoutFault)
{
    TwoTraces();
    view->SetXWindow(5, 5);
    EXPECT_LT(view->m_nXFirst, view->m_nXLast);
    view->Render();
    view->SetXWindowByDivision(0);  // a time per division below the sample period
    EXPECT_LT(view->m_nXFirst, view->m_nXLast);
    view->m_ch[1].SetRange(2, 2);
    EXPECT_LT(view->m_ch[1].m_dMin, view->m_ch[1].m_dMax);
    view->Render();
    for (QSize s : {QSize(1, 1), QSize(30, 30), QSize(400, 70), QSize(200, 600)}) {
        view->resize(s);
        const QImage img = view->Render();
        EXPECT_EQ(img.size(), s);
        if (view->m_rcPlot.IsEmpty()) {
            EXPECT_EQ(Pixel(img, 0, 0), QColor(Qt::black));
        }
    }
}

TEST_F(VScope, APressMarksTheFrameEdgeTheWheelActsOn)
{
    TwoTraces();
    const vscope::Rect p = view->m_rcPlot;
    const int midY = (p.top + p.bottom) / 2;
    const int midX = (p.left + p.right) / 2;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(p.left - 20, midY));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(p.left - 20, midY));
    EXPECT_EQ(view->m_nHitArea, 2);
    QImage img = view->Render();
    EXPECT_EQ(Pixel(img, p.left, midY + 3), QColor(255, 0, 0));
    EXPECT_EQ(Pixel(img, midX + 3, p.bottom), QColor(100, 100, 100));

    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(midX, p.bottom + 10));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(midX, p.bottom + 10));
    EXPECT_EQ(view->m_nHitArea, 1);
    img = view->Render();
    EXPECT_EQ(Pixel(img, midX + 3, p.bottom), QColor(255, 0, 0));
    EXPECT_EQ(Pixel(img, p.left, midY + 3), QColor(100, 100, 100));
    EXPECT_EQ(page.Count(UM_VSCOPE_LCLICK), 2);
    EXPECT_EQ(page.messages.back().point, QPoint(midX, p.bottom + 10));
}

TEST_F(VScope, LockedCursorPairStopsAtTheEdgeAndNotifies)
{
    TwoTraces();
    view->m_nCursorMode = 1;
    view->m_bCursorsLocked = 1;
    view->ResetCursorPositions();
    const vscope::Rect p = view->m_rcPlot;
    const int distance = view->m_nCursorX2 - view->m_nCursorX1;
    const int y = (p.top + p.bottom) / 2;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(view->m_nCursorX1 + 3, y));
    EXPECT_EQ(view->m_nDragCursor, 1);
    QTest::mouseMove(view, QPoint(p.right + 200, y));
    EXPECT_EQ(view->m_nCursorX2, p.right);
    EXPECT_EQ(view->m_nCursorX2 - view->m_nCursorX1, distance);
    EXPECT_GE(page.Count(UM_VSCOPE_NOTIFY), 1);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(p.right + 200, y));
    EXPECT_EQ(view->m_nDragCursor, 0);

    // Unlocked, one cursor follows alone and stays inside the plot.
    view->m_bCursorsLocked = 0;
    const int other = view->m_nCursorX2;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(view->m_nCursorX1, y));
    QTest::mouseMove(view, QPoint(-50, y));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(-50, y));
    EXPECT_EQ(view->m_nCursorX1, p.left);
    EXPECT_EQ(view->m_nCursorX2, other);

    int a, b;
    view->GetCursorSamples(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 4000);  // the window's end
}

// A cursor drag repaints only the cursors over the picture kept of the rest; what the
// widget then shows must be what a full drawing gives, also after a change made just before.
TEST_F(VScope, ACursorMovePaintsWhatAFullDrawingShows)
{
    TwoTraces();
    view->m_nCursorMode = 1;
    view->ResetCursorPositions();
    const int y = (view->m_rcPlot.top + view->m_rcPlot.bottom) / 2;
    auto shown = [&] { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    auto full = [&] { return view->Render().convertToFormat(QImage::Format_RGB32); };
    (void)shown();  // the kept picture
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(view->m_nCursorX1, y));
    struct Step {
        const char *what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"a move alone", [] {}},
        {"a trace colour changed through update()", [&] {
             view->m_ch[0].m_clrTrace = RGB(0, 255, 255);
             view->update();
         }},
        {"a window changed through update()", [&] {
             view->SetXWindow(500, 3500);
             view->update();
         }},
    };
    int x = view->m_nCursorX1;
    for (const Step &step : steps) {
        step.change();
        x += 40;
        QTest::mouseMove(view, QPoint(x, y));
        EXPECT_EQ(view->m_nCursorX1, x) << step.what;
        EXPECT_TRUE(shown() == full()) << step.what;
    }
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(x, y));
}

TEST_F(VScope, ResetCursorPositionsIsOneTenthIn)
{
    view->resize(1030, 600);  // no axes: plot 15..1015, 1000 wide
    view->ResetCursorPositions();
    EXPECT_EQ(view->m_rcPlot.Width(), 1000);
    EXPECT_EQ(view->m_nCursorX1, view->m_rcPlot.left + 100);
    EXPECT_EQ(view->m_nCursorX2, view->m_rcPlot.right - 100);
    EXPECT_EQ(view->m_nCursorY1, view->m_rcPlot.top + 54);
    EXPECT_EQ(view->m_nCursorY2, view->m_rcPlot.bottom - 54);
}

TEST_F(VScope, ReadoutShowsTheComparisonDifference)
{
    Fill(view->m_ch[0], std::vector<double>(100, 2.0), "speed", RGB(0, 0, 255));
    Fill(view->m_chCmp[0], std::vector<double>(100, 2.5), "speed'", RGB(0, 255, 0));
    view->m_bCompare = 1;
    QStringList names, values;
    view->CoordTipTexts(12, "t", names, values);
    EXPECT_EQ(names, (QStringList{"t", "speed:", "speed':"}));
    EXPECT_EQ(values, (QStringList{"1.5", "2.0", QString::fromUtf8("2.5 △=0.5")}));

    // Drawn only inside the plot, never on its frame or past the last sample.
    view->m_bShowCoordTip = 1;
    view->m_nXFirst = 0;
    view->m_nXLast = 200;
    view->CalcLayout();
    const vscope::Rect p = view->m_rcPlot;
    auto yellowColumn = [&](QPoint mouse) {
        view->m_ptMouse = mouse;
        const QImage img = view->Render();
        for (int x = p.left + 1; x < p.right; ++x)
            if (Pixel(img, x, p.top + 5) == QColor(255, 255, 0))
                return x;
        return -1;
    };
    EXPECT_GT(yellowColumn(QPoint(p.left + 50, 200)), p.left);
    EXPECT_EQ(yellowColumn(QPoint(p.left, 200)), -1);
    EXPECT_EQ(yellowColumn(QPoint(p.right - 10, 200)), -1);  // sample ~195, beyond 100
}

TEST_F(VScope, AGrabbedTraceFollowsTheMouse)
{
    TwoTraces();
    const vscope::Rect p = view->m_rcPlot;
    const int sample = 1000;
    const QPoint on = view->ValueToPoint(view->m_nXFirst, view->m_nXLast, 0, 1, sample, 0);
    const CChannel &sine = view->m_ch[0];
    const int y = view->ValueToPointD(0, 1, sine.m_dMin, sine.m_dMax, 0, sine.m_arrData[sample]).y();
    QTest::mouseMove(view, QPoint(on.x(), y + 3));
    ASSERT_EQ(view->m_nGrabbedTrace, &view->m_ch[0]);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(on.x(), y + 3));
    QTest::mouseMove(view, QPoint(on.x(), y - 97));
    const int now = view->ValueToPointD(0, 1, sine.m_dMin, sine.m_dMax, 0, sine.m_arrData[sample]).y();
    EXPECT_NEAR(now, y - 100, 1);
    EXPECT_DOUBLE_EQ(sine.m_dMax - sine.m_dMin, 10);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(on.x(), y - 97));
    EXPECT_EQ(view->m_nGrabbedTrace, nullptr);
    (void)p;

    // Away from every trace, a drag pans the time window toward earlier samples.
    view->SetXWindow(1000, 3000);
    view->CalcLayout();
    const QPoint empty(view->m_rcPlot.left + 300, view->m_rcPlot.top + 2);
    QTest::mouseMove(view, empty);
    ASSERT_EQ(view->HitTestTraceAt(empty), nullptr);
    QTest::mousePress(view, Qt::LeftButton, {}, empty);
    QTest::mouseMove(view, empty + QPoint(100, 0));
    QTest::mouseRelease(view, Qt::LeftButton, {}, empty + QPoint(100, 0));
    const int moved = static_cast<int>(std::lround(100.0 * 2000 / view->m_rcPlot.Width()));
    EXPECT_EQ(view->m_nXFirst, 1000 - moved);
    EXPECT_EQ(view->m_nXLast - view->m_nXFirst, 2000);
}

TEST_F(VScope, WheelStepsZoomAroundThePointAndRestoreInReverse)
{
    TwoTraces();
    const vscope::Rect p = view->m_rcPlot;
    // At the left edge the left edge's sample stays.
    view->ZoomInAt(Screen(QPoint(p.left, (p.top + p.bottom) / 2)));
    ASSERT_TRUE(view->m_bZoomed);
    EXPECT_DOUBLE_EQ(view->m_dViewXFirst, 0);
    EXPECT_LT(view->m_dViewXLast, 4000);

    view->SetZoomed(0);
    EXPECT_TRUE(view->m_dqZoomHistory[CVScope::kStackWindow].empty());
    struct State
    {
        double first, last, min0, max0, min1, max1;
        bool operator==(const State &) const = default;
    };
    auto state = [&] {
        return State{view->m_dViewXFirst, view->m_dViewXLast, view->m_ch[0].m_dViewMin, view->m_ch[0].m_dViewMax,
                     view->m_ch[1].m_dViewMin, view->m_ch[1].m_dViewMax};
    };
    view->SetZoomed(1);
    std::vector<State> before;
    for (int i = 0; i < 3; ++i) {
        before.push_back(state());
        view->ZoomInAt(Screen(PlotCentre() + QPoint(37 * i, -11 * i)));
    }
    EXPECT_LT(view->m_dViewXLast - view->m_dViewXFirst, before[2].last - before[2].first);
    for (int i = 2; i >= 0; --i) {
        view->ZoomOutAt(QPoint());
        EXPECT_EQ(state(), before[static_cast<size_t>(i)]) << i;
        EXPECT_TRUE(view->m_bZoomed);
    }
    view->ZoomOutAt(QPoint());
    EXPECT_FALSE(view->m_bZoomed);

    // With mouse zoom on, the fourth step lands in the full zoomed view instead.
    view->m_bMouseZoom = 1;
    view->SetZoomed(1);
    view->ZoomInAt(Screen(PlotCentre()));
    view->ZoomOutAt(QPoint());
    view->ZoomOutAt(QPoint());
    EXPECT_TRUE(view->m_bZoomed);
    EXPECT_DOUBLE_EQ(view->m_dViewXFirst, view->m_nXFirst);
    EXPECT_DOUBLE_EQ(view->m_dViewXLast, view->m_nXLast);
    EXPECT_TRUE(ui->Calls().empty());
}

// Wheel and touchpad: only vertical deltas zoom, and small ones add up to a step per 120.
TEST_F(VScope, WheelDeltasAddUpToWholeStepsAndSidewaysScrollsZoomNothing)
{
    TwoTraces();
    const struct {
        const char *name;
        std::vector<int> deltas;
        std::size_t steps;  // zoom-in steps on the window's stack
    } cases[] = {
        {"sideways only", {0, 0, 0}, 0},
        {"one wheel notch", {120}, 1},
        {"touchpad: 4 x 30 is one notch", {30, 30, 30, 30}, 1},
        {"touchpad: 3 x 30 is none yet", {30, 30, 30}, 0},
        {"two notches at once", {240}, 2},
        {"a reversal drops the rest", {90, -30, 90}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        view->SetZoomed(0);
        view->SetZoomed(1);
        const double first = view->m_dViewXFirst;
        const double last = view->m_dViewXLast;
        for (int d : c.deltas)
            view->OnMouseWheel(0, d, Screen(PlotCentre()));
        EXPECT_EQ(view->m_dqZoomHistory[CVScope::kStackWindow].size(), c.steps);
        if (c.steps == 0) {
            EXPECT_DOUBLE_EQ(view->m_dViewXFirst, first);
            EXPECT_DOUBLE_EQ(view->m_dViewXLast, last);
        }
    }
}

TEST_F(VScope, HitAreaRestrictsTheWheelToOneAxis)
{
    TwoTraces();
    const vscope::Rect p = view->m_rcPlot;
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(p.left - 30, 200));  // left of the plot
    view->SetZoomed(1);
    view->ZoomInAt(Screen(PlotCentre()));
    EXPECT_DOUBLE_EQ(view->m_dViewXFirst, 0);
    EXPECT_DOUBLE_EQ(view->m_dViewXLast, 4000);
    EXPECT_LT(view->m_ch[1].m_dViewMax - view->m_ch[1].m_dViewMin, view->m_ch[1].m_dMax - view->m_ch[1].m_dMin);

    view->SetZoomed(0);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(PlotCentre().x(), p.bottom + 20));  // below it
    view->SetZoomed(1);
    view->ZoomInAt(Screen(PlotCentre()));
    EXPECT_LT(view->m_dViewXLast - view->m_dViewXFirst, 4000);
    EXPECT_DOUBLE_EQ(view->m_ch[0].m_dViewMax - view->m_ch[0].m_dViewMin, 10);

    // Outside the plot a step does nothing.
    const double first = view->m_dViewXFirst;
    view->ZoomInAt(Screen(QPoint(2, 2)));
    EXPECT_DOUBLE_EQ(view->m_dViewXFirst, first);
}

TEST_F(VScope, ZoomBelowTheSmallestSpanIsRefused)
{
    TwoTraces();
    view->SetZoomed(1);
    view->m_dViewXFirst = 100;
    view->m_dViewXLast = 100.00002;
    const double min0 = view->m_ch[0].m_dViewMin;
    view->ZoomInAt(Screen(PlotCentre()));
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, QString::fromLatin1("Further zooming not possible."));
    EXPECT_EQ(ui->Calls()[0].caption, QString::fromLatin1("Zoom In"));
    EXPECT_EQ(ui->Calls()[0].type & MB_ICONINFORMATION, MB_ICONINFORMATION);
    EXPECT_DOUBLE_EQ(view->m_dViewXLast, 100.00002);
    EXPECT_DOUBLE_EQ(view->m_ch[0].m_dViewMin, min0);
    EXPECT_TRUE(view->m_dqZoomHistory[0].empty());
}

TEST_F(VScope, RubberBandZoomIsUndoneByAZoomOutStep)
{
    TwoTraces();
    view->m_nCursorMode = 1;
    view->ResetCursorPositions();
    view->m_bMouseZoom = 1;
    view->SetZoomed(1);
    const vscope::Rect p = view->m_rcPlot;
    const QPoint from(p.left + 100, p.top + 50), to(p.left + 300, p.top + 250);

    // Too small: nothing.
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, from + QPoint(15, 40));
    QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(15, 40));
    EXPECT_DOUBLE_EQ(view->m_dViewXFirst, 0);
    EXPECT_EQ(page.Count(UM_VSCOPE_NOTIFY), 0);

    QTest::mousePress(view, Qt::LeftButton, {}, to);  // drawn backwards: normalised
    EXPECT_TRUE(view->RubberBandActive());
    QTest::mouseMove(view, from);
    QTest::mouseRelease(view, Qt::LeftButton, {}, from);
    EXPECT_FALSE(view->RubberBandActive());
    EXPECT_NEAR(view->m_dViewXFirst, 100.0 * 4000 / p.Width(), 1e-9);
    EXPECT_NEAR(view->m_dViewXLast, 300.0 * 4000 / p.Width(), 1e-9);
    EXPECT_EQ(page.Count(UM_VSCOPE_NOTIFY), 1);
    ASSERT_EQ(view->m_dqZoomHistory[CVScope::kStackWindow].size(), 1u);

    view->ZoomOutAt(QPoint());
    EXPECT_DOUBLE_EQ(view->m_dViewXFirst, 0);
    EXPECT_DOUBLE_EQ(view->m_dViewXLast, 4000);
    EXPECT_DOUBLE_EQ(view->m_ch[0].m_dViewMin, -5);

    // A double-click leaves the zoomed view and, with mouse zoom on, re-enters it whole.
    view->ZoomInAt(Screen(PlotCentre()));
    QTest::mouseDClick(view, Qt::LeftButton, {}, PlotCentre());
    EXPECT_TRUE(view->m_bZoomed);
    EXPECT_DOUBLE_EQ(view->m_dViewXLast, 4000);
}

TEST_F(VScope, ZoomKeepsTimeCursorsOnTheirSamplesAndAlignsGrids)
{
    TwoTraces();
    view->m_ch[1].SetRange(-3.3, 46.7);  // CH2 offset against CH1's grid
    view->m_nCursorMode = 1;
    view->ResetCursorPositions();
    int a0, b0;
    view->GetCursorSamples(a0, b0);
    view->SetZoomed(1);
    view->ZoomInAt(Screen(PlotCentre()));
    int a, b;
    view->GetCursorSamples(a, b);
    EXPECT_NEAR(a, a0, 1);
    EXPECT_NEAR(b, b0, 1);
    view->SetZoomed(0);
    view->GetCursorSamples(a, b);
    EXPECT_NEAR(a, a0, 1);
    EXPECT_NEAR(b, b0, 1);

    view->SetZoomed(1);
    view->ZoomInAt(Screen(PlotCentre() + QPoint(50, 30)));
    auto fraction = [](const CChannel &c) {
        const double step = (c.m_dMax - c.m_dMin) / 10;
        double first = std::ceil(c.m_dViewMin / step) * step;
        if (c.m_dViewMin + step - first < 0.000001)
            first -= step;
        return (first - c.m_dViewMin) / (c.m_dViewMax - c.m_dViewMin);
    };
    EXPECT_NEAR(fraction(view->m_ch[1]), fraction(view->m_ch[0]), 1e-9);
}

TEST_F(VScope, RightClickAndNotificationsReachTheParent)
{
    TwoTraces();
    QTest::mousePress(view, Qt::RightButton, Qt::ShiftModifier, QPoint(40, 50));
    ASSERT_EQ(page.Count(UM_VSCOPE_RCLICK), 1);
    EXPECT_EQ(page.messages.back().point, QPoint(40, 50));
    EXPECT_EQ(page.messages.back().wParam & (MK_RBUTTON | MK_SHIFT), MK_RBUTTON | MK_SHIFT);
}

TEST_F(VScope, SaveToBmpWritesTheViewAsShown)
{
    TwoTraces();
    view->m_nCursorMode = 1;
    view->ResetCursorPositions();
    QTemporaryDir dir;
    const QString path = dir.filePath("view.bmp");
    view->SaveToBmp(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), 54 + 4 * view->width() * view->height());
    const QImage saved(path);
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), shown);
    EXPECT_TRUE(ui->Calls().empty());

    view->SaveToBmp(dir.filePath("no/such/folder/view.bmp"));
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, QString::fromLatin1("Unable to open the file when saving bitmap"));
    EXPECT_FALSE(QFile::exists(dir.filePath("no/such/folder/view.bmp")));
}

// Not a check of pixels: pictures of a full capture (four generated traces, one noisy, three
// DI and two DO rows, a comparison capture and time cursors), plain and zoomed, for a look.
TEST_F(VScope, PicturesOfAFullCapture)
{
    const int n = 4096;
    const int codes[4] = {0x91, 0x93, 0x9A, 0xB6};
    const char *names[4] = {"speed", "torque", "current", "position"};
    const COLORREF colours[4] = {RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255), RGB(0, 200, 0)};
    for (int k = 0; k < 4; ++k) {
        std::vector<double> v = Generated(codes[k], n, k == 3 ? 0.01 : 1.0);
        if (k == 1)
            for (int i = 0; i < n; ++i)
                v[static_cast<size_t>(i)] += ((i * 7919) % 401) - 200;  // the noisy one
        Fill(view->m_ch[k], v, names[k], colours[k]);
        std::vector<double> w = v;
        for (double &x : w)
            x *= 0.8;
        Fill(view->m_chCmp[k], w, QString(names[k]) + "'", colours[k] ^ 0x808080);
    }
    FillWord(view->m_di, 1, n, 0b10101, {"DI1", "DI3", "DI5"}, {RGB(255, 80, 80), RGB(80, 255, 80), RGB(80, 80, 255)});
    FillWord(view->m_do, 2, n, 0b110, {"DO2", "DO3"}, {RGB(255, 160, 0), RGB(160, 0, 255)});
    FillWord(view->m_diCmp, 1, n, 0b10101, {"DI1", "DI3", "DI5"}, {RGB(128, 40, 40)});
    view->m_bCompare = 1;
    view->SetXWindow(0, 4000);
    view->SetCompareWindow(4000);
    view->m_nCursorMode = 1;
    view->ResetCursorPositions();
    view->m_bShowCoordTip = 1;
    view->m_ptMouse = PlotCentre();
    const QString out = QDir::currentPath();
    const QImage plain = view->Render();
    EXPECT_TRUE(plain.save(out + "/vscope_plain.png"));
    // Five rows, the three DI rows lowest, each marked by an arrow in its bit's colour.
    const QColor arrows[5] = {QColor(255, 80, 80), QColor(80, 255, 80), QColor(80, 80, 255), QColor(255, 160, 0),
                              QColor(160, 0, 255)};
    const vscope::Rect bits = view->m_rcBits;
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(Pixel(plain, bits.left - 7, bits.bottom - 20 * r - 5), arrows[r]) << r;
    // The comparison DI (drawn over the live one) has a colour for its first row only: its
    // other rows take the live rows' colours.
    auto rowHas = [&](int y, const QColor &colour) {
        for (int x = bits.left + 1; x < bits.right; ++x)
            if (Pixel(plain, x, y) == colour)
                return true;
        return false;
    };
    EXPECT_TRUE(rowHas(bits.bottom - 15, QColor(128, 40, 40)));
    EXPECT_TRUE(rowHas(bits.bottom - 20 - 15, arrows[1]));
    EXPECT_TRUE(rowHas(bits.bottom - 40 - 15, arrows[2]));
    view->SetZoomed(1);
    view->ZoomInAt(Screen(PlotCentre()));
    view->ZoomInAt(Screen(PlotCentre()));
    view->m_ptMouse = PlotCentre();
    EXPECT_TRUE(view->Render().save(out + "/vscope_zoomed.png"));
    EXPECT_EQ(view->m_rcBits.Height(), 20 * 5 + 5);
}
