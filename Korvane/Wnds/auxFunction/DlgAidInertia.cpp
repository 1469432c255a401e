#include "DlgAidInertia.h"

#include "AppFlags.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/auxFunction/AidSafetyPrompt.h"
#include "controls/JOGButton.h"
#include "controls/KVProcessIndicator.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"

#include <QComboBox>
#include <QFont>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

const QString kServoOn = QStringLiteral("Servo On");
const QString kServoOff = QStringLiteral("Servo Off");

template <class W>
W *Place(W *w, int id, const QRect &dlu)
{
    platform::SetCtrlId(w, id);
    w->setGeometry(CDialogExMid::MapDialogRect(dlu));
    return w;
}

QLabel *Label(QWidget *parent, int id, const char *text, const QRect &dlu)
{
    return Place(new QLabel(TrText(QString::fromUtf8(text)), parent), id, dlu);
}

// One parameter of the form: its register, where its value lives, and its messages.
struct Row
{
    WORD reg;
    int ctrl;
    const char *readKey, *readCaption, *writeKey, *writeCaption;
};
const Row kRows[] = {
    {inertia_reg::kTuneMode, CDlgAidInertia::IDC_TUNE_MODE, "IDS_NewInertiaParaSetDlg_39", "IDS_NewInertiaParaSetDlg_6",
     "IDS_NewInertiaParaSetDlg_41", "IDS_NewInertiaParaSetDlg_22"},
    {inertia_reg::kRigidity, CDlgAidInertia::IDC_RIGIDITY, "IDS_NewInertiaParaSetDlg_40", "IDS_NewInertiaParaSetDlg_6",
     "IDS_NewInertiaParaSetDlg_42", "IDS_NewInertiaParaSetDlg_22"},
    {inertia_reg::kSpeedGain, CDlgAidInertia::IDC_SPEED_GAIN, "IDS_NewInertiaParaSetDlg_5", "IDS_NewInertiaParaSetDlg_6",
     "IDS_NewInertiaParaSetDlg_21", "IDS_NewInertiaParaSetDlg_22"},
    {inertia_reg::kIntegralTime, CDlgAidInertia::IDC_INTEGRAL_TIME, "IDS_NewInertiaParaSetDlg_7",
     "IDS_NewInertiaParaSetDlg_8", "IDS_NewInertiaParaSetDlg_23", "IDS_NewInertiaParaSetDlg_24"},
    {inertia_reg::kInitRatio, CDlgAidInertia::IDC_INIT_RATIO, "IDS_NewInertiaParaSetDlg_9", "IDS_NewInertiaParaSetDlg_10",
     "IDS_NewInertiaParaSetDlg_25", "IDS_NewInertiaParaSetDlg_26"},
    {inertia_reg::kCmdType, CDlgAidInertia::IDC_CMD_TYPE, "IDS_NewInertiaParaSetDlg_43", "IDS_NewInertiaParaSetDlg_12",
     "IDS_NewInertiaParaSetDlg_44", "IDS_NewInertiaParaSetDlg_28"},
    {inertia_reg::kMaxSpeed, CDlgAidInertia::IDC_MAX_SPEED, "IDS_NewInertiaParaSetDlg_11", "IDS_NewInertiaParaSetDlg_12",
     "IDS_NewInertiaParaSetDlg_27", "IDS_NewInertiaParaSetDlg_28"},
    {inertia_reg::kAccelTime, CDlgAidInertia::IDC_ACCEL_TIME, "IDS_NewInertiaParaSetDlg_13", "IDS_NewInertiaParaSetDlg_14",
     "IDS_NewInertiaParaSetDlg_29", "IDS_NewInertiaParaSetDlg_30"},
    {inertia_reg::kIntervalTime, CDlgAidInertia::IDC_INTERVAL_TIME, "IDS_NewInertiaParaSetDlg_15",
     "IDS_NewInertiaParaSetDlg_16", "IDS_NewInertiaParaSetDlg_31", "IDS_NewInertiaParaSetDlg_32"},
};

QString Lang(const char *key) { return LoadLangString(QString::fromLatin1(key)); }

