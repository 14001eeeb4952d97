#include "database/RawMaterials.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

// A line of a product as the flattening needs it. A premix whose product is gone is an ordinary component.
struct TLine {
    std::int64_t CompId = 0;
    std::string Component;
    double Quantity = 0.0;
    std::optional<double> Price;
    std::optional<std::int64_t> PremixOf; // the product the component stands for
    std::string PremixName;
};

// The quantity as the recomputation's sums read it: "+ 0.0" turns a stored text into its number as SUM does.
const char* const LinesQuery =
    "SELECT M.Comp_ID, M.Component, R.Quantity + 0.0, M.Price, Q.Prod_ID, Q.Product FROM Recipes R"
    " JOIN Materials M ON M.Comp_ID = R.Comp_ID LEFT JOIN Premixes X ON X.Comp_ID = M.Comp_ID"
    " LEFT JOIN Products Q ON Q.Prod_ID = X.Prod_ID WHERE R.Prod_ID = ? ORDER BY R.ID";
const char* const LinesWithoutPremixesQuery =
    "SELECT M.Comp_ID, M.Component, R.Quantity + 0.0, M.Price, NULL, NULL FROM Recipes R"
    " JOIN Materials M ON M.Comp_ID = R.Comp_ID WHERE R.Prod_ID = ? ORDER BY R.ID";

// Every product that uses the component, each line with the product's own total mass and, for a premix, the
// component that stands for it.
const char* const UsesQuery =
    "SELECT P.Prod_ID, P.Product, R.Quantity + 0.0, XM.Comp_ID,"
    " (SELECT SUM(L.Quantity + 0.0) FROM Recipes L JOIN Materials N ON N.Comp_ID = L.Comp_ID"
    " WHERE L.Prod_ID = P.Prod_ID) FROM Recipes R JOIN Products P ON P.Prod_ID = R.Prod_ID"
    " LEFT JOIN Premixes X ON X.Prod_ID = P.Prod_ID LEFT JOIN Materials XM ON XM.Comp_ID = X.Comp_ID"
    " WHERE R.Comp_ID = ? ORDER BY P.Prod_ID, R.ID";
const char* const UsesWithoutPremixesQuery =
    "SELECT P.Prod_ID, P.Product, R.Quantity + 0.0, NULL,"
    " (SELECT SUM(L.Quantity + 0.0) FROM Recipes L JOIN Materials N ON N.Comp_ID = L.Comp_ID"
    " WHERE L.Prod_ID = P.Prod_ID) FROM Recipes R JOIN Products P ON P.Prod_ID = R.Prod_ID"
    " WHERE R.Comp_ID = ? ORDER BY P.Prod_ID, R.ID";

const char* const PremixProductQuery =
    "SELECT Q.Prod_ID FROM Premixes X JOIN Products Q ON Q.Prod_ID = X.Prod_ID WHERE X.Comp_ID = ?";

std::optional<double> Number(const TValue& value) {
    switch (value.Kind()) {
    case TValue::TKind::Integer:
        return static_cast<double>(value.Integer());
    case TValue::TKind::Real:
        return value.Real();
    default:
        return std::nullopt;
    }
}

std::optional<std::int64_t> Key(const TValue& value) {
    if (value.Kind() == TValue::TKind::Integer)
        return value.Integer();
    if (value.Kind() == TValue::TKind::Real)
        return static_cast<std::int64_t>(value.Real());
    return std::nullopt;
}

std::optional<std::int64_t> IdOf(TDatabase* db, const char* sql, const TValues& values) {
    std::optional<std::int64_t> id;
    db->ForEachRow(sql, values, [&id](const TResultRow& row) {
        if (!id)
            id = Key(row.Value(0));
    });
    return id;
}

// What a product is made of, in kg of its own total mass: each raw material (or premix kept as itself) by
// its component number.
struct TMix {
    double Mass = 0.0;
    std::map<std::int64_t, TRawMaterial> Parts;
    double PremixMass = 0.0;
};

class TFlattening {
public:
    explicit TFlattening(TDatabase* db) : FDb(db), FPremixes(HasTable(db, "Premixes")) {}

