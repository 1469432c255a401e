#pragma once
// The settings object the benchmark and picture programs share: connected to a simulated
// drive, holding the default database's content, installed as the program's own.
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
