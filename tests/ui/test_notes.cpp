// The production-notes window: the notes of the product on display, stored when the user changed them.
#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/Production.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
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
            "CREATE TABLE Writes (Product TEXT);" +
            ByEngine("CREATE TRIGGER CountWrites AFTER UPDATE OF Solids ON Products BEGIN "
                     "INSERT INTO Writes VALUES (new.Product); END;",
                     "CREATE FUNCTION CountWrite() RETURNS trigger LANGUAGE plpgsql AS "
                     "'BEGIN INSERT INTO Writes VALUES (new.Product); RETURN NULL; END';"
                     "CREATE TRIGGER CountWrites AFTER UPDATE OF Solids ON Products FOR EACH ROW "
                     "EXECUTE FUNCTION CountWrite();"));
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
        return QueryValue("select Solids from Products where Product = '" + product + "';");
    }
    static std::string Writes() { return QueryValue("select count(*) from Writes;"); }
    static std::string Hex(const std::string& product) {
        return QueryValue("select hex(Solids) from Products where Product = '" + product + "';");
    }
    static std::string HexOf(const std::string& bytes) {
        std::string hex;
        for (const unsigned char c : bytes)
            hex += "0123456789ABCDEF"[c >> 4], hex += "0123456789ABCDEF"[c & 15];
        return hex;
    }
    static std::string Status() { return Form2->StatusBar1->currentMessage().toStdString(); }
    // Types text at the end of the memo, a key for each character.
    static void TypeAtEnd(QPlainTextEdit& memo, const QString& text) {
        memo.moveCursor(QTextCursor::End);
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&memo, &key);
        }
    }
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
    RunSql(
        ByEngine("CREATE TRIGGER Refuse BEFORE UPDATE OF Solids ON Products BEGIN SELECT RAISE(ABORT, 'locked'); END;",
                 "CREATE FUNCTION Refuse() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN RAISE EXCEPTION ''locked''; END';"
                 "CREATE TRIGGER Refuse BEFORE UPDATE OF Solids ON Products FOR EACH ROW EXECUTE FUNCTION Refuse();"));
    Open(3, [](QPlainTextEdit& memo) { memo.setPlainText("Add the syrup slowly."); });
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{ByEngine("SQLite Error 19 - locked", "PostgreSQL Error P0001 - locked"),
                                        "The notes of COLA were not saved. They are kept: open the production notes of "
                                        "this product again and close the window to save them."}));
    EXPECT_EQ(Notes("COLA"), "Emulsify first.\nThen add syrup.");

    RunSql(ByEngine("DROP TRIGGER Refuse;", "DROP TRIGGER Refuse ON Products;"));
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

