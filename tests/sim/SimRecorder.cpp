// The simulated drive's recorder: single-shot captures into block memory and the roll stream.
#include "SimDrive.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kBlockSize = 128;
constexpr std::size_t kFrameLength = 137;
constexpr std::uint8_t kFuncBlock = 0x2B;

struct Region {
    int channel;
    int width;
    int offsetInN;
};

std::vector<Region> RegionsOf(int layout)
{
    switch (layout) {
    case 0: return {{0, 16, 0}, {1, 16, 2}, {2, 16, 4}, {3, 16, 6}};
    case 1: return {{0, 32, 0}, {2, 16, 4}, {3, 16, 6}};
    case 2: return {{0, 32, 0}, {2, 32, 4}};
    case 3: return {{0, 16, 0}};
    case 4: return {{0, 32, 0}};
    default: return {};
    }
}

void PutLe(std::uint8_t *p, std::uint32_t v, int width)
{
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    if (width == 32) {
        p[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
        p[3] = static_cast<std::uint8_t>((v >> 24) & 0xFF);
    }
}

std::int32_t Signed(std::uint32_t v, int width)
{
    return width == 16 ? static_cast<std::int16_t>(v & 0xFFFF) : static_cast<std::int32_t>(v);
}

bool Meets(int condition, std::int32_t previous, std::int32_t current, std::int32_t level)
{
    switch (condition) {
    case 0: return previous < level && current >= level;
    case 1: return previous > level && current <= level;
    case 2: return current >= level;
    case 3: return current <= level;
    default: return current == level;
    }
}

}

bool SimDrive::IsCountingSource(int code)
{
    return (code >= 0x8C && code <= 0x8F) || (code >= 0xB6 && code <= 0xB9);
}

std::uint32_t SimDrive::RecorderSample(int code, long long sample, int periodCount, int frequency)
{
    if (code <= 0)
        return 0;
    if (IsCountingSource(code))
        return static_cast<std::uint32_t>(sample);
    if (code == 1)
        return static_cast<std::uint32_t>((sample >> 4) & 0x3FF);
    if (code == 2)
        return static_cast<std::uint32_t>((sample >> 5) & 0xFF);
    if (code < 0x80)
        return static_cast<std::uint32_t>((sample >> 3) & 0xFFFF);
    const double t = static_cast<double>(sample) * std::max(periodCount, 1) / std::max(frequency, 1);
    const double amplitude = 1000 + 100 * (code % 8);
    const double hz = 1 + code % 10;
    const long v = std::lround(amplitude * std::sin(2 * M_PI * hz * t));
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
}

int SimDrive::RecorderSamplesPerChannel(int layout, std::size_t bytes)
{
    switch (layout) {
    case 0: case 1: case 2: return static_cast<int>(bytes / 8);
    case 3: return static_cast<int>(bytes / 2);
    case 4: return static_cast<int>(bytes / 4);
    default: return 0;
    }
}

int SimDrive::RecorderSamplesPerFrame(int layout)
{
    return RecorderSamplesPerChannel(layout, kBlockSize);
}

void SimDrive::SetRecorderWords(int words)
{
    std::lock_guard lock(m_mx);
    m_nRecWords = words;
}

void SimDrive::SetRecorderRing(int P, int T)
{
    std::lock_guard lock(m_mx);
    m_nRingP = P;
    m_nRingT = T;
}

void SimDrive::SetRecorderStatusStuck(bool stuck)
{
    std::lock_guard lock(m_mx);
    m_bStatusStuck = stuck;
}

void SimDrive::SetRecorderTimeShare(double share)
{
    std::lock_guard lock(m_mx);
    m_dRecTimeShare = share;
}

bool SimDrive::RecorderRolling() const
{
    std::lock_guard lock(m_mx);
    return m_nRecMode == 2;
}

long long SimDrive::RecorderCaptureStart() const
{
    std::lock_guard lock(m_mx);
    return m_nCaptureStart;
}

void SimDrive::SetBlockFault(std::size_t index, const Fault &fault)
{
    std::lock_guard lock(m_mx);
    m_blockFaults[index] = fault;
}

std::vector<SimDrive::FrameLogEntry> SimDrive::FrameLog() const
{
    std::lock_guard lock(m_mx);
    return m_frameLog;
}

void SimDrive::InjectRollFault(const RollFault &fault)
{
    std::lock_guard lock(m_mx);
    m_rollFaults.push_back(fault);
}

void SimDrive::ClearFrameLog()
{
    std::lock_guard lock(m_mx);
    m_frameLog.clear();
}

bool SimDrive::SetFrameLogFile(const std::string &path)
{
    std::lock_guard lock(m_mx);
    if (m_frameLogFile)
        std::fclose(m_frameLogFile);
    m_frameLogFile = path.empty() ? nullptr : std::fopen(path.c_str(), "w");
    return path.empty() || m_frameLogFile != nullptr;
}

