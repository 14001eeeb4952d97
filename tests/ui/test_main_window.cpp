// The main window against a real database: start-up, the two lists, the recipe display and the
// product commands, with every dialog answered by the scripted service.
#include "BuildConfig.h"
#include "controls/Grids.h"
#include "controls/Hints.h"
#include "controls/PosFloatEdit.h"
#include "controls/StatusBar.h"
#include "controls/StdCtrls.h"
#include "forms/About.h"
#include "forms/Common.h"
#include "forms/MAIN.h"
#include "text/SysUtils.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <map>

namespace {

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.5, '2025-01-02'),"
    " (2, 'ANETHOLE', 40.0, '2025-01-03'), (3, 'GONE', 9, '2025-01-04'), (4, 'WATER', 0.0, '2025-01-05'),"
    " (5, 'MOTHER''S SALT', 1.2, '2025-01-06');"
    "INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (1, 'ANISETTE', NULL, NULL, 'Stir.\nStore "
    "cool.'),"
    " (2, 'BLEND ''X', NULL, NULL, NULL), (3, 'EMPTY OLD', 50, 3.1, 'kept'), (4, 'ONLY GONE', 7, 12345.678, NULL),"
    " (5, 'O''NEILL BLEND', NULL, NULL, NULL), (6, 'ZERO', NULL, NULL, NULL);"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 1.25), (2, 1, 2, 2.5), (3, 1, 4, 0.05),"
    " (4, 2, 1, 10), (5, 2, 3, 5), (6, 4, 3, 3), (7, 5, 5, 2), (8, 6, 1, 0);"
    "DELETE FROM Materials WHERE Comp_ID = 3;";

// The product price list computed here from the tables, as the user expects to see it.
std::map<std::string, std::string> ExpectedPrices() {
    std::map<std::string, double> price;
    for (const auto& row : QueryRows("select Comp_ID, Price from Materials;")) {
        const auto bar = row.find('|');
        price[row.substr(0, bar)] = std::stod(row.substr(bar + 1));
    }
    std::map<std::string, std::string> expected;
    for (const auto& row : QueryRows("select Prod_ID, Product, Price from Products;")) {
        const auto a = row.find('|'), b = row.rfind('|');
        const std::string id = row.substr(0, a), name = row.substr(a + 1, b - a - 1);
        const std::string old = row.substr(b + 1) == "<null>" ? "" : row.substr(b + 1);
        double mass = 0, cost = 0;
        bool lines = false;
        for (const auto& line : QueryRows("select Comp_ID, Quantity from Recipes where Prod_ID = " + id + ";")) {
            const auto bar = line.find('|');
            const auto component = price.find(line.substr(0, bar));
            if (component == price.end())
                continue;
            lines = true;
            const double q = std::stod(line.substr(bar + 1));
            mass += q;
            cost += q * component->second;
        }
        char text[32] = "";
        if (lines && mass != 0)
            std::snprintf(text, sizeof text, "%8.2f", std::round(cost / mass * 100) / 100);
        else if (!lines && !old.empty())
            std::snprintf(text, sizeof text, "%8.2f", std::stod(old));
        expected[name] = text;
    }
    return expected;
}

class MainWindowTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
    }
    TStringGrid& Products() { return *Form1->StringGrid1; }
    TStringGrid& Recipe() { return *Form1->StringGrid3; }
    std::string Selected() { return Products().Cells(0, Products().Row()); }
};

