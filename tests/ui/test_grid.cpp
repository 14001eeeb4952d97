// The text grid's event model, as the windows rely on it, and the list controls' models as views rely on them.
#include "controls/Grids.h"
#include "controls/ListBox.h"
#include "controls/StdCtrls.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Fixture {
    TStringGrid grid;
    int clicks = 0;
    int doubleClicks = 0;
    Fixture() {
        grid.resize(300, 300);
        grid.SetCells(0, 0, "Name");
        for (int r = 1; r <= 5; ++r) {
            grid.SetCells(0, r, "ROW " + std::to_string(r));
            grid.SetRowCount(grid.RowCount() + 1);
        }
        WatchModels(grid);
        grid.OnClick = [this] { ++clicks; };
        grid.OnDblClick = [this] { ++doubleClicks; };
        grid.show();
        grid.Sync();
        QApplication::processEvents();
    }
    QPoint CellCentre(int row) { return grid.visualRect(grid.model()->index(row - 1, 0)).center(); }
};

TEST(Grid, ClickEventOnEveryMoveButNotOnShrinking) {
    Fixture f;
    ASSERT_EQ(f.grid.RowCount(), 7);
    EXPECT_EQ(f.grid.Row(), 1);
    f.grid.SetRow(4);
    EXPECT_EQ(f.clicks, 1) << "a change of Row by the program";
    f.grid.SetRow(4);
    EXPECT_EQ(f.clicks, 1) << "no change, no event";

    f.grid.setFocus();
    QTest::keyClick(&f.grid, Qt::Key_Down);
    EXPECT_EQ(f.grid.Row(), 5);
    EXPECT_EQ(f.clicks, 2) << "a keyboard move";

    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, f.CellCentre(2));
    EXPECT_EQ(f.grid.Row(), 2);
    EXPECT_EQ(f.clicks, 3) << "one event per mouse click";
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, f.CellCentre(2));
    EXPECT_EQ(f.clicks, 4) << "a click on the current cell fires too";
    QTest::mouseDClick(f.grid.viewport(), Qt::LeftButton, {}, f.CellCentre(3));
    EXPECT_EQ(f.doubleClicks, 1);
    EXPECT_EQ(f.grid.Row(), 3);

    f.grid.SetRow(5);
    const int before = f.clicks;
    f.grid.SetRowCount(2);
    EXPECT_EQ(f.grid.Row(), 1);
    EXPECT_EQ(f.clicks, before) << "shrinking moves to row 1 silently";
    EXPECT_EQ(f.grid.Cells(0, 0), "Name") << "the header row stays";
    EXPECT_EQ(f.grid.Cells(0, 5), "") << "cells of removed rows are gone";
}

TEST(Grid, RightClickSelectsTheCellThenOpensTheMenu) {
    Fixture f;
    QMenu menu;
    menu.addAction("Delete");
    f.grid.SetPopupMenu(&menu);
    QTest::mousePress(f.grid.viewport(), Qt::RightButton, {}, f.CellCentre(4));
    QContextMenuEvent context(QContextMenuEvent::Mouse, f.CellCentre(4),
                              f.grid.viewport()->mapToGlobal(f.CellCentre(4)));
    QApplication::sendEvent(f.grid.viewport(), &context);
    EXPECT_EQ(f.grid.Row(), 4);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST(Grid, ViewFollowsTheCellsAfterTheEventLoopTurns) {
    Fixture f;
    f.grid.SetCells(0, 2, "CHANGED");
    f.grid.SetRowCount(10);
    QApplication::processEvents();
    EXPECT_EQ(f.grid.model()->rowCount(), 9);
    EXPECT_EQ(f.grid.model()->index(1, 0).data().toString(), "CHANGED");
    EXPECT_EQ(f.grid.model()->headerData(0, Qt::Horizontal).toString(), "Name");
}

// Each list is loaded, loaded again shorter within one turn of the event loop (as a refresh does), shrunk and
// cleared, with the model tester watching; the views see every state.
TEST(Lists, ModelsKeepTheRulesThroughLoadShrinkAndClear) {
    QWidget window;
    auto* grid = new TStringGrid(&window);
    auto* list = new TListBox(&window);
    auto* combo = new TComboBox(&window);
    WatchModels(window);
    window.show();
    const auto load = [&](int count) {
        grid->ClearRows();
        list->Clear();
        combo->Clear();
        std::vector<std::string> lines;
        for (int r = 1; r <= count; ++r) {
            const std::string name = "ROW " + std::to_string(r);
            grid->SetCells(0, r, name);
            grid->SetCells(1, r, std::to_string(r));
            grid->SetRowCount(grid->RowCount() + 1);
            lines.push_back(name + "\t" + std::to_string(r));
            combo->AddItem(name);
        }
        list->AddItems(lines);
        QApplication::processEvents();
    };
    const auto shown = [&] {
        return std::vector<int>{grid->model()->rowCount(), grid->model()->columnCount(), list->model()->rowCount(),
                                combo->count()};
    };

    load(6);
    EXPECT_EQ(shown(), (std::vector<int>{7, 2, 6, 6}));
    EXPECT_EQ(combo->itemText(5), "ROW 6");
    load(2);
    EXPECT_EQ(shown(), (std::vector<int>{3, 2, 2, 2}));
    EXPECT_EQ(grid->model()->index(1, 0).data().toString(), "ROW 2");
    grid->SetRowCount(2);
    grid->SetColCount(1);
    QApplication::processEvents();
    EXPECT_EQ(shown(), (std::vector<int>{1, 1, 2, 2}));
    grid->SetColCount(3);
    grid->ClearRows();
    list->Clear();
    combo->Clear();
    QApplication::processEvents();
    EXPECT_EQ(shown(), (std::vector<int>{1, 3, 0, 0}));
}

} // namespace

