#include "RecUnit.h"

#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Components.h"
#include "database/Database.h"
#include "database/Recipes.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Fold.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <string>
#include <vector>

TRec* Rec = nullptr;

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
    // The choice follows the data put back.
    OnDataReplaced(*this, [this] { FormCreate(); });
}

namespace {
// The names the choice statement delivers, in its byte order.
std::vector<std::string> LoadedNames;
} // namespace

int ComponentChoiceLoader(void*, int columns, char** values, char**) {
    for (int c = 0; c < columns; ++c)
        LoadedNames.emplace_back(ColumnView(values, c));
    return 0;
}

void TRec::FormCreate() {
    ComboBox1->Clear();
    LoadedNames.clear();
    WithDatabase([] { LoadComponentNames(Database, ComponentChoiceLoader); });
    SortForReading(LoadedNames);
    for (const std::string& name : LoadedNames)
        ComboBox1->AddItem(name);
    LoadedNames.clear();
    ComboBox1->Sync();
}

void TRec::Execute(TRecRequest request) {
    FRequest = std::move(request);
    Label1->setText(ToQt(FRequest.Product));
    ComboBox1->SetText(FRequest.NewRecipeLine ? ComponentPlaceholder : FRequest.Component);
    if (FRequest.Mass)
        MassEdit->SetAsFloat(*FRequest.Mass);
    else
        MassEdit->SetText({});
    FMass = {};
    if (!FRequest.NewRecipeLine)
        FMass.Stored = FRequest.StoredQuantity;
    FMass.Opened = MassEdit->Text();
    StatusBar1->showMessage(FRequest.NewRecipeLine ? "Mode: Add new component."
                                                   : "Mode: Edit new component and/or mass.");
    ShowModal(*this);
}

void TRec::PostBtnClick() {
    const auto& items = ComboBox1->Items();
    const std::string entry = TypedName(ComboBox1->Text(), [&items](const std::string& name) {
        return std::find(items.begin(), items.end(), name) != items.end();
    });
    const std::string mass = ValueToPost(FMass, MassEdit->Text());
    // A refused or failed Post keeps the dialog open with everything typed, to be corrected or cancelled.
    if (std::find(items.begin(), items.end(), entry) == items.end()) {
        ShowMessage(ComponentNotPresent);
        ComboBox1->setFocus();
        return;
    }
    // The lookups search the stored name that passed the test above, not the text as typed.
    const TRecipeLinePost line{FRequest.NewRecipeLine, FRequest.EditedLineId, FRequest.Product, entry, mass};
    TLinePosted posted = TLinePosted::Written;
    TWriteBackup backup = BeforeUserWrite();
    const bool written = WithDatabase([&] { posted = PostRecipeLine(Database, line); });
    // Nothing was written when a key was missing: that backup is not needed either.
    if (!written || posted != TLinePosted::Written)
        backup.Discard();
    if (posted == TLinePosted::NoProduct)
        ShowMessage("Please, select or create a product first (Left Grid)");
    else if (posted == TLinePosted::NoComponent)
        ShowMessage(ComponentNotPresent);
    if (written && posted == TLinePosted::Written)
        close();
}

void TRec::CancelBtnClick() {
    close();
}

void TRec::HelpBtnClick() {
    Application.HelpFile = HelpFileName;
    Application.HelpContext(HelpRecipe);
}
