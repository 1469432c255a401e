#include "PathHelpers.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QMutex g_dirMutex;
QString g_programDirOverride;

QString ExecutableDir()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || size_t(n) >= sizeof buf)
        return QString();  // unreadable or cut: refuse rather than guess
    const QString exe = QString::fromLocal8Bit(buf, n);
    const qsizetype slash = exe.lastIndexOf(u'/');
    return slash <= 0 ? QString() : exe.left(slash);
}

bool IsDirectory(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool MakeDir(const QString &path)
{
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 || errno == EEXIST;
}

// Removes everything inside the open directory `dirFd` without following symbolic links: every
// descent goes through openat(O_NOFOLLOW), so a link swapped in meanwhile is never entered.
// Returns false when something could not be removed (it is skipped, the rest goes on).
bool RemoveContents(int dirFd, int depth)
{
    if (depth > 256)
        return false;
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return false;
    DIR *d = ::fdopendir(listFd);
    if (!d) {
        ::close(listFd);
        return false;
    }
    bool ok = true;
    while (dirent *e = ::readdir(d)) {
        const char *name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        struct stat st;
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                ok = false;
                continue;
            }
            if (!RemoveContents(sub, depth + 1))
                ok = false;
            ::close(sub);
            if (::unlinkat(dirFd, name, AT_REMOVEDIR) != 0)
                ok = false;
        } else if (::unlinkat(dirFd, name, 0) != 0) {
            ok = false;
        }
    }
    ::closedir(d);
    return ok;
}

// The absolute, link-free form of `path` when it names a real directory (not a link to one)
// strictly inside the program directory; empty otherwise.
QString SafeTreeRoot(const QString &path)
{
    if (path.trimmed().isEmpty())
        return QString();
    const QString programDir = GetProgramDir();
    if (programDir.isEmpty())
        return QString();
    const QString programCanon = QFileInfo(programDir).canonicalFilePath();
    const QFileInfo fi(QDir::cleanPath(QDir(programDir).absoluteFilePath(path)));
    if (programCanon.isEmpty() || fi.isSymLink() || !fi.isDir())
        return QString();
    const QString parentCanon = QFileInfo(fi.absolutePath()).canonicalFilePath();
    if (parentCanon.isEmpty() || fi.fileName().isEmpty() || fi.fileName() == u".."
        || fi.fileName() == u".")
        return QString();
    const QString canon = parentCanon + u'/' + fi.fileName();
    if (!canon.startsWith(programCanon + u'/'))
        return QString();
    return canon;
}

// One iconv pass; bytes it cannot take are replaced through `onBad`, which returns how many
// input bytes to skip.
template <typename OnBad>
std::string Iconv(const char *to, const char *from, const std::string &in, OnBad onBad)
{
    iconv_t cd = ::iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::string();
    std::string out;
    out.resize(in.size() * 4 + 16);
    char *src = const_cast<char *>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    while (srcLeft > 0) {
        char *dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        const size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != size_t(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {  // EILSEQ or EINVAL (cut sequence at the end)
            const size_t skip = std::min(srcLeft, onBad(out, used, src, srcLeft));
            src += skip;
            srcLeft -= skip;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    ::iconv_close(cd);
    out.resize(used);
    return out;
}

const char *GbkName()
{
    static const char *name = [] {
        iconv_t cd = ::iconv_open("CP936", "UTF-8");
        if (cd == iconv_t(-1))
            return "GBK";
        ::iconv_close(cd);
        return "CP936";
    }();
    return name;
}

size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

void PutAt(std::string &out, size_t &used, const char *bytes, size_t n)
{
    if (out.size() < used + n)
        out.resize(used + n + 16);
    std::copy(bytes, bytes + n, out.data() + used);
    used += n;
}

}

// ---- Program directory ----------------------------------------------------------------------

QString GetProgramDir()
{
    {
        QMutexLocker lock(&g_dirMutex);
        if (!g_programDirOverride.isEmpty())
            return g_programDirOverride;
    }
    static const QString dir = ExecutableDir();
    return dir;
}

void SetProgramDir(const QString &dir)
{
    QString d = dir;
    while (d.size() > 1 && d.endsWith(u'/'))
        d.chop(1);
    QMutexLocker lock(&g_dirMutex);
    g_programDirOverride = d;
}

QString GetModulePath(const QString &relative)
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    return GetProgramDir() + u'/' + rel;
}

QString GetHistoryDataDir()
{
    const QString dir = GetProgramDir();
    if (dir.isEmpty())
        return QString();
    const QString history = dir + QStringLiteral("/ScopeData/History");
    if (!IsDirectory(history) && !MakeDirectoryRecursive(history))
        return QString();
    return history;
}

// ---- Cutting paths ------------------------------------------------------------------------

QString GetParentDirectory(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.left(slash);
}

QString GetDirectoryOfPath(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : path.left(cut);
}

// ---- Directory trees ----------------------------------------------------------------------

bool CreateDirectoryTree(const QString &path)
{
    qsizetype from = path.startsWith(u'/') ? 1 : 0;
    for (qsizetype slash = path.indexOf(u'/', from); slash >= 0;
         slash = path.indexOf(u'/', slash + 1)) {
        if (slash == from) {  // "//": an empty component names nothing new
            from = slash + 1;
            continue;
        }
        const QString prefix = path.left(slash);
        from = slash + 1;
        if (!Exists(prefix)) {
            if (!MakeDir(prefix))
                return false;
        } else if (!IsDirectory(prefix)) {
            return false;
        }
    }
    return true;
}

bool EnsureDirectory(QString path)
{
    path = path.trimmed();
    if (path.isEmpty())
        return false;
    path.replace(u'\\', u'/');
    if (Exists(path))
        return IsDirectory(path);
    // Shortest prefix first, each missing one created.
    std::vector<QString> chain{path};
    for (QString p = path; p.lastIndexOf(u'/') > 0;) {
        p = p.left(p.lastIndexOf(u'/'));
        chain.push_back(p);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it->isEmpty() || IsDirectory(*it))
            continue;
        if (!MakeDir(*it) || !IsDirectory(*it))
            return false;
    }
    return true;
}

