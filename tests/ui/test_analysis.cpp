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

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace {

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
        ASSERT_TRUE(dialogs.Messages.empty());
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ProgramFixture::TearDown();
    }
    TStringGrid& Grid() { return *Form5->StringGrid1; }
    // Shows the window from the main window's menu and runs script while it is up.
    void Show(const std::function<void()>& script) {
        dialogs.Scripts["Form5"] = [script](QDialog&) { script(); };
        Trigger(Form1->PriceAnalysis);
    }
    static void Pick(const std::string& product) {
        Form5->ComboBox1->setCurrentIndex(Form5->ComboBox1->findText(QString::fromStdString(product)));
    }
    static void TypeTarget(const QString& text) {
        Form5->umEdit->setFocus();
        Form5->umEdit->selectAll();
        QTest::keyClicks(Form5->umEdit, text);
    }
    static void Recalculate() { QTest::mouseClick(Form5->Button1, Qt::LeftButton); }
    static std::string Status() { return Form5->StatusBar1->currentMessage().toStdString(); }
    // Every data cell of the mass and share columns is a number.
    void ExpectOnlyNumbers() {
        for (int r = 1; r <= Grid().RowCount() - 2; ++r)
            for (int c = 1; c <= 2; ++c)
                EXPECT_NE(Grid().Cells(c, r).find_first_of("0123456789"), std::string::npos) << Grid().Cells(c, r);
    }
};

TEST_F(AnalysisTest, WindowAtStartAndRescaledMassesWithCostShares) {
    Show([this] {
        EXPECT_EQ(Form5->ComboBox1->Text(), "Product");
        EXPECT_EQ(Form5->ComboBox1->Items(), (std::vector<std::string>{"BLEND", "O'NEILL", "PLAIN", "SOLO"}));
        EXPECT_EQ(Form5->umEdit->text(), "100.0");
        EXPECT_TRUE(Form5->umEdit->alignment() & Qt::AlignRight);
        EXPECT_EQ(Status(), "Select product from combobox to view recipe.");
        EXPECT_EQ(Grid().Cells(0, 0), " Component");
        EXPECT_EQ(Grid().Cells(1, 0), "  Mass (kg)");
        EXPECT_EQ(Grid().Cells(2, 0), "  Costs (%)");
        EXPECT_EQ(Grid().RowCount(), 6); // one empty row per product and one more

        // Before any product was analysed there is nothing to rescale.
        Recalculate();
        EXPECT_TRUE(dialogs.Errors.empty());
        EXPECT_EQ(Grid().RowCount(), 6);
        EXPECT_EQ(Grid().Cells(1, 1), "");

        Pick("BLEND");
        EXPECT_EQ(Column(Grid(), 0), (std::vector<std::string>{"ETHANOL", "ANETHOLE"}));
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"    60.0", "    40.0"}));
        EXPECT_EQ(Column(Grid(), 2), (std::vector<std::string>{"     80.00", "     20.00"}));
        EXPECT_EQ(Status(), "Costs analysis BLEND");
        TypeTarget("50");
        Recalculate();
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"    30.0", "    20.0"}));
        EXPECT_EQ(Column(Grid(), 2), (std::vector<std::string>{"     80.00", "     20.00"}));

        Pick("SOLO");
        EXPECT_EQ(Column(Grid(), 1), std::vector<std::string>{"    50.0"});
        EXPECT_EQ(Column(Grid(), 2), std::vector<std::string>{"    100.00"});

        // 2 kg at 2.0 and 6 kg of free water: a quarter of the mass, all of the cost.
        Pick("O'NEILL");
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"    12.5", "    37.5"}));
        EXPECT_EQ(Column(Grid(), 2), (std::vector<std::string>{"    100.00", "      0.00"}));
        EXPECT_TRUE(dialogs.Messages.empty());

        QTest::mouseClick(Form5->Button2, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 8);
        EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
        QTest::mouseClick(Form5->Button3, Qt::LeftButton);
        EXPECT_FALSE(Form5->isVisible());
    });
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{"Form5"});

    // Reopened, the window continues from the last calculation (reference 50 kg).
    Show([this] {
        EXPECT_EQ(Form5->ComboBox1->Text(), "O'NEILL");
        EXPECT_EQ(Form5->umEdit->text(), "50");
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"    12.5", "    37.5"}));
        TypeTarget("100");
        Recalculate();
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"    25.0", "    75.0"}));
    });
}

TEST_F(AnalysisTest, ADecimalCommaLocaleShowsCommasAndRescalesThem) {
    DecimalSeparator = ',';
    Show([this] {
        Pick("BLEND");
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"    60,0", "    40,0"}));
        EXPECT_EQ(Column(Grid(), 2), (std::vector<std::string>{"     80,00", "     20,00"}));
        TypeTarget("12.5");
        Recalculate();
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"     7,5", "     5,0"}));
    });
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AnalysisTest, TypingAnalysesEachKeystrokeAndOnlyTheWholeNameFillsTheGrid) {
    RunSql("INSERT INTO Products (Prod_ID, Product) VALUES (9, 'LATE');"
           "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (9, 1, 1);");
    Show([this] {
        EXPECT_EQ(Form5->ComboBox1->findText("LATE"), -1); // added after start-up
        QLineEdit* field = Form5->ComboBox1->lineEdit();
        field->setFocus();
        field->selectAll();
        for (const QString typed : {"S", "SO", "SOL"}) {
            QTest::keyClick(field, typed.back().toLatin1());
            EXPECT_EQ(Status(), "Costs analysis " + typed.toStdString());
            EXPECT_EQ(Grid().RowCount(), 2);
        }
        QTest::keyClick(field, 'O');
        EXPECT_EQ(Status(), "Costs analysis SOLO");
        EXPECT_EQ(Column(Grid(), 0), std::vector<std::string>{"ANETHOLE"});
        EXPECT_EQ(Column(Grid(), 1), std::vector<std::string>{"   100.0"});
    });
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AnalysisTest, DivisionsByZeroStopWithAnErrorAndLeaveNumbersInTheGrid) {
    Show([this] {
        // A decimal comma does not parse: the target is 0.
        TypeTarget("12,5");
        Pick("BLEND");
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"     0.0", "     0.0"}));
        EXPECT_EQ(Column(Grid(), 2), (std::vector<std::string>{"     80.00", "     20.00"}));
        EXPECT_TRUE(dialogs.Errors.empty());

        // The next rescaling would divide by that total of 0.
        TypeTarget("50");
        Recalculate();
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_NE(dialogs.Errors[0].find("Division by zero"), std::string::npos) << dialogs.Errors[0];
        EXPECT_EQ(Column(Grid(), 1), (std::vector<std::string>{"     0.0", "     0.0"}));
        ExpectOnlyNumbers();

        // Only free water: the costs add up to 0; the row keeps the texts of the first pass.
        Pick("PLAIN");
        ASSERT_EQ(dialogs.Errors.size(), 2u);
        EXPECT_NE(dialogs.Errors[1].find("costs"), std::string::npos) << dialogs.Errors[1];
        EXPECT_EQ(Column(Grid(), 1), std::vector<std::string>{"    10.0"});
        EXPECT_EQ(Column(Grid(), 2), std::vector<std::string>{"       0.0"});
        EXPECT_EQ(Status(), "Costs analysis BLEND");
        ExpectOnlyNumbers();

        // A target too large to compute is refused the same way.
        TypeTarget("1e308");
        Pick("SOLO");
        ASSERT_EQ(dialogs.Errors.size(), 3u);
        ExpectOnlyNumbers();
    });
}

} // namespace
