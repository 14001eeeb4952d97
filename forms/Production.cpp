#include "Production.h"

TForm2* Form2 = nullptr;

TForm2::TForm2() { SetupDialog(*this, "Form2", "Production notes, safety data and miscellaneous remarks.", {440, 124, 573, 459}); }
