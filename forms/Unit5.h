// The window TForm5, "Price analysis and total masses of Products".
#pragma once

#include "forms/DialogLayout.h"

class TForm5 : public TDialog {
    Q_OBJECT
public:
    TForm5();
    void FormCreate() {}
};

extern TForm5* Form5;
