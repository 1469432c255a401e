// The settings file and the result files of the mechanism analysis.
#include "Wnds/auxFunction/MaFiles.h"
#include "support/FileBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <memory>

namespace {

using testfiles::ReadAll;
using testfiles::WriteAll;

class MaFilesTest : public ::testing::Test {
protected:
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

}

TEST(MaLeadingNumbers, ReadAsTheCLibraryDoes)
{
    struct Case {
        const char *text;
        int i;
        double d;
    } cases[] = {{"12.9", 12, 12.9}, {"-3.7", -3, -3.7}, {"  42abc", 42, 42}, {"abc", 0, 0},
                 {"", 0, 0},         {"+7", 7, 7},       {".5", 0, 0.5},      {"1e2", 1, 100}};
    for (const Case &c : cases) {
        EXPECT_EQ(MaLeadingInt(QString::fromLatin1(c.text)), c.i) << c.text;
        EXPECT_DOUBLE_EQ(MaLeadingDouble(QString::fromLatin1(c.text)), c.d) << c.text;
    }
}

TEST_F(MaFilesTest, SettingsTruncateTowardZeroInTheCLocale)
{
    // A user locale with a decimal comma must not change what is written or read.
    const char *old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const QString path = Path("MechanismAnalysis.ini");
    ASSERT_TRUE(SaveMaSettings(path, QStringLiteral("12.9"), QStringLiteral("-3.7"), QStringLiteral("16")));
    EXPECT_EQ(ReadAll(path), QByteArray("12\r\n-3\r\n16\r\n"));
    MaSettings s;
    ASSERT_TRUE(LoadMaSettings(path, s));
    EXPECT_EQ(s.nAmplitude, 12);
    EXPECT_EQ(s.nOffset, -3);
    EXPECT_EQ(s.nSmoothing, 16);
    if (old)
        std::setlocale(LC_NUMERIC, old);
}

TEST_F(MaFilesTest, SettingsMissingOrShort)
{
    MaSettings s{5, 6, 7};
    EXPECT_FALSE(LoadMaSettings(Path("none.ini"), s));
    EXPECT_EQ(s.nAmplitude, 5);
    WriteAll(Path("short.ini"), "30\n");
    ASSERT_TRUE(LoadMaSettings(Path("short.ini"), s));
    EXPECT_EQ(s.nAmplitude, 30);
    EXPECT_EQ(s.nOffset, 0);
    EXPECT_EQ(s.nSmoothing, 0);
    EXPECT_FALSE(SaveMaSettings(Path("no/such/dir/x.ini"), "1", "2", "3"));
}

TEST_F(MaFilesTest, ResultRoundTrip)
{
    auto r = std::make_unique<MaResult>();
    r->nSampleRate = 8000;
    r->nAmplitude = 12;
    r->nOffset = -20;
    r->nCount = 3;
    r->dGainMax = 6.5;
    r->dGainMin = -12.25;
    r->dPhaseMax = 170;
    r->dPhaseMin = -179.5;
    r->dStopGain = -3.5;
    r->dStopFreq = 812.5;
    for (int i = 0; i < 3; ++i) {
        r->freq[i] = 3.90625 * (i + 1);
        r->phase[i] = -10.5 * i;
        r->gain[i] = 0.125 * i;
    }
    const QString path = Path("r.msf");
    ASSERT_TRUE(SaveMsfFile(path, *r));
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.startsWith("8000\r\n12\r\n-20\r\n3\r\n6.500000\r\n-12.250000\r\n170.000000\r\n"));
    EXPECT_TRUE(text.contains("-3.500000\t812.500000\r\n3.906250\t0.000000\t0.000000\r\n"));
    auto back = std::make_unique<MaResult>();
    ASSERT_EQ(LoadMsfFile(path, *back), MsfLoad::Ok);
    EXPECT_EQ(back->nSampleRate, 8000);
    EXPECT_EQ(back->nOffset, -20);
    EXPECT_EQ(back->nCount, 3);
    EXPECT_DOUBLE_EQ(back->dStopFreq, 812.5);
    EXPECT_DOUBLE_EQ(back->freq[2], 11.71875);
    EXPECT_DOUBLE_EQ(back->phase[2], -21);
    EXPECT_DOUBLE_EQ(back->gain[1], 0.125);
}

TEST_F(MaFilesTest, EmptyResultHasNineLines)
{
    auto r = std::make_unique<MaResult>();
    r->nSampleRate = 16000;
    ASSERT_TRUE(SaveMsfFile(Path("e.msf"), *r));
    EXPECT_EQ(ReadAll(Path("e.msf")).count("\r\n"), 9);
    auto back = std::make_unique<MaResult>();
    EXPECT_EQ(LoadMsfFile(Path("e.msf"), *back), MsfLoad::Ok);
    EXPECT_EQ(back->nCount, 0);
}

TEST_F(MaFilesTest, MalformedResultsLeaveTheTargetAlone)
{
    const QByteArray header = "16000\n10\n20\n";
    struct Case {
        const char *name;
        QByteArray body;
    } cases[] = {
        {"count above the arrays", header + "5000\n1\n2\n3\n4\n5\t6\n"},
        {"negative count", header + "-1\n1\n2\n3\n4\n5\t6\n"},
        {"short of its points", header + "2\n1\n2\n3\n4\n5\t6\n1\t2\t3\n4\t5\n"},
        {"short header", "16000\n10\n"},
        {"not a number", header + "1\n1\nx\n3\n4\n5\t6\n1\t2\t3\n"},
        {"nan in the header", header + "1\nnan\n2\n3\n4\n5\t6\n1\t2\t3\n"},
        {"inf in a point", header + "1\n1\n2\n3\n4\n5\t6\n1\tinf\t3\n"},
        {"text behind a number", header + "1\n1\n2\n3\n4\n5\t6\n1\t2x\t3\n"},
    };
    for (const Case &c : cases) {
        WriteAll(Path("bad.msf"), c.body);
        auto r = std::make_unique<MaResult>();
        r->nCount = 77;
        EXPECT_EQ(LoadMsfFile(Path("bad.msf"), *r), MsfLoad::Malformed) << c.name;
        EXPECT_EQ(r->nCount, 77) << c.name;
    }
    auto r = std::make_unique<MaResult>();
    EXPECT_EQ(LoadMsfFile(Path("missing.msf"), *r), MsfLoad::CannotOpen);
}
