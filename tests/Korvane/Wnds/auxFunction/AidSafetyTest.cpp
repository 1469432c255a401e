// The hold-to-run safety of both pages that move the motor (jog trial run, inertia
// identification), over the simulated drive's pseudo-terminal, judged by the drive's request
// log: how a hold ends, what a modal box does to the keep-alive, and a link that goes away.
#include "AidFixture.h"

#include "Wnds/auxFunction/DlgAidInertia.h"
#include "TX/ModbusRTU.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "Wnds/auxFunction/HoldToRun.h"
#include "controls/KVProcessIndicator.h"

#include "platform/ControlId.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

using Clock = SimAids::Clock;

// What the tests need to know of one page.
struct PageKind
{
    const char *name;
    int reg;
    int forwardId;
    std::function<std::unique_ptr<CDialogExMid>()> make;
    std::function<void(CDialogExMid *)> switchOn;
    std::function<int(CDialogExMid *)> state;
    std::function<CKVProcessIndicator *(CDialogExMid *)> forward;
    std::function<SimAids::MotorView(SimAids &)> motor;
    const char *lostKey;
    std::vector<int> clickIds;  // every control a click on which may move the motor or write
    std::function<bool(CDialogExMid *)> workDone;
    std::function<bool(CDialogExMid *)> offOwed;
};

const PageKind kJog{
    "jog", 0x0807, CDlgAidJogMove::IDC_FORWARD,
    [] { return std::make_unique<CDlgAidJogMove>(); },
    [](CDialogExMid *p) { static_cast<CDlgAidJogMove *>(p)->EnableButton()->click(); },
    [](CDialogExMid *p) { return static_cast<CDlgAidJogMove *>(p)->JogState(); },
    [](CDialogExMid *p) { return static_cast<CDlgAidJogMove *>(p)->Indicator(true); },
    [](SimAids &a) { return a.Jog(); },
    "IDS_UsabilityJog_131",
    {CDlgAidJogMove::IDC_FORWARD, CDlgAidJogMove::IDC_REVERSE, CDlgAidJogMove::IDC_FORWARD_BUTTON,
     CDlgAidJogMove::IDC_REVERSE_BUTTON},
    [](CDialogExMid *p) { return static_cast<CDlgAidJogMove *>(p)->IsDriveWorkDone(); },
    [](CDialogExMid *p) { return static_cast<CDlgAidJogMove *>(p)->OffOwed(); }};

const PageKind kInertia{
    "inertia", 0x080C, CDlgAidInertia::IDC_FORWARD,
    [] { return std::make_unique<CDlgAidInertia>(); },
    [](CDialogExMid *p) { static_cast<CDlgAidInertia *>(p)->ServoButton()->click(); },
    [](CDialogExMid *p) { return static_cast<CDlgAidInertia *>(p)->RunState(); },
    [](CDialogExMid *p) { return static_cast<CDlgAidInertia *>(p)->Indicator(CDlgAidInertia::IDC_FORWARD); },
    [](SimAids &a) { return a.Inertia(); },
    "IDS_NewInertiaIdentifyDlg_15",
    {CDlgAidInertia::IDC_FORWARD, CDlgAidInertia::IDC_REVERSE, CDlgAidInertia::IDC_FORWARD_BUTTON,
     CDlgAidInertia::IDC_REVERSE_BUTTON, CDlgAidInertia::IDC_WRITE_GAUGE, CDlgAidInertia::IDC_WRITE_RESULT},
    [](CDialogExMid *p) { return static_cast<CDlgAidInertia *>(p)->IsDriveWorkDone(); },
    [](CDialogExMid *p) { return static_cast<CDlgAidInertia *>(p)->OffOwed(); }};

void PrintTo(const PageKind &k, std::ostream *os) { *os << k.name; }

