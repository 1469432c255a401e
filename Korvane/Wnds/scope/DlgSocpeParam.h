#pragma once
// The oscilloscope's sampling panel (the docker's "设置" tab): sample period and time base,
// single-shot or roll sampling, the channel layout, the source, colour and scale of each of the
// four channels, the DI/DO and bit choices, the trigger, the data choice and the recording
// folder. It fills the scope settings, starts and stops captures through the panel's core
// (CScopeControl), takes the acquisition threads' messages and hands captured data to the
// page's trace view, which it reaches through its docker (CScopePanelDocker).
//
// Drive I/O of the panel itself (the base period at opening) runs on its worker; the stop
// written at destruction waits a bounded time and gives up once the link counts the drive
// absent.
#include "DialogExMid.h"
#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/ScopePanelHost.h"
#include "Wnds/scope/ScopePanelLogic.h"
#include "platform/PageWorker.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CChannel;
class CColourPicker;
class CKVColorButton;
class CKVProcessIndicator;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct ScopeRollFrame;

class CDlgSocpeParam : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 210;
    enum {
        IDC_MODE_GROUP = 1751, IDC_PERIOD_LABEL = 1752, IDC_PERIOD = 1753, IDC_BASE_LABEL = 1754,
        IDC_TIMEDIV_LABEL = 1764, IDC_TIMEDIV = 1765, IDC_TIMEDIV_UNIT = 1766,
        IDC_SINGLE = 1755, IDC_ROLL = 1757, IDC_TRIGGER = 1756, IDC_DATA_CHOICE = 1079,
        IDC_SAVE_PATH = 1758, IDC_INDICATOR = 1080, IDC_DISPLAY_GROUP = 1761,
        IDC_LAYOUT = 1763, IDC_BACK_LABEL = 1767, IDC_BACK = 1768, IDC_DI = 1769, IDC_DO = 1770,
    };
    // Controls of channel k (1..4): base + 10 × (k − 1).
    enum {
        IDC_CH_GROUP = 1710, IDC_CH_CHECK = 1711, IDC_CH_SRC_LABEL = 1712, IDC_CH_SOURCE = 1713,
        IDC_CH_COLOUR = 1714, IDC_CH_SCALE = 1715, IDC_CH_SCALE_UNIT = 1716, IDC_CH_UP = 1717,
        IDC_CH_DOWN = 1718, IDC_CH_AUTO = 1719,
    };
    static constexpr int ChId(int base, int k) { return base + 10 * (k - 1); }

    explicit CDlgSocpeParam(QWidget *pParent = nullptr);
    ~CDlgSocpeParam() override;

    // The docker; when unset, the parent window if it is one.
    void SetDocker(CScopePanelDocker *docker) { m_pDocker = docker; }
    CScopePanelDocker *Docker() const;
    CScopePanelPage *Page() const;
    CVScope *View() const;

    bool OnInitDialog() override;
    // The disc's label and the source lists (from the language's channel tables) too.
    bool TranslateControls() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // ---- the core's operations, with the panel's side
    // 0 started or under way (the page hears of a later refusal), -1 not connected, -2
    // refused, -3 no channel has a source.
    int StartSampling();
    int StopSampling();
    bool SaveWaveFile(const QString &path, int nKind);
    BOOL OpenWaveFile(QWidget *owner, const QString &path);
    BOOL OpenCompareFile(const QString &path);
    // `frame`: the samples the roll thread posted; null: the settings' buffers.
    void OnRollFrame(WPARAM bDecoded, LPARAM nLost, const ScopeRollFrame *frame = nullptr);
    void RedrawCapture();
    CScopeControl &Core();
    ScopeMode Mode() const;
    // A capture runs, or a start is under way that no stop has called off.
    bool Capturing() const;

    // ---- lists and labels
    void ReadSampleBase();
    void FillSourceLists();
    // The entries of source list k (1-4) from the settings' tables: shown text and source name.
    static std::vector<std::pair<QString, QString>> SourceEntries(int k);
    void FillTimeDivList(unsigned n);
    void FillScaleLists();
    void RebuildTimeDivList(const QString &strCurrent);
    void SelectScaleForTrace(QComboBox *list, const CChannel &trace);
    void RecordDisplayControls();
    void EnableDisplayControls(bool bEnable);
    void RecordRollControls();
    void EnableSingleControls(bool bEnable);
    void EnableRollControls(bool bEnable);
    void EnableChannelGroup(int k, bool on);
    void EnableChannelExtras(int k, bool on);
    void ShowChannelControls();

    // ---- channels
    BOOL CheckChannelBits();
    // Whether the ticked channels' sources fit the 64 bits of a capture; no box, no change.
    bool ChannelsWithinBudget() const;
    // The budget verdict for the ticked channels and their selected sources.
    scopepanel::ChannelBits CurrentChannelBits() const;
    QString GetActiveSourceName(bool bByEnable, int nChannelIndex) const;
    QString GetChannelSourceName(int nChannel) const;
    CChannel *GetViewChannel(int nChannel) const;
    int TraceOfChannel(int k) const;  // the view trace (0..3) showing channel k (1..4)
    void ApplyChannelColours();
    DWORD GetBitSet(int id) const;
    void SetBitSet(int id, DWORD bits);
    void StoreListSelections();
    void WriteScopeIni();

    // ---- handlers
    void OnClickedChannelCheck(int k);
    // The user's change of channel k's source: a "DI" or "DO" choice opens its dialog.
    void OnSelchangeSource(int k);
    void OnSelchangeChannelWidth();
    void OnSelchangeScale(int k);
    void OnClickedShift(int k, bool up);
    void OnClickedAuto(int k);
    void OnClickedColour();
    void OnSelchangeTimeDiv();
    void OnKillfocusPeriod();
    void OnClickedSingle();
    void OnClickedRoll();
    void OnClickedTrigger();
    void OnClickedSavePath();
    void OnClickedDi();
    void OnClickedDo();
    void OnClickedDataChoice();
    LRESULT OnIndicatorReleased();
    LRESULT OnCaptureDone(WPARAM wParam, LPARAM lParam);
    int ToggleSampleIndicator();
    bool IndicatorRunning() const;
    void StopIndicator();

    // ---- controls, for the docker and tests
    QCheckBox *Check(int k) const;
    QComboBox *Source(int k) const;
    QComboBox *Scale(int k) const;
    CKVColorButton *ColourButton(int k) const;
    QComboBox *LayoutList() const { return m_cmbLayout; }
    QComboBox *TimeDivList() const { return m_cmbTimeDiv; }
    QLineEdit *PeriodEdit() const { return m_edtPeriod; }
    QLabel *BaseLabel() const { return m_lblBase; }
    QRadioButton *SingleRadio() const { return m_rdoSingle; }
    QRadioButton *RollRadio() const { return m_rdoRoll; }
    QPushButton *DiButton() const { return m_btnDi; }
    QPushButton *DoButton() const { return m_btnDo; }
    CKVProcessIndicator *Indicator() const { return m_pIndicator; }
    CColourPicker *BackPicker() const { return m_pBack; }
    bool BasePending() const { return m_bBasePending; }

    // Runs a secondary dialog; answers IDOK or IDCANCEL. Tests replace it.
    std::function<int(CDialogExMid &dlg)> m_fnRunDialog;

    unsigned m_nPeriodCount = 0;
    COLORREF m_clrChannel[4] = {};
    COLORREF m_clrBack = 0;
    int m_nSlotChannel[5] = {0, 1, 2, 3, 4};
    // The selection of each source list the channel budget last accepted: a refused change
    // goes back to it.
    int m_nAcceptedSource[4] = {-1, -1, -1, -1};

