// GoogleTest entry point for tests that need a QApplication (widgets, timers, events).
#include "platform/NumericLocale.h"

#include <QApplication>
#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

// Defined by the simulated drive when the program has one: how often its thread woke well past
// its time.
extern "C" int KorvaneSimLateWakes() __attribute__((weak));

namespace {

constexpr const char *kAttemptVariable = "KORVANE_TEST_ATTEMPT";
constexpr int kAttempts = 3;

int LateWakes() { return KorvaneSimLateWakes ? KorvaneSimLateWakes() : 0; }

// Whether a failed assertion is a wait that ran out: "ASSERT_TRUE(PumpUntil(...))" and the
// like, the asserted expression being a call of a function that waits for a condition.
bool IsTimeOut(const testing::TestPartResult &part)
{
    static const QRegularExpression waitCall(
        QStringLiteral("^Value of: (?:[\\w:]+(?:\\.|->))*(?:[\\w]+::)*"
                       "(q?[Ww]ait\\w*|[Aa]wait\\w*|Pump\\w*|Settle\\w*|\\w*Until|\\w*Ends|wait_for)\\s*\\("));
    const QString summary = QString::fromUtf8(part.summary());
    return waitCall.match(summary.section(QLatin1Char('\n'), 0, 0)).hasMatch();
}

// Decides whether a failed run may start over. The simulated drive starved of time (the machine
// too loaded for it to answer in time) explains a wait that ran out, and nothing else: a run
// starts over only when every failure of it is such a time-out in a test during which the drive
// was starved. An assertion about values, or a time-out while the drive kept its timing, fails
// at once.
class RestartRule : public testing::EmptyTestEventListener
{
public:
    void OnTestStart(const testing::TestInfo &) override
    {
        m_lateAtStart = LateWakes();
        m_timeOuts.clear();
        m_otherFailure = false;
    }
    void OnTestPartResult(const testing::TestPartResult &part) override
    {
        if (!part.failed())
            return;
        if (IsTimeOut(part))
            m_timeOuts.push_back(std::string(part.file_name() ? part.file_name() : "?") + ":" +
                                 std::to_string(part.line_number()));
        else
            m_otherFailure = true;
    }
    void OnTestEnd(const testing::TestInfo &info) override
    {
        if (!info.result()->Failed())
            return;
        const std::string name = std::string(info.test_suite_name()) + "." + info.name();
        const int late = LateWakes() - m_lateAtStart;
        if (m_otherFailure || m_timeOuts.empty()) {
            m_verdicts.push_back(name + ": a failure about values");
            m_explained = false;
        } else if (late == 0) {
            m_verdicts.push_back(name + ": a time-out while the simulated drive kept its timing");
            m_explained = false;
        } else {
            std::string where;
            for (const std::string &w : m_timeOuts)
                where += (where.empty() ? "" : ", ") + w;
            m_verdicts.push_back(name + ": time-out at " + where + " while the simulated drive was starved (" +
                                 std::to_string(late) + " late wakes)");
        }
    }

    bool Explained() const { return m_explained && !m_verdicts.empty(); }
    const std::vector<std::string> &Verdicts() const { return m_verdicts; }

private:
    int m_lateAtStart = 0;
    std::vector<std::string> m_timeOuts;
    bool m_otherFailure = false;
    bool m_explained = true;
    std::vector<std::string> m_verdicts;
};

void StartOverIfTheDriveExplainsIt(int result, const RestartRule &rule, const std::vector<char *> &arguments)
{
    if (result == 0)
        return;
    const char *attemptText = std::getenv(kAttemptVariable);
    const int attempt = attemptText ? std::atoi(attemptText) : 1;
    if (!rule.Explained()) {
        if (attempt > 1)
            std::fprintf(stderr, "test main: attempt %d of %d failed, not started over:\n", attempt, kAttempts);
        for (const std::string &v : rule.Verdicts())
            if (attempt > 1 || LateWakes() > 0)
                std::fprintf(stderr, "test main:   %s\n", v.c_str());
        return;
    }
    if (attempt >= kAttempts) {
        std::fprintf(stderr, "test main: attempt %d of %d failed as well, the last one\n", attempt, kAttempts);
        return;
    }
    // Said on stderr, which the test's log keeps; scripts/test lists every restart after a run.
    for (const std::string &v : rule.Verdicts())
        std::fprintf(stderr, "test main: RESTART attempt %d of %d: %s\n", attempt + 1, kAttempts, v.c_str());
    std::fflush(nullptr);
    ::setenv(kAttemptVariable, std::to_string(attempt + 1).c_str(), 1);
    ::execv("/proc/self/exe", arguments.data());
}

}  // namespace

int main(int argc, char **argv)
{
    const std::vector<char *> arguments = [&] {
        std::vector<char *> a(argv, argv + argc);
        a.push_back(nullptr);
        return a;
    }();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application is left standing at exit: taking it down makes the offscreen platform
    // load the whole font configuration only to discard it (tens of milliseconds a process,
    // paid by every test that never drew text). Everything else still ends as usual.
    auto *app = new QApplication(argc, argv);
    (void)app;
    platform::KeepCNumericLocale();
    ::testing::InitGoogleTest(&argc, argv);
    auto *rule = new RestartRule;
    ::testing::UnitTest::GetInstance()->listeners().Append(rule);
    const int result = RUN_ALL_TESTS();
    StartOverIfTheDriveExplainsIt(result, *rule, arguments);
    std::exit(result);
}
