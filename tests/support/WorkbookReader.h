// Reads a workbook back as a spreadsheet program sees it, through Python's openpyxl (tests/support/
// dump_workbook.py): each cell's type, value and number format, bold, fill and comment, the frozen panes and the
// column widths.
#pragma once

#include <map>
#include <string>

struct TReadCell {
    std::string Type; // openpyxl's: "s" text, "n" number, "d" date
    std::string Value;
    std::string Format;
    bool Bold = false;
    std::string Fill; // "FFFFDEA6" for a solid fill, else empty
    std::string Comment;
};

struct TReadWorkbook {
    std::string Sheet;
    std::string Freeze; // the first cell that scrolls, "A5"
    std::map<std::string, double> Widths;
    std::map<std::string, TReadCell> Cells; // by reference, "B3"
    std::string Error;                      // what the reader said when it could not read the file
};

// False when configured without a Python that has openpyxl.
bool CanReadWorkbooks();
TReadWorkbook ReadWorkbook(const std::string& path);

#define SKIP_WITHOUT_WORKBOOK_READER()                                                                                 \
    if (!CanReadWorkbooks())                                                                                           \
    GTEST_SKIP() << "python3-openpyxl was missing when the build was configured: no workbook is read back"
