#pragma once
// A settings object connected to the simulated drive over its pseudo-terminal, the source tree's
// simplified-Chinese language file, scripted boxes and the test's own application flags: the
// ground the drive-facing controls and tuning pages are tested on.
#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class SimLinkFixture : public ::testing::Test
{
protected:
    static constexpr int kBaud = 115200;
    using Write = std::pair<int, int>;  // register, value

    void SetUp() override
    {
        ASSERT_TRUE(sim.Start());
        sim.SetBaud(kBaud);
        sim.SeedDefaults();
        sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
        sys.m_nComBaud = kBaud;
        // The simulated drive paces its replies itself; the codec's extra wait after each
        // request only makes page tests slow. The link's own tests keep it.
        sys.m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(sys.OpenPortFromSettings());
        sys.m_bConnected = TRUE;
        SetSysParam(&sys);
        flags.m_bOnline = TRUE;
        SetAppFlags(&flags);
        GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini");
        sim.ClearRequests();
    }
    void TearDown() override
    {
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        GetLangText().m_strLangFile.clear();
        sys.ClosePort();
        sim.Stop();
    }

    static bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 15000)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    // Single-register writes (0x26) and two-register writes (0x20, the 32-bit value in the
    // frame's word order) that reached the drive, oldest first.
    std::vector<Write> Writes() const
    {
        std::vector<Write> w;
        for (const SimDrive::Request &r : sim.Requests()) {
            const auto &b = r.bytes;
            if (b.size() == 8 && b[1] == 0x26)
                w.push_back({(b[2] << 8) | b[3], (b[4] << 8) | b[5]});
        }
        return w;
    }
    std::size_t RequestsTo(std::uint8_t function, std::uint16_t address) const
    {
        std::size_t n = 0;
        for (const auto &r : sim.Requests())
            n += r.bytes.size() >= 4 && r.bytes[1] == function && ((r.bytes[2] << 8) | r.bytes[3]) == address;
        return n;
    }
    // The drive refuses requests for the address (of the function, -1: any).
    void Fail(std::uint16_t address, bool persistent = true, int function = -1)
    {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::ErrorReply;
        f.errorCode = SimDrive::kExRefused;
        f.persistent = persistent;
        f.address = address;
        f.function = function;
        sim.InjectFault(f);
    }

    std::shared_ptr<platform::ScriptedUiServices> ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices uiScope{ui};
    SimDrive sim;
    CSysParam sys;
    CAppFlags flags;
};
