#pragma once
// The Qt pieces behind GridCtrl: the model, the proxy, the delegate, the header and the views.
// Only Grid.cpp and tests that look inside the grid include this.
#include "platform/grid/Grid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>

namespace platform {

class GridModel : public QAbstractTableModel
{
public:
    explicit GridModel(GridCtrl *grid) : QAbstractTableModel(grid), g(grid) {}
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void Announce(int newCount);
    void Reset(const std::function<void()> &change);
    void CellChanged(int row, int col);

    GridCtrl *g;
};

class GridProxy : public QSortFilterProxyModel
{
public:
    explicit GridProxy(GridCtrl *grid) : QSortFilterProxyModel(grid), g(grid) {}
    // Refiltering as one reset: removing thousands of scattered rows one interval at a time
    // costs the views' headers quadratic time, and a layout change may not change the count.
    void Refilter()
    {
        beginResetModel();
        const bool blocked = blockSignals(true);
        invalidate();
        blockSignals(blocked);
        endResetModel();
    }
    // Sorts once more. The keys of the sort columns are taken out of the rows first, so that
    // the comparisons run on packed values instead of chasing every row's cells.
    void Resort();
    // Group of each source row while sorting: rank of the group's first row (empty: no grouping).
    std::vector<int> m_groupRank;

    struct SortKey {
        bool number = false;
        double value = 0;
        QString text;
    };

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &) const override;
    bool filterAcceptsColumn(int, const QModelIndex &) const override { return true; }
    bool lessThan(const QModelIndex &a, const QModelIndex &b) const override;

private:
    GridCtrl *g;
    std::vector<std::vector<SortKey>> m_keys;  // [sort key][source row]
};

class GridDelegate : public QStyledItemDelegate
{
public:
    explicit GridDelegate(GridCtrl *grid) : QStyledItemDelegate(grid), g(grid) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    // The cell's rectangle without the row check box.
    QRect ValueRect(const QRect &cell, int column) const;
    QRect CheckBoxRect(const QRect &cell) const;

protected:
    bool eventFilter(QObject *editor, QEvent *event) override;

private:
    GridItem *ItemAt(const QModelIndex &proxyIndex) const;
    GridCtrl *g;
};

class GridHeader : public QHeaderView
{
public:
    GridHeader(GridCtrl *grid, QWidget *parent);
    // The grid is being destroyed: from now on the header asks it nothing.
    void Detach() { g = nullptr; }
    QSize sizeHint() const override;
    QRect CheckBoxRect(const QRect &section) const;
    QRect MenuButtonRect(const QRect &section) const;
    // Where a section's caption is drawn: the section less its margins, check box, menu button
    // and sort arrow.
    QRect TextRect(const QRect &section, int logical) const;
    QRect SectionRect(int logical) const;

protected:
    void paintSection(QPainter *p, const QRect &rect, int logical) const override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    bool viewportEvent(QEvent *e) override;

private:
    GridCtrl *g;
};

class GridView : public QTableView
{
public:
    GridView(GridCtrl *grid, int which);
    GridHeader *Header() const { return static_cast<GridHeader *>(horizontalHeader()); }
    void Commit(QWidget *editor) { commitData(editor); }
    void Close(QWidget *editor) { closeEditor(editor, QAbstractItemDelegate::NoHint); }
    bool Edit(const QModelIndex &index) { return edit(index, AllEditTriggers, nullptr); }
    int Which() const { return m_which; }
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }

protected:
    // Opens the editor; the view selects a line editor's whole text, the grid may ask not to.
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    GridCtrl *g;
    int m_which;
};

class GridSumBand : public QWidget
{
public:
    GridSumBand(GridCtrl *grid, int which) : QWidget(grid), g(grid), m_which(which) {}

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    GridCtrl *g;
    int m_which;
};

}
