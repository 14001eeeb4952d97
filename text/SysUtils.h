// The application's general exception type: every handler that touches the database catches it
// and shows its message; what escapes a handler reaches the general error display.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// Raised when a field's text cannot be read as a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Upper-cases the letters a to z only; every other byte stays as it is.
std::string UpperCase(std::string text);

// Removes leading and trailing characters with codes up to 32.
std::string Trim(std::string_view text);
