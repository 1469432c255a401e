#include "DlgAidJogMove.h"
#include "database/ParamValueText.h"

#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/auxFunction/AidSafetyPrompt.h"
#include "controls/IntRangeEdit.h"
#include "controls/JOGButton.h"
#include "controls/KVProcessIndicator.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>

namespace {

template <class W>
W *Place(W *w, int id, const QRect &dlu)
{
    platform::SetCtrlId(w, id);
    w->setGeometry(CDialogExMid::MapDialogRect(dlu));
    return w;
}

void SetFace(QPushButton *b, bool green)
{
    b->setStyleSheet(green ? QStringLiteral("background-color: rgb(0,255,0);")
                           : QStringLiteral("background-color: rgb(255,0,0);"));
}

bool Online() { return GetAppFlags()->m_bOnline; }

}  // namespace

CDlgAidJogMove::CDlgAidJogMove() : CDialogExMid(IDD)
{
    resize(MapDialogRect(QRect(0, 0, 489, 333)).size());
    m_pEnable = Place(new QPushButton(TrText(QStringLiteral("使能")), this), IDC_ENABLE, {17, 8, 356, 24});
    m_pForwardBtn = Place(new CJOGButton(this), IDC_FORWARD_BUTTON, {17, 34, 68, 12});
    m_pForwardBtn->setText(TrText(QStringLiteral("正转")));
    m_pReverseBtn = Place(new CJOGButton(this), IDC_REVERSE_BUTTON, {89, 35, 68, 11});
    m_pReverseBtn->setText(TrText(QStringLiteral("反转")));
    for (CJOGButton *b : {m_pForwardBtn, m_pReverseBtn}) {
        b->hide();
        b->setEnabled(false);
    }
    m_pForward = Place(new CKVProcessIndicator(this), IDC_FORWARD, {17, 47, 165, 165});
    m_pReverse = Place(new CKVProcessIndicator(this), IDC_REVERSE, {208, 47, 165, 165});
    Place(new QLabel(TrText(QStringLiteral("手动速度：")), this), 2018, {17, 235, 41, 14});
    m_pSpeedEdit = Place(new CIntRangeEdit(this), IDC_SPEED_EDIT, {58, 235, 48, 14});
    m_pSpeedGauge = Place(new QSlider(Qt::Horizontal, this), IDC_SPEED_GAUGE, {113, 232, 243, 20});
    m_pSpeedText = Place(new QLabel(QStringLiteral("0 rpm"), this), IDC_SPEED_TEXT, {368, 235, 69, 14});
    Place(new QLabel(TrText(QStringLiteral("加速时间:")), this), 2019, {17, 274, 40, 14});
    m_pAccelEdit = Place(new CIntRangeEdit(this), IDC_ACCEL_EDIT, {58, 274, 48, 14});
    m_pAccelGauge = Place(new QSlider(Qt::Horizontal, this), IDC_ACCEL_GAUGE, {113, 270, 243, 20});
    m_pAccelText = Place(new QLabel(QStringLiteral("0 ms"), this), IDC_ACCEL_TEXT, {368, 273, 61, 14});
    for (CIntRangeEdit *e : {m_pSpeedEdit, m_pAccelEdit})
        e->installEventFilter(this);
    m_pEnable->setToolTip(TrText(QStringLiteral("伺服使能")));
    m_pForward->setToolTip(TrText(QStringLiteral("电机正转")));
    m_pReverse->setToolTip(TrText(QStringLiteral("电机反转")));

    m_run.SetLostHandler([this] {
        ShowSwitchedOff();
        Box(LoadLangString(QStringLiteral("IDS_UsabilityJog_131")), LoadLangString(QStringLiteral("IDS_UsabilityJog_129")));
    });
    connect(m_pEnable, &QPushButton::clicked, this, [this] { OnBnClickedEnable(); });
    connect(m_pSpeedGauge, &QSlider::sliderMoved, this, [this](int v) { OnGaugeTrack(1, v); });
    connect(m_pAccelGauge, &QSlider::sliderMoved, this, [this](int v) { OnGaugeTrack(2, v); });
    connect(m_pSpeedGauge, &QSlider::sliderReleased, this,
            [this] { OnGaugeFinishTrack(1, m_pSpeedGauge->value()); });
    connect(m_pAccelGauge, &QSlider::sliderReleased, this,
            [this] { OnGaugeFinishTrack(2, m_pAccelGauge->value()); });
    // The wheel, the arrow and page keys and a click on the groove each move the slider by a
    // step: such a step is a whole drag (edit, read-out and the drive follow). The page's own
    // settings of a slider block its signals, and a drag's steps come through sliderMoved.
    for (QSlider *g : {m_pSpeedGauge, m_pAccelGauge}) {
        const int gaugeId = g == m_pSpeedGauge ? 1 : 2;
        connect(g, &QSlider::valueChanged, this, [this, g, gaugeId](int v) {
            if (!g->isSliderDown())
                OnGaugeFinishTrack(gaugeId, v);
        });
    }
}

