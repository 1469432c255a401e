// The simulated drive's mechanism model measured the way the analysis page measures it: the
// resonance shows where it was put, a flat mechanism reads flat, and the page's own transform
// and the analysis library agree on the same mechanism.
#include "SimDrive.h"
#include "Wnds/auxFunction/FreqResponse4096.h"
#include "Wnds/auxFunction/MaAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr int kAmplitude = 10;
constexpr int kOffset = 20;

struct Curve {
    std::vector<double> freq = std::vector<double>(kMaBins);
    std::vector<double> gain = std::vector<double>(kMaBins);
    std::vector<double> phase = std::vector<double>(kMaBins);
    int count = 0;
};

// A run as the page makes it: the excitation rebuilt at the start, the record converted, the
// analysis by rate.
Curve Measure(const SimDrive::MechanismModel &model, int rate)
{
    const std::vector<std::int16_t> record = SimDrive::MechanismRecord(model, rate, kAmplitude, kOffset);
    std::vector<unsigned char> raw(kMaRecordBytes);
    for (size_t i = 0; i < record.size(); ++i) {
        const auto v = static_cast<std::uint16_t>(record[i]);
        raw[2 * i] = static_cast<unsigned char>(v & 0xFF);
        raw[2 * i + 1] = static_cast<unsigned char>(v >> 8);
    }
    ConvertMaSamples(raw.data());
    BuildExcitationSignal(kAmplitude, kOffset);
    SetMaSampleRate(rate);
    Curve c;
    EXPECT_EQ(MaAnalyseRecord(rate, kAmplitude, c.freq.data(), c.gain.data(), c.phase.data(), &c.count), 0);
    return c;
}

// Bins whose excitation line is at least 1 % of the largest one.
std::vector<bool> StrongLines(int rate, int count)
{
    std::vector<double> line(static_cast<size_t>(count));
    if (rate >= 10000) {
        std::vector<std::complex<double>> x(kMaPoints);
        BuildExcitationSignal(kAmplitude, kOffset);
        for (int i = 0; i < kMaPoints; ++i)
            x[static_cast<size_t>(i)] = MaExcitationBuffer()[i];
        Fft4096(x.data());
        for (int k = 1; k < count; ++k)
            line[static_cast<size_t>(k)] = std::abs(x[static_cast<size_t>(k)]);
    } else {
        // Outputs 0 .. count-2 are the multisine's tones; the last output is the empty half-rate bin.
        for (int i = 0; i + 1 < count; ++i)
            line[static_cast<size_t>(i)] = 1.0;
    }
    const double top = *std::max_element(line.begin(), line.end());
    std::vector<bool> strong(line.size());
    for (size_t i = 0; i < line.size(); ++i)
        strong[i] = line[i] >= 0.01 * top;
    return strong;
}

}

TEST(MechanismModel, ResonancePeaksWhereItWasPut)
{
    for (double fr : {200.0, 500.0, 1200.0}) {
        for (int rate : {16000, 10000, 8000, 4000}) {
            SimDrive::MechanismModel model;
            model.resonanceHz = fr;
            model.peakGain = 10;
            model.damping = 0.05;
            const Curve c = Measure(model, rate);
            ASSERT_GT(c.count, 0);
            int peak = 0;
            for (int i = 1; i < c.count; ++i)
                if (c.gain[static_cast<size_t>(i)] > c.gain[static_cast<size_t>(peak)])
                    peak = i;
            const double bin = c.freq[2] - c.freq[1];
            EXPECT_NEAR(c.freq[static_cast<size_t>(peak)], fr, std::max(2 * bin, 0.01 * fr))
                << "f_r " << fr << " at " << rate;
            EXPECT_NEAR(c.gain[static_cast<size_t>(peak)], 20.0, 1.0) << "f_r " << fr << " at " << rate;
        }
    }
}

TEST(MechanismModel, FlatReadsFlat)
{
    for (int rate : {16000, 12000, 10000, 8000, 6000, 5000, 4000}) {
        const Curve c = Measure(SimDrive::MechanismModel{}, rate);
        const std::vector<bool> strong = StrongLines(rate, c.count);
        int checked = 0;
        for (int i = 0; i < c.count; ++i) {
            if (!strong[static_cast<size_t>(i)])
                continue;
            ++checked;
            ASSERT_NEAR(c.gain[static_cast<size_t>(i)], 0.0, 0.1) << rate << " bin " << i;
            ASSERT_NEAR(c.phase[static_cast<size_t>(i)], 0.0, 1.0) << rate << " bin " << i;
        }
        EXPECT_GT(checked, c.count / 2) << rate;
    }
}

TEST(MechanismModel, OwnTransformAndLibraryAgree)
{
    SimDrive::MechanismModel model;
    model.resonanceHz = 500;
    const Curve own = Measure(model, 10000);
    const Curve lib = Measure(model, 8000);
    int compared = 0;
    for (int i = 0; i < lib.count && lib.freq[static_cast<size_t>(i)] < 2000; ++i) {
        const double f = lib.freq[static_cast<size_t>(i)];
        const double pos = f / (own.freq[1] - own.freq[0]);
        const auto k = static_cast<size_t>(pos);
        const double t = pos - static_cast<double>(k);
        const double g = own.gain[k] * (1 - t) + own.gain[k + 1] * t;
        EXPECT_NEAR(lib.gain[static_cast<size_t>(i)], g, 0.5) << f << " Hz";
        ++compared;
    }
    EXPECT_GT(compared, 400);
}

TEST(MechanismModel, ResponseIsUnityAwayFromTheResonance)
{
    SimDrive::MechanismModel model;
    model.resonanceHz = 500;
    model.peakGain = 10;
    EXPECT_NEAR(std::abs(SimDrive::MechanismResponse(model, 0)), 1.0, 1e-12);
    EXPECT_NEAR(std::abs(SimDrive::MechanismResponse(model, 500)), 10.0, 1e-9);
    EXPECT_NEAR(std::abs(SimDrive::MechanismResponse(model, 5)), 1.0, 0.01);
    EXPECT_EQ(SimDrive::MechanismResponse(SimDrive::MechanismModel{}, 123.0), std::complex<double>(1.0));
}
