// Every saver of the program, by the same rules: a name as long as the folder allows is saved
// under that name, a read-only file is refused and left as it was, and a replaced file keeps
// its mode.
#include "Korvane/database/DbTestSupport.h"
#include "support/OrdinaryUser.h"

#include "DataMid.h"
#include "UserCtrlDefValue.h"
#include "Wnds/Params/RecipeFile.h"
#include "Wnds/auxFunction/MaFiles.h"
#include "Wnds/scope/ScopeChannels.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/WaveFile.h"
#include "controls/BitmapFile.h"
#include "database/CustomParamGroups.h"
#include "database/ProjectDatabase.h"
#include "grid/GridTableAttribute.h"
#include "grid/SpreadsheetExport.h"
#include "platform/IniFile.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <memory>

namespace {

struct Saver {
    const char *name;
    // Saves something to `path`; whether the saver said it did.
    std::function<bool(const QString &path)> save;
};

std::vector<Saver> AllSavers(platform::ScriptedUiServices &ui)
{
    return {
        {"settings file", [](const QString &p) { return platform::IniFile::WriteString(p, "S", "k", "v"); }},
        {"table layout",
         [](const QString &p) {
             CGridTableAttribute t;
             AddColumnAttribute(t, 1, "a", "A", "", "", true, true, 60, true, 0, 0, 11, false, 0, "");
             return WriteTableAttributeFile(p, t);
         }},
        {"custom groups", [](const QString &p) { return SaveCustomParamGroupsTo(p, {{"g", "P0601"}}, {{"g"}}); }},
        {"recipe",
         [](const QString &p) {
             CDBDataParameter r;
             r.sNum = "P0601";
             r.dwAddress = 0x0601;
             r.iCurValue = 5;
             return WriteRecipeText(p, "MODEL", {r});
         }},
        {"remembered values",
         [](const QString &p) {
             CUserCtrlDefValueList list;
             list.SetValue(256, 2124, kCtrlKindButton, "1");
             return list.SaveToFile(p);
         }},
        {"picture",
         [&ui](const QString &p) {
             QImage image(4, 3, QImage::Format_RGB32);
             image.fill(Qt::red);
             auto info = BuildBitmapInfo(image, nullptr);
             const std::size_t said = ui.Calls().size();
             SaveBitmapToBmpFile(p, nullptr, info.get(), image);
             return ui.Calls().size() == said;  // a failure is told in a box
         }},
        {"analysis settings", [](const QString &p) { return SaveMaSettings(p, "10", "2", "3"); }},
        {"analysis result",
         [](const QString &p) {
             MaResult r;
             r.nCount = 1;
             return SaveMsfFile(p, r);
         }},
        {"capture",
         [](const QString &p) {
             CScopeChannels channels;
             channels.m_dTimePerPoint = 0.125;
             channels.ResetLive();
             channels.m_ch[0].AppendFromArray(std::vector<double>{1, 2, 3});
             return SaveWaveFile(p, 1, channels, *CScopeSettings::GetInstance(), {});
         }},
        {"workbook", [](const QString &p) { return ExportRowsToSpreadsheet({}, p, {{"a", "b"}, {"1", "2"}}, {}) == 1; }},
        {"project",
         [](const QString &p) {
             CProjectDatabase pdb(dbtest::DefaultDb());
             CDataProject defaults;
             if (!pdb.LoadDefaultDatabase(defaults, 1))
                 return false;
             pdb.m_Project = defaults;
             return pdb.SaveProject(p);
         }},
    };
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

void WriteOld(const QString &path, mode_t mode)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

class Savers : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_umask = ::umask(022);
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override
    {
        CScopeSettings::DestroyInstance();
        ::umask(m_umask);
    }
    // A fresh folder for one case.
    QString Folder(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_scope{m_ui};
    dbtest::MessageRecorder m_messages;
    QTemporaryDir m_dir;
    mode_t m_umask = 022;
};

}  // namespace

// A file name up to the folder's limit (255 bytes) is the file's name: the temporary file beside
// it takes a shorter name of its own, and is gone once the save is over, the first time and when
// it replaces the file.
TEST_F(Savers, LongNamesAreSavedUnderTheirFullName)
{
    const QString threeByteChars = QString(84, QChar(0x53C2));  // 252 bytes in UTF-8
    const struct {
        const char *what;
        QString name;
    } names[] = {
        {"250 bytes", QString(246, 'n') + ".xyz"},
        {"255 bytes", QString(251, 'n') + ".xyz"},
        {"255 bytes of three-byte characters", threeByteChars + ".kv"},
    };
    int n = 0;
    for (const Saver &saver : AllSavers(*m_ui)) {
        for (const auto &c : names) {
            SCOPED_TRACE(std::string(saver.name) + ", " + c.what);
            ASSERT_LE(QFile::encodeName(c.name).size(), 255);
            const QString folder = Folder(QString::number(n++));
            const QString path = folder + "/" + c.name;
            for (const char *round : {"new", "replaced"}) {
                SCOPED_TRACE(round);
                EXPECT_TRUE(saver.save(path));
                EXPECT_EQ(Entries(folder), QStringList{c.name});
                EXPECT_GT(QFileInfo(path).size(), 0);
            }
        }
    }
    EXPECT_TRUE(m_messages.messages.empty());
}

// A read-only file is refused by every saver, as writing it in place would be: its bytes and its
// mode stay, and nothing is left beside it. Checked with an ordinary user's rights.
TEST_F(Savers, AReadOnlyFileIsRefusedAndLeftAsItWas)
{
    const QString folder = m_dir.path();
    // The ordinary user may make files in the folder, just not change the read-only one.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    const QString path = folder + "/target";
    for (const Saver &saver : AllSavers(*m_ui)) {
        SCOPED_TRACE(saver.name);
        QFile::remove(path);
        WriteOld(path, 0444);
        OrdinaryUser user;
        if (!user.Active())
            GTEST_SKIP() << "permissions do not bind the superuser, and it cannot take an ordinary user's file rights";
        EXPECT_FALSE(saver.save(path));
        EXPECT_EQ(Bytes(path), QByteArray("old"));
        EXPECT_EQ(ModeOf(path), 0444u);
        EXPECT_EQ(Entries(folder), QStringList{"target"});
    }
}

// A file the user gave a mode of its own keeps it when a save replaces it; a new file gets the
// mode any new file of the user's gets.
TEST_F(Savers, AReplacedFileKeepsItsModeANewOneTakesTheUsersDefault)
{
    int n = 0;
    for (const Saver &saver : AllSavers(*m_ui)) {
        SCOPED_TRACE(saver.name);
        const QString folder = Folder(QString::number(n++));
        const QString fresh = folder + "/fresh";
        EXPECT_TRUE(saver.save(fresh));
        EXPECT_EQ(ModeOf(fresh), 0644u) << "umask 022";
        for (const mode_t mode : {0600u, 0640u, 0664u}) {
            SCOPED_TRACE(mode);
            const QString path = folder + "/kept";
            WriteOld(path, mode);
            EXPECT_TRUE(saver.save(path));
            EXPECT_NE(Bytes(path), QByteArray("old"));
            EXPECT_EQ(ModeOf(path), mode);
        }
        EXPECT_EQ(Entries(folder), (QStringList{"fresh", "kept"}));
    }
}