TEST_F(MainWindowTest, FirstScreenShowsTheRecomputedProductsAndTheFirstRecipe) {
    StartProgram();
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    // One version wherever the program shows it: every message box's caption, the main window, the About box.
    EXPECT_EQ(Application.Title, std::string("Brivane ") + ProgramVersion + " Recipe Management");
    EXPECT_EQ(Form1->windowTitle(), QString("Brivane ") + ProgramVersion);
    EXPECT_EQ(Form3->Label4->text(), QString("Version ") + ProgramVersion);
    EXPECT_EQ(QCoreApplication::applicationVersion(), ProgramVersion);
    EXPECT_EQ(Products().Cells(0, 0), " Product");
    EXPECT_EQ(Products().Cells(1, 0), " Price/kg");
    EXPECT_EQ(Column(Products(), 0),
              (std::vector<std::string>{"ANISETTE", "BLEND 'X", "EMPTY OLD", "O'NEILL BLEND", "ONLY GONE", "ZERO"}));
    EXPECT_EQ(Products().Cells(0, Products().RowCount() - 1), "") << "the last row is always empty";

    const auto expected = ExpectedPrices();
    for (int r = 1; r <= Products().RowCount() - 2; ++r)
        EXPECT_EQ(Products().Cells(1, r), expected.at(Products().Cells(0, r))) << Products().Cells(0, r);
    EXPECT_EQ(Products().Cells(1, 1), "   27.14");
    EXPECT_EQ(Products().Cells(1, 2), "    2.50") << "the line of a deleted component is left out";
    EXPECT_EQ(Products().Cells(1, 3), "    3.10") << "a product without lines keeps its old price";
    EXPECT_EQ(Products().Cells(1, 5), "12345.68") << "only deleted components: the old price stays";
    EXPECT_EQ(Products().Cells(1, 6), "") << "a summed quantity of 0 gives no price";
    EXPECT_EQ(QueryValue("select Mass from Products where Product = 'ANISETTE';"), "3.8");
    EXPECT_EQ(QueryValue("select Solids from Products where Product = 'ANISETTE';"), "Stir.\nStore cool.")
        << "the recomputation keeps the production notes";
    EXPECT_EQ(QueryValue("select Solids from Products where Product = 'EMPTY OLD';"), "kept");

    EXPECT_EQ(Form1->Edit1->Text(), "ANISETTE");
    EXPECT_EQ(Recipe().Cells(0, 0), " Component");
    EXPECT_EQ(Recipe().Cells(1, 0), "   Mass");
    EXPECT_EQ(Column(Recipe(), 0), (std::vector<std::string>{"ETHANOL", "ANETHOLE", "WATER"}));
    EXPECT_EQ(Column(Recipe(), 1), (std::vector<std::string>{"   1.250", "   2.500", "   0.050"}));
    EXPECT_NEAR(Form1->TotalEdit->AsFloat(), 3.8, 1e-9);
    EXPECT_EQ(Form1->TotalEdit->Text(), "3.800");
    EXPECT_EQ(Form1->HelpContext, 6);
    // ANISETTE uses WATER at 0.0; BLEND 'X and ONLY GONE use the deleted GONE.
    EXPECT_EQ(Form1->BevelStatusBar1->SimpleText(), "@Tarnock |  Rightclick item for menu |  Click item to change "
                                                    "recipe |  3 products with incomplete prices |");
    EXPECT_FALSE(MenuEnabled(*Form1->Materials1));
    EXPECT_TRUE(MenuEnabled(*Form1->Products1));
    EXPECT_TRUE(MenuEnabled(*Form1->Recipes1));

    // A later activation reloads nothing.
    RunSql("INSERT INTO Products (Product) VALUES ('AAA');");
    Form1->clearFocus();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(Form1, &activate);
    EXPECT_EQ(Products().Cells(0, 1), "ANISETTE");
}

