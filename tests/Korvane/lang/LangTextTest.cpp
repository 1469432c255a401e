#include "LangText.h"
#include "PathHelpers.h"
#include "platform/ControlId.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "support/FileBytes.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <type_traits>

namespace {

using testfiles::WriteAll;

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A program directory with the shipped language files and a setting.ini.
class LangFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramDir(dir.path());
        const QString src = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/");
        QDir().mkpath(dir.filePath("config"));
        for (const char *f : {"chinese_S.ini", "chinese_T.ini", "english_US.ini"})
            ASSERT_TRUE(QFile::copy(src + f, dir.filePath(QString("config/") + f)));
        GetLangText() = CLangText();
        GetLangText().SetModuleDir(dir.path());
    }
    void TearDown() override
    {
        GetLangText() = CLangText();
        SetProgramDir(QString());
    }
    void Choose(const char *language)
    {
        GetLangText() = CLangText();
        GetLangText().SetModuleDir(dir.path());
        IniFile::WriteString(dir.filePath("config/setting.ini"), "Setting", "Language", language);
        SetLanguage(QString());
    }
    QTemporaryDir dir;
};

TEST_F(LangFixture, KeyedTextsInAllThreeLanguages)
{
    const struct {
        const char *language, *key, *expected;
    } cases[] = {
        {"ChineseS", "IDS_SysParam_2", "错误"},
        {"ChineseT", "IDS_SysParam_2", "錯誤"},
        {"EnglishUS", "IDS_SysParam_2", "Error"},
        {"EnglishUS", "IDS_ColourPopup_1", "Black"},
        {"EnglishUS", "IDS_ColourPopup_40", "White"},
        {"ChineseT", "IDS_DlgCommSetting_10", "串口錯誤"},
        // The file holds "\n": it comes back as a line break.
        {"EnglishUS", "IDS_SysParam_15",
         "The value of parameter %s is out of range!\nRange: %d to %d, current value: %d"},
        {"EnglishUS", "IDS_NoSuch_1", "Not found"},
        {"ChineseS", "ids_sysparam_2", "错误"},  // keys compare case-insensitively
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.language) + " " + c.key);
        Choose(c.language);
        EXPECT_EQ(LoadLangString(c.key), QString::fromUtf8(c.expected));
    }
}

TEST_F(LangFixture, LanguageChoiceFromSettingFile)
{
    const struct {
        const char *stored;  // nullptr: no setting.ini
        const char *file;    // expected language file, "" for none
        const char *writtenBack;
    } cases[] = {
        {"ChineseS", "config/chinese_S.ini", "ChineseS"},
        {"ChineseT", "config/chinese_T.ini", "ChineseT"},
        {"EnglishUS", "config/english_US.ini", "EnglishUS"},
        {nullptr, "config/chinese_S.ini", "ChineseS"},  // missing file: default, and created
        {"englishus", "", "englishus"},                 // names are case-sensitive
        {"French", "", "French"},                       // unknown: no file, kept as it was
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "<no setting.ini>");
        QFile::remove(dir.filePath("config/setting.ini"));
        GetLangText() = CLangText();
        GetLangText().SetModuleDir(dir.path());
        if (c.stored)
            IniFile::WriteString(dir.filePath("config/setting.ini"), "Setting", "Language", c.stored);
        SetLanguage(QString());
        const QString expectedFile = *c.file ? dir.path() + "/" + c.file : QString();
        EXPECT_EQ(GetLangText().m_strLangFile, expectedFile);
        EXPECT_EQ(GetLangText().m_strLanguage, c.writtenBack);
        EXPECT_EQ(IniFile::GetString(dir.filePath("config/setting.ini"), "Setting", "Language"),
                  c.writtenBack);
        if (!*c.file) {
            EXPECT_EQ(LoadLangString("IDS_SysParam_2"), "Not found");
        }
    }
}

TEST_F(LangFixture, SettingFileKeepsItsOtherContent)
{
    WriteAll(dir.filePath("config/setting.ini"),
             "[Setting]\nTheme=3\nLanguage = EnglishUS\n[Other]\nx=1\n");
    SetLanguage(QString());
    EXPECT_EQ(ReadFile(dir.filePath("config/setting.ini")),
              QByteArray("[Setting]\nTheme=3\nLanguage=EnglishUS\n[Other]\nx=1\n"));
}

