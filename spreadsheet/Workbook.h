// Spreadsheet files: a workbook of one sheet, as the lists are passed on to purchasing and sales. Title lines,
// a header row in bold that stays in view while the rows scroll, and the rows, each cell a name, a number with
// the decimals the screen shows, a share or a date. Numbers are numbers whatever the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TCellKind { Empty, Text, Number, Fraction, Date };

struct TSheetCell {
    TCellKind Kind = TCellKind::Empty;
    std::string Text;   // Text: the bytes as held, UTF-8 or Windows-1252; Date: YYYY-MM-DD
    double Value = 0.0; // Number; Fraction, 1 for 100 %
    int Decimals = 0;   // Number: the decimals shown
    bool Bold = false;
    // Not empty: the cell's price is incomplete; it is filled in FlagColour and carries this note (UTF-8) as
    // its comment.
    std::string Flag;
};

TSheetCell TextCell(std::string_view text);
// A value that is no finite number gives an empty cell.
TSheetCell NumberCell(double value, int decimals);
// Shown as a percentage with 2 decimals ("0.00%").
TSheetCell FractionCell(double fraction);
TSheetCell DateCell(std::string_view isoDate);
TSheetCell Flagged(TSheetCell cell, std::string note);
TSheetCell Bold(TSheetCell cell);

using TSheetRow = std::vector<TSheetCell>;

struct TSheet {
    std::string Name;             // the sheet's tab; characters a tab cannot hold become blanks
    std::vector<TSheetRow> Title; // lines above the table, followed by one empty line
    std::vector<std::string> Header;
    std::vector<TSheetRow> Rows;
};

// The warm tint that marks an incomplete price in the lists, on a white sheet.
inline constexpr std::uint32_t FlagColour = 0xFFDEA6;

// The width of each column in characters: the widest text it shows, header and table, plus a margin. Title
// texts run over into the empty cells beside them and are left out.
std::vector<double> ColumnWidths(const TSheet& sheet);

// Writes the workbook as a TTextFile writes its text: the same refusals (not a regular file, the database
// file, a file this user may not write), and the file is replaced only once all of it is written. Throws
// Exception "Cannot write <fileName>: <why>".
void WriteWorkbook(const std::string& fileName, const TSheet& sheet, const std::string& databaseFile = {});
