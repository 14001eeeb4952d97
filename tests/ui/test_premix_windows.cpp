// The raw materials of a product through its premixes, for a batch the user types, exported and printed as a
// weighing sheet; and where a component is used, through the premixes.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "forms/MAIN.h"
#include "forms/RawMaterials.h"
#include "forms/WhereUsed.h"
#include "platform/Printers.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

// A (SUGAR 3, WATER 1) is in B (A 2, SALT 2, SUGAR 1), which is in C (B 10, WATER 10).
const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'SUGAR', 2.0), (2, 'WATER', 0.5), (3, 'SALT', 1.0),"
    " (10, 'A', 1.63), (11, 'B', 1.45);"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'A'), (2, 'B'), (3, 'C');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 3), (1, 2, 1), (2, 10, 2), (2, 3, 2), (2, 1, 1),"
    " (3, 11, 10), (3, 2, 10);"
    "INSERT INTO Premixes VALUES (10, 1), (11, 2);";

class RawMaterialsWindow : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
    }
    static std::vector<std::string> Row(const TStringGrid& grid, int row) {
        std::vector<std::string> cells;
        for (int c = 0; c < grid.ColCount(); ++c)
            cells.push_back(Trim(grid.Cells(c, row)));
        return cells;
    }
    static void Type(TPosFloatEdit& field, const QString& text) {
        field.setFocus();
        field.selectAll();
        QTest::keyClicks(&field, text);
    }
};

TEST_F(RawMaterialsWindow, ABatchOfThreeLevelsAddsUpAndGoesToTheFileAndTheWeighingSheet) {
    EXPECT_TRUE(Form1->Recipes1->actions().contains(Form1->RawMaterials));
    EXPECT_TRUE(Form1->RecMenu->actions().contains(Form1->RawMaterials));
    ClickRow(*Form1->StringGrid1, 3);
    ASSERT_EQ(Form1->StringGrid1->Cells(0, 3), "C");
    dialogs.PrintScript = [](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName("sheet.pdf");
        return true;
    };
    dialogs.Scripts["RawMaterials"] = [this](QDialog& window) {
        auto& raw = static_cast<TRawMaterials&>(window);
        EXPECT_EQ(window.windowTitle(), "Raw materials of C");
        EXPECT_EQ(raw.BatchEdit->Text(), "20.000");
        EXPECT_EQ(Column(*raw.RawGrid, 0), (std::vector<std::string>{"WATER", "SUGAR", "SALT", "TOTAL"}));
        Type(*raw.BatchEdit, "100");
        EXPECT_EQ(Row(*raw.RawGrid, 1), (std::vector<std::string>{"WATER", "55.000", "55.00", "0.50", "27.50"}));
        EXPECT_EQ(Row(*raw.RawGrid, 4), (std::vector<std::string>{"TOTAL", "100.000", "100.00", "0.98", "97.50"}));
        EXPECT_EQ(raw.StatusLabel->text(),
                  "Premix prices are rounded to cents; the product's price may differ by up to 0.85.");
        // A batch mass being typed leaves the rows of the last one.
        raw.BatchEdit->selectAll();
        QTest::keyClick(raw.BatchEdit, Qt::Key_Backspace);
        EXPECT_EQ(raw.StatusLabel->text(), "Enter the batch mass in kg, a number above 0.");
        EXPECT_EQ(Trim(raw.RawGrid->Cells(1, 4)), "100.000");

        QTest::mouseClick(raw.ExportBtn, Qt::LeftButton);
        QTest::mouseClick(raw.PrintBtn, Qt::LeftButton);
        QTest::mouseClick(raw.PreviewBtn, Qt::LeftButton);

        // By cost, smallest first, the TOTAL row below them; another batch mass keeps the order.
        ClickHeading(*raw.RawGrid, 4);
        const std::vector<std::string> byCost = {"SALT", "WATER", "SUGAR", "TOTAL"};
        EXPECT_EQ(Column(*raw.RawGrid, 0), byCost);
        Type(*raw.BatchEdit, "50");
        EXPECT_EQ(Column(*raw.RawGrid, 0), byCost);
        EXPECT_EQ(Row(*raw.RawGrid, 1), (std::vector<std::string>{"SALT", "10.000", "20.00", "1.00", "10.00"}));
        ClickHeading(*raw.RawGrid, 4);
        EXPECT_EQ(Column(*raw.RawGrid, 0), (std::vector<std::string>{"SUGAR", "WATER", "SALT", "TOTAL"}));
    };
    Trigger(Form1->RawMaterials);
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string>{"RawMaterials", "PrintPreview"}));
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Done... See RawMaterials.txt"}));
    EXPECT_EQ(ReadFile("RawMaterials.txt"), "Raw materials of C\r\nBatch mass: 100.000 kg\r\n\r\n"
                                            "COMPONENT\tkg\t%\tPRICE/KG\tCOST\r\n"
                                            "WATER\t55.000\t55.00\t0.50\t27.50\r\n"
                                            "SUGAR\t25.000\t25.00\t2.00\t50.00\r\n"
                                            "SALT\t20.000\t20.00\t1.00\t20.00\r\n"
                                            "TOTAL\t100.000\t100.00\t0.98\t97.50\r\n");
    std::vector<std::string> printed;
    for (const TPrintedLine& line : LastPrintedLines())
        printed.push_back(line.Text());
    EXPECT_NE(std::find(printed.begin(), printed.end(), "    Weighing sheet: C"), printed.end());
    EXPECT_NE(std::find(printed.begin(), printed.end(), "    Batch mass: 100.000 kg"), printed.end());
    EXPECT_NE(std::find(printed.begin(), printed.end(),
                        "    WATER                              55.000   55.00      0.50       27.50  [   ]"),
              printed.end());

    // Under a decimal comma the rows and the field read the same.
    struct TPointAgain {
        ~TPointAgain() {
            DecimalSeparator = '.';
            ThousandSeparator = ',';
        }
    } pointAgain;
    DecimalSeparator = ',';
    ThousandSeparator = ' ';
    dialogs.Scripts["RawMaterials"] = [](QDialog& window) {
        auto& raw = static_cast<TRawMaterials&>(window);
        EXPECT_EQ(raw.BatchEdit->Text(), "20,000");
        Type(*raw.BatchEdit, "2,5");
        EXPECT_EQ(Trim(raw.RawGrid->Cells(1, 1)), "1,375");
        EXPECT_EQ(Trim(raw.RawGrid->Cells(4, 4)), "2,44");
    };
    Trigger(Form1->RawMaterials);
}

