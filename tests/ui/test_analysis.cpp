// The price-analysis window on a real database: products picked and typed as a user would, masses
// rescaled, cost shares, and the division errors that must never leave a non-number in the grid.
#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "controls/umEdit.h"
#include "forms/MAIN.h"
#include "forms/Unit5.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <cstring>

namespace {

using Cells = std::vector<std::string>;

const char* const ZeroCosts =
    "Division by zero: the cost shares cannot be computed because the costs of the product add up to 0.";

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.0, '2025-01-02'),"
    " (2, 'ANETHOLE', 0.75, '2025-01-03'), (3, 'WATER', 0.0, '2025-01-05');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'BLEND'), (2, 'SOLO'), (3, 'O''NEILL'), (4, 'PLAIN');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 60), (2, 1, 2, 40), (3, 2, 2, 8),"
    " (4, 3, 1, 2), (5, 3, 3, 6), (6, 4, 3, 10);";

class AnalysisTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ProgramFixture::TearDown();
    }
    // Shows the window on what it showed last and runs script while it is up.
    void Show(const std::function<void()>& script) {
        dialogs.Scripts["Form5"] = [script](QDialog&) { script(); };
        Form5->Execute({});
    }
    static Cells Col(int col) { return Column(*Form5->StringGrid1, col); }
    static void Pick(const char* product) { Form5->ComboBox1->setCurrentIndex(Form5->ComboBox1->findText(product)); }
    static void Recalculate(const QString& target) {
        Form5->umEdit->setFocus();
        Form5->umEdit->selectAll();
        QTest::keyClicks(Form5->umEdit, target);
        QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    }
    static std::string Status() { return Form5->StatusBar1->currentMessage().toStdString(); }
};

TEST_F(AnalysisTest, RescaledMassesAndCostSharesKeptBetweenShowings) {
    Show([] {
        EXPECT_EQ(Form5->ComboBox1->Text(), "Product");
        EXPECT_EQ(Form5->umEdit->text(), "100.0");
        EXPECT_EQ(Form5->StringGrid1->RowCount(), 6); // one empty row per product name loaded, and one more
        // Before any product was analysed there is nothing to rescale.
        Recalculate("100.0");
        EXPECT_EQ(Form5->StringGrid1->RowCount(), 6);

        Pick("BLEND");
        EXPECT_EQ(Col(0), (Cells{"ETHANOL", "ANETHOLE"}));
        EXPECT_EQ(Col(1), (Cells{"  60.000", "  40.000"}));
        EXPECT_EQ(Col(2), (Cells{"     80.00", "     20.00"}));
        EXPECT_EQ(Status(), "Costs analysis BLEND; batch cost 150.00");
        Recalculate("50");
        EXPECT_EQ(Col(1), (Cells{"  30.000", "  20.000"}));
        EXPECT_EQ(Col(2), (Cells{"     80.00", "     20.00"}));
        // Water has no price: no share, and the status says the shares leave it out.
        Pick("O'NEILL");
        EXPECT_EQ(Col(1), (Cells{"  12.500", "  37.500"}));
        EXPECT_EQ(Col(2), (Cells{"    100.00", ""}));
        EXPECT_EQ(Status(), "Costs analysis O'NEILL; prices incomplete; batch cost 25.00");

        QTest::mouseClick(Form5->Button2, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 8);
        EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
        QTest::mouseClick(Form5->Button3, Qt::LeftButton);
        EXPECT_FALSE(Form5->isVisible());
    });
    // Reopened, the window shows the same analysis and rescales it; the list follows the database.
    RunSql("UPDATE Products SET Product = 'BLEND 2' WHERE Product = 'BLEND';");
    Show([] {
        EXPECT_EQ(Form5->ComboBox1->Text(), "O'NEILL");
        EXPECT_EQ(Form5->ComboBox1->findText("BLEND"), -1);
        EXPECT_NE(Form5->ComboBox1->findText("BLEND 2"), -1);
        Recalculate("100");
        EXPECT_EQ(Col(1), (Cells{"  25.000", "  75.000"}));
        EXPECT_EQ(Status(), "Costs analysis O'NEILL; prices incomplete; batch cost 50.00");
    });
    // A product deleted meanwhile is no longer shown as if it were there.
    RunSql("DELETE FROM Products WHERE Product = 'O''NEILL';");
    Show([] {
        EXPECT_EQ(Form5->ComboBox1->Text(), "Product");
        EXPECT_EQ(Form5->StringGrid1->RowCount(), 2);
        EXPECT_EQ(Status(), "Select product from combobox to view recipe.");
    });
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AnalysisTest, TypingAnalysesEachKeystrokeAndADecimalCommaLocaleReadsItsOwnNumbers) {
    RunSql("INSERT INTO Products (Prod_ID, Product) VALUES (9, 'LATE');");
    DecimalSeparator = ',';
    Show([this] {
        EXPECT_NE(Form5->ComboBox1->findText("LATE"), -1) << "added after start-up";
        // The field still holds "100.0", which is no number here: while a name is typed no box interrupts.
        QLineEdit* field = Form5->ComboBox1->lineEdit();
        field->setFocus();
        field->selectAll();
        for (const char* typed : {"S", "SO", "SOL"}) {
            QTest::keyClick(field, typed[std::strlen(typed) - 1]);
            EXPECT_EQ(Status(), "Enter the total mass in kg, a number above 0");
            EXPECT_EQ(Form5->StringGrid1->RowCount(), 2);
        }
        QTest::keyClick(field, 'O');
        EXPECT_EQ(Col(0), Cells{"ANETHOLE"});
        EXPECT_EQ(Col(1), Cells{""});
        EXPECT_EQ(Col(2), Cells{"    100,00"});
        EXPECT_TRUE(dialogs.Messages.empty());

        Recalculate("12,5 ");
        EXPECT_EQ(Col(1), Cells{"  12,500"});
        EXPECT_EQ(Status(), "Costs analysis SOLO; batch cost 9,38");
    });
}

