#pragma once
// A program folder of a test's own: the build's "config" copied into a temporary folder that
// GetProgramDir() answers, the translator built on the copy of its table (so the language number
// it keeps lands in the copy), and, when asked, the build's CommonRes linked beside it. Whatever
// a language switch writes ("config/setting.ini", "config/LangConf.ini") stays in the copy, and
// the process's language state goes back to none when the test ends.
#include "LangText.h"
#include "PathHelpers.h"
#include "platform/LanguageConf.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

class ProgramDirCopy
{
public:
    // The copy is made of the build's "config", beside the test's executable.
    explicit ProgramDirCopy(bool linkCommonRes = false)
    {
        const QString configDir = QCoreApplication::applicationDirPath() + QStringLiteral("/config");
        m_ok = m_tmp.isValid() && QFileInfo::exists(configDir + QStringLiteral("/LangTable.tsv")) &&
               CopyTree(configDir, Bin(QStringLiteral("config")));
        if (m_ok && linkCommonRes)
            m_ok = QFile::link(QDir(QFileInfo(configDir).path() + QStringLiteral("/../CommonRes")).absolutePath(),
                               m_tmp.filePath(QStringLiteral("CommonRes")));
        SetProgramDir(Bin(QString()));
        GetLangText() = CLangText{};
        platform::CreateLanguageLibrary(Bin(QStringLiteral("config/LangTable.tsv")));
        platform::GetSqlite()->Load();
    }
    ~ProgramDirCopy()
    {
        // Back to the source language for Qt's own texts too, then to no language at all.
        SelectLanguage(platform::CLanguageConf::kSimplified);
        platform::DestroyLanguageLibrary();
        platform::CLanguageConf::GetTheOne()->Set(platform::CLanguageConf::kSimplified);
        GetLangText() = CLangText{};
        SetProgramDir(QString());
    }
    ProgramDirCopy(const ProgramDirCopy &) = delete;
    ProgramDirCopy &operator=(const ProgramDirCopy &) = delete;

    bool IsValid() const { return m_ok; }
    // A path under the program folder ("bin" of the copy).
    QString Bin(const QString &relative) const
    {
        const QString bin = m_tmp.filePath(QStringLiteral("bin"));
        return relative.isEmpty() ? bin : bin + QLatin1Char('/') + relative;
    }
    QString Root() const { return m_tmp.path(); }

    static bool CopyTree(const QString &from, const QString &to)
    {
        if (!QDir().mkpath(to))
            return false;
        QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(file);
            if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(file, target))
                return false;
        }
        return true;
    }

private:
    QTemporaryDir m_tmp;
    bool m_ok = false;
};
