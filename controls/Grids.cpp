#include "Grids.h"

#include "platform/Application.h"
#include "platform/QtText.h"
#include "text/CellOrder.h"
#include "text/Fold.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <numeric>

int TGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FShownRows;
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FShownCols;
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = FGrid.GridRow(index.row());
    if (role == Qt::DisplayRole)
        return ToQt(FGrid.Cells(index.column(), row));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FGrid.ColAlignment(index.column()));
    if (FGrid.FCellData.empty())
        return {};
    return FGrid.CellData(index.column(), row, role);
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FGrid.ColAlignment(section));
    if (role != Qt::DisplayRole)
        return {};
    return ToQt(FGrid.Cells(section, 0));
}

TStringGrid::TStringGrid(QWidget* parent) : QTableView(parent), FModel(*this) {
    FCells.resize(static_cast<std::size_t>(FRowCount * FColCount));
    setModel(&FModel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Moves of the mouse keep the tooltip of the cell under it up to date.
    viewport()->setMouseTracking(true);
    SetDefaultRowHeight(18);
    Sync();
}

const std::string& TStringGrid::Cells(int col, int row) const {
    static const std::string none;
    if (row < 0 || row >= FRowCount || col < 0 || col >= FColCount)
        return none;
    return FCells[static_cast<std::size_t>(row * FColCount + col)];
}

void TStringGrid::SetCells(int col, int row, std::string_view text) {
    if (row < 0 || row >= FRowCount || col < 0 || col >= FColCount)
        return;
    FCells[static_cast<std::size_t>(row * FColCount + col)].assign(text);
    if (col == 0 && static_cast<std::size_t>(row) < FSearchNameKnown.size())
        FSearchNameKnown[static_cast<std::size_t>(row)] = 0;
    ScheduleSync();
}

void TStringGrid::SetRowCount(int count) {
    count = std::max(count, 2); // the header row and at least one row below it
    if (count == FRowCount)
        return;
    const bool shrinking = count < FRowCount;
    if (!shrinking) {
        // Rows of an earlier, longer list keep their memory for the next load; they come back empty.
        const auto used = static_cast<std::size_t>(FRowCount * FColCount);
        const auto needed = static_cast<std::size_t>(count * FColCount);
        for (std::size_t i = used; i < std::min(needed, FCells.size()); ++i)
            FCells[i].clear();
        if (FSearchNameKnown.size() > static_cast<std::size_t>(FRowCount))
            std::fill(FSearchNameKnown.begin() + FRowCount, FSearchNameKnown.end(), 0);
        if (needed > FCells.size())
            FCells.resize(needed);
    }
    FRowCount = count;
    if (FFilledRows.size() > static_cast<std::size_t>(count))
        FFilledRows.resize(static_cast<std::size_t>(count));
    if (shrinking) {
        FRow = 1;
        DropCellData(count, FColCount);
        if (FRowsHidden) {
            std::erase_if(FShown, [count](int row) { return row >= count - 1; });
            FShownChanged = true;
        }
    }
    ScheduleSync();
}

void TStringGrid::SetColCount(int count) {
    count = std::max(count, 1);
    if (count == FColCount)
        return;
    std::vector<std::string> cells(static_cast<std::size_t>(FRowCount * count));
    for (int r = 0; r < FRowCount; ++r)
        for (int c = 0; c < std::min(count, FColCount); ++c)
            cells[static_cast<std::size_t>(r * count + c)] =
                std::move(FCells[static_cast<std::size_t>(r * FColCount + c)]);
    FCells = std::move(cells);
    DropCellData(FRowCount, count);
    FColCount = count;
    FCol = std::min(FCol, count - 1);
    ScheduleSync();
}

void TStringGrid::ClearRows() {
    // The rows below the header go; the one empty row that stays is emptied.
    SetRowCount(2);
    for (int c = 0; c < FColCount; ++c)
        FCells[static_cast<std::size_t>(FColCount + c)].clear();
    if (FSearchNameKnown.size() > 1)
        FSearchNameKnown[1] = 0;
    DropCellData(1, FColCount);
    ForgetSortOrder();
    ScheduleSync();
}

void TStringGrid::EnableSorting(int keptLastRows) {
    FKeptLastRows = std::max(keptLastRows, 0);
    // A heading is pressed to sort, not to select its column.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { Guarded([this, col] { HeadingClicked(col); }); });
}

void TStringGrid::HeadingClicked(int col) {
    SortByColumn(col, col == FSortColumn && !FSortDescending);
}

void TStringGrid::ForgetSortOrder() {
    FFilledRows.clear();
    FSortColumn = -1;
    FSortDescending = false;
    if (horizontalHeader()->isSortIndicatorShown())
        horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

int TStringGrid::FilledRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= FFilledRows.size())
        return row;
    return FFilledRows[static_cast<std::size_t>(row)];
}

