#include "Wnds/scope/ScopeControl.h"

#include "LangFormat.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "Wnds/scope/ScopeLink.h"
#include "Wnds/scope/ScopeThreads.h"
#include "Wnds/scope/WaveFile.h"
#include "platform/UiServices.h"
#include "platform/Adjustable.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace {

constexpr WORD kRegFrequency = 0x8958;
constexpr WORD kRegFirstConfig = 0x8959;
constexpr WORD kRegCommand = 0x8963;
constexpr int kTries = 10;
platform::Adjustable<int> g_stopPauseMs;

QString Lang(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

QString FormatLang(const char *key, int value)
{
    return FillLangFormat(Lang(key), {static_cast<long long>(value)});
}

void Box(const QString &text, const char *captionKey)
{
    platform::Ui().MessageBox(text, Lang(captionKey), MB_OK);
}

bool WriteTries(WORD address, WORD value, int tries)
{
    for (int i = 0; i < tries; ++i)
        if (scopelink::WriteReg(address, value))
            return true;
    return false;
}

void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Connected()
{
    return scopelink::Connected();
}

}

class CScopeControl::Sink : public QObject, public platform::MessageTarget {
public:
    Sink() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg != UM_SCOPE_CORE_RESULT)
            return MessageTarget::WindowProc(msg, w, l);
        if (auto f = Payload<std::function<void()>>())
            (*f)();
        return 0;
    }
};

int CScopeControl::StopPauseMs()
{
    return g_stopPauseMs.Or(kStopPauseMs);
}

void CScopeControl::SetStopPauseMs(int ms)
{
    g_stopPauseMs.Set(ms);
}

CScopeControl::CScopeControl(CScopeChannels &channels, CScopeSettings &settings)
    : m_channels(channels), m_settings(settings), m_sink(std::make_unique<Sink>()),
      m_worker(m_sink.get(), "oscilloscope commands")
{
}

CScopeControl::~CScopeControl()
{
    // A continuation the join below lets through finds the panel half gone: it does nothing.
    m_bClosing = true;
    m_worker.Stop();
}

bool CScopeControl::Busy() const
{
    return m_worker.IsRunning();
}

bool CScopeControl::StartPending() const
{
    return m_pStart && !m_pStart->cancelled;
}

bool CScopeControl::Running(ScopeMode mode) const
{
    if (StartPending() && m_pStart->mode == mode)
        return true;
    switch (mode) {
    case ScopeMode::SingleShot:
        // A start whose writes failed half-way leaves the drive set up: its stop still counts.
        return m_settings.m_bSingleRunning || g_bScopeSingleBusy || ScopeSingleShotThreadRunning();
    case ScopeMode::Roll:
        // A roll whose thread gave up by itself keeps its flag until it is stopped.
        // A stop under way is not stopped twice (that would write a second recording).
        return !m_bRollStopping && (m_settings.m_bRollRunning || m_channels.m_bRoll || ScopeRollThreadRunning());
    default: return false;
    }
}

void CScopeControl::RunOnWorker(Work work)
{
    m_worker.Start(std::move(work));
}

void CScopeControl::Post(std::function<void()> onGui)
{
    platform::PostMessage(m_sink.get(), UM_SCOPE_CORE_RESULT, 0, 0,
                          std::make_shared<std::function<void()>>([this, onGui = std::move(onGui)] {
                              if (!m_bClosing)
                                  onGui();
                          }));
}

void CScopeControl::EndCalledOffStart(const Ticket &ticket, const std::atomic<bool> &stop)
{
    if (stop)
        return;
    // The drive may have taken some of the set-up, or the start command itself.
    if (Connected())
        WriteTries(kRegCommand, 2, ticket->mode == ScopeMode::Roll ? kTries : 3);
    Post([this, ticket] { FinishCalledOffStart(ticket); });
}

void CScopeControl::StopStartedDrive(const Ticket &ticket)
{
    RunOnWorker([this, ticket](const std::atomic<bool> &stop) { EndCalledOffStart(ticket, stop); });
}

void CScopeControl::FinishCalledOffStart(const Ticket &ticket)
{
    EndTicket(ticket);
    const auto callbacks = std::move(ticket->onStopped);
    for (const auto &f : callbacks)
        if (f)
            f();
}

void CScopeControl::EndTicket(const Ticket &ticket)
{
    if (m_pStart == ticket)
        m_pStart.reset();
}

