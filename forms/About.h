// The window TForm3, "Info".
#pragma once

#include "forms/DialogLayout.h"

class TForm3 : public TDialog {
    Q_OBJECT
public:
    TForm3();
    void FormCreate() {}
};

extern TForm3* Form3;
