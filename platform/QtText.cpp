#include "QtText.h"

#include "text/Encoding.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <iterator>

namespace {

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