// The page's banner: a motor turning its load, over a band that fades into the page.
QPixmap BannerPicture(const QSize &size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double h = size.height() * 0.62;
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0.0, QColor(22, 86, 150));
    band.setColorAt(0.7, QColor(70, 140, 200));
    band.setColorAt(1.0, QColor(70, 140, 200, 0));
    p.fillRect(QRectF(0, 0, size.width(), h), band);
    const double r = h * 0.32;
    const QPointF motor(h * 0.55, h / 2);
    const QPointF load(h * 0.55 + 3.2 * r, h / 2);
    p.setPen(QPen(QColor(230, 236, 242), 3));
    p.drawLine(motor, load);
    p.setBrush(QColor(200, 210, 220));
    p.drawRoundedRect(QRectF(motor.x() - r, motor.y() - r, 2 * r, 2 * r), 4, 4);
    p.setBrush(QColor(250, 190, 60));
    p.drawEllipse(load, 1.5 * r, 1.5 * r);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(std::max(8, static_cast<int>(h * 0.34)));
    f.setBold(true);
    // The title shrinks to the room left of the band's end: longer languages are shown whole.
    const QRectF room(load.x() + 2 * r, 0, size.width() - load.x() - 2 * r - 4, h);
    const QString title = TrText(QStringLiteral("负载惯量辨识"));
    while (f.pixelSize() > 8 && QFontMetricsF(f).horizontalAdvance(title) > room.width())
        f.setPixelSize(f.pixelSize() - 1);
    p.setFont(f);
    p.drawText(room, Qt::AlignVCenter | Qt::AlignLeft, title);
    return pm;
}

// How the controls follow the page's growth: move and size type (0 none, 1 across, 2 down, 3
// both) with the percentages of the growth they take.
struct AnchorRow
{
    std::vector<int> ids;
    int move, moveX, moveY, size, sizeX, sizeY;
};
const AnchorRow kAnchorRows[] = {
    {{2327}, 0, 0, 0, 3, 30, 95},
    {{2328}, 1, 30, 0, 3, 30, 95},
    {{2329}, 1, 60, 0, 3, 30, 95},
    {{1918}, 0, 0, 0, 3, 30, 0},
    {{1907}, 3, 0, 30, 3, 30, 0},
    {{1908}, 3, 0, 60, 3, 30, 0},
    {{1919}, 3, 0, 90, 3, 30, 0},
    {{1928, 1929, 1930, 1931, 1932}, 3, 0, 30, 0, 30, 30},
    {{1905}, 3, 0, 30, 1, 30, 30},
    {{1906, 1904, 1903, 1902}, 3, 0, 30, 1, 20, 0},
    {{1933, 1934, 1935}, 3, 20, 30, 1, 10, 0},
    {{1936, 1937, 1909, 1910}, 3, 0, 60, 0, 30, 30},
    {{1917}, 3, 0, 60, 1, 30, 0},
    {{1911, 1912, 1913}, 3, 0, 60, 1, 20, 0},
    {{1914, 1915, 1916}, 3, 20, 60, 1, 10, 0},
    {{1920}, 3, 30, 0, 3, 30, 0},
    {{2059}, 3, 15, 30, 1, 30, 0},
    {{2060}, 3, 30, 30, 1, 60, 0},
    {{1924}, 3, 30, 90, 0, 0, 0},
    {{1925}, 3, 30, 90, 3, 30, 0},
    {{2061}, 3, 60, 30, 3, 30, 0},
    {{2057}, 3, 60, 90, 3, 30, 0},
    {{2330, 2331, 2332, 2333, 1938}, 3, 60, 90, 1, 30, 0},
};

}  // namespace

