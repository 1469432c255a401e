#include "Wnds/auxFunction/DlgAidAnalyzeDocker.h"

#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "controls/KVProcessIndicator.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QGroupBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>

namespace {

template <class W>
W *Place(W *w, int id, const QRect &dlu)
{
    platform::SetCtrlId(w, id);
    w->setGeometry(CDialogExMid::MapDialogRect(dlu));
    return w;
}

}

CDlgAidAnalyzeDocker::CDlgAidAnalyzeDocker(DlgAidAnalyse *pOwner) : CDialogExMid(IDD), m_pOwner(pOwner)
{
    resize(MapDialogRect(QRect(0, 0, 118, 341)).size());
    m_strLangSection = QStringLiteral("CDlgAidAnalyzeDocker");

    Place(new QGroupBox(QStringLiteral("分析模式"), this), 1031, QRect(8, 2, 104, 65));
    m_pClosedLoop = Place(new QRadioButton(QStringLiteral("速度闭环"), this), IDC_CLOSED_LOOP, QRect(15, 41, 92, 10));
    auto *open = Place(new QRadioButton(QStringLiteral("速度开环"), this), IDC_OPEN_LOOP, QRect(22, 296, 48, 10));
    open->hide();
    Place(new QLabel(QStringLiteral("降噪等级"), this), 8013, QRect(15, 54, 56, 8));
    m_pSmoothing = Place(new QLineEdit(this), IDC_SMOOTHING, QRect(72, 52, 20, 12));
    m_pSmoothing->setReadOnly(true);

    // The spin: two arrows stacked beside its edit.
    auto *spin = Place(new QWidget(this), IDC_SMOOTHING_SPIN, QRect(93, 51, 12, 14));
    auto *up = new QToolButton(spin);
    auto *down = new QToolButton(spin);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    const QSize s = spin->size();
    up->setGeometry(0, 0, s.width(), s.height() / 2);
    down->setGeometry(0, s.height() / 2, s.width(), s.height() - s.height() / 2);
    connect(up, &QToolButton::clicked, this, [this] { StepSmoothing(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepSmoothing(-1); });

    Place(new QGroupBox(QStringLiteral("激励信号"), this), 1032, QRect(8, 72, 104, 48));
    Place(new QLabel(QStringLiteral("偏置"), this), 8021, QRect(14, 87, 42, 13));
    m_pOffset = Place(new QLineEdit(this), IDC_OFFSET, QRect(57, 84, 29, 14));
    Place(new QLabel(QStringLiteral("r/min"), this), 8023, QRect(88, 85, 22, 8));
    Place(new QLabel(QStringLiteral("振幅"), this), 8024, QRect(14, 105, 42, 11));
    m_pAmplitude = Place(new QLineEdit(this), IDC_AMPLITUDE, QRect(57, 102, 29, 14));
    // Digits only, as typed; the owner checks the range.
    m_pAmplitude->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), m_pAmplitude));
    Place(new QLabel(QStringLiteral("r/min"), this), 8026, QRect(88, 103, 21, 8));
    // The torque input has no use yet: kept hidden as the panel always had it.
    Place(new QLineEdit(this), IDC_TORQUE, QRect(38, 120, 47, 14))->hide();
    Place(new QLabel(QStringLiteral("转矩"), this), 8027, QRect(16, 121, 19, 11))->hide();
    Place(new QLabel(QStringLiteral("%"), this), 8029, QRect(89, 123, 17, 8))->hide();

    Place(new QGroupBox(QStringLiteral("查看结果"), this), 1033, QRect(8, 138, 104, 61));
    auto *search = Place(new QPushButton(platform::TrText(QStringLiteral("搜索共振频率")), this), IDC_SEARCH_RESONANCE, QRect(12, 148, 96, 14));
    auto *cutoff = Place(new QPushButton(platform::TrText(QStringLiteral("显示截止频率")), this), IDC_SHOW_CUTOFF, QRect(12, 164, 96, 14));
    auto *notch = Place(new QPushButton(platform::TrText(QStringLiteral("设置陷波器")), this), IDC_SET_NOTCH, QRect(12, 180, 96, 14));
    search->setToolTip(platform::TrText(QStringLiteral("搜索共振频率")));
    cutoff->setToolTip(platform::TrText(QStringLiteral("显示截止频率")));
    notch->setToolTip(platform::TrText(QStringLiteral("设置陷波器")));
    connect(search, &QPushButton::clicked, this, [this] { Forward(IDC_SEARCH_RESONANCE); });
    connect(cutoff, &QPushButton::clicked, this, [this] { Forward(IDC_SHOW_CUTOFF); });
    connect(notch, &QPushButton::clicked, this, [this] { Forward(IDC_SET_NOTCH); });

    m_pIndicator = Place(new CKVProcessIndicator(this), IDC_INDICATOR, QRect(62, 10, 42, 30));
    m_pIndicator->setToolTip(platform::TrText(QStringLiteral("分析模式启动")));
    m_pIndicator->m_bLeftButtonOnly = true;
}

