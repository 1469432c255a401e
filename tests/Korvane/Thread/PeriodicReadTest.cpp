// Periodic reads: the tick hands the round to the window's worker and paints what was posted.
#include "SYSPARAM/SysParam.h"
#include "Thread/PeriodicRead.h"
#include "SimDrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

constexpr UINT kLinkStateMsg = WM_USER + 300;

class StatusWindow : public QWidget, public platform::MessageTarget {
public:
    explicit StatusWindow(CSysParam &sys)
        : MessageTarget(this),
          poll(this, kLinkStateMsg, [&sys](const std::atomic<bool> &) {
              sys.PollConnection();
              return std::make_shared<CLinkState>(sys.GetLinkState());
          })
    {
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == kLinkStateMsg) {
            if (auto state = Payload<CLinkState>())
                painted.push_back(*state);
            return 0;
        }
        return MessageTarget::WindowProc(msg, w, l);
    }
    void Tick() { poll.Request(); }

    std::vector<CLinkState> painted;
    CPeriodicRead<CLinkState> poll;
};

bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

class PeriodicReadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Start());
        m_sim.SetBaud(115200);
        m_sys.m_strDevicePath = QString::fromStdString(m_sim.SlavePath());
        m_sys.m_nComBaud = 115200;
        m_sys.m_ModbusRTU.SetReplyTimeouts(20, 40);
        m_sys.m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(m_sys.OpenPortFromSettings());
    }
    void TearDown() override { m_sim.Stop(); }

    SimDrive m_sim;
    CSysParam m_sys{QString()};
};

// The tick finds the link held by another thread: it returns at once, nothing is painted
// while the link stays busy, and the round's result arrives as a posted message afterwards.
TEST_F(PeriodicReadTest, TickNeverWaitsForTheLink)
{
    StatusWindow window(m_sys);
    std::promise<void> held, release;
    std::thread holder([&] {
        std::lock_guard lock(m_sys.m_csSerial);
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    window.Tick();  // would deadlock the test if it waited: the holder waits on us
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(window.painted.empty());
    release.set_value();
    holder.join();
    ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
    EXPECT_TRUE(window.painted.back().bConnected);
    EXPECT_EQ(window.painted.back().strModel, QString("DRV1"));
}

// Ticks faster than a silent drive answers neither queue rounds nor wait: at most one round
// is owed, and each round posts its state.
TEST_F(PeriodicReadTest, SilentDriveDoesNotPileUpRounds)
{
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    m_sim.InjectFault(f);
    StatusWindow window(m_sys);
    for (int i = 0; i < 20; ++i) {
        window.Tick();
        PumpUntil([] { return false; }, 5);
    }
    ASSERT_TRUE(PumpUntil([&] { return !window.painted.empty(); }));
    EXPECT_FALSE(window.painted.back().bConnected);
    EXPECT_LE(window.poll.Rounds(), 20);
    const int afterTicks = window.poll.Rounds();
    PumpUntil([] { return false; }, 300);
    EXPECT_LE(window.poll.Rounds() - afterTicks, 2)
        << "only the round running and the one owed end after the ticks";
}

}
