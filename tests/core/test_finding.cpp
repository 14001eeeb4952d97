// Finding a component as it is typed, the order of a list sorted by a column, and which recipe line a new one
// would repeat.
#include "database/Recipes.h"
#include "text/CellOrder.h"
#include "text/Finder.h"
#include "text/StrMan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names Found(const Names& names, const TNameFinder& finder, std::string_view typed, std::size_t limit = 30) {
    Names found;
    for (std::size_t i : finder.Find(typed, limit))
        found.push_back(names[i]);
    return found;
}

TEST(Finding, EveryWordWithoutCaseOrAccentsTheLikeliestFirst) {
    const Names names = {"ANETHOLE", "ETHYL ACETATE", "ACÉTATE D'\xC9THYLE", "METHYL ACETATE",
                         "ETHANOL",  "ETH",           "PHENETHYL ALCOHOL",   "BETA-ETHYL ACID"};
    const TNameFinder finder(names);
    // The name itself, then those beginning with the word, then those where it begins a word, then the rest.
    EXPECT_EQ(Found(names, finder, "eth"),
              (Names{"ETH", "ETHYL ACETATE", "ETHANOL", "ACÉTATE D'\xC9THYLE", "BETA-ETHYL ACID", "ANETHOLE",
                     "METHYL ACETATE", "PHENETHYL ALCOHOL"}));
    // Every word must be found, in any order; accents typed or not, and in a Windows-1252 name.
    EXPECT_EQ(Found(names, finder, "  Éth   ac "),
              (Names{"ETHYL ACETATE", "ACÉTATE D'\xC9THYLE", "BETA-ETHYL ACID", "METHYL ACETATE"}));
    EXPECT_EQ(Found(names, finder, "ethyl acetate"), (Names{"ETHYL ACETATE", "METHYL ACETATE"}));
    EXPECT_EQ(Found(names, finder, "eth", 3), (Names{"ETH", "ETHYL ACETATE", "ETHANOL"}));
    EXPECT_TRUE(Found(names, finder, "  ").empty());
    EXPECT_TRUE(Found(names, finder, "xyz").empty());
}

TEST(Finding, CellsSortFiguresByValueUnderTheLocaleAndEmptyCellsLast) {
    DecimalSeparator = ',';
    ThousandSeparator = ' ';
    const std::vector<std::string> cells = {"  12,50", "", "9,75", "1 234,00", "-3,10", "abc", "12 KB", " "};
    std::vector<std::string> ascending;
    for (std::size_t i : SortedRows(cells, false))
        ascending.push_back(cells[i]);
    EXPECT_EQ(ascending, (std::vector<std::string>{"-3,10", "9,75", "12 KB", "  12,50", "1 234,00", "abc", "", " "}));
    std::vector<std::string> descending;
    for (std::size_t i : SortedRows(cells, true))
        descending.push_back(cells[i]);
    EXPECT_EQ(descending, (std::vector<std::string>{"abc", "1 234,00", "  12,50", "12 KB", "9,75", "-3,10", "", " "}));
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    EXPECT_LT(CompareCells("9.5", "10.25"), 0);
    EXPECT_LT(CompareCells("1,234.5", "12345"), 0);
    EXPECT_LT(CompareCells("+25.00", "abc"), 0);
    EXPECT_LT(CompareCells("éther", "ETHYL"), 0) << "letters compare without case or accents";
    EXPECT_GT(CompareCells("", "zzz"), 0);
    // A date is no figure: its text sorts.
    EXPECT_LT(CompareCells("2025-01-09", "2025-10-01"), 0);
}

TEST(Finding, ALineRepeatsTheFirstLineOfItsComponent) {
    const std::vector<TRecipeLine> lines = {{"1", "ETHANOL", "1.25"}, {"2", "WATER", "3"}, {"3", "ETHANOL", "2"}};
    TRecipeLinePost added{true, "", "P", "ETHANOL", "5", {}};
    ASSERT_NE(DuplicateLine(lines, added, ""), nullptr);
    EXPECT_EQ(DuplicateLine(lines, added, "")->Id, "1");
    added.Component = "ANETHOLE";
    EXPECT_EQ(DuplicateLine(lines, added, ""), nullptr);
    // An edit that keeps its component repeats nothing; one given another line's component does.
    TRecipeLinePost edited{false, "3", "P", "ETHANOL", "4", {}};
    EXPECT_EQ(DuplicateLine(lines, edited, "ETHANOL"), nullptr);
    edited = {false, "1", "P", "WATER", "4", {}};
    ASSERT_NE(DuplicateLine(lines, edited, "ETHANOL"), nullptr);
    EXPECT_EQ(DuplicateLine(lines, edited, "ETHANOL")->Id, "2");
    // The edited line is not its own duplicate.
    edited = {false, "2", "P", "ETHANOL", "4", {}};
    EXPECT_EQ(DuplicateLine(lines, edited, "WATER")->Id, "1");
}

} // namespace
