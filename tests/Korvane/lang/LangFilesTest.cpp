// The shipped language files and the translator's table, checked against the program's code.
#include "platform/IniFile.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <map>

namespace {

const QString kSource = QStringLiteral(KORVANE_SOURCE_DIR);
const char *const kLangFiles[] = {"chinese_S.ini", "chinese_T.ini", "english_US.ini"};

QString LangFile(const char *name)
{
    return kSource + "/Korvane/config/" + name;
}

// printf conversions of a text, in order ("%d", "%s", ...; "%%" is none).
QStringList FormatSpecs(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("%[-+ #0]*[0-9]*(?:\\.[0-9]+)?(?:hh|h|ll|l|L|z|j|t)?[diouxXeEfgGcsp%]"));
    QStringList specs;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const QString s = it.next().captured(0);
        if (s != u"%%")
            specs << s;
    }
    return specs;
}

// Every "IDS_..." key that the code hands to LoadLangString as a literal.
std::map<QString, QString> KeysUsedInCode()
{
    static const QRegularExpression re(QStringLiteral(
        "LoadLangString\\s*\\(\\s*(?:(?:QStringLiteral|QString|QLatin1String|QString::fromUtf8)"
        "\\s*\\(\\s*)?u?\"(IDS_[A-Za-z0-9_]+)\""));
    std::map<QString, QString> keys;  // key -> first file using it
    for (const char *root : {"/Korvane", "/platform"}) {
        QDirIterator it(kSource + root, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(f.readAll());
            for (auto m = re.globalMatch(text); m.hasNext();)
                keys.emplace(m.next().captured(1), path.mid(kSource.size() + 1));
        }
    }
    return keys;
}

TEST(LangFiles, EveryKeyUsedInCodeIsInEveryLanguage)
{
    const auto used = KeysUsedInCode();
    for (const char *file : kLangFiles) {
        const IniFile ini(LangFile(file));
        for (const auto &[key, where] : used)
            EXPECT_TRUE(ini.HasKey("String", key))
                << file << " lacks " << key.toStdString() << " (used in " << where.toStdString()
                << ")";
    }
}

TEST(LangFiles, TheThreeFilesHoldTheSameKeysWithMatchingFormats)
{
    const IniFile reference(LangFile(kLangFiles[0]));
    ASSERT_FALSE(reference.KeyNames("String").isEmpty());
    for (const QString &section : {QStringLiteral("String"), QStringLiteral("DIALOG"),
                                   QStringLiteral("VIEW")}) {
        for (const char *file : kLangFiles) {
            SCOPED_TRACE(file);
            const IniFile ini(LangFile(file));
            EXPECT_TRUE(ini.HasSection(section)) << section.toStdString();
            EXPECT_EQ(ini.KeyNames(section), reference.KeyNames(section)) << section.toStdString();
            for (const QString &key : ini.KeyNames(section)) {
                SCOPED_TRACE(key.toStdString());
                const QString text = ini.Read(section, key);
                EXPECT_FALSE(text.isEmpty());
                EXPECT_NE(text, "Not found");
                // Callers format these texts: a changed conversion would misread arguments.
                EXPECT_EQ(FormatSpecs(text), FormatSpecs(reference.Read(section, key)));
            }
        }
    }
}

