#include "platform/LanguageConf.h"

#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace platform {

namespace {

const QString kStoreSection = QStringLiteral("Language");
const QString kStoreKey = QStringLiteral("Current");
constexpr unsigned kLanguageCount = 3;

std::unique_ptr<ISqlite> g_sqlite;

QString Unescape(const QString &cell)
{
    QString out;
    out.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell[i];
        if (c == u'\\' && i + 1 < cell.size()) {
            const QChar n = cell[i + 1];
            if (n == u't' || n == u'n' || n == u'r' || n == u'\\') {
                out += n == u't' ? u'\t' : n == u'n' ? u'\n' : n == u'r' ? u'\r' : u'\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}

// ---- CLanguageConf ----------------------------------------------------------------------------

CLanguageConf *CLanguageConf::GetTheOne()
{
    static CLanguageConf theOne;
    return &theOne;
}

void CLanguageConf::Set(unsigned nLanguage)
{
    if (nLanguage >= kLanguageCount)
        return;
    m_nLanguage.store(nLanguage);
    if (!m_strStoreFile.isEmpty()
        && IniFile::GetInt(m_strStoreFile, kStoreSection, kStoreKey, -1) != int(nLanguage))
        IniFile::WriteInt(m_strStoreFile, kStoreSection, kStoreKey, int(nLanguage));
}

void CLanguageConf::SetStoreFile(const QString &path)
{
    m_strStoreFile = path;
    if (path.isEmpty())
        return;
    const int stored = IniFile::GetInt(path, kStoreSection, kStoreKey, 0);
    m_nLanguage.store(stored >= 0 && unsigned(stored) < kLanguageCount ? unsigned(stored) : 0u);
}

// ---- CSqlite ------------------------------------------------------------------------------

CSqlite::CSqlite(const QString &dataFile)
{
    m_strDataFile = dataFile;
}

int CSqlite::HasDataFile()
{
    return !m_strDataFile.isEmpty() && QFileInfo(m_strDataFile).isFile() ? 1 : 0;
}

QString CSqlite::MakeKey(const QString &section, const QString &source)
{
    return section + QChar(0x1f) + source;
}

void CSqlite::Load()
{
    m_entries.clear();
    m_sources.clear();
    m_sectionSources.clear();
    QFile f(m_strDataFile);
    if (m_strDataFile.isEmpty() || !f.open(QIODevice::ReadOnly))
        return;
    QString section;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (QByteArray raw : lines) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3);
        const QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.trimmed().endsWith(u']')) {
            const QString t = line.trimmed();
            section = t.mid(1, t.size() - 2).trimmed();
            continue;
        }
        const QStringList cells = line.split(u'\t');
        const QString source = Unescape(cells[0]);
        if (source.isEmpty())
            continue;
        Entry e;
        for (int i = 0; i < 2; ++i)
            e.text[i] = cells.size() > i + 1 ? Unescape(cells[i + 1]) : QString();
        const QString key = MakeKey(section, source);
        if (m_entries.contains(key))
            continue;  // first entry wins
        m_entries.insert(key, e);
        for (const QString &shown : e.text) {
            if (shown.isEmpty())
                continue;
            if (section.isEmpty()) {
                if (!m_sources.contains(shown))
                    m_sources.insert(shown, source);
            } else {
                const QString sk = MakeKey(section, shown);
                if (!m_sectionSources.contains(sk))
                    m_sectionSources.insert(sk, source);
            }
        }
    }
}

QString CSqlite::Lookup(const QString &section, const QString &source) const
{
    const unsigned lang = CLanguageConf::GetTheOne()->Get();
    if (lang == CLanguageConf::kSimplified || lang >= kLanguageCount)
        return source;
    const int idx = int(lang) - 1;
    if (!section.isEmpty()) {
        auto it = m_entries.constFind(MakeKey(section, source));
        if (it != m_entries.cend() && !it->text[idx].isEmpty())
            return it->text[idx];
    }
    auto it = m_entries.constFind(MakeKey(QString(), source));
    if (it != m_entries.cend() && !it->text[idx].isEmpty())
        return it->text[idx];
    return source;
}

QString CSqlite::Translate(const QString &section, const QString &source)
{
    return Lookup(section, source);
}

QString CSqlite::TranslateText(const QString &source)
{
    return Lookup(QString(), source);
}

QString CSqlite::TranslateControl(const QString &section, int ctrlId, const QString &currentText)
{
    (void)ctrlId;  // entries are keyed by text; the id names the control only for the caller
    QString source = currentText;
    if (!section.isEmpty()) {
        auto it = m_sectionSources.constFind(MakeKey(section, currentText));
        if (it != m_sectionSources.cend())
            source = *it;
        else
            source = SourceText(currentText);
    } else {
        source = SourceText(currentText);
    }
    return Lookup(section, source);
}

QString CSqlite::SourceText(const QString &shown)
{
    auto it = m_sources.constFind(shown);
    if (it != m_sources.cend())
        return *it;
    for (auto s = m_sectionSources.cbegin(); s != m_sectionSources.cend(); ++s) {
        const QString &key = s.key();
        const qsizetype sep = key.indexOf(QChar(0x1f));
        if (sep >= 0 && QStringView(key).mid(sep + 1) == shown)
            return s.value();
    }
    return shown;
}

// ---- Process-wide objects -----------------------------------------------------------------

void CreateLanguageLibrary(const QString &dataFile)
{
    g_sqlite = std::make_unique<CSqlite>(dataFile);
    const QFileInfo fi(dataFile);
    CLanguageConf::GetTheOne()->SetStoreFile(
        dataFile.isEmpty() ? QString() : fi.absolutePath() + QStringLiteral("/LangConf.ini"));
}

void DestroyLanguageLibrary()
{
    g_sqlite.reset();
    CLanguageConf::GetTheOne()->SetStoreFile(QString());
}

ISqlite *GetSqlite()
{
    if (g_sqlite)
        return g_sqlite.get();
    static CSqlite passThrough{QString()};
    return &passThrough;
}

}
