// The status pages against the simulated drive.
//
//   monitor <baud> ratio <r> waiting <n>
//       The data monitor running for a few seconds: the median time from a request's hand-over
//       to its answer at the page, divided by the floor of its reads (each read's frame-time
//       sleep plus its reply's line time, as bench_TX counts them), and the most requests that
//       ever waited behind the one out. Targets: ratio <= 1.15, waiting <= 1.
//   probe <case> maxgap <ms>
//       The longest gap of a 10 ms timer on the GUI thread while a page works: the data monitor
//       and the DI/DO display with the drive answering and silent, and the fault history read.
//       Target: 50 ms.
#include "StatusWorld.h"

#include "TX/SeriesPort.h"
#include "Wnds/DiDo/DlgDiShowSet.h"
#include "Wnds/auxFunction/DlgFaultManagement.h"
#include "Wnds/auxFunction/DlgStatusData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The data monitor with a stopwatch on its requests.
class TimedMonitor : public CDlgStatusData
{
public:
    QElapsedTimer clock;
    qint64 sentAt = -1;
    std::vector<double> times;

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        const bool answer = msg == UM_READ_DONE && w == 1 && IsRequestOut();
        const LRESULT r = CDlgStatusData::WindowProc(msg, w, l);
        if (answer && sentAt >= 0) {
            times.push_back(double(clock.nsecsElapsed() / 1000 - sentAt) / 1000.0);
            sentAt = IsRequestOut() ? clock.nsecsElapsed() / 1000 : -1;
        }
        return r;
    }

protected:
    void OnTimer(UINT_PTR id) override
    {
        const bool sends = id == kMonitorTimer && IsRunning() && !IsRequestOut();
        CDlgStatusData::OnTimer(id);
        if (sends)
            sentAt = clock.nsecsElapsed() / 1000;
    }
};

// Runs the event loop for `ms` (or until `done`) with a 10 ms probe; answers its longest gap.
qint64 Probe(int ms, const std::function<bool()> &done = {})
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    probe.start(10);
    while (clock.elapsed() < ms && !(done && done()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return longest;
}

double FloorMs(const QList<CDBDataParameter> &items, int baud)
{
    double floor = 0;
    for (const CDBDataParameter &p : items)
        floor += CSeriesPort::GetFrameTime(8, baud) + (p.dwWidth == 32 ? 9 : 7) * 11000.0 / baud;
    return floor;
}

void Monitor(int baud)
{
    World w;
    if (!w.Start(baud)) {
        std::printf("monitor %d no simulated drive\n", baud);
        return;
    }
    TimedMonitor page;
    page.Create(nullptr);
    page.clock.start();
    Probe(500);
    page.OnStart();
    Probe(6000);
    page.OnStop();
    std::vector<double> t = page.times;
    std::sort(t.begin(), t.end());
    const double p50 = t.empty() ? 0 : t[t.size() / 2];
    std::printf("monitor %d ratio %.3f waiting %d\n", baud, p50 / FloorMs(page.Items(), baud), page.MaxWaiting());
    page.DestroyWindow();
}

void ProbeMonitor(bool silent)
{
    World w;
    if (!w.Start(57600))
        return;
    CDlgStatusData page;
    page.Create(nullptr);
    Probe(300);
    page.OnStart();
    Probe(1000);
    if (silent)
        w.Silence();
    const qint64 gap = Probe(4000);
    std::printf("probe monitor-%s maxgap %lld\n", silent ? "silent" : "live", static_cast<long long>(gap));
    page.OnStop();
    page.DestroyWindow();
}

void ProbeDiDoDisplay(bool silent)
{
    World w;
    if (!w.Start(57600))
        return;
    if (silent)
        w.Silence();
    CDlgDiShowSet page;
    page.Create(nullptr);
    const qint64 gap = Probe(5000);
    std::printf("probe dido-display-%s maxgap %lld\n", silent ? "silent" : "live", static_cast<long long>(gap));
    page.DestroyWindow();
}

void ProbeHistory()
{
    World w;
    if (!w.Start(57600))
        return;
    CDlgFaultManagement page;
    page.Create(nullptr);
    Probe(200);
    page.StartFaultHistoryRead();
    const qint64 gap = Probe(20000, [&] { return !page.IsBusy(); });
    Probe(200);
    std::printf("probe history maxgap %lld\n", static_cast<long long>(gap));
    page.DestroyWindow();
}

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::ScopedUiServices ui(std::make_shared<platform::ScriptedUiServices>());
    Monitor(57600);
    Monitor(115200);
    ProbeMonitor(false);
    ProbeMonitor(true);
    ProbeDiDoDisplay(false);
    ProbeDiDoDisplay(true);
    ProbeHistory();
    std::printf("targets: ratio <= 1.15, waiting <= 1, maxgap <= 50 ms\n");
    return 0;
}
