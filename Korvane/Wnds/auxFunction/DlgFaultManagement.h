#pragma once
// The fault management page: the drive's latest fault or its stored history of ten as a table,
// a picture with the cause and remedy of a chosen fault, the fault reset, and the shown list
// kept in "FalutManagement.csv" beside the program between two openings of the page.
//
// The history is read on the page's worker behind the please-wait dialog, one transaction per
// hold of the link; the reset's 1, pause and 0 run on a worker too, so the window stays live.
#include "DialogExMid.h"
#include "controls/ProgressDialog_Implement.h"
#include "grid/GridRowData.h"
#include "platform/PageWorker.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class CDlgBCGGrid;
class QCheckBox;
class QPushButton;

// One stored fault: code (masked to 12 bits), time in 0.1 s, speed in rpm, U and V phase
// currents in 0.01 A, bus voltage in 0.1 V.
struct FaultRecord
{
    std::array<std::int32_t, 6> v{};
};

class CDlgFaultManagement : public CDialogExMid, public CProgressDialog_Implement
{
    Q_OBJECT
public:
    static constexpr int IDD = 208;
    enum { IDC_RESET = 1106, IDC_HISTORY = 2073, IDC_DICTIONARY = 2074, IDC_TABLE_FRAME = 2037, IDC_NOTE_FRAME = 2038 };
    static constexpr int kRecordCount = 10;
    static constexpr int kAttempts = 5;
    static constexpr int kResetPauseMs = 1000;
    // The pause between the reset's 1 and its 0: kResetPauseMs, unless a test of the page's
    // logic shortened it to run quicker. 0 restores the default.
    static int ResetPauseMs();
    static void SetResetPauseMs(int ms);
    static constexpr const char *kListFileName = "FalutManagement.csv";
    // The seven column ids of the fault table, in file order.
    static const QStringList &ColumnIds();

    CDlgFaultManagement();
    ~CDlgFaultManagement() override;

    bool OnInitDialog() override;
    bool TranslateControls() override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void StartFaultHistoryRead();
    void ResetFault();
    void LoadFaultList();
    void SaveFaultList();
    // The "not connected" box; true when connected.
    bool WarnIfNotConnected();

    // "Er%02X.%01X" of a masked code.
    static QString FaultText(int code);
    // The table row of one record, row number `index`.
    static CGridRowData BuildRow(const FaultRecord &record, int index);
    // Where the picture of a fault text lies; empty for a text that names no fault.
    static QString PicturePath(const QString &faultText);
    static QString ListFilePath();
    static void SplitString(const QString &text, QChar separator, QStringList &out);

    CDlgBCGGrid *FaultGrid() const { return m_pFaultGrid; }
    CDlgBCGGrid *NoteGrid() const { return m_pNoteGrid; }
    QCheckBox *HistoryBox() const { return m_pHistory; }
    QPushButton *ResetButton() const { return m_pReset; }
    bool IsBusy() const { return m_historyWorker.IsRunning() || m_resetWorker.IsRunning(); }

private:
    struct HistoryResult
    {
        std::vector<FaultRecord> records;  // complete records only, latest first
        bool bFailed = false;
    };
    struct ResetResult
    {
        bool bOk = false;
        DWORD dwError = 0;
    };
    static std::shared_ptr<HistoryResult> ReadFaultHistory(const std::atomic<bool> &stop);
    void OnFaultRecords(const HistoryResult *result);
    void OnResetDone(const ResetResult &result);
    void ShowFaultNote(int row);
    int m_nNoteRow = -1;  // the fault whose note is shown
    void OpenNotePicture(int row);
    void CreateGrids();
    void ReplaceRows(CDlgBCGGrid *grid, const CGridRowDataMap &rows);

    QPushButton *m_pReset = nullptr;
    QCheckBox *m_pHistory = nullptr;
    QPushButton *m_pDictionary = nullptr;
    CDlgBCGGrid *m_pFaultGrid = nullptr;
    CDlgBCGGrid *m_pNoteGrid = nullptr;
    CGridRowDataMap m_rows;
    bool m_bListSaved = false;
    platform::PageWorker m_historyWorker{this, "fault history"};
    platform::PageWorker m_resetWorker{this, "fault reset"};
};
