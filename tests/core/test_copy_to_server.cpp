// brivane-copy-to-server: a file moved to an empty database of the test server, whole or not at all; and the
// data of either engine copied to a new file.
#include "database/CopyToFile.h"
#include "database/CopyToServer.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

namespace {

std::vector<std::string> FileRows(const std::string& file, const std::string& sql) {
    return RowsOf(*OpenSQLiteDatabase(file), sql);
}

// The command itself, as a user runs it; its exit status.
int Command(const std::string& arguments) {
    const int status = std::system((std::string(BRIVANE_COPY_COMMAND) + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnServer())
            GTEST_SKIP() << "a test of the server";
        CreateDatabase();
        server = ConnectTo();
        // The source file, made without the server pass's own routing.
        auto file = OpenSQLiteDatabase("source.db3");
        file->ExecStatements(ReadFile(std::string(BRIVANE_SOURCE_DIR) + "/database/schema.sql"));
        file->ExecStatements(ReadFile(std::string(BRIVANE_SOURCE_DIR) + "/database/sample_data.sql"));
    }
    void AddToFile(const std::string& sql) { OpenSQLiteDatabase("source.db3")->ExecStatements(sql); }
    TempDir dir;
    std::unique_ptr<TDatabase> server;
};

TEST_F(CopyTest, EveryTableArrivesWholeAndNewRowsTakeNumbersNeverUsed) {
    // A deleted component's number lives on in a recipe line and in the price history.
    AddToFile("INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity, Datum) VALUES (1, 90, 2.5, '2025-01-02');"
              "INSERT INTO PriceHistory (Comp_ID, Price, Date) VALUES (95, 0.1, '2024-12-31'), (1, 1e20, NULL);");
    EXPECT_EQ(Command("source.db3 'postgresql:" + ServerConnection() + "'"), 0);

    for (const char* sql : {"SELECT Comp_ID, Component, Price, Date FROM Materials ORDER BY Comp_ID;",
                            "SELECT Prod_ID, Product, Mass, Price, Solids FROM Products ORDER BY Prod_ID;",
                            "SELECT ID, Prod_ID, Comp_ID, Quantity, Datum FROM Recipes ORDER BY ID;",
                            "SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY Comp_ID;",
                            "SELECT Product, Component, Quantity, Cumulative FROM Report ORDER BY 1, 2, 3;"})
        EXPECT_EQ(QueryRows(sql), FileRows("source.db3", sql)) << sql;

    Execute(server.get(), "INSERT INTO Materials (Component) VALUES ('NEW');");
    Execute(server.get(), "INSERT INTO Recipes (Quantity) VALUES (1);");
    EXPECT_EQ(QueryValue("SELECT Comp_ID FROM Materials WHERE Component = 'NEW';"), "96");
    EXPECT_EQ(QueryValue("SELECT MAX(ID) FROM Recipes;"),
              std::to_string(std::stoi(FileRows("source.db3", "SELECT MAX(ID) FROM Recipes;")[0]) + 1));

    // A database that holds data is refused, and nothing of the file is added to it.
    const auto before = DumpDatabase();
    EXPECT_EQ(Command("source.db3 'postgresql:" + ServerConnection() + "'"), 1);
    EXPECT_EQ(DumpDatabase(), before);
    EXPECT_EQ(Command("source.db3"), 2);
}

TEST_F(CopyTest, WhatTheServerCannotHoldIsListedAndNothingIsCopied) {
    AddToFile("UPDATE Materials SET Price = 'twelve' WHERE Comp_ID = 1;"
              "UPDATE Materials SET Date = '2025-02-30' WHERE Comp_ID = 2;"
              "UPDATE Materials SET Component = CAST(X'434146C9' AS TEXT) WHERE Comp_ID = 3;"
              "UPDATE Products SET Product = CAST(X'41004200' AS TEXT) WHERE Prod_ID = 1;"
              "UPDATE Recipes SET Comp_ID = 'SUGAR' WHERE ID = 1;"
              "CREATE TABLE Notes (Line TEXT);");
    const TCopyOutcome outcome = CopyFileToServer("source.db3", *server);
    EXPECT_FALSE(outcome.Copied);
    EXPECT_EQ(outcome.Problems,
              (std::vector<std::string>{"the table \"Notes\", which the server's schema does not have",
                                        "Materials row 1: Price holds the text \"twelve\", where a number belongs",
                                        "Materials row 2: Date holds \"2025-02-30\", which is not a date (YYYY-MM-DD)",
                                        "Materials row 3: Component holds \"CAFÉ\", which is not UTF-8 (it reads as "
                                        "Windows-1252); the server holds UTF-8 only",
                                        "Products row 1: Product holds \"A\\0B\\0\" with a NUL byte, which the server "
                                        "cannot store",
                                        "Recipes row 1: Comp_ID holds \"SUGAR\", which is no row's number"}));
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Materials;"), "0");

    // Names are one each on the server; a file made without that rule is told which are twice.
    OpenSQLiteDatabase("twice.db3")
        ->ExecStatements("CREATE TABLE Materials (Comp_ID INTEGER PRIMARY KEY, Component TEXT, Price REAL, Date DATE);"
                         "CREATE TABLE Products (Prod_ID INTEGER PRIMARY KEY, Product TEXT, Mass REAL, Price REAL, "
                         "Solids TEXT);"
                         "CREATE TABLE Recipes (ID INTEGER PRIMARY KEY, Prod_ID INTEGER, Comp_ID INTEGER, "
                         "Quantity REAL, Datum DATE);"
                         "INSERT INTO Materials (Component) VALUES ('WATER'), ('WATER'), ('water');");
    EXPECT_EQ(CopyFileToServer("twice.db3", *server).Problems,
              std::vector<std::string>{"Materials: Component \"WATER\" is held by 2 rows; the server takes it once"});
}

TEST(CopyToFile, TheFileHoldsEveryRowAsTheDatabaseDoesAndTheSchemaOfAFile) {
    TempDir dir;
    CreateDatabase("Products.db3", true);
    // A premix, two earlier prices of one day, and the number of a deleted component still in use.
    RunSql("INSERT INTO Premixes (Comp_ID, Prod_ID) VALUES (1, 2);"
           "INSERT INTO PriceHistory (Comp_ID, Price, Date) VALUES (3, 1.5, '2025-01-02'), (3, 2.5, '2025-01-02'),"
           " (90, 1e20, NULL);"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity, Datum) VALUES (1, 90, 0.125, '2025-01-02');");
    std::ofstream("copy.db3") << "an older copy, replaced";
    CopyDataToFile(*ConnectTo(), "copy.db3", "Products.db3");

    for (const char* sql : {"SELECT Comp_ID, Component, Price, Date FROM Materials ORDER BY Comp_ID;",
                            "SELECT Prod_ID, Product, Mass, Price, Solids FROM Products ORDER BY Prod_ID;",
                            "SELECT ID, Prod_ID, Comp_ID, Quantity, Datum FROM Recipes ORDER BY ID;",
                            "SELECT Comp_ID, Prod_ID FROM Premixes ORDER BY Comp_ID;"})
        EXPECT_EQ(FileRows("copy.db3", sql), QueryRows(sql)) << sql;
    // The prices of one day in the order they were written.
    EXPECT_EQ(FileRows("copy.db3", "SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY rowid;"),
              QueryRows(ByEngine("SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY rowid;",
                                 "SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY ctid;")));
    EXPECT_EQ(FileRows("copy.db3", "SELECT COUNT(*) FROM PriceHistory;"), std::vector<std::string>{"3"});

    const std::string schema = "SELECT type, name, sql FROM sqlite_master ORDER BY name;";
    OpenSQLiteDatabase("empty.db3")->ExecStatements(ReadFile(std::string(BRIVANE_SOURCE_DIR) + "/database/schema.sql"));
    EXPECT_EQ(FileRows("copy.db3", schema), FileRows("empty.db3", schema));
    EXPECT_EQ(FileRows("copy.db3", "PRAGMA quick_check;"), std::vector<std::string>{"ok"});
    if (!OnServer()) {
        EXPECT_EQ(DumpDatabase("copy.db3"), DumpDatabase());
    }
}

} // namespace
