// Premixes: prices rolled up through every level, cycles refused, the deletes and renames of a premix, and a
// recomputation that writes only what changed, against real files.
#include "database/Components.h"
#include "database/Database.h"
#include "database/Premixes.h"
#include "database/PriceListImport.h"
#include "database/Prices.h"
#include "database/Products.h"
#include "database/Recipes.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

namespace {

// Premix A (sugar and water) in premix B (A and salt) in product C (B and water); D uses A directly and
// through B.
class PremixTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_ON_SERVER();
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql("INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (2, 'WATER', 0.4, '2025-01-01'),"
               " (3, 'SALT', 1.0, '2025-01-01');"
               "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'A'), (2, 'B'), (3, 'C'), (4, 'D');"
               "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 50), (1, 2, 50), (3, 2, 50),"
               " (4, 2, 80);");
        InOpenDatabase([] {
            InTransaction(Database, [] { RecomputeProducts(Database); });
            UseAsPremix(Database, "A");
        });
        // B, C and D take the premixes as Edit Recipe posts them.
        Post("B", "A", "20");
        Post("B", "SALT", "80");
        InOpenDatabase([] { UseAsPremix(Database, "B"); });
        Post("C", "B", "50");
        Post("D", "A", "10");
        Post("D", "B", "10");
        Refresh();
    }
    static TLinePosted Post(const std::string& product, const std::string& component, const std::string& mass,
                            std::string* refusal = nullptr) {
        TLinePosted posted = TLinePosted::Written;
        InOpenDatabase([&] { posted = PostRecipeLine(Database, {true, "", product, component, mass, {}}, refusal); });
        return posted;
    }
    static TRecomputation Refresh() {
        TRecomputation result;
        InOpenDatabase([&] { InTransaction(Database, [&] { result = RecomputeProducts(Database); }); });
        return result;
    }
    static std::string Price(const std::string& product) {
        return QueryValue("SELECT Price FROM Products WHERE Product = '" + product + "';");
    }
    TempDir dir;
};

// The message of the action's failure; empty when it succeeds.
std::string Refusal(const std::function<void()>& action) {
    try {
        InOpenDatabase(action);
    } catch (const Exception& e) {
        return e.what();
    }
    return {};
}

TEST_F(PremixTest, PricesRollUpThroughEveryLevelAsAPostAndRefreshGiveThem) {
    EXPECT_EQ(QueryRows("SELECT Product, Price FROM Products ORDER BY Product;"),
              (std::vector<std::string>{"A|1.2", "B|1.04", "C|0.72", "D|0.54"}));
    EXPECT_EQ(QueryRows("SELECT Component, Price FROM Materials WHERE Comp_ID > 3 ORDER BY Component;"),
              (std::vector<std::string>{"A|1.2", "B|1.04"}));

    // The impact through every level, without a write.
    const std::string before = ReadFile("Products.db3");
    std::vector<TProductImpact> impact;
    InOpenDatabase([&] { impact = PriceImpact(Database, {{"1", "3.00"}}); });
    EXPECT_EQ(ReadFile("Products.db3"), before);

    InOpenDatabase([] { PostComponent(Database, {false, "SUGAR", "3.00", "SUGAR", {}}); });
    Refresh();
    EXPECT_EQ(QueryRows("SELECT Product, Price FROM Products ORDER BY Product;"),
              (std::vector<std::string>{"A|1.7", "B|1.14", "C|0.77", "D|0.6"}));
    // The component list shows the premixes' new prices, their former ones in the history.
    EXPECT_EQ(QueryRows("SELECT Component, Price FROM Materials WHERE Comp_ID > 3 ORDER BY Component;"),
              (std::vector<std::string>{"A|1.7", "B|1.14"}));
    EXPECT_EQ(QueryRows("SELECT M.Component, H.Price FROM PriceHistory H JOIN Materials M ON M.Comp_ID = H.Comp_ID "
                        "WHERE H.Comp_ID > 3 ORDER BY M.Component;"),
              (std::vector<std::string>{"A|1.2", "B|1.04"}));
    std::vector<std::string> moved;
    for (const TProductImpact& product : impact)
        moved.push_back(product.Product + "|" + product.After);
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(moved, (std::vector<std::string>{"A|1.7", "B|1.14", "C|0.77", "D|0.6"}));

    // A Refresh that changes nothing writes nothing.
    const std::string settled = ReadFile("Products.db3");
    const auto time = std::filesystem::last_write_time("Products.db3");
    Refresh();
    EXPECT_EQ(ReadFile("Products.db3"), settled);
    EXPECT_EQ(std::filesystem::last_write_time("Products.db3"), time);

    // An import leaves a premix's price to its recipe.
    TPriceList list;
    list.Lines = {{1, "A", "9.00", 9.0}, {2, "SALT", "1.50", 1.5}};
    TImportPreview preview;
    InOpenDatabase([&] { preview = PreviewPriceImport(Database, list); });
    ASSERT_EQ(preview.Skipped.size(), 1u);
    EXPECT_EQ(preview.Skipped[0].Reason, "a premix: its price comes from its recipe");
    ASSERT_EQ(preview.Changes.size(), 1u);
    EXPECT_EQ(preview.Changes[0].Component, "SALT");
}

