#include "PriceImpact.h"

#include "controls/Grids.h"
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

namespace {

// A figure of SQLite's as the lists show numbers; a text that is no number (no price) stays empty.
std::string Shown(const std::string& value, const char* mask) {
    const ParseResult number = ParseNumber(value);
    if (value.empty() || number.ErrorPos)
        return {};
    return StringManager.FormatPadded(mask, 8, ' ', number.Value);
}

} // namespace

TPriceImpact::TPriceImpact(QWidget* parent) : QDialog(parent) {
    setObjectName("PriceImpact");
    setWindowTitle("Price impact");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    setModal(true);
    setSizeGripEnabled(true);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setAccessibleName("Products whose price changes");
    StringGrid1->SetColCount(4);
    StringGrid1->SetColWidth(0, 200);
    for (int c = 1; c < 4; ++c) {
        StringGrid1->SetColWidth(c, 90);
        StringGrid1->SetColAlignment(c, Qt::AlignRight);
    }
    HelpBtn = MakeDialogButton(this, "HelpBtn", "&Help", {0, 0, 75, 25});
    CloseBtn = MakeDialogButton(this, "CloseBtn", "&Close", {0, 0, 75, 25});

    QHBoxLayout* buttons = MakeButtonRow({HelpBtn}, {CloseBtn});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(buttons);
    resize(520, 360);

    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    SetHelpKey(*this, HelpPriceImpact);
    ConnectButton(CloseBtn, [this] { CloseBtnClick(); });
}

void TPriceImpact::Execute(const std::string& compId, const std::string& name, const std::string& price) {
    setWindowTitle(ToQt("Price impact of " + name));
    TStringGrid& grid = *StringGrid1;
    grid.ClearRows();
    grid.SetColCount(4);
    grid.SetCells(0, 0, "Product");
    grid.SetCells(1, 0, "Price/kg now");
    grid.SetCells(2, 0, "Price/kg after");
    grid.SetCells(3, 0, "Change (%)");
    std::vector<TProductImpact> impact;
    bool read = false;
    WithDatabase([&] {
        impact = PriceImpact(Database, {{compId, price}});
        read = true;
    });
    grid.SetRowCount(static_cast<int>(impact.size()) + 2);
    for (std::size_t i = 0; i < impact.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        grid.SetCells(0, r, impact[i].Product);
        grid.SetCells(1, r, Shown(impact[i].Now, "####0.00"));
        grid.SetCells(2, r, Shown(impact[i].After, "####0.00"));
        grid.SetCells(3, r, Shown(impact[i].ChangePercent, "####0.00"));
    }
    const std::string newPrice = Shown(price, "####0.00");
    std::string summary = "At " + Trim(newPrice) + " per kg: ";
    if (!read)
        summary += "the products could not be read.";
    else if (impact.empty())
        summary += "no product's price per kg changes.";
    else if (impact.size() == 1)
        summary += "1 product changes its price per kg.";
    else
        summary += std::to_string(impact.size()) + " products change their price per kg.";
    Label1->setText(ToQt(summary));
    ShowModal(*this);
}

void TPriceImpact::HelpBtnClick() {
    Application.HelpContext(HelpPriceImpact, HelpFileName);
}

void TPriceImpact::CloseBtnClick() {
    close();
}
