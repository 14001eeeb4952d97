// The window TForm4, "Reports on starting materials (components)".
#pragma once

#include "forms/DialogLayout.h"

class TForm4 : public TDialog {
    Q_OBJECT
public:
    TForm4();
    void FormCreate() {}
};

extern TForm4* Form4;