TEST_F(PremixTest, CyclesAreRefusedWithTheirPathAndAFileWithOneKeepsThosePrices) {
    std::string refusal;
    EXPECT_EQ(Post("A", "B", "1", &refusal), TLinePosted::Cycle);
    EXPECT_EQ(refusal, "B cannot go into A: A is part of B (B > A).");
    EXPECT_EQ(Post("A", "A", "1", &refusal), TLinePosted::Cycle);
    EXPECT_EQ(refusal, "A cannot go into A: A is part of A (A).");
    // A component that a premix below the product uses cannot become that product's premix.
    RunSql("INSERT INTO Materials VALUES (9, 'C', 1.0, '2025-01-01'); INSERT INTO Recipes (Prod_ID, Comp_ID, "
           "Quantity) VALUES (1, 9, 1);");
    TPremixCandidate candidate;
    InOpenDatabase([&] { candidate = CheckPremixCandidate(Database, "C"); });
    EXPECT_EQ(candidate.Refusal, "C cannot go into A: A is part of C (C > B > A).");
    EXPECT_THROW(InOpenDatabase([] { UseAsPremix(Database, "C"); }), Exception);
    RunSql("DELETE FROM Recipes WHERE Comp_ID = 9;");
    // The same premix by a second path is no cycle.
    EXPECT_EQ(Post("C", "A", "1"), TLinePosted::Written);

    // Another program wrote A into B into A: those prices stay, and whatever uses them.
    const auto prices = QueryRows("SELECT Product, Price FROM Products ORDER BY Product;");
    RunSql("INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT 1, Comp_ID, 5 FROM Premixes WHERE Prod_ID = 2;"
           "UPDATE Materials SET Price = 7 WHERE Component = 'SUGAR';");
    const TRecomputation result = Refresh();
    EXPECT_EQ(CycleText(result), "Prices not computed for A, B: they contain each other (A > B > A).");
    EXPECT_EQ(result.NotComputed, 4);
    EXPECT_EQ(QueryRows("SELECT Product, Price FROM Products ORDER BY Product;"), prices);
}

TEST_F(PremixTest, DeletesAreRefusedWhileUsedAndARenameTakesTheComponentAlong) {
    EXPECT_EQ(Refusal([] { RemoveProduct(Database, "A"); }),
              "A is a premix used in 2 products; remove it from them first.");
    EXPECT_EQ(Refusal([] { RemoveComponent(Database, "B"); }),
              "B is the premix of the product B; use Stop Using as Premix first.");
    EXPECT_EQ(Refusal([] { ChangeProductName(Database, "B", "SALT"); }), "A component named SALT exists");
    InOpenDatabase([] { ChangeProductName(Database, "B", "BASE"); });
    EXPECT_EQ(QueryRows("SELECT M.Component FROM Premixes X JOIN Materials M ON M.Comp_ID = X.Comp_ID ORDER BY 1;"),
              (std::vector<std::string>{"A", "BASE"}));

    // C is no premix's user: made one and deleted again, it leaves nothing of itself.
    InOpenDatabase([] { UseAsPremix(Database, "C"); });
    RunSql("UPDATE Materials SET Price = 0.5 WHERE Component = 'WATER';");
    Refresh();
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM PriceHistory H JOIN Materials M ON M.Comp_ID = H.Comp_ID WHERE "
                         "M.Component = 'C';"),
              "1");
    const std::string compId = QueryValue("SELECT Comp_ID FROM Materials WHERE Component = 'C';");
    InOpenDatabase([] { RemoveProduct(Database, "C"); });
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Products WHERE Product = 'C';"), "0");
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Materials WHERE Component = 'C';"), "0");
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM PriceHistory WHERE Comp_ID = " + compId + ";"), "0");
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Premixes;"), "2");

    // Stopped, a premix's component keeps its last price and no longer follows the recipe.
    InOpenDatabase([] { InTransaction(Database, [] { StopUsingAsPremix(Database, "A"); }); });
    RunSql("UPDATE Materials SET Price = 9 WHERE Component = 'SUGAR';");
    Refresh();
    EXPECT_EQ(QueryValue("SELECT Price FROM Materials WHERE Component = 'A';"), "1.25");
}

