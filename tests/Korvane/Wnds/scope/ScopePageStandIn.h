#pragma once
// A minimal oscilloscope page and docker for the sampling panel's tests, until the real ones
// exist: the page owns a trace view and forwards start, stop, progress and capture-done as the
// page does; the docker holds the panel and points at the page.
#include "SYSPARAM/SysParam.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/VScope.h"
#include "platform/UiServices.h"

#include <QWidget>

class ScopePageStandIn : public QWidget, public CScopePanelPage
{
public:
    ScopePageStandIn() : view(this) { view.setGeometry(0, 0, 700, 500); }

    CVScope *GetScopeView() override { return &view; }
    int StartSampling() override
    {
        ++starts;
        if (!panel)
            return 1;
        const int r = panel->StartSampling();
        OnStartRefused(r);
        return r >= 0 ? 1 : 0;
    }
    int StopSampling() override
    {
        ++stops;
        CSysParam *sys = GetSysParam();
        if (!sys || !sys->m_bConnected) {
            platform::Ui().MessageBox(QStringLiteral("请连接串口！"), QStringLiteral("参数写入"), MB_OK);
            return 0;
        }
        return panel && panel->StopSampling() >= 0 ? 1 : 0;
    }
    void OnStartRefused(int result) override
    {
        if (result == -1 || result == -3)
            platform::Ui().MessageBox(result == -1 ? QStringLiteral("请连接串口！") : QStringLiteral("请选择通道！"),
                                      QStringLiteral("示波器"), MB_OK);
        if (result < 0)
            ++refusals;
    }
    LRESULT OnCaptureDone(WPARAM, LPARAM) override
    {
        if (panel) {
            panel->RedrawCapture();
            panel->EnableSingleControls(true);
        }
        progressShown = false;
        g_bScopeSingleBusy = 0;
        ++captures;
        return 0;
    }
    LRESULT OnCaptureProgress(WPARAM wParam, LPARAM) override
    {
        progressPos = static_cast<int>(wParam);
        return 0;
    }
    void SetCaptureProgress(const QString &, int pos, bool show) override
    {
        progressPos = pos;
        progressShown = show;
    }
    void UpdateScrollRange(int n) override { scrollPage = 10 * n; }

    CVScope view;
    CDlgSocpeParam *panel = nullptr;
    int starts = 0, stops = 0, refusals = 0, captures = 0;
    int progressPos = 0;
    bool progressShown = false;
    int scrollPage = 0;
};

class ScopeDockerStandIn : public QWidget, public CScopePanelDocker
{
public:
    explicit ScopeDockerStandIn(ScopePageStandIn *page) : QWidget(page), m_page(page) {}
    CScopePanelPage *GetPage() override { return m_page; }
    QWidget *GetCursorDialog() override { return nullptr; }

private:
    ScopePageStandIn *m_page;
};
