// Transactions, rows read with their lengths, the price history and the impact of new prices, against
// real files.
#include "database/Components.h"
#include "database/Database.h"
#include "database/PostgreSQLDatabase.h"
#include "database/PriceListImport.h"
#include "database/Prices.h"
#include "database/Products.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

class PricesTest : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql("INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (2, 'WATER', 0.5, '2025-02-02'),"
               " (3, 'SALT', 1.0, '2025-03-03');"
               "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'SYRUP'), (2, 'BRINE'), (3, 'SWEET BRINE');"
               "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 60), (1, 2, 40), (2, 3, 10),"
               " (2, 2, 90), (3, 1, 1), (3, 3, 1), (3, 2, 98);");
    }
    TempDir dir;
};

std::vector<TProductImpact> Impact(const std::vector<TNewPrice>& prices) {
    std::vector<TProductImpact> rows;
    InOpenDatabase([&] { rows = PriceImpact(Database, prices); });
    return rows;
}

TEST_F(PricesTest, TransactionKeepsAllOrNothingAndRowsKeepTheirBytes) {
    const auto failing = [] {
        InOpenDatabase([] {
            InTransaction(Database, [] {
                ExecStatements(Database, "UPDATE Materials SET Price = 9 WHERE Comp_ID = 1;");
                ExecStatements(Database, "INSERT INTO NoSuchTable VALUES (1);");
            });
        });
    };
    if (OnServer())
        EXPECT_THROW(failing(), EPostgreSQL);
    else
        EXPECT_THROW(failing(), ESQLite3);
    EXPECT_EQ(QueryValue("SELECT Price FROM Materials WHERE Comp_ID = 1;"), "2.0");

    // A NUL inside a text, which only a file holds.
    SKIP_ON_SERVER();
    RunSql("UPDATE Products SET Solids = CAST(X'410042' AS TEXT) WHERE Prod_ID = 1;");
    std::string notes;
    InOpenDatabase([&] {
        ForEachRow(Database, "SELECT Solids FROM Products WHERE Prod_ID = 1;",
                   [&](const TResultRow& row) { notes = row.Text(0); });
        ExecStatements(Database, "UPDATE Products SET Mass = 1;");
        EXPECT_EQ(ChangedRows(Database), 3);
    });
    EXPECT_EQ(notes, std::string("A\0B", 3));
}

TEST_F(PricesTest, HistoryKeepsEveryReplacedPriceOnlyWhenItChanges) {
    const auto post = [](const std::string& price, const std::string& date) {
        InOpenDatabase([&] { PostComponent(Database, {false, "SUGAR", price, "SUGAR", {}}); });
        RunSql("UPDATE Materials SET Date = '" + date + "' WHERE Component = 'SUGAR';");
    };
    post("2.50", "2026-05-01");
    post("2.50", "2026-05-01");
    post("3.10", "2026-06-01");
    EXPECT_EQ(QueryRows("SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY " + ByEngine("rowid", "ID") + ";"),
              (std::vector<std::string>{"1|2.0|2025-01-01", "1|2.5|2026-05-01"}));
    // An emptied price is a change to 0.
    post("", "2026-07-01");
    EXPECT_EQ(QueryValue("SELECT Price FROM PriceHistory ORDER BY " + ByEngine("rowid", "ID") + " DESC LIMIT 1;"),
              "3.1");

    // The import's prices, by number: only those that change.
    InOpenDatabase([] { RecordPriceChanges(Database, {{"2", "0.5"}, {"3", "1.25"}}); });
    EXPECT_EQ(QueryRows("SELECT Comp_ID, Price FROM PriceHistory WHERE Comp_ID > 1;"),
              std::vector<std::string>{"3|1.0"});
    // A list longer than one statement takes: every component of it.
    RunSql("WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 549) INSERT INTO Materials "
           "(Comp_ID, Component, Price) SELECT i, 'C' || i, 1 FROM n;");
    std::vector<TNewPrice> many;
    for (int id = 100; id < 550; ++id)
        many.push_back({std::to_string(id), "2"});
    InOpenDatabase([&many] { RecordPriceChanges(Database, many); });
    EXPECT_EQ(QueryValue("SELECT COUNT(DISTINCT Comp_ID) FROM PriceHistory WHERE Comp_ID >= 100;"), "450");

    InOpenDatabase([] { RemoveComponent(Database, "SUGAR"); });
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM PriceHistory WHERE Comp_ID = 1;"), "0");

    // A file made before the history existed: deleting needs no table, the first price write makes one.
    RunSql("DROP TABLE PriceHistory;");
    InOpenDatabase([] { RemoveComponent(Database, "SALT"); });
    EXPECT_EQ(QueryValue(ByEngine("SELECT COUNT(*) FROM sqlite_master WHERE name = 'PriceHistory';",
                                  "SELECT COUNT(*) FROM pg_tables WHERE tablename = 'pricehistory';")),
              "0");
}

