// Names as people read them, a product copied and a recipe rescaled: the lists' order, the capitals of typed
// names, Duplicate Product and Scale Recipe.. against a real database.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/RecUnit.h"
#include "forms/Unit5.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <string>
#include <vector>

namespace {

// GONE is deleted below: its lines stay behind. Product 9 was deleted, its line kept.
const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'YLANG-YLANG', 80, '2025-01-02'),"
    " (2, 'ÉTHANOL', 2.5, '2025-01-02'), (3, 'EAU', 0, '2025-01-02'), (4, 'CÈDRE', 30, '2025-01-02'),"
    " (5, 'COUMARINE', 20, '2025-01-02'), (6, 'CRèME', 5, '2025-01-02'), (7, 'apple', 1, '2025-01-02'),"
    " (8, 'GONE', 9, '2025-01-02');"
    "INSERT INTO Products (Prod_ID, Product, Solids) VALUES (1, 'ZEST', NULL), (2, 'ÉCLAT', 'Stir.\nCool.'),"
    " (3, 'BASE', NULL), (4, 'EAU DE VIE', NULL);"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (1, 2, 4, 1.5, '2025-02-01'),"
    " (2, 2, 8, 4, '2025-02-01'), (3, 2, 5, 0.75, '2025-02-02'), (4, 2, 3, 0.25, '2025-02-03'),"
    " (5, 1, 1, 1, NULL), (6, 1, 2, 1, NULL), (7, 1, 8, 7, NULL), (8, 1, 7, 1, NULL), (9, 9, 1, 2, NULL);"
    "DELETE FROM Materials WHERE Comp_ID = 8;";

// Types text key by key, accented letters too (a keyboard sends them as text with no key code of Qt's).
void Type(QWidget* field, const QString& text) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }
}

class NamesCopyScaleTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
        ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        ProgramFixture::TearDown();
    }
    TStringGrid& Products() { return *Form1->StringGrid1; }
    TStringGrid& Recipe() { return *Form1->StringGrid3; }
    std::string Selected() { return Products().Cells(0, Products().Row()); }
    int ProductRow(const std::string& name) { return RowOf(Products(), name); }
    void SelectProduct(const std::string& name) {
        ASSERT_GT(ProductRow(name), 0) << name;
        ClickRow(Products(), ProductRow(name));
    }
    static std::vector<std::string> Items(const TComboBox& box) { return {box.Items().begin(), box.Items().end()}; }
};

TEST_F(NamesCopyScaleTest, ListsSortAccentedNamesWithTheirPlainSpellingAndFindTheirRowsByName) {
    const std::vector<std::string> products = {"BASE", "EAU DE VIE", "ÉCLAT", "ZEST"};
    EXPECT_EQ(Column(Products(), 0), products);
    // Plain names keep their byte order: "apple" after every capital, as before.
    const std::vector<std::string> components = {"CÈDRE",   "COUMARINE",   "CRèME", "EAU",
                                                 "ÉTHANOL", "YLANG-YLANG", "apple"};
    EXPECT_EQ(Items(*Rec->ComboBox1), components);
    EXPECT_EQ(Items(*Form5->ComboBox1), products);

    // The price flag finds ÉCLAT where it is now, not where byte order would have put it.
    const int eclat = ProductRow("ÉCLAT");
    EXPECT_TRUE(Products().CellData(1, eclat, Qt::ToolTipRole).toString().contains("no price for EAU"));
    for (int r = 1; r <= Products().RowCount() - 2; ++r)
        EXPECT_EQ(Products().CellData(1, r, Qt::ToolTipRole).isValid(), r == eclat || r == ProductRow("ZEST"))
            << Products().Cells(0, r);
    EXPECT_EQ(Products().Cells(1, eclat), "   24.00");

    // A Refresh keeps the product selected, wherever it sorts.
    SelectProduct("ÉCLAT");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_EQ(Selected(), "ÉCLAT");
    EXPECT_EQ(Column(Recipe(), 0), (std::vector<std::string>{"CÈDRE", "COUMARINE", "EAU"}));

    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    EXPECT_EQ(Column(*Form1->StringGrid2, 0), components);
}

TEST_F(NamesCopyScaleTest, TypedNamesTakeUnicodeCapitalsAndOldNamesAreStillFound) {
    dialogs.TextAnswers = {std::string("crème brûlée"), std::string("éclat"), std::string("crème")};
    Trigger(Form1->NewProduct);
    EXPECT_EQ(Selected(), "CRÈME BRÛLÉE");
    EXPECT_EQ(QueryValue("select count(*) from Products where Product = 'CRÈME BRÛLÉE';"), "1");
    Trigger(Form1->NewProduct);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Product already exists"});
    // No product is called CRèME: the new one takes Unicode's capitals.
    Trigger(Form1->NewProduct);
    EXPECT_EQ(Selected(), "CRÈME");

    // The old component CRèME is found by what was typed for it, in the recipe and in Edit Materials.
    SelectProduct("ZEST");
    dialogs.Scripts["Rec"] = [](QDialog&) {
        Type(Rec->ComboBox1->lineEdit(), "crème");
        Type(Rec->MassEdit, "2");
        QTest::mouseClick(Rec->PostBtn, Qt::LeftButton);
    };
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(QueryValue("select Comp_ID from Recipes where ID = 10;"), "6");
    EXPECT_EQ(Column(Recipe(), 0).back(), "CRèME");

    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    dialogs.Messages.clear();
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->Edit1, "crème");
        QTest::mouseClick(Mat->PostBtn, Qt::LeftButton);
        Type(Mat->Edit1, "crème fraîche");
        QTest::mouseClick(Mat->PostBtn, Qt::LeftButton);
    };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Component is already present in the Components table."});
    EXPECT_EQ(QueryRows("select Component from Materials where Comp_ID > 8;"),
              std::vector<std::string>{"CRÈME FRAÎCHE"});
    EXPECT_EQ(QueryValue("select Component from Materials where Comp_ID = 6;"), "CRèME") << "never rewritten";
}

