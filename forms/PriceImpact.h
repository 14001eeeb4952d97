// The window "Price impact of NAME": every product whose price per kg a new price of one component would
// move, with its price now and after, largest change first. Nothing is written.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TStringGrid;

class TPriceImpact : public QDialog {
    Q_OBJECT
public:
    explicit TPriceImpact(QWidget* parent = nullptr);
    QLabel* Label1;
    TStringGrid* StringGrid1;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;

    // Works out what price (as Post would write it, point as separator) for the component compId, called
    // name, would do to the products, and shows it modally.
    void Execute(const std::string& compId, const std::string& name, const std::string& price);
    void HelpBtnClick();
    void CloseBtnClick();
};
