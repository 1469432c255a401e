#pragma once
// The grid of the grid page (and of a few dialogs with lists): the header's filter button with
// its value popup, row and value limits and custom filter, mouse notices to the owner, the keys
// of the in-place editor, a fixed row height, and cell tool tips that the parent fills in.
#include "grid/BCGPGridCtrlMid.h"

#include <QStringList>

#include <map>

class QDialog;

// lParam of UM_GRID_CELL_RCLICK, UM_GRID_CELL_LCLICK and UM_GRID_CELL_DBLCLICK; valid only
// during the send. The row is a row of the model whatever the sort or filter shows.
struct QLGridCellNotify {
    platform::GridItem *pItem = nullptr;
    int nRow = -1;
    int nColumn = -1;
    int nReserved = 0;
};

// wParam of the parent's UpdateControl (kind kGridCellTooltip) for a cell tool tip.
struct QLGridTooltipRequest {
    class CQLBCGGridCtrl *pGrid = nullptr;
    platform::GridItemID id;
    QString *pText = nullptr;
    QString *pDescription = nullptr;
};
constexpr int kGridCellTooltip = 0x7E0;

// Commands of the header filter button.
constexpr UINT ID_GRID_SORT_ASC = 32883;
constexpr UINT ID_GRID_SORT_DESC = 32884;
constexpr UINT ID_GRID_CUSTOM_FILTER = 32885;
constexpr UINT ID_GRID_CLEAR_FILTER = 32886;
constexpr UINT ID_GRID_FILTER_APPLIED = 32887;

// More rows, or more distinct values in a column, than the header filter offers.
constexpr int kGridFilterLimit = 10000;

class CQLBCGGridCtrl : public CBCGPGridCtrlMid
{
    Q_OBJECT
public:
    explicit CQLBCGGridCtrl(QWidget *parent = nullptr);

    virtual void SetFixedRowHeight(int &height);
    void SetRowHeight() override;
    BOOL SetColumnFilterValues(int col, const QStringList *values);
    void GetColumnFilterValues(int col, QStringList &values) const;

    QString GetHeaderMenuButtonTooltip(int col) const override;
    // The line under the tool tip of the header filter button, from the current custom filter.
    QString GetCustomFilterDescription(int col) const;
    void OnHeaderMenuButtonClick(int col, const QRect &rect) override;
    void OnHeaderColumnRClick(int col) override;
    void OnFilterEditClearButton(int col) override {}
    void OnCellLButtonUp(const platform::GridItemID &hit, const QPoint &pt) override;
    void OnCellRButtonUp(const platform::GridItemID &hit, const QPoint &pt) override;
    void OnCellDblClk(const platform::GridItemID &hit, const QPoint &pt) override;
    void OnScrollEnd() override;
    bool CanEndInplaceEditOnChar(int key, Qt::KeyboardModifiers mods) const override;
    bool OnInplaceEditKeyDown(int key, Qt::KeyboardModifiers mods) override;
    void GetItemCustomTooltip(const platform::GridItemID &id, QString &text, QString &description) override;

    // The options of the edited cell that begin with the typed text (case ignored), except
    // one equal to it.
    static QStringList AutoCompleteList(const platform::GridItem *item, const QString &typed);
    QStringList FillAutoCompleteList(const platform::GridItem *item, const QString &typed) const override
    {
        return AutoCompleteList(item, typed);
    }

    platform::FilterColumnInfo m_curFilter;
    int m_nFilterMenuColumn = -1;
    int m_nFixedRowHeight = -1;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCustomFilter();
    // Runs a filter dialog; tests answer in place of the user.
    virtual int RunFilterDialog(QDialog &dlg);

private:
    void SendCellNotice(UINT msg, const platform::GridItemID &hit, int missing);
    std::map<int, QStringList> m_mapColumnValues;
};
