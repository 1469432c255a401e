#pragma once
// One device of a project ("DEVICELIST"). Device 1 is the drive the program works with.

#include "database/DBDataBase.h"

#include <QList>

class CDBDataDeviceList : public CDBDataBase {
public:
    int nDeviceID = 0;
    QString sDeviceName;
    int nStationNo = 0;
    QString sIpAddress;
    int nProductID = 0;

    void Clear() override;
    bool LoadFromRecordset(CADORecordset* pRs) override;

    // Every device, in table order.
    static bool LoadAll(CADODataBase& db, QList<CDBDataDeviceList>& out);
    DbStatement GetInsertSql() const;
};
