// Pictures of the six status pages: status_shots <folder> [<korvane-sim>] starts the simulated
// drive program with raised faults (--faults 0A1,0B2,1234; the last is the latest), connects
// to it, works each page as a user would and writes data_monitor.png, fault_management.png,
// dido_display.png, dido_monitor.png, dido_settings.png and device_info.png. Without the
// program's path it uses the korvane-sim beside itself.
#include "StatusWorld.h"
#include "support/Shots.h"

#include "Wnds/DiDo/DlgDiDoMonitor.h"
#include "Wnds/DiDo/DlgDiDoSet.h"
#include "Wnds/DiDo/DlgDiShowSet.h"
#include "Wnds/auxFunction/DlgDeviceInfo.h"
#include "Wnds/auxFunction/DlgFaultManagement.h"
#include "Wnds/auxFunction/DlgStatusData.h"
#include "grid/DlgBCGGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <functional>

namespace {

using shots::Pump;

bool Shoot(CDialogExMid &page, const QString &path, const std::function<void()> &work)
{
    page.Create(nullptr);
    page.resize(1100, 640);
    page.show();
    Pump(200);
    work();
    Pump(300);
    const bool ok = page.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toUtf8().constData());
    page.DestroyWindow();
    return ok;
}

}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto out = shots::OutputFolder(argc, argv, "status_shots <folder> [<korvane-sim>]");
    if (!out)
        return 2;
    const QString folder = out->path();
    const QString simProgram =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QCoreApplication::applicationDirPath() + "/korvane-sim";
    QProcess sim;
    sim.start(simProgram, {"--faults", "0A1,0B2,1234"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "status_shots: %s did not start\n", simProgram.toUtf8().constData());
        return 1;
    }
    const std::string device = sim.readLine().trimmed().toStdString();
    platform::ScopedUiServices ui(std::make_shared<platform::ScriptedUiServices>());
    int failed = 0;
    {
        World w;
        if (!w.Start(57600, device)) {
            std::fprintf(stderr, "status_shots: no link to %s\n", device.c_str());
            sim.terminate();
            return 1;
        }
        auto path = [&](const char *name) { return QDir(folder).filePath(QString::fromLatin1(name)); };
        // The cause pictures the build installed, where the page looks for them.
        const QDir pictures(QStringLiteral(KORVANE_COMMONRES_DIR "/FaultManagementInfoRes"));
        const QString target = GetParentDirectory(GetProgramDir()) + "/CommonRes/FaultManagementInfoRes";
        QDir().mkpath(target);
        for (const QString &name : pictures.entryList(QDir::Files))
            QFile::copy(pictures.filePath(name), target + "/" + name);

        CDlgStatusData monitor;
        failed += !Shoot(monitor, path("data_monitor.png"), [&] {
            const char *names[] = {"电机转速", "位置反馈", "母线电压", "DI端子状态"};
            for (int k = 0; k < CDlgStatusData::kSlots; ++k)
                monitor.Combo(k)->setCurrentIndex(monitor.Combo(k)->findText(QString::fromUtf8(names[k])));
            for (int row : {0, 5, 6})
                monitor.SetRowChecked(row, true);
            monitor.OnStart();
            Pump(6000);
        });
        CDlgFaultManagement faults;
        failed += !Shoot(faults, path("fault_management.png"), [&] {
            faults.HistoryBox()->click();
            Pump(10000, [&] { return !faults.IsBusy(); });
            Pump(300);
            QLGridCellNotify hit;
            hit.nRow = 0;
            hit.nColumn = 1;
            platform::SendMessage(platform::WindowRef(&faults), UM_GRID_CELL_LCLICK,
                                  reinterpret_cast<WPARAM>(faults.FaultGrid()), reinterpret_cast<LPARAM>(&hit));
        });
        CDlgDiShowSet display;
        failed += !Shoot(display, path("dido_display.png"), [&] { Pump(3500); });
        CDlgDiDoMonitor io;
        failed += !Shoot(io, path("dido_monitor.png"), [&] {
            platform::SendMessage(platform::WindowRef(&io), UM_PAGE_ACTIVATE, 0, 0);
            Pump(5000, [&] { return !io.IsBusy(); });
        });
        CDlgDiDoSet settings;
        failed += !Shoot(settings, path("dido_settings.png"), [&] {
            platform::SendMessage(platform::WindowRef(&settings), UM_PAGE_ACTIVATE, 0, 0);
            Pump(5000, [&] { return !settings.IsBusy(); });
        });
        CDlgDeviceInfo info;
        failed += !Shoot(info, path("device_info.png"), [&] { Pump(1500, [&] { return !info.IsReading(); }); });
    }
    sim.terminate();
    sim.waitForFinished(3000);
    return failed ? 1 : 0;
}
