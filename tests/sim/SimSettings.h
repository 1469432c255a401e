#pragma once
// The settings object of the tests, benchmarks and picture programs that run the program's
// windows: connected to a simulated drive, holding the default database's content, installed
// as the program's own.
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"

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
