#include "text/StrMan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

char DecimalSeparator = '.';
char ThousandSeparator = ',';

const TStringManager StringManager;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal exponents beyond this are far outside double's range either way; clamping keeps the
// arithmetic on them from overflowing.
constexpr long ExponentLimit = 100000;

// Turns the significant digits and their decimal scale (value = digits * 10^scale) into the nearest
// double. Returns false when the value is too large for a double.
bool DigitsToDouble(const std::string& digits, long scale, double& value) {
    value = 0.0;
    if (digits.empty())
        return true;
    const long magnitude = static_cast<long>(digits.size()) + scale; // value < 10^magnitude
    if (magnitude > 310)
        return false;
    if (magnitude < -400)
        return true; // far below the smallest subnormal: rounds to zero
    const std::string text = digits + "e" + std::to_string(scale);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // The library does not say which way it left the range; the magnitude does.
        if (magnitude > 0)
            return false;
        value = 0.0;
        return true;
    }
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Positions below are 0-based indexes; the result reports them 1-based.
ParseResult Fail(std::size_t index) {
    return ParseResult{0.0, static_cast<int>(index) + 1};
}

} // namespace

ParseResult ParseNumber(std::string_view text) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == n)
        return Fail(n);
    const std::size_t numberStart = i;

    // The significant digits of integer and fraction part, leading zeros dropped; the scale counts
    // the fraction digits so that value = digits * 10^scale.
    std::string digits;
    long scale = 0;
    while (i < n && IsDigit(text[i])) {
        if (!digits.empty() || text[i] != '0')
            digits += text[i];
        ++i;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            if (!digits.empty() || text[i] != '0')
                digits += text[i];
            --scale;
            ++i;
        }
    }

    std::size_t exponentPos = std::string_view::npos;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        exponentPos = i;
        ++i;
        bool exponentNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            ++i;
        }
        if (i == n || !IsDigit(text[i]))
            return Fail(i);
        long exponent = 0;
        while (i < n && IsDigit(text[i])) {
            if (exponent < ExponentLimit)
                exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        scale += exponentNegative ? -exponent : exponent;
    }
    if (i < n)
        return Fail(i);

    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    double value = 0.0;
    if (!DigitsToDouble(digits, scale, value)) {
        // A number too large for a double is no number the program can hold. Blame the exponent,
        // or the number itself when it is written out in full.
        return Fail(exponentPos != std::string_view::npos ? exponentPos : numberStart);
    }
    return ParseResult{negative ? -value : value, 0};
}

TCharSet MakeCharSet(std::string_view members) {
    TCharSet set;
    for (char c : members)
        set.set(static_cast<unsigned char>(c));
    return set;
}

std::string FormatFixed(double value, int decimals) {
    // Such values never occur in the data; writing them as nothing is safer than a wrong text.
    if (!std::isfinite(value) || std::fabs(value) >= 1e18)
        return {};
    if (decimals < 0)
        decimals = 0;

    // 18 significant digits in the form d.ddddddddddddddddde+XX, independent of the C locale.
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 17);
    if (ec != std::errc())
        return {};
    const std::string_view form(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t ePos = form.find('e');
    if (ePos == std::string_view::npos || ePos < 1)
        return {};
    std::string mantissa(1, form[0]);
    mantissa += form.substr(2, ePos - 2);
    const int exponent = std::atoi(std::string(form.substr(ePos + 1)).c_str());

    // Mantissa digit k weighs 10^(exponent - k); keep those down to 10^-decimals, round on the next one.
    const long keep = static_cast<long>(exponent) + decimals + 1;
    std::string units; // the value in units of 10^-decimals
    bool roundUp = false;
    if (keep > 0) {
        const auto taken = static_cast<std::size_t>(std::min<long>(keep, static_cast<long>(mantissa.size())));
        units = mantissa.substr(0, taken);
        units.append(static_cast<std::size_t>(keep) - taken, '0');
        roundUp = static_cast<std::size_t>(keep) < mantissa.size() && mantissa[static_cast<std::size_t>(keep)] >= '5';
    } else {
        roundUp = keep == 0 && mantissa[0] >= '5';
    }
    if (roundUp) {
        std::size_t k = units.size();
        while (k > 0 && units[k - 1] == '9')
            units[--k] = '0';
        if (k == 0)
            units.insert(units.begin(), '1');
        else
            ++units[k - 1];
    }

    const auto firstNonZero = units.find_first_not_of('0');
    const bool isZero = firstNonZero == std::string::npos;
    units.erase(0, isZero ? units.size() : firstNonZero);
    const auto width = static_cast<std::size_t>(decimals) + 1; // at least one integer digit
    if (units.size() < width)
        units.insert(0, width - units.size(), '0');

    std::string result;
    if (value < 0 && !isZero)
        result += '-'; // a value that rounds to zero has no sign
    result.append(units, 0, units.size() - static_cast<std::size_t>(decimals));
    if (decimals > 0) {
        result += DecimalSeparator;
        result.append(units, units.size() - static_cast<std::size_t>(decimals), std::string::npos);
    }
    return result;
}

std::string TStringManager::ReplaceChars(std::string_view text, const TCharSet& set, char ch) const {
    std::string result(text);
    for (char& c : result) {
        if (set.test(static_cast<unsigned char>(c)))
            c = ch;
    }
    return result;
}

std::string TStringManager::CommaToPoint(std::string_view text) const {
    static const TCharSet comma = MakeCharSet(",");
    return ReplaceChars(text, comma, '.');
}

std::string TStringManager::FormatPadded(std::string_view mask, std::int16_t width, char fill, double value) const {
    // The masks in use are plain: the placeholders after the point give the number of decimals.
    int decimals = 0;
    const std::size_t point = mask.find('.');
    if (point != std::string_view::npos) {
        for (char c : mask.substr(point + 1)) {
            if (c == '0' || c == '#')
                ++decimals;
        }
    }
    std::string text = FormatFixed(value, decimals);
    if (width != 0)
        text = PadText(text, static_cast<std::int16_t>(-width), fill);
    return text;
}

std::string TStringManager::PadText(std::string_view text, std::int16_t width, char fill) const {
    // Widened first: the negation of -32768 does not fit in 16 bits.
    const int size = std::abs(static_cast<int>(width));
    const int missing = size - static_cast<int>(std::min<std::size_t>(text.size(), 65536));
    if (missing <= 0)
        return std::string(text);
    const std::string padding(static_cast<std::size_t>(missing), fill);
    return width < 0 ? padding + std::string(text) : std::string(text) + padding;
}

std::string TStringManager::RepeatChar(char ch, int count) const {
    return count > 0 ? std::string(static_cast<std::size_t>(count), ch) : std::string();
}

std::string TStringManager::ReplaceText(std::string_view text, std::string_view oldText,
                                        std::string_view newText) const {
    if (text.empty() || oldText.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(oldText); at != std::string_view::npos; at = text.find(oldText, from)) {
        result.append(text, from, at - from);
        result.append(newText);
        from = at + oldText.size();
    }
    result.append(text, from, std::string_view::npos);
    return result;
}

std::string TStringManager::QuoteSql(std::string_view text) const {
    return ReplaceText(text, "'", "''");
}
