#pragma once
// The parameter table page "参数管理": the parameters of the connected drive's active axis for
// the group chosen in the navigation tree, one row each, with in-place editing, row check boxes
// that mirror the device's checked-parameter list, reads and writes through one-shot workers,
// the detail pane beside the table, and the requests to the monitor pane.
//
// The page never waits on the drive: every transfer runs on its worker, which asks the user
// through the UI services and reports to the page by messages.
#include "DialogExMid.h"
#include "NavigationInfo.h"
#include "SYSPARAM/SysParam.h"
#include "database/DBDataParameter.h"
#include "grid/DlgBCGGrid.h"

#include <QList>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace platform {
class PageWorker;
}
class CDlgParamNote;
class CMyProgressCtrl;
class QFrame;
class QLabel;
class QPushButton;

class CDlgParams : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 135;
    enum {
        IDC_READ_ALL = 1005,
        IDC_READ_CHECKED = 1008,
        IDC_WRITE_ALL = 1006,
        IDC_WRITE_CHECKED = 1009,
        IDC_RECIPE_LOAD = 1004,
        IDC_RECIPE_SAVE = 1003,
        IDC_RECIPE_LOAD_WRITE = 2334,
        IDC_COMPARE = 2097,
        IDC_LABEL_READ = 2033,
        IDC_LABEL_WRITE = 2034,
        IDC_LABEL_RECIPE = 2036,
        IDC_PROGRESS = 255,
        ID_CHECK_TOGGLE = 1007,
        ID_CHECK_ALL = 2010,
        ID_WRITE_CHECKED_MENU = 2011,
        ID_READ_CHECKED_MENU = 2012,
        ID_ADD_TO_CUSTOM = 2013,
        ID_REMOVE_FROM_CUSTOM = 2014,
        ID_UNCHECK_ALL = 2015,
        ID_RECIPE_LOAD_ALT = 2016,
        ID_ADD_TO_MONITOR = 2024,
        ID_READ_ROW = 2025,
        ID_WRITE_ROW = 2026,
    };
    static constexpr int kContextMenuId = 240;
    static constexpr UINT_PTR kWriteTimerId = 1;
    static constexpr UINT kWriteTimerMs = 1000;
    // The period of the timer that gives the grid back its focus after a write: kWriteTimerMs,
    // unless a test of the page's logic shortened it. 0 restores the default.
    static UINT WriteTimerMs();
    static void SetWriteTimerMs(UINT ms);
    static constexpr int kReadTries = 2;
    static constexpr int kWriteTries = 10;
    static constexpr std::int32_t kWordOrderAddress = 0x8006;
    static constexpr COLORREF kChangedColour = 0xFFFF;  // yellow
    static constexpr COLORREF kCompareColour = 0x5AFF;  // orange

    CDlgParams();
    ~CDlgParams() override;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // ---- groups and rows --------------------------------------------------------------------
    // Shows the group the navigation tree (or the parameter-edit pane) chose.
    void ShowParamGroup(const NavigationTarget &target);
    // Rebuilds the table from m_listShownCode.
    void RefreshTable();
    // Fills one row; false when the comparison leaves the parameter out.
    bool BuildRow(const CDBDataParameter &param, int index, CGridRowDataMap &rows) const;
    // The cells every parameter table shows (code, name, value with its option list, default,
    // unit, range and the position `index` in the drive's table), without colours.
    static CGridRowData BaseRow(const CDBDataParameter &param, int index);
    // Refreshes the current cell of the current row from its record.
    void UpdateSingleRow();
    // The detail pane changed the value shown for the record.
    void SetRowValueFromPane(const CDBDataParameter &param, const QString &text);
    // Adds (or replaces, by code) a copy of the record in the device's checked list, or removes
    // the entry with that code. Returns 1.
    static BOOL UpdateCheckedList(const CDBDataParameter &param, BOOL bAdd);
    static BOOL ReplaceParamInList(QList<CDBDataParameter> &list, const CDBDataParameter &param);
    // Enables the first seven command buttons outside comparison mode.
    void EnableCommandButtons();

    // ---- recipe files and comparison (DlgParamsRecipe.cpp, DlgParamsCompare.cpp) ------------
    // Loads a recipe file into the table, the checked list and the recipe list: 1 when loaded.
    int LoadRecipeFile();
    // Saves the checked parameters to a recipe file.
    void SaveRecipeFile();
    // The comparison button was pressed.
    void OnCompare();
    // Gathers the reference of m_nCompareType and rebuilds the table.
    void RunCompare();
    // Switches the comparison off and shows every row again.
    void EndCompare();
    // The translated text of the parameter's option with the value, else empty.
    static void GetOptionText(QString &out, const CDBDataParameter &param, std::int32_t value);
    bool TranslateControls() override;
    // Commands 1003, 1004, 2016, 2334 and 2097; false for any other.
    bool OnRecipeCompareCommand(UINT id);

    // ---- reads and writes ---------------------------------------------------------------------
    void ReadAllParameters();
    void ReadCheckedParameters();
    void WriteAllParameters();
    void WriteCheckedParameters();
    // Reads m_arrTransferParameter on the worker: target 0 into the table, 1 into
    // m_mapDriveValue; bRefreshNote reloads the detail pane afterwards.
    void StartParameterRead(int nTarget, BOOL bRefreshNote);
    // Writes m_arrTransferParameter on the worker after the user accepted the list.
    void StartParameterWrite();
    // The answer to the read worker's UM_THREAD_FINISHED.
    BOOL ApplyReadResults();
    LRESULT OnGridEnter(WPARAM wParam, LPARAM lParam);
    static void SortParametersByAddress(QList<CDBDataParameter> &list);
    // True while a read or write worker runs, here or on the oscilloscope's parameter tab.
    bool IsTransferRunning() const;

    // The items of the row menu, in order: locked cell, comparison mode, a single custom group
    // shown.
    static std::vector<int> ContextMenuCommands(bool bLocked, bool bCompareMode, bool bSingleCustomGroup);

    // ---- access for the pane, the frame and tests -----------------------------------------------
    CDlgBCGGrid *Grid() { return &m_dlgGrid; }
    CDlgParamNote *Note() const { return m_pDlgParamNote; }
    CMyProgressCtrl *Progress() const { return m_pProgress; }
    QPushButton *CommandButton(int id) const;
    // The active axis's parameter list, or null.
    static QList<CDBDataParameter> *ActiveParams();
    // The current device's checked-parameter list, or null.
    static QList<CDBDataParameter> *CheckedParams();
    // The record of a grid row (by its index cell), or null.
    CDBDataParameter *RecordOfRow(int nRow);
    int FindRowByCode(const QString &code);

    // ---- state ----------------------------------------------------------------------------------
    std::atomic<BOOL> m_bWriteFinished{FALSE};
    // Asked for by the row menu while its read is being started; the run that starts keeps its own
    // copy, so a refused read never leaves the next "read all" refreshing one row.
    BOOL m_bSingleRowRead = FALSE;
    BOOL m_bRunSingleRow = FALSE;
    // The last value typed into the table was refused: the Enter that committed it writes
    // nothing (it would write the value the refusal put back).
    bool m_bEditRefused = false;
    CDlgBCGGrid m_dlgGrid;
    NavigationTarget m_group;  // the selection last handed to ShowParamGroup
    int m_nGroupIndex = -1;    // -1: nothing chosen
    CDlgParamNote *m_pDlgParamNote = nullptr;
    QStringList m_listShownCode;

    // The comparison's state (its commands live with the comparison); the row builder reads it.
    int m_bCompareMode = 0;
    QString m_strCompareFile;
    int m_nCompareType = 0;  // 0 factory default, 1 drive, 2 recipe file
    std::map<QString, std::int32_t> m_mapDriveValue;
    std::map<QString, std::int32_t> m_mapRecipeValue;

    int m_nReadTarget = 0;
    BOOL m_bReadRefreshNote = FALSE;
    QList<CDBDataParameter> m_arrTransferParameter;

