// One repaint of the trace view at 1920 x 1080: four traces and their four comparison traces,
// 10 DI and 8 DO rows, at 4,096 and at 60,000 points, plain and zoomed (two wheel steps at the
// centre). The data are the simulated drive's generators; one trace carries noise.
// "frames" is the repaint time over one frame at 60 Hz (16.7 ms).
// BM_CursorDrag: one mouse move of a dragged time cursor at 4,096 and 60,000 points, through the
// page's relay to the cursor tab (its grids refreshed) and the paint that follows, at 1600 x 900
// beside a 350-wide cursor tab; "frames" as above.
#include "support/QtBenchmarkMain.h"
#include "SimDrive.h"
#include "Wnds/scope/NewScopeCursorDlg.h"
#include "Wnds/scope/VScope.h"
#include "platform/ControlId.h"
#include "platform/Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

constexpr double kFrameMs = 1000.0 / 60;

std::unique_ptr<CVScope> MakeView(int points, bool zoomed)
{
    auto v = std::make_unique<CVScope>();
    v->resize(1920, 1080);
    v->show();
    const int codes[4] = {0x91, 0x93, 0x9A, 0x9D};
    std::uint32_t noise = 12345;
    for (int k = 0; k < 4; ++k) {
        std::vector<double> data(static_cast<size_t>(points)), cmp(static_cast<size_t>(points));
        for (int i = 0; i < points; ++i) {
            double x = static_cast<std::int32_t>(SimDrive::RecorderSample(codes[k], i, 1, 8000));
            if (k == 1) {
                noise = noise * 1664525u + 1013904223u;
                x += static_cast<double>(noise >> 24) - 128.0;
            }
            data[static_cast<size_t>(i)] = x;
            cmp[static_cast<size_t>(i)] = 0.8 * x;
        }
        for (CChannel *c : {&v->m_ch[k], &v->m_chCmp[k]}) {
            c->AppendFromArray(c == &v->m_ch[k] ? data : cmp);
            c->m_clrTrace = RGB(60 * k, 255 - 40 * k, 128);
            c->m_strName = QString("CH%1").arg(k + 1);
            c->AutoScale();
        }
    }
    std::vector<int> di(static_cast<size_t>(points)), dout(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) {
        di[static_cast<size_t>(i)] = static_cast<int>(SimDrive::RecorderSample(1, i, 1, 8000));
        dout[static_cast<size_t>(i)] = static_cast<int>(SimDrive::RecorderSample(3, i, 1, 8000));
    }
    QStringList names;
    std::vector<COLORREF> colours;
    for (int b = 0; b < 10; ++b) {
        names << QString("bit %1").arg(b);
        colours.push_back(RGB(25 * b, 200, 255 - 25 * b));
    }
    for (CDIDOChannel *d : {&v->m_di, &v->m_diCmp}) {
        d->AppendFromVector(di, points);
        d->SetBits(std::bitset<16>(0x3FF), names, colours);
    }
    for (CDIDOChannel *d : {&v->m_do, &v->m_doCmp}) {
        d->AppendFromVector(dout, points);
        d->SetBits(std::bitset<16>(0xFF), names.mid(0, 8), std::vector<COLORREF>(colours.begin(), colours.begin() + 8));
    }
    v->m_bCompare = 1;
    v->SetXWindow(0, points);
    v->SetCompareWindow(points);
    v->m_nCursorMode = 1;
    v->ResetCursorPositions();
    if (zoomed) {
        v->SetZoomed(1);
        v->ZoomInAt(v->mapToGlobal(v->m_rcPlot.Center()));
        v->ZoomInAt(v->mapToGlobal(v->m_rcPlot.Center()));
    }
    return v;
}

void BM_Repaint(benchmark::State &state)
{
    auto v = MakeView(static_cast<int>(state.range(0)), state.range(1) != 0);
    QImage target(v->size(), QImage::Format_RGB32);
    double totalMs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        QPainter p(&target);
        v->Draw(p);
        p.end();
        totalMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
    }
    state.counters["frames"] = totalMs / static_cast<double>(state.iterations()) / kFrameMs;
}
BENCHMARK(BM_Repaint)
    ->ArgNames({"points", "zoomed"})
    ->Args({4096, 0})
    ->Args({4096, 1})
    ->Args({60000, 0})
    ->Args({60000, 1})
    ->Unit(benchmark::kMillisecond);

// The page's part in a drag: the view's notification goes on to the cursor tab.
class RelayPage : public QWidget, public platform::MessageTarget
{
public:
    RelayPage() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_VSCOPE_NOTIFY && cursor)
            return platform::SendMessage(platform::WindowRef(static_cast<QObject *>(cursor)), UM_SCOPE_CURSOR_REFRESH, 0, 0);
        return MessageTarget::WindowProc(msg, w, l);
    }
    QWidget *cursor = nullptr;
};

void BM_CursorDrag(benchmark::State &state)
{
    RelayPage page;
    page.resize(1960, 900);
    std::unique_ptr<CVScope> v = MakeView(static_cast<int>(state.range(0)), false);
    v->setParent(&page);
    v->setGeometry(0, 0, 1600, 900);
    auto *cursor = new CNewScopeCursorDlg(v.get(), &page);
    cursor->Create(&page);
    cursor->setGeometry(1605, 0, 350, 900);
    page.cursor = cursor;
    page.show();
    v->show();
    QCoreApplication::processEvents();
    if (auto *time = qobject_cast<QAbstractButton *>(platform::FindCtrl(cursor, CNewScopeCursorDlg::IDC_TIME_CURSORS)))
        time->click();
    QCoreApplication::processEvents();
    v->CalcLayout();
    const int y = (v->m_rcPlot.top + v->m_rcPlot.bottom) / 2;
    v->OnLButtonDown(0, QPoint(v->m_nCursorX1, y));
    const int left = v->m_rcPlot.left + 5;
    const int right = v->m_nCursorX2 - 20;
    int x = v->m_nCursorX1;
    int step = 3;
    double totalMs = 0;
    for (auto _ : state) {
        x += step;
        if (x >= right || x <= left)
            step = -step;
        QElapsedTimer t;
        t.start();
        v->OnMouseMove(0, QPoint(x, y));
        QCoreApplication::processEvents();
        totalMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
    }
    state.counters["frames"] = totalMs / static_cast<double>(state.iterations()) / kFrameMs;
    v->setParent(nullptr);
}
BENCHMARK(BM_CursorDrag)->ArgNames({"points"})->Arg(4096)->Arg(60000)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
