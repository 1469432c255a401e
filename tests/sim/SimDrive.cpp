#include "SimDrive.h"

#include "database/DefaultRegisters.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t kFuncRead = 0x23;
constexpr std::uint8_t kFuncWrite = 0x26;
constexpr std::uint8_t kFuncWrite32 = 0x20;
constexpr std::uint8_t kFuncBlock = 0x2B;
constexpr std::uint8_t kBlockSubCode = 0xAD;
constexpr std::uint8_t kBlockErrorMark = 0xFB;
constexpr std::size_t kBlockSize = 128;
constexpr std::size_t kBlockReplyLength = 137;
constexpr std::uint16_t kWordOrderRegister = 0x8006;

// The master's reply time-outs; a late reply comes after them.
constexpr int kRegisterTimeoutMs = 100;
constexpr int kBlockTimeoutMs = 200;
constexpr int kLateBeyondPatienceMs = 40;

// Bytes left over from a broken request are dropped when the line was quiet this long.
constexpr auto kResyncGap = std::chrono::milliseconds(20);

std::uint16_t Word(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

void PushWord(std::vector<std::uint8_t> &out, std::uint16_t w)
{
    out.push_back(static_cast<std::uint8_t>(w >> 8));
    out.push_back(static_cast<std::uint8_t>(w & 0xFF));
}

void PushCrc(std::vector<std::uint8_t> &out)
{
    const std::uint16_t crc = SimDrive::Crc16(out.data(), out.size());
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
}

void PutBlockSum(std::vector<std::uint8_t> &reply)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i + 2 < reply.size(); ++i)
        sum += reply[i];
    reply[reply.size() - 2] = static_cast<std::uint8_t>(sum & 0xFF);
    reply[reply.size() - 1] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
}

// Registers that only report: writes are acknowledged and change nothing.
constexpr std::uint16_t kReportOnly[] = {0x092B, 0x0931, 0x8901, 0x8970, 0x8971, 0x897A,
                                         0x897B, 0x897C, 0x897D, 0x9104, 0x9105, 0x9106,
                                         0x9107};

}

SimDrive::SimDrive()
{
    SeedDefaults();
    m_blockMemory.assign(64 * kBlockSize, 0);
}

SimDrive::~SimDrive()
{
    Stop();
    if (m_frameLogFile)
        std::fclose(m_frameLogFile);
}

std::uint16_t SimDrive::Crc16(const std::uint8_t *data, std::size_t length)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

namespace {
// A drive thread woken this much past its time has been starved by the machine: what it sends
// is late by its own fault, not by the master's.
constexpr auto kLateWake = std::chrono::milliseconds(20);
std::atomic<int> s_lateWakes{0};
// Set on each drive's serving thread.
thread_local bool t_serving = false;
}  // namespace

int SimDrive::LateWakes()
{
    return s_lateWakes.load(std::memory_order_relaxed);
}

extern "C" int KorvaneSimLateWakes()
{
    return SimDrive::LateWakes();
}

std::chrono::microseconds SimDrive::WireTime(std::size_t bytes, int baud)
{
    if (baud <= 0)
        return std::chrono::microseconds(0);
    return std::chrono::microseconds(static_cast<long long>(bytes) * 11'000'000LL / baud);
}

std::chrono::microseconds SimDrive::MasterPatience(std::uint8_t function,
                                                   std::size_t requestBytes, int baud)
{
    if (function == kFuncBlock)
        return std::chrono::milliseconds(kBlockTimeoutMs);
    // The master sleeps the request's line time plus a margin before it starts waiting.
    int margin = 20;
    switch (baud) {
    case 2400: margin = 80; break;
    case 4800: margin = 48; break;
    case 9600: margin = 32; break;
    case 19200: case 38400: case 57600: case 115200: margin = 16; break;
    default: break;
    }
    const long long frameMs = baud > 0 ? static_cast<long long>(requestBytes) * 11000 / baud : 0;
    return std::chrono::milliseconds(frameMs + margin + kRegisterTimeoutMs);
}

