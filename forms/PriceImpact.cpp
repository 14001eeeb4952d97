#include "PriceImpact.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "forms/WindowKit.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/SysUtils.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TPriceImpact::TPriceImpact(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "PriceImpact", "Price impact", {520, 360}, HelpPriceImpact);
    SummaryLabel = MakeLabel(*this, "SummaryLabel");
    SummaryLabel->setWordWrap(true);
    ProductsGrid = MakeImpactGrid(*this);
    HelpBtn = MakeHelpButton(*this, HelpPriceImpact);
    CloseBtn = MakeCloseButton(*this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SummaryLabel);
    layout->addWidget(ProductsGrid, 1);
    layout->addLayout(MakeButtonRow({HelpBtn}, {CloseBtn}));
}

void TPriceImpact::Execute(const TPriceImpactRequest& request) {
    setWindowTitle(ToQt("Price impact of " + request.Name));
    std::vector<TProductImpact> impact;
    const bool read = WithDatabase([&] { impact = PriceImpact(Database, {{request.CompId, request.Price}}); });
    FillImpactGrid(*ProductsGrid, impact);
    std::string summary = "At " + Trim(PriceCell(request.Price)) + " per kg: ";
    if (!read)
        summary += "the products could not be read.";
    else if (impact.empty())
        summary += "no product's price per kg changes.";
    else if (impact.size() == 1)
        summary += "1 product changes its price per kg.";
    else
        summary += std::to_string(impact.size()) + " products change their price per kg.";
    SummaryLabel->setText(ToQt(summary));
    ShowModal(*this);
}
