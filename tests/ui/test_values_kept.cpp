// What a user keeps whatever the locale and whatever the file holds: prices and masses posted unchanged come
// back exactly, the selection survives changes by other programs, 8-bit names and text keys stay intact.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/RecUnit.h"
#include "platform/Locale.h"
#include "platform/QtText.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <sqlite3.h>

namespace {

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 38.5, '2025-01-02'),"
    " (2, 'VANILLIN', 0.125, '2025-01-03'), (3, 'WATER', 0.0, '2025-01-05'), (4, 'BIG', 1234.5, '2025-01-06');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'CORDIAL');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 6.5), (2, 1, 2, 0.005), (3, 1, 3, 1.25),"
    " (4, 1, 4, 12.3456);";

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Enters the field and leaves it again, as tabbing through it does, so its text is converted.
void TabThrough(QWidget* field) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Tab);
}

class ValuesKept : public ProgramFixture {
protected:
    void TearDown() override {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        ProgramFixture::TearDown();
    }
    void Start(const char* data = Data) {
        CreateDatabase();
        RunSql(data);
        StartProgram();
    }
    TStringGrid& Products() { return *Form1->StringGrid1; }
    TStringGrid& Components() { return *Form1->StringGrid2; }
    TStringGrid& Recipe() { return *Form1->StringGrid3; }
    int RowOf(TStringGrid& grid, const std::string& name) {
        for (int r = 1; r <= grid.RowCount() - 2; ++r)
            if (grid.Cells(0, r) == name)
                return r;
        return -1;
    }
    // Opens every line of the recipe on display and posts it after tabbing through the mass.
    void PostEveryLineUnchanged() {
        dialogs.Scripts["Rec"] = [](QDialog&) {
            TabThrough(Rec->MassEdit);
            Click(Rec->PostBtn);
        };
        for (int r = 1; r <= Recipe().RowCount() - 2; ++r) {
            Recipe().SetRow(r);
            Trigger(Form1->EditComponentMass1);
        }
    }
};

TEST_F(ValuesKept, PricesAndMassesPostedUnchangedComeBackExactlyUnderEveryLocale) {
    Start();
    const auto prices = QueryRows("select Component, " + TypeOf("Price") + ", Price from Materials order by 1;");
    const auto lines = QueryRows("select ID, Comp_ID, " + TypeOf("Quantity") + ", Quantity from Recipes order by 1;");
    const std::map<std::string, std::pair<char, char>> separators = {
        {"fr_FR", {',', ' '}}, {"de_DE", {',', '.'}}, {"en_US", {'.', ','}}, {"C", {'.', ','}}};
    for (const auto& [name, expected] : separators) {
        SCOPED_TRACE(name);
        ReadRegionalSettings(QLocale(QString::fromStdString(name)));
        EXPECT_EQ(DecimalSeparator, expected.first);
        EXPECT_EQ(ThousandSeparator, expected.second);

        Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
        Settle();
        dialogs.Scripts["Mat"] = [](QDialog&) {
            TabThrough(Mat->Edit1);
            TabThrough(Mat->PriceEdit);
            Click(Mat->PostBtn);
        };
        for (const char* component : {"ETHANOL", "VANILLIN", "BIG"}) {
            Components().SetRow(RowOf(Components(), component));
            Trigger(Form1->RenameComponent);
        }
        EXPECT_EQ(QueryRows("select Component, " + TypeOf("Price") + ", Price from Materials order by 1;"), prices);

        Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
        Settle();
        PostEveryLineUnchanged();
        EXPECT_EQ(QueryRows("select ID, Comp_ID, " + TypeOf("Quantity") + ", Quantity from Recipes order by 1;"),
                  lines);
        EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
        EXPECT_TRUE(dialogs.Errors.empty()) << dialogs.Errors.front();
    }

    // Grouping in a no-break-space country is typed with blanks.
    ReadRegionalSettings(QLocale("fr_FR"));
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    Components().SetRow(RowOf(Components(), "BIG"));
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Mat->PriceEdit->setFocus();
        Mat->PriceEdit->selectAll();
        QTest::keyClicks(Mat->PriceEdit, "2 345,75");
        QTest::keyClick(Mat->PriceEdit, Qt::Key_Tab);
        Click(Mat->PostBtn);
    };
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(QueryValue("select Price from Materials where Component = 'BIG';"), "2345.75");
    EXPECT_EQ(Components().Cells(1, RowOf(Components(), "BIG")), " 2345,75");
}

