#include "AnalysisFixture.h"

#include <vector>

namespace {

struct Curve {
    const char* name;
    std::vector<double> x;
    std::vector<double> y;
    double ratio;
    std::vector<double> expected;
};

// Each output is the mean of the inputs whose x lies within +-ratio % of its own x.
const Curve kCurves[] = {
    // [98, 102], [98.98, 103.02], [100.94, 105.06], [107.8, 112.2]
    {"uneven axis", {100, 101, 103, 110}, {1, 2, 4, 8}, 2.0, {1.5, 7.0 / 3.0, 3.0, 8.0}},
    // Bounds are inclusive: 100 + 2 % is exactly 102, 102 - 2 % is 99.96.
    {"point on the edge", {100, 102}, {1, 5}, 2.0, {3.0, 3.0}},
    {"edge at the largest ratio", {100, 125, 126}, {2, 4, 100}, 25.0, {3.0, 106.0 / 3.0, 106.0 / 3.0}},
    // x = 0 has the window [0, 0]: the mean over all points exactly at 0.
    {"zero x", {0, 5, 0}, {1, 9, 3}, 10.0, {2.0, 9.0, 2.0}},
    // A negative x has lo > hi: nothing qualifies, the input stays.
    {"negative x", {-10, -10.5, -9.5}, {4, 6, 8}, 10.0, {4, 6, 8}},
    // The axis need not be sorted; every point scans the whole curve.
    {"unsorted axis", {200, 50, 199, 51}, {1, 10, 3, 20}, 2.0, {2, 15, 2, 15}},
    // Phases are averaged as plain numbers, across the wrap at +-180 too.
    {"phase across the wrap", {1000, 1001}, {179, -179}, 1.0, {0, 0}},
    // Ratios outside (0, 25] are reported and then used as given.
    {"ratio 0", {10, 10, 11}, {1, 2, 3}, 0.0, {1.5, 1.5, 3.0}},
    {"negative ratio", {10, 11}, {1, 2}, -5.0, {1, 2}},
    {"ratio just over 25", {100, 125.0000001}, {2, 4}, 25.0 + 2e-9, {2, 3}},
    {"ratio 50", {100, 150, 250}, {2, 4, 9}, 50.0, {3, 3, 6.5}},
};

} // namespace

TEST_F(AnalysisTest, SmoothOneCurve)
{
    for (const Curve& c : kCurves) {
        SCOPED_TRACE(c.name);
        const std::vector<double> yBefore = c.y;
        std::vector<double> out(c.y.size() + 1, -77.0);
        int result = -1;
        stderrOf([&] {
            result = plotix::smooth(c.x.data(), c.y.data(), out.data(), static_cast<int>(c.x.size()), c.ratio);
        });
        ASSERT_EQ(result, plotix::kOk);
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_DOUBLE_EQ(out[i], c.expected[i]) << i;
        EXPECT_EQ(out.back(), -77.0);
        EXPECT_EQ(c.y, yBefore);
    }
}

// The Bode form smooths gain and phase over the same axis, each as the one-curve form would.
TEST_F(AnalysisTest, SmoothGainAndPhaseTogether)
{
    for (const Curve& c : kCurves) {
        SCOPED_TRACE(c.name);
        const int n = static_cast<int>(c.x.size());
        std::vector<double> phase(n);
        for (int i = 0; i < n; ++i)
            phase[i] = 3.0 * c.y[n - 1 - i] - 1.0;
        std::vector<double> expectedPhase(n), gainFlt(n), phaseFlt(n);
        int result = -1;
        stderrOf([&] {
            plotix::smooth(c.x.data(), phase.data(), expectedPhase.data(), n, c.ratio);
            result = plotix::smooth(c.x.data(), c.y.data(), phase.data(), n, c.ratio, gainFlt.data(),
                                    phaseFlt.data());
        });
        ASSERT_EQ(result, plotix::kOk);
        for (int i = 0; i < n; ++i) {
            EXPECT_DOUBLE_EQ(gainFlt[i], c.expected[i]) << i;
            EXPECT_DOUBLE_EQ(phaseFlt[i], expectedPhase[i]) << i;
        }
    }
}

TEST_F(AnalysisTest, RatioLimitsAreReportedOnlyOutsideTheRange)
{
    const double x[] = {100, 110};
    const double y[] = {1, 2};
    double out[2];
    struct Case {
        double ratio;
        bool reported;
    };
    for (Case tc : {Case{1e-12, false}, Case{1.0, false}, Case{25.0, false}, Case{25.0 + 5e-10, false},
                    Case{25.0 + 2e-9, true}, Case{0.0, true}, Case{-1.0, true}, Case{100.0, true}}) {
        SCOPED_TRACE(tc.ratio);
        const std::string err = stderrOf([&] { plotix::smooth(x, y, out, 2, tc.ratio); });
        EXPECT_EQ(!err.empty(), tc.reported) << err;
        double g[2], p[2];
        const std::string err7 = stderrOf([&] { plotix::smooth(x, y, y, 2, tc.ratio, g, p); });
        EXPECT_EQ(!err7.empty(), tc.reported) << err7;
    }
}

TEST_F(AnalysisTest, SmoothWritesNothingWithoutPoints)
{
    const double x[] = {1, 2};
    const double y[] = {3, 4};
    for (int count : {0, -1, -1000}) {
        double out[2] = {-5, -5};
        double g[2] = {-5, -5}, p[2] = {-5, -5};
        EXPECT_EQ(plotix::smooth(x, y, out, count, 10.0), plotix::kOk);
        EXPECT_EQ(plotix::smooth(x, y, y, count, 10.0, g, p), plotix::kOk);
        EXPECT_EQ(out[0], -5);
        EXPECT_EQ(g[0], -5);
        EXPECT_EQ(p[0], -5);
    }
}

TEST_F(AnalysisTest, SmoothRefusesNullArraysAndWritesNothing)
{
    const double x[] = {1, 2};
    const double y[] = {3, 4};
    double out[2] = {-5, -5}, g[2] = {-5, -5}, p[2] = {-5, -5};
    stderrOf([&] {
        EXPECT_EQ(plotix::smooth(x, y, nullptr, 2, 10.0), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(nullptr, y, out, 2, 10.0), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(x, nullptr, out, 2, 10.0), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(x, y, y, 2, 10.0, g, nullptr), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(x, y, y, 2, 10.0, nullptr, p), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(x, y, nullptr, 2, 10.0, g, p), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(x, nullptr, y, 2, 10.0, g, p), plotix::kBadArgument);
        EXPECT_EQ(plotix::smooth(nullptr, y, y, 2, 10.0, g, p), plotix::kBadArgument);
    });
    EXPECT_EQ(out[0], -5);
    EXPECT_EQ(g[0], -5);
    EXPECT_EQ(p[0], -5);
}
