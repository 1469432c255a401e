#include "Wnds/scope/ScopeThreads.h"

#include "LangFormat.h"
#include "LangText.h"
#include "Wnds/scope/ScopeDecode.h"
#include "Wnds/scope/ScopeLink.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"
#include "platform/Adjustable.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr WORD kRegStatus = 0x8964;
constexpr WORD kRegRingP = 0x8962;
constexpr WORD kRegRingT = 0x8965;
constexpr int kTries = 10;
constexpr int kRollIdleWaitMs = 40;
platform::Adjustable<int> g_rollSilenceMs;

// Process-wide owners of the two threads (one capture of each mode at a time).
platform::PageWorker &SingleWorker()
{
    static platform::PageWorker worker(nullptr, "oscilloscope single-shot");
    return worker;
}

platform::PageWorker &RollWorker()
{
    static platform::PageWorker worker(nullptr, "oscilloscope roll");
    return worker;
}

QString FormatLang(const char *key, int value)
{
    return FillLangFormat(LoadLangString(QString::fromLatin1(key)), {static_cast<long long>(value)});
}

void ShowBox(const QString &text)
{
    platform::Ui().MessageBox(text, QString(), MB_OK);
}

template <typename Read>
bool Attempts(Read read)
{
    for (int i = 0; i < kTries; ++i) {
        if (read())
            return true;
    }
    return false;
}

void StartOn(platform::PageWorker &worker, int (*proc)(CScopeThreadParam *),
             CScopeThreadParam *param)
{
    // The run flag, not the worker's own flag, ends a capture: the panel clears it. Each run
    // reads its own copy of the record: the next start may refill the shared one before this
    // thread has ended.
    worker.Start([proc, copy = *param](const std::atomic<bool> &) mutable { proc(&copy); });
}

}

int ScopeRollSilenceMs()
{
    return g_rollSilenceMs.Or(kScopeRollSilenceMs);
}

void SetScopeRollSilenceMs(int ms)
{
    g_rollSilenceMs.Set(ms);
}

