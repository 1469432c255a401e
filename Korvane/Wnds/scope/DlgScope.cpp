#include "Wnds/scope/DlgScope.h"

#include "LangText.h"
#include "PathHelpers.h"
#include "PopupMenu.h"
#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "Wnds/scope/DlgScopeDocker.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/ScopeThreads.h"
#include "controls/MyProgressCtrl.h"
#include "platform/ContextMenus.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

namespace {

const char *const kLog = "Wnds\\scope\\DlgScope";
const QString kMenuName = QStringLiteral("CDlgScope");

QString Lang(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

CScopeSettings &Settings()
{
    return *CScopeSettings::GetInstance();
}

bool RollRunning()
{
    return Settings().m_bRollRunning != 0;
}

}

CDlgScope::CDlgScope(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgScope");
    m_fnMainStatusTimer = [](bool run) {
        auto *frame = dynamic_cast<platform::MessageTarget *>(platform::MainWindow());
        if (!frame)
            return;
        if (run)
            frame->SetTimer(kMainStatusTimer, kMainStatusMs);
        else
            frame->KillTimer(kMainStatusTimer);
    };
    m_fnRestartShownPageTimer = [this] {
        if (QWidget *view = parentWidget())
            platform::SendMessage(platform::WindowRef(view), UM_RESTART_PAGE_TIMER);
    };
    BuildControls();
}

CDlgScope::~CDlgScope()
{
    if (IsCreated())
        DestroyWindow();
}

void CDlgScope::BuildControls()
{
    // The template's command buttons and channel boxes are reached through the side panel,
    // the context menu and the sampling panel; they stay out of sight and keep the commands'
    // states.
    struct Hidden {
        int id;
        const char *text;
    };
    const Hidden buttons[] = {{IDC_OPEN, "打开"},         {IDC_SAVE, "保存"},         {IDC_COMPARE, "波形对比"},
                              {IDC_1182, ""},             {IDC_COORD_TIP, "坐标"},     {IDC_RANGE_MANUAL, "放大"},
                              {IDC_RANGE_AUTO, "缩小"},   {IDC_START, "开始"},         {IDC_STOP, "停止"},
                              {IDC_SIDEBAR, "侧边栏"},    {IDC_CACHE_PATH, "缓存路径"}};
    for (const Hidden &h : buttons) {
        auto *b = new QPushButton(QString::fromUtf8(h.text), this);
        platform::SetCtrlId(b, h.id);
        b->hide();
        const int id = h.id;
        connect(b, &QPushButton::clicked, this, [this, id] { platform::SendMessage(this, WM_COMMAND, WPARAM(id), 0); });
    }
    for (int k = 0; k < 4; ++k) {
        auto *c = new QCheckBox(QStringLiteral("CH%1").arg(k + 1), this);
        platform::SetCtrlId(c, kChannelBoxIds[k]);
        c->hide();
    }
    Button(IDC_STOP)->setEnabled(false);

    m_scroll = new QScrollBar(Qt::Horizontal, this);
    platform::SetCtrlId(m_scroll, IDC_SCROLL);
    connect(m_scroll, &QScrollBar::actionTriggered, this, [this](int action) {
        using scopepage::ScrollRequest;
        ScrollRequest r = ScrollRequest::Other;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: r = ScrollRequest::LineLeft; break;
        case QAbstractSlider::SliderSingleStepAdd: r = ScrollRequest::LineRight; break;
        case QAbstractSlider::SliderPageStepSub: r = ScrollRequest::PageLeft; break;
        case QAbstractSlider::SliderPageStepAdd: r = ScrollRequest::PageRight; break;
        case QAbstractSlider::SliderMove: r = ScrollRequest::Thumb; break;
        default: break;
        }
        OnHScroll(r, m_scroll->sliderPosition());
        // The bar shows where the page put it, not where Qt's own step would have.
        m_scroll->setSliderPosition(m_nScrollPos);
    });

    m_progress = new CMyProgressCtrl(this, true);
    platform::SetCtrlId(m_progress, IDC_PROGRESS);
    m_progress->hide();

    m_setNoTranslateIds.insert(UINT(IDC_PROGRESS));

