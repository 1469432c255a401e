// The read-request queue and its worker against the simulated drive.
#include "SYSPARAM/SysParam.h"
#include "Thread/ReadQueue.h"
#include "platform/UiServices.h"
#include "SimDrive.h"
#include "database/ProjectDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <random>

namespace {

struct Delivery {
    WPARAM which;  // 0 main window, 1 page
    int flag;
    QList<CDBDataParameter> params;
    std::vector<bool> readOk;
    bool lParamMatchesPayload;
};

class Receiver : public QWidget, public platform::MessageTarget {
public:
    Receiver() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg != UM_READ_DONE)
            return MessageTarget::WindowProc(msg, w, l);
        auto request = Payload<CReadRequest>();
        if (!request)
            return 0;
        got.push_back({w, request->m_nFlag, request->m_arrParam, request->m_arrReadOk,
                       reinterpret_cast<CReadRequest *>(l) == request.get()});
        return 1;
    }
    std::vector<Delivery> got;
};

CDBDataParameter Param(WORD address, int width, bool sign, std::int32_t preset = 0)
{
    CDBDataParameter p;
    p.sNum = QString::asprintf("P%04X", address);
    p.dwAddress = address;
    p.dwWidth = width;
    p.bSign = sign ? 1 : 0;
    p.iCurValue = preset;
    return p;
}

CReadRequest Request(int flag, QList<CDBDataParameter> params = {}, platform::WindowRef page = {})
{
    CReadRequest r;
    r.m_nFlag = flag;
    r.m_arrParam = std::move(params);
    r.m_hPageWnd = page;
    return r;
}

// Pumps the GUI thread's events until the receiver holds `count` deliveries or time runs out.
bool WaitFor(const Receiver &r, std::size_t count, int timeoutMs = 10000)
{
    QElapsedTimer t;
    t.start();
    while (r.got.size() < count && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return r.got.size() >= count;
}

class ReadQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Start());
        m_sim.SetBaud(115200);
        m_sys.m_strDevicePath = QString::fromStdString(m_sim.SlavePath());
        m_sys.m_nComBaud = 115200;
        // The queue's logic is tested here, not the codec's timing.
        m_sys.m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(m_sys.OpenPortFromSettings());
    }
    void TearDown() override
    {
        m_queue.Shutdown();
        platform::SetMainWindow(nullptr);
        m_sim.Stop();
    }
    void SetMain() { platform::SetMainWindow(&m_main); }

    SimDrive m_sim;
    CSysParam m_sys{QString()};
    CReadQueue m_queue{m_sys};
    Receiver m_main;
    Receiver m_page;
};

TEST_F(ReadQueueTest, BatchDeliveredInOrderWithValues)
{
    SetMain();
    m_sim.SetRegister(0x0700, 0xFFFE);
    m_sim.SetRegister(0x0701, 0xFFFE);
    m_sim.SetRegister(0x0608, 1234);
    m_sim.SetRegister32(0x0710, 0xFFFFFFF6u);
    m_sim.SetRegister32(0x0720, 0x89ABCDEFu);
    m_queue.AppendReadRequest(Request(1, {Param(0x0700, 16, true), Param(0x0701, 16, false)}, &m_page));
    m_queue.AppendReadRequest(Request(2, {Param(0x0608, 16, false), Param(0x0710, 32, true),
                                          Param(0x0720, 32, false)}));
    ASSERT_TRUE(WaitFor(m_main, 2));
    ASSERT_TRUE(WaitFor(m_page, 1));

    ASSERT_EQ(m_main.got.size(), 2u);
    EXPECT_EQ(m_main.got[0].flag, 1);
    EXPECT_EQ(m_main.got[0].which, 0u);
    EXPECT_TRUE(m_main.got[0].lParamMatchesPayload);
    EXPECT_EQ(m_main.got[0].params[0].iCurValue, -2);
    EXPECT_EQ(m_main.got[0].params[1].iCurValue, 65534);
    EXPECT_EQ(m_main.got[1].flag, 2);
    EXPECT_EQ(m_main.got[1].params[0].iCurValue, 1234);
    EXPECT_EQ(m_main.got[1].params[1].iCurValue, -10);
    EXPECT_EQ(m_main.got[1].params[2].iCurValue, std::int32_t(0x89ABCDEFu)) << "the 32-bit pattern, not a wider number";
    EXPECT_EQ(m_main.got[1].readOk, (std::vector<bool>{true, true, true}));

    ASSERT_EQ(m_page.got.size(), 1u) << "a request without a page goes to the main window only";
    EXPECT_EQ(m_page.got[0].which, 1u);
    EXPECT_EQ(m_page.got[0].flag, 1);
}

