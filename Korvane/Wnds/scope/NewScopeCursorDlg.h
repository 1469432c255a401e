#pragma once
// The side panel's cursor tab: switches the trace view's measuring cursors on and off, picks
// time or value cursors, locks the A-B distance, and shows what the cursors measure in three
// grids (the times at A and B; for channels 1 and 2, and 3 and 4, the values at A and B, their
// difference and, for time cursors, RMS, minimum and maximum between A and B).
//
// Everything shown is read from the trace view; the page asks for a refresh with
// UM_SCOPE_CURSOR_REFRESH whenever the capture or a cursor changes.
#include "DialogExMid.h"
#include "platform/ColorRef.h"

#include <QStringList>

#include <functional>
#include <vector>

class CBCGPGridCtrlEx;
class CColourPicker;
class CVScope;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

class CNewScopeCursorDlg : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 196;
    enum : int {
        IDC_SHOW_CURSOR = 2143,
        IDC_CURSOR_GROUP = 1507,
        IDC_TIME_CURSORS = 1053,
        IDC_VALUE_CURSORS = 1054,
        IDC_LOCK = 1056,
        IDC_MEASURE_GROUP = 1508,
        IDC_TIME_LABEL = 1754,
        IDC_TIME_GRID = 6667,
        IDC_CHANNEL_GRID1 = 6668,
        IDC_CHANNEL_GRID2 = 6669,
    };
    static constexpr int kPickerIds[4] = {1113, 1114, 1179, 1115};

    CNewScopeCursorDlg(CVScope *view, QWidget *owner);
    ~CNewScopeCursorDlg() override;

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(int cx, int cy) override;
    void OnCancel() override;
    void OnDestroy() override;

    void ShowTable();
    void FillTimeCursorTable();
    void FillValueCursorTable();

    // The row tables of a refresh, free of the grids: a header row, the time row (time
    // cursors only) and one row per channel, every number "%.3f".
    static std::vector<QStringList> TimeCursorRows(const CVScope &view, const std::function<QString(int)> &sourceName);
    static std::vector<QStringList> ValueCursorRows(const CVScope &view, const std::function<QString(int)> &sourceName);

    // Bound by the side panel to the sampling panel's source names (channel 0..3); may be empty.
    std::function<QString(int)> m_fnGetChannelSourceName;
    std::vector<QStringList> m_rows;

    CBCGPGridCtrlEx *m_gridTime = nullptr;
    CBCGPGridCtrlEx *m_gridChannels[2] = {};
    QCheckBox *m_chkShowCursor = nullptr;
    QRadioButton *m_radTime = nullptr;
    QRadioButton *m_radValue = nullptr;
    QCheckBox *m_btnLock = nullptr;
    QLabel *m_lblTime = nullptr;
    CColourPicker *m_pickers[4] = {};
    COLORREF m_clrCursor[4] = {};

private:
    static constexpr int kTimeTable = 1;
    static constexpr int kValueTable = 2;
    // Builds the grids unless they already hold a table of `kind`.
    void PrepareTable(int kind);
    int m_nTableKind = 0;  // the kind of table the grids hold; 0: to be built

    void OnTimeCursors();
    void OnValueCursors();
    void OnLock();
    void OnShowCursor();
    void CursorsOff();
    void RedrawView();
    void WriteChannelColumns(int rowsUsed);
    static void HeaderColours(CBCGPGridCtrlEx *grid, int col, int channel);

    CVScope *m_pView;
    QWidget *m_pOwner;
};