    platform::AddContextMenu(kMenuName, kContextMenuRes,
                             {{QStringLiteral("打开"), IDC_OPEN},
                              {QStringLiteral("保存"), IDC_SAVE},
                              {QStringLiteral("鼠标放大/缩小"), ID_MOUSE_ZOOM},
                              {QStringLiteral("显示坐标提示"), IDC_COORD_TIP},
                              {QStringLiteral("波形对比"), IDC_COMPARE},
                              {QStringLiteral("侧边栏"), IDC_SIDEBAR},
                              {QStringLiteral("显示多Y轴"), ID_MULTI_AXIS},
                              {QStringLiteral("缓存路径"), ID_CACHE_PATH}});
    SetCommandUpdateHandler(IDC_COORD_TIP, [this](platform::CmdUi &ui) { ui.SetCheck(m_scope.m_bShowCoordTip ? 1 : 0); });
    SetCommandUpdateHandler(ID_MOUSE_ZOOM, [this](platform::CmdUi &ui) {
        ui.SetCheck(m_scope.parentWidget() && m_scope.m_bMouseZoom ? 1 : 0);
    });
    SetCommandUpdateHandler(IDC_COMPARE, [this](platform::CmdUi &ui) {
        ui.Enable(!RollRunning());
        ui.SetCheck(m_bHistoryCompare ? 1 : 0);
    });
    for (int id : {int(IDC_OPEN), int(IDC_SAVE), int(IDC_CACHE_PATH), int(ID_CACHE_PATH)})
        SetCommandUpdateHandler(id, [](platform::CmdUi &ui) { ui.Enable(!RollRunning()); });
    for (int id : {int(IDC_1182), int(IDC_RANGE_MANUAL), int(IDC_RANGE_AUTO)})
        SetCommandUpdateHandler(id, [](platform::CmdUi &ui) { ui.Enable(Settings().m_bHasData && !RollRunning()); });
}

QPushButton *CDlgScope::Button(int id) const
{
    return qobject_cast<QPushButton *>(platform::FindCtrl(const_cast<CDlgScope *>(this), id));
}

QCheckBox *CDlgScope::ChannelBox(int k) const
{
    if (k < 1 || k > 4)
        return nullptr;
    return qobject_cast<QCheckBox *>(platform::FindCtrl(const_cast<CDlgScope *>(this), kChannelBoxIds[k - 1]));
}

CDlgSocpeParam *CDlgScope::Panel() const
{
    return m_pDocker ? m_pDocker->ScopeParam() : nullptr;
}

int CDlgScope::Scaled(int px) const
{
    return px * logicalDpiX() / 96;
}

int CDlgScope::DockerWidth() const
{
    return m_bSidebar ? Scaled(kDockerWidth) : 0;
}

// ---- initialisation and layout ----------------------------------------------------------------

bool CDlgScope::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    TranslateViewControls(this);
    KLOG(kLog) << "Create scope";
    m_scope.Create(QString(), QRect(), this, CVScope::kCtrlId);
    m_scope.show();
    KLOG(kLog) << "end create scope";
    m_scope.m_bShowCoordTip = 1;
    m_nScrollMax = 0;
    m_nScrollPage = 10;
    m_nScrollPos = 0;
    m_scroll->setRange(0, 0);
    m_scroll->setPageStep(10);
    m_scroll->setValue(0);
    m_progress->setWindowTitle(QString());
    const int blocks = 2 * Settings().m_nSampleWords / 128;
    m_progress->SetRange(0, blocks);
    PlaceProgress();
    m_progress->hide();
    KLOG(kLog) << "InitDockerDlg";
    InitDockerDlg();
    KLOG(kLog) << "EndInitDialog";
    RecalcLayout();
    return true;
}

void CDlgScope::InitDockerDlg()
{
    m_pDocker = new CDlgScopeDocker(this, this);
    m_pDocker->Create(this);
    m_pDocker->setGeometry(0, 0, Scaled(kDockerWidth), height());
    m_pDocker->show();
}

void CDlgScope::OnDestroy()
{
    if (m_pDocker && m_pDocker->IsCreated())
        m_pDocker->DestroyWindow();
    CDialogExMid::OnDestroy();
}

void CDlgScope::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    RecalcLayout();
    PlaceProgress();
}

