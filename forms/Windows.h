// The program's windows, created once for the whole run in their fixed order.
#pragma once

void CreateWindows();

// The application's title (every message box's caption), its name, version and desktop entry; set at start.
void NameApplication();
