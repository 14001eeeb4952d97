// A supplier's price list: a text file with one component per line, its name in the first field and its
// price per kg in a later one, and how its lines meet the component list.
#pragma once

#include "text/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest file read as a price list.
inline constexpr std::uintmax_t PriceListMaxBytes = 50u * 1024 * 1024;

// One line of the list that is neither empty nor the header.
struct TPriceListLine {
    int Line = 0;       // its number in the file, from 1
    std::string Name;   // the first field, trimmed, as UTF-8
    std::string Price;  // the first later field that is a number, with a point ("2.50", "-1.5"); empty when none
    double Value = 0.0; // that number
};

struct TPriceList {
    std::vector<TPriceListLine> Lines;
    char Separator = ',';
    bool HasHeader = false;
};

// Raised when the reading is stopped before its end.
class EPriceListStopped : public Exception {
public:
    EPriceListStopped() : Exception("The price list was not read to its end") {}
};

// Told how far the reading has come, from 0 to 1; returns false to stop it.
using TReadProgress = std::function<bool(double done)>;

// The list that bytes, a whole file's content, hold: UTF-8 (a BOM is skipped), UTF-16 with its BOM, or
// else Windows-1252; any line ends; tab, semicolon or comma between fields; fields in double quotes.
TPriceList ParsePriceList(std::string_view bytes, const TReadProgress& progress = {});

// Reads the file, which stays as it is. A file over PriceListMaxBytes, or one that cannot be read, raises
// Exception with a message that names the file and the reason.
TPriceList ReadPriceList(const std::string& fileName, const TReadProgress& progress = {});

// The number a field holds, as text with a point and as a value: blanks and one currency sign or
// three-letter code around it are ignored; a comma is a decimal separator only with decimalComma; no
// grouping marks, no exponent.
struct TPriceField {
    std::string Price;
    double Value = 0.0;
};
std::optional<TPriceField> ParsePriceField(std::string_view field, bool decimalComma);

// The form in which names are compared: decoded (UTF-8, else Windows-1252), trimmed, a to z upper-cased.
std::string NameKey(std::string_view name);

// A line that names a known component once, with a price above 0; Component indexes the names matched.
struct TMatchedPrice {
    int Line = 0;
    std::size_t Component = 0;
    std::string Price;
    double Value = 0.0;
};

// A line that cannot be applied: its number, the name it gives and why.
struct TSkippedLine {
    int Line = 0;
    std::string Name;
    std::string Reason;
};

struct TPriceListMatch {
    std::vector<TMatchedPrice> Prices;
    std::vector<TSkippedLine> Skipped;
};

// The lines of list matched against the components' names as stored (in either encoding), in the order
// of the file. The first line naming a component wins; a later one is skipped as listed twice.
TPriceListMatch MatchPriceList(const TPriceList& list, const std::vector<std::string>& names);
