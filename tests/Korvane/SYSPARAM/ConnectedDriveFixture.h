#pragma once
// SysParamFixture's program tree with a simulated drive on a pseudo-terminal, seeded from the
// default parameter database, and the settings object connected to it as the program's own.
#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "platform/IniFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ConnectedDriveFixture : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(m_sim.Start());
        std::string error;
        ASSERT_TRUE(m_sim.SeedFromDefaultDatabase(m_dbPath.toStdString(), 1, &error)) << error;
        PrepareDrive();
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(m_sim.SlavePath()));
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        // The simulated drive paces its replies itself; the codec's extra wait after each
        // request only makes page tests slow. The link's own tests keep it.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(m_sys->Init());
        ASSERT_TRUE(m_sys->m_SeriesPort.m_bOpen);
        SetSysParam(m_sys.get());
        ASSERT_TRUE(m_sys->CheckConnection());
    }
    void TearDown() override
    {
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        qunsetenv("KORVANE_DEVICE");
        SysParamFixture::TearDown();
    }
    // Pumps events until the condition holds (at most `ms`); answers the condition. The pump
    // sleeps only until the next event: a worker that sends the page a message and waits for
    // the answer (a progress step per parameter) is served at once, not after a fixed nap. The
    // tick wakes it for conditions that come without an event.
    static bool WaitFor(const std::function<bool()> &done, int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.start(2);
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return true;
    }
    // Register writes the drive received: (address, value) of function 0x26.
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> w;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
                w.push_back({(r.bytes[2] << 8) | r.bytes[3], (r.bytes[4] << 8) | r.bytes[5]});
        return w;
    }
    // What the drive holds besides the database's values, set before the program connects.
    virtual void PrepareDrive() { m_sim.SeedDefaults(); }
    // From PrepareDrive: the drive and the program's stored settings on another line rate.
    // Page tests take the port's top rate: what they check is the pages' logic, not the
    // line's pace, and every exchange takes half the time of the default rate.
    void UseLineRate(int baud)
    {
        m_sim.SetBaud(baud);
        ASSERT_TRUE(platform::IniFile::WriteInt(ConfigIni(), QStringLiteral("SerialPort"), QStringLiteral("ComBaud"), baud));
    }
    static constexpr int kTopRate = 115200;
    // For tests that count the requests of a drive that answers: on a loaded machine a reply
    // may take longer than the codec's window, and a request would go out twice. Tests that
    // make the drive silent shorten the windows again.
    void UseGenerousReplyWindows() { m_sys->m_ModbusRTU.SetReplyTimeouts(400, 400); }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
};
