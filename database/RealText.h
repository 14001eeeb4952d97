// The text SQLite gives for a REAL value, so that numbers read from another engine look the same everywhere.
#pragma once

#include <string>

// value as SQLite 3.40 writes a REAL as text ("%!.15g" of its own printf): 15 significant digits, trailing zeros
// dropped but at least one digit after the point ("25.0", "0.5", "1.0e+20", "1.7e+308"), "Inf" and "-Inf" for
// the infinities. SQLite holds no NaN (it stores NULL instead); one here gives "NaN".
std::string SQLiteRealText(double value);
