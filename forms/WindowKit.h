// The kit of the windows laid out by Qt (the price history and impact, the price-list import, the backups, the
// print preview, and the windows to come): built with these helpers, they share one font, modal showing
// through the dialog service, a size grip, F1 to their help topic, one button row and one kind of list grid.
#pragma once

#include <QSize>
#include <QString>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;
class TStringGrid;
struct TProductImpact;

// A window without a help topic of its own: F1 does nothing in it.
inline constexpr int NoHelpContext = 0;

// Names and captions window, gives it the windows' font, a size grip and its first size, and makes it modal: it
// is shown with ShowModal, through the dialog service. With a help context, F1 anywhere in it opens that topic.
void SetupWindow(QDialog& window, const char* name, const QString& caption, QSize size, int helpContext);

// A button of the button row. None is the default button, so Enter in a field applies or prints nothing.
QPushButton* MakeButton(QWidget& window, const char* name, const char* caption);
// "&Help", which opens the window's help topic.
QPushButton* MakeHelpButton(QWidget& window, int helpContext);
// "&Close", which closes the window.
QPushButton* MakeCloseButton(QDialog& window);
// A small button of a tool row without a caption: named for screen readers by what it does, as its hint says.
QToolButton* MakeToolButton(QWidget& window, const char* name, const char* description);
// The button row under a window's content: left buttons at its left edge, right buttons at its right.
QHBoxLayout* MakeButtonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right);

// A label that shows its text as written: a name in it is never taken for markup.
QLabel* MakeLabel(QWidget& window, const char* name, const QString& text = {});

// A column of a list grid: its heading, its width in pixels (0: it takes the room the other columns leave) and
// whether it holds figures, which are right-aligned so that their decimal points line up.
struct TListColumn {
    const char* Heading;
    int Width;
    bool Figures = false;
};
// The list grid of these windows, its headings in row 0, read by screen readers as spoken.
TStringGrid* MakeListGrid(QWidget& window, const char* name, const char* spoken,
                          std::initializer_list<TListColumn> columns);
// Empties the data rows of a list grid and makes room for rows of them, with the one empty row after them.
void SetListRows(TStringGrid& grid, std::size_t rows);

// A price as the lists show it: two decimals and the locale's separator; empty where the text is no number.
std::string PriceCell(std::string_view price);

// The grid of the "Price impact of ..." windows: the products whose price per kg new prices move.
TStringGrid* MakeImpactGrid(QWidget& window);
// Fills it, in the order given: each product, its price per kg now and after, and the change in percent.
void FillImpactGrid(TStringGrid& grid, const std::vector<TProductImpact>& products);
