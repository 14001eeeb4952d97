#include "database/Premixes.h"

#include "database/Numbers.h"
#include "database/Prices.h"
#include "database/Products.h"
#include "text/SysUtils.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <map>

bool HasPremixTable(TDatabase* db) {
    return HasTable(db, "Premixes");
}

bool HasPremixes(TDatabase* db) {
    return HasPremixTable(db) && QueryFirst(db, "SELECT 1 FROM Premixes LIMIT 1;").has_value();
}

void EnsurePremixes(TDatabase* db) {
    ExecStatements(db, CreatePremixesTable);
}

namespace {

// "?, ?, ?" for count values.
std::string Places(std::size_t count) {
    std::string places;
    for (std::size_t i = 0; i < count; ++i)
        places += i ? ", ?" : "?";
    return places;
}

TValues AsValues(const std::vector<std::string>& texts) {
    return TValues(texts.begin(), texts.end());
}

std::string Joined(const std::vector<std::string>& names, const char* separator) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : separator) + name;
    return text;
}

// Premix products that use premix products, through lines whose component exists; the lines are found through
// the premixes' own numbers, never by reading all of them.
const char* const PremixUsesQuery =
    "SELECT DISTINCT R.Prod_ID, Y.Prod_ID FROM Recipes R JOIN Premixes Y ON Y.Comp_ID = R.Comp_ID JOIN Materials M ON "
    "M.Comp_ID = R.Comp_ID WHERE R.Prod_ID IN (SELECT Prod_ID FROM Premixes) ORDER BY 1, 2;";

// The premixes one product's recipe uses: their product numbers and names.
const char* const PremixesOfRecipe =
    "SELECT DISTINCT Y.Prod_ID, PY.Product FROM Recipes R JOIN Premixes Y ON Y.Comp_ID = R.Comp_ID JOIN Materials M "
    "ON M.Comp_ID = R.Comp_ID JOIN Products PY ON PY.Prod_ID = Y.Prod_ID WHERE R.Prod_ID = ? ORDER BY 2, 1;";

// The products below start through its premix lines, breadth first, until found says one is the one sought;
// returns the names from start's down to that one, or nothing.
std::vector<std::string> PathDown(TDatabase* db, const std::string& startId, const std::string& startName,
                                  const std::function<bool(const std::string& id, const std::string& name)>& found) {
    struct TStep {
        std::string Id;
        std::string Name;
        std::size_t Parent;
    };
    std::vector<TStep> steps{{startId, startName, 0}};
    std::map<std::string, bool> seen{{startId, true}};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (found(steps[i].Id, steps[i].Name)) {
            std::vector<std::string> path;
            for (std::size_t s = i;; s = steps[s].Parent) {
                path.push_back(steps[s].Name);
                if (s == 0)
                    break;
            }
            std::reverse(path.begin(), path.end());
            return path;
        }
        std::vector<std::pair<std::string, std::string>> below;
        ForEachRow(db, PremixesOfRecipe, {steps[i].Id},
                   [&below](const TResultRow& row) { below.emplace_back(row.Text(0), row.Text(1)); });
        for (auto& [id, name] : below)
            if (seen.emplace(id, true).second)
                steps.push_back({id, name, i});
    }
    return {};
}

std::string RefusalText(const std::string& premix, const std::string& product, const std::vector<std::string>& path) {
    return premix + " cannot go into " + product + ": " + product + " is part of " + premix + " (" +
           Joined(path, " > ") + ").";
}

// A premix's price per kg as its component takes it: a price too large to be a number is no price.
const char* const PremixPrice = "(CASE WHEN P.Price IN (?, ?) THEN NULL ELSE P.Price END)";

TValues Infinities() {
    constexpr double Infinite = std::numeric_limits<double>::infinity();
    return {Infinite, -Infinite};
}

