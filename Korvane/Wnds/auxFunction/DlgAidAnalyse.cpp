#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "Wnds/auxFunction/SetXBQ.h"

#include "AppFlags.h"
#include "DlgShowTip.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "PopupMenu.h"
#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "Wnds/auxFunction/DlgAidAnalyzeDocker.h"
#include "Wnds/auxFunction/FreqResponse4096.h"
#include "Wnds/auxFunction/MaAnalysis.h"
#include "Wnds/auxFunction/MaRun.h"
#include "controls/ColourPicker.h"
#include "controls/LHBGraph.h"
#include "controls/MyProgressCtrl.h"
#include "platform/ContextMenus.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"
#include "plotix.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

#define MA_LOG KLOG("Wnds\\auxFunction\\DlgAidAnalyse")

const QString DlgAidAnalyse::kGainCurve = QStringLiteral("增益曲线");
const QString DlgAidAnalyse::kPhaseCurve = QStringLiteral("相位曲线");
const QString DlgAidAnalyse::kGainCurveCmp = QStringLiteral("增益曲线CMP");
const QString DlgAidAnalyse::kPhaseCurveCmp = QStringLiteral("相位曲线CMP");

namespace {

const QString kFreqUnit = QStringLiteral("频率");
const QString kGainUnit = QStringLiteral("增益");
const QString kPhaseUnit = QStringLiteral("相角");
const QString kMenuName = QStringLiteral("MechanismAnalysis");

QString Text(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

int Box(QWidget *owner, const QString &text, const QString &caption, UINT type = MB_OK)
{
    return platform::Ui().MessageBox(text, caption, type, owner);
}

CLHBCurve *FindCurve(CLHBGraph *chart, const QString &name)
{
    for (int i = 0; i < chart->CurveCount(); ++i)
        if (chart->Curve(i)->GetName() == name)
            return chart->Curve(i);
    return nullptr;
}

// A value the integer rule can take: the floor of the charts for anything not finite.
long long Whole(double v)
{
    if (!std::isfinite(v))
        return static_cast<long long>(kMaFloorGainDb);
    return static_cast<long long>(std::clamp(v, -1e12, 1e12));
}

int Points(int count)
{
    return std::clamp(count, 0, kMaMaxPoints);
}

}

DlgAidAnalyse::DlgAidAnalyse()
    : CDialogExMid(IDD), m_pMain(std::make_unique<MaResult>()), m_pCmp(std::make_unique<MaResult>()),
      m_worker(this, "mechanism analysis")
{
    m_strLangSection = QStringLiteral("DlgAidAnalyse");
    m_pMain->nCount = 1000;
    resize(MapDialogRect(QRect(0, 0, 600, 360)).size());

    m_pGainFrame = new QWidget(this);
    platform::SetCtrlId(m_pGainFrame, IDC_GAIN_FRAME);
    m_pGainFrame->setGeometry(MapDialogRect(QRect(30, 8, 380, 160)));
    m_pGainFrame->hide();
    m_pPhaseFrame = new QWidget(this);
    platform::SetCtrlId(m_pPhaseFrame, IDC_PHASE_FRAME);
    m_pPhaseFrame->setGeometry(MapDialogRect(QRect(30, 180, 380, 160)));
    m_pPhaseFrame->hide();
    m_pGainLabel = new QLabel(QStringLiteral("增益"), this);
    platform::SetCtrlId(m_pGainLabel, IDC_GAIN_LABEL);
    m_pPhaseLabel = new QLabel(QStringLiteral("相位"), this);
    platform::SetCtrlId(m_pPhaseLabel, IDC_PHASE_LABEL);

    // The curve switches and the colour choices sit in a row under the charts.
    m_pGainCheck = new QCheckBox(TrText(kGainCurve), this);
    platform::SetCtrlId(m_pGainCheck, IDC_GAIN_CHECK);
    m_pGainColour = new CColourPicker(this);
    platform::SetCtrlId(m_pGainColour, IDC_GAIN_COLOUR);
    m_pPhaseCheck = new QCheckBox(TrText(kPhaseCurve), this);
    platform::SetCtrlId(m_pPhaseCheck, IDC_PHASE_CHECK);
    m_pPhaseColour = new CColourPicker(this);
    platform::SetCtrlId(m_pPhaseColour, IDC_PHASE_COLOUR);
    m_pBackLabel = new QLabel(TrText(QStringLiteral("背景颜色")), this);
    m_pBackColour = new CColourPicker(this);
    platform::SetCtrlId(m_pBackColour, IDC_BACK_COLOUR);
    // A switch shows or hides its curve; a replot keeps what the switch says.
    connect(m_pGainCheck, &QCheckBox::toggled, this, [this](bool on) { ShowCurve(m_pGainChart, kGainCurve, on); });
    connect(m_pPhaseCheck, &QCheckBox::toggled, this, [this](bool on) { ShowCurve(m_pPhaseChart, kPhaseCurve, on); });

    platform::AddContextMenu(kMenuName, kContextMenuRes,
                             {{QStringLiteral("打开"), ID_OPEN},
                              {QStringLiteral("保存"), ID_SAVE},
                              {QStringLiteral("鼠标放大/缩小"), ID_MOUSE_ZOOM},
                              {QStringLiteral("显示坐标提示"), ID_SHOW_COORDINATES},
                              {QStringLiteral("波形对比"), ID_COMPARE},
                              {QStringLiteral("侧边栏"), ID_SIDEBAR}});
    SetCommandUpdateHandler(ID_SIDEBAR, [this](platform::CmdUi &ui) { ui.SetCheck(m_bDockerShown ? 1 : 0); });
    SetCommandUpdateHandler(ID_SHOW_COORDINATES, [this](platform::CmdUi &ui) {
        ui.SetCheck(m_pGainChart && m_pGainChart->m_bShowValues ? 1 : 0);
    });
    SetCommandUpdateHandler(ID_MOUSE_ZOOM, [this](platform::CmdUi &ui) {
        ui.SetCheck(m_pGainChart && m_pGainChart->m_bWheelZoom ? 1 : 0);
    });
}

DlgAidAnalyse::~DlgAidAnalyse()
{
    m_worker.Stop();
    if (marun::s_bMASingleSampRecvData)
        marun::SetRunFlags(false);
}

void DlgAidAnalyse::CreateDocker()
{
    m_pDocker = new CDlgAidAnalyzeDocker(this);
    m_pDocker->setWindowFlags(Qt::Widget);
    m_pDocker->Create(this);
    m_pDocker->setGeometry(0, 0, 300, height());
    m_pDocker->show();
}

bool DlgAidAnalyse::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CreateDocker();
    MaSettings settings;
    const QString path = MaSettingsPath();
    if (LoadMaSettings(path, settings)) {
        m_strAmplitude = QString::number(settings.nAmplitude);
        m_strOffset = QString::number(settings.nOffset);
        m_pDocker->SetSmoothLevelText(QString::number(settings.nSmoothing));
    } else {
        Box(this, Text("IDS_MechanismAnalysisDlg_159") + path, QString());
    }

