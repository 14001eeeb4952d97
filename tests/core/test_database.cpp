// The database layer against real SQLite files in a temporary current directory, and again on the test server.
#include "database/Products.h"
#include "database/Recipes.h"
#include "database/SQLiteDatabase.h"
#include "text/StrMan.h"
#include "tests/support/TestDatabase.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace {

std::vector<std::vector<std::string>> Loaded;

int CollectingLoader(void*, int columns, char** values, char**) {
    std::vector<std::string> row;
    for (int c = 0; c < columns; ++c)
        row.push_back(ColumnText(values, c));
    Loaded.push_back(row);
    ++CurrentRow;
    return 0;
}

// Runs work the way every action does: open, run, close (also after an error); returns the message shown.
std::string InAction(const std::function<void()>& work) {
    std::string shown;
    try {
        InOpenDatabase(work);
    } catch (const Exception& e) {
        shown = e.what();
    }
    return shown;
}

std::string LoadQuery(const std::string& sql) {
    Loaded.clear();
    CurrentRow = 1;
    return InAction([&sql] {
        QueryText = sql;
        RunQuery(CollectingLoader);
    });
}

std::string Exec(const std::string& sql) {
    return InAction([&sql] { ExecStatements(Database, sql); });
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { DatabaseFileName = "Products.db3"; }
    TempDir dir;
};

TEST_F(DatabaseTest, MissingFileIsCreatedAndEveryReadFailsWithNoSuchTable) {
    SKIP_ON_SERVER();
    ASSERT_FALSE(std::filesystem::exists("Products.db3"));
    EXPECT_EQ(LoadQuery("SELECT Component, Price from Materials order by Component;"),
              "SQLite Error 1 - no such table: Materials");
    EXPECT_TRUE(std::filesystem::exists("Products.db3"));
    EXPECT_TRUE(Loaded.empty());
    EXPECT_EQ(CurrentRow, 1);
    EXPECT_EQ(Database, nullptr) << "the connection is closed after the failed action";
}

TEST_F(DatabaseTest, FileThatIsNoDatabaseFailsWithItsOwnCodeAndText) {
    SKIP_ON_SERVER();
    std::ofstream("Products.db3") << "These are the minutes of the last meeting, not a database at all.\n"
                                  << std::string(2000, 'x');
    EXPECT_EQ(LoadQuery("SELECT Component from Materials;"), "SQLite Error 26 - file is not a database");
    EXPECT_EQ(Exec("Delete from Materials where Component ='X';"), "SQLite Error 26 - file is not a database");
}

TEST_F(DatabaseTest, LockHeldByAnotherConnectionFailsAtOnceWithBusy) {
    SKIP_ON_SERVER();
    CreateDatabase();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("Products.db3", &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(Exec("INSERT INTO Materials (Component, Price, Date) Values ('A',0.0, CURRENT_DATE);"),
              "SQLite Error 5 - database is locked");
    EXPECT_EQ(LoadQuery("SELECT Component from Materials;"), "SQLite Error 5 - database is locked");
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Exec("INSERT INTO Materials (Component, Price, Date) Values ('A',0.0, CURRENT_DATE);"), "");
}

TEST_F(DatabaseTest, ExecStatementsStopsAtTheFailingStatementAndKeepsTheEarlierOnes) {
    CreateDatabase();
    EXPECT_EQ(Exec("INSERT INTO Materials (Component, Price) Values ('FIRST', '1.5');"
                   "INSERT INTO Nowhere (X) Values (1);"
                   "INSERT INTO Materials (Component, Price) Values ('THIRD', '3');"),
              ByEngine("SQLite Error 1 - no such table: Nowhere",
                       "PostgreSQL Error 42P01 - relation \"nowhere\" does not exist"));
    EXPECT_EQ(QueryRows("select Component, Price from Materials;"), std::vector<std::string>{"FIRST|1.5"});

    // A tail of blanks or a comment runs nothing and is no error; so is a text of blanks only.
    EXPECT_EQ(Exec("INSERT INTO Materials (Component, Price) Values ('SECOND', 2);   \n  -- done\n  "), "");
    EXPECT_EQ(Exec("   \n "), "");
    EXPECT_EQ(Exec(""), "");
    EXPECT_EQ(QueryValue("select count(*) from Materials;"), "2");

    // Without a connection nothing runs.
    EXPECT_NO_THROW(ExecStatements(nullptr, "this is not SQL"));
}

