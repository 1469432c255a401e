#include "LinkTestSupport.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

// Waits until the port has `count` bytes queued (the drive's thread writes them).
bool WaitQueued(CSeriesPort &port, DWORD count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (port.GetBytesQueued() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        port.WaitForData(10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}

TEST(SeriesPortFrameTime, ElevenBitTimesPerBytePlusMarginByRate)
{
    const struct {
        DWORD bytes;
        int baud;
        DWORD ms;
    } cases[] = {
        {8, 57600, 1 + 16},   {8, 9600, 9 + 32},    {13, 115200, 1 + 16}, {8, 2400, 36 + 80},
        {8, 14400, 6 + 20},   {8, 4800, 18 + 48},   {8, 19200, 4 + 16},   {8, 38400, 2 + 16},
        {137, 57600, 26 + 16}, {0, 57600, 16},      {8, 0, 20},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CSeriesPort::GetFrameTime(c.bytes, c.baud), c.ms)
            << c.bytes << " bytes at " << c.baud;
}

TEST(SeriesPortDeviceName, NumberedPortsCountFromOne)
{
    EXPECT_EQ(CSeriesPort::GetDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(CSeriesPort::GetDeviceName(10), "/dev/ttyS9");
    EXPECT_EQ(CSeriesPort::GetDeviceName(0), "");
}

TEST(SeriesPortOpen, FailuresGiveTheirCodeAndLeaveThePortClosed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string plainFile = (dir.path() + "/not-a-tty").toStdString();
    const int fd = ::open(plainFile.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);

    const struct {
        const char *what;
        std::string path;
        DWORD code;
    } cases[] = {
        {"missing device", dir.path().toStdString() + "/ttyUSB9", CSeriesPort::kOpenNotFound},
        {"empty name", "", CSeriesPort::kOpenNotFound},
        {"directory", dir.path().toStdString(), CSeriesPort::kOpenOtherError},
        {"plain file", plainFile, CSeriesPort::kOpenSetupFailed},
        {"not a serial line", "/dev/null", CSeriesPort::kOpenSetupFailed},
    };
    for (const auto &c : cases) {
        CSeriesPort port;
        EXPECT_FALSE(port.Open(c.path, 57600, 0, 2)) << c.what;
        EXPECT_EQ(port.m_dwLastError, c.code) << c.what;
        EXPECT_FALSE(port.m_bOpen) << c.what;
        EXPECT_EQ(port.Read(nullptr, 0), 0u);
    }
}

TEST(SeriesPortOpen, NumberedPortThatDoesNotExistIsNotFound)
{
    CSeriesPort port;
    EXPECT_FALSE(port.Open(4000, 57600, 0, 2));
    EXPECT_EQ(port.m_dwLastError, CSeriesPort::kOpenNotFound);
    EXPECT_EQ(port.m_nPort, 4000);
    EXPECT_EQ(port.DevicePath(), "/dev/ttyS3999");
}

TEST(SeriesPortOpen, DeviceWithoutPermissionCountsAsInUse)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/locked").toStdString();
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0000);
    ASSERT_GE(fd, 0);
    ::close(fd);
    CSeriesPort port;
    EXPECT_FALSE(port.Open(path, 57600, 0, 2));
    EXPECT_EQ(port.m_dwLastError, CSeriesPort::kOpenInUse);
}

TEST(SeriesPortOpen, UnsupportedBaudRateFailsTheSetUp)
{
    SimDrive sim;
    ASSERT_TRUE(sim.Start());
    CSeriesPort port;
    EXPECT_FALSE(port.Open(sim.SlavePath(), 14400, 0, 2));
    EXPECT_EQ(port.m_dwLastError, CSeriesPort::kOpenSetupFailed);
    EXPECT_FALSE(port.m_bOpen);
    // The device is free again.
    EXPECT_TRUE(port.Open(sim.SlavePath(), 57600, 0, 2));
}

TEST(SeriesPortOpen, SecondUserIsRefusedUntilTheFirstCloses)
{
    SimDrive sim;
    ASSERT_TRUE(sim.Start());
    CSeriesPort first, second;
    ASSERT_TRUE(first.Open(sim.SlavePath(), 57600, 0, 2));
    EXPECT_FALSE(second.Open(sim.SlavePath(), 57600, 0, 2));
    EXPECT_EQ(second.m_dwLastError, CSeriesPort::kOpenInUse);
    EXPECT_FALSE(second.m_bOpen);
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Open(sim.SlavePath(), 57600, 0, 2));
    EXPECT_EQ(second.m_dwLastError, CSeriesPort::kOpenOk);
}

