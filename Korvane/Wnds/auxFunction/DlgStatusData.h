#pragma once
// The data monitor page: the drive's status values (every parameter of group "P09") in a table,
// and four of them, chosen with four combo boxes, in four line charts and four numeric
// indicators. While monitoring runs, each 500 ms tick asks the read worker for every value;
// one request is out at a time and at most one waits behind it (a newer one replaces it).
// Answers are matched to the items by parameter code; a value that could not be read keeps
// its last value, shown greyed, and puts no point on its chart.
#include "DialogExMid.h"
#include "Thread/ReadRequest.h"
#include "grid/GridRowData.h"

#include <QList>
#include <QVector>

#include <array>
#include <memory>

class CDlgBCGGrid;
class CLineChart;
class CMyNumericIndicatorCtrl;
class QComboBox;
class QLabel;
class QPushButton;

// The vertical axis of one chart: the highest and lowest value seen and what the axis shows.
struct ChartScale
{
    // Doubles: a bit string of 11 or more bits, or a position near 2^31, is past what an int holds.
    double dHighest = 100;
    double dLowest = -100;
    double dAxisLow = -100;
    double dAxisHigh = 100;
    double dStep = 20;
};

class CDlgStatusData : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 211;
    static constexpr UINT_PTR kMonitorTimer = 211;
    static constexpr UINT kPeriodMs = 500;
    // The tick the monitor runs with: kPeriodMs, unless a test of the page's logic shortened
    // it to run quicker. 0 restores the default.
    static UINT PeriodMs();
    static void SetPeriodMs(UINT ms);
    enum {
        IDC_START = 1077, IDC_STOP = 1078, IDC_COMBO1 = 1998, IDC_UNIT1 = 2134, IDC_PERIOD = 2326,
    };
    static constexpr int kSlots = 4;

    CDlgStatusData();
    ~CDlgStatusData() override;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnStart();
    void OnStop();
    // One tick's request: out at once when none is, else it waits, replacing the one waiting.
    void QueueReadRequest();
    void OnReadDone(const CReadRequest &request);

    // The value as the table shows it: "%d", or for "H0B03"/"H0B05" the bits (at least ten).
    static QString ValueText(const CDBDataParameter &item);
    // One chart's scale after a sample (the axis reset first when `reset`).
    static void RescaleChart(ChartScale &scale, double sample, bool reset);
    void RescaleCharts(const std::array<double, kSlots> &samples, bool reset);
    // The config.ini this page keeps its combo choices in.
    static QString ConfigFile();
    // The width a combo needs to show `text` whole.
    static int ComboWidthFor(const QComboBox *combo, const QString &text);

    // ---- for tests and the benchmark
    bool IsRunning() const { return m_bRunning; }
    bool IsRequestOut() const { return m_bRequestOut; }
    int WaitingCount() const { return m_pWaiting ? 1 : 0; }
    int MaxWaiting() const { return m_nMaxWaiting; }
    int Answers() const { return m_nAnswers; }
    const QList<CDBDataParameter> &Items() const { return m_arrParams; }
    bool IsStale(int item) const { return item >= 0 && item < m_stale.size() && m_stale[item]; }
    const CGridRowDataMap &RowModel() const { return m_rows; }
    CDlgBCGGrid *Grid() const { return m_pGrid; }
    QComboBox *Combo(int k) const { return m_pCombo[std::size_t(k)]; }
    CLineChart *Chart(int k) const { return m_pChart[std::size_t(k)]; }
    CMyNumericIndicatorCtrl *Indicator(int k) const { return m_pIndicator[std::size_t(k)]; }
    QLabel *UnitLabel(int k) const { return m_pUnit[std::size_t(k)]; }
    const ChartScale &Scale(int k) const { return m_scale[std::size_t(k)]; }
    QPushButton *StartButton() const { return m_pStart; }
    QPushButton *StopButton() const { return m_pStop; }
    // Sets the row check cell of the item's row (as a click on its check box does).
    void SetRowChecked(int row, bool checked);

protected:
    void OnTimer(UINT_PTR id) override;

private:
    void InitCtrl();
    void RefreRealP09Data();
    void RebuildRows();
    void UpdateRowValues();
    void MoveCheckedRowsFirst();
    void ShowCheckedRowsOnly();
    void HandRowsToGrid();
    void WidenValueColumn();
    void FillCombos();
    void DoReadFileComb();
    void SaveComboSelection();
    void ShowUnit(int k, int index);
    // The list entry of a stored choice: by code, or by a name stored by an earlier version.
    int StoredChoiceIndex(const QString &stored) const;
    void OnComboChanged(int k);
    void RestChart();
    void RestCount();
    // The item each slot shows (-1: none); a name chosen twice feeds only the lower slot.
    std::array<int, kSlots> SlotItems() const;
    void UpdateChart(const std::vector<bool> &fresh);
    void UpdateIndicators();
    CReadRequest MakeRequest(int flag) const;
    CGridRowData MakeRow(int i, bool checked) const;
    void SetControlsRunning(bool running);

    QList<CDBDataParameter> m_arrParams;
    QVector<bool> m_stale;
    CGridRowDataMap m_rows;
    CDlgBCGGrid *m_pGrid = nullptr;
    std::array<QComboBox *, kSlots> m_pCombo{};
    std::array<QLabel *, kSlots> m_pUnit{};
    std::array<CLineChart *, kSlots> m_pChart{};
    std::array<CMyNumericIndicatorCtrl *, kSlots> m_pIndicator{};
    std::array<ChartScale, kSlots> m_scale{};
    QPushButton *m_pStart = nullptr;
    QPushButton *m_pStop = nullptr;
    QLabel *m_pPeriod = nullptr;
    bool m_bRunning = false;
    bool m_bRequestOut = false;
    std::unique_ptr<CReadRequest> m_pWaiting;
    int m_nMaxWaiting = 0;
    int m_nAnswers = 0;
    bool m_bFillingCombos = false;
};
