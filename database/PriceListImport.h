// A supplier's price list applied to the component list: what it would change and which products it
// moves, then all of its changes written in one transaction or none of them.
#pragma once

#include "database/Database.h"
#include "database/Prices.h"
#include "text/PriceList.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class TDatabase;

// A component whose stored price the list changes.
struct TPriceChange {
    int Line = 0;          // the line of the file that gives the new price
    std::string CompId;    // Materials.Comp_ID
    std::string Component; // the name as stored
    std::string Now;       // the stored price as SQLite reads it out (empty for none)
    std::string New;       // the price as read from the file, with a point
    TValue Stored;         // the stored price exactly as read, to be found again at Apply
};

struct TImportPreview {
    TPriceListLayout Layout;              // how the file was read
    std::vector<TPriceChange> Changes;    // in the order of the file
    int Unchanged = 0;                    // lines that name a component with the price it has already
    std::vector<TSkippedLine> Skipped;    // in the order of the file, the first SkippedLinesKept
    std::size_t MoreSkipped = 0;          // the skipped lines after those
    std::vector<TProductImpact> Products; // the products whose price per kg moves, largest change first
};

// Reads a list: gives each of its lines to line, in the order of the file, and returns its layout.
using TPriceLineSource = std::function<TPriceListLayout(const std::function<void(const TPriceListLine&)>& line)>;

// What the lines would change and what that does to the products; nothing is written to the file. The lines
// are matched as they are read, so a long list is never held whole.
TImportPreview PreviewPriceImport(TDatabase* db, const TPriceLineSource& lines);
TImportPreview PreviewPriceImport(TDatabase* db, const TPriceList& list);
// The same on a connection of its own to DatabaseFileName, opened and closed here, so that it can run off
// the window thread while the window's actions keep theirs.
TImportPreview PreviewPriceImport(const TPriceLineSource& lines);

// The preview's summary: "3 prices change, 1 unchanged, 2 lines skipped; 4 products change price".
std::string ImportSummary(const TImportPreview& preview);

struct TImportResult {
    int Changed = 0;                // components whose price was written
    std::vector<std::string> Moved; // the components changed since the preview, in the order of the file
};

// Writes the new prices of changes, each with the date of today and a history row for the price it
// replaces, in one transaction that is rolled back whole on any failure. Nothing is written when any of
// the components no longer has the number, the name and the stored price that the preview read; those
// are listed in Moved.
TImportResult ApplyPriceImport(TDatabase* db, const std::vector<TPriceChange>& changes);

// "The price list was not applied: 2 components changed since the preview (SUGAR and SALT). Preview it
// again."
std::string NotAppliedText(const std::vector<std::string>& moved);