int ScopeSingleShotThreadProc(CScopeThreadParam *param)
{
    CScopeSettings *settings = CScopeSettings::GetInstance();
    if (!settings)
        return 0;
    auto ended = [param](int result) {
        if (result == 0)
            platform::PostMessage(param->hNotify, UM_SCOPE_THREAD_ENDED, 0, result);
        return result;
    };

    // The recorder is ready at 2; anything else (1 recording, a failed read) is polled again
    // after a short pause, so a drive that never gets ready costs no CPU.
    while (settings->m_bSingleRunning) {
        int status = 0;
        scopelink::ReadReg(kRegStatus, &status);
        if (status == 2)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    settings->ClearSamples();
    if (!settings->m_bSingleRunning)
        return 0;

    const std::size_t blocks = static_cast<std::size_t>(2 * settings->m_nSampleWords) / kScopeBlockBytes;
    std::vector<BYTE> raw;
    raw.reserve(blocks * kScopeBlockBytes);
    for (std::size_t i = 0; i < blocks; ++i) {
        BYTE block[kScopeBlockBytes];
        if (!Attempts([&] { return scopelink::ReadBlock(static_cast<WORD>(i), block); })) {
            ShowBox(FormatLang("IDS_NewScopeView_53", scopelink::LastError()));
            return ended(0);
        }
        raw.insert(raw.end(), block, block + kScopeBlockBytes);
        platform::SendMessage(param->hNotify, UM_SCOPE_PROGRESS, i + 1, 0);
        if (!settings->m_bSingleRunning)
            return 0;
    }
    int P = 0;
    if (!Attempts([&] { return scopelink::ReadReg(kRegRingP, &P); })) {
        ShowBox(FormatLang("IDS_NewScopeView_54", scopelink::LastError()));
        return ended(0);
    }
    int T = 0;
    if (!Attempts([&] { return scopelink::ReadReg(kRegRingT, &T); })) {
        ShowBox(FormatLang("IDS_NewScopeView_55", scopelink::LastError()));
        return ended(0);
    }
    if (!UnpackSingleShot(*param, raw.data(), raw.size(), P, T, *settings)) {
        // The drive named a ring position outside the capture: the samples stay as read.
        ShowBox(LoadLangString(QStringLiteral("IDS_NewScopeView_119")));
    }
    platform::SendMessage(param->hNotify, UM_SCOPE_CAPTURE_DONE, 0, 0);
    return 1;
}

int ScopeRollThreadProc(CScopeThreadParam *param)
{
    CScopeSettings *settings = CScopeSettings::GetInstance();
    if (!settings)
        return 0;
    CRollStreamDecoder decoder(*param, *settings, scopelink::Station(), scopelink::BlockFunction());
    std::vector<BYTE> input(kScopeRollReadMax);
    // Frames are posted, never sent: a GUI thread busy drawing must not hold up the reader,
    // or the line backs up and the drive drops frames. Past the queue's bound a frame is
    // counted lost (with the next one that goes out) rather than waited for.
    auto inFlight = std::make_shared<std::atomic<int>>(0);
    int dropped = 0;
    const auto sink = [param, settings, inFlight, &dropped](int decoded, int lost) {
        if (*inFlight >= kScopeRollQueueFrames) {
            dropped += decoded ? 1 + std::max(lost, 0) : 0;
            return;
        }
        auto frame = std::make_shared<ScopeRollFrame>();
        if (decoded) {
            for (int i = 0; i < 4; ++i)
                frame->ch[i] = settings->m_vecCh[i];
            frame->di = settings->m_vecDI;
            frame->dout = settings->m_vecDO;
            lost += dropped;
            dropped = 0;
        }
        ++*inFlight;
        frame->inFlight = inFlight;
        platform::PostMessage(param->hNotify, UM_SCOPE_ROLL_FRAME, static_cast<WPARAM>(decoded),
                              static_cast<LPARAM>(lost), std::move(frame));
    };
    const double frameMs = ScopeRollSamplesPerFrame(param->nLayout - kScopeRollLayoutOffset) *
                           std::max(settings->m_nPeriodCount, 0) * std::max(settings->m_dBasePeriodMs, 0.0);
    const auto silenceLimit = std::chrono::milliseconds(
        std::max<long long>(ScopeRollSilenceMs(), static_cast<long long>(3 * frameMs)));
    auto lastInput = std::chrono::steady_clock::now();
    while (settings->m_bRollRunning) {
        const DWORD got = scopelink::ReadStream(input.data(), kScopeRollReadMax, kRollIdleWaitMs);
        if (got == 0) {
            // A stream that stopped is a link that is gone: the roll ends and says so, rather
            // than spinning on while the drive is unplugged.
            if (std::chrono::steady_clock::now() - lastInput >= silenceLimit && settings->m_bRollRunning) {
                platform::PostMessage(param->hNotify, UM_SCOPE_THREAD_ENDED, 1, kScopeRollLinkLost);
                return 0;
            }
            continue;
        }
        lastInput = std::chrono::steady_clock::now();
        if (!decoder.Feed(input.data(), got, sink)) {
            ShowBox(LoadLangString(QStringLiteral("IDS_NewScopeView_79")));
            platform::PostMessage(param->hNotify, UM_SCOPE_THREAD_ENDED, 1, 0);
            return 0;
        }
    }
    // What had already come when the stop was given belongs to the run: a reader that lags
    // behind a busy machine takes it before it ends.
    for (int pass = 0; pass < 8; ++pass) {
        const DWORD got = scopelink::ReadStream(input.data(), kScopeRollReadMax, 0);
        if (got == 0 || !decoder.Feed(input.data(), got, sink))
            break;
    }
    return 1;
}

void StartScopeSingleShotThread(CScopeThreadParam *param)
{
    StartOn(SingleWorker(), ScopeSingleShotThreadProc, param);
}

void StartScopeRollThread(CScopeThreadParam *param)
{
    StartOn(RollWorker(), ScopeRollThreadProc, param);
}

bool JoinScopeSingleShotThread()
{
    SingleWorker().Stop();
    return true;
}

bool JoinScopeRollThread()
{
    RollWorker().Stop();
    return true;
}

bool ScopeSingleShotThreadRunning()
{
    return SingleWorker().IsRunning();
}

bool ScopeRollThreadRunning()
{
    return RollWorker().IsRunning();
}

void StopScopeThreads()
{
    if (CScopeSettings::Exists()) {
        CScopeSettings *s = CScopeSettings::GetInstance();
        s->m_bSingleRunning = 0;
        s->m_bRollRunning = 0;
    }
    JoinScopeSingleShotThread();
    JoinScopeRollThread();
}
