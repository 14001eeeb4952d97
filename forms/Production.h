// The window TForm2, "Production notes, safety data and miscellaneous remarks.".
#pragma once

#include "forms/DialogLayout.h"

class TForm2 : public TDialog {
    Q_OBJECT
public:
    TForm2();
    void FormCreate() {}
};

extern TForm2* Form2;