void CDlgScope::RecalcLayout()
{
    if (!m_scope.parentWidget())
        return;
    QRect rc = rect();
    if (m_pDocker) {
        const int w = DockerWidth();
        m_pDocker->setGeometry(rc.right() + 1 - w, rc.top(), w, rc.height());
        m_pDocker->setVisible(m_bSidebar != 0);
        m_pDocker->update();
        rc.setRight(rc.right() - w);
    }
    // The scroll bar runs under the view.
    const int bar = m_scroll->sizeHint().height();
    m_scroll->setGeometry(rc.left(), rc.bottom() + 1 - bar, rc.width(), bar);
    rc.setBottom(rc.bottom() - bar);
    const int w = rc.width() - rc.width() % 10;
    const int h = rc.height() - rc.height() % 10;
    m_scope.setGeometry(rc.left(), rc.top(), std::max(w, 0), std::max(h, 0));
    m_scope.CalcLayout();
    m_scope.ResetCursorPositions();
    m_scope.update();
}

void CDlgScope::PlaceProgress()
{
    const QPoint c = m_scope.geometry().center();
    m_progress->setGeometry(QRect(QPoint(c.x() - Scaled(200), c.y() - Scaled(40)),
                                  QPoint(c.x() + Scaled(200), c.y() + Scaled(30))));
}

// ---- start and stop ------------------------------------------------------------------------------

void CDlgScope::SetStartStopButtons(bool running)
{
    Button(IDC_START)->setEnabled(!running);
    Button(IDC_STOP)->setEnabled(running);
}

int CDlgScope::StartSampling()
{
    if (m_fnMainStatusTimer)
        m_fnMainStatusTimer(false);
    SetStartStopButtons(true);
    CDlgSocpeParam *panel = Panel();
    if (!panel)
        return 1;
    const int r = panel->StartSampling();
    if (r < 0)
        OnStartRefused(r);
    return r >= 0 ? 1 : 0;
}

void CDlgScope::OnStartRefused(int result)
{
    if (result >= 0)
        return;
    if (result == -1)
        platform::Ui().MessageBox(platform::TrText(QStringLiteral("请连接串口！")), platform::TrText(QStringLiteral("示波器")), MB_OK, this);
    else if (result == -3)
        platform::Ui().MessageBox(platform::TrText(QStringLiteral("请选择通道！")), platform::TrText(QStringLiteral("示波器")), MB_OK, this);
    SetStartStopButtons(false);
    // Nothing captures: the status poll may use the link again (a drive plugged in later is
    // found by it).
    if (m_fnMainStatusTimer)
        m_fnMainStatusTimer(true);
}

int CDlgScope::StopSampling()
{
    CSysParam *sys = GetSysParam();
    const bool connected = sys && sys->m_bConnected;
    if (!connected)
        platform::Ui().MessageBox(platform::TrText(QStringLiteral("请连接串口！")), platform::TrText(QStringLiteral("参数写入")), MB_OK, this);
    // Without a link the capture still ends here: its flags, its thread and the buttons.
    int r = 0;
    if (CDlgSocpeParam *panel = Panel())
        r = panel->StopSampling();
    SetStartStopButtons(false);
    SaveCaptureToHistory();
    if (m_fnMainStatusTimer)
        m_fnMainStatusTimer(true);
    if (m_fnRestartShownPageTimer)
        m_fnRestartShownPageTimer();
    return connected && r >= 0 ? 1 : 0;
}

void CDlgScope::StopForEmergency()
{
    CDlgSocpeParam *panel = Panel();
    if (!panel)
        return;
    const bool running = panel->Capturing();
    panel->StopSampling();
    if (panel->IndicatorRunning())
        panel->ToggleSampleIndicator();
    SetStartStopButtons(false);
    if (running && m_fnMainStatusTimer)
        m_fnMainStatusTimer(true);
}

LRESULT CDlgScope::OnStopTimer()
{
    if (CDlgSocpeParam *panel = Panel()) {
        panel->StopIndicator();
        panel->StopSampling();
        SetStartStopButtons(false);
    }
    if (m_fnMainStatusTimer)
        m_fnMainStatusTimer(true);
    if (m_nTimerID != -1)
        KillTimer(UINT_PTR(m_nTimerID));
    return 0;
}

// ---- capture messages --------------------------------------------------------------------------

LRESULT CDlgScope::OnCaptureDone(WPARAM, LPARAM)
{
    CDlgSocpeParam *panel = Panel();
    if (!panel)
        return 0;
    panel->RedrawCapture();
    panel->EnableSingleControls(true);
    SetStartStopButtons(false);
    m_progress->hide();
    g_bScopeSingleBusy = 0;
    SaveCaptureToHistory();
    if (m_fnMainStatusTimer)
        m_fnMainStatusTimer(true);
    return 0;
}

