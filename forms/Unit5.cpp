#include "Unit5.h"

#include "controls/Grids.h"
#include "controls/ShareBarDelegate.h"
#include "controls/StdCtrls.h"
#include "controls/umEdit.h"
#include "database/Database.h"
#include "database/Analysis.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "forms/Spreadsheets.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Costing.h"
#include "text/Fold.h"
#include "text/StrMan.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

TForm5* Form5 = nullptr;
int AnalysisRow = 0;
bool LoadingProductNames = false;
double ReferenceMass = 0.0;
double ScaledMass = 0.0;

namespace {

const char* const InitialProductText = "Product";
const char* const SelectProductText = "Select product from combobox to view recipe.";

// The recipe lines of the product the grid shows, as the database held them when it was chosen.
std::vector<TCostLine> AnalysedLines;
// What the status line says of the analysis the grid shows.
std::string AnalysisStatus;
// The total mass the masses shown were scaled to; 0 while none are shown.
double ShownTotal = 0.0;
// The lines the analysis statement running now has delivered.
std::vector<TCostLine> LoadedLines;
// The product names the names statement has delivered, in its byte order.
std::vector<std::string> LoadedNames;

QLabel* MakeBigLabel(QWidget* parent, const char* name, const char* caption, QPoint at) {
    QLabel* label = MakeDialogLabel(parent, name, caption, at);
    QFont font = label->font();
    font.setPixelSize(16);
    label->setFont(font);
    label->adjustSize();
    return label;
}

std::string MassText(double mass) {
    return StringManager.FormatPadded("####0.000", 8, ' ', mass);
}

double Sum(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values)
        sum += v;
    return sum;
}

} // namespace

TForm5::TForm5() {
    SetupDialog(*this, "Form5", "Price analysis and total masses of Products", {167, 128, 408, 451});
    Label1 = MakeBigLabel(this, "Label1", "Product", {8, 8});
    Label2 = MakeBigLabel(this, "Label2", "kg. | Total Mass of recipe", {216, 8});
    FitCaption(*Label2, Label2->text(), width() - Label2->x() - 4);
    Label2->adjustSize();
    ComboBox1 = new TComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(8, 32, 193, 21);
    // Typing is not completed from the list: each keystroke analyses exactly the text typed so far.
    ComboBox1->setCompleter(nullptr);
    SetBackground(*ComboBox1, Qt::cyan);
    ComboBox1->SetText(InitialProductText);
    SetHint(*ComboBox1, "Select product\r\nto analyze");
    ComboBox1->setAccessibleName("Product");
    umEdit = new TumEdit(this);
    umEdit->setObjectName("umEdit");
    umEdit->setGeometry(200, 32, 81, 21);
    // 100 kg, written as the user types numbers here.
    umEdit->setText(ToQt(FormatFixed(100.0, 1)));
    umEdit->SetAlignment(Qt::AlignRight);
    SetHint(*umEdit, "Enter new value\r\nfor total mass.");
    umEdit->setAccessibleName("Total mass (kg)");
    Button1 = MakeDialogButton(this, "Button1", "Recalculate", {288, 32, 105, 25});
    SetHint(*Button1, "Recalculate for different\r\ntotal mass");
    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setGeometry(8, 64, 385, 305);
    StringGrid1->SetColCount(3);
    StringGrid1->SetColWidth(0, 189);
    StringGrid1->SetColWidth(1, 79);
    StringGrid1->SetColWidth(2, 76);
    StringGrid1->SetColAlignment(1, Qt::AlignRight);
    StringGrid1->SetColAlignment(2, Qt::AlignRight);
    StringGrid1->SetDefaultRowHeight(20);
    StringGrid1->setAccessibleName("Price analysis");
    StringGrid1->setItemDelegateForColumn(2, new TShareBarDelegate(StringGrid1));
    StringGrid1->EnableSorting();
    Button2 = MakeDialogButton(this, "Button2", "&Help", {240, 376, 75, 25});
    SetHint(*Button2, "Context sensitive help");
    Button3 = MakeDialogButton(this, "Button3", "&Close", {320, 376, 75, 25});
    SpreadsheetBtn = MakeDialogButton(this, "SpreadsheetBtn", "Spread&sheet..", {8, 376, 97, 25});
    SpreadsheetBtn->setAccessibleName("Export to Spreadsheet");
    SetHint(*SpreadsheetBtn, "Save the analysis\r\nas a spreadsheet");
    StatusBar1 = MakeDialogStatusBar(this);
    // Resized, the product field and the grid take the room; the fields and buttons on the right stay there.
    MakeSizeable(*this);
    SetAnchors(*ComboBox1, AnchorLeft | AnchorTop | AnchorRight);
    for (QWidget* control : std::initializer_list<QWidget*>{Label2, umEdit, Button1})
        SetAnchors(*control, AnchorTop | AnchorRight);
    SetAnchors(*StringGrid1, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    SetAnchors(*Button2, AnchorRight | AnchorBottom);
    SetAnchors(*Button3, AnchorRight | AnchorBottom);
    SetAnchors(*SpreadsheetBtn, AnchorLeft | AnchorBottom);
    SetAnchors(*StatusBar1, AnchorLeft | AnchorRight | AnchorBottom);
    setTabOrder(ComboBox1, umEdit);
    setTabOrder(umEdit, Button1);
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { Guarded([this] { ComboBox1Change(); }); });
    ConnectButton(Button1, [this] { Button1Click(); });
    // Enter in the total mass recalculates, as the button does.
    connect(umEdit, &QLineEdit::returnPressed, this, [this] { Guarded([this] { Button1Click(); }); });
    ConnectButton(Button2, [this] { Button2Click(); });
    SetHelpKey(*this, HelpAnalysis);
    ConnectButton(Button3, [this] { Button3Click(); });
    ConnectButton(SpreadsheetBtn, [this] { SpreadsheetBtnClick(); });
    OnDataReplaced(*this, [this] { DataReplaced(); });
}

