#include "RawMaterials.h"

#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "database/Database.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "forms/PrintPreview.h"
#include "forms/Spreadsheets.h"
#include "forms/WindowKit.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Costing.h"
#include "text/StrMan.h"
#include "text/TextFile.h"

#include <QDate>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const char* const ExportFileName = "RawMaterials.txt";
const char* const BatchMassRequest = "Enter the batch mass in kg, a number above 0.";
const char* const TotalLeavesOutNote = "Materials without a price are left out of the total";

// The figures of a row as the grid, the file and the sheet show them.
struct TRowTexts {
    std::string Component, Mass, Percent, Price, Cost;
};

std::string Units(std::int64_t units, int decimals, double per) {
    return FormatFixed(static_cast<double>(units) / per, decimals);
}

TRowTexts RowTexts(const TBatchRow& row) {
    return {row.Component, Units(row.Mass, 3, 1000.0), row.Percent ? Units(*row.Percent, 2, 100.0) : std::string(),
            row.Price ? FormatFixed(*row.Price, 2) : std::string(),
            row.Cost ? Units(*row.Cost, 2, 100.0) : std::string()};
}

// The price per kg of the batch as its rows cost it, in cents; none for a batch of no mass.
std::optional<std::int64_t> TotalPriceCents(const TBatch& batch) {
    if (batch.TotalMass == 0)
        return std::nullopt;
    return std::llround(static_cast<double>(batch.TotalCost) * 1000.0 / static_cast<double>(batch.TotalMass));
}

TRowTexts TotalTexts(const TBatch& batch) {
    const std::optional<std::int64_t> price = TotalPriceCents(batch);
    return {"TOTAL", Units(batch.TotalMass, 3, 1000.0), batch.TotalMass != 0 ? Units(batch.TotalPercent, 2, 100.0) : "",
            price ? Units(*price, 2, 100.0) : std::string(), Units(batch.TotalCost, 2, 100.0)};
}

std::string FlagNote(const TBatchRow& row) {
    switch (row.Flag) {
    case TRawFlag::EmptyPremix:
        return "Premix " + row.Premix + " has no mass, so its own lines cannot be shared out: listed as itself";
    case TRawFlag::Cycle:
        return "Premix " + row.Premix + " is part of itself (a premix cycle): listed as itself";
    case TRawFlag::None:
        break;
    }
    return {};
}

std::string LeftIn(const std::string& text, int width) {
    return text + std::string(static_cast<std::size_t>(std::max(width - ShownLength(text), 0)), ' ');
}

std::string RightIn(const std::string& text, int width) {
    return StringManager.PadText(text, static_cast<std::int16_t>(-width), ' ');
}

constexpr int NameWidth = 30;

// A line of the sheet: the name, then the figures in their columns and the tick box. A name too long for its
// column has a line of its own, so the figures stay in theirs.
void SheetLine(TPrinterText& printer, const std::string& margin, const TRowTexts& row, const std::string& box) {
    if (ShownLength(row.Component) > NameWidth) {
        printer.WriteLn(margin + row.Component);
        printer.Write(margin + std::string(NameWidth, ' '));
    } else {
        printer.Write(margin + LeftIn(row.Component, NameWidth));
    }
    printer.WriteLn(RightIn(row.Mass, 11) + RightIn(row.Percent, 8) + RightIn(row.Price, 10) + RightIn(row.Cost, 12) +
                    "  " + box);
}

QPointer<TRawMaterials> Window;

} // namespace

TRawMaterials::TRawMaterials(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "RawMaterials", "Raw materials", {640, 420}, HelpRawMaterials);
    BatchLabel = MakeLabel(*this, "BatchLabel", "Batch mass:");
    BatchEdit = new TPosFloatEdit(this);
    BatchEdit->setObjectName("BatchEdit");
    BatchEdit->SetDecimalPlaces(3);
    BatchEdit->setAlignment(Qt::AlignRight);
    BatchEdit->setAccessibleName("Batch mass (kg)");
    BatchEdit->setFixedWidth(100);
    BatchLabel->setBuddy(BatchEdit);
    KgLabel = MakeLabel(*this, "KgLabel", "kg");
    RawGrid = MakeListGrid(
        *this, "RawGrid", "Raw materials, largest mass first",
        {{"Component", 0}, {"Mass", 90, true}, {"%", 60, true}, {"Price/kg", 75, true}, {"Cost", 90, true}});
    // The TOTAL row stays below the rows it adds up.
    RawGrid->EnableSorting(1);
    StatusLabel = MakeLabel(*this, "StatusLabel");
    StatusLabel->setWordWrap(true);
    HelpBtn = MakeHelpButton(*this, HelpRawMaterials);
    ExportBtn = MakeButton(*this, "ExportBtn", "&Export");
    SpreadsheetBtn = MakeButton(*this, "SpreadsheetBtn", "Spread&sheet..");
    SpreadsheetBtn->setAccessibleName("Export to Spreadsheet");
    SetHint(*SpreadsheetBtn, "Save the batch\r\nas a spreadsheet");
    PrintBtn = MakeButton(*this, "PrintBtn", "&Print..");
    PreviewBtn = MakeButton(*this, "PreviewBtn", "Print pre&view..");
    CloseBtn = MakeCloseButton(*this);

    auto* batchRow = new QHBoxLayout;
    batchRow->addWidget(BatchLabel);
    batchRow->addWidget(BatchEdit);
    batchRow->addWidget(KgLabel);
    batchRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(batchRow);
    layout->addWidget(RawGrid, 1);
    layout->addWidget(StatusLabel);
    layout->addLayout(MakeButtonRow({HelpBtn}, {ExportBtn, SpreadsheetBtn, PrintBtn, PreviewBtn, CloseBtn}));

    connect(BatchEdit, &QLineEdit::textChanged, this, [this] { Guarded([this] { BatchEditChange(); }); });
    ConnectButton(ExportBtn, [this] { ExportBtnClick(); });
    ConnectButton(SpreadsheetBtn, [this] { SpreadsheetBtnClick(); });
    ConnectButton(PrintBtn, [this] { PrintBtnClick(); });
    ConnectButton(PreviewBtn, [this] { PreviewBtnClick(); });
}