void CDlgScope::OnCaptureFailed(bool linkLost)
{
    SetStartStopButtons(false);
    m_progress->hide();
    // Every end of a capture gives the link back to the status poll, before any box: the
    // status bar must not call a lost link online for as long as the box stays open.
    if (linkLost) {
        if (CSysParam *sys = GetSysParam())
            sys->m_bConnected = FALSE;
    }
    if (m_fnMainStatusTimer)
        m_fnMainStatusTimer(true);
    if (linkLost)
        platform::Ui().MessageBox(TrText(QStringLiteral("通讯中断，示波器采样已停止！")), TrText(QStringLiteral("示波器")),
                                  MB_OK, this);
}

LRESULT CDlgScope::OnCaptureProgress(WPARAM wParam, LPARAM)
{
    m_progress->SetWindowText(Lang("IDS_NewScopeView_66"));
    m_progress->SetPos(static_cast<int>(wParam));
    return 0;
}

void CDlgScope::SetCaptureProgress(const QString &text, int pos, bool show)
{
    m_progress->SetRange(0, 2 * Settings().m_nSampleWords / 128);
    m_progress->SetWindowText(text);
    m_progress->SetPos(pos);
    m_progress->setVisible(show);
    if (show)
        m_progress->raise();
}

// ---- history and files -------------------------------------------------------------------------

void CDlgScope::SaveCaptureToHistory()
{
    // A capture without samples is no capture: it neither takes nor pushes out a place.
    if (m_scope.GetSampleCount() <= 0)
        return;
    const QString dir = GetHistoryDataDir();
    if (dir.isEmpty())
        return;
    const QString path = dir + QLatin1Char('/') + scopepage::HistoryFileName(QDateTime::currentDateTime());
    if (!SaveCaptureFile(path, 1))
        return;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    const QString drop = scopepage::HistoryFileToDrop(names);
    if (!drop.isEmpty())
        QFile::remove(dir + QLatin1Char('/') + drop);
}

int CDlgScope::SaveCaptureFile(const QString &path, int nKind)
{
    return m_pDocker ? m_pDocker->SaveWaveFile(path, nKind) : 0;
}

int CDlgScope::LoadCaptureFile(const QString &path)
{
    return m_pDocker ? m_pDocker->OpenWaveFile(path) : 0;
}

int CDlgScope::LoadCompareFile(const QString &path)
{
    if (!m_pDocker || !m_pDocker->OpenCompareFile(path))
        return 0;
    m_scope.m_bCompare = 1;
    m_scope.update();
    return 1;
}

int CDlgScope::LoadWaveFile(const QString &path)
{
    if (m_bHistoryCompare) {
        m_scope.m_bCompare = 0;
        m_bHistoryCompare = 0;
    }
    if (!QFileInfo::exists(path))
        return 0;
    if (!LoadCompareFile(path))
        return 0;
    m_bHistoryCompare = 1;
    return 1;
}

QString CDlgScope::StartFolder() const
{
    // Without a stored folder the dialogs open in the program's own folder.
    return platform::IniFile::GetPath(GetModulePath(QStringLiteral("path.ini")), QStringLiteral("Path"),
                                      QStringLiteral("VirtualScopePath"), GetProgramDir());
}

void CDlgScope::RefreshCursorDialog()
{
    if (!m_pDocker)
        return;
    if (QWidget *cursor = m_pDocker->GetCursorDialog())
        platform::SendMessage(platform::WindowRef(static_cast<QObject *>(cursor)), UM_SCOPE_CURSOR_REFRESH, 0, 0);
}

void CDlgScope::OnOpenCapture()
{
    platform::FileDialogRequest request;
    request.title = Lang("IDS_NewScopeView_34");
    request.filter = QStringLiteral("QZ Operator Scope Files(*.csv)|*.csv|Text Files(*.txt)|*.txt|All Files(*.*)|*.*||");
    request.initialDir = StartFolder();
    request.fileMustExist = true;
    request.owner = this;
    const std::optional<QString> chosen = platform::Ui().FileDialog(request);
    if (m_scope.m_bZoomed)
        m_scope.SetZoomed(FALSE);
    m_scope.m_bCompare = 0;
    const QString path = chosen.value_or(QString());
    if (scopepage::ExtensionOf(path).toLower() == QLatin1String(".csv") && !LoadCaptureFile(path)) {
        platform::Ui().MessageBox(Lang("IDS_NewScopeView_36"), Lang("IDS_NewScopeView_35"), MB_OK, this);
        return;
    }
    if (parentWidget())
        parentWidget()->setWindowTitle(path);
    for (int k = 1; k <= 4; ++k)
        ChannelBox(k)->setChecked(true);
    RefreshCursorDialog();
}