CDlgAidInertia::CDlgAidInertia() : CDialogExMid(IDD)
{
    // The servo switch's caption is the state's own ("Servo On" / "Servo Off" in every language),
    // which the page reads back to know what a press does: never re-texted.
    m_setNoTranslateIds = {IDC_SERVO};
    resize(MapDialogRect(QRect(0, 0, 680, 380)).size());
    auto *banner = Place(new QLabel(this), IDC_BANNER, {7, 7, 387, 94});
    banner->setPixmap(BannerPicture(banner->size()));
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    Place(new QGroupBox(QStringLiteral("step1"), this), 2327, {15, 71, 220, 303});
    Place(new QGroupBox(QStringLiteral("step2"), this), 2328, {234, 71, 220, 303});
    Place(new QGroupBox(QStringLiteral("step3"), this), 2329, {453, 71, 220, 302});
    m_pRead = Place(new QPushButton(TrText(QStringLiteral("读取参数")), this), IDC_READ, {41, 83, 162, 38});
    Place(new QGroupBox(TrText(QStringLiteral("预设条件")), this), 1907, {42, 126, 184, 96});
    Label(this, 1928, "自调整模式", {50, 141, 74, 10});
    m_pTuneMode = Place(new QComboBox(this), IDC_TUNE_MODE, {126, 140, 96, 12});
    const struct {
        QLineEdit **edit;
        int id, labelId, unitId, y;
        const char *label, *unit;
    } boxes[] = {
        {&m_pRigidity, IDC_RIGIDITY, 1929, 1933, 156, "刚性等级", "0-32"},
        {&m_pSpeedGain, IDC_SPEED_GAIN, 1930, 1934, 172, "速度增益", "×0.1Hz"},
        {&m_pIntegralTime, IDC_INTEGRAL_TIME, 1931, 1935, 188, "积分时间", "×0.01ms"},
        {&m_pInitRatio, IDC_INIT_RATIO, 1932, 0, 204, "初始惯量比", nullptr},
        {&m_pMaxSpeed, IDC_MAX_SPEED, 1937, 1914, 262, "最大速度", "r/min"},
        {&m_pAccelTime, IDC_ACCEL_TIME, 1909, 1915, 278, "加速时间", "ms"},
        {&m_pIntervalTime, IDC_INTERVAL_TIME, 1910, 1916, 294, "间隔时间", "ms"},
    };
    Place(new QGroupBox(TrText(QStringLiteral("激励信号")), this), 1908, {42, 229, 184, 83});
    Label(this, 1936, "指令类型", {50, 248, 74, 10});
    m_pCmdType = Place(new QComboBox(this), IDC_CMD_TYPE, {126, 247, 96, 12});
    for (const auto &b : boxes) {
        Label(this, b.labelId, b.label, {50, b.y + 1, 74, 10});
        *b.edit = Place(new QLineEdit(this), b.id, {126, b.y, 50, 12});
        if (b.unit)
            Place(new QLabel(QString::fromUtf8(b.unit), this), b.unitId, {180, b.y + 1, 42, 10});
    }
    m_pWrite = Place(new QPushButton(TrText(QStringLiteral("写入参数")), this), IDC_WRITE, {42, 322, 160, 34});
    m_pServo = Place(new QPushButton(kServoOn, this), IDC_SERVO, {264, 83, 162, 38});
    m_pForward = Place(new CKVProcessIndicator(this), IDC_FORWARD, {266, 134, 78, 73});
    m_pReverse = Place(new CKVProcessIndicator(this), IDC_REVERSE, {347, 134, 78, 73});
    m_pForwardBtn = Place(new CJOGButton(this), IDC_FORWARD_BUTTON, {266, 210, 78, 18});
    m_pForwardBtn->setText(TrText(QStringLiteral("正 转")));
    m_pReverseBtn = Place(new CJOGButton(this), IDC_REVERSE_BUTTON, {347, 210, 78, 18});
    m_pReverseBtn->setText(TrText(QStringLiteral("反 转")));
    m_pForwardBtn->hide();
    m_pReverseBtn->hide();
    Label(this, 1924, "辨识结果", {264, 336, 37, 10});
    m_pResult = Place(new QLineEdit(this), IDC_RESULT, {307, 322, 117, 34});
    m_pResult->setAlignment(Qt::AlignCenter);
    m_pWriteGauge = Place(new CKVProcessIndicator(this), IDC_WRITE_GAUGE, {497, 84, 139, 122});
    m_pWriteResult = Place(new QPushButton(TrText(QStringLiteral("写入驱动器")), this), IDC_WRITE_RESULT, {600, 179, 64, 18});
    m_pWriteResult->hide();
    Place(new QGroupBox(TrText(QStringLiteral("注意事项")), this), 2057, {463, 235, 199, 121});
    const char *notes[] = {"1:点击“读取参数“”按钮", "2:点击“Servo on”按钮", "3:点击“正转或反转”按钮", "4:点击“写入驱动器”按钮"};
    for (int i = 0; i < 4; ++i)
        Label(this, 2330 + i, notes[i], {477, 250 + 16 * i, 180, 12});
    Label(this, 1938, "注意：辨识时，如果负载惯量远大于初始惯量比，请不断增加初始惯量比，直至辨识成功",
          {477, 318, 168, 30})->setWordWrap(true);

    m_pRead->setToolTip(TrText(QStringLiteral("负载惯量辨识读取参数")));
    m_pWrite->setToolTip(TrText(QStringLiteral("负载惯量辨识写入参数")));
    m_pServo->setToolTip(TrText(QStringLiteral("伺服使能")));
    m_pForward->setToolTip(TrText(QStringLiteral("伺服正转")));
    m_pReverse->setToolTip(TrText(QStringLiteral("伺服反转")));
    m_pWriteGauge->setToolTip(TrText(QStringLiteral("将识别结果写入驱动器")));
    m_run.SetLostHandler([this] {
        ShowOff();
        Box("IDS_NewInertiaIdentifyDlg_15", "IDS_NewInertiaIdentifyDlg_10", false);
    });
    connect(m_pRead, &QPushButton::clicked, this, [this] { OnReadParams(); });
    connect(m_pWrite, &QPushButton::clicked, this, [this] { OnWriteParams(); });
    connect(m_pServo, &QPushButton::clicked, this, [this] { OnServoOnOff(); });
    connect(m_pWriteResult, &QPushButton::clicked, this, [this] { OnWriteResult(); });
}