TEST_F(RawMaterialsWindow, WhereUsedListsTheProductsThroughThePremixes) {
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    ClickRow(*Form1->StringGrid2, 4);
    ASSERT_EQ(Form1->StringGrid2->Cells(0, 4), "SUGAR");
    dialogs.Scripts["WhereUsed"] = [](QDialog& window) {
        auto& where = static_cast<TWhereUsed&>(window);
        EXPECT_EQ(window.windowTitle(), "Where SUGAR is used");
        EXPECT_EQ(where.SummaryLabel->text(), "SUGAR is used in 3 products.");
        EXPECT_EQ(Column(*where.UsesGrid, 0), (std::vector<std::string>{"A", "B", "B", "C", "C"}));
        EXPECT_EQ(Column(*where.UsesGrid, 1), (std::vector<std::string>{"0.750", "0.200", "0.300", "0.100", "0.150"}));
        EXPECT_EQ(Column(*where.UsesGrid, 2), (std::vector<std::string>{"", "", "A", "B", "B > A"}));
        // By mass per kg, as numbers; again, the other way.
        ClickHeading(*where.UsesGrid, 1);
        EXPECT_EQ(Column(*where.UsesGrid, 1), (std::vector<std::string>{"0.100", "0.150", "0.200", "0.300", "0.750"}));
        ClickHeading(*where.UsesGrid, 1);
        EXPECT_EQ(Column(*where.UsesGrid, 0), (std::vector<std::string>{"A", "B", "B", "C", "C"}));
    };
    Trigger(Form1->WhereUsed);
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string>{"WhereUsed"}));
}

} // namespace
