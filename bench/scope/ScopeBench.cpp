// The oscilloscope against the simulated drive (in-process, or korvane-sim given by --device
// with its --frame-log file):
//   single <baud> ratio <r>: a single-shot upload (first block request to the done message)
//     over its floor, N blocks × 145 bytes × bits per byte / baud;
//   roll <baud> L<layout> p<period> frames <n> lost <n> dup <n>: a roll capture at the minimum
//     period, f = 16000, for --seconds; lost counts the frames the program reported lost plus
//     the drive's logged frames (all but those of the last 100 ms before the stop) missing
//     from the recording files; dup the frames found twice.
//   bench_scope [--device PATH --frame-log PATH] [--baud N] [--seconds S]
#include "RollCheck.h"

#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/scope/ScopeConfig.h"
#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/ScopeThreads.h"
#include "Wnds/scope/WaveFile.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string device;
    std::string frameLog;
    std::vector<int> bauds{57600, 115200};
    double seconds = 60;
};

class Receiver : public QObject, public platform::MessageTarget {
public:
    Receiver() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_SCOPE_PROGRESS && w == 1 && firstProgress == Clock::time_point{})
            firstProgress = Clock::now();
        if (msg == UM_SCOPE_CAPTURE_DONE) {
            done = Clock::now();
            captured = true;
        }
        if (msg == UM_SCOPE_ROLL_FRAME) {
            frames += w ? 1 : 0;
            bad += w ? 0 : 1;
            lost += l;
            if (control)
                control->OnRollFrame(static_cast<int>(w), static_cast<int>(l), Payload<ScopeRollFrame>().get());
        }
        if (msg == UM_SCOPE_THREAD_ENDED)
            ended = true;
        return MessageTarget::WindowProc(msg, w, l);
    }
    Clock::time_point firstProgress{};
    Clock::time_point done{};
    bool captured = false;
    bool ended = false;
    long long frames = 0, bad = 0, lost = 0;
    CScopeControl *control = nullptr;
};

void Pump(double seconds)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool PumpUntil(const std::function<bool()> &f, double seconds)
{
    QElapsedTimer t;
    t.start();
    while (!f() && t.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return f();
}

// Frame times count from `started` (the bench's own start of the roll), read off the steady
// clock both processes share; the drive's own roll start comes later by the start command's
// trip, which would make its frames look older than they are.
std::vector<RollLoggedFrame> ReadFrameLog(const std::string &path, Clock::time_point started = {})
{
    std::vector<RollLoggedFrame> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string w, state;
        RollLoggedFrame f{};
        int counter;
        long long us = 0, mono = 0;
        s >> w >> f.index >> w >> counter >> w >> f.first >> state >> w >> us >> w >> mono;
        f.sent = state == "sent";
        const long long startUs =
            std::chrono::duration_cast<std::chrono::microseconds>(started.time_since_epoch()).count();
        f.atSeconds = (w == "mono_us" ? mono - startUs : us) / 1e6;
        out.push_back(f);
    }
    return out;
}