std::map<std::uint16_t, std::uint16_t> SimDrive::DefaultRegisters()
{
    return {
        {0x0806, 0x0000},  // emergency-stop latch released
        {0x0807, 0x0041},  // jog off
        {0x080C, 0x0041},  // inertia run off
        {0x092B, 0x0001},  // ready
        {0x0931, 0x0000},  // no alarm
        {0x8006, 0x0000},  // 32-bit values: high word first
        {0x8901, 0x1000},  // may be jogged
        {0x8958, 16000},   // recorder: sampling frequency in Hz
        {0x8959, 0x0000}, {0x895A, 0x0000}, {0x895B, 0x0000}, {0x895C, 0x0000},
        {0x895D, 0x0000}, {0x895E, 0x0000}, {0x895F, 0x0000}, {0x8960, 0x0000},
        {0x8961, 0x0000}, {0x8962, 0x0000},  // recorder set-up; 0x8962 also ring position P
        {0x8963, 0x0000},  // recorder command / link handshake
        {0x8965, 0x0000},  // recorder ring position T
        {0x8970, 0x4452},  // model "DR"
        {0x8971, 0x5631},  // model "V1"
        {0x8972, 0x0000}, {0x8973, 0x0000}, {0x8974, 0x0000}, {0x8975, 0x0000},
        {0x897A, 0x0012},  // serial number 12345600789abc
        {0x897B, 0x3456},
        {0x897C, 0x0078},
        {0x897D, 0x9ABC},
        {0x9104, 0x0101},  // link word / MCU standard version
        {0x9105, 0x0000}, {0x9106, 0x0000}, {0x9107, 0x0000},
    };
}

void SimDrive::SeedDefaults()
{
    std::lock_guard lock(m_mx);
    for (const auto &[address, value] : DefaultRegisters())
        m_registers[address] = value;
    for (std::uint16_t address : kReportOnly)
        m_writeHooks[address] = [](std::uint16_t, std::uint16_t) -> std::uint16_t { return 0; };
    InstallRecorderHooks();
    InstallAnalysisHooks();
}

bool SimDrive::Start()
{
    {
        std::lock_guard lock(m_mx);
        if (m_bRunning)
            return true;
    }
    // A drive whose device vanished has ended its thread but still holds it and its wake pipe.
    Stop();
    std::lock_guard lock(m_mx);
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return false;
    char name[PATH_MAX] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        CloseLine();
        return false;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slave < 0) {
        CloseLine();
        return false;
    }
    // A raw line from the start: no echo of requests, no line editing.
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        CloseLine();
        return false;
    }
    m_strSlavePath = name;
    m_rx.clear();
    m_queue.clear();
    m_bStop = false;
    m_bRunning = true;
    m_thread = std::thread([this] { Serve(); });
    m_streamThread = std::thread([this] { Stream(); });
    return true;
}

