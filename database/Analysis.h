// The statements of the price analysis: the products to choose from, and the recipe lines of the one chosen.
#pragma once

#include "database/Database.h"

#include <string>

// Every product's name once, by name.
inline constexpr const char* AnalysisProductsQuery = "SELECT Distinct Product from Products order by Product;";

// The recipe lines of product as the relation Report gives them: the component, the quantity, the line's cost,
// and 1 when the component has no usable price (so its cost means nothing). The name goes in quoted.
std::string AnalysisLinesQuery(TEngine engine, const std::string& product);
