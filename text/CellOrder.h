// The order of a list's rows when the user sorts it by one column: figures by their value under the locale's
// separators, other text as names are compared (without case and accents), empty cells after all others.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Negative, 0 or positive as cell a sorts before, with or after cell b in ascending order: figures (with a sign,
// the locale's separators, a unit after them such as "KB" or "%") before text, by value; text by its letters,
// then by its bytes; empty cells (blanks only) last.
int CompareCells(std::string_view a, std::string_view b);

// The rows in their sorted order, as indexes into cells: ascending or descending, rows that compare equal in
// the order given, and the empty cells last in either direction.
std::vector<std::size_t> SortedRows(const std::vector<std::string>& cells, bool descending);
