// The raw materials of a product through its premixes, the batch they make, and where a component is used,
// on a file that holds premixes on three levels, one of mass 0 and a cycle another program wrote.
#include "database/Database.h"
#include "database/RawMaterials.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A (SUGAR 3, WATER 1) is in B (A 2, SALT 2, SUGAR 1), which is in C (B 10, WATER 10); D holds A directly and
// through B. E weighs nothing and F uses it. G and H contain each other.
const char* const Data =
    "CREATE TABLE IF NOT EXISTS Premixes (Comp_ID INTEGER PRIMARY KEY, Prod_ID INTEGER NOT NULL UNIQUE);"
    "INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'SUGAR', 2.0), (2, 'WATER', 0.5), (3, 'SALT', 1.0),"
    " (4, 'AROMA', NULL), (10, 'A', 2.25), (11, 'B', 1.9), (12, 'E', 3.0), (13, 'G', 1.0), (14, 'H', 1.0);"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'A'), (2, 'B'), (3, 'C'), (4, 'D'), (5, 'E'), (6, 'F'),"
    " (7, 'G'), (8, 'H');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 3), (2, 1, 2, 1), (3, 2, 10, 2),"
    " (4, 2, 3, 2), (5, 2, 1, 1), (6, 3, 11, 10), (7, 3, 2, 10), (8, 4, 10, 4), (9, 4, 11, 5), (10, 4, 3, 1),"
    " (11, 5, 1, 0), (12, 6, 12, 2), (13, 6, 2, 2), (14, 6, 4, 1), (15, 6, 99, 5), (16, 7, 14, 1), (17, 7, 2, 1),"
    " (18, 8, 13, 1), (19, 8, 2, 1);"
    "INSERT INTO Premixes (Comp_ID, Prod_ID) VALUES (10, 1), (11, 2), (12, 5), (13, 7), (14, 8);";

class RawMaterialsTest : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql(Data);
    }
    static TFlatRecipe Raw(const std::string& product) {
        TFlatRecipe raw;
        InOpenDatabase([&] { raw = RawMaterialsOf(Database, product); });
        return raw;
    }
    static std::vector<std::string> Rows(const TFlatRecipe& raw) {
        std::vector<std::string> rows;
        for (const TRawMaterial& m : raw.Materials)
            rows.push_back(m.Component + " " + std::to_string(m.Mass) + (m.Flag == TRawFlag::None ? "" : " flagged"));
        return rows;
    }
    static std::vector<std::string> Uses(const std::string& component) {
        std::vector<TComponentUse> uses;
        InOpenDatabase([&] { uses = WhereUsed(Database, component); });
        std::vector<std::string> rows;
        for (const TComponentUse& use : uses)
            rows.push_back(use.Product + "|" + PathText(use.Through) + "|" +
                           (use.PerKg ? std::to_string(*use.PerKg) : "-") + (use.Cycle ? "|cycle" : ""));
        return rows;
    }
    TempDir dir;
};