TEST_F(LangFixture, EscapesAndLimits)
{
    WriteAll(dir.filePath("config/chinese_S.ini"),
             "[String]\n"
             "IDS_T_1=first\\nsecond\n"
             "IDS_T_2=a\\tb\\rc\n"
             "IDS_T_3=\\\\n\n"
             "IDS_T_4=\"  quoted  \"\n"
             "IDS_T_5=\n"
             "IDS_T_6=" + QByteArray(1500, 'x') + "\n");
    Choose("ChineseS");
    const struct {
        const char *key;
        QString expected;
    } cases[] = {
        {"IDS_T_1", "first\nsecond"},
        {"IDS_T_2", "a\tb\rc"},
        {"IDS_T_3", "\\\n"},
        {"IDS_T_4", "  quoted  "},
        {"IDS_T_5", ""},
        {"IDS_T_6", QString(999, u'x')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(LoadLangString(c.key), c.expected);
    }
    EXPECT_EQ(ReadLangIniString("Nowhere", "IDS_T_1"), "Not found");
}

TEST_F(LangFixture, NoLanguageFileGivesNotFound)
{
    GetLangText().m_strLangFile.clear();
    EXPECT_EQ(LoadLangString("IDS_SysParam_2"), "Not found");
    GetLangText().m_strLangFile = dir.filePath("config/missing.ini");
    EXPECT_EQ(LoadLangString("IDS_SysParam_2"), "Not found");
}

class DialogFixture : public LangFixture {
protected:
    void SetUp() override
    {
        LangFixture::SetUp();
        WriteAll(dir.filePath("config/english_US.ini"),
                 "[DIALOG]\n"
                 "IDD300_DLG=  Caption\\nkept  \n"
                 "IDD300_1=  Label\\tone  \n"
                 "IDD300_2=Button\n"
                 "IDD300_3=\n"
                 "IDD300_4=Inner\n"
                 "IDD300_5=Combo\n"
                 "IDD300_6=Editable\n"
                 "IDD300_7=Edit\n"
                 "[VIEW]\n"
                 "IDD185_1=View label\n"
                 "IDD185_2=  View\\nbutton \n");
        Choose("EnglishUS");
    }

    template <typename W>
    W *Add(QWidget *parent, int id, const QString &text)
    {
        auto *w = new W(parent);
        platform::SetCtrlId(w, id);
        if constexpr (std::is_same_v<W, QComboBox>)
            w->addItems({"一", "二"});
        else
            w->setText(text);
        return w;
    }
};

TEST_F(DialogFixture, TranslateDialogSetsCaptionAndControls)
{
    QDialog dlg;
    dlg.setWindowTitle("原标题");
    auto *label = Add<QLabel>(&dlg, 1, "标签");
    auto *button = Add<QPushButton>(&dlg, 2, "按钮");
    auto *emptyKey = Add<QPushButton>(&dlg, 3, "保留");
    auto *frame = new QFrame(&dlg);  // a container without an id is looked through
    auto *inner = Add<QLabel>(frame, 4, "内部");
    auto *combo = Add<QComboBox>(&dlg, 5, "");
    auto *editable = Add<QComboBox>(&dlg, 6, "");
    editable->setEditable(true);
    auto *edit = Add<QLineEdit>(&dlg, 7, "旧");
    auto *noKey = Add<QLabel>(&dlg, 99, "无键");

    TranslateDialog(&dlg, 300);

    EXPECT_EQ(dlg.windowTitle(), "Caption\\nkept");  // trimmed, escapes left in the caption
    EXPECT_EQ(label->text(), "Label\tone");
    EXPECT_EQ(button->text(), "Button");
    EXPECT_EQ(emptyKey->text(), QString::fromUtf8("保留"));
    EXPECT_EQ(inner->text(), "Inner");
    EXPECT_EQ(combo->currentText(), QString::fromUtf8("一"));  // a drop-down list keeps its items
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(editable->currentText(), "Editable");
    EXPECT_EQ(edit->text(), "Edit");
    EXPECT_EQ(noKey->text(), QString::fromUtf8("无键"));
}

TEST_F(DialogFixture, MissingLanguageFileLeavesTextsAlone)
{
    GetLangText().m_strLangFile.clear();
    QDialog dlg;
    dlg.setWindowTitle("原标题");
    auto *label = Add<QLabel>(&dlg, 1, "标签");
    TranslateDialog(&dlg, 300);
    TranslateDialog(nullptr, 300);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("原标题"));
    EXPECT_EQ(label->text(), QString::fromUtf8("标签"));
}

TEST_F(DialogFixture, ViewControlsComeFromTheViewSection)
{
    QWidget view;
    view.setWindowTitle("视图");
    auto *label = Add<QLabel>(&view, 1, "a");
    auto *button = Add<QPushButton>(&view, 2, "b");
    auto *other = Add<QLabel>(&view, 3, "c");
    TranslateViewControls(&view);
    EXPECT_EQ(label->text(), "View label");
    EXPECT_EQ(button->text(), "View\nbutton");
    EXPECT_EQ(other->text(), "c");
    EXPECT_EQ(view.windowTitle(), QString::fromUtf8("视图"));
}

