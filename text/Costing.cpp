#include "text/Costing.h"

#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <cmath>

namespace {

double StoredNumber(std::string_view text) {
    return ParseNumber(StringManager.CommaToPoint(text)).Value;
}

const char* const RecipeWithoutMass =
    "Division by zero: the masses cannot be rescaled because the masses of the recipe add up to 0";

// A quotient a cell can show: a division by zero or a result too large for a number stops the calculation
// before anything but a number is given.
double Quotient(double dividend, double divisor, const char* byZero) {
    if (divisor == 0.0)
        throw Exception(byZero);
    const double result = dividend / divisor;
    if (!std::isfinite(result))
        throw Exception("The result of the calculation is too large to be shown");
    return result;
}

} // namespace

TCostLine ReadCostLine(std::string_view component, std::string_view mass, std::string_view cost,
                       std::string_view noPrice, std::string_view price) {
    TCostLine line;
    line.Component = component;
    line.Mass = StoredNumber(mass);
    line.Priced = noPrice != "1";
    // Without a price the database's product of mass and price means nothing (a text price reads as 0).
    line.Cost = line.Priced ? StoredNumber(cost) : 0.0;
    line.Price = line.Priced ? StoredNumber(price) : 0.0;
    return line;
}

std::optional<double> ReadTotalMass(std::string_view text) {
    const ParseResult number = ParseNumber(LocaleToPoint(Trim(text)));
    if (number.ErrorPos != 0 || !(number.Value > 0.0) || number.Value > MaxTotalMass)
        return std::nullopt;
    return number.Value;
}

std::optional<std::int64_t> ReadTotalGrams(std::string_view text) {
    std::string plain;
    for (const char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        plain += c == '.' || c == ',' ? DecimalSeparator : c;
    }
    const std::optional<double> total = ReadTotalMass(plain);
    if (!total)
        return std::nullopt;
    const auto grams = static_cast<std::int64_t>(std::llround(*total * 1000.0));
    if (grams < 1)
        return std::nullopt;
    return grams;
}

std::vector<std::int64_t> ScaleToGrams(const std::vector<double>& masses, std::int64_t totalGrams) {
    double reference = 0.0;
    for (const double mass : masses)
        reference += mass;
    if (!(reference > 0.0))
        throw Exception("The recipe has no mass to scale");
    if (!std::isfinite(reference))
        throw Exception("The result of the calculation is too large to be shown");
    std::vector<std::int64_t> grams;
    grams.reserve(masses.size());
    std::int64_t sum = 0;
    std::size_t largest = 0;
    for (std::size_t i = 0; i < masses.size(); ++i) {
        const double share = static_cast<double>(totalGrams) * (masses[i] / reference);
        grams.push_back(static_cast<std::int64_t>(std::llround(share)));
        sum += grams.back();
        if (masses[i] > masses[largest])
            largest = i;
    }
    if (!grams.empty())
        grams[largest] += totalGrams - sum;
    // Lines rounded up can leave a remainder below 0 that a batch of a few grams cannot take.
    if (!grams.empty() && grams[largest] < 0)
        throw Exception("The new total is too small to share out in whole grams");
    return grams;
}

double SumOfMasses(const std::vector<TCostLine>& lines) {
    double sum = 0.0;
    for (const TCostLine& line : lines)
        sum += line.Mass;
    return sum;
}

std::vector<double> ScaleMasses(const std::vector<TCostLine>& lines, double referenceMass, double total) {
    std::vector<double> masses;
    masses.reserve(lines.size());
    for (const TCostLine& line : lines)
        masses.push_back(Quotient(total * line.Mass, referenceMass, RecipeWithoutMass));
    return masses;
}

double BatchCost(const std::vector<TCostLine>& lines, double referenceMass, double total) {
    double costs = 0.0;
    for (const TCostLine& line : lines)
        if (line.Priced)
            costs += line.Cost;
    return Quotient(total * costs, referenceMass, RecipeWithoutMass);
}

TCostShares ShareCosts(const std::vector<TCostLine>& lines) {
    TCostShares result;
    double costs = 0.0;
    for (const TCostLine& line : lines) {
        if (line.Priced)
            costs += line.Cost;
        else
            result.Incomplete = true;
    }
    result.Shares.reserve(lines.size());
    for (const TCostLine& line : lines) {
        if (!line.Priced) {
            result.Shares.emplace_back();
            continue;
        }
        result.Shares.emplace_back(Quotient(100.0 * line.Cost, costs,
                                            "Division by zero: the cost shares cannot be computed because the "
                                            "costs of the product add up to 0"));
    }
    return result;
}

TRecipeCosting CostRecipe(const std::vector<TCostLine>& lines) {
    TRecipeCosting result;
    result.TotalMass = SumOfMasses(lines);
    for (const TCostLine& line : lines) {
        if (line.Priced)
            result.Cost += line.Cost;
        else
            result.Incomplete = true;
    }
    const auto finite = [](double value) { return std::isfinite(value) ? std::optional<double>(value) : std::nullopt; };
    if (result.TotalMass != 0.0)
        result.PricePerKg = finite(result.Cost / result.TotalMass);
    result.Lines.reserve(lines.size());
    for (const TCostLine& line : lines) {
        TLineCosting costing;
        if (result.TotalMass != 0.0)
            costing.Fraction = finite(line.Mass / result.TotalMass);
        if (line.Priced) {
            costing.PricePerKg = line.Price;
            costing.Cost = line.Cost;
        }
        result.Lines.push_back(costing);
    }
    return result;
}

std::optional<double> ChangePercent(std::string_view now, std::string_view after) {
    const ParseResult before = ParseNumber(StringManager.CommaToPoint(now));
    const ParseResult then = ParseNumber(StringManager.CommaToPoint(after));
    if (before.ErrorPos || then.ErrorPos || before.Value == 0.0)
        return std::nullopt;
    const double percent = (then.Value - before.Value) * 100.0 / before.Value;
    if (!std::isfinite(percent))
        return std::nullopt;
    return percent;
}

std::string SignedPercent(std::optional<double> percent) {
    if (!percent)
        return {};
    std::string digits = FormatFixed(*percent, 2);
    if (digits.find_first_of("123456789") == std::string::npos)
        return FormatFixed(0.0, 2);
    // Appended, not inserted at the front: g++ 12 warns of a false overlap in that form at -O3.
    std::string text;
    if (*percent > 0)
        text.push_back('+');
    return text.append(digits);
}
