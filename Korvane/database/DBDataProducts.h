#pragma once
// One drive product ("PRODUCTS"). sProductModel is the model text a connected drive reports.

#include "database/DBDataBase.h"

#include <QList>

class CDBDataProducts : public CDBDataBase {
public:
    int nProductID = 0;
    QString sProductModel;
    int nAxisCount = 0;
    QString sMemo;
    int nCommunicationMode = 0;

    void Clear() override;
    bool LoadFromRecordset(CADORecordset* pRs) override;

    // The products whose id is in the set (every product for an empty set), table order.
    static bool LoadAll(CADODataBase& db, QList<CDBDataProducts>& out, const std::set<int>& ids);
    static bool DeleteOtherProducts(CADODataBase& db, const std::set<int>& keep);
};
