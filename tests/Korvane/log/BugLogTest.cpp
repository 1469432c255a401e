#include "PathHelpers.h"
#include "TraceLog.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>

namespace {

class BugLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramDir(dir.path());
    }
    void TearDown() override { SetProgramDir(QString()); }
    QStringList Lines(const QString &name = "Bug.log") const
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split("\r\n");
    }
    QTemporaryDir dir;
    const CBugLogContext ctx{"Wnds\\DiDo\\DlgDiDoSet", 128, "CDlgDiDoSet::ReSizeCtrl"};
};

TEST_F(BugLog, EntryHasSixLines)
{
    WriteBugLog(ctx, L"GetClientRect %d, %d", 800, 600);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 7);  // six lines, each ended by CR LF
    EXPECT_EQ(lines[0], "");
    EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8("时间:")));
    static const QRegularExpression time(
        "^(Sun|Mon|Tues|Wednes|Thurs|Fri|Satur)day, [A-Z][a-z]+ [0-3][0-9], [0-9]{4} "
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]$");
    EXPECT_TRUE(time.match(lines[1].mid(3)).hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QString::fromUtf8("文件:Wnds\\DiDo\\DlgDiDoSet"));
    EXPECT_EQ(lines[3], QString::fromUtf8("行号:128"));
    EXPECT_EQ(lines[4], QString::fromUtf8("函数:CDlgDiDoSet::ReSizeCtrl"));
    EXPECT_EQ(lines[5], QString::fromUtf8("内容:GetClientRect 800, 600"));
    EXPECT_EQ(lines[6], "");
}

TEST_F(BugLog, EntriesAreSeparatedByAnEmptyLine)
{
    WriteBugLog(ctx, L"one");
    WriteBugLog(ctx, L"two");
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[5], QString::fromUtf8("内容:one"));
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[11], QString::fromUtf8("内容:two"));
}

TEST_F(BugLog, SmallFormatter)
{
    const struct {
        const wchar_t *format;
        const char *expected;
    } noArgs[] = {
        {L"100%% done", "100% done"},
        {L"odd %x letter", "odd %x letter"},
        {L"trailing %", "trailing %"},
        {L"", ""},
    };
    for (const auto &c : noArgs) {
        QFile::remove(dir.filePath("Bug.log"));
        WriteBugLog(ctx, c.format);
        EXPECT_EQ(Lines().value(5), QString::fromUtf8("内容:") + QString::fromUtf8(c.expected));
    }
    QFile::remove(dir.filePath("Bug.log"));
    WriteBugLog(ctx, L"%c|%s|%d|%s", L'中', L"宽字符", -5, static_cast<const wchar_t *>(nullptr));
    EXPECT_EQ(Lines().value(5), QString::fromUtf8("内容:中|宽字符|-5|"));
}

TEST_F(BugLog, ContextNamesTheFile)
{
    const CBugLogContext other{"Wnds\\x", 1, "f", "Other.log"};
    WriteBugLogText(other, "text");
    EXPECT_EQ(Lines("Other.log").value(5), QString::fromUtf8("内容:text"));
    EXPECT_FALSE(QFile::exists(dir.filePath("Bug.log")));
}

TEST_F(BugLog, UnopenableFileLosesTheEntrySilently)
{
    SetProgramDir(dir.filePath("missing"));
    WriteBugLog(ctx, L"lost");
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/Bug.log")));
}

TEST(BugLogTime, LongDateAndTime)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 3;
    t.tm_wday = 2;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    EXPECT_EQ(FormatBugLogTime(t), "Tuesday, March 03, 2026 14:05:09");
}

}
