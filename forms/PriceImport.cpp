#include "PriceImport.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Progress.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QCryptographicHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include <optional>

namespace {

const char* const PriceListFilter = "Text files (*.txt *.csv *.tsv);;All files (*)";

// The windows' font, as the fixed-size dialogs have it.
QFont WindowFont() {
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    return font;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter applies nothing by accident.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// A list grid whose first column takes the room the number columns leave.
TStringGrid* MakeList(QWidget* parent, const char* name, const char* spoken, const std::vector<const char*>& headings,
                      const std::vector<int>& widths) {
    auto* grid = new TStringGrid(parent);
    grid->setObjectName(name);
    grid->setAccessibleName(spoken);
    grid->SetColCount(static_cast<int>(headings.size()));
    for (int c = 0; c < grid->ColCount(); ++c)
        grid->SetCells(c, 0, headings[static_cast<std::size_t>(c)]);
    grid->Sync();
    for (int c = 0; c < grid->ColCount(); ++c) {
        const int width = widths[static_cast<std::size_t>(c)];
        if (width)
            grid->SetColWidth(c, width);
        else
            grid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    }
    return grid;
}

// A price as every list shows it: two decimals, the locale's separator; no number, an empty cell.
std::string PriceCell(std::string_view text) {
    const ParseResult number = ParseNumber(StringManager.CommaToPoint(text));
    return number.ErrorPos ? std::string() : StringManager.FormatPadded("####0.00", 8, ' ', number.Value);
}

// A change in percent with its sign; empty where there is nothing to compare with.
std::string PercentCell(std::optional<double> percent) {
    if (!percent)
        return {};
    const std::string digits = FormatFixed(*percent, 2);
    // Appended, not inserted at the front: g++ 12 warns of a false overlap in that form at -O3.
    std::string text;
    if (*percent > 0 && digits.find_first_of("123456789") != std::string::npos)
        text.push_back('+');
    return text.append(digits);
}

std::optional<double> PercentBetween(std::string_view now, std::string_view after) {
    const ParseResult before = ParseNumber(StringManager.CommaToPoint(now));
    const ParseResult then = ParseNumber(StringManager.CommaToPoint(after));
    if (before.ErrorPos || then.ErrorPos || before.Value == 0.0)
        return std::nullopt;
    return (then.Value - before.Value) * 100.0 / before.Value;
}

std::optional<double> Number(std::string_view text) {
    const ParseResult number = ParseNumber(text);
    if (text.empty() || number.ErrorPos)
        return std::nullopt;
    return number.Value;
}

std::string FileNameOnly(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The columns chosen for the files with one header line, in the user's settings.
QString SettingsKey(const std::string& headerLine) {
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(headerLine), QCryptographicHash::Sha1).toHex();
    return "PriceListColumns/" + QString::fromLatin1(hash);
}

std::optional<TPriceListColumns> RememberedColumns(const std::string& headerLine) {
    QSettings settings("Brivane", "Brivane");
    settings.beginGroup(SettingsKey(headerLine));
    bool nameRead = false;
    bool priceRead = false;
    const int name = settings.value("NameColumn").toInt(&nameRead);
    const int price = settings.value("PriceColumn").toInt(&priceRead);
    const QString mark = settings.value("DecimalMark").toString();
    if (!nameRead || !priceRead || (mark != "Point" && mark != "Comma"))
        return std::nullopt;
    return TPriceListColumns{name, price, mark == "Comma"};
}

void RememberColumns(const std::string& headerLine, const TPriceListColumns& columns) {
    QSettings settings("Brivane", "Brivane");
    settings.beginGroup(SettingsKey(headerLine));
    settings.setValue("NameColumn", columns.Name.value_or(0));
    settings.setValue("PriceColumn", columns.Price.value_or(1));
    settings.setValue("DecimalMark", columns.DecimalComma.value_or(false) ? "Comma" : "Point");
}

// Reads fileName and compares it with the database off the window thread: a long list leaves the windows
// drawn and shows a progress bar. Nothing when the user stopped it or it failed, which is then shown.
std::optional<TImportPreview> PreviewFile(const std::string& fileName, const TPriceListOptions& options) {
    TImportPreview preview;
    try {
        RunWithProgress(
            "Import price list", "Reading " + FileNameOnly(fileName) + "..", [&](const TProgressReport& report) {
                const std::string bytes = ReadPriceListFile(fileName);
                preview = PreviewPriceImport([&](const std::function<void(const TPriceListLine&)>& line) {
                    TPriceListLayout layout;
                    ReadPriceLines(bytes, options, layout, line, [&](double done) { return report(done * 0.9); });
                    return layout;
                });
                if (!report(1.0))
                    throw EPriceListStopped();
            });
    } catch (const EPriceListStopped&) {
        return std::nullopt;
    } catch (const Exception& e) {
        ShowMessage(e.what());
        return std::nullopt;
    }
    return preview;
}

QComboBox* MakeChoice(QWidget* parent, const char* name, const char* spoken) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(spoken);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    return box;
}

// The wait cursor while the prices are written (a lock held elsewhere is waited for).
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TPriceImportProducts::TPriceImportProducts(QWidget* parent) : QDialog(parent) {
    setObjectName("PriceImportProducts");
    setFont(WindowFont());
    setModal(true);
    setSizeGripEnabled(true);
    ProductsGrid = MakeList(this, "ProductsGrid", "Products whose price changes",
                            {"Product", "Price/kg now", "Price/kg after", "Change (%)"}, {0, 90, 90, 80});
    for (int c = 1; c < 4; ++c)
        ProductsGrid->SetColAlignment(c, Qt::AlignRight);
    HelpBtn = MakeButton(this, "HelpBtn", "&Help");
    CloseBtn = MakeButton(this, "CloseBtn", "&Close");
    QHBoxLayout* buttons = MakeButtonRow({HelpBtn}, {CloseBtn});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProductsGrid);
    layout->addLayout(buttons);
    ConnectButton(HelpBtn, [] { Application.HelpContext(HelpPriceImport, HelpFileName); });
    SetHelpKey(*this, HelpPriceImport);
    ConnectButton(CloseBtn, [this] { close(); });
    resize(520, 400);
}

