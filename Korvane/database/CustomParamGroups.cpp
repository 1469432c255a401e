#include "database/CustomParamGroups.h"
#include "database/XmlBytes.h"

#include "PathHelpers.h"
#include "platform/SaveFile.h"

#include <QFile>

#include <cstdlib>
#include <tinyxml.h>

namespace {

QString ElementText(const TiXmlElement *e)
{
    if (!e)
        return {};
    const TiXmlNode *child = e->FirstChild();
    if (!child || !child->ToText())
        return {};
    return QString::fromUtf8(child->Value());
}

int CountOf(const TiXmlElement *e)
{
    const TiXmlNode *child = e->FirstChild();
    if (!child || !child->ToText())
        return 0;
    return std::atoi(child->Value());
}

void AddText(TiXmlElement *parent, const char *name, const QString &text)
{
    auto *e = new TiXmlElement(name);
    e->LinkEndChild(new TiXmlText(text.toUtf8().constData()));
    parent->LinkEndChild(e);
}

bool HasContent(const QByteArray &bytes)
{
    return !bytes.trimmed().isEmpty();
}

}

QString CustomParamFilePath()
{
    const QString dir = GetParentDirectory(GetProgramDir()) + QStringLiteral("/UserDir/");
    CreateDirectoryTree(dir);
    return dir + QStringLiteral("CustomParam.xml");
}

CustomGroupsLoad LoadCustomParamGroupsFrom(const QString &path, QList<CParamUser> &members,
                                           QList<CGroupsUser> &groups)
{
    members.clear();
    groups.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? CustomGroupsLoad::Failed : CustomGroupsLoad::NoFile;
    const QByteArray bytes = file.readAll();
    if (!HasContent(bytes))
        return CustomGroupsLoad::NoFile;

    TiXmlDocument doc;
    ParseXmlBytes(doc, bytes);
    // Whatever parsed is used; a damaged tail still counts as a failed load.
    bool complete = !doc.Error();
    const TiXmlElement *root = doc.FirstChildElement();
    if (!root)
        return CustomGroupsLoad::Failed;

    for (const TiXmlElement *e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string name = e->Value();
        if (name == "GroupCount") {
            const int count = CountOf(e);
            for (int i = 0; i < count; ++i) {
                const std::string tag = "Group_" + std::to_string(i);
                const TiXmlElement *g = e->FirstChildElement(tag.c_str());
                if (!g)
                    return CustomGroupsLoad::Failed;
                const TiXmlElement *n = g->FirstChildElement("sGroupName");
                if (n && n->FirstChild() && n->FirstChild()->ToText())
                    groups.append(CGroupsUser{ElementText(n)});
            }
        } else if (name == "ParamCount") {
            const int count = CountOf(e);
            for (int j = 0; j < count; ++j) {
                const std::string tag = "Param_" + std::to_string(j);
                const TiXmlElement *p = e->FirstChildElement(tag.c_str());
                if (!p)
                    return CustomGroupsLoad::Failed;
                members.append(CParamUser{ElementText(p->FirstChildElement("sGroupName")),
                                          ElementText(p->FirstChildElement("sNum"))});
            }
        }
    }
    return complete ? CustomGroupsLoad::Loaded : CustomGroupsLoad::Failed;
}

bool SaveCustomParamGroupsTo(const QString &path, const QList<CParamUser> &members,
                             const QList<CGroupsUser> &groups)
{
    TiXmlDocument doc;
    auto *root = new TiXmlElement("CustomParam");
    doc.LinkEndChild(root);

    auto *groupCount = new TiXmlElement("GroupCount");
    groupCount->LinkEndChild(new TiXmlText(std::to_string(groups.size()).c_str()));
    for (int i = 0; i < groups.size(); ++i) {
        auto *g = new TiXmlElement(("Group_" + std::to_string(i)).c_str());
        AddText(g, "sGroupName", groups[i].sGroupName);
        groupCount->LinkEndChild(g);
    }
    root->LinkEndChild(groupCount);

    auto *paramCount = new TiXmlElement("ParamCount");
    paramCount->LinkEndChild(new TiXmlText(std::to_string(members.size()).c_str()));
    for (int j = 0; j < members.size(); ++j) {
        auto *p = new TiXmlElement(("Param_" + std::to_string(j)).c_str());
        AddText(p, "sGroupName", members[j].sGroupName);
        AddText(p, "sNum", members[j].sNum);
        paramCount->LinkEndChild(p);
    }
    root->LinkEndChild(paramCount);

    TiXmlPrinter printer;
    printer.SetIndent("    ");
    doc.Accept(&printer);

    platform::SaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const std::string &text = printer.Str();
    if (out.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

bool LoadCustomParamGroups(QList<CParamUser> &members, QList<CGroupsUser> &groups)
{
    return LoadCustomParamGroupsFrom(CustomParamFilePath(), members, groups)
           == CustomGroupsLoad::Loaded;
}

bool SaveCustomParamGroups(const QList<CParamUser> &members, const QList<CGroupsUser> &groups)
{
    return SaveCustomParamGroupsTo(CustomParamFilePath(), members, groups);
}
