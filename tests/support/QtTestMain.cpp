// GoogleTest entry point for tests that need a QApplication (widgets, timers, events).
#include "platform/NumericLocale.h"

#include <QApplication>
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

// A failed run in which the simulated drive was starved (the machine too loaded for it to answer
// in time) proves nothing about the program: it starts over as a fresh process, a few times at
// most. A run that fails while the drive kept its timing fails at once.
void StartOverIfTheDriveWasLate(int result, const std::vector<char *> &arguments)
{
    if (result == 0 || KorvaneSimLateWakes == nullptr || KorvaneSimLateWakes() == 0)
        return;
    const char *attemptText = std::getenv(kAttemptVariable);
    const int attempt = attemptText ? std::atoi(attemptText) : 1;
    if (attempt >= kAttempts)
        return;
    std::fprintf(stderr, "the simulated drive was starved of time (%d late wakes): starting over, attempt %d of %d\n",
                 KorvaneSimLateWakes(), attempt + 1, kAttempts);
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
    const int result = RUN_ALL_TESTS();
    StartOverIfTheDriveWasLate(result, arguments);
    std::exit(result);
}
