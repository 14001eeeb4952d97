// Names in either case and with or without accents: what matching, finding and sorting compare.
#include "text/Fold.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Fold, CaseFoldingMakesNamesThatDifferInCaseAlikeInEitherEncoding) {
    EXPECT_EQ(CaseFolded("Linalyl Acétate Extra"), CaseFolded("LINALYL ACÉTATE EXTRA"));
    EXPECT_EQ(CaseFolded("Straße"), CaseFolded("STRASSE"));
    EXPECT_EQ(CaseFolded("CAF\xC9"), CaseFolded("café"));
    EXPECT_NE(CaseFolded("CAFÉ"), CaseFolded("CAFE"));
}

TEST(Fold, SearchFoldingDropsAccentsOfLatinLettersOnly) {
    EXPECT_EQ(SearchFolded("ÉTHYL ACÉTATE"), "ethyl acetate");
    EXPECT_EQ(SearchFolded("Æther Œuvre Øl Maß"), "aether oeuvre ol mass");
    EXPECT_EQ(SearchFolded("CRE\xCC\x80ME"), "creme");
    EXPECT_EQ(SearchFolded("R\xC9GLISSE"), "reglisse");
    // Greek keeps its accents: they are no Latin letters.
    EXPECT_EQ(SearchFolded("Ά"), "ά");
}

TEST(Fold, UpperNamesAreTheSameUnderEveryLocale) {
    const icu::Locale before = icu::Locale::getDefault();
    UErrorCode error = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("tr", "TR"), error);
    EXPECT_EQ(UpperName("crème brûlée"), "CRÈME BRÛLÉE");
    EXPECT_EQ(UpperName("linalyl acétate"), "LINALYL ACÉTATE");
    EXPECT_EQ(UpperName("maß"), "MASS");
    // Windows-1252 stays so: è is 0xE8, È 0xC8; µ has no capital there and stays.
    EXPECT_EQ(UpperName("cr\xE8me \xB5"), "CR\xC8ME \xB5");
    icu::Locale::setDefault(before, error);
}

TEST(Fold, SortKeysPutAccentedNamesBesideTheirPlainSpelling) {
    EXPECT_EQ(SortKey("CRÈME"), "CREME");
    EXPECT_EQ(SortKey("Æ Œ Ø ß é"), "AE OE O SS E");
    EXPECT_EQ(SortKey("CAF\xC9 \x80"), "CAFE \x80");
    EXPECT_EQ(SortKey("a\x01[]~"), "a\x01[]~");
    std::vector<std::string> names = {"CREPE", "CRÈME", "CREMA", "CRF"};
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return SortKey(a) < SortKey(b); });
    EXPECT_EQ(names, (std::vector<std::string>{"CREMA", "CRÈME", "CREPE", "CRF"}));
}

TEST(Fold, ListsReadAccentedNamesWithTheirPlainSpellingAndPlainOnesInByteOrder) {
    std::vector<std::string> names = {"YLANG-YLANG", "ÉTHANOL", "COUMARINE", "CÈDRE", "EAU", "apple", "ETHANOL", "B b"};
    SortForReading(names);
    EXPECT_EQ(names, (std::vector<std::string>{"B b", "CÈDRE", "COUMARINE", "EAU", "ETHANOL", "ÉTHANOL", "YLANG-YLANG",
                                               "apple"}));
    const std::vector<std::string> plain = {"Z", "A'B", "a", "A B", "AB", "A-B", "_X", "~"};
    std::vector<std::string> bytes = plain;
    std::sort(bytes.begin(), bytes.end());
    std::vector<std::string> read = plain;
    SortForReading(read);
    EXPECT_EQ(read, bytes);
}

TEST(Fold, TypedNamesTakeUnicodeCapitalsUnlessAnOldNameHasTheirPlainOnes) {
    const auto exists = [](const std::string& name) { return name == "STRAßE"; };
    EXPECT_EQ(TypedName("Straße", exists), "STRAßE");
    EXPECT_EQ(TypedName("maß", exists), "MASS");
    // Not UTF-8: a to z only, as before.
    EXPECT_EQ(TypedName("cr\xE8me", exists), "CR\xE8ME");
}

} // namespace
