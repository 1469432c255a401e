#pragma once
// Base of the database records: one record class per table, one object per row.

#include "database/ADODataBase.h"
#include "database/ADORecordset.h"

#include <QString>

#include <set>

class CDBDataBase {
public:
    virtual ~CDBDataBase() = default;

    // Every text empty, every number 0.
    virtual void Clear() = 0;
    // Loads the current row; the base ignores the version.
    virtual bool LoadWithVersion(const QString& version, CADORecordset* pRs);
    // Reads the current row's columns into the fields; false for a null recordset or at
    // the end. A missing column leaves its field as it was. The cursor stays.
    virtual bool LoadFromRecordset(CADORecordset* pRs) = 0;

protected:
    CDBDataBase() = default;
    CDBDataBase(const CDBDataBase&) = default;
    CDBDataBase& operator=(const CDBDataBase&) = default;
};

// Orders database versions as dotted numbers: "1.10.0" comes after "1.9.0", "1.0"
// equals "1.0.0". A part that is not a plain number is ordered by its leading digits,
// then by the rest of its text without regard to case.
int CompareDbVersions(const QString& a, const QString& b);

// A row of a given version is valid in a database of the given version when it has no
// version or one that is not newer.
bool IsRowVersionAccepted(const QString& rowVersion, const QString& dbVersion);

// Runs the query and hands every row, loaded into a fresh record, to keep(record).
// False when the connection is not open, the query fails or a step fails.
template <class Record, class Keep>
bool ForEachDbRow(CADODataBase& db, const DbStatement& query, Keep keep)
{
    if (db.GetState() == 0)
        return false;
    CADORecordset rs(&db);
    if (!rs.Open(query))
        return false;
    while (!rs.IsEOF()) {
        Record record;
        if (record.LoadFromRecordset(&rs))
            keep(record);
        if (!rs.MoveNext())
            break;
    }
    return !rs.IsFailed();
}

// Empties the list, then appends every row, loaded into a fresh record, for which
// accept(record) holds. On failure the list is left empty.
template <class Record, class List, class Accept>
bool LoadDbRows(CADODataBase& db, const DbStatement& query, List& out, Accept accept)
{
    out.clear();
    const bool ok = ForEachDbRow<Record>(db, query, [&](Record& r) {
        if (accept(r))
            out.append(r);
    });
    if (!ok)
        out.clear();
    return ok;
}

template <class Record, class List>
bool LoadDbRows(CADODataBase& db, const DbStatement& query, List& out)
{
    return LoadDbRows<Record>(db, query, out, [](const Record&) { return true; });
}

// "delete from <table> where nProductID not in (...)": the rows of every product but
// the given ones. An empty set deletes nothing and fails.
bool DeleteRowsOfOtherProducts(CADODataBase& db, const char* table, const std::set<int>& keep);

// "?,?,?" for the set, with the ids appended to the values, in ascending order.
QString BindIdList(const std::set<int>& ids, std::vector<DbValue>& params);