private:
    void BuildControls();
    void ApplyLayoutChoice(int s);
    // The DI (DO) button: the DI (DO) terminals, or the bits of a bit source on CH3 (CH4).
    void OnClickedBits(bool bDO);
    // The DI (DO) button, the channel's own controls and the shown groups for the source that
    // CH3 (CH4) holds; no dialog.
    void ApplyBitSourceState(int k);
    // A stored DI, DO or bit-source choice of CH3 (CH4) back in place: its remembered bits
    // with their names, as the dialog would give them, without asking the user.
    void RestoreBitSelection(bool bDO);
    // Terminal names not yet the drive's are read, once the link is up (on the names worker).
    void RefreshIoNames();
    void OnIoNamesRead(bool bDO, const QStringList &functions);
    // The bit source (code 3..127) of that name, or null.
    const CHBit *BitSourceOf(int code, const QString &name) const;
    void SetBitSelection(bool bDO, DWORD bits, const QStringList &names, const std::vector<COLORREF> &colours);
    void OnStartResult(ScopeMode mode, int result);
    void OnBaseRead(unsigned f);
    void SetTraceNamesForRoll();
    int RunDialog(CDialogExMid &dlg);
    void SelectSourceByName(int k, const QString &name);
    void InvalidateView();
    void SetDisplayEnabled(int id, bool on);
    QWidget *Ctrl(int id) const;

    CScopePanelDocker *m_pDocker = nullptr;
    CScopeChannels m_ownChannels;  // the core's channels while there is no view
    std::unique_ptr<CScopeControl> m_pCore;
    CScopeChannels *m_pCoreChannels = nullptr;
    platform::PageWorker m_worker;
    platform::PageWorker m_ioWorker;
    bool m_bBasePending = false;
    // The DI (DO) selection's terminal names are the drive's functions.
    bool m_bIoNamesFromDrive[2] = {false, false};

    QLineEdit *m_edtPeriod = nullptr;
    QLabel *m_lblBase = nullptr;
    QComboBox *m_cmbTimeDiv = nullptr;
    QRadioButton *m_rdoSingle = nullptr;
    QRadioButton *m_rdoRoll = nullptr;
    QComboBox *m_cmbLayout = nullptr;
    QPushButton *m_btnDi = nullptr;
    QPushButton *m_btnDo = nullptr;
    CKVProcessIndicator *m_pIndicator = nullptr;
    CColourPicker *m_pBack = nullptr;
    QCheckBox *m_chk[4] = {};
    QComboBox *m_cmbSource[4] = {};
    QComboBox *m_cmbScale[4] = {};
    CKVColorButton *m_btnColour[4] = {};
};