TEST_F(AnalysisTest, AnUnusableTargetOrAZeroTotalChangesNothing) {
    RunSql("INSERT INTO Products (Prod_ID, Product) VALUES (5, 'NIL');"
           "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (7, 5, 1, 0);");
    Show([this] {
        Recalculate("12,5");
        Pick("BLEND");
        EXPECT_EQ(Col(1), (Cells{"", ""}));
        EXPECT_EQ(Col(2), (Cells{"     80.00", "     20.00"}));
        EXPECT_EQ(Status(), "Enter the total mass in kg, a number above 0");
        EXPECT_TRUE(dialogs.Messages.empty());
        for (const char* target : {"12,5", "-100", "1000000001"})
            Recalculate(target);
        EXPECT_EQ(dialogs.Messages, Cells(3, "Enter the total mass in kg, a number above 0"));
        EXPECT_EQ(Col(1), (Cells{"", ""}));
        Recalculate(" 50 ");
        EXPECT_EQ(Col(1), (Cells{"  30.000", "  20.000"}));
        EXPECT_EQ(Status(), "Costs analysis BLEND; batch cost 75.00");

        // Only unpriced water: no share at all, and no error.
        Pick("PLAIN");
        EXPECT_EQ(Col(1), Cells{"  50.000"});
        EXPECT_EQ(Col(2), Cells{""});
        EXPECT_EQ(Status(), "Costs analysis PLAIN; prices incomplete; batch cost 0.00");
        EXPECT_TRUE(dialogs.Errors.empty());

        // Masses adding up to 0, and so costs of 0: the error is shown and the analysis before stays whole.
        Pick("NIL");
        EXPECT_EQ(dialogs.Errors, Cells{ZeroCosts});
        EXPECT_EQ(Col(0), Cells{"WATER"});
        EXPECT_EQ(Col(1), Cells{"  50.000"});
        EXPECT_EQ(Status(), "Costs analysis PLAIN; prices incomplete; batch cost 0.00");
        Recalculate("80");
        EXPECT_EQ(Col(1), Cells{"  80.000"});
        EXPECT_EQ(dialogs.Errors, Cells{ZeroCosts}) << "a good total shows no error";
    });
}

