#pragma once
// The program's grid widget, on Qt's model/view: one table model over the rows (model row =
// position of the row in the grid = its id), a sort/filter proxy, delegates that ask each cell
// object to paint itself (cells are plain objects, never widgets), a filter bar inside the
// header, a sum row under the rows, row check boxes in the first display column, and columns
// frozen at the left and at the right edge as views of their own sharing the model, the
// selection and the vertical scrolling.
//
// The cell, row and column classes keep the names and the protocol that the grid pages were
// written against (items with variant values and options, rows with check boxes, column
// information with sort and check state, a per-column value filter, registered notices to the
// owner window); derived grids override the virtual hooks.
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QDateTime>
#include <QFont>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// A value as wide as a pointer, carried by rows and cells for their owners.
using DWORD_PTR = std::uintptr_t;

class QPainter;
class QScrollBar;
class QTableView;
class QAbstractItemModel;

namespace platform {

class GridCtrl;
class GridRow;
class GridModel;
class GridProxy;
class GridView;
class GridDelegate;
class GridSumBand;

// No colour of its own: the grid's default applies.
constexpr COLORREF kGridDefaultColor = 0xFFFFFFFF;

// The filter of one column (also the record the column filter dialogs edit).
struct FilterColumnInfo {
    int nCol = -1;
    QString strFilter;
    bool bAll = true;
    QStringList lstValues;
    QList<int> lstInts;

    void Reset()
    {
        nCol = -1;
        strFilter.clear();
        bAll = true;
        lstValues.clear();
        lstInts.clear();
    }
    // Restricts no value.
    bool IsEmpty() const { return bAll; }
    bool operator==(const FilterColumnInfo &) const = default;
};

// A cell by row (of the model) and column.
struct GridItemID {
    int m_nRow = -1;
    int m_nColumn = -1;
    bool IsNull() const { return m_nRow < 0 || m_nColumn < 0; }
    bool operator==(const GridItemID &) const = default;
};

// lParam of the item notices (changed, begin and end of in-place editing).
struct GridItemInfo {
    class GridItem *pItem = nullptr;
    int nRow = -1;  // row of the model
    int nCol = -1;
    DWORD dwResultCode = 0;
};

// What a cell needs to paint itself.
struct GridPaintInfo {
    bool selected = false;
    bool printing = false;
    QFont font;
    COLORREF textColor = 0;       // the grid's text colour for this cell
    COLORREF backColor = 0xFFFFFF;  // the grid's background for this cell
};

// ---- Cells ---------------------------------------------------------------------------------

class GridItem
{
public:
    explicit GridItem(const QVariant &value = QVariant());
    virtual ~GridItem();
    GridItem(const GridItem &) = delete;
    GridItem &operator=(const GridItem &) = delete;

    virtual void SetValue(const QVariant &value, bool bRedraw = true);
    const QVariant &GetValue() const { return m_value; }
    // The text shown for the value.
    virtual QString FormatItem() const;
    QString GetLabel() const { return FormatItem(); }
    // Text typed into the cell to value, keeping the value's type; false when it cannot be.
    virtual bool TextToVar(const QString &text);

    void AddOption(const QString &text, bool bInsertUnique = true);
    int GetOptionCount() const { return static_cast<int>(m_options.size()); }
    QString GetOption(int i) const { return i >= 0 && i < m_options.size() ? m_options[i] : QString(); }
    void RemoveAllOptions() { m_options.clear(); }

    void Enable(bool bEnable = true) { m_bEnabled = bEnable; }
    bool IsEnabled() const { return m_bEnabled; }
    // Free typing into the cell (an option cell without it only takes its options).
    void AllowEdit(bool bAllow = true) { m_bAllowEdit = bAllow; }
    bool IsAllowEdit() const { return m_bAllowEdit; }
    void SetReadOnly(bool bReadOnly = true) { m_bReadOnly = bReadOnly; }
    bool IsReadOnly() const { return m_bReadOnly; }
    // Only the options may be chosen.
    void SetRestrictToList(bool b) { m_bRestrictToList = b; }
    bool IsRestrictToList() const { return m_bRestrictToList; }

