#include "Spreadsheets.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "platform/Dialogs.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <algorithm>
#include <deque>
#include <map>

namespace {

const char* const SpreadsheetFilter = "Spreadsheets (*.xlsx);;All files (*)";

std::optional<double> StoredNumber(std::string_view text) {
    const ParseResult number = ParseNumber(StringManager.CommaToPoint(text));
    if (number.ErrorPos)
        return std::nullopt;
    return number.Value;
}

TSheetCell Number(std::optional<double> value, int decimals) {
    return value ? NumberCell(*value, decimals) : TSheetCell();
}

} // namespace

std::string IncompleteRecipeNote(const std::string& product, const std::vector<TCostLine>& lines) {
    TIncompletePrice price;
    price.Product = product;
    for (const TCostLine& line : lines)
        if (!line.Priced)
            price.NoPriceNames.push_back(line.Component);
    std::sort(price.NoPriceNames.begin(), price.NoPriceNames.end());
    price.NoPriceNames.erase(std::unique(price.NoPriceNames.begin(), price.NoPriceNames.end()),
                             price.NoPriceNames.end());
    price.NoPrice = static_cast<int>(price.NoPriceNames.size());
    return IncompletePriceNote(price);
}

void SaveSpreadsheet(const std::string& defaultName, const std::function<TSheet()>& makeSheet) {
    std::string fileName;
    if (!SaveFileName("Export to Spreadsheet", SpreadsheetFilter, defaultName, fileName))
        return;
    WriteWorkbook(fileName, makeSheet(), DatabaseFileName);
    ShowMessage("Done... See " + fileName);
}

std::string CellFlag(const TStringGrid& grid, int col, int row) {
    return grid.CellData(col, row, Qt::AccessibleDescriptionRole).toString().toStdString();
}

TSheet PriceListSheet(const TStringGrid& grid, const std::string& sheetName, const std::string& nameHeader,
                      const std::vector<TNamedPrice>& stored) {
    // A name may be in the list more than once: its rows are taken in the list's order.
    std::map<std::string_view, std::deque<std::string_view>> prices;
    for (const TNamedPrice& row : stored)
        prices[row.Name].push_back(row.Price);
    TSheet sheet;
    sheet.Name = sheetName;
    sheet.Header = {nameHeader, "Price/kg"};
    for (int r = 1; r <= grid.RowCount() - 2; ++r) {
        const std::string& name = grid.Cells(0, r);
        std::optional<double> price;
        if (auto found = prices.find(name); found != prices.end() && !found->second.empty()) {
            price = StoredNumber(found->second.front());
            found->second.pop_front();
        } else if (const ParseResult shown = ParseNumber(LocaleToPoint(Trim(grid.Cells(1, r)))); !shown.ErrorPos) {
            // Changed since the list was loaded: the price as shown.
            price = shown.Value;
        }
        TSheetCell cell = Number(price, 2);
        if (std::string flag = CellFlag(grid, 1, r); !flag.empty())
            cell = Flagged(std::move(cell), std::move(flag));
        sheet.Rows.push_back({TextCell(name), std::move(cell)});
    }
    return sheet;
}

TSheet RecipeSheet(const std::string& product, const std::vector<TCostLine>& lines) {
    const TRecipeCosting costing = CostRecipe(lines);
    TSheet sheet;
    sheet.Name = "Recipe";
    sheet.Title = {{Bold(TextCell("Recipe of " + product))},
                   {TextCell("Total mass (kg)"), NumberCell(costing.TotalMass, 3)}};
    sheet.Header = {"Component", "Mass (kg)", "%", "Price/kg", "Cost"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TLineCosting& line = costing.Lines[i];
        TSheetRow row = {TextCell(lines[i].Component), NumberCell(lines[i].Mass, 3),
                         line.Fraction ? FractionCell(*line.Fraction) : TSheetCell(), Number(line.PricePerKg, 2),
                         Number(line.Cost, 2)};
        if (!lines[i].Priced) {
            row[3] = Flagged(row[3], NoPriceNote);
            row[4] = Flagged(row[4], NoPriceNote);
        }
        sheet.Rows.push_back(std::move(row));
    }
    TSheetRow totals = {Bold(TextCell("Total")), Bold(NumberCell(costing.TotalMass, 3)),
                        costing.TotalMass != 0.0 ? Bold(FractionCell(1.0)) : TSheetCell(),
                        Bold(Number(costing.PricePerKg, 2)), Bold(NumberCell(costing.Cost, 2))};
    if (costing.Incomplete)
        totals[3] = Flagged(totals[3], IncompleteRecipeNote(product, lines));
    sheet.Rows.push_back(std::move(totals));
    return sheet;
}
