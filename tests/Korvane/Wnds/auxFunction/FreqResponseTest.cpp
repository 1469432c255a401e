// The sweep table, the 4096-point transform and the built-in frequency response.
#include "Wnds/auxFunction/FreqResponse4096.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

int SignChanges(const std::int16_t *v, int n)
{
    int changes = 0;
    int last = 0;
    for (int i = 0; i < n; ++i) {
        if (v[i] == 0)
            continue;
        const int s = v[i] > 0 ? 1 : -1;
        changes += last != 0 && s != last;
        last = s;
    }
    return changes;
}

void SetResponse(const std::function<double(int)> &f)
{
    for (int i = 0; i < kMaPoints; ++i)
        MaResponseRecord()[i] = f(i);
}

struct Response {
    std::vector<double> freq = std::vector<double>(kMaBins);
    std::vector<double> gain = std::vector<double>(kMaBins);
    std::vector<double> phase = std::vector<double>(kMaBins);
    int count = 0;
    int result = -1;
};

Response Compute()
{
    Response r;
    r.result = ComputeFrequencyResponse4096(r.phase.data(), &r.count, r.gain.data(), r.freq.data());
    return r;
}

}

TEST(MaSweepTable, StartsAndEndsAsTheDrivePlaysIt)
{
    const std::int16_t first[] = {0, 3, 9, 18, 31, 47, 66, 88, 113, 141, 173, 207};
    const std::int16_t last[] = {3019, -3004, 2989, -2978, 2967, -2961, 2954, -2952};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(g_MaSweepTable[i], first[i]) << i;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g_MaSweepTable[kMaPoints - 8 + i], last[i]) << i;
    EXPECT_EQ(SignChanges(g_MaSweepTable, kMaPoints), 2047);
    int lo = 0;
    int hi = 0;
    for (int i = 0; i < kMaPoints; ++i) {
        lo = std::min<int>(lo, g_MaSweepTable[i]);
        hi = std::max<int>(hi, g_MaSweepTable[i]);
    }
    EXPECT_GE(lo, -4096);
    EXPECT_LE(hi, 4095);
}

TEST(MaSweepTable, FollowsTheChirpFromZeroToHalfTheRate)
{
    // The first part tracks 4096·sin(pi·n(n+1)/8192), whose frequency (2n+1)/16384 of the
    // rate rises from 0 to one half.
    for (int n = 0; n < 3000; ++n)
        EXPECT_NEAR(g_MaSweepTable[n], 4096.0 * std::sin(std::numbers::pi * n * (n + 1) / 8192.0), 1.01) << n;
    // Its energy covers the whole band up to half the rate: no bin below it is left empty.
    std::vector<std::complex<double>> x(kMaPoints);
    for (int i = 0; i < kMaPoints; ++i)
        x[static_cast<size_t>(i)] = g_MaSweepTable[i];
    Fft4096(x.data());
    for (int k = 20; k < kMaBins - 20; ++k)
        EXPECT_GT(std::abs(x[static_cast<size_t>(k)]), 1000.0) << k;
}

TEST(MaExcitation, ScalesTruncatesAndOffsets)
{
    BuildExcitationSignal(4096, 0);
    for (int i = 0; i < kMaPoints; ++i)
        ASSERT_EQ(MaExcitationBuffer()[i], g_MaSweepTable[i]) << i;
    // 3 · 0.5 + 0.5 = 2.0, and the first negative table value -2952 · 0.5 + 0.5 = -1475.5 → -1475.
    BuildExcitationSignal(2048, 0.5);
    EXPECT_EQ(MaExcitationBuffer()[1], 2.0);
    EXPECT_EQ(MaExcitationBuffer()[kMaPoints - 1], -1475.0);
    double out[kMaPoints];
    BuildExcitationInto(10, 20, out);
    EXPECT_EQ(out[0], 20.0);
    EXPECT_EQ(out[kMaPoints - 1], std::trunc(-2952 * 10 / 4096.0 + 20));
}

TEST(MaTransform, MatchesADirectFourierTransform)
{
    std::vector<std::complex<double>> x(kMaPoints);
    for (int i = 0; i < kMaPoints; ++i)
        x[static_cast<size_t>(i)] = {std::sin(0.37 * i) + 0.001 * i, std::cos(0.011 * i * i) * 0.5};
    std::vector<std::complex<double>> fast = x;
    Fft4096(fast.data());
    // The transform takes 2·pi as 6.2831852, so compare at the tolerance that gives.
    for (int k : {0, 1, 7, 240, 1024, 2047, 2048, 3000, 4095}) {
        std::complex<double> sum = 0;
        for (int n = 0; n < kMaPoints; ++n)
            sum += x[static_cast<size_t>(n)] *
                   std::polar(1.0, -2.0 * std::numbers::pi * double(k) * n / kMaPoints);
        EXPECT_NEAR(fast[static_cast<size_t>(k)].real(), sum.real(), 1e-3 * (1 + std::abs(sum))) << k;
        EXPECT_NEAR(fast[static_cast<size_t>(k)].imag(), sum.imag(), 1e-3 * (1 + std::abs(sum))) << k;
    }
}