void CDlgScope::OnSaveCapture()
{
    platform::FileDialogRequest request;
    request.save = true;
    request.defaultExt = QStringLiteral("csv");
    request.title = Lang("IDS_NewScopeView_37");
    request.filter = QStringLiteral("QZ Operator Scope Files(*.csv)|*.csv|Bitmap Files(*.bmp)|*.bmp|All Files(*.*)|*.*||");
    request.initialDir = StartFolder();
    request.overwritePrompt = false;  // the page asks itself
    request.owner = this;
    const std::optional<QString> chosen = platform::Ui().FileDialog(request);
    if (!chosen)
        return;
    const QString &path = *chosen;
    if (QFileInfo::exists(path) &&
        platform::Ui().MessageBox(Lang("IDS_NewScopeView_38"), Lang("IDS_NewScopeView_39"), MB_YESNO, this) != IDYES)
        return;
    // "A.CSV" is as much a capture file as "a.csv".
    const QString ext = scopepage::ExtensionOf(path).toLower();
    if (ext == QLatin1String(".bmp"))
        m_scope.SaveToBmp(path);
    else if (ext == QLatin1String(".csv"))
        SaveCaptureFile(path, scopepage::CaptureKindOfCount(m_scope.GetSampleCount()));
}

void CDlgScope::OnCompare()
{
    if (m_bHistoryCompare) {
        m_scope.m_bCompare = 0;
        m_scope.update();
        m_bHistoryCompare = 0;
        return;
    }
    if (m_scope.GetSampleCount() == 0) {
        platform::Ui().MessageBox(Lang("IDS_NewScopeView_40"), QString(), MB_OK, this);
        return;
    }
    platform::FileDialogRequest request;
    request.title = Lang("IDS_NewScopeView_42");
    request.filter = QStringLiteral("QZ Operator Scope Files(*.csv)|*.csv|All Files(*.*)|*.*||");
    request.initialDir = StartFolder();
    request.fileMustExist = true;
    request.owner = this;
    const std::optional<QString> chosen = platform::Ui().FileDialog(request);
    if (!chosen || scopepage::ExtensionOf(*chosen).toLower() != QLatin1String(".csv"))
        return;
    if (LoadCompareFile(*chosen))
        m_bHistoryCompare = 1;
}

// ---- range, display and scrolling ----------------------------------------------------------------

void CDlgScope::OnRangeManual()
{
    QPushButton *manual = Button(IDC_RANGE_MANUAL);
    if (!manual->isEnabled()) {
        OnRangeAuto();
        return;
    }
    m_scope.SetZoomed(TRUE);
    if (CDlgSocpeParam *panel = Panel()) {
        panel->CheckChannelBits();
        panel->TimeDivList()->setEnabled(false);
    }
    m_bScrollEnabled = false;
    m_scroll->setEnabled(false);
    manual->setEnabled(false);
}

void CDlgScope::OnRangeAuto()
{
    m_scope.SetZoomed(FALSE);
    if (CDlgSocpeParam *panel = Panel()) {
        panel->CheckChannelBits();
        panel->TimeDivList()->setEnabled(Settings().m_bHasData != 0);
    }
    m_scope.m_bMouseZoom = 0;
    m_scope.SetZoomed(FALSE);
    m_bScrollEnabled = true;
    m_scroll->setEnabled(true);
    Button(IDC_RANGE_MANUAL)->setEnabled(true);
}

void CDlgScope::OnToggleCoordTip()
{
    m_scope.m_bShowCoordTip = !m_scope.m_bShowCoordTip;
    m_scope.update();
}

void CDlgScope::OnToggleMouseZoom()
{
    m_scope.m_bMouseZoom = !m_scope.m_bMouseZoom;
    m_scope.SetZoomed(m_scope.m_bMouseZoom);
}

void CDlgScope::OnToggleMultiAxis()
{
    m_bMultiAxis = !m_bMultiAxis;
    for (int i = 1; i < 4; ++i)
        m_scope.Channels().m_ch[i].m_bShowAxis = m_bMultiAxis;
    m_scope.update();
}

void CDlgScope::OnToggleSidebar()
{
    m_bSidebar = !m_bSidebar;
    if (m_pDocker)
        m_pDocker->setVisible(m_bSidebar != 0);
    OnSize(width(), height());
}

