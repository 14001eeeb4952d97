// Supplier price lists: files as spreadsheets save them, read against a real database; what the preview
// reports, what Apply writes, and that no input crashes the reader.
#include "database/Database.h"
#include "database/PostgreSQLDatabase.h"
#include "database/PriceListImport.h"
#include "tests/support/TestDatabase.h"
#include "text/PriceList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

const char* const Data =
    "INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (2, 'WATER', 0.0, '2025-01-02'),"
    " (3, 'CAFÉ', 5.0, '2025-01-03'), (4, 'SALT; FINE', 1.0, '2025-01-04'), (5, 'VANILLIN', 14.2, '2025-01-05'),"
    " (6, 'ANISE OIL', 40.0, '2025-01-06');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'SYRUP'), (2, 'COFFEE'), (3, 'BRINE');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 60), (1, 2, 40), (2, 3, 10), (2, 1, 90),"
    " (3, 4, 10), (3, 2, 90);";

// A semicolon list as a spreadsheet saves it in a comma locale: BOM, CRLF, a header, a quoted name.
const std::string SemicolonFile = "\xEF\xBB\xBF"
                                  "Component;Price/kg;Unit\r\n"
                                  "sugar;2,50;kg\r\n"
                                  "\"SALT; FINE\";1,00;kg\r\n"
                                  "\r\n"
                                  "PEPPER;3,10;kg\r\n"
                                  "WATER;0;kg\r\n"
                                  "SUGAR;2,60;kg\r\n"
                                  "VANILLIN;-1,00;kg\r\n";
// Tab-separated Windows-1252 without a header; É is one byte.
const std::string TabFile = "CAF\xC9\t6.00\n"
                            "ANISE OIL\t40\n"
                            "VANILLIN\tEUR 15.00\n"
                            "R\xC9GLISSE\t2.00\n";
// Comma-separated with currency signs, old Mac line ends, and a grouped number that is refused.
const std::string CommaFile = "Name,Price\r"
                              "Sugar,$2.00\r"
                              "CAFÉ,5.50 £\r"
                              "VANILLIN,EUR 14.2\r"
                              "ANISE OIL,\"1,234.50\"\r";

class PriceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql(Data);
    }
    static TImportPreview Preview(const std::string& bytes) {
        TImportPreview preview;
        InOpenDatabase([&] { preview = PreviewPriceImport(Database, ParsePriceList(bytes)); });
        return preview;
    }
    static std::vector<std::string> Changes(const TImportPreview& p) {
        std::vector<std::string> rows;
        for (const auto& c : p.Changes)
            rows.push_back(std::to_string(c.Line) + " " + c.Component + " " + c.Now + " -> " + c.New);
        return rows;
    }
    static std::vector<std::string> Skipped(const TImportPreview& p) {
        std::vector<std::string> rows;
        for (const auto& s : p.Skipped)
            rows.push_back(std::to_string(s.Line) + " " + s.Name + ": " + s.Reason);
        return rows;
    }
    static std::vector<std::string> Dump() {
        std::vector<std::string> rows = QueryRows("SELECT * FROM Materials ORDER BY Comp_ID;");
        for (const auto& row :
             QueryRows("SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY " + ByEngine("rowid", "ID") + ";"))
            rows.push_back("history " + row);
        return rows;
    }
    TempDir dir;
};

TEST_F(PriceListTest, EachFileYieldsItsChangesSkippedLinesAndSummary) {
    const TImportPreview semicolon = Preview(SemicolonFile);
    EXPECT_EQ(Changes(semicolon), (std::vector<std::string>{"2 SUGAR 2.0 -> 2.50"}));
    EXPECT_EQ(Skipped(semicolon),
              (std::vector<std::string>{"5 PEPPER: not in the component list", "6 WATER: no price",
                                        "7 SUGAR: listed twice (line 2)", "8 VANILLIN: price is negative"}));
    EXPECT_EQ(ImportSummary(semicolon), "1 price changes, 1 unchanged, 4 lines skipped; 2 products change price");
    EXPECT_EQ(semicolon.Products.front().Product, "SYRUP");

    const TImportPreview tab = Preview(TabFile);
    EXPECT_EQ(Changes(tab), (std::vector<std::string>{"1 CAFÉ 5.0 -> 6.00", "3 VANILLIN 14.2 -> 15.00"}));
    EXPECT_EQ(Skipped(tab), (std::vector<std::string>{"4 RÉGLISSE: not in the component list"}));
    EXPECT_EQ(ImportSummary(tab), "2 prices change, 1 unchanged, 1 line skipped; 1 product changes price");

    const TImportPreview comma = Preview(CommaFile);
    EXPECT_EQ(Changes(comma), (std::vector<std::string>{"3 CAFÉ 5.0 -> 5.50"}));
    EXPECT_EQ(Skipped(comma), (std::vector<std::string>{"5 ANISE OIL: no price"}));
    EXPECT_EQ(ImportSummary(comma), "1 price changes, 2 unchanged, 1 line skipped; 1 product changes price");
}

