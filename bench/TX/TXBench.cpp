// Each drive transaction against the simulated drive, which paces its replies at the line
// rate. Reported per transaction and baud rate: the median time, its floor, and their ratio.
// The floor of a register call is its frame-time sleep plus the reply's line time; a block
// read has no sleep, its floor is the line time of request and reply.
//
// Behind a failure (57,600 baud): the retry of the same request after one silent exchange
// over a normal read (retry_ratio); the time of a silent call after a success, repeating the
// failed request, and as a different request after a failure (silent_ms); whether the first
// valid reply after two silent exchanges is taken (taken_same 1: the same request; taken_other
// 0: another register's read, which the silent ones may still be answered by); and late replies
// at several delays followed by the same or a different request (misdecoded must stay 0).
//
// After a glitch (ReadsAfterGlitch, 57,600 baud, the codec's own windows): one silent, bad-CRC or
// late reply, then reads of registers whose value changes on every read, the same register again
// or three in turn as a monitor reads them: the first read after the glitch (first_ms), the ones
// after it (next_ms, and the slowest of them: the first read of another register waits for the
// line to settle), a read on a quiet line (normal_ms), and reads that failed (failed, 0).
//
// A full read (FullRead: 40 parameters, every fourth 32 bits wide, as the read worker reads
// them), with the drive answering at once or 20 ms after each request: its time over the sum
// of its calls' floors (full_ratio), and the shortest silence between a reply's last byte and
// the next request as the drive saw it (gap_us, and in characters gap_chars; a drive needs at
// least 3.5).

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

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double TimeMs(F f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Rig {
    SimDrive sim;
    CSeriesPort port;
    CModbusRTU rtu;
    bool Start()
    {
        sim.Seed({{0x0102, 0x0102}, {0x0103, 0x0103}, {0x0104, 0x0104}});
        return sim.Start() && port.Open(sim.SlavePath(), 57600, 0, 2);
    }
    void Silence(int n = 1)
    {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        for (int i = 0; i < n; ++i)
            sim.InjectFault(f);
    }
    BOOL Read(WORD a, int *v = nullptr) { return rtu.ReadRegister(a, &port, kStation, v); }
};

void RetryAfterFailure(benchmark::State &state)
{
    Rig rig;
    if (!rig.Start()) {
        state.SkipWithError("no simulated drive");
        return;
    }
    std::vector<double> normal, retry;
    for (auto _ : state) {
        rig.Read(0x0104);  // settles the line after the previous round
        normal.push_back(TimeMs([&] { rig.Read(0x0102); }));
        rig.Silence();
        rig.Read(0x0103);
        bool ok = false;
        const double ms = TimeMs([&] { ok = rig.Read(0x0103) != FALSE; });
        retry.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
        if (!ok) {
            state.SkipWithError("retry failed");
            break;
        }
    }
    state.counters["normal_ms"] = Median(normal);
    state.counters["retry_ms"] = Median(retry);
    state.counters["retry_ratio"] = Median(retry) / Median(normal);
}

// 0: after a success; 1: repeating the failed request; 2: a different request after a failure.
void SilentCall(benchmark::State &state)
{
    const int shape = static_cast<int>(state.range(0));
    Rig rig;
    if (!rig.Start()) {
        state.SkipWithError("no simulated drive");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        rig.Read(0x0104);  // a success: the line is settled
        if (shape > 0) {
            rig.Silence();
            rig.Read(0x0102);
        }
        rig.Silence();
        const WORD address = shape == 2 ? 0x0103 : 0x0102;
        const double ms = TimeMs([&] { rig.Read(address); });
        times.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["silent_ms"] = Median(times);
    state.counters["window_ms"] =
        CModbusRTU::kRegisterTimeoutMs + CSeriesPort::GetFrameTime(8, 57600);
}

void FirstReplyAfterSilence(benchmark::State &state)
{
    Rig rig;
    if (!rig.Start()) {
        state.SkipWithError("no simulated drive");
        return;
    }
    int takenSame = 0, takenOther = 0, runs = 0;
    for (auto _ : state) {
        for (bool same : {true, false}) {
            rig.Silence(2);
            rig.Read(0x0102);
            rig.Read(0x0102);
            int value = 0;
            const WORD address = same ? 0x0102 : 0x0103;
            const double ms = TimeMs([&] {
                if (rig.Read(address, &value) && value == address)
                    (same ? takenSame : takenOther)++;
            });
            state.SetIterationTime(ms / 1000.0);
        }
        ++runs;
    }
    state.counters["taken_same"] = double(takenSame) / runs;
    state.counters["taken_other"] = double(takenOther) / runs;
}

void LateReply(benchmark::State &state)
{
    Rig rig;
    if (!rig.Start()) {
        state.SkipWithError("no simulated drive");
        return;
    }
    int misdecoded = 0, taken = 0, calls = 0;
    for (auto _ : state) {
        double total = 0;
        for (int delay : {0, 110, 130, 160, 200, 260}) {
            for (bool same : {true, false}) {
                SimDrive::Fault f;
                f.kind = SimDrive::FaultKind::LateReply;
                f.delayMs = delay;
                rig.sim.InjectFault(f);
                total += TimeMs([&] { rig.Read(0x0102); });
                for (WORD address : {same ? WORD(0x0102) : WORD(0x0103), WORD(0x0104), WORD(0x0103)}) {
                    int value = 0;
                    ++calls;
                    if (rig.Read(address, &value)) {
                        ++taken;
                        if (value != address)
                            ++misdecoded;
                    }
                }
            }
        }
        state.SetIterationTime(total / 1000.0);
    }
    state.counters["misdecoded"] = misdecoded;
    state.counters["taken_share"] = calls ? double(taken) / calls : 0;
}

// kind: 0 silent, 1 bad CRC, 2 late (just past the window); registers: 1 the same, 3 in turn.
void ReadsAfterGlitch(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const int registers = static_cast<int>(state.range(1));
    constexpr int kReads = 12;
    SimDrive sim;
    sim.SetRegister(0x0910, 0);
    int counter = 0;
    for (WORD a : {WORD(0x0900), WORD(0x0901), WORD(0x0902)})
        sim.SetReadHook(a, [&counter](std::uint16_t) { return SimDrive::Access{static_cast<std::uint16_t>(++counter), 0}; });
    CSeriesPort port;
    if (!sim.Start() || !port.Open(sim.SlavePath(), 57600, 0, 2)) {
        state.SkipWithError("no simulated drive");
        return;
    }
    CModbusRTU rtu;
    std::vector<double> first, next, normal;
    int failed = 0;
    for (auto _ : state) {
        // A quiet line: whatever the last round left has been answered or given up (a read of
        // another register waits for that).
        while (!rtu.ReadRegister(0x0910, &port, kStation, nullptr))
            ;
        normal.push_back(TimeMs([&] { rtu.ReadRegister(0x0900, &port, kStation, nullptr); }));
        SimDrive::Fault f;
        f.kind = kind == 0 ? SimDrive::FaultKind::Silence
                           : kind == 1 ? SimDrive::FaultKind::BadChecksum : SimDrive::FaultKind::LateReply;
        sim.InjectFault(f);
        rtu.ReadRegister(0x0900, &port, kStation, nullptr);
        double total = 0;
        for (int n = 0; n < kReads; ++n) {
            const WORD a = static_cast<WORD>(0x0900 + n % registers);
            bool ok = false;
            const double ms = TimeMs([&] { ok = rtu.ReadRegister(a, &port, kStation, nullptr) != FALSE; });
            failed += ok ? 0 : 1;
            (n == 0 ? first : next).push_back(ms);
            total += ms;
        }
        state.SetIterationTime(total / 1000.0);
    }
    state.counters["first_ms"] = Median(first);
    state.counters["next_ms"] = Median(next);
    state.counters["slowest_ms"] = next.empty() ? 0 : *std::max_element(next.begin(), next.end());
    state.counters["normal_ms"] = Median(normal);
    state.counters["failed"] = failed;
}

void FullRead(benchmark::State &state)
{
    const int baud = static_cast<int>(state.range(0));
    const int answerMs = static_cast<int>(state.range(1));
    constexpr int kParams = 40;
    SimDrive sim;
    sim.SetBaud(baud);
    if (answerMs > 0) {
        SimDrive::Fault late;
        late.kind = SimDrive::FaultKind::LateReply;
        late.delayMs = answerMs;
        late.persistent = true;
        sim.InjectFault(late);
    }
    for (WORD a = 0x0600; a < 0x0600 + kParams + 1; ++a)
        sim.SetRegister(a, a);
    CSeriesPort port;
    if (!sim.Start() || !port.Open(sim.SlavePath(), baud, 0, 2)) {
        state.SkipWithError("no simulated drive");
        return;
    }
    CModbusRTU rtu;
    double floor = 0;
    for (int i = 0; i < kParams; ++i)
        floor += FloorMs(i % 4 == 3 ? Tx::Read32 : Tx::Read16, baud);
    std::vector<double> times;
    auto shortest = std::chrono::microseconds::max();
    for (auto _ : state) {
        sim.ClearRequests();
        bool ok = true;
        const double ms = TimeMs([&] {
            for (int i = 0; i < kParams && ok; ++i) {
                int value = 0;
                const WORD a = static_cast<WORD>(0x0600 + i);
                ok = (i % 4 == 3 ? rtu.ReadRegister32(a, &port, kStation, &value, FALSE)
                                 : rtu.ReadRegister(a, &port, kStation, &value)) != FALSE;
            }
        });
        if (!ok) {
            state.SkipWithError("read failed");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
        times.push_back(ms);
        shortest = std::min(shortest, SimDrive::ShortestReplyGap(sim.Requests()));
    }
    if (times.empty())
        return;
    const double charUs = 11e6 / baud;
    state.counters["gap_us"] = double(shortest.count());
    state.counters["gap_chars"] = double(shortest.count()) / charUs;
    state.counters["full_ms"] = Median(times);
    state.counters["floor_ms"] = floor;
    state.counters["full_ratio"] = Median(times) / floor;
}

void Behind(benchmark::internal::Benchmark *b)
{
    b->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
}

}

BENCHMARK(RetryAfterFailure)->Apply(Behind);
BENCHMARK(SilentCall)->ArgName("after_success0_repeat1_other2")->Arg(0)->Arg(1)->Arg(2)->Apply(Behind);
BENCHMARK(FirstReplyAfterSilence)->Apply(Behind);
BENCHMARK(LateReply)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadsAfterGlitch)->ArgNames({"silent0_crc1_late2", "registers"})->ArgsProduct({{0, 1, 2}, {1, 3}})->Apply(Behind);

BENCHMARK(FullRead)->ArgNames({"baud", "answer_ms"})->ArgsProduct({{9600, 57600, 115200}, {0, 20}})->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(Transaction, ReadRegister, Tx::Read16)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, ReadRegister32, Tx::Read32)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, WriteRegister, Tx::Write16)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, WriteRegister32, Tx::Write32)->Apply(Rates);
BENCHMARK_CAPTURE(Transaction, ReadBlock, Tx::Block)->Apply(Rates);

BENCHMARK_MAIN();
