// The serial device list over a made-up /dev, and which device an event names.
#include "platform/DeviceWatcher.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SerialDevices, StableNamesFirstThenUncoveredAdaptersAndNoDeadOnBoardPorts)
{
    QTemporaryDir dev;
    ASSERT_TRUE(QDir(dev.path()).mkpath(QStringLiteral("serial/by-id")));
    for (const char *name : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS10", "ttyS2", "tty0"}) {
        QFile f(dev.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(dev.filePath(QStringLiteral("ttyUSB1")),
                            dev.filePath(QStringLiteral("serial/by-id/usb-Maker_Adapter-if00-port0"))));

    const auto devices = platform::ListSerialDevices(dev.path());
    std::vector<QString> paths;
    for (const auto &d : devices)
        paths.push_back(d.path);
    // Plain files answer no terminal query: the on-board ports drop out, adapters stay.
    const std::vector<QString> expected = {
        dev.filePath(QStringLiteral("serial/by-id/usb-Maker_Adapter-if00-port0")),
        dev.filePath(QStringLiteral("ttyUSB0")),
        dev.filePath(QStringLiteral("ttyACM0")),
    };
    EXPECT_EQ(paths, expected);
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].label, QStringLiteral("usb-Maker_Adapter-if00-port0 (ttyUSB1)"));
}

TEST(SerialDevices, AnEventNamesItsNodeAndItsLinks)
{
    QTemporaryDir dev;
    const QString node = dev.filePath(QStringLiteral("ttyUSB0"));
    {
        QFile f(node);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString link = dev.filePath(QStringLiteral("by-id-link"));
    ASSERT_TRUE(QFile::link(node, link));

    platform::DeviceEvent e;
    e.devNode = node;
    e.links = {QStringLiteral("/dev/serial/by-id/usb-x")};
    const struct
    {
        QString path;
        bool names;
    } cases[] = {
        {node, true},
        {QStringLiteral("/dev/serial/by-id/usb-x"), true},
        {link, true},  // a link that still resolves to the node
        {dev.filePath(QStringLiteral("ttyUSB1")), false},
        {QString(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(e.Names(c.path), c.names) << c.path.toStdString();
}

}