CDlgAidAnalyzeDocker::~CDlgAidAnalyzeDocker() = default;

bool CDlgAidAnalyzeDocker::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pClosedLoop->setChecked(true);
    if (m_pOwner) {
        m_pAmplitude->setText(m_pOwner->m_strAmplitude);
        m_pOffset->setText(m_pOwner->m_strOffset);
    }
    m_pSmoothing->setText(QStringLiteral("16"));
    CKVCircularProgressIndicatorImpl *impl = m_pIndicator->GetIndicatorImpl();
    CircularProgressIndicatorOptions options = impl->GetOptions();
    options.m_nShape = 1;
    options.m_nMarqueeArcs = 3;
    options.m_bHideCenterText = 0;
    options.m_bHideTexts = 0;
    options.m_bCounterClockwise = 1;
    impl->SetOptions(options);
    m_pIndicator->setWindowTitle(platform::TrText(QStringLiteral("启动")));
    m_pIndicator->SetLabel(platform::TrText(QStringLiteral("启动")));
    return true;
}

bool CDlgAidAnalyzeDocker::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    // The disc says what a press does: start when idle, stop while a test runs.
    const QString label = platform::TrText(IsTestRunning() ? QStringLiteral("停止") : QStringLiteral("启动"));
    m_pIndicator->SetLabel(label);
    m_pIndicator->setWindowTitle(label);
    return ok;
}

LRESULT CDlgAidAnalyzeDocker::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_BUTTON_RELEASED && static_cast<int>(wParam) == IDC_INDICATOR) {
        Forward(IsTestRunning() ? kCmdStopTest : kCmdStartTest);
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CDlgAidAnalyzeDocker::Forward(int id)
{
    platform::SendMessage(platform::WindowRef(parentWidget()), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

QString CDlgAidAnalyzeDocker::GetSmoothLevelText() const
{
    return m_pSmoothing->text();
}

QString CDlgAidAnalyzeDocker::GetOffsetText() const
{
    return m_pOffset->text();
}

QString CDlgAidAnalyzeDocker::GetAmplitudeText() const
{
    return m_pAmplitude->text();
}

void CDlgAidAnalyzeDocker::SetSmoothLevelText(const QString &text)
{
    m_pSmoothing->setText(text);
}

void CDlgAidAnalyzeDocker::SetOffsetText(const QString &text)
{
    m_pOffset->setText(text);
}

void CDlgAidAnalyzeDocker::SetAmplitudeText(const QString &text)
{
    m_pAmplitude->setText(text);
}

int CDlgAidAnalyzeDocker::ToggleTestIndicator()
{
    CKVCircularProgressIndicatorImpl *impl = m_pIndicator->GetIndicatorImpl();
    if (impl->IsMarqueeRunning()) {
        impl->StartMarquee(FALSE, 0.0);
        m_pIndicator->SetLabel(platform::TrText(QStringLiteral("启动")));
        return 0;
    }
    impl->StartMarquee(TRUE, 0.0);
    m_pIndicator->SetLabel(platform::TrText(QStringLiteral("停止")));
    return 1;
}

void CDlgAidAnalyzeDocker::ShowIdle()
{
    if (IsTestRunning())
        ToggleTestIndicator();
}

bool CDlgAidAnalyzeDocker::IsTestRunning() const
{
    return m_pIndicator->GetIndicatorImpl()->IsMarqueeRunning();
}

QString CDlgAidAnalyzeDocker::IndicatorLabel() const
{
    return m_pIndicator->GetIndicatorImpl()->GetLabel();
}

void CDlgAidAnalyzeDocker::StepSmoothing(int delta)
{
    const int pos = m_pSmoothing->text().toInt();
    const QString next = QString::number(pos + delta);
    platform::SendMessage(platform::WindowRef(parentWidget()), UM_MA_SMOOTH_CHANGED,
                          reinterpret_cast<WPARAM>(&next), 0);
    m_pSmoothing->setText(QString::number(std::clamp(pos + delta, 0, 25)));
}
