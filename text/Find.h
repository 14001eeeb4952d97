// Find as you type: the words a user typed, and whether a name holds every one of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The typed text folded as names are for searching (SearchFolded), split at blanks; no word is empty.
std::vector<std::string> FindWords(std::string_view typed);

// True when the folded name contains every word, in any order (true for no words).
bool HasEveryWord(std::string_view foldedName, const std::vector<std::string>& words);
