#pragma once
// Fixtures for the database tests: scratch directories, raw SQL on files (independent of
// the code under test), and a recorder of the messages shown to the user.

#include "database/DbServices.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

namespace dbtest {

inline QString DefaultDb()
{
    return QStringLiteral(KORVANE_DEFAULT_PARAMS_DB);
}

// Runs SQL on a file with the plain sqlite3 API; fails the test on an error.
inline void Sql(const QString& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message << "\n" << sql;
}

// First column of every row, as text.
inline std::vector<std::string> Query(const QString& path, const std::string& sql)
{
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return rows;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql;
    } else {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            rows.emplace_back(t ? t : "");
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

inline std::string QueryOne(const QString& path, const std::string& sql)
{
    const auto rows = Query(path, sql);
    return rows.empty() ? std::string("<no row>") : rows.front();
}

// What `sqlite3 <file> 'PRAGMA integrity_check'` says.
inline std::string IntegrityCheck(const QString& path)
{
    return QueryOne(path, "PRAGMA integrity_check");
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A scratch copy of the default database to shape a case.
inline QString CopyOfDefaultDb(const QTemporaryDir& dir, const QString& name = "default.mdb")
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(DefaultDb(), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

// Records what the database layer shows the user while alive.
class MessageRecorder {
public:
    MessageRecorder()
    {
        SetDbMessageSink([this](DbMessageKind kind, const QString& text) {
            messages.emplace_back(kind, text);
        });
    }
    ~MessageRecorder() { SetDbMessageSink({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QString Last() const { return messages.empty() ? QString() : messages.back().second; }
    DbMessageKind LastKind() const { return messages.back().first; }
    std::vector<std::pair<DbMessageKind, QString>> messages;
};

}  // namespace dbtest