CDlgAidJogMove::~CDlgAidJogMove() = default;

bool CDlgAidJogMove::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    m_pForward->GetIndicatorImpl()->SetLabel(TrText(QStringLiteral("正转")));
    m_pReverse->GetIndicatorImpl()->SetLabel(TrText(QStringLiteral("反转")));
    return ok;
}

bool CDlgAidJogMove::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_nJogAccel = 0;
    m_nJogSpeed = 0;
    // Gauges and edits.
    const struct {
        CKVProcessIndicator *ind;
        const char *label;
        int counter;
    } inds[] = {{m_pForward, "正转", 0}, {m_pReverse, "反转", 1}};
    for (const auto &i : inds) {
        i.ind->m_bHoldToRun = true;
        i.ind->m_bLeftButtonOnly = true;
        CircularProgressIndicatorOptions o = i.ind->GetIndicatorImpl()->GetOptions();
        o.m_nShape = 1;
        o.m_nMarqueeArcs = 1;
        o.m_bHideCenterText = 0;
        o.m_bHideTexts = 0;
        o.m_bCounterClockwise = i.counter;
        i.ind->GetIndicatorImpl()->SetOptions(o);
        i.ind->SetLabel(TrText(QString::fromUtf8(i.label)));
    }
    // Setting the sliders up is not the user moving them.
    const QSignalBlocker blockSpeed(m_pSpeedGauge);
    const QSignalBlocker blockAccel(m_pAccelGauge);
    m_pSpeedGauge->setRange(0, kMaxSpeed);
    m_pSpeedGauge->setPageStep(100);
    m_pAccelGauge->setRange(0, kMaxAccel);
    m_pAccelGauge->setPageStep(500);
    for (QSlider *g : {m_pSpeedGauge, m_pAccelGauge}) {
        g->setTickPosition(QSlider::TicksBelow);
        g->setTickInterval(g->pageStep());
        g->setValue(0);
    }
    m_pSpeedEdit->m_nMin = 0;
    m_pSpeedEdit->m_nMax = kMaxSpeed;
    m_pAccelEdit->m_nMin = 0;
    m_pAccelEdit->m_nMax = kMaxAccel;
    m_pSpeedEdit->setText(QStringLiteral("0"));
    m_pAccelEdit->setText(QStringLiteral("0"));
    m_strSpeedApplied = m_pSpeedEdit->text();
    m_strAccelApplied = m_pAccelEdit->text();
    LoadJogSettings();
    m_run.Drop();
    m_pForwardBtn->setEnabled(false);
    m_pReverseBtn->setEnabled(false);
    m_pReverseBtn->m_nIconAlign = CButtonST::ST_ALIGN_HORIZ_RIGHT;
    for (CJOGButton *b : {m_pForwardBtn, m_pReverseBtn}) {
        b->m_clrStates[CButtonST::BTNST_COLOR_BK_IN] = RGB(255, 255, 0);
        b->update();
    }
    SetFace(m_pEnable, true);
    return true;
}

void CDlgAidJogMove::Box(const QString &text, const QString &caption)
{
    ShowBCGMessageBox(this, text, caption, MB_OK);
}

QString CDlgAidJogMove::CodeText(DWORD code) const
{
    return QString::asprintf("0x%04X", static_cast<unsigned>(code));
}