TEST_F(NamesCopyScaleTest, DuplicateCopiesTheLinesAndTheNotesUnderANewNumber) {
    SelectProduct("ÉCLAT");
    dialogs.TextAnswers = {std::string("éclat copy")};
    Trigger(Form1->DuplicateProduct);
    EXPECT_EQ(dialogs.Prompts.back(), "Duplicate ÉCLAT|Enter the name of the copy");
    EXPECT_EQ(dialogs.PromptTexts.back(), "ÉCLAT COPY");
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(Selected(), "ÉCLAT COPY");
    EXPECT_EQ(Column(Recipe(), 0), (std::vector<std::string>{"CÈDRE", "COUMARINE", "EAU"}));
    EXPECT_EQ(Form1->TotalEdit->Text(), "2.500");
    EXPECT_EQ(Products().Cells(1, Products().Row()), "   24.00");
    // Above product 9, whose line stayed behind; the line of the deleted component is not copied.
    EXPECT_EQ(QueryRows("select P.Prod_ID, P.Solids, R.Comp_ID, R.Quantity, R.Datum from Products P, Recipes R "
                        "where R.Prod_ID = P.Prod_ID and P.Product = 'ÉCLAT COPY' order by R.ID;"),
              (std::vector<std::string>{"10|Stir.\nCool.|4|1.5|2025-02-01", "10|Stir.\nCool.|5|0.75|2025-02-02",
                                        "10|Stir.\nCool.|3|0.25|2025-02-03"}));

    // A name that exists is refused, as New Product refuses it; Cancel writes nothing.
    const auto before = QueryRows("select * from Products order by Prod_ID;");
    dialogs.TextAnswers = {std::string("zest"), std::nullopt};
    Trigger(Form1->DuplicateProduct);
    EXPECT_EQ(dialogs.PromptTexts.back(), "ÉCLAT COPY COPY");
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Product already exists"});
    Trigger(Form1->DuplicateProduct);
    EXPECT_EQ(QueryRows("select * from Products order by Prod_ID;"), before);
}

TEST_F(NamesCopyScaleTest, ScaleRecipeRewritesTheMassesInWholeGramsAddingUpToTheNewTotal) {
    SelectProduct("ZEST");
    ASSERT_EQ(Form1->TotalEdit->Text(), "3.000");
    dialogs.TextAnswers = {std::string(" 250 ")};
    Trigger(Form1->ScaleRecipe);
    EXPECT_EQ(dialogs.Prompts.back(), "Scale ZEST|New total mass in kg");
    EXPECT_EQ(dialogs.PromptTexts.back(), "3.000");
    EXPECT_TRUE(dialogs.Messages.empty());
    // The gram left over goes to the first of the largest lines; the deleted component's line stays as it was.
    EXPECT_EQ(QueryRows("select ID, Quantity, Datum is not null from Recipes where Prod_ID = 1 order by ID;"),
              (std::vector<std::string>{"5|83.334|1", "6|83.333|1", "7|7.0|0", "8|83.333|1"}));
    EXPECT_EQ(QueryValue("select sum(round(Quantity * 1000)) from Recipes where Prod_ID = 1 and Comp_ID <> 8;"),
              "250000.0");
    EXPECT_EQ(Selected(), "ZEST");
    EXPECT_EQ(Form1->TotalEdit->Text(), "250.000");

    // Under a decimal comma: the other mark is read as the separator too, and blanks are ignored.
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    SelectProduct("ÉCLAT");
    dialogs.TextAnswers = {std::string("1 000.5")};
    Trigger(Form1->ScaleRecipe);
    EXPECT_EQ(dialogs.PromptTexts.back(), "2,500");
    EXPECT_EQ(QueryRows("select Quantity from Recipes where Prod_ID = 2 and Comp_ID <> 8 order by ID;"),
              (std::vector<std::string>{"600.3", "300.15", "100.05"}));

    // Refused: a total not above 0, no number, and a recipe without mass, which is not asked for.
    const auto before = QueryRows("select * from Recipes order by ID;");
    dialogs.TextAnswers = {std::string("0"), std::string("x")};
    Trigger(Form1->ScaleRecipe);
    Trigger(Form1->ScaleRecipe);
    SelectProduct("BASE");
    const auto asked = dialogs.Prompts.size();
    Trigger(Form1->ScaleRecipe);
    EXPECT_EQ(dialogs.Prompts.size(), asked);
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Enter the total mass in kg, a number above 0",
                                                          "Enter the total mass in kg, a number above 0",
                                                          "The recipe has no mass to scale"}));
    EXPECT_EQ(QueryRows("select * from Recipes order by ID;"), before);
}

} // namespace
