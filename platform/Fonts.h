// The faces the windows and printed lists ask for by name, mapped to installed faces of close metrics.
#pragma once

// "MS Sans Serif", the windows' font, and "Courier New", the printed lists' font, are rarely installed on
// Linux. Each is mapped to the first installed face of a list of faces with close character widths, so
// that captions and report columns laid out for them fit. Call once, after the application object exists.
void MapWindowsFonts();
