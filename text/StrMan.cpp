#include "text/StrMan.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
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

constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Digits up to 2^53 scaled by an exact power of ten: one IEEE operation, so correctly rounded. Every price
// and mass of a list load takes this way.
bool ShortDigitsToDouble(std::uint64_t digits, long scale, double& value) {
    if (digits > (std::uint64_t{1} << 53) || scale < -22 || scale > 22)
        return false;
    const auto d = static_cast<double>(digits);
    value = scale < 0 ? d / ExactPowersOfTen[-scale] : d * ExactPowersOfTen[scale];
    return true;
}

constexpr std::uint64_t Pow10[20] = {1ULL,
                                     10ULL,
                                     100ULL,
                                     1000ULL,
                                     10000ULL,
                                     100000ULL,
                                     1000000ULL,
                                     10000000ULL,
                                     100000000ULL,
                                     1000000000ULL,
                                     10000000000ULL,
                                     100000000000ULL,
                                     1000000000000ULL,
                                     10000000000000ULL,
                                     100000000000000ULL,
                                     1000000000000000ULL,
                                     10000000000000000ULL,
                                     100000000000000000ULL,
                                     1000000000000000000ULL,
                                     10000000000000000000ULL};

// The exact arithmetic below needs a 128-bit integer; where the compiler has none (or a build turns it off
// to test the other way), every value takes the general way, which gives the same text.
#if defined(__SIZEOF_INT128__) && !defined(BRIVANE_NO_INT128)
// The 18 significant digits of v (as an integer of 18 digits) and the decimal exponent of the first,
// correctly rounded (half to even) from v's exact binary value, without text. For the values of prices and
// masses only; false sends the caller to the general way.
bool EighteenDigits(double v, std::uint64_t& digits, int& exponent) {
    if (!(v >= 1e-5 && v < 1e15))
        return false;
    // v = mantissa / 2^shift with a 53-bit mantissa, read from the bits (v is normal in this range).
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1022; // as frexp gives it
    const int shift = 53 - binaryExponent;                                    // > 0 in this range
    // log10(2) is a little over 0.30103: a first guess of the decimal exponent, put right below.
    // In this range the exponent lies in -5 to 14, so 10^k below stays within 10^22 and mantissa * 10^k
    // within 128 bits.
    int p = std::clamp((binaryExponent - 1) * 30103 / 100000 - (binaryExponent < 1 ? 1 : 0), -5, 14);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int k = 17 - p;
        if (k < 3 || k > 22)
            return false;
        const unsigned __int128 scaled = k <= 19 ? static_cast<unsigned __int128>(mantissa) * Pow10[k]
                                                 : static_cast<unsigned __int128>(mantissa * Pow10[k - 19]) * Pow10[19];
        unsigned __int128 q = scaled >> shift;
        const unsigned __int128 rest = scaled - (q << shift);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1)))
            ++q;
        if (q < Pow10[17]) {
            --p;
            continue;
        }
        if (q >= Pow10[18]) {
            if (q == Pow10[18]) { // rounded up to the next power of ten
                digits = Pow10[17];
                exponent = p + 1;
                return true;
            }
            ++p;
            continue;
        }
        digits = static_cast<std::uint64_t>(q);
        exponent = p;
        return true;
    }
    return false;
}
#else
bool EighteenDigits(double, std::uint64_t&, int&) {
    return false;
}
#endif

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
    // Up to 19 digits are held as an integer; only longer numbers are held as text.
    std::size_t count = 0;
    std::uint64_t shortDigits = 0;
    std::string digits;
    long scale = 0;
    const auto take = [&](char c) {
        if (count == 0 && c == '0')
            return;
        if (++count <= 19) {
            shortDigits = shortDigits * 10 + static_cast<std::uint64_t>(c - '0');
            return;
        }
        if (count == 20)
            digits = std::to_string(shortDigits);
        digits += c;
    };
    while (i < n && IsDigit(text[i]))
        take(text[i++]);
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            take(text[i++]);
            --scale;
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

    double value = 0.0;
    if (count <= 19) {
        while (count > 0 && shortDigits % 10 == 0) {
            shortDigits /= 10;
            --count;
            ++scale;
        }
        if (ShortDigitsToDouble(shortDigits, scale, value))
            return ParseResult{negative ? -value : value, 0};
        digits = count ? std::to_string(shortDigits) : std::string();
    } else {
        while (!digits.empty() && digits.back() == '0') {
            digits.pop_back();
            ++scale;
        }
    }
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

