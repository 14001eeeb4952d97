// The statements of the reports on the components. Each result row, its columns joined, is one line of a
// report: the tabs and blanks between its columns are literals of the select list.
#pragma once

#include "database/Database.h"

#include <string>

// The components without a usable price (none, 0, or a text that is no number), by name.
const std::string& MissingPricesReport(TEngine engine);

// The other reports in the words of a server where the file's differ: the server sorts an empty value last
// and keeps no order of its own for rows the file gives in the order of their index or their entry.
const char* ObsoleteComponentsReportOn(TEngine engine);
const char* ComponentsByDateReportOn(TEngine engine);
const char* ComponentsInRecipesReportOn(TEngine engine);

// The components no recipe line uses. A line without a component must not hide every unused one: NOT IN
// over a NULL is never true.
inline constexpr const char* ObsoleteComponentsReport =
    "SELECT M.Component FROM Materials M WHERE M.COMP_ID NOT IN (SELECT COMP_ID FROM RECIPES WHERE COMP_ID IS "
    "NOT NULL);";

// Every component by entry date, then name: the date, two blanks, the name, a tab, the price.
inline constexpr const char* ComponentsByDateReport =
    "Select Date,'  ',Component,'\t',Price from materials order by date, Component;";

// Every use of a component in a recipe, by component: its name, a tab, the product, a tab, the mass in kg.
inline constexpr const char* ComponentsInRecipesReport =
    "Select Component,'\t', Product,'\t', Quantity from Components_in_Recipes order by component;";
