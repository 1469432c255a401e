// The GUI thread's heartbeat while the drive link is busy. A 10 ms timer on the GUI thread
// records the longest gap between its ticks while, against the simulated drive at 57,600 baud,
// the read worker serves a request and the status tick (every 2 s, two polls and more on a new
// link) runs its periodic read. Printed per case: the longest gap and the request's time
// (from the request to its UM_READ_DONE). Targets: gap at most 50 ms, request at most 600 ms.
//
//   silent drive, 50 parameters   the drive answers nothing
//   healthy drive, 50 parameters
//   healthy drive, every parameter of the default parameter database
#include "SYSPARAM/SysParam.h"
#include "Thread/PeriodicRead.h"
#include "Thread/ReadQueue.h"
#include "platform/UiServices.h"
#include "SimDrive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr UINT kLinkStateMsg = WM_USER + 400;

class MainWindow : public QWidget, public platform::MessageTarget {
public:
    explicit MainWindow(CSysParam &sys)
        : MessageTarget(this), tick(this, kLinkStateMsg, [&sys](const std::atomic<bool> &) {
              sys.PollConnection();
              return std::make_shared<CLinkState>(sys.GetLinkState());
          })
    {
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_READ_DONE && w == 0) {
            doneAtMs = clock.elapsed();
            if (auto request = Payload<CReadRequest>()) {
                read = 0;
                for (qsizetype i = 0; i < request->m_arrParam.size(); ++i)
                    read += request->IsRead(int(i)) ? 1 : 0;
            }
            return 0;
        }
        if (msg == kLinkStateMsg) {
            ++statesPainted;
            return 0;
        }
        return MessageTarget::WindowProc(msg, w, l);
    }

    QElapsedTimer clock;
    qint64 doneAtMs = -1;
    int read = 0;
    int statesPainted = 0;
    CPeriodicRead<CLinkState> tick;
};

struct Figures {
    qint64 longestGapMs = 0;
    qint64 requestMs = -1;
    int params = 0;
    int read = 0;
};

Figures Run(bool silent, int paramCount)
{
    SimDrive sim;
    sim.SetBaud(57600);
    std::string error;
    sim.SeedFromDefaultDatabase(SimDrive::DefaultDatabasePath(), 1, &error);
    sim.SeedDefaults();
    if (!sim.Start()) {
        std::fprintf(stderr, "no simulated drive\n");
        return {};
    }
    CSysParam sys{QString()};
    sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
    sys.m_nComBaud = 57600;
    sys.OpenPortFromSettings();

    CReadRequest request;
    for (std::uint16_t address : sim.RegisterAddresses()) {
        if (paramCount > 0 && request.m_arrParam.size() >= paramCount)
            break;
        CDBDataParameter p;
        p.dwAddress = address;
        p.dwWidth = 16;
        request.m_arrParam.append(p);
    }
    if (silent) {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        sim.InjectFault(f);
    }

    Figures figures;
    figures.params = int(request.m_arrParam.size());
    {
        MainWindow main(sys);
        platform::SetMainWindow(&main);
        CReadQueue queue(sys);

        qint64 lastBeat = 0;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = main.clock.elapsed();
            figures.longestGapMs = std::max(figures.longestGapMs, now - lastBeat);
            lastBeat = now;
        });
        QTimer statusTick;
        QObject::connect(&statusTick, &QTimer::timeout, [&] { main.tick.Request(); });

        main.clock.start();
        heartbeat.start(10);
        statusTick.start(2000);
        main.tick.Request();  // the first tick at once
        queue.AppendReadRequest(request);
        const qint64 runMs = 2500;
        while (main.clock.elapsed() < runMs || (main.doneAtMs < 0 && main.clock.elapsed() < 60000))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        heartbeat.stop();
        statusTick.stop();
        figures.requestMs = main.doneAtMs;
        figures.read = main.read;
        queue.Shutdown();
        main.StopWorkersForGood();
        platform::SetMainWindow(nullptr);
    }
    return figures;
}

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const struct {
        const char *what;
        bool silent;
        int params;  // 0: every parameter
    } cases[] = {
        {"silent drive, 50 parameters", true, 50},
        {"healthy drive, 50 parameters", false, 50},
        {"healthy drive, every parameter", false, 0},
    };
    std::printf("%-34s %8s %10s %12s %8s\n", "case", "params", "read", "longest_gap", "request");
    for (const auto &c : cases) {
        const Figures f = Run(c.silent, c.params);
        std::printf("%-34s %8d %10d %9lld ms %5lld ms\n", c.what, f.params, f.read,
                    static_cast<long long>(f.longestGapMs), static_cast<long long>(f.requestMs));
    }
    std::printf("targets: longest gap <= 50 ms; 50-parameter request <= 600 ms\n");
    return 0;
}
