#include "Common.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Fold.h"
#include "text/StrMan.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTextDocument>
#include <QWidget>

#include <algorithm>
#include <utility>

bool WithDatabase(const std::function<void()>& work) {
    bool ran = false;
    try {
        InOpenDatabase([&] {
            work();
            ran = true;
        });
    } catch (const Exception& e) {
        if (FirstTellingInAction(e.what()))
            ShowMessage(e.what());
    }
    return ran;
}

void PrepareGrid(TStringGrid& grid) {
    grid.ClearRows();
    CurrentRow = 1;
    grid.SetColCount(2);
}

double FormatNumberColumn(TStringGrid& grid, std::string_view mask, int width) {
    double sum = 0.0;
    std::string plain;
    for (int r = 1; r <= grid.RowCount() - 2; ++r) {
        // CommaToPoint, into one reused buffer and only where there is a comma: a list load does this for
        // every row.
        std::string_view text = grid.Cells(1, r);
        if (text.find(',') != std::string_view::npos) {
            plain.assign(text);
            std::replace(plain.begin(), plain.end(), ',', '.');
            text = plain;
        }
        const ParseResult number = ParseNumber(text);
        sum += number.Value;
        grid.SetCells(1, r,
                      number.ErrorPos
                          ? std::string()
                          : StringManager.FormatPadded(mask, static_cast<std::int16_t>(width), ' ', number.Value));
    }
    return sum;
}

void SortRowsByName(TStringGrid& grid) {
    const std::vector<std::string> names = ListNames(grid);
    const std::vector<std::size_t> order = ReadingOrder(names);
    std::size_t at = 0;
    if (std::all_of(order.begin(), order.end(), [&at](std::size_t i) { return i == at++; }))
        return;
    const int columns = grid.ColCount();
    std::vector<std::string> cells;
    cells.reserve(order.size() * static_cast<std::size_t>(columns));
    for (const std::size_t i : order)
        for (int c = 0; c < columns; ++c)
            cells.push_back(grid.Cells(c, static_cast<int>(i) + 1));
    for (std::size_t r = 0; r < order.size(); ++r)
        for (int c = 0; c < columns; ++c)
            grid.SetCells(c, static_cast<int>(r) + 1,
                          cells[r * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c)]);
}

void SelectRowByName(TStringGrid& grid, const std::string& name) {
    for (int r = 1; r <= grid.RowCount() - 2; ++r)
        if (grid.Cells(0, r) == name)
            grid.SetRow(r);
}

bool ListHasName(const TStringGrid& grid, const std::string& name) {
    for (int r = 1; r <= grid.RowCount() - 2; ++r)
        if (grid.Cells(0, r) == name)
            return true;
    return false;
}

std::string TypedListName(const TStringGrid& grid, std::string_view typed) {
    return TypedName(typed, [&grid](const std::string& name) { return ListHasName(grid, name); });
}

std::vector<std::string> ListNames(const TStringGrid& grid) {
    std::vector<std::string> names;
    for (int r = 1; r <= grid.RowCount() - 2; ++r)
        names.push_back(grid.Cells(0, r));
    return names;
}

namespace {

struct TDataReplacedHandler {
    QPointer<QObject> Owner;
    std::function<void()> Handler;
};
std::vector<TDataReplacedHandler> DataReplacedHandlers;

void ForgetDestroyedOwners() {
    std::erase_if(DataReplacedHandlers, [](const TDataReplacedHandler& each) { return each.Owner.isNull(); });
}

} // namespace

void OnDataReplaced(QObject& owner, std::function<void()> handler) {
    ForgetDestroyedOwners();
    DataReplacedHandlers.push_back({&owner, std::move(handler)});
}

void NotifyDataReplaced() {
    ForgetDestroyedOwners();
    // A handler may register another window; the ones registered now are told.
    const std::vector<TDataReplacedHandler> handlers = DataReplacedHandlers;
    for (const TDataReplacedHandler& each : handlers)
        if (each.Owner)
            Guarded(each.Handler);
}

void SetHint(QWidget& widget, const std::string& hint) {
    widget.setToolTip(ToQt(hint).replace("\r\n", "\n"));
}

TWaitCursor::TWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor() {
    QApplication::restoreOverrideCursor();
}

void SetMenuEnabled(QMenu& menu, bool enabled) {
    menu.menuAction()->setEnabled(enabled);
    menu.setEnabled(enabled);
}

bool MenuEnabled(const QMenu& menu) {
    return menu.menuAction()->isEnabled();
}

QColor ButtonFaceColor() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

QColor WindowColor() {
    return QApplication::palette().color(QPalette::Active, QPalette::Base);
}

void SetBackground(QWidget& widget, const QColor& color) {
    QPalette p = widget.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, color);
    widget.setPalette(p);
}

namespace {

// A tint of the grid's own background towards colour: light in a light palette, dark in a dark one, so the
// text keeps its contrast either way.
QColor Tint(const QWidget& grid, const QColor& colour, double share) {
    const QColor base = grid.palette().color(QPalette::Base);
    return QColor::fromRgbF(static_cast<float>(base.redF() + (colour.redF() - base.redF()) * share),
                            static_cast<float>(base.greenF() + (colour.greenF() - base.greenF()) * share),
                            static_cast<float>(base.blueF() + (colour.blueF() - base.blueF()) * share));
}

} // namespace

void MarkCell(TStringGrid& grid, int col, int row, const QColor& colour, double share, const std::string& note) {
    const QString text = ToQt(note);
    grid.SetCellData(col, row, Qt::BackgroundRole, Tint(grid, colour, share));
    // A tooltip that looks like markup is shown as markup: a name such as <B>ASE stays as it is written.
    grid.SetCellData(col, row, Qt::ToolTipRole,
                     Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text);
    grid.SetCellData(col, row, Qt::AccessibleDescriptionRole, text);
}

void FlagCell(TStringGrid& grid, int col, int row, const std::string& note) {
    MarkCell(grid, col, row, QColor(255, 160, 0), 0.35, note);
}
