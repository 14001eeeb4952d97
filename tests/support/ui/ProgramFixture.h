// Widget tests of the whole program: the seven windows created as at start, on a database in a
// fresh temporary directory, every dialog answered by the scripted service.
#pragma once

#include "tests/support/TestDatabase.h"
#include "tests/support/ui/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class QAction;
class QObject;
class TStringGrid;

// Watches the models of every grid, list box and combo box in root (root included) with Qt's model tester,
// which ends the test program at the first signal or answer that breaks the model rules views rely on.
void WatchModels(QObject& root);

class ProgramFixture : public ::testing::Test {
protected:
    // The user's settings of the run (the main window's place among them) live in the test's folder.
    ProgramFixture();
    void TearDown() override;
    // Creates the windows in their order, shows the main window and waits for its first activation. Every
    // list control's model is watched from then on.
    void StartProgram();
    // The cells of one column over the data rows (1 to row count − 2).
    static std::vector<std::string> Column(const TStringGrid& grid, int col);
    // Lets the views catch up with their grids.
    static void Settle();
    // Chooses the command as a user would.
    static void Trigger(QAction* action);
    // Makes row the grid's current row the way a mouse click on it does.
    static void ClickRow(TStringGrid& grid, int row);
    // Clicks the heading of col, which sorts a grid that sorts.
    static void ClickHeading(TStringGrid& grid, int col);
    // The data row whose column 0 is name; -1 when there is none.
    static int RowOf(const TStringGrid& grid, const std::string& name);

    TempDir dir;
    ScriptedDialogs dialogs;
};
