#pragma once
// The application's switches that pages, controls and workers read and write: the link state
// shown by the status bar, the "Enter writes to the drive" switch, the oscilloscope's view
// switches and the safety-prompt flags. The application object is the live instance; code
// outside the application, frame and view reaches them through GetAppFlags(), so a test can
// put its own instance in place without building an application.
//
// The flags are BOOL because the pages hand a flag's address to the safety prompt, which
// writes its "do not show again" box into it.
#include "platform/WinTypes.h"

#include <atomic>
#include <functional>

struct CAppFlags
{
    CAppFlags() = default;
    CAppFlags(const CAppFlags &) = delete;
    CAppFlags &operator=(const CAppFlags &) = delete;

    // m_bIsDangerWnd follows the three per-aid "do not show again" flags: the prompt is on
    // while none of them is set.
    void UpdateDangerWnd()
    {
        m_bIsDangerWnd = (!m_bIsDangerJogMoveWnd && !m_bIsDangerInertiaWnd && !m_bIsDangerAnalyseWnd) ? TRUE : FALSE;
    }

    // Set by the main frame's status timer, tested by worker threads before they touch the drive.
    std::atomic<BOOL> m_bOnline{FALSE};

    // Kept in "SysSet.ini", section "FunctionSet" (GUI thread only).
    BOOL m_bIsEnterWriteDriver = TRUE;
    BOOL m_bScopeShowCursor = TRUE;
    BOOL m_bScopeIsOnce = FALSE;
    BOOL m_bScopeCheckCh1 = FALSE;
    BOOL m_bScopeCheckCh2 = FALSE;
    BOOL m_bScopeCheckCh3 = FALSE;
    BOOL m_bScopeCheckCh4 = FALSE;
    BOOL m_bIsDangerWnd = TRUE;
    BOOL m_bIsDangerJogMoveWnd = FALSE;
    BOOL m_bIsDangerAnalyseWnd = FALSE;
    BOOL m_bIsDangerInertiaWnd = FALSE;

    // Writes "SysSet.ini" at once, for a switch that is saved when it is clicked. The
    // application installs it; without it (tests) nothing is written.
    std::function<void()> m_fnSaveSysSetIni;
};

// The installed flags: the application's while it lives, or what a test set. Never null: with
// nothing installed it answers a process-wide instance holding the defaults.
CAppFlags *GetAppFlags();
// Installs `flags` (null puts the process-wide default instance back). The caller keeps
// ownership and uninstalls before the object goes.
void SetAppFlags(CAppFlags *flags);
