// The main window: the product and component lists on two tabs beside the recipe of the selected product.
#pragma once

#include "forms/HelpContexts.h"

#include <QMainWindow>

#include <string>
#include <vector>

struct TIncompletePrice;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QFrame;
class QLineEdit;
class QTimer;
class QWidget;
class TBevelStatusBar;
class TEdit;
class TMessageHint;
class TPosFloatEdit;
class TPrintDialog;
class TShapeHint;
class TStringGrid;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1();

    // Controls, by their names in the window's layout.
    TBevelStatusBar* BevelStatusBar1;
    QTabWidget* PageControl1;
    QWidget* PRODUCTS;
    QLabel* Label1;
    QPushButton* Refresh1;
    TStringGrid* StringGrid1;
    QWidget* COMPONENTS;
    QLabel* Label2;
    QPushButton* Refresh2;
    TStringGrid* StringGrid2;
    QFrame* Panel1;
    TEdit* Edit1;
    TPosFloatEdit* TotalEdit;
    QLabel* Label3;
    TStringGrid* StringGrid3;
    // Below the recipe grid while it is wide enough for the lines' money: the totals of the lines shown.
    QLabel* RecipeTotals;
    // The find field, below the list in view while it is open.
    QLineEdit* FindEdit;
    TMessageHint* MessageHint1;
    TShapeHint* ShapeHint1;

    QMenu* Connect1;
    QAction* RestoreBackup;
    QAction* CopyToFile;
    QAction* Exit1;
    QMenu* Materials1;
    QAction* PrintMaterials;
    QAction* PreviewMaterials;
    QAction* Reports;
    QAction* ExporttoMaterialstxt1;
    QAction* MaterialsToSpreadsheet;
    QAction* ImportPriceList;
    QMenu* Products1;
    QAction* PrintProducts;
    QAction* PreviewProducts;
    QAction* PriceAnalysis;
    QAction* ExporttoProductstxt1;
    QAction* ProductsToSpreadsheet;
    QMenu* Recipes1;
    QAction* PrintRecipe;
    QAction* PreviewRecipe;
    QAction* ExporttoProducttxt1;
    QAction* RecipeToSpreadsheet;
    QAction* Productionnotes;
    // In the Recipes menu and the recipe's pop-up menu.
    QAction* RawMaterials;
    QMenu* Help1;
    QAction* About;
    QAction* HelpIndex;
    QAction* Quit1;

    QMenu* ProductMenu;
    QAction* FindProduct;
    QAction* NewProduct;
    QAction* DuplicateProduct;
    QAction* RenameProduct;
    QAction* DeleteProduct;
    QAction* UseAsPremix;
    QMenu* MaterialsMenu;
    QAction* FindComponent;
    QAction* NewComponent;
    QAction* RenameComponent;
    QAction* DeleteComponent;
    QAction* WhereUsed;
    QMenu* RecMenu;
    QAction* AddComponent1;
    QAction* EditComponentMass1;
    QAction* DeleteComponent1;
    QAction* OpenPremix;
    QAction* ScaleRecipe;

    // The window's help context and help file, used by the help command.
    int HelpContext = 1;
    std::string HelpFile = HelpFileName;

    void FormCreate();
    // True while the component list is the list showing: from a switch to the COMPONENTS tab to the next
    // switch, exactly while the menu Materials1 is enabled.
    bool ComponentsShowing() const { return FComponentsShowing; }
    void Refresh1Click();
    void Refresh2Click();
    void PageControl1Change();
    void StringGrid1DblClick();
    void StringGrid3Click();
    void Quit1Click();
    void Exit1Click();

    // Find as you type (Ctrl+F, FindProduct, FindComponent): opens the find field below the list in view.
    // The list shows only the rows whose name holds every typed word; the recipe shown stays as it is.
    void FindClick();
    // Closes the find field and shows every row again, the current row kept. Whatever must select a row the
    // filter may hide calls it first.
    void CloseFind();
    bool FindOpen() const { return FFindGrid != nullptr; }
    // Enter in the find field: the first row shown becomes the current row (its recipe shown).
    void FindEditReturn();
    // Up or Down in the find field (step -1 or 1): the row before or after the current one among those found.
    void MoveInFoundRows(int step);
    // Filters the list by the field's text now; an emptied field closes when closeWhenEmpty.
    void ApplyFind(bool closeWhenEmpty = false);
    // The window's size, place and maximised state, kept in the user's settings for the next start.
    void SaveWindowPlace() const;

    void NewProductClick();
    // Asks for a name and creates a copy of the selected product: its recipe and its production notes.
    void DuplicateProductClick();
    void RenameProductClick();
    void DeleteProductClick();
    // Use as Premix, or Stop Using as Premix for a product that is one.
    void UseAsPremixClick();
    // The item's caption follows the product the menu is shown for.
    void ProductMenuPopup();

    void NewComponentClick();
    void RenameComponentClick();
    void StringGrid2DblClick();
    void DeleteComponentClick();

    void StringGrid3DblClick();
    void AddComponent1Click();
    void EditComponentMass1Click();
    void DeleteComponent1Click();
    // Selects the premix of the recipe line in the product list and shows its recipe.
    void OpenPremixClick();
    // Asks for a new total mass and rewrites the recipe's masses to it, in whole grams.
    void ScaleRecipeClick();

    // The other windows, shown modally.
    void ReportsClick();
    void PriceAnalysisClick();
    void AboutClick();
    void ProductionnotesClick();
    void HelpIndexClick();
    void RestoreBackupClick();
    void CopyToFileClick();
    // The raw materials of the product selected, through every premix level.
    void RawMaterialsClick();
    // The products the component selected is used in, through every premix level.
    void WhereUsedClick();
    // What F1 asks for: the focused control's context, else the window's current one.
    int HelpKeyContext() const;
    // F1 on an open menu: no menu item has a context of its own, so the window's current one.
    void HelpMenuKeyPressed();

    // Exports to text files and printed lists.
    void ExporttoMaterialstxt1Click();
    void ExporttoProductstxt1Click();
    void ExporttoProducttxt1Click();
    // The same lists as workbooks, their numbers exact (the stored figures), under a name the user chooses.
    void MaterialsToSpreadsheetClick();
    void ProductsToSpreadsheetClick();
    void RecipeToSpreadsheetClick();
    // Reads a supplier's price list and, once the user has seen what it changes, writes it.
    void ImportPriceListClick();
    void PrintProductsClick();
    void PrintMaterialsClick();
    void PrintRecipeClick();
    // The same listings shown page by page before they are printed.
    void PreviewProductsClick();
    void PreviewMaterialsClick();
    void PreviewRecipeClick();
    // The printer and print dialog of the printed lists, made on the first print or preview.
    TPrintDialog* PrintDialog1 = nullptr;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateControls();
    // Places the controls for the window's size: at its given size or smaller as laid out; larger, the lists
    // and the recipe share the extra width, the grids take the extra height and each grid's name column its
    // extra width.
    void LayOutControls();
    // Puts back the size, place and maximised state of the last run where they fit a screen present.
    void RestoreWindowPlace();
    // The status text's parts after the mode text: the incomplete prices (kept when not given) and the find.
    void SetStatusParts(const std::string* incomplete, const std::string& find);
    // Marks the prices of the product list that leave lines out, and counts them in the status bar.
    // The products a premix cycle keeps from being computed are counted there too.
    void ShowIncompletePrices(const std::vector<TIncompletePrice>& products, int notComputed);
    // The main window's part of every component command: the lists follow the change.
    void ReloadComponents();
    // Empties the recipe grid; no line is on display afterwards.
    void ClearRecipe();
    // Gives the recipe grid the columns of the lines' share, price and cost while the panel is wide enough
    // (and takes them away when it is not), filled from the lines on display, with the totals below.
    void ShowRecipeFigures();
    bool ProductSelected();
    bool FActivated = false;
    bool FComponentsShowing = false;
    TStringGrid* FFindGrid = nullptr; // the list the open find field filters
    bool FRecipeWide = false;         // the recipe grid shows the lines' money
    QTimer* FFindTimer = nullptr;
};

extern TForm1* Form1;

// Row loaders of the main window.
int ListRowLoader(void* data, int columns, char** values, char** names);
int RecipeRowLoader(void* data, int columns, char** values, char** names);
