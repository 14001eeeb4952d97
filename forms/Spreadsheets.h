// Spreadsheet files of the lists on display, shared by the windows that write one: the save chooser, the
// workbook and the confirmation, and the sheets of the main window's lists and of a recipe.
#pragma once

#include "database/Components.h"
#include "spreadsheet/Workbook.h"
#include "text/Costing.h"

#include <functional>
#include <string>
#include <vector>

class TStringGrid;

// What the recipe grid and the price analysis say of a line without a price.
inline constexpr const char* NoPriceNote = "No price for this component";

// The note the product list gives a recipe's price that leaves out the lines without one.
std::string IncompleteRecipeNote(const std::string& product, const std::vector<TCostLine>& lines);

// Asks for the file's name, starting with defaultName ("RawMaterials.xlsx") in the current folder, then writes
// the sheet makeSheet gives and confirms with "Done... See NAME". Nothing is asked of makeSheet when the user
// cancels; a file that cannot be written ends the action with its error.
void SaveSpreadsheet(const std::string& defaultName, const std::function<TSheet()>& makeSheet);

// The note of a grid cell that the lists mark as an incomplete price; empty for an unmarked cell.
std::string CellFlag(const TStringGrid& grid, int col, int row);

// A list of names and prices per kg as its grid shows it (the component or the product list), with the stored
// prices of the list's rows (ReadPriceList) for their exact values, and the grid's marks.
TSheet PriceListSheet(const TStringGrid& grid, const std::string& sheetName, const std::string& nameHeader,
                      const std::vector<TNamedPrice>& stored);

// A recipe's lines with their share of the mass, their price per kg and cost, the product and its total above
// them and their totals below.
TSheet RecipeSheet(const std::string& product, const std::vector<TCostLine>& lines);
