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

namespace {

using Lines = std::vector<std::string>;

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.5, '2025-01-02'),"
    " (2, 'ANETHOLE', 40.0, '2025-01-03'), (3, 'WATER', 0.0, '2025-01-05'), (4, 'MOTHER''S SALT', 1.2, '2025-01-05'),"
    " (5, 'NOPRICE', '', '2025-01-07'), (6, 'CAF\xC9', 0, '2024-12-31');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'ANISETTE'), (2, 'O''NEILL BLEND');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 1.25), (2, 1, 2, 2.5), (3, 2, 3, 0.05),"
    " (4, 2, 6, 10);";

const Lines MissingPrices = {"Prices are missing in the Materials Table for:",
                             "-",
                             "CAF\xC9",
                             "WATER",
                             "-",
                             "Prices of products possibly derived from abovementioned",
                             "starting materials are not correct.",
                             "Please correct errors."};
const Lines Obsolete = {"Obsolete components in the materials table",
                        "These materials are not found in any recipe.",
                        "These errors are not critical.",
                        "",
                        "MOTHER'S SALT",
                        "NOPRICE"};
const Lines ByDate = {"List of components sorted by entry-date",
                      "including prices",
                      "\tPrice",
                      "2024-12-31  CAF\xC9\t0.0",
                      "2025-01-02  ETHANOL\t2.5",
                      "2025-01-03  ANETHOLE\t40.0",
                      "2025-01-05  MOTHER'S SALT\t1.2",
                      "2025-01-05  WATER\t0.0",
                      "2025-01-07  NOPRICE\t"};
const Lines InRecipes = {"List components in all recipes including mass (kg).",
                         "",
                         "COMPONENT\tPRODUCT\tkg.",
                         "",
                         "ANETHOLE\tANISETTE\t2.5",
                         "CAF\xC9\tO'NEILL BLEND\t10.0",
                         "ETHANOL\tANISETTE\t1.25",
                         "WATER\tO'NEILL BLEND\t0.05"};

std::string FileText(const Lines& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
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
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static const Lines& Shown() { return Form4->ListBox1->Items(); }
    static std::string Status() { return Form4->StatusBar1->currentMessage().toStdString(); }
};

TEST_F(ReportsTest, EachReportIsShownAndSavedLineForLine) {
    Show([] {
        EXPECT_EQ(Shown(), (Lines{"Select one of the report-options below.",
                                  "A report is also saved to a tab-delimited file (Report.txt)", "-"}));
        EXPECT_EQ(Status(), "Reports on starting materials (components).");
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 150);

        Click(Form4->Button1);
        EXPECT_EQ(Shown(), MissingPrices);
        EXPECT_EQ(ReadFile("Report.txt"), FileText(MissingPrices));
        EXPECT_EQ(Status(), " List missing prices in the materials table |  See context-sensitive help");

        Click(Form4->Button5);
        EXPECT_EQ(Shown(), InRecipes);
        EXPECT_EQ(ReadFile("Report.txt"), FileText(InRecipes));
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 115);

        // Only the second of two reports stays in the file; the tab spacing stays with it.
        Click(Form4->Button2);
        EXPECT_EQ(Shown(), Obsolete);
        EXPECT_EQ(ReadFile("Report.txt"), FileText(Obsolete));
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 115);
        EXPECT_EQ(Status(), " List obsolete components in the materials table |  See context-sensitive help");

        Click(Form4->Button4);
        EXPECT_EQ(Shown(), ByDate);
        EXPECT_EQ(ReadFile("Report.txt"), FileText(ByDate));
        EXPECT_EQ(Form4->ListBox1->TabWidth(), 150);

        Click(Form4->Button7);
        EXPECT_EQ(Application.LastHelpContext, 5);
        EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
        Click(Form4->Button6);
        EXPECT_FALSE(Form4->isVisible());
    });
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(Shown().empty());

    // Reopened: an empty list and the last status text; closed by the window system this time.
    Show([] {
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(Status(), " List components sorted by entry-date |  See context-sensitive help");
        Click(Form4->Button1);
        EXPECT_EQ(Shown().size(), MissingPrices.size());
    });
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(ReadFile("Report.txt"), FileText(MissingPrices));
}

TEST_F(ReportsTest, MissingPricesWithNothingUnpricedAndAMissingRelation) {
    RunSql("UPDATE Materials SET Price = 1 WHERE Price = 0.0; DROP VIEW Components_in_Recipes;");
    Show([] {
        Click(Form4->Button1);
        const Lines six = {"Prices are missing in the Materials Table for:",
                           "-",
                           "-",
                           "Prices of products possibly derived from abovementioned",
                           "starting materials are not correct.",
                           "Please correct errors."};
        EXPECT_EQ(Shown(), six);
        EXPECT_EQ(ReadFile("Report.txt"), FileText(six));

        // A failing statement leaves the header lines alone, shown and saved.
        Click(Form4->Button5);
        const Lines header(InRecipes.begin(), InRecipes.begin() + 4);
        EXPECT_EQ(Shown(), header);
        EXPECT_EQ(ReadFile("Report.txt"), FileText(header));
    });
    EXPECT_EQ(dialogs.Messages, Lines{"SQLite Error 1 - no such table: Components_in_Recipes"});
}

TEST_F(ReportsTest, AReportFileThatCannotBeWrittenIsReported) {
    namespace fs = std::filesystem;
    // A folder in the file's place refuses it, also to root.
    fs::create_directory("Report.txt");
    Show([this] {
        Click(Form4->Button1);
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_NE(dialogs.Errors[0].find("\"Report.txt\""), std::string::npos) << dialogs.Errors[0];
        EXPECT_NE(dialogs.Errors[0].find("Is a directory"), std::string::npos) << dialogs.Errors[0];
        EXPECT_EQ(Shown(), MissingPrices);

        // This report saves before it shows.
        Click(Form4->Button5);
        ASSERT_EQ(dialogs.Errors.size(), 2u);
        EXPECT_TRUE(Shown().empty());
    });
    // A full disk.
    fs::remove("Report.txt");
    fs::create_symlink("/dev/full", "Report.txt");
    Show([this] {
        Click(Form4->Button4);
        ASSERT_EQ(dialogs.Errors.size(), 3u);
        EXPECT_NE(dialogs.Errors[2].find("No space left on device"), std::string::npos) << dialogs.Errors[2];
        EXPECT_EQ(Shown(), ByDate);
    });
    EXPECT_TRUE(dialogs.Messages.empty());
}

} // namespace
