#include <QProcess>
#include <gtest/gtest.h>

TEST(Start, ProgramStartsAndExitsCleanly)
{
    QProcess p;
    p.start(KORVANE_EXE, {});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}
