#include "text/Finder.h"

#include "text/Fold.h"

#include <array>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Letters and digits continue a word; every byte of a letter beyond ASCII does too.
bool InWord(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        std::size_t end = at;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        if (end > at)
            words.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty())
            text += ' ';
        text += word;
    }
    return text;
}

bool BeginsAWord(std::string_view name, std::string_view word) {
    for (std::size_t at = name.find(word); at != std::string_view::npos; at = name.find(word, at + 1))
        if (at == 0 || !InWord(name[at - 1]))
            return true;
    return false;
}

} // namespace

TNameFinder::TNameFinder(std::span<const std::string> names) {
    FFolded.reserve(names.size());
    for (const std::string& name : names)
        FFolded.push_back(Joined(Words(SearchFolded(name))));
}

std::vector<std::size_t> TNameFinder::Find(std::string_view typed, std::size_t limit) const {
    const std::vector<std::string> words = Words(SearchFolded(typed));
    if (words.empty() || limit == 0)
        return {};
    const std::string whole = Joined(words);
    enum { Equal, BeginsFirst, WordStarts, Contains, Groups };
    std::array<std::vector<std::size_t>, Groups> groups;
    for (std::size_t i = 0; i < FFolded.size(); ++i) {
        const std::string_view name = FFolded[i];
        bool all = true;
        bool starts = true;
        for (const std::string& word : words) {
            if (name.find(word) == std::string_view::npos) {
                all = false;
                break;
            }
            starts = starts && BeginsAWord(name, word);
        }
        if (!all)
            continue;
        const int group = name == whole                ? Equal
                          : name.starts_with(words[0]) ? BeginsFirst
                          : starts                     ? WordStarts
                                                       : Contains;
        // A group already holding limit names is all that can be shown of it and of those after it.
        if (groups[static_cast<std::size_t>(group)].size() < limit)
            groups[static_cast<std::size_t>(group)].push_back(i);
    }
    std::vector<std::size_t> found;
    for (const auto& group : groups)
        for (std::size_t i : group) {
            if (found.size() == limit)
                return found;
            found.push_back(i);
        }
    return found;
}
