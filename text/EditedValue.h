// What the edit dialogs write back of a number they opened with. Their fields round what they show (a price to
// the cent, a mass to the gram), so a value the user left as it opened is written back as the file holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A number an edit dialog opened with.
struct TEditedValue {
    // As the file holds it; none for a new record, or when it could not be read.
    std::optional<std::string> Stored;
    // The field's text when the dialog opened.
    std::string Opened;
};

// What Post writes for the field's text now: the stored value while the field still shows what it opened
// with, else the text with its commas turned into points.
std::string ValueToPost(const TEditedValue& value, std::string_view text);

// The price an edit changes the stored one to: the text trimmed and with a point, when it is a number other
// than the stored one. Nothing while the field shows what it opened with, or holds no number or the stored
// number.
std::optional<std::string> ChangedPrice(const TEditedValue& value, std::string_view text);