TEST(LangFiles, TheKeysTheCoreNamesArePresent)
{
    QStringList keys = {"IDS_SysParam_1", "IDS_SysParam_2", "IDS_SysParam_15",
                        "IDS_NewInertiaIdentifyDlg_17", "IDS_NewInertiaIdentifyDlg_19",
                        "IDS_NewInertiaIdentifyDlg_20", "IDS_NewInertiaIdentifyDlg_21",
                        "IDS_NewInertiaIdentifyDlg_23", "IDS_DlgCommSetting_4",
                        "IDS_DlgCommSetting_5", "IDS_DlgCommSetting_7", "IDS_DlgCommSetting_8",
                        "IDS_DlgCommSetting_9", "IDS_DlgCommSetting_10", "IDS_ColourPicker_1"};
    for (int i = 1; i <= 41; ++i)
        keys << QString("IDS_ColourPopup_%1").arg(i);
    const IniFile ini(LangFile(kLangFiles[0]));
    for (const QString &k : keys)
        EXPECT_TRUE(ini.HasKey("String", k)) << k.toStdString();
    EXPECT_EQ(FormatSpecs(ini.Read("String", "IDS_SysParam_15")),
              (QStringList{"%s", "%d", "%d", "%d"}));
    EXPECT_EQ(FormatSpecs(ini.Read("String", "IDS_DlgCommSetting_9")), QStringList{"%d"});
    for (const char *k : {"IDD199_DLG", "IDD199_1050", "IDD199_1051"})
        EXPECT_TRUE(ini.HasKey("DIALOG", k)) << k;
}

// The translator's table: every entry translated into both languages with the same format
// conversions, and no two common entries sharing a translation (re-texting a control maps its
// shown text back to one source).
TEST(LangTable, EntriesAreCompleteAndUnambiguous)
{
    QFile f(kSource + "/Korvane/config/LangTable.tsv");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QSet<QString> sources;
    std::map<QString, QString> seen[2];
    int entries = 0;
    bool common = true;
    QString section;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            section = line.trimmed();
            common = section == "[]";
            continue;
        }
        SCOPED_TRACE(line.toStdString());
        const QStringList cells = line.split('\t');
        ASSERT_EQ(cells.size(), 3);
        ++entries;
        // Once per section: a section's entry stands in for the common one of the same source.
        EXPECT_FALSE(sources.contains(section + cells[0]));
        sources.insert(section + cells[0]);
        for (int i = 0; i < 2; ++i) {
            EXPECT_FALSE(cells[i + 1].isEmpty());
            EXPECT_EQ(FormatSpecs(cells[i + 1]), FormatSpecs(cells[0]));
            if (!common || cells[i + 1] == cells[0])
                continue;
            auto [it, fresh] = seen[i].emplace(cells[i + 1], cells[0]);
            EXPECT_TRUE(fresh) << "also the translation of " << it->second.toStdString();
        }
    }
    EXPECT_GT(entries, 50);
}

}

namespace {

// A C++ source with its comments blanked out (line breaks kept, so line numbers stay right);
// string and character literals are kept whole.
QString WithoutComments(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            qsizetype j = i + 1;
            while (j < n && text[j] != c && text[j] != u'\n')
                j += text[j] == u'\\' ? 2 : 1;
            out += text.mid(i, j + 1 - i);
            i = j + 1;
        } else if (text.mid(i, 2) == u"//") {
            while (i < n && text[i] != u'\n')
                ++i;
        } else if (text.mid(i, 2) == u"/*") {
            const qsizetype end = text.indexOf(u"*/", i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            out += QString(text.mid(i, stop - i).count(u'\n'), u'\n');
            i = stop;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

bool HoldsHan(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x3400 && c.unicode() <= 0x9fff)
            return true;
    return false;
}

// The text a C++ literal body or a table cell stands for (backslash escapes n, t, r and others).
QString LiteralText(const QString &body)
{
    QString out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == u'\\' && i + 1 < body.size()) {
            const QChar e = body[++i];
            out += e == u'n' ? u'\n' : e == u't' ? u'\t' : e == u'r' ? u'\r' : e;
        } else {
            out += body[i];
        }
    }
    return out;
}

struct Literal {
    QString text;
    QString where;  // file:line
};

