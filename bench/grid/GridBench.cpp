// The grid on 10,000 rows x 12 columns of mixed cell kinds: filling, the filter bar, a header
// value filter, sorting, and one repaint of a 1280 x 800 grid.
#include "GridDemo.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRows = 10000;

struct Window {
    Window()
    {
        window.resize(1280, 800);
        grid = new CQLBCGGridCtrl(&window);
        grid->setGeometry(window.rect());
        griddemo::Build(*grid, kRows);
        window.show();
        QApplication::processEvents();
    }
    QWidget window;
    CQLBCGGridCtrl *grid;
};

void BM_Fill(benchmark::State &state)
{
    for (auto _ : state) {
        QWidget window;
        window.resize(1280, 800);
        auto *grid = new CQLBCGGridCtrl(&window);
        grid->setGeometry(window.rect());
        griddemo::Build(*grid, kRows);
        benchmark::DoNotOptimize(grid->GetVisibleRowCount());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
        // Deleting the rows belongs to the next fill, not this one.
        state.PauseTiming();
        delete grid;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FilterBar(benchmark::State &state)
{
    Window w;
    bool on = false;
    for (auto _ : state) {
        on = !on;
        w.grid->SetFilterBarText(1, on ? QStringLiteral("check") : QString());
        benchmark::DoNotOptimize(w.grid->GetVisibleRowCount());
    }
}
BENCHMARK(BM_FilterBar)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_HeaderValueFilter(benchmark::State &state)
{
    Window w;
    bool on = false;
    for (auto _ : state) {
        on = !on;
        platform::FilterColumnInfo f;
        f.nCol = 1;
        f.bAll = !on;
        if (on)
            f.lstValues = {QStringLiteral("percent"), QStringLiteral("date")};
        w.grid->SetColumnFilter(f);
        benchmark::DoNotOptimize(w.grid->GetVisibleRowCount());
    }
}
BENCHMARK(BM_HeaderValueFilter)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Sort(benchmark::State &state)
{
    Window w;
    bool asc = false;
    int col = 0;
    for (auto _ : state) {
        asc = !asc;
        col = (col + 1) % 4;
        w.grid->Sort(col, asc);
        benchmark::DoNotOptimize(w.grid->ViewRowToRow(0));
    }
}
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Repaint(benchmark::State &state)
{
    Window w;
    QImage image(w.window.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        w.grid->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond)->Iterations(20);

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
