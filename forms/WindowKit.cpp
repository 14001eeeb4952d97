#include "WindowKit.h"

#include "controls/Grids.h"
#include "database/Prices.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "platform/Application.h"
#include "text/Costing.h"
#include "text/StrMan.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

void SetupWindow(QDialog& window, const char* name, const QString& caption, QSize size, int helpContext) {
    window.setObjectName(name);
    window.setWindowTitle(caption);
    window.setFont(WindowFont());
    window.setModal(true);
    window.setSizeGripEnabled(true);
    window.resize(size);
    if (helpContext != NoHelpContext)
        SetHelpKey(window, helpContext);
}

QPushButton* MakeButton(QWidget& window, const char* name, const char* caption) {
    auto* button = new QPushButton(caption, &window);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QPushButton* MakeHelpButton(QWidget& window, int helpContext) {
    QPushButton* button = MakeButton(window, "HelpBtn", "&Help");
    ConnectButton(button, [helpContext] { Application.HelpContext(helpContext, HelpFileName); });
    return button;
}

QPushButton* MakeCloseButton(QDialog& window) {
    QPushButton* button = MakeButton(window, "CloseBtn", "&Close");
    ConnectButton(button, [&window] { window.close(); });
    return button;
}

QToolButton* MakeToolButton(QWidget& window, const char* name, const char* description) {
    auto* button = new QToolButton(&window);
    button->setObjectName(name);
    button->setAccessibleName(description);
    button->setToolTip(description);
    return button;
}

QHBoxLayout* MakeButtonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right) {
    auto* row = new QHBoxLayout;
    for (QWidget* button : left)
        row->addWidget(button);
    row->addStretch();
    for (QWidget* button : right)
        row->addWidget(button);
    return row;
}

QLabel* MakeLabel(QWidget& window, const char* name, const QString& text) {
    auto* label = new QLabel(text, &window);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

TStringGrid* MakeListGrid(QWidget& window, const char* name, const char* spoken,
                          std::initializer_list<TListColumn> columns) {
    auto* grid = new TStringGrid(&window);
    grid->setObjectName(name);
    grid->setAccessibleName(spoken);
    grid->SetColCount(static_cast<int>(columns.size()));
    int c = 0;
    for (const TListColumn& column : columns)
        grid->SetCells(c++, 0, column.Heading);
    // The view knows its columns before their widths are set.
    grid->Sync();
    c = 0;
    for (const TListColumn& column : columns) {
        if (column.Width)
            grid->SetColWidth(c, column.Width);
        else
            grid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
        if (column.Figures)
            grid->SetColAlignment(c, Qt::AlignRight);
        ++c;
    }
    return grid;
}

void SetListRows(TStringGrid& grid, std::size_t rows) {
    grid.ClearRows();
    grid.SetRowCount(static_cast<int>(rows) + 2);
}

std::string PriceCell(std::string_view price) {
    const ParseResult number = ParseNumber(StringManager.CommaToPoint(price));
    return number.ErrorPos ? std::string() : StringManager.FormatPadded("####0.00", 8, ' ', number.Value);
}

TStringGrid* MakeImpactGrid(QWidget& window) {
    TStringGrid* grid = MakeListGrid(
        window, "ProductsGrid", "Products whose price changes",
        {{"Product", 0}, {"Price/kg now", 90, true}, {"Price/kg after", 90, true}, {"Change (%)", 80, true}});
    grid->EnableSorting();
    return grid;
}

void FillImpactGrid(TStringGrid& grid, const std::vector<TProductImpact>& products) {
    SetListRows(grid, products.size());
    int row = 1;
    for (const TProductImpact& product : products) {
        grid.SetCells(0, row, product.Product);
        grid.SetCells(1, row, PriceCell(product.Now));
        grid.SetCells(2, row, PriceCell(product.After));
        grid.SetCells(3, row, SignedPercent(ChangePercent(product.Now, product.After)));
        ++row;
    }
}
