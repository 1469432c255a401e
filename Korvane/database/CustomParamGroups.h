#pragma once
// The user's custom parameter groups in "CustomParam.xml", in the folder "UserDir" beside the
// program's folder:
//   <CustomParam>
//       <GroupCount>2<Group_0><sGroupName>..</sGroupName></Group_0>...</GroupCount>
//       <ParamCount>3<Param_0><sGroupName>..</sGroupName><sNum>P0608</sNum></Param_0>...</ParamCount>
//   </CustomParam>
#include "database/GroupsUser.h"

#include <QList>
#include <QString>

enum class CustomGroupsLoad {
    Loaded,   // the file was read completely
    NoFile,   // no file, or one without any content: nothing to lose by writing it
    Failed,   // the file holds something that could not be read completely
};

// <parent of the program folder>/UserDir/CustomParam.xml; the folder is created when missing.
QString CustomParamFilePath();

// Empties both lists and fills them from the file. Entries read before a missing numbered
// element stay in the lists.
CustomGroupsLoad LoadCustomParamGroupsFrom(const QString &path, QList<CParamUser> &members,
                                           QList<CGroupsUser> &groups);
// Writes both lists through a temporary file; false when the file could not be written (the
// old one is then untouched).
bool SaveCustomParamGroupsTo(const QString &path, const QList<CParamUser> &members,
                             const QList<CGroupsUser> &groups);

// The same on CustomParamFilePath(); Load is true only when the file was read completely.
bool LoadCustomParamGroups(QList<CParamUser> &members, QList<CGroupsUser> &groups);
bool SaveCustomParamGroups(const QList<CParamUser> &members, const QList<CGroupsUser> &groups);
