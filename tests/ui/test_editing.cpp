// Editing through the two dialogs: recipe lines and components, on a real database, with the dialogs'
// showing answered by scripts that type and click as a user would.
#include "controls/Finder.h"
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/RecUnit.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace {

// A price the cell shows empty: a text in the file, NULL on a server, which holds no text there.
const std::string Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.5, '2025-01-02'),"
    " (2, 'ANETHOLE', 40.0, '2025-01-03'), (3, 'WATER', 0.0, '2025-01-05'), (4, 'MOTHER''S SALT', 1.2, '2025-01-06'),"
    " (5, 'NOPRICE', " +
    ByEngine("''", "NULL") +
    ", '2025-01-07');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'ANISETTE'), (2, 'O''NEILL BLEND');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 1.25), (2, 1, 2, 2.5), (3, 1, 3, 0.05);";

// The refusal of a recipe line whose component is not in the list.
const char* const NotInList =
    "Component is not present in the database.\r\nUse the tab COMPONENTS to enter new starting materials";

// The database's refusal of a second component of that name.
std::string Duplicate(const std::string& name) {
    return ByEngine(
        "SQLite Error 19 - UNIQUE constraint failed: Materials.Component",
        "PostgreSQL Error 23505 - duplicate key value violates unique constraint \"materials_component_key\": "
        "Key (component)=(" +
            name + ") already exists");
}

void Type(QWidget* field, const QString& text) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    QTest::keyClicks(field, text);
}

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

class EditingTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
        ASSERT_TRUE(dialogs.Messages.empty());
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        ProgramFixture::TearDown();
    }
    TStringGrid& Recipe() { return *Form1->StringGrid3; }
    TStringGrid& Components() { return *Form1->StringGrid2; }
    void ShowComponents() {
        Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
        Settle();
    }
    int ComponentRow(const std::string& name) {
        for (int r = 1; r <= Components().RowCount() - 2; ++r)
            if (Components().Cells(0, r) == name)
                return r;
        return -1;
    }
    // The recipe dialog posts entry and mass, typed in.
    void PostLine(const QString& entry, const QString& mass) {
        dialogs.Scripts["Rec"] = [entry, mass](QDialog&) {
            if (!entry.isNull()) {
                Rec->ComboBox1->lineEdit()->selectAll();
                Type(Rec->ComboBox1->lineEdit(), entry);
            }
            if (!mass.isNull())
                Type(Rec->MassEdit, mass);
            Click(Rec->PostBtn);
        };
    }
};

