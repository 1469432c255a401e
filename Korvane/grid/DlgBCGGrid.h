#pragma once
// The grid page that every table page embeds: columns from a table attribute, rows of typed
// cell records, read-backs, owner operations, the statistics row and the owner protocol
// (notices to the owner window, each with wParam = the page).
#include "TabDialog.h"
#include "grid/GridRowData.h"
#include "grid/GridTableAttribute.h"
#include "grid/QLBCGGridCtrl.h"
#include "grid/SpreadsheetExport.h"

#include <QDateTime>

#include <list>
#include <map>
#include <set>
#include <vector>

class CDlgGridCtrlTableStyle;
class QMenu;

class CDlgBCGGrid : public CTabDialog
{
    Q_OBJECT
public:
    enum { IDD = 203, IDC_GRID = 6666, IDC_PAGE_PREV = 1074, IDC_PAGE_NEXT = 1075, IDC_PAGE_LABEL = 1076 };
    static constexpr UINT_PTR kStatisticsTimer = 1029;

    CDlgBCGGrid(QWidget *parent = nullptr);
    ~CDlgBCGGrid() override;

    bool OnInitDialog() override;
    // The column captions from their source names, the sum row's caption, and the texts of the
    // rows (cells and their option lists) in the current language.
    bool TranslateControls() override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void UpdateControl(int nKind, int nIndex, WPARAM wParam, LPARAM lParam) override;

    // The owner of the notices: the one set, else the parent.
    void SetOwner(QObject *owner) { m_owner = owner; }
    QObject *GetOwnerWindow() const;

    // A shown grid page inside `owner`, which gets its notices, with the stored columns of
    // `tableId`, centred, and a one-pixel row header (the status pages' tables).
    // A grid page of the owner, its columns from the table's attributes (the built-in ones only
    // when bDefaultOnly), with or without the header's right-click menu.
    static CDlgBCGGrid *CreateForTable(QWidget *owner, const QString &tableId, BOOL bDefaultOnly = FALSE,
                                       BOOL bHeaderMenu = TRUE);

    // ---- columns and rows
    BOOL InitColumns(const CGridTableAttribute &attr, int nAlign);
    BOOL SetRowDataMap(const CGridRowDataMap &rows);
    void FillRows();

    // ---- reading back (every failure clears the output)
    BOOL GetRowDataMap(CGridRowDataMap &out);
    BOOL GetRow(int nRow, CGridRowData &out);
    void GetSelectedRowsData(CGridRowDataMap &out);
    BOOL GetCellText(QString &out, int nRowId, int nCol);
    BOOL GetCellData(int nRowId, int nCol, CGridCellData &out);
    BOOL GetRowCellText(QString &out, int nRowId, const QString &fieldId);
    BOOL SaveColumnLayout(CGridTableAttribute &out);
    BOOL SaveTableLayout(const QString &tableId);
    BOOL GetExportFieldIds(std::vector<QString> &out, BOOL bRebuild);
    static BOOL SetItemValueFromText(platform::GridItem *item, const QString &text);

    // ---- owner operations
    int GetCurSelColumn();
    BOOL GetCurSelCellText(QString &out, const QString &fieldId);
    BOOL SelectRow(int nRow);
    BOOL SelectRowByKey(int key);
    BOOL SetCellValue(int nRow, const QString &value, const QString &fieldId);
    BOOL SetCellColors(BOOL bReset, int nRow, const QString &fieldId);
    BOOL CommitCellText(const QString &text, int nRow, int nCol);
    QString GetColumnFieldId(int nCol);
    BOOL SetRowCheck(BOOL bCheck, int nRow);
    BOOL GetRowCheck(BOOL *pCheck, int nRow);
    BOOL IsLockedCell(int nRowId, int nCol) const;
    void ApplyGridColors();
    BOOL SelectCell(int nRow, int nCol, BOOL bByClick);
    void SyncChecksWithSelection();
    static QString VariantToText(const QVariant &v);

    // ---- statistics
    BOOL RefreshStatistics();
    void UpdateCheckedCountMark(int nChecked);
    int CountCheckedRows();

    // ---- header menu, style files and export (the menu's commands are in grid/GridMenu.h)
    LRESULT OnHeaderRClick(WPARAM wParam, LPARAM lParam);
    void OnGridMenuCommand(UINT id);
    BOOL LookupColumnFieldId(int nCol, QString &out);
    BOOL InvertRowChecks();
    BOOL ExportToSpreadsheet();
    BOOL CollectExportRows(SpreadsheetRows &out);
    BOOL CollectExportHeader(QStringList &out);
    BOOL GetDisplayColumnOrder(std::vector<int> &out);

    CQLBCGGridCtrl *GetGrid() const { return m_pGrid; }

    BOOL m_bAlternateRows = 1;
    BOOL m_bRowHeader = 1;
    int m_nRowHeaderStyle = 1;
    int m_nRowHeaderWidth = 45;
    BOOL m_bRClickOnLockedCell = 0;
    BOOL m_bCheckLockedRows = 0;
    BOOL m_bForceReadOnly = 0;
    QString m_strTableId;
    CQLBCGGridCtrl *m_pGrid = nullptr;
    CGridTableAttribute m_tableAttr;
    CGridRowDataMap m_rows;
    std::map<QString, int> m_mapFieldToCol;
    std::map<int, QString> m_mapColToField;
    std::map<QString, int> m_mapFieldEditable;
    std::map<QString, QString> m_mapFieldCaption;
    struct LockedCell {
        platform::GridItem *pItem;
        int nRow;
        int nCol;
        int nSpare;
    };
    std::vector<LockedCell> m_vecLockedCells;
    int m_nCheckedRows = 0;
    int m_nCheckMarkColumn = 0;
    int m_bShiftDown = 0;
    int m_bCtrlDown = 0;
    std::vector<QString> m_exportFields;
    std::vector<QString> m_extraExportFields;
    // Grid column of the last header right click; -1 off the columns.
    int m_nMenuColumn = -1;
    BOOL m_bHeaderMenuEnabled = 1;
    // Columns that may not be sort keys in the style editor.
    std::set<QString> m_setUnsortableFieldIDs;

protected:
    void OnTimer(UINT_PTR id) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    // Shows the header menu at the screen point; the choice comes back as WM_COMMAND.
    virtual void RunHeaderMenu(QMenu &menu, const QPoint &at);
    // Runs the table style editor modally; answers its result.
    virtual int RunStyleEditor(CDlgGridCtrlTableStyle &dlg);

private:
    void CreateGrid();
    bool HasGrid() const { return m_pGrid != nullptr; }
    LRESULT SendToOwner(UINT msg, LPARAM lParam);
    platform::GridItem *BuildItem(const QString &fieldId, CGridCellData &cell, bool &locked);
    CGridRowData *RowRecord(int nRow) const;
    // The row the value and colour setters mean by nRow.
    platform::GridRow *FindRowById(int nRow) const;
    bool IsLockedForEvent(int nRow, int nCol, bool columnMayBeAny) const;
    void RestartStatisticsTimer();
    std::map<QString, QString> SaveFilterBarTexts() const;
    bool HandleKey(QKeyEvent *e, bool down);
    void RebuildFromAttribute(const CGridTableAttribute &attr);
    void LoadStyleFile(CGridTableAttribute &copy);
    void SaveStyleFile();

    QPointer<QObject> m_owner;
};

// 12.500 -> 12.5, 3.000 -> 3; a text without a decimal point stays as it is.
QString TrimTrailingZeros(QString text);