// Every Chinese string literal of the program's code outside comments and log lines.
std::vector<Literal> ChineseLiteralsInCode()
{
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    // Log lines: the trace macros, the logging stream and Qt's message handlers.
    static const QRegularExpression logLine(
        QStringLiteral("(_LOG\\b|\\bKLOG\\s*\\(|\\bLOG\\s*\\(|\\bq(Debug|Info|Warning|Critical)\\b)"));
    std::vector<Literal> found;
    for (const char *root : {"/Korvane", "/platform"}) {
        QDirIterator it(kSource + root, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QStringList lines = WithoutComments(QString::fromUtf8(f.readAll())).split(u'\n');
            for (qsizetype ln = 0; ln < lines.size(); ++ln) {
                if (logLine.match(lines[ln]).hasMatch())
                    continue;
                for (auto m = literal.globalMatch(lines[ln]); m.hasNext();) {
                    const QString body = m.next().captured(1);
                    if (HoldsHan(body))
                        found.push_back({LiteralText(body),
                                         path.mid(kSource.size() + 1) + ':' + QString::number(ln + 1)});
                }
            }
        }
    }
    return found;
}

// Sources of the translator's table with both translations: of any section, or only the
// common entries (the plain text lookup's).
QSet<QString> TranslatedSources(bool commonOnly = false)
{
    QFile f(kSource + "/Korvane/config/LangTable.tsv");
    QSet<QString> sources;
    if (!f.open(QIODevice::ReadOnly))
        return sources;
    bool common = true;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith('['))
            common = line.trimmed() == QStringLiteral("[]");
        if (line.trimmed().isEmpty() || line.startsWith('#') || line.startsWith('['))
            continue;
        if (commonOnly && !common)
            continue;
        const QStringList cells = line.split('\t');
        if (cells.size() == 3 && !cells[1].isEmpty() && !cells[2].isEmpty())
            sources.insert(LiteralText(cells[0]));
    }
    return sources;
}

// Chinese literals that never reach the screen as words to translate.
const QSet<QString> kNotTranslated = {
    QStringLiteral("黑体"), QStringLiteral("宋体"),  // font families
    QStringLiteral("简体中文"), QStringLiteral("繁體中文"),  // each language named in itself
    // Labels of the bug-report file, read by the developers.
    QStringLiteral("时间:"), QStringLiteral("文件:"), QStringLiteral("行号:"),
    QStringLiteral("函数:"), QStringLiteral("内容:"),
    QStringLiteral("Halvex伺服后台调试软件使用手册.pdf"),  // a file on disk
};

TEST(LangTable, EveryChineseTextOfTheCodeIsTranslated)
{
    const QSet<QString> translated = TranslatedSources();
    ASSERT_FALSE(translated.isEmpty());
    const auto literals = ChineseLiteralsInCode();
    ASSERT_GT(literals.size(), 100u);  // the scan found the code
    QSet<QString> missing;
    for (const Literal &l : literals) {
        if (translated.contains(l.text) || kNotTranslated.contains(l.text) || missing.contains(l.text))
            continue;
        missing.insert(l.text);
        ADD_FAILURE() << l.where.toStdString() << ": \"" << l.text.toStdString()
                      << "\" has no English and traditional Chinese entry in LangTable.tsv";
    }
    EXPECT_EQ(missing.size(), 0);
}

// The names the shipped default database shows (groups, parameters, options, products) are
// Chinese source texts the plain lookup translates: each has its common entry.
TEST(LangTable, EveryNameOfTheDefaultDatabaseIsTranslated)
{
    const QSet<QString> translated = TranslatedSources(true);
    static const QRegularExpression literal(QStringLiteral("'((?:[^']|'')*)'"));
    int names = 0;
    for (const char *file : {"products.sql", "options.sql", "parameters.sql"}) {
        QFile f(kSource + "/CommonRes/ParamsData/" + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file;
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        for (qsizetype ln = 0; ln < lines.size(); ++ln) {
            if (lines[ln].trimmed().startsWith(QStringLiteral("--")))
                continue;
            for (auto m = literal.globalMatch(lines[ln]); m.hasNext();) {
                const QString name = m.next().captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
                if (!HoldsHan(name))
                    continue;
                ++names;
                EXPECT_TRUE(translated.contains(name))
                    << file << ':' << ln + 1 << ": \"" << name.toStdString()
                    << "\" has no common English and traditional Chinese entry in LangTable.tsv";
            }
        }
    }
    EXPECT_GT(names, 100);  // the scan found the names
}

}
