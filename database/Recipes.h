// The recipe lines: a product's recipe, and what Edit Recipe and Delete Component write.
#pragma once

#include "database/Database.h"
#include "database/Meanwhile.h"
#include "text/Costing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The lines of the product's recipe as the recipe grid shows them: each line's ID, component and quantity.
// Lines whose component no longer exists are left out.
std::string RecipeQuery(const std::string& product);
void LoadRecipe(TDatabase* db, const std::string& product, TRowLoader loader);

// A line of the recipe with its money: its ID, and its component, quantity, cost and price as the price
// analysis reads them.
struct TCostedLine {
    std::string Id;
    TCostLine Line;
};
// The lines RecipeQuery gives, by ID (the product's name bound).
const std::string& CostedLinesQuery(TEngine engine);
std::vector<TCostedLine> CostedLines(TDatabase* db, const std::string& product);

// The result of the last lookup: the first column of its last row. A lookup that finds no row leaves it as it
// was.
extern std::string LookupValue;
int LookupLoader(void* data, int columns, char** values, char** names);

// A recipe line as the file holds it when Edit Recipe opens it.
struct TStoredLine {
    std::string Id;
    std::string Component; // its component's name; empty when no component has its Comp_ID
    std::string Quantity;  // as stored
    // The line's keys and quantity exactly as stored, to be matched again at Post.
    TValue ProdId;
    TValue CompId;
    TValue StoredQuantity;
};
// The line with that ID, or nothing when the file holds none.
std::optional<TStoredLine> ReadStoredLine(TDatabase* db, const std::string& id);
// "(now: ...)" of a line changed meanwhile: its component and its mass as the field shows it, in kg.
std::string LineNowText(const TStoredLine& now);

// A recipe line as Edit Recipe posts it.
struct TRecipeLinePost {
    // True: a new line is inserted for the product; false: the line EditedLineId is rewritten.
    bool NewRecipeLine = true;
    std::string EditedLineId;
    std::string Product;   // the product's name
    std::string Component; // the component's name as stored
    std::string Quantity;  // point as decimal separator; empty (or blanks) for 0
    // For a rewrite: the line as the dialog opened it. The line is then rewritten only while it still holds that
    // product, component and quantity; without it the line EditedLineId is rewritten whatever it holds.
    std::optional<TStoredLine> Opened;
};

// Changed and Deleted: the line was changed or deleted since it was opened.
enum class TLinePosted { Written, NoProduct, NoComponent, Cycle, Changed, Deleted };
// Looks up the product's and the component's keys and inserts or rewrites the line with today's date, in one
// transaction. Without both keys nothing is written, never with a key of an earlier lookup. A premix that would
// make the product part of itself is not written either: refusal, when given, then holds the reason with the path.
// A line changed meanwhile is not written: now, when given, then holds it as it is.
TLinePosted PostRecipeLine(TDatabase* db, const TRecipeLinePost& line, std::string* refusal = nullptr,
                           std::optional<TStoredLine>* now = nullptr);

// A line of a product's recipe as the file holds it.
struct TRecipeLine {
    std::string Id;
    std::string Component;
    std::string Quantity; // as stored
};
// The product's recipe lines in the order they were entered.
std::vector<TRecipeLine> ReadRecipeLines(TDatabase* db, const std::string& product);

// The line that line would repeat: the first of lines with the same component, other than the line rewritten.
// None when an edit keeps the component it opened with (openedComponent): only a new line, or a line given
// another component, makes a second line of one component.
const TRecipeLine* DuplicateLine(const std::vector<TRecipeLine>& lines, const TRecipeLinePost& line,
                                 const std::string& openedComponent);

// Removes the line with that ID.
void RemoveRecipeLine(TDatabase* db, const std::string& id);

enum class TRecipeScaled { Scaled, NoMass };
// Scale Recipe: every line of the product's recipe whose component exists and whose quantity is a number
// rewritten, with today's date, so that the lines add up to totalGrams in whole grams (ScaleToGrams). All of it
// in one transaction; NoMass, with nothing written, when those lines add up to 0 or less.
TRecipeScaled RescaleRecipe(TDatabase* db, const std::string& product, std::int64_t totalGrams);
