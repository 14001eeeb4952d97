// Finding a name in a long list as the user types it: every typed word must occur in the name, letters
// compared without case and accents, and the names most likely meant come first.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TNameFinder {
public:
    TNameFinder() = default;
    // Folds every name once, so that each keystroke only compares.
    explicit TNameFinder(std::span<const std::string> names);

    std::size_t Count() const { return FFolded.size(); }

    // The indexes of the names that contain every word of typed, at most limit of them: first the name equal
    // to the text, then the names beginning with its first word, then those in which every word begins a
    // word of the name, then the rest; each group in the list's order. No word typed finds nothing.
    std::vector<std::size_t> Find(std::string_view typed, std::size_t limit) const;

private:
    // Folded, blanks collapsed to one and trimmed.
    std::vector<std::string> FFolded;
};
