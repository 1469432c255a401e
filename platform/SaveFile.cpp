#include "platform/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

namespace {

// Where the bytes finally go: what a link points to, not the link.
QString ResolvedTarget(const QString &target)
{
    const QFileInfo info(target);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

}  // namespace

void RemoveSaveLeftovers(const QString &target)
{
    const QFileInfo info(ResolvedTarget(target));
    const QRegularExpression ours(QStringLiteral("^") +
                                  QRegularExpression::escape(info.fileName() + QLatin1String(kSaveTempInfix)) +
                                  QStringLiteral("[A-Za-z0-9]{6}(-journal|-wal|-shm)?$"));
    const QDir dir = info.absoluteDir();
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (ours.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

SaveFile::SaveFile(const QString &target) : m_target(target) {}

SaveFile::~SaveFile()
{
    if (!fileName().isEmpty())
        cancelWriting();
}

bool SaveFile::open(OpenMode mode)
{
    if (isOpen() || m_target.isEmpty())
        return false;
    const QString resolved = ResolvedTarget(m_target);
    RemoveSaveLeftovers(resolved);
    QTemporaryFile temp(resolved + QLatin1String(kSaveTempInfix) + QStringLiteral("XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open())
        return false;
    const QString path = temp.fileName();
    temp.close();
    // A replaced file keeps its permissions; a new one gets the usual ones.
    const Permissions perms = QFileInfo::exists(resolved)
                                  ? QFile::permissions(resolved)
                                  : ReadOwner | WriteOwner | ReadUser | WriteUser | ReadGroup | ReadOther;
    QFile::setPermissions(path, perms);
    setFileName(path);
    m_bCancelled = false;
    if (!QFile::open((mode & ~ReadOnly) | WriteOnly | Truncate)) {
        QFile::remove(path);
        setFileName(QString());
        return false;
    }
    return true;
}

bool SaveFile::commit()
{
    if (!isOpen() || m_bCancelled) {
        cancelWriting();
        return false;
    }
    bool ok = flush() && error() == NoError;
    if (ok)
        ok = ::fsync(handle()) == 0;
    close();
    if (ok) {
        const QByteArray from = QFile::encodeName(fileName());
        const QByteArray to = QFile::encodeName(ResolvedTarget(m_target));
        ok = std::rename(from.constData(), to.constData()) == 0;
    }
    if (!ok) {
        QFile::remove(fileName());
        setFileName(QString());
        return false;
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(ResolvedTarget(m_target)).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    setFileName(QString());
    return true;
}

void SaveFile::cancelWriting()
{
    m_bCancelled = true;
    if (isOpen())
        close();
    if (!fileName().isEmpty()) {
        QFile::remove(fileName());
        setFileName(QString());
    }
}

}  // namespace platform
