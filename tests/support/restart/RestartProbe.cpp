// Tests that fail on purpose, each in one of the ways the test main tells apart: an assertion
// about values, a wait that ran out while the simulated drive was starved of time, and one that
// ran out while it kept its timing. Run one at a time by the restart rule's test.
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <cstdlib>

namespace {

// Late wakes of the stand-in for the simulated drive: a test that "starves" it adds some.
std::atomic<int> g_lateWakes{0};

void StarveTheDrive() { g_lateWakes += 3; }

int Attempt()
{
    const char *text = std::getenv("KORVANE_TEST_ATTEMPT");
    return text ? std::atoi(text) : 1;
}

// Waits as the suite's waits do, for something that never comes.
bool PumpUntil(const std::function<bool()> &done, int ms) { return QTest::qWaitFor(done, ms); }
bool Never() { return false; }

int Measured() { return 41; }

}  // namespace

extern "C" int KorvaneSimLateWakes() { return g_lateWakes.load(); }

TEST(Probe, ValueWhileStarved)
{
    StarveTheDrive();
    EXPECT_EQ(Measured(), 42);
}

TEST(Probe, TimeOutWhileStarvedOnce)
{
    if (Attempt() > 1)
        return;
    StarveTheDrive();
    ASSERT_TRUE(QTest::qWaitFor(Never, 20));
}

TEST(Probe, TimeOutWithoutStarving)
{
    ASSERT_TRUE(PumpUntil(Never, 20));
}

TEST(Probe, TimeOutAndValueWhileStarved)
{
    StarveTheDrive();
    EXPECT_TRUE(PumpUntil(Never, 20));
    EXPECT_EQ(Measured(), 42);
}

TEST(Probe, TimeOutEveryTimeWhileStarved)
{
    StarveTheDrive();
    ASSERT_TRUE(PumpUntil(Never, 20));
}

TEST(Probe, StarvedButPassing)
{
    StarveTheDrive();
    EXPECT_EQ(Measured(), 41);
}
