#pragma once
// A language table of the test's own, loaded for one test and dropped after it; the language
// returns to Chinese so later tests start as the program does.
#include "platform/LanguageConf.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

class LanguageScope
{
public:
    // language < 0 leaves the current language as it is.
    explicit LanguageScope(const QString &table, int language = -1)
    {
        const QString path = m_dir.filePath("LangTable.tsv");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(table.toUtf8());
        f.close();
        platform::CreateLanguageLibrary(path);
        platform::GetSqlite()->Load();
        if (language >= 0)
            platform::CLanguageConf::GetTheOne()->Set(language);
    }
    ~LanguageScope()
    {
        platform::DestroyLanguageLibrary();
        platform::CLanguageConf::GetTheOne()->Set(0);
    }
    LanguageScope(const LanguageScope &) = delete;
    LanguageScope &operator=(const LanguageScope &) = delete;

private:
    QTemporaryDir m_dir;
};
