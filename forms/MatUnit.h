// The Edit Materials dialog: name and price of one component.
#pragma once

#include "forms/DialogLayout.h"

#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QStatusBar;
class TEdit;
class TPosFloatEdit;

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

    void FormCreate();
    void FormShow() {}
    void PostBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TMat* Mat;
// True: Post inserts a new component; false: Post updates the component selected in the list.
extern bool NewMaterial;
// The edited component's price as stored (none for a new one), and the price text the dialog opened with:
// a price left as it opened is written back as stored, never rounded to what the field shows.
extern std::optional<std::string> EditedPrice;
extern std::string OpenedPriceText;
