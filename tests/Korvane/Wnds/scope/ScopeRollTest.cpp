// The roll thread against a scripted stream and against the simulated recorder.
#include "ScopeLinkFixture.h"

#include "Wnds/scope/ScopeLink.h"

#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A frame of layout 3 whose 64 samples all hold `value`.
Bytes Frame(std::uint8_t counter, std::uint16_t value, bool badSum = false)
{
    Bytes f{0xFA, 0x2B, 0xAA, 0x0F, 0x55, 0xF0, counter};
    for (int i = 0; i < 64; ++i) {
        f.push_back(static_cast<std::uint8_t>(value & 0xFF));
        f.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    unsigned sum = 0;
    for (auto b : f)
        sum += b;
    if (badSum)
        ++sum;
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    f.push_back(static_cast<std::uint8_t>((sum >> 8) & 0xFF));
    return f;
}

}

class ScopeRoll : public ScopeLinkTest {
protected:
    void StartThread(int code)
    {
        auto &p = CScopeThreadParam::Roll();
        p = CScopeThreadParam();
        p.arrChannel[0].nSourceCode = code;
        p.arrChannel[0].fScale = 1.0f;
        p.nLayout = 8;
        p.hNotify = &receiver;
        settings->m_bRollRunning = 1;
        StartScopeRollThread(&p);
    }
    void StopThread()
    {
        settings->m_bRollRunning = 0;
        JoinScopeRollThread();
    }
    void Send(const Bytes &b)
    {
        sim.SendRaw(b);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        QCoreApplication::processEvents();
    }
};

TEST_F(ScopeRoll, FaultyStreamIsDecodedAndCounted)
{
    StartThread(0x8C);
    Bytes two = Frame(7, 70);
    const Bytes eight = Frame(8, 80);
    two.insert(two.end(), eight.begin(), eight.end());
    Send(two);
    Bytes garbage{0x11, 0xFA, 0x2B};
    const Bytes nine = Frame(9, 90);
    garbage.insert(garbage.end(), nine.begin(), nine.end());
    Send(garbage);
    Send(Frame(10, 100, true));
    Send(Frame(11, 110));
    Send(Frame(14, 140));
    const Bytes split = Frame(15, 150);
    Send(Bytes(split.begin(), split.begin() + 100));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    Send(Bytes(split.begin() + 100, split.end()));
    Send(Bytes(5000, 0x00));  // more than the whole buffer, and no header in it
    Send(Frame(16, 160));
    Send(Frame(255, 2550));
    Send(Frame(0, 1000));
    ASSERT_TRUE(PumpUntil([&] { return receiver.Count(UM_SCOPE_ROLL_FRAME) >= 10; }));
    PumpUntil([] { return false; }, 100);
    StopThread();

    struct Want { WPARAM decoded; LPARAM lost; double value; } want[] = {
        {1, 0, 70}, {1, 0, 80}, {1, 0, 90}, {0, 0, -1}, {1, 1, 110}, {1, 2, 140},
        {1, 0, 150}, {1, 0, 160}, {1, 238, 2550}, {1, 0, 1000},
    };
    ASSERT_EQ(receiver.got.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(i);
        const auto &g = receiver.got[i];
        EXPECT_EQ(g.msg, UM_SCOPE_ROLL_FRAME);
        EXPECT_EQ(g.w, want[i].decoded);
        EXPECT_EQ(g.l, want[i].lost);
        if (want[i].decoded) {
            ASSERT_EQ(g.ch[0].size(), 64u);
            EXPECT_EQ(g.ch[0][63], want[i].value);
        }
    }
    EXPECT_TRUE(ui->Calls().empty());
    EXPECT_EQ(receiver.Count(UM_SCOPE_THREAD_ENDED), 0u);
}