void SimDrive::InstallRecorderHooks()
{
    m_writeHooks[kRegRecCommand] = [this](std::uint16_t, std::uint16_t value) {
        return RecorderCommand(value);
    };
    m_readHooks[kRegRecStatus] = [this](std::uint16_t) -> Access {
        if (m_bStatusStuck)
            return {1, 0};
        if (m_nRecMode != 1)
            return {0, 0};
        const double elapsed =
            std::chrono::duration<double>(Clock::now() - m_tRecStart).count();
        return {static_cast<std::uint16_t>(elapsed >= m_dRecSeconds ? 2 : 1), 0};
    };
}

std::uint16_t SimDrive::RecorderCommand(std::uint16_t value)
{
    m_registers[kRegRecCommand] = value;
    if (value == 2) {
        if (m_bAnaRunning) {
            ++m_nAnaRecorderStops;
            EndAnalysisRun();
        }
        m_nRecMode = 0;
        m_recWake.notify_all();
        return 0;
    }
    if (value != 1)
        return 0;
    for (int i = 0; i < 10; ++i)
        m_wLatched[i] = m_registers[static_cast<std::uint16_t>(0x8959 + i)];
    m_nRecFrequency = std::max<int>(1, m_registers[kRegRecFrequency]);
    const int code = m_wLatched[0];
    if (code <= 4) {
        LatchSingleShot();
    } else if (code <= 9) {
        m_nRecMode = 2;
        m_tRecStart = Clock::now();
        ++m_nRollGeneration;
        m_recWake.notify_all();
    }
    return 0;
}

void SimDrive::LatchSingleShot()
{
    const int layout = m_wLatched[0];
    const int p = std::max<int>(1, m_wLatched[1]);
    const int f = m_nRecFrequency;
    const std::size_t bytes = static_cast<std::size_t>(2 * std::max(m_nRecWords, 0)) / kBlockSize * kBlockSize;
    const int n = RecorderSamplesPerChannel(layout, bytes);
    const int codes[4] = {m_wLatched[2] >> 8, m_wLatched[2] & 0xFF, m_wLatched[3] >> 8,
                          m_wLatched[3] & 0xFF};
    const auto regions = RegionsOf(layout);

    long long start = 0;
    const int source = m_wLatched[4] >> 8;
    const int condition = m_wLatched[4] & 0xFF;
    const std::int32_t level = static_cast<std::int16_t>(m_wLatched[5]);
    const long long pre = m_wLatched[9];
    if (source >= 1 && source <= 4 && n > 0) {
        for (const Region &r : regions) {
            if (r.channel != source - 1)
                continue;
            const int c = codes[r.channel];
            for (long long m = pre; m < pre + 8LL * n; ++m) {
                const auto cur = Signed(RecorderSample(c, m, p, f), r.width);
                const auto prev = m > 0 ? Signed(RecorderSample(c, m - 1, p, f), r.width) : cur;
                if (Meets(condition, prev, cur, level)) {
                    start = m - pre;
                    break;
                }
            }
        }
    }

    int T = m_nRingT;
    int P = m_nRingP;
    if (P < 0 || T < 0) {
        T = n > 8 ? 4 : 0;
        P = n > 0 ? (T + n / 4 + 3) % n : 0;
    }
    int k = 0;
    if (P >= 0 && T >= 0 && P < n && T < n && P != T)
        k = P > T ? P - T : n - T + P;

    Bytes memory(bytes, 0);
    for (const Region &r : regions) {
        const int c = codes[r.channel];
        const std::size_t base = static_cast<std::size_t>(r.offsetInN) * static_cast<std::size_t>(n);
        for (int j = 0; j < n; ++j) {
            const int pos = (j + k) % n;
            PutLe(&memory[base + static_cast<std::size_t>(pos) * static_cast<std::size_t>(r.width / 8)],
                  RecorderSample(c, start + j, p, f), r.width);
        }
    }
    m_blockMemory = std::move(memory);
    m_registers[kRegRecRingP] = static_cast<std::uint16_t>(P);
    m_registers[kRegRecRingT] = static_cast<std::uint16_t>(T);
    m_nCaptureStart = start;
    m_dRecSeconds = static_cast<double>(n) * p / f * m_dRecTimeShare;
    m_tRecStart = Clock::now();
    m_nRecMode = 1;
}

SimDrive::Bytes SimDrive::BuildRollFrame(long long index)
{
    const int layout = m_wLatched[0] - 5;
    const int p = std::max<int>(1, m_wLatched[1]);
    const int s = RecorderSamplesPerFrame(layout);
    const int codes[4] = {m_wLatched[2] >> 8, m_wLatched[2] & 0xFF, m_wLatched[3] >> 8,
                          m_wLatched[3] & 0xFF};
    Bytes frame{m_byStation, kFuncBlock, 0xAA, 0x0F, 0x55, 0xF0,
                static_cast<std::uint8_t>(index & 0xFF)};
    frame.resize(kFrameLength, 0);
    for (const Region &r : RegionsOf(layout)) {
        const std::size_t base = 7 + static_cast<std::size_t>(r.offsetInN) * static_cast<std::size_t>(s);
        for (int j = 0; j < s; ++j)
            PutLe(&frame[base + static_cast<std::size_t>(j) * static_cast<std::size_t>(r.width / 8)],
                  RecorderSample(codes[r.channel], index * s + j, p, m_nRecFrequency), r.width);
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 2 < kFrameLength; ++i)
        sum += frame[i];
    frame[kFrameLength - 2] = static_cast<std::uint8_t>(sum & 0xFF);
    frame[kFrameLength - 1] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
    return frame;
}

