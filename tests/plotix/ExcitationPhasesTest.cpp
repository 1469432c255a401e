#include "FFT/ExcitationPhases.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(ExcitationPhases, TablesOfEachRate)
{
    struct Case {
        int rate;
        int count;
        std::vector<double> first;
    };
    const Case cases[] = {
        {4000, 512, {3.01376, 6.02363, 0.02927, 5.86814}},
        {5000, 512, {4.85229, 1.07431, 5.87743, 1.96442}},
        {6000, 1024, {2.52975, 3.33331, 0.06028, 5.40538}},
        {8000, 1024, {4.60844, 3.25951, 5.62848, 5.62893}},
        {10000, 2048, {4.89675, 3.88086, 4.07928, 4.75187}},
        {12000, 2048, {5.96984, 1.45229, 3.81290, 3.05352}},
        {16000, 2048, {1.45229, 3.81290, 3.05352, 5.60020}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.rate);
        const plotix::ExcitationTable* t = plotix::excitationTable(tc.rate);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->sampleRate, tc.rate);
        EXPECT_EQ(t->count, tc.count);
        for (size_t i = 0; i < tc.first.size(); ++i)
            EXPECT_EQ(t->phases[i], tc.first[i]);
        for (int i = 0; i < t->count; ++i) {
            const double v = t->phases[i];
            ASSERT_GE(v, 0.0) << i;
            ASSERT_LT(v, 2 * M_PI) << i;
            // Five decimals.
            ASSERT_NEAR(v * 1e5, std::round(v * 1e5), 1e-6) << i;
        }
    }
}

// 16 kHz walks the 12 kHz tones one later and ends on the first tone of 10 kHz.
TEST(ExcitationPhases, SixteenKilohertzFollowsTwelve)
{
    const plotix::ExcitationTable* t16 = plotix::excitationTable(16000);
    const plotix::ExcitationTable* t12 = plotix::excitationTable(12000);
    const plotix::ExcitationTable* t10 = plotix::excitationTable(10000);
    for (int i = 0; i + 1 < 2048; ++i)
        ASSERT_EQ(t16->phases[i], t12->phases[i + 1]) << i;
    EXPECT_EQ(t16->phases[2047], t10->phases[0]);
    EXPECT_EQ(t16->phases[2047], 4.89675);
}

TEST(ExcitationPhases, OtherRatesHaveNoTable)
{
    for (int rate : {0, -4000, 3999, 4001, 7999, 9000, 20000})
        EXPECT_EQ(plotix::excitationTable(rate), nullptr) << rate;
}
