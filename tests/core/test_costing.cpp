// The price analysis's arithmetic without a window: batch masses from the stored recipe, cost shares, the
// total mass as the user types it, and the change of a price in percent.
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

TEST(Costing, ABatchCostsThePricedLinesRescaled) {
    const std::vector<TCostLine> lines = {{"A", 60, 120, true}, {"B", 40, 30, true}, {"WATER", 20, 0, false}};
    EXPECT_DOUBLE_EQ(BatchCost(lines, 120.0, 60.0), 75.0);
    EXPECT_THROW(BatchCost(lines, 0.0, 60.0), Exception);
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

TEST(Costing, RecipeMoneyAgreesWithTheAnalysis) {
    // 60 kg at 2.00 and 40 kg at 0.75, as the database gives them, and water without a price.
    const std::vector<TCostLine> lines = {ReadCostLine("SUGAR", "60", "120.0", "0", "2"),
                                          ReadCostLine("LEMON", "40,0", "30.0", "0", "0.75"),
                                          ReadCostLine("WATER", "100", "0", "1", "")};
    const TRecipeCosting costing = CostRecipe(lines);
    const TCostShares shares = ShareCosts(lines);
    EXPECT_EQ(costing.TotalMass, SumOfMasses(lines));
    EXPECT_EQ(costing.Cost, 150.0);
    EXPECT_EQ(*costing.PricePerKg, 0.75) << "the product list's price per kg: the cost over all of the mass";
    EXPECT_TRUE(costing.Incomplete && shares.Incomplete);
    EXPECT_EQ(*costing.Lines[0].Fraction, 0.3);
    EXPECT_EQ(*costing.Lines[1].PricePerKg, 0.75);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_DOUBLE_EQ(100.0 * *costing.Lines[i].Cost / costing.Cost, *shares.Shares[i]) << lines[i].Component;
    EXPECT_EQ(*costing.Lines[2].Fraction, 0.5);
    EXPECT_FALSE(costing.Lines[2].PricePerKg || costing.Lines[2].Cost);
    // A recipe of no mass has no shares of it and no price per kg.
    const TRecipeCosting empty = CostRecipe({ReadCostLine("SALT", "0", "0", "0", "3")});
    EXPECT_FALSE(empty.PricePerKg || empty.Lines[0].Fraction);
    EXPECT_EQ(*empty.Lines[0].Cost, 0.0);
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

TEST(Costing, ABatchInWholeGramsAddsUpToItsTotal) {
    // The gram left over goes to the first of the largest lines.
    EXPECT_EQ(ScaleToGrams({1.0, 1.0, 1.0}, 250000), (std::vector<std::int64_t>{83334, 83333, 83333}));
    EXPECT_EQ(ScaleToGrams({1.0, 2.0, 2.0}, 1), (std::vector<std::int64_t>{0, 1, 0}));
    EXPECT_EQ(ScaleToGrams({0.05, 14.0, 0.02}, 100000), (std::vector<std::int64_t>{355, 99503, 142}));
    EXPECT_THROW(ScaleToGrams({0.0, 0.0}, 1000), Exception);
    EXPECT_THROW(ScaleToGrams({}, 1000), Exception);
    // Four lines of half a gram each round up: one gram cannot be shared out.
    EXPECT_THROW(ScaleToGrams({0.5, 0.5, 0.5, 0.5}, 2), Exception);

    EXPECT_EQ(ReadTotalGrams(" 2 50 "), 250000);
    EXPECT_EQ(ReadTotalGrams("0,0125"), 13) << "the other mark is a decimal point too";
    for (const char* refused : {"0", "0.0004", "-5", "1.2.3", "x", ""})
        EXPECT_FALSE(ReadTotalGrams(refused)) << refused;
    DecimalSeparator = ',';
    EXPECT_EQ(ReadTotalGrams("12,5"), 12500);
    EXPECT_EQ(ReadTotalGrams("12.5"), 12500);
    DecimalSeparator = '.';
}

TEST(Costing, ChangeInPercentOfThePriceNow) {
    EXPECT_EQ(SignedPercent(ChangePercent("2.0", "2.50")), "+25.00");
    EXPECT_EQ(SignedPercent(ChangePercent("10", "9.69")), "-3.10");
    // A price an older version stored with a comma reads as its number.
    EXPECT_EQ(SignedPercent(ChangePercent("12,5", "12.5")), "0.00");
    // A change too small to show has no sign.
    EXPECT_EQ(SignedPercent(ChangePercent("100000", "99999.999")), "0.00");
    // Nothing to compare with: no price now, a price of 0, a text that is no number, an overflow.
    for (const auto& [now, after] :
         {std::pair{"", "2"}, {"0", "2"}, {"0.0", "2"}, {"abc", "2"}, {"2", ""}, {"1e-300", "1e300"}})
        EXPECT_FALSE(ChangePercent(now, after)) << now << " " << after;
    EXPECT_EQ(SignedPercent(std::nullopt), "");
    DecimalSeparator = ',';
    EXPECT_EQ(SignedPercent(ChangePercent("2.0", "1.5")), "-25,00");
    DecimalSeparator = '.';
}

} // namespace