bool CDlgAidJogMove::ReadRegisterText(WORD reg, QString &out)
{
    CSysParam *sys = GetSysParam();
    int value = 0;
    if (!sys || !sys->ReadReg(reg, &value, CSysParam::LinkWait::Bounded, 1))
        return false;
    out = QString::number(value);
    return true;
}

void CDlgAidJogMove::WriteJogRegister(WORD reg, int value)
{
    m_run.Queue().Post(CMotionQueue::Kind::Param, [reg, value] {
        if (CSysParam *sys = GetSysParam())
            sys->WriteReg(reg, static_cast<WORD>(value), CSysParam::LinkWait::Block, kParamTries);
    }, reg);
}

void CDlgAidJogMove::LoadJogSettings()
{
    QString speed, accel;
    bool ok = Online() && ReadRegisterText(kRegSpeed, speed);
    ok = ok && Online() && ReadRegisterText(kRegAccel, accel);
    if (!ok)
        Box(LoadLangString(QStringLiteral("IDS_UsabilityJog_18")), QString());
    if (!speed.isEmpty()) {
        SetSpeed(speed.toInt(), TRUE, TRUE, FALSE);
        m_bSpeedLoaded = TRUE;
    }
    if (!accel.isEmpty()) {
        SetAccel(accel.toInt(), TRUE, TRUE, FALSE);
        m_bAccelLoaded = TRUE;
    }
}

void CDlgAidJogMove::SetValue(bool speed, int value, BOOL setEdit, BOOL setGauge, BOOL write)
{
    QSlider *gauge = speed ? m_pSpeedGauge : m_pAccelGauge;
    CIntRangeEdit *edit = speed ? m_pSpeedEdit : m_pAccelEdit;
    const int bound = speed ? kMaxSpeed : kMaxAccel;
    value = std::clamp(value, 0, bound);
    if (setGauge) {
        const QSignalBlocker block(gauge);
        gauge->setValue(value);
    }
    if (setEdit) {
        edit->setText(QString::number(value));
        (speed ? m_strSpeedApplied : m_strAccelApplied) = edit->text();
    }
    (speed ? m_pSpeedText : m_pAccelText)->setText(QString::number(value) + (speed ? " rpm" : " ms"));
    (speed ? m_nJogSpeed : m_nJogAccel) = value;
    if (write && Online())
        WriteJogRegister(speed ? kRegSpeed : kRegAccel, value);
}

void CDlgAidJogMove::SetSpeed(int value, BOOL setEdit, BOOL setGauge, BOOL write)
{
    SetValue(true, value, setEdit, setGauge, write);
}

void CDlgAidJogMove::SetAccel(int value, BOOL setEdit, BOOL setGauge, BOOL write)
{
    SetValue(false, value, setEdit, setGauge, write);
}

void CDlgAidJogMove::ApplyText(bool speed)
{
    CIntRangeEdit *edit = speed ? m_pSpeedEdit : m_pAccelEdit;
    const QString text = edit->text().trimmed();
    // An empty box is no value: nothing is written, the last value stays.
    if (text.isEmpty())
        return;
    // Nor is a text that is no whole number (a lone "-" or "+"): the box shows the last value.
    const std::optional<std::int32_t> typed = ParseDecimalInt32(text);
    if (!typed) {
        edit->setText(speed ? m_strSpeedApplied : m_strAccelApplied);
        return;
    }
    SetValue(speed, *typed, TRUE, TRUE, TRUE);
}

void CDlgAidJogMove::ApplySpeedText() { ApplyText(true); }
void CDlgAidJogMove::ApplyAccelText() { ApplyText(false); }

void CDlgAidJogMove::OnGaugeTrack(int gaugeId, int value)
{
    if (gaugeId != 1 && gaugeId != 2)
        return;
    const bool speed = gaugeId == 1;
    // While loaded the drive follows the drag; before that only the box does.
    SetValue(speed, value, TRUE, FALSE, speed ? m_bSpeedLoaded : m_bAccelLoaded);
}

void CDlgAidJogMove::OnGaugeFinishTrack(int gaugeId, int value)
{
    if (gaugeId != 1 && gaugeId != 2)
        return;
    SetValue(gaugeId == 1, value, TRUE, FALSE, TRUE);
}

