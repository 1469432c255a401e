#include "NavigationInfo.h"

#include "SYSPARAM/SysParam.h"
#include "platform/LanguageConf.h"

#include <memory>

namespace {

std::unique_ptr<CNavigationInfo> g_functionTree;
std::unique_ptr<CNavigationInfo> g_groupTree;

}

CNavigationInfo::CNavigationInfo() = default;

QString CNavigationInfo::Tr(const QString &source) const
{
    return TrSection(m_strSection, source);
}

void CNavigationInfo::BuildFunctionTree()
{
    m_groups.clear();
    struct Item
    {
        const char *caption;
        int id;
    };
    const struct
    {
        const char *caption;
        std::vector<Item> items;
    } groups[] = {
        {"系统状态", {{"数据监控", 6}, {"故障管理", 11}, {"设备信息", 13}, {"示波器", 2}, {"首页", -1}}},
        {"常用功能",
         {{"试运转(JOG)", 4}, {"负载惯量辨识", 5}, {"频率特性分析", 12}, {"电机磁极角辨识", 7}, {"安装向导", 17}}},
        {"DI/DO", {{"IO监控", 8}, {"IO设置", 10}, {"IO功能监视", 9}}},
        // Every built page has a way in: the loop diagrams have no other.
        {"控制环路", {{"速度环", 15}, {"位置环", 16}}},
    };
    for (const auto &g : groups) {
        NavGroup group;
        group.m_strCaption = Tr(QString::fromUtf8(g.caption));
        for (const Item &item : g.items)
            group.m_items.push_back({Tr(QString::fromUtf8(item.caption)), item.id});
        m_groups.push_back(std::move(group));
    }
}

void CNavigationInfo::BuildGroupTree()
{
    QStringList custom;
    std::vector<SystemGroupName> system;
    if (CSysParam *sys = GetSysParam()) {
        for (const CGroupsUser &g : sys->m_arrGroupsUser)
            custom.append(g.sGroupName);
        if (CDataAxisSystem *axis = sys->FindActiveProductSystem(sys->m_ProjectDatabase.m_nProductID)) {
            for (const CDBDataSystemGroups &g : axis->m_arrGroups)
                system.push_back({g.sGroupNO, g.sGroupName});
        }
    }
    BuildGroupTree(custom, system);
}

void CNavigationInfo::BuildGroupTree(const QStringList &customGroups, const std::vector<SystemGroupName> &systemGroups)
{
    m_groups.clear();
    m_targets.clear();
    int key = 1;
    auto addEntries = [&](int groupIndex, const QString &caption, std::vector<NavigationTarget> entries) {
        NavGroup group;
        group.m_strCaption = Tr(caption);
        auto &stored = m_targets[groupIndex];
        for (NavigationTarget &t : entries) {
            group.m_items.push_back({t.m_strCaption, key});
            stored.emplace_back(key, t);
            ++key;
        }
        m_groups.push_back(std::move(group));
    };

    const QString all = Tr(QStringLiteral("所有参数"));
    std::vector<NavigationTarget> custom;
    custom.push_back({all, 1, QString(), 1, 1, 0, 0});
    int index = 1;
    for (const QString &name : customGroups)
        custom.push_back({name, 1, name, 0, 1, 0, index++});
    addEntries(0, QStringLiteral("自定义"), std::move(custom));

    if (systemGroups.empty())
        return;
    std::vector<NavigationTarget> system;
    system.push_back({all, 1, QString(), 1, 0, 1, 0});
    const QString groupWord = Tr(QStringLiteral("组"));
    index = 1;
    for (const SystemGroupName &g : systemGroups)
        system.push_back({g.code + groupWord + QLatin1Char(' ') + TrText(g.name), 1, g.code, 0, 0, 1, index++});
    addEntries(1, QStringLiteral("系统"), std::move(system));
}

NavigationTarget CNavigationInfo::FindTargetByKey(int nKey) const
{
    for (const auto &[group, entries] : m_targets) {
        for (const auto &entry : entries) {
            if (entry.first == nKey)
                return entry.second;
        }
    }
    return NavigationTarget();
}

NavigationTarget CNavigationInfo::FindCustomTarget(const QString &strName) const
{
    for (const auto &[group, entries] : m_targets) {
        for (const auto &entry : entries) {
            if (entry.second.m_bCustom && entry.second.m_strGroup == strName)
                return entry.second;
        }
    }
    return NavigationTarget();
}

NavigationTarget CNavigationInfo::FindSystemTarget(const QString &strName) const
{
    for (const auto &[group, entries] : m_targets) {
        for (const auto &entry : entries) {
            if (!entry.second.m_bCustom && entry.second.m_strGroup == strName)
                return entry.second;
        }
    }
    return NavigationTarget();
}

CNavigationInfo *GetFunctionTree(bool bRebuild)
{
    if (!g_functionTree) {
        g_functionTree = std::make_unique<CNavigationInfo>();
        g_functionTree->BuildFunctionTree();
    } else if (bRebuild) {
        g_functionTree->BuildFunctionTree();
    }
    return g_functionTree.get();
}

CNavigationInfo *GetGroupTree(bool bRebuild)
{
    if (!g_groupTree) {
        g_groupTree = std::make_unique<CNavigationInfo>();
        g_groupTree->BuildGroupTree();
    } else if (bRebuild) {
        g_groupTree->BuildGroupTree();
    }
    return g_groupTree.get();
}

void DeleteNavigationTrees()
{
    g_functionTree.reset();
    g_groupTree.reset();
}
