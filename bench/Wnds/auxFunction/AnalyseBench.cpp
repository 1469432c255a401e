// The mechanism analysis against the in-process simulated drive:
//   readback <baud> ratio <r>: the record's read-back (status seen complete to the last of the
//     64 blocks) over its floor, 64 × 145 bytes × 11 bits / baud; target at most 1.15.
//   spin <ms>: one step of the smoothing spin on a 2048-point result (smooth both curves and
//     plot them again); target under 100 ms.
//   --screenshot PATH: the page after a run on a 500 Hz resonance, with the same mechanism
//     measured at 8000 Hz opened as the grey compare curves, grabbed into a PNG file.
//   bench_analyse [--rounds N] [--screenshot PATH]
#include "AppFlags.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "Wnds/auxFunction/DlgAidAnalyzeDocker.h"
#include "Wnds/auxFunction/MaRun.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ReadBack(SimDrive &sim, CSysParam &sys, int baud)
{
    sim.SetBaud(baud);
    sys.m_nComBaud = baud;
    sys.ReopenPort();
    sys.m_bConnected = TRUE;
    // A run whose record is complete at once.
    sim.SetAnalysisSeconds(0);
    sim.SetRegister(0x8943, 0);
    sys.WriteReg(0x8943, 1, CSysParam::LinkWait::Block, 10);
    std::vector<unsigned char> record(8192);
    Clock::time_point first{};
    Clock::time_point last{};
    const marun::SampleEnd end = marun::WaitAndRead(
        [] { return true; },
        [&](int block) {
            if (block == 0 && first == Clock::time_point{})
                first = Clock::now();
        },
        record.data());
    last = Clock::now();
    if (end != marun::SampleEnd::Complete)
        return -1;
    const double seconds = std::chrono::duration<double>(last - first).count();
    const double floor = 64.0 * 145.0 * 11.0 / baud;
    return seconds / floor;
}

}

int main(int argc, char **argv)
{
    QString screenshot;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--screenshot") == 0)
            screenshot = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (screenshot.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    auto script = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices ui(script);
    CAppFlags flags;
    flags.m_bIsDangerAnalyseWnd = TRUE;
    SetAppFlags(&flags);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("config/Aid"));
    SetProgramDir(dir.path());

    SimDrive sim;
    if (!sim.Start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    CSysParam sys;
    sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
    sys.m_nComBaud = SimDrive::kDefaultBaud;
    if (!sys.OpenPortFromSettings()) {
        std::fprintf(stderr, "cannot open the simulated drive\n");
        return 1;
    }
    SetSysParam(&sys);

    for (int baud : {57600, 115200}) {
        double best = 1e9;
        for (int r = 0; r < rounds; ++r)
            best = std::min(best, ReadBack(sim, sys, baud));
        std::printf("readback %d ratio %.3f\n", baud, best);
    }

    // A measured result on the page, then spin steps.
    sim.SetBaud(115200);
    sys.m_nComBaud = 115200;
    sys.ReopenPort();
    sys.m_bConnected = TRUE;
    sim.SetAnalysisSeconds(0.01);
    SimDrive::MechanismModel model;
    model.resonanceHz = 500;
    sim.SetMechanismModel(model);
    QWidget host;
    host.resize(1200, 800);
    auto *page = new DlgAidAnalyse();
    page->setWindowFlags(Qt::Widget);
    page->Create(&host);
    page->resize(1200, 800);
    page->OnBntStartTest();
    QElapsedTimer wait;
    wait.start();
    while ((page->MainResult().nCount != 2048 || page->WorkerRunning()) && wait.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    double worst = 0;
    for (int level = 1; level <= 25; ++level) {
        const QString text = QString::number(level);
        const auto t0 = Clock::now();
        page->OnSmoothingChanged(text);
        worst = std::max(worst, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::printf("spin %.1f\n", worst);

    if (!screenshot.isEmpty()) {
        auto run = [&](int rate) {
            sim.SetRegister(0x8940, static_cast<std::uint16_t>(rate));
            page->OnBntStartTest();
            QElapsedTimer t;
            t.start();
            while ((page->MainResult().nSampleRate != rate || page->WorkerRunning()) && t.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        };
        const QString msf = dir.filePath(QStringLiteral("8000.msf"));
        run(8000);
        script->PushFile(msf);
        page->OnSave();
        page->Docker()->SetSmoothLevelText(QStringLiteral("0"));
        run(16000);
        script->PushFile(msf);
        page->OnCompare();
        host.show();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const bool saved = host.grab().save(screenshot);
        std::printf("screenshot %s %s\n", qPrintable(screenshot), saved ? "saved" : "failed");
    }
    page->DestroyWindow();
    delete page;
    SetSysParam(nullptr);
    SetAppFlags(nullptr);
    SetProgramDir(QString());
    sys.ClosePort();
    sim.Stop();
    return 0;
}