int AnalysisRowLoader(void*, int columns, char** values, char**) {
    if (LoadingProductNames) {
        for (int c = 0; c < columns; ++c)
            LoadedNames.emplace_back(ColumnView(values, c));
    } else {
        const auto column = [&](int c) { return c < columns ? ColumnView(values, c) : std::string_view(); };
        LoadedLines.push_back(ReadCostLine(column(0), column(1), column(2), column(3)));
    }
    ++AnalysisRow;
    return 0;
}

void TForm5::LoadProductNames() {
    AnalysisRow = 0;
    LoadingProductNames = true;
    {
        // Filling the list is no change of the text the user chose.
        const QSignalBlocker quiet(ComboBox1);
        const std::string chosen = ComboBox1->Text();
        ComboBox1->Clear();
        LoadedNames.clear();
        WithDatabase([] {
            QueryText = AnalysisProductsQuery;
            RunQuery(AnalysisRowLoader);
        });
        SortForReading(LoadedNames);
        for (const std::string& name : LoadedNames)
            ComboBox1->AddItem(name);
        LoadedNames.clear();
        ComboBox1->Sync();
        ComboBox1->SetText(chosen);
    }
    LoadingProductNames = false;
}

void TForm5::FormCreate() {
    LoadProductNames();
    // Until a product is chosen the grid holds one empty row per product name loaded.
    StringGrid1->SetRowCount(StringGrid1->RowCount() + AnalysisRow);
    StringGrid1->SetCells(0, 0, " Component");
    StringGrid1->SetCells(1, 0, "  Mass (kg)");
    StringGrid1->SetCells(2, 0, "  Costs (%)");
    StatusBar1->showMessage(SelectProductText);
}

void TForm5::Execute(const std::string& product) {
    if (!product.empty())
        Guarded([this, &product] {
            {
                const QSignalBlocker quiet(ComboBox1);
                ComboBox1->SetText(product);
            }
            // Analysed afresh even when the name is the one shown: its recipe may have changed since.
            ComboBox1Change();
        });
    ShowModal(*this);
}

void TForm5::ShowStatus(double target) {
    const double cost = BatchCost(AnalysedLines, ReferenceMass, target);
    StatusBar1->showMessage(ToQt(AnalysisStatus + "; batch cost " + FormatFixed(cost, 2)));
}

void TForm5::showEvent(QShowEvent* event) {
    TDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Products may have been created, renamed or deleted since the last showing.
    Guarded([this] {
        LoadProductNames();
        const std::string chosen = ComboBox1->Text();
        const auto names = ComboBox1->Items();
        if (AnalysedLines.empty() || std::find(names.begin(), names.end(), chosen) != names.end())
            return;
        // The product analysed is gone: its figures would mislead.
        ForgetAnalysis();
    });
}

void TForm5::ForgetAnalysis() {
    AnalysedLines.clear();
    AnalysisStatus.clear();
    ReferenceMass = 0.0;
    ScaledMass = 0.0;
    ShownTotal = 0.0;
    StringGrid1->ClearRows();
    {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->SetText(InitialProductText);
    }
    StatusBar1->showMessage(SelectProductText);
}

void TForm5::DataReplaced() {
    // Figures of the data replaced would mislead, and so would its product names.
    ForgetAnalysis();
    FormCreate();
}

