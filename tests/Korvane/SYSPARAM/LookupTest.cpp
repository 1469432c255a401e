#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"

namespace {

class LookupTest : public SysParamFixture {
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        ASSERT_TRUE(m_sys->Init());
        m_ui->ClearCalls();
    }
    void TearDown() override
    {
        m_sys.reset();
        SysParamFixture::TearDown();
    }
    std::unique_ptr<CSysParam> m_sys;
};

TEST_F(LookupTest, ActiveAxisAndProduct)
{
    EXPECT_NE(m_sys->FindActiveAxis(1), nullptr);
    EXPECT_EQ(m_sys->FindActiveAxis(99), nullptr);
    // A device without an axis 1.
    m_sys->m_ProjectDatabase.m_Project.FindDevice(1)->m_arrAxis[0].nAxisID = 2;
    EXPECT_EQ(m_sys->FindActiveAxis(1), nullptr);

    ASSERT_NE(m_sys->FindActiveProductSystem(1), nullptr);
    EXPECT_FALSE(m_sys->FindActiveProductSystem(1)->m_arrGroups.isEmpty());
    EXPECT_EQ(m_sys->FindActiveProductSystem(7), nullptr);
    ASSERT_NE(m_sys->FindCurrentProduct(), nullptr);
    EXPECT_EQ(m_sys->FindCurrentProduct()->sProductModel, "DRV1");
}

// The map the parameter pages compare current values against: the current device's values as
// loaded, shared (a change made through it is seen by the next caller), and empty without a
// current device.
TEST_F(LookupTest, CurrentDeviceSelectsAreTheLoadedValues)
{
    QMap<QString, std::int32_t> &selects = m_sys->GetCurrentDeviceSelects();
    const CDataAxisParameter *axis = m_sys->FindActiveAxis(1);
    ASSERT_NE(axis, nullptr);
    ASSERT_FALSE(selects.isEmpty());
    for (const CDBDataParameter &p : axis->m_arrParameter) {
        ASSERT_TRUE(selects.contains(p.sNum)) << p.sNum.toStdString();
        EXPECT_EQ(selects.value(p.sNum), p.iCurValue) << p.sNum.toStdString();
    }
    EXPECT_EQ(&selects, &m_sys->m_ProjectDatabase.m_Project.FindDevice(1)->m_mapLoadedValues);
    // A current value changed afterwards does not move the loaded one.
    const QString code = axis->m_arrParameter[0].sNum;
    const std::int32_t loaded = selects.value(code);
    m_sys->FindActiveAxis(1)->m_arrParameter[0].iCurValue = loaded + 1;
    EXPECT_EQ(m_sys->GetCurrentDeviceSelects().value(code), loaded);

    m_sys->m_ProjectDatabase.m_nCurDeviceID = 5;
    EXPECT_TRUE(m_sys->GetCurrentDeviceSelects().isEmpty());
    m_sys->GetCurrentDeviceSelects().insert(QStringLiteral("P0000"), 1);
    EXPECT_TRUE(m_sys->GetCurrentDeviceSelects().isEmpty()) << "nothing sticks without a device";
}

TEST_F(LookupTest, FindParamByCode)
{
    CDBDataParameter p;
    EXPECT_TRUE(m_sys->FindParamByCode("P0608", &p));
    EXPECT_EQ(p.dwAddress, 0x0608);
    EXPECT_FALSE(m_sys->FindParamByCode("p0608", &p)) << "codes compare case-sensitively";
    EXPECT_FALSE(m_sys->FindParamByCode("P9999", &p));
    // Copying a record onto itself leaves it intact.
    CDBDataParameter &own = m_sys->FindActiveAxis(1)->m_arrParameter[0];
    const QString code = own.sNum;
    EXPECT_TRUE(m_sys->FindParamByCode(code, &own));
    EXPECT_EQ(own.sNum, code);
}

TEST_F(LookupTest, AppendGroupParameters)
{
    QList<CDBDataParameter> list;
    EXPECT_TRUE(m_sys->AppendGroupParameters("P06", list));
    ASSERT_FALSE(list.isEmpty());
    for (const CDBDataParameter &p : list)
        EXPECT_EQ(p.sGroupNO, "P06");
    const auto before = list.size();
    EXPECT_TRUE(m_sys->AppendGroupParameters("P99", list)) << "the list was not empty";
    EXPECT_EQ(list.size(), before);
    QList<CDBDataParameter> empty;
    EXPECT_FALSE(m_sys->AppendGroupParameters("P99", empty));
}

TEST_F(LookupTest, CheckParamRange)
{
    CDBDataParameter p;
    p.sNum = "P0608";
    p.iMin = -5;
    p.iMax = 100;
    struct Case {
        std::int32_t value;
        bool message;
    } cases[] = {{100, false}, {-5, false}, {0, false}, {101, true}, {-6, true}};
    for (const Case &c : cases) {
        m_ui->ClearCalls();
        p.iCurValue = c.value;
        EXPECT_TRUE(m_sys->CheckParamRange(p));
        ASSERT_EQ(m_ui->Calls().size(), c.message ? 1u : 0u) << c.value;
    }
    p.iCurValue = 101;
    m_ui->ClearCalls();
    m_sys->CheckParamRange(p);
    EXPECT_EQ(m_ui->Calls()[0].text, "参数P0608的值超出范围！\n范围：-5 ~ 100，当前值：101");
}

}
