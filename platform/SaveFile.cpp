#include "platform/SaveFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// The longest suffix SQLite puts after a database file's name for its side files.
constexpr int kLongestSideSuffix = 8;  // "-journal"
constexpr int kRandomChars = 6;
// Bytes a cut name keeps for "~" and its hash.
constexpr int kHashMark = 9;

const char *const kSideFiles[] = {"-journal", "-wal", "-shm"};

// Where the bytes finally go: what a link points to, not the link.
QString ResolvedTarget(const QString &target)
{
    const QFileInfo info(target);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

long NameLimit(const QString &folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : NAME_MAX;
}

// The first bytes of `name`, at most `room`, ending on a character boundary.
QByteArray CutName(const QByteArray &name, int room)
{
    int end = std::min<int>(room, int(name.size()));
    // A UTF-8 continuation byte (10xxxxxx) never starts a character.
    while (end > 0 && end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return name.left(end);
}

mode_t CurrentUmask()
{
    // Linux reports the mask without changing it; elsewhere it is set and put back at once.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Whether an existing file may be written by this process, as opening it in place would find:
// the permission bits, a read-only file system, a file being executed. The superuser passes
// where the system lets it.
bool MayWrite(const QByteArray &path, QString &why)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;  // a folder, a pipe: the rename decides
}

}  // namespace

QString SaveTempPrefix(const QString &target)
{
    const QFileInfo info(target);
    const QByteArray name = QFile::encodeName(info.fileName());
    const long limit = NameLimit(info.absolutePath());
    const int room = int(limit) - int(sizeof kSaveTempInfix - 1) - kRandomChars - kLongestSideSuffix;
    QByteArray stem = name;
    if (name.size() > room) {
        const QByteArray hash = QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(kHashMark - 1);
        stem = CutName(name, room - kHashMark) + '~' + hash;
    }
    return QFile::decodeName(stem) + QLatin1String(kSaveTempInfix);
}

void RemoveSaveLeftovers(const QString &target)
{
    const QFileInfo info(ResolvedTarget(target));
    const QRegularExpression ours(QStringLiteral("^") + QRegularExpression::escape(SaveTempPrefix(info.absoluteFilePath())) +
                                  QStringLiteral("[A-Za-z0-9]{6}(-journal|-wal|-shm)?$"));
    const QDir dir = info.absoluteDir();
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (ours.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

// ---- SaveTemp ----------------------------------------------------------------------------------

SaveTemp::SaveTemp(const QString &target) : m_target(target.isEmpty() ? QString() : ResolvedTarget(target)) {}

SaveTemp::~SaveTemp() { Discard(); }

bool SaveTemp::Create()
{
    Discard();
    m_error.clear();
    if (m_target.isEmpty()) {
        m_error = QStringLiteral("no file name");
        return false;
    }
    const QByteArray target = QFile::encodeName(m_target);
    QString why;
    if (QFileInfo::exists(m_target) && !MayWrite(target, why)) {
        m_error = m_target + QStringLiteral(" may not be written: ") + why;
        return false;
    }
    RemoveSaveLeftovers(m_target);
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QString prefix = QFileInfo(m_target).absoluteDir().filePath(SaveTempPrefix(m_target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString candidate = prefix;
        for (int i = 0; i < kRandomChars; ++i)
            candidate += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            m_path = candidate;
            return true;
        }
        if (errno != EEXIST) {
            m_error = QStringLiteral("cannot create a file beside ") + m_target + QStringLiteral(": ") +
                      QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    m_error = QStringLiteral("no free temporary name beside ") + m_target;
    return false;
}

bool SaveTemp::ReplaceTarget()
{
    if (m_path.isEmpty())
        return false;
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(m_target);
    // A replaced file keeps its mode; a new one gets what any new file of the user's gets.
    struct stat old {};
    const mode_t mode = ::stat(to.constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::chmod(from.constData(), mode) != 0 || std::rename(from.constData(), to.constData()) != 0) {
        m_error = QStringLiteral("cannot rename over ") + m_target + QStringLiteral(": ") +
                  QString::fromLocal8Bit(std::strerror(errno));
        Discard();
        return false;
    }
    m_path.clear();
    const QByteArray dir = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

void SaveTemp::Discard()
{
    if (m_path.isEmpty())
        return;
    QFile::remove(m_path);
    for (const char *side : kSideFiles)
        QFile::remove(m_path + QLatin1String(side));
    m_path.clear();
}

// ---- SaveFile ----------------------------------------------------------------------------------

SaveFile::SaveFile(const QString &target) : m_target(target), m_temp(target) {}

SaveFile::~SaveFile()
{
    if (!fileName().isEmpty())
        cancelWriting();
}

bool SaveFile::open(OpenMode mode)
{
    if (isOpen() || m_target.isEmpty())
        return false;
    if (!m_temp.Create())
        return false;
    setFileName(m_temp.Path());
    m_bCancelled = false;
    if (!QFile::open((mode & ~ReadOnly) | WriteOnly | Truncate)) {
        m_temp.Discard();
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
    if (ok)
        ok = m_temp.ReplaceTarget();
    m_temp.Discard();
    setFileName(QString());
    return ok;
}

void SaveFile::cancelWriting()
{
    m_bCancelled = true;
    if (isOpen())
        close();
    m_temp.Discard();
    setFileName(QString());
}

}  // namespace platform
