// What the windows share: the open–run–close pattern of one action and the handling of list grids.
#pragma once

#include <QColor>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QMenu;
class QObject;
class QWidget;
class TStringGrid;

// Opens the database, runs work and closes the database again, also after an error. A failure of the
// application's kind is shown with ShowMessage; the caller goes on with its remaining steps. True when work ran
// to its end (a closing that fails after it is shown but changes nothing of what work did).
bool WithDatabase(const std::function<void()>& work);

// Empties the rows filled last time and shrinks the grid to its header row and one empty row, so the
// next load writes from row 1.
void PrepareGrid(TStringGrid& grid);

// Re-formats column 1 of every data row with mask and width; a cell that is no number is emptied.
// Returns the sum of the values read.
double FormatNumberColumn(TStringGrid& grid, std::string_view mask, int width);

// Puts the data rows in the order a reader looks names up in (ReadingOrder of column 0), after a load that
// came in byte order.
void SortRowsByName(TStringGrid& grid);

// The row of the grid whose column 0 is exactly name, made current (each match in turn).
void SelectRowByName(TStringGrid& grid, const std::string& name);

// True when a data row of the grid holds exactly name in column 0.
bool ListHasName(const TStringGrid& grid, const std::string& name);
// A name typed for a product or component of the grid's list, as it is stored and looked up (TypedName).
std::string TypedListName(const TStringGrid& grid, std::string_view typed);
// Column 0 of every data row.
std::vector<std::string> ListNames(const TStringGrid& grid);

// "The data was replaced" (a backup put back): every window that shows data registers what it does then, for as
// long as owner lives.
void OnDataReplaced(QObject& owner, std::function<void()> handler);
// Tells every registered window, in the order they registered.
void NotifyDataReplaced();

// A hint text with its line breaks as Qt shows them.
void SetHint(QWidget& widget, const std::string& hint);

// The busy cursor for as long as it lives, while the program works or waits for a lock held elsewhere.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// Marks a cell that needs the user's attention: a warm tint of the grid's background, and the note as its
// tooltip and for screen readers.
// Marks a cell in a tint of colour (share of it over the grid's background), the note as tooltip and for screen
// readers.
void MarkCell(TStringGrid& grid, int col, int row, const QColor& colour, double share, const std::string& note);
void FlagCell(TStringGrid& grid, int col, int row, const std::string& note);

void SetMenuEnabled(QMenu& menu, bool enabled);
bool MenuEnabled(const QMenu& menu);

// The system colours: button face and window.
QColor ButtonFaceColor();
QColor WindowColor();
void SetBackground(QWidget& widget, const QColor& color);
