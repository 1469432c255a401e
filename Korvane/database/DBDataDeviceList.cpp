#include "database/DBDataDeviceList.h"

void CDBDataDeviceList::Clear()
{
    nDeviceID = 0;
    sDeviceName.clear();
    nStationNo = 0;
    sIpAddress.clear();
    nProductID = 0;
}

bool CDBDataDeviceList::LoadFromRecordset(CADORecordset* pRs)
{
    if (!pRs || pRs->IsEOF())
        return false;
    pRs->GetFieldValue(QStringLiteral("nDeviceID"), nDeviceID);
    pRs->GetFieldValue(QStringLiteral("sDeviceName"), sDeviceName);
    pRs->GetFieldValue(QStringLiteral("nStationNo"), nStationNo);
    pRs->GetFieldValue(QStringLiteral("sIpAddress"), sIpAddress);
    pRs->GetFieldValue(QStringLiteral("nProductID"), nProductID);
    return true;
}

bool CDBDataDeviceList::LoadAll(CADODataBase& db, QList<CDBDataDeviceList>& out)
{
    return LoadDbRows<CDBDataDeviceList>(db, {QStringLiteral("select * from DEVICELIST"), {}}, out);
}

DbStatement CDBDataDeviceList::GetInsertSql() const
{
    return {QStringLiteral("insert into DEVICELIST(nDeviceID,sDeviceName,nStationNo,sIpAddress,"
                           "nProductID) values(?,?,?,?,?)"),
            {std::int64_t(nDeviceID), sDeviceName, std::int64_t(nStationNo), sIpAddress,
             std::int64_t(nProductID)}};
}