    m_pGainChart = new CLHBGraph(this);
    m_pGainChart->Create(QString(), m_pGainFrame->geometry(), this, IDC_CHART);
    m_pPhaseChart = new CLHBGraph(this);
    m_pPhaseChart->Create(QString(), m_pPhaseFrame->geometry(), this, IDC_CHART);
    m_pGainChart->m_pLinked = m_pPhaseChart;
    m_pPhaseChart->m_pLinked = m_pGainChart;

    if (m_strAmplitude.isEmpty())
        m_strAmplitude = QStringLiteral("10");
    if (m_strOffset.isEmpty())
        m_strOffset = QStringLiteral("20");
    m_pDocker->SetAmplitudeText(m_strAmplitude);
    m_pDocker->SetOffsetText(m_strOffset);
    m_pDocker->SetSmoothLevelText(QStringLiteral("16"));

    m_crGain = RGB(0, 255, 0);
    m_crPhase = RGB(255, 0, 0);
    m_pProgress = new CMyProgressCtrl(m_pGainChart, true);
    platform::SetCtrlId(m_pProgress, IDC_PROGRESS);
    m_pProgress->SetRange(0, marun::kBlocks);
    const QPoint c = m_pGainChart->rect().center();
    m_pProgress->setGeometry(c.x() - 200, c.y() - 40, 400, 70);
    m_pProgress->hide();
    m_pGainColour->SetColour(m_crGain);
    m_pPhaseColour->SetColour(m_crPhase);
    m_pBackColour->SetColour(m_crBack);
    m_pGainCheck->setChecked(true);
    m_pPhaseCheck->setChecked(true);
    OnSize(width(), height());
    return true;
}

