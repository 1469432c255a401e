#pragma once
// The mechanism frequency-response analysis page: the side panel sets the test signal and
// starts a run, the drive excites the machine and records the response, and the page turns
// the record into a gain and a phase curve over frequency (its own transform at 10000 Hz and
// above, the analysis library below), smooths them, marks the stop point (the first point
// below -3 dB), keeps one loaded result as grey compare curves, saves and opens results,
// exports the gain chart as a bitmap and opens the notch-filter dialog.
//
// A run's drive traffic runs on the page's worker: the start sequence, the wait for the
// record and its read-back, the end-of-test commands and the stop request. The worker hands
// the record over with a blocking send (UM_MA_ANALYSE); a run that ends any other way tells
// the page with UM_MA_STATE. From a successful start until the run ends the panel's
// indicator runs, and the status poll of the main frame neither polls freely nor sends its
// handshake (which would end the drive's recording).
#include "DialogExMid.h"
#include "PageWorkers.h"
#include "Wnds/auxFunction/MaFiles.h"
#include "platform/ColorRef.h"
#include "platform/PageWorker.h"
#include "platform/WinTypes.h"

#include <array>
#include <memory>

class CColourPicker;
class CDlgAidAnalyzeDocker;
class CLHBGraph;
class CMyProgressCtrl;
class CSetXBQ;
class QCheckBox;
class QLabel;

class DlgAidAnalyse : public CDialogExMid, public IPageWorkers
{
    Q_OBJECT
public:
    static constexpr int IDD = 206;
    static constexpr int IDC_GAIN_FRAME = 1647;
    static constexpr int IDC_PHASE_FRAME = 1648;
    static constexpr int IDC_GAIN_LABEL = 2042;
    static constexpr int IDC_PHASE_LABEL = 2043;
    static constexpr int IDC_CHART = 0xBBBB;
    static constexpr int IDC_PROGRESS = 255;
    static constexpr int IDC_GAIN_CHECK = 8001;
    static constexpr int IDC_PHASE_CHECK = 8003;
    static constexpr int IDC_GAIN_COLOUR = 8002;
    static constexpr int IDC_PHASE_COLOUR = 8004;
    static constexpr int IDC_BACK_COLOUR = 8006;
    // Commands.
    static constexpr int ID_OPEN = 1005;
    static constexpr int ID_SAVE = 1006;
    static constexpr int ID_SIDEBAR = 1083;
    static constexpr int ID_COMPARE = 1181;
    static constexpr int ID_SHOW_COORDINATES = 1183;
    static constexpr int ID_SET_NOTCH = 1193;
    static constexpr int ID_SHOW_CUTOFF = 1625;
    static constexpr int ID_START_TEST = 8031;
    static constexpr int ID_END_TEST = 8032;
    static constexpr int ID_MOUSE_ZOOM = 32929;
    static constexpr int kContextMenuRes = 224;

    // Curve names, keys in the charts.
    static const QString kGainCurve;
    static const QString kPhaseCurve;
    static const QString kGainCurveCmp;
    static const QString kPhaseCurveCmp;
    static constexpr COLORREF kCompareColour = RGB(100, 100, 100);
    static constexpr double kStopGainDb = -3.0;

    // What the end of a run told the page (UM_MA_STATE's wParam): the first two are the
    // drive's, the others the page's own ends of a run.
    enum RunEnd : WPARAM {
        kStatusUnreadable = 1,
        kDriveError = 2,
        kBlockFailed = 3,  // its message was shown
        kEndRefused = 4,   // the end-of-analysis command failed, its messages were shown
    };

    DlgAidAnalyse();
    ~DlgAidAnalyse() override;

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;
    void StopWorkers() override;

    // ---- Commands and handlers (public for the tests)
    void OnBntStartTest();
    void OnBntEndTest();
    LRESULT OnAnalyse();
    LRESULT OnSamplingState(WPARAM state);
    LRESULT OnUpdateProgress(WPARAM pos);
    LRESULT OnSmoothingChanged(const QString &text);
    LRESULT OnColourDone();
    void OnStopTimer();
    void OnSetNotch();
    void OnShowCoordinates();
    void OnShowCutoff();
    void OnMouseZoom();
    void OnSidebar();
    void OnSave();
    void OnOpen();
    void OnCompare();

