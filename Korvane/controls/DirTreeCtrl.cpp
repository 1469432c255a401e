#include "controls/DirTreeCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// Marks an item whose folder has been read at least once.
constexpr int kExpandedOnceRole = Qt::UserRole + 1;

bool IsDotEntry(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Whether a directory entry is a folder; symbolic links count by what they point to.
bool EntryIsFolder(const QByteArray &dirPath, const dirent *e)
{
    if (e->d_type == DT_DIR)
        return true;
    if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK)
        return false;
    struct stat st {};
    const QByteArray full = dirPath + '/' + e->d_name;
    return ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString JoinPath(const QString &dir, const QString &name)
{
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

struct DirCloser
{
    void operator()(DIR *d) const { ::closedir(d); }
};

}

void CSortStringArray::Sort()
{
    if (size() < 2)
        return;
    std::stable_sort(begin(), end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
}

CDirTreeCtrl::CDirTreeCtrl(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemExpanded, this, &CDirTreeCtrl::OnItemExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CDirTreeCtrl::OnItemCollapsed);
}

CDirTreeCtrl::~CDirTreeCtrl() = default;

BOOL CDirTreeCtrl::DisplayTree(const QString &rootPath)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    clear();
    LoadSystemImageList();
    m_bShowFiles = FALSE;
    const BOOL ok = ListDrives(rootPath);
    m_strRoot.clear();
    return ok;
}

void CDirTreeCtrl::LoadSystemImageList()
{
    m_folderIcon = m_imgSystem.icon(QFileIconProvider::Folder);
    m_fileIcon = m_imgSystem.icon(QFileIconProvider::File);
}

BOOL CDirTreeCtrl::ListDrives(const QString &rootPath)
{
    clear();
    const QString root = QDir::cleanPath(QDir(rootPath).absolutePath());
    if (rootPath.isEmpty() || !QFileInfo(root).isDir()) {
        m_strError = QStringLiteral("Error Getting Logical DriveStrings!");
        return FALSE;
    }
    QTreeWidgetItem *item = MakePathItem(root, true, true);
    if (HasSubFolders(root) > 0)
        AddPlaceholder(item);
    addTopLevelItem(item);
    return TRUE;
}

QTreeWidgetItem *CDirTreeCtrl::MakePathItem(const QString &path, bool isRoot, bool isFolder) const
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, isRoot ? path : path.mid(path.lastIndexOf('/') + 1));
    item->setIcon(0, isFolder ? m_folderIcon : m_fileIcon);
    return item;
}

void CDirTreeCtrl::AddPlaceholder(QTreeWidgetItem *item)
{
    item->addChild(new QTreeWidgetItem);
}

int CDirTreeCtrl::HasSubFolders(const QString &path) const
{
    const QByteArray native = QFile::encodeName(path);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(native.constData()));
    if (!dir)
        return errno == ENOENT || errno == ENOTDIR ? -1 : 0;
    while (const dirent *e = ::readdir(dir.get())) {
        if (IsDotEntry(e->d_name))
            continue;
        if (EntryIsFolder(native, e))
            return 1;
        if (m_bShowFiles && e->d_name[0] != '.')
            return 1;
    }
    return 0;
}

void CDirTreeCtrl::ListFolder(QTreeWidgetItem *parent, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    CSortStringArray folders, files;
    {
        std::unique_ptr<DIR, DirCloser> dir(::opendir(native.constData()));
        if (!dir)
            return;  // not searchable: no children
        while (const dirent *e = ::readdir(dir.get())) {
            if (IsDotEntry(e->d_name))
                continue;
            const QString full = JoinPath(path, QFile::decodeName(e->d_name));
            if (EntryIsFolder(native, e))
                folders << full;
            else if (m_bShowFiles)
                files << full;
        }
    }
    folders.Sort();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    QList<QTreeWidgetItem *> items;
    items.reserve(folders.size() + files.size());
    for (const QString &folder : folders) {
        const int sub = HasSubFolders(folder);
        if (sub < 0) {
            // Gone since the listing: no item for it.
            m_strError = QStringLiteral("Error Gettting SystemFileInfo!");
            continue;
        }
        QTreeWidgetItem *item = MakePathItem(folder, false, true);
        if (sub > 0)
            AddPlaceholder(item);
        items << item;
    }
    if (m_bShowFiles) {
        files.Sort();
        for (const QString &file : files)
            items << MakePathItem(file, false, false);
    }
    parent->addChildren(items);
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

void CDirTreeCtrl::OnItemExpanded(QTreeWidgetItem *item)
{
    // Every expansion reads the disk again.
    qDeleteAll(item->takeChildren());
    item->setData(0, kExpandedOnceRole, true);
    ListFolder(item, GetFullPath(item));
}

void CDirTreeCtrl::OnItemCollapsed(QTreeWidgetItem *item)
{
    qDeleteAll(item->takeChildren());
    AddPlaceholder(item);
}

QString CDirTreeCtrl::GetFullPath(const QTreeWidgetItem *item) const
{
    if (!item)
        return QString();
    QStringList parts;
    for (const QTreeWidgetItem *i = item; i; i = i->parent())
        parts.prepend(i->text(0));
    QString path = parts.takeFirst();
    for (const QString &p : parts)
        path = JoinPath(path, p);
    return path;
}

QTreeWidgetItem *CDirTreeCtrl::FindChildByText(QTreeWidgetItem *parent, const QString &text) const
{
    const int n = parent ? parent->childCount() : topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem *child = parent ? parent->child(i) : topLevelItem(i);
        if (child->text(0) == text)
            return child;
    }
    return nullptr;
}

BOOL CDirTreeCtrl::SetSelPath(const QString &path)
{
    if (path.isEmpty() || topLevelItemCount() == 0)
        return FALSE;
    const QString target = QDir::cleanPath(path);
    QTreeWidgetItem *root = nullptr;
    for (int i = 0; i < topLevelItemCount() && !root; ++i) {
        const QString r = topLevelItem(i)->text(0);
        const bool under = target == r || (target.startsWith(r) &&
                                            (r.endsWith('/') || target.at(r.size()) == '/'));
        if (under)
            root = topLevelItem(i);
    }
    if (!root || !QFileInfo::exists(target))
        return FALSE;

    const QString rest = target.mid(root->text(0).size());
    const QStringList components = rest.split('/', Qt::SkipEmptyParts);
    setUpdatesEnabled(false);
    // The root item stands for the first component, as a drive would.
    QTreeWidgetItem *current = root;
    bool found = true;
    auto open = [this](QTreeWidgetItem *item) {
        // Read again what may have changed since it was last expanded.
        if (item->isExpanded())
            collapseItem(item);
        expandItem(item);
    };
    open(current);
    for (const QString &component : components) {
        QTreeWidgetItem *child = FindChildByText(current, component);
        if (!child) {
            found = false;
            break;
        }
        open(child);
        current = child;
    }
    if (found)
        setCurrentItem(current);
    setUpdatesEnabled(true);
    return found ? TRUE : FALSE;
}