void TRawMaterials::Load(const std::string& product) {
    FProduct = product;
    setWindowTitle(ToQt("Raw materials of " + product));
    FRecipe = {};
    const bool read = WithDatabase([this] { FRecipe = RawMaterialsOf(Database, FProduct); });
    // The batch of the recipe as it stands, to the last digit: the field shows it rounded to the gram.
    FBatch = MakeBatch(FRecipe, FRecipe.TotalMass);
    {
        const QSignalBlocker quiet(BatchEdit);
        BatchEdit->SetAsFloat(FRecipe.TotalMass);
    }
    // A recipe of no mass cannot be rescaled.
    BatchEdit->setEnabled(FRecipe.TotalMass > 0.0);
    ShowBatch();
    if (!read)
        StatusLabel->setText("The raw materials could not be read.");
    else if (!FRecipe.Found)
        StatusLabel->setText(ToQt(product + " is no longer in the product list."));
}

void TRawMaterials::Execute(const TRawMaterialsRequest& request) {
    Load(request.Product);
    BatchEdit->setFocus();
    BatchEdit->selectAll();
    ShowModal(*this);
}

void TRawMaterials::BatchEditChange() {
    const std::optional<double> mass = ReadTotalMass(FromQt(BatchEdit->text()));
    if (!mass || FRecipe.TotalMass <= 0.0) {
        // While a number is typed the rows keep the last batch.
        StatusLabel->setText(BatchMassRequest);
        return;
    }
    // The rows follow the batch in the order the user sorted them.
    const int sorted = RawGrid->SortColumn();
    const bool descending = RawGrid->SortDescending();
    FBatch = MakeBatch(FRecipe, *mass);
    ShowBatch();
    if (sorted >= 0)
        RawGrid->SortByColumn(sorted, descending);
}

void TRawMaterials::ShowBatch() {
    TStringGrid& grid = *RawGrid;
    const bool any = !FBatch.Rows.empty();
    SetListRows(grid, FBatch.Rows.size() + (any ? 1 : 0));
    int r = 1;
    for (const TBatchRow& row : FBatch.Rows) {
        const TRowTexts texts = RowTexts(row);
        grid.SetCells(0, r, texts.Component);
        grid.SetCells(1, r, texts.Mass);
        grid.SetCells(2, r, texts.Percent);
        grid.SetCells(3, r, texts.Price);
        grid.SetCells(4, r, texts.Cost);
        if (row.Flag != TRawFlag::None)
            FlagCell(grid, 0, r, FlagNote(row));
        if (!row.Price)
            FlagCell(grid, 3, r, NoPriceNote);
        ++r;
    }
    if (any) {
        const TRowTexts totals = TotalTexts(FBatch);
        QFont bold = grid.font();
        bold.setBold(true);
        int c = 0;
        for (const std::string* text :
             {&totals.Component, &totals.Mass, &totals.Percent, &totals.Price, &totals.Cost}) {
            grid.SetCells(c, r, *text);
            grid.SetCellData(c++, r, Qt::FontRole, bold);
        }
        if (FBatch.CostIncomplete)
            FlagCell(grid, 4, r, TotalLeavesOutNote);
    }

    std::vector<std::string> notes;
    if (FRecipe.Found && !any)
        notes.push_back("The recipe has no lines.");
    else if (FRecipe.Found && FRecipe.TotalMass <= 0.0)
        notes.push_back("The recipe's lines add up to 0 kg, so it cannot be rescaled.");
    if (FBatch.RoundingBound > 0)
        notes.push_back("Premix prices are rounded to cents; the product's price may differ by up to " +
                        Units(FBatch.RoundingBound, 2, 100.0) + ".");
    if (FBatch.CostIncomplete)
        notes.push_back("Some materials have no price; the total cost leaves them out.");
    std::string status;
    for (const std::string& note : notes)
        status += (status.empty() ? "" : " ") + note;
    StatusLabel->setText(ToQt(status));
    StatusLabel->setAccessibleName(ToQt(status));
}

