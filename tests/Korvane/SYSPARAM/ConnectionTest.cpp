// The connection check, the poll and the drive identity against the simulated drive.
#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"

#include <QWidget>

#include <atomic>
#include <cctype>
#include <string>
#include <thread>

namespace {

class ConnectionTest : public SysParamFixture {
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        m_sim.SetBaud(115200);
        m_sim.SetRegister(0x9105, 0x0003);
        m_sim.SetRegister(0x9106, 0x0102);
        m_sim.SetRegister(0x9107, 0x0001);
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        // The check's and the poll's logic is tested here, not the codec's timing.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
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

    void Silence()
    {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        m_sim.InjectFault(f);
    }
    // Reads of the register are refused with exception 0x04.
    void FailReadsOf(WORD address)
    {
        m_sim.SetReadHook(address, [](std::uint16_t) { return SimDrive::Access{0, 0x04}; });
    }
    // How many handshake writes (2 to 0x8963) the drive saw.
    int Handshakes() const
    {
        int n = 0;
        for (const SimDrive::Request &r : m_sim.Requests()) {
            const auto &b = r.bytes;
            if (b.size() >= 6 && b[1] == 0x26 && b[2] == 0x89 && b[3] == 0x63 && b[4] == 0 && b[5] == 2)
                ++n;
        }
        return n;
    }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
};

TEST_F(ConnectionTest, PollDetectsDriveAndReadsIdentity)
{
    m_sim.SetRegister(0x092B, 2);
    EXPECT_TRUE(m_sys->PollConnection());
    EXPECT_TRUE(m_sys->m_bConnected);
    EXPECT_EQ(m_sys->m_nLinkWord.load(), 0x0101);
    EXPECT_EQ(m_sys->m_nDriveStatus.load(), 2);
    EXPECT_EQ(m_sys->GetDriveModel(), "DRV1");
    EXPECT_EQ(m_sys->GetDriveSerial(), "12345600789abc");
    EXPECT_EQ(m_sys->ReadMcuStdVersion(), "0101");
    EXPECT_EQ(m_sys->ReadMcuCustomVersion(), "0003");
    EXPECT_EQ(m_sys->ReadFpgaStdVersion(), "0102");
    EXPECT_EQ(m_sys->ReadFpgaCustomVersion(), "0001");
    EXPECT_EQ(Handshakes(), 1);

    m_sys->m_bScopeSampling = TRUE;
    m_sim.ClearRequests();
    EXPECT_TRUE(m_sys->PollConnection());
    EXPECT_EQ(Handshakes(), 0) << "no handshake while the oscilloscope samples";
}

TEST_F(ConnectionTest, IdentityTextsFromRegisters)
{
    m_sim.SetRegister(0x897A, 0x00AB);
    m_sim.SetRegister(0x897B, 0x0001);
    m_sim.SetRegister(0x897C, 0xFFFF);
    m_sim.SetRegister(0x897D, 0x0000);
    m_sim.SetRegister(0x8970, 0x4B56);
    m_sim.SetRegister(0x8971, 0x3230);
    ASSERT_TRUE(m_sys->ReadDriveModel());
    ASSERT_TRUE(m_sys->ReadDriveSerial());
    EXPECT_EQ(m_sys->GetDriveModel(), "KV20");
    EXPECT_EQ(m_sys->GetDriveSerial(), "ab0001ffff0000");
}

TEST_F(ConnectionTest, AlarmTextFormat)
{
    struct Case {
        WORD code;
        const char *text;
    } cases[] = {{0x0000, "Er00.0"}, {0x0123, "Er12.3"}, {0x0FFF, "ErFF.F"}, {0x1234, "Er23.4"}};
    for (const Case &c : cases) {
        m_sim.SetRegister(0x0931, c.code);
        EXPECT_EQ(m_sys->GetAlarmText(), c.text) << c.code;
    }
}

TEST_F(ConnectionTest, UnreadableAlarmSaysSo)
{
    FailReadsOf(0x0931);
    EXPECT_EQ(m_sys->GetAlarmText(), CSysParam::kAlarmUnreadable);
    EXPECT_NE(QString(CSysParam::kAlarmUnreadable), "Er00.0");
    m_sim.SetReadHook(0x0931, {});
    Silence();
    EXPECT_EQ(m_sys->GetAlarmText(), CSysParam::kAlarmUnreadable);
}

TEST_F(ConnectionTest, LinkLossDetectedAtNextPoll)
{
    struct Case {
        const char *name;
        SimDrive::FaultKind fault;
        bool portStaysOpen;
    } cases[] = {
        {"drive silent", SimDrive::FaultKind::Silence, true},
        {"device gone", SimDrive::FaultKind::DeviceGone, false},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(m_sys->OpenPortFromSettings()) << c.name;
        m_sim.ClearFaults();
        ASSERT_TRUE(m_sys->PollConnection()) << c.name;
        ASSERT_TRUE(m_sys->m_bConnected) << c.name;
        SimDrive::Fault f;
        f.kind = c.fault;
        f.persistent = true;
        m_sim.InjectFault(f);
        EXPECT_FALSE(m_sys->PollConnection()) << c.name;
        EXPECT_FALSE(m_sys->m_bConnected) << c.name;
        EXPECT_EQ(bool(m_sys->m_SeriesPort.m_bOpen), c.portStaysOpen) << c.name;
        if (c.fault == SimDrive::FaultKind::DeviceGone) {
            // The device comes back: the port reopens and the next poll finds the drive.
            m_sim.ClearFaults();
            m_sim.Stop();
            ASSERT_TRUE(m_sim.Start());
            m_sys->m_strDevicePath = QString::fromStdString(m_sim.SlavePath());
            ASSERT_TRUE(m_sys->ReopenPort());
            EXPECT_TRUE(m_sys->PollConnection());
            EXPECT_TRUE(m_sys->m_bConnected);
        }
    }
}

// A transaction in flight on another thread finishes before the port closes or reopens.
TEST_F(ConnectionTest, PortClosesAndReopensOnlyUnderLinkLock)
{
    for (int reopen = 0; reopen < 2; ++reopen) {
        std::atomic<bool> locked{false};
        std::atomic<bool> released{false};
        std::atomic<bool> readOk{false};
        std::thread worker([&] {
            std::lock_guard lock(m_sys->m_csSerial);
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            int value = 0;
            readOk = m_sys->m_ModbusRTU.ReadRegister(0x9104, &m_sys->m_SeriesPort, m_sys->m_byStation, &value);
            released = true;
        });
        while (!locked)
            std::this_thread::yield();
        if (reopen)
            EXPECT_TRUE(m_sys->ReopenPort());
        else
            m_sys->ClosePort();
        EXPECT_TRUE(released) << "the port changed while the link was in use";
        worker.join();
        EXPECT_TRUE(readOk);
        EXPECT_EQ(bool(m_sys->m_SeriesPort.m_bOpen), reopen == 1);
        ASSERT_TRUE(m_sys->OpenPortFromSettings());
    }
}

TEST_F(ConnectionTest, StateReadFailureKeepsLinkUp)
{
    ASSERT_TRUE(m_sys->PollConnection());
    FailReadsOf(0x092B);
    m_sim.SetRegister(0x9104, 0x0102);
    EXPECT_FALSE(m_sys->PollConnection());
    EXPECT_TRUE(m_sys->m_bConnected);
    EXPECT_EQ(m_sys->m_nDriveStatus.load(), 1) << "the old state stays";
}

TEST_F(ConnectionTest, IdentityFailureOnNewLinkKeepsOldTexts)
{
    m_sys->m_strDriveModel = "OLD1";
    FailReadsOf(0x8971);
    EXPECT_TRUE(m_sys->PollConnection()) << "the identity does not decide the verdict";
    EXPECT_TRUE(m_sys->m_bConnected);
    EXPECT_EQ(m_sys->GetDriveModel(), "OLD1");
}

// On a new link both halves of the identity are read even when one fails, and later polls read
// the missing half again (not at once: the next poll lets it be) until both are known; then they
// stop reading it. A half read once is not asked again.
TEST_F(ConnectionTest, IdentityIsReadAgainUntilBothHalvesAreKnown)
{
    const struct {
        const char *what;
        WORD failing;  // the register whose reads fail on the new link
    } cases[] = {{"model fails", 0x8970}, {"serial fails", 0x897B}, {"both read", 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        m_sys->m_strDriveModel = "OLD1";
        m_sys->m_strDriveSerial = "old";
        m_sim.SetRegister(0x8970, 0x4452);  // "DR"
        m_sim.SetRegister(0x8971, 0x5632);  // "V2"
        m_sim.SetRegister(0x897A, 0x0012);
        m_sim.SetRegister(0x897B, 0x3456);
        m_sim.SetRegister(0x897C, 0x0078);
        m_sim.SetRegister(0x897D, 0x9ABC);
        m_sys->m_bConnected = FALSE;  // a new link
        if (c.failing)
            FailReadsOf(c.failing);
        EXPECT_TRUE(m_sys->PollConnection()) << "online whatever the identity";
        // The half that could be read is there at once.
        EXPECT_EQ(m_sys->GetDriveModel(), c.failing == 0x8970 ? "OLD1" : "DRV2");
        EXPECT_EQ(m_sys->GetDriveSerial(), c.failing == 0x897B ? "old" : "12345600789abc");
        if (c.failing)
            m_sim.SetReadHook(c.failing, {});
        m_sim.ClearRequests();
        EXPECT_TRUE(m_sys->PollConnection());
        EXPECT_TRUE(m_sys->PollConnection()) << "a later poll reads the identity again";
        EXPECT_EQ(m_sys->GetDriveModel(), "DRV2");
        EXPECT_EQ(m_sys->GetDriveSerial(), "12345600789abc");
        const WORD known = c.failing == 0x8970 ? 0x897A : 0x8970;
        for (const SimDrive::Request &r : m_sim.Requests()) {
            const int addr = (r.bytes[2] << 8) | r.bytes[3];
            EXPECT_TRUE(!c.failing || addr != known) << "asked again for " << std::hex << addr;
        }
        // Known now: a later poll leaves the identity registers alone.
        m_sim.ClearRequests();
        EXPECT_TRUE(m_sys->PollConnection());
        for (const SimDrive::Request &r : m_sim.Requests()) {
            ASSERT_GE(r.bytes.size(), 4u);
            const int addr = (r.bytes[2] << 8) | r.bytes[3];
            EXPECT_TRUE(addr < 0x8970 || addr > 0x897D) << std::hex << addr;
        }
    }
}

// A drive that refuses a register of its serial number (or of its model) is online at every
// poll, shows what could be read, and is asked again for the rest, less and less often: the
// polls of a link that never gives it cost little more than a healthy link's.
TEST_F(ConnectionTest, ADriveRefusingAnIdentityRegisterStaysOnline)
{
    const struct {
        const char *what;
        WORD refused;
        const char *model;
        const char *serial;
    } cases[] = {{"serial refused", 0x897A, "DRV1", ""}, {"model refused", 0x8970, "", "12345600789abc"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        m_sys->m_strDevicePath = QString::fromStdString(m_sim.SlavePath());
        m_sys->m_nComBaud = 115200;
        ASSERT_TRUE(m_sys->OpenPortFromSettings());
        FailReadsOf(c.refused);
        std::vector<int> askedAt;
        for (int poll = 0; poll < 12; ++poll) {
            m_sim.ClearRequests();
            EXPECT_TRUE(m_sys->PollConnection()) << "poll " << poll;
            EXPECT_TRUE(m_sys->m_bConnected);
            EXPECT_EQ(m_sys->GetDriveModel(), c.model);
            EXPECT_EQ(m_sys->GetDriveSerial(), c.serial);
            bool asked = false;
            for (const SimDrive::Request &r : m_sim.Requests())
                asked |= r.bytes.size() >= 4 && ((r.bytes[2] << 8) | r.bytes[3]) == c.refused;
            if (asked)
                askedAt.push_back(poll);
        }
        // Asked on the new link, again soon after, then at growing intervals.
        ASSERT_GE(askedAt.size(), 3u);
        EXPECT_EQ(askedAt[0], 0);
        EXPECT_LE(askedAt.size(), 5u);
        for (std::size_t i = 2; i < askedAt.size(); ++i)
            EXPECT_GT(askedAt[i] - askedAt[i - 1], askedAt[i - 1] - askedAt[i - 2]);
        m_sim.SetReadHook(c.refused, {});
    }
}

TEST_F(ConnectionTest, WordOrderFromRegister8006AppliedTo32BitReads)
{
    const WORD addr = 0x0700;
    m_sim.SetRegister(0x8006, 1);
    m_sim.SetRegister32(addr, 0x00012345);
    ASSERT_TRUE(m_sys->PollConnection());
    EXPECT_TRUE(m_sys->m_bLowWordFirst);
    EXPECT_EQ(m_sim.GetRegister(addr), 0x2345) << "the drive holds the low word first";
    int value = 0;
    ASSERT_TRUE(m_sys->ReadReg32(addr, &value));
    EXPECT_EQ(value, 0x00012345);

    m_sim.SetRegister(0x8006, 0);
    m_sim.SetRegister32(addr, 0x00012345);
    ASSERT_TRUE(m_sys->PollConnection());
    EXPECT_FALSE(m_sys->m_bLowWordFirst);
    ASSERT_TRUE(m_sys->ReadReg32(addr, &value));
    EXPECT_EQ(value, 0x00012345);

    // A failed 0x8006 read keeps the order in use.
    m_sim.SetRegister(0x8006, 1);
    FailReadsOf(0x8006);
    ASSERT_TRUE(m_sys->PollConnection());
    EXPECT_FALSE(m_sys->m_bLowWordFirst);
}

struct CheckCase {
    const char *name;
    BYTE driveStation;
    BYTE ourStation;
    WORD linkWord;
    bool up;
};

// One test per case: a case without a drive waits out twenty handshakes, and the table as one
// test would run for seconds.
class CheckConnectionCase : public ConnectionTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckConnectionCase, FindsTheDriveOrReportsItMissing)
{
    const CheckCase &c = GetParam();
    // The logic under test is the check's, not the codec's: shorter reply time-outs will do.
    m_sys->m_ModbusRTU.SetReplyTimeouts(50, 100);
    m_sim.SetStation(c.driveStation);
    m_sim.SetRegister(0x9104, c.linkWord);
    m_sys->m_byStation = c.ourStation;
    m_sys->m_bConnected = FALSE;
    EXPECT_EQ(bool(m_sys->CheckConnection()), c.up) << c.name;
    EXPECT_EQ(bool(m_sys->m_bConnected), c.up) << c.name;
    if (!c.up || c.driveStation == 250) {
        EXPECT_EQ(m_sys->m_byStation.load(), 250) << c.name;
    }
    if (c.up) {
        EXPECT_EQ(m_sys->m_nLinkWord.load(), c.linkWord) << c.name;
        EXPECT_EQ(m_sys->GetDriveModel(), "DRV1") << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckConnectionCase,
                         ::testing::Values(CheckCase{"configured station, any link word", 5, 5, 0x0305, true},
                                           CheckCase{"fallback to 250 with 0x0101", 250, 5, 0x0101, true},
                                           CheckCase{"fallback to 250 with 0x0102", 250, 5, 0x0102, true},
                                           CheckCase{"fallback to 250 with another word", 250, 5, 0x0305, false},
                                           CheckCase{"no drive at either station", 7, 5, 0x0101, false}),
                         [](const ::testing::TestParamInfo<CheckCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST_F(ConnectionTest, ServoReadyForJog)
{
    struct Case {
        WORD runState;
        bool ready;
        const char *textKey;  // null: no message
    } cases[] = {
        {0x1000, true, nullptr},
        {0x0000, false, "IDS_NewInertiaIdentifyDlg_19"},
        {0x2000, false, "IDS_NewInertiaIdentifyDlg_21"},
        {0x3000, false, "IDS_NewInertiaIdentifyDlg_23"},
        {0x1FFF, true, nullptr},
    };
    QWidget main;
    platform::SetMainWindow(&main);
    for (const Case &c : cases) {
        m_ui->ClearCalls();
        m_sim.SetRegister(0x8901, c.runState);
        EXPECT_EQ(m_sys->CheckServoReadyForJog(), c.ready) << c.runState;
        const auto calls = m_ui->Calls();
        ASSERT_EQ(calls.size(), c.textKey ? 1u : 0u) << c.runState;
        if (c.textKey) {
            EXPECT_EQ(calls[0].text, LoadLangString(c.textKey));
        }
    }
    m_ui->ClearCalls();
    FailReadsOf(0x8901);
    m_sim.ClearRequests();
    EXPECT_FALSE(m_sys->CheckServoReadyForJog());
    std::size_t reads = 0;
    for (const SimDrive::Request &r : m_sim.Requests())
        reads += r.bytes.size() >= 4 && r.bytes[1] == 0x23 && r.bytes[2] == 0x89 && r.bytes[3] == 0x01;
    EXPECT_EQ(reads, 10u) << "ten tries before it gives up";
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].text, LoadLangString("IDS_NewInertiaIdentifyDlg_17"));

    platform::SetMainWindow(nullptr);
    m_ui->ClearCalls();
    EXPECT_FALSE(m_sys->CheckServoReadyForJog());
    EXPECT_TRUE(m_ui->Calls().empty());
}

}
