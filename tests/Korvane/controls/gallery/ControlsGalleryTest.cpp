// A small gallery: each control drawn offscreen in a typical state and saved as a PNG in
// gallery/ beside the test, for a look by eye.
#include "controls/KVProcessIndicator.h"
#include "controls/LHBGraph.h"
#include "controls/MiniGridCtrl.h"
#include "controls/MyProgressCtrl.h"
#include "controls/ProgressDialog_Implement.h"

#include <QDialog>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QString GalleryPath(const QString &name)
{
    QDir().mkpath(QStringLiteral("gallery"));
    return QDir(QStringLiteral("gallery")).absoluteFilePath(name);
}

void Keep(QWidget &w, const QString &name)
{
    const QImage img = w.grab().toImage();
    ASSERT_FALSE(img.isNull()) << name.toStdString();
    EXPECT_TRUE(img.save(GalleryPath(name))) << name.toStdString();
}

class Owner : public QWidget, public platform::MessageTarget, public CProgressDialog_Implement
{
public:
    Owner() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == UM_PROGRESS_POLL)
            return PollFinished(static_cast<BOOL>(wParam));
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
};

}

TEST(ControlsGallery, ProgressBars)
{
    QWidget host;
    host.resize(320, 70);
    CMyProgressCtrl plain(&host);
    plain.setGeometry(10, 8, 300, 22);
    plain.SetRange(0, 3);
    plain.SetPos(1);
    CMyProgressCtrl caption(&host, true);
    caption.setGeometry(10, 40, 300, 22);
    caption.SetRange(0, 200);
    caption.SetPos(150);
    caption.SetWindowText(QStringLiteral("参数读取中，请稍后..."));
    host.show();
    Keep(host, QStringLiteral("progress_bar.png"));
}

TEST(ControlsGallery, PleaseWaitDialog)
{
    Owner page;
    page.resize(200, 100);
    page.show();
    page.ShowProgress(QStringLiteral("读取数据中..."), page.GetWindowRef(), &page);
    ASSERT_NE(g_pProgressDlg, nullptr);
    QDialog *dlg = g_pProgressDlg->Window();
    dlg->resize(260, 110);
    QTest::qWait(50);
    Keep(*dlg, QStringLiteral("please_wait.png"));
    page.SetDone();
    EXPECT_TRUE(QTest::qWaitFor([] { return CProgressDialog_Implement::RunningWatchers() == 0; }, 10000));
}

TEST(ControlsGallery, PressIndicators)
{
    QWidget host;
    host.resize(360, 130);
    CKVProcessIndicator idle(&host), running(&host), withCentre(&host);
    idle.setGeometry(5, 5, 110, 110);
    idle.SetLabel(QStringLiteral("开始"));
    running.setGeometry(125, 5, 110, 110);
    running.SetLabel(QStringLiteral("采样"));
    running.GetIndicatorImpl()->StartMarquee(TRUE, 0.0);
    withCentre.setGeometry(245, 5, 110, 110);
    CircularProgressIndicatorOptions o;
    o.m_nShape = 1;
    o.m_nMarqueeArcs = 3;
    withCentre.GetIndicatorImpl()->SetOptions(o);
    withCentre.GetIndicatorImpl()->SetCenterText(QStringLiteral("75%"));
    withCentre.SetLabel(QStringLiteral("正转"));
    withCentre.GetIndicatorImpl()->StartMarquee(TRUE, 0.0);
    host.show();
    QTest::qWait(60);
    Keep(host, QStringLiteral("press_indicator.png"));
}

TEST(ControlsGallery, CurveCharts)
{
    CLHBGraph gain;
    gain.resize(640, 360);
    gain.show();
    gain.m_nXScale = 1;
    gain.m_bShowMarkers = true;
    gain.AddCurve(QStringLiteral("增益曲线"), QStringLiteral("频率"), QStringLiteral("dB"), RGB(255, 80, 80), -40, 8, 0, 100);
    gain.AddCurve(QStringLiteral("CMP"), QStringLiteral("频率"), QStringLiteral("dB"), RGB(160, 160, 160), -40, 8, 0, 100);
    for (int i = 0; i <= 400; ++i) {
        const double f = std::pow(10.0, i / 100.0);
        const double g = 20.0 * std::log10(1.0 / std::sqrt(1.0 + std::pow(f / 300.0, 4.0)));
        gain.AddPoint(QStringLiteral("增益曲线"), static_cast<float>(f), static_cast<float>(g), g < -3.0 && g > -3.2);
        gain.AddPoint(QStringLiteral("CMP"), static_cast<float>(f), static_cast<float>(g - 6.0 + 2.0 * std::sin(i / 9.0)), false);
    }
    gain.SetCurvesFlag(true);
    QImage first = gain.grab().toImage();  // pixel positions for the read-out
    gain.m_ptCursor = QPoint(420, 200);
    Keep(gain, QStringLiteral("curve_chart_log.png"));

    CLHBGraph linear;
    linear.resize(640, 300);
    linear.show();
    linear.m_nXScale = 0;
    linear.m_crBack = RGB(250, 250, 245);
    linear.AddCurve(QStringLiteral("speed"), QStringLiteral("ms"), QStringLiteral("rpm"), RGB(0, 90, 200), -1000, 200, 0, 250);
    for (int i = 0; i <= 1000; ++i)
        linear.AddPoint(QStringLiteral("speed"), static_cast<float>(i), static_cast<float>(800.0 * std::sin(i / 80.0) * std::exp(-i / 700.0)), false);
    linear.DoLButtonDown({100, 60});
    linear.m_ptCursor = QPoint(300, 200);  // a zoom box being dragged
    Keep(linear, QStringLiteral("curve_chart_linear.png"));
    linear.DoLButtonUp({300, 200});
    Keep(linear, QStringLiteral("curve_chart_zoomed.png"));
}

TEST(ControlsGallery, MiniGrid)
{
    CMiniGridCtrl grid;
    grid.resize(420, 190);
    grid.m_nMinRowHeight = 30;
    grid.m_bUseMinRowHeight = TRUE;
    grid.InsertColumn(0, QStringLiteral("Di状态"), 130);
    grid.InsertColumn(1, QStringLiteral("功能"), 150);
    grid.InsertColumn(2, QStringLiteral("强制"), 120);
    const char *functions[] = {"伺服使能", "报警清除", "正转限位", "反转限位"};
    for (int r = 0; r < 4; ++r) {
        platform::GridRow *row = grid.CreateRow(3);
        row->ReplaceItem(0, new CMiniRadioItem(QStringLiteral("低电平"), QStringLiteral("高电平"), static_cast<BYTE>(r % 2)));
        row->ReplaceItem(1, new platform::GridItem(QString::fromUtf8(functions[r])));
        row->ReplaceItem(2, new CMiniRadioItem(QString(), QString(), static_cast<BYTE>(r == 3)));
        grid.AddRow(row, false);
    }
    grid.SetRowHeight();
    grid.ApplyTableColors(true, RGB(20, 20, 90), RGB(250, 250, 250), RGB(232, 240, 250));
    grid.show();
    QTest::qWait(30);
    Keep(grid, QStringLiteral("mini_grid.png"));
}
