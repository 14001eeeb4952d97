// Workbooks as a spreadsheet program reads them back: typed cells, the frozen header, a flagged price, a date,
// names in 8-bit text; and the same refusals as the text files.
#include "spreadsheet/Workbook.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WorkbookReader.h"
#include "text/SysUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TSheet Sample() {
    TSheet sheet;
    sheet.Name = "Analysis";
    sheet.Title = {{TextCell("Product"), Bold(TextCell("LEMON CORDIAL"))},
                   {TextCell("Date"), DateCell("2026-12-09")},
                   {TextCell("Batch mass (kg)"), NumberCell(250.0, 3)}};
    sheet.Header = {"Component", "Mass (kg)", "Costs (%)"};
    sheet.Rows = {{TextCell("CAF\xC9 NOIR D'ARABIE"), NumberCell(1.2345, 3), FractionCell(0.8)},
                  {TextCell("WATER"), NumberCell(248.7655, 3), Flagged(TSheetCell(), "No price for this component")}};
    return sheet;
}

std::string Write(const std::string& name, const std::string& database = {}) {
    try {
        WriteWorkbook(name, Sample(), database);
        return "written";
    } catch (const Exception& e) {
        return e.what();
    }
}

class WorkbookTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(WorkbookTest, CellsKeepTheirTypesExactValuesAndFormats) {
    SKIP_WITHOUT_WORKBOOK_READER();
    ASSERT_EQ(Write("Analysis.xlsx"), "written");
    const TReadWorkbook book = ReadWorkbook("Analysis.xlsx");
    ASSERT_EQ(book.Error, "");
    EXPECT_EQ(book.Sheet, "Analysis");
    // Three title lines, an empty one, the header: the rows below it scroll.
    EXPECT_EQ(book.Freeze, "A6");
    const auto cell = [&book](const std::string& ref) {
        const auto found = book.Cells.find(ref);
        TReadCell none;
        none.Type = "none";
        return found == book.Cells.end() ? none : found->second;
    };
    EXPECT_EQ(cell("B1").Value, "LEMON CORDIAL");
    EXPECT_TRUE(cell("B1").Bold);
    EXPECT_EQ(cell("B2").Type, "d");
    EXPECT_EQ(cell("B2").Value, "2026-12-09T00:00:00");
    EXPECT_EQ(cell("B2").Format, "yyyy-mm-dd");
    EXPECT_EQ(cell("B3").Type, "n");
    EXPECT_EQ(cell("B3").Format, "0.000");
    EXPECT_EQ(cell("A4").Type, "none");
    for (const char* ref : {"A5", "B5", "C5"})
        EXPECT_TRUE(cell(ref).Bold) << ref;
    EXPECT_EQ(cell("C5").Value, "Costs (%)");
    EXPECT_EQ(cell("A6").Type, "s");
    EXPECT_EQ(cell("A6").Value, "CAF\u00C9 NOIR D'ARABIE") << "Windows-1252 bytes as UTF-8";
    EXPECT_EQ(cell("B6").Value, "1.2345") << "the exact value, three decimals shown";
    EXPECT_EQ(cell("C6").Value, "0.8");
    EXPECT_EQ(cell("C6").Format, "0.00%");
    EXPECT_EQ(cell("C7").Fill, "FFFFDEA6");
    EXPECT_NE(cell("C7").Comment.find("No price for this component"), std::string::npos);
    EXPECT_EQ(cell("C6").Fill, "");
    // Wide enough for the longest text of each column, header included.
    EXPECT_GE(book.Widths.at("A"), 20.0);
    EXPECT_GE(book.Widths.at("B"), 11.0);
    EXPECT_LT(book.Widths.at("B"), book.Widths.at("A"));
}

TEST_F(WorkbookTest, RefusesWhatATextExportRefusesAndLeavesItAsItWas) {
    fs::create_directory("Folder.xlsx");
    EXPECT_EQ(Write("Folder.xlsx"), "Cannot write Folder.xlsx: not a regular file");
    std::ofstream("Products.db3") << "data";
    EXPECT_EQ(Write("Products.db3", "Products.db3"), "Cannot write Products.db3: it is the database file");
    fs::permissions(".", fs::perms::all);
    std::ofstream("Kept.xlsx") << "kept";
    fs::permissions("Kept.xlsx", fs::perms(0444));
    EXPECT_EQ(AsOrdinaryUser([] { return Write("Kept.xlsx"); }), "Cannot write Kept.xlsx: Permission denied");
    EXPECT_EQ(ReadFile("Products.db3"), "data");
    EXPECT_EQ(ReadFile("Kept.xlsx"), "kept");
    // No temporary file stays behind.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("."))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Folder.xlsx", "Kept.xlsx", "Products.db3"}));
}

} // namespace
