#pragma once
// One named value of an enumerated parameter ("SELECTS").

#include "database/DBDataBase.h"

#include <QList>

#include <cstdint>

#include <map>

class SelectsByCode;

class CDBDataSelects : public CDBDataBase {
public:
    int nProductID = 0;
    int nAxisID = 0;
    QString sNum;           // code of the parameter the option belongs to
    int nIndex = 0;         // display position
    std::int32_t iValue = 0;  // the value written to the drive
    QString sDescription;   // Chinese source text
    QString sDbFileVersion;

    void Clear() override;
    bool LoadFromRecordset(CADORecordset* pRs) override;

    // The options of one product's axis, by code, then value.
    static bool LoadByAxis(CADODataBase& db, QList<CDBDataSelects>& out, int productId, int axisId);
    // The options of the given products and axes, each under its own product, axis and
    // code, in display order.
    static bool LoadByCodes(CADODataBase& db, SelectsByCode& out,
                            const std::set<int>& productIds, const std::set<int>& axisIds);
    static bool DeleteOtherProducts(CADODataBase& db, const std::set<int>& keep);
};

// Options keyed by (product, axis, code): a code's options of one product or axis never
// show under another.
struct SelectsKey {
    int nProductID = 0;
    int nAxisID = 0;
    QString sNum;
    bool operator<(const SelectsKey& o) const
    {
        if (nProductID != o.nProductID)
            return nProductID < o.nProductID;
        if (nAxisID != o.nAxisID)
            return nAxisID < o.nAxisID;
        return sNum < o.sNum;
    }
};

class SelectsByCode : public std::map<SelectsKey, QList<CDBDataSelects>> {
public:
    // The options of a code of a product's axis, or null.
    const QList<CDBDataSelects>* Find(int productId, int axisId, const QString& code) const
    {
        const auto it = find(SelectsKey{productId, axisId, code});
        return it == end() ? nullptr : &it->second;
    }
};
