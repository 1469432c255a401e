#include "platform/Messages.h"

#include <QApplication>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace platform;

namespace {

constexpr UINT kEcho = WM_USER + 100;     // answers lParam * 2
constexpr UINT kRecord = WM_USER + 101;   // records the message
constexpr UINT kNested = WM_USER + 102;   // sends kRecord to itself while handling
constexpr UINT kKillSelf = WM_USER + 103; // timer handler kills its own timer

struct Seen
{
    UINT msg;
    WPARAM w;
    LPARAM l;
    int payload;  // -1 when none
    bool onGui;
};

class Window : public QWidget, public MessageTarget
{
public:
    explicit Window(QWidget *parent = nullptr) : QWidget(parent), MessageTarget(this) {}

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        switch (msg) {
        case kEcho:
            return l * 2;
        case kRecord:
        case UM_READ_DONE: {
            auto p = Payload<int>();
            seen.push_back({msg, w, l, p ? *p : -1, QThread::currentThread() == qApp->thread()});
            return 1;
        }
        case kNested: {
            SendMessage(this, kRecord, 7, 0);
            auto p = Payload<int>();
            nestedPayloadAfter = p ? *p : -1;
            return 0;
        }
        default:
            return MessageTarget::WindowProc(msg, w, l);
        }
    }

    void OnTimer(UINT_PTR id) override
    {
        ticks.push_back(id);
        if (id == killSelfId)
            KillTimer(id);
    }

    std::vector<Seen> seen;
    std::vector<UINT_PTR> ticks;
    UINT_PTR killSelfId = 0;
    int nestedPayloadAfter = 0;
};

}

TEST(Messages, ConstantsKeepTheirNumbers)
{
    struct Case
    {
        UINT value;
        UINT expected;
    } cases[] = {
        {UM_IDENTIFY, 0x400},       {UM_STOP_TIMER, 0x401},        {UM_START_TIMER, 0x402},
        {UM_PAGE_ACTIVATE, 0x403},  {UM_THEME_CHANGED, 0x40A},     {UM_READ_DONE, 0x40F},
        {UM_PROGRESS_POLL, 0x410},  {UM_THREAD_FINISHED, 0x411},   {UM_SHOW_PARAM_GROUP, 0x40E},
        {UM_MONITOR_ADD_PARAM, 0x84C}, {UM_BUTTON_RELEASED, 0x7E9}, {UM_COLOR_DONE, 0xBD0},
        {UM_MINIGRID_CLICK, 0x500}, {UM_SCOPE_CURSOR_REFRESH, 0x1800}, {UM_MA_SMOOTH_CHANGED, 0x1F4F},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.value, c.expected);
    EXPECT_EQ(kIdentifyAnswer, 0x534B0000);
}

TEST(Messages, SendRunsTheHandlerAtOnce)
{
    Window w;
    EXPECT_EQ(SendMessage(&w, kEcho, 0, 21), 42);
    EXPECT_EQ(SendMessage(&w, WM_USER + 999, 1, 2), 0);  // unhandled: default answer
    EXPECT_EQ(SendMessage(nullptr, kEcho, 0, 21), 0);
    QWidget plain;  // a widget that handles no messages
    EXPECT_EQ(SendMessage(&plain, kEcho, 0, 21), 0);
    EXPECT_EQ(SendMessage(static_cast<QObject *>(&w), kEcho, 0, 5), 10);
}

TEST(Messages, PostQueuesInOrderWithPayload)
{
    Window w;
    EXPECT_TRUE(PostMessage(&w, kRecord, 1, 10));
    EXPECT_TRUE(PostMessage(&w, UM_READ_DONE, 2, 20, std::make_shared<int>(99)));
    EXPECT_TRUE(w.seen.empty());  // nothing before the event loop runs
    QCoreApplication::processEvents();
    ASSERT_EQ(w.seen.size(), 2u);
    EXPECT_EQ(w.seen[0].msg, kRecord);
    EXPECT_EQ(w.seen[0].payload, -1);
    EXPECT_EQ(w.seen[1].msg, UM_READ_DONE);
    EXPECT_EQ(w.seen[1].w, 2u);
    EXPECT_EQ(w.seen[1].l, 20);
    EXPECT_EQ(w.seen[1].payload, 99);
}

TEST(Messages, PayloadOfAnotherTypeReadsAsNull)
{
    Window w;
    PostMessage(&w, kRecord, 0, 0, std::make_shared<double>(1.5));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.seen.size(), 1u);
    EXPECT_EQ(w.seen[0].payload, -1);
}

TEST(Messages, NestedSendKeepsTheOuterPayload)
{
    Window w;
    PostMessage(&w, kNested, 0, 0, std::make_shared<int>(5));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.seen.size(), 1u);
    EXPECT_EQ(w.seen[0].payload, -1);  // the inner send carried none
    EXPECT_EQ(w.nestedPayloadAfter, 5);
}

