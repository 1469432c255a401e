#pragma once
// A tree of the machine's folders: one root item (the file system's root, or a folder the owner
// names), sub-folders read from disk each time an item is expanded and listed by name without
// regard to case. The owner fills it with DisplayTree, preselects a folder with SetSelPath and
// reads the chosen folder back with GetFullPath.
#include "platform/WinTypes.h"

#include <QFileIconProvider>
#include <QIcon>
#include <QStringList>
#include <QTreeWidget>

// Strings with the folder tree's order: ascending, case-insensitive, equal strings keeping
// their order.
class CSortStringArray : public QStringList
{
public:
    using QStringList::QStringList;
    void Sort();
};

class CDirTreeCtrl : public QTreeWidget
{
    Q_OBJECT
public:
    explicit CDirTreeCtrl(QWidget *parent = nullptr);
    ~CDirTreeCtrl() override;

    // Empties the tree and shows the folder rootPath as its one root item (collapsed).
    // FALSE when the root cannot be listed (m_strError says why).
    BOOL DisplayTree(const QString &rootPath = QStringLiteral("/"));
    // Expands the tree along the path and selects its last folder; TRUE exactly when every
    // component was found (names compare exactly: the file system tells case apart).
    BOOL SetSelPath(const QString &path);
    // The item's path: the root's path and the texts below it joined by "/".
    QString GetFullPath(const QTreeWidgetItem *item) const;

    BOOL m_bShowFiles = FALSE;
    QString m_strError;
    QString m_strRoot;

private:
    void LoadSystemImageList();
    BOOL ListDrives(const QString &rootPath);
    QTreeWidgetItem *MakePathItem(const QString &path, bool isRoot, bool isFolder) const;
    // 1: has a sub-folder (or, when files are shown, a visible file); 0: none or not
    // searchable; -1: the path is gone.
    int HasSubFolders(const QString &path) const;
    void ListFolder(QTreeWidgetItem *parent, const QString &path);
    QTreeWidgetItem *FindChildByText(QTreeWidgetItem *parent, const QString &text) const;
    void OnItemExpanded(QTreeWidgetItem *item);
    void OnItemCollapsed(QTreeWidgetItem *item);
    static void AddPlaceholder(QTreeWidgetItem *item);

    QFileIconProvider m_imgSystem;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};
