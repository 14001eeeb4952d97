#include "Unit5.h"

TForm5* Form5 = nullptr;

TForm5::TForm5() { SetupDialog(*this, "Form5", "Price analysis and total masses of Products", {167, 128, 408, 451}); }
