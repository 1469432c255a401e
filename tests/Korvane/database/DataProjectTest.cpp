// The in-memory content model: finders, the loaded-value map, group filing, copies.

#include "database/DataProject.h"

#include <gtest/gtest.h>

namespace {

CDBDataParameter Param(const char* code, long value)
{
    CDBDataParameter p;
    p.sNum = code;
    p.iCurValue = value;
    return p;
}

CDataAxisParameter Axis(int id, QList<CDBDataParameter> params)
{
    CDataAxisParameter a;
    a.nAxisID = id;
    a.m_arrParameter = std::move(params);
    return a;
}

CDBDataSystemGroups Group(int product, int axis, const char* code, int index)
{
    CDBDataSystemGroups g;
    g.nProductID = product;
    g.nAxisID = axis;
    g.sGroupNO = code;
    g.nGroupIndex = index;
    return g;
}

}  // namespace

TEST(DataProject, LoadedValuesComeFromAxisOneAndTheFirstCodeWins)
{
    CDataDevice device;
    device.m_arrAxis = {Axis(2, {Param("P0001", 5)}),
                        Axis(1, {Param("P0001", 1), Param("P0002", 2), Param("P0001", 9)})};
    device.FillLoadedValues();
    EXPECT_EQ(device.m_mapLoadedValues.size(), 2);
    EXPECT_EQ(device.m_mapLoadedValues.value("P0001"), 1);
    EXPECT_EQ(device.m_mapLoadedValues.value("P0002"), 2);

    CDataDevice noAxisOne;
    noAxisOne.m_mapLoadedValues.insert("stale", 1);
    noAxisOne.m_arrAxis = {Axis(2, {Param("P0001", 5)}), Axis(3, {})};
    noAxisOne.FillLoadedValues();
    EXPECT_TRUE(noAxisOne.m_mapLoadedValues.isEmpty());
    EXPECT_EQ(noAxisOne.FindAxis(1), nullptr);
    ASSERT_NE(noAxisOne.FindAxis(3), nullptr);
    EXPECT_EQ(noAxisOne.FindAxis(3)->nAxisID, 3);
}

TEST(DataProject, GroupsAreFiledByProductAndAxisInArrivalOrder)
{
    CDataProject project;
    for (const auto& g : {Group(1, 1, "P00", 1), Group(1, 2, "P00", 1), Group(2, 1, "X", 1),
                          Group(1, 1, "P01", 2)})
        project.AddSystemGroup(g);
    ASSERT_EQ(project.m_arrProductSystems.size(), 2);
    const CDataProductSystem* one = project.FindProductSystem(1);
    ASSERT_NE(one, nullptr);
    ASSERT_EQ(one->m_arrAxis.size(), 2);
    EXPECT_EQ(one->m_arrAxis[0].nAxisID, 1);
    ASSERT_EQ(one->FindAxis(1)->m_arrGroups.size(), 2);
    EXPECT_EQ(one->FindAxis(1)->m_arrGroups[1].sGroupNO, "P01");
    EXPECT_EQ(project.FindProductSystem(3), nullptr);
}

TEST(DataProject, FindersReturnTheFirstMatchOrNull)
{
    CDataProject project;
    CDBDataProducts product;
    product.nProductID = 4;
    product.sProductModel = "first";
    project.m_arrProducts = {product, product};
    project.m_arrProducts[1].sProductModel = "second";
    EXPECT_EQ(project.FindProduct(4)->sProductModel, "first");
    EXPECT_EQ(project.FindProduct(5), nullptr);
    EXPECT_EQ(project.FindDevice(1), nullptr);
    project.FindOrAddDevice(1).nDeviceID = 1;
    project.FindOrAddDevice(1);
    EXPECT_EQ(project.m_arrDevices.size(), 1);
    EXPECT_NE(project.FindDevice(1), nullptr);
}

TEST(DataProject, CopiesAreDeepAndSelfAssignmentKeepsTheContent)
{
    CDataProject project;
    project.m_FileHead.sDbFileVersion = "1.0.0";
    CDataDevice& device = project.FindOrAddDevice(1);
    device.m_arrAxis = {Axis(1, {Param("P0001", 1)})};
    device.FillLoadedValues();

    CDataProject copy;
    copy = project;
    project.m_arrDevices[0].m_arrAxis[0].m_arrParameter[0].iCurValue = 42;
    EXPECT_EQ(copy.m_arrDevices[0].m_arrAxis[0].m_arrParameter[0].iCurValue, 1);

    CDataProject& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.m_FileHead.sDbFileVersion, "1.0.0");
    ASSERT_EQ(copy.m_arrDevices.size(), 1);
    EXPECT_EQ(copy.m_arrDevices[0].m_mapLoadedValues.value("P0001"), 1);

    copy.Clear();
    EXPECT_TRUE(copy.m_FileHead.sDbFileVersion.isEmpty());
    EXPECT_TRUE(copy.m_arrDevices.isEmpty());
}
