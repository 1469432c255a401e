#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

// ttyS2 before ttyS10.
bool NaturalLess(const QString &a, const QString &b)
{
    int i = 0;
    while (i < a.size() && i < b.size() && !a[i].isDigit() && a[i] == b[i])
        ++i;
    const QString restA = a.mid(i);
    const QString restB = b.mid(i);
    bool okA = false;
    bool okB = false;
    const int na = restA.toInt(&okA);
    const int nb = restB.toInt(&okB);
    if (okA && okB)
        return na < nb;
    return a < b;
}

QStringList Sorted(QStringList names)
{
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

}

bool AnswersTerminalQuery(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES || errno == EPERM || errno == EBUSY;
    termios tio{};
    const bool ok = ::tcgetattr(fd, &tio) == 0;
    ::close(fd);
    return ok;
}

std::vector<SerialDevice> ListSerialDevices(const QString &devRoot)
{
    std::vector<SerialDevice> devices;
    std::set<QString> covered;  // device nodes already offered under a stable name

    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QString &name : Sorted(byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))) {
        const QString link = byId.filePath(name);
        const QString target = QFileInfo(link).canonicalFilePath();
        if (target.isEmpty())
            continue;
        covered.insert(target);
        devices.push_back({link, QStringLiteral("%1 (%2)").arg(name, QFileInfo(target).fileName())});
    }

    const QDir dev(devRoot);
    for (const QString &pattern : {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")}) {
        for (const QString &name : Sorted(dev.entryList({pattern}, QDir::System | QDir::Files))) {
            const QString path = dev.filePath(name);
            if (covered.count(QFileInfo(path).canonicalFilePath()) == 0)
                devices.push_back({path, path});
        }
    }
    for (const QString &name : Sorted(dev.entryList({QStringLiteral("ttyS*")}, QDir::System | QDir::Files))) {
        const QString path = dev.filePath(name);
        if (AnswersTerminalQuery(path))
            devices.push_back({path, path});
    }
    return devices;
}

}
