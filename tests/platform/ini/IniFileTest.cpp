#include "platform/IniFile.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

using testfiles::WriteAll;

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const char kFixture[] =
    "\xEF\xBB\xBF; settings of the program\n"
    "[Setting]\n"
    "Language = ChineseT\n"
    "Quoted=\"  spaced  \"\n"
    "Single='x'\n"
    "Half=\"abc\n"
    "Mixed=\"abc'\n"
    "Empty=\n"
    "Num=12abc\n"
    "Neg=-5\n"
    "Plus=+7\n"
    "Hex=0x1F\n"
    "Alpha=abc\n"
    "Big=4294967295\n"
    "Spaces=  42  \n"
    "QuotedNum=\"15\"\n"
    "Dup=first\n"
    "dup=second\n"
    "[setting]\n"
    "Other=in a later copy\n"
    "[Path]\n"
    "Recipe=C:\\data\\recipes\n"
    "  Padded Key  =  padded value  \n"
    "NoEquals\n"
    "=novalue\n"
    ";Commented=yes\n"
    "Eq=a=b\n"
    "[中文]\n"
    "名称=伺服\n";

class IniRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("fixture.ini");
        WriteAll(path, kFixture);
    }
    QTemporaryDir dir;
    QString path;
};

struct StringCase {
    const char *section, *key, *expected;
};

TEST_F(IniRead, StringsFollowProfileRules)
{
    const StringCase cases[] = {
        {"Setting", "Language", "ChineseT"},      // trimmed around '='
        {"SETTING", "language", "ChineseT"},      // case-insensitive section and key
        {"Setting", "Quoted", "  spaced  "},      // one pair of quotes stripped, inside kept
        {"Setting", "Single", "x"},
        {"Setting", "Half", "\"abc"},             // unmatched quote kept
        {"Setting", "Mixed", "\"abc'"},
        {"Setting", "Empty", ""},                 // present but empty: not the default
        {"Setting", "Dup", "first"},              // first match wins
        {"Setting", "Other", "<def>"},            // only the first copy of a section counts
        {"Path", "Recipe", "C:\\data\\recipes"},  // backslashes are data
        {"Path", "Padded Key", "padded value"},
        {"Path", "NoEquals", "<def>"},
        {"Path", ";Commented", "<def>"},
        {"Path", "Eq", "a=b"},                    // split at the first '='
        {"中文", "名称", "伺服"},
        {"Setting", "Missing", "<def>"},
        {"Nowhere", "Language", "<def>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(IniFile::GetString(path, QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                     "<def>"),
                  QString::fromUtf8(c.expected));
    }
}

TEST_F(IniRead, IntegersReadLeadingDigits)
{
    const struct {
        const char *key;
        int expected;
    } cases[] = {
        {"Num", 12}, {"Neg", -5}, {"Plus", 7}, {"Hex", 31}, {"Alpha", 0}, {"Big", -1},
        {"Spaces", 42}, {"QuotedNum", 15}, {"Language", 0},
        {"Empty", 99},    // empty value gives the default
        {"Missing", 99},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(IniFile::GetInt(path, "Setting", c.key, 99), c.expected);
    }
}

TEST_F(IniRead, ObjectFormListsSectionsAndKeys)
{
    IniFile ini(path);
    EXPECT_EQ(ini.SectionNames(), (QStringList{"Setting", "Path", "中文"}));
    EXPECT_EQ(ini.KeyNames("path"), (QStringList{"Recipe", "Padded Key", "Eq"}));
    EXPECT_TRUE(ini.HasKey("setting", "DUP"));
    EXPECT_FALSE(ini.HasKey("Path", "NoEquals"));
}

TEST(IniReadMissing, MissingOrEmptyFileGivesDefaults)
{
    QTemporaryDir dir;
    EXPECT_EQ(IniFile::GetString(dir.filePath("none.ini"), "A", "B", "dflt"), "dflt");
    EXPECT_EQ(IniFile::GetInt(dir.filePath("none.ini"), "A", "B", -3), -3);
    EXPECT_EQ(IniFile::GetString(QString(), "A", "B", "dflt"), "dflt");
    IniFile ini;
    EXPECT_FALSE(ini.Load(dir.filePath("none.ini")));
    EXPECT_EQ(ini.Read("A", "B", "d"), "d");
}

struct WriteCase {
    const char *name;
    const char *before;  // nullptr: no file
    const char *section, *key, *value;
    const char *after;
};

