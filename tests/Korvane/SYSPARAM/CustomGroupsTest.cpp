#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"
#include "database/CustomParamGroups.h"

namespace {

using CustomGroupsTest = SysParamFixture;

TEST_F(CustomGroupsTest, FileLiesInUserDirBesideProgramFolder)
{
    EXPECT_EQ(CustomParamFilePath(), CustomXml());
    EXPECT_TRUE(QFileInfo(m_tmp.filePath("UserDir")).isDir());
}

TEST_F(CustomGroupsTest, SaveAndLoadRoundTrip)
{
    const QList<CGroupsUser> groups{{"常用"}, {"Speed"}};
    const QList<CParamUser> members{{"常用", "P0608"}, {"常用", "P0606"}, {"Speed", "P0601"}};
    ASSERT_TRUE(SaveCustomParamGroups(members, groups));
    const QByteArray xml = ReadFile(CustomXml());
    EXPECT_FALSE(xml.startsWith("<?xml"));
    EXPECT_TRUE(xml.contains("<Group_1>"));
    EXPECT_TRUE(xml.contains("<Param_2>"));
    EXPECT_TRUE(xml.contains("\n    <GroupCount>")) << xml.constData();

    QList<CGroupsUser> g;
    QList<CParamUser> m;
    EXPECT_TRUE(LoadCustomParamGroups(m, g));
    ASSERT_EQ(g.size(), 2);
    ASSERT_EQ(m.size(), 3);
    EXPECT_EQ(g[0].sGroupName, "常用");
    EXPECT_EQ(m[1].sNum, "P0606");
    EXPECT_EQ(m[2].sGroupName, "Speed");
}

TEST_F(CustomGroupsTest, LoadCases)
{
    struct Case {
        const char *name;
        QByteArray xml;
        CustomGroupsLoad result;
        int groups;
        int members;
    } cases[] = {
        {"empty lists", "<CustomParam><GroupCount>0</GroupCount><ParamCount>0</ParamCount></CustomParam>",
         CustomGroupsLoad::Loaded, 0, 0},
        {"other root name", "<Other><GroupCount>1<Group_0><sGroupName>A</sGroupName></Group_0></GroupCount></Other>",
         CustomGroupsLoad::Loaded, 1, 0},
        {"group without name adds none",
         "<C><GroupCount>2<Group_0/><Group_1><sGroupName>B</sGroupName></Group_1></GroupCount></C>",
         CustomGroupsLoad::Loaded, 1, 0},
        {"member without code", "<C><ParamCount>1<Param_0><sGroupName>A</sGroupName></Param_0></ParamCount></C>",
         CustomGroupsLoad::Loaded, 0, 1},
        {"count beyond elements keeps what was read",
         "<C><GroupCount>3<Group_0><sGroupName>A</sGroupName></Group_0></GroupCount></C>",
         CustomGroupsLoad::Failed, 1, 0},
        {"count not a number", "<C><GroupCount>x<Group_0><sGroupName>A</sGroupName></Group_0></GroupCount></C>",
         CustomGroupsLoad::Loaded, 0, 0},
        {"damaged xml keeps what parsed", "<C><GroupCount>1<Group_0><sGroupName>A</sGr", CustomGroupsLoad::Failed, 1, 0},
        {"no element at all", "just text", CustomGroupsLoad::Failed, 0, 0},
        {"empty file", "", CustomGroupsLoad::NoFile, 0, 0},
        {"blank file", "  \n", CustomGroupsLoad::NoFile, 0, 0},
        // Bytes that end in a character's lead byte: the parser must not read past them.
        {"ends in a two-byte lead", "<C><GroupCount\xC3", CustomGroupsLoad::Failed, 0, 0},
        {"ends in a three-byte lead", "<C\xE4", CustomGroupsLoad::Failed, 0, 0},
        {"ends in a four-byte lead", "<\xF0", CustomGroupsLoad::Failed, 0, 0},
        {"ends in a lead inside a name", "<C><GroupCount>1<Group_0><sGroupName>A</sGroupName></Group_0\xF0",
         CustomGroupsLoad::Failed, 1, 0},
    };
    for (const Case &c : cases) {
        WriteFile(CustomXml(), c.xml);
        QList<CGroupsUser> g{{"stale"}};
        QList<CParamUser> m{{"stale", "P0000"}};
        EXPECT_EQ(LoadCustomParamGroupsFrom(CustomXml(), m, g), c.result) << c.name;
        EXPECT_EQ(g.size(), c.groups) << c.name;
        EXPECT_EQ(m.size(), c.members) << c.name;
    }
    QFile::remove(CustomXml());
    QList<CGroupsUser> g;
    QList<CParamUser> m;
    EXPECT_EQ(LoadCustomParamGroupsFrom(CustomXml(), m, g), CustomGroupsLoad::NoFile);
}

TEST_F(CustomGroupsTest, SettingsObjectLoadsAndSavesGroups)
{
    ASSERT_TRUE(SaveCustomParamGroups({{"A", "P0608"}}, {{"A"}}));
    {
        CSysParam sys(m_dbPath);
        ASSERT_TRUE(sys.Init());
        ASSERT_EQ(sys.m_arrGroupsUser.size(), 1);
        sys.m_arrGroupsUser.append({"B"});
    }
    QList<CGroupsUser> g;
    QList<CParamUser> m;
    EXPECT_TRUE(LoadCustomParamGroups(m, g));
    EXPECT_EQ(g.size(), 2);
    EXPECT_EQ(m.size(), 1);
}

TEST_F(CustomGroupsTest, FileThatFailedToLoadIsNeverSavedOver)
{
    const QByteArray damaged = "<CustomParam><GroupCount>2<Group_0><sGroupName>A</sGroupName></Group_0>"
                               "<Group_1><sGroupName>B</sGr";
    WriteFile(CustomXml(), damaged);
    {
        CSysParam sys(m_dbPath);
        ASSERT_TRUE(sys.Init());
        sys.m_arrGroupsUser.clear();
        sys.m_arrParamUser.clear();
    }
    EXPECT_EQ(ReadFile(CustomXml()), damaged) << "nothing to write: the file stays as it was";

    {
        CSysParam sys(m_dbPath);
        ASSERT_TRUE(sys.Init());
        sys.m_arrGroupsUser = {{"New"}};
    }
    EXPECT_EQ(ReadFile(CustomXml() + ".bak"), damaged) << "the unreadable file is kept aside";
    QList<CGroupsUser> g;
    QList<CParamUser> m;
    EXPECT_TRUE(LoadCustomParamGroups(m, g));
    ASSERT_EQ(g.size(), 1);
    EXPECT_EQ(g[0].sGroupName, "New");
}

}
