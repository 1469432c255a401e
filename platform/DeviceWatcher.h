#pragma once
// Serial devices arriving and leaving (an adapter plugged in or pulled out). The program's
// watcher listens to udev's "tty" subsystem; tests put a fake in its place and call Notify.
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {

struct DeviceEvent
{
    enum class Kind { Arrival, Removal };
    Kind kind = Kind::Arrival;
    QString devNode;     // "/dev/ttyUSB0"
    QStringList links;   // udev's other names of it ("/dev/serial/by-id/...")

    // True when `path` names this device: the node itself, one of its links, or a link that
    // still resolves to the node.
    bool Names(const QString &path) const;
};

class IDeviceWatcher
{
public:
    using Handler = std::function<void(const DeviceEvent &)>;
    virtual ~IDeviceWatcher() = default;
    // Events are delivered on the GUI thread.
    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    void Notify(const DeviceEvent &event) const
    {
        if (m_handler)
            m_handler(event);
    }

private:
    Handler m_handler;
};

// The udev watcher; a watcher that never reports anything where udev is not available.
std::unique_ptr<IDeviceWatcher> CreateDeviceWatcher();

}
