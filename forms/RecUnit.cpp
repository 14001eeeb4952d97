#include "RecUnit.h"

#include "controls/Finder.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Components.h"
#include "database/Database.h"
#include "database/Recipes.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "forms/WindowKit.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Fold.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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
    // One row taller than the fields and the three buttons need, for Post && Next.
    SetupDialog(*this, "Rec", "Edit Recipe", {484, 406, 340, 176});
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
    NextBtn = MakeDialogButton(this, "NextBtn", "Post && &Next", {8, 100, 97, 25});
    SetHint(*NextBtn, "Write data to the database and enter the next component.");
    StatusBar1 = MakeDialogStatusBar(this);
    Finder = new TComboFinder(*ComboBox1);
    // A name, Enter, a mass, Enter, Enter posts.
    ComboBox1->OnEnter = [this] {
        Finder->PickCurrent();
        MassEdit->setFocus(Qt::TabFocusReason);
        // The mass typed next replaces the one shown.
        MassEdit->selectAll();
    };
    setTabOrder(ComboBox1, MassEdit);
    setTabOrder(MassEdit, PostBtn);
    setTabOrder(PostBtn, NextBtn);
    setTabOrder(NextBtn, CancelBtn);
    setTabOrder(CancelBtn, HelpBtn);
    ConnectButton(PostBtn, [this] { PostBtnClick(); });
    ConnectButton(NextBtn, [this] { NextBtnClick(); });
    ConnectButton(CancelBtn, [this] { CancelBtnClick(); });
    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    SetHelpKey(*this, HelpRecipe);
    // The choice follows the data put back.
    OnDataReplaced(*this, [this] { FormCreate(); });
}

namespace {
// The names and their price notes as the choice statement delivers them, in its byte order.
std::vector<std::string> LoadedNames;
std::vector<std::string> LoadedNotes;
} // namespace

int ComponentPriceChoiceLoader(void*, int columns, char** values, char**) {
    if (columns < 1)
        return 0;
    const std::string price = columns > 1 ? Trim(PriceCell(ColumnView(values, 1))) : std::string();
    LoadedNames.emplace_back(ColumnView(values, 0));
    LoadedNotes.push_back(price.empty() ? std::string() : price + "/kg");
    return 0;
}

void TRec::FormCreate() {
    ComboBox1->Clear();
    // The same components as the list, in reading order, with the prices the list shows beside them.
    LoadedNames.clear();
    LoadedNotes.clear();
    WithDatabase([] { LoadComponentList(Database, ComponentPriceChoiceLoader); });
    for (const std::size_t i : ReadingOrder(LoadedNames))
        ComboBox1->AddItem(LoadedNames[i], LoadedNotes[i]);
    LoadedNames.clear();
    LoadedNotes.clear();
    ComboBox1->Sync();
    Finder->Load();
}

void TRec::Execute(TRecRequest request) {
    FRequest = std::move(request);
    ShowRequest();
    ShowModal(*this);
}

void TRec::ShowRequest() {
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
    ComboBox1->setFocus(Qt::TabFocusReason);
    // The name typed first replaces the one shown, which shows from its first character.
    const auto length = static_cast<int>(ComboBox1->lineEdit()->text().size());
    ComboBox1->lineEdit()->setSelection(length, -length);
}

void TRec::StartNewLine() {
    FRequest.NewRecipeLine = true;
    FRequest.EditedLineId.clear();
    FRequest.Component.clear();
    FRequest.Mass = 0.0;
    FRequest.StoredQuantity.reset();
    FRequest.Opened.reset();
    ShowRequest();
}

void TRec::PostBtnClick() {
    if (PostLine())
        close();
}

void TRec::NextBtnClick() {
    if (!PostLine())
        return;
    if (FRequest.LinePosted)
        FRequest.LinePosted();
    StartNewLine();
}

void TRec::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        // The mass field keeps Esc as its undo; anywhere else it cancels.
        event->accept();
        Guarded([this] { CancelBtnClick(); });
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Enter presses the button that has the focus; elsewhere it means nothing here.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            event->accept();
            button->click();
            return;
        }
    }
    TDialog::keyPressEvent(event);
}

bool TRec::PostLine() {
    // A text that is no number never reaches the database; one the file held already and left as it opened is
    // written back as it was.
    if (!(FMass.Stored && MassEdit->Text() == FMass.Opened) && !MassEdit->ConvertForPost())
        return false;
    const auto& items = ComboBox1->Items();
    const std::string entry = TypedName(ComboBox1->Text(), [&items](const std::string& name) {
        return std::find(items.begin(), items.end(), name) != items.end();
    });
    const std::string mass = ValueToPost(FMass, MassEdit->Text());
    // A refused or failed Post keeps the dialog open with everything typed, to be corrected or cancelled.
    if (std::find(items.begin(), items.end(), entry) == items.end()) {
        ShowMessage(ComponentNotPresent);
        ComboBox1->setFocus();
        return false;
    }
    // The lookups search the stored name that passed the test above, not the text as typed.
    TRecipeLinePost line{FRequest.NewRecipeLine, FRequest.EditedLineId, FRequest.Product, entry, mass, {}};
    if (!FRequest.NewRecipeLine)
        line.Opened = FRequest.Opened;
    // A second line of one component is mostly a slip: the user is asked first.
    std::vector<TRecipeLine> lines;
    if (!WithDatabase([&] { lines = ReadRecipeLines(Database, FRequest.Product); }))
        return false;
    if (const TRecipeLine* other = DuplicateLine(lines, line, FRequest.Component)) {
        const ParseResult kg = ParseNumber(StringManager.CommaToPoint(other->Quantity));
        const std::string shown = kg.ErrorPos ? other->Quantity : FormatFixed(kg.Value, 3);
        if (!ConfirmYesNo(entry + " is already in this recipe (" + shown + " kg). Add another line?")) {
            ComboBox1->setFocus();
            return false;
        }
    }
    TLinePosted posted = TLinePosted::Written;
    std::string refusal;
    std::optional<TStoredLine> now;
    TWriteBackup backup = BeforeUserWrite();
    bool written = WithDatabase([&] { posted = PostRecipeLine(Database, line, &refusal, &now); });
    // A colleague's change since the dialog opened is written over only when the user says so, and then only
    // the change that was shown.
    while (written && posted == TLinePosted::Changed &&
           ConfirmYesNo(ChangedMeanwhileText(FRequest.Component, LineNowText(*now)))) {
        line.Opened = now;
        written = WithDatabase([&] { posted = PostRecipeLine(Database, line, &refusal, &now); });
    }
    // Nothing was written when a key was missing: that backup is not needed either.
    if (!written || posted != TLinePosted::Written)
        backup.Discard();
    if (posted == TLinePosted::NoProduct)
        ShowMessage("Please, select or create a product first (Left Grid)");
    else if (posted == TLinePosted::NoComponent)
        ShowMessage(ComponentNotPresent);
    else if (posted == TLinePosted::Cycle)
        ShowMessage(refusal);
    else if (posted == TLinePosted::Deleted)
        ShowMessage(DeletedMeanwhileText(FRequest.Component));
    return written && posted == TLinePosted::Written;
}

void TRec::CancelBtnClick() {
    close();
}

void TRec::HelpBtnClick() {
    Application.HelpFile = HelpFileName;
    Application.HelpContext(HelpRecipe);
}
