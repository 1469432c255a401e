#pragma once
// The jog trial-run page: switches the drive's jog mode on and off, turns the motor forward or
// in reverse while a round control (or a hidden hold button) is held, and sets the jog speed
// and acceleration time. The command word 0x0807 is re-sent every 500 ms while jog mode is on;
// the end of a hold, leaving the page and a lost link stop the motor at once (CHoldToRun).
#include "DialogExMid.h"
#include "Wnds/auxFunction/HoldToRun.h"
#include "platform/WinTypes.h"

class CIntRangeEdit;
class CJOGButton;
class CKVProcessIndicator;
class QLabel;
class QPushButton;
class QSlider;

class CDlgAidJogMove : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 117;
    enum {
        IDC_ENABLE = 2017,
        IDC_FORWARD_BUTTON = 1063,
        IDC_REVERSE_BUTTON = 1066,
        IDC_FORWARD = 2010,
        IDC_REVERSE = 2011,
        IDC_SPEED_EDIT = 2013,
        IDC_ACCEL_EDIT = 2014,
        IDC_SPEED_GAUGE = 2015,
        IDC_ACCEL_GAUGE = 2016,
        IDC_SPEED_TEXT = 2020,
        IDC_ACCEL_TEXT = 2021,
    };
    static constexpr WORD kRegJog = 0x0807;
    static constexpr WORD kRegSpeed = 0x0606;
    static constexpr WORD kRegAccel = 0x060A;
    static constexpr int kMaxSpeed = 1000;
    static constexpr int kMaxAccel = 5000;
    static constexpr int kParamTries = 5;

    CDlgAidJogMove();
    ~CDlgAidJogMove() override;

    bool OnInitDialog() override;
    // The discs' labels are drawn, not controls: set again in the current language.
    bool TranslateControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

    // The switch: on when off, else off.
    void OnBnClickedEnable();
    void ServoOn();
    void ServoOff();
    // Leaving the page or closing it: off (told when a connected drive refuses), timers stopped.
    void LeavePage();
    void LoadJogSettings();
    bool ReadRegisterText(WORD reg, QString &out);
    // Queued on the page's worker (kParamTries tries, not reported); a newer value of the same
    // register replaces one still waiting.
    void WriteJogRegister(WORD reg, int value);
    // Enter in an edit, or leaving it with a changed text: the value written (an empty text
    // writes nothing).
    void ApplySpeedText();
    void ApplyAccelText();
    void SetSpeed(int value, BOOL setEdit, BOOL setGauge, BOOL write);
    void SetAccel(int value, BOOL setEdit, BOOL setGauge, BOOL write);
    // The end of a gauge drag writes the value the gauge shows.
    void OnGaugeTrack(int gaugeId, int value);
    void OnGaugeFinishTrack(int gaugeId, int value);

    int JogState() const { return m_run.State(); }
    // No drive work of the page is queued or under way (its results may still be on their way).
    bool IsDriveWorkDone() const { return m_run.Queue().IsIdle(); }
    // An off the drive has not acknowledged yet is still being tried.
    bool OffOwed() const { return m_run.OffOwed(); }
    QPushButton *EnableButton() const { return m_pEnable; }
    CKVProcessIndicator *Indicator(bool forward) const { return forward ? m_pForward : m_pReverse; }
    CJOGButton *HoldButton(bool forward) const { return forward ? m_pForwardBtn : m_pReverseBtn; }
    CIntRangeEdit *SpeedEdit() const { return m_pSpeedEdit; }
    CIntRangeEdit *AccelEdit() const { return m_pAccelEdit; }
    QSlider *Gauge(bool speed) const { return speed ? m_pSpeedGauge : m_pAccelGauge; }
    QLabel *ReadOut(bool speed) const { return speed ? m_pSpeedText : m_pAccelText; }

    int m_nJogSpeed = 0;
    int m_nJogAccel = 0;
    BOOL m_bSpeedLoaded = FALSE;
    BOOL m_bAccelLoaded = FALSE;

protected:
    void OnTimer(UINT_PTR id) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void ApplyText(bool speed);
    void SetValue(bool speed, int value, BOOL setEdit, BOOL setGauge, BOOL write);
    void OnIndicatorPressed(int id);
    void OnIndicatorReleased(int id);
    void OnHoldCommand(int id, unsigned code);
    void ShowSwitchedOff();
    void ShowSwitch();
    void OnSwitchedOn(bool ok, bool checked, DWORD error);
    void StopMarquees();
    void Box(const QString &text, const QString &caption);
    QString CodeText(DWORD code) const;

    CHoldToRun m_run{this, kRegJog};
    QPushButton *m_pEnable;
    CJOGButton *m_pForwardBtn;
    CJOGButton *m_pReverseBtn;
    CKVProcessIndicator *m_pForward;
    CKVProcessIndicator *m_pReverse;
    CIntRangeEdit *m_pSpeedEdit;
    CIntRangeEdit *m_pAccelEdit;
    QSlider *m_pSpeedGauge;
    QSlider *m_pAccelGauge;
    QLabel *m_pSpeedText;
    QLabel *m_pAccelText;
    QString m_strSpeedApplied;
    QString m_strAccelApplied;
};
