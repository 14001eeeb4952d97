// The regional settings, read once at start.
#pragma once

#include <QLocale>

// Takes the decimal and thousands separators from the locale (the user's by default). A decimal separator
// that is not one 8-bit character falls back to "."; a grouping mark that is not one byte (a no-break
// space) becomes a blank; a locale without a grouping mark gets none. The two are never the same.
void ReadRegionalSettings(const QLocale& locale = QLocale::system());
