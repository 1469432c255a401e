// Pictures of the three motor pages against the simulated drive: aid_shots <folder> writes
// jog_move.png (jog mode on, the forward control held), inertia.png (parameters read, servo
// on, forward held while the estimate climbs) and pole_angle.png (an identification running).
#include "AidWorld.h"

#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "Wnds/auxFunction/DlgAidMagCalibration.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>

#include <cstdio>
#include <functional>

namespace {

bool Shoot(CDialogExMid &page, const QString &path, const std::function<void()> &work)
{
    page.Create(nullptr);
    page.resize(1000, 680);
    page.show();
    Pump(200);
    work();
    const bool ok = page.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toUtf8().constData());
    page.DestroyWindow();
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: aid_shots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    AidWorld world;
    if (!world.Start()) {
        std::fprintf(stderr, "cannot start the simulated drive or open its line\n");
        return 1;
    }
    world.sim.Seed({{0x0606, 300}, {0x060A, 200}, {0x0201, 1}, {0x0202, 12}, {0x0204, 400}, {0x0205, 2000},
                    {0x0230, 250}, {0x0232, 0}, {0x0233, 500}, {0x0234, 100}, {0x0235, 200}});
    bool ok = true;
    {
        CDlgAidJogMove jog;
        ok &= Shoot(jog, folder + "/jog_move.png", [&] {
            jog.EnableButton()->click();
            platform::SendMessage(&jog, UM_BUTTON_PRESSED, CDlgAidJogMove::IDC_FORWARD);
            Pump(800);
        });
    }
    {
        world.aids->SetInertiaRatio(420);
        CDlgAidInertia inertia;
        ok &= Shoot(inertia, folder + "/inertia.png", [&] {
            inertia.OnReadParams();
            inertia.ServoButton()->click();
            platform::SendMessage(&inertia, UM_BUTTON_PRESSED, CDlgAidInertia::IDC_FORWARD);
            Pump(1400);
        });
    }
    {
        SimAids::PoleOptions pole;
        pole.step1Ms = 4000;
        world.aids->SetPole(pole);
        CDlgAidMagCalibration mag;
        ok &= Shoot(mag, folder + "/pole_angle.png", [&] {
            mag.StartButton()->click();
            Pump(1600);
        });
    }
    return ok ? 0 : 1;
}