    // Each premix is worked out once, however many paths reach it.
    const TMix& Mix(std::int64_t prodId) {
        if (const auto known = FMixes.find(prodId); known != FMixes.end())
            return known->second;
        FOnPath.insert(prodId);
        TMix mix;
        for (const TLine& line : Lines(prodId)) {
            mix.Mass += line.Quantity;
            if (!line.PremixOf) {
                Add(mix, line, line.Quantity, TRawFlag::None);
                continue;
            }
            mix.PremixMass += line.Quantity;
            if (FOnPath.count(*line.PremixOf)) {
                Add(mix, line, line.Quantity, TRawFlag::Cycle);
                continue;
            }
            const TMix& premix = Mix(*line.PremixOf);
            if (premix.Mass == 0.0) {
                Add(mix, line, line.Quantity, TRawFlag::EmptyPremix);
                continue;
            }
            const double share = line.Quantity / premix.Mass;
            mix.PremixMass += premix.PremixMass * share;
            for (const auto& [id, part] : premix.Parts) {
                TRawMaterial& into = mix.Parts[id];
                if (into.Component.empty())
                    into = {part.Component, 0.0, part.Price, part.Flag, part.Premix};
                into.Mass += part.Mass * share;
            }
        }
        FOnPath.erase(prodId);
        return FMixes.emplace(prodId, std::move(mix)).first->second;
    }

private:
    static void Add(TMix& mix, const TLine& line, double mass, TRawFlag flag) {
        TRawMaterial& part = mix.Parts[line.CompId];
        if (part.Component.empty())
            part = {line.Component, 0.0, line.Price, flag, flag == TRawFlag::None ? std::string() : line.PremixName};
        part.Mass += mass;
    }

    std::vector<TLine> Lines(std::int64_t prodId) {
        std::vector<TLine> lines;
        FDb->ForEachRow(FPremixes ? LinesQuery : LinesWithoutPremixesQuery, {prodId}, [&lines](const TResultRow& row) {
            TLine line;
            line.CompId = Key(row.Value(0)).value_or(0);
            line.Component = row.Text(1);
            line.Quantity = Number(row.Value(2)).value_or(0.0);
            line.Price = Number(row.Value(3));
            if (line.Price && *line.Price == 0.0)
                line.Price.reset();
            line.PremixOf = Key(row.Value(4));
            line.PremixName = row.Text(5);
            lines.push_back(std::move(line));
        });
        return lines;
    }

    TDatabase* FDb;
    bool FPremixes;
    std::map<std::int64_t, TMix> FMixes;
    std::set<std::int64_t> FOnPath;
};

// Whole units for figures given in units, adding up to their own sum rounded, so a sheet's rows add up to its
// total and the total is the figure exact arithmetic gives: each is rounded down and the units left go to the
// largest remainders. Nothing past what a double holds to the unit.
std::optional<std::vector<std::int64_t>> Apportion(const std::vector<double>& values) {
    std::vector<std::int64_t> units;
    std::vector<std::pair<double, std::size_t>> remainders;
    double sum = 0.0;
    std::int64_t floors = 0;
    for (const double value : values) {
        if (!std::isfinite(value) || std::fabs(value) > 9e15)
            return std::nullopt;
        const double down = std::floor(value);
        remainders.emplace_back(value - down, units.size());
        units.push_back(static_cast<std::int64_t>(down));
        floors += units.back();
        sum += value;
    }
    if (!std::isfinite(sum) || std::fabs(sum) > 9e15)
        return std::nullopt;
    const std::int64_t left = std::llround(sum) - floors;
    if (left < 0 || left > static_cast<std::int64_t>(units.size())) {
        for (std::size_t i = 0; i < values.size(); ++i)
            units[i] = std::llround(values[i]);
        return units;
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::int64_t i = 0; i < left; ++i)
        ++units[remainders[static_cast<std::size_t>(i)].second];
    return units;
}

struct TUseLine {
    std::int64_t ProdId = 0;
    std::string Product;
    double Quantity = 0.0;
    std::optional<std::int64_t> PremixComp;
    double ProductMass = 0.0;
};

class TWhereUsed {
public:
    explicit TWhereUsed(TDatabase* db) : FDb(db), FPremixes(HasTable(db, "Premixes")) {}

    // The products that use the component, and through each premix among them, the products that use it.
    // path holds the products on the way down, so a product met again is a cycle, not followed further.
    void Walk(std::int64_t compId, std::optional<double> perKg, std::vector<std::int64_t>& path,
              std::vector<std::string>& names) {
        // A product's lines of the component are one use.
        std::vector<TUseLine> uses;
        for (const TUseLine& line : UsesOf(compId)) {
            auto same =
                std::find_if(uses.begin(), uses.end(), [&](const TUseLine& u) { return u.ProdId == line.ProdId; });
            if (same == uses.end())
                uses.push_back(line);
            else
                same->Quantity += line.Quantity;
        }
        for (const TUseLine& use : uses) {
            TComponentUse row;
            row.Product = use.Product;
            row.Through.assign(names.rbegin(), names.rend());
            if (perKg && use.ProductMass != 0.0)
                row.PerKg = *perKg * use.Quantity / use.ProductMass;
            row.Cycle = std::find(path.begin(), path.end(), use.ProdId) != path.end();
            const std::optional<double> next = row.PerKg;
            const bool follow = !row.Cycle && use.PremixComp;
            Uses.push_back(std::move(row));
            if (!follow)
                continue;
            path.push_back(use.ProdId);
            names.push_back(use.Product);
            Walk(*use.PremixComp, next, path, names);
            path.pop_back();
            names.pop_back();
        }
    }

    std::optional<std::int64_t> PremixProduct(std::int64_t compId) {
        return FPremixes ? IdOf(FDb, PremixProductQuery, {compId}) : std::nullopt;
    }

