#pragma once
// The real serial port and codec against the simulated drive on a pseudo-terminal.

#include "SimDrive.h"
#include "TX/ModbusRTU.h"
#include "TX/SeriesPort.h"

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <thread>
#include <mutex>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes WithCrc(Bytes frame)
{
    const WORD crc = CModbusRTU::CRC16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

inline double MillisSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Collects the informational lines written while it lives.
class LogCapture : public google::LogSink {
public:
    LogCapture() { google::AddLogSink(this); }
    ~LogCapture() override { google::RemoveLogSink(this); }
    using google::LogSink::send;
    void send(google::LogSeverity, const char *, const char *, int,
              const google::LogMessageTime &, const char *message, size_t length) override
    {
        std::lock_guard lock(m_mx);
        m_lines.emplace_back(message, length);
    }
    bool Contains(const std::string &text) const
    {
        std::lock_guard lock(m_mx);
        for (const auto &l : m_lines)
            if (l.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    mutable std::mutex m_mx;
    std::vector<std::string> m_lines;
};

class LinkTest : public ::testing::Test {
protected:
    static constexpr BYTE kStation = 0xFA;
    static constexpr int kBaud = 57600;
    // The codec's shortest reply time-out (register exchanges; block reads wait longer).
    static constexpr std::chrono::milliseconds kShortestReplyTimeOut{100};

    void SetUp() override
    {
        ASSERT_TRUE(sim.Start());
        ASSERT_TRUE(port.Open(sim.SlavePath(), kBaud, 0, 2)) << port.m_dwLastError;
    }

    // Runs an exchange that needs the drive to answer in time, and repeats it (`attempts` times
    // at most) while it failed only because the simulated drive was late: the codec waited out a
    // whole reply time-out and, when it gave up, the drive had not yet put the exchange's reply
    // on the line (on a loaded machine its thread can be scheduled that late). A codec that gives
    // up early, or fails on a reply that came in time, still fails at once. `exchange` sets up
    // whatever each attempt needs (faults are used up by the request they apply to).
    BOOL Timely(const std::function<BOOL()> &exchange, int attempts = 4)
    {
        using Clock = std::chrono::steady_clock;
        BOOL ok = FALSE;
        for (int attempt = 0; attempt < attempts; ++attempt) {
            const std::size_t before = sim.Requests().size();
            const auto start = Clock::now();
            ok = exchange();
            const auto end = Clock::now();
            if (ok || attempt + 1 == attempts || end - start < kShortestReplyTimeOut ||
                !DriveWasLate(before, end))
                return ok;
            // Let the late reply go by and clear it away, so the next attempt starts on a quiet line.
            const auto giveUp = Clock::now() + std::chrono::seconds(2);
            while (DriveWasLate(before, Clock::time_point::max()) && Clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            port.Purge();
            std::fprintf(stderr, "the simulated drive answered after the codec gave up; repeating the exchange\n");
        }
        return ok;
    }

    // Whether a request logged from index `from` on had no reply on the line by `by`, or none
    // was logged at all (the drive had not even read it).
    bool DriveWasLate(std::size_t from, std::chrono::steady_clock::time_point by) const
    {
        const auto requests = sim.Requests();
        if (requests.size() <= from)
            return true;
        for (std::size_t i = from; i < requests.size(); ++i) {
            const auto replied = requests[i].repliedAt;
            if (replied == std::chrono::steady_clock::time_point{} || replied > by)
                return true;
        }
        return false;
    }

    Bytes LastRequest() const
    {
        const auto requests = sim.Requests();
        return requests.empty() ? Bytes{} : requests.back().bytes;
    }

    SimDrive sim;
    CSeriesPort port;
    CModbusRTU rtu;
};
