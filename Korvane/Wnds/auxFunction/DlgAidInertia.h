#pragma once
// The load-inertia identification page: reads and writes the identification parameters
// ("step1", CInertiaParams), switches the servo on, turns the motor while a round control is
// held and shows the drive's running estimate ("step2"), and writes the result into the
// drive's initial inertia ratio ("step3"). Run command word 0x080C, kept alive every 500 ms.
#include "DialogExMid.h"
#include "Wnds/auxFunction/HoldToRun.h"
#include "Wnds/auxFunction/InertiaParams.h"

#include <vector>

class CJOGButton;
class CKVProcessIndicator;
class QComboBox;
class QLineEdit;
class QPushButton;

class CDlgAidInertia : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 198;
    enum {
        IDC_TUNE_MODE = 1905, IDC_RIGIDITY = 1906, IDC_SPEED_GAIN = 1904, IDC_INTEGRAL_TIME = 1903,
        IDC_INIT_RATIO = 1902, IDC_CMD_TYPE = 1917, IDC_MAX_SPEED = 1911, IDC_ACCEL_TIME = 1912,
        IDC_INTERVAL_TIME = 1913, IDC_RESULT = 1925, IDC_FORWARD_BUTTON = 1922, IDC_REVERSE_BUTTON = 1921,
        IDC_READ = 1918, IDC_WRITE = 1919, IDC_SERVO = 1920, IDC_WRITE_RESULT = 1926,
        IDC_FORWARD = 2059, IDC_REVERSE = 2060, IDC_WRITE_GAUGE = 2061, IDC_BANNER = 2058,
    };
    static constexpr UINT kPollTimer = 16;
    static constexpr UINT kPollMs = 200;
    static constexpr UINT kWriteTimer = 1010;
    static constexpr UINT kWriteMs = 150;

    CDlgAidInertia();
    ~CDlgAidInertia() override;

    bool OnInitDialog() override;
    // The lists' entries (from the language file) and the discs' labels (drawn, not controls)
    // set again in the current language.
    bool TranslateControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

    // "读取参数" and "写入参数": the drive work runs on the page's worker, one transaction per
    // register, and the boxes follow when it is over; the two buttons rest meanwhile.
    void OnReadParams();
    // The boxes as they stand; the check's result (CInertiaCheck), focus on a failing box.
    int ValidateInputs(CInertiaParamValues *values = nullptr);
    void OnWriteParams();
    bool IsParamsBusy() const { return m_bParamsBusy; }
    bool IsResultWriting() const { return m_bResultWriting; }
    void OnServoOnOff();
    // Switches the servo off; the servo stays on (told) when the drive refuses.
    void ServoOff();
    // Writes the result box's value into P0230 (on the page's worker) when it is one P0230 can
    // hold; the write gauge then shows 100 for a write the drive took, else 0.
    void OnWriteResult();
    // A click on the write gauge: the gauge runs (timer 1010, the page timer) and the write.
    void OnGaugeClick();
    // Leaving or closing the page: off when connected (told when refused), always state 0 and
    // both timers stopped.
    void LeavePage();

    int RunState() const { return m_run.State(); }
    // No drive work of the page is queued or under way (its results may still be on their way).
    bool IsDriveWorkDone() const { return m_run.Queue().IsIdle(); }
    // An off the drive has not acknowledged yet is still being tried.
    bool OffOwed() const { return m_run.OffOwed(); }
    QPushButton *ServoButton() const { return m_pServo; }
    QLineEdit *Edit(int id) const;
    QComboBox *Combo(int id) const;
    CKVProcessIndicator *Indicator(int id) const;
    bool IsResultKnown() const { return m_bResultKnown; }
    int ResultRaw() const { return m_nResult; }

    void OnSize(int cx, int cy) override;

protected:
    void OnTimer(UINT_PTR id) override;
    void showEvent(QShowEvent *e) override;

private:
    void Box(const char *textKey, const char *captionKey, bool withCode, DWORD code = 0);
    void ShowOff();
    void PollResult();
    void ShowResult(int hundredths);
    void OnButtonPressed(int id);
    void OnButtonReleased(int id);
    bool OnHoldCommand(int id, unsigned code);
    // The controls follow the page's growth by the anchors of the page's layout table.
    void InitLayout();
    void StopWriteGauge(bool written);
    // One register of the form to read or write on the worker, and how it went.
    struct RowJob
    {
        int row;
        bool write;
        int value;
    };
    struct RowOutcome
    {
        int row = 0;
        bool ok = false;
        int value = 0;
        DWORD error = 0;
    };
    static std::vector<RowOutcome> RunRows(CMotionQueue &queue, const std::vector<RowJob> &jobs);
    // The rows on the worker, the buttons resting meanwhile; `show` takes their outcome.
    void PostRows(std::vector<RowJob> jobs, void (CDlgAidInertia::*show)(const std::vector<RowOutcome> &));
    void ShowReadParams(const std::vector<RowOutcome> &read);
    void ShowWrittenParams(const std::vector<RowOutcome> &written);
    void SetParamsBusy(bool busy);

    struct Anchor
    {
        QWidget *w;
        QRect origin;
        int move, moveX, moveY, size, sizeX, sizeY;
    };
    std::vector<Anchor> m_anchors;
    QSize m_sizeTemplate;

    CHoldToRun m_run{this, inertia_reg::kRun};
    bool m_bPollPending = false;
    bool m_bParamsBusy = false;     // a read or write of the form is on the worker
    bool m_bResultWriting = false;  // the result's write is on the worker
    bool m_bResultKnown = false;
    int m_nResult = 0;  // hundredths
    QComboBox *m_pTuneMode;
    QComboBox *m_pCmdType;
    QLineEdit *m_pRigidity;
    QLineEdit *m_pSpeedGain;
    QLineEdit *m_pIntegralTime;
    QLineEdit *m_pInitRatio;
    QLineEdit *m_pMaxSpeed;
    QLineEdit *m_pAccelTime;
    QLineEdit *m_pIntervalTime;
    QLineEdit *m_pResult;
    QPushButton *m_pServo;
    QPushButton *m_pRead;
    QPushButton *m_pWrite;
    QPushButton *m_pWriteResult;
    CJOGButton *m_pForwardBtn;
    CJOGButton *m_pReverseBtn;
    CKVProcessIndicator *m_pForward;
    CKVProcessIndicator *m_pReverse;
    CKVProcessIndicator *m_pWriteGauge;
};
