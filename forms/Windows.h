// The program's windows, created once for the whole run in their fixed order.
#pragma once

void CreateWindows();
