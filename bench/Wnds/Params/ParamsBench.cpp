// Read of every parameter of the default database by the parameter page's read-all command,
// from the simulated drive at 57,600 and 115,200 baud: parameters per second, and the ratio of
// the time taken to the line's floor (the request and reply bytes of every read at 11 bit times
// a byte, nothing else). Writes a picture of the page after the read ("params_page.png", or
// the path given as the first argument).
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/Params/DlgParams.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Lets the GUI thread's events run for `ms`.
void WaitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Outcome
{
    int parameters = 0;
    double seconds = 0;
    double floorSeconds = 0;
    bool ok = false;
};

Outcome Run(int baud, platform::ScriptedUiServices &ui, const QString &shot)
{
    Outcome outcome;
    SimDrive sim;
    sim.Start();
    sim.SetBaud(baud);
    const QString dbPath = QString::fromStdString(SimDrive::DefaultDatabasePath());
    sim.SeedFromDefaultDatabase(dbPath.toStdString());
    sim.SeedDefaults();
    CSysParam sys(dbPath);
    sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
    sys.m_nComBaud = baud;
    sys.OpenPortFromSettings();
    CDataProject loaded;
    sys.m_ProjectDatabase.LoadDefaultDatabase(loaded, 1);
    sys.m_ProjectDatabase.m_Project = loaded;
    SetSysParam(&sys);
    if (sys.CheckConnection()) {
        CDlgParams page;
        page.Create(nullptr);
        page.resize(1280, 760);
        page.show();
        NavigationTarget all;
        all.m_nTargetId = 0;
        all.m_bAll = 1;
        page.ShowParamGroup(all);
        ui.ClearCalls();
        QElapsedTimer clock;
        clock.start();
        page.ReadAllParameters();
        while (page.IsTransferRunning() || ui.Calls().empty())
            WaitMs(1);
        WaitMs(20);
        outcome.seconds = double(clock.nsecsElapsed()) / 1e9;
        outcome.parameters = int(page.m_arrTransferParameter.size());
        for (const CDBDataParameter &p : page.m_arrTransferParameter) {
            const std::size_t reply = p.dwWidth == 32 ? 9 : 7;
            outcome.floorSeconds += double(SimDrive::WireTime(8 + reply, baud).count()) / 1e6;
        }
        outcome.ok = !ui.Calls().front().text.contains(QString::fromUtf8("失败"));
        if (!shot.isEmpty()) {
            page.Grid()->GetGrid()->SetCurSel(platform::GridItemID{3, 2});
            QCoreApplication::processEvents();
            page.grab().save(shot);
        }
    }
    SetSysParam(nullptr);
    sim.Stop();
    return outcome;
}

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The texts of the language file laid out beside the program.
    GetLangText().m_strLangFile = QCoreApplication::applicationDirPath() + QStringLiteral("/config/chinese_S.ini");
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices uiScope(ui);
    const QString shot = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("params_page.png");
    for (int baud : {57600, 115200}) {
        const Outcome o = Run(baud, *ui, baud == 115200 ? shot : QString());
        std::printf("read all at %6d baud: %3d parameters in %6.3f s = %6.1f parameters/s; line floor %6.3f s; "
                    "ratio %.2f%s\n",
                    baud, o.parameters, o.seconds, o.seconds > 0 ? o.parameters / o.seconds : 0.0, o.floorSeconds,
                    o.floorSeconds > 0 ? o.seconds / o.floorSeconds : 0.0, o.ok ? "" : " (reads failed)");
        std::fflush(stdout);
    }
    return 0;
}
