#include "Backups.h"

#include "controls/Grids.h"
#include "database/CopyToFile.h"
#include "database/Database.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/HelpContexts.h"
#include "forms/MAIN.h"
#include "forms/WindowKit.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Which of this run's writes are backed up first.
TBackupRun BackupRun;

QPointer<TBackups> Window;

std::string DatabaseName() {
    return fs::path(DatabaseFileName).filename().string();
}

// Backs the database up and returns the backup; a failure is shown with its reason, and the write goes ahead.
fs::path BackUpBeforeWrite() {
    try {
        return MakeBackup(DatabaseFileName);
    } catch (const std::exception& e) {
        ShowMessage("No backup of " + DatabaseName() + " could be made: " + e.what() +
                    ".\r\nThe change goes ahead without a backup.");
    }
    return {};
}

std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string ListsText(const TListCounts& lists) {
    return Counted(lists.Components, "component", "components") + ", " + Counted(lists.Products, "product", "products");
}

// What a restore replaces with what, both counted, so that the user sees which data is about to go.
std::string RestoreQuestion(const TBackupInfo& backup, const std::string& date) {
    std::string current;
    try {
        current = ListsText(CountLists(DatabaseFileName));
    } catch (const std::exception&) {
        current = "unreadable";
    }
    return "Replace the current data (" + current + ") with the backup of " + date + " (" +
           ListsText({backup.Components, backup.Products}) +
           ")? Changes made since then are lost; the current data is backed up first.";
}

// The date and time of a backup from its name, the date in the locale's short form; the second and later
// backups of one second carry their number.
std::string BackupDate(const TBackupName& name) {
    const QDateTime when = QDateTime::fromString(QString::fromStdString(name.Stamp), "yyyyMMdd-HHmmss");
    std::string text =
        when.isValid()
            ? FromQt(QLocale().toString(when.date(), QLocale::ShortFormat) + " " + when.time().toString("HH:mm:ss"))
            : name.Stamp;
    if (name.Number > 1)
        text += " (" + std::to_string(name.Number) + ")";
    return text;
}

// Whole kilobytes, rounded up so that no file shows as 0 kB, grouped as the locale groups digits.
std::string KiloBytes(std::uintmax_t bytes) {
    const std::string digits = std::to_string((bytes + 1023) / 1024);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && ThousandSeparator)
            text += ThousandSeparator;
        text += digits[i];
    }
    return text + " kB";
}

} // namespace

TWriteBackup::TWriteBackup(fs::path made, bool firstOfRun) : FMade(std::move(made)), FFirstOfRun(firstOfRun) {}

TWriteBackup::TWriteBackup(TWriteBackup&& other) noexcept
    : FMade(std::exchange(other.FMade, {})), FFirstOfRun(std::exchange(other.FFirstOfRun, false)) {}

TWriteBackup& TWriteBackup::operator=(TWriteBackup&& other) noexcept {
    if (this != &other) {
        Finish();
        FMade = std::exchange(other.FMade, {});
        FFirstOfRun = std::exchange(other.FFirstOfRun, false);
    }
    return *this;
}

TWriteBackup::~TWriteBackup() {
    Finish();
}

void TWriteBackup::Discard() {
    BackupRun.Failed({true, FFirstOfRun});
    FFirstOfRun = false;
    if (!FMade.empty())
        RemoveBackup(std::exchange(FMade, {}));
}

void TWriteBackup::Finish() noexcept {
    if (FMade.empty())
        return;
    try {
        PruneBackups(DatabaseFileName, {std::exchange(FMade, {})});
    } catch (const std::exception&) {
        // Too many backups left is no reason to trouble the user.
    }
}

bool BackupsOnServer() {
    return ChosenDatabase().Engine != TEngine::SQLite;
}

TWriteBackup BeforeUserWrite() {
    // Nothing is written beside the program for a server's data.
    if (BackupsOnServer())
        return {};
    const TBackupRun::TClaim claim = BackupRun.Before(TBackupRun::TWrite::User);
    if (!claim.BackUp)
        return {};
    return {BackUpBeforeWrite(), claim.FirstOfRun};
}

TWriteBackup BeforeBulkWrite() {
    if (BackupsOnServer())
        return {};
    const TBackupRun::TClaim claim = BackupRun.Before(TBackupRun::TWrite::Bulk);
    return {BackUpBeforeWrite(), claim.FirstOfRun};
}

void StartBackupRun() {
    BackupRun.Start();
}

TBackups::TBackups(QWidget* parent) : QDialog(parent) {
    SetupWindow(*this, "Backups", ToQt("Backups of " + DatabaseName()), {500, 340}, HelpBackups);
    FolderLabel = MakeLabel(*this, "FolderLabel");
    FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long folder path is cut at the window's edge rather than widening the window; its hint shows it whole.
    FolderLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The dates take what the window gives beyond the numbers' widths.
    BackupsGrid = MakeListGrid(*this, "BackupsGrid", "Backups",
                               {{"Date", 0}, {"Size", 80, true}, {"Components", 90, true}, {"Products", 80, true}});
    BackupsGrid->setMinimumSize(200, 120);
    BackupsGrid->EnableSorting();
    BackupsGrid->OnClick = [this] { BackupsGridClick(); };
    RestoreBtn = MakeButton(*this, "RestoreBtn", "&Restore");
    SetHint(*RestoreBtn, "Replace the current data with the chosen backup");
    OpenFolderBtn = MakeButton(*this, "OpenFolderBtn", "&Open folder");
    HelpBtn = MakeHelpButton(*this, HelpBackups);
    CloseBtn = MakeCloseButton(*this);
    StatusLabel = MakeLabel(*this, "StatusLabel");
    StatusLabel->setWordWrap(true);
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FolderLabel);
    layout->addWidget(BackupsGrid, 1);
    layout->addLayout(MakeButtonRow({RestoreBtn, OpenFolderBtn}, {HelpBtn, CloseBtn}));
    layout->addWidget(StatusLabel);

    ConnectButton(RestoreBtn, [this] { RestoreBtnClick(); });
    ConnectButton(OpenFolderBtn, [this] { OpenFolderBtnClick(); });
}