    void SetBackgroundColor(COLORREF c, bool bRedraw = true);
    COLORREF GetBackgroundColor() const { return m_clrBack; }
    void SetTextColor(COLORREF c, bool bRedraw = true);
    COLORREF GetTextColor() const { return m_clrText; }
    // Qt alignment flags; 0 = the column's.
    void SetAlign(int align) { m_nAlign = align; }
    int GetAlign() const { return m_nAlign; }

    void SetData(DWORD_PTR data) { m_dwData = data; }
    DWORD_PTR GetData() const { return m_dwData; }

    GridRow *GetParentRow() const { return m_pRow; }
    GridCtrl *GetOwnerList() const;
    int GetColumnId() const { return m_nColumn; }
    GridItemID GetGridItemID() const;

    // Paints the background and answers the text colour the value is drawn in.
    virtual COLORREF OnFillBackground(QPainter &p, const QRect &rect, const GridPaintInfo &info);
    virtual void OnDrawValue(QPainter &p, const QRect &rect, const GridPaintInfo &info,
                             COLORREF textColor);

    // A mouse button pressed (WM_LBUTTONDOWN or WM_RBUTTONDOWN) on the cell; true = handled.
    virtual bool OnClickValue(UINT msg, const QPoint &point);
    virtual bool OnDblClick(const QPoint &point);
    // A character typed on the selected cell; true when it went into an in-place editor.
    virtual bool PushChar(QChar ch);
    virtual bool IsPushButton() const { return false; }
    // Editable in place at all (the grid's and the column's switches come on top).
    virtual bool CanEditInPlace() const;

    // In-place editing. The editor is created by the grid's delegate through these.
    virtual QWidget *CreateInPlaceEdit(QWidget *parent);
    virtual void SetEditorText(QWidget *editor);
    virtual QString GetEditorText(QWidget *editor) const;
    QWidget *GetInPlaceWnd() const { return m_pWndInPlace; }
    bool IsInPlaceEditing() const { return m_pWndInPlace != nullptr; }
    QString GetInPlaceText() const;
    void SetInPlaceText(const QString &text);
    // The editor's text becomes the value.
    virtual bool OnUpdateValue();
    // A choice made in the editor's drop-down list.
    virtual void OnSelectCombo(const QString &choice);
    virtual void OnEndEdit();

    // The rectangle of the cell's value in the grid's view, when shown.
    QRect GetRect() const;
    void Redraw();
    // Marks the cell changed and tells the grid (which tells its owner).
    void SetItemChanged();
    bool IsChanged() const { return m_bChanged; }

protected:
    QVariant m_value;
    QStringList m_options;

private:
    friend class GridRow;
    friend class GridDelegate;
    friend class GridCtrl;
    GridRow *m_pRow = nullptr;
    int m_nColumn = -1;
    bool m_bEnabled = true;
    bool m_bAllowEdit = true;
    bool m_bReadOnly = false;
    bool m_bRestrictToList = false;
    bool m_bChanged = false;
    COLORREF m_clrBack = kGridDefaultColor;
    COLORREF m_clrText = kGridDefaultColor;
    int m_nAlign = 0;
    DWORD_PTR m_dwData = 0;
    QPointer<QWidget> m_pWndInPlace;
};

class GridCheckItem : public GridItem
{
public:
    explicit GridCheckItem(bool bChecked = false, const QString &label = QString());
    QString FormatItem() const override { return m_strLabel; }
    void OnDrawValue(QPainter &p, const QRect &rect, const GridPaintInfo &info,
                     COLORREF textColor) override;
    bool OnClickValue(UINT msg, const QPoint &point) override;
    bool PushChar(QChar ch) override;
    bool CanEditInPlace() const override { return false; }
    bool GetState() const { return m_value.toBool(); }
    void SetLabel(const QString &label) { m_strLabel = label; }

private:
    QString m_strLabel;
};

class GridDateTimeItem : public GridItem
{
public:
    explicit GridDateTimeItem(const QDateTime &value = QDateTime());
    QString FormatItem() const override;
    bool TextToVar(const QString &text) override;
    QWidget *CreateInPlaceEdit(QWidget *parent) override;
    void SetEditorText(QWidget *editor) override;
    QString GetEditorText(QWidget *editor) const override;
};

// Draws a check box of the grid's size in `box`; state 0, 1 or 2 (indeterminate).
void DrawGridCheckBox(QPainter &p, const QRect &box, int state, bool enabled);
// The side of the grid's check boxes in pixels.
int GridCheckBoxSize();

// ---- Rows ----------------------------------------------------------------------------------

class GridRow
{
public:
    explicit GridRow(int nColumns = 0);
    virtual ~GridRow();
    GridRow(const GridRow &) = delete;
    GridRow &operator=(const GridRow &) = delete;

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    GridItem *GetItem(int column) const
    {
        return column >= 0 && column < static_cast<int>(m_items.size()) ? m_items[column] : nullptr;
    }
    // Puts the item in the column (the row owns it), deleting the one that was there.
    void ReplaceItem(int column, GridItem *item);
    void AddItem(GridItem *item);

