#include "AnalysisFixture.h"

#include "FFT/ExcitationPhases.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kHeader =
    "index     frequency    gain        inPhase       otPhase       RealPart      ImagPart\r";
constexpr size_t kLineLength = 4 + 10 + 5 * 14 + 1;

class DumpTest : public AnalysisTest {
protected:
    void SetUp() override
    {
        AnalysisTest::SetUp();
        char pattern[] = "/tmp/plotix-dump-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        AnalysisTest::TearDown();
        fs::remove_all(dir);
    }

    static std::string read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // A Bode graph at `rate` of tones (bin, amplitude, measured phase in radians).
    static int bode(int rate, const std::vector<std::tuple<int, double, double>>& tones)
    {
        const int count = plotix::excitationTable(rate)->count;
        const int n = 2 * count;
        std::vector<double> x(n, 0.0);
        for (const auto& [bin, amplitude, phase] : tones) {
            for (int t = 0; t < n; ++t)
                x[t] += amplitude * std::cos(2 * M_PI * ((bin * t) % n) / n + phase);
        }
        std::vector<double> f(count), g(count), p(count);
        int written = 0;
        plotix::setSampleWindow(1);
        plotix::setSpeedAmplitude(1.0);
        return plotix::getBodeGraph(x.data(), n, rate, f.data(), g.data(), p.data(), written);
    }

    static std::string line(const std::string& dump, int k)
    {
        return dump.substr(kHeader.size() + (k - 1) * kLineLength, kLineLength);
    }

    fs::path dir;
};

} // namespace

TEST_F(DumpTest, ExactLayout)
{
    const fs::path path = dir / "bode.txt";
    plotix::saveAnalyzedData(path.c_str());
    const double excitation = plotix::excitationTable(4000)->phases[2];
    ASSERT_EQ(bode(4000, {{3, 2.0, excitation}}), plotix::kOk);
    const std::string dump = read(path);

    ASSERT_EQ(dump.size(), kHeader.size() + 512 * kLineLength + 2);
    EXPECT_EQ(dump.substr(0, kHeader.size()), kHeader);
    // CR ends every line; the file ends in CR CR LF and holds no other LF.
    EXPECT_EQ(dump.substr(dump.size() - 3), "\r\r\n");
    EXPECT_EQ(dump.find('\n'), dump.size() - 1);
    for (int k = 1; k <= 512; ++k) {
        const std::string l = line(dump, k);
        ASSERT_EQ(l.back(), '\r') << k;
        ASSERT_EQ(std::stoi(l.substr(0, 4)), k);
    }
    // The excited bin: frequency 11.72 Hz, 2 against a reference of 1, measured phase equal to
    // the excitation's 0.02927 rad.
    EXPECT_EQ(line(dump, 3),
              "   3        12         6.021         1.677         1.677         1.999         0.059\r");
    // Frequencies are rounded half away from zero: 16 * 3.90625 = 62.5.
    EXPECT_EQ(line(dump, 16).substr(0, 14), "  16        63");
    EXPECT_EQ(line(dump, 1).substr(0, 14), "   1         4");
    EXPECT_EQ(line(dump, 1).substr(28, 14), "       172.676");  // the table's 3.01376 rad
    EXPECT_EQ(line(dump, 512).substr(0, 14), " 512      2000");
}

// An angle within 1e-9 rad below 2*pi counts as 0; one further below does not.
TEST_F(DumpTest, AngleJustBelowTwoPiIsZero)
{
    const fs::path path = dir / "bode.txt";
    plotix::saveAnalyzedData(path.c_str());
    ASSERT_EQ(bode(8000, {{5, 1.0, -1e-12}, {9, 1.0, -1e-6}}), plotix::kOk);
    const std::string dump = read(path);
    EXPECT_EQ(line(dump, 5).substr(42, 14), "         0.000");
    EXPECT_EQ(line(dump, 9).substr(42, 14), "       360.000");
}

TEST_F(DumpTest, EveryGraphRewritesTheFile)
{
    const fs::path path = dir / "bode.txt";
    plotix::saveAnalyzedData(path.c_str());
    ASSERT_EQ(bode(16000, {{3, 1.0, 0.0}}), plotix::kOk);
    EXPECT_EQ(fs::file_size(path), kHeader.size() + 2048 * kLineLength + 2);
    ASSERT_EQ(bode(5000, {{3, 1.0, 0.0}}), plotix::kOk);
    EXPECT_EQ(fs::file_size(path), kHeader.size() + 512 * kLineLength + 2);
}

TEST_F(DumpTest, FailedGraphWritesNoDump)
{
    const fs::path path = dir / "bode.txt";
    plotix::saveAnalyzedData(path.c_str());
    std::vector<double> x(4096, 1.0), f(2048), g(2048), p(2048);
    int count = 0;
    plotix::setSpeedAmplitude(1.0);
    EXPECT_EQ(plotix::getBodeGraph(x.data(), 4096, 7000.0, f.data(), g.data(), p.data(), count),
              plotix::kBadArgument);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(plotix::getBodeGraph(x.data(), 4096, 4000.0, f.data(), g.data(), p.data(), count),
              plotix::kNoReferenceAmplitude);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(DumpTest, EmptyNameStopsTheDump)
{
    const fs::path path = dir / "bode.txt";
    plotix::saveAnalyzedData(path.c_str());
    ASSERT_EQ(bode(4000, {{3, 1.0, 0.0}}), plotix::kOk);
    ASSERT_TRUE(fs::exists(path));
    fs::remove(path);
    plotix::saveAnalyzedData("");
    ASSERT_EQ(bode(4000, {{3, 1.0, 0.0}}), plotix::kOk);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(DumpTest, UnwritableDumpDoesNotStopTheGraph)
{
    plotix::saveAnalyzedData((dir / "missing" / "bode.txt").c_str());
    EXPECT_EQ(bode(4000, {{3, 1.0, 0.0}}), plotix::kOk);
}

// A name holds at most 259 characters; a longer one is refused and the previous one stays.
TEST_F(DumpTest, OverlongNameIsRefused)
{
    const std::string prefix = dir.string() + "/";
    const std::string longest = prefix + std::string(259 - prefix.size(), 'a');
    const std::string tooLong = prefix + std::string(260 - prefix.size(), 'b');
    ASSERT_EQ(longest.size(), 259u);

    plotix::saveAnalyzedData(longest.c_str());
    plotix::saveAnalyzedData(tooLong.c_str());
    plotix::saveAnalyzedData(std::string(100000, 'c').c_str());
    ASSERT_EQ(bode(4000, {{3, 1.0, 0.0}}), plotix::kOk);
    EXPECT_TRUE(fs::exists(longest));
    EXPECT_FALSE(fs::exists(tooLong));
    plotix::saveAnalyzedData(nullptr);  // no name at all: ignored too
    fs::remove(longest);
    ASSERT_EQ(bode(4000, {{3, 1.0, 0.0}}), plotix::kOk);
    EXPECT_TRUE(fs::exists(longest));
}