void CScopeControl::PostOutcome(const Ticket &ticket, std::function<void()> outcome)
{
    Post([this, ticket, outcome = std::move(outcome)] {
        if (ticket->cancelled)
            return StopStartedDrive(ticket);
        EndTicket(ticket);
        outcome();
    });
}

unsigned CScopeControl::MinimumRollPeriod(unsigned f, int layout, int baud, int bitsPerByte)
{
    const double s = ScopeRollSamplesPerFrame(layout);
    const double part = std::floor(static_cast<double>(f) * 1551.0 / s / 57600.0 + 4);
    double line = part;
    if (baud > 0 && bitsPerByte > 0)
        line = std::floor(static_cast<double>(f) * 141.0 * bitsPerByte / s / baud + 4);
    return static_cast<unsigned>(std::max(part, line));
}

BOOL CScopeControl::CheckRollPeriod(unsigned nCycleCount, int layout, unsigned *minimum)
{
    int f = 8000;
    if (!scopelink::ReadReg(kRegFrequency, &f))
        f = 8000;
    *minimum = MinimumRollPeriod(static_cast<unsigned>(f) & 0xFFFF, layout, scopelink::Baud(),
                                 scopelink::BitsPerByte());
    return nCycleCount >= *minimum ? TRUE : FALSE;
}

bool CScopeControl::ReadSampleBase(double *basePeriodMs)
{
    if (!Connected())
        return false;
    int f = 0;
    for (int i = 0; i < kTries; ++i) {
        if (scopelink::ReadReg(kRegFrequency, &f)) {
            const unsigned hz = static_cast<unsigned>(f) & 0xFFFF;
            if (hz != 0)
                *basePeriodMs = 1000.0 / hz;
            return true;
        }
    }
    return false;
}

BOOL CScopeControl::RefreshCaptureParams(QList<CDBDataParameter> &params,
                                         const std::function<bool()> &calledOff)
{
    if (!Connected()) {
        Box(Lang("IDS_NewScopeView_94"), "IDS_NewScopeView_95");
        return FALSE;
    }
    for (auto &p : params) {
        if (calledOff && calledOff())
            return FALSE;
        bool ok = false;
        int value = 0;
        for (int i = 0; i < kTries && !ok; ++i) {
            if (p.dwWidth == 16)
                ok = scopelink::ReadReg(static_cast<WORD>(p.dwAddress), &value);
            else if (p.dwWidth == 32)
                ok = scopelink::ReadReg32(static_cast<WORD>(p.dwAddress), &value);
            else
                break;
        }
        if (!ok) {
            Box(Lang("IDS_NewScopeView_96"), "IDS_NewScopeView_97");
            return FALSE;
        }
        p.iCurValue = value;
    }
    return TRUE;
}

void CScopeControl::RefreshCaptureParamsAsync(std::function<void(BOOL)> done)
{
    // The worker reads into its own copy: the GUI thread may write a capture file from the
    // list meanwhile. The values read so far are taken over on the GUI thread.
    RunOnWorker([this, params = m_settings.m_arrCaptureParams, done = std::move(done)](const std::atomic<bool> &) mutable {
        const BOOL ok = RefreshCaptureParams(params);
        Post([this, done, ok, params] {
            m_settings.m_arrCaptureParams = params;
            if (done)
                done(ok);
        });
    });
}

const QStringList &CScopeControl::LoadedParamCodes()
{
    static const QStringList codes{"H0506", "H0703", "H0705", "H0800", "H0801", "H0802",
                                   "H0803", "H0804", "H0805", "H0815", "H0819", "H0821"};
    return codes;
}

const QStringList &CScopeControl::CaptureParamCodes()
{
    static const QStringList codes{"H0000", "H0202", "H0504", "H0506", "H0507", "H0509",
                                   "H0511", "H0513", "H0519", "H0605", "H0606", "H0611",
                                   "H0705", "H0800", "H0801", "H0802", "H0803", "H0804",
                                   "H0805", "H0808", "H0809", "H0810", "H0815", "H0818",
                                   "H0819", "H0820", "H0821", "H0822", "H0824"};
    return codes;
}

