#include "platform/LanguageConf.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char kTable[] =
    "# comment\n"
    "提示\t提示\tNotice\r\n"
    "打开\t開啟\tOpen\n"
    "两行\t兩行\tline one\\nline two\n"
    "只有繁体\t只有繁體\t\n"
    "重复\t重複\tRepeat\n"
    "重复\t不用\tUnused\n"
    "\n"
    "[CMainFrame]\n"
    "打开\t打開\tOpen file\n"
    "只在框架\t只在框架\tFrame only\n"
    "[]\n"
    "关闭\t關閉\tClose\n";

class Translator : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        testfiles::WriteAll(dir.filePath("table.tsv"), kTable);
        platform::CreateLanguageLibrary(dir.filePath("table.tsv"));
        ASSERT_TRUE(GetSqlite()->HasDataFile());
        GetSqlite()->Load();
    }
    void TearDown() override
    {
        platform::DestroyLanguageLibrary();
        CLanguageConf::GetTheOne()->Set(0);
    }
    static QString U(const char *s) { return QString::fromUtf8(s); }
    QTemporaryDir dir;
};

TEST_F(Translator, LookupsBySourceTextInEachLanguage)
{
    const struct {
        unsigned lang;
        const char *section, *source, *expected;
    } cases[] = {
        {0, "", "打开", "打开"},  // the source language needs no table
        {1, "", "打开", "開啟"},
        {2, "", "打开", "Open"},
        {2, "CMainFrame", "打开", "Open file"},    // the section's own entry first
        {1, "CMainFrame", "打开", "打開"},
        {2, "CDlgOther", "打开", "Open"},          // other sections take the common entry
        {2, "CMainFrame", "提示", "Notice"},       // ... and so does a section without one
        {2, "", "只在框架", "只在框架"},           // section entries are not common
        {2, "", "两行", "line one\nline two"},
        {2, "", "只有繁体", "只有繁体"},           // empty cell: no translation
        {1, "", "只有繁体", "只有繁體"},
        {2, "", "重复", "Repeat"},                 // first entry wins
        {2, "", "关闭", "Close"},                  // "[]" returns to common entries
        {2, "", "没有翻译", "没有翻译"},
        {2, "", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.lang) + " " + c.section + " " + c.source);
        CLanguageConf::GetTheOne()->Set(c.lang);
        const QString got = *c.section ? GetSqlite()->Translate(U(c.section), U(c.source))
                                       : GetSqlite()->TranslateText(U(c.source));
        EXPECT_EQ(got, U(c.expected));
        if (*c.section)
            EXPECT_EQ(TrSection(U(c.section), U(c.source)), U(c.expected));
        else
            EXPECT_EQ(TrText(U(c.source)), U(c.expected));
    }
}

TEST_F(Translator, ControlsAreReTextedFromWhateverTheyShow)
{
    const struct {
        unsigned lang;
        const char *section, *shown, *expected;
    } cases[] = {
        {2, "CDlgX", "打开", "Open"},
        {0, "CDlgX", "Open", "打开"},            // back from English
        {1, "CDlgX", "Open", "開啟"},
        {2, "CDlgX", "開啟", "Open"},
        {2, "CMainFrame", "打開", "Open file"},   // a section's own translation maps back too
        {0, "CMainFrame", "Open file", "打开"},
        {2, "CDlgX", "无关文字", "无关文字"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        CLanguageConf::GetTheOne()->Set(c.lang);
        EXPECT_EQ(GetSqlite()->TranslateControl(U(c.section), 1050, U(c.shown)), U(c.expected));
    }
}

TEST_F(Translator, SourceTextOfShownText)
{
    const struct {
        const char *shown, *source;
    } cases[] = {
        {"Open", "打开"}, {"開啟", "打开"}, {"打开", "打开"}, {"Frame only", "只在框架"},
        {"Repeat", "重复"}, {"unknown", "unknown"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetSqlite()->SourceText(U(c.shown)), U(c.source)) << c.shown;
}

TEST_F(Translator, LanguageNumberIsKeptBesideTheDataFile)
{
    CLanguageConf::GetTheOne()->Set(2);
    CLanguageConf::GetTheOne()->Set(7);  // not a language: ignored
    EXPECT_EQ(CLanguageConf::GetTheOne()->Get(), 2u);
    platform::DestroyLanguageLibrary();
    CLanguageConf::GetTheOne()->Set(0);  // no store now: memory only
    platform::CreateLanguageLibrary(dir.filePath("table.tsv"));
    EXPECT_EQ(CLanguageConf::GetTheOne()->Get(), 2u);
}

TEST(TranslatorAbsent, PassThroughBeforeCreationAndWithoutDataFile)
{
    CLanguageConf::GetTheOne()->Set(2);
    ASSERT_NE(GetSqlite(), nullptr);
    EXPECT_EQ(GetSqlite()->HasDataFile(), 0);
    EXPECT_EQ(TrText(QString::fromUtf8("提示")), QString::fromUtf8("提示"));

    QTemporaryDir dir;
    platform::CreateLanguageLibrary(dir.filePath("none.tsv"));
    EXPECT_EQ(GetSqlite()->HasDataFile(), 0);
    EXPECT_EQ(GetSqlite()->m_strDataFile, dir.filePath("none.tsv"));
    GetSqlite()->Load();
    EXPECT_EQ(TrSection("CKorvaneApp", QString::fromUtf8("提示")), QString::fromUtf8("提示"));
    platform::DestroyLanguageLibrary();
    CLanguageConf::GetTheOne()->Set(0);
}

}
