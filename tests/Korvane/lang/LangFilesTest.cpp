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
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            common = line.trimmed() == "[]";
            continue;
        }
        SCOPED_TRACE(line.toStdString());
        const QStringList cells = line.split('\t');
        ASSERT_EQ(cells.size(), 3);
        ++entries;
        EXPECT_FALSE(sources.contains(cells[0]));
        sources.insert(cells[0]);
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
