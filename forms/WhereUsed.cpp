#include "WhereUsed.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "database/RawMaterials.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "forms/WindowKit.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <set>

namespace {

QPointer<TWhereUsed> Window;

} // namespace

TWhereUsed::TWhereUsed(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "WhereUsed", "Where used", {560, 360}, HelpWhereUsed);
    SummaryLabel = MakeLabel(*this, "SummaryLabel");
    SummaryLabel->setWordWrap(true);
    UsesGrid = MakeListGrid(*this, "UsesGrid", "Products that hold the component, by product and path",
                            {{"Product", 0}, {"Mass per kg of product", 160, true}, {"Through", 180}});
    UsesGrid->EnableSorting();
    HelpBtn = MakeHelpButton(*this, HelpWhereUsed);
    CloseBtn = MakeCloseButton(*this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SummaryLabel);
    layout->addWidget(UsesGrid, 1);
    layout->addLayout(MakeButtonRow({HelpBtn}, {CloseBtn}));
}

void TWhereUsed::Load(const std::string& component) {
    setWindowTitle(ToQt("Where " + component + " is used"));
    std::vector<TComponentUse> uses;
    const bool read = WithDatabase([&] { uses = WhereUsed(Database, component); });
    TStringGrid& grid = *UsesGrid;
    SetListRows(grid, uses.size());
    std::set<std::string> products;
    bool cycle = false;
    int r = 1;
    for (const TComponentUse& use : uses) {
        products.insert(use.Product);
        grid.SetCells(0, r, use.Product);
        grid.SetCells(1, r, use.PerKg ? FormatFixed(*use.PerKg, 3) : std::string());
        grid.SetCells(2, r, PathText(use.Through));
        if (use.Cycle) {
            cycle = true;
            FlagCell(grid, 0, r,
                     use.Product + " is part of itself (a premix cycle): the products that use it are not followed "
                                   "along this path");
        }
        if (!use.PerKg)
            FlagCell(grid, 1, r, "A recipe on this path adds up to 0 kg, so no mass per kg can be given");
        ++r;
    }
    std::string summary;
    if (!read)
        summary = "The products could not be read.";
    else if (products.empty())
        summary = component + " is used in no product.";
    else if (products.size() == 1)
        summary = component + " is used in 1 product.";
    else
        summary = component + " is used in " + std::to_string(products.size()) + " products.";
    if (cycle)
        summary += " Marked rows are premixes that contain each other.";
    SummaryLabel->setText(ToQt(summary));
    SummaryLabel->setAccessibleName(ToQt(summary));
}

void TWhereUsed::Execute(const TWhereUsedRequest& request) {
    Load(request.Component);
    ShowModal(*this);
}

void ShowWhereUsed(QWidget& owner, const TWhereUsedRequest& request) {
    if (!Window)
        Window = new TWhereUsed(&owner);
    Window->Execute(request);
}
