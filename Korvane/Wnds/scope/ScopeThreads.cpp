#include "Wnds/scope/ScopeThreads.h"

#include "LangText.h"
#include "TraceLog.h"
#include "Wnds/scope/ScopeDecode.h"
#include "Wnds/scope/ScopeLink.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <thread>

namespace {

constexpr WORD kRegStatus = 0x8964;
constexpr WORD kRegRingP = 0x8962;
constexpr WORD kRegRingT = 0x8965;
constexpr int kTries = 10;
constexpr int kRollIdleWaitMs = 40;

struct ThreadSlot {
    std::thread thread;
    std::atomic<bool> done{true};
};

ThreadSlot g_single;
ThreadSlot g_roll;

QString FormatLang(const char *key, long long value)
{
    return QString::asprintf(LoadLangString(QString::fromLatin1(key)).toUtf8().constData(), value);
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

bool JoinSlot(ThreadSlot &slot, const char *what)
{
    if (!slot.thread.joinable())
        return true;
    const bool pump = QCoreApplication::instance() &&
                      QThread::currentThread() == QCoreApplication::instance()->thread();
    const auto start = std::chrono::steady_clock::now();
    bool warned = false;
    while (!slot.done) {
        if (pump)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!warned && std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) {
            KLOG("Wnds\\scope\\ScopeThreads") << what << " thread still running 5 s after its stop";
            warned = true;
        }
    }
    slot.thread.join();
    return true;
}

void StartSlot(ThreadSlot &slot, const char *what, int (*proc)(CScopeThreadParam *),
               CScopeThreadParam *param)
{
    JoinSlot(slot, what);
    slot.done = false;
    slot.thread = std::thread([&slot, proc, param] {
        proc(param);
        slot.done = true;
    });
}

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
    const auto sink = [param](int decoded, int lost) {
        platform::SendMessage(param->hNotify, UM_SCOPE_ROLL_FRAME, static_cast<WPARAM>(decoded),
                              static_cast<LPARAM>(lost));
    };
    while (settings->m_bRollRunning) {
        const DWORD got = scopelink::ReadStream(input.data(), kScopeRollReadMax, kRollIdleWaitMs);
        if (got == 0)
            continue;
        if (!decoder.Feed(input.data(), got, sink)) {
            ShowBox(LoadLangString(QStringLiteral("IDS_NewScopeView_79")));
            platform::PostMessage(param->hNotify, UM_SCOPE_THREAD_ENDED, 1, 0);
            return 0;
        }
    }
    return 1;
}

void StartScopeSingleShotThread(CScopeThreadParam *param)
{
    StartSlot(g_single, "single-shot", ScopeSingleShotThreadProc, param);
}

void StartScopeRollThread(CScopeThreadParam *param)
{
    StartSlot(g_roll, "roll", ScopeRollThreadProc, param);
}

bool JoinScopeSingleShotThread()
{
    return JoinSlot(g_single, "single-shot");
}

bool JoinScopeRollThread()
{
    return JoinSlot(g_roll, "roll");
}

bool ScopeSingleShotThreadRunning()
{
    return !g_single.done;
}

bool ScopeRollThreadRunning()
{
    return !g_roll.done;
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