namespace {

TEST_F(NotesTest, AnotherProgramsChangeIsNeverOverwrittenUnasked) {
    const std::string question = "The notes of ANISETTE were changed by another program since you opened them. "
                                 "Replace them with yours?";
    // Changed meanwhile: No writes nothing and keeps the user's text for the next showing, whose closing asks
    // again; Yes replaces them.
    Open(1, [](QPlainTextEdit& memo) {
        RunSql("UPDATE Products SET Solids = 'Keep below 20 C.' WHERE Prod_ID = 1;");
        memo.appendPlainText("Don't freeze.");
    });
    EXPECT_EQ(dialogs.Questions, std::vector<std::string>{question});
    EXPECT_EQ(Notes("ANISETTE"), "Keep below 20 C.");
    EXPECT_EQ(Open(1), "Stir 15 min.\nStore cool.\nDon't freeze.");
    EXPECT_EQ(dialogs.Questions, std::vector<std::string>(2, question));
    EXPECT_EQ(Notes("ANISETTE"), "Keep below 20 C.");
    dialogs.YesNoAnswers = {true};
    Open(1);
    EXPECT_EQ(Notes("ANISETTE"), "Stir 15 min.\r\nStore cool.\r\nDon't freeze.\r\n");
    EXPECT_EQ(Open(1), "Stir 15 min.\nStore cool.\nDon't freeze.");
    EXPECT_EQ(dialogs.Questions, std::vector<std::string>(3, question)) << "asked again only when changed again";

    // Renamed, and a new product of the old name: the notes go to the product that was opened, and the new one
    // keeps its own.
    Open(3, [](QPlainTextEdit& memo) {
        RunSql("UPDATE Products SET Product = 'COLA OLD' WHERE Prod_ID = 3;"
               "INSERT INTO Products (Prod_ID, Product, Solids) VALUES (4, 'COLA', 'New recipe.');");
        memo.setPlainText("Shake well.");
    });
    EXPECT_EQ(Notes("COLA"), "New recipe.");
    EXPECT_EQ(Notes("COLA OLD"), "Shake well.");
    EXPECT_EQ(dialogs.Questions, std::vector<std::string>(3, question)) << "nothing asked for the renamed product";
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(NotesTest, AnEditChangesOnlyWhatWasTyped) {
    SKIP_ON_SERVER(); // Windows-1252 notes, which a server holding UTF-8 cannot take
    // No-break space and U+2028 with LF ends; Windows-1252 bytes with CR LF; CR alone.
    const std::string utf8 = "20\xC2\xA0kg\xE2\x80\xA8per drum\nmix\n";
    const std::string ansi = "Caf\xE9 \x93hot\x94\r\nline";
    RunSql("UPDATE Products SET Solids = CAST(X'" + HexOf(utf8) +
           "' AS TEXT) WHERE Prod_ID = 1;"
           "UPDATE Products SET Solids = CAST(X'" +
           HexOf(ansi) +
           "' AS TEXT) WHERE Prod_ID = 2;"
           "UPDATE Products SET Solids = 'old' || char(13) || 'press' WHERE Prod_ID = 3;");
    const int beeps = BeepCount();
    Open(1, [](QPlainTextEdit& memo) {
        TypeAtEnd(memo, " ok");
        // A NUL, typed or pasted, is refused.
        QKeyEvent nul(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier, QString(QChar(0)));
        QApplication::sendEvent(&memo, &nul);
        QApplication::clipboard()->setText(QString("a") + QChar(0) + "b");
        memo.paste();
        EXPECT_EQ(Status(), "Changes are stored when the window is closed.");
    });
    EXPECT_EQ(Hex("ANISETTE"), HexOf("20\xC2\xA0kg\xE2\x80\xA8per drum\nmix ok\n"));
    EXPECT_EQ(BeepCount(), beeps + 2);
    Open(2, [](QPlainTextEdit& memo) {
        // A character Windows-1252 lacks cannot join these notes.
        TypeAtEnd(memo, QString::fromUtf8(" \xE2\x82\xAC"
                                          "5 \xE2\x86\x92"));
    });
    EXPECT_EQ(Hex("BLEND"), HexOf("Caf\xE9 \x93hot\x94\r\nline \x80"
                                  "5 "));
    EXPECT_EQ(BeepCount(), beeps + 3);
    Open(3, [](QPlainTextEdit& memo) { TypeAtEnd(memo, " ok"); });
    EXPECT_EQ(Notes("COLA"), "old\rpress ok");
}

TEST_F(NotesTest, NotesThatCannotBeKeptExactlyOpenReadOnlyAndSayWhy) {
    SKIP_ON_SERVER(); // a NUL in the notes, which a server's text cannot hold
    RunSql("UPDATE Products SET Solids = CAST(X'6265666F726500616674657221' AS TEXT) WHERE Prod_ID = 1;"
           "UPDATE Products SET Solids = 'one' || char(13, 10) || 'two' || char(10) WHERE Prod_ID = 2;"
           "UPDATE Products SET Solids = 'para' || char(8233) || 'graph' WHERE Prod_ID = 3;");
    const std::string unkeepable =
        "These notes hold characters this window cannot keep exactly; they are shown read-only.";
    for (int row = 1; row <= 3; ++row) {
        Open(row, [](QPlainTextEdit& memo) { memo.setPlainText("typed"); });
        EXPECT_TRUE(Form2->Memo->isReadOnly()) << row;
        EXPECT_EQ(Status(), unkeepable) << row;
    }
    EXPECT_EQ(Open(1).substr(7), "after!") << "all of the notes are shown, past the NUL";
    EXPECT_EQ(Hex("ANISETTE"), "6265666F726500616674657221");

    RunSql("UPDATE Products SET Solids = 'head' || char(10) || printf('%.*c', 65537, 'x') WHERE Prod_ID = 3;");
    EXPECT_EQ(Open(3).size(), 5u + 65537u);
    EXPECT_TRUE(Form2->Memo->isReadOnly());
    EXPECT_EQ(Form2->Memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(Status(), "These notes hold a line longer than 64 KB; they are shown read-only, without wrapping.");
    EXPECT_EQ(Writes(), "4") << "only the updates of this test";
    EXPECT_TRUE(dialogs.Messages.empty());
}

} // namespace