TEST_F(EditingTest, AddEditAndDeleteRecipeLines) {
    const Today today;
    // Add: a lower-case entry finds the stored name; the mass is written with a point.
    dialogs.Scripts["Rec"] = [](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Edit Recipe");
        EXPECT_EQ(Rec->Label1->text(), "ANISETTE");
        EXPECT_EQ(Rec->ComboBox1->Text(), "[Select from components list below --->]");
        EXPECT_EQ(Rec->MassEdit->Text(), "0.000");
        EXPECT_EQ(Rec->StatusBar1->currentMessage(), "Mode: Add new component.");
        Rec->ComboBox1->lineEdit()->selectAll();
        Type(Rec->ComboBox1->lineEdit(), "mother's salt");
        Type(Rec->MassEdit, "12.5");
        Click(Rec->PostBtn);
    };
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{"Rec"});
    EXPECT_FALSE(Rec->isVisible());
    EXPECT_EQ(today.Mark(QueryRows("select Prod_ID, Comp_ID, Quantity, Datum from Recipes where ID = 4;")),
              std::vector<std::string>{"1|4|12.5|TODAY"});
    EXPECT_EQ(Column(Recipe(), 0).back(), "MOTHER'S SALT");
    EXPECT_EQ(Form1->TotalEdit->Text(), "16.300");
    EXPECT_EQ(Form1->HelpContext, 7);

    // Edit by double click: another component keeps the line's ID.
    ClickRow(Recipe(), 2);
    dialogs.Scripts["Rec"] = [](QDialog&) {
        EXPECT_EQ(Rec->ComboBox1->Text(), "ANETHOLE");
        EXPECT_EQ(Rec->MassEdit->Text(), "2.500");
        EXPECT_EQ(Rec->StatusBar1->currentMessage(), "Mode: Edit new component and/or mass.");
        Rec->ComboBox1->setCurrentIndex(Rec->ComboBox1->findText("WATER"));
        Type(Rec->MassEdit, "4");
        Click(Rec->PostBtn);
    };
    // Water is in the recipe already: the user is asked, and Yes writes the second line of it.
    dialogs.YesNoAnswers = {true};
    Recipe().OnDblClick();
    EXPECT_EQ(dialogs.Questions.back(), "WATER is already in this recipe (0.050 kg). Add another line?");
    EXPECT_EQ(QueryRows("select Prod_ID, Comp_ID, Quantity from Recipes where ID = 2;"),
              std::vector<std::string>{"1|3|4.0"});
    EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "4");

    // Delete asks first; No keeps the line.
    ClickRow(Recipe(), 1);
    dialogs.YesNoAnswers = {false, true};
    Trigger(Form1->DeleteComponent1);
    EXPECT_EQ(dialogs.Questions.back(), "Delete ETHANOL ??");
    EXPECT_EQ(QueryValue("select count(*) from Recipes where ID = 1;"), "1");
    Trigger(Form1->DeleteComponent1);
    EXPECT_EQ(QueryValue("select count(*) from Recipes where ID = 1;"), "0");
    EXPECT_EQ(Column(Recipe(), 0), (std::vector<std::string>{"WATER", "WATER", "MOTHER'S SALT"}));

    // The empty last row holds no line: delete there asks nothing and removes nothing.
    ClickRow(Recipe(), Recipe().RowCount() - 1);
    const auto asked = dialogs.Questions.size();
    Trigger(Form1->DeleteComponent1);
    EXPECT_EQ(dialogs.Questions.size(), asked);
    EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "3");

    // A double click there opens the add mode.
    dialogs.Scripts["Rec"] = [](QDialog&) {
        EXPECT_EQ(Rec->ComboBox1->Text(), "[Select from components list below --->]");
        EXPECT_EQ(Rec->StatusBar1->currentMessage(), "Mode: Add new component.");
        EXPECT_TRUE(Rec->Request().NewRecipeLine);
        Click(Rec->CancelBtn);
    };
    Recipe().OnDblClick();
    EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "3");
}

TEST_F(EditingTest, RefusedEntriesWriteNothingAndTheRecipeIsShownAgain) {
    const auto before = QueryRows("select * from Recipes;");
    PostLine(QString(), "3"); // the placeholder left as it is
    Trigger(Form1->AddComponent1);
    PostLine("SAFFRON", "3");
    Trigger(Form1->AddComponent1);
    PostLine("", "3");
    Trigger(Form1->AddComponent1);
    const std::string notPresent =
        "Component is not present in the database.\r\nUse the tab COMPONENTS to enter new starting materials";
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{notPresent, notPresent, notPresent}));
    EXPECT_EQ(QueryRows("select * from Recipes;"), before);
    EXPECT_EQ(Column(Recipe(), 0).size(), 3u);

    // A component deleted by another program after the list was loaded is not found either.
    dialogs.Clear();
    RunSql("DELETE FROM Materials WHERE Component = 'WATER';");
    PostLine("WATER", "1");
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{notPresent});

    // Nor is a product deleted meanwhile: no line is written with a key of an earlier lookup.
    dialogs.Clear();
    RunSql("DELETE FROM Products WHERE Product = 'ANISETTE';");
    PostLine("ETHANOL", "1");
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Please, select or create a product first (Left Grid)"});
    EXPECT_EQ(QueryRows("select * from Recipes;"), before);

    // Cancel and the close box change nothing.
    dialogs.Scripts["Rec"] = [](QDialog&) { Click(Rec->CancelBtn); };
    Trigger(Form1->AddComponent1);
    dialogs.Scripts["Rec"] = [](QDialog& window) { window.close(); };
    Trigger(Form1->EditComponentMass1);
    EXPECT_EQ(QueryRows("select * from Recipes;"), before);
}