    // Plots one curve (main or compare) into its chart with the axis rule; for the main gain
    // curve every point below -3 dB is marked.
    void PlotGainCurve(const double *freq, const double *gain, double min, double max, int count, bool compare,
                       COLORREF colour);
    void PlotPhaseCurve(const double *freq, const double *phase, double min, double max, int count, bool compare,
                        COLORREF colour);
    // Smooths the main curves at level L (0: the raw values; above 25 or below 0: nothing)
    // and plots them again; the gain curve marks only its first point below -3 dB.
    void SmoothAndPlot(int level);
    // The same for the compare curve of the gain (which 1) or the phase chart (which 0).
    void SmoothAndPlotCompare(int level, int which);

    // The axis rule: the lowest grid value and the grid step for values from min to max over
    // `divisions` grid divisions (integer arithmetic, steps of 10).
    static void AxisRange(double min, double max, int divisions, int &low, int &step);

    CDlgAidAnalyzeDocker *Docker() const { return m_pDocker; }
    CLHBGraph *GainChart() const { return m_pGainChart; }
    CLHBGraph *PhaseChart() const { return m_pPhaseChart; }
    CMyProgressCtrl *Progress() const { return m_pProgress; }
    CSetXBQ *NotchDialog() const { return m_pNotch; }
    bool WorkerRunning() const { return m_worker.IsRunning(); }
    const MaResult &MainResult() const { return *m_pMain; }
    const MaResult &CompareResult() const { return *m_pCmp; }
    double SmoothedGain(int i) const { return m_smoothGain[static_cast<size_t>(i)]; }

    // The owner's texts that the panel starts with.
    QString m_strAmplitude;
    QString m_strOffset;
    COLORREF m_crGain = RGB(0, 255, 0);
    COLORREF m_crPhase = RGB(255, 0, 0);
    COLORREF m_crBack = RGB(0, 0, 0);
    double m_dSmoothing = 12.0;
    BOOL m_bCutoff = FALSE;
    int m_bDockerShown = 1;
    bool m_bResultShown = false;
    int m_nRetry = 10;

protected:
    void showEvent(QShowEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    // Shows or hides a main curve and its compare curve.
    void ShowCurve(CLHBGraph *chart, const QString &name, bool on);
    // Curves drawn anew show or hide as their switches say.
    void ApplyCurveSwitches();
    int Scaled(int px) const;
    void CreateDocker();
    void ClearCharts();
    // The run has ended, however: both run flags clear, the indicator idles.
    void FinishRun();
    // Gain and phase extremes and the stop point of the main result.
    void ScanMainResult();
    void PlotCurve(CLHBGraph *chart, const QString &name, const QString &yUnit, const double *freq,
                   const double *values, double min, double max, int count, bool compare, COLORREF colour,
                   bool markAllBelow);
    void ReplotSmoothed(CLHBGraph *chart, const QString &name, const QString &yUnit, COLORREF colour,
                        const double *freq, const double *values, double min, double max, int count,
                        bool markFirstBelow, int divisions, double *stopFreq, double *stopGain);
    // Asks for a result file and reads it; false when cancelled or unreadable (told).
    bool LoadResult(MaResult &into);
    void PlotMain();
    void ShowSafetyTip();

    CDlgAidAnalyzeDocker *m_pDocker = nullptr;
    CLHBGraph *m_pGainChart = nullptr;
    CLHBGraph *m_pPhaseChart = nullptr;
    CMyProgressCtrl *m_pProgress = nullptr;
    CSetXBQ *m_pNotch = nullptr;
    QLabel *m_pGainLabel = nullptr;
    QLabel *m_pPhaseLabel = nullptr;
    QWidget *m_pGainFrame = nullptr;
    QWidget *m_pPhaseFrame = nullptr;
    CColourPicker *m_pGainColour = nullptr;
    CColourPicker *m_pPhaseColour = nullptr;
    CColourPicker *m_pBackColour = nullptr;
    QLabel *m_pBackLabel = nullptr;
    QCheckBox *m_pGainCheck = nullptr;
    QCheckBox *m_pPhaseCheck = nullptr;

    std::unique_ptr<MaResult> m_pMain;
    std::unique_ptr<MaResult> m_pCmp;
    std::array<double, kMaMaxPoints> m_smoothGain{};
    std::array<double, kMaMaxPoints> m_smoothPhase{};
    std::array<double, kMaMaxPoints> m_smoothGainCmp{};
    std::array<double, kMaMaxPoints> m_smoothPhaseCmp{};
    bool m_bTipPending = false;
    // The inputs of the run in progress: written by the worker before it hands the record
    // over with a blocking send, read by the analysis inside that send.
    int m_nRunAmplitude = 0;
    int m_nRunOffset = 0;

    // Declared last: it is stopped (and joined) before anything its jobs use goes.
    platform::PageWorker m_worker;
};
