// Number text: how numbers travel between grid cells, fields and SQL text, and how names reach SQL.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// The locale's separators, read from the user's regional settings at start. Until then "." and ",".
// A thousands separator of '\0' means the locale groups no digits.
extern char DecimalSeparator;
extern char ThousandSeparator;

struct ParseResult {
    double Value = 0.0; // 0 on failure
    int ErrorPos = 0;   // 0 on success, else the 1-based position of the offending character
};

// The strict decimal parser: leading spaces, optional sign, digits, optional "." and digits,
// optional exponent, and nothing after it.
ParseResult ParseNumber(std::string_view text);

// A number as the user types it, for ParseNumber: the locale's decimal separator becomes ".", and a "." that is
// not the separator becomes ",", so that it fails instead of passing for a decimal point.
std::string LocaleToPoint(std::string_view text);

using TCharSet = std::bitset<256>;
TCharSet MakeCharSet(std::string_view members);

class TStringManager {
public:
    std::string ReplaceChars(std::string_view text, const TCharSet& set, char ch) const;
    std::string CommaToPoint(std::string_view text) const;
    // Formats value with one of the masks "####0.00", "####0.0", "####0.000", "######0.0", "######0.00" (the
    // placeholders after the point give the decimals; the integer part is written in full, whatever its size)
    // and pads it on the left to width characters (a longer text is never cut).
    std::string FormatPadded(std::string_view mask, std::int16_t width, char fill, double value) const;
    // Right-aligns (width < 0) or left-aligns (width > 0) text in |width| characters; never cuts.
    std::string PadText(std::string_view text, std::int16_t width, char fill) const;
    std::string RepeatChar(char ch, int count) const;
    std::string ReplaceText(std::string_view text, std::string_view oldText, std::string_view newText) const;
    // Doubles every apostrophe, so a name goes into SQL as one string literal.
    std::string QuoteSql(std::string_view text) const;
};

extern const TStringManager StringManager;

// Fixed-point text of value with the given number of decimals and the locale decimal separator,
// rounded from its 18 significant digits half away from zero. Empty for infinity and not-a-number.
std::string FormatFixed(double value, int decimals);
