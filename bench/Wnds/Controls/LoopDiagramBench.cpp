// The control-loop pages' diagrams: a rebuild of each diagram followed by its first render,
// and a switch of the position page's mode as the user makes it (selector, rebuild, render).
// Each is reported in ms and as a ratio to a budget of 100 ms ("budget" counter: 1.0 is the
// whole budget).

#include "support/QtBenchmarkMain.h"
#include "Wnds/Controls/DlgPositionCtrl.h"
#include "Wnds/Controls/DlgSpeedLoop.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

constexpr double kBudgetMs = 100.0;

void Render(CLoopDiagramPage &page, QImage &target)
{
    QPainter p(&target);
    page.DiagramCtrl()->render(&p);
}

template <class Page>
std::unique_ptr<Page> MakePage()
{
    auto page = std::make_unique<Page>();
    page->Create(nullptr);
    page->resize(1280, 640);
    return page;
}

void Report(benchmark::State &state, double totalMs)
{
    state.counters["budget"] =
        benchmark::Counter(totalMs / kBudgetMs, benchmark::Counter::kAvgIterations);
}

template <class Page>
void RebuildAndRender(benchmark::State &state, int mode)
{
    auto page = MakePage<Page>();
    QImage target(page->DiagramCtrl()->size(), QImage::Format_RGB32);
    double total = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        page->RebuildDiagram(mode, false);
        Render(*page, target);
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    Report(state, total);
}

void BM_PositionMode0(benchmark::State &state) { RebuildAndRender<CDlgPositionCtrl>(state, 0); }
void BM_PositionMode1(benchmark::State &state) { RebuildAndRender<CDlgPositionCtrl>(state, 1); }
void BM_SpeedLoop(benchmark::State &state) { RebuildAndRender<CDlgSpeedLoop>(state, 0); }
BENCHMARK(BM_PositionMode0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PositionMode1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpeedLoop)->Unit(benchmark::kMillisecond);

// Each iteration picks the other mode in the selector, as a click does.
void BM_ModeSwitch(benchmark::State &state)
{
    auto page = MakePage<CDlgPositionCtrl>();
    QImage target(page->DiagramCtrl()->size(), QImage::Format_RGB32);
    QComboBox *combo = page->SelectorCombo();
    int mode = 0;
    double total = 0.0;
    for (auto _ : state) {
        mode = 1 - mode;
        const auto start = std::chrono::steady_clock::now();
        combo->setCurrentIndex(mode);
        emit combo->activated(mode);
        Render(*page, target);
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    Report(state, total);
}
BENCHMARK(BM_ModeSwitch)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
