#include "platform/IniFile.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <sys/stat.h>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// One-shot writes read, change and write back: within the process they take turns so that two
// threads writing different keys of one file both keep their change.
std::mutex g_writeMutex;

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString StripQuotes(const QString &v)
{
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == u'"' || q == u'\'') && v.back() == q)
            return v.mid(1, v.size() - 2);
    }
    return v;
}

int DigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'z')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'Z')
        return c.unicode() - u'A' + 10;
    return 99;
}

}

IniFile::IniFile(const QString &path)
{
    Load(path);
}

bool IniFile::Load(const QString &path)
{
    m_path = path;
    m_lines.clear();
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype nl = data.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.raw = data.mid(pos);
            pos = data.size();
        } else {
            qsizetype end = nl;
            if (end > pos && data[end - 1] == '\r')
                --end;
            line.raw = data.mid(pos, end - pos);
            line.eol = data.mid(end, nl + 1 - end);
            pos = nl + 1;
        }
        Classify(line, m_lines.empty());
        m_lines.push_back(std::move(line));
    }
    return true;
}

void IniFile::Classify(Line &line, bool first)
{
    QByteArray bytes = line.raw;
    if (first && bytes.startsWith(kUtf8Bom))
        bytes.remove(0, kUtf8Bom.size());
    const QString text = QString::fromUtf8(bytes).trimmed();
    line.kind = Kind::Other;
    if (text.isEmpty() || text.front() == u';' || text.front() == u'#')
        return;
    if (text.front() == u'[') {
        const qsizetype close = text.lastIndexOf(u']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
        return;
    }
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0)
        return;
    line.name = text.left(eq).trimmed();
    if (line.name.isEmpty())
        return;
    line.kind = Kind::Key;
    line.value = StripQuotes(text.mid(eq + 1).trimmed());
}

int IniFile::FindSection(const QString &section) const
{
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && SameName(m_lines[i].name, section))
            return int(i);
    return -1;
}

int IniFile::SectionEnd(int sectionLine) const
{
    size_t i = size_t(sectionLine) + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return int(i);
}

int IniFile::FindKey(int sectionLine, const QString &key) const
{
    if (sectionLine < 0)
        return -1;
    const int end = SectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i)
        if (m_lines[size_t(i)].kind == Kind::Key && SameName(m_lines[size_t(i)].name, key))
            return i;
    return -1;
}

QByteArray IniFile::NewLineEnd() const
{
    for (const Line &l : m_lines)
        if (!l.eol.isEmpty())
            return l.eol;
    return QByteArrayLiteral("\r\n");
}

bool IniFile::HasSection(const QString &section) const
{
    return FindSection(section) >= 0;
}

bool IniFile::HasKey(const QString &section, const QString &key) const
{
    return FindKey(FindSection(section), key) >= 0;
}

QString IniFile::Read(const QString &section, const QString &key, const QString &def) const
{
    const int k = FindKey(FindSection(section), key);
    return k < 0 ? def : m_lines[size_t(k)].value;
}

int IniFile::ReadInt(const QString &section, const QString &key, int def) const
{
    const int k = FindKey(FindSection(section), key);
    return k < 0 ? def : ParseLeadingInt(m_lines[size_t(k)].value, def);
}

QStringList IniFile::SectionNames() const
{
    QStringList names;
    for (const Line &l : m_lines)
        if (l.kind == Kind::Section && FindSection(l.name) == int(&l - m_lines.data()))
            names << l.name;
    return names;
}

QStringList IniFile::KeyNames(const QString &section) const
{
    QStringList names;
    const int s = FindSection(section);
    if (s < 0)
        return names;
    const int end = SectionEnd(s);
    for (int i = s + 1; i < end; ++i) {
        const Line &l = m_lines[size_t(i)];
        if (l.kind == Kind::Key && FindKey(s, l.name) == i)
            names << l.name;
    }
    return names;
}

void IniFile::Write(const QString &section, const QString &key, const QString &value)
{
    const QByteArray eol = NewLineEnd();
    auto makeKey = [&](const QString &name) {
        Line l;
        l.raw = (name + u'=' + value).toUtf8();
        l.eol = eol;
        Classify(l, false);
        return l;
    };
    const int s = FindSection(section);
    if (s < 0) {
        if (!m_lines.empty() && m_lines.back().eol.isEmpty())
            m_lines.back().eol = eol;
        Line head;
        head.raw = (u'[' + section + u']').toUtf8();
        head.eol = eol;
        Classify(head, m_lines.empty());
        m_lines.push_back(std::move(head));
        m_lines.push_back(makeKey(key));
        return;
    }
    const int k = FindKey(s, key);
    if (k >= 0) {
        Line &l = m_lines[size_t(k)];
        Line repl = makeKey(l.name);
        repl.eol = l.eol;
        l = std::move(repl);
        return;
    }
    // After the section's last non-blank line, so blank separators stay before the next one.
    int at = SectionEnd(s);
    while (at - 1 > s && m_lines[size_t(at - 1)].raw.trimmed().isEmpty())
        --at;
    if (m_lines[size_t(at - 1)].eol.isEmpty())
        m_lines[size_t(at - 1)].eol = eol;
    m_lines.insert(m_lines.begin() + at, makeKey(key));
}

void IniFile::RemoveKey(const QString &section, const QString &key)
{
    const int k = FindKey(FindSection(section), key);
    if (k >= 0)
        m_lines.erase(m_lines.begin() + k);
}

void IniFile::RemoveSection(const QString &section)
{
    const int s = FindSection(section);
    if (s >= 0)
        m_lines.erase(m_lines.begin() + s, m_lines.begin() + SectionEnd(s));
}

