#include "RecUnit.h"

#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "forms/MAIN.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "text/StrMan.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

TRec* Rec = nullptr;
bool NewRecipeLine = true;
std::string EditedLineId;
std::string EditedQuantity;
std::string OpenedMassText;
std::string LookupValue;

const char* const ComponentPlaceholder = "[Select from components list below --->]";
const char* const ComponentNotPresent =
    "Component is not present in the database.\r\nUse the tab COMPONENTS to enter new starting materials";

TRec::TRec() {
    SetupDialog(*this, "Rec", "Edit Recipe", {484, 406, 340, 148});
    Label1 = MakeDialogLabel(this, "Label1", "", {8, 8});
    QFont big = Label1->font();
    big.setPixelSize(13);
    Label1->setFont(big);
    Label1->setFixedWidth(320);
    QPalette blue = Label1->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label1->setPalette(blue);
    Label3 = MakeDialogLabel(this, "Label3", "Component", {8, 32});
    Label2 = MakeDialogLabel(this, "Label2", "Quantity (kg)", {256, 32});
    ComboBox1 = new TComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(8, 48, 241, 21);
    SetHint(*ComboBox1, "Select from components list.\r\nDo not enter new components here.");
    ComboBox1->setAccessibleName("Component");
    MassEdit = new TPosFloatEdit(this);
    MassEdit->setObjectName("MassEdit");
    MassEdit->setGeometry(256, 48, 65, 21);
    MassEdit->setAlignment(Qt::AlignCenter);
    // The gram: a flavour line of 5 g must show and survive an edit.
    MassEdit->SetDecimalPlaces(3);
    MassEdit->SetScale(1);
    SetHint(*MassEdit, "Mass in mixture");
    MassEdit->setAccessibleName("Mass (kg)");
    PostBtn = MakeDialogButton(this, "PostBtn", "Post | Save", {8, 72, 97, 25});
    SetHint(*PostBtn, "Write data to the database.");
    CancelBtn = MakeDialogButton(this, "CancelBtn", "&Cancel", {112, 72, 67, 25});
    HelpBtn = MakeDialogButton(this, "HelpBtn", "&Help", {256, 72, 65, 25});
    StatusBar1 = MakeDialogStatusBar(this);
    setTabOrder(ComboBox1, MassEdit);
    setTabOrder(MassEdit, PostBtn);
    ConnectButton(PostBtn, [this] { PostBtnClick(); });
    ConnectButton(CancelBtn, [this] { CancelBtnClick(); });
    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    SetHelpKey(*this, HelpRecipe);
}

int ComponentChoiceLoader(void*, int columns, char** values, char**) {
    for (int c = 0; c < columns; ++c)
        Rec->ComboBox1->AddItem(ColumnView(values, c));
    return 0;
}

int LookupLoader(void*, int columns, char** values, char**) {
    if (columns > 0)
        LookupValue = ColumnText(values, 0);
    return 0;
}

void TRec::FormCreate() {
    ComboBox1->Clear();
    WithDatabase([] {
        QueryText = "SELECT Component from Materials order by Component;";
        RunQuery(ComponentChoiceLoader);
    });
    ComboBox1->Sync();
}

void TRec::PostBtnClick() {
    const std::string entry = UpperCase(ComboBox1->Text());
    const bool massAsOpened = !NewRecipeLine && MassEdit->Text() == OpenedMassText;
    const std::string mass = massAsOpened ? EditedQuantity : StringManager.CommaToPoint(MassEdit->Text());
    const auto& items = ComboBox1->Items();
    // A refused or failed Post keeps the dialog open with everything typed, to be corrected or cancelled.
    if (std::find(items.begin(), items.end(), entry) == items.end()) {
        ShowMessage(ComponentNotPresent);
        ComboBox1->setFocus();
        return;
    }
    // The lookups search the stored name that passed the test above, not the text as typed.
    const std::string product = StringManager.QuoteSql(Form1->Edit1->Text());
    const std::string component = StringManager.QuoteSql(entry);
    const char* missing = nullptr;
    TWriteBackup backup = BeforeUserWrite();
    const bool written = WithDatabase([&] {
        LookupValue.clear();
        QueryText = "SELECT Prod_id FROM Products WHERE Product ='" + product + "';";
        RunQuery(LookupLoader);
        const std::string productId = LookupValue;
        LookupValue.clear();
        QueryText = "SELECT Comp_ID FROM Materials WHERE Component = '" + component + "';";
        RunQuery(LookupLoader);
        const std::string componentId = LookupValue;
        // Without both keys no line is written: never with a key of an earlier lookup.
        if (productId.empty()) {
            missing = "Please, select or create a product first (Left Grid)";
            return;
        }
        if (componentId.empty()) {
            missing = ComponentNotPresent;
            return;
        }
        // Keys come from the file and go between quotes like any other text.
        const std::string quantity = StringManager.QuoteSql(mass);
        const std::string productKey = StringManager.QuoteSql(productId);
        const std::string componentKey = StringManager.QuoteSql(componentId);
        if (NewRecipeLine)
            QueryText = "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity,Datum) Values ('" + productKey + "','" +
                        componentKey + "','" + quantity + "',CURRENT_DATE);";
        else
            QueryText = "Update Recipes Set Prod_ID= '" + productKey + "', Comp_ID = '" + componentKey +
                        "', Quantity = '" + quantity + "', Datum = CURRENT_DATE Where ID='" +
                        StringManager.QuoteSql(EditedLineId) + "';";
        ExecStatements(Database, QueryText);
    });
    // Nothing was written when a key was missing: that backup is not needed either.
    if (!written || missing)
        backup.Discard();
    if (missing)
        ShowMessage(missing);
    if (written && !missing)
        close();
}

void TRec::CancelBtnClick() {
    close();
}

void TRec::HelpBtnClick() {
    Application.HelpFile = HelpFileName;
    Application.HelpContext(HelpRecipe);
}