void CScopeControl::BuildCaptureParamLists(const QList<CDBDataParameter> &activeAxis)
{
    auto fill = [&](QList<CDBDataParameter> &list, const QStringList &codes) {
        list.clear();
        for (const QString &code : codes) {
            for (const auto &p : activeAxis) {
                if (p.sNum == code) {
                    list.append(p);
                    break;
                }
            }
        }
    };
    fill(m_settings.m_arrParamList, LoadedParamCodes());
    fill(m_settings.m_arrCaptureParams, CaptureParamCodes());
}

bool CScopeControl::FillThreadParam(CScopeThreadParam &param, const ScopeStartChoice &choice,
                                    int layoutCode)
{
    bool any = false;
    param = CScopeThreadParam();
    for (int c = 0; c < 4; ++c) {
        const QString &name = choice.strSource[c];
        if (name != QLatin1String("NULL"))
            any = true;
        const int i = m_settings.FindChannelInfo(name);
        if (i >= 0) {
            param.arrChannel[c] = m_settings.m_arrChannelInfo[static_cast<std::size_t>(i)];
        } else if (c >= 2) {
            const int b = m_settings.FindBitSource(name);
            if (b >= 0) {
                CChannelInfo bit;
                bit.nSourceCode = m_settings.m_arrChBit[static_cast<std::size_t>(b)].nId;
                bit.fScale = 0;
                param.arrChannel[c] = bit;
            }
        }
    }
    param.nLayout = layoutCode;
    param.hNotify = choice.hNotify;
    return any;
}

int CScopeControl::StartSampling(const ScopeStartChoice &choice,
                                 std::function<void(int result, unsigned minimum)> done)
{
    switch (choice.mode) {
    case ScopeMode::SingleShot: return StartSingle(choice, std::move(done));
    case ScopeMode::Roll: return StartRoll(choice, std::move(done));
    default: return 0;
    }
}

int CScopeControl::StartSingle(const ScopeStartChoice &choice,
                               std::function<void(int result, unsigned minimum)> done)
{
    if (!Connected())
        return -1;
    m_settings.m_nPeriodCount = static_cast<int>(choice.nCycleCount);
    if (choice.nCycleCount == 0) {
        Box(Lang("IDS_NewScopeView_48"), "IDS_NewScopeView_49");
        return -2;
    }
    // The thread of the last capture may still be ending: it reads its own copy of the
    // record, so filling the shared one here is safe.
    CScopeThreadParam &param = CScopeThreadParam::SingleShot();
    if (!FillThreadParam(param, choice, m_settings.m_nLayout))
        return -3;
    WORD *w = m_settings.m_wDriveConfig;
    w[0] = static_cast<WORD>(m_settings.m_nLayout);
    w[1] = static_cast<WORD>(m_settings.m_nPeriodCount);
    w[2] = static_cast<WORD>((param.arrChannel[0].nSourceCode << 8) | (param.arrChannel[1].nSourceCode & 0xFF));
    w[3] = static_cast<WORD>((param.arrChannel[2].nSourceCode << 8) | (param.arrChannel[3].nSourceCode & 0xFF));
    for (int i = 0; i < 6; ++i)
        w[4 + i] = m_settings.m_wTrigger[i];
    w[10] = 1;
    g_bScopeSingleBusy = 1;
    std::array<WORD, 11> words;
    std::copy(w, w + 11, words.begin());
    const Ticket ticket = m_pStart = std::make_shared<StartTicket>(ScopeMode::SingleShot);

    RunOnWorker([this, words, done, ticket](const std::atomic<bool> &stop) {
        auto calledOff = [&] { return stop || ticket->cancelled; };
        double base = 0;
        const bool baseRead = ReadSampleBase(&base);
        for (int i = 0; i < 11; ++i) {
            if (calledOff())
                return EndCalledOffStart(ticket, stop);
            if (!WriteTries(static_cast<WORD>(kRegFirstConfig + i), words[static_cast<std::size_t>(i)], kTries)) {
                if (calledOff())
                    return EndCalledOffStart(ticket, stop);
                Box(FormatLang("IDS_NewScopeView_56", scopelink::LastError()), "IDS_NewScopeView_57");
                PostOutcome(ticket, [done] {
                    if (done)
                        done(-2, 0);
                });
                return;
            }
        }
        if (calledOff())
            return EndCalledOffStart(ticket, stop);
        PostOutcome(ticket, [this, done, base, baseRead] {
            if (baseRead && base > 0)
                m_settings.m_dBasePeriodMs = base;
            m_channels.m_bSelect = false;
            m_channels.ResetLive();
            m_channels.ResetCompare();
            m_settings.m_arrCtrlSingle.clear();
            m_settings.m_tStart = static_cast<std::int64_t>(std::time(nullptr));
            m_settings.m_bSingleRunning = 1;
            StartScopeSingleShotThread(&CScopeThreadParam::SingleShot());
            if (done)
                done(0, 0);
        });
    });
    return kPending;
}

