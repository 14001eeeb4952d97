// The window "Price impact of NAME": every product whose price per kg a new price of one component would
// move, with its price now and after, largest change first. Nothing is written.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TStringGrid;

// What the window works out: filled by Edit Materials from the component it edits and the price typed.
struct TPriceImpactRequest {
    std::string CompId; // the component's Materials.Comp_ID
    std::string Name;   // its name as stored, for the caption
    std::string Price;  // the new price as Post would write it, with a point as separator
};

class TPriceImpact : public QDialog {
    Q_OBJECT
public:
    explicit TPriceImpact(QWidget* parent = nullptr);
    // The new price and how many products it moves.
    QLabel* SummaryLabel;
    TStringGrid* ProductsGrid;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;

    // Works out what the new price would do to the products, and shows it modally.
    void Execute(const TPriceImpactRequest& request);
};