void CDlgScope::OnRefreshZoom()
{
    if (m_scope.m_bZoomed) {
        OnRangeAuto();
        OnRangeManual();
    }
    if (m_scope.m_nCursorMode == 1 || m_scope.m_nCursorMode == 2)
        platform::SendMessage(this, UM_VSCOPE_NOTIFY, 0, 0);
}

void CDlgScope::UpdateScrollRange(int n)
{
    m_nScrollMax = std::max(m_scope.GetSampleCount() - 1, 0);
    m_nScrollPage = 10 * n;
    const int limit = scopepage::ScrollLimit(0, m_nScrollMax, m_nScrollPage);
    m_nScrollPos = std::clamp(m_nScrollPos, 0, limit);
    const QSignalBlocker block(m_scroll);
    m_scroll->setRange(0, limit);
    m_scroll->setPageStep(std::max(m_nScrollPage, 1));
    m_scroll->setValue(m_nScrollPos);
}

void CDlgScope::OnHScroll(scopepage::ScrollRequest request, int thumb)
{
    const int limit = scopepage::ScrollLimit(0, m_nScrollMax, m_nScrollPage);
    const int step = (m_scope.m_nXLast - m_scope.m_nXFirst) / 10;
    const scopepage::ScrollMove m = scopepage::ScrollStep(request, m_nScrollPos, limit, step, thumb);
    if (m.moves) {
        m_nScrollPos = m.pos;
        if (m.toThumb) {
            const int width = m_scope.m_nXLast - m_scope.m_nXFirst;
            m_scope.SetXWindow(m.pos, m.pos + width);
        } else if (m.left > 0) {
            m_scope.ScrollXLeft(m.left);
        } else if (m.right > 0) {
            m_scope.ScrollXRight(m.right);
        }
        m_scope.update();
        const QSignalBlocker block(m_scroll);
        m_scroll->setValue(m_nScrollPos);
    }
    RefreshCursorDialog();
}

void CDlgScope::contextMenuEvent(QContextMenuEvent *e)
{
    if (!m_scope.geometry().contains(e->pos()))
        return;
    if (QMenu *menu = platform::CreateContextMenu(kMenuName, this)) {
        ShowPopupMenu(this, menu, e->globalPos().x(), e->globalPos().y());
        menu->deleteLater();
    }
}

// ---- messages ------------------------------------------------------------------------------------

LRESULT CDlgScope::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        if (m_pDocker)
            platform::SendMessage(m_pDocker, UM_PAGE_ACTIVATE, wParam, lParam);
        return 0;
    case UM_STOP_TIMER: return OnStopTimer();
    case UM_SCOPE_CAPTURE_DONE: return OnCaptureDone(wParam, lParam);
    case UM_SCOPE_PROGRESS: return OnCaptureProgress(wParam, lParam);
    case UM_SCOPE_ROLL_FRAME:
        // The lost count goes on as the thread counted it.
        if (CDlgSocpeParam *panel = Panel())
            panel->OnRollFrame(wParam, lParam, Payload<ScopeRollFrame>().get());
        return 0;
    case UM_VSCOPE_NOTIFY: RefreshCursorDialog(); return 0;
    case UM_VSCOPE_RCLICK:
    case UM_VSCOPE_LCLICK:
    case 0x1801: return 0;
    case WM_COMMAND:
        switch (int(LOWORD(wParam))) {
        case IDC_START: StartSampling(); return 0;
        case IDC_STOP: StopSampling(); return 0;
        case IDC_OPEN: OnOpenCapture(); return 0;
        case IDC_SAVE: OnSaveCapture(); return 0;
        case IDC_COMPARE: OnCompare(); return 0;
        case IDC_RANGE_MANUAL: OnRangeManual(); return 0;
        case IDC_RANGE_AUTO: OnRangeAuto(); return 0;
        case IDC_COORD_TIP: OnToggleCoordTip(); return 0;
        case ID_MOUSE_ZOOM: OnToggleMouseZoom(); return 0;
        case ID_MULTI_AXIS: OnToggleMultiAxis(); return 0;
        case IDC_SIDEBAR: OnToggleSidebar(); return 0;
        case ID_REFRESH_ZOOM: OnRefreshZoom(); return 0;
        case IDC_1182:
        case IDC_CACHE_PATH: return 0;
        default: break;
        }
        break;
    default: break;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}
