#include "database/RealText.h"

#include <cmath>

// SQLite's own printf, not the C library's: it scales the value into [1, 10) with long double arithmetic, adds
// half a unit of the 15th digit and reads the digits off one by one. Each step below is the same operation on
// the same types, so the digits come out the same, the last one included.
std::string SQLiteRealText(double value) {
    if (std::isnan(value))
        return "NaN";
    long double rest = value;
    const bool negative = rest < 0.0L;
    if (negative)
        rest = -rest;
    // Half a unit of the 15th significant digit, computed in double as SQLite does (5e-5, then times 1e-10).
    const double rounder = 5.0e-05 * 1.0e-10;
    int exponent = 0;
    if (rest > 0.0L) {
        long double scale = 1.0L;
        while (rest >= 1e100 * scale && exponent <= 350) {
            scale *= 1e100;
            exponent += 100;
        }
        while (rest >= 1e10 * scale && exponent <= 350) {
            scale *= 1e10;
            exponent += 10;
        }
        while (rest >= 10.0 * scale && exponent <= 350) {
            scale *= 10.0;
            ++exponent;
        }
        rest /= scale;
        while (rest < 1e-8) {
            rest *= 1e8;
            exponent -= 8;
        }
        while (rest < 1.0) {
            rest *= 10.0;
            --exponent;
        }
        if (exponent > 350)
            return negative ? "-Inf" : "Inf";
    }
    rest += rounder;
    if (rest >= 10.0) {
        rest *= 0.1;
        ++exponent;
    }

    // 15 significant digits: one before the point and 14 after in exponent form, else as many after the point
    // as the integer part leaves.
    int precision = 14;
    const bool scientific = exponent < -4 || exponent > precision;
    if (!scientific)
        precision -= exponent;
    int whole = scientific ? 0 : exponent;
    int digitsLeft = 26;
    const auto nextDigit = [&rest, &digitsLeft]() -> char {
        if (digitsLeft <= 0)
            return '0';
        --digitsLeft;
        const int digit = static_cast<int>(rest);
        rest = (rest - static_cast<long double>(digit)) * 10.0;
        return static_cast<char>('0' + digit);
    };

    std::string text;
    if (negative)
        text += '-';
    if (whole < 0)
        text += '0';
    else
        for (; whole >= 0; --whole)
            text += nextDigit();
    text += '.';
    for (++whole; whole < 0; --precision, ++whole)
        text += '0';
    while (precision-- > 0)
        text += nextDigit();
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text += '0';
    if (scientific) {
        int shown = exponent;
        text += 'e';
        text += shown < 0 ? '-' : '+';
        if (shown < 0)
            shown = -shown;
        if (shown >= 100) {
            text += static_cast<char>('0' + shown / 100);
            shown %= 100;
        }
        text += static_cast<char>('0' + shown / 10);
        text += static_cast<char>('0' + shown % 10);
    }
    return text;
}