LRESULT DlgAidAnalyse::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_START_TEST: OnBntStartTest(); return 0;
        case ID_END_TEST: OnBntEndTest(); return 0;
        case ID_SET_NOTCH: OnSetNotch(); return 0;
        case ID_SHOW_CUTOFF: OnShowCutoff(); return 0;
        case ID_SIDEBAR: OnSidebar(); return 0;
        case ID_SAVE: OnSave(); return 0;
        case ID_OPEN: OnOpen(); return 0;
        case ID_COMPARE: OnCompare(); return 0;
        case ID_SHOW_COORDINATES: OnShowCoordinates(); return 0;
        case ID_MOUSE_ZOOM: OnMouseZoom(); return 0;
        default: break;
        }
        break;
    case UM_MA_SMOOTH_CHANGED:
        return OnSmoothingChanged(wParam ? *reinterpret_cast<const QString *>(wParam) : QString());
    case UM_MA_ANALYSE: return OnAnalyse();
    case UM_MA_STATE: return OnSamplingState(wParam);
    case UM_MA_PROGRESS: return OnUpdateProgress(wParam);
    case UM_MA_RUN_STEP:
        if (auto step = Payload<std::function<void()>>())
            (*step)();
        return 0;
    case UM_COLOR_DONE: return OnColourDone();
    case UM_STOP_TIMER:
        OnStopTimer();
        return 0;
    default: break;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

// ---- A run ------------------------------------------------------------------------------------

void DlgAidAnalyse::ClearCharts()
{
    for (CLHBGraph *chart : {m_pGainChart, m_pPhaseChart}) {
        if (!chart)
            continue;
        chart->DeleteAllCurves();
        chart->ResetView();
        chart->update();
    }
}

void DlgAidAnalyse::FinishRun()
{
    marun::SetRunFlags(false);
    if (m_pDocker)
        m_pDocker->ShowIdle();
}

void DlgAidAnalyse::OnBntStartTest()
{
    MA_LOG << "CMechanismAnalysisDlg::OnBntStartTest start";
    marun::SetRunFlags(false);
    MA_LOG << "CMechanismAnalysisDlg::OnBntStartTest  s_bMASingleSampRecvData:" << int(marun::s_bMASingleSampRecvData);
    ClearCharts();
    marun::StartInputs in;
    in.strAmplitude = m_pDocker->GetAmplitudeText();
    in.strOffset = m_pDocker->GetOffsetText();
    in.strSmoothing = m_pDocker->GetSmoothLevelText();
    in.strSettingsPath = MaSettingsPath();
    m_strAmplitude = in.strAmplitude;
    m_strOffset = in.strOffset;
    const platform::WindowRef self = GetWindowRef();
    m_worker.Start([this, in, self](const std::atomic<bool> &stop) {
        const marun::StartOutcome started = marun::StartSequence(in, this, [&stop] { return stop.load(); });
        if (!started.bStarted || stop)
            return;
        m_nRunAmplitude = started.nAmplitude;
        m_nRunOffset = started.nOffset;
        marun::SetRunFlags(true);
        MA_LOG << "OnBntStartTest end, s_bMASingleSampRecvData:" << int(marun::s_bMASingleSampRecvData);
        platform::PostMessage(self, UM_MA_RUN_STEP, 0, 0, std::make_shared<std::function<void()>>([this] {
            // The indicator runs from here until the run ends, so a click on it stops it.
            if (marun::s_bMASingleSampRecvData && !m_pDocker->IsTestRunning())
                m_pDocker->ToggleTestIndicator();
        }));
        auto running = [&stop] { return !stop && marun::s_bMASingleSampRecvData; };
        std::vector<unsigned char> record(kMaRecordBytes);
        const marun::SampleEnd end = marun::WaitAndRead(
            running, [self](int block) { platform::PostMessage(self, UM_MA_PROGRESS, static_cast<WPARAM>(block), 0); },
            record.data());
        switch (end) {
        case marun::SampleEnd::Complete:
            ConvertMaSamples(record.data());
            if (!marun::SendSamplingEnd(this)) {
                Box(this, Text("IDS_MechanismAnalysisDlg_36"), Text("IDS_MechanismAnalysisDlg_37"));
                platform::PostMessage(self, UM_MA_STATE, kEndRefused, 0);
                return;
            }
            platform::SendMessage(self, UM_MA_ANALYSE, 0, 0);
            MA_LOG << "WINAPI MA_SINGLESAMPRECVDATA End!!!";
            return;
        case marun::SampleEnd::StatusUnreadable:
            platform::PostMessage(self, UM_MA_STATE, kStatusUnreadable, 0);
            return;
        case marun::SampleEnd::DriveError:
            platform::PostMessage(self, UM_MA_STATE, kDriveError, 0);
            return;
        case marun::SampleEnd::BlockFailed:
            platform::PostMessage(self, UM_MA_STATE, kBlockFailed, 0);
            return;
        case marun::SampleEnd::Stopped:
            return;
        }
    });
}

