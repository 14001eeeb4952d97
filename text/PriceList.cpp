#include "text/PriceList.h"

#include "text/Encoding.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// Code points of the currency symbols (Unicode's category Sc).
constexpr char32_t CurrencySymbols[] = {0x0024,  0x00A2,  0x00A3,  0x00A4,  0x00A5,  0x058F, 0x060B, 0x07FE,
                                        0x07FF,  0x09F2,  0x09F3,  0x09FB,  0x0AF1,  0x0BF9, 0x0E3F, 0x17DB,
                                        0xA838,  0xFDFC,  0xFE69,  0xFF04,  0xFFE0,  0xFFE1, 0xFFE5, 0xFFE6,
                                        0x11FDD, 0x11FDE, 0x11FDF, 0x11FE0, 0x1E2FF, 0x1ECB0};

bool IsCurrencySymbol(char32_t c) {
    // U+20A0 to U+20C1 is the block of currency signs: the euro, the pound sign, the rupee and their kin.
    if (c >= 0x20A0 && c <= 0x20C1)
        return true;
    return std::find(std::begin(CurrencySymbols), std::end(CurrencySymbols), c) != std::end(CurrencySymbols);
}

// The currency codes of ISO 4217, in alphabetical order: three letters that stand for a currency beside a
// price. Other three letters (an article code such as ABC-123) are no currency.
constexpr std::string_view CurrencyCodes =
    "AED AFN ALL AMD ANG AOA ARS AUD AWG AZN BAM BBD BDT BGN BHD BIF BMD BND BOB BOV BRL BSD BTN BWP "
    "BYN BZD CAD CDF CHE CHF CHW CLF CLP CNY COP COU CRC CUC CUP CVE CZK DJF DKK DOP DZD EGP ERN ETB "
    "EUR FJD FKP GBP GEL GHS GIP GMD GNF GTQ GYD HKD HNL HRK HTG HUF IDR ILS INR IQD IRR ISK JMD JOD "
    "JPY KES KGS KHR KMF KPW KRW KWD KYD KZT LAK LBP LKR LRD LSL LYD MAD MDL MGA MKD MMK MNT MOP MRU "
    "MUR MVR MWK MXN MXV MYR MZN NAD NGN NIO NOK NPR NZD OMR PAB PEN PGK PHP PKR PLN PYG QAR RON RSD "
    "RUB RWF SAR SBD SCR SDG SEK SGD SHP SLE SLL SOS SRD SSP STN SVC SYP SZL THB TJS TMT TND TOP TRY "
    "TTD TWD TZS UAH UGX USD USN UYI UYU UYW UZS VED VES VND VUV WST XAF XAG XAU XCD XCG XDR XOF XPD "
    "XPF XPT YER ZAR ZMW ZWG ZWL";

bool IsCurrencyCode(std::string_view letters) {
    if (letters.size() != 3)
        return false;
    const std::string upper = UpperCase(std::string(letters));
    for (std::size_t at = 0; at + 3 <= CurrencyCodes.size(); at += 4)
        if (CurrencyCodes.substr(at, 3) == upper)
            return true;
    return false;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The no-break spaces that stand as blanks beside the control characters and the space.
constexpr std::string_view WideBlanks[] = {"\xC2\xA0", "\xE2\x80\x87", "\xE2\x80\xAF"};

std::string_view TrimBlanks(std::string_view text) {
    const auto trimOnce = [&text](bool front) {
        if (text.empty())
            return false;
        if (static_cast<unsigned char>(front ? text.front() : text.back()) <= 32) {
            front ? text.remove_prefix(1) : text.remove_suffix(1);
            return true;
        }
        for (const std::string_view blank : WideBlanks) {
            if (front ? text.starts_with(blank) : text.ends_with(blank)) {
                front ? text.remove_prefix(blank.size()) : text.remove_suffix(blank.size());
                return true;
            }
        }
        return false;
    };
    while (trimOnce(true)) {
    }
    while (trimOnce(false)) {
    }
    return text;
}

// Removes one currency sign or three-letter code from the front of text; true when there was one.
bool StripCurrencyFront(std::string_view& text) {
    if (text.empty())
        return false;
    std::size_t length = 0;
    if (IsCurrencySymbol(CodePointAt(text, 0, length))) {
        text.remove_prefix(length);
        return true;
    }
    if (IsCurrencyCode(text.substr(0, 3)) && (text.size() == 3 || !IsAsciiLetter(text[3]))) {
        text.remove_prefix(3);
        return true;
    }
    return false;
}

// Removes one currency sign or three-letter code from the end of text; true when there was one.
bool StripCurrencyBack(std::string_view& text) {
    if (text.empty())
        return false;
    const std::size_t n = text.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(4, n); ++back) {
        std::size_t length = 0;
        const char32_t c = CodePointAt(text, n - back, length);
        if (length == back && IsCurrencySymbol(c)) {
            text.remove_suffix(back);
            return true;
        }
    }
    if (n >= 3 && IsCurrencyCode(text.substr(n - 3)) && (n == 3 || !IsAsciiLetter(text[n - 4]))) {
        text.remove_suffix(3);
        return true;
    }
    return false;
}