int CScopeControl::StartRoll(const ScopeStartChoice &choice,
                             std::function<void(int result, unsigned minimum)> done)
{
    const unsigned cycles = choice.nCycleCount;
    // The worker reads and fills copies only; the settings (which the GUI thread may be
    // writing a capture file from) take the results on the GUI thread.
    const int layout = m_settings.m_nLayout;
    const Ticket ticket = m_pStart = std::make_shared<StartTicket>(ScopeMode::Roll);
    RunOnWorker([this, choice, cycles, layout, done, ticket,
                 params = m_settings.m_arrCaptureParams](const std::atomic<bool> &stop) mutable {
        auto calledOff = [&] { return stop || ticket->cancelled; };
        auto finish = [this, done, ticket, &stop, &calledOff](int result, unsigned minimum) {
            if (calledOff())
                return EndCalledOffStart(ticket, stop);
            PostOutcome(ticket, [done, result, minimum] {
                if (done)
                    done(result, minimum);
            });
        };
        RefreshCaptureParams(params, calledOff);
        double base = 0;
        const bool baseRead = !calledOff() && ReadSampleBase(&base);
        Post([this, params, base, baseRead] {
            m_settings.m_arrCaptureParams = params;
            if (baseRead && base > 0)
                m_settings.m_dBasePeriodMs = base;
        });
        if (calledOff())
            return EndCalledOffStart(ticket, stop);
        if (!Connected()) {
            Box(Lang("IDS_NewScopeView_59"), "IDS_NewScopeView_60");
            return finish(-2, 0);
        }
        unsigned minimum = 0;
        if (!CheckRollPeriod(cycles, layout, &minimum)) {
            if (!calledOff())
                Box(FormatLang("IDS_NewScopeView_61", minimum), "IDS_NewScopeView_62");
            return finish(-2, minimum);
        }
        auto param = std::make_shared<CScopeThreadParam>();
        if (!FillThreadParam(*param, choice, layout + kScopeRollLayoutOffset))
            return finish(-3, 0);
        WORD w[4];
        w[0] = static_cast<WORD>(layout);
        w[1] = static_cast<WORD>(cycles);
        w[2] = static_cast<WORD>((param->arrChannel[0].nSourceCode << 8) | (param->arrChannel[1].nSourceCode & 0xFF));
        w[3] = static_cast<WORD>((param->arrChannel[2].nSourceCode << 8) | (param->arrChannel[3].nSourceCode & 0xFF));
        const WORD setup[4] = {static_cast<WORD>(param->nLayout), w[1], w[2], w[3]};
        for (int i = 0; i < 4; ++i) {
            if (calledOff())
                return EndCalledOffStart(ticket, stop);
            if (!WriteTries(static_cast<WORD>(kRegFirstConfig + i), setup[i], kTries)) {
                if (!calledOff())
                    Box(FormatLang("IDS_NewScopeView_112", scopelink::LastError()), "IDS_NewScopeView_113");
                return finish(-2, 0);
            }
        }
        if (calledOff())
            return EndCalledOffStart(ticket, stop);
        if (!WriteTries(kRegCommand, 1, kTries)) {
            if (!calledOff())
                Box(FormatLang("IDS_NewScopeView_114", scopelink::LastError()), "IDS_NewScopeView_115");
            return finish(-2, 0);
        }
        if (calledOff())
            return EndCalledOffStart(ticket, stop);
        const std::array<WORD, 4> words{w[0], w[1], w[2], w[3]};
        PostOutcome(ticket, [this, done, cycles, param, words] {
            std::copy(words.begin(), words.end(), m_settings.m_wDriveConfig);
            CScopeThreadParam::Roll() = *param;
            m_channels.m_bSelect = false;
            m_channels.m_dTimePerPoint = m_settings.m_dBasePeriodMs * cycles;
            m_settings.m_nPeriodCount = static_cast<int>(cycles);
            m_channels.ResetLive();
            m_channels.ResetCompare();
            m_recordings.clear();
            m_bRollScaled = false;
            m_settings.m_tStart = static_cast<std::int64_t>(std::time(nullptr));
            m_settings.m_bRollRunning = 1;
            if (CSysParam *sys = GetSysParam())
                sys->g_bDriveSampling = TRUE;
            StartScopeRollThread(&CScopeThreadParam::Roll());
            m_channels.m_bRoll = true;
            g_nScopeRunMode = 2;
            if (done)
                done(0, 0);
        });
    });
    return kPending;
}

