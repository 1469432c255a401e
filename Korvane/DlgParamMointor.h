#pragma once
// The parameter monitor: the parameters the user chose to watch, one row each, their current
// values re-read once a second. The reads run on a worker of the monitor's own and update the
// value cells in place; the grid is rebuilt only when a row is added or deleted, so filters and
// selection survive the refresh. A parameter that stops answering keeps its last good value,
// shown grey, and is logged once per streak of failures. The monitor never changes the
// project's parameter records.
#include "DialogExMid.h"
#include "Thread/PeriodicRead.h"
#include "database/DBDataParameter.h"
#include "grid/DlgBCGGrid.h"

#include <QList>

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class CDlgParamMointor : public CDialogExMid
{
    Q_OBJECT
public:
    enum { IDD = 268, ID_DELETE = 2025 };
    static constexpr UINT_PTR kTimerId = 1000;
    static constexpr UINT kTimerMs = 1000;
    // The refresh period the monitor starts its timer with: kTimerMs, unless a test of the
    // monitor's logic shortened it to run quicker. 0 restores the default.
    static UINT RefreshMs();
    static void SetRefreshMs(UINT ms);
    static constexpr int kReadTries = 3;
    static constexpr int kContextMenuId = 240;
    static constexpr COLORREF kChangedColour = 0xFFFF;
    static constexpr COLORREF kStaleText = 0x909090;  // grey
    static inline const QString kColCurrent = QStringLiteral("当前值");

    explicit CDlgParamMointor(QWidget *pParent = nullptr);
    ~CDlgParamMointor() override;

    bool OnInitDialog() override;
    // Column captions, names and option texts in the current language.
    bool TranslateControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ResizeTo(int left, int top, int right, int bottom);

    // The add request: false when the code is empty, already shown or unknown to the device.
    bool AddParam(const QString &code);
    // Deletes the grid row (the context menu's command on the clicked row).
    void DeleteRow(int nRow);
    // The project in use was replaced (opened, created, another product): each row shows the new
    // project's value (marked where it differs from what the project was loaded with), default,
    // range and unit; the drive's current value stays. A row whose code the new project lacks
    // shows no project value.
    void FollowProject();

    CDlgBCGGrid *Grid() { return &m_dlgGrid; }
    const QList<CDBDataParameter> &Monitored() const { return m_arrParams; }
    bool IsRefreshRunning() const { return m_bTimerRunning; }
    // Refresh rounds the worker has finished (tests).
    int Rounds() const { return m_reader.Rounds(); }
    // The text of a row's cell, by code; empty when there is no such row.
    QString CellText(const QString &code, const QString &fieldId);
    bool IsStale(const QString &code);

    struct ReadValue
    {
        QString code;
        std::int32_t value = 0;
        bool ok = false;
    };
    struct ReadResult
    {
        std::vector<ReadValue> values;
    };

protected:
    void OnTimer(UINT_PTR id) override;

private:
    static void NameColumns(CGridTableAttribute &attr);
    CGridRowData BuildRow(const CDBDataParameter &param, std::int64_t key) const;
    void ApplyResult(const ReadResult &result);
    // Fills the grid from its rows, keeping the grey of values that could not be read.
    void RefillRows();
    std::shared_ptr<ReadResult> ReadAll(const std::atomic<bool> &stop);
    int RowOfCode(const QString &code);
    void ShowMenu(LPARAM lParam);

    QList<CDBDataParameter> m_arrParams;
    CDlgBCGGrid m_dlgGrid;
    bool m_bTimerRunning = false;
    int m_nClickedRow = -1;
    std::int64_t m_nNextKey = 0;
    std::set<QString> m_failing;  // codes whose last read failed (logged once per streak)
    std::set<QString> m_stale;
    UINT m_nMsgReadDone = 0;
    std::mutex m_mxSnapshot;
    QList<CDBDataParameter> m_snapshot;  // what the worker reads, under m_mxSnapshot
    CPeriodicRead<ReadResult> m_reader;  // last: its worker ends before the rest goes
};
