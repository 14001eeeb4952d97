// The price analysis's arithmetic without a window: batch masses from the stored recipe, cost shares, and the
// total mass as the user types it.
#include "text/Costing.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A recipe of 25 kg whose small lines are what a batch is weighed from.
std::vector<TCostLine> Anisette() {
    return {{"ETHANOL 96%", 14.0, 32.9, true},      {"ANETHOLE", 6.5, 250.25, true},
            {"FENNEL OIL SWEET", 0.75, 46.8, true}, {"CORIANDER SEED OIL", 0.05, 5.9, true},
            {"VANILLIN", 0.02, 0.284, true},        {"BITTER ALMOND", 0.005, 0.975, true},
            {"GLYCERINE", 3.675, 6.79875, true}};
}

TEST(Costing, BatchMassesComeFromTheStoredRecipe) {
    const auto lines = Anisette();
    const double reference = SumOfMasses(lines);
    EXPECT_DOUBLE_EQ(reference, 25.0);
    const auto at100 = ScaleMasses(lines, reference, 100.0);
    EXPECT_EQ(FormatFixed(at100[3], 3), "0.200");
    EXPECT_EQ(FormatFixed(at100[4], 3), "0.080");
    EXPECT_EQ(FormatFixed(at100[2], 3), "3.000");
    EXPECT_EQ(FormatFixed(at100[5], 3), "0.020");
    double sum = 0;
    for (double m : at100)
        sum += m;
    EXPECT_NEAR(sum, 100.0, 1e-9);

    // Half the batch is exactly half of every mass, whatever came before.
    const auto at50 = ScaleMasses(lines, reference, 50.0);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(at50[i] * 2, at100[i]) << lines[i].Component;
    EXPECT_EQ(FormatFixed(ScaleMasses(lines, reference, 1000.0)[0], 3), "560.000");

    EXPECT_THROW(ScaleMasses({{"WATER", 0.0, 0.0, true}}, 0.0, 100.0), Exception);
    EXPECT_THROW(ScaleMasses({{"HUGE", 1e308, 0.0, true}}, 1e-10, 1e9), Exception);
    EXPECT_TRUE(ScaleMasses({}, 0.0, 100.0).empty());
}

TEST(Costing, SharesLeaveOutLinesWithoutAPrice) {
    const TCostShares full = ShareCosts({{"A", 60, 120, true}, {"B", 40, 30, true}});
    EXPECT_FALSE(full.Incomplete);
    EXPECT_DOUBLE_EQ(*full.Shares[0], 80.0);
    EXPECT_DOUBLE_EQ(*full.Shares[1], 20.0);

    // Exact costs, not costs rounded to 0.1 first: 0.04 and 0.16 share 20 % and 80 %.
    const TCostShares small = ShareCosts({{"A", 1, 0.04, true}, {"B", 1, 0.16, true}});
    EXPECT_EQ(FormatFixed(*small.Shares[0], 2), "20.00");

    const TCostShares partial = ShareCosts({{"A", 2, 4, true}, {"WATER", 6, 0, false}});
    EXPECT_TRUE(partial.Incomplete);
    EXPECT_DOUBLE_EQ(*partial.Shares[0], 100.0);
    EXPECT_FALSE(partial.Shares[1]);

    const TCostShares none = ShareCosts({{"WATER", 6, 0, false}, {"SALT", 1, 0, false}});
    EXPECT_TRUE(none.Incomplete);
    EXPECT_FALSE(none.Shares[0] || none.Shares[1]);

    EXPECT_THROW(ShareCosts({{"A", 0, 0, true}, {"WATER", 6, 0, false}}), Exception);
}

TEST(Costing, LinesReadFromTheDatabaseTexts) {
    const TCostLine stored = ReadCostLine("ETHANOL", "6,5", "15.275", "0");
    EXPECT_EQ(stored.Mass, 6.5);
    EXPECT_EQ(stored.Cost, 15.275);
    EXPECT_TRUE(stored.Priced);
    // A price held as text makes SQLite's product of it meaningless: the line has no cost and no price.
    const TCostLine unpriced = ReadCostLine("WATER", "2", "4", "1");
    EXPECT_FALSE(unpriced.Priced);
    EXPECT_EQ(unpriced.Cost, 0.0);
    EXPECT_EQ(ReadCostLine("X", "", "", "").Mass, 0.0);
}

TEST(Costing, TotalMassIsReadWithTheLocaleSeparator) {
    EXPECT_EQ(ReadTotalMass("100.0"), 100.0);
    EXPECT_EQ(ReadTotalMass(" 100 "), 100.0);
    EXPECT_EQ(ReadTotalMass("1e9"), 1e9);
    for (const char* unusable : {"50,5", "abc", "1e400", "-100", "0", "", "  ", "1000000000.5", "1.2.3"})
        EXPECT_FALSE(ReadTotalMass(unusable)) << unusable;

    DecimalSeparator = ',';
    EXPECT_EQ(ReadTotalMass("50,5"), 50.5);
    EXPECT_FALSE(ReadTotalMass("50.5"));
    DecimalSeparator = '.';
}

} // namespace
