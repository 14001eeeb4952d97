#include "text/Encoding.h"

const char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

namespace {

// The length of the well-formed sequence at text[at], or 0 when none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const std::size_t left = text.size() - at;
    const unsigned char b0 = byte(0);
    if (b0 < 0x80)
        return 1;
    const auto continuation = [&](std::size_t i) { return i < left && (byte(i) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return continuation(1) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (!continuation(1) || !continuation(2))
            return 0;
        // No overlong forms, no surrogates.
        if ((b0 == 0xE0 && byte(1) < 0xA0) || (b0 == 0xED && byte(1) >= 0xA0))
            return 0;
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3))
            return 0;
        if ((b0 == 0xF0 && byte(1) < 0x90) || (b0 == 0xF4 && byte(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

} // namespace

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        // Runs of ASCII are the common case.
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(text, i);
        if (!length)
            return false;
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else
            AppendUtf8(out, byte < 0xA0 ? Windows1252High[byte - 0x80] : char32_t(byte));
    }
    return out;
}

std::string AsUtf8(std::string_view text) {
    return IsUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t& length) {
    const auto b = [&](std::size_t i) { return char32_t(static_cast<unsigned char>(text[at + i])); };
    length = SequenceLength(text, at);
    switch (length) {
    case 2:
        return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
        return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    case 1:
        return b(0);
    default:
        length = 1;
        return 0xFFFD;
    }
}
