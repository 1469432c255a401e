// The navigation trees: the function tree's pages and the parameter-group tree's keys and
// look-ups.
#include "NavigationInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(FunctionTree, FourGroupsReachEveryBuiltPage)
{
    CNavigationInfo tree;
    tree.BuildFunctionTree();
    ASSERT_EQ(tree.m_groups.size(), 4u);
    EXPECT_EQ(tree.m_groups[0].m_strCaption, QStringLiteral("系统状态"));
    EXPECT_EQ(tree.m_groups[2].m_strCaption, QStringLiteral("DI/DO"));
    std::vector<int> ids;
    for (const NavGroup &g : tree.m_groups)
        for (const NavItem &item : g.m_items)
            ids.push_back(item.m_nId);
    EXPECT_EQ(ids, (std::vector<int>{6, 11, 13, 2, -1, 4, 5, 12, 7, 17, 8, 10, 9, 15, 16}));
    EXPECT_EQ(tree.m_groups[1].m_items[0].m_strCaption, QStringLiteral("试运转(JOG)"));
    EXPECT_EQ(tree.m_groups[1].m_items[4].m_strCaption, QStringLiteral("安装向导"));
    EXPECT_EQ(tree.m_groups[3].m_strCaption, QStringLiteral("控制环路"));
    // Building again replaces the groups instead of adding to them.
    tree.BuildFunctionTree();
    EXPECT_EQ(tree.m_groups.size(), 4u);
    EXPECT_TRUE(tree.m_targets.empty());
}

std::vector<int> Keys(const NavGroup &g)
{
    std::vector<int> keys;
    for (const NavItem &item : g.m_items)
        keys.push_back(item.m_nId);
    return keys;
}

TEST(GroupTree, KeysRunOverTheWholeTreeInDisplayOrder)
{
    const std::vector<SystemGroupName> system = {{"P00", "基本设置"}, {"P01", "控制参数"}};
    const struct
    {
        const char *name;
        QStringList custom;
        std::vector<SystemGroupName> system;
        std::vector<std::vector<int>> keys;
    } cases[] = {
        {"no custom groups", {}, system, {{1}, {2, 3, 4}}},
        {"three custom groups", {"A", "B", "C"}, system, {{1, 2, 3, 4}, {5, 6, 7}}},
        {"no system groups", {"A"}, {}, {{1, 2}}},
    };
    for (const auto &c : cases) {
        CNavigationInfo tree;
        tree.BuildGroupTree(c.custom, c.system);
        ASSERT_EQ(tree.m_groups.size(), c.keys.size()) << c.name;
        for (size_t g = 0; g < c.keys.size(); ++g)
            EXPECT_EQ(Keys(tree.m_groups[g]), c.keys[g]) << c.name << " group " << g;
        EXPECT_EQ(tree.m_groups[0].m_strCaption, QStringLiteral("自定义")) << c.name;
        EXPECT_EQ(tree.m_targets.size(), c.keys.size()) << c.name;
    }
}

TEST(GroupTree, EntriesSayWhatThePageShows)
{
    CNavigationInfo tree;
    tree.BuildGroupTree({"Mine"}, {{"P02", "增益"}});
    ASSERT_EQ(tree.m_groups.size(), 2u);
    EXPECT_EQ(tree.m_groups[1].m_strCaption, QStringLiteral("系统"));
    EXPECT_EQ(tree.m_groups[1].m_items[1].m_strCaption, QStringLiteral("P02组 增益"));

    const struct
    {
        int key;
        const char *caption;
        const char *group;
        int all, custom, system, index;
    } cases[] = {
        {1, "所有参数", "", 1, 1, 0, 0},
        {2, "Mine", "Mine", 0, 1, 0, 1},
        {3, "所有参数", "", 1, 0, 1, 0},
        {4, "P02组 增益", "P02", 0, 0, 1, 1},
    };
    for (const auto &c : cases) {
        const NavigationTarget t = tree.FindTargetByKey(c.key);
        EXPECT_EQ(t.m_strCaption, QString::fromUtf8(c.caption)) << c.key;
        EXPECT_EQ(t.m_nTargetId, 1) << c.key;
        EXPECT_EQ(t.m_strGroup, QString::fromUtf8(c.group)) << c.key;
        EXPECT_EQ(t.m_bAll, c.all) << c.key;
        EXPECT_EQ(t.m_bCustom, c.custom) << c.key;
        EXPECT_EQ(t.m_bSystem, c.system) << c.key;
        EXPECT_EQ(t.m_nIndex, c.index) << c.key;
    }
}

TEST(GroupTree, LookupsMissAndDuplicates)
{
    CNavigationInfo tree;
    // Two custom groups of one name, and a custom group named like a system group code.
    tree.BuildGroupTree({"Twin", "Twin", "P00"}, {{"P00", "基本"}});
    for (int key : {-1, 0, 99}) {
        const NavigationTarget t = tree.FindTargetByKey(key);
        EXPECT_EQ(t.m_nTargetId, -1) << key;
        EXPECT_TRUE(t.m_strCaption.isEmpty()) << key;
        EXPECT_EQ(t.m_bAll + t.m_bCustom + t.m_bSystem + t.m_nIndex, 0) << key;
    }
    EXPECT_EQ(tree.FindCustomTarget("Twin").m_nIndex, 1);
    EXPECT_EQ(tree.FindCustomTarget("P00").m_bCustom, 1);
    EXPECT_EQ(tree.FindCustomTarget("P00").m_nIndex, 3);
    EXPECT_EQ(tree.FindSystemTarget("P00").m_bSystem, 1);
    EXPECT_EQ(tree.FindSystemTarget("P00").m_bCustom, 0);
    EXPECT_EQ(tree.FindSystemTarget("Twin").m_nTargetId, -1);
    EXPECT_EQ(tree.FindCustomTarget("twin").m_nTargetId, -1);  // exact comparison
    // The "all" entries have an empty group: neither look-up finds them by an empty name
    // through the other kind.
    EXPECT_EQ(tree.FindCustomTarget(QString()).m_bAll, 1);
    EXPECT_EQ(tree.FindCustomTarget(QString()).m_bCustom, 1);
    EXPECT_EQ(tree.FindSystemTarget(QString()).m_bSystem, 1);
}

TEST(GroupTree, ProcessWideTreesAreBuiltOnceUnlessRebuilt)
{
    CNavigationInfo *functions = GetFunctionTree(false);
    ASSERT_NE(functions, nullptr);
    functions->m_groups.pop_back();
    EXPECT_EQ(GetFunctionTree(false)->m_groups.size(), 3u);
    EXPECT_EQ(GetFunctionTree(true)->m_groups.size(), 4u);
    EXPECT_EQ(GetFunctionTree(false), functions);
    DeleteNavigationTrees();
}

}
