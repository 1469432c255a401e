// The navigation toolboxes: clicks and context menus reach the owner as messages, and one tool
// at most is selected over all pages.
#include "ToolBoxEx.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

class Owner : public QWidget, public platform::MessageTarget
{
public:
    Owner() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        got.emplace_back(msg, wParam, lParam);
        return 0;
    }
    std::vector<std::tuple<UINT, WPARAM, LPARAM>> got;
};

struct Fixture
{
    Owner owner;
    CToolBoxEx *box = new CToolBoxEx(QStringLiteral("参数编辑"), 1001, &owner);

    Fixture()
    {
        box->m_owner = platform::WindowRef(&owner);
        box->AddToolsPage(QStringLiteral("一"), {"a", "b"});
        box->AddToolsPage(QStringLiteral("二"), {"c", "d", "e"});
        box->AddToolsPage(QStringLiteral("三"), {});
        for (int p = 0; p < box->GetPageCount(); ++p)
            for (int t = 0; t < box->GetPage(p)->GetToolCount(); ++t)
                box->GetPage(p)->SetToolData(t, 10 * (p + 1) + t);
        owner.resize(300, 600);
        box->resize(300, 600);
        owner.show();
        QApplication::processEvents();
    }
};

TEST(ToolBox, ClickPostsTheDataValueAndClearsOtherPages)
{
    Fixture f;
    f.box->m_nClickMessage = UM_GROUP_TOOL_CLICK;
    CToolBoxPageEx *first = f.box->GetPage(0);
    CToolBoxPageEx *second = f.box->GetPage(1);
    EXPECT_EQ(f.box->GetPage(2)->GetToolCount(), 0);
    QTest::mouseClick(first, Qt::LeftButton, {}, first->ToolRect(1).center());
    EXPECT_EQ(first->GetSelected(), 1);
    QTest::mouseClick(second, Qt::LeftButton, {}, second->ToolRect(2).center());
    QApplication::processEvents();
    EXPECT_EQ(first->GetSelected(), -1);
    EXPECT_EQ(second->GetSelected(), 2);
    ASSERT_EQ(f.owner.got.size(), 2u);
    EXPECT_EQ(f.owner.got[0], std::make_tuple(UM_GROUP_TOOL_CLICK, WPARAM(11), LPARAM(0)));
    EXPECT_EQ(f.owner.got[1], std::make_tuple(UM_GROUP_TOOL_CLICK, WPARAM(22), LPARAM(0)));
}

TEST(ToolBox, MenuRequestsCarryTheToolOrMinusOneAndTheScreenPoint)
{
    Fixture f;
    f.box->m_nMenuMessage = UM_GROUP_TOOL_MENU;
    CToolBoxPageEx *page = f.box->GetPage(1);
    EXPECT_TRUE(f.box->OnToolboxMenu(QPoint(300, 40), page, page->HitTest(page->ToolRect(0).center())));
    // Below the last tool.
    EXPECT_TRUE(f.box->OnToolboxMenu(QPoint(5, 7), page, page->HitTest(QPoint(5, page->ToolRect(2).bottom() + 5))));
    // A hit index that names no tool posts nothing.
    EXPECT_TRUE(f.box->OnToolboxMenu(QPoint(5, 7), page, 9));
    QApplication::processEvents();
    ASSERT_EQ(f.owner.got.size(), 2u);
    EXPECT_EQ(f.owner.got[0], std::make_tuple(UM_GROUP_TOOL_MENU, WPARAM(20), LPARAM((40 << 16) | 300)));
    EXPECT_EQ(f.owner.got[1], std::make_tuple(UM_GROUP_TOOL_MENU, WPARAM(-1), LPARAM((7 << 16) | 5)));
}

TEST(ToolBox, WithoutMessagesNothingIsPosted)
{
    Fixture f;  // the function pane's menu message is 0, and so here is the click message
    CToolBoxPageEx *page = f.box->GetPage(0);
    QTest::mouseClick(page, Qt::LeftButton, {}, page->ToolRect(0).center());
    QContextMenuEvent menu(QContextMenuEvent::Mouse, page->ToolRect(0).center(), page->mapToGlobal(page->ToolRect(0).center()));
    QApplication::sendEvent(page, &menu);
    QApplication::processEvents();
    EXPECT_TRUE(f.owner.got.empty());
    EXPECT_EQ(page->GetSelected(), 0);
}

TEST(ToolBox, RemovingAllPagesEmptiesTheBox)
{
    Fixture f;
    f.box->RemoveAllToolsPages();
    EXPECT_EQ(f.box->GetPageCount(), 0);
    EXPECT_TRUE(f.box->AddToolsPage(QStringLiteral("x"), {"y"}));
    EXPECT_EQ(f.box->GetPage(0)->m_nIndex, 0);
}

}