namespace {

// Clicks the heading of col as a user would.
void ClickHeading(TStringGrid& grid, int col) {
    QHeaderView* header = grid.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

std::vector<std::string> Shown(const TStringGrid& grid, int col) {
    std::vector<std::string> cells;
    for (int r = 1; r < grid.RowCount(); ++r)
        cells.push_back(grid.Cells(col, r));
    return cells;
}

} // namespace

TEST(Grid, AHeadingClickSortsItsLinesWithTheirDataUntilTheNextLoad) {
    TStringGrid grid;
    grid.resize(300, 200);
    grid.SetColCount(2);
    grid.SetCells(0, 0, "Name");
    grid.SetCells(1, 0, "Price");
    grid.SetRowCount(5);
    const std::vector<std::pair<std::string, std::string>> lines = {{"B", "10.50"}, {"A", ""}, {"C", "9.75"}};
    for (int r = 1; r <= 3; ++r) {
        grid.SetCells(0, r, lines[static_cast<std::size_t>(r - 1)].first);
        grid.SetCells(1, r, lines[static_cast<std::size_t>(r - 1)].second);
    }
    grid.SetCellData(0, 1, Qt::ToolTipRole, "of B");
    grid.EnableSorting();
    WatchModels(grid);
    int clicks = 0;
    grid.OnClick = [&clicks] { ++clicks; };
    grid.show();
    grid.Sync();
    grid.SetRow(1);
    clicks = 0;

    ClickHeading(grid, 1);
    EXPECT_EQ(Shown(grid, 0), (std::vector<std::string>{"C", "B", "A", ""})) << "the empty last row stays last";
    EXPECT_EQ(grid.CellData(0, 2, Qt::ToolTipRole).toString(), "of B");
    EXPECT_EQ(grid.Row(), 2) << "the current line is still B";
    EXPECT_EQ(grid.FilledRow(2), 1);
    EXPECT_EQ(grid.model()->data(grid.model()->index(1, 0)).toString(), "B");
    ClickHeading(grid, 1);
    EXPECT_EQ(Shown(grid, 0), (std::vector<std::string>{"B", "C", "A", ""})) << "reversed, the empty price last";
    ClickHeading(grid, 0);
    EXPECT_EQ(Shown(grid, 0), (std::vector<std::string>{"A", "B", "C", ""}));
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(clicks, 0) << "sorting is no move of the user's";

    // A load starts from the order given again.
    grid.ClearRows();
    grid.SetRowCount(4);
    grid.SetCells(0, 1, "Z");
    grid.SetCells(0, 2, "Y");
    EXPECT_EQ(grid.SortColumn(), -1);
    EXPECT_EQ(grid.FilledRow(2), 2);
    EXPECT_EQ(Shown(grid, 0), (std::vector<std::string>{"Z", "Y", ""}));
}

TEST(Grid, ATotalsRowKeptLastStaysBelowTheSortedLines) {
    TStringGrid grid;
    grid.resize(300, 200);
    grid.SetCells(0, 0, "Name");
    grid.SetCells(1, 0, "Cost");
    grid.SetRowCount(5);
    const std::vector<std::pair<std::string, std::string>> lines = {{"B", "2.00"}, {"A", "10.00"}, {"TOTAL", "12.00"}};
    for (int r = 1; r <= 3; ++r) {
        grid.SetCells(0, r, lines[static_cast<std::size_t>(r - 1)].first);
        grid.SetCells(1, r, lines[static_cast<std::size_t>(r - 1)].second);
    }
    grid.SetCellData(0, 3, Qt::ToolTipRole, "of the total");
    grid.EnableSorting(1);
    grid.show();
    grid.Sync();
    ClickHeading(grid, 1);
    EXPECT_EQ(Shown(grid, 0), (std::vector<std::string>{"B", "A", "TOTAL", ""}));
    ClickHeading(grid, 1);
    EXPECT_EQ(Shown(grid, 0), (std::vector<std::string>{"A", "B", "TOTAL", ""}));
    EXPECT_TRUE(grid.SortDescending());
    EXPECT_EQ(grid.CellData(0, 3, Qt::ToolTipRole).toString(), "of the total");
}
