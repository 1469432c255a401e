#include "database/DBDataSelects.h"

void CDBDataSelects::Clear()
{
    nProductID = 0;
    nAxisID = 0;
    sNum.clear();
    nIndex = 0;
    iValue = 0;
    sDescription.clear();
    sDbFileVersion.clear();
}

bool CDBDataSelects::LoadFromRecordset(CADORecordset* pRs)
{
    if (!pRs || pRs->IsEOF())
        return false;
    pRs->GetFieldValue(QStringLiteral("nProductID"), nProductID);
    pRs->GetFieldValue(QStringLiteral("nAxisID"), nAxisID);
    pRs->GetFieldValue(QStringLiteral("sNum"), sNum);
    pRs->GetFieldValue(QStringLiteral("nIndex"), nIndex);
    pRs->GetFieldValue32(QStringLiteral("iValue"), iValue);
    pRs->GetFieldValue(QStringLiteral("sDescription"), sDescription);
    pRs->GetFieldValue(QStringLiteral("sDbFileVersion"), sDbFileVersion);
    return true;
}

bool CDBDataSelects::LoadByAxis(CADODataBase& db, QList<CDBDataSelects>& out, int productId,
                                int axisId)
{
    return LoadDbRows<CDBDataSelects>(
        db,
        {QStringLiteral("select * from SELECTS where nProductID=? and nAxisID=? order by sNum,iValue"),
         {std::int64_t(productId), std::int64_t(axisId)}},
        out);
}

bool CDBDataSelects::LoadByCodes(CADODataBase& db, SelectsByCode& out,
                                 const std::set<int>& productIds, const std::set<int>& axisIds)
{
    out.clear();
    std::vector<DbValue> params;
    const QString products = BindIdList(productIds, params);
    const QString axes = BindIdList(axisIds, params);
    const bool ok = ForEachDbRow<CDBDataSelects>(
        db,
        {QStringLiteral("select * from SELECTS where nProductID in (%1) and nAxisID in (%2) "
                        "order by sNum,nIndex")
             .arg(products, axes),
         params},
        [&](const CDBDataSelects& r) { out[SelectsKey{r.nProductID, r.nAxisID, r.sNum}].append(r); });
    if (!ok)
        out.clear();
    return ok;
}

bool CDBDataSelects::DeleteOtherProducts(CADODataBase& db, const std::set<int>& keep)
{
    return DeleteRowsOfOtherProducts(db, "SELECTS", keep);
}
