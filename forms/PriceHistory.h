// The window "Price history of NAME": a component's prices over time, drawn as a step line above a list
// of the prices, newest first, the current one at the top.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TPriceChart;
class TStringGrid;

class TPriceHistory : public QDialog {
    Q_OBJECT
public:
    explicit TPriceHistory(QWidget* parent = nullptr);
    TPriceChart* PriceChart;
    TStringGrid* StringGrid1;
    // Why no earlier prices are listed, in a file whose PriceHistory the program cannot keep; hidden otherwise.
    QLabel* Label1;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;

    // Reads the prices of the component compId, called name, and shows them modally.
    void Execute(const std::string& compId, const std::string& name);
    void HelpBtnClick();
    void CloseBtnClick();

private:
    void Load(const std::string& compId);
};
