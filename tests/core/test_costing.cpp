// The price analysis's arithmetic without a window: batch masses from the stored recipe, cost shares, and the
// total mass as the user types it.
#include "text/Costing.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(Costing, BatchMassesComeFromTheStoredRecipe) {
    const std::vector<TCostLine> lines = {{"ETHANOL", 14.0}, {"CORIANDER", 0.05}, {"VANILLIN", 0.02}, {"REST", 10.93}};
    const double reference = SumOfMasses(lines);
    const auto at100 = ScaleMasses(lines, reference, 100.0);
    EXPECT_EQ(FormatFixed(at100[1], 3), "0.200");
    EXPECT_NEAR(at100[0] + at100[1] + at100[2] + at100[3], 100.0, 1e-9);
    // Half the batch is exactly half of every mass.
    const auto at50 = ScaleMasses(lines, reference, 50.0);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(at50[i] * 2, at100[i]) << lines[i].Component;

    EXPECT_THROW(ScaleMasses({{"WATER", 0.0}}, 0.0, 100.0), Exception);
    EXPECT_THROW(ScaleMasses({{"HUGE", 1e308}}, 1e-10, 1e9), Exception);
}

TEST(Costing, SharesLeaveOutLinesWithoutAPrice) {
    const TCostShares partial = ShareCosts({{"A", 1, 0.04, true}, {"B", 1, 0.16, true}, {"WATER", 6, 0, false}});
    EXPECT_TRUE(partial.Incomplete);
    EXPECT_EQ(FormatFixed(*partial.Shares[0], 2), "20.00");
    EXPECT_FALSE(partial.Shares[2]);

    const TCostShares none = ShareCosts({{"WATER", 6, 0, false}});
    EXPECT_TRUE(none.Incomplete);
    EXPECT_FALSE(none.Shares[0]);

    EXPECT_THROW(ShareCosts({{"A", 0, 0, true}, {"WATER", 6, 0, false}}), Exception);

    // A price held as text makes the database's product of it meaningless: no cost, no price.
    const TCostLine unpriced = ReadCostLine("WATER", "6,5", "4", "1");
    EXPECT_EQ(unpriced.Mass, 6.5);
    EXPECT_FALSE(unpriced.Priced);
    EXPECT_EQ(unpriced.Cost, 0.0);
}

TEST(Costing, TotalMassIsReadWithTheLocaleSeparator) {
    EXPECT_EQ(ReadTotalMass(" 100 "), 100.0);
    EXPECT_EQ(ReadTotalMass("1e9"), 1e9);
    for (const char* unusable : {"50,5", "abc", "1e400", "-100", "0", "", "1000000000.5"})
        EXPECT_FALSE(ReadTotalMass(unusable)) << unusable;
    DecimalSeparator = ',';
    EXPECT_EQ(ReadTotalMass("50,5"), 50.5);
    EXPECT_FALSE(ReadTotalMass("50.5"));
    DecimalSeparator = '.';
}

} // namespace
