#include "AnalysisFixture.h"

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <vector>

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// The weight a window gives sample n of N, written from the textbook definitions.
long double windowWeight(int window, int n, int N)
{
    const long double c = std::cos(2 * kPi * n / N);
    switch (window) {
    case 2:
        return 0.5L * (1 - c);
    case 3:
        return 0.54L - 0.46L * c;
    default:
        return 1;
    }
}

// Single-sided amplitude 2/N * |X[k]| of the mean-removed, windowed samples, by the plain sum
// in long double.
class ReferenceDft {
public:
    ReferenceDft(const std::vector<double>& x, int window) : m_N(static_cast<int>(x.size()))
    {
        long double mean = 0;
        for (double v : x)
            mean += v;
        mean /= m_N;
        for (int n = 0; n < m_N; ++n) {
            m_samples.push_back((x[n] - mean) * windowWeight(window, n, m_N));
            const long double angle = -2 * kPi * n / m_N;
            m_twiddle.emplace_back(std::cos(angle), std::sin(angle));
        }
    }
    double amplitude(int k) const
    {
        std::complex<long double> sum = 0;
        for (int n = 0; n < m_N; ++n)
            sum += m_samples[n] * m_twiddle[(static_cast<long long>(k) * n) % m_N];
        return static_cast<double>(2 * std::abs(sum) / m_N);
    }

private:
    int m_N;
    std::vector<long double> m_samples;
    std::vector<std::complex<long double>> m_twiddle;
};

// All bins of small sizes; of large ones the ends and a spread between.
std::vector<int> binsToCheck(int N)
{
    std::vector<int> bins;
    for (int k = 1; k <= N / 2; ++k) {
        if (N <= 64 || k <= 12 || k > N / 2 - 12 || k % 61 == 0)
            bins.push_back(k);
    }
    return bins;
}

struct Signal {
    const char* name;
    std::function<double(int n, int N)> sample;
};

const Signal kSignals[] = {
    {"sine at a bin centre", [](int n, int N) { return 3.0 * std::sin(2 * M_PI * 5 * n / N + 0.7); }},
    {"sine between bins",
     [](int n, int N) { return 2.5 * std::cos(2 * M_PI * 2.37 * n / N - 1.1) + 40.0; }},
    {"DC", [](int, int) { return 7.25; }},
    {"impulse", [](int n, int) { return n == 3 ? 2.0 : 0.0; }},
    {"two tones and noise-like samples",
     [](int n, int N) {
         return std::sin(2 * M_PI * (N / 4 - 1) * n / N) + 0.3 * std::cos(0.37 * n * n) - 5.0;
     }},
};

} // namespace

// Every window and every size (both below and above the sizes the vector paths take) against
// the plain sum.
TEST_F(AnalysisTest, SpectrumMatchesThePlainDft)
{
    for (int window : {1, 2, 3, 7}) {
        for (int N : {8, 16, 32, 64, 512, 4096}) {
            for (const Signal& signal : kSignals) {
                SCOPED_TRACE(testing::Message() << signal.name << ", window " << window << ", N " << N);
                std::vector<double> x(N);
                for (int n = 0; n < N; ++n)
                    x[n] = signal.sample(n, N);
                std::vector<double> freq(N, -1.0), amp(N, -1.0);
                int count = -1;
                plotix::setSampleWindow(window);
                ASSERT_EQ(plotix::getSpectrumGraph(x.data(), N, 1000.0, freq.data(), amp.data(), count),
                          plotix::kOk);
                ASSERT_EQ(count, N / 2);
                EXPECT_EQ(freq[N / 2], -1.0);
                EXPECT_EQ(amp[N / 2], -1.0);
                const ReferenceDft dft(x, window);
                for (int k : binsToCheck(N))
                    EXPECT_NEAR(amp[k - 1], dft.amplitude(k), 1e-11) << "bin " << k;
                for (int i = 0; i < N / 2; ++i)
                    EXPECT_DOUBLE_EQ(freq[i], (i + 1) * 1000.0 / N);
            }
        }
    }
}