TEST_F(MainWindowTest, ClickingAndArrowKeysShowEachRecipe) {
    StartProgram();
    ClickRow(Products(), 4);
    EXPECT_EQ(Form1->Edit1->Text(), "O'NEILL BLEND") << "a name with an apostrophe has its recipe found";
    EXPECT_EQ(Column(Recipe(), 0), std::vector<std::string>{"MOTHER'S SALT"});
    EXPECT_EQ(Form1->TotalEdit->Text(), "2.000");

    Products().setFocus();
    QTest::keyClick(&Products(), Qt::Key_Down);
    EXPECT_EQ(Form1->Edit1->Text(), "ONLY GONE");
    EXPECT_EQ(Recipe().RowCount(), 2) << "lines of deleted components are not shown";
    EXPECT_EQ(Form1->TotalEdit->Text(), "0.000");
    QTest::keyClick(&Products(), Qt::Key_Up);
    QTest::keyClick(&Products(), Qt::Key_Up);
    EXPECT_EQ(Form1->Edit1->Text(), "EMPTY OLD");
    QTest::keyClick(&Products(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Form1->Edit1->Text(), "") << "the empty last row shows no recipe";
    EXPECT_EQ(Recipe().RowCount(), 2);

    ClickRow(Recipe(), 1);
    EXPECT_EQ(Form1->HelpContext, 7);
}

TEST_F(MainWindowTest, RefreshKeepsTheSelectedProductWhenOthersAreAddedBeforeIt) {
    StartProgram();
    ClickRow(Products(), 5);
    ASSERT_EQ(Selected(), "ONLY GONE");
    // Another program adds products that sort before it, and a line to the first recipe.
    RunSql("INSERT INTO Products (Product) VALUES ('AAA'), ('AAB');"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 2, 3.8);");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Products().Row(), 7);
    EXPECT_EQ(Selected(), "ONLY GONE");
    EXPECT_EQ(Form1->Edit1->Text(), "ONLY GONE");
    EXPECT_EQ(Products().Cells(1, 3), "   33.57") << "the refresh recomputed the prices";
}

TEST_F(MainWindowTest, TabsSwitchMenusStatusTextsHelpAndReload) {
    StartProgram();
    RunSql("INSERT INTO Materials (Component, Price) VALUES ('AMBER', '12.50');");
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    EXPECT_TRUE(MenuEnabled(*Form1->Materials1));
    EXPECT_FALSE(MenuEnabled(*Form1->Products1));
    EXPECT_FALSE(MenuEnabled(*Form1->Recipes1));
    EXPECT_FALSE(Recipe().isEnabled());
    EXPECT_EQ(Column(Recipe(), 0).size(), 3u) << "the recipe still shows, greyed";
    EXPECT_TRUE(Form1->TotalEdit->ReadOnly());
    EXPECT_EQ(Form1->BevelStatusBar1->SimpleText(), "@Tarnock |  Rightclick item for options |  Mode: COMPONENTS |");
    EXPECT_EQ(Form1->HelpContext, 4);
    TStringGrid& components = *Form1->StringGrid2;
    EXPECT_EQ(components.Cells(0, 0), "Component");
    EXPECT_EQ(Column(components, 0),
              (std::vector<std::string>{"AMBER", "ANETHOLE", "ETHANOL", "MOTHER'S SALT", "WATER"}));
    EXPECT_EQ(Column(components, 1),
              (std::vector<std::string>{"   12.50", "   40.00", "    2.50", "    1.20", "    0.00"}));
    EXPECT_EQ(components.Row(), 1);

    RunSql("UPDATE Materials SET Price = 5 WHERE Component = 'ETHANOL';");
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    EXPECT_FALSE(MenuEnabled(*Form1->Materials1));
    EXPECT_TRUE(MenuEnabled(*Form1->Products1));
    EXPECT_TRUE(Recipe().isEnabled());
    EXPECT_EQ(Form1->BevelStatusBar1->SimpleText(), "@Tarnock |  Rightclick item for options |  Click item to change "
                                                    "recipe | Mode: PRODUCTS  3 products with incomplete prices |");
    EXPECT_EQ(Form1->HelpContext, 6);
    EXPECT_EQ(Products().Cells(1, 2), "    5.00") << "back on PRODUCTS the prices are recomputed";
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(MainWindowTest, NewRenameAndDeleteProducts) {
    StartProgram();
    dialogs.TextAnswers = {std::string("cake")};
    Trigger(Form1->NewProduct);
    EXPECT_EQ(dialogs.Prompts.back(), "New Recipe|Enter a new productname");
    EXPECT_EQ(Selected(), "CAKE");
    EXPECT_EQ(Form1->Edit1->Text(), "CAKE");
    EXPECT_EQ(Recipe().RowCount(), 2);
    EXPECT_EQ(Products().Cells(1, Products().Row()), "") << "a new product has no price yet";
    EXPECT_EQ(Form1->BevelStatusBar1->SimpleText(), " Click item to build recipe in right grid | Mode: RECIPES");
    EXPECT_EQ(Form1->MessageHint1->LastText,
              "Doubleclick in right grid on empty rows\r\n to enter components and masses.");
    EXPECT_EQ(Form1->MessageHint1->LastAnchor,
              Recipe().mapToGlobal(QPoint(Recipe().width() / 2, Recipe().height() / 2)));

    // A duplicate, Cancel and an empty answer change nothing.
    dialogs.TextAnswers = {std::string("Cake"), std::nullopt, std::string("")};
    Trigger(Form1->NewProduct);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Product already exists"});
    Trigger(Form1->NewProduct);
    Trigger(Form1->NewProduct);
    EXPECT_EQ(QueryValue("select count(*) from Products;"), "7");
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Product already exists"}) << "Cancel and empty say nothing";

    dialogs.TextAnswers = {std::string("o'brien's mix")};
    Trigger(Form1->NewProduct);
    EXPECT_EQ(Selected(), "O'BRIEN'S MIX");
    dialogs.TextAnswers = {std::string("o'hara")};
    Trigger(Form1->RenameProduct);
    EXPECT_EQ(dialogs.Prompts.back(), "Rename O'BRIEN'S MIX|Rename O'BRIEN'S MIX");
    EXPECT_EQ(Selected(), "O'HARA");
    EXPECT_EQ(QueryValue("select count(*) from Products where Product = 'O''HARA';"), "1");

    // Renaming to a name on the list, or to its own name, is refused.
    dialogs.TextAnswers = {std::string("o'hara"), std::string("")};
    Trigger(Form1->RenameProduct);
    Trigger(Form1->RenameProduct);
    EXPECT_EQ(dialogs.Messages.back(), "Product already exists");
    EXPECT_EQ(Selected(), "O'HARA");

    // The product keeps its lines under its new name. The first click after a new product only closes
    // the message balloon.
    ASSERT_TRUE(Form1->MessageHint1->Showing());
    ClickRow(Products(), 1);
    EXPECT_FALSE(Form1->MessageHint1->Showing());
    EXPECT_EQ(Selected(), "O'HARA");
    ClickRow(Products(), 1);
    dialogs.TextAnswers = {std::string("anis")};
    Trigger(Form1->RenameProduct);
    EXPECT_EQ(Selected(), "ANIS");
    EXPECT_EQ(Column(Recipe(), 0).size(), 3u);

    dialogs.YesNoAnswers = {false};
    ClickRow(Products(), Products().RowCount() - 3);
    const std::string doomed = Selected();
    Trigger(Form1->DeleteProduct);
    EXPECT_EQ(dialogs.Questions.back(), "Delete " + doomed + " ??");
    EXPECT_EQ(QueryValue("select count(*) from Products where Product = '" + doomed + "';"), "1");
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteProduct);
    EXPECT_EQ(QueryValue("select count(*) from Products where Product = '" + doomed + "';"), "0");
    EXPECT_EQ(Products().Row(), 1) << "the first product is shown after a delete";
    EXPECT_EQ(Form1->Edit1->Text(), Products().Cells(0, 1));

    // On the empty last row: delete asks nothing, rename changes no product.
    ClickRow(Products(), Products().RowCount() - 1);
    const auto questions = dialogs.Questions.size();
    Trigger(Form1->DeleteProduct);
    EXPECT_EQ(dialogs.Questions.size(), questions);
    const auto before = QueryRows("select * from Products order by Prod_ID;");
    dialogs.TextAnswers = {std::string("ghost")};
    Trigger(Form1->RenameProduct);
    EXPECT_EQ(dialogs.Prompts.back(), "Rename |Rename ");
    EXPECT_EQ(QueryRows("select * from Products order by Prod_ID;"), before);
    EXPECT_EQ(Products().Row(), 1);
}

TEST_F(MainWindowTest, ANewProductNeverAdoptsTheLinesOfADeletedOne) {
    RunSql("INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (9, 6, 2, 4);");
    StartProgram();
    ClickRow(Products(), Products().RowCount() - 2);
    ASSERT_EQ(Selected(), "ZERO");
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteProduct);
    dialogs.TextAnswers = {std::string("fresh")};
    Trigger(Form1->NewProduct);
    for (int refresh = 0; refresh < 2; ++refresh) {
        ASSERT_EQ(Selected(), "FRESH");
        EXPECT_EQ(Products().Cells(1, Products().Row()), "");
        EXPECT_EQ(Recipe().RowCount(), 2);
        EXPECT_EQ(Form1->TotalEdit->Text(), "0.000");
        EXPECT_EQ(QueryRows("select Mass, Price from Products where Product = 'FRESH';"),
                  std::vector<std::string>{"<null>|<null>"});
        QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    }
    EXPECT_EQ(QueryValue("select count(*) from Recipes where Prod_ID = 6;"), "2") << "the old lines stay";
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(MainWindowTest, DeletingTheOnlyProductLeavesEmptyLists) {
    RunSql("DELETE FROM Products WHERE Prod_ID > 1;");
    StartProgram();
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteProduct);
    EXPECT_EQ(Products().RowCount(), 2);
    EXPECT_EQ(Form1->Edit1->Text(), "");
    EXPECT_EQ(Recipe().RowCount(), 2);
    EXPECT_EQ(Form1->TotalEdit->Text(), "0.000");
}