TEST_F(EditingTest, ARefusedPostKeepsTheDialogOpenWithWhatWasTyped) {
    // Recipe line: an unknown component, then a known one.
    dialogs.Scripts["Rec"] = [](QDialog& window) {
        Type(Rec->ComboBox1->lineEdit(), "SAFFRON");
        Type(Rec->MassEdit, "1.5");
        Click(Rec->PostBtn);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(Rec->ComboBox1->Text(), "SAFFRON");
        EXPECT_EQ(Rec->MassEdit->Text(), "1.500");
        Type(Rec->ComboBox1->lineEdit(), "water");
        Click(Rec->PostBtn);
        EXPECT_FALSE(window.isVisible());
    };
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{NotInList});
    EXPECT_EQ(QueryValue("select Quantity from Recipes where ID = 4;"), "1.5");

    // Component: a name that exists, in the new mode and (refused by the database) in the edit mode.
    ShowComponents();
    dialogs.Scripts["Mat"] = [](QDialog& window) {
        Type(Mat->Edit1, "anethole");
        Type(Mat->PriceEdit, "3.25");
        Click(Mat->PostBtn);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(Mat->Edit1->Text(), "anethole");
        EXPECT_EQ(Mat->PriceEdit->Text(), "3.25");
    };
    Trigger(Form1->NewComponent);
    Components().SetRow(ComponentRow("WATER"));
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{NotInList, "Component is already present in the Components table.",
                                        Duplicate("ANETHOLE")}));
    EXPECT_EQ(QueryValue("select count(*) from Materials;"), "5");
}

// Keys as the user presses them: to the finder's list while it shows, else to the field that has the focus.
void Press(Qt::Key key) {
    QWidget* list = Rec->Finder->List();
    QTest::keyClick(list->isVisible() ? list : Rec->focusWidget(), key);
}
void TypeKeys(const QString& text) {
    for (const QChar c : text) {
        QWidget* list = Rec->Finder->List();
        QTest::keyClicks(list->isVisible() ? list : Rec->focusWidget(), QString(c));
    }
}
std::vector<std::string> FoundNames() {
    std::vector<std::string> names;
    for (std::size_t i : Rec->Finder->Found())
        names.push_back(Rec->ComboBox1->Items()[i]);
    return names;
}