void CScopeControl::StopSampling(ScopeMode mode, std::function<void()> done)
{
    const bool connected = Connected();
    auto finish = [this, done] {
        Post([done] {
            if (done)
                done();
        });
    };
    if (m_pStart) {
        // The start's writes are under way (or its continuation is queued): calling it off
        // here is the only way the drive hears of the stop, since the capture it would start
        // is not running yet.
        if (!m_pStart->cancelled.exchange(true) && m_pStart->mode == ScopeMode::SingleShot)
            g_bScopeSingleBusy = 0;
        m_pStart->onStopped.push_back(std::move(done));
        return;
    }
    if (!Running(mode)) {
        // Nothing captures: no stop goes to the drive and no recording is written, so
        // leaving the page or an emergency stop in between captures leaves no trace.
        if (done)
            done();
        return;
    }
    if (mode == ScopeMode::SingleShot) {
        m_settings.m_bSingleRunning = 0;
        g_bScopeSingleBusy = 0;
        if (!connected) {
            if (done)
                done();
            return;
        }
        // The thread may be the caller (its completion handler stops the capture): it ends at
        // its next look at the flag and is joined by the next start or the exit.
        RunOnWorker([finish](const std::atomic<bool> &) {
            WriteTries(kRegCommand, 2, 3);
            finish();
        });
        return;
    }
    if (mode != ScopeMode::Roll)
        return;
    m_settings.m_bRollRunning = 0;
    m_bRollStopping = true;
    if (CSysParam *sys = GetSysParam())
        sys->g_bDriveSampling = FALSE;
    // The caller may be handling one of the thread's frames, which the thread waits for: the
    // join comes once that handler has returned.
    Post([this, connected, done, finish] { FinishRollStop(connected, done, finish); });
}

void CScopeControl::FinishRollStop(bool connected, const std::function<void()> &done,
                                   const std::function<void()> &finish)
{
    // The thread ends within one pass of its loop once its flag is clear; the wait looks
    // again from the event loop, so the frames it posts meanwhile are taken.
    if (ScopeRollThreadRunning()) {
        QTimer::singleShot(2, m_sink.get(), [this, connected, done, finish] { FinishRollStop(connected, done, finish); });
        return;
    }
    JoinScopeRollThread();
    // The frames the thread posted before it ended wait in the event queue: the recording is
    // written once they have been taken, behind them.
    Post([this, connected, done, finish] { SaveRollAndStopDrive(connected, done, finish); });
}

void CScopeControl::SaveRollAndStopDrive(bool connected, const std::function<void()> &done,
                                         const std::function<void()> &finish)
{
    const QString path = RecordingFilePath(m_settings.m_strContinuousPath,
                                           static_cast<std::int64_t>(std::time(nullptr)));
    SaveRecording(path);
    m_channels.m_bRoll = false;
    m_bRollStopping = false;
    g_nScopeRunMode = 0;
    if (!connected) {
        if (done)
            done();
        return;
    }
    RunOnWorker([finish, pause = StopPauseMs()](const std::atomic<bool> &) {
        Sleep(pause);
        // The stream may still be arriving while the stop goes out, and a reply behind a
        // frame does not count: the stop tries as often as any other write.
        WriteTries(kRegCommand, 2, kTries);
        Sleep(pause);
        finish();
    });
}

void CScopeControl::SetRollTraces(const QString names[4], const COLORREF colors[4])
{
    for (int i = 0; i < 4; ++i) {
        m_rollNames[i] = names[i];
        m_rollColors[i] = colors[i];
    }
}

bool CScopeControl::SaveRecording(const QString &path)
{
    if (SaveWaveFile(path, 0, m_channels, m_settings, ScopeGroupParameters())) {
        m_recordings << path;
        return true;
    }
    // The stream goes on: a short alert and the log, never a box that would hold it up.
    KLOG("Wnds\\scope\\ScopeControl") << "recording not written: " << path.toStdString();
    platform::DesktopAlertRequest alert;
    alert.seconds = 2;
    alert.text = FillLangFormat(Lang("IDS_NewScopeView_120"), {path});
    platform::Ui().DesktopAlert(alert);
    return false;
}

