#pragma once
// The one row of "FILEHEAD": format version and whether the file is the default
// parameter database (bIsSystem non-zero) or a project (0).

#include "database/DBDataBase.h"

class CDBDataFileHead : public CDBDataBase {
public:
    QString sDbFileVersion;
    QString sMemo;
    int bIsSystem = 0;

    void Clear() override;
    bool LoadFromRecordset(CADORecordset* pRs) override;

    // Loads the first row into the record; false when the table is empty or unreadable.
    static bool LoadFirst(CADODataBase& db, CDBDataFileHead& record, const QString& version);
};