CDlgAidInertia::~CDlgAidInertia() = default;

bool CDlgAidInertia::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    const struct {
        QComboBox *combo;
        const char *keys[2];
    } lists[] = {{m_pTuneMode, {"IDS_NewInertiaParaSetDlg_35", "IDS_NewInertiaParaSetDlg_36"}},
                 {m_pCmdType, {"IDS_NewInertiaParaSetDlg_37", "IDS_NewInertiaParaSetDlg_38"}}};
    for (const auto &l : lists) {
        const QSignalBlocker quiet(l.combo);
        for (int i = 0; i < l.combo->count() && i < 2; ++i)
            l.combo->setItemText(i, Lang(l.keys[i]));
    }
    m_pForward->GetIndicatorImpl()->SetLabel(TrText(QStringLiteral("正转")));
    m_pReverse->GetIndicatorImpl()->SetLabel(TrText(QStringLiteral("反转")));
    m_pWriteGauge->GetIndicatorImpl()->SetLabel(TrText(QStringLiteral("写入驱动器")));
    if (auto *banner = qobject_cast<QLabel *>(platform::FindCtrl(this, IDC_BANNER)))
        banner->setPixmap(BannerPicture(banner->size()));
    return ok;
}

bool CDlgAidInertia::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    for (QLineEdit *e : {m_pRigidity, m_pSpeedGain, m_pIntegralTime, m_pMaxSpeed, m_pAccelTime, m_pIntervalTime})
        e->setText(QStringLiteral("0"));
    m_pInitRatio->setText(InertiaRatioText(0));
    m_pResult->setText(InertiaRatioText(0));
    m_bResultKnown = false;
    m_pTuneMode->clear();
    m_pTuneMode->addItem(Lang("IDS_NewInertiaParaSetDlg_35"));
    m_pTuneMode->addItem(Lang("IDS_NewInertiaParaSetDlg_36"));
    m_pTuneMode->setCurrentIndex(-1);
    m_pCmdType->clear();
    m_pCmdType->addItem(Lang("IDS_NewInertiaParaSetDlg_37"));
    m_pCmdType->addItem(Lang("IDS_NewInertiaParaSetDlg_38"));
    m_pCmdType->setCurrentIndex(-1);
    m_pReverseBtn->m_nIconAlign = CButtonST::ST_ALIGN_HORIZ_RIGHT;
    for (CJOGButton *b : {m_pForwardBtn, m_pReverseBtn})
        b->m_clrStates[CButtonST::BTNST_COLOR_BK_IN] = RGB(255, 255, 0);
    const struct {
        CKVProcessIndicator *ind;
        const char *label;
        int counter;
        bool hold;
    } inds[] = {{m_pForward, "正转", 0, true}, {m_pReverse, "反转", 1, true}, {m_pWriteGauge, "写入驱动器", 0, false}};
    for (const auto &i : inds) {
        i.ind->m_bHoldToRun = i.hold;
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
    QFont big = m_pResult->font();
    big.setPointSize(34);
    m_pResult->setFont(big);
    m_pWriteGauge->GetIndicatorImpl()->SetRange(0.0, 100.0);
    InitLayout();
    // Behind everything it overlaps.
    if (QWidget *banner = platform::FindCtrl(this, IDC_BANNER))
        banner->lower();
    return true;
}

void CDlgAidInertia::InitLayout()
{
    m_anchors.clear();
    m_sizeTemplate = MapDialogRect(QRect(0, 0, 680, 380)).size();
    // Smaller, the controls would lie under one another: the page keeps this size and scrolls.
    setMinimumSize(m_sizeTemplate);
    for (const AnchorRow &row : kAnchorRows) {
        for (int id : row.ids) {
            if (QWidget *w = platform::FindCtrl(this, id))
                m_anchors.push_back({w, w->geometry(), row.move, row.moveX, row.moveY, row.size, row.sizeX, row.sizeY});
        }
    }
    OnSize(width(), height());
}

void CDlgAidInertia::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    // Below the template's size (a page scrolled in a small area) the controls keep their places.
    const int dx = std::max(0, cx - m_sizeTemplate.width());
    const int dy = std::max(0, cy - m_sizeTemplate.height());
    for (const Anchor &a : m_anchors) {
        QRect r = a.origin;
        r.translate((a.move & 1) ? dx * a.moveX / 100 : 0, (a.move & 2) ? dy * a.moveY / 100 : 0);
        r.setWidth(r.width() + ((a.size & 1) ? dx * a.sizeX / 100 : 0));
        r.setHeight(r.height() + ((a.size & 2) ? dy * a.sizeY / 100 : 0));
        a.w->setGeometry(r);
    }
}