// An unsigned 32-bit register above INT_MAX, read from the drive, saved in a project and opened
// again: the value is the register's 32-bit pattern at every step, never a 64-bit number that
// the file then narrows into something else.
TEST_F(ReadQueueTest, UnsignedThirtyTwoBitReadSurvivesSaveAndReopen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CProjectDatabase pdb(QStringLiteral(KORVANE_DEFAULT_PARAMS_DB));
    CNewProjectInfo info;
    CDBDataDeviceList device;
    device.nDeviceID = 1;
    device.nProductID = 1;
    info.m_arrDeviceList = {device};
    info.m_strFilePath = dir.filePath("u32.KVF");
    ASSERT_TRUE(pdb.NewProject(info));
    CDBDataParameter *p = nullptr;
    for (CDBDataParameter &q : pdb.m_Project.FindDevice(1)->FindAxis(1)->m_arrParameter)
        if (q.dwWidth == 32)
            p = &q;
    ASSERT_NE(p, nullptr);
    p->bSign = 0;

    SetMain();
    m_sim.SetRegister32(WORD(p->dwAddress), 0xB2D05E00u);
    m_queue.AppendReadRequest(Request(1, {*p}));
    ASSERT_TRUE(WaitFor(m_main, 1));
    ASSERT_EQ(m_main.got[0].readOk, std::vector<bool>{true});
    const std::int32_t pattern = std::int32_t(0xB2D05E00u);
    EXPECT_EQ(m_main.got[0].params[0].iCurValue, pattern);
    EXPECT_EQ(pattern, -1294967296);

    p->iCurValue = m_main.got[0].params[0].iCurValue;
    const QString code = p->sNum;
    const QString saved = dir.filePath("saved.KVF");
    ASSERT_TRUE(pdb.SaveProject(saved));
    CProjectDatabase reopened(QStringLiteral(KORVANE_DEFAULT_PARAMS_DB));
    ASSERT_TRUE(reopened.OpenProject(saved));
    for (const CDBDataParameter &q : reopened.m_Project.FindDevice(1)->FindAxis(1)->m_arrParameter) {
        if (q.sNum == code) {
            EXPECT_EQ(q.iCurValue, pattern);
        }
    }
    EXPECT_EQ(reopened.m_Project.FindDevice(1)->m_mapLoadedValues.value(code), pattern);
}

TEST_F(ReadQueueTest, FailedReadsAreMarkedAndKeepTheirValue)
{
    SetMain();
    m_sim.SetRegister(0x0608, 77);
    m_sim.SetReadHook(0x0606, [](std::uint16_t) { return SimDrive::Access{0, 0x02}; });
    m_queue.AppendReadRequest(Request(1, {Param(0x0606, 16, false, 555), Param(0x0608, 16, false, 555),
                                          Param(0x0609, 24, false, 555)}));
    ASSERT_TRUE(WaitFor(m_main, 1));
    const Delivery &d = m_main.got[0];
    EXPECT_EQ(d.readOk, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(d.params[0].iCurValue, 555) << "a failed read is never delivered as 0";
    EXPECT_EQ(d.params[1].iCurValue, 77);
    EXPECT_EQ(d.params[2].iCurValue, 555) << "a width other than 16 or 32 is not read";
}

TEST_F(ReadQueueTest, SilentDriveCompletesRequestWithEveryReadFailed)
{
    SetMain();
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    m_sim.InjectFault(f);
    m_queue.AppendReadRequest(Request(9, {Param(0x0608, 16, false, 3), Param(0x0710, 32, false, 4)}));
    ASSERT_TRUE(WaitFor(m_main, 1));
    EXPECT_EQ(m_main.got[0].readOk, (std::vector<bool>{false, false}));
    EXPECT_EQ(m_main.got[0].params[0].iCurValue, 3);
    EXPECT_EQ(m_main.got[0].params[1].iCurValue, 4);
}

TEST_F(ReadQueueTest, RequestsBeforeMainWindowWaitAndGoFirst)
{
    for (int i = 1; i <= 3; ++i)
        m_queue.AppendReadRequest(Request(i));
    EXPECT_EQ(m_queue.PendingCount(), 3u);
    EXPECT_FALSE(m_queue.IsWorkerRunning());
    SetMain();
    m_queue.AppendReadRequest(Request(4));
    EXPECT_EQ(m_queue.PendingCount(), 0u);
    ASSERT_TRUE(WaitFor(m_main, 4));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m_main.got[std::size_t(i)].flag, i + 1);
}

TEST_F(ReadQueueTest, RequestAfterStopStaysQueuedAndIsFreedAtExit)
{
    SetMain();
    m_queue.SetStop();
    m_queue.AppendReadRequest(Request(1, {Param(0x0608, 16, false)}));
    EXPECT_EQ(m_queue.QueuedCount(), 1u);
    EXPECT_FALSE(m_queue.IsWorkerRunning());
    m_queue.Shutdown();
    EXPECT_EQ(m_queue.QueuedCount(), 0u);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_main.got.empty());
}