void TForm5::ComboBox1Change() {
    const std::string product = ComboBox1->Text();
    LoadedLines.clear();
    AnalysisRow = 1;
    WithDatabase([&product] {
        QueryText = AnalysisLinesQuery(ChosenDatabase().Engine, product);
        RunQuery(AnalysisRowLoader);
    });
    std::vector<TCostLine> lines = std::move(LoadedLines);
    LoadedLines.clear();

    // Everything is computed before anything is shown: a refused calculation leaves the grid as it was.
    const double reference = SumOfMasses(lines);
    const TCostShares shares = ShareCosts(lines);
    const std::optional<double> target = ReadTotalMass(FromQt(umEdit->text()));
    // While a name is being typed no box interrupts: the status line asks for the total mass.
    const std::vector<double> masses = target ? ScaleMasses(lines, reference, *target) : std::vector<double>();

    TStringGrid& grid = *StringGrid1;
    grid.ClearRows();
    grid.SetColCount(3);
    grid.SetRowCount(static_cast<int>(lines.size()) + 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        grid.SetCells(0, r, lines[i].Component);
        grid.SetCells(1, r, target ? MassText(masses[i]) : std::string());
        grid.SetCells(2, r,
                      shares.Shares[i] ? StringManager.FormatPadded("######0.00", 10, ' ', *shares.Shares[i])
                                       : std::string());
    }
    AnalysedLines = std::move(lines);
    ReferenceMass = reference;
    ScaledMass = Sum(masses);
    ShownTotal = target ? *target : 0.0;
    AnalysisStatus = "Costs analysis " + product + (shares.Incomplete ? "; prices incomplete" : "");
    if (target && !AnalysedLines.empty())
        ShowStatus(*target);
    else
        StatusBar1->showMessage(ToQt(target ? AnalysisStatus : std::string(TotalMassRequest)));
}

void TForm5::Button1Click() {
    // Before the first analysis, or after one of a name that has no lines, there is nothing to rescale.
    if (AnalysedLines.empty())
        return;
    const std::optional<double> target = ReadTotalMass(FromQt(umEdit->text()));
    if (!target) {
        ShowMessage(TotalMassRequest);
        return;
    }
    // From the stored masses, never from the rounded cells: every batch size gives the same proportions.
    const std::vector<double> masses = ScaleMasses(AnalysedLines, ReferenceMass, *target);
    // Each line's mass goes where its line is shown, sorted or not.
    for (int r = 1; r <= StringGrid1->RowCount() - 2; ++r) {
        const auto line = static_cast<std::size_t>(StringGrid1->FilledRow(r) - 1);
        if (line < masses.size())
            StringGrid1->SetCells(1, r, MassText(masses[line]));
    }
    ScaledMass = Sum(masses);
    ShownTotal = *target;
    ShowStatus(*target);
}

void TForm5::Button2Click() {
    Application.HelpFile = HelpFileName;
    Application.HelpContext(HelpAnalysis);
}

void TForm5::Button3Click() {
    close();
}

void TForm5::SpreadsheetBtnClick() {
    if (AnalysedLines.empty()) {
        ShowMessage(SelectProductText);
        return;
    }
    SaveSpreadsheet("Analysis.xlsx", [this] {
        const std::vector<TCostLine>& lines = AnalysedLines;
        const bool scaled = ShownTotal > 0.0;
        const std::vector<double> masses =
            scaled ? ScaleMasses(lines, ReferenceMass, ShownTotal) : std::vector<double>();
        const TCostShares shares = ShareCosts(lines);
        TSheet sheet;
        sheet.Name = "Analysis";
        sheet.Title = {{TextCell("Product"), Bold(TextCell(ComboBox1->Text()))},
                       {TextCell("Date"), DateCell(QDate::currentDate().toString(Qt::ISODate).toStdString())},
                       {TextCell("Batch mass (kg)"), scaled ? NumberCell(ShownTotal, 3) : TSheetCell()}};
        sheet.Header = {"Component", "Mass (kg)", "Costs (%)", "Cost"};
        double batchCost = 0.0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            TSheetRow row = {TextCell(lines[i].Component), scaled ? NumberCell(masses[i], 3) : TSheetCell()};
            if (shares.Shares[i]) {
                // The line's cost in the batch: its stored cost scaled as its mass is.
                const double cost = scaled ? lines[i].Cost * ShownTotal / ReferenceMass : lines[i].Cost;
                batchCost += cost;
                row.push_back(FractionCell(*shares.Shares[i] / 100.0));
                row.push_back(NumberCell(cost, 2));
            } else {
                row.push_back(Flagged(TSheetCell(), NoPriceNote));
                row.push_back(Flagged(TSheetCell(), NoPriceNote));
            }
            sheet.Rows.push_back(std::move(row));
        }
        sheet.Rows.push_back({Bold(TextCell("Total")), scaled ? Bold(NumberCell(Sum(masses), 3)) : TSheetCell(),
                              shares.Incomplete && batchCost == 0.0 ? TSheetCell() : Bold(FractionCell(1.0)),
                              Bold(NumberCell(batchCost, 2))});
        return sheet;
    });
}
