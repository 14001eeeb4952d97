#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

// Sets the locale decimal separator for one test and puts "." back afterwards, also on failure.
class SeparatorScope {
public:
    explicit SeparatorScope(char separator) { DecimalSeparator = separator; }
    ~SeparatorScope() { DecimalSeparator = '.'; }
};

int ErrorPos(std::string_view text) {
    return ParseNumber(text).ErrorPos;
}

double ValueOf(std::string_view text) {
    const ParseResult r = ParseNumber(text);
    EXPECT_EQ(r.ErrorPos, 0) << "text: \"" << text << "\"";
    return r.Value;
}

std::string Cell(std::string_view mask, std::int16_t width, double value) {
    return StringManager.FormatPadded(mask, width, ' ', value);
}

} // namespace

TEST(ParseNumber, AcceptsTheStrictForm) {
    EXPECT_EQ(ValueOf("12.5"), 12.5);
    EXPECT_EQ(ValueOf("   12.50"), 12.5); // a formatted cell reads back
    EXPECT_EQ(ValueOf("+5"), 5.0);
    EXPECT_EQ(ValueOf("-0.75"), -0.75);
    EXPECT_EQ(ValueOf("1e3"), 1000.0);
    EXPECT_EQ(ValueOf("2.5E-2"), 0.025);
    EXPECT_EQ(ValueOf("1E+2"), 100.0);
    EXPECT_EQ(ValueOf(".5"), 0.5);
    EXPECT_EQ(ValueOf("12."), 12.0);
    EXPECT_EQ(ValueOf("."), 0.0);
    EXPECT_EQ(ValueOf("000123.4500"), 123.45);
    EXPECT_EQ(ValueOf("0.000001"), 1e-6);
    // Correctly rounded, like the compiler reads the same literal.
    EXPECT_EQ(ValueOf("0.1"), 0.1);
    EXPECT_EQ(ValueOf("2.675"), 2.675);
    EXPECT_EQ(ValueOf("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(ValueOf("123456789012345678901234567890"), 123456789012345678901234567890.0);
    // Too small for a double is still a number: it becomes zero or the tiny value.
    EXPECT_EQ(ValueOf("1e-400"), 0.0);
    EXPECT_EQ(ValueOf("5e-324"), std::numeric_limits<double>::denorm_min());
}

TEST(ParseNumber, ReportsTheOffendingPositionAndValueZero) {
    EXPECT_EQ(ErrorPos(""), 1);
    EXPECT_EQ(ErrorPos("   "), 4);
    EXPECT_EQ(ErrorPos("-"), 2);
    EXPECT_EQ(ErrorPos(" +"), 3);
    EXPECT_EQ(ErrorPos("1e"), 3);
    EXPECT_EQ(ErrorPos("1e+"), 4);
    EXPECT_EQ(ErrorPos("1ex"), 3);
    EXPECT_EQ(ErrorPos("1e5x"), 4);
    EXPECT_EQ(ErrorPos("12.50 "), 6);
    EXPECT_EQ(ErrorPos("12,50"), 3);
    EXPECT_EQ(ErrorPos("\t5"), 1); // only spaces are skipped
    EXPECT_EQ(ErrorPos("1.2.3"), 4);
    EXPECT_EQ(ErrorPos("--5"), 2);
    EXPECT_EQ(ErrorPos("abc"), 1);
    EXPECT_EQ(ParseNumber(StringManager.CommaToPoint("1,234.50")).ErrorPos, 6);

    EXPECT_EQ(ParseNumber("12x").Value, 0.0);
    EXPECT_EQ(ParseNumber("1e").Value, 0.0);
    EXPECT_EQ(ParseNumber("").Value, 0.0);

    // A number too large for a double fails at its exponent, or at its start when written out.
    EXPECT_EQ(ErrorPos("1e400"), 2);
    EXPECT_EQ(ErrorPos(" -2.5E99999999999999999999"), 6);
    EXPECT_EQ(ErrorPos("-" + std::string(400, '9')), 2);
    EXPECT_EQ(ParseNumber("1e400").Value, 0.0);
}

TEST(FormatPadded, WritesTheGridMasks) {
    EXPECT_EQ(Cell("####0.00", 8, 12.5), "   12.50");
    EXPECT_EQ(Cell("######0.00", 10, 3.14159), "      3.14");
    EXPECT_EQ(Cell("####0.0", 8, 123456.78), "123456.8");
    EXPECT_EQ(Cell("####0.00", 8, 0.0), "    0.00");
    EXPECT_EQ(Cell("####0.00", 8, 100000.0), "100000.00"); // longer than the field: not cut
    EXPECT_EQ(Cell("######0.0", 10, 0.5), "       0.5");
    EXPECT_EQ(Cell("####0.00", 8, 0.05), "    0.05");
    EXPECT_EQ(Cell("####0.00", 8, -12.5), "  -12.50");
    EXPECT_EQ(Cell("####0.00", 0, 7.0), "7.00");
    EXPECT_EQ(StringManager.FormatPadded("####0.0", 8, '*', 1.25), "*****1.3");
    // Masses to the gram.
    EXPECT_EQ(Cell("####0.000", 8, 12.3456), "  12.346");
    EXPECT_EQ(Cell("####0.000", 8, 0.02), "   0.020");
    EXPECT_EQ(Cell("####0.000", 8, 0.0005), "   0.001");
    EXPECT_EQ(Cell("####0.000", 8, 123456.0), "123456.000");
}

TEST(FormatPadded, RoundsFromEighteenDigits) {
    EXPECT_EQ(FormatFixed(2.675, 2), "2.67"); // 2.67499999999999982
    EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
    EXPECT_EQ(FormatFixed(0.25, 1), "0.3");
    EXPECT_EQ(FormatFixed(-0.125, 2), "-0.13"); // away from zero
    EXPECT_EQ(FormatFixed(9.995, 2), "9.99");   // 9.99499999999999922
    EXPECT_EQ(FormatFixed(9.96, 1), "10.0");
    EXPECT_EQ(FormatFixed(99999.96, 1), "100000.0");
    EXPECT_EQ(FormatFixed(0.96, 0), "1");
    EXPECT_EQ(FormatFixed(0.005, 2), "0.01");
    EXPECT_EQ(FormatFixed(0.004, 2), "0.00");
    EXPECT_EQ(FormatFixed(1e-9, 2), "0.00");
    EXPECT_EQ(FormatFixed(123456789012.345, 2), "123456789012.35");
    // Rounded to zero: no minus sign.
    EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.0, 1), "0.0");
    EXPECT_EQ(FormatFixed(-1e-30, 2), "0.00");
    // Values the program cannot write give an empty text, which the field pads.
    EXPECT_EQ(FormatFixed(std::nan(""), 2), "");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 2), "");
    EXPECT_EQ(Cell("####0.00", 8, std::nan("")), "        ");
}