QLineEdit *CDlgAidInertia::Edit(int id) const
{
    return qobject_cast<QLineEdit *>(platform::FindCtrl(const_cast<CDlgAidInertia *>(this), id));
}

QComboBox *CDlgAidInertia::Combo(int id) const
{
    return id == IDC_TUNE_MODE ? m_pTuneMode : id == IDC_CMD_TYPE ? m_pCmdType : nullptr;
}

CKVProcessIndicator *CDlgAidInertia::Indicator(int id) const
{
    return id == IDC_FORWARD ? m_pForward : id == IDC_REVERSE ? m_pReverse : id == IDC_WRITE_GAUGE ? m_pWriteGauge : nullptr;
}

void CDlgAidInertia::Box(const char *textKey, const char *captionKey, bool withCode, DWORD code)
{
    QString text = Lang(textKey);
    if (withCode)
        text = FillLangPlaces(text, {QString::asprintf("0x%04X", static_cast<unsigned>(code))});
    ShowBCGMessageBox(this, text, captionKey ? Lang(captionKey) : QString(), MB_OK);
}

void CDlgAidInertia::ShowResult(int hundredths)
{
    m_nResult = hundredths;
    m_bResultKnown = true;
    m_pResult->setText(InertiaRatioText(hundredths));
}

// ---- step1: the parameters ------------------------------------------------------------------

void CDlgAidInertia::SetParamsBusy(bool busy)
{
    m_bParamsBusy = busy;
    m_pRead->setEnabled(!busy);
    m_pWrite->setEnabled(!busy);
}

std::vector<CDlgAidInertia::RowOutcome> CDlgAidInertia::RunRows(CMotionQueue &queue, const std::vector<RowJob> &jobs)
{
    // One transaction each, the link taken for it alone; a stop that comes meanwhile goes out
    // before the next row.
    std::vector<RowOutcome> out;
    CSysParam *sys = GetSysParam();
    for (const RowJob &j : jobs) {
        if (queue.StopWaiting())
            queue.RunQueuedStops();
        RowOutcome o;
        o.row = j.row;
        if (sys)
            o.ok = j.write ? sys->WriteReg(kRows[j.row].reg, static_cast<WORD>(j.value), CSysParam::LinkWait::Block, 1)
                           : sys->ReadReg(kRows[j.row].reg, &o.value, CSysParam::LinkWait::Block, 1);
        o.error = o.ok ? 0 : CSysParam::LastLinkError();
        out.push_back(o);
    }
    return out;
}

void CDlgAidInertia::OnReadParams()
{
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected) {
        ShowBCGMessageBox(this, TrText(QStringLiteral("请连接串口！")), TrText(QStringLiteral("惯量辨识")), MB_OK);
        return;
    }
    if (m_bParamsBusy)
        return;
    std::vector<RowJob> jobs;
    for (int i = 0; i < int(std::size(kRows)); ++i)
        jobs.push_back({i, false, 0});
    PostRows(std::move(jobs), &CDlgAidInertia::ShowReadParams);
}

void CDlgAidInertia::PostRows(std::vector<RowJob> jobs, void (CDlgAidInertia::*show)(const std::vector<RowOutcome> &))
{
    CMotionQueue &queue = m_run.Queue();
    SetParamsBusy(true);
    const bool posted = queue.Post(CMotionQueue::Kind::Other, [this, &queue, jobs = std::move(jobs), show] {
        std::vector<RowOutcome> done = RunRows(queue, jobs);
        queue.Done([this, done = std::move(done), show] { (this->*show)(done); });
    });
    if (!posted)
        SetParamsBusy(false);
}

void CDlgAidInertia::ShowReadParams(const std::vector<RowOutcome> &read)
{
    SetParamsBusy(false);
    // The values first, then a box for each row that failed, in the rows' order; a row that
    // failed keeps what its box shows.
    for (const RowOutcome &o : read) {
        if (!o.ok)
            continue;
        const Row &r = kRows[o.row];
        if (QComboBox *c = Combo(r.ctrl))
            c->setCurrentIndex(o.value < c->count() ? o.value : -1);
        else if (r.reg == inertia_reg::kInitRatio) {
            m_pInitRatio->setText(InertiaRatioText(o.value));
            ShowResult(o.value);
        } else
            Edit(r.ctrl)->setText(QString::number(o.value));
    }
    for (const RowOutcome &o : read)
        if (!o.ok)
            Box(kRows[o.row].readKey, kRows[o.row].readCaption, true, o.error);
}

