#pragma once
// What the application's start-up and shutdown ask of the settings and drive-link object and
// of the read-request worker. The application holds one of these; the real one sits over
// the settings object and its read worker, and tests put in their own.
#include <QString>

#include <memory>

class CSysParam;
enum class DbMessageKind;

class IAppDriveLink
{
public:
    virtual ~IAppDriveLink() = default;
    // Reads the settings, loads the custom groups and the default parameter database and opens
    // the serial port. False stops the start-up.
    virtual bool Init() = 0;
    // Sets the read worker's stop flag; it ends after the request in hand.
    virtual void RequestReadWorkerStop() = 0;
    // Whether the read worker still runs.
    virtual bool IsReadWorkerRunning() const = 0;
    // Joins the ended read worker and deletes every request still pending or queued.
    virtual void ReleaseReadWorker() = 0;
};

// The link the program runs with: the settings object and the application's read queue.
std::unique_ptr<IAppDriveLink> CreateAppDriveLink(CSysParam &sysParam);

// How the database layer's failures reach the user: the project file's new, open and save
// alerts as a desktop alert of kProjectAlertSeconds, the default database's as a message box.
constexpr int kProjectAlertSeconds = 1;
void TellUserOfDbMessage(DbMessageKind kind, const QString &text);