TEST(FormatPadded, UsesTheLocaleSeparatorAndReadsBack) {
    const SeparatorScope comma(',');
    const std::string cell = Cell("####0.00", 8, 12.5);
    EXPECT_EQ(cell, "   12,50");
    EXPECT_EQ(ErrorPos(cell), 6); // the parser itself takes only "."
    EXPECT_EQ(ValueOf(StringManager.CommaToPoint(cell)), 12.5);
    EXPECT_EQ(Cell("####0.0", 8, -3.25), "    -3,3");
    EXPECT_EQ(FormatFixed(2.5, 0), "3"); // no separator without decimals
}

TEST(TextHelpers, PadRepeatAndReplaceChars) {
    EXPECT_EQ(StringManager.PadText("ab", -5, '.'), "...ab");
    EXPECT_EQ(StringManager.PadText("ab", 5, '.'), "ab...");
    EXPECT_EQ(StringManager.PadText("abcdef", 3, ' '), "abcdef");
    EXPECT_EQ(StringManager.PadText("abcdef", -3, ' '), "abcdef");
    EXPECT_EQ(StringManager.PadText("abc", 0, ' '), "abc");
    EXPECT_EQ(StringManager.PadText("", -32768, ' ').size(), 32768u);
    EXPECT_EQ(StringManager.PadText("", 32767, ' ').size(), 32767u);

    EXPECT_EQ(StringManager.RepeatChar(' ', 8), "        ");
    EXPECT_EQ(StringManager.RepeatChar('x', 0), "");
    EXPECT_EQ(StringManager.RepeatChar('x', -3), "");

    EXPECT_EQ(StringManager.CommaToPoint(" -1,5 e,"), " -1.5 e.");
    EXPECT_EQ(StringManager.ReplaceChars("a-b+c", MakeCharSet("-+"), '_'), "a_b_c");
    EXPECT_EQ(StringManager.ReplaceChars("\xE9t\xE9", MakeCharSet("\xE9"), 'e'), "ete");
}

TEST(TextHelpers, ReplaceTextAndQuoteSql) {
    EXPECT_EQ(StringManager.QuoteSql("O'Neil"), "O''Neil");
    EXPECT_EQ(StringManager.QuoteSql("a''b"), "a''''b");
    EXPECT_EQ(StringManager.QuoteSql("'"), "''");
    EXPECT_EQ(StringManager.QuoteSql("plain"), "plain");

    EXPECT_EQ(StringManager.ReplaceText("aaa", "aa", "b"), "ba");           // matches never overlap
    EXPECT_EQ(StringManager.ReplaceText("abab", "ab", "abab"), "abababab"); // inserted text not rescanned
    EXPECT_EQ(StringManager.ReplaceText("a.b.c", ".", ""), "abc");
    EXPECT_EQ(StringManager.ReplaceText("Abc abc", "abc", "x"), "Abc x"); // case-sensitive
    EXPECT_EQ(StringManager.ReplaceText("", "a", "b"), "");
    EXPECT_EQ(StringManager.ReplaceText("abc", "", "x"), "abc");

    const std::string name = "it's";
    EXPECT_EQ(StringManager.QuoteSql(name), "it''s");
    EXPECT_EQ(name, "it's"); // the argument is left alone
}

