// The test main starts a failed test over only when each failure is a wait that ran out while
// the simulated drive was starved of time; an assertion about values fails on its first run.
// Every restart is said in the test's output.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <gtest/gtest.h>

namespace {

struct ProbeRun {
    int exitCode = -1;
    int runs = 0;
    int restarts = 0;
    QString output;
};

ProbeRun RunProbe(const char *test)
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KORVANE_TEST_ATTEMPT"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(env);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(QStringLiteral(KORVANE_RESTART_PROBE),
                {QStringLiteral("--gtest_filter=Probe.") + QString::fromLatin1(test)});
    ProbeRun run;
    if (!probe.waitForFinished(120000)) {
        probe.kill();
        probe.waitForFinished();
        return run;
    }
    run.exitCode = probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
    run.output = QString::fromUtf8(probe.readAll());
    run.runs = int(run.output.count(QStringLiteral("[ RUN      ] Probe.")));
    run.restarts = int(run.output.count(QStringLiteral("test main: RESTART")));
    return run;
}

}  // namespace

TEST(RestartRule, OnlyATimeOutTheStarvedDriveExplainsRunsAgain)
{
    const struct {
        const char *test;
        bool passes;
        int runs;
    } cases[] = {
        {"ValueWhileStarved", false, 1},
        {"TimeOutAndValueWhileStarved", false, 1},
        {"TimeOutWithoutStarving", false, 1},
        {"TimeOutWhileStarvedOnce", true, 2},
        {"TimeOutEveryTimeWhileStarved", false, 3},
        {"StarvedButPassing", true, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.test);
        const ProbeRun run = RunProbe(c.test);
        EXPECT_EQ(run.exitCode == 0, c.passes) << run.output.toStdString();
        EXPECT_EQ(run.runs, c.runs) << run.output.toStdString();
        EXPECT_EQ(run.restarts, c.runs - 1) << "every restart is said";
    }
}

TEST(RestartRule, ARestartNamesTheTestAndTheWaitThatRanOut)
{
    const ProbeRun run = RunProbe("TimeOutWhileStarvedOnce");
    const QString said = run.output.section(QStringLiteral("test main: RESTART"), 1).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(said.contains(QStringLiteral("Probe.TimeOutWhileStarvedOnce"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("RestartProbe.cpp:"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("3 late wakes"))) << said.toStdString();
}
