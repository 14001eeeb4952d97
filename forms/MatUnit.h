// The Edit Materials dialog: name and price of one component.
#pragma once

#include "forms/DialogLayout.h"

#include <QTimer>

#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QStatusBar;
class TEdit;
class TPosFloatEdit;
class TPriceHistory;
class TPriceImpact;

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
    // The windows the dialog opens for the component it edits.
    TPriceHistory* History;
    TPriceImpact* Impact;

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
    std::optional<std::string> ChangedPrice() const;
    // The name of the component as stored: the one selected in the list.
    std::string StoredName() const;
    void CountImpact();
    // Typing is counted once it pauses, so a burst of keys costs one query.
    QTimer FImpactTimer;
};

extern TMat* Mat;
// True: Post inserts a new component; false: Post updates the component selected in the list.
extern bool NewMaterial;
// The edited component's price as stored (none for a new one), and the price text the dialog opened with:
// a price left as it opened is written back as stored, never rounded to what the field shows.
extern std::optional<std::string> EditedPrice;
extern std::string OpenedPriceText;
// The edited component's Comp_ID (none for a new one, or when it could not be read).
extern std::optional<std::string> EditedCompId;