// The text as UTF-8: a UTF-8 or UTF-16 byte order mark decides, else valid UTF-8 stays as it is and
// anything else is Windows-1252. holder keeps a converted text alive.
std::string_view DecodedText(std::string_view bytes, std::string& holder) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool little = bytes[0] == '\xFF';
        holder.reserve(bytes.size());
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto unit = [&](std::size_t at) {
                const auto lo = static_cast<unsigned char>(bytes[at + (little ? 0 : 1)]);
                const auto hi = static_cast<unsigned char>(bytes[at + (little ? 1 : 0)]);
                return char32_t(hi << 8 | lo);
            };
            char32_t c = unit(i);
            if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xFFFD;
            }
            AppendUtf8(holder, c);
        }
        return holder;
    }
    if (IsUtf8(bytes))
        return bytes;
    holder = Windows1252ToUtf8(bytes);
    return holder;
}

// True when line holds sep outside double quotes.
bool HoldsSeparator(std::string_view line, char sep) {
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == sep && !quoted)
            return true;
    }
    return false;
}

// Splits line at sep into fields. A field that starts with a double quote (after blanks) runs to the
// closing quote, two quotes inside standing for one; a quote left open ends with the line.
void SplitFields(std::string_view line, char sep, std::vector<std::string>& fields) {
    fields.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        std::string& field = fields.emplace_back();
        std::size_t j = i;
        while (j < n && (line[j] == ' ' || (line[j] == '\t' && sep != '\t')))
            ++j;
        if (j < n && line[j] == '"') {
            ++j;
            while (j < n) {
                if (line[j] == '"') {
                    if (j + 1 < n && line[j + 1] == '"') {
                        field += '"';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                field += line[j++];
            }
            // Whatever follows the closing quote up to the separator belongs to the field.
            const std::size_t end = std::min(line.find(sep, j), n);
            field.append(line.substr(j, end - j));
            j = end;
        } else {
            const std::size_t end = std::min(line.find(sep, i), n);
            field.assign(line.substr(i, end - i));
            j = end;
        }
        if (j >= n)
            return;
        i = j + 1;
    }
}

std::string ErrorText(int error) {
    switch (error) {
    case ENOENT:
        return "the file does not exist";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EISDIR:
        return "it is a folder";
    default: {
        char buffer[256];
        return strerror_r(error, buffer, sizeof buffer);
    }
    }
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason) {
    throw Exception("The price list " + fileName + " cannot be read: " + reason + ".");
}

// Closes the file descriptor when the reading ends, whatever way it ends.
struct FileDescriptor {
    int Fd;
    ~FileDescriptor() {
        if (Fd >= 0)
            ::close(Fd);
    }
};

} // namespace

std::optional<TPriceField> ParsePriceField(std::string_view field, bool decimalComma) {
    std::string_view s = TrimBlanks(field);
    bool negative = false;
    bool signed_ = false;
    const auto takeSign = [&] {
        if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
            negative = s[0] == '-';
            signed_ = true;
            s = TrimBlanks(s.substr(1));
        }
    };
    takeSign();
    const bool front = StripCurrencyFront(s);
    s = TrimBlanks(s);
    if (front && !signed_)
        takeSign();
    if (!front && StripCurrencyBack(s))
        s = TrimBlanks(s);
    std::size_t i = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    const std::string_view whole = s.substr(0, i);
    std::string_view fraction;
    if (i < s.size() && (s[i] == '.' || (decimalComma && s[i] == ','))) {
        const std::size_t start = ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        fraction = s.substr(start, i - start);
    }
    if (i != s.size() || (whole.empty() && fraction.empty()))
        return std::nullopt;
    TPriceField result;
    if (negative)
        result.Price += '-';
    result.Price.append(whole.empty() ? std::string_view("0") : whole);
    if (!fraction.empty())
        result.Price.append(".").append(fraction);
    const char* first = result.Price.data();
    const char* last = first + result.Price.size();
    const auto [end, error] = std::from_chars(first, last, result.Value);
    if (error != std::errc() || end != last || !std::isfinite(result.Value))
        return std::nullopt;
    return result;
}

