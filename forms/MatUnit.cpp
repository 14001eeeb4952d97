#include "MatUnit.h"

#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "forms/PriceHistory.h"
#include "forms/PriceImpact.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Fold.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

TMat* Mat = nullptr;

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
    PremixLabel = new QLabel(this);
    PremixLabel->setObjectName("PremixLabel");
    PremixLabel->setGeometry(176, 74, 123, 29);
    PremixLabel->setWordWrap(true);
    PremixLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PremixLabel->hide();
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

std::string TMat::Execute(TMatRequest request) {
    FRequest = std::move(request);
    Edit1->SetText(FRequest.Component);
    PriceEdit->SetAsFloat(FRequest.Price);
    StatusBar1->showMessage(FRequest.NewMaterial ? "Mode: Post new record." : "Mode: Post edited record.");
    FPrice = {};
    if (!FRequest.NewMaterial && FRequest.Stored)
        FPrice.Stored = FRequest.Stored->Price;
    FPrice.Opened = PriceEdit->Text();
    const bool premix = !FRequest.PremixOf.empty();
    Edit1->setReadOnly(premix);
    // Read-only fields look it, as the price field does.
    SetBackground(*Edit1, premix ? ButtonFaceColor() : WindowColor());
    PriceEdit->SetReadOnly(premix);
    const QString from = premix ? "Price from the recipe of " + ToQt(FRequest.PremixOf) : QString();
    PremixLabel->setText(from);
    // A label is named by the text it shows.
    PremixLabel->setAccessibleName(from);
    PremixLabel->setVisible(premix);
    Label3->setVisible(!premix);
    ShowModal(*this);
    return Edit1->Text();
}

void TMat::showEvent(QShowEvent* event) {
    TDialog::showEvent(event);
    Guarded([this] { FormShow(); });
    HistoryBtn->setEnabled(!FRequest.NewMaterial && FRequest.Stored);
    Label3->clear();
    Guarded([this] { PriceEditChange(); });
}

void TMat::hideEvent(QHideEvent* event) {
    FImpactTimer.stop();
    TDialog::hideEvent(event);
}

std::optional<std::string> TMat::ImpactPrice() const {
    if (FRequest.NewMaterial || !FRequest.Stored)
        return std::nullopt;
    return ChangedPrice(FPrice, PriceEdit->Text());
}

void TMat::PriceEditChange() {
    const bool changed = ImpactPrice().has_value();
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
    const auto price = ImpactPrice();
    if (!price || !isVisible())
        return;
    std::size_t count = 0;
    try {
        InOpenDatabase([&] { count = PriceImpact(Database, {{FRequest.Stored->CompId, *price}}).size(); });
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
    if (FRequest.NewMaterial || !FRequest.Stored)
        return;
    History->Execute({FRequest.Stored->CompId, FRequest.Component});
    Edit1->setFocus();
}

void TMat::ImpactBtnClick() {
    const auto price = ImpactPrice();
    if (!price)
        return;
    Impact->Execute({FRequest.Stored->CompId, FRequest.Component, *price});
    PriceEdit->setFocus();
}

void TMat::FormCreate() {
    FRequest = {};
    StatusBar1->showMessage("Mode: Post new record.");
    Edit1->setEnabled(true);
}

void TMat::PostBtnClick() {
    // A premix's name and price are its product's: there is nothing to write.
    if (!FRequest.PremixOf.empty()) {
        close();
        return;
    }
    // A text that is no number never reaches the database; one the file held already and left as it opened is
    // written back as it was.
    if (!(FPrice.Stored && PriceEdit->Text() == FPrice.Opened) && !PriceEdit->ConvertForPost())
        return;
    TComponentPost post;
    post.NewMaterial = FRequest.NewMaterial;
    post.Name = TypedName(Edit1->Text(), [this](const std::string& name) {
        return std::find(FRequest.Names.begin(), FRequest.Names.end(), name) != FRequest.Names.end();
    });
    post.Price = ValueToPost(FPrice, PriceEdit->Text());
    post.OldName = FRequest.Component;
    if (!FRequest.NewMaterial)
        post.Opened = FRequest.Stored;
    if (post.Name.empty())
        return;
    const bool refused = IsDuplicateComponent(post, FRequest.Names);
    TWriteBackup backup;
    if (refused)
        ShowMessage("Component is already present in the Components table.");
    else
        backup = BeforeUserWrite();
    TComponentPosted posted;
    bool written = WithDatabase([&] {
        if (!refused)
            posted = PostComponent(Database, post);
    });
    // A colleague's change since the dialog opened is written over only when the user says so, and then only
    // the change that was shown.
    while (written && posted.Outcome == TPostOutcome::Changed &&
           ConfirmYesNo(ChangedMeanwhileText(FRequest.Component, ComponentNowText(*post.Opened, *posted.Now)))) {
        post.Opened = posted.Now;
        written = WithDatabase([&] { posted = PostComponent(Database, post); });
    }
    if (written && posted.Outcome == TPostOutcome::Deleted)
        ShowMessage(DeletedMeanwhileText(FRequest.Component));
    written = written && posted.Outcome == TPostOutcome::Written;
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
