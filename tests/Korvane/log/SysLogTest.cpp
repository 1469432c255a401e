#include "PathHelpers.h"
#include "SysLog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

class SysLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramDir(dir.path());
        path = dir.filePath("Quennark_Sys.log");
    }
    void TearDown() override { SetProgramDir(QString()); }
    QByteArray Content() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    QString path;
    CSysLog log;
};

TEST_F(SysLogTest, NothingBeforeInitPath)
{
    EXPECT_FALSE(log.Write("Start Quennark!"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(SysLogTest, LineFormats)
{
    log.InitPath();
    EXPECT_EQ(log.m_strPath, path);
    ASSERT_TRUE(log.Write("plain %d", 7));
    log.m_bWithTime = true;
    ASSERT_TRUE(log.Write("Start Quennark!"));
    ASSERT_TRUE(log.Write("%s", "中文"));
    const QList<QByteArray> lines = Content().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "plain 7\r");
    static const QRegularExpression stamped(
        "^(0[1-9]|1[0-2])/(0[1-9]|[12][0-9]|3[01])/[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9] : ");
    EXPECT_TRUE(stamped.match(QString::fromLatin1(lines[1])).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" : Start Quennark!\r"));
    EXPECT_TRUE(lines[2].endsWith(" : \xD6\xD0\xCE\xC4\r"));  // ANSI (GBK) text
    EXPECT_EQ(lines[3], "");
}

TEST_F(SysLogTest, SwitchedOffWritesNothingButSucceeds)
{
    log.InitPath();
    log.m_bEnable = false;
    EXPECT_TRUE(log.Write("ignored"));
    EXPECT_FALSE(QFile::exists(path));
    log.m_bEnable = true;
    EXPECT_FALSE(log.Write(nullptr));
}

TEST_F(SysLogTest, LongMessagesAreCutToOneLine)
{
    log.InitPath();
    const std::string longText(5000, 'a');
    ASSERT_TRUE(log.Write("%s", longText.c_str()));
    EXPECT_EQ(Content(), QByteArray(2999, 'a') + "\r\n");

    QFile::remove(path);
    // A cut never splits a character: 1000 three-byte characters are 3000 bytes.
    std::string chinese;
    for (int i = 0; i < 1000; ++i)
        chinese += "中";
    ASSERT_TRUE(log.Write("%s", chinese.c_str()));
    const QByteArray gbk = Content();
    EXPECT_EQ(gbk.size(), 999 * 2 + 2);
    EXPECT_FALSE(gbk.contains('?'));
}

TEST_F(SysLogTest, ConcurrentWritersProduceWholeLines)
{
    log.InitPath();
    const std::string a(2000, 'a'), b(2000, 'b');
    auto writer = [&](const std::string &text) {
        for (int i = 0; i < 200; ++i)
            log.Write("%s", text.c_str());
    };
    std::thread t1(writer, a), t2(writer, b);
    t1.join();
    t2.join();
    const QList<QByteArray> lines = Content().split('\n');
    ASSERT_EQ(lines.size(), 401);
    for (int i = 0; i < 400; ++i) {
        const QByteArray &l = lines[i];
        EXPECT_TRUE(l == QByteArray::fromStdString(a) + "\r" || l == QByteArray::fromStdString(b) + "\r")
            << "line " << i;
    }
}

TEST_F(SysLogTest, UnopenableFileFails)
{
    ASSERT_TRUE(QDir().mkdir(path));  // a directory where the file should be
    log.InitPath();
    EXPECT_FALSE(log.Write("lost"));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

}