void TBackups::FormShow() {
    const fs::path folder = fs::absolute(BackupFolder(DatabaseFileName));
    FolderLabel->setText(ToQt("Folder: " + folder.string()));
    FolderLabel->setToolTip(ToQt(folder.string()));
    std::error_code ec;
    OpenFolderBtn->setEnabled(fs::is_directory(folder, ec));

    FBackups = ListBackups(DatabaseFileName);
    TStringGrid& grid = *BackupsGrid;
    SetListRows(grid, FBackups.size());
    for (std::size_t i = 0; i < FBackups.size(); ++i) {
        const TBackupInfo& backup = FBackups[i];
        const int row = static_cast<int>(i) + 1;
        grid.SetCells(0, row, BackupDate(backup.Name));
        // The date shown is in the locale's format; it sorts by its stamp and number.
        grid.SetCellData(0, row, SortKeyRole,
                         ToQt(backup.Name.Stamp) + QString::number(backup.Name.Number).rightJustified(6, '0'));
        grid.SetCells(1, row, KiloBytes(backup.Size));
        grid.SetCells(2, row, backup.Readable ? std::to_string(backup.Components) : "unreadable");
        grid.SetCells(3, row, backup.Readable ? std::to_string(backup.Products) : "");
    }
    grid.Sync();
    BackupsGridClick();
    if (FBackups.empty())
        StatusLabel->setText("No backups yet: one is made before the first change of each run and before every delete "
                             "or import.");
    else
        StatusLabel->clear();
}

const TBackupInfo* TBackups::Chosen() const {
    const int row = BackupsGrid->FilledRow(BackupsGrid->Row());
    if (row < 1 || static_cast<std::size_t>(row) > FBackups.size())
        return nullptr;
    return &FBackups[static_cast<std::size_t>(row) - 1];
}

void TBackups::BackupsGridClick() {
    const TBackupInfo* chosen = Chosen();
    RestoreBtn->setEnabled(chosen && chosen->Readable);
}

void TBackups::RestoreBtnClick() {
    const TBackupInfo* chosen = Chosen();
    if (!chosen || !chosen->Readable)
        return;
    const TBackupInfo backup = *chosen;
    const std::string date = BackupsGrid->Cells(0, BackupsGrid->Row());
    if (!ConfirmYesNo(RestoreQuestion(backup, date)))
        return;
    // The question promised a copy of what is replaced: without one nothing is replaced.
    fs::path made;
    try {
        made = MakeBackup(DatabaseFileName);
    } catch (const std::exception& e) {
        ShowMessage("Nothing was restored: the current data could not be backed up first (" + std::string(e.what()) +
                    ").");
        FormShow();
        return;
    }
    try {
        RestoreBackup(backup.Path, DatabaseFileName);
    } catch (const std::exception& e) {
        // The data is as it was, and so is its newest backup.
        if (!made.empty())
            RemoveBackup(made);
        ShowMessage("The backup of " + date + " could not be restored: " + e.what() +
                    ".\r\nThe current data is unchanged.");
        FormShow();
        return;
    }
    PruneBackups(DatabaseFileName, {made, backup.Path});
    // Every window that shows data reads the restored data, as at start-up.
    NotifyDataReplaced();
    FormShow();
    StatusLabel->setText(ToQt("Restored the backup of " + date + ". The data it replaced is in the newest backup."));
}

void TBackups::OpenFolderBtnClick() {
    const fs::path folder = fs::absolute(BackupFolder(DatabaseFileName));
    OpenUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())).toEncoded().toStdString());
}

TBackups* BackupsWindow() {
    if (!Window)
        Window = new TBackups(Form1);
    return Window;
}

void ShowBackups() {
    if (BackupsOnServer())
        return;
    TBackups& window = *BackupsWindow();
    window.FormShow();
    ShowModal(window);
}

void CopyToSQLiteFile() {
    // A copy of a file next to it would be refused under the file's own name.
    const fs::path database(DatabaseFileName);
    const std::string defaultName =
        BackupsOnServer() ? "Products.db3" : database.stem().string() + "-copy" + database.extension().string();
    std::string fileName;
    if (!SaveFileName("Copy to a SQLite file", "Database files (*.db3);;All files (*)", defaultName, fileName))
        return;
    {
        const TWaitCursor waiting;
        InOpenDatabase([&fileName] { CopyDataToFile(*Database, fileName, BackupsOnServer() ? "" : DatabaseFileName); });
    }
    ShowMessage("Done... See " + fileName);
}
