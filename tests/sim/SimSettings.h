#pragma once
// The settings object of the tests, benchmarks and picture programs that run the program's
// windows: connected to a simulated drive, holding the default database's content, installed
// as the program's own; and the main window they open on it.
#include "KorvaneView.h"
#include "MainFrame.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "platform/UiServices.h"

inline void ConnectSettingsToSim(CSysParam &sys, const SimDrive &sim)
{
    sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
    sys.OpenPortFromSettings();
    CDataProject loaded;
    sys.m_ProjectDatabase.LoadDefaultDatabase(loaded, 1);
    sys.m_ProjectDatabase.m_Project = loaded;
    SetSysParam(&sys);
}

// Starts the simulated drive with the default database's values in its registers.
inline bool StartSeededSim(SimDrive &sim)
{
    if (!sim.Start())
        return false;
    sim.SeedFromDefaultDatabase(SimDrive::DefaultDatabasePath());
    return true;
}

// The program's main window as it shows once its splash is over: the application's main window,
// at the given size, with the pages of its view made.
inline void ShowMainFrame(CMainFrame &frame, int width, int height)
{
    platform::SetMainWindow(&frame);
    frame.AllowShow();
    frame.resize(width, height);
    frame.show();
    frame.GetActiveView()->OnInitialUpdate();
}
