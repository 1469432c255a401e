#include "AnalysisFixture.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

using ::testing::HasSubstr;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string commandOutput(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t got;
        while ((got = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, got);
        pclose(p);
    }
    return out;
}

// Arguments of one getBodeGraph call; defaults make a valid 8 kHz call.
struct BodeCall {
    std::vector<double> input = std::vector<double>(4096);
    std::vector<double> freq = std::vector<double>(4096, -1.0);
    std::vector<double> gain = std::vector<double>(4096, -1.0);
    std::vector<double> phase = std::vector<double>(4096, -1.0);
    const double* in = nullptr;
    double* f = nullptr;
    double* g = nullptr;
    double* p = nullptr;
    int points = 2048;
    double fs = 8000.0;
    int count = -7;

    BodeCall()
    {
        for (size_t i = 0; i < input.size(); ++i)
            input[i] = std::sin(0.3 * static_cast<double>(i)) + 0.5;
        in = input.data();
        f = freq.data();
        g = gain.data();
        p = phase.data();
    }
    int run() { return plotix::getBodeGraph(in, points, fs, f, g, p, count); }
    bool outputsUntouched() const
    {
        return count == -7 && freq[0] == -1.0 && gain[0] == -1.0 && phase[0] == -1.0;
    }
};

} // namespace

TEST(Exports, GlobalEntryPoints)
{
    EXPECT_EQ(fnplotix(), 42);
    EXPECT_EQ(nplotix, 0);
}

TEST(Exports, LibraryExportsExactlyTheInterface)
{
    const std::string out = commandOutput(std::string("nm -DC --defined-only '") + PLOTIX_LIBRARY + "'");
    ASSERT_FALSE(out.empty());
    std::set<std::string> names;
    size_t at = 0;
    while (at < out.size()) {
        size_t end = out.find('\n', at);
        if (end == std::string::npos)
            end = out.size();
        const std::string line = out.substr(at, end - at);
        at = end + 1;
        // "<address> <type> <name>"
        const size_t first = line.find(' ');
        const size_t second = line.find(' ', first + 1);
        if (first != std::string::npos && second != std::string::npos)
            names.insert(line.substr(second + 1));
    }
    const std::set<std::string> expected = {
        "fnplotix()",
        "nplotix",
        "plotix::getBodeGraph(double const*, int, double, double*, double*, double*, int&)",
        "plotix::getSpectrumGraph(double const*, int, double, double*, double*, int&)",
        "plotix::saveAnalyzedData(char const*)",
        "plotix::setSampleWindow(int)",
        "plotix::setSpeedAmplitude(double const*, int)",
        "plotix::setSpeedAmplitude(double)",
        "plotix::smooth(double const*, double const*, double const*, int, double, double*, double*)",
        "plotix::smooth(double const*, double const*, double*, int, double)",
    };
    EXPECT_EQ(names, expected);
}

TEST(Exports, ProgramLoadsTheLibraryAtStart)
{
    const std::string out = commandOutput(std::string("readelf -d '") + KORVANE_EXE + "'");
    EXPECT_THAT(out, HasSubstr("(NEEDED)"));
    EXPECT_THAT(out, HasSubstr("[libplotix_d.so]"));
}

TEST_F(AnalysisTest, BodeGraphWithoutAmplitudeReturns6AndWritesNothing)
{
    BodeCall call;
    EXPECT_EQ(call.run(), plotix::kNoReferenceAmplitude);
    EXPECT_TRUE(call.outputsUntouched());
}

// Whatever the outcome of the graph that uses it, an amplitude is good for one graph only.
TEST_F(AnalysisTest, OneAmplitudeAllowsExactlyOneBodeGraph)
{
    struct Case {
        const char* name;
        std::function<void(BodeCall&)> change;
        int expected;
    };
    const Case cases[] = {
        {"valid call", [](BodeCall&) {}, plotix::kOk},
        {"null freq", [](BodeCall& c) { c.f = nullptr; }, plotix::kBadArgument},
        {"unsupported rate", [](BodeCall& c) { c.fs = 7999.0; }, plotix::kBadArgument},
        {"too few points", [](BodeCall& c) { c.points = 100; }, plotix::kBadArgument},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        plotix::setSpeedAmplitude(1.0);
        BodeCall first;
        tc.change(first);
        EXPECT_EQ(first.run(), tc.expected);
        BodeCall second;
        EXPECT_EQ(second.run(), plotix::kNoReferenceAmplitude);
        EXPECT_TRUE(second.outputsUntouched());
    }
}

