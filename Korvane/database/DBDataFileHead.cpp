#include "database/DBDataFileHead.h"

void CDBDataFileHead::Clear()
{
    sDbFileVersion.clear();
    sMemo.clear();
    bIsSystem = 0;
}

bool CDBDataFileHead::LoadFromRecordset(CADORecordset* pRs)
{
    if (!pRs || pRs->IsEOF())
        return false;
    pRs->GetFieldValue(QStringLiteral("sDbFileVersion"), sDbFileVersion);
    pRs->GetFieldValue(QStringLiteral("sMemo"), sMemo);
    pRs->GetFieldValue(QStringLiteral("bIsSystem"), bIsSystem);
    return true;
}

bool CDBDataFileHead::LoadFirst(CADODataBase& db, CDBDataFileHead& record, const QString& version)
{
    record.Clear();
    if (db.GetState() == 0)
        return false;
    CADORecordset rs(&db);
    if (!rs.Open(QStringLiteral("select * from FILEHEAD limit 1")))
        return false;
    return record.LoadWithVersion(version, &rs);
}