bool CDlgAidJogMove::eventFilter(QObject *watched, QEvent *e)
{
    const bool speed = watched == m_pSpeedEdit;
    if (watched == m_pSpeedEdit || watched == m_pAccelEdit) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ApplyText(speed);
                return true;
            }
        } else if (e->type() == QEvent::FocusOut) {
            const QString applied = speed ? m_strSpeedApplied : m_strAccelApplied;
            if (static_cast<QLineEdit *>(watched)->text() != applied)
                ApplyText(speed);
        }
    }
    return CDialogExMid::eventFilter(watched, e);
}

void CDlgAidJogMove::ServoOn()
{
    if (!GetSysParam())
        return;
    // The worker reads what was never read and writes the values; a value not known is never
    // written. What it read is shown when it is done.
    struct Loaded
    {
        bool speedRead = false, accelRead = false, written = false;
        int speed = 0, accel = 0;
    };
    const bool loadSpeed = !m_bSpeedLoaded;
    const bool loadAccel = !m_bAccelLoaded;
    const int speed = m_nJogSpeed;
    const int accel = m_nJogAccel;
    const bool online = Online();
    m_run.SwitchOn(
        CHoldToRun::kTries,
        [this] {
            CSysParam *sys = GetSysParam();
            return sys && sys->CheckServoReady(this);
        },
        [this, loadSpeed, loadAccel, speed, accel, online]() -> CMotionQueue::Result {
            auto r = std::make_shared<Loaded>();
            r->speed = speed;
            r->accel = accel;
            CSysParam *s = GetSysParam();
            if (online && s) {
                r->speedRead = loadSpeed && s->ReadReg(kRegSpeed, &r->speed, CSysParam::LinkWait::Block, 1);
                r->accelRead = loadAccel && s->ReadReg(kRegAccel, &r->accel, CSysParam::LinkWait::Block, 1);
                r->written = (!loadSpeed || r->speedRead) &&
                             s->WriteReg(kRegSpeed, static_cast<WORD>(r->speed), CSysParam::LinkWait::Block, 1);
                r->written = r->written && (!loadAccel || r->accelRead) &&
                             s->WriteReg(kRegAccel, static_cast<WORD>(r->accel), CSysParam::LinkWait::Block, 1);
            }
            return [this, r] {
                if (r->speedRead) {
                    SetSpeed(r->speed, TRUE, TRUE, FALSE);
                    m_bSpeedLoaded = TRUE;
                }
                if (r->accelRead) {
                    SetAccel(r->accel, TRUE, TRUE, FALSE);
                    m_bAccelLoaded = TRUE;
                }
                if (!r->written)
                    Box(LoadLangString(QStringLiteral("IDS_UsabilityJog_126")),
                        LoadLangString(QStringLiteral("IDS_UsabilityJog_127")));
            };
        },
        [this](bool ok, bool checked, DWORD error) { OnSwitchedOn(ok, checked, error); });
}

void CDlgAidJogMove::OnSwitchedOn(bool ok, bool checked, DWORD error)
{
    ShowSwitch();
    if (!checked)
        return;
    if (!ok) {
        Box(FillLangPlaces(LoadLangString(QStringLiteral("IDS_UsabilityJog_128")), {CodeText(error)}),
            LoadLangString(QStringLiteral("IDS_UsabilityJog_129")));
        return;
    }
    // The keep-alive runs before any box can open, so the drive never waits for the user.
    m_nTimerID = CHoldToRun::kKeepAliveTimer;
    m_nElapse = CHoldToRun::KeepAliveMs();
    SetTimer(CHoldToRun::kKeepAliveTimer, CHoldToRun::KeepAliveMs(), true);
    m_pForwardBtn->setEnabled(true);
    m_pReverseBtn->setEnabled(true);
}

void CDlgAidJogMove::ShowSwitch()
{
    if (!m_run.IsOn()) {
        m_pEnable->setText(TrText(QStringLiteral("使能ON")));
        SetFace(m_pEnable, true);
    } else {
        m_pEnable->setText(TrText(QStringLiteral("使能OFF")));
        SetFace(m_pEnable, false);
    }
}