bool MakeDirectoryRecursive(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (path.isEmpty() || slash < 0)
        return false;
    if (IsDirectory(path))
        return true;
    if (slash > 0)
        MakeDirectoryRecursive(path.left(slash));
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0;
}

namespace {

// Removes the contents of a directory that passed SafeTreeRoot.
bool RemoveTreeContents(const QString &root)
{
    const int fd = ::open(QFile::encodeName(root).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = RemoveContents(fd, 0);
    ::close(fd);
    return ok;
}

}

bool EmptyDirectory(const QString &path)
{
    const QString root = SafeTreeRoot(path);
    return !root.isEmpty() && RemoveTreeContents(root);
}

bool DeleteDirectoryTree(const QString &path)
{
    const QString root = SafeTreeRoot(path);
    if (root.isEmpty())
        return false;
    RemoveTreeContents(root);  // what cannot go is skipped; rmdir then tells
    return ::rmdir(QFile::encodeName(root).constData()) == 0;
}

// ---- Text conversions ---------------------------------------------------------------------

std::string WideToUtf8(const wchar_t *text)
{
    return text ? QString::fromWCharArray(text).toStdString() : std::string();
}

std::string CStringToUtf8(const QString &text)
{
    return text.toStdString();
}

std::string CStringToAnsi(const QString &text)
{
    const std::string utf8 = text.toStdString();
    return Iconv(GbkName(), "UTF-8", utf8,
                 [](std::string &out, size_t &used, const char *src, size_t) {
                     PutAt(out, used, "?", 1);
                     return Utf8SequenceLength(static_cast<unsigned char>(*src));
                 });
}

QString AnsiToCString(const std::string &ansi)
{
    const std::string utf8 =
        Iconv("UTF-8", GbkName(), ansi, [](std::string &out, size_t &used, const char *, size_t) {
            PutAt(out, used, "\xEF\xBF\xBD", 3);
            return size_t(1);
        });
    return QString::fromStdString(utf8);
}

QString Utf8ToCString(const char *utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

std::wstring Utf8ToWide(const std::string &utf8)
{
    return QString::fromStdString(utf8).toStdWString();
}

// ---- Others -------------------------------------------------------------------------------

std::vector<QString> SplitUpperWords(const QString &text)
{
    std::vector<QString> words;
    for (const QString &w : text.split(u' ', Qt::SkipEmptyParts))
        words.push_back(w.toUpper());
    return words;
}

void CopyTextToClipboard(const QString &text)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (QClipboard *cb = QGuiApplication::clipboard())
        cb->setText(text);
}