void DlgAidAnalyse::OnBntEndTest()
{
    marun::SetRunFlags(false);
    MA_LOG << "OnBntEndTest s_bMASingleSampRecvData:" << int(marun::s_bMASingleSampRecvData);
    if (m_pDocker)
        m_pDocker->ShowIdle();
    const platform::WindowRef self = GetWindowRef();
    // Starting the end's job stops (and joins) the run's worker first.
    m_worker.Start([this, self](const std::atomic<bool> &) {
        if (!marun::EndTestCommands(this))
            return;
        platform::PostMessage(self, UM_MA_RUN_STEP, 0, 0, std::make_shared<std::function<void()>>([this] {
            if (m_pProgress)
                m_pProgress->hide();
            if (m_pDocker)
                m_pDocker->SetSmoothLevelText(QStringLiteral("16"));
        }));
    });
}

LRESULT DlgAidAnalyse::OnSamplingState(WPARAM state)
{
    const char *key = nullptr;
    switch (state) {
    case kStatusUnreadable: key = "IDS_MechanismAnalysisDlg_34"; break;
    case kDriveError: key = "IDS_MechanismAnalysisDlg_35"; break;
    case kBlockFailed: OnBntEndTest(); return 0;
    case kEndRefused:
        if (m_pProgress)
            m_pProgress->hide();
        FinishRun();
        return 0;
    default: return 0;
    }
    // The end of the test first, then its reason, both on the worker so that they come in
    // this order.
    marun::SetRunFlags(false);
    if (m_pDocker)
        m_pDocker->ShowIdle();
    const QString text = Text(key);
    m_worker.Start([this, text](const std::atomic<bool> &) {
        marun::EndTestCommands(this);
        Box(this, text, Text("IDS_MechanismAnalysisDlg_169"));
    });
    return 0;
}

LRESULT DlgAidAnalyse::OnUpdateProgress(WPARAM pos)
{
    if (!marun::s_bMASingleSampRecvData || !m_pProgress)
        return 0;
    if (pos == 0) {
        m_pProgress->show();
        m_pProgress->SetWindowText(Text("IDS_NewScopeView_51"));
    }
    m_pProgress->SetPos(static_cast<int>(pos));
    MA_LOG << "OnUpdateProgress pos:" << int(pos) << " !";
    return 0;
}

void DlgAidAnalyse::OnStopTimer()
{
    // Leaving the page ends a run: its worker stops and the status poll reads freely again.
    const bool wasRunning = marun::s_bMASingleSampRecvData;
    marun::SetRunFlags(false);
    if (m_pDocker)
        m_pDocker->ShowIdle();
    if (m_pProgress)
        m_pProgress->hide();
    CSysParam *sys = GetSysParam();
    if (sys && sys->m_bConnected) {
        m_worker.Start([](const std::atomic<bool> &) { marun::SendAnalysisStop(); });
    } else if (wasRunning) {
        m_worker.Stop();
    }
    if (m_nTimerID != -1)
        KillTimer(static_cast<UINT_PTR>(m_nTimerID));
}

void DlgAidAnalyse::OnDestroy()
{
    CDialogExMid::OnDestroy();
    marun::SetRunFlags(false);
}

void DlgAidAnalyse::StopWorkers()
{
    m_worker.Stop();
    marun::SetRunFlags(false);
}

// ---- Analysis and plotting ----------------------------------------------------------------------

void DlgAidAnalyse::ScanMainResult()
{
    MaResult &r = *m_pMain;
    const int n = Points(r.nCount);
    if (n == 0)
        return;
    r.dGainMax = r.dGainMin = r.gain[0];
    r.dPhaseMax = r.dPhaseMin = r.phase[0];
    bool stopFound = false;
    for (int i = 0; i < n; ++i) {
        r.dGainMax = std::max(r.dGainMax, r.gain[i]);
        r.dGainMin = std::min(r.dGainMin, r.gain[i]);
        r.dPhaseMax = std::max(r.dPhaseMax, r.phase[i]);
        r.dPhaseMin = std::min(r.dPhaseMin, r.phase[i]);
        if (!stopFound && r.gain[i] < kStopGainDb) {
            stopFound = true;
            r.dStopFreq = r.freq[i];
            r.dStopGain = r.gain[i];
        }
    }
}