TEST_F(PriceListTest, PriceFieldsTakeSignsAndCodesButNoGroupingOrExponent) {
    const auto price = [](std::string_view field, bool comma = true) {
        const auto p = ParsePriceField(field, comma);
        return p ? p->Price : std::string("-");
    };
    EXPECT_EQ(price(" 12,50 EUR "), "12.50");
    EXPECT_EQ(price("\xE2\x82\xAC"
                    "12.50"),
              "12.50");
    EXPECT_EQ(price("-\xE2\x82\xAC 1.5"), "-1.5");
    EXPECT_EQ(price("\xE2\x82\xB9\xC2\xA0"
                    "100"),
              "100");
    EXPECT_EQ(price("CHF .5"), "0.5");
    EXPECT_EQ(price("12,50", false), "-");
    EXPECT_EQ(price("1.234,50"), "-");
    EXPECT_EQ(price("1 234"), "-");
    EXPECT_EQ(price("1e3"), "-");
    EXPECT_EQ(price("12.50 EURO"), "-");
    // An article code is no currency code and no negative price.
    EXPECT_EQ(price("SUP-3234"), "-");
    EXPECT_EQ(price("eur -3"), "-3");
    EXPECT_EQ(price("$ 1 $"), "-");
    EXPECT_EQ(price(std::string(400, '9')), "-");
}