int Run(const Options &o)
{
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scope(ui);
    const QString appDir = QCoreApplication::applicationDirPath();
    GetLangText().m_strLangFile = appDir + QStringLiteral("/config/english_US.ini");
    GetLangText().m_strLanguage = QStringLiteral("EnglishUS");
    SetProgramDir(appDir);
    CScopeSettings *settings = CScopeSettings::GetInstance();
    ReadChannelTable(*settings);
    if (settings->m_arrChannelInfo.empty()) {
        std::fprintf(stderr, "bench_scope: no source table under %s\n", qPrintable(ScopeConfigDir()));
        return 1;
    }
    const QString count16[4] = {"FUNC_test1_2", "FUNC_test2_2", "FUNC_test3_2", "FUNC_test4_2"};
    int status = 0;

    for (int baud : o.bauds) {
        SimDrive sim;
        std::string device = o.device;
        if (device.empty()) {
            if (!sim.Start()) {
                std::fprintf(stderr, "bench_scope: no pseudo-terminal\n");
                return 1;
            }
            sim.SetBaud(baud);
            device = sim.SlavePath();
        }
        CSysParam sys;
        sys.m_strDevicePath = QString::fromStdString(device);
        sys.m_nComBaud = baud;
        if (!sys.OpenPortFromSettings()) {
            std::fprintf(stderr, "bench_scope: cannot open %s\n", device.c_str());
            return 1;
        }
        sys.m_bConnected = TRUE;
        SetSysParam(&sys);
        QTemporaryDir dir;
        settings->m_strContinuousPath = dir.path();
        settings->m_nSampleWords = 4096;

        // Single shot: layout 0, four counting channels.
        {
            CScopeChannels channels;
            CScopeControl control(channels, *settings);
            Receiver r;
            settings->m_nLayout = 0;
            for (auto &w : settings->m_wTrigger)
                w = 0;
            ScopeStartChoice c;
            c.mode = ScopeMode::SingleShot;
            c.nCycleCount = 1;
            for (int i = 0; i < 4; ++i)
                c.strSource[i] = count16[i];
            c.hNotify = &r;
            sim.ClearRequests();
            int result = 99;
            control.StartSampling(c, [&](int res, unsigned) { result = res; });
            if (!PumpUntil([&] { return r.captured || r.ended; }, 30) || !r.captured) {
                std::fprintf(stderr, "bench_scope: single shot did not complete (start %d)\n", result);
                status = 1;
            } else {
                Clock::time_point first = r.firstProgress;
                for (const auto &q : sim.Requests()) {
                    if (q.bytes.size() == 8 && q.bytes[1] == 0x2B) {
                        first = q.at - SimDrive::WireTime(8, baud);
                        break;
                    }
                }
                const int blocks = 2 * settings->m_nSampleWords / 128;
                const double floorSeconds = blocks * 145.0 * 11 / baud;
                const double took = std::chrono::duration<double>(r.done - first).count();
                std::printf("single %d ratio %.3f\n", baud, took / floorSeconds);
                std::fflush(stdout);
            }
            bool stopped = false;
            control.StopSampling(ScopeMode::SingleShot, [&] { stopped = true; });
            PumpUntil([&] { return stopped; }, 5);
            JoinScopeSingleShotThread();
        }

        // Roll at the minimum period, every layout; channel 1 always a counting source.
        for (int layout : {0, 1, 2, 3, 4}) {
            if (o.device.empty())
                sim.SetRegister(0x8958, 16000);
            CScopeChannels channels;
            CScopeControl control(channels, *settings);
            Receiver r;
            r.control = &control;
            settings->m_nLayout = layout;
            const unsigned p = CScopeControl::MinimumRollPeriod(16000, layout, baud, 11);
            ScopeStartChoice c;
            c.mode = ScopeMode::Roll;
            c.nCycleCount = p;
            const QString count32[4] = {"FUNC_test1_1", "FUNC_test2_1", "FUNC_test3_1", "FUNC_test4_1"};
            const QString none = QStringLiteral("NULL");
            const QString layouts[5][4] = {
                {count16[0], count16[1], count16[2], count16[3]},
                {count32[0], none, count16[2], count16[3]},
                {count32[0], none, count32[2], none},
                {count16[0], none, none, none},
                {count32[0], none, none, none},
            };
            const bool wide = layout == 1 || layout == 2 || layout == 4;
            for (int i = 0; i < 4; ++i)
                c.strSource[i] = layouts[layout][i];
            c.hNotify = &r;
            control.SetRollTraces(c.strSource, settings->m_clrChannel);
            sim.ClearFrameLog();
            // An outside drive's log goes on across the runs: this run's frames follow these.
            const std::size_t logBefore = o.device.empty() ? 0 : ReadFrameLog(o.frameLog).size();
            int result = 99;
            const Clock::time_point started = Clock::now();
            control.StartSampling(c, [&](int res, unsigned) { result = res; });
            PumpUntil([&] { return result != 99; }, 10);
            if (result != 0) {
                std::fprintf(stderr, "bench_scope: roll start %d\n", result);
                status = 1;
                continue;
            }
            Pump(o.seconds);
            const Clock::time_point stopAt = Clock::now();
            bool stopped = false;
            control.StopSampling(ScopeMode::Roll, [&] { stopped = true; });
            PumpUntil([&] { return stopped; }, 10);

            std::vector<RollLoggedFrame> logged;
            // Frame times count from the roll start, as the drive's log file gives them.
            const double stopSeconds = std::chrono::duration<double>(stopAt - started).count();
            if (o.device.empty()) {
                for (const auto &e : sim.FrameLog())
                    logged.push_back({e.index, e.firstSample, e.sent,
                                      std::chrono::duration<double>(e.at - started).count()});
            } else {
                logged = ReadFrameLog(o.frameLog, started);
                logged.erase(logged.begin(), logged.begin() + static_cast<std::ptrdiff_t>(std::min(logBefore, logged.size())));
            }
            const std::vector<double> seq = RecordedChannel1(control.RecordingFiles(), *settings);
            const RollCheck check = CheckRollRecording(logged, seq, ScopeRollSamplesPerFrame(layout), stopSeconds, wide);
            const long long expected = check.expected, matched = check.matched, missing = check.missing,
                            dup = check.dup;
            std::printf("roll %d L%d p%u frames %lld lost %lld dup %lld\n", baud, layout, p, r.frames,
                        r.lost + r.bad + missing, dup);
            std::printf("  logged %zu expected %lld matched %lld in %d files\n", logged.size(), expected,
                        matched, static_cast<int>(control.RecordingFiles().size()));
            std::fflush(stdout);
        }
        for (const auto &call : ui->Calls())
            std::fprintf(stderr, "bench_scope: box: %s\n", qPrintable(call.text));
        ui->ClearCalls();
        SetSysParam(nullptr);
    }
    return status;
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--device" && i + 1 < argc)
            o.device = argv[++i];
        else if (a == "--frame-log" && i + 1 < argc)
            o.frameLog = argv[++i];
        else if (a == "--baud" && i + 1 < argc)
            o.bauds = {std::atoi(argv[++i])};
        else if (a == "--seconds" && i + 1 < argc)
            o.seconds = std::atof(argv[++i]);
        else {
            std::fprintf(stderr, "usage: bench_scope [--device PATH --frame-log PATH] [--baud N] [--seconds S]\n");
            return 2;
        }
    }
    if (!o.device.empty() && o.frameLog.empty()) {
        std::fprintf(stderr, "bench_scope: --device needs the drive's --frame-log file\n");
        return 2;
    }
    const int r = Run(o);
    CScopeSettings::DestroyInstance();
    return r;
}
