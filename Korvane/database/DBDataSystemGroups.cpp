#include "database/DBDataSystemGroups.h"

void CDBDataSystemGroups::Clear()
{
    nProductID = 0;
    nAxisID = 0;
    nGroupIndex = 0;
    sGroupNO.clear();
    sGroupName.clear();
    sDbFileVersion.clear();
}

bool CDBDataSystemGroups::LoadFromRecordset(CADORecordset* pRs)
{
    if (!pRs || pRs->IsEOF())
        return false;
    pRs->GetFieldValue(QStringLiteral("nProductID"), nProductID);
    pRs->GetFieldValue(QStringLiteral("nAxisID"), nAxisID);
    pRs->GetFieldValue(QStringLiteral("sGroupNO"), sGroupNO);
    pRs->GetFieldValue(QStringLiteral("sGroupName"), sGroupName);
    pRs->GetFieldValue(QStringLiteral("sDbFileVersion"), sDbFileVersion);
    pRs->GetFieldValue(QStringLiteral("nGroupIndex"), nGroupIndex);
    return true;
}

bool CDBDataSystemGroups::LoadByProduct(CADODataBase& db, QList<CDBDataSystemGroups>& out,
                                        int productId)
{
    return LoadDbRows<CDBDataSystemGroups>(
        db,
        {QStringLiteral("select * from SYSTEMGROUPS where nProductID=? order by nGroupIndex"),
         {std::int64_t(productId)}},
        out);
}

bool CDBDataSystemGroups::DeleteOtherProducts(CADODataBase& db, const std::set<int>& keep)
{
    return DeleteRowsOfOtherProducts(db, "SYSTEMGROUPS", keep);
}
