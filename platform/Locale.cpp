#include "Locale.h"

#include "text/StrMan.h"

#include <optional>

namespace {
std::optional<char> SingleByte(const QString& text) {
    if (text.size() != 1 || text.at(0).unicode() > 0x7f)
        return std::nullopt;
    return static_cast<char>(text.at(0).unicode());
}
} // namespace

void ReadRegionalSettings(const QLocale& locale) {
    DecimalSeparator = SingleByte(locale.decimalPoint()).value_or('.');
    const QString group = locale.groupSeparator();
    char thousands = '\0';
    if (!group.isEmpty())
        thousands = SingleByte(group).value_or(' ');
    // A grouping mark equal to the decimal separator would be dropped from every number read.
    if (thousands == DecimalSeparator)
        thousands = '\0';
    ThousandSeparator = thousands;
}
