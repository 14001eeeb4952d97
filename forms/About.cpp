#include "About.h"

TForm3* Form3 = nullptr;

TForm3::TForm3() { SetupDialog(*this, "Form3", "Info", {217, 118, 322, 313}); }