    bool GetCheck() const { return m_bChecked; }
    void SetCheck(bool bCheck = true);
    void ToggleCheck() { SetCheck(!m_bChecked); }

    void SetData(DWORD_PTR data) { m_dwData = data; }
    DWORD_PTR GetData() const { return m_dwData; }

    // Position in the grid (the row of the model); -1 before the row is added.
    int GetRowId() const { return m_nIdRow; }
    GridCtrl *GetOwnerList() const { return m_pGrid; }
    bool IsSelected() const;
    // Whether the row's cells may show (a hidden row is filtered out of the views).
    virtual bool IsItemVisible() const { return true; }
    // A double click on the row at a point of its view; true = handled.
    virtual bool OnDblClick(const QPoint &point);
    bool CanEditRow() const { return m_bAllowEdit; }
    void AllowEdit(bool b) { m_bAllowEdit = b; }

private:
    friend class GridCtrl;
    friend class GridModel;
    std::vector<GridItem *> m_items;
    GridCtrl *m_pGrid = nullptr;
    int m_nIdRow = -1;
    bool m_bChecked = false;
    bool m_bAllowEdit = true;
    DWORD_PTR m_dwData = 0;
};

// ---- Columns -------------------------------------------------------------------------------

struct GridColumn {
    QString name;
    int width = 75;
    bool visible = true;
    int align = 0x0001;  // Qt::AlignLeft
    int headerAlign = 0x0001;
    bool headerMenuButton = true;
    // 0 none, 1 frozen left, 2 frozen right.
    int lock = 0;
    // Has an edit in the filter bar.
    bool filterBarEdit = true;
    QString sumText;
    bool nameTruncated = false;
};

class GridColumnsInfo
{
public:
    virtual ~GridColumnsInfo() = default;

    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    GridColumn *Column(int i) { return i >= 0 && i < GetColumnCount() ? &m_columns[i] : nullptr; }
    const GridColumn *Column(int i) const
    {
        return i >= 0 && i < GetColumnCount() ? &m_columns[i] : nullptr;
    }
    QString GetColumnName(int i) const { return Column(i) ? Column(i)->name : QString(); }

    // Sort state of a column: 1 ascending, -1 descending, 0 not sorted.
    int GetColumnState(int column) const;
    // add = keep the earlier sort columns and add this one.
    void SetSortColumn(int column, bool bAscending, bool bAdd);
    void RemoveSortColumn(int column);
    void RemoveAllSortColumns() { m_sort.clear(); }
    const std::vector<std::pair<int, bool>> &GetSortColumns() const { return m_sort; }

    bool GetCheckBoxState() const { return m_bHeaderCheck; }
    void SetCheckBoxState(bool b) { m_bHeaderCheck = b; }

    // Sum row.
    bool SetColumnSumText(int column, const QString &text);
    QString GetColumnSumText(int column) const { return Column(column) ? Column(column)->sumText : QString(); }
    bool m_bShowSumRow = false;
    QString m_strSumRowCaption;

    // Header colours: column -> (text colour, background colour).
    std::map<int, std::pair<COLORREF, COLORREF>> m_mapHeaderColors;
    int m_nRightFrozenWidth = 0;

protected:
    friend class GridCtrl;
    std::vector<GridColumn> m_columns;
    std::vector<std::pair<int, bool>> m_sort;
    bool m_bHeaderCheck = false;
};

// ---- The grid ------------------------------------------------------------------------------

class GridCtrl : public QWidget, public MessageTarget
{
    Q_OBJECT
public:
    explicit GridCtrl(QWidget *parent = nullptr);
    ~GridCtrl() override;

