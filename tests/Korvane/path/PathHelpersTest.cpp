#include "PathHelpers.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Touch(const QString &path, const QByteArray &data = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

struct ProgramDirGuard {
    explicit ProgramDirGuard(const QString &dir) { SetProgramDir(dir); }
    ~ProgramDirGuard() { SetProgramDir(QString()); }
};

TEST(PathCut, ParentDirectory)
{
    const struct {
        const char *in, *out;
    } cases[] = {
        {"/a/b", "/a"}, {"/a/b/", "/a"}, {"/a", ""}, {"/", ""}, {"a/", "a"}, {"abc", "abc"},
        {"rel/dir/file.txt", "rel/dir"}, {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(GetParentDirectory(c.in), QString(c.out));
    }
}

TEST(PathCut, DirectoryOfPath)
{
    const struct {
        const char *in, *out;
    } cases[] = {
        {"C:\\a/b.txt", "C:\\a"}, {"C:/a\\b.txt", "C:/a"}, {"/x/y/z.csv", "/x/y"},
        {"b.txt", ""}, {"/top", ""}, {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(GetDirectoryOfPath(c.in), QString(c.out));
    }
}

TEST(ProgramDir, DefaultsToTheExecutableAndCanBeOverridden)
{
    EXPECT_EQ(GetProgramDir(), QCoreApplication::applicationDirPath());
    {
        ProgramDirGuard guard("/opt/korvane/bin/");
        EXPECT_EQ(GetProgramDir(), "/opt/korvane/bin");
        EXPECT_EQ(GetModulePath(), "/opt/korvane/bin/");
        EXPECT_EQ(GetModulePath("config\\setting.ini"), "/opt/korvane/bin/config/setting.ini");
        EXPECT_EQ(GetModulePath("Bug.log"), "/opt/korvane/bin/Bug.log");
    }
    EXPECT_EQ(GetProgramDir(), QCoreApplication::applicationDirPath());
}

TEST(ProgramDir, HistoryFolderIsCreatedOnDemand)
{
    QTemporaryDir dir;
    {
        ProgramDirGuard guard(dir.path());
        const QString history = GetHistoryDataDir();
        EXPECT_EQ(history, dir.path() + "/ScopeData/History");
        EXPECT_TRUE(QFileInfo(history).isDir());
        EXPECT_EQ(GetHistoryDataDir(), history);  // present: returned as it is
    }
    Touch(dir.filePath("plainfile"));
    ProgramDirGuard blocked(dir.filePath("plainfile"));
    EXPECT_EQ(GetHistoryDataDir(), QString());
}

TEST(DirectoryTree, CreateFollowsTrailingSeparatorRule)
{
    QTemporaryDir dir;
    const QString b = dir.path();
    EXPECT_TRUE(CreateDirectoryTree(b + "/x/y"));
    EXPECT_TRUE(QFileInfo(b + "/x").isDir());
    EXPECT_FALSE(QFileInfo::exists(b + "/x/y"));
    EXPECT_TRUE(CreateDirectoryTree(b + "/p/q/"));
    EXPECT_TRUE(QFileInfo(b + "/p/q").isDir());
    EXPECT_TRUE(CreateDirectoryTree(b + "/p/q/"));  // existing: still fine
    Touch(b + "/file");
    EXPECT_FALSE(CreateDirectoryTree(b + "/file/sub/"));
}

TEST(DirectoryTree, EnsureCreatesEveryLevel)
{
    QTemporaryDir dir;
    const QString b = dir.path();
    EXPECT_TRUE(EnsureDirectory(b + "/x/y"));
    EXPECT_TRUE(QFileInfo(b + "/x/y").isDir());
    EXPECT_TRUE(EnsureDirectory("  " + b + "\\m\\n  "));  // trimmed, backslashes as separators
    EXPECT_TRUE(QFileInfo(b + "/m/n").isDir());
    EXPECT_TRUE(EnsureDirectory(b + "/x/y"));
    EXPECT_FALSE(EnsureDirectory("   "));
    Touch(b + "/afile");
    EXPECT_FALSE(EnsureDirectory(b + "/afile"));  // a file is no directory
    EXPECT_FALSE(EnsureDirectory(b + "/afile/below"));
}

TEST(DirectoryTree, MakeDirectoryRecursive)
{
    QTemporaryDir dir;
    EXPECT_FALSE(MakeDirectoryRecursive(""));
    EXPECT_FALSE(MakeDirectoryRecursive("noslash"));
    EXPECT_TRUE(MakeDirectoryRecursive(dir.path() + "/a/b/c"));
    EXPECT_TRUE(QFileInfo(dir.path() + "/a/b/c").isDir());
    EXPECT_TRUE(MakeDirectoryRecursive(dir.path() + "/a/b/c"));
}

class DeleteTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.isValid() && outside.isValid());
        SetProgramDir(program.path());
        Touch(outside.filePath("keep/precious.txt"));
        Touch(outside.filePath("lonely.txt"));
        tree = program.filePath("logs/old");
        Touch(tree + "/a.log");
        Touch(tree + "/sub/deeper/b.log");
        // Links out of the tree must be removed, never followed.
        QFile::link(outside.filePath("keep"), tree + "/sub/linkdir");
        QFile::link(outside.filePath("lonely.txt"), tree + "/linkfile");
        QFile::link(outside.filePath("gone"), tree + "/dangling");
        // A name longer than any fixed buffer of old.
        const QString longName(240, u'n');
        Touch(tree + "/" + longName + "/" + longName + "/" + longName + "/f");
    }
    void TearDown() override { SetProgramDir(QString()); }

    void ExpectOutsideIntact()
    {
        EXPECT_TRUE(QFile::exists(outside.filePath("keep/precious.txt")));
        EXPECT_TRUE(QFile::exists(outside.filePath("lonely.txt")));
    }

    QTemporaryDir program, outside;
    QString tree;
};