TEST_F(PricesTest, AHistoryOfAnotherShapeIsLeftAloneAndPricesStillChange) {
    const std::string schema =
        ByEngine("SELECT type, name, sql FROM sqlite_master ORDER BY name;",
                 "SELECT table_name, column_name, data_type, is_nullable FROM information_schema.columns WHERE "
                 "table_schema = 'public' ORDER BY 1, 2;");
    for (const char* shape :
         {"CREATE TABLE PriceHistory (Comp_ID INTEGER, Price REAL);",
          "CREATE TABLE pricehistory (Comp_ID INTEGER, Price REAL, Date DATE, Source TEXT NOT NULL);",
          "CREATE VIEW PriceHistory AS SELECT Comp_ID, Price, Date FROM Materials;"}) {
        SCOPED_TRACE(shape);
        RunSql(std::string("DROP TABLE IF EXISTS PriceHistory;") + shape +
               "DELETE FROM Materials WHERE Comp_ID IN (1, 3);"
               "INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (3, 'SALT', 1.0, '2025-03-03');");
        const auto before = QueryRows(schema);
        InOpenDatabase([] {
            EXPECT_FALSE(PriceHistoryUsable(Database));
            TPriceChange sugar;
            sugar.CompId = "1";
            sugar.Component = "SUGAR";
            sugar.New = "2.5";
            sugar.Stored = 2.0;
            EXPECT_EQ(ApplyPriceImport(Database, {sugar}).Changed, 1);
            RemoveComponent(Database, "SALT");
        });
        EXPECT_EQ(QueryRows("SELECT Component, Price FROM Materials ORDER BY Comp_ID;"),
                  (std::vector<std::string>{"SUGAR|2.5", "WATER|0.5"}));
        EXPECT_EQ(QueryRows(schema), before);
    }
}

TEST_F(PricesTest, ImpactIsWhatARecomputationAfterTheChangeGivesAndWritesNothing) {
    // What the database holds: the file's bytes, or every row on a server.
    const auto held = [] {
        if (!OnServer())
            return ReadFile("Products.db3");
        std::string all;
        for (const std::string& row : DumpDatabase())
            all += row + "\n";
        return all;
    };
    const std::string before = held();
    const auto one = Impact({{"1", "3.00"}});
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].Product, "SYRUP");
    EXPECT_EQ(one[0].Now, "1.4");
    EXPECT_EQ(one[0].After, "2.0");
    EXPECT_EQ(one[1].Product, "SWEET BRINE");
    EXPECT_EQ(held(), before);

    // Several prices at once (through a temporary table) give the same figures as one at a time.
    const auto both = Impact({{"1", "3.00"}, {"3", "1.00"}, {"2", "0.50"}});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].After, one[0].After);
    EXPECT_EQ(both[1].After, one[1].After);
    EXPECT_EQ(held(), before);

    // The figures are those of a real Post and Refresh.
    InOpenDatabase([] {
        PostComponent(Database, {false, "SUGAR", "3.00", "SUGAR", {}});
        RecomputeProducts(Database);
    });
    EXPECT_EQ(QueryValue("SELECT Price FROM Products WHERE Product = 'SYRUP';"), one[0].After);
    EXPECT_EQ(QueryValue("SELECT Price FROM Products WHERE Product = 'SWEET BRINE';"), one[1].After);
}

