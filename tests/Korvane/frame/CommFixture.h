#pragma once
// The settings object on the simulated drive, published for the dialogs and the frame, with the
// application's switches of the test's own and scripted message boxes.
#include "Korvane/SYSPARAM/SysParamFixture.h"

#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

inline bool WaitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

class CommFixture : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        // The dialog's logic is tested here, not the codec's timing.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(m_sys->Init());
        // The device is named in the settings, as the dialog leaves it.
        m_sys->ClosePort();
        m_sys->m_strDevicePath = QString::fromStdString(m_sim.SlavePath());
        ASSERT_TRUE(m_sys->OpenPortFromSettings());
        SetSysParam(m_sys.get());
        SetAppFlags(&m_flags);
    }
    void TearDown() override
    {
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        SysParamFixture::TearDown();
    }

    QString SimPath() const { return QString::fromStdString(m_sim.SlavePath()); }
    std::vector<platform::ScriptedUiServices::Call> Boxes() const
    {
        std::vector<platform::ScriptedUiServices::Call> boxes;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox)
                boxes.push_back(c);
        return boxes;
    }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    CAppFlags m_flags;
};