void TRawMaterials::ExportBtnClick() {
    TTextFile file(ExportFileName, DatabaseFileName);
    file.WriteLn("Raw materials of " + FieldText(FProduct));
    file.WriteLn("Batch mass: " + FormatFixed(FBatch.Mass, 3) + " kg");
    file.WriteLn("");
    file.WriteLn("COMPONENT\tkg\t%\tPRICE/KG\tCOST");
    const auto line = [&file](const TRowTexts& row) {
        file.WriteLn(FieldText(row.Component) + "\t" + row.Mass + "\t" + row.Percent + "\t" + row.Price + "\t" +
                     row.Cost);
    };
    for (const TBatchRow& row : FBatch.Rows)
        line(RowTexts(row));
    line(TotalTexts(FBatch));
    file.Close();
    ShowMessage(std::string("Done... See ") + ExportFileName);
}

void TRawMaterials::SpreadsheetBtnClick() {
    SaveSpreadsheet("RawMaterials.xlsx", [this] {
        TSheet sheet;
        sheet.Name = "Raw materials";
        sheet.Title = {{Bold(TextCell("Raw materials of " + FProduct))},
                       {TextCell("Batch mass (kg)"), NumberCell(FBatch.Mass, 3)}};
        sheet.Header = {"Component", "Mass (kg)", "%", "Price/kg", "Cost"};
        // The figures as the grid shows them, from the grams and cents they are counted in; the rows in the
        // order the text file has.
        const auto units = [](std::optional<std::int64_t> value, int decimals, double per) {
            return value ? NumberCell(static_cast<double>(*value) / per, decimals) : TSheetCell();
        };
        const auto fraction = [](std::optional<std::int64_t> percent) {
            return percent ? FractionCell(static_cast<double>(*percent) / 10000.0) : TSheetCell();
        };
        for (const TBatchRow& row : FBatch.Rows) {
            TSheetRow cells = {TextCell(row.Component), units(row.Mass, 3, 1000.0), fraction(row.Percent),
                               row.Price ? NumberCell(*row.Price, 2) : TSheetCell(), units(row.Cost, 2, 100.0)};
            if (row.Flag != TRawFlag::None)
                cells[0] = Flagged(cells[0], FlagNote(row));
            if (!row.Price)
                cells[3] = Flagged(cells[3], NoPriceNote);
            sheet.Rows.push_back(std::move(cells));
        }
        if (!FBatch.Rows.empty()) {
            TSheetRow cells = {TextCell("TOTAL"), units(FBatch.TotalMass, 3, 1000.0),
                               FBatch.TotalMass != 0 ? fraction(FBatch.TotalPercent) : TSheetCell(),
                               units(TotalPriceCents(FBatch), 2, 100.0), units(FBatch.TotalCost, 2, 100.0)};
            if (FBatch.CostIncomplete)
                cells[4] = Flagged(cells[4], TotalLeavesOutNote);
            for (TSheetCell& cell : cells)
                cell = Bold(std::move(cell));
            sheet.Rows.push_back(std::move(cells));
        }
        return sheet;
    });
}

TListingWriter TRawMaterials::WeighingSheet() const {
    const std::string date = FromQt(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    return [product = FProduct, batch = FBatch, date](TPrinterText& printer) {
        const std::string margin = StringManager.RepeatChar(' ', 4);
        printer.SetFont("Courier New", 14);
        for (int i = 0; i < 3; ++i)
            printer.WriteLn();
        printer.WriteLn(margin + "Weighing sheet: " + product);
        printer.WriteLn();
        printer.SetFontSize(10);
        printer.WriteLn(margin + "Batch mass: " + FormatFixed(batch.Mass, 3) + " kg");
        printer.WriteLn(margin + "Date:       " + date);
        printer.WriteLn();
        SheetLine(printer, margin, {"Component", "kg", "%", "Price/kg", "Cost"}, "Weighed");
        printer.WriteLn(margin + std::string(NameWidth + 41 + 9, '-'));
        for (const TBatchRow& row : batch.Rows)
            SheetLine(printer, margin, RowTexts(row), "[   ]");
        printer.WriteLn(margin + std::string(NameWidth + 41 + 9, '-'));
        SheetLine(printer, margin, TotalTexts(batch), "");
        if (batch.CostIncomplete)
            printer.WriteLn(margin + "Materials without a price are left out of the total cost.");
    };
}

TPrintDialog& TRawMaterials::PrintDialog() {
    if (!FPrintDialog) {
        FPrintDialog = new TPrintDialog(this);
        FPrintDialog->setObjectName("PrintDialog1");
    }
    return *FPrintDialog;
}

void TRawMaterials::PrintBtnClick() {
    PrintDialog().Print(WeighingSheet());
}

void TRawMaterials::PreviewBtnClick() {
    TPrintPreview preview(PrintDialog(), WeighingSheet(), this);
    ShowModal(preview);
}

void ShowRawMaterials(QWidget& owner, const TRawMaterialsRequest& request) {
    if (!Window)
        Window = new TRawMaterials(&owner);
    Window->Execute(request);
}
