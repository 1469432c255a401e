#pragma once
// A query on an open CADODataBase: walks the rows and reads the current row's columns
// by name (without regard to case) as numbers or text.
//
// Conversions, by the stored value:
//   value            int getter                    long getter        text getter
//   null             0                             0                  "" (true)
//   integer          low 16 bits, sign-extended    low 32 bits, s-e   decimal
//   real             truncated, then as integer    as integer         %.20g
//   text             its number, then as integer   as integer         the text
//   boolean column   1 / 0                         1 / 0              "" and false
//   date column      as stored                     as stored          formatted (strftime
//                                                                     format, default
//                                                                     "%Y-%m-%d %H:%M:%S")
//   blob             false                         false              "" and false
// A boolean column is one declared BOOL/BOOLEAN, a date column one declared with DATE or
// TIME in its type; dates are stored as text, Julian day (real) or Unix time (integer).

#include "database/ADODataBase.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CADORecordset {
public:
    explicit CADORecordset(CADODataBase* pDb);
    ~CADORecordset();
    CADORecordset(const CADORecordset&) = delete;
    CADORecordset& operator=(const CADORecordset&) = delete;

    // Runs the query with its bound values and stands on the first row (or at the end).
    // An empty query reruns the stored one; leading blanks are dropped. On failure
    // nothing is recorded: the result says it.
    bool Open(const QString& query, const std::vector<DbValue>& params = {});
    bool Open(const DbStatement& statement) { return Open(statement.sql, statement.params); }
    bool IsOpen() const;
    void Close();

    // True past the last row, and after a failed step.
    bool IsEOF() const { return m_bEOF; }
    // Steps to the next row; false when the step failed (the error is kept).
    bool MoveNext();
    // True once a step failed: the rows seen so far are not the whole result.
    bool IsFailed() const { return m_bFailed; }

    // The long getter. The 32-bit fields of the records are std::int32_t, which is int here and
    // so cannot be told from the int getter by overloading: they read through GetFieldValue32.
    bool GetFieldValue32(const QString& name, std::int32_t& value);
    bool GetFieldValue(const QString& name, long& value);
    bool GetFieldValue(const QString& name, int& value);
    bool GetFieldValue(const QString& name, QString& value, const QString& dateFormat = {});

    const QString& GetQuery() const { return m_strQuery; }
    const QString& GetLastError() const { return m_strLastError; }
    std::uint32_t GetLastErrorCode() const { return m_dwLastError; }

private:
    bool Fail(int code, const QString& description);
    // Column of the current row, or -1 with the error recorded.
    int FindColumn(const QString& name);
    bool Step();
    // The column as a 64-bit number; booleans come as 0 or 1 and are flagged.
    bool GetNumber(const QString& name, std::int64_t& number, bool& isBoolean);

    CADODataBase* m_pDb = nullptr;
    sqlite3* m_pConnection = nullptr;
    sqlite3_stmt* m_pStmt = nullptr;
    QStringList m_columns;
    bool m_bEOF = true;
    bool m_bFailed = false;
    QString m_strQuery;
    QString m_strLastError;
    std::uint32_t m_dwLastError = 0;
};
