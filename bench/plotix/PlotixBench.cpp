// Spectrum and Bode graph of 4096 samples, timed against FFTW transforms of the same size in
// the same run. The ratios printed at the end are plotix time / FFTW time.
#include "plotix.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kPoints = 4096;

std::vector<double> testSignal()
{
    std::vector<double> x(kPoints);
    for (int n = 0; n < kPoints; ++n)
        x[n] = 100.0 * std::sin(2.0 * M_PI * 37.3 * n / kPoints) +
               20.0 * std::cos(2.0 * M_PI * 512.0 * n / kPoints) + 5.0;
    return x;
}

void BM_PlotixSpectrum(benchmark::State& state)
{
    const std::vector<double> x = testSignal();
    std::vector<double> freq(kPoints / 2), amp(kPoints / 2);
    plotix::setSampleWindow(static_cast<int>(state.range(0)));
    int count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(plotix::getSpectrumGraph(x.data(), kPoints, 16000.0, freq.data(),
                                                          amp.data(), count));
        benchmark::ClobberMemory();
    }
    plotix::setSampleWindow(2);
}
BENCHMARK(BM_PlotixSpectrum)->Arg(1)->Arg(2)->ArgName("window");

void BM_PlotixBode(benchmark::State& state)
{
    const std::vector<double> x = testSignal();
    std::vector<double> freq(kPoints / 2), gain(kPoints / 2), phase(kPoints / 2);
    plotix::setSampleWindow(1);
    int count = 0;
    for (auto _ : state) {
        plotix::setSpeedAmplitude(10.0);
        benchmark::DoNotOptimize(plotix::getBodeGraph(x.data(), kPoints, 16000.0, freq.data(),
                                                      gain.data(), phase.data(), count));
        benchmark::ClobberMemory();
    }
    plotix::setSampleWindow(2);
}
BENCHMARK(BM_PlotixBode);

// Times a plan whose input is already in place, then frees it.
void runPlan(benchmark::State& state, fftw_plan plan)
{
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
}

void BM_FftwRealToComplex(benchmark::State& state)
{
    std::vector<double> x = testSignal();
    fftw_complex* out = fftw_alloc_complex(kPoints / 2 + 1);
    double* in = fftw_alloc_real(kPoints);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kPoints, in, out, FFTW_MEASURE);
    for (int n = 0; n < kPoints; ++n)
        in[n] = x[n];
    runPlan(state, plan);
    fftw_free(in);
    fftw_free(out);
}
BENCHMARK(BM_FftwRealToComplex);

void BM_FftwComplex(benchmark::State& state)
{
    std::vector<double> x = testSignal();
    fftw_complex* in = fftw_alloc_complex(kPoints);
    fftw_complex* out = fftw_alloc_complex(kPoints);
    fftw_plan plan = fftw_plan_dft_1d(kPoints, in, out, FFTW_FORWARD, FFTW_MEASURE);
    for (int n = 0; n < kPoints; ++n) {
        in[n][0] = x[n];
        in[n][1] = 0.0;
    }
    runPlan(state, plan);
    fftw_free(in);
    fftw_free(out);
}
BENCHMARK(BM_FftwComplex);

void BM_PlotixSmooth2048(benchmark::State& state)
{
    const int n = 2048;
    std::vector<double> f(n), g(n), p(n), gf(n), pf(n);
    for (int i = 0; i < n; ++i) {
        f[i] = (i + 1) * 16000.0 / 4096;
        g[i] = std::sin(i * 0.01);
        p[i] = std::cos(i * 0.02);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(plotix::smooth(f.data(), g.data(), p.data(), n, 16.0, gf.data(),
                                                pf.data()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlotixSmooth2048);

// Keeps the console output and remembers each run's time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& t = reporter.times;
    for (const char* fftw : {"BM_FftwRealToComplex", "BM_FftwComplex"}) {
        for (const char* ours : {"BM_PlotixSpectrum/window:1", "BM_PlotixSpectrum/window:2"}) {
            if (t.count(fftw) && t.count(ours))
                std::printf("%s / %s = %.2f\n", ours, fftw, t.at(ours) / t.at(fftw));
        }
    }
    benchmark::Shutdown();
    return 0;
}
