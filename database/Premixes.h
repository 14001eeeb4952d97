// Premixes: products made in the house and used by weight in other products. A premix is a component (a
// Materials row) that stands for a product: its name is the product's, and its price per kg is the product's
// rounded price per kg, written by the recomputation, deepest premixes first.
#pragma once

#include "database/Database.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* CreatePremixesTable =
    "CREATE TABLE IF NOT EXISTS Premixes (Comp_ID INTEGER PRIMARY KEY, Prod_ID INTEGER NOT NULL UNIQUE);";

// True when the file has the table Premixes; older files work without it.
bool HasPremixTable(TDatabase* db);
// True when the file holds at least one premix.
bool HasPremixes(TDatabase* db);
// Creates the table when the file has none yet; run it before the first write of a premix.
void EnsurePremixes(TDatabase* db);

// A premix product: its numbers and names as stored, and the premixes its recipe uses (indexes into the
// premixes of its TPremixOrder), through lines whose component exists.
struct TPremix {
    std::string ProdId;
    std::string CompId;
    std::string Product;
    std::vector<std::size_t> Uses;
};

// The premixes in the order the recomputation takes them.
struct TPremixOrder {
    std::vector<TPremix> Premixes; // by product name
    // Levels of indexes into Premixes: level 0 uses no premix, each later one only premixes of the levels before.
    std::vector<std::vector<std::size_t>> Levels;
    // Premixes on a cycle or containing one: their prices cannot be computed.
    std::vector<std::size_t> Blocked;
    // The names of the premixes on a cycle, by name, and one cycle as its path (the first name again at its end).
    std::vector<std::string> CycleNames;
    std::vector<std::string> CyclePath;
};
TPremixOrder ReadPremixOrder(TDatabase* db);

// What a recomputation left out: the products a premix cycle keeps from being computed.
struct TRecomputation {
    std::vector<std::string> CycleNames;
    std::vector<std::string> CyclePath;
    int NotComputed = 0; // the premixes on or above a cycle, and every other product that uses one of them
};

// Recomputes the premix products level by level, each premix's price per kg written to its component (with the
// date and a history row for the price it replaces) before the next level reads it. Only what differs is
// written. Run it in a write transaction.
TRecomputation RollUpPremixes(TDatabase* db);
// The same, then every other product. Products on or above a cycle keep their prices.
TRecomputation RecomputeWithPremixes(TDatabase* db);
// "Prices not computed for A, B: they contain each other (A > B > A)."
std::string CycleText(const TRecomputation& recomputation);

// The premix a product is, or a component stands for.
struct TPremixLink {
    std::string ProdId;
    std::string CompId;
    std::string Product;
    std::string Component;
};
std::optional<TPremixLink> PremixOfProduct(TDatabase* db, const std::string& product);
std::optional<TPremixLink> PremixOfComponent(TDatabase* db, const std::string& component);

// The number of existing products whose recipe uses the component compId.
int ProductsUsing(TDatabase* db, const std::string& compId);
// "NAME is a premix used in N products; remove it from them first."
std::string PremixInUseText(const std::string& product, int products);
// "NAME is the premix of the product NAME; use Stop Using as Premix first."
std::string PremixComponentText(const TPremixLink& premix);

// Why the component may not go into product's recipe: "NAME cannot go into PRODUCT: PRODUCT is part of NAME
// (NAME > A > PRODUCT)."; empty when it may.
std::string PremixLineRefusal(TDatabase* db, const std::string& product, const std::string& component);

// What Use as Premix finds before it asks anything.
struct TPremixCandidate {
    bool ComponentExists = false; // a component of the product's name exists, and is not yet a premix
    std::string Refusal;          // why the product cannot become a premix (a cycle); empty when it can
};
TPremixCandidate CheckPremixCandidate(TDatabase* db, const std::string& product);
// "A component named NAME exists. Make it the premix of the product NAME? Its price will then come from the
// recipe."
std::string LinkQuestion(const std::string& product);

// Use as Premix: links the component of the product's name, or creates it with the product's price (none when
// the product has none), and rolls the prices up, in one transaction.
void UseAsPremix(TDatabase* db, const std::string& product);
// Stop Using as Premix: the link goes; the component stays with its last price.
void StopUsingAsPremix(TDatabase* db, const std::string& product);

// The Recipes.ID of every line of the product's recipe whose component is a premix.
std::vector<std::string> PremixLines(TDatabase* db, const std::string& product);
// The Comp_ID of every premix; empty for a file without premixes.
std::vector<std::string> PremixComponentIds(TDatabase* db);