TEST_F(DatabaseTest, LoaderGetsNullAsEmptyTextAndNamesRoundTripWithApostrophes) {
    CreateDatabase();
    const std::string name = "MOTHER'S SALT 'EXTRA''";
    EXPECT_EQ(Exec("INSERT INTO Materials (Component, Price, Date) Values ('" + StringManager.QuoteSql(name) +
                   "','12.50', CURRENT_DATE);"),
              "");
    EXPECT_EQ(Exec("Insert into Products (Product) Values ('O''NEILL BLEND');"), "");

    EXPECT_EQ(
        LoadQuery("select Component, Price from Materials where Component = '" + StringManager.QuoteSql(name) + "';"),
        "");
    ASSERT_EQ(Loaded.size(), 1u);
    EXPECT_EQ(Loaded[0][0], name);
    EXPECT_EQ(Loaded[0][1], "12.5") << "a price written as text is stored as a number";
    EXPECT_EQ(CurrentRow, 2);

    EXPECT_EQ(LoadQuery("Select product, price from products order by product;"), "");
    ASSERT_EQ(Loaded.size(), 1u);
    EXPECT_EQ(Loaded[0], (std::vector<std::string>{"O'NEILL BLEND", ""}));
}

TEST_F(DatabaseTest, SuccessCodesAndErrorMessages) {
    for (int code : {0, 100, 101, 0x100, 0x200 | 100, 0x300 | 101})
        EXPECT_EQ(CheckResult(code, nullptr), code) << code;
    try {
        CheckResult(SQLITE_CONSTRAINT, nullptr);
        FAIL() << "code 19 is an error";
    } catch (const ESQLite3& e) {
        EXPECT_STREQ(e.what(), "SQLite Error 19");
        EXPECT_EQ(e.Code(), 19);
    }
    EXPECT_THROW(CheckResult(SQLITE_BUSY | 0x100, nullptr), ESQLite3);
}

TEST_F(DatabaseTest, NamesAreUniqueButCaseStillMatters) {
    CreateDatabase();
    EXPECT_EQ(Exec("INSERT INTO Materials (Component, Price, Date) Values ('WATER',0.0, CURRENT_DATE);"
                   "INSERT INTO Materials (Component, Price, Date) Values ('SUGAR','1.20', CURRENT_DATE);"
                   "INSERT INTO Materials (Component, Price, Date) Values ('sugar','1.20', CURRENT_DATE);"),
              "");
    EXPECT_EQ(Exec("Update Materials Set Component = 'WATER', Price = '2', Date = CURRENT_DATE  where component = "
                   "'SUGAR';"),
              ByEngine("SQLite Error 19 - UNIQUE constraint failed: Materials.Component",
                       "PostgreSQL Error 23505 - duplicate key value violates unique constraint "
                       "\"materials_component_key\": Key (component)=(WATER) already exists"));
    EXPECT_EQ(QueryValue("select count(*) from Materials where Component = 'WATER';"), "1");
    EXPECT_EQ(Exec("Insert into Products (Product) Values ('CAKE');Insert into Products (Product) Values ('CAKE');"),
              ByEngine("SQLite Error 19 - UNIQUE constraint failed: Products.Product",
                       "PostgreSQL Error 23505 - duplicate key value violates unique constraint "
                       "\"products_product_key\": Key (product)=(CAKE) already exists"));
}

