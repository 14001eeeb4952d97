// What the edit dialogs and the notes write, without a window: insert or update, values written back as
// stored, keys that must all be found, and notes never stored over another program's.
#include "database/Components.h"
#include "database/Database.h"
#include "database/Notes.h"
#include "database/Recipes.h"
#include "tests/support/TestDatabase.h"
#include "text/EditedValue.h"
#include "text/StrMan.h"

#include <gtest/gtest.h>

namespace {

class PostingTest : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql("INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (2, 'WATER', 0.5, '2025-02-02');"
               "INSERT INTO Products (Prod_ID, Product, Solids) VALUES (1, 'SYRUP', 'Stir.'), (2, 'BRINE', NULL);"
               "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 0.0125);");
    }
    TempDir dir;
};

TEST(EditedValueTest, AValueLeftAsItOpenedIsWrittenBackAsStored) {
    const TEditedValue price{"2.125", "2.13"};
    EXPECT_EQ(ValueToPost(price, "2.13"), "2.125");
    EXPECT_EQ(ValueToPost(price, "2,5"), "2.5");
    EXPECT_EQ(ValueToPost({std::nullopt, "0.00"}, "0.00"), "0.00") << "nothing stored: the field's text";

    // Only a number other than the stored one is a change of price.
    EXPECT_EQ(ChangedPrice(price, "2.13"), std::nullopt);
    EXPECT_EQ(ChangedPrice(price, " 2,125 "), std::nullopt);
    EXPECT_EQ(ChangedPrice(price, ""), std::nullopt);
    EXPECT_EQ(ChangedPrice(price, "abc"), std::nullopt);
    EXPECT_EQ(ChangedPrice(price, "3,5 "), "3.5");
    EXPECT_EQ(ChangedPrice({"", "0.00"}, "0.00"), std::nullopt);
    EXPECT_EQ(ChangedPrice({"", "0.00"}, "1"), "1");
}

TEST(EditedValueTest, TheLocaleSeparatorIsReadAndAPointThatIsNotItFails) {
    DecimalSeparator = ',';
    EXPECT_EQ(LocaleToPoint("12,5"), "12.5");
    EXPECT_NE(ParseNumber(LocaleToPoint("12.5")).ErrorPos, 0);
    DecimalSeparator = '.';
    EXPECT_EQ(LocaleToPoint("12.5"), "12.5");
    EXPECT_NE(ParseNumber(LocaleToPoint("12,5")).ErrorPos, 0);
}

TEST_F(PostingTest, ANewComponentIsInsertedAndAnEditUpdatesTheOneOpened) {
    InOpenDatabase([] {
        PostComponent(Database, {true, "SALT", "1.5", "", {}});
        PostComponent(Database, {true, "PEPPER", "", "", {}});
        // An edit renames by the old name; an emptied price means no price, 0.0.
        PostComponent(Database, {false, "CANE SUGAR", " ", "SUGAR", {}});
        EXPECT_EQ(ReadStoredComponent(Database, "CANE SUGAR")->Price, "0.0");
        EXPECT_EQ(ReadStoredComponent(Database, "SUGAR"), std::nullopt);
    });
    EXPECT_EQ(QueryRows("SELECT Comp_ID, Component, " + TypeOf("Price") +
                        ", Price, Date = CURRENT_DATE FROM Materials ORDER BY Comp_ID;"),
              (std::vector<std::string>{"1|CANE SUGAR|real|0.0|1", "2|WATER|real|0.5|0", "3|SALT|real|1.5|1",
                                        "4|PEPPER|real|0.0|1"}));
    EXPECT_EQ(QueryRows("SELECT Comp_ID, Price FROM PriceHistory;"), std::vector<std::string>{"1|2.0"});

    // The list decides what is a duplicate, and only for a new component.
    const std::vector<std::string> names{"SALT", "WATER"};
    EXPECT_TRUE(IsDuplicateComponent({true, "SALT", "", "", {}}, names));
    EXPECT_FALSE(IsDuplicateComponent({true, "Salt", "", "", {}}, names));
    EXPECT_FALSE(IsDuplicateComponent({false, "SALT", "", "SALT", {}}, names));
}

TEST_F(PostingTest, ALineIsWrittenOnlyWithBothKeysFound) {
    InOpenDatabase([] {
        EXPECT_EQ(PostRecipeLine(Database, {true, "", "SYRUP", "WATER", "2.5", {}}), TLinePosted::Written);
        EXPECT_EQ(PostRecipeLine(Database, {false, "1", "SYRUP", "WATER", "0.0125", {}}), TLinePosted::Written);
        // The keys found for the lines before are never taken for a missing one.
        EXPECT_EQ(PostRecipeLine(Database, {true, "", "GONE", "WATER", "1", {}}), TLinePosted::NoProduct);
        EXPECT_EQ(PostRecipeLine(Database, {true, "", "SYRUP", "water", "1", {}}), TLinePosted::NoComponent);
    });
    EXPECT_EQ(QueryRows("SELECT ID, Prod_ID, Comp_ID, Quantity, Datum = CURRENT_DATE FROM Recipes ORDER BY ID;"),
              (std::vector<std::string>{"1|1|2|0.0125|1", "2|1|2|2.5|1"}));
    InOpenDatabase([] { RemoveRecipeLine(Database, "2"); });
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Recipes;"), "1");
}

TEST_F(PostingTest, NotesAreStoredOnlyOverTheNotesThatWereRead) {
    const TNotesRow syrup{"1", false, "Stir."};
    const TNotesRow brine{"2", true, ""};
    InOpenDatabase([&] {
        EXPECT_EQ(SaveNotes(Database, syrup, "Stir well."), TNotesSaved::Saved);
        EXPECT_EQ(SaveNotes(Database, brine, "Salty."), TNotesSaved::Saved);
        // Stored again over the first save: changed meanwhile, nothing written until replaced on purpose.
        EXPECT_EQ(SaveNotes(Database, syrup, "Shake."), TNotesSaved::Changed);
        EXPECT_EQ(SaveNotes(Database, brine, "Brine."), TNotesSaved::Changed);
        EXPECT_EQ(ReplaceNotes(Database, "2", "Brine."), TNotesSaved::Saved);
        EXPECT_EQ(SaveNotes(Database, {"9", true, ""}, "Lost?"), TNotesSaved::Gone);
        EXPECT_EQ(ReplaceNotes(Database, "9", "Lost?"), TNotesSaved::Gone);
    });
    EXPECT_EQ(QueryRows("SELECT Prod_ID, Solids FROM Products ORDER BY Prod_ID;"),
              (std::vector<std::string>{"1|Stir well.", "2|Brine."}));

    // The notes are compared byte for byte, a NUL included, which only a file holds.
    SKIP_ON_SERVER();
    RunSql("UPDATE Products SET Solids = CAST(X'410042' AS TEXT) WHERE Prod_ID = 1;");
    InOpenDatabase([] {
        EXPECT_EQ(SaveNotes(Database, {"1", false, "A"}, "x"), TNotesSaved::Changed);
        EXPECT_EQ(SaveNotes(Database, {"1", false, std::string("A\0B", 3)}, "AB"), TNotesSaved::Saved);
    });
}

} // namespace
