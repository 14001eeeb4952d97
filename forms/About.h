// The About box "Info": the program's name, version and mail address on a black background.
#pragma once

#include "forms/DialogLayout.h"

class QFrame;
class QLabel;
class QPushButton;
class TURLLink;

class TForm3 : public TDialog {
    Q_OBJECT
public:
    TForm3();
    QLabel* Image2;
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QFrame* Panel1;
    QLabel* Label5;
    QLabel* Label6;
    TURLLink* URLLink;
    QPushButton* Button1;

    void FormCreate() {}
    void Button1Click();
};

extern TForm3* Form3;