TEST_F(ValuesKept, EditingALineKeepsItsMassToTheLastDecimal) {
    Start();
    // Both lines are given a component the recipe has already: that is meant here.
    dialogs.YesNoAnswers = {true, true};
    // The mass shows to the gram; changing only the component keeps the stored quantity.
    Recipe().SetRow(2);
    dialogs.Scripts["Rec"] = [](QDialog&) {
        EXPECT_EQ(Rec->MassEdit->Text(), "0.005");
        Rec->ComboBox1->setCurrentIndex(Rec->ComboBox1->findText("WATER"));
        Click(Rec->PostBtn);
    };
    Trigger(Form1->EditComponentMass1);
    Recipe().SetRow(4);
    dialogs.Scripts["Rec"] = [](QDialog&) {
        EXPECT_EQ(Rec->MassEdit->Text(), "12.346");
        Rec->ComboBox1->setCurrentIndex(Rec->ComboBox1->findText("ETHANOL"));
        Click(Rec->PostBtn);
    };
    Trigger(Form1->EditComponentMass1);
    EXPECT_EQ(QueryRows("select ID, Comp_ID, Quantity from Recipes order by 1;"),
              (std::vector<std::string>{"1|1|6.5", "2|3|0.005", "3|3|1.25", "4|1|12.3456"}));
    EXPECT_EQ(Recipe().Cells(1, 3), "   1.250");

    // A changed mass is stored as typed, grams included.
    Recipe().SetRow(3);
    dialogs.Scripts["Rec"] = [](QDialog&) {
        EXPECT_EQ(Rec->MassEdit->Text(), "1.250");
        Rec->MassEdit->setFocus();
        Rec->MassEdit->selectAll();
        QTest::keyClicks(Rec->MassEdit, "1.255");
        Click(Rec->PostBtn);
    };
    Trigger(Form1->EditComponentMass1);
    EXPECT_EQ(QueryValue("select Quantity from Recipes where ID = 3;"), "1.255");
    EXPECT_EQ(Form1->TotalEdit->Text(), "20.106");

    // A quantity an older version stored with a comma opens as the number the grid shows, and stays as it was:
    // a text in a number column, which only a file holds.
    SKIP_ON_SERVER();
    RunSql("UPDATE Recipes SET Quantity = '6,5' WHERE ID = 1;");
    Form1->StringGrid1DblClick();
    Recipe().SetRow(1);
    dialogs.Scripts["Rec"] = [](QDialog&) {
        EXPECT_EQ(Rec->MassEdit->Text(), "6.500");
        Click(Rec->PostBtn);
    };
    Trigger(Form1->EditComponentMass1);
    EXPECT_EQ(QueryValue("select Quantity from Recipes where ID = 1;"), "6,5");
}

TEST_F(ValuesKept, APriceThatCouldNotBeReadIsNeverWrittenAsZero) {
    SKIP_ON_SERVER(); // the file's lock
    Start();
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    // Another program holds the file while the component opens, and lets go before Post.
    sqlite3* other = nullptr;
    sqlite3_open("Products.db3", &other);
    sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);
    dialogs.Scripts["Mat"] = [other](QDialog&) {
        sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
        Click(Mat->PostBtn);
    };
    Components().SetRow(RowOf(Components(), "ETHANOL"));
    Trigger(Form1->RenameComponent);
    sqlite3_close(other);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"SQLite Error 5 - database is locked"});
    EXPECT_EQ(QueryValue("select Price from Materials where Component = 'ETHANOL';"), "38.5");
}

TEST_F(ValuesKept, TheSelectionSurvivesProductsDeletedBeforeIt) {
    Start("INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'ETHANOL', 2);"
          "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'A'), (2, 'B'), (3, 'C'), (4, 'D'), (5, 'E'), (6, 'F');"
          "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (6, 1, 4);"
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12)"
          " INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT 1, 1, i FROM n;");
    ClickRow(Products(), 6);
    ASSERT_EQ(Form1->Edit1->Text(), "F");
    RunSql("DELETE FROM Products WHERE Product IN ('B', 'C');");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    Settle();
    Settle();
    EXPECT_EQ(Products().Cells(0, Products().Row()), "F");
    EXPECT_EQ(Form1->Edit1->Text(), "F");
    EXPECT_EQ(Recipe().Cells(1, 1), "   4.000");
    EXPECT_EQ(Products().currentIndex().row() + 1, Products().Row()) << "the view shows the same row";

    // Shrinking the recipe from line 11 leaves row 1 current and fires no click.
    ClickRow(Products(), 1);
    ClickRow(Recipe(), 11);
    ASSERT_EQ(Form1->HelpContext, 7);
    ClickRow(Products(), 4);
    Settle();
    EXPECT_EQ(Form1->HelpContext, 6);
    EXPECT_EQ(Recipe().Row(), 1);
    EXPECT_EQ(Recipe().currentIndex().row(), 0);
}

