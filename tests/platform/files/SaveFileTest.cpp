// Files written whole or not at all, and what a killed save leaves for the next one to clear.
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList Entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A save killed after writing part of its bytes, as by kill -9: nothing of the process runs
// after it, so its temporary file stays.
void KilledSave(const QString &target)
{
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        platform::SaveFile file(target);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("half of it");
            file.flush();
            ::kill(::getpid(), SIGKILL);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
}

}  // namespace

TEST(SaveFile, CommitReplacesTheTargetCancelAndErrorsLeaveIt)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("a.txt");
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("one");
        EXPECT_FALSE(QFile::exists(target)) << "nothing shows before the commit";
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(ReadAll(target), "one");
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("two");
        file.cancelWriting();
        EXPECT_FALSE(file.commit());
    }
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("three");
        // Destroyed without a commit: as if cancelled.
    }
    EXPECT_EQ(ReadAll(target), "one");
    EXPECT_EQ(Entries(dir), QStringList{"a.txt"});
    platform::SaveFile nowhere(dir.filePath("no/such/folder/b.txt"));
    EXPECT_FALSE(nowhere.open(QIODevice::WriteOnly));
}

TEST(SaveFile, NewFilesTakeTheUsersModeReplacedOnesKeepTheirs)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("m.txt");
    const mode_t before = ::umask(022);
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        ASSERT_TRUE(file.commit());
    }
    ::umask(before);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0600), 0);
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("y");
        ASSERT_TRUE(file.commit());
    }
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SaveFile, TheNextSaveRemovesWhatAKilledOneLeft)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("r.txt");
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("kept");
        ASSERT_TRUE(file.commit());
    }
    KilledSave(target);
    KilledSave(target);  // its own start clears the first one's leftover
    ASSERT_EQ(Entries(dir).size(), 2) << Entries(dir).join(' ').toStdString();
    EXPECT_TRUE(Entries(dir)[1].startsWith("r.txt.kvtmp-"));
    EXPECT_EQ(ReadAll(target), "kept") << "a killed save never touches the target";
    const QStringList others = {"r.txt.backup", "r.txt.kvtmp-short", "s.txt.kvtmp-a1B2c3", "r.txt.kvtmp-a1B2c3.old"};
    for (const QString &name : others) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("new");
        ASSERT_TRUE(file.commit());
    }
    QStringList expected = others;
    expected << "r.txt";
    expected.sort();
    EXPECT_EQ(Entries(dir), expected);
    EXPECT_EQ(ReadAll(target), "new");
}
