// The raw materials of a product through every premix level, the batch they make, and where a component is
// used through every level. A premix is a component that stands for a product (the table Premixes); a file
// without that table has none. Only lines of existing components count, as in the recomputation.
#pragma once

#include "database/Database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Why a premix stays on the list as itself instead of its own lines.
enum class TRawFlag {
    None,
    EmptyPremix, // its lines add to 0 kg, so they cannot be shared out
    Cycle,       // its product is already on the way down to it: the file holds a premix cycle
};

// One raw material of a product: every premix line shared out over the premix's own lines.
struct TRawMaterial {
    std::string Component; // the name as stored
    double Mass = 0.0;     // kg in the product's own total mass
    // Per kg; none without a usable price (none, 0, or a text that is no number).
    std::optional<double> Price;
    TRawFlag Flag = TRawFlag::None;
    std::string Premix; // with a flag: the premix's product
};

struct TFlatRecipe {
    bool Found = false;     // the product exists
    double TotalMass = 0.0; // its lines' masses added up
    // Largest mass first, then by name in byte order; each component once.
    std::vector<TRawMaterial> Materials;
    // The mass of the premix lines of every level, in kg of the total mass: each premix's price is rounded to
    // cents, so the product's price may be off by half a cent per kg of them.
    double PremixMass = 0.0;
};

// A premix line of m kg in a premix whose lines add to M kg contributes m * q / M of each of its lines q.
TFlatRecipe RawMaterialsOf(TDatabase* db, const std::string& product);

// A row of the weighing sheet, in the units shown: grams, hundredths of a percent and cents.
struct TBatchRow {
    std::string Component;
    std::int64_t Mass = 0;               // g
    std::optional<std::int64_t> Percent; // 1/100 %; none in a batch of no mass
    std::optional<double> Price;         // per kg, as stored
    std::optional<std::int64_t> Cost;    // cents; none without a price or past what a number holds exactly
    TRawFlag Flag = TRawFlag::None;
    std::string Premix;
};

struct TBatch {
    double Mass = 0.0; // kg
    std::vector<TBatchRow> Rows;
    // The sums of the rows above, so the sheet adds up as printed: the rows are rounded so that they add up to
    // the exact total rounded (the batch mass to the gram, 100 %, the cost to the cent).
    std::int64_t TotalMass = 0;
    std::int64_t TotalPercent = 0;
    std::int64_t TotalCost = 0;
    // Some row has no cost, so the total leaves it out.
    bool CostIncomplete = false;
    // How far the product's price per kg times the batch mass may be from the total cost, in cents: the
    // rounding of the premixes' prices and of the product's own. 0 without premixes.
    std::int64_t RoundingBound = 0;
};

// The raw materials rescaled to a batch of mass kg (the product's total mass: as they are). A product of no
// mass cannot be rescaled: its rows keep their masses.
TBatch MakeBatch(const TFlatRecipe& materials, double mass);

// One use of a component: a product that holds it, directly or through premixes.
struct TComponentUse {
    std::string Product;
    // The premixes between, from the product down to the component; empty for a direct use.
    std::vector<std::string> Through;
    // kg of the component per kg of the product; none when a product on the way has no mass.
    std::optional<double> PerKg;
    // The product is already on the way down (a premix cycle): it is not followed further.
    bool Cycle = false;
};

// Every product and path that holds the component of that name (as stored), sorted by product then path in
// byte order.
std::vector<TComponentUse> WhereUsed(TDatabase* db, const std::string& component);
// A path as the window shows it: "B > A".
std::string PathText(const std::vector<std::string>& premixes);