// The stored choice at start: the translator's number and the language file's name are one
// choice once this program has written them; files an earlier version left may disagree, and
// then the one naming a language other than the default was the user's (the number first).
TEST_F(LangFixture, TheStoredChoiceReadsFilesOfEarlierVersions)
{
    struct Case
    {
        const char *what;
        const char *langConf;  // "Current" in LangConf.ini, nullptr: no file
        const char *name;      // "Language" in setting.ini, nullptr: no file
        unsigned chosen;
    } cases[] = {
        {"nothing stored", nullptr, nullptr, 0},
        {"both agree", "2", "EnglishUS", 2},
        {"the sheet chose English, the name stayed", "2", "ChineseS", 2},
        {"the name was edited to traditional", "0", "ChineseT", 1},
        {"both differ from the default", "1", "EnglishUS", 1},
        {"a name no language has", "2", "Klingon", 2},
        {"only the name", nullptr, "EnglishUS", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(dir.filePath("config/LangConf.ini"));
        QFile::remove(dir.filePath("config/setting.ini"));
        if (c.langConf)
            WriteAll(dir.filePath("config/LangConf.ini"), QByteArray("[Language]\nCurrent=") + c.langConf + "\n");
        if (c.name)
            WriteAll(dir.filePath("config/setting.ini"), QByteArray("[Setting]\nLanguage=") + c.name + "\n");
        WriteAll(dir.filePath("config/LangTable.tsv"), "提示\t提示\tNotice\n");
        platform::CreateLanguageLibrary(dir.filePath("config/LangTable.tsv"));
        EXPECT_EQ(StoredLanguageChoice(), c.chosen);
        // Chosen, the two stores agree from then on.
        SelectLanguage(StoredLanguageChoice());
        EXPECT_EQ(IniFile::GetInt(dir.filePath("config/LangConf.ini"), "Language", "Current", -1), int(c.chosen));
        EXPECT_EQ(IniFile::GetString(dir.filePath("config/setting.ini"), "Setting", "Language"), LanguageNameOf(c.chosen));
        EXPECT_EQ(GetLangText().m_strLangFile, dir.filePath(QStringLiteral("config/") +
                                                            (c.chosen == 0 ? "chinese_S.ini" : c.chosen == 1 ? "chinese_T.ini" : "english_US.ini")));
        platform::DestroyLanguageLibrary();
    }
    CLanguageConf::GetTheOne()->Set(0);
}

// A file made for each language is taken in its language when it is there.
TEST_F(LangFixture, PerLanguageFilesAreChosenWhenPresent)
{
    WriteAll(dir.filePath("res/Tip.png"), "s");
    WriteAll(dir.filePath("res/Tip_E.png"), "e");
    WriteAll(dir.filePath("res/Only.png"), "s");
    const struct
    {
        unsigned language;
        const char *file;
        const char *taken;
    } cases[] = {
        {0, "res/Tip.png", "res/Tip.png"},  {1, "res/Tip.png", "res/Tip.png"},  // no traditional one
        {2, "res/Tip.png", "res/Tip_E.png"}, {2, "res/Only.png", "res/Only.png"},
    };
    for (const auto &c : cases) {
        CLanguageConf::GetTheOne()->Set(c.language);
        EXPECT_EQ(LanguageFilePath(dir.filePath(c.file)), dir.filePath(c.taken)) << c.language << " " << c.file;
    }
    CLanguageConf::GetTheOne()->Set(0);
}

TEST(InitLanguage, MissingDataFileIsReportedAndFails)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("config/LangTable.tsv");
    platform::CreateLanguageLibrary(missing);
    QString shown;
    EXPECT_FALSE(InitLanguage([&](const QString &m) { shown = m; }));
    EXPECT_EQ(shown, "There is not " + missing + " file");
    EXPECT_NE(kLanguageSetupExitCode, 0);
    platform::DestroyLanguageLibrary();
}

TEST(InitLanguage, PresentDataFileLoadsAndTakesTheStoredLanguage)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("LangTable.tsv");
    WriteAll(data, "提示\t提示\tNotice\n");
    WriteAll(dir.filePath("LangConf.ini"), "[Language]\nCurrent=2\n");
    platform::CreateLanguageLibrary(data);
    QString shown;
    EXPECT_TRUE(InitLanguage([&](const QString &m) { shown = m; }));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(GetLangText().m_nLanguage, 2);
    EXPECT_EQ(CLanguageConf::GetTheOne()->Get(), 2u);
    EXPECT_EQ(TrText(QString::fromUtf8("提示")), "Notice");
    platform::DestroyLanguageLibrary();
    CLanguageConf::GetTheOne()->Set(0);
}

}
