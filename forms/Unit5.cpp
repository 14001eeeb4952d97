#include "Unit5.h"

#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "controls/umEdit.h"
#include "database/Database.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "platform/Application.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

#include <cmath>

TForm5* Form5 = nullptr;
int AnalysisRow = 0;
bool LoadingProductNames = false;
double ReferenceMass = 0.0;
double ScaledMass = 0.0;

namespace {

const char* const MassMask = "####0.0";

QLabel* MakeBigLabel(QWidget* parent, const char* name, const char* caption, QPoint at) {
    QLabel* label = MakeDialogLabel(parent, name, caption, at);
    QFont font = label->font();
    font.setPixelSize(16);
    label->setFont(font);
    label->adjustSize();
    return label;
}

// A number as a cell of the grid holds it; a text that is no number counts as 0.
double CellNumber(const TStringGrid& grid, int col, int row) {
    return ParseNumber(StringManager.CommaToPoint(grid.Cells(col, row))).Value;
}

// A quotient the grid can show: a division by zero or a result too large for a number stops the action
// before anything but a number reaches a cell.
double Quotient(double dividend, double divisor, const char* byZero) {
    if (divisor == 0.0)
        throw Exception(byZero);
    const double result = dividend / divisor;
    if (!std::isfinite(result))
        throw Exception("The result of the calculation is too large to be shown");
    return result;
}

const char* const MassByZero =
    "Division by zero: the masses cannot be rescaled because the total mass they refer to is 0";
const char* const CostByZero =
    "Division by zero: the cost shares cannot be computed because the costs of the product add up to 0";

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
    ComboBox1->SetText("Product");
    SetHint(*ComboBox1, "Select product\r\nto analyze");
    ComboBox1->setAccessibleName("Product");
    umEdit = new TumEdit(this);
    umEdit->setObjectName("umEdit");
    umEdit->setGeometry(200, 32, 81, 21);
    umEdit->setText("100.0");
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
    Button2 = MakeDialogButton(this, "Button2", "&Help", {240, 376, 75, 25});
    SetHint(*Button2, "Context sensitive help");
    Button3 = MakeDialogButton(this, "Button3", "&Close", {320, 376, 75, 25});
    StatusBar1 = MakeDialogStatusBar(this);
    // Resized, the product field and the grid take the room; the fields and buttons on the right stay there.
    MakeSizeable(*this);
    SetAnchors(*ComboBox1, AnchorLeft | AnchorTop | AnchorRight);
    for (QWidget* control : std::initializer_list<QWidget*>{Label2, umEdit, Button1})
        SetAnchors(*control, AnchorTop | AnchorRight);
    SetAnchors(*StringGrid1, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    SetAnchors(*Button2, AnchorRight | AnchorBottom);
    SetAnchors(*Button3, AnchorRight | AnchorBottom);
    SetAnchors(*StatusBar1, AnchorLeft | AnchorRight | AnchorBottom);
    setTabOrder(ComboBox1, umEdit);
    setTabOrder(umEdit, Button1);
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { Guarded([this] { ComboBox1Change(); }); });
    ConnectButton(Button1, [this] { Button1Click(); });
    ConnectButton(Button2, [this] { Button2Click(); });
    ConnectButton(Button3, [this] { Button3Click(); });
}

int AnalysisRowLoader(void*, int columns, char** values, char**) {
    TStringGrid& grid = *Form5->StringGrid1;
    for (int c = 0; c < columns; ++c) {
        if (LoadingProductNames)
            Form5->ComboBox1->AddItem(ColumnView(values, c));
        else
            grid.SetCells(c, AnalysisRow, ColumnView(values, c));
    }
    ++AnalysisRow;
    grid.SetRowCount(grid.RowCount() + 1);
    return 0;
}

void TForm5::FormCreate() {
    AnalysisRow = 0;
    LoadingProductNames = true;
    {
        // Filling the list is no change of the text the user chose.
        const QSignalBlocker quiet(ComboBox1);
        WithDatabase([] {
            QueryText = "SELECT Distinct Product from Products order by Product;";
            RunQuery(AnalysisRowLoader);
        });
        ComboBox1->Sync();
    }
    LoadingProductNames = false;
    StringGrid1->SetCells(0, 0, " Component");
    StringGrid1->SetCells(1, 0, "  Mass (kg)");
    StringGrid1->SetCells(2, 0, "  Costs (%)");
    StatusBar1->showMessage("Select product from combobox to view recipe.");
}

void TForm5::ComboBox1Change() {
    TStringGrid& grid = *StringGrid1;
    grid.ClearRows();
    AnalysisRow = 1;
    grid.SetColCount(3);
    const std::string product = ComboBox1->Text();
    WithDatabase([&product] {
        QueryText = "Select Component, Quantity, Cumulative from Report where Product='" +
                    StringManager.QuoteSql(product) + "';";
        RunQuery(AnalysisRowLoader);
    });

    ReferenceMass = 0.0;
    double costs = 0.0;
    ScaledMass = 0.0;
    const int last = grid.RowCount() - 2;
    for (int r = 1; r <= last; ++r) {
        const double mass = CellNumber(grid, 1, r);
        const double cost = CellNumber(grid, 2, r);
        ReferenceMass += mass;
        costs += cost;
        grid.SetCells(1, r, StringManager.FormatPadded(MassMask, 8, ' ', mass));
        grid.SetCells(2, r, StringManager.FormatPadded("######0.0", 10, ' ', cost));
    }
    const double target = ParseNumber(FromQt(umEdit->text())).Value;
    // The second pass reads the rounded texts of the first: shares and masses come from what is shown.
    for (int r = 1; r <= last; ++r) {
        const double scaled = Quotient(target * CellNumber(grid, 1, r), ReferenceMass, MassByZero);
        ScaledMass += scaled;
        const double share = Quotient(100.0 * CellNumber(grid, 2, r), costs, CostByZero);
        grid.SetCells(1, r, StringManager.FormatPadded(MassMask, 8, ' ', scaled));
        grid.SetCells(2, r, StringManager.FormatPadded("######0.00", 10, ' ', share));
    }
    StatusBar1->showMessage(ToQt("Costs analysis " + product));
}

void TForm5::Button1Click() {
    TStringGrid& grid = *StringGrid1;
    const int last = grid.RowCount() - 2;
    // Before the first analysis the grid holds only the empty rows of the name loading: nothing to rescale.
    bool anyMass = false;
    for (int r = 1; r <= last; ++r)
        anyMass = anyMass || !grid.Cells(1, r).empty();
    if (!anyMass)
        return;
    const double target = ParseNumber(FromQt(umEdit->text())).Value;
    ReferenceMass = ScaledMass;
    ScaledMass = 0.0;
    for (int r = 1; r <= last; ++r) {
        const double scaled = Quotient(target * CellNumber(grid, 1, r), ReferenceMass, MassByZero);
        ScaledMass += scaled;
        grid.SetCells(1, r, StringManager.FormatPadded(MassMask, 8, ' ', scaled));
    }
}

void TForm5::Button2Click() {
    Application.HelpFile = HelpFileName;
    Application.HelpContext(HelpAnalysis);
}

void TForm5::Button3Click() {
    close();
}