void TStringGrid::SortByColumn(int col, bool descending) {
    if (col < 0 || col >= FColCount)
        return;
    const int first = 1;
    // Neither the empty last row nor the rows kept last are sorted.
    const int count = FRowCount - 2 - FKeptLastRows;
    std::vector<std::string> keys;
    keys.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int r = first; r < first + count; ++r) {
        const QVariant key = FCellData.empty() ? QVariant() : CellData(col, r, SortKeyRole);
        keys.push_back(key.isValid() ? FromQt(key.toString()) : Cells(col, r));
    }
    const std::vector<std::size_t> order = SortedRows(keys, descending);
    // order[i] is the row, counted from 0, that comes to be shown at row first + i.
    std::vector<int> shownAt(static_cast<std::size_t>(FRowCount));
    std::iota(shownAt.begin(), shownAt.end(), 0);
    for (std::size_t i = 0; i < order.size(); ++i)
        shownAt[order[i] + first] = static_cast<int>(i) + first;
    std::vector<std::string> cells(FCells.size());
    for (int r = 0; r < FRowCount; ++r)
        for (int c = 0; c < FColCount; ++c)
            cells[static_cast<std::size_t>(shownAt[static_cast<std::size_t>(r)] * FColCount + c)] =
                std::move(FCells[static_cast<std::size_t>(r * FColCount + c)]);
    for (std::size_t i = static_cast<std::size_t>(FRowCount * FColCount); i < FCells.size(); ++i)
        cells[i] = std::move(FCells[i]);
    FCells = std::move(cells);
    if (!FCellData.empty()) {
        decltype(FCellData) moved;
        for (auto& [key, roles] : FCellData) {
            const auto row = static_cast<int>(key >> 32);
            const auto c = static_cast<int>(key & 0xffffffffu);
            moved[CellKey(c, row < FRowCount ? shownAt[static_cast<std::size_t>(row)] : row)] = std::move(roles);
        }
        FCellData = std::move(moved);
    }
    std::vector<int> filled(static_cast<std::size_t>(FRowCount));
    for (int r = 0; r < FRowCount; ++r)
        filled[static_cast<std::size_t>(shownAt[static_cast<std::size_t>(r)])] = FilledRow(r);
    FFilledRows = std::move(filled);
    if (FRow < FRowCount)
        FRow = shownAt[static_cast<std::size_t>(FRow)];
    FSortColumn = col;
    FSortDescending = descending;
    if (horizontalHeader()->isSortIndicatorShown())
        horizontalHeader()->setSortIndicator(col, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    ScheduleSync();
    Sync();
}

void TStringGrid::SetCellData(int col, int row, int role, const QVariant& value) {
    if (row < 0 || row >= FRowCount || col < 0 || col >= FColCount)
        return;
    auto& roles = FCellData[CellKey(col, row)];
    const auto held = std::find_if(roles.begin(), roles.end(), [role](const auto& r) { return r.first == role; });
    if (held != roles.end())
        held->second = value;
    else
        roles.emplace_back(role, value);
    ScheduleSync();
}

QVariant TStringGrid::CellData(int col, int row, int role) const {
    const auto cell = FCellData.find(CellKey(col, row));
    if (cell == FCellData.end())
        return {};
    for (const auto& [held, value] : cell->second)
        if (held == role)
            return value;
    return {};
}

void TStringGrid::DropCellData(int fromRow, int fromCol) {
    if (FCellData.empty())
        return;
    std::erase_if(FCellData, [fromRow, fromCol](const auto& cell) {
        const auto row = static_cast<int>(cell.first >> 32);
        const auto col = static_cast<int>(cell.first & 0xffffffffu);
        return row >= fromRow || col >= fromCol;
    });
}

