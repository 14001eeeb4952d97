// The production notes of a product (its Solids), read and stored byte for byte, and never over notes that
// another program stored after they were read.
#pragma once

#include "database/Database.h"

#include <optional>
#include <string>

// Runs the notes statement for the product of that name: row gets the product's key and its notes.
void LoadNotes(TDatabase* db, const std::string& product, const TRowFunction& row);

// The notes as they were read: the product's key, and its notes (SQL NULL, or these bytes).
struct TNotesRow {
    std::string ProdId;
    bool Null = true;
    std::string Bytes;
};

enum class TNotesSaved {
    Saved,
    Changed, // another program changed them since they were read: nothing was written
    Gone,    // no product has that key any more
};

// Stores notes for the product read, only while its row still holds the notes as read.
TNotesSaved SaveNotes(TDatabase* db, const TNotesRow& read, const std::string& notes);
// Stores notes for the product whatever its row holds now: saved, or gone.
TNotesSaved ReplaceNotes(TDatabase* db, const std::string& prodId, const std::string& notes);
