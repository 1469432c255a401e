// The custom group editor and the group chooser: the lists they change, the names they refuse,
// and members of another drive's table that an edit keeps.
#include "Korvane/SYSPARAM/SysParamFixture.h"

#include "DlgUserParamSet.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/Params/DlgParamAddToUser.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

class DlgUserParamSetTest : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        ASSERT_TRUE(m_sys->Init());
        SetSysParam(m_sys.get());
        m_sys->m_arrGroupsUser = {CGroupsUser{"A"}, CGroupsUser{"B0"}, CGroupsUser{"C"}};
        m_sys->m_arrParamUser = {{"A", "P0608"}, {"C", "P0200"}, {"A", "PFFFF"}, {"A", "P0609"}};
        m_ui->ClearCalls();
    }
    void TearDown() override
    {
        SetSysParam(nullptr);
        m_sys.reset();
        SysParamFixture::TearDown();
    }
    template <typename Dlg>
    int Run(Dlg &dlg, const std::function<void(Dlg &)> &act)
    {
        QTimer::singleShot(0, &dlg, [&dlg, act] {
            act(dlg);
            if (dlg.isVisible())
                dlg.EndDialog(IDCANCEL);
        });
        return dlg.DoModal();
    }
    QStringList Alerts() const
    {
        QStringList texts;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::DesktopAlert)
                texts << c.text;
        return texts;
    }
    QStringList Names() const
    {
        QStringList n;
        for (const CGroupsUser &g : m_sys->m_arrGroupsUser)
            n << g.sGroupName;
        return n;
    }
    QStringList Pairs() const
    {
        QStringList p;
        for (const CParamUser &u : m_sys->m_arrParamUser)
            p << u.sGroupName + ':' + u.sNum;
        return p;
    }
    static QStringList Codes(const QTreeWidget *list)
    {
        QStringList c;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            c << list->topLevelItem(i)->text(1);
        return c;
    }
    static void SelectGroups(CDlgUserParamSet &d, const QStringList &groupNos)
    {
        d.m_treeGroups->clearSelection();
        for (QTreeWidgetItemIterator it(d.m_treeGroups); *it; ++it)
            if (groupNos.contains((*it)->text(1)) || (groupNos.contains("root") && (*it)->text(2) == "1"))
                (*it)->setSelected(true);
    }
    static void SelectCodes(QTreeWidget *list, const QStringList &codes)
    {
        list->clearSelection();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (codes.contains(list->topLevelItem(i)->text(1)))
                list->topLevelItem(i)->setSelected(true);
    }

    std::unique_ptr<CSysParam> m_sys;
};

TEST_F(DlgUserParamSetTest, NewGroupGetsTheChosenParametersOnce)
{
    CDlgUserParamSet dlg;
    dlg.SetGroup(FALSE, QString());
    EXPECT_EQ(Run<CDlgUserParamSet>(dlg,
                                    [](CDlgUserParamSet &d) {
                                        // The root and a group together offer every parameter once.
                                        SelectGroups(d, {"root", "P06"});
                                        const int all = d.m_listAvailable->topLevelItemCount();
                                        EXPECT_GT(all, 20);
                                        EXPECT_EQ(Codes(d.m_listAvailable).removeDuplicates(), 0);
                                        SelectGroups(d, {"P06"});
                                        EXPECT_LT(d.m_listAvailable->topLevelItemCount(), all);
                                        SelectCodes(d.m_listAvailable, {"P0608", "P0609"});
                                        d.OnAdd();
                                        d.OnAdd();  // already there: nothing
                                        d.AddAvailableRow(int(Codes(d.m_listAvailable).indexOf("P0608")));  // a double click
                                        EXPECT_EQ(Codes(d.m_listGroup).size(), 2);
                                        SelectCodes(d.m_listGroup, {"P0609"});
                                        d.OnRemove();
                                        EXPECT_EQ(Codes(d.m_listGroup), QStringList{"P0608"});
                                        d.m_editGroupName->setText(QString::fromUtf8("新组"));
                                        d.OnOK();
                                    }),
              IDOK);
    EXPECT_EQ(Names(), (QStringList{"A", "B0", "C", QString::fromUtf8("新组")}));
    EXPECT_EQ(Pairs().last(), QString::fromUtf8("新组:P0608"));
    EXPECT_EQ(dlg.m_strSavedName, QString::fromUtf8("新组"));
}

