#pragma once
// The main window on the simulated drive at 1280 x 800, the theme on and the safety prompts
// away, for the tests that look at every page of the view and each tab of it.
#include "CommFixture.h"

#include "CustomTheme.h"
#include "DialogExMid.h"
#include "KorvaneView.h"
#include "MainFrame.h"
#include "PageIds.h"
#include "support/SettleWindow.h"

#include <QTabBar>

#include <functional>

class FramePagesFixture : public CommFixture
{
protected:
    void SetUp() override
    {
        CommFixture::SetUp();
        m_flags.m_bIsDangerWnd = FALSE;
        m_flags.m_bIsDangerJogMoveWnd = TRUE;
        m_flags.m_bIsDangerInertiaWnd = TRUE;
        m_flags.m_bIsDangerAnalyseWnd = TRUE;
        InstallCustomTheme();
        m_frame = std::make_unique<CMainFrame>();
        m_frame->StopStatusTimer();
        m_frame->AllowShow();
        m_frame->resize(1280, 800);
        m_frame->show();
        m_frame->GetActiveView()->OnInitialUpdate();
        ASSERT_TRUE(SettleWindow(m_frame.get()));
    }
    void TearDown() override
    {
        m_frame.reset();
        CommFixture::TearDown();
    }

    // Shows every page of the view in turn, settled, and hands each to `look` once as it opens
    // (where: empty) and once for each other tab it shows (where: the tab's name). The number of
    // pages shown.
    int ForEachPageAndTab(const std::function<void(int id, const QString &where)> &look)
    {
        int pages = 0;
        for (int id = kHomePageId; id <= kLastPageId; ++id) {
            m_frame->GetActiveView()->ShowPage(id);
            CDialogExMid *page = m_frame->GetActiveView()->CurrentPage();
            if (!page)
                continue;
            ++pages;
            // Laid out and polished within a few turns of the event loop; what a page reads from
            // the drive as it opens is awaited too.
            EXPECT_TRUE(SettleWindow(page)) << id;
            look(id, QString());
            for (QTabBar *tabs : page->findChildren<QTabBar *>()) {
                const int was = tabs->currentIndex();
                for (int i = 0; i < tabs->count(); ++i) {
                    if (i == was || !tabs->isTabEnabled(i) || !tabs->isVisibleTo(page))
                        continue;
                    tabs->setCurrentIndex(i);
                    EXPECT_TRUE(SettleWindow(page)) << id << " tab " << i;
                    look(id, QStringLiteral(" tab \"%1\"").arg(tabs->tabText(i)));
                }
                tabs->setCurrentIndex(was);
            }
        }
        return pages;
    }

    std::unique_ptr<CMainFrame> m_frame;
};
