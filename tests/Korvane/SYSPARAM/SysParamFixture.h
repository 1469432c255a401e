#pragma once
// A program tree in a temporary directory: <tmp>/bin is the program's directory with its
// config folder and the shipped language file, <tmp>/CommonRes holds the default database.
// Message boxes go to scripted UI services.
#include "LangText.h"
#include "PathHelpers.h"
#include "database/DbServices.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class SysParamFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_binDir = m_tmp.filePath("bin");
        ASSERT_TRUE(QDir().mkpath(m_binDir + "/config"));
        ASSERT_TRUE(QDir().mkpath(m_tmp.filePath("CommonRes/ParamsData")));
        m_dbPath = m_tmp.filePath("CommonRes/ParamsData/ZiDizorAdovora.mdb");
        ASSERT_TRUE(QFile::copy(KORVANE_DEFAULT_PARAMS_DB, m_dbPath));
        const QString lang = m_binDir + "/config/chinese_S.ini";
        ASSERT_TRUE(QFile::copy(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini", lang));
        SetProgramDir(m_binDir);
        SetDbProgramDir(m_binDir);
        GetLangText().m_strLangFile = lang;
        m_savedEnv = qgetenv("KORVANE_DEVICE");
        qunsetenv("KORVANE_DEVICE");
    }

    void TearDown() override
    {
        if (!m_savedEnv.isEmpty())
            qputenv("KORVANE_DEVICE", m_savedEnv);
        GetLangText().m_strLangFile.clear();
        SetProgramDir(QString());
        SetDbProgramDir(QString());
    }

    QString ConfigIni() const { return m_binDir + "/config/config.ini"; }
    QString CustomXml() const { return m_tmp.filePath("UserDir/CustomParam.xml"); }

    static void WriteFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray ReadFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_tmp;
    QString m_binDir;
    QString m_dbPath;
    QByteArray m_savedEnv;
    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_uiScope{m_ui};
};
