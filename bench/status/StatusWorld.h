#pragma once
// The status pages' world for the benchmark and the pictures: a program tree in a temporary
// directory, a drive (the simulated one in this process, or one already running on a device),
// the settings object connected to it, the read worker, a main window and the flags on line.
#include "AppFlags.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Thread/ReadQueue.h"
#include "database/DbServices.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>
#include <string>

class MainStub : public QWidget, public platform::MessageTarget
{
public:
    MainStub() : MessageTarget(this) {}
};

struct World
{
    QTemporaryDir tmp;
    SimDrive sim;
    std::unique_ptr<CSysParam> sys;
    MainStub main;
    std::unique_ptr<CReadQueue> queue;
    CAppFlags flags;

    // `device`: a drive already serving there; empty: the simulated drive of this world.
    bool Start(int baud, const std::string &device = std::string())
    {
        const QString bin = tmp.filePath("bin");
        QDir().mkpath(bin + "/config");
        QDir().mkpath(tmp.filePath("CommonRes/ParamsData"));
        const QString db = tmp.filePath("CommonRes/ParamsData/ZiDizorAdovora.mdb");
        QFile::copy(QString::fromStdString(SimDrive::DefaultDatabasePath()), db);
        SetProgramDir(bin);
        SetDbProgramDir(bin);
        if (device.empty()) {
            sim.SetBaud(baud);
            std::string error;
            if (!sim.SeedFromDefaultDatabase(db.toStdString(), 1, &error) || !sim.Start())
                return false;
            sim.SetStatusMoving(true);
            sim.RaiseFault(0x0A1);
            sim.RaiseFault(0x1234);
        }
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(device.empty() ? sim.SlavePath() : device));
        sys = std::make_unique<CSysParam>(db);
        if (!sys->Init())
            return false;
        sys->m_nComBaud = baud;
        sys->ReopenPort();
        SetSysParam(sys.get());
        if (!sys->CheckConnection())
            return false;
        flags.m_bOnline = TRUE;
        SetAppFlags(&flags);
        platform::SetMainWindow(&main);
        queue = std::make_unique<CReadQueue>(*sys);
        SetReadQueue(queue.get());
        return true;
    }
    ~World()
    {
        if (queue)
            queue->Shutdown();
        SetReadQueue(nullptr);
        platform::SetMainWindow(nullptr);
        SetAppFlags(nullptr);
        SetSysParam(nullptr);
        sys.reset();
        sim.Stop();
        SetProgramDir(QString());
        SetDbProgramDir(QString());
    }
    void Silence()
    {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        sim.InjectFault(f);
    }
};

