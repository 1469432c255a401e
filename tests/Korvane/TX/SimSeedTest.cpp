// The simulated drive starts with the default parameter database's values, so a read over
// the real link returns what the database holds.
#include "LinkTestSupport.h"

#include "database/DefaultRegisters.h"

// What is looked at is the drive's seeding, not the codec's timing.
class SimSeedTest : public LinkTest
{
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        rtu.SetFrameMargin(0);
    }
};

TEST_F(SimSeedTest, EveryParameterRegisterReadsItsDatabaseDefault)
{
    const std::string db = SimDrive::DefaultDatabasePath();
    std::string why;
    ASSERT_TRUE(sim.SeedFromDefaultDatabase(db, 1, &why)) << why;

    const auto defaults = LoadDefaultRegisterValues(QString::fromStdString(db), 1);
    ASSERT_FALSE(defaults.empty());
    const auto identity = SimDrive::DefaultRegisters();
    int checked = 0;
    for (const auto &[address, def] : defaults) {
        if (identity.count(address))
            continue;
        int value = -1;
        if (def.width == 32) {
            ASSERT_TRUE(rtu.ReadRegister32(address, &port, kStation, &value, FALSE))
                << def.code.toStdString() << " error " << rtu.m_dwLastError;
            EXPECT_EQ(static_cast<std::uint32_t>(value), def.value) << def.code.toStdString();
        } else {
            ASSERT_TRUE(rtu.ReadRegister(address, &port, kStation, &value))
                << def.code.toStdString() << " error " << rtu.m_dwLastError;
            EXPECT_EQ(static_cast<std::uint32_t>(value), def.value & 0xFFFFu)
                << def.code.toStdString();
        }
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

TEST_F(SimSeedTest, MissingDatabaseSeedsNothingAndSaysWhy)
{
    std::string why;
    EXPECT_FALSE(sim.SeedFromDefaultDatabase("/nonexistent/ZiDizorAdovora.mdb", 1, &why));
    EXPECT_FALSE(why.empty());
}
