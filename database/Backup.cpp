#include "Backup.h"

#include "database/SQLiteDatabase.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string SqliteMessage(int code) {
    return "SQLite Error " + std::to_string(code) + " - " + sqlite3_errstr(code);
}

// One connection of the backup's own, closed when it goes out of scope; it waits for locks like every
// action does.
class TConnection {
public:
    TConnection(const fs::path& file, int flags) {
        const int result = sqlite3_open_v2(file.c_str(), &FDb, flags, nullptr);
        if (result != SQLITE_OK) {
            ESQLite3 error(result, FDb);
            sqlite3_close(FDb);
            FDb = nullptr;
            throw error;
        }
        sqlite3_busy_timeout(FDb, LockWaitMilliseconds);
    }
    ~TConnection() { sqlite3_close_v2(FDb); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;
    sqlite3* Db() const { return FDb; }
    void Close() {
        sqlite3* closing = FDb;
        FDb = nullptr;
        const int result = sqlite3_close(closing);
        if (result != SQLITE_OK) {
            sqlite3_close_v2(closing);
            throw Exception(SqliteMessage(result));
        }
    }

private:
    sqlite3* FDb = nullptr;
};

// Copies every page of source into target as one transaction of target. The source is read under a shared
// lock held for the whole copy, so the copy is one state of the file, never a mixture of two.
void CopyDatabase(sqlite3* source, sqlite3* target) {
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        throw ESQLite3(sqlite3_errcode(target), target);
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE)
        throw Exception(SqliteMessage(step));
    CheckResult(finish, target);
}

// SQLite's own check of a file's structure; anything but "ok" is a damaged file.
void CheckFile(sqlite3* db, const char* what) {
    std::string result;
    ForEachRow(db, "PRAGMA quick_check;", [&result](const TResultRow& row) {
        if (result.empty())
            result = row.Text(0);
    });
    if (result != "ok")
        throw Exception(std::string(what) + " failed its check: " + result);
}

std::string LocalStamp(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

std::string BackupFileName(const std::string& databaseFile, const std::string& stamp, int number) {
    const fs::path database(databaseFile);
    std::string name = database.stem().string();
    name.append("-").append(stamp);
    if (number > 1)
        name.append("-").append(std::to_string(number));
    return name.append(database.extension().string());
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

[[noreturn]] void FailOn(const std::string& what, int error) {
    throw Exception(what + ": " + std::generic_category().message(error));
}

// The backups folder, made when missing with no more access than the database's own folder has.
void MakeFolder(const fs::path& folder, const std::string& databaseFile) {
    const fs::path parent = fs::path(databaseFile).parent_path();
    struct stat parentInfo {};
    const mode_t mode =
        stat(parent.empty() ? "." : parent.c_str(), &parentInfo) == 0 ? parentInfo.st_mode & 0777 : 0700;
    const std::string what = "the folder " + fs::absolute(folder).string() + " cannot be made";
    if (::mkdir(folder.c_str(), mode) == 0)
        return;
    const int error = errno;
    struct stat info {};
    if (error != EEXIST)
        FailOn(what, error);
    if (stat(folder.c_str(), &info) != 0)
        FailOn(what, errno);
    if (!S_ISDIR(info.st_mode))
        FailOn(what, EEXIST);
}

// A hidden file of its own in the folder, which no listing takes for a backup; only its owner may read it
// while it is written.
fs::path CreateTemporary(const fs::path& folder, const std::string& databaseFile) {
    std::string name = (folder / ("." + fs::path(databaseFile).filename().string() + "-XXXXXX.tmp")).string();
    const int fd = mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0)
        FailOn("the file " + fs::absolute(folder).string() + "/" + fs::path(name).filename().string() +
                   " cannot be made",
               errno);
    ::close(fd);
    return name;
}

// Gives the complete copy its backup name, the next free one of its second; the name is taken only where no
// file has it, also against another copy of the program backing up at the same moment. The number goes on
// from the highest of the second, so a name freed by pruning is never taken again and the newest copy sorts
// newest.
fs::path MoveIntoPlace(const fs::path& temporary, const fs::path& folder, const std::string& databaseFile,
                       const std::string& stamp) {
    int number = 1;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (const auto name = ParseBackupName(databaseFile, it->path().filename().string()))
            if (name->Stamp == stamp)
                number = std::max(number, name->Number + 1);
    for (const int last = number + 100; number < last; ++number) {
        const fs::path file = folder / BackupFileName(databaseFile, stamp, number);
        if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) == 0)
            return file;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            FailOn("the copy cannot be named " + file.string(), errno);
        // A file system that cannot rename without replacing: the name is checked first.
        if (fs::exists(file, ec) || ec)
            continue;
        if (std::rename(temporary.c_str(), file.c_str()) != 0)
            FailOn("the copy cannot be named " + file.string(), errno);
        return file;
    }
    throw Exception("the folder " + folder.string() + " has no free backup name for this second");
}

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