    std::vector<TComponentUse> Uses;

private:
    const std::vector<TUseLine>& UsesOf(std::int64_t compId) {
        if (const auto known = FLines.find(compId); known != FLines.end())
            return known->second;
        std::vector<TUseLine> lines;
        FDb->ForEachRow(FPremixes ? UsesQuery : UsesWithoutPremixesQuery, {compId}, [&lines](const TResultRow& row) {
            TUseLine line;
            line.ProdId = Key(row.Value(0)).value_or(0);
            line.Product = row.Text(1);
            line.Quantity = Number(row.Value(2)).value_or(0.0);
            line.PremixComp = Key(row.Value(3));
            line.ProductMass = Number(row.Value(4)).value_or(0.0);
            lines.push_back(std::move(line));
        });
        return FLines.emplace(compId, std::move(lines)).first->second;
    }

    TDatabase* FDb;
    bool FPremixes;
    std::map<std::int64_t, std::vector<TUseLine>> FLines;
};

} // namespace

TFlatRecipe RawMaterialsOf(TDatabase* db, const std::string& product) {
    TFlatRecipe result;
    const auto prodId = IdOf(db, "SELECT Prod_ID FROM Products WHERE Product = ?", {product});
    if (!prodId)
        return result;
    result.Found = true;
    TFlattening flattening(db);
    const TMix& mix = flattening.Mix(*prodId);
    result.TotalMass = mix.Mass;
    result.PremixMass = mix.PremixMass;
    for (const auto& [id, part] : mix.Parts)
        result.Materials.push_back(part);
    std::sort(result.Materials.begin(), result.Materials.end(), [](const TRawMaterial& a, const TRawMaterial& b) {
        return a.Mass != b.Mass ? a.Mass > b.Mass : a.Component < b.Component;
    });
    return result;
}

TBatch MakeBatch(const TFlatRecipe& materials, double mass) {
    TBatch batch;
    batch.Mass = mass;
    const double scale = materials.TotalMass != 0.0 ? mass / materials.TotalMass : 1.0;
    std::vector<double> grams, percents, cents;
    std::vector<std::size_t> priced;
    for (const TRawMaterial& material : materials.Materials) {
        const double kg = material.Mass * scale;
        grams.push_back(kg * 1000.0);
        if (materials.TotalMass != 0.0)
            percents.push_back(material.Mass / materials.TotalMass * 10000.0);
        if (material.Price) {
            priced.push_back(batch.Rows.size());
            cents.push_back(kg * *material.Price * 100.0);
        }
        batch.Rows.push_back({material.Component, 0, {}, material.Price, {}, material.Flag, material.Premix});
    }
    const auto massUnits = Apportion(grams);
    if (!massUnits)
        throw Exception("The masses are too large to show");
    const auto percentUnits = Apportion(percents);
    const auto costUnits = Apportion(cents);
    for (std::size_t i = 0; i < batch.Rows.size(); ++i) {
        batch.Rows[i].Mass = (*massUnits)[i];
        batch.TotalMass += batch.Rows[i].Mass;
        if (percentUnits) {
            batch.Rows[i].Percent = (*percentUnits)[i];
            batch.TotalPercent += (*percentUnits)[i];
        }
    }
    for (std::size_t i = 0; costUnits && i < priced.size(); ++i) {
        batch.Rows[priced[i]].Cost = (*costUnits)[i];
        batch.TotalCost += (*costUnits)[i];
    }
    batch.CostIncomplete = !costUnits || priced.size() < batch.Rows.size();
    if (materials.PremixMass != 0.0) {
        // Half a cent per kg of every premix line, and of the product itself.
        const double bound = 0.5 * (std::fabs(materials.PremixMass * scale) + std::fabs(mass));
        batch.RoundingBound = std::isfinite(bound) && bound < 9e15 ? static_cast<std::int64_t>(std::ceil(bound)) : 0;
    }
    return batch;
}

std::vector<TComponentUse> WhereUsed(TDatabase* db, const std::string& component) {
    const auto compId = IdOf(db, "SELECT Comp_ID FROM Materials WHERE Component = ?", {component});
    if (!compId)
        return {};
    TWhereUsed walk(db);
    // A premix is part of its own product: a recipe that leads back to it is a cycle.
    std::vector<std::int64_t> path;
    if (const auto own = walk.PremixProduct(*compId))
        path.push_back(*own);
    std::vector<std::string> names;
    walk.Walk(*compId, 1.0, path, names);
    std::vector<TComponentUse> uses = std::move(walk.Uses);
    std::stable_sort(uses.begin(), uses.end(), [](const TComponentUse& a, const TComponentUse& b) {
        return a.Product != b.Product ? a.Product < b.Product : a.Through < b.Through;
    });
    return uses;
}

std::string PathText(const std::vector<std::string>& premixes) {
    std::string text;
    for (const std::string& name : premixes)
        text += (text.empty() ? "" : " > ") + name;
    return text;
}
