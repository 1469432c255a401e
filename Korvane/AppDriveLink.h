#pragma once
// What the application's start-up and shutdown ask of the settings and drive-link object and
// of the read-request worker. The application holds one of these; the real one sits over
// the settings object and its read worker, and tests put in their own.
#include <memory>

class CSysParam;

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