LRESULT DlgAidAnalyse::OnAnalyse()
{
    if (m_pProgress)
        m_pProgress->hide();
    MaResult &r = *m_pMain;
    r.nAmplitude = m_nRunAmplitude;
    r.nOffset = m_nRunOffset;
    r.freq.fill(0);
    r.phase.fill(0);
    r.gain.fill(0);
    plotix::setSampleWindow(1);
    const int rate = static_cast<int>(GetMaSampleRate());
    int count = 0;
    const int result = MaAnalyseRecord(rate, r.nAmplitude, r.freq.data(), r.gain.data(), r.phase.data(), &count);
    if (result == kMaNoRule) {
        Box(this, FillLangPlaces(Text("IDS_MechanismAnalysisDlg_186"), {QString::number(rate)}),
            Text("IDS_MechanismAnalysisDlg_169"));
        FinishRun();
        return 0;
    }
    if (result != 0) {
        Box(this, FillLangPlaces(Text("IDS_MechanismAnalysisDlg_187"), {QString::number(result)}),
            Text("IDS_MechanismAnalysisDlg_169"));
        FinishRun();
        return 0;
    }
    r.nCount = count;
    r.nSampleRate = rate;
    ScanMainResult();
    PlotMain();
    FinishRun();
    return 0;
}

void DlgAidAnalyse::PlotMain()
{
    const MaResult &r = *m_pMain;
    const int level = MaLeadingInt(m_pDocker->GetSmoothLevelText());
    m_pGainChart->DeleteAllCurves();
    m_pGainChart->ResetView();
    m_pGainChart->update();
    PlotGainCurve(r.freq.data(), r.gain.data(), r.dGainMin, r.dGainMax, r.nCount, false, m_crGain);
    SmoothAndPlot(level);
    m_pPhaseChart->DeleteAllCurves();
    m_pPhaseChart->ResetView();
    m_pPhaseChart->update();
    PlotPhaseCurve(r.freq.data(), r.phase.data(), r.dPhaseMin, r.dPhaseMax, r.nCount, false, m_crPhase);
    SmoothAndPlot(level);
    ApplyCurveSwitches();
}

void DlgAidAnalyse::AxisRange(double min, double max, int divisions, int &low, int &step)
{
    // Values that are not numbers (a library gain of a zero reference) count as the floor.
    if (!std::isfinite(min))
        min = kMaFloorGainDb;
    if (!std::isfinite(max))
        max = min;
    const long long d = divisions > 0 ? divisions : 1;
    const long long span = std::max(0LL, Whole(max - min));
    step = static_cast<int>(((span / d) / 10 + 1) * 10);
    low = static_cast<int>(((Whole(min) - 10) / 10) * 10);
}

void DlgAidAnalyse::PlotCurve(CLHBGraph *chart, const QString &name, const QString &yUnit, const double *freq,
                              const double *values, double min, double max, int count, bool compare,
                              COLORREF colour, bool markAllBelow)
{
    int low = 0;
    int step = 0;
    AxisRange(min, max, chart->m_nYDivisions, low, step);
    chart->AddCurve(name, kFreqUnit, yUnit, colour, float(low), float(step), 0.0f, 100.0f);
    if (compare) {
        if (CLHBCurve *c = FindCurve(chart, name)) {
            c->m_bShowValue = 0;
            c->m_nMarkerSize = 0;
            if (CLHBCurve *main = FindCurve(chart, name == kGainCurveCmp ? kGainCurve : kPhaseCurve))
                c->m_bVisible = main->m_bVisible;
        }
    }
    const int n = Points(count);
    for (int i = 0; i < n; ++i) {
        const bool mark = markAllBelow && values[i] < kStopGainDb;
        chart->AddPoint(name, float(freq[i]), float(values[i]), mark);
    }
    chart->UpdateAxisRange();
    chart->update();
}

void DlgAidAnalyse::PlotGainCurve(const double *freq, const double *gain, double min, double max, int count,
                                  bool compare, COLORREF colour)
{
    PlotCurve(m_pGainChart, compare ? kGainCurveCmp : kGainCurve, kGainUnit, freq, gain, min, max, count, compare,
              colour, !compare);
}

void DlgAidAnalyse::PlotPhaseCurve(const double *freq, const double *phase, double min, double max, int count,
                                   bool compare, COLORREF colour)
{
    PlotCurve(m_pPhaseChart, compare ? kPhaseCurveCmp : kPhaseCurve, kPhaseUnit, freq, phase, min, max, count,
              compare, colour, false);
}

