// Premixes in the main window: made from the product list, marked and opened in the recipe, refused where
// they are in use, shown read-only in Edit Materials, and a cycle told once.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StatusBar.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'SUGAR', 2.0, '2025-01-02'),"
    " (2, 'WATER', 0.4, '2025-01-02'), (3, 'BASE', 5.0, '2025-01-02');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'A'), (2, 'C'), (3, 'BASE');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 50), (1, 2, 50), (2, 2, 50), (2, 3, 10),"
    " (3, 2, 10);";

class PremixWindowTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
        ASSERT_TRUE(dialogs.Messages.empty());
    }
    TStringGrid& Products() { return *Form1->StringGrid1; }
    int RowOf(const TStringGrid& grid, const std::string& name) {
        for (int r = 1; r <= grid.RowCount() - 2; ++r)
            if (grid.Cells(0, r) == name)
                return r;
        return -1;
    }
    void Select(const std::string& product) { ClickRow(Products(), RowOf(Products(), product)); }
};

TEST_F(PremixWindowTest, APremixIsMadeMarkedOpenedAndRefusedWhereItIsUsed) {
    Select("A");
    Trigger(Form1->UseAsPremix);
    EXPECT_EQ(QueryValue("SELECT Price FROM Materials WHERE Component = 'A';"), "1.2");
    Form1->ProductMenuPopup();
    EXPECT_EQ(Form1->UseAsPremix->text(), "Stop Using as Premix");

    // A component of the product's name is linked once the user agrees; the recipes using it follow.
    Select("BASE");
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->UseAsPremix);
    EXPECT_EQ(dialogs.Questions.back(), "A component named BASE exists. Make it the premix of the product BASE? Its "
                                        "price will then come from the recipe.");
    EXPECT_EQ(Products().Cells(1, RowOf(Products(), "C")), "    0.40");

    Select("C");
    TStringGrid& recipe = *Form1->StringGrid3;
    const int line = RowOf(recipe, "BASE");
    ASSERT_GT(line, 0);
    EXPECT_EQ(recipe.CellData(0, line, Qt::AccessibleDescriptionRole).toString(), "Premix: BASE has its own recipe");
    EXPECT_FALSE(recipe.CellData(0, RowOf(recipe, "WATER"), Qt::AccessibleDescriptionRole).isValid());
    ClickRow(recipe, line);
    Trigger(Form1->OpenPremix);
    EXPECT_EQ(Form1->Edit1->Text(), "BASE");
    EXPECT_EQ(Products().Cells(0, Products().Row()), "BASE");

    dialogs.Clear();
    Trigger(Form1->DeleteProduct);
    EXPECT_EQ(dialogs.Messages,
              std::vector<std::string>{"BASE is a premix used in 1 product; remove it from them first."});
    EXPECT_TRUE(dialogs.Questions.empty());

    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    TStringGrid& components = *Form1->StringGrid2;
    ClickRow(components, RowOf(components, "A"));
    Trigger(Form1->DeleteComponent);
    EXPECT_EQ(dialogs.Messages.back(), "A is the premix of the product A; use Stop Using as Premix first.");
    bool opened = false;
    dialogs.Scripts["Mat"] = [&opened](QDialog&) {
        opened = true;
        EXPECT_TRUE(Mat->Edit1->isReadOnly());
        EXPECT_TRUE(Mat->PriceEdit->isReadOnly());
        EXPECT_TRUE(Mat->PremixLabel->isVisibleTo(Mat));
        EXPECT_EQ(Mat->PremixLabel->text(), "Price from the recipe of A");
        QTest::mouseClick(Mat->PostBtn, Qt::LeftButton);
    };
    const std::string dated = QueryValue("SELECT Date FROM Materials WHERE Component = 'A';");
    Trigger(Form1->RenameComponent);
    EXPECT_TRUE(opened);
    EXPECT_EQ(QueryValue("SELECT Date FROM Materials WHERE Component = 'A';"), dated);
}

TEST_F(PremixWindowTest, ACycleInTheFileIsToldOnceAndCountedWhileItIsThere) {
    Select("A");
    Trigger(Form1->UseAsPremix);
    Select("BASE");
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->UseAsPremix);
    // Another program writes A into BASE into A.
    RunSql("INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT 3, Comp_ID, 1 FROM Materials WHERE Component = "
           "'A'; INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 3, 1);");
    dialogs.Clear();
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages,
              std::vector<std::string>{"Prices not computed for A, BASE: they contain each other (A > BASE > A)."});
    EXPECT_TRUE(Form1->BevelStatusBar1->SimpleText().ends_with("  3 products not computed (a premix cycle) |"));
    RunSql("DELETE FROM Recipes WHERE Prod_ID = 1 AND Comp_ID = 3;");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_FALSE(Form1->BevelStatusBar1->SimpleText().ends_with("(a premix cycle) |"));
}

} // namespace
