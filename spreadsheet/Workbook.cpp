#include "spreadsheet/Workbook.h"

#include "text/Encoding.h"
#include "text/SysUtils.h"
#include "text/TextFile.h"

#include <xlsxwriter.h>

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace {

constexpr std::size_t MaxWorkbookBytes = std::size_t(1) << 31;
constexpr double MinWidth = 6.0;
constexpr double MaxWidth = 80.0;

std::size_t CodePoints(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Fixed(double value, int decimals) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}

// What the cell shows, in characters, for the width of its column.
std::size_t ShownLength(const TSheetCell& cell) {
    switch (cell.Kind) {
    case TCellKind::Empty:
        return 0;
    case TCellKind::Text:
        return CodePoints(AsUtf8(cell.Text));
    case TCellKind::Number:
        return Fixed(cell.Value, cell.Decimals).size();
    case TCellKind::Fraction:
        return Fixed(cell.Value * 100.0, 2).size() + 1;
    case TCellKind::Date:
        return 10;
    }
    return 0;
}

bool ReadDate(std::string_view text, lxw_datetime& date) {
    int parts[3] = {};
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    const std::string_view fields[3] = {text.substr(0, 4), text.substr(5, 2), text.substr(8, 2)};
    for (int i = 0; i < 3; ++i) {
        const auto result = std::from_chars(fields[i].data(), fields[i].data() + fields[i].size(), parts[i]);
        if (result.ec != std::errc() || result.ptr != fields[i].data() + fields[i].size())
            return false;
    }
    if (parts[0] < 1900 || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31)
        return false;
    date = lxw_datetime{parts[0], parts[1], parts[2], 0, 0, 0.0};
    return true;
}

std::string SheetName(std::string_view name) {
    std::string tab = AsUtf8(name);
    for (char& c : tab)
        if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 32)
            c = ' ';
    // 31 characters at most, never cut inside one.
    std::size_t end = 0;
    for (std::size_t count = 0; end < tab.size() && count < 31; ++count)
        for (++end; end < tab.size() && (static_cast<unsigned char>(tab[end]) & 0xC0) == 0x80;)
            ++end;
    tab.resize(end);
    if (tab.empty() || tab.front() == '\'' || tab.back() == '\'')
        tab = "Sheet1";
    return tab;
}

// Numbers written in the C locale's form: the library prints them with the C run-time, which would use a
// decimal comma under a German locale and so write numbers no spreadsheet reads.
class CNumbers {
public:
    CNumbers() : FC(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (FC)
            FBefore = uselocale(FC);
    }
    ~CNumbers() {
        if (FC) {
            uselocale(FBefore);
            freelocale(FC);
        }
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t FC;
    locale_t FBefore = nullptr;
};

class Writer {
public:
    Writer(lxw_workbook* workbook, lxw_worksheet* sheet) : FWorkbook(workbook), FSheet(sheet) {}

    void Write(lxw_row_t row, lxw_col_t col, const TSheetCell& cell) {
        lxw_format* format = FormatOf(cell);
        switch (cell.Kind) {
        case TCellKind::Empty:
            if (format)
                Check(worksheet_write_blank(FSheet, row, col, format));
            break;
        case TCellKind::Text:
            Check(worksheet_write_string(FSheet, row, col, AsUtf8(cell.Text).c_str(), format));
            break;
        case TCellKind::Number:
        case TCellKind::Fraction:
            Check(worksheet_write_number(FSheet, row, col, cell.Value, format));
            break;
        case TCellKind::Date: {
            lxw_datetime date{};
            if (ReadDate(cell.Text, date))
                Check(worksheet_write_datetime(FSheet, row, col, &date, format));
            else
                Check(worksheet_write_string(FSheet, row, col, AsUtf8(cell.Text).c_str(), format));
            break;
        }
        }
        if (!cell.Flag.empty())
            Check(worksheet_write_comment(FSheet, row, col, AsUtf8(cell.Flag).c_str()));
    }

    void Check(lxw_error error) {
        if (error != LXW_NO_ERROR && FError == LXW_NO_ERROR)
            FError = error;
    }
    lxw_error Error() const { return FError; }

private:
    lxw_format* FormatOf(const TSheetCell& cell) {
        const bool flagged = !cell.Flag.empty();
        const int decimals = cell.Kind == TCellKind::Number ? std::clamp(cell.Decimals, 0, 15) : 0;
        const auto key = std::make_tuple(cell.Kind, decimals, cell.Bold, flagged);
        if (cell.Kind == TCellKind::Text && !cell.Bold && !flagged)
            return nullptr;
        if (cell.Kind == TCellKind::Empty && !flagged)
            return nullptr;
        if (auto found = FFormats.find(key); found != FFormats.end())
            return found->second;
        lxw_format* format = workbook_add_format(FWorkbook);
        if (cell.Bold)
            format_set_bold(format);
        if (flagged) {
            format_set_bg_color(format, FlagColour);
            format_set_pattern(format, LXW_PATTERN_SOLID);
        }
        if (cell.Kind == TCellKind::Number)
            format_set_num_format(
                format, decimals ? ("0." + std::string(static_cast<std::size_t>(decimals), '0')).c_str() : "0");
        else if (cell.Kind == TCellKind::Fraction)
            format_set_num_format(format, "0.00%");
        else if (cell.Kind == TCellKind::Date)
            format_set_num_format(format, "yyyy-mm-dd");
        FFormats.emplace(key, format);
        return format;
    }

