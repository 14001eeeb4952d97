// The window TForm5, "Price analysis and total masses of Products": one product's components with
// their masses rescaled to a total and their shares of the product's cost.
#pragma once

#include "forms/DialogLayout.h"

#include <string>

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
    QPushButton* SpreadsheetBtn;
    QStatusBar* StatusBar1;

    // Shows the window on product, as if chosen in the combo box; with no product, on what it showed last.
    void Execute(const std::string& product);
    void FormCreate();
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // The analysis shown, as a workbook: the product, today's date and the batch mass above its lines.
    void SpreadsheetBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Fills the combo box's list with the products the database holds now.
    void LoadProductNames();
    // The status line of the analysis shown for a batch of target kg.
    void ShowStatus(double target);
    // Drops the analysis shown: no product is chosen.
    void ForgetAnalysis();
    // The data was replaced: the window starts over as at start-up, with the products the data holds now.
    void DataReplaced();
};

extern TForm5* Form5;

// The grid row on which the row AnalysisRowLoader reads next is shown.
extern int AnalysisRow;
// True only while the product names are loaded into the combo box's list.
extern bool LoadingProductNames;
// The total mass the stored recipe shown makes: the exact sum of its masses, the divisor of every rescaling.
extern double ReferenceMass;
// The sum of the unrounded masses shown (0 while the mass column is empty).
extern double ScaledMass;

int AnalysisRowLoader(void* data, int columns, char** values, char** names);
