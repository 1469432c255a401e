// The view's page table and the page switch.
#include "DlgStatus.h"
#include "KorvaneView.h"
#include "PathHelpers.h"

#include "platform/PageWorker.h"
#include "platform/UiServices.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// A page that writes down the page messages it gets and when it is shown or hidden.
class RecordingPage : public CDialogExMid
{
public:
    RecordingPage(std::string name, Log &log) : CDialogExMid(0), m_name(std::move(name)), m_log(log)
    {
        m_nTimerID = 7;
        m_nElapse = 60000;
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        switch (msg) {
        case UM_STOP_TIMER: Note("stop-timer"); break;
        case UM_START_TIMER: Note("start-timer"); break;
        case UM_PAGE_ACTIVATE: Note("activate"); break;
        case UM_THEME_CHANGED: Note("theme"); break;
        default: break;
        }
        return CDialogExMid::WindowProc(msg, w, l);
    }
    void setVisible(bool visible) override
    {
        if (visible != m_bShown)
            Note(visible ? "show" : "hide");
        m_bShown = visible;
        CDialogExMid::setVisible(visible);
    }

private:
    void Note(const char *what) { m_log.push_back(m_name + ":" + what); }
    std::string m_name;
    Log &m_log;
    bool m_bShown = false;
};

class ViewPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The real pages keep settings, captures and exports beside the program: here that is
        // a folder of the test's own, never the build's program folder.
        ASSERT_TRUE(m_programDir.isValid());
        SetProgramDir(m_programDir.path());
        m_view = std::make_unique<CKorvaneView>();
        m_view->resize(400, 300);
    }
    void TearDown() override
    {
        m_view.reset();
        SetProgramDir(QString());
    }

    QTemporaryDir m_programDir;

    RecordingPage *Plant(int id, const char *name)
    {
        auto *page = new RecordingPage(name, m_log);
        m_view->Pages()[id] = CPageEntry{page, 0, QString::fromLatin1(name)};
        return page;
    }

    // Pages made without a drive say so in a box: answered here, never shown.
    platform::ScopedUiServices m_ui{std::make_shared<platform::ScriptedUiServices>()};
    std::unique_ptr<CKorvaneView> m_view;
    Log m_log;
};

TEST_F(ViewPages, SwitchingStopsTheOldPageBeforeTheNewOneStarts)
{
    RecordingPage *a = Plant(4, "A");
    RecordingPage *b = Plant(5, "B");
    m_view->ShowPage(4);
    m_log.clear();

    m_view->ShowPage(5);
    EXPECT_EQ(m_log, (Log{"A:stop-timer", "A:hide", "B:activate", "B:show", "B:start-timer", "B:theme"}));
    EXPECT_EQ(m_view->CurrentPage(), b);
    EXPECT_FALSE(a->IsTimerRunning(7));
    EXPECT_TRUE(b->IsTimerRunning(7));
    EXPECT_TRUE(b->isVisibleTo(m_view.get()));
    EXPECT_EQ(b->geometry(), QRect(0, 0, 400, 300));

    m_log.clear();
    m_view->ShowPage(5);
    EXPECT_TRUE(m_log.empty()) << m_log.front();
    EXPECT_TRUE(b->isVisibleTo(m_view.get()));
}

TEST_F(ViewPages, IdsWithoutAPageLeaveTheAreaEmpty)
{
    RecordingPage *a = Plant(4, "A");
    for (int id : {0, 1, 14, 18, -2, 1000}) {
        m_view->ShowPage(4);
        m_log.clear();
        m_view->ShowPage(id);
        EXPECT_EQ(m_log, (Log{"A:stop-timer", "A:hide"})) << id;
        EXPECT_EQ(m_view->CurrentPage(), nullptr) << id;
        EXPECT_FALSE(a->isVisibleTo(m_view.get())) << id;
        EXPECT_EQ(m_view->Pages().count(id), 0u) << id;
    }
}

TEST_F(ViewPages, EveryIdMakesItsPageOnceAndKeepsIt)
{
    const std::vector<std::pair<int, const char *>> table = {
        {-1, "CNavigation"},          {2, "CDlgScope"},         {3, "CDlgParams"},
        {4, "CDlgAidJogMove"},        {5, "CDlgAidInertia"},    {6, "CDlgStatusData"},
        {7, "CDlgAidMagCalibration"}, {8, "CDlgDiDoMonitor"},   {9, "CDlgDiShowSet"},
        {10, "CDlgDiDoSet"},          {11, "CDlgFaultManagement"}, {12, "DlgAidAnalyse"},
        {13, "CDlgDeviceInfo"},       {15, "CDlgSpeedLoop"},    {16, "CDlgPositionCtrl"},
        {17, "CDlgSetupWizard"}};
    for (const auto &[id, cls] : table) {
        m_view->ShowPage(id);
        CDialogExMid *page = m_view->CurrentPage();
        ASSERT_NE(page, nullptr) << id;
        EXPECT_STREQ(page->metaObject()->className(), cls);
        EXPECT_TRUE(page->IsCreated());
        EXPECT_EQ(page->parentWidget(), m_view.get());
        EXPECT_EQ(platform::SendMessage(page, UM_IDENTIFY), kIdentifyAnswer);
        EXPECT_EQ(m_view->Pages()[id].strName, PageName(id));
    }
    // Coming back finds the same page, not a new one.
    CDialogExMid *scope = m_view->Pages()[2].pPage;
    m_view->ShowPage(2);
    EXPECT_EQ(m_view->CurrentPage(), scope);
}