TEST_F(MainWindowTest, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
    StartProgram();
    Guarded([] { throw Exception("SQLite Error 5"); });
    Guarded([] { throw Exception("Nothing to add."); });
    EXPECT_EQ(dialogs.Errors, (std::vector<std::string>{"SQLite Error 5.", "Nothing to add."}));
    EXPECT_EQ(ErrorDisplayText(""), "");
    EXPECT_EQ(ErrorDisplayText("Done!"), "Done!") << "a character before \".\" gets no point";
}

class MissingDatabaseTest : public ProgramFixture {};

TEST_F(MissingDatabaseTest, EveryListReportsTheMissingTablesAndStaysEmpty) {
    StartProgram();
    // The recipe dialog's list and the price analysis's list first, then the main window's own: its first
    // Refresh reaches the data twice (the list and its first recipe) and says so once.
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"SQLite Error 1 - no such table: Materials",
                                                          "SQLite Error 1 - no such table: Products",
                                                          "SQLite Error 1 - no such table: Products"}));
    EXPECT_EQ(Form1->StringGrid1->RowCount(), 2);
    EXPECT_EQ(Form1->StringGrid3->RowCount(), 2);
    EXPECT_EQ(Form1->Edit1->Text(), "");

    dialogs.Clear();
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"SQLite Error 1 - no such table: Materials"});
    EXPECT_EQ(Form1->StringGrid2->RowCount(), 2);
}

TEST_F(MissingDatabaseTest, AServerOutOfReachIsToldOnceByEachAction) {
    ChooseDatabase(ParseDatabaseChoice("postgresql:host=/nonexistent-brivane-server port=1"));
    StartProgram();
    // A Refresh reaches the data twice (the list, then its first recipe): one box says why it cannot.
    for (int action = 1; action <= 2; ++action) {
        dialogs.Clear();
        Guarded([] { Form1->Refresh1Click(); });
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_NE(dialogs.Messages[0].find("nonexistent-brivane-server"), std::string::npos) << dialogs.Messages[0];
    }
    ChooseDatabase({});
}

} // namespace
