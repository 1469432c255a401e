#include "controls/ProgressDialog_Implement.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A page that runs work behind the please-wait dialog and answers the watcher's polls.
class Owner : public QWidget, public platform::MessageTarget, public CProgressDialog_Implement
{
public:
    Owner() : MessageTarget(this) { m_clock.start(); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == UM_PROGRESS_POLL) {
            m_pollTimes.push_back(m_clock.elapsed());
            const BOOL r = PollFinished(static_cast<BOOL>(wParam));
            m_answers.push_back(r);
            return r;
        }
        if (msg == UM_THREAD_FINISHED) {
            SetDone();
            return 0;
        }
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }

    void Show() { ShowProgress(QStringLiteral("读取数据中..."), GetWindowRef(), this); }

    QElapsedTimer m_clock;
    std::vector<qint64> m_pollTimes;
    std::vector<BOOL> m_answers;
};

class PleaseWait : public ::testing::Test
{
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        (void)QTest::qWaitFor([] { return CProgressDialog_Implement::RunningWatchers() == 0; }, 10000);
        delete g_pProgressDlg;
        g_pProgressDlg = nullptr;
        g_bProgressDone = TRUE;
    }
    static bool WatcherEnds() { return QTest::qWaitFor([] { return CProgressDialog_Implement::RunningWatchers() == 0; }, 10000); }
};

}

TEST_F(PleaseWait, PollsAtOnceThenEvery100msAndClosesWhenTheWorkIsDone)
{
    Owner page;
    page.Show();
    ASSERT_NE(g_pProgressDlg, nullptr);
    ASSERT_TRUE(g_pProgressDlg->HasWindow());
    EXPECT_TRUE(g_pProgressDlg->Window()->isVisible());
    EXPECT_EQ(g_pProgressDlg->Window()->windowTitle(), QStringLiteral("读取数据中..."));
    EXPECT_EQ(g_bProgressDone, FALSE);
    EXPECT_EQ(CProgressDialog_Implement::RunningWatchers(), 1);

    // The first poll waits for nothing; how soon it comes depends on the machine's load, so
    // only the spacing of the later ones (a timer never fires early) is checked.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.m_pollTimes.empty(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pollTimes.size() >= 3; }, 10000));
    for (size_t i = 1; i < page.m_pollTimes.size(); ++i)
        EXPECT_GE(page.m_pollTimes[i] - page.m_pollTimes[i - 1], 90);  // a coarse timer may be 5% early
    for (BOOL a : page.m_answers)
        EXPECT_EQ(a, FALSE);

    // The worker ends: its completion message marks the work done; the next poll closes.
    platform::PostMessage(page.GetWindowRef(), UM_THREAD_FINISHED);
    ASSERT_TRUE(WatcherEnds());
    EXPECT_EQ(page.m_answers.back(), TRUE);
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(g_bProgressDone, TRUE);
    const size_t polls = page.m_pollTimes.size();
    QTest::qWait(250);
    EXPECT_EQ(page.m_pollTimes.size(), polls) << "no poll after a TRUE answer";
}

TEST_F(PleaseWait, WorkDoneBeforeTheFirstPollClosesAtThatPoll)
{
    Owner page;
    page.Show();
    page.SetDone();
    ASSERT_TRUE(WatcherEnds());
    ASSERT_EQ(page.m_answers.size(), 1u);
    EXPECT_EQ(page.m_answers[0], TRUE);
    EXPECT_EQ(g_pProgressDlg, nullptr);
}

TEST_F(PleaseWait, PollWithoutDialogOrWithFinishedGivenAnswersTrue)
{
    EXPECT_EQ(CProgressDialog_Implement::PollFinished(FALSE), TRUE);
    EXPECT_EQ(g_bProgressDone, TRUE);

    Owner page;
    page.Show();
    ASSERT_EQ(g_bProgressDone, FALSE);
    EXPECT_EQ(CProgressDialog_Implement::PollFinished(FALSE), FALSE);
    EXPECT_NE(g_pProgressDlg, nullptr);
    EXPECT_EQ(CProgressDialog_Implement::PollFinished(TRUE), TRUE);
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(g_bProgressDone, TRUE);
    EXPECT_TRUE(WatcherEnds());
}

TEST_F(PleaseWait, CancelIsConsumedByThePollThatSeesIt)
{
    Owner page;
    page.Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.m_pollTimes.empty(); }, 10000));
    auto *cancel = g_pProgressDlg->Window()->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(WatcherEnds());
    EXPECT_EQ(page.m_answers.back(), TRUE);
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(g_bProgressDone, TRUE);
    // The worker still ends later; its SetDone only sets the flag.
    page.SetDone();
    EXPECT_EQ(g_bProgressDone, TRUE);
}

TEST_F(PleaseWait, ClosingTheWindowAsksToCancelToo)
{
    Owner page;
    page.Show();
    g_pProgressDlg->Window()->reject();
    ASSERT_TRUE(WatcherEnds());
    EXPECT_EQ(page.m_answers.back(), TRUE);
    EXPECT_EQ(g_pProgressDlg, nullptr);
}

TEST_F(PleaseWait, ASecondShowOnlyFocusesTheDialog)
{
    Owner first, second;
    first.Show();
    CPleaseWaitDlg *dlg = g_pProgressDlg;
    first.SetDone();  // done before the second owner asks: the flag must stay set
    second.Show();
    EXPECT_EQ(g_pProgressDlg, dlg);
    EXPECT_EQ(CProgressDialog_Implement::RunningWatchers(), 1);
    EXPECT_EQ(g_bProgressDone, TRUE);
    ASSERT_TRUE(WatcherEnds());
    EXPECT_TRUE(second.m_pollTimes.empty());
    EXPECT_EQ(g_pProgressDlg, nullptr);
}

TEST_F(PleaseWait, ADialogThatLostItsWindowIsClearedByTheNextShow)
{
    Owner page;
    auto parent = std::make_unique<QWidget>();
    page.ShowProgress(QStringLiteral("读取数据中..."), page.GetWindowRef(), parent.get());
    parent.reset();  // takes the dialog's window with it
    ASSERT_NE(g_pProgressDlg, nullptr);
    EXPECT_FALSE(g_pProgressDlg->HasWindow());
    ASSERT_TRUE(WatcherEnds());
    EXPECT_EQ(page.m_answers.back(), TRUE);
    EXPECT_NE(g_pProgressDlg, nullptr) << "a window-less dialog object waits for the next show";

    page.Show();
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(CProgressDialog_Implement::RunningWatchers(), 0);
    page.Show();
    ASSERT_NE(g_pProgressDlg, nullptr);
    EXPECT_TRUE(g_pProgressDlg->HasWindow());
    EXPECT_EQ(CProgressDialog_Implement::RunningWatchers(), 1);
}

TEST_F(PleaseWait, AnOwnerThatIsGoneEndsTheWatcher)
{
    auto page = std::make_unique<Owner>();
    auto parent = std::make_unique<QWidget>();
    page->ShowProgress(QStringLiteral("读取数据中..."), page->GetWindowRef(), parent.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->m_pollTimes.empty(); }, 10000));
    page.reset();
    EXPECT_TRUE(WatcherEnds()) << "the watcher must not poll for ever";
}
