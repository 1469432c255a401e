#pragma once
// One connection to a parameter database file (SQLite 3) that runs statements returning
// no rows. Failures are caught here: the operations return false and keep a formatted
// error text and the failing code for the owner to read; nothing is shown or logged.

#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A value bound to one "?" of a statement. Values never become part of the SQL text.
using DbValue = std::variant<std::monostate, std::int64_t, double, QString>;

// A statement with its bound values, as the record classes build them.
struct DbStatement {
    QString sql;
    std::vector<DbValue> params;
};

class CADODataBase {
public:
    CADODataBase();
    ~CADODataBase();
    CADODataBase(const CADODataBase&) = delete;
    CADODataBase& operator=(const CADODataBase&) = delete;

    // Connection string: "key=value" pairs separated by ";", keys without regard to case.
    //   Data Source  the file; a value may be written in double quotes ("" for a quote)
    //   Mode         "Read": read only; "Share Deny Read|Share Deny Write": exclusive
    //                (the file stays locked by this connection); otherwise read/write
    // Other keys (Provider, ...) are ignored. An empty string reuses the stored one; an
    // open connection is closed first. A missing file or one that is not a database
    // fails: Open never creates a file.
    bool Open(const QString& connectionString, const QString& userId = {},
              const QString& password = {});
    void Close();
    // 1 while open, 0 when closed.
    int GetState() const;
    bool IsOpen() const { return GetState() != 0; }

    bool Execute(const QString& statement);
    bool Execute(const QString& statement, const std::vector<DbValue>& params);
    bool Execute(const DbStatement& statement) { return Execute(statement.sql, statement.params); }

    // One transaction around many statements.
    bool BeginTrans();
    bool CommitTrans();
    bool RollbackTrans();

    // Replaces the whole content of the open target by a consistent copy of this database.
    bool CopyTo(CADODataBase& target);

    sqlite3* GetActiveConnection() const { return m_pConnection; }
    const QString& GetConnectionString() const { return m_strConnection; }
    const QString& GetLastError() const { return m_strLastError; }
    std::uint32_t GetLastErrorCode() const { return m_dwLastError; }

    // Builds a connection string for a file.
    enum class OpenMode { Read, ReadWrite, Exclusive };
    static QString MakeConnectionString(const QString& path, OpenMode mode);

private:
    bool Fail(int code, const QString& description);

    sqlite3* m_pConnection = nullptr;
    QString m_strConnection;
    QString m_strLastError;
    std::uint32_t m_dwLastError = 0;
};

// Formats a failure as the database layer reports it:
// "<title> Error\n\tCode = %08lx\n\tCode meaning = %s\n\tSource = %s\n\tDescription = %s\n".
QString FormatDbError(const char* title, std::uint32_t code, const QString& meaning,
                      const QString& source, const QString& description);

// Binds the values to the "?" of a prepared statement, in order. Returns the SQLite code.
int BindDbValues(sqlite3_stmt* stmt, const std::vector<DbValue>& params);
