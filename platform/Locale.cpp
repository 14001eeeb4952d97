#include "Locale.h"

#include "text/StrMan.h"

#include <QLocale>

namespace {
char SingleByte(const QString& text, char fallback) {
    if (text.size() != 1 || text.at(0).unicode() > 0x7f)
        return fallback;
    return static_cast<char>(text.at(0).unicode());
}
} // namespace

void ReadRegionalSettings() {
    const QLocale locale = QLocale::system();
    DecimalSeparator = SingleByte(locale.decimalPoint(), '.');
    ThousandSeparator = SingleByte(locale.groupSeparator(), ',');
}
