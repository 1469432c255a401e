#pragma once
// The serial devices of this machine as the communication dialog offers them: adapters under
// their stable "/dev/serial/by-id" names where udev made one, then the plain USB and ACM
// devices without such a name, then the on-board "/dev/ttyS*" ports that are real (a port
// without a UART fails the terminal query and is left out).
#include <QString>
#include <QStringList>

#include <vector>

namespace platform {

struct SerialDevice
{
    QString path;   // what the port opens and config.ini keeps
    QString label;  // what the list shows
};

// `devRoot` is "/dev" except in tests.
std::vector<SerialDevice> ListSerialDevices(const QString &devRoot = QStringLiteral("/dev"));

// True when the device at `path` is a terminal (an open that is refused for lack of permission
// counts too: the device is there, and opening it will tell the user why it fails).
bool AnswersTerminalQuery(const QString &path);

}