void DlgAidAnalyse::ReplotSmoothed(CLHBGraph *chart, const QString &name, const QString &yUnit, COLORREF colour,
                                   const double *freq, const double *values, double min, double max, int count,
                                   bool markFirstBelow, int divisions, double *stopFreq, double *stopGain)
{
    // A curve its switch hides follows the level too, so that it shows as smoothed as the
    // others when it is switched on again.
    CLHBCurve *curve = FindCurve(chart, name);
    if (!curve)
        return;
    const int display = curve->m_bShowValue;
    const int visible = curve->m_bVisible;
    int low = 0;
    int step = 0;
    AxisRange(min, max, divisions, low, step);
    chart->DeleteCurve(name);
    chart->AddCurve(name, kFreqUnit, yUnit, colour, float(low), float(step), 0.0f, 100.0f);
    if (CLHBCurve *again = FindCurve(chart, name)) {
        again->m_bShowValue = display;
        again->m_bVisible = visible;
    }
    bool marked = false;
    const int n = Points(count);
    for (int i = 0; i < n; ++i) {
        bool mark = false;
        if (markFirstBelow && !marked && values[i] < kStopGainDb) {
            mark = marked = true;
            if (stopFreq)
                *stopFreq = freq[i];
            if (stopGain)
                *stopGain = values[i];
        }
        chart->AddPoint(name, float(freq[i]), float(values[i]), mark);
    }
}

void DlgAidAnalyse::SmoothAndPlot(int level)
{
    if (level > 25 || level < 0 || !m_pGainChart)
        return;
    MaResult &r = *m_pMain;
    const int n = Points(r.nCount);
    const double *gain = r.gain.data();
    const double *phase = r.phase.data();
    if (level != 0) {
        if (plotix::smooth(r.freq.data(), r.gain.data(), r.phase.data(), n, double(level), m_smoothGain.data(),
                           m_smoothPhase.data()) != 0)
            return;
        gain = m_smoothGain.data();
        phase = m_smoothPhase.data();
    }
    const int divisions = m_pGainChart->m_nYDivisions;
    ReplotSmoothed(m_pPhaseChart, kPhaseCurve, kPhaseUnit, m_crPhase, r.freq.data(), phase, r.dPhaseMin,
                   r.dPhaseMax, n, false, divisions, nullptr, nullptr);
    ReplotSmoothed(m_pGainChart, kGainCurve, kGainUnit, m_crGain, r.freq.data(), gain, r.dGainMin, r.dGainMax, n,
                   true, divisions, &r.dStopFreq, &r.dStopGain);
    m_pGainChart->UpdateAxisRange();
    m_pGainChart->update();
    m_pPhaseChart->UpdateAxisRange();
    m_pPhaseChart->update();
}

void DlgAidAnalyse::SmoothAndPlotCompare(int level, int which)
{
    if (level > 25 || level < 0 || !m_pGainChart)
        return;
    CLHBGraph *chart = which ? m_pGainChart : m_pPhaseChart;
    const QString name = which ? kGainCurveCmp : kPhaseCurveCmp;
    if (!FindCurve(chart, name))
        return;
    MaResult &c = *m_pCmp;
    const int n = Points(c.nCount);
    const double *values = which ? c.gain.data() : c.phase.data();
    if (level != 0) {
        if (plotix::smooth(c.freq.data(), c.gain.data(), c.phase.data(), n, double(level), m_smoothGainCmp.data(),
                           m_smoothPhaseCmp.data()) != 0)
            return;
        values = which ? m_smoothGainCmp.data() : m_smoothPhaseCmp.data();
    }
    const MaResult &r = *m_pMain;
    ReplotSmoothed(chart, name, which ? kGainUnit : kPhaseUnit, kCompareColour, c.freq.data(), values,
                   which ? r.dGainMin : r.dPhaseMin, which ? r.dGainMax : r.dPhaseMax, n, false,
                   m_pGainChart->m_nYDivisions, nullptr, nullptr);
    chart->UpdateAxisRange();
    chart->update();
}

LRESULT DlgAidAnalyse::OnSmoothingChanged(const QString &text)
{
    const int level = MaLeadingInt(text);
    m_dSmoothing = level;
    SmoothAndPlot(level);
    SmoothAndPlotCompare(level, 1);
    SmoothAndPlotCompare(level, 0);
    return 0;
}

LRESULT DlgAidAnalyse::OnColourDone()
{
    m_crGain = m_pGainColour->GetColour();
    m_crPhase = m_pPhaseColour->GetColour();
    m_crBack = m_pBackColour->GetColour();
    m_pGainChart->m_crBack = m_crBack;
    if (CLHBCurve *c = FindCurve(m_pGainChart, kGainCurve))
        c->m_crColor = m_crGain;
    if (CLHBCurve *c = FindCurve(m_pPhaseChart, kPhaseCurve))
        c->m_crColor = m_crPhase;
    m_pGainChart->update();
    m_pPhaseChart->update();
    return 0;
}

// ---- Commands -----------------------------------------------------------------------------------