protected:
    void OnTimer(UINT_PTR id) override;

private:
    void CreateControls();
    void Layout();
    void OnCommand(UINT id);
    void OnItemChanged(LPARAM lParam);
    LRESULT OnCellRClick(LPARAM lParam);
    void OnRowCheckBoxClick(WPARAM wParam, LPARAM lParam);
    void ToggleCheckAll();
    void SetAllChecks(bool bCheck);
    void OnSelChanged();
    void AddCurrentToCustom();
    void RemoveCurrentFromCustom();
    void AddCurrentToMonitor();
    void ShowNoteFor(CDBDataParameter *param);
    void SetNoteVisible(bool visible);
    bool PassesHiddenRule(const CDBDataParameter &param) const;
    const CDBDataParameter *FindRecord(const QString &code) const;
    QString CurrentRowCode();
    void RerunComparison();
    // Builds the "all" list (checked list and m_arrTransferParameter); bForWrite leaves out
    // display-only parameters.
    void BuildAllList(bool bForWrite);
    // The link check and the list of a read or write command (all or the ticked parameters);
    // false, after telling the user, when there is nothing to do.
    bool PrepareTransfer(bool bWrite, bool bAll);
    void ReadWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop);
    void WriteWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop);
    void FocusGrid();

    std::array<QPushButton *, 8> m_btnCommand{};
    std::array<QLabel *, 3> m_stcGroup{};
    std::array<QFrame *, 3> m_frames{};
    CMyProgressCtrl *m_pProgress = nullptr;
    std::unique_ptr<platform::PageWorker> m_pWorker;
    UINT m_nMsgHeaderCheck = 0;
    UINT m_nMsgRowCheck = 0;
    UINT m_nMsgSelChanged = 0;
    UINT m_nMsgEnter = 0;
    UINT m_nMsgColourRefresh = 0;
    UINT m_nMsgProgressShow = 0;  // wParam: 1 show, 0 hide (from the workers)
};
