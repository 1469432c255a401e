#pragma once
// The two acquisition threads of the oscilloscope. Each is an owned std::thread, started per
// capture with the mode's CScopeThreadParam, ending when its run flag in CScopeSettings is
// cleared (or by itself after a capture or a failure, which it tells its window with
// UM_SCOPE_THREAD_ENDED). Joining pumps the GUI's events, since the threads hand their data
// over with blocking sends.
#include "Wnds/scope/ScopeSettings.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// lParam of the roll thread's UM_SCOPE_THREAD_ENDED when the stream stopped coming (the link
// or the drive is gone).
constexpr long kScopeRollLinkLost = 2;
// Silence of the stream after which a roll counts as lost: this long, or three frames' time
// when the frames come slower.
constexpr int kScopeRollSilenceMs = 2000;
// The silence a roll starts with: kScopeRollSilenceMs, unless a test of the page's logic
// shortened it so as not to wait out two seconds of a drive that is gone. 0 restores the
// default.
int ScopeRollSilenceMs();
void SetScopeRollSilenceMs(int ms);

// One roll frame on its way to the GUI thread: posted with UM_SCOPE_ROLL_FRAME as the
// message's payload (wParam decoded, lParam lost as before), so the reader never waits for the
// GUI. The settings' sample buffers belong to the reader during a roll; the frame carries a
// copy of them.
struct ScopeRollFrame {
    std::vector<double> ch[4];
    std::vector<std::int32_t> di;
    std::vector<std::int32_t> dout;
    std::shared_ptr<std::atomic<int>> inFlight;  // the reader's count of frames not yet handled
    ScopeRollFrame() = default;
    ScopeRollFrame(const ScopeRollFrame &) = delete;
    ScopeRollFrame &operator=(const ScopeRollFrame &) = delete;
    ~ScopeRollFrame()
    {
        if (inFlight)
            --*inFlight;
    }
};
// Frames the GUI thread may lag behind before the reader counts further ones as lost (about
// half a minute of the fastest stream).
constexpr int kScopeRollQueueFrames = 2048;

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
