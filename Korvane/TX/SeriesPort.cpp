#include "TX/SeriesPort.h"

#include "TraceLog.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char *kTraceSource = "TX\\SeriesPort";
constexpr int kWriteTimeoutMs = 5000;

bool IsDeviceGoneErrno(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV;
}

bool IsHangup(short revents)
{
    return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// termios knows a fixed set of rates.
bool BaudToSpeed(int nBaud, speed_t &speed)
{
    static const struct {
        int baud;
        speed_t speed;
    } kRates[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},
        {150, B150},       {200, B200},       {300, B300},       {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    };
    for (const auto &r : kRates) {
        if (r.baud == nBaud) {
            speed = r.speed;
            return true;
        }
    }
    return false;
}

DWORD OpenErrnoToCode(int err)
{
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return CSeriesPort::kOpenNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
        return CSeriesPort::kOpenInUse;
    default:
        return CSeriesPort::kOpenOtherError;
    }
}

}

CSeriesPort::CSeriesPort() = default;

CSeriesPort::~CSeriesPort()
{
    Release();
}

bool CSeriesPort::MakeLineSettings(struct termios &tio, int nBaud, int nParity, int nStopBits)
{
    speed_t speed = B0;
    if (!BaudToSpeed(nBaud, speed))
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    switch (nParity) {
    case 1:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        tio.c_cflag |= PARENB;
        break;
    case 3:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 4:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (nStopBits != 0)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, speed) == 0 && cfsetospeed(&tio, speed) == 0;
}

std::string CSeriesPort::GetDeviceName(int nPort)
{
    if (nPort < 1)
        return {};
    return "/dev/ttyS" + std::to_string(nPort - 1);
}

BOOL CSeriesPort::Open(int nPort, int nBaud, int nParity, int nStopBits)
{
    if (m_bOpen) {
        m_dwLastError = kOpenOk;
        return TRUE;
    }
    const BOOL ok = Open(GetDeviceName(nPort), nBaud, nParity, nStopBits);
    m_nPort = nPort;
    return ok;
}

BOOL CSeriesPort::Open(const std::string &strDevice, int nBaud, int nParity, int nStopBits)
{
    m_dwLastError = kOpenOk;
    m_nLastErrno = 0;
    if (m_bOpen)
        return TRUE;

    m_nPort = 0;
    {
        std::lock_guard lock(m_mxDevice);
        m_strDevice = strDevice;
    }
    m_dwSeenQueued = 0;
    m_tLastInput = {};
    m_nBaud = nBaud;
    m_nParity = nParity;
    m_nStopBits = nStopBits;
    m_nDataBits = 8;

    const int fd = ::open(strDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_nLastErrno = errno;
        m_dwLastError = OpenErrnoToCode(errno);
        return FALSE;
    }
    // Another program (or another port object) already holds the device. TIOCEXCL alone
    // does not keep out a privileged opener, the advisory lock does.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_nLastErrno = errno;
        m_dwLastError = errno == EWOULDBLOCK ? kOpenInUse : kOpenSetupFailed;
        ::close(fd);
        return FALSE;
    }
    termios tio{};
    bool configured = ::ioctl(fd, TIOCEXCL) == 0 && ::tcgetattr(fd, &tio) == 0;
    if (configured && !MakeLineSettings(tio, nBaud, nParity, nStopBits)) {
        KLOG(kTraceSource) << "baud rate " << nBaud << " not available";
        configured = false;
    }
    if (configured)
        configured = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    if (!configured) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        m_dwLastError = kOpenSetupFailed;
        return FALSE;
    }
    if (nStopBits == 1)
        KLOG(kTraceSource) << "1.5 stop bits do not exist with 8 data bits: using 2";

    ::tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_bOpen = TRUE;
    KLOG(kTraceSource) << "串口已打开";
    m_dwLastError = kOpenOk;
    return TRUE;
}

BOOL CSeriesPort::Close()
{
    if (!m_bOpen || m_fd < 0)
        return TRUE;
    Release();
    m_bOpen = FALSE;
    KLOG(kTraceSource) << "串口已关闭";
    return TRUE;
}

void CSeriesPort::Release()
{
    if (m_fd < 0)
        return;
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);  // also drops the lock
    m_fd = -1;
}

void CSeriesPort::OnDeviceGone()
{
    Release();
    m_bOpen = FALSE;
    KLOG(kTraceSource) << "串口拒绝访问 标志位设置为关闭";
}

std::string CSeriesPort::DevicePath() const
{
    std::lock_guard lock(m_mxDevice);
    return m_strDevice;
}

DWORD CSeriesPort::GetBytesQueued()
{
    if (m_fd < 0)
        return 0;
    int n = 0;
    if (::ioctl(m_fd, FIONREAD, &n) != 0 || n < 0)
        return 0;
    if (static_cast<DWORD>(n) > m_dwSeenQueued)
        m_tLastInput = std::chrono::steady_clock::now();
    m_dwSeenQueued = static_cast<DWORD>(n);
    return static_cast<DWORD>(n);
}

void CSeriesPort::NoteInput()
{
    GetBytesQueued();
}

DWORD CSeriesPort::SilenceMicros(int nBaud)
{
    if (nBaud <= 0)
        return 1750;
    // 3.5 characters of 11 bits, rounded up.
    return static_cast<DWORD>((38500000ull + static_cast<unsigned>(nBaud) - 1) / static_cast<unsigned>(nBaud));
}

