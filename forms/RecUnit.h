// The Edit Recipe dialog: the component and the mass of one recipe line.
#pragma once

#include "forms/DialogLayout.h"

#include <string>

class QLabel;
class QPushButton;
class QStatusBar;
class TComboBox;
class TPosFloatEdit;

class TRec : public TDialog {
    Q_OBJECT
public:
    TRec();
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label2;
    TComboBox* ComboBox1;
    TPosFloatEdit* MassEdit;
    QPushButton* PostBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
    QStatusBar* StatusBar1;

    void FormCreate();
    void PostBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();
};

extern TRec* Rec;
// True: Post inserts a new line for the product; false: Post updates the line EditedLineId.
extern bool NewRecipeLine;
extern std::string EditedLineId;
// The edited line's quantity as stored, and the mass text the dialog opened with: a mass left as it
// opened is written back as stored, so a line never loses the decimals the field does not show.
extern std::string EditedQuantity;
extern std::string OpenedMassText;
extern std::string LookupValue;

extern const char* const ComponentPlaceholder;
extern const char* const ComponentNotPresent;

int ComponentChoiceLoader(void* data, int columns, char** values, char** names);
int LookupLoader(void* data, int columns, char** values, char** names);