TEST_F(RawMaterialsTest, ThreeLevelsFlattenAndTheBatchAddsUpToItsTotals) {
    const TFlatRecipe c = Raw("C");
    EXPECT_EQ(c.TotalMass, 20.0);
    EXPECT_EQ(Rows(c), (std::vector<std::string>{"WATER 11.000000", "SUGAR 5.000000", "SALT 4.000000"}));

    const TBatch batch = MakeBatch(c, 100.0);
    ASSERT_EQ(batch.Rows.size(), 3u);
    EXPECT_EQ(batch.Rows[0].Mass, 55000);
    EXPECT_EQ(batch.Rows[0].Percent, 5500);
    EXPECT_EQ(batch.Rows[0].Cost, 2750);
    EXPECT_EQ(batch.Rows[1].Cost, 5000);
    EXPECT_EQ(batch.TotalMass, 100000);
    EXPECT_EQ(batch.TotalPercent, 10000);
    EXPECT_EQ(batch.TotalCost, 9750);
    EXPECT_FALSE(batch.CostIncomplete);
    // B's 10 kg and the A in it, 4 kg, scaled to the batch, and the product's own rounding.
    EXPECT_EQ(batch.RoundingBound, 85);

    // Thirds that round: the rows still add up to the totals shown, and those to the batch and 100 %.
    const TBatch odd = MakeBatch(c, 10.0 / 3);
    std::int64_t mass = 0, percent = 0, cost = 0;
    for (const TBatchRow& row : odd.Rows) {
        mass += row.Mass;
        percent += *row.Percent;
        cost += *row.Cost;
    }
    EXPECT_EQ(odd.TotalMass, 3333);
    EXPECT_EQ(mass, 3333);
    EXPECT_EQ(percent, 10000);
    EXPECT_EQ(odd.TotalCost, cost);
    EXPECT_EQ(cost, 325); // 19.50 for 20 kg

    // The same premix by two paths: A directly and inside B.
    EXPECT_EQ(Rows(Raw("D")), (std::vector<std::string>{"SUGAR 5.500000", "SALT 3.000000", "WATER 1.500000"}));
    // Without a premix nothing is shared out and the bound is 0.
    EXPECT_EQ(MakeBatch(Raw("A"), 4.0).RoundingBound, 0);
    EXPECT_FALSE(Raw("NO SUCH").Found);
}

TEST_F(RawMaterialsTest, APremixOfNoMassAndACycleStayAsThemselvesFlagged) {
    // E weighs nothing; the deleted component's line is left out; AROMA has no price, so no cost.
    const TFlatRecipe f = Raw("F");
    EXPECT_EQ(Rows(f), (std::vector<std::string>{"E 2.000000 flagged", "WATER 2.000000", "AROMA 1.000000"}));
    EXPECT_EQ(f.Materials[0].Flag, TRawFlag::EmptyPremix);
    EXPECT_EQ(f.Materials[0].Price, 3.0);
    const TBatch batch = MakeBatch(f, 5.0);
    EXPECT_FALSE(batch.Rows[2].Cost);
    EXPECT_TRUE(batch.CostIncomplete);
    EXPECT_EQ(batch.TotalCost, 700);

    // G > H > G: the walk stops where G comes round again.
    const TFlatRecipe g = Raw("G");
    EXPECT_EQ(Rows(g), (std::vector<std::string>{"WATER 1.500000", "G 0.500000 flagged"}));
    EXPECT_EQ(g.Materials[1].Flag, TRawFlag::Cycle);
}

TEST_F(RawMaterialsTest, WhereUsedListsEveryProductAndPathWithItsMassPerKg) {
    EXPECT_EQ(Uses("SUGAR"), (std::vector<std::string>{"A||0.750000", "B||0.200000", "B|A|0.300000", "C|B|0.100000",
                                                       "C|B > A|0.150000", "D|A|0.300000", "D|B|0.100000",
                                                       "D|B > A|0.150000", "E||-", "F|E|-"}));
    // Round a cycle once, then flagged and not followed further.
    const std::vector<std::string> water = Uses("WATER");
    EXPECT_NE(std::find(water.begin(), water.end(), "G|H > G|0.125000|cycle"), water.end());
    EXPECT_NE(std::find(water.begin(), water.end(), "H|G > H|0.125000|cycle"), water.end());
    EXPECT_EQ(water.size(), 13u);
    // A premix used in its own recipe is a cycle from the start.
    EXPECT_EQ(Uses("G"), (std::vector<std::string>{"G|H|0.250000|cycle", "H||0.500000"}));
    EXPECT_TRUE(Uses("NO SUCH").empty());

    // A file without Premixes has ordinary components only.
    RunSql("DROP TABLE Premixes;");
    EXPECT_EQ(Uses("SUGAR"), (std::vector<std::string>{"A||0.750000", "B||0.200000", "E||-"}));
    EXPECT_EQ(Rows(Raw("C")), (std::vector<std::string>{"B 10.000000", "WATER 10.000000"}));
}

} // namespace
