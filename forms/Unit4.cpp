#include "Unit4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4() { SetupDialog(*this, "Form4", "Reports on starting materials (components)", {149, 114, 460, 446}); }
