// Which rows a comparison shows, and with which reference.
#include "ParamTableFixture.h"

#include "Wnds/Params/ParamCompare.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamCompare, ReferencePerTypeShownOnlyWhenItDiffers)
{
    const CDBDataParameter p = paramtest::Param("P0608", 0x608, 90, 0, 0, 10000);
    const QMap<QString, std::int32_t> none;
    const QMap<QString, std::int32_t> same{{QStringLiteral("P0608"), 90}};
    const QMap<QString, std::int32_t> other{{QStringLiteral("P0608"), 100}};
    const struct {
        int type;
        QMap<QString, std::int32_t> drive, recipe;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {0, none, none, 0},          // default 0 against 90
        {1, other, none, 100},
        {1, same, none, std::nullopt},
        {1, none, other, std::nullopt},  // no value read from the drive: not shown
        {2, none, other, 100},
        {2, other, none, std::nullopt},
        {2, none, same, std::nullopt},
        {7, other, other, 0},        // outside 0..2: the defaults
        {-1, none, none, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CompareReference(c.type, p, c.drive, c.recipe), c.expected) << c.type;

    CDBDataParameter atDefault = p;
    atDefault.iCurValue = atDefault.iDefaultValue;
    EXPECT_EQ(CompareReference(0, atDefault, none, none), std::nullopt);
}

TEST(ParamCompare, TypeOutsideTheChoicesIsTheDefaults)
{
    EXPECT_EQ(NormalizeCompareType(0), 0);
    EXPECT_EQ(NormalizeCompareType(2), 2);
    EXPECT_EQ(NormalizeCompareType(3), 0);
    EXPECT_EQ(NormalizeCompareType(-5), 0);
}

}
