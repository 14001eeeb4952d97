// The window "Price history of NAME": a component's prices over time, drawn as a step line above a list
// of the prices, newest first, the current one at the top.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TPriceChart;
class TStringGrid;

// What the window shows: filled by Edit Materials from the component it edits.
struct TPriceHistoryRequest {
    std::string CompId; // the component's Materials.Comp_ID
    std::string Name;   // its name as stored, for the caption
};

class TPriceHistory : public QDialog {
    Q_OBJECT
public:
    explicit TPriceHistory(QWidget* parent = nullptr);
    TPriceChart* PriceChart;
    TStringGrid* PricesGrid;
    // Why no earlier prices are listed, in a file whose PriceHistory the program cannot keep; hidden otherwise.
    QLabel* NoHistoryLabel;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;

    // Reads the prices of the component and shows them modally.
    void Execute(const TPriceHistoryRequest& request);

private:
    void Load(const std::string& compId);
};