TEST_F(PremixTest, AnIncompletePriceCarriesThroughThePremixes) {
    RunSql("INSERT INTO Materials VALUES (8, 'FLAVOUR', NULL, '2025-01-01');"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 8, 1);");
    Refresh();
    std::vector<std::string> notes;
    InOpenDatabase([&notes] {
        for (const TIncompletePrice& product : IncompletePrices(Database))
            notes.push_back(product.Product + ": " + IncompletePriceNote(product));
    });
    EXPECT_EQ(notes, (std::vector<std::string>{"A: Price incomplete: no price for FLAVOUR",
                                               "B: Price incomplete; premix A has incomplete prices",
                                               "C: Price incomplete; premix B has incomplete prices",
                                               "D: Price incomplete; premix A has incomplete prices; premix B has "
                                               "incomplete prices"}));
}

// Random files: the guarded recomputation leaves every product as the former statement does, and an older file
// without premixes that nothing changes stays byte for byte as it was.
TEST(RecomputationTest, TheGuardedStatementGivesTheFormerResultsAndWritesNothingUnchanged) {
    SKIP_ON_SERVER();
    TempDir dir;
    std::mt19937 random(25);
    for (int round = 0; round < 6; ++round) {
        std::string sql;
        const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        for (int c = 1; c <= 30; ++c) {
            const int kind = pick(8);
            // Prices and quantities of a few binary digits, so every sum is exact whatever its order.
            const std::string price = kind == 0   ? "NULL"
                                      : kind == 1 ? "0"
                                      : kind == 2 ? "''"
                                                  : std::to_string(pick(80) * 0.125);
            sql += "INSERT INTO Materials VALUES (" + std::to_string(c) + ", 'C" + std::to_string(c) + "', " + price +
                   ", '2025-01-01');";
        }
        for (int p = 1; p <= 40; ++p) {
            sql += "INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (" + std::to_string(p) +
                   ", 'P" + std::to_string(p) + "', " + (pick(3) ? "NULL" : "7") + ", " + (pick(3) ? "NULL" : "1.5") +
                   ", 'notes');";
            for (int l = pick(6); l > 0; --l)
                sql += "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (" + std::to_string(p) + ", " +
                       std::to_string(1 + pick(34)) + ", " + std::to_string(pick(40) * 0.25) + ");";
        }
        for (const char* file : {"Former.db3", "Guarded.db3"}) {
            std::filesystem::remove(file);
            CreateDatabase(file);
            RunSql("BEGIN; DROP TABLE Premixes;" + sql + "COMMIT;", file);
        }
        {
            const auto former = ConnectTo("Former.db3");
            ExecStatements(former.get(), RecomputeProductsStatement());
            former->Close();
            const auto guarded = ConnectTo("Guarded.db3");
            RecomputeProducts(guarded.get());
            guarded->Close();
        }
        const std::string all = "SELECT * FROM Products ORDER BY Prod_ID;";
        ASSERT_EQ(QueryRows(all, "Guarded.db3"), QueryRows(all, "Former.db3")) << "round " << round;
        const std::string bytes = ReadFile("Guarded.db3");
        const auto time = std::filesystem::last_write_time("Guarded.db3");
        const auto again = ConnectTo("Guarded.db3");
        InTransaction(again.get(), [&again] { RecomputeProducts(again.get()); });
        again->Close();
        EXPECT_EQ(ReadFile("Guarded.db3"), bytes);
        EXPECT_EQ(std::filesystem::last_write_time("Guarded.db3"), time);
    }
}

} // namespace
