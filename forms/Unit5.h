// The window TForm5, "Price analysis and total masses of Products": one product's components with
// their masses rescaled to a total and their shares of the product's cost.
#pragma once

#include "forms/DialogLayout.h"

class QLabel;
class QPushButton;
class QStatusBar;
class TComboBox;
class TStringGrid;
class TumEdit;

class TForm5 : public TDialog {
    Q_OBJECT
public:
    TForm5();
    QLabel* Label1;
    QLabel* Label2;
    TComboBox* ComboBox1;
    TumEdit* umEdit;
    QPushButton* Button1;
    TStringGrid* StringGrid1;
    QPushButton* Button2;
    QPushButton* Button3;
    QStatusBar* StatusBar1;

    void FormCreate();
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
};

extern TForm5* Form5;

// The grid row that AnalysisRowLoader writes next.
extern int AnalysisRow;
// True only while the product names are loaded into the combo box's list.
extern bool LoadingProductNames;
// The total mass to which the masses shown refer: the divisor of the next rescaling.
extern double ReferenceMass;
// The sum of the unrounded masses of the last calculation.
extern double ScaledMass;

int AnalysisRowLoader(void* data, int columns, char** values, char** names);
