#pragma once
// One drive parameter of one axis ("PARAMETER"): its definition and current value, with
// its option values when it is enumerated. Copied freely between pages and workers.

#include "database/DBDataBase.h"
#include "database/DBDataSelects.h"

#include <QList>

#include <cstdint>

class CDBDataParameter : public CDBDataBase {
public:
    QString sDbFileVersion;  // the database version from which the row is valid; empty: always
    int nProductID = 0;
    int nAxisID = 0;         // 1-based
    int nDeviceID = 0;       // in a project; rows of the default database are given device 1
    int bSign = 0;           // non-zero: signed value
    std::int32_t iCurValue = 0;
    std::int32_t iDefaultValue = 0;
    std::int32_t iMax = 0;           // permitted range, inclusive
    std::int32_t iMin = 0;
    std::int32_t dwWidth = 0;        // 16 or 32 bits
    std::int32_t dwAddress = 0;      // drive register
    std::int32_t dwInput = 0;        // 1: chosen from m_arrSelects
    QString sGroupNO;
    QString sNum;            // "P" and four hex digits
    QString sName;
    QString sUnit;
    int nModify = 0;         // 0 any time, 1 while stopped, 2 display only, 3 reserved
    int nEffective = 0;      // 0 immediately, 1 at the next power-on
    int nLimit = 0;          // non-zero: hidden unless the user shows all
    QList<CDBDataSelects> m_arrSelects;

    void Clear() override;
    // Loads the row and accepts it only when its version is valid in the given one.
    bool LoadWithVersion(const QString& version, CADORecordset* pRs) override;
    bool LoadFromRecordset(CADORecordset* pRs) override;

    // The rows of a product, in table order, without options.
    static bool LoadByProduct(CADODataBase& db, QList<CDBDataParameter>& out,
                              const QString& version, int productId);
    // The rows of one axis, by code, each with its options (those of the product, axis
    // and code). Device 0 selects the product's rows, another device that device's.
    static bool LoadByAxis(CADODataBase& db, QList<CDBDataParameter>& out, const QString& version,
                           int deviceId, int productId, int axisId);
    // Writes every column of the row.
    DbStatement GetInsertSql() const;
};

// The description of the parameter's option whose value equals `value`, in the active
// language; empty when the parameter has no such option.
QString GetParamOptionText(const CDBDataParameter& param, std::int32_t value);