TEST_F(ReadQueueTest, GoneWindowDropsDeliveryWithoutHarm)
{
    SetMain();
    auto page = std::make_unique<Receiver>();
    m_queue.AppendReadRequest(Request(1, {Param(0x0608, 16, false)}, page.get()));
    page.reset();
    ASSERT_TRUE(WaitFor(m_main, 1));
}

// Appends racing the worker's end: bursts of requests with pauses that let the worker find the
// queue empty and leave, so that appends meet it at every point of ending. Every request must
// arrive, in order.
TEST_F(ReadQueueTest, StressAppendsRacingWorkerEndStrandNothing)
{
    SetMain();
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> burst(1, 3);
    std::uniform_int_distribution<int> pauseUs(0, 1500);
    constexpr int kRequests = 2000;
    int flag = 0;
    while (flag < kRequests) {
        for (int n = burst(rng); n > 0 && flag < kRequests; --n) {
            // Mostly empty requests, so that the worker ends quickly; now and then a real read.
            QList<CDBDataParameter> params;
            if (flag % 97 == 0)
                params.append(Param(0x0608, 16, false));
            m_queue.AppendReadRequest(Request(++flag, params));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(rng)));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(WaitFor(m_main, kRequests, 60000)) << m_main.got.size() << " of " << kRequests;
    for (int i = 0; i < kRequests; ++i)
        ASSERT_EQ(m_main.got[std::size_t(i)].flag, i + 1);
    EXPECT_EQ(m_queue.QueuedCount(), 0u);
}

}

namespace {

QList<CDBDataParameter> ManyParams(int count)
{
    QList<CDBDataParameter> params;
    for (int i = 0; i < count; ++i)
        params.push_back(Param(WORD(0x0600 + i), i % 3 == 0 ? 32 : 16, false, 11));
    return params;
}

// A request against a drive that does not answer stops at the codec's "drive absent" verdict:
// the drive sees no further reads, and the rest of the request is marked failed.
TEST_F(ReadQueueTest, SilentDriveStopsTheRequestAtTheAbsentVerdict)
{
    SetMain();
    m_sys.m_ModbusRTU.SetReplyTimeouts(20, 40);
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    m_sim.InjectFault(f);
    m_queue.AppendReadRequest(Request(5, ManyParams(50)));
    ASSERT_TRUE(WaitFor(m_main, 1));
    EXPECT_EQ(m_sim.Requests().size(), 2u);
    EXPECT_EQ(m_main.got[0].readOk, std::vector<bool>(50, false));
    EXPECT_EQ(m_main.got[0].params[49].iCurValue, 11);

    // A later request finds the drive still absent after its first silent read.
    m_sim.ClearRequests();
    m_queue.AppendReadRequest(Request(6, ManyParams(10)));
    ASSERT_TRUE(WaitFor(m_main, 2));
    EXPECT_EQ(m_sim.Requests().size(), 1u);
}

// A requester asking the same every period never leaves more than one request waiting, with
// the drive answering or not; the answers still come.
TEST_F(ReadQueueTest, PeriodicRequesterLeavesAtMostOneWaiting)
{
    SetMain();
    m_sys.m_ModbusRTU.SetReplyTimeouts(20, 40);
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silent drive" : "healthy drive");
        m_sim.ClearFaults();
        if (silent) {
            SimDrive::Fault f;
            f.kind = SimDrive::FaultKind::Silence;
            f.persistent = true;
            m_sim.InjectFault(f);
        }
        m_main.got.clear();
        std::size_t most = 0;
        for (int period = 0; period < 20; ++period) {
            m_queue.AppendReadRequest(Request(7, ManyParams(12), &m_page));
            most = std::max(most, m_queue.QueuedCount());
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 10)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        }
        EXPECT_LE(most, 1u);
        ASSERT_TRUE(WaitFor(m_main, 1));
        QElapsedTimer t;
        t.start();
        while ((m_queue.IsWorkerRunning() || m_queue.QueuedCount() > 0) && t.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Only a request still waiting is replaced: another flag or other parameters queue behind it.
TEST_F(ReadQueueTest, OnlyTheSameQuestionIsReplaced)
{
    // Before the main window exists nothing starts, so everything waits.
    m_queue.AppendReadRequest(Request(1, {Param(0x0600, 16, false, 1)}, &m_page));
    m_queue.AppendReadRequest(Request(1, {Param(0x0600, 16, false, 2)}, &m_page));
    EXPECT_EQ(m_queue.PendingCount(), 1u);
    m_queue.AppendReadRequest(Request(2, {Param(0x0600, 16, false)}, &m_page));
    m_queue.AppendReadRequest(Request(1, {Param(0x0601, 16, false)}, &m_page));
    m_queue.AppendReadRequest(Request(1, {Param(0x0600, 16, false)}, &m_main));
    EXPECT_EQ(m_queue.PendingCount(), 4u);
}

}