TEST_F(EditingTest, ThreeLinesTypedWithEnterAndPostAndNext) {
    dialogs.YesNoAnswers = {false, true};
    dialogs.Scripts["Rec"] = [this](QDialog& window) {
        EXPECT_EQ(Rec->focusWidget(), Rec->ComboBox1);
        // A name found by a few letters; Enter takes the first name listed and moves to the mass.
        TypeKeys("moth");
        EXPECT_EQ(FoundNames(), std::vector<std::string>{"MOTHER'S SALT"});
        Press(Qt::Key_Return);
        EXPECT_EQ(Rec->ComboBox1->Text(), "MOTHER'S SALT");
        EXPECT_EQ(Rec->focusWidget(), Rec->MassEdit);
        TypeKeys("1.5");
        // Esc in the mass field takes back the typing and closes nothing.
        Press(Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible());
        TypeKeys("1.5");
        Press(Qt::Key_Return);
        EXPECT_EQ(Rec->focusWidget(), Rec->PostBtn);
        Press(Qt::Key_Tab);
        EXPECT_EQ(Rec->focusWidget(), Rec->NextBtn);
        Press(Qt::Key_Return);
        // Posted; the dialog waits for the next line as a fresh Add Component, the recipe behind it shown again.
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(Column(Recipe(), 0).back(), "MOTHER'S SALT");
        EXPECT_EQ(Rec->ComboBox1->Text(), "[Select from components list below --->]");
        EXPECT_EQ(Rec->MassEdit->Text(), "0.000");
        EXPECT_EQ(Rec->StatusBar1->currentMessage(), "Mode: Add new component.");
        EXPECT_EQ(Rec->focusWidget(), Rec->ComboBox1);

        // The second name is the second one listed; it is in the recipe already, and No goes back to the dialog.
        TypeKeys("eth");
        EXPECT_EQ(FoundNames(), (std::vector<std::string>{"ETHANOL", "ANETHOLE"}));
        Press(Qt::Key_Down);
        Press(Qt::Key_Return);
        TypeKeys(".25");
        Press(Qt::Key_Return);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Return);
        EXPECT_EQ(dialogs.Questions,
                  std::vector<std::string>{"ANETHOLE is already in this recipe (2.500 kg). Add another line?"});
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(Rec->MassEdit->Text(), "0.250");
        EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "4");
        Rec->NextBtn->setFocus();
        Press(Qt::Key_Return);
        EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "5");

        // A name typed whole, Enter, a mass, Enter, Enter posts and closes.
        TypeKeys("noprice");
        Press(Qt::Key_Return);
        TypeKeys("2");
        Press(Qt::Key_Return);
        Press(Qt::Key_Return);
        EXPECT_FALSE(window.isVisible());
    };
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(QueryRows("select Prod_ID, Comp_ID, Quantity from Recipes where ID > 3 order by ID;"),
              (std::vector<std::string>{"1|4|1.5", "1|2|0.25", "1|5|2.0"}));
    EXPECT_EQ(Column(Recipe(), 0).back(), "NOPRICE");
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();

    // Esc outside the mass field cancels; the list shows each name with its price beside it, under the locale.
    DecimalSeparator = ',';
    Rec->FormCreate();
    dialogs.Scripts["Rec"] = [](QDialog& window) {
        const TItemsModel& items = Rec->ComboBox1->ItemsModel();
        EXPECT_EQ(items.data(items.index(1), ItemNoteRole).toString(), "2,50/kg");
        EXPECT_EQ(items.data(items.index(1), Qt::DisplayRole).toString(), "ETHANOL");
        TypeKeys("wat");
        Press(Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible()) << "Esc first closes the list of names found";
        Press(Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
    };
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(QueryValue("select count(*) from Recipes;"), "6");
}

TEST_F(EditingTest, NoProductSelectedOpensNoDialog) {
    ClickRow(*Form1->StringGrid1, Form1->StringGrid1->RowCount() - 1);
    Trigger(Form1->AddComponent1);
    Trigger(Form1->EditComponentMass1);
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Please, select or create a product first (Left Grid)",
                                                          "Please, select or create a product first (Left Grid)"}));
    EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(EditingTest, NamesWithApostrophesAndLongRecipes) {
    ClickRow(*Form1->StringGrid1, 2);
    ASSERT_EQ(Form1->Edit1->Text(), "O'NEILL BLEND");
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    PostLine("MOTHER'S SALT", "0,75");
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(QueryRows("select Comp_ID, Quantity from Recipes where Prod_ID = 2;"),
              std::vector<std::string>{"4|0.75"});

    // Every line of a recipe of 25 lines can be edited and deleted.
    std::string lines;
    for (int i = 0; i < 25; ++i)
        lines += "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (" + std::to_string(100 + i) +
                 ", 2, 1, " + std::to_string(i + 1) + ");";
    RunSql(lines);
    Form1->StringGrid1DblClick();
    ASSERT_EQ(Recipe().RowCount(), 28);
    const int last = 26;
    const std::string lastId = QueryValue("select max(ID) from Recipes where Prod_ID = 2;");
    Recipe().SetRow(last);
    dialogs.Scripts["Rec"] = [](QDialog&) {
        Type(Rec->MassEdit, "99");
        Click(Rec->PostBtn);
    };
    Trigger(Form1->EditComponentMass1);
    EXPECT_EQ(QueryValue("select Quantity from Recipes where ID = " + lastId + ";"), "99.0");
    Recipe().SetRow(last);
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteComponent1);
    EXPECT_EQ(QueryValue("select count(*) from Recipes where ID = " + lastId + ";"), "0");
    EXPECT_EQ(QueryValue("select count(*) from Recipes where Prod_ID = 2;"), "25");
}

