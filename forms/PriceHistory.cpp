#include "PriceHistory.h"

#include "controls/Grids.h"
#include "controls/PriceChart.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TPriceHistory::TPriceHistory(QWidget* parent) : QDialog(parent) {
    setObjectName("PriceHistory");
    setWindowTitle("Price history");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    setModal(true);
    setSizeGripEnabled(true);

    PriceChart = new TPriceChart(this);
    PriceChart->setObjectName("PriceChart");
    PriceChart->setAccessibleName("Price over time");
    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setAccessibleName("Prices, newest first");
    StringGrid1->SetColWidth(0, 120);
    StringGrid1->SetColWidth(1, 90);
    StringGrid1->SetColAlignment(1, Qt::AlignRight);
    StringGrid1->setMinimumHeight(120);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->hide();
    HelpBtn = MakeDialogButton(this, "HelpBtn", "&Help", {0, 0, 75, 25});
    CloseBtn = MakeDialogButton(this, "CloseBtn", "&Close", {0, 0, 75, 25});

    QHBoxLayout* buttons = MakeButtonRow({HelpBtn}, {CloseBtn});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PriceChart, 3);
    layout->addWidget(StringGrid1, 2);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    resize(460, 440);

    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    SetHelpKey(*this, HelpPriceHistory);
    ConnectButton(CloseBtn, [this] { CloseBtnClick(); });
}

void TPriceHistory::Load(const std::string& compId) {
    TStringGrid& grid = *StringGrid1;
    grid.ClearRows();
    grid.SetColCount(2);
    grid.SetCells(0, 0, "Date");
    grid.SetCells(1, 0, "Price/kg");
    const auto add = [&grid](const TResultRow& row) {
        const int r = grid.RowCount() - 1;
        grid.SetRowCount(grid.RowCount() + 1);
        grid.SetCells(0, r, row.Text(0));
        grid.SetCells(1, r, row.Text(1));
    };
    TPriceHistoryShape shape = TPriceHistoryShape::Missing;
    WithDatabase([&compId, &add, &shape] {
        const std::string ofComponent = "Comp_ID = '" + StringManager.QuoteSql(compId) + "'";
        ForEachRow(Database, "SELECT Date, Price FROM Materials WHERE " + ofComponent + ";", add);
        // A file that never had a price changed has no history yet.
        shape = PriceHistoryShape(Database);
        if (shape == TPriceHistoryShape::Usable)
            ForEachRow(Database,
                       "SELECT Date, Price FROM PriceHistory WHERE " + ofComponent + " ORDER BY Date DESC, rowid DESC;",
                       add);
    });
    const QString note = shape == TPriceHistoryShape::Other
                             ? QString("This file's PriceHistory table has another shape; no price history is kept.")
                             : QString();
    Label1->setText(note);
    Label1->setAccessibleName(note);
    Label1->setVisible(!note.isEmpty());
    // The chart runs the other way, oldest first, from the prices as stored.
    std::vector<TPricePoint> points;
    for (int r = grid.RowCount() - 2; r >= 1; --r) {
        const ParseResult price = ParseNumber(StringManager.CommaToPoint(grid.Cells(1, r)));
        if (!price.ErrorPos && !grid.Cells(1, r).empty())
            points.push_back({QDate::fromString(ToQt(grid.Cells(0, r)), Qt::ISODate), price.Value});
    }
    PriceChart->SetPoints(std::move(points));
    FormatNumberColumn(grid, "####0.00", 8);
}

void TPriceHistory::Execute(const std::string& compId, const std::string& name) {
    setWindowTitle(ToQt("Price history of " + name));
    Load(compId);
    ShowModal(*this);
}

void TPriceHistory::HelpBtnClick() {
    Application.HelpContext(HelpPriceHistory, HelpFileName);
}

void TPriceHistory::CloseBtnClick() {
    close();
}