TEST_F(ValuesKept, EightBitNamesShowAsWindows1252AndKeepTheirBytes) {
    SKIP_ON_SERVER(); // Windows-1252 bytes, which a server holding UTF-8 cannot take
    // CAFÉ and CAFÈ held as Windows-1252 bytes: one byte each, not UTF-8.
    Start("INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, CAST(X'434146C9' AS TEXT), 2),"
          " (2, CAST(X'434146C8' AS TEXT), 3);"
          "INSERT INTO Products (Prod_ID, Product) VALUES (1, CAST(X'4352C84D45' AS TEXT)), (2, 'CAFÉ AU LAIT');");
    EXPECT_EQ(Products().model()->index(0, 0).data().toString(), QString::fromUtf8("CAFÉ AU LAIT"));
    EXPECT_EQ(Products().model()->index(1, 0).data().toString(), QString::fromUtf8("CRÈME"));
    ClickRow(Products(), 2);
    for (const char* bytes : {"CAF\xC9", "CAF\xC8"}) {
        dialogs.Scripts["Rec"] = [bytes](QDialog&) {
            const auto& items = Rec->ComboBox1->Items();
            const int index = static_cast<int>(std::find(items.begin(), items.end(), bytes) - items.begin());
            EXPECT_EQ(Rec->ComboBox1->itemText(index), ToQt(std::string(bytes)));
            Rec->ComboBox1->setCurrentIndex(index);
            Rec->MassEdit->SetAsFloat(1);
            Click(Rec->PostBtn);
        };
        Trigger(Form1->AddComponent1);
    }
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    EXPECT_EQ(QueryRows("select hex(P.Product), R.Comp_ID from Recipes R, Products P where P.Prod_ID = R.Prod_ID;"),
              (std::vector<std::string>{"4352C84D45|1", "4352C84D45|2"}));
    EXPECT_EQ(Column(Recipe(), 0), (std::vector<std::string>{"CAF\xC9", "CAF\xC8"}));
    EXPECT_NE(ToQt(std::string("CAF\xC9")), ToQt(std::string("CAF\xC8")));
}

TEST_F(ValuesKept, KeysThatAreTextCannotAddAStatement) {
    SKIP_ON_SERVER(); // a file of another schema; the server's keys are numbers
    // A file from elsewhere whose key columns hold text.
    RunSql("CREATE TABLE Materials (Comp_ID TEXT PRIMARY KEY, Component TEXT, Price REAL, Date DATE);"
           "CREATE TABLE Products (Prod_ID TEXT PRIMARY KEY, Product TEXT, Mass REAL, Price REAL, Solids TEXT);"
           "CREATE TABLE Recipes (ID TEXT PRIMARY KEY, Prod_ID TEXT, Comp_ID TEXT, Quantity REAL, Datum DATE);"
           "INSERT INTO Materials VALUES ('m''); DELETE FROM Materials; --', 'ETHANOL', 2, NULL);"
           "INSERT INTO Products VALUES ('p''); DELETE FROM Products; --', 'CORDIAL', NULL, NULL, NULL);"
           "INSERT INTO Recipes VALUES ('r''; DELETE FROM Recipes; --', 'p''); DELETE FROM Products; --',"
           " 'm''); DELETE FROM Materials; --', 1, NULL);");
    StartProgram();
    dialogs.Scripts["Rec"] = [](QDialog&) {
        Rec->ComboBox1->setCurrentIndex(0);
        Rec->MassEdit->SetAsFloat(2);
        Click(Rec->PostBtn);
    };
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(QueryValue("select count(*) from Recipes where Prod_ID = 'p''); DELETE FROM Products; --';"), "2");
    EXPECT_EQ(QueryValue("select count(*) from Materials;"), "1");
    EXPECT_EQ(QueryValue("select count(*) from Products;"), "1");

    Recipe().SetRow(1);
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteComponent1);
    EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "1") << "only the chosen line goes";
}

} // namespace

namespace {

TEST_F(ValuesKept, NumbersLineUpAndEveryControlCanBeAnnounced) {
    Start();
    for (TStringGrid* grid : {Form1->StringGrid1, Form1->StringGrid2, Form1->StringGrid3})
        EXPECT_EQ(grid->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
                  Qt::AlignRight)
            << grid->objectName().toStdString();

    // Controls without a caption of their own carry a name a screen reader can say, in every window.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const auto controls = window->findChildren<QWidget*>();
        for (QWidget* control : controls) {
            const bool captionless = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
                                     qobject_cast<QAbstractItemView*>(control) ||
                                     qobject_cast<QAbstractScrollArea*>(control);
            if (!captionless || control->objectName().isEmpty() || control->objectName().startsWith("qt_"))
                continue;
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << window->objectName().toStdString() << "." << control->objectName().toStdString();
        }
    }

    // The placeholder of a new line shows from its first character.
    dialogs.Scripts["Rec"] = [](QDialog&) { EXPECT_EQ(Rec->ComboBox1->lineEdit()->cursorPosition(), 0); };
    Trigger(Form1->AddComponent1);
}

} // namespace
