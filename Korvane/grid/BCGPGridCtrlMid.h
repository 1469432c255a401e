#pragma once
// The base of every grid control of the program: the grid widget plus the notices its owners
// rely on (filter-bar changes the owner may take over, Enter, the filter bar's clear buttons,
// row and header check boxes), its own row, cell and column-information classes, and the
// row-height rule with a minimum height.
#include "platform/grid/Grid.h"

#include <QString>

class CBCGPGridCtrlMid;

// A row that can be hidden and that tells the grid's owner about double clicks.
class CBCPGridRowMid : public platform::GridRow
{
public:
    CBCPGridRowMid() = default;
    bool IsItemVisible() const override { return m_bVisible != 0; }
    bool OnDblClick(const QPoint &point) override;

    BOOL m_bVisible = 1;
};

// A cell with its own number formats, integer text conversion, first-letter choice among its
// options and a drop-down list that may append choices.
class CBCGPGridItemMid : public platform::GridItem
{
public:
    explicit CBCGPGridItemMid(const QVariant &value = QVariant());

    QString FormatItem() const override;
    bool TextToVar(const QString &text) override;
    bool PushChar(QChar ch) override;
    bool OnDblClick(const QPoint &point) override;
    void OnSelectCombo(const QString &choice) override;

    virtual void SetMultiSelect(BOOL b) { m_bMultiSelect = b; }
    virtual BOOL IsMultiSelect() const { return m_bMultiSelect; }
    // Gives the cell its own format: for a float value the single-precision format, for a
    // double the double-precision one; any other value only sets the mark.
    void SetValueFormat(const QString &format, const QVariant &value);

    // The formats every cell without its own uses.
    static QString s_strFormatFloat;
    static QString s_strFormatDouble;

    BOOL m_bOwnFormats = 0;
    QString m_strFormatFloat;
    QString m_strFormatDouble;
    BOOL m_bMultiSelect = 0;
};

// Column information with header colours, sum-row texts and the right-frozen width.
class CBCGPGridColumnsInfoMid : public platform::GridColumnsInfo
{
public:
    // Sums the widths of the visible right-frozen columns of the grid and keeps the total.
    int CalcRightFrozenWidth(const platform::GridCtrl *grid);
    // Widths of the visible right-frozen columns from this one to the right edge.
    int GetRightFrozenOffset(const platform::GridCtrl *grid, int column) const;
};

class CBCGPGridCtrlMid : public platform::GridCtrl
{
    Q_OBJECT
public:
    explicit CBCGPGridCtrlMid(QWidget *parent = nullptr);

    platform::GridColumnsInfo &GetColumnsInfo() override { return m_ColumnsMid; }
    const platform::GridColumnsInfo &GetColumnsInfo() const override { return m_ColumnsMid; }
    CBCGPGridColumnsInfoMid &ColumnsMid() { return m_ColumnsMid; }

    platform::GridRow *CreateRow() override;
    using platform::GridCtrl::CreateRow;
    void SetRowHeight() override;
    void Sort(int col, bool bAscending = true, bool bAdd = false) override;
    void OnFilterBarChanged(int col, const QString &text) override;
    void OnFilterBarClearAll() override;
    void OnFilterEditClearButton(int col) override;
    void OnFilterBarEnter(int col) override;
    QWidget *OnCreateFilterBarCtrl(int col, const QString &prompt) override;
    void OnRowCheckBoxClick(platform::GridRow *row) override;
    void OnHeaderCheckBoxClick(int col) override;
    bool IsHeaderMenuButtonEnabled(int col) const override;
    bool PreTranslateKey(int key, Qt::KeyboardModifiers mods, const QString &text) override;
    bool OnInplaceEditKeyDown(int key, Qt::KeyboardModifiers mods) override;
    bool SelectAllOnEdit(const platform::GridItem *) const override { return m_bSelectAllOnEdit != 0; }

    // Posts "BCGM_GRID_CLICK_FILTER_BAR_CLEAR_BTN" with the column (-1: the whole bar).
    virtual void OnClickFilterBarClearButton(int col) override;

    BOOL m_bShowFilterBarIcon = 1;
    BOOL m_bShowFilterSearchGlyph = 1;
    int m_nMinRowHeight = 0;
    BOOL m_bUseMinRowHeight = 0;
    BOOL m_bSelectAllOnEdit = 1;

protected:
    CBCGPGridColumnsInfoMid m_ColumnsMid;
};
