// The window "Where NAME is used": every product that holds a component, directly or through premixes, one
// row per product and path, with the component's mass per kg of the product. Nothing is written.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TStringGrid;

// What the window shows: filled by the main window from the component selected.
struct TWhereUsedRequest {
    std::string Component; // the component's name as stored
};

class TWhereUsed : public QDialog {
    Q_OBJECT
public:
    explicit TWhereUsed(QWidget* parent = nullptr);
    // How many products hold the component.
    QLabel* SummaryLabel;
    TStringGrid* UsesGrid;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;

    // Finds the uses of the component and shows them modally.
    void Execute(const TWhereUsedRequest& request);
    // Finds and shows them without showing the window.
    void Load(const std::string& component);
};

// Shows the window for the component, made on its first showing and owned by owner.
void ShowWhereUsed(QWidget& owner, const TWhereUsedRequest& request);