namespace {

// Room for the longest fixed-point text: the 309 integer digits of the largest double, a sign, the
// separator and 30 decimals.
constexpr std::size_t FixedTextSize = 352;

// FormatFixed into out (room for FixedTextSize characters); returns the length, 0 when the value cannot
// be written.
std::size_t FormatFixedChars(double value, int decimals, char* out) {
    // Infinity and not-a-number have no digits; writing them as nothing is safer than a wrong text.
    if (!std::isfinite(value))
        return 0;
    decimals = std::clamp(decimals, 0, 30);

    // 18 significant digits in the form d.ddddddddddddddddde+XX, independent of the C locale. Every list
    // load formats a column this way, so the work stays in fixed buffers.
    char mantissa[18];
    std::size_t digits = 0;
    int exponent = 0;
    std::uint64_t fast = 0;
    if (EighteenDigits(std::fabs(value), fast, exponent)) {
        // The usual case, in integers: the digits kept, and the next one for rounding.
        const long kept = static_cast<long>(exponent) + decimals + 1;
        if (kept <= 18) {
            std::uint64_t units = 0;
            bool up = false;
            if (kept > 0) {
                units = fast / Pow10[18 - kept];
                up = kept < 18 && (fast / Pow10[17 - kept]) % 10 >= 5;
            } else {
                up = kept == 0 && fast / Pow10[17] >= 5;
            }
            units += up ? 1 : 0;
            char reversed[24];
            std::size_t count = 0;
            do {
                reversed[count++] = static_cast<char>('0' + units % 10);
                units /= 10;
            } while (units > 0);
            const bool isZero = count == 1 && reversed[0] == '0';
            while (count < static_cast<std::size_t>(decimals) + 1)
                reversed[count++] = '0';
            std::size_t length = 0;
            if (value < 0 && !isZero)
                out[length++] = '-';
            for (std::size_t k = count; k > 0; --k) {
                if (k == static_cast<std::size_t>(decimals) && decimals > 0)
                    out[length++] = DecimalSeparator;
                out[length++] = reversed[k - 1];
            }
            return length;
        }
        auto high = static_cast<std::uint32_t>(fast / 1000000000);
        auto low = static_cast<std::uint32_t>(fast % 1000000000);
        for (std::size_t k = 9; k > 0; --k, high /= 10, low /= 10) {
            mantissa[k - 1] = static_cast<char>('0' + high % 10);
            mantissa[k + 8] = static_cast<char>('0' + low % 10);
        }
        digits = sizeof mantissa;
    } else {
        char form[64];
        const auto [end, ec] =
            std::to_chars(form, form + sizeof form, std::fabs(value), std::chars_format::scientific, 17);
        if (ec != std::errc())
            return 0;
        const char* e = std::find(form, end, 'e');
        if (e == end || e - form < 3)
            return 0;
        mantissa[digits++] = form[0];
        for (const char* p = form + 2; p < e && digits < sizeof mantissa; ++p)
            mantissa[digits++] = *p;
        std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    }

    // Mantissa digit k weighs 10^(exponent - k); keep those down to 10^-decimals, round on the next one.
    const long keep = static_cast<long>(exponent) + decimals + 1;
    char units[FixedTextSize]; // the value in units of 10^-decimals, one spare place in front for a carry
    std::size_t count = 0;
    units[count++] = '0';
    bool roundUp = false;
    if (keep > 0) {
        const auto taken = static_cast<std::size_t>(std::min<long>(keep, static_cast<long>(digits)));
        for (std::size_t k = 0; k < taken; ++k)
            units[count++] = mantissa[k];
        for (long k = static_cast<long>(taken); k < keep; ++k)
            units[count++] = '0';
        roundUp = static_cast<std::size_t>(keep) < digits && mantissa[keep] >= '5';
    } else {
        roundUp = keep == 0 && mantissa[0] >= '5';
    }
    if (roundUp) {
        std::size_t k = count;
        while (units[k - 1] == '9')
            units[--k] = '0';
        ++units[k - 1];
    }

    // At least one integer digit; leading zeros go.
    const auto width = static_cast<std::size_t>(decimals) + 1;
    if (count < width) {
        const std::size_t shift = width - count;
        std::memmove(units + shift, units, count);
        std::fill(units, units + shift, '0');
        count = width;
    }
    std::size_t first = 0;
    while (first + width < count && units[first] == '0')
        ++first;
    bool isZero = true;
    for (std::size_t k = first; k < count; ++k)
        isZero = isZero && units[k] == '0';

    std::size_t length = 0;
    if (value < 0 && !isZero)
        out[length++] = '-'; // a value that rounds to zero has no sign
    const std::size_t point = count - static_cast<std::size_t>(decimals);
    std::memcpy(out + length, units + first, point - first);
    length += point - first;
    if (decimals > 0) {
        out[length++] = DecimalSeparator;
        std::memcpy(out + length, units + point, static_cast<std::size_t>(decimals));
        length += static_cast<std::size_t>(decimals);
    }
    return length;
}

} // namespace

std::string FormatFixed(double value, int decimals) {
    char text[FixedTextSize];
    return std::string(text, FormatFixedChars(value, decimals, text));
}

std::string TStringManager::ReplaceChars(std::string_view text, const TCharSet& set, char ch) const {
    std::string result(text);
    for (char& c : result) {
        if (set.test(static_cast<unsigned char>(c)))
            c = ch;
    }
    return result;
}

std::string LocaleToPoint(std::string_view text) {
    std::string plain(text);
    for (char& c : plain) {
        if (c == DecimalSeparator)
            c = '.';
        else if (c == '.')
            c = ',';
    }
    return plain;
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
    // Formatted and padded in one buffer: every list load does this once per row.
    char text[FixedTextSize];
    const std::size_t length = FormatFixedChars(value, decimals, text);
    const std::size_t size = width == 0 ? 0 : static_cast<std::size_t>(std::abs(static_cast<int>(width)));
    if (length >= size)
        return std::string(text, length);
    // A positive width right-aligns the number; a negative one left-aligns it, as PadText does the reverse.
    std::string result;
    result.reserve(size);
    if (width > 0)
        result.append(size - length, fill);
    result.append(text, length);
    if (width < 0)
        result.append(size - length, fill);
    return result;
}

std::string TStringManager::PadText(std::string_view text, std::int16_t width, char fill) const {
    // Widened first: the negation of -32768 does not fit in 16 bits.
    const int size = std::abs(static_cast<int>(width));
    const int missing = size - static_cast<int>(std::min<std::size_t>(text.size(), 65536));
    if (missing <= 0)
        return std::string(text);
    std::string result;
    result.reserve(static_cast<std::size_t>(size));
    if (width < 0)
        result.append(static_cast<std::size_t>(missing), fill);
    result.append(text);
    if (width > 0)
        result.append(static_cast<std::size_t>(missing), fill);
    return result;
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
