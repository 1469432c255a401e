#pragma once
// The user's own parameter groups, kept by the settings object and stored in
// CustomParam.xml: the group names, and one membership record per (group, parameter).

#include <QString>

class CGroupsUser {
public:
    QString sGroupName;
};

class CParamUser {
public:
    QString sGroupName;
    QString sNum;  // parameter code
};