TPriceList ParsePriceList(std::string_view bytes, const TReadProgress& progress) {
    std::string holder;
    const std::string_view text = DecodedText(bytes, holder);
    TPriceList list;
    std::vector<std::string> fields;
    bool separatorKnown = false;
    bool firstLine = true;
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size())
            at += text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
        ++number;
        if (progress && number % 4096 == 0 && !progress(static_cast<double>(at) / static_cast<double>(text.size())))
            throw EPriceListStopped();
        if (TrimBlanks(line).empty())
            continue;
        if (!separatorKnown) {
            separatorKnown = true;
            list.Separator = HoldsSeparator(line, '\t') ? '\t' : HoldsSeparator(line, ';') ? ';' : ',';
        }
        SplitFields(line, list.Separator, fields);
        if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return TrimBlanks(f).empty(); }))
            continue;
        TPriceListLine entry;
        entry.Line = number;
        entry.Name = TrimBlanks(fields.front());
        for (std::size_t f = 1; f < fields.size(); ++f) {
            if (auto price = ParsePriceField(fields[f], list.Separator != ',')) {
                entry.Price = std::move(price->Price);
                entry.Value = price->Value;
                break;
            }
        }
        const bool header = firstLine && entry.Price.empty();
        firstLine = false;
        if (header) {
            list.HasHeader = true;
            continue;
        }
        list.Lines.push_back(std::move(entry));
    }
    if (progress && !progress(1.0))
        throw EPriceListStopped();
    return list;
}

TPriceList ReadPriceList(const std::string& fileName, const TReadProgress& progress) {
    // Not blocking: a pipe or a device named by mistake must not hang the reading.
    const FileDescriptor file{::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.Fd < 0)
        Refuse(fileName, ErrorText(errno));
    struct stat status {};
    if (::fstat(file.Fd, &status) != 0)
        Refuse(fileName, ErrorText(errno));
    if (S_ISDIR(status.st_mode))
        Refuse(fileName, ErrorText(EISDIR));
    if (!S_ISREG(status.st_mode))
        Refuse(fileName, "it is not a file");
    const auto tooLarge = [&] { Refuse(fileName, "it is larger than 50 MB"); };
    if (static_cast<std::uintmax_t>(status.st_size) > PriceListMaxBytes)
        tooLarge();
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (true) {
        // The file may have grown since it was measured: read on to its end, within the limit.
        if (done == bytes.size()) {
            if (bytes.size() > PriceListMaxBytes)
                tooLarge();
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t n = ::read(file.Fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Refuse(fileName, ErrorText(errno));
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    if (bytes.size() > PriceListMaxBytes)
        tooLarge();
    return ParsePriceList(bytes, progress);
}

std::string NameKey(std::string_view name) {
    return UpperCase(std::string(TrimBlanks(AsUtf8(name))));
}

TPriceListMatch MatchPriceList(const TPriceList& list, const std::vector<std::string>& names) {
    constexpr std::size_t Several = static_cast<std::size_t>(-1);
    std::unordered_map<std::string, std::size_t> byKey;
    byKey.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto [found, added] = byKey.emplace(NameKey(names[i]), i);
        if (!added)
            found->second = Several;
    }
    std::unordered_map<std::size_t, int> firstLine;
    TPriceListMatch match;
    for (const TPriceListLine& line : list.Lines) {
        const auto skip = [&](std::string reason) {
            match.Skipped.push_back({line.Line, line.Name, std::move(reason)});
        };
        const auto found = byKey.find(NameKey(line.Name));
        if (found == byKey.end()) {
            skip("not in the component list");
            continue;
        }
        // Names that differ only in letters other than a to z, or in blanks around them, are one name here.
        if (found->second == Several) {
            skip("matches more than one component");
            continue;
        }
        const auto [first, isFirst] = firstLine.emplace(found->second, line.Line);
        if (!isFirst)
            skip("listed twice (line " + std::to_string(first->second) + ")");
        else if (line.Price.empty() || line.Value == 0.0)
            skip("no price");
        else if (line.Value < 0.0)
            skip("price is negative");
        else
            match.Prices.push_back({line.Line, found->second, line.Price, line.Value});
    }
    return match;
}
