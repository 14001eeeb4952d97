// The production-notes window: the notes of the product on display, stored when the user changed them.
#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/Production.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QPlainTextEdit>
#include <QTest>

namespace {

class NotesTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(
            "INSERT INTO Products (Prod_ID, Product, Solids) VALUES (1, 'ANISETTE', 'Stir 15 min.\r\nStore cool.\r\n'),"
            " (2, 'BLEND', NULL), (3, 'COLA', 'Emulsify first.\nThen add syrup.');"
            // Every write of the notes is counted.
            "CREATE TABLE Writes (Product TEXT);"
            "CREATE TRIGGER CountWrites AFTER UPDATE OF Solids ON Products BEGIN "
            "INSERT INTO Writes VALUES (new.Product); END;");
        StartProgram();
    }
    // Opens the notes of the product on row; edit changes the memo before the window closes.
    std::string Open(int row, const std::function<void(QPlainTextEdit&)>& edit = {}) {
        ClickRow(*Form1->StringGrid1, row);
        std::string shown;
        dialogs.Scripts["Form2"] = [&](QDialog&) {
            shown = Form2->Memo->toPlainText().toStdString();
            if (edit)
                edit(*Form2->Memo);
        };
        Trigger(Form1->Productionnotes);
        return shown;
    }
    static std::string Notes(const std::string& product) {
        return QueryValue("select ifnull(Solids, '<null>') from Products where Product = '" + product + "';");
    }
    static std::string Writes() { return QueryValue("select count(*) from Writes;"); }
};

TEST_F(NotesTest, TheNotesOfTheProductOnDisplayAreShownLineByLine) {
    EXPECT_EQ(Open(1), "Stir 15 min.\nStore cool.");
    EXPECT_EQ(Form2->Memo->document()->blockCount(), 2);
    EXPECT_EQ(Form2->windowTitle(), "Production notes, safety data and miscellaneous remarks.");
    EXPECT_EQ(Open(2), "") << "a product without notes never shows the notes shown before";
    EXPECT_EQ(Open(3), "Emulsify first.\nThen add syrup.");
    EXPECT_FALSE(Form2->Memo->isReadOnly());
    EXPECT_EQ(Writes(), "0") << "notes left as they were are not written";

    // No product on display: nothing to show and nothing to type.
    EXPECT_EQ(Open(Form1->StringGrid1->RowCount() - 1), "");
    EXPECT_TRUE(Form2->Memo->isReadOnly());
    EXPECT_EQ(Writes(), "0");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(NotesTest, ChangedNotesAreStoredOnCloseWithTheirOwnLineBreaks) {
    Open(1, [](QPlainTextEdit& memo) { memo.appendPlainText("Don't freeze."); });
    EXPECT_EQ(Notes("ANISETTE"), "Stir 15 min.\r\nStore cool.\r\nDon't freeze.\r\n");
    Open(3, [](QPlainTextEdit& memo) { memo.setPlainText("O'Brien's method:\nshake well"); });
    EXPECT_EQ(Notes("COLA"), "O'Brien's method:\nshake well");
    Open(2, [](QPlainTextEdit& memo) { QTest::keyClicks(&memo, "Filter 5 micron"); });
    EXPECT_EQ(Notes("BLEND"), "Filter 5 micron");
    EXPECT_EQ(Writes(), "3");
    EXPECT_EQ(Open(1), "Stir 15 min.\nStore cool.\nDon't freeze.");
    EXPECT_EQ(Writes(), "3");
}

TEST_F(NotesTest, NotesThatCannotBeStoredAreKeptForTheNextTry) {
    RunSql("CREATE TRIGGER Refuse BEFORE UPDATE OF Solids ON Products BEGIN SELECT RAISE(ABORT, 'locked'); END;");
    Open(3, [](QPlainTextEdit& memo) { memo.setPlainText("Add the syrup slowly."); });
    ASSERT_EQ(dialogs.Messages.size(), 2u);
    EXPECT_EQ(dialogs.Messages[0], "SQLite Error 19 - locked");
    EXPECT_EQ(Notes("COLA"), "Emulsify first.\nThen add syrup.");

    RunSql("DROP TRIGGER Refuse;");
    EXPECT_EQ(Open(3), "Add the syrup slowly.") << "what was typed is still there";
    EXPECT_EQ(Notes("COLA"), "Add the syrup slowly.");
    EXPECT_EQ(Open(3), "Add the syrup slowly.");
    EXPECT_EQ(Writes(), "1");
}

} // namespace

namespace {

TEST_F(NotesTest, NotesForAProductDeletedMeanwhileAreReportedNotLost) {
    Open(3, [](QPlainTextEdit& memo) {
        RunSql("DELETE FROM Products WHERE Product = 'COLA';");
        memo.setPlainText("Add the syrup slowly.");
    });
    EXPECT_EQ(dialogs.Messages,
              std::vector<std::string>{"The notes of COLA were not saved: the product is no longer in the database."});
}

} // namespace
