#include "QtText.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <iterator>

namespace {

// The code points of the bytes 0x80 to 0x9F in Windows-1252; its five unassigned bytes keep the C1
// control of the same value, so two names that differ in one byte never look alike.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

QString ToQt(std::string_view text) {
    const auto size = static_cast<qsizetype>(text.size());
    if (IsAscii(text))
        return QString::fromLatin1(text.data(), size);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), size));
    if (!utf8.hasError())
        return decoded;
    QString result(size, Qt::Uninitialized);
    QChar* out = result.data();
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char16_t(byte));
    }
    return result;
}

int ShownLength(std::string_view text) {
    if (IsAscii(text))
        return static_cast<int>(text.size());
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, ToQt(text));
    int count = 0;
    while (characters.toNextBoundary() > 0)
        ++count;
    return count;
}

std::optional<std::string> ToWindows1252(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            bytes += static_cast<char>(code);
            continue;
        }
        // The C1 controls that stand for the five bytes without a character are no characters to type.
        const auto* found = std::find(std::begin(Windows1252High), std::end(Windows1252High), code);
        if (code <= 0x9F || found == std::end(Windows1252High))
            return std::nullopt;
        bytes += static_cast<char>(0x80 + (found - std::begin(Windows1252High)));
    }
    return bytes;
}