TEST(MaTransform, BitReversalSwapsEachPairOnce)
{
    std::vector<std::complex<double>> x(kMaPoints);
    for (int i = 0; i < kMaPoints; ++i)
        x[static_cast<size_t>(i)] = i;
    FftBitReverse4096(x.data());
    EXPECT_EQ(x[1].real(), 2048);
    EXPECT_EQ(x[2].real(), 1024);
    EXPECT_EQ(x[3].real(), 3072);
    EXPECT_EQ(x[4095].real(), 4095);
    FftBitReverse4096(x.data());
    for (int i = 0; i < kMaPoints; ++i)
        ASSERT_EQ(x[static_cast<size_t>(i)].real(), i);
}

TEST(MaResponse, TenTimesTheExcitationIsZeroDecibelsAndZeroDegrees)
{
    SetMaSampleRate(16000);
    BuildExcitationSignal(50, 20);
    SetResponse([](int i) { return 10.0 * MaExcitationBuffer()[i]; });
    const Response r = Compute();
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.count, kMaBins);
    EXPECT_EQ(r.freq[0], 0.0);
    EXPECT_DOUBLE_EQ(r.freq[2047], 7996.09375);
    for (int k = 0; k < kMaBins; ++k) {
        EXPECT_NEAR(r.gain[k], 0.0, 1e-6) << k;
        EXPECT_NEAR(r.phase[k], 0.0, 1e-3) << k;
    }
}

TEST(MaResponse, EmptyBinsReadTheFloorNotInfinity)
{
    SetMaSampleRate(10000);
    for (int i = 0; i < kMaPoints; ++i)
        MaExcitationBuffer()[i] = 0;
    SetResponse([](int i) { return std::sin(0.1 * i); });
    Response r = Compute();
    for (int k = 0; k < kMaBins; ++k) {
        ASSERT_EQ(r.gain[k], kMaFloorGainDb) << k;
        ASSERT_EQ(r.phase[k], 0.0) << k;
    }
    BuildExcitationSignal(10, 0);
    SetResponse([](int) { return 0.0; });
    r = Compute();
    for (int k = 0; k < kMaBins; ++k) {
        ASSERT_TRUE(std::isfinite(r.gain[k]));
        ASSERT_EQ(r.phase[k], 0.0);
    }
}

TEST(MaResponse, PhaseDifferencesWrapIntoHalfATurn)
{
    // One tone on bin 5: the excitation at +170 degrees, the response at -170 degrees, and the
    // other way round.
    SetMaSampleRate(16000);
    const double pi = std::numbers::pi;
    struct Case {
        double x, y, expected;
    } cases[] = {{170, -170, 20}, {-170, 170, -20}, {10, 40, 30}};
    for (const Case &c : cases) {
        for (int i = 0; i < kMaPoints; ++i) {
            MaExcitationBuffer()[i] = std::cos(2 * pi * 5 * i / kMaPoints + c.x * pi / 180);
            MaResponseRecord()[i] = 10 * std::cos(2 * pi * 5 * i / kMaPoints + c.y * pi / 180);
        }
        const Response r = Compute();
        EXPECT_NEAR(r.phase[5], c.expected, 1e-3) << c.x << " " << c.y;
        EXPECT_NEAR(r.gain[5], 0.0, 1e-6);
    }
}

TEST(MaSamples, AreLittleEndianSigned)
{
    std::vector<unsigned char> raw(kMaRecordBytes, 0);
    raw[0] = 0x00;
    raw[1] = 0x80;
    raw[2] = 0xFF;
    raw[3] = 0x7F;
    raw[4] = 0xFF;
    raw[5] = 0xFF;
    ConvertMaSamples(raw.data());
    EXPECT_EQ(MaResponseRecord()[0], -32768);
    EXPECT_EQ(MaResponseRecord()[1], 32767);
    EXPECT_EQ(MaResponseRecord()[2], -1);
    EXPECT_EQ(MaResponseRecord()[3], 0);
}

TEST(MaMultisine, LineAmplitudeByRate)
{
    EXPECT_DOUBLE_EQ(MaMultisineLineAmplitude(10, 4000), 100 * std::sqrt(2.0 / 512));
    EXPECT_DOUBLE_EQ(MaMultisineLineAmplitude(10, 5000), 100 * std::sqrt(2.0 / 512));
    EXPECT_DOUBLE_EQ(MaMultisineLineAmplitude(10, 8000), 100 * std::sqrt(2.0 / 1024));
    EXPECT_EQ(MaMultisineLineAmplitude(10, 16000), 0.0);
    EXPECT_EQ(MaMultisineLineAmplitude(10, 7000), 0.0);
}