int CDlgAidInertia::ValidateInputs(CInertiaParamValues *values)
{
    CInertiaParamTexts t;
    t.nTuneMode = m_pTuneMode->currentIndex();
    t.strRigidity = m_pRigidity->text();
    t.strSpeedGain = m_pSpeedGain->text();
    t.strIntegralTime = m_pIntegralTime->text();
    t.strInitRatio = m_pInitRatio->text();
    t.nCmdType = m_pCmdType->currentIndex();
    t.strMaxSpeed = m_pMaxSpeed->text();
    t.strAccelTime = m_pAccelTime->text();
    t.strIntervalTime = m_pIntervalTime->text();
    const CInertiaCheck check = ValidateInertiaInputs(t, values);
    QWidget *bad = nullptr;
    switch (check.field) {
    case InertiaField::Rigidity: bad = m_pRigidity; break;
    case InertiaField::SpeedGain: bad = m_pSpeedGain; break;
    case InertiaField::IntegralTime: bad = m_pIntegralTime; break;
    case InertiaField::InitRatio: bad = m_pInitRatio; break;
    case InertiaField::MaxSpeed: bad = m_pMaxSpeed; break;
    case InertiaField::AccelTime: bad = m_pAccelTime; break;
    case InertiaField::IntervalTime: bad = m_pIntervalTime; break;
    case InertiaField::TuneMode: bad = m_pTuneMode; break;
    case InertiaField::CmdType: bad = m_pCmdType; break;
    case InertiaField::None: break;
    }
    if (bad) {
        bad->setFocus(Qt::OtherFocusReason);
        if (auto *e = qobject_cast<QLineEdit *>(bad))
            e->selectAll();
    }
    return check.nResult;
}

void CDlgAidInertia::OnWriteParams()
{
    CInertiaParamValues v;
    switch (ValidateInputs(&v)) {
    case CInertiaCheck::kBadCharacter:
        Box("IDS_NewInertiaParaSetDlg_17", "IDS_NewInertiaParaSetDlg_18", false);
        return;
    case CInertiaCheck::kOutOfRange:
        Box("IDS_NewInertiaParaSetDlg_19", "IDS_NewInertiaParaSetDlg_20", false);
        return;
    case CInertiaCheck::kNoSelection:
        Box("IDS_NewInertiaParaSetDlg_45", "IDS_NewInertiaParaSetDlg_20", false);
        return;
    default:
        break;
    }
    if (m_bParamsBusy)
        return;
    std::vector<RowJob> jobs;
    for (int i = 0; i < int(std::size(kRows)); ++i) {
        int value = 0;
        switch (kRows[i].reg) {
        case inertia_reg::kTuneMode: value = v.nTuneMode; break;
        case inertia_reg::kRigidity:
            if (v.nTuneMode != 1)
                continue;
            value = v.nRigidity;
            break;
        case inertia_reg::kSpeedGain:
            if (v.nTuneMode != 0)
                continue;
            value = v.nSpeedGain;
            break;
        case inertia_reg::kIntegralTime:
            if (v.nTuneMode != 0)
                continue;
            value = v.nIntegralTime;
            break;
        case inertia_reg::kInitRatio: value = v.nInitRatio; break;
        case inertia_reg::kCmdType: value = v.nCmdType; break;
        case inertia_reg::kMaxSpeed: value = v.nMaxSpeed; break;
        case inertia_reg::kAccelTime: value = v.nAccelTime; break;
        case inertia_reg::kIntervalTime: value = v.nIntervalTime; break;
        default: continue;
        }
        jobs.push_back({i, true, value});
    }
    PostRows(std::move(jobs), &CDlgAidInertia::ShowWrittenParams);
}

void CDlgAidInertia::ShowWrittenParams(const std::vector<RowOutcome> &written)
{
    SetParamsBusy(false);
    int errors = 0;
    for (const RowOutcome &o : written) {
        if (o.ok)
            continue;
        ++errors;
        Box(kRows[o.row].writeKey, kRows[o.row].writeCaption, true, o.error);
    }
    if (errors == 0)
        Box("IDS_NewInertiaParaSetDlg_33", "IDS_NewInertiaParaSetDlg_34", false);
}

// ---- step2: servo, hold to run, result -----------------------------------------------------