TEST_F(DatabaseTest, ViewsShowOneRowPerLineWhoseProductAndComponentExist) {
    CreateDatabase();
    RunSql("INSERT INTO Materials (Comp_ID, Component, Price) Values (1, 'ETHANOL', 2.5), (2, 'ANETHOLE', 40),"
           " (3, 'GONE', 9);"
           "INSERT INTO Products (Prod_ID, Product) Values (1, 'ANISETTE'), (2, 'OTHER');"
           "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) Values (1, 1, 1, 10), (2, 1, 2, 0.5), (3, 1, 3, 1),"
           " (4, 2, 1, 4), (5, 9, 1, 7);"
           "DELETE FROM Materials WHERE Comp_ID = 3;");
    EXPECT_EQ(QueryRows("select Product, Component, Quantity, Cumulative from Report order by Product, Component;"),
              (std::vector<std::string>{"ANISETTE|ANETHOLE|0.5|20.0", "ANISETTE|ETHANOL|10.0|25.0",
                                        "OTHER|ETHANOL|4.0|10.0"}));
    EXPECT_EQ(QueryRows("select Component, Product, Quantity from Components_in_Recipes order by Component, Product;"),
              (std::vector<std::string>{"ANETHOLE|ANISETTE|0.5", "ETHANOL|ANISETTE|10.0", "ETHANOL|OTHER|4.0"}));
    // Deleting a product or a component never takes recipe lines with it.
    RunSql("DELETE FROM Products WHERE Prod_ID = 2;");
    EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "5");
    EXPECT_EQ(QueryValue("select count(*) from Report;"), "2");
}

TEST_F(DatabaseTest, ARecipeRescaledKeepsItsDeletedLinesAndAddsUpInWholeGrams) {
    CreateDatabase();
    RunSql("INSERT INTO Materials (Comp_ID, Component, Price) Values (1, 'ETHANOL', 2.5), (2, 'ANETHOLE', 40);"
           "INSERT INTO Products (Prod_ID, Product) Values (1, 'ANISETTE'), (2, 'EMPTY');"
           "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) Values (1, 1, 1, 1), (2, 1, 9, 5), (3, 1, 2, 1),"
           " (4, 1, 1, 1), (5, 2, 9, 3);");
    const auto db = ConnectTo();
    EXPECT_EQ(RescaleRecipe(db.get(), "ANISETTE", 1000), TRecipeScaled::Scaled);
    EXPECT_EQ(RescaleRecipe(db.get(), "EMPTY", 1000), TRecipeScaled::NoMass);
    EXPECT_EQ(QueryRows("select ID, Quantity from Recipes order by ID;"),
              (std::vector<std::string>{"1|0.334", "2|5.0", "3|0.333", "4|0.333", "5|3.0"}));
}

