#pragma once
// The sampling panel's core, free of widgets: starting and stopping captures on the drive, the
// minimum roll period, the parameters a capture records, and the roll frames' way into the
// trace view's channels and the continuous recording. The panel passes its choices in and
// keeps its controls itself.
//
// Drive I/O runs on the core's worker, with the tries, order and messages it always had; the
// result comes back on the GUI thread through the callback given to the call. The GUI thread
// never waits on the drive.
#include "Wnds/scope/ScopeChannels.h"
#include "Wnds/scope/ScopeSettings.h"
#include "platform/PageWorker.h"

#include <QObject>

struct ScopeRollFrame;

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// Radio buttons of the mode, as the panel reports them.
enum class ScopeMode { None, SingleShot, Roll };

struct ScopeStartChoice {
    ScopeMode mode = ScopeMode::None;
    unsigned nCycleCount = 0;   // the period edit
    QString strSource[4];       // the chosen source of CH1..CH4; "NULL" for none
    platform::WindowRef hNotify;  // receives the threads' messages
};

class CScopeControl {
public:
    // Results of StartSampling.
    static constexpr int kPending = 1;  // drive I/O under way: the callback gets the result
    // The pause before and after a roll's stop command, for the stream to end on the line:
    // kStopPauseMs, unless a test of the page's logic shortened it. 0 restores the default.
    static constexpr int kStopPauseMs = 200;
    static int StopPauseMs();
    static void SetStopPauseMs(int ms);

    CScopeControl(CScopeChannels &channels, CScopeSettings &settings);
    ~CScopeControl();
    CScopeControl(const CScopeControl &) = delete;
    CScopeControl &operator=(const CScopeControl &) = delete;

    // -1 not connected (single shot), -2 refused (its message shown), -3 no channel has a
    // source, 0 nothing to do (no mode); kPending: `done` receives 0 (started) or -2 (a
    // message was shown; for a period below the roll minimum, *minimum tells it).
    int StartSampling(const ScopeStartChoice &choice,
                      std::function<void(int result, unsigned minimum)> done);
    // Ends the capture of the mode: flags, threads and the roll recording always; the stop
    // command to the drive only while connected. `done` runs when the drive was told.
    // A start still under way counts as running, whatever its mode: it is called off, its
    // continuation starts nothing, and the drive is told to stop once its writes are over.
    void StopSampling(ScopeMode mode, std::function<void()> done = {});
    bool Busy() const;
    // Whether a capture of the mode runs (or was started on the drive and not yet stopped).
    bool Running(ScopeMode mode) const;
    // A start whose drive I/O is under way and that no stop has called off.
    bool StartPending() const;

    // The minimum roll period for drive frequency f in layout 0..4 at the port's rate: never
    // below max(⌊f·1551/s/57600⌋ + 4, ⌊f·141·b/s/baud⌋ + 4) (s samples per frame, b bits a
    // byte on the line).
    static unsigned MinimumRollPeriod(unsigned f, int layout, int baud, int bitsPerByte);
    // Reads the drive's frequency (one attempt, 8000 when it fails) and applies the rule to
    // the period count in `layout`; on the worker.
    static BOOL CheckRollPeriod(unsigned nCycleCount, int layout, unsigned *minimum);
    // Reads every entry of `params` (10 attempts each); on the worker, on a copy of
    // m_arrCaptureParams. Gives up quietly once `calledOff` answers true.
    static BOOL RefreshCaptureParams(QList<CDBDataParameter> &params,
                                     const std::function<bool()> &calledOff = {});
    void RefreshCaptureParamsAsync(std::function<void(BOOL)> done);
    // Fills both parameter lists from the active device's parameters.
    void BuildCaptureParamLists(const QList<CDBDataParameter> &activeAxis);
    static const QStringList &LoadedParamCodes();
    static const QStringList &CaptureParamCodes();

    // The names and colours of the four traces during a roll capture (the panel's choice).
    void SetRollTraces(const QString names[4], const COLORREF colors[4]);
    // One UM_SCOPE_ROLL_FRAME: appends the frame to the channels, keeps the recording. The
    // samples come from the message's frame, or from the settings' buffers without one.
    void OnRollFrame(int bDecoded, int nLost, const ScopeRollFrame *frame = nullptr);
    // The recording files written so far in this run (for the panel and tests).
    const QStringList &RecordingFiles() const { return m_recordings; }

private:
    class Sink;
    // One start from the call until its continuation on the GUI thread; a stop in between
    // calls it off.
    struct StartTicket {
        explicit StartTicket(ScopeMode m) : mode(m) {}
        const ScopeMode mode;
        std::atomic<bool> cancelled{false};
        std::vector<std::function<void()>> onStopped;  // the stops' callbacks; GUI thread only
    };
    using Ticket = std::shared_ptr<StartTicket>;
    using Work = std::function<void(const std::atomic<bool> &stop)>;

    void RunOnWorker(Work work);
    // Runs `onGui` on the GUI thread, unless the core is being destroyed by then.
    void Post(std::function<void()> onGui);
    // On the worker, once a called-off start's writes are over: the stop command, then the
    // end on the GUI thread. Nothing at all when the worker itself is being stopped (the
    // panel's destruction tells the drive).
    void EndCalledOffStart(const Ticket &ticket, const std::atomic<bool> &stop);
    // On the GUI thread: a start whose writes all went out was called off before it took
    // effect.
    void StopStartedDrive(const Ticket &ticket);
    void FinishCalledOffStart(const Ticket &ticket);
    // The start is over (taken effect or refused): it no longer counts as pending.
    void EndTicket(const Ticket &ticket);
    // The start's outcome on the GUI thread, unless a stop called the start off meanwhile:
    // then the drive is told to stop instead.
    void PostOutcome(const Ticket &ticket, std::function<void()> outcome);
    int StartSingle(const ScopeStartChoice &choice,
                    std::function<void(int result, unsigned minimum)> done);
    int StartRoll(const ScopeStartChoice &choice,
                  std::function<void(int result, unsigned minimum)> done);
    bool FillThreadParam(CScopeThreadParam &param, const ScopeStartChoice &choice, int layoutCode);
    // The drive's base period into *basePeriodMs; on the worker.
    static bool ReadSampleBase(double *basePeriodMs);
    bool SaveRecording(const QString &path);
    void FinishRollStop(bool connected, const std::function<void()> &done,
                        const std::function<void()> &finish);
    void SaveRollAndStopDrive(bool connected, const std::function<void()> &done,
                              const std::function<void()> &finish);

    CScopeChannels &m_channels;
    CScopeSettings &m_settings;
    std::unique_ptr<Sink> m_sink;
    platform::PageWorker m_worker;
    QString m_rollNames[4];
    COLORREF m_rollColors[4] = {};
    QStringList m_recordings;
    Ticket m_pStart;               // the start under way, if any
    bool m_bClosing = false;       // posted continuations do nothing any more
    bool m_bRollStopping = false;  // from a roll's stop until its recording is written
    bool m_bRollScaled = false;    // the run's axes were set from its first frame
};
