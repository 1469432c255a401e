#include "AnalysisFixture.h"

#include "FFT/ExcitationPhases.h"

#include <cmath>
#include <vector>

namespace {

struct Tone {
    int bin;
    double amplitude;
    double phaseDeg;     // response phase relative to the excitation
    double expectedDeg;  // the same, wrapped into [-180, 180)
};

// Tones at bins the rate's excitation drives, each with its own gain and phase shift.
std::vector<Tone> tonesFor(int count)
{
    return {
        {1, 1.0, 100.0, 100.0},     {5, 0.25, -200.0, 160.0},  {9, 3.0, 179.0, 179.0},
        {13, 0.01, -179.5, -179.5}, {17, 1.5, 0.0, 0.0},       {21, 0.7, 90.5, 90.5},
        {25, 2.0, 270.0, -90.0},    {count / 2 + 3, 0.5, -90.0, -90.0},
        {count - 1, 0.125, 45.0, 45.0},
    };
}

// What the machine answers to the drive's excitation: each tone shifted by its own phase.
std::vector<double> response(const plotix::ExcitationTable& table, const std::vector<Tone>& tones,
                             double offset)
{
    const int n = 2 * table.count;
    std::vector<double> x(n, offset);
    for (const Tone& tone : tones) {
        const double shift = table.phases[tone.bin - 1] + tone.phaseDeg * M_PI / 180.0;
        for (int t = 0; t < n; ++t)
            x[t] += tone.amplitude * std::cos(2 * M_PI * ((static_cast<long long>(tone.bin) * t) % n) / n + shift);
    }
    return x;
}

} // namespace

// Rectangular window (as the program uses it) and Hanning, which halves a tone at a bin centre
// and keeps its phase.
TEST_F(AnalysisTest, BodeGainPhaseAndFrequencyForEachRate)
{
    const double reference = 2.0;
    struct WindowCase {
        int window;
        double amplitudeFactor;
    };
    for (WindowCase w : {WindowCase{1, 1.0}, WindowCase{2, 0.5}}) {
        for (int rate : {4000, 5000, 6000, 8000, 10000, 12000, 16000}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz, window " << w.window);
            const plotix::ExcitationTable* table = plotix::excitationTable(rate);
            ASSERT_NE(table, nullptr);
            const std::vector<Tone> tones = tonesFor(table->count);
            const std::vector<double> x = response(*table, tones, 12.5);
            std::vector<double> freq(2048), gain(2048), phase(2048);
            int count = 0;
            plotix::setSampleWindow(w.window);
            plotix::setSpeedAmplitude(reference);
            ASSERT_EQ(plotix::getBodeGraph(x.data(), static_cast<int>(x.size()), rate, freq.data(),
                                           gain.data(), phase.data(), count),
                      plotix::kOk);
            ASSERT_EQ(count, table->count);
            const int n = 2 * count;
            EXPECT_DOUBLE_EQ(freq[0], static_cast<double>(rate) / n);
            EXPECT_DOUBLE_EQ(freq[count - 1], rate / 2.0);
            for (int i = 0; i < count; ++i)
                ASSERT_DOUBLE_EQ(freq[i], static_cast<double>(rate) * (i + 1) / n);
            for (const Tone& tone : tones) {
                SCOPED_TRACE(tone.bin);
                const int i = tone.bin - 1;
                EXPECT_NEAR(gain[i], 20 * std::log10(tone.amplitude * w.amplitudeFactor / reference), 1e-9);
                EXPECT_NEAR(phase[i], tone.expectedDeg, 1e-8);
            }
            for (int i = 0; i < count; ++i) {
                EXPECT_GE(phase[i], -180.0);
                EXPECT_LT(phase[i], 180.0);
            }
        }
    }
}

// Gain scales with the reference: the same response against twice the reference is 6 dB lower.
TEST_F(AnalysisTest, BodeGainIsRelativeToTheReference)
{
    const plotix::ExcitationTable* table = plotix::excitationTable(6000);
    const std::vector<double> x = response(*table, tonesFor(table->count), 0.0);
    std::vector<double> f(1024), g1(1024), g2(1024), p(1024);
    int count = 0;
    plotix::setSpeedAmplitude(1.5);
    ASSERT_EQ(plotix::getBodeGraph(x.data(), 2048, 6000.0, f.data(), g1.data(), p.data(), count), 0);
    plotix::setSpeedAmplitude(3.0);
    ASSERT_EQ(plotix::getBodeGraph(x.data(), 2048, 6000.0, f.data(), g2.data(), p.data(), count), 0);
    EXPECT_NEAR(g1[0] - g2[0], 20 * std::log10(2.0), 1e-12);
}

// A response without any motion has empty bins: a floor instead of -inf, and no phase.
TEST_F(AnalysisTest, EmptyBinsGetTheGainFloorAndPhaseZero)
{
    for (int window : {1, 2, 3}) {
        SCOPED_TRACE(window);
        std::vector<double> x(4096, 321.0), freq(2048), gain(2048), phase(2048, 5.0);
        int count = 0;
        plotix::setSampleWindow(window);
        plotix::setSpeedAmplitude(1.0);
        ASSERT_EQ(plotix::getBodeGraph(x.data(), 4096, 12000.0, freq.data(), gain.data(),
                                       phase.data(), count),
                  plotix::kOk);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(gain[i], -400.0) << i;
            ASSERT_EQ(phase[i], 0.0) << i;
        }
    }
}