TEST_F(AnalysisTest, SpectrumOfOneCosinePeriod)
{
    const double A = 1.75;
    std::vector<double> x(8);
    for (int n = 0; n < 8; ++n)
        x[n] = A * std::cos(2 * M_PI * n / 8);
    std::vector<double> freq(4), amp(4);
    int count = 0;
    plotix::setSampleWindow(1);
    ASSERT_EQ(plotix::getSpectrumGraph(x.data(), 8, 800.0, freq.data(), amp.data(), count), plotix::kOk);
    EXPECT_EQ(count, 4);
    EXPECT_DOUBLE_EQ(freq[0], 100.0);
    EXPECT_NEAR(amp[0], A, 1e-14);
    for (int i = 1; i < 4; ++i)
        EXPECT_NEAR(amp[i], 0.0, 1e-14);
}

// A constant is all mean: nothing is left in any bin, whatever the window.
TEST_F(AnalysisTest, ConstantInputGivesZeroBins)
{
    for (int window : {1, 2, 3}) {
        std::vector<double> x(1024, -123.5), freq(512), amp(512);
        int count = 0;
        plotix::setSampleWindow(window);
        ASSERT_EQ(plotix::getSpectrumGraph(x.data(), 1024, 1.0, freq.data(), amp.data(), count),
                  plotix::kOk);
        for (double a : amp)
            EXPECT_EQ(a, 0.0);
    }
}

TEST_F(AnalysisTest, UnknownWindowIsRectangular)
{
    std::vector<double> x(64);
    for (int n = 0; n < 64; ++n)
        x[n] = std::sin(2 * M_PI * 3.3 * n / 64);
    std::vector<double> f(32), rect(32), other(32);
    int count = 0;
    plotix::setSampleWindow(1);
    plotix::getSpectrumGraph(x.data(), 64, 1.0, f.data(), rect.data(), count);
    for (int window : {0, 4, 5, 6, 7, 8, 9, -3}) {
        SCOPED_TRACE(window);
        plotix::setSampleWindow(window);
        stderrOf([&] { plotix::getSpectrumGraph(x.data(), 64, 1.0, f.data(), other.data(), count); });
        EXPECT_EQ(other, rect);
    }
}

TEST_F(AnalysisTest, SpectrumRefusesBadArguments)
{
    std::vector<double> x(4096, 1.0), freq(4096, -1.0), amp(4096, -1.0);
    struct Case {
        const char* name;
        const double* input;
        int points;
        double* f;
        double* a;
    };
    const Case cases[] = {
        {"null input", nullptr, 8, freq.data(), amp.data()},
        {"null freq", x.data(), 8, nullptr, amp.data()},
        {"null amp", x.data(), 8, freq.data(), nullptr},
        {"points 0", x.data(), 0, freq.data(), amp.data()},
        {"points -8", x.data(), -8, freq.data(), amp.data()},
        {"points 4097", x.data(), 4097, freq.data(), amp.data()},
        {"points 8192", x.data(), 8192, freq.data(), amp.data()},
        // The butterflies over any other count do not form a Fourier transform.
        {"points 3", x.data(), 3, freq.data(), amp.data()},
        {"points 1000", x.data(), 1000, freq.data(), amp.data()},
        {"points 4095", x.data(), 4095, freq.data(), amp.data()},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        int count = -7;
        int result = 0;
        stderrOf([&] { result = plotix::getSpectrumGraph(tc.input, tc.points, 1.0, tc.f, tc.a, count); });
        EXPECT_EQ(result, plotix::kBadArgument);
        EXPECT_EQ(count, -7);
        EXPECT_EQ(freq[0], -1.0);
        EXPECT_EQ(amp[0], -1.0);
    }
}

TEST_F(AnalysisTest, SpectrumOfOneSampleIsEmpty)
{
    const double x = 5.0;
    double freq = -1.0, amp = -1.0;
    int count = -7;
    EXPECT_EQ(plotix::getSpectrumGraph(&x, 1, 1.0, &freq, &amp, count), plotix::kOk);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(freq, -1.0);
    EXPECT_EQ(amp, -1.0);
}