class AidSafetyTest : public AidFixture, public ::testing::WithParamInterface<PageKind>
{
protected:
    // Each way a hold can end, with the page on and holding, after `makeBelief` has given it a
    // wrong idea of the link: the stop reaches the drive and no run command follows it.
    void CheckEveryEndStops(const std::function<void()> &makeBelief);
    void CheckLostLink(SimDrive::FaultKind kind);
    Clock::time_point HoldAndSilence();
    bool OffSince(Clock::time_point t) const;
    Clock::time_point DriveBack();
    void ExpectOffAndNoRunSince(Clock::time_point back, Clock::time_point end = {});
    void SetUp() override
    {
        AidFixture::SetUp();
        // Short ramps: a motor the watchdog stopped comes to rest soon after.
        sim.Seed({{0x0606, 300}, {0x060A, 50}, {0x0233, 300}, {0x0234, 50}});
        OpenPage();
    }
    // A new page, shown, active and switched on.
    void OpenPage()
    {
        page.reset();
        page = Kind().make();
        page->Create(nullptr);
        page->show();
        page->activateWindow();
        PumpUntil([&] { return page->isActiveWindow(); }, 2000);
        SwitchOn();
        ASSERT_EQ(Kind().state(page.get()), 1);
        sim.ClearRequests();
    }
    // Switches on and waits for the drive's answer.
    void SwitchOn()
    {
        Kind().switchOn(page.get());
        PumpUntil([&] { return State() == 1; }, 10000);
    }
    // The first command written at or after `t`, once one came (or end()).
    std::vector<Stamped>::const_iterator AwaitCommandSince(const std::vector<Stamped> &c, Clock::time_point t) const
    {
        return std::find_if(c.begin(), c.end(), [&](const Stamped &s) { return s.at >= t; });
    }
    bool CommandSince(Clock::time_point t, int timeoutMs = 5000) const
    {
        return PumpUntil([&] {
            const auto c = Commands();
            return AwaitCommandSince(c, t) != c.end();
        }, timeoutMs);
    }
    void TearDown() override
    {
        page.reset();
        AidFixture::TearDown();
    }
    const PageKind &Kind() const { return GetParam(); }
    void Settle()
    {
        PumpUntil([&] { return Kind().workDone(page.get()); }, 10000);
        QCoreApplication::processEvents();
    }
    int State() const { return Kind().state(page.get()); }
    std::vector<Stamped> Commands() const { return WritesTo(Kind().reg); }
    // Holds the forward control with the mouse until the drive has heard the run command.
    void HoldForward()
    {
        CKVProcessIndicator *fwd = Kind().forward(page.get());
        QTest::mousePress(fwd, Qt::LeftButton, {}, fwd->rect().center());
        ASSERT_EQ(State(), 2);
        // Heard and taken: the drive's motor runs.
        ASSERT_TRUE(PumpUntil([&] {
            const auto c = Commands();
            return !c.empty() && c.back().value == 0x11 && Kind().motor(*aids).state == SimAids::Run::Forward;
        }));
    }
    // Runs `f` inside a real modal box, which `f` may keep open while the GUI runs on.
    void WithModalBox(const std::function<void()> &f)
    {
        platform::ScopedUiServices real{std::make_shared<platform::QtUiServices>()};
        bool done = false;
        QTimer::singleShot(0, page.get(), [&] {
            QTimer::singleShot(50, page.get(), [&] {
                PumpUntil([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
                f();
                if (QWidget *box = QApplication::activeModalWidget())
                    box->close();
            });
            platform::Ui().MessageBox(QStringLiteral("modal"), QString(), MB_OK, page.get());
            done = true;
        });
        ASSERT_TRUE(PumpUntil([&] { return done; }, 20000));
    }

    // The ways a hold ends, as a user makes them. `other` is a window that can take the focus.
    struct End
    {
        const char *what;
        std::function<void()> act;
    };
    End ReleaseInside()
    {
        return {"release inside", [this] {
                    CKVProcessIndicator *fwd = Kind().forward(page.get());
                    QTest::mouseRelease(fwd, Qt::LeftButton, {}, fwd->rect().center());
                }};
    }
    End ReleaseOutside()
    {
        return {"release outside",
                [this] { QTest::mouseRelease(Kind().forward(page.get()), Qt::LeftButton, {}, QPoint(-80, -80)); }};
    }
    End Deactivate(QWidget &other)
    {
        return {"window deactivated", [this, &other] {
                    other.show();
                    other.activateWindow();
                    PumpUntil([&] { return !page->isActiveWindow(); }, 5000);
                }};
    }
    End LeavePage() { return {"page left", [this] { platform::SendMessage(page.get(), UM_STOP_TIMER); }}; }
    End ClosePage() { return {"window closed", [this] { page->DestroyWindow(); }}; }

    std::unique_ptr<CDialogExMid> page;
};

// However a hold ends, the stop is sent in that moment (it is on its way, or in the drive's log,
// when the action that ended the hold returns), and only idle commands follow it.
TEST_P(AidSafetyTest, EveryEndOfAHoldStopsAtOnceAndNoRunCommandFollows)
{
    QWidget other;
    other.resize(100, 100);
    const End ends[] = {ReleaseInside(), ReleaseOutside(), Deactivate(other)};
    for (const End &e : ends) {
        SCOPED_TRACE(e.what);
        page->activateWindow();
        PumpUntil([&] { return page->isActiveWindow(); }, 2000);
        HoldForward();
        const auto before = Clock::now();
        e.act();
        EXPECT_EQ(State(), 1);
        {
            // The worker's verdict first, the drive's log after it: a stop that the worker ends
            // between the two is then in the log, not missed by an earlier look.
            const bool idle = Kind().workDone(page.get());
            const auto c = Commands();
            EXPECT_TRUE(!idle || AwaitCommandSince(c, before) != c.end())
                << "the end of the hold sent the stop itself";
        }
        ASSERT_TRUE(CommandSince(before)) << "no stop";
        const auto c = Commands();
        const auto stop = AwaitCommandSince(c, before);
        EXPECT_EQ(stop->value, 1);
        // Past the next keep-alive tick (the worker sends in order): whatever was pending is not
        // a run command.
        ASSERT_TRUE(AwaitWritesSince(Kind().reg, before, 2)) << "the keep-alive stopped";
        for (const Stamped &s : Commands()) {
            if (s.at >= before) {
                EXPECT_EQ(s.value, 1);
            }
        }
        EXPECT_EQ(Kind().motor(*aids).state, SimAids::Run::Idle);
        other.hide();
        sim.ClearRequests();
    }
}

// A box that opens during a hold takes the window from it: the hold ends and the stop goes out.
TEST_P(AidSafetyTest, ABoxThatOpensDuringAHoldEndsIt)
{
    HoldForward();
    const auto before = Clock::now();
    int stateInBox = -1;
    std::vector<Stamped> inBox;
    WithModalBox([&] {
        PumpUntil([&] { return State() == 1; }, 5000);
        stateInBox = State();
        CommandSince(before);
        inBox = Commands();
    });
    EXPECT_EQ(stateInBox, 1);
    const auto stop = std::find_if(inBox.begin(), inBox.end(), [&](const Stamped &s) { return s.at >= before; });
    ASSERT_NE(stop, inBox.end());
    EXPECT_EQ(stop->value, 1);
}

// Jog mode (or the servo) stays on while a modal box is open: the keep-alive goes on and the
// drive's watchdog never trips.
TEST_P(AidSafetyTest, KeepAliveGoesOnWhileAModalBoxIsOpen)
{
    std::size_t during = 0;
    WithModalBox([&] {
        const std::size_t n = Commands().size();
        // Longer than the watchdog from the last write before the box.
        Idle(kWatchdogMs + kKeepAliveMs);
        during = Commands().size() - n;
    });
    EXPECT_GE(during, 2u) << "keep-alive writes while the box was open";
    EXPECT_EQ(Kind().motor(*aids).trips, 0);
    EXPECT_EQ(Kind().motor(*aids).state, SimAids::Run::Idle);
    EXPECT_EQ(State(), 1);
}

// The link goes away during a hold (a drive that falls silent, a device that vanishes): the
// page drops to off and says so, the drive's watchdog brings the motor to rest, and once the
// link is back the page's off, owed since the drop, reaches the drive: nothing else is sent by
// itself, and nothing starts again.
void AidSafetyTest::CheckLostLink(SimDrive::FaultKind kind)
{
    const bool gone = kind == SimDrive::FaultKind::DeviceGone;
    HoldForward();
    ui->ClearCalls();
    SimDrive::Fault f;
    f.kind = kind;
    f.persistent = true;
    sim.InjectFault(f);
    // Nothing answers until the link is back: full reply windows would only slow the test.
    sys.m_ModbusRTU.SetReplyTimeouts(10, 20);
    ASSERT_TRUE(PumpUntil([&] { return State() == 0; }, 15000));
    EXPECT_TRUE(HasBox(LoadLangString(Kind().lostKey)));
    // Watchdog, then the ramp down from the speed.
    EXPECT_TRUE(PumpUntil([&] { return Kind().motor(*aids).rpm == 0; }, kWatchdogMs + 5000));
    EXPECT_EQ(Kind().motor(*aids).state, SimAids::Run::Off);

    // The link comes back.
    if (!gone) {
        ASSERT_TRUE(DrainSilentLine());
    }
    sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    sim.ClearFaults();
    if (gone) {
        sim.Stop();
        ASSERT_TRUE(sim.Start());
        sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
        ASSERT_TRUE(sys.ReopenPort());
        sys.m_bConnected = TRUE;
    }
    sim.ClearRequests();
    ASSERT_TRUE(PumpUntil([&] { return !Commands().empty(); }, 10000)) << "the owed off never came";
    EXPECT_TRUE(PumpUntil([&] { return !Kind().offOwed(page.get()); }, 10000)) << "the drive took the off";
    // Four keep-alive periods more: a page that would resume has done so by then.
    Idle(4 * kKeepAliveMs);
    for (const int v : ValuesTo(Kind().reg))
        EXPECT_EQ(v, 0x41) << "only the owed off after the link came back: " << ::testing::PrintToString(ValuesTo(Kind().reg));
    EXPECT_EQ(State(), 0);
    EXPECT_EQ(Kind().motor(*aids).state, SimAids::Run::Off);
}

// Holds forward, then makes the drive silent; returns when the silence began.
Clock::time_point AidSafetyTest::HoldAndSilence()
{
    HoldForward();
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    // Nothing answers until the drive is back: full reply windows would only slow the test.
    sys.m_ModbusRTU.SetReplyTimeouts(10, 20);
    const auto silent = Clock::now();
    sim.InjectFault(f);
    return silent;
}

bool AidSafetyTest::OffSince(Clock::time_point t) const
{
    const auto c = Commands();
    return std::any_of(c.begin(), c.end(), [&](const Stamped &s) { return s.at >= t && s.value == 0x41; });
}

// The drive answers again; returns the moment it does.
Clock::time_point AidSafetyTest::DriveBack()
{
    EXPECT_TRUE(DrainSilentLine());
    sys.m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    sim.ClearFaults();
    return Clock::now();
}

// After the drive came back: an off reached it (and, when `end` is given, one written at or after
// that), and no run command since.
void AidSafetyTest::ExpectOffAndNoRunSince(Clock::time_point back, Clock::time_point end)
{
    EXPECT_TRUE(PumpUntil([&] { return OffSince(back); }, 10000)) << "no off after the drive came back";
    if (end != Clock::time_point()) {
        EXPECT_TRUE(PumpUntil([&] { return OffSince(end); }, 10000)) << "the end of the hold wrote no off";
    }
    // Past further keep-alive periods: a run command on its way would be in the log by now.
    Idle(3 * kKeepAliveMs);
    for (const Stamped &s : Commands()) {
        if (s.at >= back) {
            EXPECT_TRUE(s.value != 0x11 && s.value != 0x21) << "a run command after the drive came back";
        }
    }
    EXPECT_NE(Kind().motor(*aids).state, SimAids::Run::Forward);
}

// The user's path through a silence: the hold goes on while the drive falls silent, the page
// drops to off and its off goes unanswered, the drive answers again; then the hold ends, each
// way it can. The owed off reaches the drive once it is back, the end itself writes the off,
// and no run word follows.
TEST_P(AidSafetyTest, EveryEndOfAHoldAfterASilenceWritesTheOffOnceTheDriveIsBack)
{
    QWidget other;
    other.resize(100, 100);
    const End ends[] = {ReleaseInside(), Deactivate(other), LeavePage(), ClosePage()};
    bool first = true;
    for (const End &e : ends) {
        SCOPED_TRACE(e.what);
        if (!first)
            OpenPage();
        first = false;
        ui->ClearCalls();
        const auto silent = HoldAndSilence();
        ASSERT_TRUE(PumpUntil([&] { return State() == 0; }, 15000)) << "never dropped to off";
        EXPECT_TRUE(HasBox(LoadLangString(Kind().lostKey)));
        ASSERT_TRUE(PumpUntil([&] { return OffSince(silent); }, 15000)) << "no off went out in the silence";
        EXPECT_TRUE(Kind().offOwed(page.get()));
        const auto back = DriveBack();
        const auto end = Clock::now();
        e.act();
        ExpectOffAndNoRunSince(back, end);
        Settle();
        other.hide();
    }
}

// As a user meets it: the page's box about the lost link takes the window while the button is
// still held, which ends the hold while the drive is silent, and its off goes unanswered; the
// user lets go of the button once the drive is back and the box closed. The off reaches the
// drive after it came back, and the release writes it once more.
TEST_P(AidSafetyTest, AReleaseAfterTheLostLinkBoxAndTheDrivesReturnWritesTheOff)
{
    platform::ScopedUiServices real{std::make_shared<platform::QtUiServices>()};
    Clock::time_point silent, back;
    bool closed = false;
    QTimer watcher;
    // The box runs its own loop inside the page's handler: the drive comes back and the box is
    // closed from within it.
    QObject::connect(&watcher, &QTimer::timeout, page.get(), [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        watcher.stop();
        EXPECT_EQ(State(), 0);
        EXPECT_TRUE(PumpUntil([&] { return OffSince(silent); }, 15000)) << "no off went out in the silence";
        back = DriveBack();
        box->close();
        closed = true;
    });
    silent = HoldAndSilence();
    watcher.start(20);
    ASSERT_TRUE(PumpUntil([&] { return closed; }, 30000)) << "no box about the lost link";
    const auto release = Clock::now();
    CKVProcessIndicator *fwd = Kind().forward(page.get());
    QTest::mouseRelease(fwd, Qt::LeftButton, {}, fwd->rect().center());
    ExpectOffAndNoRunSince(back, release);
}

TEST_P(AidSafetyTest, ASilentDriveEndsInOffAndNothingResumes)
{
    CheckLostLink(SimDrive::FaultKind::Silence);
}

TEST_P(AidSafetyTest, AVanishedDeviceEndsInOffAndNothingResumes)
{
    CheckLostLink(SimDrive::FaultKind::DeviceGone);
}

// The page's own idea of the link may be wrong while the drive still answers: a status flag that
// says offline, a link flag that says down, or a keep-alive that failed once and dropped the page
// to off. However the hold then ends, the stop reaches the drive.
void AidSafetyTest::CheckEveryEndStops(const std::function<void()> &makeBelief)
{
    QWidget other;
    other.resize(100, 100);
    // Each end with the command it sends while the page is on.
    const std::pair<End, int> ends[] = {
        {ReleaseInside(), 1}, {ReleaseOutside(), 1}, {Deactivate(other), 1}, {LeavePage(), 0x41}};
    for (const auto &[e, stopWhenOn] : ends) {
        SCOPED_TRACE(e.what);
        flags.m_bOnline = TRUE;
        sys.m_bConnected = TRUE;
        other.hide();
        page->activateWindow();
        PumpUntil([&] { return page->isActiveWindow(); }, 2000);
        if (State() == 0)
            SwitchOn();
        ASSERT_EQ(State(), 1);
        HoldForward();
        makeBelief();
        const bool dropped = State() == 0;
        const auto before = Clock::now();
        e.act();
        ASSERT_TRUE(CommandSince(before)) << "no stop";
        Settle();
        const auto c = Commands();
        const auto stop = AwaitCommandSince(c, before);
        // A page that dropped to off stops with the off command, which also wakes nothing up.
        EXPECT_EQ(stop->value, dropped ? 0x41 : stopWhenOn);
        for (auto it = stop; it != c.end(); ++it)
            EXPECT_NE(it->value, 0x11) << "a run command after the stop";
        EXPECT_NE(Kind().motor(*aids).state, SimAids::Run::Forward);
        ui->ClearCalls();
        sim.ClearRequests();
    }
    flags.m_bOnline = TRUE;
    sys.m_bConnected = TRUE;
}

TEST_P(AidSafetyTest, AHoldEndsWithAStopWhenTheOnlineFlagSaysOffline)
{
    CheckEveryEndStops([&] { flags.m_bOnline = FALSE; });
}

TEST_P(AidSafetyTest, AHoldEndsWithAStopWhenTheLinkFlagSaysDown)
{
    CheckEveryEndStops([&] { sys.m_bConnected = FALSE; });
}

TEST_P(AidSafetyTest, AHoldEndsWithAStopWhenAFailedKeepAliveDroppedThePageToOff)
{
    // The drive refuses every try of a keep-alive (quicker to fail than a silent drive, whose
    // tries each wait out the reply window), then answers again.
    CheckEveryEndStops([&] {
        Fail(std::uint16_t(Kind().reg), true, 0x26);
        ASSERT_TRUE(PumpUntil([&] { return State() == 0; }, 15000));
        sim.ClearFaults();
    });
}

// Another user of the link holds it during a hold, each time longer than a keep-alive waits for
// it: a busy link is not a lost one, and the release's stop goes out as soon as the link frees,
// before anyone else takes it.
TEST_P(AidSafetyTest, ABusyLinkIsNotLostAndTheStopGoesFirstWhenItFrees)
{
    HoldForward();
    ui->ClearCalls();
    std::atomic<bool> quit{false};
    std::mutex freedLock;
    std::vector<Clock::time_point> freed;
    const auto hold = std::chrono::milliseconds(CSysParam::kBoundedLinkWaitMs + 50);
    std::thread holder([&] {
        while (!quit) {
            if (!sys.AcquireLink(CSysParam::LinkWait::Block))
                continue;
            // Once the test has seen the stop, the last hold need not be waited out.
            const auto end = Clock::now() + hold;
            while (!quit && Clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            {
                std::lock_guard g(freedLock);
                freed.push_back(Clock::now());
            }
            sys.m_csSerial.unlock();
        }
    });
    // Several keep-alive ticks find the link taken (each waits for it as long as a user's
    // command would, then gives up for this tick): two holds go by. The release comes a third
    // into the next hold, well away from its end, when the link might be free for anyone.
    const auto holdsEnded = [&] {
        std::lock_guard g(freedLock);
        return freed.size();
    };
    ASSERT_TRUE(PumpUntil([&] { return holdsEnded() >= 2; }, 10000));
    Idle(int(hold.count()) / 3);
    EXPECT_EQ(State(), 2);
    EXPECT_FALSE(HasBox(LoadLangString(Kind().lostKey)));
    const auto before = Clock::now();
    CKVProcessIndicator *fwd = Kind().forward(page.get());
    QTest::mouseRelease(fwd, Qt::LeftButton, {}, fwd->rect().center());
    EXPECT_TRUE(CommandSince(before));
    quit = true;
    holder.join();
    EXPECT_EQ(State(), 1);
    const auto c = Commands();
    const auto stop = std::find_if(c.begin(), c.end(), [&](const Stamped &s) { return s.at >= before; });
    ASSERT_NE(stop, c.end()) << "no stop";
    EXPECT_EQ(stop->value, 1);
    // The stop came in the first free moment after the release: the other user freed the link
    // at most once between the release and the stop (the end of the hold it was in).
    std::lock_guard g(freedLock);
    const auto frees = std::count_if(freed.begin(), freed.end(), [&](auto t) { return t >= before && t <= stop->at; });
    EXPECT_LE(frees, 1) << "the stop waited behind another hold";
    for (auto it = c.begin(); it != c.end(); ++it) {
        if (it->at >= before) {
            EXPECT_EQ(it->value, 1) << "a run command after the release";
        }
    }
    EXPECT_FALSE(HasBox(LoadLangString(Kind().lostKey)));
}

// Only the left button acts: right and middle clicks (and double clicks) on the round controls,
// the hold buttons and the result write start nothing and write nothing.
TEST_P(AidSafetyTest, RightAndMiddleClicksSendNothing)
{
    sim.ClearRequests();
    for (int id : Kind().clickIds) {
        QWidget *w = platform::FindCtrl(page.get(), id);
        ASSERT_NE(w, nullptr) << id;
        for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
            SCOPED_TRACE(std::to_string(id) + (b == Qt::RightButton ? " right" : " middle"));
            QTest::mousePress(w, b, {}, w->rect().center());
            EXPECT_EQ(State(), 1);
            QTest::mouseRelease(w, b, {}, w->rect().center());
            QTest::mouseDClick(w, b, {}, w->rect().center());
            EXPECT_EQ(State(), 1);
        }
    }
    const auto clicked = Clock::now();
    // Past two keep-alive writes (the first may have been on its way before the clicks): a run
    // command started by any of the clicks would be out by now.
    ASSERT_TRUE(AwaitWritesSince(Kind().reg, clicked, 2)) << "the keep-alive stopped";
    for (const Write &wr : Writes())
        EXPECT_TRUE(wr.first == Kind().reg && wr.second == 1) << "wrote " << wr.first << " = " << wr.second;
    EXPECT_TRUE(ui->Calls().empty());
    EXPECT_EQ(Kind().motor(*aids).state, SimAids::Run::Idle);
}

INSTANTIATE_TEST_SUITE_P(Pages, AidSafetyTest, ::testing::Values(kJog, kInertia),
                         [](const ::testing::TestParamInfo<PageKind> &info) { return std::string(info.param.name); });

}  // namespace