TEST_F(EditingTest, NewComponentsAreStoredUpperCaseWithAPointAndToday) {
    const Today today;
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    ShowComponents();
    dialogs.Scripts["Mat"] = [](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Edit Materials");
        EXPECT_EQ(Mat->StatusBar1->currentMessage(), "Mode: Post new record.");
        EXPECT_EQ(Mat->Edit1->Text(), "");
        Type(Mat->Edit1, "saffron");
        Type(Mat->PriceEdit, "612,5");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(today.Mark(QueryRows("select Component, " + TypeOf("Price") +
                                   ", Price, Date from Materials where Comp_ID = 6;")),
              std::vector<std::string>{"SAFFRON|real|612.5|TODAY"});
    EXPECT_EQ(Components().Cells(1, ComponentRow("SAFFRON")), "  612,50");
    const auto& choices = Rec->ComboBox1->Items();
    EXPECT_NE(std::find(choices.begin(), choices.end(), "SAFFRON"), choices.end())
        << "the recipe dialog's list follows";
    EXPECT_EQ(Rec->ComboBox1->Text(), "");

    // No price (Ctrl+N empties the field) is stored as 0.0.
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->Edit1, "vanilla");
        Mat->PriceEdit->setFocus();
        QTest::keyClick(Mat->PriceEdit, Qt::Key_N, Qt::ControlModifier);
        Click(Mat->PostBtn);
    };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(QueryValue("select Price from Materials where Component = 'VANILLA';"), "0.0");

    // A name on the list, after upper-casing, is refused.
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->Edit1, "Water");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Component is already present in the Components table."});
    EXPECT_EQ(QueryValue("select count(*) from Materials;"), "7");
}

TEST_F(EditingTest, EditingAComponentRenamesItAndKeepsItsRecipeLines) {
    const Today today;
    ShowComponents();
    Components().SetRow(ComponentRow("ETHANOL"));
    dialogs.Scripts["Mat"] = [](QDialog&) {
        EXPECT_EQ(Mat->Edit1->Text(), "ETHANOL");
        EXPECT_EQ(Mat->PriceEdit->Text(), "2.50");
        EXPECT_EQ(Mat->StatusBar1->currentMessage(), "Mode: Post edited record.");
        Type(Mat->Edit1, "ETHANOL 96%");
        Type(Mat->PriceEdit, "2.65");
        Click(Mat->PostBtn);
    };
    Components().OnDblClick();
    EXPECT_EQ(Form1->HelpContext, 4);
    EXPECT_EQ(today.Mark(QueryRows("select Comp_ID, Component, Price, Date from Materials where Comp_ID = 1;")),
              std::vector<std::string>{"1|ETHANOL 96%|2.65|TODAY"});
    EXPECT_EQ(Components().Cells(0, Components().Row()), "ETHANOL 96%") << "the edited component is selected again";

    // Renaming onto another component's name is refused by the database; nothing is written.
    Components().SetRow(ComponentRow("WATER"));
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->Edit1, "ANETHOLE");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{Duplicate("ANETHOLE")});
    EXPECT_EQ(QueryValue("select count(*) from Materials where Component = 'WATER';"), "1");

    // An emptied price is stored as 0.0, not as an empty text.
    Components().SetRow(ComponentRow("ANETHOLE"));
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Mat->PriceEdit->setFocus();
        QTest::keyClick(Mat->PriceEdit, Qt::Key_N, Qt::ControlModifier);
        Click(Mat->PostBtn);
    };
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(QueryRows("select " + TypeOf("Price") + ", Price from Materials where Component = 'ANETHOLE';"),
              std::vector<std::string>{"real|0.0"});

    // A component whose price cell is empty opens as new: posting it unchanged reports it is present.
    dialogs.Clear();
    Components().SetRow(ComponentRow("NOPRICE"));
    dialogs.Scripts["Mat"] = [](QDialog&) {
        EXPECT_EQ(Mat->StatusBar1->currentMessage(), "Mode: Post new record.");
        EXPECT_EQ(Mat->PriceEdit->Text(), "0.00");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Component is already present in the Components table."});

    // The empty last row opens the new mode with empty fields.
    Components().SetRow(Components().RowCount() - 1);
    dialogs.Scripts["Mat"] = [](QDialog&) {
        EXPECT_EQ(Mat->Edit1->Text(), "");
        EXPECT_TRUE(Mat->Request().NewMaterial);
        Type(Mat->Edit1, "CLOVE");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->RenameComponent);
    EXPECT_NE(ComponentRow("CLOVE"), -1);
}

