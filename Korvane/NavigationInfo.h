#pragma once
// The data of the two navigation trees: the function tree (the program's function pages in
// three groups) and the parameter-group tree (all parameters, the user's custom groups, the
// drive's system groups), each an ordered list of groups whose items become the toolbox pages
// and their tools. The parameter-group tree keeps one NavigationTarget per item, by key.
#include <QList>
#include <QPair>
#include <QString>

#include <map>
#include <vector>

// What the parameter page is to show for one entry of the parameter-group tree.
struct NavigationTarget
{
    QString m_strCaption;
    int m_nTargetId = -1;  // -1: no target (the page shows all parameters)
    QString m_strGroup;    // system group code, custom group name, empty for "all"
    int m_bAll = 0;
    int m_bCustom = 0;
    int m_bSystem = 0;
    int m_nIndex = 0;      // 1-based position within its kind, 0 for "all"
};

struct NavItem
{
    QString m_strCaption;
    int m_nId = 0;  // page id (function tree) or target key (parameter-group tree)
};

struct NavGroup
{
    QString m_strCaption;
    std::vector<NavItem> m_items;
};

// A system group as the tree shows it: its code and its (untranslated) name.
struct SystemGroupName
{
    QString code;
    QString name;
};

class CNavigationInfo
{
public:
    CNavigationInfo();
    virtual ~CNavigationInfo() = default;

    virtual void BuildFunctionTree();
    // From the settings object's custom group names and the current product's system groups.
    virtual void BuildGroupTree();
    // The same from given names: keys run from 1 in display order over the whole tree.
    void BuildGroupTree(const QStringList &customGroups, const std::vector<SystemGroupName> &systemGroups);

    NavigationTarget FindTargetByKey(int nKey) const;
    NavigationTarget FindCustomTarget(const QString &strName) const;
    NavigationTarget FindSystemTarget(const QString &strName) const;

    std::vector<NavGroup> m_groups;
    std::map<int, std::vector<QPair<int, NavigationTarget>>> m_targets;
    QString m_strSection = QStringLiteral("CNavigationInfo");

private:
    QString Tr(const QString &source) const;
};

// The process-wide trees: built on first use, again when `bRebuild` is true.
CNavigationInfo *GetFunctionTree(bool bRebuild);
CNavigationInfo *GetGroupTree(bool bRebuild);
// Deletes both (the application's exit).
void DeleteNavigationTrees();
