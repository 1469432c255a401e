#pragma once
// The two acquisition threads of the oscilloscope. Each is an owned std::thread, started per
// capture with the mode's CScopeThreadParam, ending when its run flag in CScopeSettings is
// cleared (or by itself after a capture or a failure, which it tells its window with
// UM_SCOPE_THREAD_ENDED). Joining pumps the GUI's events, since the threads hand their data
// over with blocking sends.
#include "Wnds/scope/ScopeSettings.h"

// lParam of the roll thread's UM_SCOPE_THREAD_ENDED when the stream stopped coming (the link
// or the drive is gone).
constexpr long kScopeRollLinkLost = 2;
// Silence of the stream after which a roll counts as lost: this long, or three frames' time
// when the frames come slower.
constexpr int kScopeRollSilenceMs = 2000;

// Thread bodies; 1 when the capture completed (single shot) or the run flag ended the stream
// (roll), 0 when the thread ended early.
int ScopeSingleShotThreadProc(CScopeThreadParam *param);
int ScopeRollThreadProc(CScopeThreadParam *param);

// Start the thread of the mode with a copy of *param; a previous thread of the same mode is
// joined first. The run flag must already be set.
void StartScopeSingleShotThread(CScopeThreadParam *param);
void StartScopeRollThread(CScopeThreadParam *param);
// Joins the thread of the mode, pumping events meanwhile (call after clearing its flag).
// True when no thread of the mode is left.
bool JoinScopeSingleShotThread();
bool JoinScopeRollThread();
bool ScopeSingleShotThreadRunning();
bool ScopeRollThreadRunning();
// Clears both run flags and joins both threads (the exit and the settings' destruction).
void StopScopeThreads();
