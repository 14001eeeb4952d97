#include "PriceImport.h"

#include "controls/Grids.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "forms/WindowKit.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Progress.h"
#include "platform/QtText.h"
#include "text/Costing.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include <optional>
#include <utility>

namespace {

const char* const PriceListFilter = "Text files (*.txt *.csv *.tsv);;All files (*)";

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

} // namespace

TPriceImportProducts::TPriceImportProducts(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "PriceImportProducts", "Price impact", {520, 400}, HelpPriceImport);
    ProductsGrid = MakeImpactGrid(*this);
    HelpBtn = MakeHelpButton(*this, HelpPriceImport);
    CloseBtn = MakeCloseButton(*this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProductsGrid);
    layout->addLayout(MakeButtonRow({HelpBtn}, {CloseBtn}));
}

void TPriceImportProducts::Fill(const std::string& fileName, const std::vector<TProductImpact>& products) {
    setWindowTitle(ToQt("Price impact of " + FileNameOnly(fileName)));
    FillImpactGrid(*ProductsGrid, products);
}

TPriceImport::TPriceImport(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "PriceImport", "Import price list", {600, 500}, HelpPriceImport);
    NameColumnBox = MakeChoice(this, "NameColumnBox", "Name column");
    NameColumnLabel = MakeLabel(*this, "NameColumnLabel", "&Name column:");
    NameColumnLabel->setBuddy(NameColumnBox);
    PriceColumnBox = MakeChoice(this, "PriceColumnBox", "Price column");
    PriceColumnLabel = MakeLabel(*this, "PriceColumnLabel", "P&rice column:");
    PriceColumnLabel->setBuddy(PriceColumnBox);
    DecimalMarkBox = MakeChoice(this, "DecimalMarkBox", "Decimal mark");
    DecimalMarkBox->setMinimumContentsLength(6);
    DecimalMarkBox->addItems({"Point", "Comma"});
    DecimalMarkLabel = MakeLabel(*this, "DecimalMarkLabel", "&Decimal mark:");
    DecimalMarkLabel->setBuddy(DecimalMarkBox);
    ChangesGrid = MakeListGrid(
        *this, "ChangesGrid", "Prices that change",
        {{"Component", 0}, {"Price/kg now", 90, true}, {"Price/kg new", 90, true}, {"Change (%)", 80, true}});
    ChangesGrid->EnableSorting();
    ChangesLabel = MakeLabel(*this, "ChangesLabel", "Prices that change:");
    ChangesLabel->setBuddy(ChangesGrid);
    SkippedGrid = MakeListGrid(*this, "SkippedGrid", "Lines that cannot be applied",
                               {{"Line", 50, true}, {"Name in the file", 0}, {"Reason", 200}});
    SkippedLabel = MakeLabel(*this, "SkippedLabel", "Lines that cannot be applied:");
    SkippedLabel->setBuddy(SkippedGrid);
    SummaryLabel = MakeLabel(*this, "SummaryLabel");
    SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ProductsBtn = MakeButton(*this, "ProductsBtn", "&Products..");
    ProductsBtn->setToolTip("The products whose price per kg the new prices change");
    HelpBtn = MakeHelpButton(*this, HelpPriceImport);
    ApplyBtn = MakeButton(*this, "ApplyBtn", "&Apply");
    ApplyBtn->setToolTip("Write the new prices to the database");
    CancelBtn = MakeButton(*this, "CancelBtn", "&Cancel");

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
    layout->addWidget(ChangesLabel);
    layout->addWidget(ChangesGrid, 2);
    layout->addWidget(SkippedLabel);
    layout->addWidget(SkippedGrid, 1);
    layout->addWidget(SummaryLabel);
    layout->addLayout(MakeButtonRow({ProductsBtn, HelpBtn}, {ApplyBtn, CancelBtn}));

    Products = new TPriceImportProducts(this);
    ConnectButton(ProductsBtn, [this] { ProductsBtnClick(); });
    ConnectButton(ApplyBtn, [this] { ApplyBtnClick(); });
    ConnectButton(CancelBtn, [this] { CancelBtnClick(); });
    for (QComboBox* box : {NameColumnBox, PriceColumnBox, DecimalMarkBox})
        connect(box, &QComboBox::activated, this, [this] { Guarded([this] { ColumnBoxChange(); }); });
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
    SetListRows(*ChangesGrid, FPreview.Changes.size());
    int row = 1;
    for (const TPriceChange& change : FPreview.Changes) {
        ChangesGrid->SetCells(0, row, change.Component);
        ChangesGrid->SetCells(1, row, PriceCell(change.Now));
        ChangesGrid->SetCells(2, row, PriceCell(change.New));
        ChangesGrid->SetCells(3, row, SignedPercent(ChangePercent(change.Now, change.New)));
        ++row;
    }
    const bool more = FPreview.MoreSkipped > 0;
    SetListRows(*SkippedGrid, FPreview.Skipped.size() + (more ? 1 : 0));
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
        // The wait cursor while the prices are written (a lock held elsewhere is waited for).
        const TWaitCursor wait;
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
