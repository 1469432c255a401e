// Runs the built program in a program tree of its own and watches it start and end.
#include "support/FileBytes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iconv.h>

namespace {

bool CopyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + u'/' + QDir(from).relativeFilePath(src);
        if (it.fileInfo().isDir() ? !QDir().mkpath(dst) : !QFile::copy(src, dst))
            return false;
    }
    return true;
}

using testfiles::ReadAll;

// A program tree like the build's: <root>/bin/{Korvane, libplotix_d.so, config/} and
// <root>/CommonRes, so that everything the program writes stays in the temporary directory.
class ProgramTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QFileInfo exe(QStringLiteral(KORVANE_EXE));
        const QString buildBin = exe.absolutePath();
        m_bin = m_root.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(m_bin));
        ASSERT_TRUE(QFile::copy(exe.absoluteFilePath(), Bin(QStringLiteral("Korvane"))));
        ASSERT_TRUE(QFile::copy(buildBin + QStringLiteral("/libplotix_d.so"), Bin(QStringLiteral("libplotix_d.so"))));
        ASSERT_TRUE(CopyTree(buildBin + QStringLiteral("/config"), Bin(QStringLiteral("config"))));
        ASSERT_TRUE(CopyTree(buildBin + QStringLiteral("/../CommonRes"), m_root.filePath(QStringLiteral("CommonRes"))));
    }

    QString Bin(const QString &name) const { return m_bin + u'/' + name; }

    // Runs the program with the test switches; false when it did not end in time.
    bool Run(const QStringList &args, int quitAfterMs, const QString &probes = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KORVANE_UI"), QStringLiteral("stderr"));
        env.insert(QStringLiteral("KORVANE_QUIT_AFTER_MS"), QString::number(quitAfterMs));
        if (!probes.isEmpty())
            env.insert(QStringLiteral("KORVANE_WINDOW_PROBE_MS"), probes);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(m_root.path());
        m_process.start(Bin(QStringLiteral("Korvane")), args);
        if (!m_process.waitForFinished(60000)) {
            m_process.kill();
            m_process.waitForFinished();
            return false;
        }
        m_stdout = QString::fromUtf8(m_process.readAllStandardOutput());
        m_stderr = QString::fromUtf8(m_process.readAllStandardError());
        return true;
    }

    QTemporaryDir m_root;
    QString m_bin;
    QProcess m_process;
    QString m_stdout;
    QString m_stderr;
};

TEST_F(ProgramTree, StartsBehindTheSplashAndShutsDownCleanly)
{
    ASSERT_TRUE(QDir().mkpath(Bin(QStringLiteral("logs/old"))));
    QFile stale(Bin(QStringLiteral("logs/stale.log")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    // The quit's timer may fire up to a twentieth early: it still comes after the last probe.
    ASSERT_TRUE(Run({}, 2800, QStringLiteral("1500,2500"))) << "the program did not end";
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 0) << m_stderr.toStdString();

    // Hidden behind the splash for the first two seconds, then shown with the splash gone.
    EXPECT_TRUE(m_stdout.contains(QStringLiteral("probe 1500 main=hidden splash=visible"))) << m_stdout.toStdString();
    EXPECT_TRUE(m_stdout.contains(QStringLiteral("probe 2500 main=visible splash=hidden"))) << m_stdout.toStdString();

    // The log directory was emptied before this run's logs went in.
    EXPECT_FALSE(QFileInfo::exists(Bin(QStringLiteral("logs/stale.log"))));
    EXPECT_FALSE(QFileInfo::exists(Bin(QStringLiteral("logs/old"))));
    EXPECT_TRUE(QDir(Bin(QStringLiteral("logs"))).entryList(QDir::Files).filter(QStringLiteral("Info")).size() > 0);

    EXPECT_TRUE(ReadAll(Bin(QStringLiteral("Quennark_Sys.log"))).contains("Start Quennark!"));

    const QString sysSet = QString::fromUtf8(ReadAll(Bin(QStringLiteral("SysSet.ini"))));
    for (const char *line : {"[ViewSet]", "BShowEditParam=1", "NThemesID=32826", "BClrCustom=0", "[FunctionSet]",
                             "bIsEnterWriteDriver=1", "bIsDangerWnd=1", "m_bIsDangerAnalyseWnd=0"})
        EXPECT_TRUE(sysSet.contains(QString::fromLatin1(line))) << line;
    // Colours that were never set are not written.
    EXPECT_FALSE(sysSet.contains(QStringLiteral("ClrFontColor")));
    // No start-up message was needed.
    EXPECT_FALSE(m_stderr.contains(QStringLiteral("message box:"))) << m_stderr.toStdString();
}

TEST_F(ProgramTree, KeepsTheSettingsOfTheLastRun)
{
    ASSERT_NO_FATAL_FAILURE(testfiles::WriteAll(
        Bin(QStringLiteral("SysSet.ini")),
        "[ViewSet]\r\nClrFontColor=300,128,0\r\nNThemesID=32840\r\n[FunctionSet]\r\nbIsDangerWnd=true\r\n"
        "bScopeIsOnce=1\r\n"));

    // Closed at once: the settings are read as it starts and written as it ends.
    ASSERT_TRUE(Run({}, 0));
    EXPECT_EQ(m_process.exitCode(), 0) << m_stderr.toStdString();
    const QString sysSet = QString::fromUtf8(ReadAll(Bin(QStringLiteral("SysSet.ini"))));
    EXPECT_TRUE(sysSet.contains(QStringLiteral("ClrFontColor=44,128,0"))) << sysSet.toStdString();
    EXPECT_TRUE(sysSet.contains(QStringLiteral("NThemesID=32840")));
    EXPECT_TRUE(sysSet.contains(QStringLiteral("bIsDangerWnd=0")));
    EXPECT_TRUE(sysSet.contains(QStringLiteral("bScopeIsOnce=1")));
}

TEST_F(ProgramTree, MissingLanguageDataShowsItsMessageAndFails)
{
    ASSERT_TRUE(QFile::remove(Bin(QStringLiteral("config/LangTable.tsv"))));
    ASSERT_TRUE(Run({}, 5000));
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(m_process.exitCode(), 0);
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("message box:  | There is not ") + Bin(QStringLiteral("config/LangTable.tsv")) +
                                  QStringLiteral(" file")))
        << m_stderr.toStdString();
    // It ended before anything else started.
    EXPECT_FALSE(QFileInfo::exists(Bin(QStringLiteral("Quennark_Sys.log"))));
    EXPECT_FALSE(QFileInfo::exists(Bin(QStringLiteral("SysSet.ini"))));
}

}
