// Character encodings of the texts the program reads: names and files come as UTF-8 or as 8-bit
// Windows-1252 bytes, and must compare alike whichever they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The code points of the bytes 0x80 to 0x9F in Windows-1252; its five unassigned bytes keep the C1
// control of the same value, so two texts that differ in one byte never read alike.
extern const char16_t Windows1252High[32];

// True when text is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text);

// Windows-1252 bytes as UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

// Valid UTF-8 as it is, anything else read as Windows-1252: the way every name is shown.
std::string AsUtf8(std::string_view text);

// Appends code point c as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The code point that starts at text[at], and its length in bytes; a byte that starts no well-formed
// sequence is one replacement character, U+FFFD.
char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t& length);
