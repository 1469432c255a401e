#pragma once
// The real serial port and codec against the simulated drive on a pseudo-terminal.

#include "SimDrive.h"
#include "TX/ModbusRTU.h"
#include "TX/SeriesPort.h"

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
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

    void SetUp() override
    {
        ASSERT_TRUE(sim.Start());
        ASSERT_TRUE(port.Open(sim.SlavePath(), kBaud, 0, 2)) << port.m_dwLastError;
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