TEST_F(DlgUserParamSetTest, RefusedNamesChangeNothing)
{
    const QStringList names = Names();
    const QStringList pairs = Pairs();
    const struct {
        BOOL edit;
        const char *group;
        const char *typed;
        const char *alert;
    } cases[] = {
        {FALSE, "", "", "分组名不能为空，请填写"},
        {FALSE, "", "所有参数", "分组名[所有参数]已存在，请修改"},
        {FALSE, "", "C", "分组名[C]已存在，请修改"},
        {TRUE, "A", "C", "分组名[C]已存在，请修改"},
        {TRUE, "A", "所有参数", "分组名[所有参数]已存在，请修改"},
    };
    for (const auto &c : cases) {
        m_ui->ClearCalls();
        CDlgUserParamSet dlg;
        dlg.SetGroup(c.edit, QString::fromUtf8(c.group));
        EXPECT_EQ(Run<CDlgUserParamSet>(dlg,
                                        [&](CDlgUserParamSet &d) {
                                            d.m_editGroupName->setText(QString::fromUtf8(c.typed));
                                            d.OnOK();
                                            EXPECT_TRUE(d.isVisible());
                                        }),
                  IDCANCEL)
            << c.typed;
        EXPECT_EQ(Alerts(), QStringList{QString::fromUtf8(c.alert)}) << c.typed;
        EXPECT_EQ(Names(), names);
        EXPECT_EQ(Pairs(), pairs);
    }
}

TEST_F(DlgUserParamSetTest, RenameKeepsThePlaceAndTheMembersTheDriveLacks)
{
    CDlgUserParamSet dlg;
    dlg.SetGroup(TRUE, QStringLiteral("A"));
    // The unknown code is not listed, the known ones are, in order.
    EXPECT_EQ(dlg.m_lstGroup.size(), 2);
    EXPECT_EQ(dlg.m_lstUnknownCodes, QStringList{"PFFFF"});
    EXPECT_EQ(Run<CDlgUserParamSet>(dlg,
                                    [](CDlgUserParamSet &d) {
                                        EXPECT_EQ(d.m_editGroupName->text(), QStringLiteral("A"));
                                        EXPECT_EQ(Codes(d.m_listGroup), (QStringList{"P0608", "P0609"}));
                                        d.m_editGroupName->setText(QStringLiteral("B"));
                                        d.OnOK();
                                    }),
              IDOK);
    EXPECT_EQ(Names(), (QStringList{"B", "B0", "C"}));
    EXPECT_EQ(Pairs(), (QStringList{"C:P0200", "B:P0608", "B:P0609", "B:PFFFF"}));
}

TEST_F(DlgUserParamSetTest, FixedNameGroupIsCreatedOnItsFirstSaveAndCancelKeepsAll)
{
    {
        CDlgUserParamSet cancelled;
        cancelled.SetGroup(TRUE, QStringLiteral("A"));
        Run<CDlgUserParamSet>(cancelled, [](CDlgUserParamSet &d) {
            SelectCodes(d.m_listGroup, {"P0608"});
            d.OnRemove();
        });
        EXPECT_EQ(Pairs().size(), 4);
    }
    const QString scope = QString::fromUtf8("示波器参数");
    CDlgUserParamSet dlg;
    dlg.m_bNameEditable = 0;
    dlg.SetGroup(TRUE, scope);
    EXPECT_EQ(Run<CDlgUserParamSet>(dlg,
                                    [](CDlgUserParamSet &d) {
                                        EXPECT_TRUE(d.m_editGroupName->isReadOnly());
                                        SelectGroups(d, {"P06"});
                                        SelectCodes(d.m_listAvailable, {"P0608"});
                                        d.OnAdd();
                                        d.OnOK();
                                    }),
              IDOK);
    EXPECT_EQ(Names().last(), scope);
    EXPECT_EQ(Pairs().last(), scope + ":P0608");
}

TEST_F(DlgUserParamSetTest, ChooserNeedsAGroup)
{
    {
        CDlgParamAddToUser dlg;
        EXPECT_EQ(Run<CDlgParamAddToUser>(dlg,
                                          [](CDlgParamAddToUser &d) {
                                              EXPECT_EQ(d.m_listGroups->count(), 3);
                                              EXPECT_EQ(d.m_listGroups->currentRow(), 0);
                                              d.m_listGroups->setCurrentRow(2);
                                              d.OnOK();
                                          }),
                  IDOK);
        EXPECT_EQ(dlg.m_strGroupName, QStringLiteral("C"));
    }
    m_sys->m_arrGroupsUser.clear();
    CDlgParamAddToUser empty;
    EXPECT_EQ(Run<CDlgParamAddToUser>(empty, [](CDlgParamAddToUser &d) { d.OnOK(); }), IDCANCEL);
    EXPECT_EQ(Alerts(), QStringList{QString::fromUtf8("请选择一个自定义分组！")});
}

}