void CDlgAidInertia::OnServoOnOff()
{
    const QString caption = m_pServo->text();
    if (caption == kServoOn) {
        if (!GetSysParam())
            return;
        m_run.SwitchOn(
            1,
            [this] {
                CSysParam *sys = GetSysParam();
                return sys && sys->CheckServoReady(this);
            },
            {},
            [this](bool ok, bool checked, DWORD error) {
                if (!checked)
                    return;
                if (!ok) {
                    Box("IDS_NewInertiaIdentifyDlg_7", "IDS_NewInertiaIdentifyDlg_8", true, error);
                    return;
                }
                m_pWriteGauge->GetIndicatorImpl()->SetPos(0.0);
                m_pServo->setText(kServoOff);
                SetTimer(kPollTimer, kPollMs, true);
                SetTimer(CHoldToRun::kKeepAliveTimer, CHoldToRun::KeepAliveMs(), true);
                m_pWriteResult->setEnabled(false);
                m_pResult->setEnabled(false);
            });
    } else if (caption == kServoOff) {
        ServoOff();
    }
}

void CDlgAidInertia::ShowOff()
{
    m_pServo->setText(kServoOn);
    KillTimer(kPollTimer);
    KillTimer(CHoldToRun::kKeepAliveTimer);
    m_pForward->GetIndicatorImpl()->StartMarquee(FALSE);
    m_pReverse->GetIndicatorImpl()->StartMarquee(FALSE);
    m_pWriteResult->setEnabled(true);
    m_pResult->setEnabled(true);
}

void CDlgAidInertia::ServoOff()
{
    if (m_run.OffPending())
        return;
    // A refused click leaves the servo as it is, so the user can try again.
    m_run.SwitchOff(1, true, [this](bool ok, DWORD error) {
        if (ok)
            ShowOff();
        else
            Box("IDS_NewInertiaIdentifyDlg_9", "IDS_NewInertiaIdentifyDlg_10", true, error);
    });
}

void CDlgAidInertia::LeavePage()
{
    // Whatever the page believes of the link: an open port may still carry a running motor.
    m_run.SwitchOff(CHoldToRun::kTries, false, [this](bool ok, DWORD error) {
        if (!ok)
            Box("IDS_NewInertiaIdentifyDlg_9", "IDS_NewInertiaIdentifyDlg_10", true, error);
    });
    ShowOff();
    if (m_nTimerID != -1)
        KillTimer(static_cast<UINT_PTR>(m_nTimerID));
}

void CDlgAidInertia::OnDestroy()
{
    LeavePage();
    CDialogExMid::OnDestroy();
}

void CDlgAidInertia::OnButtonPressed(int id)
{
    if (id != IDC_FORWARD && id != IDC_REVERSE)
        return;
    if (m_pServo->text() != kServoOff) {
        Box("IDS_NewInertiaIdentifyDlg_11", "IDS_NewInertiaIdentifyDlg_12", false);
        return;
    }
    m_run.Press(id == IDC_FORWARD);
    Indicator(id)->GetIndicatorImpl()->StartMarquee(TRUE);
}

void CDlgAidInertia::OnButtonReleased(int id)
{
    if (id == IDC_WRITE_GAUGE) {
        OnGaugeClick();
        return;
    }
    if (id != IDC_FORWARD && id != IDC_REVERSE)
        return;
    m_run.Release();
    Indicator(id)->GetIndicatorImpl()->StartMarquee(FALSE);
}

bool CDlgAidInertia::OnHoldCommand(int id, unsigned code)
{
    // The end of a hold stops the motor whatever the caption says by now.
    if (code == CJOGButton::kReleased)
        m_run.Release();
    if (m_pServo->text() != kServoOff) {
        if (code == CJOGButton::kPressed) {
            if (id == IDC_FORWARD_BUTTON)
                Box("IDS_NewInertiaIdentifyDlg_11", "IDS_NewInertiaIdentifyDlg_12", false);
            else
                Box("IDS_NewInertiaIdentifyDlg_13", "IDS_NewInertiaIdentifyDlg_14", false);
        }
        return false;
    }
    if (code == CJOGButton::kPressed)
        m_run.Press(id == IDC_FORWARD_BUTTON);
    return true;
}

void CDlgAidInertia::PollResult()
{
    // One poll at a time, on the worker; a failed poll keeps the last estimate on show.
    if (m_bPollPending)
        return;
    m_bPollPending = true;
    CMotionQueue &queue = m_run.Queue();
    const bool posted = queue.Post(CMotionQueue::Kind::Other, [this, &queue] {
        int value = 0;
        CSysParam *sys = GetSysParam();
        // Periodic: only when the link is free, so that a stop never waits behind a poll.
        const bool ok = sys && sys->ReadReg(inertia_reg::kResult, &value, CSysParam::LinkWait::TryOnly, 1);
        queue.Done([this, ok, value] {
            m_bPollPending = false;
            if (ok && m_run.IsOn())
                ShowResult(value);
        });
    });
    if (!posted)
        m_bPollPending = false;
}