void SimDrive::Stream()
{
    std::unique_lock lock(m_mx);
    long long generation = -1;
    long long index = 0;
    Clock::time_point t0;
    Clock::duration period{};
    while (!m_bStop) {
        if (m_nRecMode != 2) {
            m_recWake.wait(lock, [this] { return m_bStop || m_nRecMode == 2; });
            continue;
        }
        if (generation != m_nRollGeneration) {
            generation = m_nRollGeneration;
            t0 = m_tRecStart;
            index = 0;
            const int s = RecorderSamplesPerFrame(m_wLatched[0] - 5);
            const double seconds = static_cast<double>(s) * std::max<int>(1, m_wLatched[1]) / m_nRecFrequency;
            period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        }
        // The first frame follows the start by one period.
        const Clock::time_point due =
            t0 + std::chrono::duration_cast<Clock::duration>(period * (index + 1));
        if (Clock::now() < due) {
            m_recWake.wait_until(lock, due);
            continue;
        }
        RollFault fault;
        const bool faulty = !m_rollFaults.empty();
        if (faulty) {
            fault = m_rollFaults.front();
            m_rollFaults.erase(m_rollFaults.begin());
        }
        if (faulty && fault.kind == RollFaultKind::CounterGap) {
            // The skipped frames never reach the line.
            for (int i = 0; i < fault.count; ++i) {
                FrameLogEntry skipped;
                skipped.index = index;
                skipped.counter = static_cast<int>(index & 0xFF);
                skipped.firstSample = index * RecorderSamplesPerFrame(m_wLatched[0] - 5);
                skipped.at = due;
                m_frameLog.push_back(skipped);
                ++index;
            }
            // The next frame keeps this one's time slot.
            t0 -= period * fault.count;
        }
        Bytes prefix;
        if (faulty && (fault.kind == RollFaultKind::Garbage || fault.kind == RollFaultKind::Burst)) {
            for (int i = 0; i < fault.count; ++i)
                prefix.push_back(fault.kind == RollFaultKind::Garbage ? static_cast<std::uint8_t>(0x11 + i)
                                                                      : static_cast<std::uint8_t>(i * 7));
        }
        const auto wire = WireTime(kFrameLength + prefix.size(), m_nBaud);
        const auto begin = std::max(due, m_lineFreeAt);
        FrameLogEntry entry;
        entry.index = index;
        entry.counter = static_cast<int>(index & 0xFF);
        entry.firstSample = index * RecorderSamplesPerFrame(m_wLatched[0] - 5);
        Bytes frame;
        if (begin + wire > due + period && !faulty) {
            entry.at = due;  // the line is still busy when its slot ends: the frame is lost
        } else {
            m_lineFreeAt = begin + wire;
            if (faulty && fault.kind == RollFaultKind::Split)
                m_lineFreeAt += std::chrono::milliseconds(fault.gapMs);
            frame = BuildRollFrame(index);
            if (faulty && fault.kind == RollFaultKind::BadSum)
                frame[kFrameLength - 2] ^= 0x5A;
            frame.insert(frame.begin(), prefix.begin(), prefix.end());
            entry.sent = true;
        }
        ++index;
        if (entry.sent) {
            lock.unlock();
            bool running = true;
            std::size_t first = frame.size();
            if (faulty && fault.kind == RollFaultKind::Split)
                first = std::min(frame.size(), static_cast<std::size_t>(std::max(fault.count, 1)));
            if (first < frame.size()) {
                running = SleepUntil(begin + WireTime(first, m_nBaud));
                if (running)
                    WriteMaster(Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(first)));
                running = running && SleepUntil(begin + wire + std::chrono::milliseconds(fault.gapMs));
                frame.erase(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(first));
            } else {
                running = SleepUntil(begin + wire);
            }
            lock.lock();
            if (!running)
                break;
            // A frame begun before the stop finishes on the line.
            WriteMaster(frame);
            entry.at = Clock::now();
        }
        m_frameLog.push_back(entry);
        if (m_frameLogFile) {
            // The monotonic clock is the machine's: a program in another process compares the
            // frame times with its own readings of it.
            std::fprintf(m_frameLogFile, "frame %lld counter %d sample %lld %s t_us %lld mono_us %lld\n",
                         entry.index, entry.counter, entry.firstSample,
                         entry.sent ? "sent" : "dropped",
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                    entry.at - t0).count()),
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                    entry.at.time_since_epoch()).count()));
            std::fflush(m_frameLogFile);
        }
    }
}