void DlgAidAnalyse::OnShowCoordinates()
{
    if (m_pGainChart->CurveCount() == 0)
        return;
    for (CLHBGraph *chart : {m_pGainChart, m_pPhaseChart}) {
        chart->m_bShowValues = !chart->m_bShowValues;
        chart->SetCurvesFlag(chart->m_bShowValues);
        chart->update();
    }
}

void DlgAidAnalyse::OnShowCutoff()
{
    m_bCutoff = !m_bCutoff;
    m_pGainChart->m_bShowMarkers = m_bCutoff;
    m_pGainChart->update();
}

void DlgAidAnalyse::OnMouseZoom()
{
    const BOOL zoom = m_pPhaseChart->m_bWheelZoom ? FALSE : TRUE;
    m_pGainChart->m_bWheelZoom = zoom;
    m_pPhaseChart->m_bWheelZoom = zoom;
}

void DlgAidAnalyse::OnSidebar()
{
    m_bDockerShown = m_bDockerShown ? 0 : 1;
    m_pDocker->setVisible(m_bDockerShown);
    OnSize(width(), height());
}

void DlgAidAnalyse::ShowCurve(CLHBGraph *chart, const QString &name, bool on)
{
    if (!chart)
        return;
    const QString compare = name == kGainCurve ? kGainCurveCmp : kPhaseCurveCmp;
    for (const QString &n : {name, compare})
        if (CLHBCurve *c = FindCurve(chart, n))
            c->m_bVisible = on ? 1 : 0;
    chart->update();
}

void DlgAidAnalyse::ApplyCurveSwitches()
{
    ShowCurve(m_pGainChart, kGainCurve, m_pGainCheck->isChecked());
    ShowCurve(m_pPhaseChart, kPhaseCurve, m_pPhaseCheck->isChecked());
}

int DlgAidAnalyse::Scaled(int px) const
{
    return px * logicalDpiX() / 96;
}

void DlgAidAnalyse::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_pDocker || !m_pGainChart)
        return;
    const int panel = Scaled(m_bDockerShown ? 200 : 10);
    const QRect client = rect();
    m_pDocker->setGeometry(client.right() + 1 - panel, client.top(), panel, client.height());
    m_pDocker->show();
    m_pDocker->update();
    const int L = client.left();
    const int T = client.top();
    const int R = client.right() + 1 - panel;
    const int row = Scaled(26);
    const int B = client.bottom() + 1 - row;
    // The charts' names left of them, as wide as the names are in the language.
    const int names = std::max({26, m_pGainLabel->sizeHint().width(), m_pPhaseLabel->sizeHint().width()});
    const int chartLeft = L + names + 4;
    const int w = std::max(0, R - 20 - chartLeft);
    const int h = std::max(0, (B - (T + 11) - 20) / 2 - 3);
    m_pGainChart->setGeometry(chartLeft, T + 11, w, h);
    m_pPhaseChart->setGeometry(chartLeft, T + 11 + h + 20, w, h);
    m_pGainLabel->setGeometry(L + 2, T + 11 + h / 4, names, 40);
    m_pPhaseLabel->setGeometry(L + 2, T + 11 + h + 20 + h / 4, names, 40);
    // The row of switches and colours under the phase chart, each as wide as its text.
    int x = L + 30;
    const int y = B + Scaled(2);
    const int hRow = row - Scaled(4);
    auto place = [&](QWidget *wgt, int width) {
        wgt->setGeometry(x, y, width, hRow);
        wgt->show();
        x += width + Scaled(6);
    };
    place(m_pGainCheck, m_pGainCheck->sizeHint().width());
    place(m_pGainColour, Scaled(44));
    x += Scaled(12);
    place(m_pPhaseCheck, m_pPhaseCheck->sizeHint().width());
    place(m_pPhaseColour, Scaled(44));
    x += Scaled(12);
    place(m_pBackLabel, m_pBackLabel->sizeHint().width());
    place(m_pBackColour, Scaled(44));
    if (m_pProgress) {
        const QPoint c = m_pGainChart->rect().center();
        m_pProgress->setGeometry(c.x() - 200, c.y() - 40, 400, 70);
    }
    if (m_bResultShown)
        PlotMain();
}