// Writes the prices of the premix products ids to their components, where they differ, as a Post would: the
// date of today, and the price replaced into the history.
void WritePremixPrices(TDatabase* db, const std::vector<std::string>& ids) {
    const std::string differs = std::string(" ") + DiffersOperator(db) + " ";
    const std::string premixes = "FROM Premixes X JOIN Products P ON P.Prod_ID = X.Prod_ID JOIN Materials M ON "
                                 "M.Comp_ID = X.Comp_ID WHERE X.Prod_ID IN (" +
                                 Places(ids.size()) + ") AND M.Price" + differs + PremixPrice;
    TValues values = AsValues(ids);
    const TValues infinities = Infinities();
    values.insert(values.end(), infinities.begin(), infinities.end());
    if (!QueryFirst(db, "SELECT 1 " + premixes + ";", values))
        return;
    if (PriceHistoryUsable(db)) {
        EnsurePriceHistory(db);
        Execute(db,
                "INSERT INTO PriceHistory (Comp_ID, Price, Date) SELECT M.Comp_ID, M.Price, M.Date " + premixes +
                    " AND M.Price IS NOT NULL;",
                values);
    }
    TValues update = infinities;
    update.insert(update.end(), ids.begin(), ids.end());
    Execute(
        db,
        std::string("UPDATE Materials SET Price = S.Price, Date = CURRENT_DATE FROM (SELECT X.Comp_ID AS Comp_ID, ") +
            PremixPrice + " AS Price FROM Premixes X JOIN Products P ON P.Prod_ID = X.Prod_ID WHERE X.Prod_ID IN (" +
            Places(ids.size()) + ")) S WHERE Materials.Comp_ID = S.Comp_ID AND Materials.Price" + differs + "S.Price;",
        update);
}

std::vector<std::string> IdsOf(const TPremixOrder& order, const std::vector<std::size_t>& indexes) {
    std::vector<std::string> ids;
    for (std::size_t i : indexes)
        ids.push_back(order.Premixes[i].ProdId);
    return ids;
}

TRecomputation RollUp(TDatabase* db, const TPremixOrder& order) {
    for (const std::vector<std::size_t>& level : order.Levels) {
        const std::vector<std::string> ids = IdsOf(order, level);
        Execute(db, RecomputeStatement(db, "R.Prod_ID IN (" + Places(ids.size()) + ")"), AsValues(ids));
        WritePremixPrices(db, ids);
    }
    TRecomputation result;
    result.CycleNames = order.CycleNames;
    result.CyclePath = order.CyclePath;
    result.NotComputed = static_cast<int>(order.Blocked.size());
    return result;
}

// The components of the blocked premixes.
std::vector<std::string> BlockedComponents(const TPremixOrder& order) {
    std::vector<std::string> ids;
    for (std::size_t i : order.Blocked)
        ids.push_back(order.Premixes[i].CompId);
    return ids;
}

} // namespace

TPremixOrder ReadPremixOrder(TDatabase* db) {
    TPremixOrder order;
    if (!HasPremixTable(db))
        return order;
    std::map<std::string, std::size_t> byId;
    ForEachRow(db,
               "SELECT X.Prod_ID, X.Comp_ID, P.Product FROM Premixes X JOIN Products P ON P.Prod_ID = X.Prod_ID "
               "ORDER BY P.Product, X.Prod_ID;",
               [&](const TResultRow& row) {
                   byId.emplace(std::string(row.Text(0)), order.Premixes.size());
                   order.Premixes.push_back(
                       {std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2)), {}});
               });
    if (order.Premixes.empty())
        return order;
    ForEachRow(db, PremixUsesQuery, [&](const TResultRow& row) {
        const auto user = byId.find(std::string(row.Text(0)));
        const auto used = byId.find(std::string(row.Text(1)));
        if (user != byId.end() && used != byId.end())
            order.Premixes[user->second].Uses.push_back(used->second);
    });
    // A premix is computed once every premix it uses is; what never gets there is on or above a cycle.
    const std::size_t count = order.Premixes.size();
    std::vector<bool> done(count, false);
    for (std::size_t placed = 0;;) {
        std::vector<std::size_t> level;
        for (std::size_t i = 0; i < count; ++i)
            if (!done[i] && std::all_of(order.Premixes[i].Uses.begin(), order.Premixes[i].Uses.end(),
                                        [&done](std::size_t u) { return done[u]; }))
                level.push_back(i);
        if (level.empty())
            break;
        for (std::size_t i : level)
            done[i] = true;
        placed += level.size();
        order.Levels.push_back(std::move(level));
        if (placed == count)
            break;
    }
    for (std::size_t i = 0; i < count; ++i)
        if (!done[i])
            order.Blocked.push_back(i);
    // Which of those contain themselves, and the path of the first.
    for (std::size_t start : order.Blocked) {
        std::vector<std::size_t> parent(count, count);
        std::deque<std::size_t> queue{start};
        bool onCycle = false;
        while (!queue.empty() && !onCycle) {
            const std::size_t at = queue.front();
            queue.pop_front();
            for (std::size_t next : order.Premixes[at].Uses) {
                if (next == start) {
                    onCycle = true;
                    if (order.CyclePath.empty()) {
                        std::vector<std::string> path{order.Premixes[start].Product};
                        for (std::size_t s = at; s != start; s = parent[s])
                            path.push_back(order.Premixes[s].Product);
                        path.push_back(order.Premixes[start].Product);
                        std::reverse(path.begin() + 1, path.end() - 1);
                        order.CyclePath = std::move(path);
                    }
                    break;
                }
                if (parent[next] == count && next != start) {
                    parent[next] = at;
                    queue.push_back(next);
                }
            }
        }
        if (onCycle)
            order.CycleNames.push_back(order.Premixes[start].Product);
    }
    return order;
}

