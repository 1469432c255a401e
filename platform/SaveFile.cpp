#include "platform/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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
    // A new file gets the mode any new file of the user's gets (the umask applies); a
    // replaced one keeps its own.
    const bool replacing = QFileInfo::exists(resolved);
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString path;
    for (int attempt = 0; attempt < 100 && path.isEmpty(); ++attempt) {
        QString candidate = resolved + QLatin1String(kSaveTempInfix);
        for (int i = 0; i < 6; ++i)
            candidate += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              replacing ? 0600 : 0666);
        if (fd >= 0) {
            ::close(fd);
            path = candidate;
        } else if (errno != EEXIST) {
            return false;
        }
    }
    if (path.isEmpty())
        return false;
    if (replacing)
        QFile::setPermissions(path, QFile::permissions(resolved));
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
