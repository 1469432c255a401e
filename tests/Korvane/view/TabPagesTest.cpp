// The tab-page and property-page bases.
#include "BCGPPropertyPageEx.h"
#include "Navigation.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(TabDialog, StopTimerHidesButKeepsThePageTimer)
{
    QWidget owner;
    CTabDialog dlg(102);
    dlg.m_nTimerID = 3;
    ASSERT_TRUE(dlg.Create(102, &owner, 5));
    EXPECT_EQ(dlg.m_nPageId, 5);
    dlg.show();
    platform::SendMessage(&dlg, UM_START_TIMER);
    ASSERT_TRUE(dlg.IsTimerRunning(3));

    EXPECT_EQ(platform::SendMessage(&dlg, UM_STOP_TIMER), 0);
    EXPECT_FALSE(dlg.isVisibleTo(&owner));
    EXPECT_TRUE(dlg.IsTimerRunning(3));
}

TEST(TabDialog, CloseEndsTheWindowWithoutAnIniFile)
{
    QWidget owner;
    CNavigation nav;
    ASSERT_TRUE(nav.Create(CNavigation::IDD, &owner, -1));
    nav.show();
    platform::SendMessage(&nav, WM_CLOSE);
    EXPECT_FALSE(nav.IsCreated());
    EXPECT_FALSE(nav.isVisibleTo(&owner));
    // The home page's controls carry their ids.
    for (int id : {CNavigation::IDC_NEW_PROJECT, CNavigation::IDC_OPEN_PROJECT, CNavigation::IDC_CLOSE_HOME_AFTER_OPEN,
                   CNavigation::IDC_SHOW_HOME_AT_START, CNavigation::IDC_RECENT_PROJECTS})
        EXPECT_NE(platform::FindCtrl(&nav, id), nullptr) << id;
}

class CountingPage : public CBCGPPropertyPageEx
{
public:
    using CBCGPPropertyPageEx::CBCGPPropertyPageEx;
    bool TranslateControls() override
    {
        ++m_nCalls;
        return CBCGPPropertyPageEx::TranslateControls();
    }
    int m_nCalls = 0;
};

TEST(PropertyPage, ReTextsOnceForTheSameLanguage)
{
    QWidget owner;
    CountingPage page(245);
    page.m_strLangSection = QStringLiteral("CDlgSetLanguage");
    ASSERT_TRUE(page.Create(245, &owner));
    EXPECT_EQ(page.m_nCalls, 1);
    EXPECT_TRUE(page.m_bTranslated);
    EXPECT_EQ(page.m_nAppliedLanguage, int(CLanguageConf::GetTheOne()->Get()));

    page.OnInitDialog();
    EXPECT_EQ(page.m_nCalls, 1);
    page.m_bForceTranslate = true;
    page.OnInitDialog();
    EXPECT_EQ(page.m_nCalls, 2);
}

// With translations of both texts loaded and English chosen, so that "unchanged" means
// something: a page without a section stops at its caption, and the same page with a
// section is re-texted.
TEST(PropertyPage, CaptionWithoutASectionIsNeverReTexted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.filePath(QStringLiteral("LangTable.tsv"));
    {
        QFile f(table);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("设置\t設置\tSettings\n语言\t語言\tLanguage\n");
    }
    platform::CreateLanguageLibrary(table);
    platform::GetSqlite()->Load();
    CLanguageConf::GetTheOne()->Set(CLanguageConf::kEnglish);

    CBCGPPropertyPageEx page(245);
    page.setWindowTitle(QStringLiteral("设置"));
    auto *label = new QLabel(QStringLiteral("语言"), &page);
    platform::SetCtrlId(label, 1000);
    EXPECT_FALSE(page.TranslateControls());
    EXPECT_EQ(page.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(label->text(), QStringLiteral("语言"));

    page.m_strLangSection = QStringLiteral("CDlgSetLanguage");
    EXPECT_TRUE(page.TranslateControls());
    EXPECT_EQ(page.windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(label->text(), QStringLiteral("Language"));

    CLanguageConf::GetTheOne()->Set(CLanguageConf::kSimplified);
    platform::DestroyLanguageLibrary();
}

}
