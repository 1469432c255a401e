#pragma once
// The oscilloscope against the simulated drive: a live settings object on the drive's
// pseudo-terminal, scripted boxes, and a window that records what the threads send.
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/scope/NewTrigerDlg.h"
#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/ScopeLink.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/ScopeThreads.h"
#include "platform/UiServices.h"
#include "SimDrive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

class ScopeReceiver : public QWidget, public platform::MessageTarget {
public:
    ScopeReceiver() : MessageTarget(this) {}
    struct Got {
        UINT msg;
        WPARAM w;
        LPARAM l;
        std::vector<double> ch[4];
        std::vector<int> di;
        // The roll frame the message carries; held only while onMessage runs.
        std::shared_ptr<ScopeRollFrame> frame;
    };
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg != UM_SCOPE_PROGRESS && msg != UM_SCOPE_CAPTURE_DONE &&
            msg != UM_SCOPE_ROLL_FRAME && msg != UM_SCOPE_THREAD_ENDED)
            return MessageTarget::WindowProc(msg, w, l);
        Got g{msg, w, l, {}, {}, {}};
        if (msg == UM_SCOPE_ROLL_FRAME)
            g.frame = Payload<ScopeRollFrame>();
        if (g.frame) {
            for (int i = 0; i < 4; ++i)
                g.ch[i] = g.frame->ch[i];
            g.di.assign(g.frame->di.begin(), g.frame->di.end());
        } else if (msg == UM_SCOPE_CAPTURE_DONE || msg == UM_SCOPE_ROLL_FRAME) {
            CScopeSettings *s = CScopeSettings::GetInstance();
            for (int i = 0; i < 4; ++i)
                g.ch[i] = s->m_vecCh[i];
            g.di.assign(s->m_vecDI.begin(), s->m_vecDI.end());
        }
        got.push_back(std::move(g));
        if (onMessage)
            onMessage(got.back());
        got.back().frame.reset();
        return 0;
    }
    std::size_t Count(UINT msg) const
    {
        std::size_t n = 0;
        for (const auto &g : got)
            n += g.msg == msg;
        return n;
    }
    std::vector<Got> got;
    std::function<void(const Got &)> onMessage;
};

// Gives the current device of `sys` an axis 1 holding `param` (a project of one parameter).
inline void AddActiveAxisParameter(CSysParam &sys, const CDBDataParameter &param)
{
    CDataAxisParameter axis;
    axis.nAxisID = 1;
    axis.m_arrParameter << param;
    CDataDevice device;
    device.nDeviceID = sys.m_ProjectDatabase.m_nCurDeviceID;
    device.m_arrAxis << axis;
    sys.m_ProjectDatabase.m_Project.m_arrDevices << device;
}

inline bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

class ScopeLinkTest : public ::testing::Test {
protected:
    static constexpr int kBaud = 115200;
    // The fastest rate the port takes: for fixtures whose tests read whole captures and check
    // nothing of the line's timing, so that 64 blocks do not take a second.
    static constexpr int kFastBaud = 921600;
    virtual int LinkBaud() const { return kBaud; }

    void SetUp() override
    {
        // The roll stop's pauses for the stream to end are for a real line; the simulated
        // drive stops at once.
        CScopeControl::SetStopPauseMs(20);
        ASSERT_TRUE(sim.Start());
        sim.SetBaud(LinkBaud());
        sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
        sys.m_nComBaud = LinkBaud();
        // The simulated drive paces its replies itself; the codec's extra wait after each
        // request would only stretch every block and register exchange.
        sys.m_ModbusRTU.SetFrameMargin(0);
        ASSERT_TRUE(sys.OpenPortFromSettings());
        sys.m_bConnected = TRUE;
        SetSysParam(&sys);
        GetLangText().m_strLangFile =
            QCoreApplication::applicationDirPath() + QStringLiteral("/config/english_US.ini");
        settings = CScopeSettings::GetInstance();
        settings->Reset();
        settings->ClearSamples();
    }
    void TearDown() override
    {
        StopScopeThreads();
        SetSysParam(nullptr);
        CScopeControl::SetStopPauseMs(0);
        SetScopeRollSilenceMs(0);
    }

    // The program's English tables in a program folder of the test's own, and no remembered
    // bit selections or trigger words from an earlier test.
    void UseEnglishProgramFolder(const QString &programDir)
    {
        GetLangText().m_strLanguage = QStringLiteral("EnglishUS");
        SetProgramDir(programDir);
        QDir(programDir).mkpath(QStringLiteral("config/Scope"));
        const QString bin = QCoreApplication::applicationDirPath();
        for (const char *f : {"config/Scope/NewChannel_E.set", "config/Scope/ChBit_E.txt", "config/Scope/Triger_E.txt",
                              "config/english_US.ini"})
            QFile::copy(bin + "/" + f, programDir + "/" + f);
        settings->m_arrBitSetCh.clear();
        std::fill(std::begin(settings->m_wTrigger), std::end(settings->m_wTrigger), WORD(0));
        CNewTrigerDlg::Memory() = CNewTrigerDlg::Remembered();
    }

    // A write as the program makes it: up to 10 attempts.
    static bool Write(WORD address, WORD value)
    {
        for (int i = 0; i < 10; ++i)
            if (scopelink::WriteReg(address, value))
                return true;
        return false;
    }

    std::size_t RequestsTo(std::uint8_t function, std::uint16_t address) const
    {
        std::size_t n = 0;
        for (const auto &r : sim.Requests())
            if (r.bytes.size() >= 4 && r.bytes[1] == function &&
                ((r.bytes[2] << 8) | r.bytes[3]) == address)
                ++n;
        return n;
    }

    std::shared_ptr<platform::ScriptedUiServices> ui =
        std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices uiScope{ui};
    SimDrive sim;
    CSysParam sys;
    CScopeSettings *settings = nullptr;
    ScopeReceiver receiver;
};