TEST_F(PriceListTest, AFileThatCannotBeReadIsRefusedWithItsNameAndWhy) {
    const auto refusal = [](const std::string& file) {
        try {
            ReadPriceListFile(file);
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string("read");
    };
    EXPECT_EQ(refusal("missing.csv"), "The price list missing.csv cannot be read: the file does not exist.");
    std::filesystem::create_directory("folder.csv");
    EXPECT_EQ(refusal("folder.csv"), "The price list folder.csv cannot be read: it is a folder.");
    std::ofstream("big.csv") << "SUGAR;1\n";
    std::filesystem::resize_file("big.csv", PriceListMaxBytes + 1);
    EXPECT_EQ(refusal("big.csv"), "The price list big.csv cannot be read: it is larger than 50 MB.");
    std::filesystem::resize_file("big.csv", PriceListMaxBytes);
    EXPECT_EQ(ParsePriceList(ReadPriceListFile("big.csv")).Lines.size(), 1u);
}

TEST_F(PriceListTest, ApplyWritesExactlyTheChangedPricesWithTheirHistoryOrNothing) {
    const std::vector<std::string> before = Dump();
    const std::vector<TPriceChange> prices = Preview(TabFile).Changes;

    // A failure after the first rows are written leaves the file as it was.
    RunSql(
        ByEngine("CREATE TRIGGER Full BEFORE UPDATE ON Materials WHEN NEW.Comp_ID = 5 BEGIN SELECT RAISE(ABORT, "
                 "'disk full'); END;",
                 "CREATE FUNCTION DiskFull() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN IF NEW.Comp_ID = 5 THEN RAISE "
                 "EXCEPTION ''disk full''; END IF; RETURN NEW; END';"
                 "CREATE TRIGGER DiskFull BEFORE UPDATE ON Materials FOR EACH ROW EXECUTE FUNCTION DiskFull();"));
    if (OnServer())
        EXPECT_THROW(InOpenDatabase([&] { ApplyPriceImport(Database, prices); }), EPostgreSQL);
    else
        EXPECT_THROW(InOpenDatabase([&] { ApplyPriceImport(Database, prices); }), ESQLite3);
    EXPECT_EQ(Dump(), before);
    RunSql(ByEngine("DROP TRIGGER Full;", "DROP TRIGGER DiskFull ON Materials;"));

    int changed = 0;
    const Today today;
    InOpenDatabase([&] { changed = ApplyPriceImport(Database, prices).Changed; });
    EXPECT_EQ(changed, 2);
    std::vector<std::string> after = before;
    after[2] = "3|CAFÉ|6.0|TODAY";
    after[4] = "5|VANILLIN|15.0|TODAY";
    after.push_back("history 3|5.0|2025-01-03");
    after.push_back("history 5|14.2|2025-01-05");
    EXPECT_EQ(today.Mark(Dump()), after);
    EXPECT_TRUE(Preview(TabFile).Changes.empty());
}

TEST_F(PriceListTest, ApplyWritesNothingWhenAComponentChangedSinceThePreview) {
    const std::vector<TPriceChange> changes = Preview(TabFile).Changes;
    // CAFÉ deleted and its number given to SAFFRON; VANILLIN repriced by less than its text shows.
    RunSql("DELETE FROM Materials WHERE Comp_ID = 3; INSERT INTO Materials VALUES (3, 'SAFFRON', 5.0, '2025-02-01');"
           "UPDATE Materials SET Price = 14.2 + 1e-14 WHERE Comp_ID = 5;");
    const std::vector<std::string> before = Dump();
    TImportResult result;
    InOpenDatabase([&] { result = ApplyPriceImport(Database, changes); });
    EXPECT_EQ(result.Changed, 0);
    EXPECT_EQ(result.Moved, (std::vector<std::string>{"CAFÉ", "VANILLIN"}));
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(NotAppliedText(result.Moved), "The price list was not applied: 2 components changed since the "
                                            "preview (CAFÉ and VANILLIN). Preview it again.");
    EXPECT_EQ(NotAppliedText({"A", "B", "C", "D", "E"}),
              "The price list was not applied: 5 components changed since the preview (A, B, C and 2 more). "
              "Preview it again.");
}

TEST_F(PriceListTest, TheSuppliersColumnsAreFoundByTheirHeadingsAndNamesMatchInAnyCase) {
    const TImportPreview article = Preview("Article no.;Description;Price EUR/kg;Valid from\n"
                                           "1001;Sugar;2,50;2025-01-01\n"
                                           "1002;café;6,00;2025-01-01\n"
                                           "1003;Vanillin;1000000001;2025-01-01\n");
    EXPECT_EQ(article.Layout.Headings,
              (std::vector<std::string>{"Article no.", "Description", "Price EUR/kg", "Valid from"}));
    EXPECT_EQ(Changes(article), (std::vector<std::string>{"2 SUGAR 2.0 -> 2.50", "3 CAFÉ 5.0 -> 6.00"}));
    EXPECT_EQ(Skipped(article), (std::vector<std::string>{"4 Vanillin: implausible price"}));

    const TImportPreview code = Preview("Component;Code;Price\nVANILLIN;1234;15.00\n");
    EXPECT_EQ(Changes(code), (std::vector<std::string>{"2 VANILLIN 14.2 -> 15.00"}));
    // A product number is no name; a cost in dollars is a price, wherever it stands.
    const TImportPreview number = Preview("Cost ($);Product no.;Product name\n16,00;7;vanillin\n");
    EXPECT_EQ(number.Layout.NameColumn, 2);
    EXPECT_EQ(Changes(number), (std::vector<std::string>{"2 VANILLIN 14.2 -> 16.00"}));

    // Two names that fold alike are one name to the file.
    RunSql("INSERT INTO Materials VALUES (7, 'Café', 5.0, '2025-01-07');");
    EXPECT_EQ(Skipped(Preview("CAFÉ;6\n")), (std::vector<std::string>{"1 CAFÉ: matches more than one component"}));
}

TEST_F(PriceListTest, AListOfJunkKeepsTheFirstThousandSkippedLinesAndCountsTheRest) {
    std::string junk;
    for (int i = 1; i <= 1500; ++i)
        junk += "junk " + std::to_string(i) + ";1\n";
    const TImportPreview preview = Preview(junk);
    ASSERT_EQ(preview.Skipped.size(), 1000u);
    EXPECT_EQ(preview.Skipped.back().Line, 1000);
    EXPECT_EQ(preview.MoreSkipped, 500u);
    EXPECT_EQ(ImportSummary(preview), "0 prices change, 0 unchanged, 1500 lines skipped; 0 products change price");
}

// Random and mutated lists: the reader never crashes, and what it returns holds together.
TEST_F(PriceListTest, NoInputCrashesTheReader) {
    std::mt19937 random(20250118);
    const std::vector<std::string> seeds = {SemicolonFile, TabFile, CommaFile,
                                            std::string("\xFF\xFE"
                                                        "A\0;\0"
                                                        "1\0",
                                                        8),
                                            ""};
    const std::string pieces[] = {
        "\"", "\"\"", ";", ",",    "\t",           "\r",           "\n",       "\r\n", " ",        "-",
        ".",  "0",    "9", "\xC3", "\xE2\x82\xAC", "\xEF\xBB\xBF", "\xFF\xFE", "EUR",  "\xC2\xA0", "\xF4\x90"};
    const std::vector<std::string> names = {"SUGAR", "CAF\xC9", "CAFÉ", "", "SALT; FINE"};
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (int round = 0; round < 4000; ++round) {
        std::string input = seeds[pick(seeds.size())];
        if (round % 4 == 0) {
            input.resize(pick(200));
            for (char& c : input)
                c = static_cast<char>(pick(256));
        }
        for (std::size_t edits = pick(12); edits > 0; --edits) {
            const std::size_t at = input.empty() ? 0 : pick(input.size() + 1);
            switch (pick(3)) {
            case 0:
                input.insert(at, pieces[pick(std::size(pieces))]);
                break;
            case 1:
                input.erase(at, pick(8));
                break;
            default:
                if (at < input.size())
                    input[at] = static_cast<char>(pick(256));
            }
        }
        const TPriceList list = ParsePriceList(input);
        int last = 0;
        for (const TPriceListLine& line : list.Lines) {
            ASSERT_GT(line.Line, last);
            last = line.Line;
            if (!line.Price.empty()) {
                ASSERT_EQ(ParsePriceField(line.Price, false)->Value, line.Value);
            }
        }
        const TPriceListMatch match = MatchPriceList(list, names);
        ASSERT_EQ(match.Prices.size() + match.Skipped.size() + match.MoreSkipped, list.Lines.size());
    }
}

} // namespace