TEST(Messages, MessagesToAGoneTargetAreDropped)
{
    auto payload = std::make_shared<int>(3);
    std::weak_ptr<int> watch = payload;
    WindowRef ref;
    {
        auto *w = new Window;
        ref = w;
        EXPECT_TRUE(PostMessage(ref, kRecord, 0, 0, std::move(payload)));
        delete w;  // before the event loop delivered it
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(watch.expired());  // the dropped message released its payload
    EXPECT_FALSE(ref.IsAlive());
    EXPECT_FALSE(PostMessage(ref, kRecord));
    EXPECT_EQ(SendMessage(ref, kEcho, 0, 1), 0);
}

TEST(Messages, SendFromAWorkerRunsOnTheGuiThread)
{
    Window w;
    const WindowRef ref = &w;
    std::atomic<LRESULT> echo{-1}, record{-1};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        echo = SendMessage(ref, kEcho, 0, 50);
        record = SendMessage(ref, kRecord, 3, 4);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    worker.join();
    EXPECT_EQ(echo, 100);
    EXPECT_EQ(record, 1);
    ASSERT_EQ(w.seen.size(), 1u);
    EXPECT_TRUE(w.seen[0].onGui);
}

TEST(Messages, WorkerSendToATargetThatGoesAwayAnswersZero)
{
    auto *w = new Window;
    const WindowRef ref = w;
    std::atomic<LRESULT> answer{-1};
    std::thread worker([&] { answer = SendMessage(ref, kEcho, 0, 50); });
    // No events are processed here: the worker's message stays queued (or is not sent yet)
    // when the target goes away.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    delete w;
    worker.join();  // must not hang
    EXPECT_EQ(answer, 0);
}

TEST(Messages, PostFromWorkersArrivesOnTheGuiThread)
{
    Window w;
    const WindowRef ref = &w;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([ref, t] {
            for (int i = 0; i < 25; ++i)
                PostMessage(ref, kRecord, static_cast<WPARAM>(t), i, std::make_shared<int>(t * 100 + i));
        });
    for (auto &t : workers)
        t.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.seen.size() == 100; }, 10000));
    std::vector<int> lastOfThread(4, -1);
    for (const Seen &s : w.seen) {
        EXPECT_TRUE(s.onGui);
        EXPECT_EQ(s.payload, static_cast<int>(s.w) * 100 + static_cast<int>(s.l));
        EXPECT_GT(s.l, lastOfThread[s.w]);  // each thread's messages keep their order
        lastOfThread[s.w] = static_cast<int>(s.l);
    }
}

TEST(Messages, RegisteredMessagesShareOneTable)
{
    const UINT enter = RegisterWindowMessage("BCGM_GRID_ENTER_MSG");
    EXPECT_GE(enter, 0xC000u);
    EXPECT_LE(enter, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("BCGM_GRID_ENTER_MSG"), enter);
    EXPECT_EQ(RegisterWindowMessage("bcgm_grid_enter_msg"), enter);
    EXPECT_NE(RegisterWindowMessage("ATTRI_FIELD_HAS_CHANGED"), enter);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);

    std::vector<UINT> got(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&got, i] { got[i] = RegisterWindowMessage("ADD_BCGGRIDDLG_VIEW_T"); });
    for (auto &t : threads)
        t.join();
    for (UINT id : got)
        EXPECT_EQ(id, got[0]);
}

TEST(Messages, BroadcastReachesTopLevelTargetsOnly)
{
    Window top;
    Window child(&top);
    PostBroadcast(kRecord, 1, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(top.seen.size(), 1u);
    EXPECT_TRUE(child.seen.empty());
}

TEST(Messages, TimersTickByIdUntilKilled)
{
    Window w;
    EXPECT_FALSE(w.KillTimer(7));  // never started
    w.SetTimer(7, 10);
    w.SetTimer(8, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return std::count(w.ticks.begin(), w.ticks.end(), 7u) >= 2 &&
               std::count(w.ticks.begin(), w.ticks.end(), 8u) >= 2;
    }, 5000));
    EXPECT_TRUE(w.KillTimer(7));
    EXPECT_FALSE(w.IsTimerRunning(7));
    EXPECT_TRUE(w.IsTimerRunning(8));
    const auto sevens = std::count(w.ticks.begin(), w.ticks.end(), 7u);
    QTest::qWait(60);
    EXPECT_EQ(std::count(w.ticks.begin(), w.ticks.end(), 7u), sevens);
    EXPECT_TRUE(w.KillTimer(8));
}

TEST(Messages, ATimerHandlerMayKillItsOwnTimer)
{
    Window w;
    w.killSelfId = 3;
    w.SetTimer(3, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.ticks.empty(); }, 10000));
    QTest::qWait(40);
    EXPECT_EQ(w.ticks.size(), 1u);
    EXPECT_FALSE(w.IsTimerRunning(3));
}

TEST(Messages, SetTimerAgainRestartsWithTheNewPeriod)
{
    Window w;
    w.SetTimer(1, 100000);
    w.SetTimer(1, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.ticks.empty(); }, 10000));
    EXPECT_EQ(w.ticks.front(), 1u);
}
