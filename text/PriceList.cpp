#include "text/PriceList.h"

#include "text/Encoding.h"
#include "text/Fold.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
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

namespace {

// True when a byte belongs to a word: letters and digits, and every byte of a character past ASCII.
bool IsWordByte(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || static_cast<unsigned char>(c) >= 0x80;
}

// True when the case-folded heading holds word as a whole word.
bool HoldsWord(std::string_view heading, std::string_view word) {
    for (std::size_t at = heading.find(word); at != std::string_view::npos; at = heading.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        const bool startsWord = !IsWordByte(word.front()) || at == 0 || !IsWordByte(heading[at - 1]);
        const bool endsWord = !IsWordByte(word.back()) || end == heading.size() || !IsWordByte(heading[end]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool HoldsAny(std::string_view heading, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), [heading](std::string_view w) { return HoldsWord(heading, w); });
}

// The first column from the left whose heading passes test, if any.
template <class Test> std::optional<int> HeadingColumn(const std::vector<std::string>& folded, Test test) {
    for (std::size_t c = 0; c < folded.size() && c < static_cast<std::size_t>(PriceListMaxColumns); ++c)
        if (test(std::string_view(folded[c])))
            return static_cast<int>(c);
    return std::nullopt;
}

// A column number of the user's or remembered that a line can hold.
std::optional<int> Usable(std::optional<int> column) {
    return column && *column >= 0 && *column < PriceListMaxColumns ? column : std::nullopt;
}

} // namespace

void ReadPriceLines(std::string_view bytes, const TPriceListOptions& options, TPriceListLayout& layout,
                    const std::function<void(const TPriceListLine&)>& sink, const TReadProgress& progress) {
    std::string holder;
    const std::string_view text = DecodedText(bytes, holder);
    layout = TPriceListLayout();
    std::vector<std::string> fields;
    bool separatorKnown = false;
    bool firstLine = true;
    bool priceKnown = false;
    std::size_t widest = 0;
    int number = 0;
    std::size_t at = 0;
    TPriceListLine entry;
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
            layout.Separator = HoldsSeparator(line, '\t') ? '\t' : HoldsSeparator(line, ';') ? ';' : ',';
        }
        SplitFields(line, layout.Separator, fields);
        if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return TrimBlanks(f).empty(); }))
            continue;
        if (firstLine) {
            firstLine = false;
            TPriceListColumns chosen = options.Columns;
            const bool defaultComma = chosen.DecimalComma.value_or(layout.Separator != ',');
            layout.HasHeader = std::none_of(fields.begin() + 1, fields.end(), [&](const std::string& field) {
                return ParsePriceField(field, defaultComma).has_value();
            });
            std::optional<int> namedColumn;
            std::optional<int> pricedColumn;
            if (layout.HasHeader) {
                layout.HeaderLine = line;
                std::vector<std::string> folded;
                for (const std::string& field : fields) {
                    layout.Headings.emplace_back(TrimBlanks(field));
                    folded.push_back(CaseFolded(layout.Headings.back()));
                }
                if (options.Remembered) {
                    if (const auto remembered = options.Remembered(layout.HeaderLine)) {
                        chosen.Name = chosen.Name ? chosen.Name : remembered->Name;
                        chosen.Price = chosen.Price ? chosen.Price : remembered->Price;
                        chosen.DecimalComma = chosen.DecimalComma ? chosen.DecimalComma : remembered->DecimalComma;
                    }
                }
                namedColumn = HeadingColumn(folded, [](std::string_view h) {
                    return HoldsAny(h, {"name", "description", "component", "material", "product", "article"}) &&
                           !HoldsAny(h, {"no", "no.", "nr", "number", "code", "id"});
                });
                pricedColumn = HeadingColumn(folded, [](std::string_view h) {
                    return HoldsAny(h, {"price", "cost", "eur", "usd", "\xE2\x82\xAC", "$", "/kg"});
                });
            }
            layout.NameColumn = Usable(chosen.Name).value_or(namedColumn.value_or(0));
            layout.DecimalComma = chosen.DecimalComma.value_or(layout.Separator != ',');
            if (const auto price = Usable(chosen.Price) ? Usable(chosen.Price) : pricedColumn) {
                layout.PriceColumn = *price;
                priceKnown = true;
            }
            if (layout.HasHeader)
                continue;
        }
        widest = std::max(widest, fields.size());
        const auto name = static_cast<std::size_t>(layout.NameColumn);
        entry.Line = number;
        entry.Name = name < fields.size() ? TrimBlanks(fields[name]) : std::string_view();
        entry.Price.clear();
        entry.Value = 0.0;
        const auto take = [&](std::size_t column) {
            auto price = column < fields.size() ? ParsePriceField(fields[column], layout.DecimalComma) : std::nullopt;
            if (price) {
                entry.Price = std::move(price->Price);
                entry.Value = price->Value;
            }
            return price.has_value();
        };
        if (priceKnown) {
            take(static_cast<std::size_t>(layout.PriceColumn));
        } else {
            // The first line with a number after its name decides the column for the whole list.
            for (std::size_t f = name + 1; f < fields.size() && f < static_cast<std::size_t>(PriceListMaxColumns);
                 ++f) {
                if (take(f)) {
                    layout.PriceColumn = static_cast<int>(f);
                    priceKnown = true;
                    break;
                }
            }
        }
        sink(entry);
    }
    if (!priceKnown)
        layout.PriceColumn = layout.NameColumn + 1;
    // A caption for every column a line reaches, as far as the columns offered go, and for the two in use.
    const std::size_t columns =
        std::max({std::min(widest, static_cast<std::size_t>(PriceListMaxColumns)), layout.Headings.size(),
                  static_cast<std::size_t>(layout.NameColumn) + 1, static_cast<std::size_t>(layout.PriceColumn) + 1});
    layout.Headings.resize(columns);
    for (std::size_t c = 0; c < columns; ++c)
        if (layout.Headings[c].empty())
            layout.Headings[c] = "Column " + std::to_string(c + 1);
    if (progress && !progress(1.0))
        throw EPriceListStopped();
}

