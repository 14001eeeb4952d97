// The Edit Recipe dialog: the component and the mass of one recipe line.
#pragma once

#include "database/Recipes.h"
#include "forms/DialogLayout.h"
#include "text/EditedValue.h"

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QStatusBar;
class TComboBox;
class TComboFinder;
class TPosFloatEdit;

// What Edit Recipe edits. Filled by the main window's recipe commands (AddComponent1Click, StringGrid3DblClick)
// for each showing; the dialog reads nothing of another window. Its check needs the component names, which
// the dialog keeps in its own list.
struct TRecRequest {
    // True: Post inserts a new line for Product; false: Post rewrites the line EditedLineId.
    bool NewRecipeLine = true;
    // The product the line belongs to: the one selected in the product list, whose recipe is shown.
    std::string Product;
    // The Recipes.ID of the line opened for an edit.
    std::string EditedLineId;
    // The line's component, which the field opens with; a new line opens with the placeholder instead.
    std::string Component;
    // The mass the field opens with; none opens it empty.
    std::optional<double> Mass;
    // The line's quantity as stored, for an edit: a mass left as it opened is written back as stored, so a line
    // never loses the decimals the field does not show.
    std::optional<std::string> StoredQuantity;
    // The line as the file held it when the dialog opened, for an edit: Post rewrites it only while it still
    // holds that, and asks before it writes over a colleague's change.
    std::optional<TStoredLine> Opened;
    // Called after each line written while the dialog stays open (Post && Next), so the recipe behind it shows it.
    std::function<void()> LinePosted;
};

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
    QPushButton* NextBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
    QStatusBar* StatusBar1;

    // Opens the dialog modally for request.
    void Execute(TRecRequest request);
    const TRecRequest& Request() const { return FRequest; }

    // Loads the choice of components, at creation and after every change of the components.
    void FormCreate();
    void PostBtnClick();
    // Posts the line and makes the dialog ready for the next line of the same product.
    void NextBtnClick();
    void CancelBtnClick();
    void HelpBtnClick();

    // Finds components as the user types in ComboBox1.
    TComboFinder* Finder;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Checks and writes the line; true when it was written.
    bool PostLine();
    // The state of a fresh Add Component: placeholder, 0 kg, the add mode, the focus in the component box.
    void StartNewLine();
    // Puts the request's product, component, mass and mode into the controls.
    void ShowRequest();

    TRecRequest FRequest;
    // The mass as stored and as the field showed it when the dialog opened.
    TEditedValue FMass;
};

extern TRec* Rec;

extern const char* const ComponentPlaceholder;
extern const char* const ComponentNotPresent;

// Adds each row's component (its first column) to the list of ComboBox1 with its price per kg beside it.
int ComponentPriceChoiceLoader(void* data, int columns, char** values, char** names);
