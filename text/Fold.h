// Names compared, found and sorted as a reader sees them: letters in either case, with or without their
// accents. Every function takes a name as the file holds it, UTF-8 or else Windows-1252.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Unicode's default full case folding, as UTF-8: two names that differ only in the case of their letters
// fold alike ("Linalyl Acétate" and "LINALYL ACÉTATE", "Straße" and "STRASSE"). A Windows-1252 name is
// read as such first, so it folds like the same name in UTF-8.
std::string CaseFolded(std::string_view name);

// Case folded as above, with every accented Latin letter as its base letter and the Latin ligatures and
// letters with a stroke spelt out (é -> e, ß -> ss, æ -> ae, œ -> oe, ø -> o): what find-as-you-type
// compares, so "eth ac" finds ÉTHYL ACÉTATE. As UTF-8.
std::string SearchFolded(std::string_view name);

// Unicode's default full upper-case mapping, the same under every locale (crème brûlée -> CRÈME BRÛLÉE,
// ß -> SS). A Windows-1252 name stays Windows-1252: each letter whose capital that encoding holds is
// replaced by it, every other byte stays.
std::string UpperName(std::string_view name);

// The name with each accented Latin letter replaced by its base capital (è, é, É -> E; ß -> SS, Æ -> AE,
// Œ -> OE, Ø -> O) and every other byte unchanged, so that names without accented letters sort in byte
// order as before and an accented one sorts beside its plain spelling. A Windows-1252 name's accented
// letters are replaced alike, so it sorts beside the same name in UTF-8.
std::string SortKey(std::string_view name);

// The order in which a reader looks names up: by SortKey, names with the same key by their bytes. Names
// without accented letters keep their byte order. As positions into names; each key is made once.
std::vector<std::size_t> ReadingOrder(const std::vector<std::string>& names);
// The names put in that order.
void SortForReading(std::vector<std::string>& names);

// A name the user typed for a product or component, as it is stored and looked up: its capitals by UpperName,
// unless only its capitals a to z (UpperCase) name one that exists, as names stored with those capitals do.
// stored says whether a name exists. Text that is not UTF-8 keeps the capitals a to z.
std::string TypedName(std::string_view typed, const std::function<bool(const std::string&)>& stored);
