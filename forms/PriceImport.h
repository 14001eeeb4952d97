// The import of a supplier's price list: the file read, every change it makes shown with the lines it
// cannot apply and the products it moves, then all of it written at once or nothing.
#pragma once

#include "database/PriceListImport.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class TStringGrid;

// "Price impact of FILENAME": the products whose price per kg the list moves, before and after.
class TPriceImportProducts : public QDialog {
    Q_OBJECT
public:
    explicit TPriceImportProducts(QWidget* parent = nullptr);
    TStringGrid* ProductsGrid;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;

    void Fill(const std::string& fileName, const std::vector<TProductImpact>& products);
};

// The preview, captioned with the file's name: nothing is written before Apply.
class TPriceImport : public QDialog {
    Q_OBJECT
public:
    explicit TPriceImport(QWidget* parent = nullptr);
    QLabel* NameColumnLabel;
    QComboBox* NameColumnBox;
    QLabel* PriceColumnLabel;
    QComboBox* PriceColumnBox;
    QLabel* DecimalMarkLabel;
    QComboBox* DecimalMarkBox;
    QLabel* ChangesLabel;
    TStringGrid* ChangesGrid;
    QLabel* SkippedLabel;
    TStringGrid* SkippedGrid;
    QLabel* SummaryLabel;
    QPushButton* ProductsBtn;
    QPushButton* HelpBtn;
    QPushButton* ApplyBtn;
    QPushButton* CancelBtn;
    TPriceImportProducts* Products;

    // Shows what the list read from fileName would do, and the columns it was read from.
    void Fill(const std::string& fileName, TImportPreview preview);
    // Reads the file again from the columns and the decimal mark the three boxes show, and remembers them
    // for the files with the same header line.
    void ColumnBoxChange();
    void ProductsBtnClick();
    void ApplyBtnClick();
    void CancelBtnClick();
    // True once Apply has written the new prices.
    bool Applied() const { return FApplied; }

private:
    std::string FFileName;
    TImportPreview FPreview;
    bool FApplied = false;
};

// The whole command: asks for the file, reads it, shows the preview modally and applies it when the user
// says so. True when prices were written, so the lists must be read again.
bool RunPriceListImport(QWidget* parent);
