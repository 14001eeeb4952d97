#include "PriceHistory.h"

#include "controls/Grids.h"
#include "controls/PriceChart.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "forms/WindowKit.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TPriceHistory::TPriceHistory(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "PriceHistory", "Price history", {460, 440}, HelpPriceHistory);
    PriceChart = new TPriceChart(this);
    PriceChart->setObjectName("PriceChart");
    PriceChart->setAccessibleName("Price over time");
    PricesGrid = MakeListGrid(*this, "PricesGrid", "Prices, newest first", {{"Date", 120}, {"Price/kg", 90, true}});
    PricesGrid->setMinimumHeight(120);
    NoHistoryLabel = MakeLabel(*this, "NoHistoryLabel");
    NoHistoryLabel->setWordWrap(true);
    NoHistoryLabel->hide();
    HelpBtn = MakeHelpButton(*this, HelpPriceHistory);
    CloseBtn = MakeCloseButton(*this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PriceChart, 3);
    layout->addWidget(PricesGrid, 2);
    layout->addWidget(NoHistoryLabel);
    layout->addLayout(MakeButtonRow({HelpBtn}, {CloseBtn}));
}

void TPriceHistory::Load(const std::string& compId) {
    TComponentPrices history;
    WithDatabase([&compId, &history] { history = PriceHistoryOf(Database, compId); });
    TStringGrid& grid = *PricesGrid;
    SetListRows(grid, history.Prices.size());
    int row = 1;
    for (const TDatedPrice& price : history.Prices) {
        grid.SetCells(0, row, price.Date);
        grid.SetCells(1, row, price.Price);
        ++row;
    }
    const QString note = history.Shape == TPriceHistoryShape::Other
                             ? QString("This file's PriceHistory table has another shape; no price history is kept.")
                             : QString();
    NoHistoryLabel->setText(note);
    NoHistoryLabel->setAccessibleName(note);
    NoHistoryLabel->setVisible(!note.isEmpty());
    // The chart runs the other way, oldest first, from the prices as stored.
    std::vector<TPricePoint> points;
    for (auto price = history.Prices.rbegin(); price != history.Prices.rend(); ++price) {
        const ParseResult number = ParseNumber(StringManager.CommaToPoint(price->Price));
        if (!number.ErrorPos)
            points.push_back({QDate::fromString(ToQt(price->Date), Qt::ISODate), number.Value});
    }
    PriceChart->SetPoints(std::move(points));
    FormatNumberColumn(grid, "####0.00", 8);
}

void TPriceHistory::Execute(const TPriceHistoryRequest& request) {
    setWindowTitle(ToQt("Price history of " + request.Name));
    Load(request.CompId);
    ShowModal(*this);
}
