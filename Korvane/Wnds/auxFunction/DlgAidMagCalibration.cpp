#include "DlgAidMagCalibration.h"

#include "SYSPARAM/SysParam.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <chrono>
#include <cmath>
#include <algorithm>
#include <thread>

namespace {

constexpr double kMin = -100.0;
constexpr double kMax = 100.0;
// The dial covers 270 degrees, from bottom left clockwise to bottom right.
double AngleOf(double v) { return 225.0 - (v - kMin) / (kMax - kMin) * 270.0; }

}  // namespace

void CPoleGauge::SetValue(double v)
{
    m_dValue = std::clamp(v, kMin, kMax);
    update();
}

void CPoleGauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The whole dial inside the gauge area, so the needle shows at every value.
    const int side = std::min(width(), height());
    const QRectF dial((width() - side) / 2.0 + 5, 5, side - 10, side - 10);
    p.setPen(QPen(QColor(0x46, 0x82, 0xB4), 2));
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(dial);
    // The two warning ranges.
    const auto arc = [&](double from, double to, QColor c) {
        p.setPen(QPen(c, 7, Qt::SolidLine, Qt::FlatCap));
        const double a0 = AngleOf(from), a1 = AngleOf(to);
        p.drawArc(dial.adjusted(8, 8, -8, -8), static_cast<int>(a1 * 16), static_cast<int>((a0 - a1) * 16));
    };
    arc(40, 100, QColor(0xB2, 0x22, 0x22));
    arc(-100, -40, QColor(0x00, 0x80, 0x00));
    // Ticks every 12.5.
    const QPointF c = dial.center();
    const double r = dial.width() / 2.0;
    p.setPen(QPen(Qt::darkGray, 1));
    for (double v = kMin; v <= kMax + 1e-9; v += 12.5) {
        const double a = AngleOf(v) * M_PI / 180.0;
        p.drawLine(c + QPointF(std::cos(a), -std::sin(a)) * (r - 16), c + QPointF(std::cos(a), -std::sin(a)) * (r - 24));
    }
    const double a = AngleOf(m_dValue) * M_PI / 180.0;
    p.setPen(QPen(QColor(0x46, 0x82, 0xB4), 3));
    p.drawLine(c, c + QPointF(std::cos(a), -std::sin(a)) * (r - 20));
    p.setBrush(QColor(0x46, 0x82, 0xB4));
    p.drawEllipse(c, 5, 5);
}

CDlgAidMagCalibration::CDlgAidMagCalibration() : CDialogExMid(IDD)
{
    resize(MapDialogRect(QRect(0, 0, 316, 182)).size());
    m_pGauge = new CPoleGauge(this);
    platform::SetCtrlId(m_pGauge, IDC_GAUGE);
    m_pGauge->setGeometry(MapDialogRect(QRect(7, 7, 275, 117)));
    m_pStart = new QPushButton(TrText(QStringLiteral("启动磁极校准")), this);
    platform::SetCtrlId(m_pStart, IDC_START);
    m_pStart->setGeometry(MapDialogRect(QRect(117, 136, 88, 39)));
    m_pStart->setToolTip(TrText(QStringLiteral("启动磁极校准")));
    connect(m_pStart, &QPushButton::clicked, this, [this] { OnBnClickedStart(); });
}

CDlgAidMagCalibration::~CDlgAidMagCalibration()
{
    m_worker.Stop();
}

bool CDlgAidMagCalibration::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_rng.seed(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    m_bInitialized = true;
    return true;
}

void CDlgAidMagCalibration::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (!m_bInitialized)
        return;
    const QRect client = rect();
    const int W = client.width(), H = client.height(), G = (2 * H) / 3, C = W / 2;
    m_pGauge->setGeometry(client.left(), client.top(), W, G);
    m_pGauge->show();
    // A quarter of the page wide, under the gauge; never less than a usable button.
    m_pStart->setGeometry(client.left() + C - (C / 2) / 2, client.top() + G + 20, std::max(C / 2, 80),
                          std::max(C / 4 - 50, 24));
    m_pStart->show();
}

int CDlgAidMagCalibration::AnimationValue(std::mt19937 &rng)
{
    int m = static_cast<int>(rng() % 201);
    if (m == 0)
        m = 1;
    return static_cast<int>(rng() % static_cast<unsigned>(m)) - 100;
}

void CDlgAidMagCalibration::OnTimer(UINT_PTR id)
{
    if (id == kAnimTimer)
        m_pGauge->SetValue(AnimationValue(m_rng));
}

void CDlgAidMagCalibration::OnBnClickedStart()
{
    if (m_bRunning)
        return;
    CSysParam *sys = GetSysParam();
    if (!sys || !sys->m_bConnected) {
        ShowBCGMessageBox(this, TrText(QStringLiteral("请连接串口！")), QString(), MB_OK);
        return;
    }
    m_bRunning = true;
    m_pStart->setEnabled(false);
    SetTimer(kAnimTimer, kAnimMs);
    const platform::WindowRef self(this);
    const int cycleMs = m_nCycleMs;
    m_worker.Start([self, cycleMs](const std::atomic<bool> &stop) {
        const auto sleep = [&](int ms) {
            // Short slices, so that a stop is seen within a few milliseconds.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            while (!stop && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 5)));
            return !stop.load();
        };
        const auto warn = [&](int code) {
            if (stop)
                return;
            QString text = TrText(QStringLiteral("失败，故障码%d"));
            text.replace(QStringLiteral("%d"), QString::number(code));
            platform::Ui().MessageBox(text, TrText(QStringLiteral("警告")), MB_OK | MB_ICONINFORMATION);
        };
        auto result = std::make_shared<CPoleRun::Result>(CPoleRun::Run(sleep, warn, cycleMs));
        if (!stop)
            platform::PostMessage(self, UM_THREAD_FINISHED, 0, 0, result);
    });
}

void CDlgAidMagCalibration::OnRunEnded(const CPoleRun::Result &r)
{
    m_pGauge->SetValue(0.0);
    KillTimer(kAnimTimer);
    m_bRunning = false;
    m_pStart->setEnabled(true);
    QString text;
    switch (r.outcome) {
    case CPoleRun::Outcome::Success:
        text = TrText(QStringLiteral("磁极校准成功，请重启伺服驱动器生效！"));
        break;
    case CPoleRun::Outcome::Cancelled:
        return;
    case CPoleRun::Outcome::Step2Failed:
    case CPoleRun::Outcome::Step2NotCleared: {
        QString code = TrText(QStringLiteral("失败，故障码%d"));
        code.replace(QStringLiteral("%d"), QString::number(r.code));
        text = TrText(QStringLiteral("磁极校准失败！")) + QStringLiteral("\n") + code;
        break;
    }
    default:
        text = TrText(QStringLiteral("磁极校准失败！"));
        break;
    }
    ShowBCGMessageBox(this, text, QString(), MB_OK);
}

LRESULT CDlgAidMagCalibration::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_THREAD_FINISHED) {
        if (auto r = Payload<CPoleRun::Result>())
            OnRunEnded(*r);
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

void CDlgAidMagCalibration::OnDestroy()
{
    m_worker.Stop();
    KillTimer(kAnimTimer);
    m_bRunning = false;
    CDialogExMid::OnDestroy();
}
