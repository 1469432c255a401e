// The jog page's timing against the simulated drive over its pseudo-terminal (115,200 baud),
// read from the drive's request log:
//
//   keep-alive interval   the gaps between successive writes of the command word while a hold
//                         runs, against the 500 ms period: p50, p99, max; with the link idle
//                         and with a status poll on another thread sharing the link
//   release to stop       from the release of the hold to the stop's arrival at the drive,
//                         against the floor of one register write made alone
//   release after silence the drive falls silent during a hold until the page has dropped to
//                         off, answers again, and the hold is released 1.4 s later: from the
//                         release to the off at the drive, and from the drive's return to the
//                         first off it takes (the owed off, tried once a keep-alive period)
//
//   GUI probe gap        the longest gap between ticks of a 5 ms timer on the GUI thread while
//                         a silent drive is held, released and switched, on both motor pages,
//                         and while the inertia page reads and writes its parameters from it
//   stop after the lock  another user of the link holds it 400 ms at a time; from the moment it
//                         frees the link to the release's stop at the drive
//
// Targets: keep-alive p99 within 10% of 500 ms and max below the drive's 1,500 ms watchdog;
// release to stop within 250 ms and close to one write, also after a silence; GUI probe gap at most 50 ms; stop after
// the lock frees p99 at most 50 ms.
#include "AidWorld.h"

