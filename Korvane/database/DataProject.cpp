#include "database/DataProject.h"

namespace {

template <class List, class T>
auto FindById(List& list, int id, int T::*member) -> decltype(&list[0])
{
    for (auto& item : list) {
        if (item.*member == id)
            return &item;
    }
    return nullptr;
}

}  // namespace

CDataAxisParameter* CDataDevice::FindAxis(int axisId)
{
    return FindById(m_arrAxis, axisId, &CDataAxisParameter::nAxisID);
}

const CDataAxisParameter* CDataDevice::FindAxis(int axisId) const
{
    return FindById(m_arrAxis, axisId, &CDataAxisParameter::nAxisID);
}

void CDataDevice::FillLoadedValues()
{
    m_mapLoadedValues.clear();
    const CDataAxisParameter* axis = FindAxis(1);
    if (!axis)
        return;
    for (const CDBDataParameter& p : axis->m_arrParameter) {
        if (!m_mapLoadedValues.contains(p.sNum))
            m_mapLoadedValues.insert(p.sNum, p.iCurValue);
    }
}

CDataAxisSystem* CDataProductSystem::FindAxis(int axisId)
{
    return FindById(m_arrAxis, axisId, &CDataAxisSystem::nAxisID);
}

const CDataAxisSystem* CDataProductSystem::FindAxis(int axisId) const
{
    return FindById(m_arrAxis, axisId, &CDataAxisSystem::nAxisID);
}

void CDataProject::Clear()
{
    m_FileHead.Clear();
    m_arrDeviceList.clear();
    m_arrProducts.clear();
    m_arrDevices.clear();
    m_arrProductSystems.clear();
}

CDBDataProducts* CDataProject::FindProduct(int productId)
{
    return FindById(m_arrProducts, productId, &CDBDataProducts::nProductID);
}

const CDBDataProducts* CDataProject::FindProduct(int productId) const
{
    return FindById(m_arrProducts, productId, &CDBDataProducts::nProductID);
}

CDataProductSystem* CDataProject::FindProductSystem(int productId)
{
    return FindById(m_arrProductSystems, productId, &CDataProductSystem::nProductID);
}

const CDataProductSystem* CDataProject::FindProductSystem(int productId) const
{
    return FindById(m_arrProductSystems, productId, &CDataProductSystem::nProductID);
}

CDataDevice* CDataProject::FindDevice(int deviceId)
{
    return FindById(m_arrDevices, deviceId, &CDataDevice::nDeviceID);
}

const CDataDevice* CDataProject::FindDevice(int deviceId) const
{
    return FindById(m_arrDevices, deviceId, &CDataDevice::nDeviceID);
}

const CDBDataDeviceList* CDataProject::FindDeviceRecord(int deviceId) const
{
    return FindById(m_arrDeviceList, deviceId, &CDBDataDeviceList::nDeviceID);
}

CDataDevice& CDataProject::FindOrAddDevice(int deviceId)
{
    if (CDataDevice* device = FindDevice(deviceId))
        return *device;
    CDataDevice device;
    device.nDeviceID = deviceId;
    m_arrDevices.append(device);
    return m_arrDevices.last();
}

void CDataProject::AddSystemGroup(const CDBDataSystemGroups& group)
{
    CDataProductSystem* product = FindProductSystem(group.nProductID);
    if (!product) {
        CDataProductSystem added;
        added.nProductID = group.nProductID;
        m_arrProductSystems.append(added);
        product = &m_arrProductSystems.last();
    }
    CDataAxisSystem* axis = product->FindAxis(group.nAxisID);
    if (!axis) {
        CDataAxisSystem added;
        added.nAxisID = group.nAxisID;
        product->m_arrAxis.append(added);
        axis = &product->m_arrAxis.last();
    }
    axis->m_arrGroups.append(group);
}
