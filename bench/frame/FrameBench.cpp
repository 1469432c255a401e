// GUI responsiveness of the main window: a 10 ms probe timer on the GUI thread runs for 20 s
// while the frame's 2-second status tick polls the simulated drive, (a) answering, (b) silent,
// (c) answering while the read worker reads every parameter of the default database over
// and over, (d) falling silent while the monitor pane watches 20 parameters. Prints the longest gap between two probes of each run (target: at most 50 ms).
#include "DlgParamMointor.h"
#include "SimSettings.h"
#include "MainFrame.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Thread/ReadQueue.h"
#include "database/DataProject.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <algorithm>
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

constexpr int kRunMs = 20000;
constexpr int kProbeMs = 10;

// Asks for every parameter again as soon as the previous read is done.
class Rereader : public QWidget, public platform::MessageTarget
{
public:
    Rereader(CReadQueue &queue, CReadRequest request) : MessageTarget(this), m_queue(queue), m_request(std::move(request))
    {
        m_request.m_hPageWnd = platform::WindowRef(this);
    }
    void Start() { m_queue.AppendReadRequest(m_request); }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_READ_DONE && w == 1) {
            ++done;
            Start();
            return 0;
        }
        return MessageTarget::WindowProc(msg, w, l);
    }
    int done = 0;

private:
    CReadQueue &m_queue;
    CReadRequest m_request;
};

enum class Drive { Answering, Silent, AnsweringWhileReadingAll, SilentWhileMonitoring };

struct Outcome
{
    qint64 longestGapMs = 0;
    qint64 longestAtMs = 0;
    int probes = 0;
    bool online = false;
    int readsDone = 0;
    int parameters = 0;
    int monitored = 0;
};

Outcome Run(Drive drive)
{
    SimDrive sim;
    sim.Start();
    const QString dbPath = QString::fromStdString(SimDrive::DefaultDatabasePath());
    sim.SeedFromDefaultDatabase(dbPath.toStdString());
    if (drive == Drive::Silent) {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        sim.InjectFault(f);
    }
    CSysParam sys(dbPath);
    ConnectSettingsToSim(sys, sim);
    CReadQueue queue(sys);
    SetReadQueue(&queue);

    Outcome outcome;
    {
        CMainFrame frame;
        platform::SetMainWindow(&frame);
        frame.AllowShow();
        frame.show();

        CReadRequest all;
        if (const CDataAxisParameter *axis = sys.FindActiveAxis(1))
            all.m_arrParam = axis->m_arrParameter;
        outcome.parameters = int(all.m_arrParam.size());
        Rereader rereader(queue, all);
        if (drive == Drive::AnsweringWhileReadingAll)
            rereader.Start();
        if (drive == Drive::SilentWhileMonitoring) {
            // Online first, 20 parameters watched and read once, then the drive falls silent.
            QElapsedTimer wait;
            wait.start();
            while (!sys.m_bConnected && wait.elapsed() < 10000)
                WaitMs(10);
            int added = 0;
            for (const CDBDataParameter &p : all.m_arrParam) {
                if (added == 20)
                    break;
                if (p.nLimit != 0)
                    continue;
                QString code = p.sNum;
                platform::SendMessage(platform::WindowRef(&frame), UM_MONITOR_ADD_PARAM, 0, reinterpret_cast<LPARAM>(&code));
                ++added;
            }
            CDlgParamMointor *monitor = frame.MonitorPane()->Monitor();
            while (monitor->Rounds() < 1 && wait.elapsed() < 20000)
                WaitMs(10);
            outcome.monitored = int(monitor->Monitored().size());
            SimDrive::Fault f;
            f.kind = SimDrive::FaultKind::Silence;
            f.persistent = true;
            sim.InjectFault(f);
        }

        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last != 0 && (now - last) / 1000000 > outcome.longestGapMs) {
                outcome.longestGapMs = (now - last) / 1000000;
                outcome.longestAtMs = now / 1000000;
            }
            last = now;
            ++outcome.probes;
        });
        probe.start(kProbeMs);
        QEventLoop loop;
        QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
        loop.exec();
        probe.stop();
        outcome.readsDone = rereader.done;
        outcome.online = frame.StatusPane(0)->text().contains(QStringLiteral("在线"));
        frame.StopStatusTimer();
        queue.SetStop();
        queue.Shutdown();
        platform::SetMainWindow(nullptr);
    }
    SetReadQueue(nullptr);
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
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices uiScope(ui);
    const struct
    {
        Drive drive;
        const char *name;
    } runs[] = {
        {Drive::Answering, "drive answering"},
        {Drive::Silent, "drive silent"},
        {Drive::AnsweringWhileReadingAll, "answering, every parameter read in the worker"},
        {Drive::SilentWhileMonitoring, "silent, 20 parameters in the monitor pane"},
    };
    bool met = true;
    for (const auto &r : runs) {
        const Outcome o = Run(r.drive);
        std::printf("%-48s longest probe gap %4lld ms  (%d probes of %d ms over %d s; status %s",
                    r.name, static_cast<long long>(o.longestGapMs), o.probes, kProbeMs, kRunMs / 1000,
                    o.online ? "online" : "offline");
        if (r.drive == Drive::AnsweringWhileReadingAll)
            std::printf("; %d reads of all %d parameters", o.readsDone, o.parameters);
        if (r.drive == Drive::SilentWhileMonitoring)
            std::printf("; %d parameters monitored", o.monitored);
        std::printf("; longest gap ended %lld ms into the run)\n", static_cast<long long>(o.longestAtMs));
        std::fflush(stdout);
        met = met && o.longestGapMs <= 50;
    }
    std::printf("target: at most 50 ms in every run: %s\n", met ? "met" : "NOT met");
    return 0;
}
