#include "text/Find.h"

#include "text/Fold.h"

#include <algorithm>

std::vector<std::string> FindWords(std::string_view typed) {
    const std::string folded = SearchFolded(typed);
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < folded.size()) {
        const std::size_t start = folded.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(folded.find_first_of(" \t", start), folded.size());
        words.push_back(folded.substr(start, end - start));
        at = end;
    }
    return words;
}

bool HasEveryWord(std::string_view foldedName, const std::vector<std::string>& words) {
    return std::all_of(words.begin(), words.end(), [foldedName](const std::string& word) {
        return foldedName.find(word) != std::string_view::npos;
    });
}
