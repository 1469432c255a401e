// The transaction methods pages reach the drive through: each owns the link lock for its own
// transaction, and a busy link is met by the wait the caller chose.
#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"

#include "platform/BlockingCheck.h"
#include "platform/Messages.h"

#include <QCoreApplication>
#include <QWidget>

#include <future>
#include <thread>

namespace {

using Wait = CSysParam::LinkWait;

class TransactionTest : public SysParamFixture {
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        m_sim.SetBaud(115200);
        m_sim.Seed({{0x0300, 0}, {0x0301, 0}, {0x0102, 0x0102}});
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        m_sys->m_strDevicePath = QString::fromStdString(m_sim.SlavePath());
        m_sys->m_nComBaud = 115200;
        ASSERT_TRUE(m_sys->OpenPortFromSettings());
    }
    void TearDown() override
    {
        m_sys.reset();
        m_sim.Stop();
        SysParamFixture::TearDown();
    }

    // Holds the link lock on another thread until Release.
    void HoldLinkElsewhere()
    {
        std::promise<void> held;
        auto heldFuture = held.get_future();
        m_holder = std::thread([this, &held] {
            std::lock_guard lock(m_sys->m_csSerial);
            held.set_value();
            m_release.get_future().wait();
        });
        heldFuture.wait();
    }
    void Release()
    {
        m_release.set_value();
        m_holder.join();
    }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    std::thread m_holder;
    std::promise<void> m_release;
};

TEST_F(TransactionTest, EachKindReachesTheDrive)
{
    int value = 0;
    EXPECT_TRUE(m_sys->WriteReg32(0x0300, 0x12345678u));
    EXPECT_EQ(m_sim.GetRegister32(0x0300), 0x12345678u);
    EXPECT_TRUE(m_sys->ReadReg32(0x0300, &value));
    EXPECT_EQ(value, 0x12345678);
    EXPECT_TRUE(m_sys->WriteReg(0x0301, 7));
    EXPECT_TRUE(m_sys->ReadReg(0x0301, &value));
    EXPECT_EQ(value, 7);

    std::vector<std::uint8_t> memory(2 * 128, 0x33);
    m_sim.SetBlockMemory(memory);
    BYTE block[128] = {};
    EXPECT_TRUE(m_sys->ReadBlock(1, block));
    EXPECT_EQ(block[0], 0x33);

    BYTE frame[8] = {0xFA, 0x23, 0x01, 0x02, 0x00, 0x01};
    const WORD crc = CModbusRTU::CRC16(frame, 6);
    frame[6] = BYTE(crc & 0xFF);
    frame[7] = BYTE(crc >> 8);
    BYTE reply[32] = {};
    EXPECT_EQ(m_sys->RawTransaction(frame, 8, reply, sizeof reply, 7, 100), 7u);
    EXPECT_EQ(reply[4], 0x02);

    // A failure names its cause; the drive's own code included.
    EXPECT_FALSE(m_sys->ReadReg(0x7777, &value));
    EXPECT_EQ(CSysParam::LastLinkError(), DWORD(SimDrive::kExUnknownRegister));
}

// Retries take the lock once per try, and the codec takes the answer to the retry at once.
TEST_F(TransactionTest, RetriesAfterAFailure)
{
    SimDrive::Fault silent;
    silent.kind = SimDrive::FaultKind::Silence;
    m_sim.InjectFault(silent);
    int value = 0;
    EXPECT_TRUE(m_sys->ReadReg(0x0102, &value, Wait::Auto, 3));
    EXPECT_EQ(value, 0x0102);
    EXPECT_EQ(m_sim.Requests().size(), 2u);
}

// A busy link: periodic work skips at once, a bounded wait gives up saying so, a worker waits.
TEST_F(TransactionTest, BusyLinkIsMetByTheChosenWait)
{
    HoldLinkElsewhere();
    int value = 0;
    EXPECT_FALSE(m_sys->ReadReg(0x0102, &value, Wait::TryOnly));
    EXPECT_EQ(CSysParam::LastLinkError(), CSysParam::kErrLinkBusy);
    EXPECT_FALSE(m_sys->WriteReg(0x0301, 1, Wait::Bounded));
    EXPECT_EQ(CSysParam::LastLinkError(), CSysParam::kErrLinkBusy);
    BYTE frame[8] = {};
    EXPECT_EQ(m_sys->RawTransaction(frame, 8, nullptr, 0, 7, 100, Wait::TryOnly), 0u);
    EXPECT_EQ(CSysParam::LastLinkError(), CSysParam::kErrLinkBusy);
    // The GUI thread's default is the bounded wait.
    EXPECT_FALSE(m_sys->ReadReg(0x0102, &value));
    EXPECT_EQ(CSysParam::LastLinkError(), CSysParam::kErrLinkBusy);
    EXPECT_TRUE(m_sim.Requests().empty());

    auto worker = std::async(std::launch::async, [this] {
        int v = 0;
        return m_sys->ReadReg(0x0102, &v) && v == 0x0102;  // a worker's default: it waits
    });
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    Release();
    EXPECT_TRUE(worker.get());
}

// A worker that holds the link lock must not wait on the GUI thread, which may be waiting for
// the link: its sent message and its box fail at once, and both are counted.
TEST_F(TransactionTest, BlockingCallsUnderTheLinkLockFailAtOnce)
{
    class Window : public QWidget, public platform::MessageTarget {
    public:
        Window() : MessageTarget(this) {}
        LRESULT WindowProc(UINT, WPARAM, LPARAM) override { return 5; }
    } window;
    const platform::WindowRef ref(&window);
    platform::ResetBlockingViolationCount();
    m_ui->PushAnswer(IDOK);
    std::atomic<LRESULT> sent{-1};
    int box = -1;
    std::thread worker([&] {
        std::lock_guard lock(m_sys->m_csSerial);
        sent = platform::SendMessage(ref, WM_USER + 1);
        box = platform::Ui().MessageBox(QStringLiteral("?"), QStringLiteral("?"), MB_OKCANCEL);
    });
    worker.join();  // no pumping: a call that waited on the GUI thread would hang here
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(box, IDCANCEL);
    EXPECT_EQ(platform::BlockingViolationCount(), 2);
    EXPECT_TRUE(m_ui->Calls().empty());

    // Without the lock the same calls go through.
    std::thread free([&] { sent = platform::SendMessage(ref, WM_USER + 1); });
    while (sent != 5)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    free.join();
    EXPECT_EQ(platform::BlockingViolationCount(), 2);
}

}
