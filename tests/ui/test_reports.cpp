// The reports window on a real database: each report's lines in the list box and byte for byte in
// "Report.txt", the tab spacing, the list emptied on closing, and a report file that cannot be written.
#include "controls/ListBox.h"
#include "forms/MAIN.h"
#include "forms/Unit4.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace {

const std::string Data = EightBit(
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.5, '2025-01-02'),"
    " (3, 'WATER', 0.0, '2025-01-05'), (4, 'MOTHER''S SALT', 1.2, '2025-01-05'), (6, 'CAF\xC9', 0, '2024-12-31');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'ANISETTE'), (2, 'O''NEILL BLEND');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1.25), (2, 6, 10), (1, 3, 0.05);");

// Each report's lines, each ended here by "\n"; an 8-bit name keeps its byte (a server holds it in UTF-8).
const std::string MissingPrices = EightBit("Prices are missing in the Materials Table for:\n-\nCAF\xC9\nWATER\n-\n"
                                           "Prices of products possibly derived from abovementioned\n"
                                           "starting materials are not correct.\nPlease correct errors.\n");
const char* const Obsolete = "Obsolete components in the materials table\nThese materials are not found in any "
                             "recipe.\nThese errors are not critical.\n\nMOTHER'S SALT\n";
const std::string ByDate =
    EightBit("List of components sorted by entry-date\nincluding prices\n\tPrice\n"
             "2024-12-31  CAF\xC9\t0.0\n2025-01-02  ETHANOL\t2.5\n2025-01-05  MOTHER'S SALT\t1.2\n"
             "2025-01-05  WATER\t0.0\n");
const char* const InRecipesHeader =
    "List components in all recipes including mass (kg).\n\nCOMPONENT\tPRODUCT\tkg.\n\n";
const std::string InRecipes =
    std::string(InRecipesHeader) +
    EightBit("CAF\xC9\tO'NEILL BLEND\t10.0\nETHANOL\tANISETTE\t1.25\nWATER\tANISETTE\t0.05\n");

std::string Joined(const std::vector<std::string>& lines, const char* end = "\n") {
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

class ReportsTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
        Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
        Settle();
    }
    // Shows the window from the main window's menu and runs script while it is up.
    void Show(const std::function<void()>& script) {
        dialogs.Scripts["Form4"] = [script](QDialog&) { script(); };
        Trigger(Form1->Reports);
    }
    // Runs a report and checks what the list box shows and "Report.txt" holds.
    static void Expect(QPushButton* button, const std::string& lines) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(Joined(Form4->ListBox1->Items()), lines);
        EXPECT_EQ(ReadFile("Report.txt"), Joined(Form4->ListBox1->Items(), "\r\n"));
    }
    static std::string Status() { return Form4->StatusBar1->currentMessage().toStdString(); }
};

TEST_F(ReportsTest, EachReportIsShownAndSavedLineForLine) {
    Show([] {
        EXPECT_EQ(Joined(Form4->ListBox1->Items()), "Select one of the report-options below.\n"
                                                    "A report is also saved to a tab-delimited file (Report.txt)\n-\n");
        EXPECT_EQ(Status(), "Reports on starting materials (components).");
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 150);
        Expect(Form4->Button1, MissingPrices);
        EXPECT_EQ(Status(), " List missing prices in the materials table |  See context-sensitive help");
        Expect(Form4->Button5, InRecipes);
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 115);
        // The file holds only the second of two reports; the tab spacing stays.
        Expect(Form4->Button2, Obsolete);
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 115);
        Expect(Form4->Button4, ByDate);
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 150);
        QTest::mouseClick(Form4->Button7, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 5);
        EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
        QTest::mouseClick(Form4->Button6, Qt::LeftButton);
        EXPECT_FALSE(Form4->isVisible());
    });
    EXPECT_TRUE(Form4->ListBox1->Items().empty());

    // Reopened: an empty list and the last status text; hidden by the end of the showing this time.
    Show([] {
        EXPECT_TRUE(Form4->ListBox1->Items().empty());
        EXPECT_EQ(Status(), " List components sorted by entry-date |  See context-sensitive help");
        Expect(Form4->Button1, MissingPrices);
    });
    EXPECT_TRUE(Form4->ListBox1->Items().empty());
    EXPECT_TRUE(dialogs.Messages.empty());

    // Nothing priced 0.0: the two "-" lines follow each other. A missing relation leaves the header lines on
    // show, and Report.txt as it was: a report cut short must not pass for a complete one.
    // The server's report reads the tables themselves (the lines of one component in their order), so its
    // missing relation is a table.
    RunSql(std::string("UPDATE Materials SET Price = 1 WHERE Price = 0.0;") +
           ByEngine("DROP VIEW Components_in_Recipes;",
                    "DROP VIEW Components_in_Recipes; ALTER TABLE Recipes RENAME TO Gone;"));
    Show([] {
        Expect(Form4->Button1, "Prices are missing in the Materials Table for:\n-\n-\nPrices of products possibly "
                               "derived from abovementioned\nstarting materials are not correct.\nPlease correct "
                               "errors.\n");
        const std::string lastGood = ReadFile("Report.txt");
        QTest::mouseClick(Form4->Button5, Qt::LeftButton);
        EXPECT_EQ(Joined(Form4->ListBox1->Items()), InRecipesHeader);
        EXPECT_EQ(ReadFile("Report.txt"), lastGood);
    });
    EXPECT_EQ(dialogs.Messages,
              std::vector<std::string>{ByEngine("SQLite Error 1 - no such table: Components_in_Recipes",
                                                "PostgreSQL Error 42P01 - relation \"recipes\" does not exist")});
}