TEST(TextHelpers, UpperCaseAndTrim) {
    EXPECT_EQ(UpperCase("Salt, fine-grain 2b"), "SALT, FINE-GRAIN 2B");
    EXPECT_EQ(UpperCase("cr\xC3\xA8me \xE9"), "CR\xC3\xA8ME \xE9"); // UTF-8 and 8-bit letters untouched
    EXPECT_EQ(Trim("\t  water \r\n"), "water");
    EXPECT_EQ(Trim(" \x01 "), "");
    EXPECT_EQ(Trim("a b"), "a b");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0"); // high bytes are not blanks
}

namespace {

// The rule written the slow, obvious way: the 18 significant digits as the C library prints them, then
// rounding at the last decimal by the next digit only.
std::string ByTheRule(double value, int decimals) {
    char form[64];
    std::snprintf(form, sizeof form, "%.17e", std::fabs(value));
    std::string digits(1, form[0]);
    digits += std::string(form + 2, form + 19);
    const int exponent = std::atoi(form + 20);
    std::string units;
    const int keep = exponent + decimals + 1;
    for (int k = 0; k < keep; ++k)
        units += k < 18 ? digits[static_cast<std::size_t>(k)] : '0';
    const bool up = keep >= 0 && keep < 18 && digits[static_cast<std::size_t>(keep)] >= '5';
    // A spare digit in front takes the carry of the rounding.
    std::string number = "0" + units;
    if (up) {
        std::size_t k = number.size();
        while (number[k - 1] == '9')
            number[--k] = '0';
        ++number[k - 1];
    }
    const auto width = static_cast<std::size_t>(decimals) + 1;
    if (number.size() < width)
        number = std::string(width - number.size(), '0') + number;
    number = number.substr(std::min(number.find_first_not_of('0'), number.size() - width));
    const bool zero = number.find_first_not_of('0') == std::string::npos;
    const std::size_t point = number.size() - static_cast<std::size_t>(decimals);
    std::string text = value < 0 && !zero ? "-" : "";
    text.append(number, 0, point);
    if (decimals > 0)
        text.append(1, '.').append(number, point);
    return text;
}

TEST(FormatPadded, NumbersOfAnySizeAreWrittenInDigits) {
    EXPECT_EQ(Cell("####0.000", 8, 1e18), "1000000000000000000.000");
    EXPECT_EQ(FormatFixed(-1e18, 1), "-1000000000000000000.0");
    for (double value : {9.87654321e17, 1.5e19, 1e300, std::numeric_limits<double>::max()}) {
        for (int decimals : {0, 3, 30}) {
            EXPECT_EQ(FormatFixed(value, decimals), ByTheRule(value, decimals)) << value;
            EXPECT_EQ(FormatFixed(-value, decimals), ByTheRule(-value, decimals)) << value;
        }
    }
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 30).size(), 309u + 1 + 30);
}

TEST(FormatPadded, ANegativeWidthLeftAligns) {
    EXPECT_EQ(StringManager.FormatPadded("####0.00", -8, ' ', 12.5), "12.50   ");
    EXPECT_EQ(StringManager.FormatPadded("####0.00", 8, '*', 12.5), "***12.50");
}

TEST(FormatPadded, EveryPriceAndMassFollowsTheRule) {
    // Prices and masses as they are typed, and values no one types, across the range a list holds.
    std::uint64_t state = 88172645463325252ULL;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t r = next();
        double value = 0;
        if (i % 4 == 3) {
            // m / 2^18 with m odd has 19 significant digits ending in 5: a tie at the eighteenth.
            value = std::ldexp(static_cast<double>((r % 2000000) | 1) + 262144, -18);
        } else if (i % 2 == 0) {
            const std::string typed = std::to_string(r % 100000000) + "e-" + std::to_string(r % 7);
            value = ParseNumber(typed).Value;
        } else {
            value = std::ldexp(static_cast<double>(r >> 11), -static_cast<int>(r % 90) - 10);
        }
        for (int decimals : {1, 2, 3, 16}) {
            ASSERT_EQ(FormatFixed(value, decimals), ByTheRule(value, decimals)) << value;
            ASSERT_EQ(FormatFixed(-value, decimals), ByTheRule(-value, decimals)) << value;
        }
        ASSERT_EQ(ParseNumber(ByTheRule(value, 3)).Value, std::strtod(ByTheRule(value, 3).c_str(), nullptr));
    }
}

} // namespace
