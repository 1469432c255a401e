// One repaint of a 1,000 x 600 curve chart holding four curves of 10,000 points, on a linear
// and on a logarithmic x axis, and a repaint while another thread adds 1,000 points.
// One frame at 60 Hz is 16 ms.

#include "support/QtBenchmarkMain.h"
#include "controls/LHBGraph.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <thread>

namespace {

constexpr int kCurves = 4;
constexpr int kPoints = 10000;

const QString kNames[kCurves] = {"gain", "phase", "cmp gain", "cmp phase"};

std::unique_ptr<CLHBGraph> MakeChart(bool logarithmic)
{
    auto g = std::make_unique<CLHBGraph>();
    g->resize(1000, 600);
    g->show();
    g->m_nXScale = logarithmic ? 1 : 0;
    g->m_bShowMarkers = true;
    g->SetCurvesFlag(true);
    for (int c = 0; c < kCurves; ++c)
        g->AddCurve(kNames[c], "Hz", "dB", RGB(60 * c, 255 - 50 * c, 128), -60.0f, 12.0f, 0.0f, 2500.0f);
    for (int c = 0; c < kCurves; ++c) {
        for (int i = 0; i < kPoints; ++i) {
            // Frequencies 1 Hz .. 10 kHz, evenly spread in the scale's own sense.
            const double f = logarithmic ? std::pow(10.0, 4.0 * i / kPoints) : 1.0 + 10000.0 * i / kPoints;
            const double y = 40.0 * std::sin(i * 0.01 + c) + 10.0 * std::sin(i * 1.3);
            g->AddPoint(kNames[c], static_cast<float>(f), static_cast<float>(y), i % 1000 == 0);
        }
    }
    g->m_ptCursor = QPoint(500, 300);
    return g;
}

void Repaint(CLHBGraph &g, QImage &target)
{
    QPainter p(&target);
    g.Render(p, false);
}

void BM_RepaintLinear(benchmark::State &state)
{
    auto g = MakeChart(false);
    QImage target(g->size(), QImage::Format_RGB32);
    for (auto _ : state)
        Repaint(*g, target);
}
BENCHMARK(BM_RepaintLinear)->Unit(benchmark::kMillisecond);

void BM_RepaintLogarithmic(benchmark::State &state)
{
    auto g = MakeChart(true);
    QImage target(g->size(), QImage::Format_RGB32);
    for (auto _ : state)
        Repaint(*g, target);
}
BENCHMARK(BM_RepaintLogarithmic)->Unit(benchmark::kMillisecond);

// Each iteration: another thread adds 1,000 points (250 to the end of each curve) while the
// chart repaints; the time is that of the repaint and the adding together. The added points
// are taken away again between iterations, so every repaint sees the same chart.
void BM_RepaintWhileAdding(benchmark::State &state)
{
    auto g = MakeChart(true);
    QImage target(g->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        std::thread adder([&] {
            for (int i = 0; i < 1000; ++i)
                g->AddPoint(kNames[i % kCurves], static_cast<float>(10000 + i), static_cast<float>(i % 50), false);
        });
        Repaint(*g, target);
        adder.join();
        state.PauseTiming();
        for (int c = 0; c < kCurves; ++c)
            g->Curve(c)->m_vecPoints.resize(kPoints);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RepaintWhileAdding)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
