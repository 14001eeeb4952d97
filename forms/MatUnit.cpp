#include "MatUnit.h"

#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "forms/MAIN.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "text/StrMan.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

TMat* Mat = nullptr;
bool NewMaterial = true;
std::optional<std::string> EditedPrice;
std::string OpenedPriceText;

TMat::TMat() {
    SetupDialog(*this, "Mat", "Edit Materials", {142, 303, 315, 123});
    Label1 = MakeDialogLabel(this, "Label1", "Component", {8, 8});
    Label2 = MakeDialogLabel(this, "Label2", "Price", {248, 8});
    Edit1 = new TEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(8, 24, 217, 21);
    SetHint(*Edit1, "Please, check your selection.");
    Edit1->setAccessibleName("Component");
    PriceEdit = new TPosFloatEdit(this);
    PriceEdit->setObjectName("PriceEdit");
    PriceEdit->setGeometry(232, 24, 65, 21);
    PriceEdit->setAlignment(Qt::AlignCenter);
    PriceEdit->SetDecimalPlaces(2);
    PriceEdit->SetScale(1);
    PriceEdit->setAccessibleName("Price per kg");
    StatusBar1 = MakeDialogStatusBar(this);
    PostBtn = MakeDialogButton(this, "PostBtn", "&Post | Save", {8, 48, 81, 25});
    SetHint(*PostBtn, "Write data to the database.");
    CancelBtn = MakeDialogButton(this, "CancelBtn", "&Cancel", {96, 48, 75, 25});
    HelpBtn = MakeDialogButton(this, "HelpBtn", "&Help", {232, 48, 67, 25});
    ConnectButton(PostBtn, [this] { PostBtnClick(); });
    ConnectButton(CancelBtn, [this] { CancelBtnClick(); });
    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    setTabOrder(Edit1, PriceEdit);
}

void TMat::showEvent(QShowEvent* event) {
    TDialog::showEvent(event);
    Guarded([this] { FormShow(); });
}

void TMat::FormCreate() {
    NewMaterial = true;
    StatusBar1->showMessage("Mode: Post new record.");
    Edit1->setEnabled(true);
}

void TMat::PostBtnClick() {
    const std::string name = UpperCase(Edit1->Text());
    const bool priceAsOpened = !NewMaterial && EditedPrice && PriceEdit->Text() == OpenedPriceText;
    const std::string price = priceAsOpened ? *EditedPrice : StringManager.CommaToPoint(PriceEdit->Text());
    if (name.empty())
        return;
    const TStringGrid& list = *Form1->StringGrid2;
    const std::string oldName = list.Cells(0, list.Row());
    const bool duplicate = ListHasName(list, name);
    const std::string quotedName = StringManager.QuoteSql(name);
    const std::string quotedOld = StringManager.QuoteSql(oldName);
    const bool refused = NewMaterial && duplicate;
    if (refused)
        ShowMessage("Component is already present in the Components table.");
    else
        BeforeUserWrite();
    WithDatabase([&] {
        if (refused)
            return;
        // A price text goes into SQL as a name does: a pasted apostrophe cannot end the literal.
        std::string statement;
        if (NewMaterial && !price.empty())
            statement = "INSERT INTO Materials (Component, Price, Date) Values ('" + quotedName + "','" +
                        StringManager.QuoteSql(price) + "', CURRENT_DATE);";
        else if (NewMaterial)
            statement =
                "INSERT INTO Materials (Component, Price, Date) Values ('" + quotedName + "',0.0, CURRENT_DATE);";
        else {
            // An emptied price field means no price, stored as 0.0 like a new component without one.
            const std::string trimmed = Trim(price);
            std::string priceValue = "0.0";
            if (!trimmed.empty())
                priceValue.assign("'").append(StringManager.QuoteSql(trimmed)).append("'");
            statement = "Update Materials Set Component = '" + quotedName + "', Price = " + priceValue +
                        ", Date = CURRENT_DATE " + " where component = '" + quotedOld + "';";
        }
        ExecStatements(Database, statement);
    });
    Edit1->setFocus();
    close();
}

void TMat::CancelBtnClick() {
    Edit1->setFocus();
    close();
}

void TMat::HelpBtnClick() {
    Application.HelpContext(HelpComponents, HelpFileName);
    Edit1->setFocus();
}
