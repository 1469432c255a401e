// Each drive transaction against the simulated drive, which paces its replies at the line
// rate. Reported per transaction and baud rate: the median time, its floor, and their ratio.
// The floor of a register call is its frame-time sleep plus the reply's line time; a block
// read has no sleep, its floor is the line time of request and reply.

#include "SimDrive.h"
#include "TX/ModbusRTU.h"
#include "TX/SeriesPort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

enum class Tx { Read16, Read32, Write16, Write32, Block };

constexpr BYTE kStation = 0xFA;
constexpr int kIterations = 60;

struct Shape {
    DWORD request;
    DWORD reply;
};

Shape ShapeOf(Tx tx)
{
    switch (tx) {
    case Tx::Read16:
        return {8, 7};
    case Tx::Read32:
        return {8, 9};
    case Tx::Write16:
        return {8, 8};
    case Tx::Write32:
        return {13, 8};
    case Tx::Block:
        return {8, 137};
    }
    return {0, 0};
}

double LineMs(DWORD bytes, int baud)
{
    return bytes * 11000.0 / baud;
}

double FloorMs(Tx tx, int baud)
{
    const Shape s = ShapeOf(tx);
    if (tx == Tx::Block)
        return LineMs(s.request, baud) + LineMs(s.reply, baud);
    return CSeriesPort::GetFrameTime(s.request, baud) + LineMs(s.reply, baud);
}

BOOL Run(Tx tx, CModbusRTU &rtu, CSeriesPort &port, int &value, BYTE *block)
{
    switch (tx) {
    case Tx::Read16:
        return rtu.ReadRegister(0x9104, &port, kStation, &value);
    case Tx::Read32:
        return rtu.ReadRegister32(0x0300, &port, kStation, &value, FALSE);
    case Tx::Write16:
        return rtu.WriteRegister(static_cast<WORD>(value), &port, kStation, 0x0302);
    case Tx::Write32:
        return rtu.WriteRegister32(0x12345678, &port, kStation, 0x0300, FALSE);
    case Tx::Block:
        return rtu.ReadBlock(3, &port, kStation, block);
    }
    return FALSE;
}

void Transaction(benchmark::State &state, Tx tx)
{
    const int baud = static_cast<int>(state.range(0));
    SimDrive sim;
    sim.SetBaud(baud);
    sim.Seed({{0x0300, 0x1234}, {0x0301, 0x5678}, {0x0302, 0}});
    CSeriesPort port;
    if (!sim.Start() || !port.Open(sim.SlavePath(), baud, 0, 2)) {
        state.SkipWithError("no simulated drive");
        return;
    }
    CModbusRTU rtu;
    int value = 0;
    BYTE block[128];
    std::vector<double> times;
    times.reserve(kIterations);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const BOOL ok = Run(tx, rtu, port, value, block);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1000.0);
        if (!ok) {
            state.SkipWithError("transaction failed");
            break;
        }
    }
    if (times.empty())
        return;
    std::sort(times.begin(), times.end());
    const double p50 = times[times.size() / 2];
    const double floor = FloorMs(tx, baud);
    state.counters["p50_ms"] = p50;
    state.counters["floor_ms"] = floor;
    state.counters["p50_ratio"] = p50 / floor;
}

void Rates(benchmark::internal::Benchmark *b)
{
    b->ArgName("baud")->Arg(57600)->Arg(115200);
    b->UseManualTime()->Iterations(kIterations)->Unit(benchmark::kMillisecond);
}

}

BENCHMARK_CAPTURE(Transaction, ReadRegister, Tx::Read16)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, ReadRegister32, Tx::Read32)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, WriteRegister, Tx::Write16)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, WriteRegister32, Tx::Write32)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, ReadBlock, Tx::Block)->Apply(Rates);

BENCHMARK_MAIN();
