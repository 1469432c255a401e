#pragma once
// The motor pages' world for the benchmark and the pictures: the simulated drive with its test
// functions in this process, the settings object on its pseudo-terminal, the flags on line,
// scripted boxes, no safety prompt, and the source tree's simplified-Chinese texts.
#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "SimAids.h"
#include "SimDrive.h"
#include "Wnds/auxFunction/AidSafetyPrompt.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>

inline void Pump(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct AidWorld
{
    SimDrive sim;
    std::unique_ptr<SimAids> aids;
    CSysParam sys;
    CAppFlags flags;
    platform::ScopedUiServices ui{std::make_shared<platform::ScriptedUiServices>()};

    bool Start()
    {
        if (!sim.Start())
            return false;
        sim.SetBaud(115200);
        sim.SeedDefaults();
        aids = std::make_unique<SimAids>(sim);
        sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
        sys.m_nComBaud = 115200;
        if (!sys.OpenPortFromSettings())
            return false;
        sys.m_bConnected = TRUE;
        SetSysParam(&sys);
        flags.m_bOnline = TRUE;
        SetAppFlags(&flags);
        SetAidSafetyPromptRunner([](QWidget *, const QString &, BOOL *) {});
        GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini");
        return true;
    }
    ~AidWorld()
    {
        GetLangText().m_strLangFile.clear();
        SetAidSafetyPromptRunner({});
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        sys.ClosePort();
        aids.reset();
        sim.Stop();
    }
};