void TPriceImportProducts::Fill(const std::string& fileName, const std::vector<TProductImpact>& products) {
    setWindowTitle(ToQt("Price impact of " + FileNameOnly(fileName)));
    ProductsGrid->ClearRows();
    ProductsGrid->SetRowCount(static_cast<int>(products.size()) + 2);
    int row = 1;
    for (const TProductImpact& product : products) {
        ProductsGrid->SetCells(0, row, product.Product);
        ProductsGrid->SetCells(1, row, PriceCell(product.Now));
        ProductsGrid->SetCells(2, row, PriceCell(product.After));
        ProductsGrid->SetCells(3, row, PercentCell(Number(product.ChangePercent)));
        ++row;
    }
}

TPriceImport::TPriceImport(QWidget* parent) : QDialog(parent) {
    setObjectName("PriceImport");
    setWindowTitle("Import price list");
    setFont(WindowFont());
    setModal(true);
    setSizeGripEnabled(true);
    NameColumnBox = MakeChoice(this, "NameColumnBox", "Name column");
    NameColumnLabel = new QLabel("&Name column:", this);
    NameColumnLabel->setObjectName("NameColumnLabel");
    NameColumnLabel->setBuddy(NameColumnBox);
    PriceColumnBox = MakeChoice(this, "PriceColumnBox", "Price column");
    PriceColumnLabel = new QLabel("P&rice column:", this);
    PriceColumnLabel->setObjectName("PriceColumnLabel");
    PriceColumnLabel->setBuddy(PriceColumnBox);
    DecimalMarkBox = MakeChoice(this, "DecimalMarkBox", "Decimal mark");
    DecimalMarkBox->setMinimumContentsLength(6);
    DecimalMarkBox->addItems({"Point", "Comma"});
    DecimalMarkLabel = new QLabel("&Decimal mark:", this);
    DecimalMarkLabel->setObjectName("DecimalMarkLabel");
    DecimalMarkLabel->setBuddy(DecimalMarkBox);
    Label1 = new QLabel("Prices that change:", this);
    Label1->setObjectName("Label1");
    ChangesGrid = MakeList(this, "ChangesGrid", "Prices that change",
                           {"Component", "Price/kg now", "Price/kg new", "Change (%)"}, {0, 90, 90, 80});
    for (int c = 1; c < 4; ++c)
        ChangesGrid->SetColAlignment(c, Qt::AlignRight);
    Label1->setBuddy(ChangesGrid);
    Label2 = new QLabel("Lines that cannot be applied:", this);
    Label2->setObjectName("Label2");
    SkippedGrid = MakeList(this, "SkippedGrid", "Lines that cannot be applied", {"Line", "Name in the file", "Reason"},
                           {50, 0, 200});
    SkippedGrid->SetColAlignment(0, Qt::AlignRight);
    Label2->setBuddy(SkippedGrid);
    SummaryLabel = new QLabel(this);
    SummaryLabel->setObjectName("SummaryLabel");
    SummaryLabel->setTextFormat(Qt::PlainText);
    SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ProductsBtn = MakeButton(this, "ProductsBtn", "&Products..");
    ProductsBtn->setToolTip("The products whose price per kg the new prices change");
    HelpBtn = MakeButton(this, "HelpBtn", "&Help");
    ApplyBtn = MakeButton(this, "ApplyBtn", "&Apply");
    ApplyBtn->setToolTip("Write the new prices to the database");
    CancelBtn = MakeButton(this, "CancelBtn", "&Cancel");

    QHBoxLayout* buttons = MakeButtonRow({ProductsBtn, HelpBtn}, {ApplyBtn, CancelBtn});
    auto* choices = new QHBoxLayout;
    for (auto [label, box] : {std::pair<QLabel*, QComboBox*>{NameColumnLabel, NameColumnBox},
                              {PriceColumnLabel, PriceColumnBox},
                              {DecimalMarkLabel, DecimalMarkBox}}) {
        choices->addWidget(label);
        choices->addWidget(box, 1);
        choices->addSpacing(8);
    }
    choices->addStretch(0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(Label1);
    layout->addWidget(ChangesGrid, 2);
    layout->addWidget(Label2);
    layout->addWidget(SkippedGrid, 1);
    layout->addWidget(SummaryLabel);
    layout->addLayout(buttons);

    Products = new TPriceImportProducts(this);
    ConnectButton(ProductsBtn, [this] { ProductsBtnClick(); });
    ConnectButton(HelpBtn, [this] { HelpBtnClick(); });
    ConnectButton(ApplyBtn, [this] { ApplyBtnClick(); });
    ConnectButton(CancelBtn, [this] { CancelBtnClick(); });
    for (QComboBox* box : {NameColumnBox, PriceColumnBox, DecimalMarkBox})
        connect(box, &QComboBox::activated, this, [this] { Guarded([this] { ColumnBoxChange(); }); });
    SetHelpKey(*this, HelpPriceImport);
    resize(600, 500);
}

void TPriceImport::Fill(const std::string& fileName, TImportPreview preview) {
    FFileName = fileName;
    FPreview = std::move(preview);
    FApplied = false;
    setWindowTitle(ToQt("Import price list " + FileNameOnly(fileName)));
    const TPriceListLayout& layout = FPreview.Layout;
    for (QComboBox* box : {NameColumnBox, PriceColumnBox}) {
        box->clear();
        for (const std::string& heading : layout.Headings)
            box->addItem(ToQt(heading));
    }
    NameColumnBox->setCurrentIndex(layout.NameColumn);
    PriceColumnBox->setCurrentIndex(layout.PriceColumn);
    DecimalMarkBox->setCurrentIndex(layout.DecimalComma ? 1 : 0);
    ChangesGrid->ClearRows();
    ChangesGrid->SetRowCount(static_cast<int>(FPreview.Changes.size()) + 2);
    int row = 1;
    for (const TPriceChange& change : FPreview.Changes) {
        ChangesGrid->SetCells(0, row, change.Component);
        ChangesGrid->SetCells(1, row, PriceCell(change.Now));
        ChangesGrid->SetCells(2, row, PriceCell(change.New));
        ChangesGrid->SetCells(3, row, PercentCell(PercentBetween(change.Now, change.New)));
        ++row;
    }
    SkippedGrid->ClearRows();
    const bool more = FPreview.MoreSkipped > 0;
    SkippedGrid->SetRowCount(static_cast<int>(FPreview.Skipped.size()) + (more ? 3 : 2));
    row = 1;
    for (const TSkippedLine& line : FPreview.Skipped) {
        SkippedGrid->SetCells(0, row, std::to_string(line.Line));
        SkippedGrid->SetCells(1, row, line.Name);
        SkippedGrid->SetCells(2, row, line.Reason);
        ++row;
    }
    if (more)
        SkippedGrid->SetCells(1, row,
                              "and " + std::to_string(FPreview.MoreSkipped) +
                                  (FPreview.MoreSkipped == 1 ? " more line skipped" : " more lines skipped"));
    SummaryLabel->setText(ToQt(ImportSummary(FPreview)));
    ProductsBtn->setEnabled(!FPreview.Products.empty());
    ApplyBtn->setEnabled(!FPreview.Changes.empty());
    Products->Fill(fileName, FPreview.Products);
}

void TPriceImport::ColumnBoxChange() {
    TPriceListOptions options;
    options.Columns = {NameColumnBox->currentIndex(), PriceColumnBox->currentIndex(),
                       DecimalMarkBox->currentIndex() == 1};
    if (FPreview.Layout.HasHeader)
        RememberColumns(FPreview.Layout.HeaderLine, options.Columns);
    if (auto preview = PreviewFile(FFileName, options))
        Fill(FFileName, std::move(*preview));
    else
        Fill(FFileName, std::move(FPreview)); // the boxes show again what the lists were read from
}

void TPriceImport::ProductsBtnClick() {
    ShowModal(*Products);
}

void TPriceImport::ApplyBtnClick() {
    if (FPreview.Changes.empty())
        return;
    TWriteBackup backup = BeforeBulkWrite();
    TImportResult result;
    bool written = false;
    try {
        const WaitCursor wait;
        InOpenDatabase([&] {
            result = ApplyPriceImport(Database, FPreview.Changes);
            written = true;
        });
    } catch (const Exception& e) {
        // The transaction was rolled back: the file is as it was, and the window stays for another try.
        if (!written) {
            backup.Discard();
            ShowMessage(std::string("The price list was not applied and nothing was changed: ") + e.what());
            return;
        }
        // Only the closing failed; the prices are written.
        ShowMessage(e.what());
    }
    if (!result.Moved.empty()) {
        // What the preview shows is no longer what Apply would do; nothing was written.
        backup.Discard();
        ShowMessage(NotAppliedText(result.Moved));
        ApplyBtn->setEnabled(false);
        return;
    }
    FApplied = true;
    accept();
}

void TPriceImport::CancelBtnClick() {
    reject();
}

void TPriceImport::HelpBtnClick() {
    Application.HelpContext(HelpPriceImport, HelpFileName);
}

bool RunPriceListImport(QWidget* parent) {
    std::string fileName;
    if (!OpenFileName("Import price list", PriceListFilter, fileName))
        return false;
    TPriceListOptions options;
    options.Remembered = RememberedColumns;
    std::optional<TImportPreview> preview = PreviewFile(fileName, options);
    if (!preview)
        return false;
    TPriceImport window(parent);
    window.Fill(fileName, std::move(*preview));
    ShowModal(window);
    return window.Applied();
}