    // The window that gets the notices: the owner when one is set, else the parent.
    void SetOwner(QObject *owner) { m_owner = owner; }
    QObject *GetOwner() const;
    int GetDlgCtrlID() const;
    LRESULT SendToOwner(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SendToOwnerByName(const char *registeredName, LPARAM lParam);

    // Columns.
    virtual GridColumnsInfo &GetColumnsInfo() { return m_defaultColumns; }
    virtual const GridColumnsInfo &GetColumnsInfo() const { return m_defaultColumns; }
    int InsertColumn(int pos, const QString &name, int width);
    void DeleteAllColumns();
    int GetColumnCount() const { return GetColumnsInfo().GetColumnCount(); }
    void SetColumnName(int col, const QString &name);
    QString GetColumnName(int col) const { return GetColumnsInfo().GetColumnName(col); }
    void SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const;
    // The width a column needs to show `caption` whole in the header (its font, margins and a
    // sort arrow), and the width the header gives a column's caption now.
    int CaptionWidth(const QString &caption) const;
    int CaptionRoom(int col) const;
    void SetColumnVisible(int col, bool visible);
    bool GetColumnVisible(int col) const;
    void SetColumnAlign(int col, int align);
    void SetHeaderAlign(int col, int align);
    void EnableColumnHeaderMenuButton(int col, bool enable);
    // Freezes the first nLeft and the last nRight columns of the display order.
    void FreezeColumns(int nLeft, int nRight = 0);
    void UnfreezeColumns() { FreezeColumns(0, 0); }
    int GetLeftFrozenCount() const { return m_nLeftFrozen; }
    int GetRightFrozenCount() const { return m_nRightFrozen; }
    bool IsColumnFrozen(int col) const;
    bool IsColumnRightFrozen(int col) const;
    // Display order of the columns (visible and hidden), left to right.
    std::vector<int> GetColumnOrderArray() const;
    bool SetColumnOrderArray(const std::vector<int> &order);
    // The first visible column in display order (the one with the row check boxes), or -1.
    int GetFirstDisplayColumn() const;
    void EnableDragColumns(bool enable);
    bool IsDragColumnsEnabled() const { return m_bDragColumns; }
    // A header drag of the column may start; frozen columns never move.
    virtual bool DragColumn(int col);

    // Rows. Rows keep the order in which they were added; a row's id is its position.
    virtual GridRow *CreateRow();
    GridRow *CreateRow(int nColumns);
    void AddRow(GridRow *row, bool bRedraw = true);
    void RemoveAll();
    GridRow *GetRow(int nRow) const;
    int GetRowCount() const;
    // Rows that pass the filters.
    int GetVisibleRowCount() const;
    // The model row shown at a view position, and back (-1 when hidden).
    int ViewRowToRow(int viewRow) const;
    int RowToViewRow(int row) const;
    GridItem *GetItem(const GridItemID &id) const;

    // Selection.
    enum SelectMode { SelectSingle = 0, SelectAdd = 1, SelectExtend = 2 };
    // Single: only this cell (its row in whole-row mode); add: toggles it in the selection, as
    // a Ctrl click; extend: from the current cell to this one, as a Shift click.
    void SetCurSel(const GridItemID &id, bool bRedraw = true, SelectMode mode = SelectSingle);
    void ClearSelection() { SetCurSel(GridItemID{}); }
    GridRow *GetCurSel() const;
    GridItem *GetCurSelItem() const;
    GridItemID GetCurSelItemID() const;
    void SelectColumn(int col, bool select);
    bool IsColumnSelected(int col) const;
    void SetWholeRowSel(bool b);
    void EnsureVisible(int nRow);

    // Switches.
    void EnableHeader(bool enable);
    void EnableRowHeader(bool enable);
    void EnableCheckBoxes(bool enable);
    bool HasCheckBoxes() const { return m_bCheckBoxes; }
    void EnableAlternateRows(bool enable);
    void SetReadOnly(bool ro);
    bool IsReadOnly() const { return m_bReadOnly; }
    void EnableFilterBar(bool enable, const QString &prompt = QString());
    bool IsFilterBarEnabled() const { return m_bFilterBar; }
    void SetFilterBarCaseSensitive(bool b) { m_bFilterCaseSensitive = b; }
    bool IsFilterBarCaseSensitive() const { return m_bFilterCaseSensitive; }
    // Header menu buttons and the per-column value filters behind them.
    void EnableHeaderFilterMenu(bool enable);
    bool IsHeaderFilterMenuEnabled() const { return m_bHeaderFilter; }
    void EnableSortByHeaderClick(bool enable) { m_bSortOnHeaderClick = enable; }
    void SetGridFont(const QFont &font);
    QFont GetGridFont() const { return m_font; }
    void SetTextColor(COLORREF c) { m_clrText = c; }
    // Table colours: the text and the backgrounds of even and odd rows as the view shows them;
    // kGridDefaultColor keeps the grid's own. The visual manager's theme is the grid's own.
    struct ColorTheme {
        COLORREF text = kGridDefaultColor;
        COLORREF evenBack = kGridDefaultColor;
        COLORREF oddBack = kGridDefaultColor;
        bool operator==(const ColorTheme &) const = default;
    };
    void SetColorTheme(const ColorTheme &theme, bool bRedraw = true);
    void SetVisualManagerColorTheme(bool bRedraw = true) { SetColorTheme(ColorTheme{}, bRedraw); }
    const ColorTheme &GetColorTheme() const { return m_theme; }

    // Heights.
    virtual void SetRowHeight();
    int GetRowHeight() const { return m_nRowHeight; }
    void SetHeaderHeight(int h);
    int GetHeaderHeight() const { return m_nHeaderHeight; }
    void SetFilterBarHeight(int h);
    int GetFilterBarHeight() const { return m_nFilterBarHeight; }
    // The sum row: shown with its caption and the columns' sum texts.
    void ShowSumRow(bool show);
    void SetSumRowHeight(int h);
    int GetSumRowHeight() const { return m_nSumRowHeight; }
    void SetSumRowCaption(const QString &caption);

    // Sorting: the order of rows follows the sort columns of the column information.
    virtual void Sort(int col, bool bAscending = true, bool bAdd = false);
    void RemoveSortColumns();
    // A header click that is not on the check box or the menu button.
    virtual void OnHeaderColumnClick(int col);
    virtual void OnHeaderColumnRClick(int col) {}
    virtual void OnHeaderCheckBoxClick(int col);
    virtual void OnHeaderMenuButtonClick(int col, const QRect &rect);
    virtual bool IsHeaderMenuButtonEnabled(int col) const;
    // 0 plain, 1 ascending, 2 descending, 3 filtered, 4 and 5 filtered and sorted.
    virtual int GetHeaderMenuButtonImageIndex(int col, bool bSortArrow) const;
    virtual QString GetHeaderMenuButtonTooltip(int col) const { return QString(); }

    // Filtering. A row is shown when FilterItem says false and the row is visible.
    virtual bool FilterItem(const GridRow *row) const;
    virtual bool IsRowFilteredByFilterBar(const GridRow *row) const;
    // The text rule of the filter bar: the cell's text does not contain the filter text.
    virtual bool IsItemFilteredByFilterBar(const GridItem *item, int col, const QString &text) const;
    using FilterCallback = std::function<bool(const GridRow *row, LPARAM param)>;
    void SetFilterCallback(FilterCallback cb, LPARAM param) { m_filterCallback = std::move(cb); m_filterParam = param; }
    void EnableFilter(bool enable) { m_bCallbackFilter = enable; }
    bool IsFilterEnabled() const { return m_bCallbackFilter && static_cast<bool>(m_filterCallback); }
    // The filter bar: (column, text) in the order the texts were typed.
    std::vector<std::pair<int, QString>> &FilterBarList() { return m_filterBarList; }
    const std::vector<std::pair<int, QString>> &FilterBarList() const { return m_filterBarList; }
    virtual void OnFilterBarChanged(int col, const QString &text);
    // Refilters the rows (after a filter-bar change of the column, -1 for all).
    virtual void OnFilterBarUpdate(int col);
    virtual void OnFilterBarClearAll();
    virtual void OnClickFilterBarClearButton(int col) {}
    virtual void OnFilterBarEnter(int col) {}
    // The clear button of a column's filter edit was pressed (its text is already empty).
    virtual void OnFilterEditClearButton(int col) {}
    // Makes the filter-bar edit of a column.
    virtual QWidget *OnCreateFilterBarCtrl(int col, const QString &prompt);
    void EnableColumnFilterEdit(int col, bool enable);
    // Sets the text of a column's filter edit as if typed.
    void SetFilterBarText(int col, const QString &text);
    QString GetFilterBarText(int col) const;
    int GetFocusedFilterColumn() const;
    // The value filters of the header menu buttons: column -> filter.
    std::map<int, FilterColumnInfo> &ColumnFilters() { return m_columnFilters; }
    const std::map<int, FilterColumnInfo> &ColumnFilters() const { return m_columnFilters; }
    void SetColumnFilter(const FilterColumnInfo &filter);
    // The column's distinct cell texts, sorted.
    void GetColumnValuesList(int col, QStringList &values) const;
    // The header's value filter popup; cmdId reaches the grid as WM_COMMAND when applied.
    virtual void ShowFilterMenu(UINT cmdId, int col, const QStringList &values, const QPoint &pt);
    // Applies the values of a filter popup (what its OK button does).
    void ApplyFilterMenu(UINT cmdId, const FilterColumnInfo &filter);

    // Row check boxes.
    virtual void OnRowCheckBoxClick(GridRow *row);
    void CheckAll(bool check);

    // Editing.
    bool EditItem(const GridItemID &id);
    void EndEditItem(bool bUpdateData = true);
    bool IsEditing() const;
    GridItem *GetEditingItem() const;
    virtual bool OnInplaceEditKeyDown(int key, Qt::KeyboardModifiers mods) { return true; }
    // Whether an in-place editor starts with its whole text selected (else the caret at the end).
    virtual bool SelectAllOnEdit(const GridItem *item) const
    {
        (void)item;
        return true;
    }
    // What an editable option cell's editor offers to complete the typed text with; the
    // plain grid offers nothing.
    virtual QStringList FillAutoCompleteList(const GridItem *item, const QString &typed) const
    {
        (void)item;
        (void)typed;
        return {};
    }
    // Whether the key ends the in-place edit.
    virtual bool CanEndInplaceEditOnChar(int key, Qt::KeyboardModifiers mods) const;
    // Key presses of the grid (not of an in-place editor or the filter bar); true = consumed.
    virtual bool PreTranslateKey(int key, Qt::KeyboardModifiers mods, const QString &text);
    // Moves the current cell: 0x11 left, 0x22 right, 0x101 up, 0x202 down.
    void GoToNextItem(int how);

    // Mouse notices of the views (position in the grid's coordinates).
    virtual void OnCellLButtonUp(const GridItemID &hit, const QPoint &pt) {}
    virtual void OnCellRButtonUp(const GridItemID &hit, const QPoint &pt) {}
    virtual void OnCellDblClk(const GridItemID &hit, const QPoint &pt) {}
    virtual void OnScrollEnd() {}
    // Tool tip of a cell: the first text is shown, the second under it.
    virtual void GetItemCustomTooltip(const GridItemID &id, QString &text, QString &description) {}
    // The text of the row header.
    virtual QString GetRowNumber(const GridRow *row) const;
    // Called when a cell's value changed by the user.
    virtual void OnItemChanged(GridItem *item, int nRow, int nColumn);

    // Hit test in the grid's coordinates.
    GridItemID HitTest(const QPoint &pt) const;
    QRect GetItemRect(const GridItemID &id) const;
    QRect GetHeaderSectionRect(int col) const;
    QRect GetSumCellRect(int col) const;
    QRect GetFilterEditRect(int col) const;

    // Grouping: rows whose group columns show equal texts are kept together under a caption
    // band, the groups in the order of their first rows and the rows of a group in the grid's
    // order. The caption of a group comes from GetGroupName with the group's first row.
    void InsertGroupColumn(int pos, int col);
    void RemoveGroupColumn(int col);
    void RemoveAllGroupColumns();
    int GetGroupColumnCount() const { return static_cast<int>(m_groupCols.size()); }
    int GetGroupColumn(int pos) const;
    virtual QString GetGroupName(int groupCol, const GridItem *item) const;
    // The groups as shown: (view row of the group's first row, caption).
    const std::vector<std::pair<int, QString>> &GetGroupCaptions() const { return m_groupCaptions; }
    // The caption band above a view row (0 when the row does not start a group).
    int GroupBandHeight(int viewRow) const;

    // Rebuilds the views after changes (columns, rows, switches).
    void AdjustLayout();
    void RedrawItem(const GridItem *item);
    void RedrawAll();

    // For tests and the views.
    QTableView *View(int which) const;  // 0 left, 1 main, 2 right
    QWidget *FilterEdit(int col) const;
    QAbstractItemModel *Model() const;
    QAbstractItemModel *ProxyModel() const;
    QScrollBar *VerticalBar() const { return m_vbar; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    // Sorting and filtering set state; the views follow.
    void RefilterNow();
    void ResortNow();

    int m_nRowHeight = 24;
    int m_nHeaderHeight = 28;
    int m_nFilterBarHeight = 26;
    int m_nSumRowHeight = 24;
    bool m_bFilterBarClearing = false;
    QString m_strFilterPrompt;

private:
    friend class GridModel;
    friend class GridProxy;
    friend class GridView;
    friend class GridDelegate;
    friend class GridSumBand;
    friend class GridHeader;
    void Flush() const;
    void ApplyColumnsToViews();
    void LayoutChildren();
    void RebuildFilterEdits();
    void PlaceFilterEdits();
    int ViewOfColumn(int col) const;
    void OnEditorCommitted(GridItem *item, bool changed);
    void NotifyBeginEdit(GridItem *item);
    void NotifyEndEdit(GridItem *item);
    void FilterEditTextChanged(int col, const QString &text);
    // The group key of a model row: the texts of its group columns.
    QString GroupKey(int row) const;
    // Recomputes the caption bands after the rows' order or visibility changed.
    void UpdateGroupLayout();

    GridColumnsInfo m_defaultColumns;
    QPointer<QObject> m_owner;
    std::vector<GridRow *> m_rows;
    // Rows the model has announced; AddRow appends at once and announces in batches.
    mutable int m_modelRows = 0;
    mutable bool m_flushQueued = false;
    GridModel *m_model = nullptr;
    GridProxy *m_proxy = nullptr;
    GridDelegate *m_delegate = nullptr;
    GridView *m_views[3] = {nullptr, nullptr, nullptr};
    GridSumBand *m_sums[3] = {nullptr, nullptr, nullptr};
    QScrollBar *m_vbar = nullptr;
    QScrollBar *m_hbar = nullptr;
    std::map<int, QPointer<QWidget>> m_filterEdits;
    std::vector<std::pair<int, QString>> m_filterBarList;
    std::map<int, FilterColumnInfo> m_columnFilters;
    FilterCallback m_filterCallback;
    LPARAM m_filterParam = 0;
    std::vector<int> m_groupCols;
    std::vector<std::pair<int, QString>> m_groupCaptions;
    std::vector<int> m_bandRows;  // view rows with a caption band, ascending
    std::vector<int> m_order;  // display order
    std::vector<int> m_selectedColumns;
    QFont m_font;
    COLORREF m_clrText = 0;
    ColorTheme m_theme;
    int m_nLeftFrozen = 0;
    int m_nRightFrozen = 0;
    bool m_bHeader = true;
    bool m_bRowHeader = true;
    bool m_bCheckBoxes = false;
    bool m_bAlternateRows = false;
    bool m_bReadOnly = false;
    bool m_bFilterBar = false;
    bool m_bFilterCaseSensitive = false;
    bool m_bHeaderFilter = false;
    bool m_bCallbackFilter = false;
    bool m_bSortOnHeaderClick = true;
    bool m_bDragColumns = true;
    bool m_bWholeRow = false;
    bool m_bApplying = false;
};

// Registered notices of the grid, by their registered names.
UINT GridMessage(const char *name);

}