TEST(SeriesPortLine, RateParityAndStopBitsByCode)
{
    const struct {
        int baud, parity, stop;
        speed_t speed;
        tcflag_t parityFlags;  // of PARENB | PARODD | CMSPAR
        bool twoStopBits;
    } cases[] = {
        {57600, 0, 2, B57600, 0, true},
        {115200, 0, 0, B115200, 0, false},
        {2400, 1, 0, B2400, PARENB | PARODD, false},
        {9600, 2, 0, B9600, PARENB, false},
        {19200, 3, 0, B19200, PARENB | PARODD | CMSPAR, false},
        {38400, 4, 0, B38400, PARENB | CMSPAR, false},
        {57600, 7, 0, B57600, 0, false},  // unknown parity code: none
        {57600, 0, 1, B57600, 0, true},   // one and a half: two
        {57600, 0, 5, B57600, 0, true},   // unknown stop code: two
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.baud << " parity " << c.parity << " stop " << c.stop);
        termios tio{};
        tio.c_cflag = PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CS5;  // left over
        tio.c_lflag = ICANON | ECHO | ISIG;
        tio.c_iflag = IXON | IXOFF | ICRNL;
        ASSERT_TRUE(CSeriesPort::MakeLineSettings(tio, c.baud, c.parity, c.stop));
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStopBits);
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
    }
    termios tio{};
    EXPECT_FALSE(CSeriesPort::MakeLineSettings(tio, 14400, 0, 2));
}

// A pseudo-terminal keeps no parity, the rest of the set-up shows on the line.
TEST(SeriesPortOpen, TheLineGetsItsSettings)
{
    for (const auto &[baud, stop, speed] : {std::tuple{57600, 2, B57600}, {115200, 0, B115200},
                                            {2400, 0, B2400}}) {
        SCOPED_TRACE(baud);
        SimDrive sim;
        ASSERT_TRUE(sim.Start());
        CSeriesPort port;
        ASSERT_TRUE(port.Open(sim.SlavePath(), baud, 0, stop));
        EXPECT_EQ(port.m_nDataBits, 8);
        termios tio{};
        ASSERT_TRUE(sim.LineSettings(tio));
        EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(speed));
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, stop != 0);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    }
}

TEST_F(LinkTest, OpenOnAnOpenPortKeepsItsSettings)
{
    EXPECT_TRUE(port.Open(sim.SlavePath(), 9600, 2, 0));
    EXPECT_EQ(port.m_dwLastError, CSeriesPort::kOpenOk);
    EXPECT_EQ(port.m_nBaud, kBaud);
    EXPECT_EQ(port.m_nParity, 0);
    EXPECT_EQ(port.m_nStopBits, 2);
    termios tio{};
    ASSERT_TRUE(sim.LineSettings(tio));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
}

TEST_F(LinkTest, ReadTakesOnlyWhatIsQueued)
{
    BYTE buf[100] = {};
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);  // nothing there: no wait, nothing read

    sim.SendRaw({1, 2, 3});
    ASSERT_TRUE(WaitQueued(port, 3));
    EXPECT_EQ(port.Read(buf, 100), 3u);
    EXPECT_EQ(Bytes(buf, buf + 3), (Bytes{1, 2, 3}));

    sim.SendRaw({4, 5, 6, 7, 8});
    ASSERT_TRUE(WaitQueued(port, 5));
    EXPECT_EQ(port.Read(buf, 2), 2u);
    EXPECT_EQ(port.Read(buf + 2, 100), 3u);
    EXPECT_EQ(Bytes(buf, buf + 5), (Bytes{4, 5, 6, 7, 8}));
    EXPECT_TRUE(port.m_bOpen);
}

