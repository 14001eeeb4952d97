#include "text/Fold.h"

#include "text/Encoding.h"
#include "text/SysUtils.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

icu::UnicodeString FromUtf8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string ToUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// The Latin letters that carry no accent Unicode could take off, yet stand for one or two base letters.
struct TSpelledLetter {
    char32_t Letter;
    const char* Lower;
    const char* Upper;
};
constexpr TSpelledLetter SpelledLetters[] = {{U'\u00DF', "ss", "SS"}, {U'\u1E9E', "ss", "SS"}, {U'\u00E6', "ae", "AE"},
                                             {U'\u00C6', "ae", "AE"}, {U'\u0153', "oe", "OE"}, {U'\u0152', "oe", "OE"},
                                             {U'\u00F8', "o", "O"},   {U'\u00D8', "o", "O"},   {U'\u0111', "d", "D"},
                                             {U'\u0110', "d", "D"},   {U'\u0142', "l", "L"},   {U'\u0141', "l", "L"},
                                             {U'\u0127', "h", "H"},   {U'\u0126', "h", "H"},   {U'\u0167', "t", "T"},
                                             {U'\u0166', "t", "T"},   {U'\u0131', "i", "I"}};

const TSpelledLetter* Spelled(char32_t c) {
    const auto found = std::find_if(std::begin(SpelledLetters), std::end(SpelledLetters),
                                    [c](const TSpelledLetter& letter) { return letter.Letter == c; });
    return found == std::end(SpelledLetters) ? nullptr : found;
}

bool IsLatin(char32_t c) {
    UErrorCode error = U_ZERO_ERROR;
    return uscript_getScript(static_cast<UChar32>(c), &error) == USCRIPT_LATIN && U_SUCCESS(error);
}

bool IsMark(char32_t c) {
    return u_charType(static_cast<UChar32>(c)) == U_NON_SPACING_MARK;
}

// The letter an accented Latin letter is written on, in its own case (é -> e, Ǻ -> A, ß -> ss), or
// nothing for any other character.
std::optional<std::string> BaseLetter(char32_t c, bool capital) {
    if (const TSpelledLetter* letter = Spelled(c))
        return capital ? letter->Upper : letter->Lower;
    if (c < 0x80 || !IsLatin(c))
        return std::nullopt;
    UErrorCode error = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(error);
    icu::UnicodeString decomposed;
    if (U_FAILURE(error) || !nfd->getDecomposition(static_cast<UChar32>(c), decomposed) || decomposed.isEmpty())
        return std::nullopt;
    const auto base = static_cast<char32_t>(decomposed.char32At(0));
    // Ǣ is Æ with a macron: the base is spelt out in turn.
    if (const TSpelledLetter* letter = Spelled(base))
        return capital ? letter->Upper : letter->Lower;
    std::string out;
    AppendUtf8(out, capital && base >= 'a' && base <= 'z' ? base - 'a' + 'A' : base);
    return out;
}

// The code point of a Windows-1252 byte.
char32_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? char32_t(Windows1252High[byte - 0x80]) : char32_t(byte);
}

// The Windows-1252 byte of a code point, or nothing when that encoding lacks it.
std::optional<char> ToWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    const auto found = std::find(std::begin(Windows1252High), std::end(Windows1252High), c);
    if (found == std::end(Windows1252High))
        return std::nullopt;
    return static_cast<char>(0x80 + (found - std::begin(Windows1252High)));
}

// Replaces the accented Latin letters of UTF-8 text by their base letters; a combining accent after a Latin
// letter (an accent typed apart from its letter) goes with it.
std::string WithBaseLetters(std::string_view text, bool capital) {
    std::string out;
    out.reserve(text.size());
    bool afterLatin = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        const char32_t c = CodePointAt(text, at, length);
        const std::string_view bytes = text.substr(at, length);
        at += length;
        if (c < 0x80) {
            out += bytes;
            afterLatin = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            continue;
        }
        if (afterLatin && IsMark(c))
            continue;
        if (const auto base = BaseLetter(c, capital)) {
            out += *base;
            afterLatin = true;
            continue;
        }
        out += bytes;
        afterLatin = IsLatin(c);
    }
    return out;
}

} // namespace

std::string CaseFolded(std::string_view name) {
    if (IsAscii(name)) {
        std::string folded(name);
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return folded;
    }
    return ToUtf8(FromUtf8(AsUtf8(name)).foldCase(U_FOLD_CASE_DEFAULT));
}

std::string SearchFolded(std::string_view name) {
    const std::string folded = CaseFolded(name);
    return IsAscii(folded) ? folded : WithBaseLetters(folded, false);
}

std::string UpperName(std::string_view name) {
    if (IsAscii(name))
        return UpperCase(std::string(name));
    if (IsUtf8(name))
        return ToUtf8(FromUtf8(name).toUpper(icu::Locale::getRoot()));
    // Windows-1252 letter by letter; a capital that encoding lacks (that of µ) leaves the letter as it is.
    std::string out;
    out.reserve(name.size());
    for (const char byte : name) {
        icu::UnicodeString letter(static_cast<UChar32>(FromWindows1252(static_cast<unsigned char>(byte))));
        letter.toUpper(icu::Locale::getRoot());
        std::string upper;
        for (int32_t i = 0; i < letter.length(); i = letter.moveIndex32(i, 1)) {
            const auto encoded = ToWindows1252(static_cast<char32_t>(letter.char32At(i)));
            if (!encoded) {
                upper.assign(1, byte);
                break;
            }
            upper += *encoded;
        }
        out += upper;
    }
    return out;
}

std::string SortKey(std::string_view name) {
    if (IsAscii(name))
        return std::string(name);
    if (IsUtf8(name))
        return WithBaseLetters(name, true);
    std::string out;
    out.reserve(name.size());
    for (const char byte : name) {
        const char32_t c = FromWindows1252(static_cast<unsigned char>(byte));
        const auto base = c < 0x80 ? std::nullopt : BaseLetter(c, true);
        if (base)
            out += *base;
        else
            out += byte;
    }
    return out;
}

std::vector<std::size_t> ReadingOrder(const std::vector<std::string>& names) {
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string& name : names)
        keys.push_back(SortKey(name));
    std::vector<std::size_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&keys, &names](std::size_t a, std::size_t b) {
        if (const int byKey = keys[a].compare(keys[b]))
            return byKey < 0;
        return names[a] < names[b];
    });
    return order;
}

void SortForReading(std::vector<std::string>& names) {
    const std::vector<std::size_t> order = ReadingOrder(names);
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

std::string TypedName(std::string_view typed, const std::function<bool(const std::string&)>& stored) {
    std::string plain = UpperCase(std::string(typed));
    if (!IsUtf8(typed))
        return plain;
    std::string upper = UpperName(typed);
    if (upper != plain && !stored(upper) && stored(plain))
        return plain;
    return upper;
}
