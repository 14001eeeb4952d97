#include "MatUnit.h"

#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "database/Numbers.h"
#include "database/Prices.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "forms/MAIN.h"
#include "forms/PriceHistory.h"
#include "forms/PriceImpact.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

TMat* Mat = nullptr;
bool NewMaterial = true;
std::optional<std::string> EditedPrice;
std::string OpenedPriceText;
std::optional<std::string> EditedCompId;

namespace {
// The pause in typing after which the impact of the price is counted.
constexpr int ImpactDelayMilliseconds = 250;
} // namespace

TMat::TMat() {
    // One row taller than the fields and the three buttons need, for the price history and impact.
    SetupDialog(*this, "Mat", "Edit Materials", {142, 303, 315, 151});
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
    HistoryBtn = MakeDialogButton(this, "HistoryBtn", "Histor&y..", {8, 76, 81, 25});
    SetHint(*HistoryBtn, "The prices this component had before.");
    ImpactBtn = MakeDialogButton(this, "ImpactBtn", "&Impact..", {96, 76, 75, 25});
    SetHint(*ImpactBtn, "The products whose price per kg the new price changes.");
    Label3 = new QLabel(this);
    Label3->setObjectName("Label3");
    Label3->setGeometry(176, 74, 123, 29);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    History = new TPriceHistory(this);
    Impact = new TPriceImpact(this);
    FImpactTimer.setSingleShot(true);
    FImpactTimer.setInterval(ImpactDelayMilliseconds);
    connect(&FImpactTimer, &QTimer::timeout, this, [this] { Guarded([this] { CountImpact(); }); });
    connect(PriceEdit, &QLineEdit::textChanged, this, [this] { Guarded([this] { PriceEditChange(); }); });
    ConnectButton(PostBtn, [this] { PostBtnClick(); });
    ConnectButton(CancelBtn, [this] { CancelBtnClick(); });
    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    SetHelpKey(*this, HelpComponents);
    ConnectButton(HistoryBtn, [this] { HistoryBtnClick(); });
    ConnectButton(ImpactBtn, [this] { ImpactBtnClick(); });
    setTabOrder(Edit1, PriceEdit);
}

void TMat::showEvent(QShowEvent* event) {
    TDialog::showEvent(event);
    Guarded([this] { FormShow(); });
    HistoryBtn->setEnabled(!NewMaterial && EditedCompId);
    Label3->clear();
    Guarded([this] { PriceEditChange(); });
}

void TMat::hideEvent(QHideEvent* event) {
    FImpactTimer.stop();
    TDialog::hideEvent(event);
}

std::optional<std::string> TMat::ChangedPrice() const {
    if (NewMaterial || !EditedCompId)
        return std::nullopt;
    // Post writes a price left as it opened back as stored.
    if (EditedPrice && PriceEdit->Text() == OpenedPriceText)
        return std::nullopt;
    const std::string price = Trim(StringManager.CommaToPoint(PriceEdit->Text()));
    const ParseResult typed = ParseNumber(price);
    if (price.empty() || typed.ErrorPos)
        return std::nullopt;
    if (EditedPrice) {
        const ParseResult stored = ParseNumber(*EditedPrice);
        if (!EditedPrice->empty() && !stored.ErrorPos && stored.Value == typed.Value)
            return std::nullopt;
    }
    return price;
}

std::string TMat::StoredName() const {
    const TStringGrid& list = *Form1->StringGrid2;
    return list.Cells(0, list.Row());
}

void TMat::PriceEditChange() {
    const bool changed = ChangedPrice().has_value();
    ImpactBtn->setEnabled(changed);
    if (!changed) {
        FImpactTimer.stop();
        Label3->clear();
        return;
    }
    if (isVisible())
        FImpactTimer.start();
}

void TMat::CountImpact() {
    const auto price = ChangedPrice();
    if (!price || !isVisible())
        return;
    std::size_t count = 0;
    try {
        InOpenDatabase([&] { count = PriceImpact(Database, {{*EditedCompId, *price}}).size(); });
    } catch (const Exception&) {
        // A count that cannot be made while typing is left out; Impact.. reports the reason.
        count = 0;
    }
    std::string text;
    if (count == 1)
        text = "Changes the price/kg of 1 product";
    else if (count > 1)
        text = "Changes the price/kg of " + std::to_string(count) + " products";
    // A screen reader says the label by its text, so the count is announced as it changes.
    Label3->setText(ToQt(text));
}

void TMat::HistoryBtnClick() {
    if (NewMaterial || !EditedCompId)
        return;
    History->Execute({*EditedCompId, StoredName()});
    Edit1->setFocus();
}

void TMat::ImpactBtnClick() {
    const auto price = ChangedPrice();
    if (!price)
        return;
    Impact->Execute({*EditedCompId, StoredName(), *price});
    PriceEdit->setFocus();
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
    TWriteBackup backup;
    if (refused)
        ShowMessage("Component is already present in the Components table.");
    else
        backup = BeforeUserWrite();
    const bool written = WithDatabase([&] {
        if (refused)
            return;
        // The price an update writes; an insert replaces no price.
        std::string newPrice;
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
            newPrice = priceValue;
        }
        if (newPrice.empty()) {
            // The component gets a number no recipe line or history row holds, with its insert or not at all.
            InTransaction(Database, [&] {
                ExecStatements(Database, statement);
                GiveNewComponentItsNumber(Database);
            });
            return;
        }
        // The price it replaces goes to the history with the update, or neither is written.
        InTransaction(Database, [&] {
            RecordPriceChange(Database, "Component = '" + quotedOld + "'", newPrice);
            ExecStatements(Database, statement);
        });
    });
    if (!written)
        backup.Discard();
    Edit1->setFocus();
    // A refused or failed Post keeps the dialog open with everything typed, to be corrected or cancelled.
    if (written && !refused)
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
