#pragma once
// The main frame's 2-second status tick, split where the waiting happens: RunStatusPoll does
// the drive reads (on the frame's poll worker, never on the GUI thread) and answers a
// snapshot; ComputeStatusView turns a snapshot into what the frame shows and whether the
// product is to be switched (on the GUI thread, no drive access). CStatusPoller is the worker.
#include "platform/Messages.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class CSysParam;

// What the tick asks of the drive link (the settings object in the program).
class IStatusLink
{
public:
    virtual ~IStatusLink() = default;
    virtual bool IsPortOpen() const = 0;
    virtual bool IsDriveSampling() const = 0;
    virtual bool IsConnected() const = 0;
    // The connection poll: link word, drive state and, on a new link, the identity.
    virtual bool PollConnection() = 0;
    virtual int DriveStatus() const = 0;
    virtual QString AlarmText() = 0;
    virtual QString DriveModel() const = 0;
    virtual QString DriveSerial() const = 0;
    // The run-state read of a new link (its value is not used): up to 10 tries under one
    // hold of the link lock.
    virtual void ReadRunState() = 0;
};

// The link the program polls: the settings object.
class CSysParamStatusLink : public IStatusLink
{
public:
    explicit CSysParamStatusLink(CSysParam &sys) : m_sys(sys) {}
    bool IsPortOpen() const override;
    bool IsDriveSampling() const override;
    bool IsConnected() const override;
    bool PollConnection() override;
    int DriveStatus() const override;
    QString AlarmText() override;
    QString DriveModel() const override;
    QString DriveSerial() const override;
    void ReadRunState() override;

private:
    CSysParam &m_sys;
};

struct StatusPollRequest
{
    // The link to poll; none: the port counts as closed.
    std::shared_ptr<IStatusLink> link;
    // The product check is due on this link: read the run state once the identity is known.
    bool readRunState = false;
    // Handed back in the result: the frame drops results of polls started before the port
    // was closed by hand.
    unsigned generation = 0;
};

struct StatusPollResult
{
    bool portOpen = false;
    bool online = false;     // the last poll of the tick answered (the state was read)
    bool connected = false;  // the link counts as up
    int driveStatus = 0;
    QString alarmText;       // read for state 3 only
    QString model;
    QString serial;
    bool identityKnown = false;
    bool runStateRead = false;
    unsigned generation = 0;  // the request's
};

// The tick's drive reads: one poll unless a capture streams from the drive, and one more
// whenever the port is open and the link up; the alarm code for state 3.
StatusPollResult RunStatusPoll(IStatusLink &link, const StatusPollRequest &request);
// The same on the request's link.
StatusPollResult RunStatusPoll(const StatusPollRequest &request);

// What the frame knows on the GUI thread when a snapshot arrives.
struct StatusContext
{
    QString currentProductModel;  // empty when the current product has no record
    int currentProductId = 1;
    bool currentProductExists = false;
    bool driveInfoRead = false;  // the product check ran on this link
    // The product id of a model in the default database; -1 when it has none.
    std::function<int(const QString &model)> findProductId;
    QString langSection = QStringLiteral("CMainFrame");
};

struct StatusView
{
    bool online = false;
    QString pane0;
    QString connectText;
    int connectImage = 0;
    // Label and display text for the toolbar; none: both stay as they were.
    std::optional<std::pair<QString, QString>> toolbar;
    QString pane2;
    // The product check ran (mark it done for this link and the run).
    bool productChecked = false;
    bool unknownModel = false;
    // The product to switch to; none: keep the current one.
    std::optional<int> switchToProduct;
};

StatusView ComputeStatusView(const StatusPollResult &result, const StatusContext &context);

constexpr const char *kSoftwareVersion = "1.0.6";

// The frame's poll worker: one thread that runs a poll when asked and posts the snapshot
// (a std::shared_ptr<StatusPollResult> payload) to the target. Asking while a poll runs is
// refused, so a slow drive makes ticks skip instead of queueing.
class CStatusPoller
{
public:
    using PollFunction = std::function<StatusPollResult(const StatusPollRequest &)>;

    CStatusPoller(platform::WindowRef target, UINT message, PollFunction poll);
    ~CStatusPoller();
    CStatusPoller(const CStatusPoller &) = delete;
    CStatusPoller &operator=(const CStatusPoller &) = delete;

    // False when the previous poll still runs (or the worker has stopped).
    bool Start(const StatusPollRequest &request);
    bool IsBusy() const { return m_busy.load(); }
    // Ends the worker after the poll in hand and joins it.
    void Stop();

private:
    void Run();

    platform::WindowRef m_target;
    UINT m_message;
    PollFunction m_poll;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<StatusPollRequest> m_request;
    bool m_stop = false;
    std::atomic<bool> m_busy{false};
    std::thread m_thread;
};