void CDlgAidInertia::OnTimer(UINT_PTR id)
{
    if (id == kPollTimer) {
        PollResult();
    } else if (id == kWriteTimer) {
        // The gauge moves on while a write is under way; its end sets the gauge for good.
        if (!m_bResultWriting) {
            KillTimer(kWriteTimer);
            return;
        }
        CKVCircularProgressIndicatorImpl *g = m_pWriteGauge->GetIndicatorImpl();
        g->SetPos(std::min(90.0, g->GetPos() + 10.0));
    } else if (id == CHoldToRun::kKeepAliveTimer) {
        m_run.KeepAlive();
    }
}

// ---- step3: the result into the drive ------------------------------------------------------

void CDlgAidInertia::OnGaugeClick()
{
    if (m_bResultWriting)
        return;
    m_nTimerID = kWriteTimer;
    m_nElapse = kWriteMs;
    m_pWriteGauge->GetIndicatorImpl()->SetPos(0.0);
    SetTimer(kWriteTimer, kWriteMs, true);
    OnWriteResult();
}

void CDlgAidInertia::StopWriteGauge(bool written)
{
    KillTimer(kWriteTimer);
    // The write is over: the gauge stays where it ends, also when the page is shown again.
    if (m_nTimerID == int(kWriteTimer))
        m_nTimerID = -1;
    // Full only for a value the drive took: a refused text or a failed write shows nothing done.
    m_pWriteGauge->GetIndicatorImpl()->SetPos(written ? 100.0 : 0.0);
}

void CDlgAidInertia::OnWriteResult()
{
    if (m_bResultWriting)
        return;
    // The box may have been edited while the servo was off: that text is the result to write,
    // and only a value P0230 can hold goes out.
    const QString typed = m_pResult->text().trimmed();
    if (!m_bResultKnown && typed == InertiaRatioText(m_nResult)) {
        StopWriteGauge(false);
        Box("IDS_NewInertiaIdentifyDlg_16", "IDS_NewInertiaIdentifyDlg_4", false);
        return;
    }
    int raw = 0;
    switch (ParseInertiaRatioText(typed, &raw)) {
    case CInertiaCheck::kOk:
        break;
    case CInertiaCheck::kOutOfRange:
        StopWriteGauge(false);
        ShowBCGMessageBox(this, TrText(QStringLiteral("设置值超出范围！")), QString(), MB_OK);
        return;
    default:
        StopWriteGauge(false);
        Box("IDS_NewInertiaParaSetDlg_17", "IDS_NewInertiaParaSetDlg_18", false);
        return;
    }
    m_nResult = raw;
    m_bResultKnown = true;
    CMotionQueue &queue = m_run.Queue();
    m_bResultWriting = true;
    const bool posted = queue.Post(CMotionQueue::Kind::Other, [this, &queue, raw] {
        CSysParam *sys = GetSysParam();
        const bool ok = sys && sys->WriteReg(inertia_reg::kInitRatio, static_cast<WORD>(raw), CSysParam::LinkWait::Block, 1);
        const DWORD code = ok ? 0 : CSysParam::LastLinkError();
        queue.Done([this, ok, code] {
            m_bResultWriting = false;
            StopWriteGauge(ok);
            if (!ok)
                Box("IDS_NewInertiaIdentifyDlg_3", "IDS_NewInertiaIdentifyDlg_4", true, code);
        });
    });
    if (!posted) {
        m_bResultWriting = false;
        StopWriteGauge(false);
    }
}

LRESULT CDlgAidInertia::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_run.HandleMessage(msg, Payload<CMotionQueue::Result>()))
        return 0;
    switch (msg) {
    case UM_STOP_TIMER:
        LeavePage();
        return 0;
    case UM_BUTTON_PRESSED:
        OnButtonPressed(static_cast<int>(wParam));
        return 0;
    case UM_BUTTON_RELEASED:
        OnButtonReleased(static_cast<int>(wParam));
        return 0;
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        if ((id == IDC_FORWARD_BUTTON || id == IDC_REVERSE_BUTTON) && !OnHoldCommand(id, HIWORD(wParam)))
            return 0;
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}

void CDlgAidInertia::showEvent(QShowEvent *e)
{
    CDialogExMid::showEvent(e);
    QTimer::singleShot(0, this, [self = QPointer<CDlgAidInertia>(this)] {
        if (self && self->isVisible())
            ShowAidSafetyPrompt(self, QStringLiteral("InertiaTip.png"), &GetAppFlags()->m_bIsDangerInertiaWnd);
    });
}