TEST_F(LinkTest, WriteDiscardsUnreadInputFirst)
{
    sim.SendRaw({9, 9, 9});
    ASSERT_TRUE(WaitQueued(port, 3));
    const BYTE junk[] = {1, 2, 3, 4};  // no frame the drive answers
    EXPECT_EQ(port.Write(junk, sizeof junk), 4u);
    EXPECT_EQ(port.GetBytesQueued(), 0u);
    BYTE buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
}

TEST_F(LinkTest, WaitForDataReturnsWhenBytesArrive)
{
    EXPECT_FALSE(port.WaitForData(20));
    std::thread sender([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        sim.SendRaw({0x55});
    });
    EXPECT_TRUE(port.WaitForData(2000));
    sender.join();
    BYTE b = 0;
    EXPECT_EQ(port.Read(&b, 1), 1u);
    EXPECT_EQ(b, 0x55);
}

TEST_F(LinkTest, OpenAndCloseLeaveTraceLines)
{
    LogCapture log;
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.m_bOpen);
    EXPECT_TRUE(log.Contains("串口已关闭"));
    EXPECT_TRUE(port.Close());  // closing a closed port is harmless
    ASSERT_TRUE(port.Open(sim.SlavePath(), kBaud, 0, 2));
    EXPECT_TRUE(log.Contains("串口已打开"));
}

TEST_F(LinkTest, VanishedDeviceClosesThePort)
{
    const struct {
        const char *what;
        DWORD (*use)(CSeriesPort &);
    } cases[] = {
        {"read", [](CSeriesPort &p) { BYTE b[8]; return p.Read(b, sizeof b); }},
        {"write", [](CSeriesPort &p) { const BYTE b[] = {1, 2}; return p.Write(b, sizeof b); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SimDrive drive;
        ASSERT_TRUE(drive.Start());
        CSeriesPort p;
        ASSERT_TRUE(p.Open(drive.SlavePath(), kBaud, 0, 2));
        LogCapture log;
        drive.Stop();  // the adapter is pulled out
        EXPECT_EQ(c.use(p), 0u);
        EXPECT_FALSE(p.m_bOpen);
        EXPECT_TRUE(log.Contains("串口拒绝访问 标志位设置为关闭"));
        // Later users find it closed and get nothing.
        BYTE b[4] = {};
        EXPECT_EQ(p.Read(b, sizeof b), 0u);
        EXPECT_EQ(p.Write(b, sizeof b), 0u);
        EXPECT_FALSE(p.WaitForData(1));
        EXPECT_TRUE(p.Close());
    }
}

TEST(SeriesPortReopen, ADeviceThatCameBackOpensAgain)
{
    SimDrive first;
    ASSERT_TRUE(first.Start());
    CSeriesPort port;
    ASSERT_TRUE(port.Open(first.SlavePath(), 57600, 0, 2));
    first.Stop();
    BYTE b[4];
    port.Read(b, sizeof b);
    ASSERT_FALSE(port.m_bOpen);

    SimDrive second;
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(port.Open(second.SlavePath(), 57600, 0, 2));
    EXPECT_TRUE(port.m_bOpen);
}

// Three and a half characters of 11 bits at every rate, fast lines too: a fixed longer pause
// there would cost a block upload at 115,200 baud a tenth of its time.
TEST(SeriesPortSilence, ThreeAndAHalfCharacters)
{
    const struct {
        int baud;
        DWORD micros;
    } cases[] = {{9600, 4011}, {19200, 2006}, {38400, 1003}, {57600, 669}, {115200, 335}, {0, 1750}};
    for (const auto &c : cases)
        EXPECT_EQ(CSeriesPort::SilenceMicros(c.baud), c.micros) << c.baud;
}