void DlgAidAnalyse::OnSave()
{
    if (!FindCurve(m_pGainChart, kGainCurve) && !FindCurve(m_pPhaseChart, kPhaseCurve))
        return;
    platform::FileDialogRequest request;
    request.save = true;
    request.title = Text("IDS_MechanismAnalysisDlg_49");
    request.filter = QStringLiteral("QZ Operator MA Scope Files(*.msf)|*.msf|Bitmap Files(*.bmp)|*.bmp|All Files(*.*)|*.*||");
    request.defaultExt = QStringLiteral("msf");
    request.overwritePrompt = false;
    request.owner = this;
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    if (!path || path->isEmpty())
        return;
    if (QFileInfo::exists(*path) &&
        Box(this, Text("IDS_NewScopeView_38"), Text("IDS_NewScopeView_39"), MB_YESNO) != IDYES)
        return;
    const int dot = path->lastIndexOf('.');
    const QString ext = dot < 0 ? QString() : path->mid(dot);
    if (ext.compare(QStringLiteral(".bmp"), Qt::CaseInsensitive) == 0) {
        m_pGainChart->SaveBitmap(*path);
        return;
    }
    if (ext.compare(QStringLiteral(".msf"), Qt::CaseInsensitive) != 0)
        return;
    if (!SaveMsfFile(*path, *m_pMain))
        Box(this, Text("IDS_MechanismAnalysisDlg_50"), QString());
}

bool DlgAidAnalyse::LoadResult(MaResult &into)
{
    platform::FileDialogRequest request;
    request.title = Text("IDS_MechanismAnalysisDlg_115");
    request.filter = QStringLiteral("QZ Operator MA Scope Files(*.msf)|*.msf|All Files(*.*)|*.*||");
    request.defaultExt = QStringLiteral("msf");
    request.fileMustExist = true;
    request.owner = this;
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    if (!path || path->isEmpty())
        return false;
    auto loaded = std::make_unique<MaResult>();
    if (LoadMsfFile(*path, *loaded) != MsfLoad::Ok) {
        Box(this, Text("IDS_MechanismAnalysisDlg_116"), QString());
        return false;
    }
    into = *loaded;
    return true;
}

void DlgAidAnalyse::OnOpen()
{
    if (!LoadResult(*m_pMain))
        return;
    m_bResultShown = true;
    PlotMain();
    m_pGainCheck->setChecked(true);
    m_pPhaseCheck->setChecked(true);
}

void DlgAidAnalyse::OnCompare()
{
    if (m_pGainChart->CurveCount() == 0) {
        Box(this, Text("IDS_MechanismAnalysisDlg_54"), QString());
        return;
    }
    if (!LoadResult(*m_pCmp))
        return;
    const MaResult &c = *m_pCmp;
    const int level = MaLeadingInt(m_pDocker->GetSmoothLevelText());
    m_pGainChart->DeleteCurve(kGainCurveCmp);
    PlotGainCurve(c.freq.data(), c.gain.data(), c.dGainMin, c.dGainMax, c.nCount, true, kCompareColour);
    m_pGainChart->ResetView();
    SmoothAndPlotCompare(level, 1);
    m_pPhaseChart->DeleteCurve(kPhaseCurveCmp);
    PlotPhaseCurve(c.freq.data(), c.phase.data(), c.dPhaseMin, c.dPhaseMax, c.nCount, true, kCompareColour);
    m_pPhaseChart->ResetView();
    SmoothAndPlotCompare(level, 0);
}

void DlgAidAnalyse::OnSetNotch()
{
    // Made once and kept: the drive is read when the dialog is made, and later commands show the
    // rows as the user left them.
    if (!m_pNotch) {
        m_pNotch = new CSetXBQ(this);
        m_pNotch->Create(nullptr);
    }
    m_pNotch->show();
    m_pNotch->raise();
}

void DlgAidAnalyse::contextMenuEvent(QContextMenuEvent *e)
{
    const QPoint pos = e->pos();
    if (!m_pGainChart->geometry().contains(pos) && !m_pPhaseChart->geometry().contains(pos))
        return;
    if (QMenu *menu = platform::CreateContextMenu(kMenuName, this)) {
        ShowPopupMenu(this, menu, e->globalPos().x(), e->globalPos().y());
        menu->deleteLater();
    }
}

void DlgAidAnalyse::showEvent(QShowEvent *e)
{
    CDialogExMid::showEvent(e);
    if (!GetAppFlags()->m_bIsDangerAnalyseWnd && !m_bTipPending) {
        m_bTipPending = true;
        QTimer::singleShot(0, this, [this] { ShowSafetyTip(); });
    }
}

void DlgAidAnalyse::ShowSafetyTip()
{
    m_bTipPending = false;
    if (!isVisible() || GetAppFlags()->m_bIsDangerAnalyseWnd)
        return;
    CDlgShowTip tip(this);
    tip.m_strImagePath = QFileInfo(GetProgramDir()).dir().filePath(QStringLiteral("CommonRes/AlarmInfoRes/DLGAIDANALYZE.png"));
    tip.m_pDontShowAgain = &GetAppFlags()->m_bIsDangerAnalyseWnd;
    tip.DoModal();
}
