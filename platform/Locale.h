// The regional settings, read once at start.
#pragma once

// Takes the decimal and thousands separators from the user's locale; a separator that is not one
// 8-bit character falls back to "." and ",".
void ReadRegionalSettings();