bool IniFile::Save() const
{
    if (m_path.isEmpty())
        return false;
    DropCached(m_path);
    const QFileInfo fi(m_path);
    if (!fi.absoluteDir().exists())
        return false;
    platform::SaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray data;
    for (const Line &l : m_lines) {
        data += l.raw;
        data += l.eol;
    }
    if (out.write(data) != data.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// ---- the parsed-file cache of the one-shot reads

namespace {

// A file parsed once: the first section of each name and in it the first key of each name,
// as the lookups take them; names folded for the case-insensitive match. Valid while the
// file keeps its modification time and size.
struct ParsedProfile {
    QByteArray nativePath;
    bool exists = false;
    std::int64_t modifiedNs = 0;
    std::int64_t size = -1;
    std::unordered_map<QString, std::unordered_map<QString, QString>> values;
};

// The file's identity for the cache: whether it exists, its modification time and its size.
// A plain stat: this runs on every lookup.
void StatFile(const QByteArray &nativePath, bool &exists, std::int64_t &modifiedNs, std::int64_t &size)
{
    struct stat st {};
    exists = ::stat(nativePath.constData(), &st) == 0;
    modifiedNs = exists ? std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec : 0;
    size = exists ? std::int64_t(st.st_size) : -1;
}

std::mutex g_cacheMutex;
std::unordered_map<QString, std::shared_ptr<const ParsedProfile>> g_cache;  // under g_cacheMutex

}

std::shared_ptr<const void> IniFile::CachedProfile(const QString &file)
{
    std::shared_ptr<const ParsedProfile> cached;
    {
        std::lock_guard<std::mutex> lock(g_cacheMutex);
        const auto it = g_cache.find(file);
        if (it != g_cache.end())
            cached = it->second;
    }
    const QByteArray nativePath = cached ? cached->nativePath : QFile::encodeName(file);
    bool exists = false;
    std::int64_t modifiedNs = 0;
    std::int64_t size = -1;
    StatFile(nativePath, exists, modifiedNs, size);
    if (cached && cached->exists == exists && cached->modifiedNs == modifiedNs && cached->size == size)
        return cached;

    auto parsed = std::make_shared<ParsedProfile>();
    parsed->nativePath = nativePath;
    parsed->exists = exists;
    parsed->modifiedNs = modifiedNs;
    parsed->size = size;
    const IniFile ini(file);
    std::unordered_map<QString, QString> *current = nullptr;
    for (const Line &l : ini.m_lines) {
        if (l.kind == Kind::Section) {
            auto [it, fresh] = parsed->values.try_emplace(l.name.toCaseFolded());
            current = fresh ? &it->second : nullptr;  // a repeated section is never read
        } else if (l.kind == Kind::Key && current) {
            current->try_emplace(l.name.toCaseFolded(), l.value);
        }
    }
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache[file] = parsed;
    return parsed;
}

void IniFile::DropCached(const QString &file)
{
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache.erase(file);
}

void IniFile::DropAllCached()
{
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache.clear();
}

QString IniFile::GetString(const QString &file, const QString &section, const QString &key,
                           const QString &def)
{
    const auto profile = std::static_pointer_cast<const ParsedProfile>(CachedProfile(file));
    const auto s = profile->values.find(section.toCaseFolded());
    if (s == profile->values.end())
        return def;
    const auto k = s->second.find(key.toCaseFolded());
    return k == s->second.end() ? def : k->second;
}

int IniFile::GetInt(const QString &file, const QString &section, const QString &key, int def)
{
    return ParseLeadingInt(GetString(file, section, key, QString()), def);
}

bool IniFile::WriteString(const QString &file, const QString &section, const QString &key,
                          const QString &value)
{
    std::lock_guard<std::mutex> lock(g_writeMutex);
    IniFile ini;
    if (!ini.Load(file) && QFileInfo::exists(file))
        return false;  // present but unreadable: never replace it with a fresh file
    ini.Write(section, key, value);
    return ini.Save();
}

bool IniFile::WriteInt(const QString &file, const QString &section, const QString &key, int value)
{
    return WriteString(file, section, key, QString::asprintf("%d", value));
}

bool IniFile::DeleteKey(const QString &file, const QString &section, const QString &key)
{
    std::lock_guard<std::mutex> lock(g_writeMutex);
    IniFile ini;
    if (!ini.Load(file))
        return false;
    ini.RemoveKey(section, key);
    return ini.Save();
}

bool IniFile::DeleteSection(const QString &file, const QString &section)
{
    std::lock_guard<std::mutex> lock(g_writeMutex);
    IniFile ini;
    if (!ini.Load(file))
        return false;
    ini.RemoveSection(section);
    return ini.Save();
}

QString IniFile::NormalizePath(const QString &path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

QString IniFile::GetPath(const QString &file, const QString &section, const QString &key,
                         const QString &def)
{
    return NormalizePath(GetString(file, section, key, def));
}

int IniFile::ParseLeadingInt(const QString &text, int def)
{
    if (text.isEmpty())
        return def;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i + 1 < n && text[i] == u'0') {
        const QChar p = text[i + 1].toLower();
        if (p == u'x' || p == u'o' || p == u'b') {
            base = p == u'x' ? 16 : p == u'o' ? 8 : 2;
            i += 2;
        }
    }
    // The value wraps like the 32-bit unsigned accumulator of the original reader.
    uint32_t v = 0;
    for (; i < n; ++i) {
        const int d = DigitValue(text[i]);
        if (d >= base)
            break;
        v = v * uint32_t(base) + uint32_t(d);
    }
    if (negative)
        v = 0u - v;
    return int(v);
}

}
