// Automatic backups of the database, made before the user's writes, and the window "Backups of
// Products.db3" that lists them and puts one back.
#pragma once

#include "database/Backup.h"

#include <QDialog>

#include <filesystem>
#include <vector>

class QLabel;
class QPushButton;
class TStringGrid;

// The backup made for one write. When the write went ahead, older backups beyond those the folder keeps are
// removed as it goes out of scope; when the write failed, Discard removes the backup again instead, so failed
// writes never push older backups out.
class TWriteBackup {
public:
    TWriteBackup() = default;
    TWriteBackup(std::filesystem::path made, bool firstOfRun);
    TWriteBackup(TWriteBackup&& other) noexcept;
    TWriteBackup& operator=(TWriteBackup&& other) noexcept;
    ~TWriteBackup();

    // The write failed and changed nothing: the backup made for it goes, and when it was the run's first, the
    // next write backs up again.
    void Discard();

private:
    void Finish() noexcept;
    std::filesystem::path FMade;
    bool FFirstOfRun = false;
};

// A server's backups are its administrator's: the program makes none there and restores none.
bool BackupsOnServer();
// The hint of "Restore a backup.." on a server, where it is greyed.
inline constexpr const char* ServerBackupsHint = "Backups of a server are made on the server";

// Called right before a write the user asked for (a post, a rename, a new product, saved notes): the first one
// of the run backs the database file up. The recomputation of a Refresh is no such write.
[[nodiscard]] TWriteBackup BeforeUserWrite();
// Called right before a write that is hard to undo by hand (a product or a component deleted, an import
// applied): always backs the database up.
[[nodiscard]] TWriteBackup BeforeBulkWrite();
// Starts a new run as far as backups go: the next write the user asks for backs up again. The program
// runs once per process; tests run it many times.
void StartBackupRun();

class TBackups : public QDialog {
    Q_OBJECT
public:
    explicit TBackups(QWidget* parent = nullptr);
    QLabel* FolderLabel;
    TStringGrid* BackupsGrid;
    QPushButton* RestoreBtn;
    QPushButton* OpenFolderBtn;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;
    // The outcome of the last restore, wrapped to the window's width so that none of it is cut off.
    QLabel* StatusLabel;

    // Reads the folder again: one row per backup, newest first.
    void FormShow();
    void BackupsGridClick();
    void RestoreBtnClick();
    void OpenFolderBtnClick();

private:
    // The backup on the grid's current row, or none (the empty last row, an empty folder).
    const TBackupInfo* Chosen() const;
    std::vector<TBackupInfo> FBackups;
};

// The backups window, made on its first showing and owned by the main window.
TBackups* BackupsWindow();
// "Restore a backup..": shows the backups window modally; nothing on a server.
void ShowBackups();
// "Copy to a SQLite file..": asks for the file's name, starting with a Products.db3-like name in the current
// folder, writes a consistent copy of the data to it with the busy cursor and confirms with "Done... See NAME".
// A file that cannot be written ends the action with its error.
void CopyToSQLiteFile();