    lxw_workbook* FWorkbook;
    lxw_worksheet* FSheet;
    std::map<std::tuple<TCellKind, int, bool, bool>, lxw_format*> FFormats;
    lxw_error FError = LXW_NO_ERROR;
};

} // namespace

TSheetCell TextCell(std::string_view text) {
    TSheetCell cell;
    cell.Kind = TCellKind::Text;
    cell.Text = text;
    return cell;
}

TSheetCell NumberCell(double value, int decimals) {
    TSheetCell cell;
    if (!std::isfinite(value))
        return cell;
    cell.Kind = TCellKind::Number;
    cell.Value = value;
    cell.Decimals = decimals;
    return cell;
}

TSheetCell FractionCell(double fraction) {
    TSheetCell cell;
    if (!std::isfinite(fraction))
        return cell;
    cell.Kind = TCellKind::Fraction;
    cell.Value = fraction;
    return cell;
}

TSheetCell DateCell(std::string_view isoDate) {
    TSheetCell cell;
    cell.Kind = TCellKind::Date;
    cell.Text = isoDate;
    return cell;
}

TSheetCell Flagged(TSheetCell cell, std::string note) {
    cell.Flag = std::move(note);
    return cell;
}

TSheetCell Bold(TSheetCell cell) {
    cell.Bold = true;
    return cell;
}

std::vector<double> ColumnWidths(const TSheet& sheet) {
    std::vector<std::size_t> longest(sheet.Header.size());
    const auto widen = [&longest](std::size_t col, std::size_t length) {
        if (col >= longest.size())
            longest.resize(col + 1);
        longest[col] = std::max(longest[col], length);
    };
    for (std::size_t c = 0; c < sheet.Header.size(); ++c)
        widen(c, CodePoints(AsUtf8(sheet.Header[c])) + 1); // bold is wider
    for (const TSheetRow& row : sheet.Title)
        for (std::size_t c = 0; c < row.size(); ++c)
            if (row[c].Kind != TCellKind::Text)
                widen(c, ShownLength(row[c]));
    for (const TSheetRow& row : sheet.Rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widen(c, ShownLength(row[c]) + (row[c].Bold ? 1 : 0));
    std::vector<double> widths;
    for (std::size_t length : longest)
        widths.push_back(std::clamp(static_cast<double>(length) + 2.0, MinWidth, MaxWidth));
    return widths;
}

void WriteWorkbook(const std::string& fileName, const TSheet& sheet, const std::string& databaseFile) {
    // Refused before any work, and the file's place taken only at the end.
    TTextFile file(fileName, databaseFile);
    const TPrivateFolder folder(fileName, "xlsx");
    const std::string made = folder.Path() + "/workbook.xlsx";
    {
        const CNumbers numbers;
        lxw_workbook_options options{};
        options.constant_memory = LXW_FALSE;
        options.tmpdir = const_cast<char*>(folder.Path().c_str());
        lxw_workbook* workbook = workbook_new_opt(made.c_str(), &options);
        if (!workbook)
            throw Exception("Cannot write " + fileName + ": the workbook could not be made");
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, SheetName(sheet.Name).c_str());
        Writer writer(workbook, worksheet);
        if (!worksheet)
            writer.Check(LXW_ERROR_MEMORY_MALLOC_FAILED);
        lxw_row_t row = 0;
        if (worksheet) {
            for (const TSheetRow& line : sheet.Title) {
                for (std::size_t c = 0; c < line.size(); ++c)
                    writer.Write(row, static_cast<lxw_col_t>(c), line[c]);
                ++row;
            }
            if (!sheet.Title.empty())
                ++row;
            for (std::size_t c = 0; c < sheet.Header.size(); ++c)
                writer.Write(row, static_cast<lxw_col_t>(c), Bold(TextCell(sheet.Header[c])));
            worksheet_freeze_panes(worksheet, row + 1, 0);
            ++row;
            for (const TSheetRow& line : sheet.Rows) {
                for (std::size_t c = 0; c < line.size(); ++c)
                    writer.Write(row, static_cast<lxw_col_t>(c), line[c]);
                ++row;
            }
            const std::vector<double> widths = ColumnWidths(sheet);
            for (std::size_t c = 0; c < widths.size(); ++c)
                writer.Check(worksheet_set_column(worksheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                                  widths[c], nullptr));
        }
        // Closing frees the workbook, also when a cell could not be written.
        const lxw_error closed = workbook_close(workbook);
        if (writer.Error() != LXW_NO_ERROR)
            throw Exception("Cannot write " + fileName + ": " + lxw_strerror(writer.Error()));
        if (closed != LXW_NO_ERROR)
            throw Exception("Cannot write " + fileName + ": " + lxw_strerror(closed));
    }
    std::string content;
    std::string error;
    if (ReadRegularFile(made, MaxWorkbookBytes, content, error) != TReadOutcome::Read)
        throw Exception("Cannot write " + fileName + ": " + (error.empty() ? "the workbook is too large" : error));
    file.Write(content);
    file.Close();
}