TEST_F(ViewPages, CreatePageFillsAnEmptyEntryAndKeepsItsValue)
{
    m_view->Pages()[6] = CPageEntry{nullptr, 42, QString()};
    int extra = 0;
    QString name;
    CDialogExMid *page = CreatePage(m_view->Pages(), 6, extra, name);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(name, QStringLiteral("数据监控"));
    EXPECT_EQ(m_view->Pages()[6].pPage, page);
    EXPECT_EQ(m_view->Pages()[6].nExtra, 42);

    int extra2 = 9;
    QString name2;
    CDialogExMid *page2 = CreatePage(m_view->Pages(), 13, extra2, name2);
    EXPECT_EQ(m_view->Pages()[13].nExtra, 9);
    int again = 0;
    QString againName;
    EXPECT_EQ(CreatePage(m_view->Pages(), 13, again, againName), page2);
    EXPECT_EQ(again, 9);
    EXPECT_EQ(againName, QStringLiteral("设备信息"));
}

TEST_F(ViewPages, TheOscilloscopePageExistsHiddenFromTheFirstUpdate)
{
    m_view->OnInitialUpdate();
    ASSERT_EQ(m_view->Pages().count(kScopePageId), 1u);
    CDialogExMid *scope = m_view->Pages()[kScopePageId].pPage;
    ASSERT_NE(scope, nullptr);
    EXPECT_STREQ(scope->metaObject()->className(), "CDlgScope");
    EXPECT_TRUE(scope->IsCreated());
    EXPECT_EQ(scope->parentWidget(), m_view.get());
    EXPECT_FALSE(scope->isVisibleTo(m_view.get()));
    ASSERT_NE(m_view->StatusStrip(), nullptr);
    EXPECT_FALSE(m_view->StatusStrip()->isVisibleTo(m_view.get()));
    // A second update changes nothing.
    m_view->OnInitialUpdate();
    EXPECT_EQ(m_view->Pages()[kScopePageId].pPage, scope);
}

// A page with a worker of its own: the view's end stops it before the page goes.
class WorkerPage : public CDialogExMid, public IPageWorkers
{
public:
    explicit WorkerPage(Log &log) : CDialogExMid(0), m_log(log) {}
    ~WorkerPage() override { m_log.push_back("deleted"); }
    void StopWorkers() override { m_log.push_back("workers stopped"); }
    Log &m_log;
};

TEST_F(ViewPages, PageWorkersEndBeforeTheirPagesGo)
{
    m_view->Pages()[11] = CPageEntry{new WorkerPage(m_log), 0, QString()};
    m_view->ShowPage(11);
    m_view.reset();
    EXPECT_EQ(m_log, (Log{"workers stopped", "deleted"}));
}

// Pages whose workers wait on the GUI thread, or flood it, or were never stopped: destroying
// the view and the exit's stop (detach every page, stop every worker, then join while
// pumping) both end, and no page handler runs once its mailbox is detached.
enum class WorkerShape { BlockedInSend, InScriptedBox, PostingInALoop };

class BusyPage : public CDialogExMid
{
public:
    static constexpr UINT kPing = WM_USER + 77;
    explicit BusyPage(WorkerShape shape) : CDialogExMid(0), m_worker(this, "busy page")
    {
        const platform::WindowRef self(this);
        m_worker.Start([self, shape](const std::atomic<bool> &stop) {
            while (!stop) {
                if (shape == WorkerShape::BlockedInSend)
                    platform::SendMessage(self, kPing);
                else if (shape == WorkerShape::InScriptedBox)
                    platform::Ui().MessageBox(QStringLiteral("?"), QStringLiteral("busy"));
                else
                    platform::PostMessage(self, kPing);
            }
        });
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == kPing) {
            if (IsDetached())
                ++handledDetached;
            return 1;
        }
        return CDialogExMid::WindowProc(msg, w, l);
    }
    int handledDetached = 0;

private:
    platform::PageWorker m_worker;
};

TEST(ViewExit, PagesWithBusyWorkersEnd)
{
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scope(ui);
    for (WorkerShape shape : {WorkerShape::BlockedInSend, WorkerShape::InScriptedBox, WorkerShape::PostingInALoop}) {
        for (bool exitFirst : {true, false}) {
            SCOPED_TRACE(testing::Message() << "shape " << int(shape) << (exitFirst ? ", exit" : ", view goes"));
            auto view = std::make_unique<CKorvaneView>();
            auto *page = new BusyPage(shape);
            view->Pages()[11] = CPageEntry{page, 0, QString()};
            view->ShowPage(11);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the GUI thread is busy
            if (exitFirst) {
                StopPageWorkers(view->Pages());
                EXPECT_TRUE(page->IsDetached());
                EXPECT_EQ(page->handledDetached, 0);
            }
            view.reset();
        }
    }
}

}
