// The import of a supplier's price list: the file read, every change it makes shown with the lines it
// cannot apply and the products it moves, then all of it written at once or nothing.
#pragma once

#include "database/PriceListImport.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TStringGrid;

// The products whose price per kg the list moves, before and after.
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
    QLabel* Label1;
    TStringGrid* ChangesGrid;
    QLabel* Label2;
    TStringGrid* SkippedGrid;
    QLabel* SummaryLabel;
    QPushButton* ProductsBtn;
    QPushButton* HelpBtn;
    QPushButton* ApplyBtn;
    QPushButton* CancelBtn;
    TPriceImportProducts* Products;

    // Shows what the list read from fileName would do.
    void Fill(const std::string& fileName, TImportPreview preview);
    void ProductsBtnClick();
    void ApplyBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();
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