TEST_F(PricesTest, IncompletePriceNotesNameTheComponentsWithoutAPrice) {
    // Components 11 to 15 have no price (one a Windows-1252 name); 98 and 99 were deleted.
    RunSql("INSERT INTO Materials (Comp_ID, Component, Price) VALUES (11, 'E5', NULL), (12, 'A1', 0),"
           " (13, " +
           ByEngine("CAST(X'434146C9' AS TEXT)", "'CAF\xC3\x89'") + ", NULL), (14, 'C3', " + ByEngine("''", "NULL") +
           "), (15, 'B2', NULL), (16, 'D4', NULL);"
           "INSERT INTO Products (Prod_ID, Product) VALUES (11, 'ONE'), (12, 'TWO'), (13, 'THREE'), (15, 'FIVE'),"
           " (16, 'GONE');"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (11, 12, 1), (11, 12, 2), (11, 1, 5),"
           " (12, 13, 1), (12, 12, 1), (13, 11, 1), (13, 16, 1), (13, 12, 1), (15, 11, 1), (15, 12, 1), (15, 14, 1),"
           " (15, 15, 1), (15, 16, 1), (15, 98, 1), (15, 99, 1), (16, 99, 1);");
    std::vector<std::string> notes;
    InOpenDatabase([&notes] {
        for (const TIncompletePrice& product : IncompletePrices(Database))
            notes.push_back(product.Product + ": " + IncompletePriceNote(product));
    });
    EXPECT_EQ(notes,
              (std::vector<std::string>{
                  "FIVE: Price incomplete: no price for A1, B2 and 3 more; 2 lines refer to deleted components",
                  "GONE: Price incomplete: 1 line refers to a deleted component",
                  "ONE: Price incomplete: no price for A1", "THREE: Price incomplete: no price for A1, D4 and E5",
                  "TWO: Price incomplete: no price for A1 and CAF\xC3\x89"}));
}

TEST_F(PricesTest, AComponentsPricesComeNewestFirstAndALongListOfNewPricesCountsWhole) {
    RunSql("INSERT INTO PriceHistory (Comp_ID, Price, Date) VALUES (1, 1.5, '2024-06-01'), (1, 1.8, '2024-09-01'), (1, "
           "1.9, '2024-09-01'),"
           " (2, 0.4, '2024-01-01');");
    TComponentPrices sugar;
    TComponentPrices none;
    InOpenDatabase([&] {
        sugar = PriceHistoryOf(Database, "1");
        none = PriceHistoryOf(Database, "7");
    });
    std::vector<std::string> prices;
    for (const TDatedPrice& price : sugar.Prices)
        prices.push_back(price.Date + "|" + price.Price);
    EXPECT_EQ(prices,
              (std::vector<std::string>{"2025-01-01|2.0", "2024-09-01|1.9", "2024-09-01|1.8", "2024-06-01|1.5"}));
    EXPECT_EQ(sugar.Shape, TPriceHistoryShape::Usable);
    EXPECT_TRUE(none.Prices.empty());

    // More new prices than one statement takes: those of components no recipe uses change nothing.
    std::vector<TNewPrice> many;
    for (int id = 100; id < 1100; ++id)
        many.push_back({std::to_string(id), "9.99"});
    many.push_back({"1", "3.00"});
    const auto impact = Impact(many);
    ASSERT_EQ(impact.size(), 2u);
    EXPECT_EQ(impact[0].Product, "SYRUP");
    EXPECT_EQ(impact[0].After, "2.0");
}

} // namespace
