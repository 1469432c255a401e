// Pictures of the three motor pages against the simulated drive: aid_shots <folder> writes
// jog_move.png (jog mode on, the forward control held), inertia.png (parameters read, servo
// on, forward held while the estimate climbs), inertia_<w>x<h>.png at two window sizes (after a
// run and a result write) and pole_angle.png (an identification running).
#include "AidWorld.h"
#include "support/Shots.h"

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
    const bool ok = shots::Save(page, path);
    page.DestroyWindow();
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto out = shots::OutputFolder(argc, argv, "aid_shots <folder>");
    if (!out)
        return 2;
    const QString folder = out->path();
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
            Pump(300);
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
            Pump(300);
            platform::SendMessage(&inertia, UM_BUTTON_PRESSED, CDlgAidInertia::IDC_FORWARD);
            Pump(1400);
        });
    }
    {
        // The inertia page after a run and a result write (banner on top, write gauge full), at
        // its own size and grown, so that its anchors show.
        CDlgAidInertia inertia;
        inertia.Create(nullptr);
        inertia.show();
        Pump(200);
        inertia.OnReadParams();
        inertia.ServoButton()->click();
        Pump(300);
        platform::SendMessage(&inertia, UM_BUTTON_PRESSED, CDlgAidInertia::IDC_FORWARD);
        Pump(1400);
        platform::SendMessage(&inertia, UM_BUTTON_RELEASED, CDlgAidInertia::IDC_FORWARD);
        Pump(100);
        inertia.ServoButton()->click();
        Pump(300);
        platform::SendMessage(&inertia, UM_BUTTON_RELEASED, CDlgAidInertia::IDC_WRITE_GAUGE);
        Pump(200);
        const QSize own = CDialogExMid::MapDialogRect(QRect(0, 0, 680, 380)).size();
        for (const QSize &size : {own, QSize(own.width() * 3 / 2, own.height() * 3 / 2)}) {
            inertia.resize(size);
            Pump(200);
            const QString path = folder + QStringLiteral("/inertia_%1x%2.png").arg(size.width()).arg(size.height());
            const bool shot = inertia.grab().save(path);
            std::printf("%s %s\n", shot ? "wrote" : "could not write", path.toUtf8().constData());
            ok &= shot;
        }
        inertia.DestroyWindow();
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
