#include "database/ADODataBase.h"

#include <sqlite3.h>

namespace {

struct ConnectionParts {
    QString dataSource;
    QString mode;
};

// Splits "k=v;k=\"v;v\";..." into its keys; only the two we use are kept.
ConnectionParts ParseConnectionString(const QString& text)
{
    ConnectionParts parts;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        const int eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        if (i < n && text[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            const int semi = text.indexOf(QLatin1Char(';'), i);
            i = semi < 0 ? n : semi + 1;
        } else {
            const int semi = text.indexOf(QLatin1Char(';'), i);
            const int end = semi < 0 ? n : semi;
            value = text.mid(i, end - i).trimmed();
            i = end + 1;
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            parts.dataSource = value;
        else if (key.compare(QLatin1String("Mode"), Qt::CaseInsensitive) == 0)
            parts.mode = value;
    }
    return parts;
}

}  // namespace

QString FormatDbError(const char* title, std::uint32_t code, const QString& meaning,
                      const QString& source, const QString& description)
{
    return QString::asprintf("%s Error\n\tCode = %08lx\n\tCode meaning = %s\n\tSource = %s\n"
                             "\tDescription = %s\n",
                             title, static_cast<unsigned long>(code), meaning.toUtf8().constData(),
                             source.toUtf8().constData(), description.toUtf8().constData());
}

int BindDbValues(sqlite3_stmt* stmt, const std::vector<DbValue>& params)
{
    int index = 1;
    for (const DbValue& v : params) {
        int rc = SQLITE_OK;
        if (std::holds_alternative<std::monostate>(v)) {
            rc = sqlite3_bind_null(stmt, index);
        } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
            rc = sqlite3_bind_int64(stmt, index, *i);
        } else if (const auto* d = std::get_if<double>(&v)) {
            rc = sqlite3_bind_double(stmt, index, *d);
        } else {
            const QByteArray utf8 = std::get<QString>(v).toUtf8();
            rc = sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            return rc;
        ++index;
    }
    return SQLITE_OK;
}

CADODataBase::CADODataBase() = default;

CADODataBase::~CADODataBase()
{
    Close();
}

QString CADODataBase::MakeConnectionString(const QString& path, OpenMode mode)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    QString text;
    switch (mode) {
    case OpenMode::Read:
        text = QStringLiteral("Mode=Read;");
        break;
    case OpenMode::Exclusive:
        text = QStringLiteral("Mode=Share Deny Read|Share Deny Write;");
        break;
    case OpenMode::ReadWrite:
        break;
    }
    return text + QStringLiteral("Data Source=\"") + quoted + QLatin1Char('"');
}

bool CADODataBase::Fail(int code, const QString& description)
{
    m_dwLastError = static_cast<std::uint32_t>(code);
    m_strLastError = QStringLiteral("Connection String = ") + m_strConnection + QLatin1Char('\n') +
                     FormatDbError("CADODataBase", m_dwLastError,
                                   QString::fromUtf8(sqlite3_errstr(code)),
                                   QStringLiteral("sqlite3"), description);
    return false;
}

bool CADODataBase::Open(const QString& connectionString, const QString& userId,
                        const QString& password)
{
    (void)userId;  // a database file carries no user accounts
    (void)password;
    Close();
    if (!connectionString.isEmpty())
        m_strConnection = connectionString;

    const ConnectionParts parts = ParseConnectionString(m_strConnection);
    if (parts.dataSource.isEmpty())
        return Fail(SQLITE_CANTOPEN, QStringLiteral("no Data Source in the connection string"));

    const bool readOnly = parts.mode.compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0;
    const bool exclusive = parts.mode.contains(QLatin1String("Share Deny Write"), Qt::CaseInsensitive);
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(parts.dataSource.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString description = db ? QString::fromUtf8(sqlite3_errmsg(db))
                                       : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        return Fail(rc, description);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    m_pConnection = db;

    // Reading the schema proves that the file is a database at all.
    if (!Execute(QStringLiteral("select count(*) from sqlite_master")) ||
        (exclusive && !Execute(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")))) {
        const QString error = m_strLastError;
        const std::uint32_t code = m_dwLastError;
        Close();
        m_strLastError = error;
        m_dwLastError = code;
        return false;
    }
    return true;
}

void CADODataBase::Close()
{
    if (m_pConnection) {
        sqlite3_close_v2(m_pConnection);
        m_pConnection = nullptr;
    }
}

int CADODataBase::GetState() const
{
    return m_pConnection ? 1 : 0;
}

bool CADODataBase::Execute(const QString& statement)
{
    return Execute(statement, {});
}

bool CADODataBase::Execute(const QString& statement, const std::vector<DbValue>& params)
{
    if (!m_pConnection)
        return Fail(SQLITE_MISUSE, QStringLiteral("the connection is not open"));

    const QByteArray utf8 = statement.toUtf8();
    const char* sql = utf8.constData();
    const char* end = sql + utf8.size();
    bool first = true;
    while (sql < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(m_pConnection, sql, int(end - sql), &stmt, &tail);
        if (rc != SQLITE_OK)
            return Fail(sqlite3_extended_errcode(m_pConnection),
                        QString::fromUtf8(sqlite3_errmsg(m_pConnection)));
        sql = tail;
        if (!stmt)  // only blanks or a lone ";" left
            continue;
        if (first) {
            rc = BindDbValues(stmt, params);
            first = false;
            if (rc != SQLITE_OK) {
                const QString description = QString::fromUtf8(sqlite3_errmsg(m_pConnection));
                sqlite3_finalize(stmt);
                return Fail(rc, description);
            }
        }
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const int code = sqlite3_extended_errcode(m_pConnection);
            const QString description = QString::fromUtf8(sqlite3_errmsg(m_pConnection));
            sqlite3_finalize(stmt);
            return Fail(code, description);
        }
        sqlite3_finalize(stmt);
    }
    return true;
}

bool CADODataBase::BeginTrans()
{
    return Execute(QStringLiteral("BEGIN IMMEDIATE"));
}

bool CADODataBase::CommitTrans()
{
    return Execute(QStringLiteral("COMMIT"));
}

bool CADODataBase::RollbackTrans()
{
    return Execute(QStringLiteral("ROLLBACK"));
}

bool CADODataBase::CopyTo(CADODataBase& target)
{
    if (!m_pConnection)
        return Fail(SQLITE_MISUSE, QStringLiteral("the connection is not open"));
    if (!target.m_pConnection)
        return Fail(SQLITE_MISUSE, QStringLiteral("the target connection is not open"));
    sqlite3_backup* backup = sqlite3_backup_init(target.m_pConnection, "main", m_pConnection, "main");
    if (!backup)
        return Fail(sqlite3_extended_errcode(target.m_pConnection),
                    QString::fromUtf8(sqlite3_errmsg(target.m_pConnection)));
    const int step = sqlite3_backup_step(backup, -1);
    const int rc = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || rc != SQLITE_OK)
        return Fail(step != SQLITE_DONE ? step : rc,
                    QString::fromUtf8(sqlite3_errmsg(target.m_pConnection)));
    return true;
}
