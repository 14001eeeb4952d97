// A supplier's price list: a text file with one component per line, its name in one column and its price
// per kg in another, and how its lines meet the component list.
#pragma once

#include "text/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The largest file read as a price list.
inline constexpr std::uintmax_t PriceListMaxBytes = 50u * 1024 * 1024;

// Beyond these a price list is not a list of prices: more columns are offered by number only as far as a
// line reaches, higher prices per kg are skipped as implausible, and more skipped lines are only counted.
inline constexpr int PriceListMaxColumns = 64;
inline constexpr double PriceListMaxPrice = 1e9;
inline constexpr std::size_t SkippedLinesKept = 1000;

// One line of the list that is neither empty nor the header.
struct TPriceListLine {
    int Line = 0;       // its number in the file, from 1
    std::string Name;   // the field of the name column, trimmed, as UTF-8
    std::string Price;  // the field of the price column as a number with a point ("2.50"); empty when none
    double Value = 0.0; // that number
};

// The columns a list is read from, counted from 0; each one left empty is decided by the file.
struct TPriceListColumns {
    std::optional<int> Name;
    std::optional<int> Price;
    std::optional<bool> DecimalComma;
};

// How a list was read: its separator, its header, and the columns its names and prices came from.
struct TPriceListLayout {
    char Separator = ',';
    bool HasHeader = false;
    std::string HeaderLine;            // the first line as read, when it is a header
    std::vector<std::string> Headings; // a caption per column: the header's field, else "Column 1", ...
    int NameColumn = 0;
    int PriceColumn = 1;
    bool DecimalComma = false;
};

struct TPriceList : TPriceListLayout {
    std::vector<TPriceListLine> Lines;
};

struct TPriceListOptions {
    // The user's choice; it goes before everything else.
    TPriceListColumns Columns;
    // Asked once, when the first line is a header: the columns chosen before for a file with that header.
    std::function<std::optional<TPriceListColumns>(const std::string& headerLine)> Remembered;
};

// Raised when the reading is stopped before its end.
class EPriceListStopped : public Exception {
public:
    EPriceListStopped() : Exception("The price list was not read to its end") {}
};

// Told how far the reading has come, from 0 to 1; returns false to stop it.
using TReadProgress = std::function<bool(double done)>;

// Reads the list that bytes, a whole file's content, hold: UTF-8 (a BOM is skipped), UTF-16 with its BOM,
// or else Windows-1252; any line ends; tab, semicolon or comma between fields; fields in double quotes.
// A first line without a number after its first field is the header. The name comes from the first column
// whose heading names a name (not a number or code), else the first; the price from the first whose
// heading names a price or currency, else the first column after the name's that holds a number in the
// first line that has one; a comma is the decimal mark unless commas separate the fields. Each line goes
// to line as it is read, so that a long list is never held whole; layout receives the rest.
void ReadPriceLines(std::string_view bytes, const TPriceListOptions& options, TPriceListLayout& layout,
                    const std::function<void(const TPriceListLine&)>& line, const TReadProgress& progress = {});

// The same with every line kept.
TPriceList ParsePriceList(std::string_view bytes, const TPriceListOptions& options = {},
                          const TReadProgress& progress = {});

// The content of the file, which stays as it is. A file over PriceListMaxBytes, or one that cannot be
// read, raises Exception with a message that names the file and the reason.
std::string ReadPriceListFile(const std::string& fileName);

// The number a field holds, as text with a point and as a value: blanks and one currency sign or
// three-letter code around it are ignored; a comma is a decimal separator only with decimalComma; no
// grouping marks, no exponent.
struct TPriceField {
    std::string Price;
    double Value = 0.0;
};
std::optional<TPriceField> ParsePriceField(std::string_view field, bool decimalComma);

// The form in which names are compared: decoded (UTF-8, else Windows-1252), trimmed, case folded.
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
    std::vector<TSkippedLine> Skipped; // the first SkippedLinesKept of them
    std::size_t MoreSkipped = 0;       // the skipped lines after those
};

// Lines matched one by one against the components' names as stored (in either encoding), in the order of
// the file. The first line naming a component wins; a later one is skipped as listed twice.
class TPriceListMatcher {
public:
    explicit TPriceListMatcher(const std::vector<std::string>& names);
    void Add(const TPriceListLine& line);
    TPriceListMatch& Match() { return FMatch; }

private:
    static constexpr std::size_t Several = static_cast<std::size_t>(-1);
    // Skips line for reason; firstLine, when given, is the line that named the component before.
    void Skip(const TPriceListLine& line, std::string_view reason, int firstLine = 0);
    std::unordered_map<std::string, std::size_t> FByKey;
    std::unordered_map<std::size_t, int> FFirstLine;
    TPriceListMatch FMatch;
};

TPriceListMatch MatchPriceList(const TPriceList& list, const std::vector<std::string>& names);