#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/ControlId.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<Clock::time_point> CommandTimes(const SimDrive &sim)
{
    std::vector<Clock::time_point> t;
    for (const SimDrive::Request &r : sim.Requests())
        if (r.bytes.size() == 8 && r.bytes[1] == 0x26 && r.bytes[2] == 0x08 && r.bytes[3] == 0x07)
            t.push_back(r.at);
    return t;
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Print(const char *what, std::vector<double> v, double reference)
{
    if (v.empty()) {
        std::printf("%-40s no samples\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) { return v[std::min(v.size() - 1, static_cast<std::size_t>(q * v.size()))]; };
    std::printf("%-40s n=%3zu  p50 %7.1f ms  p99 %7.1f ms  max %7.1f ms  (p50/%g = %.3f)\n", what, v.size(), at(0.5),
                at(0.99), v.back(), reference, at(0.5) / reference);
}

void KeepAlive(SimDrive &sim, CSysParam &sys, CDlgAidJogMove &page, bool withPoll, int seconds)
{
    std::atomic<bool> stop{false};
    std::thread poll;
    if (withPoll) {
        // The main frame's status tick, made busier than the real one: the connection check and
        // a status read every 200 ms, each taking the link lock as any worker does.
        poll = std::thread([&] {
            while (!stop) {
                sys.PollConnection();
                int v = 0;
                sys.ReadReg(0x8901, &v, CSysParam::LinkWait::TryOnly, 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        });
    }
    platform::SendMessage(&page, UM_BUTTON_PRESSED, CDlgAidJogMove::IDC_FORWARD);
    sim.ClearRequests();
    Pump(seconds * 1000);
    platform::SendMessage(&page, UM_BUTTON_RELEASED, CDlgAidJogMove::IDC_FORWARD);
    stop = true;
    if (poll.joinable())
        poll.join();
    const auto t = CommandTimes(sim);
    std::vector<double> gaps;
    for (std::size_t i = 1; i < t.size(); ++i)
        gaps.push_back(Ms(t[i] - t[i - 1]));
    // The last write is the release's own stop, not a tick.
    if (!gaps.empty())
        gaps.pop_back();
    Print(withPoll ? "keep-alive interval, status poll running" : "keep-alive interval, idle link", gaps, 500.0);
}

void ReleaseToStop(SimDrive &sim, CSysParam &sys, CDlgAidJogMove &page, int rounds)
{
    std::vector<double> latency, floor;
    for (int i = 0; i < rounds; ++i) {
        platform::SendMessage(&page, UM_BUTTON_PRESSED, CDlgAidJogMove::IDC_FORWARD);
        Pump(20);
        sim.ClearRequests();
        const auto before = Clock::now();
        platform::SendMessage(&page, UM_BUTTON_RELEASED, CDlgAidJogMove::IDC_FORWARD);
        QElapsedTimer wait;
        wait.start();
        auto t = CommandTimes(sim);
        while (t.empty() && wait.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            t = CommandTimes(sim);
        }
        if (!t.empty())
            latency.push_back(Ms(t.front() - before));
        Pump(20);

        sim.ClearRequests();
        const auto start = Clock::now();
        sys.WriteReg(0x0807, 0x0001);
        const auto w = CommandTimes(sim);
        if (!w.empty())
            floor.push_back(Ms(w.front() - start));
    }
    Print("release to stop at the drive", latency, 250.0);
    Print("one write alone (floor)", floor, 250.0);
}

// Holds, silences the drive until the page has dropped to off (the full reply windows: as a user
// meets it), brings it back, and releases 1.4 s later.
void ReleaseAfterSilence(SimDrive &sim, CDlgAidJogMove &page, int rounds)
{
    std::vector<double> release, owed;
    const auto offTimes = [&](Clock::time_point since) {
        std::vector<Clock::time_point> t;
        for (const SimDrive::Request &r : sim.Requests())
            if (r.at >= since && r.bytes.size() == 8 && r.bytes[1] == 0x26 && r.bytes[2] == 0x08 && r.bytes[3] == 0x07 &&
                r.bytes[4] == 0x00 && r.bytes[5] == 0x41)
                t.push_back(r.at);
        return t;
    };
    for (int i = 0; i < rounds; ++i) {
        for (int w = 0; w < 300 && page.JogState() != 1; ++w) {
            if (w % 100 == 0)
                page.EnableButton()->click();
            Pump(10);
        }
        if (page.JogState() != 1)
            break;
        platform::SendMessage(&page, UM_BUTTON_PRESSED, CDlgAidJogMove::IDC_FORWARD);
        Pump(600);
        SimDrive::Fault silent;
        silent.kind = SimDrive::FaultKind::Silence;
        silent.persistent = true;
        sim.InjectFault(silent);
        for (int w = 0; w < 1000 && page.JogState() != 0; ++w)
            Pump(10);
        // Let what was sent into the silence run out, then the drive answers again.
        Pump(1500);
        sim.ClearFaults();
        const auto back = Clock::now();
        Pump(1400);
        const auto before = Clock::now();
        platform::SendMessage(&page, UM_BUTTON_RELEASED, CDlgAidJogMove::IDC_FORWARD);
        QElapsedTimer wait;
        wait.start();
        while (offTimes(before).empty() && wait.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (const auto t = offTimes(before); !t.empty())
            release.push_back(Ms(t.front() - before));
        if (const auto t = offTimes(back); !t.empty())
            owed.push_back(Ms(t.front() - back));
        Pump(200);
        sim.ClearRequests();
    }
    Print("release after a silence to the off", release, 250.0);
    Print("drive back to the owed off", owed, 500.0);
}

// The longest gap between the ticks of a 5 ms timer on the GUI thread while `work` runs.
double ProbeGap(const std::function<void()> &work, int settleMs)
{
    QTimer probe;
    Clock::time_point last = Clock::now();
    double worst = 0.0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        worst = std::max(worst, Ms(now - last));
        last = now;
    });
    probe.start(5);
    Pump(20);
    last = Clock::now();
    worst = 0.0;
    work();
    Pump(settleMs);
    worst = std::max(worst, Ms(Clock::now() - last));
    return worst;
}

// Both motor pages against a drive that answers nothing: hold, release and switch.
void SilentDrive(SimDrive &sim)
{
    struct Page
    {
        const char *name;
        std::function<std::unique_ptr<CDialogExMid>()> make;
        std::function<void(CDialogExMid *)> toggle;
        int forward;
    };
    const Page pages[] = {
        {"jog", [] { return std::make_unique<CDlgAidJogMove>(); },
         [](CDialogExMid *p) { static_cast<CDlgAidJogMove *>(p)->EnableButton()->click(); }, CDlgAidJogMove::IDC_FORWARD},
        {"inertia", [] { return std::make_unique<CDlgAidInertia>(); },
         [](CDialogExMid *p) { static_cast<CDlgAidInertia *>(p)->ServoButton()->click(); }, CDlgAidInertia::IDC_FORWARD},
    };
    for (const Page &pg : pages) {
        auto page = pg.make();
        page->Create(nullptr);
        page->show();
        Pump(100);
        pg.toggle(page.get());
        Pump(300);
        SimDrive::Fault silent;
        silent.kind = SimDrive::FaultKind::Silence;
        silent.persistent = true;
        sim.InjectFault(silent);
        const double hold = ProbeGap([&] { platform::SendMessage(page.get(), UM_BUTTON_PRESSED, pg.forward); }, 1600);
        const double release = ProbeGap([&] { platform::SendMessage(page.get(), UM_BUTTON_RELEASED, pg.forward); }, 300);
        const double toggle = ProbeGap([&] { pg.toggle(page.get()); }, 300);
        std::printf("%-8s silent drive, longest GUI probe gap: hold %7.1f ms  release %7.1f ms  switch %7.1f ms\n",
                    pg.name, hold, release, toggle);
        sim.ClearFaults();
        page->DestroyWindow();
        Pump(100);
    }
}

// The inertia page's "读取参数" and "写入参数" against a drive that answers nothing, the form
// first read from a drive that answers: the longest GUI gap while each runs out, and how long the
// worker takes (nine and eight unanswered transactions).
void InertiaParamsSilent(SimDrive &sim)
{
    CDlgAidInertia page;
    page.Create(nullptr);
    page.show();
    Pump(100);
    const auto click = [&](int id) { qobject_cast<QPushButton *>(platform::FindCtrl(&page, id))->click(); };
    click(CDlgAidInertia::IDC_READ);
    for (int i = 0; i < 500 && page.IsParamsBusy(); ++i)
        Pump(10);
    // A form the write takes (tuning mode 0: eight registers).
    page.Combo(CDlgAidInertia::IDC_TUNE_MODE)->setCurrentIndex(0);
    page.Combo(CDlgAidInertia::IDC_CMD_TYPE)->setCurrentIndex(0);
    const std::pair<int, const char *> form[] = {
        {CDlgAidInertia::IDC_RIGIDITY, "12"},   {CDlgAidInertia::IDC_SPEED_GAIN, "400"},
        {CDlgAidInertia::IDC_INTEGRAL_TIME, "2000"}, {CDlgAidInertia::IDC_INIT_RATIO, "3.5"},
        {CDlgAidInertia::IDC_MAX_SPEED, "500"}, {CDlgAidInertia::IDC_ACCEL_TIME, "100"},
        {CDlgAidInertia::IDC_INTERVAL_TIME, "200"}};
    for (const auto &[id, text] : form)
        page.Edit(id)->setText(QString::fromLatin1(text));
    SimDrive::Fault silent;
    silent.kind = SimDrive::FaultKind::Silence;
    silent.persistent = true;
    sim.InjectFault(silent);
    for (const auto &[name, id] : {std::pair{"read", int(CDlgAidInertia::IDC_READ)}, std::pair{"write", int(CDlgAidInertia::IDC_WRITE)}}) {
        QElapsedTimer took;
        qint64 doneMs = 0;
        sim.ClearRequests();
        const double gap = ProbeGap(
            [&] {
                took.start();
                click(id);
                while (page.IsParamsBusy())
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                doneMs = took.elapsed();
            },
            100);
        std::printf("inertia  silent drive, %-5s parameters: longest GUI probe gap %7.1f ms  (%zu requests, worker done after %lld ms)\n",
                    name, gap, sim.Requests().size(), static_cast<long long>(doneMs));
    }
    sim.ClearFaults();
    page.DestroyWindow();
    Pump(100);
}

// Another user of the link holds it 400 ms at a time; a hold ends meanwhile: how long after
// the link frees does the stop reach the drive.
void StopAfterLock(SimDrive &sim, CSysParam &sys, CDlgAidJogMove &page, int rounds)
{
    std::vector<double> after;
    for (int i = 0; i < rounds; ++i) {
        platform::SendMessage(&page, UM_BUTTON_PRESSED, CDlgAidJogMove::IDC_FORWARD);
        Pump(20);
        std::atomic<bool> quit{false};
        std::atomic<bool> holding{false};
        std::mutex lock;
        std::vector<Clock::time_point> freed;
        std::thread holder([&] {
            while (!quit) {
                if (!sys.AcquireLink(CSysParam::LinkWait::Block))
                    continue;
                holding = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                {
                    std::lock_guard g(lock);
                    freed.push_back(Clock::now());
                }
                sys.m_csSerial.unlock();
            }
        });
        while (!holding)
            std::this_thread::yield();
        // Somewhere inside a hold of the other user.
        Pump(50 + (i * 37) % 300);
        sim.ClearRequests();
        const auto before = Clock::now();
        platform::SendMessage(&page, UM_BUTTON_RELEASED, CDlgAidJogMove::IDC_FORWARD);
        Clock::time_point stopAt{};
        QElapsedTimer wait;
        wait.start();
        while (stopAt == Clock::time_point{} && wait.elapsed() < 3000) {
            const auto t = CommandTimes(sim);
            if (!t.empty())
                stopAt = t.front();
            else
                Pump(1);
        }
        quit = true;
        holder.join();
        if (stopAt == Clock::time_point{})
            continue;
        std::lock_guard g(lock);
        Clock::time_point freedAt{};
        for (auto t : freed)
            if (t >= before && t <= stopAt)
                freedAt = t;
        after.push_back(freedAt == Clock::time_point{} ? Ms(stopAt - before) : Ms(stopAt - freedAt));
    }
    Print("stop after a 400 ms lock holder frees it", after, 50.0);
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    AidWorld world;
    if (!world.Start()) {
        std::fprintf(stderr, "cannot start the simulated drive or open its line\n");
        return 1;
    }
    world.sim.Seed({{0x0606, 300}, {0x060A, 200}});
    SimDrive &sim = world.sim;
    CSysParam &sys = world.sys;
    {
        CDlgAidJogMove page;
        page.Create(nullptr);
        page.show();
        Pump(100);
        page.EnableButton()->click();
        for (int i = 0; i < 200 && page.JogState() != 1; ++i)
            Pump(10);
        if (page.JogState() != 1) {
            std::fprintf(stderr, "jog mode did not come on\n");
            return 1;
        }
        const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
        KeepAlive(sim, sys, page, false, seconds);
        KeepAlive(sim, sys, page, true, seconds);
        ReleaseToStop(sim, sys, page, 50);
        StopAfterLock(sim, sys, page, 30);
        ReleaseAfterSilence(sim, page, 5);
        std::printf("watchdog trips: %d\n", world.aids->Jog().trips);
        page.DestroyWindow();
    }
    SilentDrive(sim);
    InertiaParamsSilent(sim);
    return 0;
}
