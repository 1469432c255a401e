#pragma once
// What the sampling panel needs of the oscilloscope page and of the side panel (docker) that
// holds it: the page's trace view, its start and stop, the capture messages it takes over, its
// progress bar and scroll range, and the docker's cursor measurement tab. The page and the
// docker implement these; the panel reaches them through its docker, and skips every view
// step while the docker has no page.
#include "platform/Messages.h"

#include <QString>

class CVScope;
class QWidget;

class CScopePanelPage
{
public:
    virtual ~CScopePanelPage() = default;
    virtual CVScope *GetScopeView() = 0;
    // The page's start and stop: nonzero when the panel's indicator is to turn.
    virtual int StartSampling() = 0;
    virtual int StopSampling() = 0;
    // A start the panel accepted ended refused later (drive I/O runs on the panel's worker):
    // -1 not connected, -2 refused with a message shown, -3 no channel has a source.
    virtual void OnStartRefused(int result) = 0;
    virtual LRESULT OnCaptureDone(WPARAM wParam, LPARAM lParam) = 0;
    // A running capture ended without a result (its thread gave up; `linkLost`: the roll's
    // stream stopped coming). The panel has already stopped it.
    virtual void OnCaptureFailed(bool linkLost) { (void)linkLost; }
    virtual LRESULT OnCaptureProgress(WPARAM wParam, LPARAM lParam) = 0;
    // The single-shot progress bar: its text, position and whether it shows.
    virtual void SetCaptureProgress(const QString &text, int pos, bool show) = 0;
    // Scroll bar: page = 10 × n samples (0xFFFF: the whole record).
    virtual void UpdateScrollRange(int n) = 0;
};

class CScopePanelDocker
{
public:
    virtual ~CScopePanelDocker() = default;
    // Null until the page is there.
    virtual CScopePanelPage *GetPage() = 0;
    // The cursor measurement tab's window; null when it has none.
    virtual QWidget *GetCursorDialog() = 0;
};
