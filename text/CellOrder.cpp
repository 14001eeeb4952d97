#include "text/CellOrder.h"

#include "text/Fold.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A unit after a figure: letters, a percent sign, blanks.
bool IsUnit(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 || IsBlank(c) || c == '%' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// The value of a figure as the lists show it, or nothing for any other text.
std::optional<double> FigureValue(std::string_view text) {
    std::string number;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        number += text[at++];
    const std::size_t digitsFrom = at;
    while (at < text.size()) {
        if (IsDigit(text[at])) {
            number += text[at++];
            continue;
        }
        // A thousands separator stands between a digit and exactly three more.
        const bool grouped = ThousandSeparator && text[at] == ThousandSeparator && at > digitsFrom &&
                             at + 3 < text.size() && IsDigit(text[at + 1]) && IsDigit(text[at + 2]) &&
                             IsDigit(text[at + 3]) && (at + 4 >= text.size() || !IsDigit(text[at + 4]));
        if (!grouped)
            break;
        ++at;
    }
    if (at == digitsFrom)
        return std::nullopt;
    if (at + 1 < text.size() && text[at] == DecimalSeparator && IsDigit(text[at + 1])) {
        number += '.';
        for (++at; at < text.size() && IsDigit(text[at]); ++at)
            number += text[at];
    }
    if (!IsUnit(text.substr(at)))
        return std::nullopt;
    const ParseResult parsed = ParseNumber(number);
    if (parsed.ErrorPos)
        return std::nullopt;
    return parsed.Value;
}

struct TCellKey {
    enum TKind { Figure, Text, Empty } Kind = Empty;
    double Value = 0.0;
    std::string Folded;
    std::string Bytes; // blanks around it left out
};

TCellKey KeyOf(std::string_view cell) {
    TCellKey key;
    key.Bytes = Trim(cell);
    if (key.Bytes.empty())
        return key;
    if (const auto value = FigureValue(key.Bytes)) {
        key.Kind = TCellKey::Figure;
        key.Value = *value;
        return key;
    }
    key.Kind = TCellKey::Text;
    key.Folded = SearchFolded(key.Bytes);
    return key;
}

int Compare(const TCellKey& a, const TCellKey& b) {
    if (a.Kind != b.Kind)
        return a.Kind < b.Kind ? -1 : 1;
    if (a.Kind == TCellKey::Figure)
        return a.Value < b.Value ? -1 : b.Value < a.Value ? 1 : 0;
    if (a.Kind == TCellKey::Empty)
        return 0;
    if (const int letters = a.Folded.compare(b.Folded))
        return letters < 0 ? -1 : 1;
    const int bytes = a.Bytes.compare(b.Bytes);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

} // namespace

int CompareCells(std::string_view a, std::string_view b) {
    return Compare(KeyOf(a), KeyOf(b));
}

std::vector<std::size_t> SortedRows(const std::vector<std::string>& cells, bool descending) {
    std::vector<TCellKey> keys;
    keys.reserve(cells.size());
    for (const std::string& cell : cells)
        keys.push_back(KeyOf(cell));
    std::vector<std::size_t> rows(cells.size());
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    std::stable_sort(rows.begin(), rows.end(), [&keys, descending](std::size_t a, std::size_t b) {
        const TCellKey& x = keys[a];
        const TCellKey& y = keys[b];
        // Empty cells stay at the end whichever way the column is sorted.
        if ((x.Kind == TCellKey::Empty) != (y.Kind == TCellKey::Empty))
            return y.Kind == TCellKey::Empty;
        return descending ? Compare(y, x) < 0 : Compare(x, y) < 0;
    });
    return rows;
}