TRecomputation RollUpPremixes(TDatabase* db) {
    return RollUp(db, ReadPremixOrder(db));
}

TRecomputation RecomputeWithPremixes(TDatabase* db) {
    const TPremixOrder order = ReadPremixOrder(db);
    TRecomputation result = RollUp(db, order);
    // The premixes come out of the last pass as the levels left them, so it need not tell them apart; only what
    // uses a premix on or above a cycle is left out (those premixes among it), product by product rather than line
    // by line.
    std::string rest;
    const std::vector<std::string> blocked = BlockedComponents(order);
    if (!blocked.empty()) {
        const std::string users =
            "SELECT Prod_ID FROM Recipes WHERE Prod_ID IS NOT NULL AND Comp_ID IN (" + Places(blocked.size()) + ")";
        rest = "Products.Prod_ID NOT IN (" + users + ")";
        result.NotComputed += std::stoi(QueryFirst(db,
                                                   "SELECT COUNT(*) FROM Products WHERE Prod_ID IN (" + users +
                                                       ") AND Prod_ID NOT IN (SELECT Prod_ID FROM Premixes);",
                                                   AsValues(blocked))
                                            .value_or("0"));
    }
    Execute(db, RecomputeStatement(db, "", rest), AsValues(blocked));
    return result;
}

std::string CycleText(const TRecomputation& recomputation) {
    if (recomputation.CycleNames.empty())
        return {};
    return "Prices not computed for " + Joined(recomputation.CycleNames, ", ") + ": they contain each other (" +
           Joined(recomputation.CyclePath, " > ") + ").";
}

namespace {

std::optional<TPremixLink> FirstLink(TDatabase* db, const std::string& where, const std::string& name) {
    if (!HasPremixTable(db))
        return std::nullopt;
    std::optional<TPremixLink> link;
    ForEachRow(db,
               "SELECT X.Prod_ID, X.Comp_ID, P.Product, M.Component FROM Premixes X JOIN Products P ON P.Prod_ID = "
               "X.Prod_ID JOIN Materials M ON M.Comp_ID = X.Comp_ID WHERE " +
                   where + " = ?;",
               {name}, [&link](const TResultRow& row) {
                   link = TPremixLink{std::string(row.Text(0)), std::string(row.Text(1)), std::string(row.Text(2)),
                                      std::string(row.Text(3))};
               });
    return link;
}

} // namespace

std::optional<TPremixLink> PremixOfProduct(TDatabase* db, const std::string& product) {
    return FirstLink(db, "P.Product", product);
}

std::optional<TPremixLink> PremixOfComponent(TDatabase* db, const std::string& component) {
    return FirstLink(db, "M.Component", component);
}

int ProductsUsing(TDatabase* db, const std::string& compId) {
    return std::stoi(QueryFirst(db,
                                "SELECT COUNT(DISTINCT R.Prod_ID) FROM Recipes R JOIN Products P ON P.Prod_ID = "
                                "R.Prod_ID WHERE R.Comp_ID = ?;",
                                {compId})
                         .value_or("0"));
}

std::string PremixInUseText(const std::string& product, int products) {
    return product + " is a premix used in " + std::to_string(products) + (products == 1 ? " product" : " products") +
           "; remove it from them first.";
}

std::string PremixComponentText(const TPremixLink& premix) {
    return premix.Component + " is the premix of the product " + premix.Product + "; use Stop Using as Premix first.";
}

