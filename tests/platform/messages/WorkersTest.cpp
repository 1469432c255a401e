// Page workers, detaching a window's mailbox, and the newest-only post.
#include "platform/Messages.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace platform;

namespace {

constexpr UINT kRecord = WM_USER + 200;
constexpr UINT kLatest = WM_USER + 201;

class WorkerPage : public QWidget, public MessageTarget
{
public:
    WorkerPage() : MessageTarget(this), worker(this, "test page worker") {}

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        switch (msg) {
        case kRecord:
            ++handled;
            if (IsDetached())
                ++handledAfterDetach;
            return 1;
        case kLatest: {
            auto p = Payload<int>();
            latest.push_back(p ? *p : -1);
            return 0;
        }
        default:
            return MessageTarget::WindowProc(msg, w, l);
        }
    }

    int handled = 0;
    int handledAfterDetach = 0;
    std::vector<int> latest;
    PageWorker worker;  // last: it goes first, while the window is still whole
};

void Pump(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

// Guards against a hang: a destruction that never ends fails the run instead of stalling it.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds limit)
        : m_thread([this, limit] {
              const auto end = std::chrono::steady_clock::now() + limit;
              while (!m_done && std::chrono::steady_clock::now() < end)
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              if (!m_done) {
                  std::fprintf(stderr, "hang: a window's workers did not end\n");
                  std::_Exit(3);
              }
          })
    {
    }
    ~Watchdog()
    {
        m_done = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

enum class Shape { BlockedInSend, InScriptedBox, PostingInALoop };

TEST(PageWorkers, WindowsWithBusyWorkersEndCleanly)
{
    auto ui = std::make_shared<ScriptedUiServices>();
    ScopedUiServices scope(ui);
    const struct {
        const char *what;
        Shape shape;
        bool explicitStop;  // DestroyWindow's way; else the page simply goes
    } cases[] = {
        {"blocked in SendMessage, stopped", Shape::BlockedInSend, true},
        {"in a scripted box, stopped", Shape::InScriptedBox, true},
        {"posting in a loop, stopped", Shape::PostingInALoop, true},
        {"blocked in SendMessage, never stopped", Shape::BlockedInSend, false},
        {"in a scripted box, never stopped", Shape::InScriptedBox, false},
        {"posting in a loop, never stopped", Shape::PostingInALoop, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Watchdog guard(std::chrono::seconds(20));
        auto *page = new WorkerPage;
        const WindowRef ref(page);
        std::atomic<int> rounds{0};
        page->worker.Start([ref, shape = c.shape, &rounds](const std::atomic<bool> &stop) {
            while (!stop) {
                switch (shape) {
                case Shape::BlockedInSend:
                    SendMessage(ref, kRecord);
                    break;
                case Shape::InScriptedBox:
                    Ui().MessageBox(QStringLiteral("busy"), QStringLiteral("worker"));
                    break;
                case Shape::PostingInALoop:
                    PostMessage(ref, kRecord);
                    std::this_thread::yield();
                    break;
                }
                ++rounds;
            }
        });
        // Under way: the page has heard from the worker (or the worker has been round its box).
        QElapsedTimer started;
        started.start();
        while ((c.shape == Shape::InScriptedBox ? rounds.load() < 1 : page->handled < 1) && started.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        Pump(30);
        // The GUI thread is busy now: whatever the worker sends or asks is left waiting.
        const int before = rounds;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        if (c.shape != Shape::PostingInALoop) {
            EXPECT_LE(rounds - before, 1) << "the worker should be waiting on the GUI thread";
        }
        if (c.explicitStop)
            page->StopWorkersForGood();
        const int handledAtStop = page->handled;
        EXPECT_EQ(page->handledAfterDetach, 0);
        delete page;
        EXPECT_FALSE(ref.IsAlive());
        if (c.explicitStop) {
            EXPECT_GE(handledAtStop, c.shape == Shape::InScriptedBox ? 0 : 1);
        }
        Pump(10);
    }
}

TEST(PageWorkers, StoppedWorkerCanBeStartedAgain)
{
    WorkerPage page;
    std::atomic<int> runs{0};
    for (int i = 0; i < 2; ++i) {
        page.worker.Start([&runs](const std::atomic<bool> &stop) {
            ++runs;
            while (!stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        EXPECT_TRUE(page.worker.IsRunning());
        EXPECT_TRUE(page.AnyWorkerBusy());
        page.worker.Stop();
        EXPECT_FALSE(page.worker.IsRunning());
        EXPECT_FALSE(page.AnyWorkerBusy());
    }
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(page.IsDetached()) << "a plain stop leaves the window working";
}

// A worker that stands by between jobs is busy only while it has one; its window says the same.
TEST(PageWorkers, AStandingWorkerIsBusyOnlyWhileAtAJob)
{
    WorkerPage page;
    std::atomic<bool> job{false};
    page.worker.SetIdleCheck([&job] { return !job; });
    page.worker.Start([](const std::atomic<bool> &stop) {
        while (!stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    EXPECT_TRUE(page.worker.IsRunning());
    EXPECT_FALSE(page.worker.IsBusy());
    EXPECT_FALSE(page.AnyWorkerBusy());
    job = true;
    EXPECT_TRUE(page.worker.IsBusy());
    EXPECT_TRUE(page.AnyWorkerBusy());
    job = false;
    EXPECT_FALSE(page.AnyWorkerBusy());
    page.worker.Stop();
    job = true;
    EXPECT_FALSE(page.worker.IsBusy()) << "an ended worker is not busy, whatever its check says";
}

TEST(PageWorkers, StopReachedAgainWhileItPumpsJoinsOnce)
{
    // A handler run by the stop's own event pump stops the same worker (a capture's stop
    // posted earlier, handled while the window closes).
    WorkerPage page;
    std::atomic<bool> released{false};
    page.worker.Start([&released](const std::atomic<bool> &stop) {
        while (!stop || !released)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    bool nested = false;
    QTimer::singleShot(0, &page, [&] {
        released = true;
        page.worker.Stop();
        nested = true;
    });
    EXPECT_NO_THROW(page.worker.Stop());
    EXPECT_TRUE(nested);
    EXPECT_FALSE(page.worker.IsRunning());
}

TEST(Detach, QueuedMessagesAreDroppedAndLaterOnesRefused)
{
    WorkerPage page;
    const WindowRef ref(&page);
    PostMessage(ref, kRecord);
    PostLatest(ref, kLatest, std::make_shared<int>(1));
    page.SetTimer(1, 1);
    page.Detach();
    EXPECT_FALSE(PostMessage(ref, kRecord));
    EXPECT_EQ(SendMessage(ref, kRecord), 0);
    Pump(20);
    EXPECT_EQ(page.handled, 0);
    EXPECT_TRUE(page.latest.empty());
    EXPECT_FALSE(page.IsTimerRunning(1));
}

// 1,000 newest-only posts while the GUI thread is busy give one handler call, with the last.
TEST(PostLatest, KeepsOnlyTheNewestPayload)
{
    WorkerPage page;
    const WindowRef ref(&page);
    std::thread producer([ref] {
        for (int i = 0; i < 1000; ++i)
            PostLatest(ref, kLatest, std::make_shared<int>(i));
    });
    producer.join();
    Pump(20);
    ASSERT_EQ(page.latest.size(), 1u);
    EXPECT_EQ(page.latest[0], 999);

    // Once handled, the next post is delivered again.
    PostLatest(ref, kLatest, std::make_shared<int>(1000));
    Pump(10);
    ASSERT_EQ(page.latest.size(), 2u);
    EXPECT_EQ(page.latest[1], 1000);
}

}