TEST_F(EditingTest, ApostrophesAndDeletesOfComponents) {
    ShowComponents();
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->Edit1, "o'neil's oil");
        Type(Mat->PriceEdit, "3");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->NewComponent);
    ASSERT_NE(ComponentRow("O'NEIL'S OIL"), -1);
    Components().SetRow(ComponentRow("O'NEIL'S OIL"));
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->PriceEdit, "4");
        Click(Mat->PostBtn);
    };
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(QueryValue("select Price from Materials where Component = 'O''NEIL''S OIL';"), "4.0");

    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    PostLine("o'neil's oil", "2");
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(Column(Recipe(), 0).back(), "O'NEIL'S OIL");

    // Deleting a component used in recipes: its lines leave the display but stay in the table.
    ShowComponents();
    Components().SetRow(ComponentRow("ETHANOL"));
    dialogs.YesNoAnswers = {false};
    Trigger(Form1->DeleteComponent);
    EXPECT_EQ(dialogs.Questions.back(), "Delete ETHANOL ??");
    EXPECT_NE(ComponentRow("ETHANOL"), -1);
    dialogs.YesNoAnswers = {true, true};
    Trigger(Form1->DeleteComponent);
    EXPECT_EQ(ComponentRow("ETHANOL"), -1);
    Components().SetRow(ComponentRow("O'NEIL'S OIL"));
    Trigger(Form1->DeleteComponent);
    EXPECT_EQ(ComponentRow("O'NEIL'S OIL"), -1);
    EXPECT_EQ(QueryValue("select count(*) from Recipes where Comp_ID = 1;"), "1");
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    EXPECT_EQ(Column(Recipe(), 0), (std::vector<std::string>{"ANETHOLE", "WATER"}));
    const auto& choices = Rec->ComboBox1->Items();
    EXPECT_EQ(std::find(choices.begin(), choices.end(), "ETHANOL"), choices.end());
}

TEST_F(EditingTest, CancelAndTheCloseBoxStillReload) {
    ShowComponents();
    RunSql("INSERT INTO Materials (Component, Price) VALUES ('AMBER', 7);");
    dialogs.Scripts["Mat"] = [](QDialog&) { Click(Mat->CancelBtn); };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(Components().Cells(0, 1), "AMBER");
    RunSql("INSERT INTO Materials (Component, Price) VALUES ('AAA', 7);");
    dialogs.Scripts["Mat"] = [](QDialog& window) { window.close(); };
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(Components().Cells(0, 1), "AAA");
    EXPECT_EQ(Rec->ComboBox1->Items().front(), "AAA");
    EXPECT_EQ(QueryValue("select count(*) from Materials;"), "7");
}

