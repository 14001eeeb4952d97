#include "database/PriceListImport.h"

#include "database/Database.h"
#include "database/Premixes.h"
#include "database/Products.h"
#include "text/Encoding.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

namespace {

// The new prices of one action, by component, with the name and the stored price the preview read: the
// comparisons, the check before Apply and the update read them from here, so the whole list is one
// statement each, whatever its length.
const char* const CreateImportPrices =
    "DROP TABLE IF EXISTS temp.ImportPrices;"
    "CREATE TEMP TABLE ImportPrices (Comp_ID INTEGER PRIMARY KEY, Price REAL, Line INTEGER, Component, Now);";
// A server's columns have types: the stored price is a number there, as every price is.
const char* const CreateImportPricesOnServer =
    "DROP TABLE IF EXISTS pg_temp.ImportPrices;"
    "CREATE TEMP TABLE ImportPrices (Comp_ID bigint PRIMARY KEY, Price double precision, Line bigint, Component "
    "text COLLATE \"C\", Now double precision);";

std::string ImportPrices(TDatabase* db) {
    return TemporaryTable(db, "ImportPrices");
}

std::string DropImportPrices(TDatabase* db) {
    return "DROP TABLE IF EXISTS " + ImportPrices(db) + ";";
}

std::string NewPriceOfRow(TDatabase* db) {
    return "(SELECT N.Price FROM " + ImportPrices(db) + " N WHERE N.Comp_ID = Materials.Comp_ID)";
}

void FillImportPrices(TDatabase* db, const std::vector<TPriceChange>& changes) {
    ExecStatements(db, db->Engine() == TEngine::PostgreSQL ? CreateImportPricesOnServer : CreateImportPrices);
    ReplaceRows(
        db, ImportPrices(db), {"Comp_ID", "Price", "Line", "Component", "Now"}, changes.size(),
        [&changes](std::size_t i, TValues& values) {
            const TPriceChange& change = changes[i];
            values.insert(values.end(), {change.CompId, change.New, change.Line, change.Component, change.Stored});
        });
}

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

TImportPreview PreviewPriceImport(TDatabase* db, const TPriceLineSource& lines) {
    TImportPreview preview;
    InReadTransaction(db, [&] {
        std::vector<std::string> ids;
        std::vector<std::string> names;
        std::vector<std::string> prices;
        std::vector<TValue> stored;
        ForEachRow(db, "SELECT Comp_ID, Component, Price FROM Materials;", [&](const TResultRow& row) {
            ids.emplace_back(row.Text(0));
            names.emplace_back(row.Text(1));
            prices.emplace_back(row.Text(2));
            stored.push_back(row.Value(2));
        });
        TPriceListMatcher matcher(names);
        preview.Layout = lines([&matcher](const TPriceListLine& line) { matcher.Add(line); });
        TPriceListMatch& match = matcher.Match();
        preview.Skipped = std::move(match.Skipped);
        preview.MoreSkipped = match.MoreSkipped;
        // A premix's price is the one its recipe gives; a list cannot set it.
        const std::vector<std::string> premixIds = PremixComponentIds(db);
        const std::unordered_set<std::string> premixes(premixIds.begin(), premixIds.end());
        std::vector<TPriceChange> candidates;
        candidates.reserve(match.Prices.size());
        bool premixSkipped = false;
        for (const TMatchedPrice& price : match.Prices) {
            const std::size_t c = price.Component;
            if (premixes.contains(ids[c])) {
                preview.Skipped.push_back({price.Line, names[c], "a premix: its price comes from its recipe"});
                premixSkipped = true;
                continue;
            }
            candidates.push_back({price.Line, ids[c], names[c], prices[c], price.Price, stored[c]});
        }
        if (premixSkipped) {
            std::stable_sort(preview.Skipped.begin(), preview.Skipped.end(),
                             [](const TSkippedLine& a, const TSkippedLine& b) { return a.Line < b.Line; });
            if (preview.Skipped.size() > SkippedLinesKept) {
                preview.MoreSkipped += preview.Skipped.size() - SkippedLinesKept;
                preview.Skipped.resize(SkippedLinesKept);
            }
        }
        if (candidates.empty())
            return;
        // SQLite decides what differs, exactly as the update will.
        FillImportPrices(db, candidates);
        std::unordered_set<std::string> differing;
        ForEachRow(db,
                   "SELECT N.Comp_ID FROM " + ImportPrices(db) + " N JOIN Materials M ON M.Comp_ID = N.Comp_ID WHERE " +
                       "M.Price " + DiffersOperator(db) + " N.Price;",
                   [&](const TResultRow& row) { differing.emplace(row.Text(0)); });
        ExecStatements(db, DropImportPrices(db));
        std::vector<TNewPrice> changed;
        for (TPriceChange& candidate : candidates) {
            if (!differing.contains(candidate.CompId)) {
                ++preview.Unchanged;
                continue;
            }
            changed.push_back({candidate.CompId, candidate.New});
            preview.Changes.push_back(std::move(candidate));
        }
        preview.Products = PriceImpact(db, changed);
    });
    return preview;
}

TImportPreview PreviewPriceImport(TDatabase* db, const TPriceList& list) {
    return PreviewPriceImport(db, [&list](const std::function<void(const TPriceListLine&)>& line) {
        for (const TPriceListLine& each : list.Lines)
            line(each);
        return static_cast<const TPriceListLayout&>(list);
    });
}

std::string ImportSummary(const TImportPreview& preview) {
    return Counted(preview.Changes.size(), "price changes", "prices change") + ", " +
           std::to_string(preview.Unchanged) + " unchanged, " +
           Counted(preview.Skipped.size() + preview.MoreSkipped, "line skipped", "lines skipped") + "; " +
           Counted(preview.Products.size(), "product changes price", "products change price");
}

TImportPreview PreviewPriceImport(const TPriceLineSource& lines) {
    // A connection of its own, as the preview runs beside the window's actions; closed whatever way the preview
    // ends, it leaves no statement open.
    if (ChosenDatabase().Engine == TEngine::PostgreSQL) {
        const std::unique_ptr<TDatabase> connection = OpenPostgreSQLDatabase(ChosenDatabase().Connection);
        return PreviewPriceImport(connection.get(), lines);
    }
    const std::unique_ptr<TDatabase> connection = OpenSQLiteDatabase(DatabaseFileName);
    TDatabase* db = connection.get();
    // The impact reads every recipe line of the products concerned through the indexes: pages read once stay
    // in memory instead of being read again from the file (up to 64 MB, taken only as needed).
    ExecStatements(db, "PRAGMA cache_size = -65536;");
    return PreviewPriceImport(db, lines);
}

TImportResult ApplyPriceImport(TDatabase* db, const std::vector<TPriceChange>& changes) {
    TImportResult result;
    if (changes.empty())
        return result;
    InTransaction(db, [&] {
        FillImportPrices(db, changes);
        // A component deleted, renamed or repriced since the preview, or its number given to another one, is
        // not the one the user saw: its new price would land elsewhere or undo a later change.
        // The server compares texts by their bytes already.
        const bool server = db->Engine() == TEngine::PostgreSQL;
        ForEachRow(db,
                   "SELECT N.Component FROM " + ImportPrices(db) +
                       " N LEFT JOIN Materials M ON M.Comp_ID = N.Comp_ID WHERE M.Comp_ID IS NULL OR " +
                       (server ? "M.Component IS DISTINCT FROM N.Component OR M.Price IS DISTINCT FROM N.Now"
                               : "CAST(M.Component AS BLOB) IS NOT CAST(N.Component AS BLOB) OR M.Price IS NOT N.Now") +
                       " ORDER BY N.Line;",
                   [&](const TResultRow& row) { result.Moved.emplace_back(row.Text(0)); });
        if (result.Moved.empty()) {
            std::vector<TNewPrice> prices;
            prices.reserve(changes.size());
            for (const TPriceChange& change : changes)
                prices.push_back({change.CompId, change.New});
            RecordPriceChanges(db, prices);
            ExecStatements(db, "UPDATE Materials SET Price = " + NewPriceOfRow(db) +
                                   ", Date = CURRENT_DATE WHERE Comp_ID IN (SELECT N.Comp_ID FROM " + ImportPrices(db) +
                                   " N WHERE N.Comp_ID = Materials.Comp_ID AND Materials.Price " + DiffersOperator(db) +
                                   " N.Price);");
            result.Changed = ChangedRows(db);
        }
        ExecStatements(db, DropImportPrices(db));
    });
    return result;
}

std::string NotAppliedText(const std::vector<std::string>& moved) {
    constexpr std::size_t Named = 3;
    std::string names;
    const std::size_t shown = moved.size() > Named ? Named : moved.size();
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            names += i + 1 == shown && moved.size() <= Named ? " and " : ", ";
        names += AsUtf8(moved[i]);
    }
    if (moved.size() > Named)
        names += " and " + std::to_string(moved.size() - Named) + " more";
    return "The price list was not applied: " + Counted(moved.size(), "component changed", "components changed") +
           " since the preview (" + names + "). Preview it again.";
}
