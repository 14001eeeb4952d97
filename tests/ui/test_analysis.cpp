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

#include <cstring>

namespace {

using Cells = std::vector<std::string>;

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
    // Shows the window from the main window's menu and runs script while it is up.
    void Show(const std::function<void()>& script) {
        dialogs.Scripts["Form5"] = [script](QDialog&) { script(); };
        Trigger(Form1->PriceAnalysis);
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
        EXPECT_EQ(Col(1), (Cells{"    60.0", "    40.0"}));
        EXPECT_EQ(Col(2), (Cells{"     80.00", "     20.00"}));
        EXPECT_EQ(Status(), "Costs analysis BLEND");
        Recalculate("50");
        EXPECT_EQ(Col(1), (Cells{"    30.0", "    20.0"}));
        EXPECT_EQ(Col(2), (Cells{"     80.00", "     20.00"}));
        Pick("O'NEILL");
        EXPECT_EQ(Col(1), (Cells{"    12.5", "    37.5"}));
        EXPECT_EQ(Col(2), (Cells{"    100.00", "      0.00"}));

        QTest::mouseClick(Form5->Button2, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 8);
        EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
        QTest::mouseClick(Form5->Button3, Qt::LeftButton);
        EXPECT_FALSE(Form5->isVisible());
    });
    // Reopened, the window continues from the last calculation (50 kg).
    Show([] {
        EXPECT_EQ(Form5->ComboBox1->Text(), "O'NEILL");
        Recalculate("100");
        EXPECT_EQ(Col(1), (Cells{"    25.0", "    75.0"}));
    });
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AnalysisTest, TypingAnalysesEachKeystrokeAndADecimalCommaLocaleReadsItsOwnCells) {
    RunSql("INSERT INTO Products (Prod_ID, Product) VALUES (9, 'LATE');");
    DecimalSeparator = ',';
    Show([] {
        EXPECT_EQ(Form5->ComboBox1->findText("LATE"), -1); // added after start-up
        QLineEdit* field = Form5->ComboBox1->lineEdit();
        field->setFocus();
        field->selectAll();
        for (const char* typed : {"S", "SO", "SOL"}) {
            QTest::keyClick(field, typed[std::strlen(typed) - 1]);
            EXPECT_EQ(Status(), std::string("Costs analysis ") + typed);
            EXPECT_EQ(Form5->StringGrid1->RowCount(), 2);
        }
        QTest::keyClick(field, 'O');
        EXPECT_EQ(Col(1), Cells{"   100,0"});
        EXPECT_EQ(Col(2), Cells{"    100,00"});
        Recalculate("12.5");
        EXPECT_EQ(Col(1), Cells{"    12,5"});
    });
}

TEST_F(AnalysisTest, DivisionsByZeroStopWithAnErrorAndLeaveNumbersInTheGrid) {
    Show([this] {
        // A decimal comma does not parse: the target is 0, and so is the total the next rescaling divides by.
        Recalculate("12,5");
        Pick("BLEND");
        EXPECT_EQ(Col(1), (Cells{"     0.0", "     0.0"}));
        EXPECT_TRUE(dialogs.Errors.empty());
        Recalculate("50");
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_NE(dialogs.Errors[0].find("Division by zero"), std::string::npos) << dialogs.Errors[0];
        EXPECT_EQ(Col(1), (Cells{"     0.0", "     0.0"}));

        // Only free water: the costs add up to 0; the row keeps the numbers of the first pass.
        Pick("PLAIN");
        ASSERT_EQ(dialogs.Errors.size(), 2u);
        EXPECT_NE(dialogs.Errors[1].find("costs"), std::string::npos) << dialogs.Errors[1];
        EXPECT_EQ(Col(1), Cells{"    10.0"});
        EXPECT_EQ(Col(2), Cells{"       0.0"});
        EXPECT_EQ(Status(), "Costs analysis BLEND");
    });
}

} // namespace