TPriceList ParsePriceList(std::string_view bytes, const TPriceListOptions& options, const TReadProgress& progress) {
    TPriceList list;
    ReadPriceLines(
        bytes, options, list, [&list](const TPriceListLine& line) { list.Lines.push_back(line); }, progress);
    return list;
}

std::string ReadPriceListFile(const std::string& fileName) {
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
    return bytes;
}

std::string NameKey(std::string_view name) {
    return CaseFolded(TrimBlanks(AsUtf8(name)));
}

TPriceListMatcher::TPriceListMatcher(const std::vector<std::string>& names) {
    FByKey.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto [found, added] = FByKey.emplace(NameKey(names[i]), i);
        if (!added)
            found->second = Several;
    }
}

void TPriceListMatcher::Skip(const TPriceListLine& line, std::string_view reason, int firstLine) {
    // Past those kept a skipped line is only counted: a wrong file of millions of lines stays small.
    if (FMatch.Skipped.size() >= SkippedLinesKept) {
        ++FMatch.MoreSkipped;
        return;
    }
    std::string text(reason);
    if (firstLine)
        text.append(" (line ").append(std::to_string(firstLine)).append(")");
    FMatch.Skipped.push_back({line.Line, line.Name, std::move(text)});
}

void TPriceListMatcher::Add(const TPriceListLine& line) {
    const auto found = FByKey.find(NameKey(line.Name));
    if (found == FByKey.end()) {
        Skip(line, "not in the component list");
        return;
    }
    // Names that differ only in the case of their letters, or in blanks around them, are one name here.
    if (found->second == Several) {
        Skip(line, "matches more than one component");
        return;
    }
    const auto [first, isFirst] = FFirstLine.emplace(found->second, line.Line);
    if (!isFirst)
        Skip(line, "listed twice", first->second);
    else if (line.Price.empty() || line.Value == 0.0)
        Skip(line, "no price");
    else if (line.Value < 0.0)
        Skip(line, "price is negative");
    else if (line.Value > PriceListMaxPrice)
        Skip(line, "implausible price");
    else
        FMatch.Prices.push_back({line.Line, found->second, line.Price, line.Value});
}

TPriceListMatch MatchPriceList(const TPriceList& list, const std::vector<std::string>& names) {
    TPriceListMatcher matcher(names);
    for (const TPriceListLine& line : list.Lines)
        matcher.Add(line);
    return std::move(matcher.Match());
}
