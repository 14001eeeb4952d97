// The Edit Materials dialog: name and price of one component.
#pragma once

#include "database/Components.h"
#include "forms/DialogLayout.h"
#include "text/EditedValue.h"

#include <QTimer>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QStatusBar;
class TEdit;
class TPosFloatEdit;
class TPriceHistory;
class TPriceImpact;

// What Edit Materials edits and what its checks need. Filled by the main window's component commands
// (NewComponentClick, RenameComponentClick) for each showing; the dialog reads nothing of another window.
struct TMatRequest {
    // True: Post inserts a new component; false: Post updates the component named Component.
    bool NewMaterial = true;
    // The component as the component list shows it (empty for a new one): the name the field opens with.
    std::string Component;
    // The price the field opens with.
    double Price = 0.0;
    // The component as the file holds it, read for an edit; none for a new one or when it could not be read.
    // A price left as it opened is written back as stored.
    std::optional<TStoredComponent> Stored;
    // Every name the component list shows, for the duplicate check of a new component.
    std::vector<std::string> Names;
    // The product whose premix the component is; empty for a bought component. A premix's name and price
    // follow its product and are shown read-only.
    std::string PremixOf;
};

class TMat : public TDialog {
    Q_OBJECT
public:
    TMat();
    QLabel* Label1;
    QLabel* Label2;
    TEdit* Edit1;
    TPosFloatEdit* PriceEdit;
    QStatusBar* StatusBar1;
    QPushButton* PostBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
    QPushButton* HistoryBtn;
    QPushButton* ImpactBtn;
    // What the price typed would do to the products' prices per kg.
    QLabel* Label3;
    // "Price from the recipe of NAME", shown for a premix.
    QLabel* PremixLabel;
    // The windows the dialog opens for the component it edits.
    TPriceHistory* History;
    TPriceImpact* Impact;

    // Opens the dialog modally for request; returns the name its field holds when it closes.
    std::string Execute(TMatRequest request);
    const TMatRequest& Request() const { return FRequest; }

    void FormCreate();
    void FormShow() {}
    void PostBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();
    void HistoryBtnClick();
    void ImpactBtnClick();
    void PriceEditChange();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The price Post would write for the component being edited, when it is a number other than the one
    // stored; nothing for a new component, a field that holds no number or a price left as it is.
    std::optional<std::string> ImpactPrice() const;
    void CountImpact();
    TMatRequest FRequest;
    // The price as stored and as the field showed it when the dialog opened.
    TEditedValue FPrice;
    // Typing is counted once it pauses, so a burst of keys costs one query.
    QTimer FImpactTimer;
};

extern TMat* Mat;
