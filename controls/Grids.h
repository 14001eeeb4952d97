// The text grid of the windows: cells hold bytes, row 0 is the fixed header row, cells are never
// edited in place. The click event fires on a mouse click, on every move of the current cell by
// keyboard and on every change of Row by the program; shrinking the grid makes row 1 current silently.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class QMenu;
class TStringGrid;

// A cell's text to sort by (SetCellData) where the text shown would sort wrongly, such as a date in the
// locale's format.
inline constexpr int SortKeyRole = Qt::UserRole + 1;

class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(TStringGrid& grid) : FGrid(grid) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    friend class TStringGrid;
    TStringGrid& FGrid;
    int FShownRows = 0; // data rows the view knows of
    int FShownCols = 0;
};

class TStringGrid : public QTableView {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    // The cell's text; an empty text outside the grid.
    const std::string& Cells(int col, int row) const;
    void SetCells(int col, int row, std::string_view text);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int count);
    int ColCount() const { return FColCount; }
    void SetColCount(int count);
    // Shrinks the grid to its header row and one empty row (row 1 current, without a click event).
    void ClearRows();
    int Row() const { return FRow; }
    void SetRow(int row);

    void SetColWidth(int col, int width);
    // Number columns are drawn right-aligned so that their decimal points line up; the cell texts stay as they are.
    void SetColAlignment(int col, Qt::Alignment alignment);
    Qt::Alignment ColAlignment(int col) const;
    void SetDefaultRowHeight(int height);
    // A value of the cell for one more role of the model (a background, a tooltip, an accessible
    // description); its text stays its own. Emptying or shrinking the grid drops the values of the rows
    // that go, so a reload starts without them.
    void SetCellData(int col, int row, int role, const QVariant& value);
    QVariant CellData(int col, int row, int role) const;
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

    // A click on a column heading sorts the data rows by that column, a second click the other way (figures by
    // value, empty cells last); the empty last row stays last. Emptying the grid (a reload) returns to the
    // order in which the rows are filled. The last keptLastRows data rows (a totals row) stay where they are.
    void EnableSorting(int keptLastRows = 0);
    // Sorts the data rows by col, descending or not; the current row stays on its line.
    void SortByColumn(int col, bool descending);
    // The column the rows are sorted by, or -1 while they stand as filled.
    int SortColumn() const { return FSortColumn; }
    bool SortDescending() const { return FSortDescending; }
    // The row on which the line now shown at row was filled: row itself until the rows are sorted.
    int FilledRow(int row) const;
    // Column 0 of a data row folded for finding (SearchFolded), worked out once per text of the cell.
    const std::string& SearchName(int row) const;
    // Shows only the given data rows (ascending), in the view and to screen readers alike; Cells, RowCount
    // and Row still mean every row. The current row stays the current row, shown or not, and no click event
    // comes of it. Shrinking the grid drops the rows that go.
    void ShowOnlyRows(std::vector<int> rows);
    void ShowAllRows();
    bool RowsHidden() const { return FRowsHidden; }
    // The data rows shown, in order.
    std::vector<int> ShownRows() const;
    // The row the view shows at index viewRow, and back (-1 for a row not shown).
    int GridRow(int viewRow) const;
    int ViewRow(int row) const;
    // The view's index of cell (col, row): invalid for a row not shown.
    QModelIndex CellIndex(int col, int row) const;

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

    // Brings the view up to date with the cells now; otherwise it follows at the next turn of the event loop.
    void Sync();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Letters typed in the list move to the first shown row whose name starts with them, in either case
    // and with or without accents.
    void keyboardSearch(const QString& search) override;

private:
    friend class TGridModel;
    void ScheduleSync();
    void FireClick();
    void SyncCurrentCell();
    void DropCellData(int fromRow, int fromCol);
    void HeadingClicked(int col);
    void ForgetSortOrder();
    // The tooltip of the cell under the mouse, on the viewport, where the program's hints look for it.
    void ShowCellTip(QPoint at);

    TGridModel FModel;
    std::vector<std::string> FCells; // row by row, ColCount cells each
    int FRowCount = 2;
    int FColCount = 2;
    int FRow = 1;
    int FCol = 0;
    bool FSyncPending = false;
    bool FSettingView = false;
    bool FMouseSelecting = false;
    bool FPressedOnCell = false;
    bool FRowsHidden = false;
    bool FShownChanged = false;
    std::vector<int> FShown; // the data rows shown while rows are hidden
    mutable std::vector<std::string> FSearchNames;
    mutable std::vector<char> FSearchNameKnown;
    QString FTyped;
    qint64 FTypedAt = 0;
    QMenu* FPopupMenu = nullptr;
    int FSortColumn = -1;
    bool FSortDescending = false;
    int FKeptLastRows = 0;
    // By row shown, the row it was filled on; empty while the rows stand as filled.
    std::vector<int> FFilledRows;
    std::vector<Qt::Alignment> FColAlignments;
    // Few cells carry data of other roles: they are kept apart from the texts, by row and column.
    static std::uint64_t CellKey(int col, int row) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(col);
    }
    std::unordered_map<std::uint64_t, std::vector<std::pair<int, QVariant>>> FCellData;
};
