#include "platform/DeviceWatcher.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <glog/logging.h>

#ifdef KORVANE_HAVE_UDEV
#include <libudev.h>
#endif

namespace platform {

bool DeviceEvent::Names(const QString &path) const
{
    if (path.isEmpty())
        return false;
    if (path == devNode || links.contains(path))
        return true;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return !resolved.isEmpty() && resolved == devNode;
}

namespace {

class CNullDeviceWatcher : public IDeviceWatcher
{
};

#ifdef KORVANE_HAVE_UDEV
class CUdevDeviceWatcher : public IDeviceWatcher
{
public:
    CUdevDeviceWatcher()
    {
        m_udev = udev_new();
        if (!m_udev)
            return;
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (!m_monitor)
            return;
        if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_monitor) < 0) {
            LOG(WARNING) << "device watcher: udev monitor could not be set up";
            return;
        }
        m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Receive(); });
    }
    ~CUdevDeviceWatcher() override
    {
        m_notifier.reset();
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        if (m_udev)
            udev_unref(m_udev);
    }

private:
    void Receive()
    {
        udev_device *device = udev_monitor_receive_device(m_monitor);
        if (!device)
            return;
        const char *action = udev_device_get_action(device);
        const char *node = udev_device_get_devnode(device);
        if (action && node) {
            DeviceEvent event;
            const QString a = QString::fromLatin1(action);
            event.devNode = QFile::decodeName(node);
            for (udev_list_entry *e = udev_device_get_devlinks_list_entry(device); e; e = udev_list_entry_get_next(e))
                event.links.append(QFile::decodeName(udev_list_entry_get_name(e)));
            if (a == QLatin1String("add")) {
                event.kind = DeviceEvent::Kind::Arrival;
                Notify(event);
            } else if (a == QLatin1String("remove")) {
                event.kind = DeviceEvent::Kind::Removal;
                Notify(event);
            }
        }
        udev_device_unref(device);
    }

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
#endif

}

std::unique_ptr<IDeviceWatcher> CreateDeviceWatcher()
{
#ifdef KORVANE_HAVE_UDEV
    return std::make_unique<CUdevDeviceWatcher>();
#else
    return std::make_unique<CNullDeviceWatcher>();
#endif
}

}