TEST_F(EditingTest, APastedTextThatIsNoNumberIsRefusedAtPost) {
    ShowComponents();
    const std::vector<std::string> before = DumpDatabase();
    dialogs.Scripts["Mat"] = [](QDialog& window) {
        Type(Mat->Edit1, "TRAP");
        // Pasted text is not filtered by the field; it must not reach the database, as a statement or a price.
        Mat->PriceEdit->selectAll();
        Mat->PriceEdit->insert("1'); DROP TABLE Recipes; --");
        Mat->PostBtn->click();
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(Mat->PriceEdit->hasFocus()) << "back in the field, to be corrected";
        EXPECT_EQ(Mat->PriceEdit->Text(), "1'); DROP TABLE Recipes; --");
    };
    Trigger(Form1->NewComponent);
    // The field's own message, of the text as it reads it: what typing leaves unfinished at the end is left out.
    EXPECT_EQ(dialogs.Errors,
              std::vector<std::string>{"'1'); DROP TABLE Recipes;' is not a valid floating point value."});

    // The mass: leaving the field for the Post button reports the text once, and the Post writes nothing.
    dialogs.Clear();
    Recipe().SetRow(RowOf(Recipe(), "ETHANOL"));
    dialogs.Scripts["Rec"] = [](QDialog& window) {
        Rec->MassEdit->setFocus();
        Rec->MassEdit->selectAll();
        Rec->MassEdit->insert("12abc");
        Click(Rec->PostBtn);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(Rec->MassEdit->Text(), "12abc");
    };
    Recipe().OnDblClick();
    EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"'12abc' is not a valid floating point value."});
    EXPECT_EQ(DumpDatabase(), before);

    // An emptied mass is stored as 0, as an emptied price is.
    Recipe().SetRow(RowOf(Recipe(), "ETHANOL"));
    dialogs.Scripts["Rec"] = [](QDialog&) {
        Rec->MassEdit->setFocus();
        QTest::keyClick(Rec->MassEdit, Qt::Key_N, Qt::ControlModifier);
        Rec->PostBtn->click();
    };
    Recipe().OnDblClick();
    EXPECT_EQ(QueryRows("select " + TypeOf("Quantity") + ", Quantity from Recipes where ID = 1;"),
              std::vector<std::string>{"real|0.0"});
}

TEST_F(EditingTest, AColleaguesChangeIsWrittenOverOnlyWhenTheUserSaysSo) {
    ShowComponents();
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    Components().SetRow(ComponentRow("ETHANOL"));
    dialogs.Scripts["Mat"] = [](QDialog& window) {
        Type(Mat->PriceEdit, "3");
        RunSql("UPDATE Materials SET Price = 12.5 WHERE Comp_ID = 1;");
        Click(Mat->PostBtn);
        EXPECT_TRUE(window.isVisible()) << "No keeps what was typed";
        EXPECT_EQ(Mat->PriceEdit->Text(), "3,00");
        EXPECT_EQ(QueryValue("select Price from Materials where Comp_ID = 1;"), "12.5");
        Click(Mat->PostBtn);
        EXPECT_FALSE(window.isVisible());
    };
    dialogs.YesNoAnswers = {false, true};
    Trigger(Form1->RenameComponent);
    EXPECT_EQ(dialogs.Questions,
              std::vector<std::string>(2, "ETHANOL was changed by someone else since you opened it (now: 12,50). "
                                          "Replace it with yours?"));
    EXPECT_EQ(QueryRows("select Price from Materials where Comp_ID = 1;"), std::vector<std::string>{"3.0"});

    // A line: the question names the component and mass it holds now; deleted meanwhile, nothing is written.
    dialogs.Clear();
    Recipe().SetRow(RowOf(Recipe(), "ANETHOLE"));
    dialogs.Scripts["Rec"] = [](QDialog& window) {
        Type(Rec->MassEdit, "2");
        RunSql("UPDATE Recipes SET Comp_ID = 3, Quantity = 12 WHERE ID = 2;");
        Click(Rec->PostBtn);
        EXPECT_TRUE(window.isVisible());
        RunSql("DELETE FROM Recipes WHERE ID = 2;");
        Click(Rec->PostBtn);
        EXPECT_TRUE(window.isVisible()) << "what was typed stays, to be cancelled or noted";
        EXPECT_EQ(Rec->MassEdit->Text(), "2,000");
    };
    Recipe().OnDblClick();
    EXPECT_EQ(dialogs.Questions, std::vector<std::string>{"ANETHOLE was changed by someone else since you opened it "
                                                          "(now: WATER, 12,000 kg). Replace it with yours?"});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"ANETHOLE was deleted by someone else since you opened it."});
    EXPECT_EQ(QueryRows("select ID from Recipes order by ID;"), (std::vector<std::string>{"1", "3"}));
}

} // namespace