TEST_F(DatabaseTest, ARescaleOrACopyOnALockedFileLeavesItAsItWas) {
    SKIP_ON_SERVER();
    CreateDatabase();
    RunSql("INSERT INTO Materials (Comp_ID, Component, Price) Values (1, 'ETHANOL', 2.5), (2, 'ANETHOLE', 40);"
           "INSERT INTO Products (Prod_ID, Product) Values (1, 'ANISETTE');"
           "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) Values (1, 1, 1, 1), (2, 1, 2, 2);");
    const auto bytes = [] {
        std::ifstream in("Products.db3", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = bytes();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("Products.db3", &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto db = ConnectTo();
    EXPECT_ANY_THROW(RescaleRecipe(db.get(), "ANISETTE", 1000));
    EXPECT_ANY_THROW(CopyProduct(db.get(), "ANISETTE", "ANISETTE COPY"));
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(bytes(), before);
}

TEST_F(DatabaseTest, CostedLinesCarryTheRecipesMoneyByLine) {
    CreateDatabase();
    RunSql(
        "INSERT INTO Materials (Comp_ID, Component, Price) Values (1, 'ETHANOL', 2.5), (2, 'WATER', 0), (3, 'GONE', 9);"
        "INSERT INTO Products (Prod_ID, Product) Values (1, 'O''NEILL');"
        "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) Values (2, 1, 2, 6), (1, 1, 1, 10), (3, 1, 3, 1);"
        "DELETE FROM Materials WHERE Comp_ID = 3;");
    std::vector<TCostedLine> lines;
    EXPECT_EQ(InAction([&lines] { lines = CostedLines(Database, "O'NEILL"); }), "");
    ASSERT_EQ(lines.size(), 2u) << "the line of a deleted component is left out";
    EXPECT_EQ(lines[0].Id, "1");
    EXPECT_EQ(lines[0].Line.Component, "ETHANOL");
    EXPECT_EQ(lines[0].Line.Cost, 25.0);
    EXPECT_EQ(lines[0].Line.Price, 2.5);
    EXPECT_TRUE(lines[0].Line.Priced);
    EXPECT_EQ(lines[1].Line.Mass, 6.0);
    EXPECT_FALSE(lines[1].Line.Priced);
}

TEST_F(DatabaseTest, RecipeLineIdsHoldOnlyTheLinesOnDisplay) {
    ClearRecipeLineIds();
    for (int row = 1; row <= 25; ++row)
        SetRecipeLineId(row, std::to_string(100 + row));
    EXPECT_EQ(RecipeLineId(25), "125") << "every line of a long recipe keeps its ID";
    EXPECT_EQ(RecipeLineId(0), std::nullopt);
    EXPECT_EQ(RecipeLineId(26), std::nullopt);
    ClearRecipeLineIds();
    SetRecipeLineId(1, "7");
    EXPECT_EQ(RecipeLineId(1), "7");
    EXPECT_EQ(RecipeLineId(2), std::nullopt) << "no ID of an earlier display is taken for a line of this one";
}

} // namespace

namespace {

TEST_F(DatabaseTest, AFailedCloseIsReportedAndTheConnectionIsNotLost) {
    SKIP_ON_SERVER();
    CreateDatabase();
    sqlite3_stmt* unfinished = nullptr;
    const std::string shown =
        InAction([&unfinished] { sqlite3_prepare_v2(SQLiteHandle(Database), "SELECT 1;", -1, &unfinished, nullptr); });
    EXPECT_EQ(shown.rfind("SQLite Error 5 - ", 0), 0u) << shown;
    EXPECT_EQ(Database, nullptr);
    // The next action opens afresh and works; the old connection goes once its statement is done.
    EXPECT_EQ(LoadQuery("SELECT count(*) FROM Materials;"), "");
    sqlite3_finalize(unfinished);
    EXPECT_EQ(Exec("INSERT INTO Materials (Component) VALUES ('A');"), "");
}

} // namespace

TEST_F(DatabaseTest, BoundValuesNeverBecomePartOfTheStatement) {
    CreateDatabase();
    const std::string name = "O'NEILL'); DROP TABLE Materials; --";
    EXPECT_EQ(InAction([&name] {
                  Execute(Database, "INSERT INTO Materials (Component, Price, Date) VALUES (?, ?, CURRENT_DATE);",
                          {name, "12.50"});
                  Execute(Database, "INSERT INTO Materials (Component, Price) VALUES (?, ?);", {"B", TValue()});
              }),
              "");
    // A text bound to a number column is read by the column, as a quoted literal would be.
    EXPECT_EQ(QueryRows("SELECT Component, Price, Price * 2 FROM Materials ORDER BY Comp_ID;"),
              (std::vector<std::string>{name + "|12.5|25.0", "B|<null>|<null>"}));
    std::optional<std::string> found;
    InAction([&] { found = QueryFirst(Database, "SELECT Comp_ID FROM Materials WHERE Component = ?;", {name}); });
    EXPECT_EQ(found, "1");
}
