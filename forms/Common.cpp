#include "Common.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
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

// A warm tint of the grid's own background: light in a light palette, dark in a dark one, so the text
// keeps its contrast either way.
QColor FlagColor(const QWidget& grid) {
    const QColor base = grid.palette().color(QPalette::Base);
    const QColor warm(255, 160, 0);
    constexpr double share = 0.35;
    return QColor::fromRgbF(static_cast<float>(base.redF() + (warm.redF() - base.redF()) * share),
                            static_cast<float>(base.greenF() + (warm.greenF() - base.greenF()) * share),
                            static_cast<float>(base.blueF() + (warm.blueF() - base.blueF()) * share));
}

} // namespace

void FlagCell(TStringGrid& grid, int col, int row, const std::string& note) {
    const QString text = ToQt(note);
    grid.SetCellData(col, row, Qt::BackgroundRole, FlagColor(grid));
    // A tooltip that looks like markup is shown as markup: a name such as <B>ASE stays as it is written.
    grid.SetCellData(col, row, Qt::ToolTipRole,
                     Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text);
    grid.SetCellData(col, row, Qt::AccessibleDescriptionRole, text);
}
