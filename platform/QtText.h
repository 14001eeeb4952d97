// Text is bytes outside a widget; it becomes a QString only where it is drawn or typed.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Valid UTF-8 as it is; anything else is a name that a file holds as 8-bit Windows-1252 bytes and is read
// as such, so that it shows right. Every byte value shows as a character of its own.
QString ToQt(std::string_view text);
inline QString ToQt(const std::string& text) {
    return ToQt(std::string_view(text));
}
inline QString ToQt(const char* text) {
    return ToQt(std::string_view(text));
}
// How many characters text shows as: a UTF-8 sequence is one, so is each byte of a Windows-1252 name, and
// a letter with its combining accents is one.
int ShownLength(std::string_view text);
// What the user typed, as UTF-8.
inline std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}
// The text as Windows-1252 bytes, the reverse of ToQt for text that a file holds in that encoding; nothing when a
// character has no byte there.
std::optional<std::string> ToWindows1252(QStringView text);
