#pragma once
// A status or I/O page's world: a program tree in a temporary directory, a simulated drive on a
// pseudo-terminal seeded from the default parameter database, the settings object connected to
// it, the application's flags on line, and scripted message boxes.
#include "SysParamFixture.h"

#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <memory>

class DrivePageFixture : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        std::string error;
        ASSERT_TRUE(m_sim.SeedFromDefaultDatabase(m_dbPath.toStdString(), 1, &error)) << error;
        m_sim.EnableStatusSide();
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(m_sim.SlavePath()));
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        ASSERT_TRUE(m_sys->Init());
        ASSERT_TRUE(m_sys->m_SeriesPort.m_bOpen);
        SetSysParam(m_sys.get());
        ASSERT_TRUE(m_sys->CheckConnection());
        m_flags.m_bOnline = TRUE;
        SetAppFlags(&m_flags);
        m_ui->ClearCalls();
        m_sim.ClearRequests();
    }
    void TearDown() override
    {
        DestroyPages();
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        qunsetenv("KORVANE_DEVICE");
        SysParamFixture::TearDown();
    }
    // Tests that own pages destroy them here, before the link goes.
    virtual void DestroyPages() {}

    // The link as the program sees it when the drive is away.
    void GoOffline()
    {
        m_sys->m_bConnected = FALSE;
        m_flags.m_bOnline = FALSE;
    }
    void Silence()
    {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        m_sim.InjectFault(f);
    }

    // Pumps events until the condition holds (at most `ms`); answers the condition.
    static bool WaitFor(const std::function<bool()> &cond, int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!cond()) {
            if (t.elapsed() > ms)
                return false;
            QTest::qWait(5);
        }
        return true;
    }
    static void Pump(int rounds = 5)
    {
        for (int i = 0; i < rounds; ++i)
            QCoreApplication::processEvents();
    }

    // Register writes the drive received: (address, value), function 0x26.
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> w;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
                w.push_back({(r.bytes[2] << 8) | r.bytes[3], (r.bytes[4] << 8) | r.bytes[5]});
        return w;
    }
    // Addresses the drive was asked to read (function 0x23).
    std::vector<int> Reads() const
    {
        std::vector<int> a;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x23)
                a.push_back((r.bytes[2] << 8) | r.bytes[3]);
        return a;
    }
    std::vector<QString> BoxTexts() const
    {
        std::vector<QString> t;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox)
                t.push_back(c.text);
        return t;
    }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    CAppFlags m_flags;
};