std::string PremixLineRefusal(TDatabase* db, const std::string& product, const std::string& component) {
    const std::optional<TPremixLink> premix = PremixOfComponent(db, component);
    if (!premix)
        return {};
    const std::vector<std::string> path =
        PathDown(db, premix->ProdId, premix->Product,
                 [&product](const std::string&, const std::string& name) { return name == product; });
    return path.empty() ? std::string() : RefusalText(premix->Component, product, path);
}

TPremixCandidate CheckPremixCandidate(TDatabase* db, const std::string& product) {
    TPremixCandidate candidate;
    const auto prodId = QueryFirst(db, "SELECT Prod_ID FROM Products WHERE Product = ?;", {product});
    const auto compId = QueryFirst(db, "SELECT Comp_ID FROM Materials WHERE Component = ?;", {product});
    if (!prodId || !compId)
        return candidate;
    if (const auto linked = PremixOfComponent(db, product)) {
        candidate.Refusal = PremixComponentText(*linked);
        return candidate;
    }
    candidate.ComponentExists = true;
    // Linked, the component stands for the product in every recipe that uses it: none of those may be below it.
    const std::vector<std::string> path =
        PathDown(db, *prodId, product, [db, &compId](const std::string& id, const std::string&) {
            return QueryFirst(db, "SELECT 1 FROM Recipes WHERE Prod_ID = ? AND Comp_ID = ?;", {id, *compId})
                .has_value();
        });
    if (!path.empty())
        candidate.Refusal = RefusalText(product, path.back(), path);
    return candidate;
}

std::string LinkQuestion(const std::string& product) {
    return "A component named " + product + " exists. Make it the premix of the product " + product +
           "? Its price will then come from the recipe.";
}

void UseAsPremix(TDatabase* db, const std::string& product) {
    InTransaction(db, [db, &product] {
        EnsurePremixes(db);
        std::optional<std::string> prodId;
        TValue price;
        ForEachRow(db, "SELECT Prod_ID, Price FROM Products WHERE Product = ?;", {product}, [&](const TResultRow& row) {
            prodId = std::string(row.Text(0));
            price = row.Value(1);
        });
        if (!prodId || PremixOfProduct(db, product))
            return;
        const TPremixCandidate candidate = CheckPremixCandidate(db, product);
        if (!candidate.Refusal.empty())
            throw Exception(candidate.Refusal);
        std::optional<std::string> compId =
            QueryFirst(db, "SELECT Comp_ID FROM Materials WHERE Component = ?;", {product});
        if (!compId) {
            Execute(db, "INSERT INTO Materials (Component, Price, Date) VALUES (?, ?, CURRENT_DATE);",
                    {product, price});
            compId = std::to_string(GiveNewComponentItsNumber(db));
        }
        // A link left by a product that is gone gives way.
        Execute(db, "DELETE FROM Premixes WHERE Comp_ID = ?;", {*compId});
        Execute(db, "INSERT INTO Premixes (Comp_ID, Prod_ID) VALUES (?, ?);", {*compId, *prodId});
        RollUpPremixes(db);
    });
}

void StopUsingAsPremix(TDatabase* db, const std::string& product) {
    if (!HasPremixTable(db))
        return;
    Execute(db, "DELETE FROM Premixes WHERE Prod_ID IN (SELECT Prod_ID FROM Products WHERE Product = ?);", {product});
}

std::vector<std::string> PremixLines(TDatabase* db, const std::string& product) {
    std::vector<std::string> ids;
    if (!HasPremixTable(db))
        return ids;
    ForEachRow(db,
               "SELECT R.ID FROM Recipes R JOIN Products P ON P.Prod_ID = R.Prod_ID JOIN Premixes X ON X.Comp_ID = "
               "R.Comp_ID WHERE P.Product = ? ORDER BY R.ID;",
               {product}, [&ids](const TResultRow& row) { ids.emplace_back(row.Text(0)); });
    return ids;
}

std::vector<std::string> PremixComponentIds(TDatabase* db) {
    std::vector<std::string> ids;
    if (!HasPremixTable(db))
        return ids;
    ForEachRow(db, "SELECT Comp_ID FROM Premixes ORDER BY Comp_ID;",
               [&ids](const TResultRow& row) { ids.emplace_back(row.Text(0)); });
    return ids;
}
