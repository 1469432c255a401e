#pragma once
// The table style editor: the options of one grid table and, as an editable grid with one row
// per column, its column attributes. The grid page's "样式" command opens it modally on a copy
// of its table; OK reads the rows back, saves the table's user style file and leaves the edited
// table and a reload flag for the caller; Cancel changes nothing.
#include "DialogExMid.h"
#include "grid/GridRowData.h"
#include "grid/GridTableAttribute.h"

#include <set>
#include <vector>

class CDlgBCGGrid;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CDlgGridCtrlTableStyle : public CDialogExMid
{
    Q_OBJECT
public:
    enum {
        IDD = 213,
        IDR_STYLE_MENU = 215,
        ID_SET_MAIN_SORT = 32915,
        ID_SET_SECOND_SORT = 32916,
    };

    CDlgGridCtrlTableStyle();
    ~CDlgGridCtrlTableStyle() override;

    // The table to edit (the id is trimmed) and the ids of its columns shown now.
    void SetTableAttribute(const QString &tableId, const CGridTableAttribute &attr);

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void LoadOptionControls();
    void BuildStyleRows(CGridRowDataMap &rows);
    void CreateStyleGrid();
    void ReadBackAttribute();
    void ApplyFontToAllRows(int size);

    // ---- handlers
    void OnBnClickedOk();
    void OnBnClickedSelectAllShow();
    void OnBnClickedSelectAllEdit();
    void OnBnClickedShownFilter();
    void OnRowHeightEdited();
    void OnFontEdited();
    void OnBnClickedSaveSystemStyle();
    void OnBnClickedInitSystemStyle();
    void OnBnClickedInitUserStyle();
    LRESULT OnGridCellRClick(WPARAM wParam, LPARAM lParam);
    void OnSetMainSortField();
    void OnSetSecondSortField();

    // The option texts, in stored-value order.
    static QStringList LockOptions();
    static QStringList FormatOptions();
    static QStringList SumOptions();
    static QStringList SearchOptions();
    static QStringList FontOptions();
    // Position of the text among the options (exact comparison); 0 when it is none of them.
    static int FindOptionIndex(const QString &text, const QStringList &options);

    CDlgBCGGrid *m_pStyleGrid = nullptr;
    QString m_strTableID;
    CGridTableAttribute m_TableAttribute;
    int m_nRowHeight = 0;
    int m_nFontSize = 0;
    int m_bReloadRequired = 0;
    std::vector<QString> m_arrShownAtOpen;
    int m_nPageRows = 50;
    int m_nPageRowsAtOpen = 50;
    std::vector<QString> m_arrSortFieldIDs;
    std::vector<QString> m_arrSortFieldNames;
    QString m_strMainSortAtOpen;
    bool m_bMainSortDescAtOpen = false;
    QString m_strSecondSortAtOpen;
    bool m_bSecondSortDescAtOpen = false;
    bool m_bShowSumBarAtOpen = false;
    std::set<QString> m_setUnsortableFieldIDs;

    // Widens the option boxes and captions to their texts, moving the rest of their rows along.
    void FitRowsToTexts();
    // The controls by their ids.
    QCheckBox *Check(int id) const;
    QSpinBox *m_spinRowHeight = nullptr;  // 1969 (stepped as 1968)
    QSpinBox *m_spinFont = nullptr;       // 1972 (stepped as 1971)
    QLineEdit *m_editPageRows = nullptr;  // 1989
    QComboBox *m_comboMainSort = nullptr;   // 1991
    QComboBox *m_comboSecondSort = nullptr; // 1994
    QPushButton *m_btnSaveSystem = nullptr; // 1980
    QPushButton *m_btnInitSystem = nullptr; // 1983
    QPushButton *m_btnInitUser = nullptr;   // 1984
    QWidget *m_placeholder = nullptr;       // 1978

protected:
    // Shows the sort-key menu at the screen point; the choice comes back as WM_COMMAND.
    virtual void RunSortMenu(QMenu &menu, const QPoint &at);

private:
    void BuildControls();
    // The rows listed now, after taking the edits of the listed rows into the full set.
    void SyncEditedRows();
    void ShowRows(const CGridRowDataMap &rows);
    void SetAllRows(const CGridRowDataMap &rows);
    void SetSortField(QComboBox *combo);

    // Every column's style row as last edited, whatever the shown/hidden filter lists.
    CGridRowDataMap m_allRows;
    int m_nShownFont = 0;
};
