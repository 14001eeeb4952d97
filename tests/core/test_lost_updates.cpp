// Two colleagues on one component or recipe line: an edit posts only over the row as it opened it, on the file and
// again on the test server, and an emptied mass is a number there too.
#include "database/Components.h"
#include "database/Database.h"
#include "database/Recipes.h"
#include "tests/support/TestDatabase.h"
#include "text/StrMan.h"

#include <gtest/gtest.h>

namespace {

class LostUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql("INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'SUGAR', 2.125, '2025-01-01'),"
               " (2, 'WATER', NULL, '2025-02-02');"
               "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'SYRUP');"
               "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 0.0125), (2, 1, 2, 3);");
    }
    void TearDown() override { DecimalSeparator = '.'; }
    static TStoredComponent Opened(const std::string& name) {
        std::optional<TStoredComponent> stored;
        InOpenDatabase([&] { stored = ReadStoredComponent(Database, name); });
        return stored.value();
    }
    static TComponentPosted Post(const std::string& name, const std::string& price, const TStoredComponent& opened) {
        TComponentPosted posted;
        InOpenDatabase([&] { posted = PostComponent(Database, {false, name, price, opened.Name, opened}); });
        return posted;
    }
    static TStoredLine OpenedLine(const std::string& id) {
        std::optional<TStoredLine> stored;
        InOpenDatabase([&] { stored = ReadStoredLine(Database, id); });
        return stored.value();
    }
    static TLinePosted PostLine(const TStoredLine& opened, const std::string& component, const std::string& mass,
                                std::optional<TStoredLine>* now = nullptr) {
        TLinePosted posted = TLinePosted::Written;
        InOpenDatabase([&] {
            posted = PostRecipeLine(Database, {false, opened.Id, "SYRUP", component, mass, opened}, nullptr, now);
        });
        return posted;
    }
    TempDir dir;
};

TEST_F(LostUpdateTest, AComponentChangedMeanwhileIsReplacedOnlyOverWhatIsThereNow) {
    const TStoredComponent sugar = Opened("SUGAR");
    RunSql("UPDATE Materials SET Price = 12.5 WHERE Comp_ID = 1;");
    const TComponentPosted changed = Post("SUGAR", "3", sugar);
    ASSERT_EQ(changed.Outcome, TPostOutcome::Changed);
    DecimalSeparator = ',';
    EXPECT_EQ(ComponentNowText(sugar, *changed.Now), "12,50");
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM PriceHistory;"), "0") << "nothing of the refused post stays";

    // Replaced over what is there now: written, with the price it replaced in the history.
    EXPECT_EQ(Post("SUGAR", "3", *changed.Now).Outcome, TPostOutcome::Written);
    EXPECT_EQ(QueryRows("SELECT Price FROM Materials WHERE Comp_ID = 1;"), std::vector<std::string>{"3.0"});
    EXPECT_EQ(QueryRows("SELECT Price FROM PriceHistory;"), std::vector<std::string>{"12.5"});

    // Unchanged: written at once, a stored NULL matching the NULL read.
    EXPECT_EQ(Post("PURE WATER", "", Opened("WATER")).Outcome, TPostOutcome::Written);

    // A colleague's rename is a change, found by the name's bytes; a delete leaves nothing to write.
    const TStoredComponent renamed = Opened("SUGAR");
    RunSql("UPDATE Materials SET Component = 'Sugar' WHERE Comp_ID = 1;");
    const TComponentPosted byName = Post("SUGAR", "4", renamed);
    ASSERT_EQ(byName.Outcome, TPostOutcome::Changed);
    EXPECT_EQ(ComponentNowText(renamed, *byName.Now), "Sugar, 3,00");
    RunSql("DELETE FROM Materials WHERE Comp_ID = 1;");
    EXPECT_EQ(Post("SUGAR", "4", *byName.Now).Outcome, TPostOutcome::Deleted);
    EXPECT_EQ(QueryRows("SELECT Component, Price FROM Materials;"), std::vector<std::string>{"PURE WATER|0.0"});
}

TEST_F(LostUpdateTest, ALineChangedOrDeletedMeanwhileIsNotWrittenOver) {
    const TStoredLine first = OpenedLine("1");
    RunSql("UPDATE Recipes SET Comp_ID = 2, Quantity = 12 WHERE ID = 1;");
    std::optional<TStoredLine> now;
    ASSERT_EQ(PostLine(first, "SUGAR", "0.5", &now), TLinePosted::Changed);
    EXPECT_EQ(LineNowText(*now), "WATER, 12.000 kg");
    EXPECT_EQ(PostLine(*now, "SUGAR", "0.5"), TLinePosted::Written);
    EXPECT_EQ(QueryRows("SELECT Comp_ID, Quantity FROM Recipes WHERE ID = 1;"), std::vector<std::string>{"1|0.5"});

    // Unchanged: written at once. An emptied mass is 0, a number on every engine.
    EXPECT_EQ(PostLine(OpenedLine("2"), "WATER", " "), TLinePosted::Written);
    EXPECT_EQ(QueryRows("SELECT Quantity FROM Recipes WHERE ID = 2;"), std::vector<std::string>{"0.0"});

    const TStoredLine second = OpenedLine("2");
    RunSql("DELETE FROM Recipes WHERE ID = 2;");
    EXPECT_EQ(PostLine(second, "WATER", "1"), TLinePosted::Deleted);
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Recipes;"), "1");
}

} // namespace