void CScopeControl::OnRollFrame(int bDecoded, int nLost, const ScopeRollFrame *frame)
{
    const int layout = m_settings.m_nLayout;
    QString names[4];
    for (int i = 0; i < 4; ++i)
        names[i] = m_rollNames[i];
    if (layout == 1) {
        names[1] = QStringLiteral("NULL");
    } else if (layout == 2) {
        names[1] = names[3] = QStringLiteral("NULL");
    } else if (layout == 3 || layout == 4) {
        names[1] = names[2] = names[3] = QStringLiteral("NULL");
    }
    const int k = ScopeRollSamplesPerFrame(layout);
    const int before = m_channels.PointCount();
    const int room = kChannelCapacity - before;
    const int lost = std::max(nLost, 0);
    const int decoded = bDecoded ? 1 : 0;

    struct Pending {
        std::vector<double> analog;
        std::vector<int> word;
    } rest[4];
    for (int t = 0; t < 4; ++t) {
        const int code = m_settings.SourceCodeOfName(names[t]);
        if (code == 0)
            continue;
        const bool bitWord = t >= 2 && code >= 1 && code < kScopeFirstValueSource;
        if (bitWord) {
            CDIDOChannel &d = t == 2 ? m_channels.m_di : m_channels.m_do;
            const auto &buffer = frame ? (t == 2 ? frame->di : frame->dout) : (t == 2 ? m_settings.m_vecDI : m_settings.m_vecDO);
            std::vector<int> points;
            const int last = d.m_nCount > 0 ? d.m_arrData[static_cast<std::size_t>(d.m_nCount - 1)] : 0;
            points.insert(points.end(), static_cast<std::size_t>(k * lost), last);
            for (int i = 0; i < k * decoded; ++i)
                points.push_back(i < static_cast<int>(buffer.size()) ? buffer[static_cast<std::size_t>(i)] : 0);
            const int fit = std::min<int>(static_cast<int>(points.size()), std::max(room, 0));
            d.AppendFromVector(points, fit);
            rest[t].word.assign(points.begin() + fit, points.end());
            continue;
        }
        CChannel &c = m_channels.m_ch[t];
        const auto &buffer = frame ? frame->ch[t] : m_settings.m_vecCh[t];
        std::vector<double> points;
        const double last = c.m_nCount > 0 ? c.m_arrData[static_cast<std::size_t>(c.m_nCount - 1)] : 0.0;
        points.insert(points.end(), static_cast<std::size_t>(k * lost), last);
        for (int i = 0; i < k * decoded; ++i)
            points.push_back(i < static_cast<int>(buffer.size()) ? buffer[static_cast<std::size_t>(i)] : 0.0);
        const int fit = std::min<int>(static_cast<int>(points.size()), std::max(room, 0));
        c.AppendFromVector(points, fit);
        rest[t].analog.assign(points.begin() + fit, points.end());
        c.m_strName = names[t];
        c.m_clrTrace = m_rollColors[t];
    }
    // The first frame of a run sets the axes from its data: a roll has no "Auto" of its own,
    // and the ranges of the last capture (or none) would show flat stripes.
    if (!m_bRollScaled && decoded) {
        for (int t = 0; t < 4; ++t)
            if (m_channels.m_ch[t].m_nCount > 0)
                m_channels.m_ch[t].AutoScale();
        m_bRollScaled = true;
    }
    m_channels.m_nWindowEnd = before;
    m_channels.m_nWindowStart = before - 10 * m_settings.m_nPointsPerDiv;
    m_settings.m_bHasData = 1;

    if (room < k * (decoded + lost)) {
        SaveRecording(RecordingFilePath(m_settings.m_strContinuousPath,
                                        static_cast<std::int64_t>(std::time(nullptr))));
        m_channels.ResetLive();
        for (int t = 0; t < 4; ++t) {
            if (!rest[t].analog.empty())
                m_channels.m_ch[t].AppendFromArray(rest[t].analog);
            if (!rest[t].word.empty()) {
                CDIDOChannel &d = t == 2 ? m_channels.m_di : m_channels.m_do;
                d.AppendFromVector(rest[t].word, static_cast<int>(rest[t].word.size()));
            }
        }
    }
}