TEST_F(ReportsTest, NamesWithTabsOrLineBreaksStayInTheirColumn) {
    RunSql("INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (7, 'GUM\tARABIC\r\n', 3, '2025-02-01');"
           "UPDATE Products SET Product = 'O''NEILL\nBLEND' WHERE Prod_ID = 2;"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (2, 7, 1);");
    Show([] {
        Expect(Form4->Button4, std::string(ByDate) + "2025-02-01  GUM ARABIC  \t3.0\n");
        Expect(Form4->Button5,
               std::string(InRecipesHeader) + EightBit("CAF\xC9\tO'NEILL BLEND\t10.0\nETHANOL\tANISETTE\t1.25\n"
                                                       "GUM ARABIC  \tO'NEILL BLEND\t1.0\nWATER\tANISETTE\t0.05\n"));
    });
}

TEST_F(ReportsTest, AReportFileThatCannotBeWrittenIsReported) {
    namespace fs = std::filesystem;
    fs::create_directory("Report.txt");
    Show([this] {
        QTest::mouseClick(Form4->Button1, Qt::LeftButton);
        EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"Cannot write Report.txt: not a regular file."});
        EXPECT_EQ(Joined(Form4->ListBox1->Items()), MissingPrices);
        // This report saves before it shows.
        QTest::mouseClick(Form4->Button5, Qt::LeftButton);
        EXPECT_EQ(dialogs.Errors, std::vector<std::string>(2, "Cannot write Report.txt: not a regular file."));
        EXPECT_TRUE(Form4->ListBox1->Items().empty());
    });
    // A full disk: the last report stays as it was.
    fs::remove("Report.txt");
    std::ofstream("Report.txt") << "the last report";
    Show([this] {
        FileSizeLimit full(20);
        QTest::mouseClick(Form4->Button4, Qt::LeftButton);
        EXPECT_EQ(dialogs.Errors, (std::vector<std::string>{"Cannot write Report.txt: not a regular file.",
                                                            "Cannot write Report.txt: not a regular file.",
                                                            "Cannot write Report.txt: File too large."}));
        EXPECT_EQ(Joined(Form4->ListBox1->Items()), ByDate);
    });
    EXPECT_EQ(ReadFile("Report.txt"), "the last report");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(ReportsTest, EveryComponentWithoutAPriceAndEveryUnusedOneIsListed) {
    // A server holds no text in a price: NULL stands for the empty and the text price there.
    RunSql("INSERT INTO Materials (Comp_ID, Component, Price) VALUES (7, 'NULL PRICE', NULL), (8, 'EMPTY PRICE', " +
           ByEngine("''", "NULL") + "), (9, 'TEXT PRICE', " + ByEngine("'n/a'", "NULL") +
           "), (10, 'PRICED', 3);"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, NULL, 1), (1, 10, 1);");
    Show([] {
        Expect(Form4->Button1,
               EightBit("Prices are missing in the Materials Table for:\n-\nCAF\xC9\nEMPTY PRICE\nNULL PRICE\n"
                        "TEXT PRICE\nWATER\n-\nPrices of products possibly derived from abovementioned\n"
                        "starting materials are not correct.\nPlease correct errors.\n"));
        // A recipe line without a component hides none of the unused ones.
        Expect(Form4->Button2, "Obsolete components in the materials table\nThese materials are not found in any "
                               "recipe.\nThese errors are not critical.\n\nEMPTY PRICE\nMOTHER'S SALT\nNULL PRICE\n"
                               "TEXT PRICE\n");
    });
    EXPECT_TRUE(dialogs.Messages.empty());
}

} // namespace