const std::string& TStringGrid::SearchName(int row) const {
    static const std::string none;
    if (row < 1 || row >= FRowCount)
        return none;
    const auto at = static_cast<std::size_t>(row);
    if (FSearchNames.size() < static_cast<std::size_t>(FRowCount)) {
        FSearchNames.resize(static_cast<std::size_t>(FRowCount));
        FSearchNameKnown.resize(static_cast<std::size_t>(FRowCount), 0);
    }
    if (!FSearchNameKnown[at]) {
        FSearchNames[at] = SearchFolded(Cells(0, row));
        FSearchNameKnown[at] = 1;
    }
    return FSearchNames[at];
}

void TStringGrid::ShowOnlyRows(std::vector<int> rows) {
    std::erase_if(rows, [this](int row) { return row < 1 || row >= FRowCount - 1; });
    if (FRowsHidden && rows == FShown)
        return;
    FShown = std::move(rows);
    FRowsHidden = true;
    FShownChanged = true;
    ScheduleSync();
}

void TStringGrid::ShowAllRows() {
    if (!FRowsHidden)
        return;
    FRowsHidden = false;
    FShown.clear();
    FShownChanged = true;
    ScheduleSync();
}

std::vector<int> TStringGrid::ShownRows() const {
    if (FRowsHidden)
        return FShown;
    std::vector<int> rows;
    for (int r = 1; r <= FRowCount - 2; ++r)
        rows.push_back(r);
    return rows;
}

int TStringGrid::GridRow(int viewRow) const {
    if (!FRowsHidden)
        return viewRow + 1;
    if (viewRow < 0 || static_cast<std::size_t>(viewRow) >= FShown.size())
        return -1;
    return FShown[static_cast<std::size_t>(viewRow)];
}

int TStringGrid::ViewRow(int row) const {
    if (!FRowsHidden)
        return row - 1;
    const auto found = std::lower_bound(FShown.begin(), FShown.end(), row);
    if (found == FShown.end() || *found != row)
        return -1;
    return static_cast<int>(found - FShown.begin());
}

QModelIndex TStringGrid::CellIndex(int col, int row) const {
    const int viewRow = ViewRow(row);
    return viewRow < 0 ? QModelIndex() : FModel.index(viewRow, col);
}

void TStringGrid::keyboardSearch(const QString& search) {
    if (search.isEmpty())
        return;
    // Letters typed in quick succession make one name; a pause starts a new one.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - FTypedAt > QApplication::keyboardInputInterval())
        FTyped.clear();
    FTypedAt = now;
    FTyped += search;
    const std::string typed = SearchFolded(FromQt(FTyped));
    if (typed.empty())
        return;
    for (const int row : ShownRows())
        if (SearchName(row).starts_with(typed)) {
            SetRow(row);
            scrollTo(CellIndex(FCol, row));
            return;
        }
}

void TStringGrid::ShowCellTip(QPoint at) {
    QString tip;
    if (!FCellData.empty()) {
        const QModelIndex index = indexAt(at);
        if (index.isValid())
            tip = CellData(index.column(), GridRow(index.row()), Qt::ToolTipRole).toString();
    }
    if (viewport()->toolTip() != tip)
        viewport()->setToolTip(tip);
}

void TStringGrid::SetRow(int row) {
    row = std::clamp(row, 1, RowCount() - 1);
    if (row == FRow)
        return;
    FRow = row;
    SyncCurrentCell();
    FireClick();
}

void TStringGrid::SetColWidth(int col, int width) {
    Sync();
    setColumnWidth(col, width);
}

void TStringGrid::SetColAlignment(int col, Qt::Alignment alignment) {
    if (col < 0)
        return;
    if (static_cast<std::size_t>(col) >= FColAlignments.size())
        FColAlignments.resize(static_cast<std::size_t>(col) + 1, Qt::AlignLeft | Qt::AlignVCenter);
    FColAlignments[static_cast<std::size_t>(col)] = alignment | Qt::AlignVCenter;
    viewport()->update();
}

Qt::Alignment TStringGrid::ColAlignment(int col) const {
    if (col < 0 || static_cast<std::size_t>(col) >= FColAlignments.size())
        return Qt::AlignLeft | Qt::AlignVCenter;
    return FColAlignments[static_cast<std::size_t>(col)];
}

void TStringGrid::SetDefaultRowHeight(int height) {
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
    horizontalHeader()->setFixedHeight(height);
}

void TStringGrid::ScheduleSync() {
    // Loading a list changes the grid row by row; the view is told once, at the next turn of the event loop.
    if (FSyncPending)
        return;
    FSyncPending = true;
    QMetaObject::invokeMethod(this, &TStringGrid::Sync, Qt::QueuedConnection);
}