void CSeriesPort::Idle(DWORD dwMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(dwMs);
    // Until input comes the wait is one poll; after that the queue is looked at every
    // fraction of a character time, so that the last byte's arrival is known closely.
    const auto step = std::chrono::microseconds(std::max<DWORD>(100, SilenceMicros(m_nBaud) / 8));
    bool readableButEmpty = false;
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            return;
        if (m_fd < 0) {
            std::this_thread::sleep_until(deadline);
            return;
        }
        NoteInput();
        if (m_dwSeenQueued == 0 && !readableButEmpty) {
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now);
            const timespec ts{static_cast<time_t>(left.count() / 1'000'000'000),
                              static_cast<long>(left.count() % 1'000'000'000)};
            pollfd p{m_fd, POLLIN, 0};
            if (::ppoll(&p, 1, &ts, nullptr) > 0) {
                // Readable with nothing queued (a hang-up, say) would wake the poll at once
                // for ever: from then on the queue is only looked at step by step.
                NoteInput();
                readableButEmpty = m_dwSeenQueued == 0;
            }
            continue;
        }
        std::this_thread::sleep_until(std::min(deadline, now + step));
    }
}

void CSeriesPort::WaitForSilence()
{
    using Clock = std::chrono::steady_clock;
    const auto silence = std::chrono::microseconds(SilenceMicros(m_nBaud));
    // A line that never falls quiet does not hold the write back for ever.
    const auto giveUp = Clock::now() + std::chrono::milliseconds(100);
    for (;;) {
        NoteInput();
        const auto now = Clock::now();
        const auto quietFrom = m_tLastInput + silence;
        if (now >= quietFrom || now >= giveUp)
            return;
        std::this_thread::sleep_until(std::min(quietFrom, giveUp));
    }
}

BOOL CSeriesPort::WaitForData(int nTimeoutMs)
{
    // May run beside the link's owner (without the link lock): one look at the descriptor.
    const int fd = m_fd;
    if (fd < 0)
        return FALSE;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(nTimeoutMs, 0));
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (r > 0)
            return TRUE;
        if (r == 0 || errno != EINTR)
            return FALSE;
    }
}

void CSeriesPort::Purge()
{
    if (m_fd >= 0)
        ::tcflush(m_fd, TCIOFLUSH);
    m_dwSeenQueued = 0;
}

DWORD CSeriesPort::Read(BYTE *pBuffer, DWORD dwMax)
{
    if (m_fd < 0 || !pBuffer || dwMax == 0)
        return 0;
    int queued = 0;
    if (::ioctl(m_fd, FIONREAD, &queued) != 0) {
        if (IsDeviceGoneErrno(errno))
            OnDeviceGone();
        return 0;
    }
    if (queued <= 0) {
        // Nothing to read; a vanished device shows only as a hang-up here.
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && IsHangup(p.revents))
            OnDeviceGone();
        return 0;
    }
    if (static_cast<DWORD>(queued) > m_dwSeenQueued)
        m_tLastInput = std::chrono::steady_clock::now();
    m_dwSeenQueued = static_cast<DWORD>(queued);
    const DWORD count = std::min(static_cast<DWORD>(queued), dwMax);
    ssize_t r;
    do {
        r = ::read(m_fd, pBuffer, count);
    } while (r < 0 && errno == EINTR);
    if (r > 0) {
        m_dwSeenQueued -= std::min(m_dwSeenQueued, static_cast<DWORD>(r));
        return static_cast<DWORD>(r);
    }
    if ((r < 0 && IsDeviceGoneErrno(errno)) || r == 0)
        OnDeviceGone();  // bytes were queued, yet the device gave none: it has hung up
    return 0;
}

DWORD CSeriesPort::Write(const BYTE *pBuffer, DWORD dwLength)
{
    if (m_fd < 0 || !pBuffer)
        return 0;
    WaitForSilence();
    ::tcflush(m_fd, TCIOFLUSH);
    m_dwSeenQueued = 0;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    DWORD sent = 0;
    while (sent < dwLength) {
        const ssize_t r = ::write(m_fd, pBuffer + sent, dwLength - sent);
        if (r > 0) {
            sent += static_cast<DWORD>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return 0;
            pollfd p{m_fd, POLLOUT, 0};
            const int pr = ::poll(&p, 1, static_cast<int>(left.count()));
            if (pr > 0 && IsHangup(p.revents)) {
                OnDeviceGone();
                return 0;
            }
            if (pr == 0)
                return 0;
            continue;
        }
        if (r < 0 && IsDeviceGoneErrno(errno))
            OnDeviceGone();
        return 0;
    }
    return dwLength;
}

DWORD CSeriesPort::GetFrameTime(DWORD dwBytes, int nBaud)
{
    DWORD margin;
    switch (nBaud) {
    case 2400:
        margin = 80;
        break;
    case 4800:
        margin = 48;
        break;
    case 9600:
        margin = 32;
        break;
    case 19200:
    case 38400:
    case 57600:
    case 115200:
        margin = 16;
        break;
    default:
        margin = 20;
        break;
    }
    if (nBaud <= 0)
        return margin;
    return static_cast<DWORD>(static_cast<std::uint64_t>(dwBytes) * 11000u /
                              static_cast<std::uint64_t>(nBaud)) +
           margin;
}
