// Automatic backups of the database, made before the user's writes, and the window "Backups of
// Products.db3" that lists them and puts one back.
#pragma once

#include "database/Backup.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QStatusBar;
class TStringGrid;

// Called right before a write the user asked for (a post, a delete, a rename, a new product, saved notes):
// the first one of the run backs the database up. The recomputation of a Refresh is no such write.
void BeforeUserWrite();
// Called right before a write that replaces much at once (an import applied, a backup restored): always
// backs the database up.
void BeforeBulkWrite();
// Starts a new run as far as backups go: the next write the user asks for backs up again. The program
// runs once per process; tests run it many times.
void StartBackupRun();

class TBackups : public QDialog {
    Q_OBJECT
public:
    explicit TBackups(QWidget* parent = nullptr);
    QLabel* Label1; // the folder
    TStringGrid* StringGrid1;
    QPushButton* RestoreBtn;
    QPushButton* OpenFolderBtn;
    QPushButton* HelpBtn;
    QPushButton* CloseBtn;
    QStatusBar* StatusBar1;

    // Reads the folder again: one row per backup, newest first.
    void FormShow();
    void StringGrid1Click();
    void RestoreBtnClick();
    void OpenFolderBtnClick();
    void HelpBtnClick();
    void CloseBtnClick();

private:
    // The backup on the grid's current row, or none (the empty last row, an empty folder).
    const TBackupInfo* Chosen() const;
    std::vector<TBackupInfo> FBackups;
};

// The backups window, made on its first showing and owned by the main window.
TBackups* BackupsWindow();
// "Restore a backup..": shows the backups window modally.
void ShowBackups();