TEST_F(AnalysisTest, BadBodeArgumentsReturn5AndLeaveCountAlone)
{
    struct Case {
        const char* name;
        std::function<void(BodeCall&)> change;
        double reference;
    };
    const Case cases[] = {
        {"null input", [](BodeCall& c) { c.in = nullptr; }, 1.0},
        {"null gain", [](BodeCall& c) { c.g = nullptr; }, 1.0},
        {"null phase", [](BodeCall& c) { c.p = nullptr; }, 1.0},
        {"points 0", [](BodeCall& c) { c.points = 0; }, 1.0},
        {"points -1", [](BodeCall& c) { c.points = -1; }, 1.0},
        {"points 4097", [](BodeCall& c) { c.points = 4097; }, 1.0},
        {"rate 7999", [](BodeCall& c) { c.fs = 7999.0; }, 1.0},
        {"rate 0", [](BodeCall& c) { c.fs = 0.0; }, 1.0},
        {"rate -8000", [](BodeCall& c) { c.fs = -8000.0; }, 1.0},
        {"rate NaN", [](BodeCall& c) { c.fs = kNaN; }, 1.0},
        {"rate inf", [](BodeCall& c) { c.fs = kInf; }, 1.0},
        {"rate 1e12", [](BodeCall& c) { c.fs = 1e12; }, 1.0},
        // The transform of 8 kHz reads 2048 samples: never past a shorter array.
        {"one sample short", [](BodeCall& c) { c.points = 2047; }, 1.0},
        {"16 kHz with 2048 points", [](BodeCall& c) { c.fs = 16000.0; }, 1.0},
        {"4 kHz with 1023 points", [](BodeCall& c) { c.fs = 4000.0, c.points = 1023; }, 1.0},
        // Gains relative to no amplitude have no finite value.
        {"reference 0", [](BodeCall&) {}, 0.0},
        {"reference -2", [](BodeCall&) {}, -2.0},
        {"reference NaN", [](BodeCall&) {}, kNaN},
        {"reference inf", [](BodeCall&) {}, kInf},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        plotix::setSpeedAmplitude(tc.reference);
        BodeCall call;
        tc.change(call);
        testing::internal::CaptureStderr();
        EXPECT_EQ(call.run(), plotix::kBadArgument);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(call.count, -7);
        EXPECT_EQ(call.freq[0], -1.0);
        EXPECT_EQ(call.gain[0], -1.0);
    }
}

TEST_F(AnalysisTest, RateIsTruncatedToTheTableRate)
{
    struct Case {
        double fs;
        int points;
        int count;
    };
    const Case cases[] = {{8000.9, 2048, 1024}, {4000.0, 1024, 512}, {5000.99, 4096, 512},
                          {6000.0, 2048, 1024}, {10000.5, 4096, 2048}, {16000.0, 4096, 2048}};
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.fs);
        plotix::setSpeedAmplitude(1.0);
        BodeCall call;
        call.fs = tc.fs;
        call.points = tc.points;
        ASSERT_EQ(call.run(), plotix::kOk);
        EXPECT_EQ(call.count, tc.count);
        // Exactly count outputs.
        EXPECT_NE(call.freq[tc.count - 1], -1.0);
        EXPECT_EQ(call.freq[tc.count], -1.0);
        EXPECT_EQ(call.gain[tc.count], -1.0);
        EXPECT_EQ(call.phase[tc.count], -1.0);
        EXPECT_DOUBLE_EQ(call.freq[0], tc.fs / (2 * tc.count));
    }
}

TEST_F(AnalysisTest, ArrayAmplitudeRefusesBadArraysAndKeepsTheFlag)
{
    const double amplitude[] = {2.0, 99.0};
    struct Case {
        const char* name;
        const double* array;
        int count;
        int expected;
    };
    const Case cases[] = {
        {"null", nullptr, 1, plotix::kBadArgument},
        {"count 0", amplitude, 0, plotix::kBadArgument},
        {"count -1", amplitude, -1, plotix::kBadArgument},
        {"count 4097", amplitude, 4097, plotix::kBadArgument},
        {"count 1", amplitude, 1, plotix::kOk},
        {"count 4096", amplitude, 4096, plotix::kOk},  // only the first value is read
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        for (bool flagBefore : {false, true}) {
            consumeAmplitude();
            if (flagBefore)
                plotix::setSpeedAmplitude(1.0);
            EXPECT_EQ(plotix::setSpeedAmplitude(tc.array, tc.count), tc.expected);
            const bool flagAfter = tc.expected == plotix::kOk || flagBefore;
            BodeCall call;
            EXPECT_EQ(call.run(), flagAfter ? plotix::kOk : plotix::kNoReferenceAmplitude);
        }
    }
}