TEST_F(AnalysisTest, TheWideRecipeShowsTheMassSharesAndTheMoneyOfTheAnalysis) {
    TStringGrid& recipe = *Form1->StringGrid3;
    const auto trimmed = [&recipe](int col) {
        Cells cells;
        for (const std::string& cell : Column(recipe, col))
            cells.push_back(Trim(cell));
        return cells;
    };
    const auto totals = [] { return Form1->RecipeTotals->text().toStdString(); };
    ClickRow(*Form1->StringGrid1, RowOf(*Form1->StringGrid1, "BLEND"));
    EXPECT_EQ(recipe.ColCount(), 2) << "at the given size, as ever";
    Form1->resize(Form1->width() + 300, Form1->height());
    ASSERT_TRUE(QTest::qWaitFor([] { return Form1->RecipeTotals->isVisible(); }));
    EXPECT_EQ((Cells{recipe.Cells(2, 0), recipe.Cells(3, 0), recipe.Cells(4, 0)}), (Cells{"%", "Price/kg", "Cost"}));
    EXPECT_EQ(trimmed(2), (Cells{"60.00", "40.00"}));
    EXPECT_EQ(trimmed(4), (Cells{"120.00", "30.00"}));
    EXPECT_EQ(totals(), "100.00 %   Price/kg 1.50   Cost 150.00");
    EXPECT_EQ(Form1->RecipeTotals->accessibleName().toStdString(), totals());
    // The analysis of a batch of the recipe's mass: the same shares of the mass, each line's cost over their
    // sum as its share of the cost, and their sum as the batch cost.
    dialogs.Scripts["Form5"] = [&](QDialog&) {
        Recalculate("100");
        for (int r = 1; r <= 2; ++r) {
            EXPECT_EQ(Trim(Form5->StringGrid1->Cells(1, r)), FormatFixed(std::stod(recipe.Cells(2, r)), 3));
            EXPECT_EQ(Trim(Form5->StringGrid1->Cells(2, r)), FormatFixed(std::stod(recipe.Cells(4, r)) / 1.5, 2));
        }
        EXPECT_EQ(Status(), "Costs analysis BLEND; batch cost 150.00");
    };
    Trigger(Form1->PriceAnalysis);
    // Recipe.txt is what it always was.
    Trigger(Form1->ExporttoProducttxt1);
    EXPECT_EQ(ReadFile("Recipe.txt"), "Recipe of BLEND\r\nComponent\tMass (kg)\r\nETHANOL\t  60.000\r\n"
                                      "ANETHOLE\t  40.000\r\n\t\r\n");
    DecimalSeparator = ',';
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(trimmed(4), (Cells{"120,00", "30,00"}));
    EXPECT_EQ(totals(), "100,00 %   Price/kg 1,50   Cost 150,00");
    DecimalSeparator = '.';

    // Water has no price: its cells are empty and marked; the totals leave it out.
    ClickRow(*Form1->StringGrid1, RowOf(*Form1->StringGrid1, "O'NEILL"));
    EXPECT_EQ(trimmed(2), (Cells{"25.00", "75.00"}));
    EXPECT_EQ(trimmed(4), (Cells{"4.00", ""}));
    EXPECT_EQ(recipe.Cells(3, 2), "");
    for (int col : {3, 4})
        EXPECT_EQ(recipe.CellData(col, 2, Qt::AccessibleDescriptionRole).toString(), "No price for this component");
    EXPECT_EQ(totals(), "100.00 %   Price/kg 0.50   Cost 4.00");
    EXPECT_NE(Form1->RecipeTotals->toolTip().indexOf("WATER"), -1);
    // A line deleted leaves the rest, and their totals.
    ClickRow(recipe, 1);
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteComponent1);
    EXPECT_EQ(trimmed(2), (Cells{"100.00"}));
    EXPECT_EQ(totals(), "100.00 %   Price/kg 0.00   Cost 0.00");
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AnalysisTest, OpensOnTheSelectedProductAndSortsByAColumn) {
    // A target kept from before, with a decimal comma.
    DecimalSeparator = ',';
    Show([] {
        Pick("SOLO");
        Recalculate("50");
    });
    ClickRow(*Form1->StringGrid1, 1);
    ASSERT_EQ(Form1->StringGrid1->Cells(0, 1), "BLEND");
    dialogs.Scripts["Form5"] = [](QDialog&) {
        EXPECT_EQ(Form5->ComboBox1->Text(), "BLEND");
        EXPECT_EQ(Col(1), (Cells{"  30,000", "  20,000"}));
        EXPECT_EQ(Status(), "Costs analysis BLEND; batch cost 75,00");
        // Enter in the target recalculates.
        Form5->umEdit->setFocus();
        Form5->umEdit->selectAll();
        QTest::keyClicks(Form5->umEdit, "10");
        QTest::keyClick(Form5->umEdit, Qt::Key_Return);
        EXPECT_EQ(Status(), "Costs analysis BLEND; batch cost 15,00");

        // By share, smallest first; a recalculation puts each mass on its own line.
        QHeaderView* header = Form5->StringGrid1->horizontalHeader();
        const auto clickHeading = [header](int col) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionViewportPosition(col) + 10, header->height() / 2});
        };
        clickHeading(2);
        EXPECT_EQ(Col(0), (Cells{"ANETHOLE", "ETHANOL"}));
        Recalculate("100");
        EXPECT_EQ(Col(1), (Cells{"  40,000", "  60,000"}));
        clickHeading(2);
        EXPECT_EQ(Col(0), (Cells{"ETHANOL", "ANETHOLE"}));
        // Another product is shown in the order of its recipe; a line without a share stays last.
        Pick("O'NEILL");
        EXPECT_EQ(Col(0), (Cells{"ETHANOL", "WATER"}));
        clickHeading(2);
        EXPECT_EQ(Col(2), (Cells{"    100,00", ""}));
        EXPECT_EQ(Form5->StringGrid1->Cells(0, Form5->StringGrid1->RowCount() - 1), "");
    };
    Trigger(Form1->PriceAnalysis);
    EXPECT_TRUE(dialogs.Errors.empty());
}

class SampleAnalysisTest : public AnalysisTest {
protected:
    void SetUp() override {
        CreateDatabase("Products.db3", true);
        StartProgram();
    }
    static std::string MassOf(const std::string& component) {
        for (int r = 1; r <= Form5->StringGrid1->RowCount() - 2; ++r)
            if (Form5->StringGrid1->Cells(0, r) == component)
                return Form5->StringGrid1->Cells(1, r);
        return "<none>";
    }
};

TEST_F(SampleAnalysisTest, ABatchIsWeighedToTheGram) {
    Show([] {
        Pick("ANISETTE ESSENCE");
        EXPECT_EQ(MassOf("CORIANDER SEED OIL"), "   0.200");
        EXPECT_EQ(MassOf("VANILLIN"), "   0.080");
        EXPECT_EQ(MassOf("FENNEL OIL SWEET"), "   3.000");
        double sum = 0;
        for (const std::string& cell : Col(1))
            sum += ParseNumber(cell).Value;
        EXPECT_NEAR(sum, 100.0, 0.001);
        Recalculate("1000");
        EXPECT_EQ(MassOf("ETHANOL 96%"), " 560.000");
    });
    EXPECT_TRUE(dialogs.Errors.empty());
}

} // namespace
