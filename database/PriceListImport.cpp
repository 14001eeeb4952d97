#include "database/PriceListImport.h"

#include "database/Database.h"
#include "text/StrMan.h"

#include <memory>
#include <unordered_set>

namespace {

// The new prices of one action, by component: the comparisons and the update read them from here, so the
// whole list is one statement each, whatever its length.
const char* const CreateImportPrices = "DROP TABLE IF EXISTS temp.ImportPrices;"
                                       "CREATE TEMP TABLE ImportPrices (Comp_ID INTEGER PRIMARY KEY, Price REAL);";
const char* const DropImportPrices = "DROP TABLE IF EXISTS temp.ImportPrices;";
const char* const NewPriceOfRow = "(SELECT N.Price FROM temp.ImportPrices N WHERE N.Comp_ID = Materials.Comp_ID)";

void FillImportPrices(TDatabase* db, const std::vector<TNewPrice>& prices) {
    ExecStatements(db, CreateImportPrices);
    constexpr std::size_t RowsPerStatement = 500;
    std::string insert;
    for (std::size_t first = 0; first < prices.size(); first += RowsPerStatement) {
        insert = "INSERT OR REPLACE INTO temp.ImportPrices (Comp_ID, Price) VALUES ";
        const std::size_t last = std::min(prices.size(), first + RowsPerStatement);
        for (std::size_t i = first; i < last; ++i) {
            insert.append(i == first ? "('" : ",('")
                .append(StringManager.QuoteSql(prices[i].CompId))
                .append("','")
                .append(StringManager.QuoteSql(prices[i].Price))
                .append("')");
        }
        insert += ';';
        ExecStatements(db, insert);
    }
}

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

TImportPreview PreviewPriceImport(TDatabase* db, const TPriceList& list) {
    TImportPreview preview;
    InReadTransaction(db, [&] {
        std::vector<std::string> ids;
        std::vector<std::string> names;
        std::vector<std::string> prices;
        ForEachRow(db, "SELECT Comp_ID, Component, Price FROM Materials;", [&](const TResultRow& row) {
            ids.emplace_back(row.Text(0));
            names.emplace_back(row.Text(1));
            prices.emplace_back(row.Text(2));
        });
        TPriceListMatch match = MatchPriceList(list, names);
        preview.Skipped = std::move(match.Skipped);
        if (match.Prices.empty())
            return;
        std::vector<TNewPrice> candidates;
        candidates.reserve(match.Prices.size());
        for (const TMatchedPrice& price : match.Prices)
            candidates.push_back({ids[price.Component], price.Price});
        // SQLite decides what differs, exactly as the update will.
        FillImportPrices(db, candidates);
        std::unordered_set<std::string> differing;
        ForEachRow(db,
                   "SELECT N.Comp_ID FROM temp.ImportPrices N JOIN Materials M ON M.Comp_ID = N.Comp_ID "
                   "WHERE M.Price IS NOT N.Price;",
                   [&](const TResultRow& row) { differing.emplace(row.Text(0)); });
        ExecStatements(db, DropImportPrices);
        std::vector<TNewPrice> changed;
        for (const TMatchedPrice& price : match.Prices) {
            const std::string& id = ids[price.Component];
            if (!differing.contains(id)) {
                ++preview.Unchanged;
                continue;
            }
            preview.Changes.push_back({price.Line, id, names[price.Component], prices[price.Component], price.Price});
            changed.push_back({id, price.Price});
        }
        preview.Products = PriceImpact(db, changed);
    });
    return preview;
}

std::string ImportSummary(const TImportPreview& preview) {
    return Counted(preview.Changes.size(), "price changes", "prices change") + ", " +
           std::to_string(preview.Unchanged) + " unchanged, " +
           Counted(preview.Skipped.size(), "line skipped", "lines skipped") + "; " +
           Counted(preview.Products.size(), "product changes price", "products change price");
}

TImportPreview PreviewPriceImport(const TPriceList& list) {
    // Closed whatever way the preview ends; it leaves no statement open.
    const std::unique_ptr<TDatabase> connection = OpenSQLiteDatabase(DatabaseFileName);
    TDatabase* db = connection.get();
    // The impact reads every recipe line of the products concerned through the indexes: pages read once stay
    // in memory instead of being read again from the file (up to 64 MB, taken only as needed).
    ExecStatements(db, "PRAGMA cache_size = -65536;");
    return PreviewPriceImport(db, list);
}

int ApplyPriceImport(TDatabase* db, const std::vector<TNewPrice>& prices) {
    int changed = 0;
    if (prices.empty())
        return changed;
    InTransaction(db, [&] {
        FillImportPrices(db, prices);
        RecordPriceChange(db, "Comp_ID IN (SELECT Comp_ID FROM temp.ImportPrices)", NewPriceOfRow);
        ExecStatements(db, std::string("UPDATE Materials SET Price = ") + NewPriceOfRow +
                               ", Date = CURRENT_DATE WHERE Comp_ID IN (SELECT N.Comp_ID FROM temp.ImportPrices N "
                               "WHERE N.Comp_ID = Materials.Comp_ID AND Materials.Price IS NOT N.Price);");
        changed = ChangedRows(db);
        ExecStatements(db, DropImportPrices);
    });
    return changed;
}
