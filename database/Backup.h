// Copies of the database file in a folder "backups" beside it, made and put back with SQLite's online
// backup, so that a copy is consistent even while another program writes to the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

// The folder keeps the BackupsKept newest backups, and besides them the newest of each of the last
// BackupDaysKept days, today included.
inline constexpr std::size_t BackupsKept = 10;
inline constexpr int BackupDaysKept = 14;

// Which writes are backed up first: the first write the user asks for in a run (a post, a rename, a new
// product, saved notes), and every write that is hard to undo by hand (a delete, an import), whose backup
// serves as the run's first as well. The recomputation of a Refresh is no such write.
class TBackupRun {
public:
    enum class TWrite { User, Bulk };
    struct TClaim {
        bool BackUp = false;     // the write is backed up first
        bool FirstOfRun = false; // its backup is the run's first
    };
    TClaim Before(TWrite write);
    // The write claimed failed and changed nothing: when its backup was the run's first, the next write
    // backs up again.
    void Failed(const TClaim& claim);
    // A new run: the next write the user asks for backs up again.
    void Start() { FFirstMade = false; }

private:
    bool FFirstMade = false;
};

// The folder "backups" in the folder of databaseFile.
std::filesystem::path BackupFolder(const std::string& databaseFile);

// What the name of a backup tells: NAME-YYYYMMDD-HHMMSS.EXT, or NAME-YYYYMMDD-HHMMSS-N.EXT for the N-th
// backup of the same second, after the name and extension of the database file ("Products.db3").
struct TBackupName {
    std::string Stamp; // YYYYMMDD-HHMMSS, local time
    int Number = 1;
};
// The stamp and number of fileName when it is the name of a backup of databaseFile.
std::optional<TBackupName> ParseBackupName(const std::string& databaseFile, const std::string& fileName);

// Copies databaseFile into a new file of its backup folder and checks the copy. The copy is written under a
// temporary name and takes a backup's name only when it is complete, with the database file's permissions; a
// new folder gets no more access than the database's own. Returns the new file, or an empty path when there is
// no database file to copy. When no sound copy can be made, raises Exception with the reason and leaves nothing
// of the copy behind. Older backups stay: PruneBackups removes them once the write the copy guards went well.
std::filesystem::path MakeBackup(const std::string& databaseFile);

// Copies databaseFile into copy, a new file, in one read of it, and checks the copy. Raises Exception with the
// reason when no sound copy can be made; what was written of copy is then the caller's to remove.
void CopyDatabaseFile(const std::string& databaseFile, const std::filesystem::path& copy);

// Removes the readable backups that are neither among the BackupsKept newest, nor the newest of one of the
// last BackupDaysKept days before now (local time), nor in keep. A file with a backup's name that is no
// readable backup is never removed and never counts.
void PruneBackups(const std::string& databaseFile, std::initializer_list<std::filesystem::path> keep = {},
                  std::time_t now = std::time(nullptr));

// Removes a backup with its journal, as when the write it was made for failed.
void RemoveBackup(const std::filesystem::path& file);

struct TListCounts {
    std::int64_t Components = 0;
    std::int64_t Products = 0;
};
// The number of components and products that the file holds; raises Exception when it cannot be read.
TListCounts CountLists(const std::filesystem::path& file);

struct TBackupInfo {
    std::filesystem::path Path;
    TBackupName Name;
    std::uintmax_t Size = 0; // bytes
    // False when the file is no database holding the lists; the counts are then 0.
    bool Readable = false;
    std::int64_t Components = 0;
    std::int64_t Products = 0;
};
// The backups of databaseFile in its folder, newest first, each file opened read-only to count its lists.
std::vector<TBackupInfo> ListBackups(const std::string& databaseFile);

// Replaces the content of databaseFile with that of backupFile as one transaction: all of it or, when it
// fails, nothing. A backup that fails its check or holds no lists is refused. Failures raise Exception
// with the reason.
void RestoreBackup(const std::filesystem::path& backupFile, const std::string& databaseFile);
