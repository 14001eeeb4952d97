#include "text/EditedValue.h"

#include "text/StrMan.h"
#include "text/SysUtils.h"

std::string ValueToPost(const TEditedValue& value, std::string_view text) {
    if (value.Stored && text == value.Opened)
        return *value.Stored;
    return StringManager.CommaToPoint(text);
}

std::optional<std::string> ChangedPrice(const TEditedValue& value, std::string_view text) {
    if (value.Stored && text == value.Opened)
        return std::nullopt;
    const std::string price = Trim(StringManager.CommaToPoint(text));
    const ParseResult typed = ParseNumber(price);
    if (price.empty() || typed.ErrorPos)
        return std::nullopt;
    if (value.Stored && !value.Stored->empty()) {
        const ParseResult stored = ParseNumber(*value.Stored);
        if (!stored.ErrorPos && stored.Value == typed.Value)
            return std::nullopt;
    }
    return price;
}
