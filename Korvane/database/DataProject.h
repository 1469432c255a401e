#pragma once
// The loaded content of one parameter database: the default database narrowed to one
// product, or a project file. Plain values throughout: copies are deep.
//
// The drive the program works with is axis 1 of device CProjectDatabase::m_nCurDeviceID
// (always 1); its groups are axis 1 of the product CProjectDatabase::m_nProductID.

#include "database/DBDataDeviceList.h"
#include "database/DBDataFileHead.h"
#include "database/DBDataParameter.h"
#include "database/DBDataProducts.h"
#include "database/DBDataSystemGroups.h"

#include <QList>
#include <QMap>
#include <QString>

#include <cstdint>

class CDataAxisParameter {
public:
    int nAxisID = 0;
    QList<CDBDataParameter> m_arrParameter;  // by code when loaded from a file
};

class CDataDevice {
public:
    int nDeviceID = 0;
    QList<CDataAxisParameter> m_arrAxis;     // in load order
    QList<CDBDataParameter> m_arrParameter;  // device-level list; left empty by the loaders
    // For every parameter of axis 1, the value the database held at load time (the first
    // row of a code wins). Pages mark a parameter whose current value differs.
    QMap<QString, std::int32_t> m_mapLoadedValues;

    CDataAxisParameter* FindAxis(int axisId);
    const CDataAxisParameter* FindAxis(int axisId) const;
    // Refills m_mapLoadedValues from axis 1; empty when there is no axis 1.
    void FillLoadedValues();
};

class CDataAxisSystem {
public:
    int nAxisID = 0;
    QList<CDBDataSystemGroups> m_arrGroups;  // by nGroupIndex
};

class CDataProductSystem {
public:
    int nProductID = 0;
    QList<CDataAxisSystem> m_arrAxis;  // axes that have groups, in order of first appearance

    CDataAxisSystem* FindAxis(int axisId);
    const CDataAxisSystem* FindAxis(int axisId) const;
};

class CDataProject {
public:
    CDBDataFileHead m_FileHead;
    QList<CDBDataDeviceList> m_arrDeviceList;
    QList<CDBDataProducts> m_arrProducts;
    QList<CDataDevice> m_arrDevices;
    QList<CDataProductSystem> m_arrProductSystems;

    // Empties the head and the four lists.
    void Clear();

    // Linear searches; the first match or null.
    CDBDataProducts* FindProduct(int productId);
    const CDBDataProducts* FindProduct(int productId) const;
    CDataProductSystem* FindProductSystem(int productId);
    const CDataProductSystem* FindProductSystem(int productId) const;
    CDataDevice* FindDevice(int deviceId);
    const CDataDevice* FindDevice(int deviceId) const;
    const CDBDataDeviceList* FindDeviceRecord(int deviceId) const;

    // The device, appended empty when there is none.
    CDataDevice& FindOrAddDevice(int deviceId);
    // Files the group under its product and axis, creating both on first sight.
    void AddSystemGroup(const CDBDataSystemGroups& group);
};

// What the new-project wizard hands to CProjectDatabase::NewProject.
class CNewProjectInfo {
public:
    QList<CDBDataDeviceList> m_arrDeviceList;  // in the order the user listed them
    // Filled by the wizard, not read by the project database.
    int nPort = 0;
    QString sDataBits;
    QString sParity;
    QString sStopBits;
    int nBaud = 0;
    QString m_strFilePath;  // the project file to create
    QString sProductModel;
};