bool Newer(const TBackupName& a, const TBackupName& b) {
    return a.Stamp != b.Stamp ? a.Stamp > b.Stamp : a.Number > b.Number;
}

// The backups of databaseFile in its folder, newest first, each with its name parsed.
std::vector<std::pair<fs::path, TBackupName>> FindBackups(const std::string& databaseFile) {
    std::vector<std::pair<fs::path, TBackupName>> found;
    std::error_code ec;
    for (fs::directory_iterator it(BackupFolder(databaseFile), ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        if (auto name = ParseBackupName(databaseFile, it->path().filename().string()))
            found.emplace_back(it->path(), std::move(*name));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return Newer(a.second, b.second); });
    return found;
}

const char* const CountComponents = "SELECT COUNT(*) FROM Materials;";
const char* const CountProducts = "SELECT COUNT(*) FROM Products;";

std::int64_t Count(sqlite3* db, const char* statement) {
    const auto count = QueryFirst(db, statement);
    return count ? std::stoll(*count) : 0;
}

TListCounts CountIn(sqlite3* db) {
    return {Count(db, CountComponents), Count(db, CountProducts)};
}

// The lists of a backup, or none when the file is no database holding them.
std::optional<TListCounts> ReadableLists(const fs::path& file) {
    try {
        TConnection db(file, SQLITE_OPEN_READONLY);
        const TListCounts counts = CountIn(db.Db());
        if (HasTable(db.Db(), "Recipes"))
            return counts;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// The dates YYYYMMDD of the last days up to now, today included, in local time.
std::vector<std::string> LastDays(std::time_t now, int days) {
    std::tm today{};
    localtime_r(&now, &today);
    std::vector<std::string> dates;
    for (int back = 0; back < days; ++back) {
        // Noon, so that a change to or from summer time never moves the day.
        std::tm day = today;
        day.tm_mday -= back;
        day.tm_hour = 12;
        day.tm_min = day.tm_sec = 0;
        day.tm_isdst = -1;
        std::mktime(&day);
        char text[16];
        std::strftime(text, sizeof text, "%Y%m%d", &day);
        dates.emplace_back(text);
    }
    return dates;
}

} // namespace

TBackupRun::TClaim TBackupRun::Before(TWrite write) {
    const bool first = !FFirstMade;
    FFirstMade = true;
    return {write == TWrite::Bulk || first, first};
}

void TBackupRun::Failed(const TClaim& claim) {
    if (claim.FirstOfRun)
        FFirstMade = false;
}

fs::path BackupFolder(const std::string& databaseFile) {
    return fs::path(databaseFile).parent_path() / "backups";
}

std::optional<TBackupName> ParseBackupName(const std::string& databaseFile, const std::string& fileName) {
    const fs::path database(databaseFile);
    const std::string prefix = database.stem().string() + "-";
    const std::string suffix = database.extension().string();
    if (fileName.size() <= prefix.size() + suffix.size() || !fileName.starts_with(prefix) ||
        !fileName.ends_with(suffix))
        return std::nullopt;
    const std::string_view middle =
        std::string_view(fileName).substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    // YYYYMMDD-HHMMSS, then -N for the second and later backups of the same second.
    if (middle.size() < 15 || middle[8] != '-' || !AllDigits(middle.substr(0, 8)) || !AllDigits(middle.substr(9, 6)))
        return std::nullopt;
    TBackupName name{std::string(middle.substr(0, 15)), 1};
    if (middle.size() == 15)
        return name;
    const std::string_view number = middle.substr(15);
    if (number.size() < 2 || number.size() > 4 || number[0] != '-' || !AllDigits(number.substr(1)) || number[1] == '0')
        return std::nullopt;
    name.Number = std::stoi(std::string(number.substr(1)));
    return name.Number >= 2 ? std::optional(name) : std::nullopt;
}

void CopyDatabaseFile(const std::string& databaseFile, const fs::path& copy) {
    TConnection source(databaseFile, SQLITE_OPEN_READWRITE);
    TConnection target(copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CopyDatabase(source.Db(), target.Db());
    source.Close();
    CheckFile(target.Db(), "the copy");
    target.Close();
}

fs::path MakeBackup(const std::string& databaseFile) {
    struct stat database {};
    if (stat(databaseFile.c_str(), &database) != 0) {
        if (errno == ENOENT)
            return {};
        FailOn("the file " + databaseFile + " cannot be read", errno);
    }
    const fs::path folder = BackupFolder(databaseFile);
    MakeFolder(folder, databaseFile);
    // The name tells when the copy was taken.
    const std::string stamp = LocalStamp(std::time(nullptr));
    const fs::path temporary = CreateTemporary(folder, databaseFile);
    try {
        CopyDatabaseFile(databaseFile, temporary);
        // Whoever may not read the database may not read its copies either.
        if (::chmod(temporary.c_str(), database.st_mode & 0777) != 0)
            FailOn("the copy cannot take the permissions of " + databaseFile, errno);
        const fs::path made = MoveIntoPlace(temporary, folder, databaseFile, stamp);
        SyncFolder(folder);
        return made;
    } catch (...) {
        RemoveBackup(temporary);
        throw;
    }
}

void PruneBackups(const std::string& databaseFile, std::initializer_list<fs::path> keep, std::time_t now) {
    const std::vector<std::string> days = LastDays(now, BackupDaysKept);
    std::vector<std::string> daysKept;
    std::size_t counted = 0;
    for (const auto& [file, name] : FindBackups(databaseFile)) {
        // What is no backup of the lists is not the program's to remove, and takes no backup's place.
        if (!ReadableLists(file))
            continue;
        bool kept = counted++ < BackupsKept;
        const std::string day = name.Stamp.substr(0, 8);
        if (std::find(days.begin(), days.end(), day) != days.end() &&
            std::find(daysKept.begin(), daysKept.end(), day) == daysKept.end()) {
            daysKept.push_back(day);
            kept = true;
        }
        if (kept || std::any_of(keep.begin(), keep.end(), [&](const fs::path& k) { return SameFile(file, k); }))
            continue;
        RemoveBackup(file);
    }
}

void RemoveBackup(const fs::path& file) {
    if (file.empty())
        return;
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        fs::remove(fs::path(file.string() + suffix), ignored);
}

TListCounts CountLists(const fs::path& file) {
    TConnection db(file, SQLITE_OPEN_READONLY);
    return CountIn(db.Db());
}

std::vector<TBackupInfo> ListBackups(const std::string& databaseFile) {
    std::vector<TBackupInfo> backups;
    for (auto& [file, name] : FindBackups(databaseFile)) {
        TBackupInfo info{file, name};
        std::error_code ec;
        info.Size = fs::file_size(file, ec);
        if (const auto lists = ReadableLists(file)) {
            info.Readable = true;
            info.Components = lists->Components;
            info.Products = lists->Products;
        }
        backups.push_back(std::move(info));
    }
    return backups;
}

void RestoreBackup(const fs::path& backupFile, const std::string& databaseFile) {
    std::error_code ec;
    if (!fs::is_regular_file(backupFile, ec))
        throw Exception("the backup " + backupFile.string() + " is no longer there");
    TConnection source(backupFile, SQLITE_OPEN_READONLY);
    CheckFile(source.Db(), "the backup");
    if (!HasTable(source.Db(), "Materials") || !HasTable(source.Db(), "Products") || !HasTable(source.Db(), "Recipes"))
        throw Exception("the backup holds no components, products and recipes");
    TConnection target(databaseFile, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CopyDatabase(source.Db(), target.Db());
    target.Close();
    source.Close();
}
