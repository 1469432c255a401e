#include "PathHelpers.h"
#include "TraceLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}

// Contents of the regular files in `dir` whose names start with `prefix`.
QString FilesStartingWith(const QString &dir, const QString &prefix)
{
    QString all;
    for (const QFileInfo &fi : QDir(dir).entryInfoList({prefix + "*"}, QDir::Files)) {
        if (fi.isSymLink())
            continue;
        QFile f(fi.filePath());
        if (f.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(f.readAll());
    }
    return all;
}

// glog can be started once per process: every set-up runs in a child process of its own.
class LoggingSetUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.isValid() && elsewhere.isValid());
        logs = program.filePath("logs");
        Touch(logs + "/Info.old.log");
        Touch(logs + "/sub/deeper/x.log");
        Touch(elsewhere.filePath("keep/precious.txt"));
        QFile::link(elsewhere.filePath("keep"), logs + "/link");
        Touch(program.filePath("beside.txt"));
    }

    void RunInChild(int level, google::LogSeverity severity, const char *message)
    {
        const QString programDir = program.path();
        const std::string defaultDir = elsewhere.filePath("default").toStdString();
        QDir().mkpath(QString::fromStdString(defaultDir));
        EXPECT_EXIT(
            {
                SetProgramDir(programDir);
                FLAGS_log_dir = defaultDir;  // keeps glog's default files out of /tmp
                InitLogging(level);
                google::LogMessage("Wnds\\scope\\DlgScope", 42, severity).stream() << message;
                KLOG("TX\\SeriesPort") << "through the source-path stream";
                google::FlushLogFiles(google::INFO);
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "");
    }

    void ExpectOldContentGone()
    {
        EXPECT_TRUE(QFileInfo(logs).isDir());
        EXPECT_FALSE(QFileInfo::exists(logs + "/Info.old.log"));
        EXPECT_FALSE(QFileInfo::exists(logs + "/sub"));
        EXPECT_FALSE(QFileInfo(logs + "/link").isSymLink());
        EXPECT_TRUE(QFile::exists(elsewhere.filePath("keep/precious.txt")));
        EXPECT_TRUE(QFile::exists(program.filePath("beside.txt")));
    }

    QTemporaryDir program, elsewhere;
    QString logs;
};

TEST_F(LoggingSetUp, EachLevelWritesItsOwnFileIntoLogs)
{
    const struct {
        int level;
        google::LogSeverity severity;
        const char *prefix;
    } cases[] = {
        {kLogInfo, google::GLOG_INFO, "Info"},
        {kLogWarning, google::GLOG_WARNING, "Warning"},
        {kLogError, google::GLOG_ERROR, "Error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.prefix);
        SetUp();  // fresh leftovers for every level
        const std::string message = std::string("message at level ") + c.prefix;
        RunInChild(c.level, c.severity, message.c_str());
        ExpectOldContentGone();
        const QString written = FilesStartingWith(logs, c.prefix);
        EXPECT_TRUE(written.contains(QString::fromStdString(message))) << written.toStdString();
        EXPECT_TRUE(written.contains("Wnds\\scope\\DlgScope:42]"));
        for (const char *other : {"Info", "Warning", "Error"}) {
            if (std::string(other) != c.prefix) {
                EXPECT_TRUE(FilesStartingWith(logs, other).isEmpty()) << other;
            }
        }
    }
}

TEST_F(LoggingSetUp, InfoLevelCarriesTheSourcePathOfEachLine)
{
    RunInChild(kLogInfo, google::GLOG_INFO, "first");
    const QString written = FilesStartingWith(logs, "Info");
    EXPECT_TRUE(written.contains("TX\\SeriesPort:")) << written.toStdString();
    EXPECT_TRUE(written.contains("through the source-path stream"));
}

TEST_F(LoggingSetUp, FatalLevelKeepsTheLibraryDefaults)
{
    RunInChild(kLogFatal, google::GLOG_ERROR, "an error at fatal level");
    ExpectOldContentGone();
    EXPECT_TRUE(Entries(logs).isEmpty()) << Entries(logs).join(' ').toStdString();
    // The default destinations got it instead.
    EXPECT_TRUE(FilesStartingWith(elsewhere.filePath("default"), "")
                    .contains("an error at fatal level"));
}

TEST_F(LoggingSetUp, MissingLogDirectoryIsCreated)
{
    QDir(logs).removeRecursively();
    RunInChild(kLogInfo, google::GLOG_INFO, "fresh");
    EXPECT_TRUE(FilesStartingWith(logs, "Info").contains("fresh"));
}

}