void SimDrive::Stop()
{
    {
        std::lock_guard lock(m_mx);
        m_bStop = true;
        m_recWake.notify_all();
        if (m_wake[1] >= 0) {
            const char c = 1;
            [[maybe_unused]] const ssize_t r = ::write(m_wake[1], &c, 1);
        }
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_streamThread.joinable())
        m_streamThread.join();
    std::lock_guard lock(m_mx);
    CloseLine();
    for (int &fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SimDrive::CloseLine()
{
    std::lock_guard lock(m_mx);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_bRunning = false;
    if (m_nRecMode == 2)
        m_nRecMode = 0;
    m_recWake.notify_all();
}

bool SimDrive::IsRunning() const
{
    std::lock_guard lock(m_mx);
    return m_bRunning;
}

std::string SimDrive::SlavePath() const
{
    std::lock_guard lock(m_mx);
    return m_strSlavePath;
}

void SimDrive::SetBaud(int nBaud)
{
    std::lock_guard lock(m_mx);
    m_nBaud = nBaud;
}

int SimDrive::Baud() const
{
    std::lock_guard lock(m_mx);
    return m_nBaud;
}

void SimDrive::SetStation(std::uint8_t byStation)
{
    std::lock_guard lock(m_mx);
    m_byStation = byStation;
}

std::uint8_t SimDrive::Station() const
{
    std::lock_guard lock(m_mx);
    return m_byStation;
}

void SimDrive::SetErrorForm(ErrorForm form)
{
    std::lock_guard lock(m_mx);
    m_errorForm = form;
}

void SimDrive::SetRegister(std::uint16_t address, std::uint16_t value)
{
    std::lock_guard lock(m_mx);
    m_registers[address] = value;
}

std::uint16_t SimDrive::GetRegister(std::uint16_t address) const
{
    std::lock_guard lock(m_mx);
    const auto it = m_registers.find(address);
    return it == m_registers.end() ? 0 : it->second;
}

std::vector<std::uint16_t> SimDrive::RegisterAddresses() const
{
    std::lock_guard lock(m_mx);
    std::vector<std::uint16_t> addresses;
    addresses.reserve(m_registers.size());
    for (const auto &entry : m_registers)
        addresses.push_back(entry.first);
    return addresses;
}

bool SimDrive::HasRegister(std::uint16_t address) const
{
    std::lock_guard lock(m_mx);
    return m_registers.count(address) != 0;
}

void SimDrive::RemoveRegister(std::uint16_t address)
{
    std::lock_guard lock(m_mx);
    m_registers.erase(address);
}

void SimDrive::SetRegister32(std::uint16_t address, std::uint32_t value)
{
    std::lock_guard lock(m_mx);
    const auto high = static_cast<std::uint16_t>(value >> 16);
    const auto low = static_cast<std::uint16_t>(value & 0xFFFF);
    const bool lowFirst = GetRegister(kWordOrderRegister) != 0;
    m_registers[address] = lowFirst ? low : high;
    m_registers[static_cast<std::uint16_t>(address + 1)] = lowFirst ? high : low;
}

std::uint32_t SimDrive::GetRegister32(std::uint16_t address) const
{
    std::lock_guard lock(m_mx);
    const std::uint32_t first = GetRegister(address);
    const std::uint32_t second = GetRegister(static_cast<std::uint16_t>(address + 1));
    return GetRegister(kWordOrderRegister) != 0 ? (second << 16) | first : (first << 16) | second;
}

void SimDrive::Seed(const std::map<std::uint16_t, std::uint16_t> &registers)
{
    std::lock_guard lock(m_mx);
    for (const auto &[address, value] : registers)
        m_registers[address] = value;
}

void SimDrive::SetReadHook(std::uint16_t address, ReadHook hook)
{
    std::lock_guard lock(m_mx);
    if (hook)
        m_readHooks[address] = std::move(hook);
    else
        m_readHooks.erase(address);
}

void SimDrive::SetWriteHook(std::uint16_t address, WriteHook hook)
{
    std::lock_guard lock(m_mx);
    if (hook)
        m_writeHooks[address] = std::move(hook);
    else
        m_writeHooks.erase(address);
}

void SimDrive::SetBlockMemory(std::vector<std::uint8_t> memory)
{
    std::lock_guard lock(m_mx);
    m_blockMemory = std::move(memory);
}

void SimDrive::InjectFault(const Fault &fault)
{
    std::lock_guard lock(m_mx);
    m_faults.push_back(fault);
}

void SimDrive::ClearFaults()
{
    std::lock_guard lock(m_mx);
    m_faults.clear();
    m_blockFaults.clear();
    m_rollFaults.clear();
}

void SimDrive::SendRaw(const std::vector<std::uint8_t> &bytes)
{
    WriteMaster(bytes);
}

bool SimDrive::LineSettings(struct termios &settings) const
{
    std::lock_guard lock(m_mx);
    return m_slave >= 0 && ::tcgetattr(m_slave, &settings) == 0;
}

std::vector<SimDrive::Request> SimDrive::Requests() const
{
    std::lock_guard lock(m_mx);
    return m_requests;
}

void SimDrive::ClearRequests()
{
    std::lock_guard lock(m_mx);
    m_requests.clear();
    m_nRequestsCleared = m_nRequestsLogged;
}

void SimDrive::MarkReplied(Clock::time_point lastWrite)
{
    std::lock_guard lock(m_mx);
    const long long index = m_nHandling - m_nRequestsCleared;
    if (index >= 0 && index < static_cast<long long>(m_requests.size()))
        m_requests[static_cast<std::size_t>(index)].repliedAt = lastWrite;
}

std::chrono::microseconds SimDrive::ShortestReplyGap(const std::vector<Request> &requests)
{
    auto shortest = std::chrono::microseconds::max();
    for (std::size_t i = 1; i < requests.size(); ++i) {
        const auto replied = requests[i - 1].repliedAt;
        if (replied == Clock::time_point{})
            continue;
        shortest = std::min(shortest,
                            std::chrono::duration_cast<std::chrono::microseconds>(requests[i].at - replied));
    }
    return shortest;
}

SimDrive::Clock::time_point SimDrive::WriteMaster(const Bytes &bytes)
{
    std::lock_guard lock(m_mx);
    std::size_t done = 0;
    Clock::time_point lastWrite = Clock::now();
    while (m_master >= 0 && done < bytes.size()) {
        lastWrite = Clock::now();
        const ssize_t r = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
        } else if (r < 0 && errno == EAGAIN) {
            pollfd p{m_master, POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0)
                return lastWrite;  // nobody reads: the bytes are lost, as on a real line
        } else if (!(r < 0 && errno == EINTR)) {
            return lastWrite;
        }
    }
    return lastWrite;
}

bool SimDrive::SleepUntil(Clock::time_point when)
{
    // The serving thread keeps reading the line while it waits: a request sent meanwhile is on
    // the line all the same, and is answered after the one in hand.
    bool watchLine = t_serving;
    for (;;) {
        if (m_bStop)
            return false;
        const auto now = Clock::now();
        if (now >= when) {
            if (now - when > kLateWake)
                s_lateWakes.fetch_add(1, std::memory_order_relaxed);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(when - now);
        timespec ts{static_cast<time_t>(left.count() / 1'000'000'000),
                    static_cast<long>(left.count() % 1'000'000'000)};
        pollfd p[2] = {{m_wake[0], POLLIN, 0}, {watchLine ? m_master : -1, POLLIN, 0}};
        if (::ppoll(p, 2, &ts, nullptr) <= 0)
            continue;
        if (p[0].revents != 0)
            return false;  // woken: stop
        if (p[1].revents & POLLIN)
            Intake();
        else if (p[1].revents != 0)
            watchLine = false;  // no reader on the line: nothing to take in for now
    }
}

void SimDrive::Serve()
{
    t_serving = true;
    // The wait is cut into short slices only to notice a starved thread: when the machine
    // wakes it much later than asked, a request that came meanwhile was read just as late.
    constexpr int kSliceMs = 10;
    for (;;) {
        if (m_bStop)
            break;
        if (!m_queue.empty()) {
            Queued next = std::move(m_queue.front());
            m_queue.pop_front();
            if (!Handle(next))
                break;
            continue;
        }
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const auto asked = Clock::now();
        const int r = ::poll(fds, 2, kSliceMs);
        if (m_bStop)
            break;
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (r == 0) {
            if (Clock::now() - asked > std::chrono::milliseconds(kSliceMs) + kLateWake)
                s_lateWakes.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        if (fds[0].revents & POLLIN) {
            Intake();
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // The line has no reader at the moment; wait for one without spinning.
            if (!SleepUntil(Clock::now() + std::chrono::milliseconds(10)))
                break;
        }
    }
}

void SimDrive::Intake()
{
    std::uint8_t buf[4096];
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0)
        return;
    const auto now = Clock::now();
    if (!m_rx.empty() && now - m_lastRx > kResyncGap)
        m_rx.clear();
    m_rx.insert(m_rx.end(), buf, buf + n);
    m_lastRx = now;
    TakeFrames(now);
}

void SimDrive::TakeFrames(Clock::time_point received)
{
    while (m_rx.size() >= 2) {
        std::size_t length = 8;
        if (m_rx[1] == kFuncWrite32) {
            if (m_rx.size() < 7)
                break;
            length = 9 + m_rx[6];
        }
        if (m_rx.size() < length)
            break;
        Bytes frame(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(length));
        m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(length));
        std::uint8_t station;
        long long serial;
        {
            std::lock_guard lock(m_mx);
            m_requests.push_back({frame, received, {}});
            serial = m_nRequestsLogged++;
            station = m_byStation;
        }
        if (Crc16(frame.data(), frame.size()) != 0) {
            m_rx.clear();  // out of step: start afresh with the next request
            continue;
        }
        if (frame[0] != station)
            continue;
        m_queue.push_back({std::move(frame), received, serial});
    }
}

bool SimDrive::TakeFault(const Bytes &frame, Fault &fault)
{
    const std::uint8_t function = frame[1];
    // Register requests carry their address in bytes 2 and 3; block reads have none.
    const int address = function != kFuncBlock && frame.size() >= 4 ? (frame[2] << 8) | frame[3] : -1;
    std::lock_guard lock(m_mx);
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (it->function >= 0 && it->function != function)
            continue;
        if (it->address >= 0 && it->address != address)
            continue;
        fault = *it;
        if (!it->persistent)
            m_faults.erase(it);
        return true;
    }
    return false;
}

namespace {

// The reply as the drive means it, with a byte changed and its check made to match again.
void Recheck(std::vector<std::uint8_t> &reply, bool block)
{
    if (block && reply.size() == kBlockReplyLength) {
        PutBlockSum(reply);
    } else if (reply.size() >= 2) {
        reply.resize(reply.size() - 2);
        PushCrc(reply);
    }
}

}

bool SimDrive::Handle(const Queued &request)
{
    const Bytes &frame = request.frame;
    const Clock::time_point received = request.received;
    m_nHandling = request.serial;
    const std::uint8_t function = frame[1];
    const bool block = function == kFuncBlock;
    Fault fault;
    bool faulty = false;
    if (block) {
        // Faults placed on one block index come first.
        std::lock_guard lock(m_mx);
        const auto it = m_blockFaults.find(static_cast<std::size_t>(frame[3] | (frame[4] << 8)));
        if (it != m_blockFaults.end()) {
            fault = it->second;
            faulty = true;
            if (!fault.persistent)
                m_blockFaults.erase(it);
        }
    }
    if (!faulty)
        faulty = TakeFault(frame, fault);
    if (faulty && fault.kind == FaultKind::DeviceGone) {
        CloseLine();
        return false;
    }
    if (faulty && fault.kind == FaultKind::Silence)
        return true;

    Bytes reply;
    int baud;
    Clock::time_point lineFree;
    Clock::duration lateBy{};
    {
        std::lock_guard lock(m_mx);
        reply = BuildReply(frame);
        baud = m_nBaud;
        lineFree = m_lineFreeAt;
        lateBy = NextLateness(function, frame.size());
    }
    // A reply waits for whatever the line still carries (a roll frame, an earlier reply).
    auto start = std::max(received + WireTime(frame.size(), baud) + lateBy, lineFree);
    if (faulty) {
        switch (fault.kind) {
        case FaultKind::BadChecksum:
            if (block && reply.size() == kBlockReplyLength)
                reply[kBlockReplyLength - 2] ^= 0x5A;
            else if (!reply.empty())
                reply.back() ^= 0x5A;
            break;
        case FaultKind::BadHeader:
            if (block && reply.size() == kBlockReplyLength) {
                reply[3] ^= 0xFF;
                PutBlockSum(reply);
            }
            break;
        case FaultKind::ShortReply:
            reply.resize(reply.size() - std::min(reply.size(),
                                                 static_cast<std::size_t>(std::max(fault.shortBy, 0))));
            break;
        case FaultKind::WrongByteCount:
            // Reads name their data's length in byte 2, two-register writes their count in 4-5.
            if (function == kFuncRead && reply.size() >= 5 && !(reply[1] & 0x80) && reply[2] != 0x80)
                reply[2] ^= 0x06;
            else if (function == kFuncWrite32 && reply.size() == 8 && !(reply[1] & 0x80))
                reply[5] ^= 0x06;
            Recheck(reply, block);
            break;
        case FaultKind::WrongStation:
            if (!reply.empty())
                reply[0] ^= 0x01;
            Recheck(reply, block);
            break;
        case FaultKind::WrongFunction:
            if (reply.size() >= 2)
                reply[1] = static_cast<std::uint8_t>((reply[1] & 0x80) |
                                                     ((reply[1] & 0x7F) == kFuncRead ? kFuncWrite : kFuncRead));
            Recheck(reply, block);
            break;
        case FaultKind::Garbage: {
            // Line noise as long as the reply: no frame of any kind.
            std::uint32_t x = static_cast<std::uint32_t>(request.serial) * 2654435761u + 12345u;
            for (std::uint8_t &b : reply) {
                x = x * 1103515245u + 12345u;
                b = static_cast<std::uint8_t>(x >> 16);
            }
            if (!reply.empty() && reply[0] == m_byStation)
                reply[0] ^= 0x80;
            break;
        }
        case FaultKind::ErrorReply:
            reply = block ? BlockErrorReply(frame, fault.errorCode)
                          : ErrorReply(function, fault.errorCode,
                                       function == kFuncWrite ? ErrorForm::Bit7 : fault.form);
            break;
        case FaultKind::RawReply:
            reply = fault.raw;
            if (fault.appendCrc)
                PushCrc(reply);
            break;
        case FaultKind::LateReply:
            start = received + (fault.delayMs > 0
                                    ? std::chrono::microseconds(fault.delayMs * 1000LL)
                                    : MasterPatience(function, frame.size(), baud) +
                                          std::chrono::milliseconds(kLateBeyondPatienceMs));
            break;
        default:
            break;
        }
    }
    if (reply.empty())
        return true;
    if (faulty && fault.kind == FaultKind::SplitReply) {
        const std::size_t first =
            std::min(reply.size(), fault.splitAt > 0 ? static_cast<std::size_t>(fault.splitAt)
                                                     : reply.size() / 2);
        const auto firstEnd = start + WireTime(first, baud);
        if (!SleepUntil(firstEnd))
            return false;
        WriteMaster(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(first)));
        const auto restEnd = firstEnd + std::chrono::milliseconds(fault.gapMs) +
                             WireTime(reply.size() - first, baud);
        if (!SleepUntil(restEnd))
            return false;
        MarkReplied(WriteMaster(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(first), reply.end())));
        return true;
    }
    {
        std::lock_guard lock(m_mx);
        start = std::max(start, m_lineFreeAt);
        m_lineFreeAt = start + WireTime(reply.size(), baud);
    }
    if (!SleepUntil(start + WireTime(reply.size(), baud)))
        return false;
    MarkReplied(WriteMaster(reply));
    return true;
}

SimDrive::Clock::duration SimDrive::NextLateness(std::uint8_t function, std::size_t requestBytes)
{
    if (m_late.maxMs <= 0 && m_late.pastWindowEvery <= 0)
        return {};
    ++m_nLateCount;
    if (m_late.pastWindowEvery > 0 && m_nLateCount % m_late.pastWindowEvery == 0)
        return MasterPatience(function, requestBytes, m_nBaud) + std::chrono::milliseconds(kLateBeyondPatienceMs) -
               WireTime(requestBytes, m_nBaud);
    const int span = std::max(m_late.maxMs - m_late.minMs, 0);
    const int ms = m_late.minMs + (span > 0 ? static_cast<int>(m_lateRandom() % static_cast<unsigned>(span + 1)) : 0);
    return std::chrono::milliseconds(ms);
}

void SimDrive::SetLateAnswers(const LateAnswers &late)
{
    std::lock_guard lock(m_mx);
    m_late = late;
    m_lateRandom.seed(late.seed);
    m_nLateCount = 0;
}

SimDrive::Access SimDrive::ReadLocked(std::uint16_t address)
{
    const auto hook = m_readHooks.find(address);
    if (hook != m_readHooks.end())
        return hook->second(address);
    const auto it = m_registers.find(address);
    if (it == m_registers.end())
        return {0, kExUnknownRegister};
    return {it->second, 0};
}

std::uint16_t SimDrive::WriteLocked(std::uint16_t address, std::uint16_t value)
{
    const auto hook = m_writeHooks.find(address);
    if (hook != m_writeHooks.end())
        return hook->second(address, value);
    const auto it = m_registers.find(address);
    if (it == m_registers.end())
        return kExUnknownRegister;
    it->second = value;
    return 0;
}

SimDrive::Bytes SimDrive::ErrorReply(std::uint8_t function, std::uint16_t code,
                                     ErrorForm form) const
{
    Bytes reply{m_byStation};
    if (form == ErrorForm::Code16) {
        reply.push_back(function);
        reply.push_back(0x80);
        reply.push_back(0x01);
        PushWord(reply, code);
    } else {
        reply.push_back(static_cast<std::uint8_t>(function | 0x80));
        reply.push_back(static_cast<std::uint8_t>(code & 0xFF));
    }
    PushCrc(reply);
    return reply;
}

SimDrive::Bytes SimDrive::BlockErrorReply(const Bytes &frame, std::uint16_t code) const
{
    Bytes reply{m_byStation, kBlockErrorMark, frame[1], frame[2], frame[3], frame[4]};
    PushWord(reply, code);
    PushCrc(reply);
    return reply;
}

SimDrive::Bytes SimDrive::BuildReply(const Bytes &frame)
{
    const std::uint8_t function = frame[1];
    const std::uint16_t address = Word(&frame[2]);
    switch (function) {
    case kFuncRead: {
        const std::uint16_t count = Word(&frame[4]);
        if (count != 1 && count != 2)
            return ErrorReply(function, kExBadValue, m_errorForm);
        Bytes reply{m_byStation, function, static_cast<std::uint8_t>(2 * count)};
        for (std::uint16_t i = 0; i < count; ++i) {
            const Access a = ReadLocked(static_cast<std::uint16_t>(address + i));
            if (a.exception != 0)
                return ErrorReply(function, a.exception, m_errorForm);
            PushWord(reply, a.value);
        }
        PushCrc(reply);
        return reply;
    }
    case kFuncWrite: {
        if (const std::uint16_t ex = WriteLocked(address, Word(&frame[4])))
            return ErrorReply(function, ex, ErrorForm::Bit7);
        return Bytes(frame.begin(), frame.begin() + 8);
    }
    case kFuncWrite32: {
        if (Word(&frame[4]) != 2 || frame[6] != 4)
            return ErrorReply(function, kExBadValue, m_errorForm);
        std::uint16_t ex = WriteLocked(address, Word(&frame[7]));
        if (ex == 0)
            ex = WriteLocked(static_cast<std::uint16_t>(address + 1), Word(&frame[9]));
        if (ex != 0)
            return ErrorReply(function, ex, m_errorForm);
        Bytes reply{m_byStation, function};
        PushWord(reply, address);
        PushWord(reply, 2);
        PushCrc(reply);
        return reply;
    }
    case kFuncBlock: {
        if (frame[2] != kBlockSubCode)
            return BlockErrorReply(frame, kExIllegalFunction);
        const std::size_t index = frame[3] | (frame[4] << 8);
        if ((index + 1) * kBlockSize > m_blockMemory.size())
            return BlockErrorReply(frame, kExUnknownRegister);
        Bytes reply{m_byStation, function, 0xAA, 0x0F, 0x55, 0xF0, frame[3]};
        const auto from = m_blockMemory.begin() + static_cast<std::ptrdiff_t>(index * kBlockSize);
        reply.insert(reply.end(), from, from + kBlockSize);
        reply.resize(kBlockReplyLength);
        PutBlockSum(reply);
        return reply;
    }
    default:
        return ErrorReply(function, kExIllegalFunction, ErrorForm::Bit7);
    }
}

bool SimDrive::SeedFromDefaultDatabase(const std::string &dbPath, int productId,
                                       std::string *error)
{
    QString why;
    const auto defaults =
        LoadDefaultRegisterValues(QString::fromStdString(dbPath), productId, &why);
    if (defaults.empty()) {
        if (error)
            *error = why.isEmpty() ? "no parameters in " + dbPath : why.toStdString();
        return false;
    }
    const auto identity = DefaultRegisters();
    for (const auto &[address, def] : defaults) {
        // The identity and control registers keep the values a live drive reports.
        if (identity.count(address))
            continue;
        if (def.width == 32)
            SetRegister32(address, def.value);
        else
            SetRegister(address, static_cast<std::uint16_t>(def.value & 0xFFFFu));
    }
    return true;
}

std::string SimDrive::DefaultDatabasePath()
{
    return KORVANE_DEFAULT_PARAMS_DB;
}
