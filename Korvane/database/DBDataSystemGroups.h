#pragma once
// One parameter group of a product's axis ("SYSTEMGROUPS"); parameters refer to it by
// sGroupNO.

#include "database/DBDataBase.h"

#include <QList>

class CDBDataSystemGroups : public CDBDataBase {
public:
    int nProductID = 0;
    int nAxisID = 0;
    int nGroupIndex = 0;
    QString sGroupNO;
    QString sGroupName;
    QString sDbFileVersion;

    void Clear() override;
    bool LoadFromRecordset(CADORecordset* pRs) override;

    // The groups of every axis of the product, by display position.
    static bool LoadByProduct(CADODataBase& db, QList<CDBDataSystemGroups>& out, int productId);
    static bool DeleteOtherProducts(CADODataBase& db, const std::set<int>& keep);
};
