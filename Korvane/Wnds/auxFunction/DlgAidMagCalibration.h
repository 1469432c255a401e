#pragma once
// The magnetic-pole angle identification page: one button starts the drive's pole calibration
// on the page's worker (CPoleRun), and a round gauge's needle jumps once a second while it
// runs. The button is off during a run; the end of a run resets the needle, stops the
// animation and tells the outcome, all on the GUI thread.
#include "DialogExMid.h"
#include "Wnds/auxFunction/PoleRun.h"
#include "platform/PageWorker.h"

#include <QWidget>
#include <random>

class QPushButton;

// A round gauge from -100 to 100 with a needle and two coloured ranges.
class CPoleGauge : public QWidget
{
public:
    explicit CPoleGauge(QWidget *parent = nullptr) : QWidget(parent) {}
    void SetValue(double v);
    double Value() const { return m_dValue; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    double m_dValue = 0.0;
};

class CDlgAidMagCalibration : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 207;
    static constexpr int IDC_START = 2017;
    static constexpr int IDC_GAUGE = 2032;
    static constexpr UINT kAnimTimer = 1000;
    static constexpr UINT kAnimMs = 1000;

    CDlgAidMagCalibration();
    ~CDlgAidMagCalibration() override;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

    void OnBnClickedStart();
    bool IsRunning() const { return m_bRunning; }
    QPushButton *StartButton() const { return m_pStart; }
    CPoleGauge *Gauge() const { return m_pGauge; }
    // The pause between cycles (tests shorten it).
    int m_nCycleMs = CPoleRun::kCycleMs;
    // The needle value of one animation step: in -100 .. 99.
    static int AnimationValue(std::mt19937 &rng);

protected:
    void OnTimer(UINT_PTR id) override;

private:
    void OnRunEnded(const CPoleRun::Result &r);

    QPushButton *m_pStart;
    CPoleGauge *m_pGauge;
    bool m_bInitialized = false;
    bool m_bRunning = false;
    std::mt19937 m_rng;
    platform::PageWorker m_worker{this, "pole identification"};
};
