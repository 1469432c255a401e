#include "database/DBDataProducts.h"

void CDBDataProducts::Clear()
{
    nProductID = 0;
    sProductModel.clear();
    nAxisCount = 0;
    sMemo.clear();
    nCommunicationMode = 0;
}

bool CDBDataProducts::LoadFromRecordset(CADORecordset* pRs)
{
    if (!pRs || pRs->IsEOF())
        return false;
    pRs->GetFieldValue(QStringLiteral("nProductID"), nProductID);
    pRs->GetFieldValue(QStringLiteral("sProductModel"), sProductModel);
    pRs->GetFieldValue(QStringLiteral("nAxisCount"), nAxisCount);
    pRs->GetFieldValue(QStringLiteral("sMemo"), sMemo);
    pRs->GetFieldValue(QStringLiteral("nCommunicationMode"), nCommunicationMode);
    return true;
}

bool CDBDataProducts::LoadAll(CADODataBase& db, QList<CDBDataProducts>& out, const std::set<int>& ids)
{
    return LoadDbRows<CDBDataProducts>(db, {QStringLiteral("select * from PRODUCTS"), {}}, out,
                                       [&](const CDBDataProducts& r) {
                                           return ids.empty() || ids.count(r.nProductID) != 0;
                                       });
}

bool CDBDataProducts::DeleteOtherProducts(CADODataBase& db, const std::set<int>& keep)
{
    return DeleteRowsOfOtherProducts(db, "PRODUCTS", keep);
}
