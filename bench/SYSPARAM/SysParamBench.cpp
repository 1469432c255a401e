// Parameters read per second by the read worker against the simulated drive (answering and
// silent), and the time the link lock is held for one request.
#include "support/QtBenchmarkMain.h"
#include "SYSPARAM/SysParam.h"
#include "Thread/ReadQueue.h"
#include "platform/UiServices.h"
#include "SimDrive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

class Receiver : public QWidget, public platform::MessageTarget {
public:
    Receiver() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_READ_DONE)
            ++done;
        return MessageTarget::WindowProc(msg, w, l);
    }
    int done = 0;
};

CReadRequest MakeRequest(int params)
{
    CReadRequest r;
    for (int i = 0; i < params; ++i) {
        CDBDataParameter p;
        p.dwAddress = 0x0600 + i;
        p.dwWidth = (i % 4 == 3) ? 32 : 16;
        r.m_arrParam.append(p);
    }
    return r;
}

struct Link {
    explicit Link(int baud, bool silent)
    {
        sim.Start();
        sim.SetBaud(baud);
        for (WORD addr = 0x0600; addr < 0x0620; ++addr)
            sim.SetRegister(addr, addr);
        if (silent) {
            SimDrive::Fault f;
            f.kind = SimDrive::FaultKind::Silence;
            f.persistent = true;
            sim.InjectFault(f);
        }
        sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
        sys.m_nComBaud = baud;
        sys.OpenPortFromSettings();
    }
    SimDrive sim;
    // The default parameter database of the program tree, as the program runs.
    CSysParam sys;
};

void WorkerThroughput(benchmark::State &state, bool silent)
{
    const int baud = int(state.range(0));
    const int params = int(state.range(1));
    Link link(baud, silent);
    Receiver main;
    platform::SetMainWindow(&main);
    CReadQueue queue(link.sys);
    const CReadRequest request = MakeRequest(params);
    for (auto _ : state) {
        const int target = main.done + 1;
        queue.AppendReadRequest(request);
        while (main.done < target)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    queue.Shutdown();
    platform::SetMainWindow(nullptr);
    state.SetItemsProcessed(state.iterations() * params);
    state.counters["baud"] = baud;
}

void BM_WorkerReads(benchmark::State &state)
{
    WorkerThroughput(state, false);
}

void BM_WorkerReadsSilentDrive(benchmark::State &state)
{
    WorkerThroughput(state, true);
}

// CReadQueue::ReadParameters holds the link lock from its start to its end.
void BM_LinkLockHeldPerRequest(benchmark::State &state)
{
    const int baud = int(state.range(0));
    const int params = int(state.range(1));
    Link link(baud, false);
    CReadRequest request = MakeRequest(params);
    for (auto _ : state)
        CReadQueue::ReadParameters(link.sys, request);
    state.counters["params"] = params;
}

}

BENCHMARK(BM_WorkerReads)->ArgsProduct({{57600, 115200}, {20}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorkerReadsSilentDrive)->ArgsProduct({{57600, 115200}, {5}})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LinkLockHeldPerRequest)->ArgsProduct({{57600, 115200}, {1, 20}})->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