TEST_F(ScopeRoll, RecorderStreamArrivesInOrderAndStopsWithTheCommand)
{
    // Layout 3 in roll mode: 64 samples a frame every 64·10/16000 s = 40 ms.
    const WORD words[4] = {8, 10, 0x8C00, 0};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Write(static_cast<WORD>(0x8959 + i), words[i]));
    StartThread(0x8C);
    ASSERT_TRUE(Write(0x8963, 1));
    ASSERT_TRUE(PumpUntil([&] { return receiver.Count(UM_SCOPE_ROLL_FRAME) >= 8; }));
    StopThread();
    // A reply that lands behind a frame still on the line fails; the stop tries again.
    ASSERT_TRUE(Write(0x8963, 2));
    EXPECT_FALSE(sim.RecorderRolling());
    // A frame that was on the line when the stop came is logged once its last byte has left,
    // which may be just after the stop's reply.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto log = sim.FrameLog();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(sim.FrameLog().size(), log.size());  // nothing after the stop (a frame every 40 ms)

    long long expected = 0;
    for (const auto &g : receiver.got) {
        ASSERT_EQ(g.w, 1u);
        ASSERT_EQ(g.l, 0);
        ASSERT_EQ(g.ch[0].size(), 64u);
        for (double v : g.ch[0])
            ASSERT_EQ(v, static_cast<double>(expected++ & 0xFFFF));
    }
    for (const auto &e : log)
        EXPECT_TRUE(e.sent);
    EXPECT_LE(receiver.got.size(), log.size());
}

TEST_F(ScopeRoll, RecorderStreamFaultsAreDecodedAndCounted)
{
    using K = SimDrive::RollFaultKind;
    for (const SimDrive::RollFault f : {SimDrive::RollFault{K::Garbage, 3, 0}, SimDrive::RollFault{K::BadSum, 0, 0},
                                        SimDrive::RollFault{K::CounterGap, 2, 0}, SimDrive::RollFault{K::Split, 100, 20},
                                        SimDrive::RollFault{K::Burst, 300, 0},
                                        SimDrive::RollFault{K::CounterGap, 250, 0}})
        sim.InjectRollFault(f);
    const WORD words[4] = {8, 10, 0xB600, 0};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Write(static_cast<WORD>(0x8959 + i), words[i]));
    StartThread(0xB6);
    ASSERT_TRUE(Write(0x8963, 1));
    ASSERT_TRUE(PumpUntil([&] { return receiver.Count(UM_SCOPE_ROLL_FRAME) >= 7; }));
    StopThread();
    ASSERT_TRUE(Write(0x8963, 2));

    // Frame numbers: 0 after garbage, 1 with a bad sum, 4 after two skipped, 5 split, 6 after a
    // header-less burst, 257 after 250 skipped (its counter wrapped to 1), 258.
    struct Want { WPARAM decoded; LPARAM lost; long long frame; } want[] = {
        {1, 0, 0}, {0, 0, -1}, {1, 3, 4}, {1, 0, 5}, {1, 0, 6}, {1, 250, 257}, {1, 0, 258},
    };
    ASSERT_GE(receiver.got.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(i);
        const auto &g = receiver.got[i];
        EXPECT_EQ(g.w, want[i].decoded);
        EXPECT_EQ(g.l, want[i].lost);
        if (want[i].decoded) {
            ASSERT_EQ(g.ch[0].size(), 64u);
            EXPECT_EQ(g.ch[0][0], static_cast<double>((want[i].frame * 64) & 0xFFFF));
        }
    }
}

// While the reader waits for the stream it leaves the link free: a user's transaction that only
// takes a free link (no waiting) gets it, and the lock is found free at every look.
TEST_F(ScopeRoll, ReaderLeavesTheLinkFreeWhileItWaits)
{
    StartThread(0x8C);
    ASSERT_TRUE(PumpUntil([] { return ScopeRollThreadRunning(); }));
    // A caller that never waits gets through (a busy machine may catch the reader mid-read once).
    int f = 0;
    EXPECT_TRUE(PumpUntil([&] { return sys.ReadReg(0x8958, &f, CSysParam::LinkWait::TryOnly) != FALSE; }));
    EXPECT_EQ(f, 16000);
    // The reply may wake the reader for one empty read: its lock is gone once that is over.
    ASSERT_TRUE(PumpUntil([&] {
        if (!sys.m_csSerial.try_lock())
            return false;
        sys.m_csSerial.unlock();
        return true;
    }));
    // A reader that kept the lock through its waits would leave it free at hardly any look; one
    // that wakes for a stray byte on a loaded machine is caught reading at a look or two.
    constexpr int kLooks = 20;
    int free = 0;
    for (int i = 0; i < kLooks; ++i) {
        if (sys.m_csSerial.try_lock()) {
            ++free;
            sys.m_csSerial.unlock();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(free, kLooks * 3 / 4);
    StopThread();
}
