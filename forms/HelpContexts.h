// The help file and the numbers of its topics: one topic per window, list or dialog that asks for help.
#pragma once

// Help file names match ignoring case, so this one name finds the file whatever its spelling on disk.
inline constexpr const char* HelpFileName = "BRIVANE.HLP";

inline constexpr int HelpMainWindow = 3;    // the main window before a list is shown
inline constexpr int HelpComponents = 4;    // the component list and the Edit Materials dialog
inline constexpr int HelpReports = 5;       // the reports window
inline constexpr int HelpProducts = 6;      // the product list
inline constexpr int HelpRecipe = 7;        // the recipe and the Edit Recipe dialog
inline constexpr int HelpAnalysis = 8;      // the price analysis
inline constexpr int HelpPriceHistory = 9;  // the price history of a component
inline constexpr int HelpPriceImpact = 10;  // the impact of a price change
inline constexpr int HelpPriceImport = 11;  // the import of a price list
inline constexpr int HelpBackups = 12;      // the backups of the database
inline constexpr int HelpRawMaterials = 13; // the raw materials of a product, through its premixes
inline constexpr int HelpWhereUsed = 14;    // the products a component is used in, through premixes