TEST(IniWrite, WritesChangeOnlyWhatTheyConcern)
{
    const WriteCase cases[] = {
        {"replace keeps the rest byte for byte",
         "; top\n[A]\nx = 1\ny=2\n\n[B]\nx=3\n", "A", "X", "9",
         "; top\n[A]\nx=9\ny=2\n\n[B]\nx=3\n"},
        {"new key goes to the end of its section, before blank lines",
         "[A]\nx=1\n\n\n[B]\nz=3\n", "a", "new", "v",
         "[A]\nx=1\nnew=v\n\n\n[B]\nz=3\n"},
        {"new key in the last section",
         "[A]\nx=1\n[B]\nz=3\n", "B", "w", "4",
         "[A]\nx=1\n[B]\nz=3\nw=4\n"},
        {"new section at the end",
         "[A]\nx=1\n", "C", "k", "v",
         "[A]\nx=1\n[C]\nk=v\n"},
        {"file without a last line end",
         "[A]\nx=1", "A", "y", "2",
         "[A]\nx=1\ny=2\n"},
        {"CR LF files stay CR LF",
         "[A]\r\nx=1\r\n", "A", "y", "2",
         "[A]\r\nx=1\r\ny=2\r\n"},
        {"only the first copy of a section is written",
         "[A]\nx=1\n[a]\ny=2\n", "A", "y", "3",
         "[A]\nx=1\ny=3\n[a]\ny=2\n"},
        {"a missing file is created",
         nullptr, "Setting", "Language", "ChineseS",
         "[Setting]\r\nLanguage=ChineseS\r\n"},
        {"an empty value is written as such",
         "[A]\nx=1\n", "A", "x", "",
         "[A]\nx=\n"},
        {"non-UTF-8 bytes elsewhere survive",
         "[A]\nname=\xC3\xFB\xB3\xC6\nx=1\n", "A", "x", "2",
         "[A]\nname=\xC3\xFB\xB3\xC6\nx=2\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("w.ini");
        if (c.before)
            WriteAll(path, c.before);
        EXPECT_TRUE(IniFile::WriteString(path, c.section, c.key, c.value));
        EXPECT_EQ(ReadAll(path), QByteArray(c.after));
        EXPECT_EQ(IniFile::GetString(path, c.section, c.key, "<def>"), QString(c.value));
        // Written through a temporary file: nothing else is left in the folder.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"w.ini"});
    }
}

TEST(IniWrite, NeverCreatesAMissingDirectory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/dir/x.ini");
    EXPECT_FALSE(IniFile::WriteString(path, "A", "b", "c"));
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
}

TEST(IniWrite, UnreadableTargetIsNotReplaced)
{
    QTemporaryDir dir;
    const QString asDir = dir.filePath("dir.ini");
    ASSERT_TRUE(QDir().mkdir(asDir));
    EXPECT_FALSE(IniFile::WriteString(asDir, "A", "y", "2"));
    EXPECT_TRUE(QFileInfo(asDir).isDir());
}

TEST(IniWrite, UnreadableFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.ini");
    WriteAll(path, "[A]\nx=1\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    EXPECT_FALSE(IniFile::WriteString(path, "A", "y", "2"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadAll(path), QByteArray("[A]\nx=1\n"));
}

TEST(IniWrite, IntegersAndDeletions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("d.ini");
    WriteAll(path, "[A]\nx=1\ny=2\n[B]\nz=3\n");
    EXPECT_TRUE(IniFile::WriteInt(path, "A", "x", -42));
    EXPECT_TRUE(IniFile::DeleteKey(path, "a", "Y"));
    EXPECT_TRUE(IniFile::DeleteSection(path, "b"));
    EXPECT_EQ(ReadAll(path), QByteArray("[A]\nx=-42\n"));
}

TEST(IniWrite, ObjectFormSavesManyChangesAtOnce)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath("o.ini"));
    ini.Write("S", "a", "1");
    ini.Write("S", "b", "2");
    ini.Write("T", "c", "3");
    ini.Write("s", "A", "4");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadAll(dir.filePath("o.ini")), QByteArray("[S]\r\na=4\r\nb=2\r\n[T]\r\nc=3\r\n"));
}

TEST(IniWrite, ConcurrentWritersKeepEveryChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("c.ini");
    auto writer = [&](const char *section) {
        for (int i = 0; i < 50; ++i)
            IniFile::WriteInt(path, section, QString("k%1").arg(i), i);
    };
    std::thread a(writer, "A"), b(writer, "B");
    a.join();
    b.join();
    const IniFile ini(path);
    EXPECT_EQ(ini.KeyNames("A").size(), 50);
    EXPECT_EQ(ini.KeyNames("B").size(), 50);
}

TEST(IniPaths, BackslashesAreNormalisedOnRequest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    WriteAll(path, "[Path]\nRecipePath=C:\\a\\b\\\n");
    EXPECT_EQ(IniFile::GetPath(path, "Path", "RecipePath"), "C:/a/b/");
    EXPECT_EQ(IniFile::NormalizePath("config\\Scope\\scope.ini"), "config/Scope/scope.ini");
}

}

namespace {

// One-shot reads keep the parsed file; a write through the class, or an edit behind it that
// changes the size or the modification time, makes the next read see the file as it is.
TEST(IniCache, EditsBehindTheCacheAndWritesAreSeen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cached.ini");
    WriteAll(path, "[S]\nK=one\n");
    EXPECT_EQ(IniFile::GetString(path, "s", "k"), QString("one"));

    WriteAll(path, "[S]\nK=three\n");  // another size
    EXPECT_EQ(IniFile::GetString(path, "S", "K"), QString("three"));

    WriteAll(path, "[S]\nK=thrEE\n");  // the same size: only the time tells
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(IniFile::GetString(path, "S", "K"), QString("thrEE"));

    EXPECT_TRUE(IniFile::WriteString(path, "S", "K", "four"));
    EXPECT_EQ(IniFile::GetString(path, "S", "K"), QString("four"));
    EXPECT_TRUE(IniFile::DeleteKey(path, "S", "K"));
    EXPECT_EQ(IniFile::GetString(path, "S", "K", "gone"), QString("gone"));

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(IniFile::GetString(path, "S", "K", "no file"), QString("no file"));
    WriteAll(path, "[S]\nK=back\n");
    EXPECT_EQ(IniFile::GetString(path, "S", "K"), QString("back"));
}

}