void TStringGrid::Sync() {
    FSyncPending = false;
    // Removing rows can make the view pick a new current row by itself; the grid's own Row stands, and
    // no click event comes of it.
    FSettingView = true;
    const int rows = FRowsHidden ? static_cast<int>(FShown.size()) : RowCount() - 1;
    const int cols = FColCount;
    // Other rows shown: the view forgets the old ones and learns the new, keeping its columns as they are.
    if (FShownChanged) {
        FShownChanged = false;
        if (FModel.FShownRows > 0) {
            FModel.beginRemoveRows({}, 0, FModel.FShownRows - 1);
            FModel.FShownRows = 0;
            FModel.endRemoveRows();
        }
    }
    if (cols > FModel.FShownCols) {
        FModel.beginInsertColumns({}, FModel.FShownCols, cols - 1);
        FModel.FShownCols = cols;
        FModel.endInsertColumns();
    } else if (cols < FModel.FShownCols) {
        FModel.beginRemoveColumns({}, cols, FModel.FShownCols - 1);
        FModel.FShownCols = cols;
        FModel.endRemoveColumns();
    }
    if (rows > FModel.FShownRows) {
        FModel.beginInsertRows({}, FModel.FShownRows, rows - 1);
        FModel.FShownRows = rows;
        FModel.endInsertRows();
    } else if (rows < FModel.FShownRows) {
        FModel.beginRemoveRows({}, rows, FModel.FShownRows - 1);
        FModel.FShownRows = rows;
        FModel.endRemoveRows();
    }
    if (rows > 0 && cols > 0)
        emit FModel.dataChanged(FModel.index(0, 0), FModel.index(rows - 1, cols - 1));
    emit FModel.headerDataChanged(Qt::Horizontal, 0, cols - 1);
    FSettingView = false;
    SyncCurrentCell();
}

void TStringGrid::SyncCurrentCell() {
    if (FSyncPending || !selectionModel())
        return;
    const QModelIndex index = CellIndex(FCol, FRow);
    if (index == currentIndex())
        return;
    const bool wasSetting = FSettingView;
    FSettingView = true;
    // A current row the view does not show leaves the view without a current cell.
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    FSettingView = wasSetting;
}

void TStringGrid::FireClick() {
    if (OnClick)
        OnClick();
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (FSettingView || !current.isValid())
        return;
    const int row = GridRow(current.row());
    const int col = current.column();
    if (row == FRow && col == FCol)
        return;
    FRow = row;
    FCol = col;
    // A mouse click reports itself when the button is released; a keyboard move reports at once.
    if (!FMouseSelecting)
        Guarded([this] { FireClick(); });
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        // The pop-up commands act on the row the user pointed at.
        if (index.isValid()) {
            setFocus(Qt::MouseFocusReason);
            FRow = GridRow(index.row());
            FCol = index.column();
            SyncCurrentCell();
            Guarded([this] { FireClick(); });
        }
        event->accept();
        return;
    }
    FPressedOnCell = index.isValid() && event->button() == Qt::LeftButton;
    FMouseSelecting = true;
    QTableView::mousePressEvent(event);
    FMouseSelecting = false;
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && FPressedOnCell) {
        FPressedOnCell = false;
        Guarded([this] { FireClick(); });
    }
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    FPressedOnCell = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    FMouseSelecting = true;
    QTableView::mouseDoubleClickEvent(event);
    FMouseSelecting = false;
    if (event->button() == Qt::LeftButton && index.isValid() && OnDblClick)
        Guarded([this] { OnDblClick(); });
}

bool TStringGrid::viewportEvent(QEvent* event) {
    // A cell without a tooltip leaves the viewport without one, so the grid's own hint shows there.
    if (event->type() == QEvent::MouseMove)
        ShowCellTip(static_cast<QMouseEvent*>(event)->position().toPoint());
    else if (event->type() == QEvent::Leave && !viewport()->toolTip().isEmpty())
        viewport()->setToolTip({});
    return QTableView::viewportEvent(event);
}

void TStringGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!FPopupMenu) {
        event->ignore();
        return;
    }
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard)
        at = viewport()->mapToGlobal(visualRect(CellIndex(FCol, FRow)).center());
    FPopupMenu->popup(at);
    event->accept();
}