TEST_F(DeleteTree, RemovesEverythingButNeverFollowsLinks)
{
    EXPECT_TRUE(DeleteDirectoryTree(tree));
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_TRUE(QFileInfo(program.filePath("logs")).isDir());
    ExpectOutsideIntact();
}

TEST_F(DeleteTree, EmptyKeepsTheDirectoryItself)
{
    EXPECT_TRUE(EmptyDirectory(program.filePath("logs")));
    EXPECT_TRUE(QFileInfo(program.filePath("logs")).isDir());
    EXPECT_TRUE(QDir(program.filePath("logs")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    ExpectOutsideIntact();
}

TEST_F(DeleteTree, RefusesUnsafeBases)
{
    QFile::link(outside.path(), program.filePath("outlink"));
    QFile::link(tree, program.filePath("inlink"));
    const QString cases[] = {
        "",
        "   ",
        program.path(),                               // the program's own directory
        program.path() + "/",
        outside.path(),                               // outside the program's tree
        program.filePath("logs/old/../../.."),        // climbs out
        program.filePath("outlink"),                  // a link out of the tree
        program.filePath("inlink"),                   // a link, even to inside
        program.filePath("outlink/keep"),             // through a link out of the tree
        program.filePath("logs/old/a.log"),           // not a directory
        program.filePath("nothing"),
    };
    for (const QString &c : cases) {
        SCOPED_TRACE(c.toStdString());
        EXPECT_FALSE(DeleteDirectoryTree(c));
        EXPECT_FALSE(EmptyDirectory(c));
    }
    EXPECT_TRUE(QFile::exists(tree + "/a.log"));
    ExpectOutsideIntact();
}

TEST_F(DeleteTree, RelativePathsAreTakenFromTheProgramDirectory)
{
    EXPECT_TRUE(DeleteDirectoryTree("logs/old"));
    EXPECT_FALSE(QFileInfo::exists(tree));
}

TEST(DeleteTreeUnknownProgram, RefusedWithoutAProgramDirectory)
{
    QTemporaryDir dir;
    Touch(dir.filePath("d/f"));
    SetProgramDir(dir.filePath("missing"));
    EXPECT_FALSE(DeleteDirectoryTree(dir.filePath("d")));
    SetProgramDir(QString());
    EXPECT_TRUE(QFile::exists(dir.filePath("d/f")));
}

TEST(Conversions, GbkRoundTrip)
{
    const QString texts[] = {
        QString::fromUtf8("参数初始化失败"),
        QString::fromUtf8("Halvex伺服调试软件 P0608 = 12,（全角）【写入成功】"),
        QString::fromUtf8("ASCII only\t\r\n"),
        QString(),
    };
    for (const QString &t : texts) {
        SCOPED_TRACE(t.toStdString());
        EXPECT_EQ(AnsiToCString(CStringToAnsi(t)), t);
    }
    EXPECT_EQ(CStringToAnsi(QString::fromUtf8("中文")), std::string("\xD6\xD0\xCE\xC4"));
    EXPECT_EQ(AnsiToCString("\xB7\xFE\xCE\xF1"), QString::fromUtf8("服务"));
}

TEST(Conversions, GbkReplacesWhatItCannotHold)
{
    EXPECT_EQ(CStringToAnsi(QString::fromUtf8("a한b")), "a?b");
    EXPECT_EQ(CStringToAnsi(QString::fromUtf8("x😀y")), "x?y");
    // A lone lead byte at the end is no character.
    EXPECT_EQ(AnsiToCString("ok\xD6"), QString::fromUtf8("ok\xEF\xBF\xBD"));
}

TEST(Conversions, Utf8AndWide)
{
    EXPECT_EQ(WideToUtf8(L"伺服"), "\xE4\xBC\xBA\xE6\x9C\x8D");
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(CStringToUtf8(QString::fromUtf8("伺服 A")), "\xE4\xBC\xBA\xE6\x9C\x8D A");
    EXPECT_EQ(Utf8ToCString("\xE4\xBC\xBA"), QString::fromUtf8("伺"));
    EXPECT_EQ(Utf8ToCString(nullptr), QString());
    EXPECT_EQ(Utf8ToWide("\xE4\xBC\xBA\xE6\x9C\x8D"), std::wstring(L"伺服"));
}

TEST(Others, SplitUpperWords)
{
    EXPECT_EQ(SplitUpperWords("  a  bc "), (std::vector<QString>{"A", "BC"}));
    EXPECT_EQ(SplitUpperWords("--loglevel=Warning x"),
              (std::vector<QString>{"--LOGLEVEL=WARNING", "X"}));
    EXPECT_TRUE(SplitUpperWords("   ").empty());
}

TEST(Others, ClipboardTakesPlainText)
{
    CopyTextToClipboard(QString::fromUtf8("P0608\t伺服"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("P0608\t伺服"));
    CopyTextToClipboard(QString());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
}

}