TEST_F(AnalysisTest, ArrayAmplitudeUsesItsFirstValue)
{
    BodeCall viaDouble;
    plotix::setSpeedAmplitude(4.0);
    ASSERT_EQ(viaDouble.run(), plotix::kOk);
    const double amplitude[] = {4.0, 1e6, 1e-6};
    BodeCall viaArray;
    ASSERT_EQ(plotix::setSpeedAmplitude(amplitude, 3), plotix::kOk);
    ASSERT_EQ(viaArray.run(), plotix::kOk);
    EXPECT_EQ(viaArray.gain, viaDouble.gain);
    // A zero first value is stored as given; the graph then refuses it.
    const double zero[] = {0.0, 1.0};
    EXPECT_EQ(plotix::setSpeedAmplitude(zero, 2), plotix::kOk);
    BodeCall refused;
    EXPECT_EQ(refused.run(), plotix::kBadArgument);
}

TEST_F(AnalysisTest, ViolatedPreconditionsAreReportedAndTheCallGoesOn)
{
    std::vector<double> x(4096, 1.0), a(4096), b(4096), c(4096);
    int count = 0;
    struct Case {
        const char* name;
        std::function<int()> call;
        int expected;
        std::vector<std::string> reports;
    };
    const Case cases[] = {
        {"spectrum null input",
         [&] { return plotix::getSpectrumGraph(nullptr, 8, 1.0, a.data(), b.data(), count); },
         plotix::kBadArgument, {"NULL != input"}},
        {"spectrum points 0",
         [&] { return plotix::getSpectrumGraph(x.data(), 0, 1.0, a.data(), b.data(), count); },
         plotix::kBadArgument, {"(points > 0) && (points <= FFT_MAX_PNTS)"}},
        {"bode null input and bad points",
         [&] {
             plotix::setSpeedAmplitude(1.0);
             return plotix::getBodeGraph(nullptr, 5000, 8000.0, a.data(), b.data(), c.data(), count);
         },
         plotix::kBadArgument, {"NULL != input", "(points > 0) && (points <= FFT_MAX_PNTS)"}},
        {"unknown window 0",
         [&] {
             plotix::setSampleWindow(0);
             return plotix::getSpectrumGraph(x.data(), 8, 1.0, a.data(), b.data(), count);
         },
         plotix::kOk, {"NULL"}},
        {"unknown window 9",
         [&] {
             plotix::setSampleWindow(9);
             return plotix::getSpectrumGraph(x.data(), 8, 1.0, a.data(), b.data(), count);
         },
         plotix::kOk, {"NULL"}},
        {"smooth null arrays",
         [&] { return plotix::smooth(nullptr, nullptr, nullptr, 3, 5.0); },
         plotix::kBadArgument, {"NULL != xv", "NULL != yin", "NULL != yout"}},
        {"smooth ratio 0",
         [&] { return plotix::smooth(x.data(), x.data(), a.data(), 3, 0.0); },
         plotix::kOk, {"(ratio > 0.) && (ratio < (25. + EPSILON))"}},
        {"smooth Bode null arrays and ratio 26",
         [&] { return plotix::smooth(nullptr, nullptr, nullptr, 3, 26.0, nullptr, nullptr); },
         plotix::kBadArgument,
         {"NULL != freq", "NULL != gain", "NULL != phase", "NULL != gainFlt", "NULL != phaseFlt",
          "(ratio > 0.) && (ratio < (25. + EPSILON))"}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        int result = -1;
        const std::string err = stderrOf([&] { result = tc.call(); });
        EXPECT_EQ(result, tc.expected);
        for (const std::string& expression : tc.reports)
            EXPECT_THAT(err, HasSubstr("assertion failed: " + expression + " (FFT, line "));
        size_t lines = 0;
        for (char ch : err)
            lines += ch == '\n';
        EXPECT_EQ(lines, tc.reports.size()) << err;
    }
}

TEST_F(AnalysisTest, ValidCallsReportNothing)
{
    std::vector<double> x(4096), a(4096), b(4096), c(4096);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = std::cos(0.01 * static_cast<double>(i * i));
    int count = 0;
    const std::string err = stderrOf([&] {
        for (int window = 1; window <= 8; ++window) {
            plotix::setSampleWindow(window);
            plotix::getSpectrumGraph(x.data(), 4096, 1000.0, a.data(), b.data(), count);
            plotix::setSpeedAmplitude(1.0);
            plotix::getBodeGraph(x.data(), 4096, 16000.0, a.data(), b.data(), c.data(), count);
        }
        plotix::smooth(a.data(), b.data(), c.data(), 100, 25.0);
        plotix::smooth(a.data(), b.data(), c.data(), 100, 1e-9, x.data(), x.data() + 100);
    });
    EXPECT_EQ(err, "");
}
