// The window "Raw materials of NAME": every raw material a product holds through all its premix levels, for a
// batch of the mass the user types, with the totals; exported to RawMaterials.txt or a workbook and printed as a
// weighing sheet. Nothing is written to the database.
#pragma once

#include "database/RawMaterials.h"
#include "platform/Printers.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TPosFloatEdit;
class TStringGrid;

// What the window shows: filled by the main window from the product selected.
struct TRawMaterialsRequest {
    std::string Product; // the product's name as stored
};

class TRawMaterials : public QDialog {
    Q_OBJECT
public:
    explicit TRawMaterials(QWidget* parent = nullptr);
    QLabel* BatchLabel;
    TPosFloatEdit* BatchEdit;
    QLabel* KgLabel;
    TStringGrid* RawGrid;
    // What the figures leave out or may differ by.
    QLabel* StatusLabel;
    QPushButton* HelpBtn;
    QPushButton* ExportBtn;
    QPushButton* SpreadsheetBtn;
    QPushButton* PrintBtn;
    QPushButton* PreviewBtn;
    QPushButton* CloseBtn;

    // Reads the product's raw materials and shows them modally, for a batch of its own total mass.
    void Execute(const TRawMaterialsRequest& request);
    // Reads and shows them without showing the window.
    void Load(const std::string& product);
    // The batch mass typed: the rows follow it.
    void BatchEditChange();
    void ExportBtnClick();
    // Asks for a file name ("RawMaterials.xlsx") and writes the batch shown as a workbook.
    void SpreadsheetBtnClick();
    void PrintBtnClick();
    void PreviewBtnClick();
    // The weighing sheet of the batch shown.
    TListingWriter WeighingSheet() const;

private:
    void ShowBatch();
    TPrintDialog& PrintDialog();

    std::string FProduct;
    TFlatRecipe FRecipe;
    TBatch FBatch;
    TPrintDialog* FPrintDialog = nullptr;
};

// Shows the window for the product, made on its first showing and owned by owner.
void ShowRawMaterials(QWidget& owner, const TRawMaterialsRequest& request);
