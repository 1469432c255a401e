#pragma once
// The input panel docked beside the mechanism-analysis page: the smoothing level with its
// spin, the excitation's offset and amplitude, the start/stop indicator and the buttons that
// act on the result. It does no drive work and no computing: every action goes to the owner
// (its parent window) as a message, and the owner reads the texts when it needs them and
// tells the panel when a test starts and ends.
#include "DialogExMid.h"

class CKVProcessIndicator;
class DlgAidAnalyse;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CDlgAidAnalyzeDocker : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 240;
    static constexpr int IDC_SET_NOTCH = 1193;
    static constexpr int IDC_SHOW_CUTOFF = 1625;
    static constexpr int IDC_SEARCH_RESONANCE = 1626;
    static constexpr int IDC_CLOSED_LOOP = 8011;
    static constexpr int IDC_OPEN_LOOP = 8012;
    static constexpr int IDC_SMOOTHING = 8014;
    static constexpr int IDC_SMOOTHING_SPIN = 8015;
    static constexpr int IDC_OFFSET = 8022;
    static constexpr int IDC_AMPLITUDE = 8025;
    static constexpr int IDC_TORQUE = 8028;
    static constexpr int IDC_INDICATOR = 2142;
    // Commands the indicator sends to the owner.
    static constexpr int kCmdStartTest = 8031;
    static constexpr int kCmdStopTest = 8032;

    explicit CDlgAidAnalyzeDocker(DlgAidAnalyse *pOwner);
    ~CDlgAidAnalyzeDocker() override;

    bool OnInitDialog() override;
    bool TranslateControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    QString GetSmoothLevelText() const;
    QString GetSmoothingText() const { return GetSmoothLevelText(); }
    QString GetOffsetText() const;
    QString GetAmplitudeText() const;
    void SetSmoothLevelText(const QString &text);
    void SetOffsetText(const QString &text);
    void SetAmplitudeText(const QString &text);

    // Flips the indicator between idle ("启动") and running ("停止"); 1 when it now runs.
    int ToggleTestIndicator();
    // Idle, whatever it showed.
    void ShowIdle();
    bool IsTestRunning() const;
    QString IndicatorLabel() const;

    // A step of the smoothing spin: the owner is told the new level (not limited), then the
    // spin keeps its level within 0..25.
    void StepSmoothing(int delta);

    CKVProcessIndicator *Indicator() const { return m_pIndicator; }

private:
    void Forward(int id);

    DlgAidAnalyse *m_pOwner;
    CKVProcessIndicator *m_pIndicator = nullptr;
    QLineEdit *m_pSmoothing = nullptr;
    QLineEdit *m_pOffset = nullptr;
    QLineEdit *m_pAmplitude = nullptr;
    QRadioButton *m_pClosedLoop = nullptr;
};