void CDlgAidJogMove::ShowSwitchedOff()
{
    KillTimer(CHoldToRun::kKeepAliveTimer);
    m_pForwardBtn->setEnabled(false);
    m_pReverseBtn->setEnabled(false);
    StopMarquees();
    m_pEnable->setText(TrText(QStringLiteral("使能ON")));
    SetFace(m_pEnable, true);
}

void CDlgAidJogMove::StopMarquees()
{
    m_pForward->GetIndicatorImpl()->StartMarquee(FALSE);
    m_pReverse->GetIndicatorImpl()->StartMarquee(FALSE);
}

void CDlgAidJogMove::ServoOff()
{
    m_run.SwitchOff(CHoldToRun::kTries, false, [this](bool ok, DWORD error) {
        if (!ok)
            Box(FillLangPlaces(LoadLangString(QStringLiteral("IDS_UsabilityJog_130")), {CodeText(error)}),
                LoadLangString(QStringLiteral("IDS_UsabilityJog_129")));
    });
    ShowSwitchedOff();
}

void CDlgAidJogMove::OnBnClickedEnable()
{
    // A switch-on on its way is answered first.
    if (m_run.Switching())
        return;
    if (!m_run.IsOn())
        ServoOn();
    else
        ServoOff();
    if (!m_run.Switching())
        ShowSwitch();
}

void CDlgAidJogMove::LeavePage()
{
    // Whatever the page believes of the link: an open port may still carry a running motor, and
    // a closed one owes the drive its off when it opens again.
    ServoOff();
    if (m_nTimerID != -1)
        KillTimer(static_cast<UINT_PTR>(m_nTimerID));
}

void CDlgAidJogMove::OnDestroy()
{
    LeavePage();
    CDialogExMid::OnDestroy();
}

void CDlgAidJogMove::OnTimer(UINT_PTR id)
{
    if (id == CHoldToRun::kKeepAliveTimer)
        m_run.KeepAlive();
}

void CDlgAidJogMove::OnIndicatorPressed(int id)
{
    if (id != IDC_FORWARD && id != IDC_REVERSE)
        return;
    if (!m_run.IsOn()) {
        platform::PostMessage(this, UM_JOG_ENABLE_HINT, 1, 0);
        return;
    }
    m_run.Press(id == IDC_FORWARD);
    (id == IDC_FORWARD ? m_pForward : m_pReverse)->GetIndicatorImpl()->StartMarquee(TRUE);
}

void CDlgAidJogMove::OnIndicatorReleased(int id)
{
    if (id != IDC_FORWARD && id != IDC_REVERSE)
        return;
    m_run.Release();
    (id == IDC_FORWARD ? m_pForward : m_pReverse)->GetIndicatorImpl()->StartMarquee(FALSE);
}

void CDlgAidJogMove::OnHoldCommand(int id, unsigned code)
{
    if (code == CJOGButton::kPressed)
        m_run.Press(id == IDC_FORWARD_BUTTON);
    else if (code == CJOGButton::kReleased)
        m_run.Release();
}

LRESULT CDlgAidJogMove::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_run.HandleMessage(msg, Payload<CMotionQueue::Result>()))
        return 0;
    switch (msg) {
    case UM_STOP_TIMER:
        LeavePage();
        return 0;
    case UM_BUTTON_PRESSED:
        OnIndicatorPressed(static_cast<int>(wParam));
        return 0;
    case UM_BUTTON_RELEASED:
        OnIndicatorReleased(static_cast<int>(wParam));
        return 0;
    case UM_JOG_ENABLE_HINT:
        if (wParam == 1)
            Box(TrText(QStringLiteral("请伺服使能后再试！")), QString());
        return 0;
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        if (id == IDC_FORWARD_BUTTON || id == IDC_REVERSE_BUTTON)
            OnHoldCommand(id, HIWORD(wParam));
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}

void CDlgAidJogMove::showEvent(QShowEvent *e)
{
    CDialogExMid::showEvent(e);
    // After the page is on screen, not inside its showing.
    QTimer::singleShot(0, this, [self = QPointer<CDlgAidJogMove>(this)] {
        if (self && self->isVisible())
            ShowAidSafetyPrompt(self, QStringLiteral("JogTip.png"), &GetAppFlags()->m_bIsDangerJogMoveWnd);
    });
}
