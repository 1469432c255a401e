#include "controls/DirTreeCtrl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList ChildTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QTreeWidgetItem *Child(QTreeWidgetItem *item, const QString &text)
{
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0) == text)
            return item->child(i);
    return nullptr;
}

// A folder with beta (holding inner), Alpha, gamma and a plain file.
class DirTreeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = QDir::cleanPath(tmp.path());
        QDir d(root);
        for (const char *sub : {"beta/inner", "Alpha", "gamma"})
            ASSERT_TRUE(d.mkpath(sub));
        QFile f(d.filePath("zfile"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(tree.DisplayTree(root));
        ASSERT_EQ(tree.topLevelItemCount(), 1);
        top = tree.topLevelItem(0);
    }

    QTemporaryDir tmp;
    QString root;
    CDirTreeCtrl tree;
    QTreeWidgetItem *top = nullptr;
};

}

TEST(SortStringArray, CaseInsensitiveAndStable)
{
    struct Case
    {
        QStringList in;
        QStringList out;
    };
    const Case cases[] = {
        {{"beta", "Alpha", "gamma"}, {"Alpha", "beta", "gamma"}},
        {{"b", "B", "a", "b2", "A"}, {"a", "A", "b", "B", "b2"}},
        {{"B", "b"}, {"B", "b"}},
        {{"x"}, {"x"}},
        {{}, {}},
    };
    for (const Case &c : cases) {
        CSortStringArray a;
        for (const QString &s : c.in)
            a << s;
        a.Sort();
        EXPECT_EQ(QStringList(a), c.out) << c.in.join(',').toStdString();
    }
}

TEST_F(DirTreeFixture, RootShowsCollapsedAndListsFoldersInOrderWhenExpanded)
{
    EXPECT_EQ(top->text(0), root);
    EXPECT_EQ(tree.GetFullPath(top), root);
    ASSERT_EQ(ChildTexts(top), QStringList{""}) << "a placeholder until expanded";
    tree.expandItem(top);
    EXPECT_EQ(ChildTexts(top), (QStringList{"Alpha", "beta", "gamma"})) << "folders only, by name";
    EXPECT_EQ(ChildTexts(Child(top, "beta")), QStringList{""}) << "beta has a sub-folder";
    EXPECT_EQ(Child(top, "Alpha")->childCount(), 0) << "a leaf shows no expand button";
    EXPECT_EQ(tree.GetFullPath(Child(top, "beta")), root + "/beta");
}

TEST_F(DirTreeFixture, ReExpandingShowsAFolderCreatedInBetween)
{
    tree.expandItem(top);
    QTreeWidgetItem *beta = Child(top, "beta");
    tree.expandItem(beta);
    EXPECT_EQ(ChildTexts(beta), QStringList{"inner"});
    tree.collapseItem(top);
    EXPECT_EQ(ChildTexts(top), QStringList{""});
    ASSERT_TRUE(QDir(root).mkdir("delta"));
    tree.expandItem(top);
    EXPECT_EQ(ChildTexts(top), (QStringList{"Alpha", "beta", "delta", "gamma"}));
}

TEST_F(DirTreeFixture, SetSelPathSelectsAnExactPathOnly)
{
    struct Case
    {
        const char *what;
        QString path;
        bool found;
    };
    const Case cases[] = {
        {"wrong case", root + "/BETA/inner", false},
        {"missing", root + "/beta/none", false},
        {"outside the root", "/nonexistent-korvane-root/x", false},
        {"a sibling sharing the root's prefix", root + "x", false},
        {"a file, not a folder", root + "/zfile", false},
        {"the folder", root + "/beta/inner", true},
        {"trailing slash", root + "/gamma/", true},
        {"the root itself", root, true},
    };
    for (const Case &c : cases) {
        CDirTreeCtrl t;
        ASSERT_TRUE(t.DisplayTree(root));
        EXPECT_EQ(t.SetSelPath(c.path), c.found ? TRUE : FALSE) << c.what;
        if (c.found)
            EXPECT_EQ(t.GetFullPath(t.currentItem()), QDir::cleanPath(c.path)) << c.what;
        else
            EXPECT_EQ(t.currentItem(), nullptr) << c.what << ": nothing selected";
    }
}

TEST_F(DirTreeFixture, SetSelPathRereadsAFolderExpandedBefore)
{
    ASSERT_TRUE(tree.SetSelPath(root + "/beta"));
    ASSERT_TRUE(QDir(root).mkpath("beta/later"));
    ASSERT_TRUE(tree.SetSelPath(root + "/beta/later"));
    EXPECT_EQ(tree.currentItem()->text(0), "later");
}

TEST(DirTree, TheFileSystemRootAndAMissingRoot)
{
    CDirTreeCtrl tree;
    ASSERT_TRUE(tree.DisplayTree());
    QTreeWidgetItem *top = tree.topLevelItem(0);
    EXPECT_EQ(tree.GetFullPath(top), "/");
    tree.expandItem(top);
    QTreeWidgetItem *tmp = Child(top, "tmp");
    ASSERT_NE(tmp, nullptr);
    EXPECT_EQ(tree.GetFullPath(tmp), "/tmp");

    CDirTreeCtrl missing;
    EXPECT_FALSE(missing.DisplayTree("/nonexistent-korvane-root"));
    EXPECT_EQ(missing.m_strError, "Error Getting Logical DriveStrings!");
    EXPECT_EQ(missing.topLevelItemCount(), 0);
}

TEST_F(DirTreeFixture, AFolderThatCannotBeSearchedHasNoChildren)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ASSERT_TRUE(QDir(root).mkpath("locked/sub"));
    ASSERT_TRUE(QFile::setPermissions(root + "/locked", QFileDevice::Permissions()));
    tree.expandItem(top);
    QTreeWidgetItem *locked = Child(top, "locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->childCount(), 0);
    QFile::setPermissions(root + "/locked", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
}
