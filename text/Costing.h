// The arithmetic of the price analysis, done on the figures the database holds and never on the rounded
// texts of a grid: each recipe line's mass rescaled to a batch of another total mass, and each line's share
// of the product's cost; and the change of a price in percent, as the price windows show it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One recipe line of the product analysed.
struct TCostLine {
    std::string Component;
    double Mass = 0.0;   // kg as stored; a stored text that is no number counts as 0
    double Cost = 0.0;   // the line's cost: its mass times its component's price
    bool Priced = false; // the component has a usable price
    double Price = 0.0;  // the component's price per kg, when Priced
};

// A line from the texts of its columns as the database gives them: name, quantity, cost, "1" when the
// component has no usable price, and that price. A quantity an older version stored with a decimal comma reads
// as its number.
TCostLine ReadCostLine(std::string_view component, std::string_view mass, std::string_view cost,
                       std::string_view noPrice, std::string_view price = {});

// The largest total mass a batch may be scaled to, in kg.
constexpr double MaxTotalMass = 1e9;

// What a window says when a total mass typed is refused.
inline constexpr const char* TotalMassRequest = "Enter the total mass in kg, a number above 0";

// The total mass the user typed: the locale's decimal separator, blanks around it ignored. Nothing when
// the text is no number, not above 0 or above MaxTotalMass.
std::optional<double> ReadTotalMass(std::string_view text);

// The total mass typed for a recipe rescaled, in whole grams: read as ReadTotalMass reads it, blanks anywhere
// ignored, and a "." or "," that is not the locale's decimal separator taken as it (nobody groups the digits
// of a batch). Nothing when it is refused there or comes to less than a gram.
std::optional<std::int64_t> ReadTotalGrams(std::string_view text);

// The recipe's masses (kg) rescaled to totalGrams in whole grams: each line's share rounded to the gram, the
// remainder of the rounding on the largest line (the first such), so they add up to totalGrams exactly.
// Throws Exception when the masses add up to 0 or less, or the largest line would go below 0 grams.
std::vector<std::int64_t> ScaleToGrams(const std::vector<double>& masses, std::int64_t totalGrams);

// The exact sum of the lines' masses: the total mass the stored recipe makes.
double SumOfMasses(const std::vector<TCostLine>& lines);

// Each line's mass in a batch of total kg: total × mass ÷ referenceMass (the sum of the stored masses), so
// the results add up to total and a batch of half the total gives exactly half of every mass. Throws
// Exception when referenceMass is 0 or a result is too large for a number.
std::vector<double> ScaleMasses(const std::vector<TCostLine>& lines, double referenceMass, double total);

// What a batch of total kg costs: the summed cost of the lines with a price, times total ÷ referenceMass.
// Throws Exception when referenceMass is 0.
double BatchCost(const std::vector<TCostLine>& lines, double referenceMass, double total);

struct TCostShares {
    // Per line, its share in percent of the summed cost of the lines with a price; none without a price.
    std::vector<std::optional<double>> Shares;
    // Some line has no price, so the shares leave part of the cost out.
    bool Incomplete = false;
};

// Throws Exception when lines with a price cost 0 together, so no share can be given.
TCostShares ShareCosts(const std::vector<TCostLine>& lines);

// A recipe line's money, as the recipe shows it beside the line.
struct TLineCosting {
    std::optional<double> Fraction;   // of the recipe's total mass, 1 for all of it; none when that is 0
    std::optional<double> PricePerKg; // the component's; none without a usable price
    std::optional<double> Cost;       // mass times price; none without a usable price
};

struct TRecipeCosting {
    std::vector<TLineCosting> Lines;
    double TotalMass = 0.0;
    double Cost = 0.0; // of the lines with a price
    // Cost over the total mass, as the product list's price per kg before its rounding; none for a mass of 0.
    std::optional<double> PricePerKg;
    bool Incomplete = false; // some line has no price
};

// The figures beside a recipe's lines and below them. The lines' costs are the database's, as in the price
// analysis, so both show the same money.
TRecipeCosting CostRecipe(const std::vector<TCostLine>& lines);

// The change from the price now to the price after, in percent of the price now. The prices are texts as
// stored (a decimal comma that an older version stored reads as a point). Nothing when there is nothing to
// compare with: either text is no number, the price now is 0, or the change is too large for a number.
std::optional<double> ChangePercent(std::string_view now, std::string_view after);

// A change in percent as the lists show it: two decimals with the locale's separator, and its sign unless it
// rounds to 0 ("+25.00", "-3.10", "0.00"); empty for none.
std::string SignedPercent(std::optional<double> percent);
