#include "Backup.h"

#include "database/SQLiteDatabase.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// Creates the file of the next backup name of this second; creating it exclusively reserves the name, also
// against another copy of the program backing up at the same moment. The number goes on from the highest
// of the second, so a name freed by pruning is never taken again and the newest copy sorts newest.
fs::path ReserveBackupFile(const fs::path& folder, const std::string& databaseFile) {
    const std::string stamp = LocalStamp(std::time(nullptr));
    int number = 1;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (const auto name = ParseBackupName(databaseFile, it->path().filename().string()))
            if (name->Stamp == stamp)
                number = std::max(number, name->Number + 1);
    for (const int last = number + 100; number < last; ++number) {
        const fs::path file = folder / BackupFileName(databaseFile, stamp, number);
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return file;
        }
        if (errno != EEXIST)
            throw Exception("the file " + file.string() + " cannot be made: " + std::generic_category().message(errno));
    }
    throw Exception("the folder " + folder.string() + " has no free backup name for this second");
}

void RemoveCopy(const fs::path& file) {
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        fs::remove(fs::path(file.string() + suffix), ignored);
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

void PruneBackups(const std::string& databaseFile, const fs::path& made, const fs::path& keep) {
    const auto found = FindBackups(databaseFile);
    for (std::size_t i = BackupsKept; i < found.size(); ++i) {
        const fs::path& file = found[i].first;
        if (SameFile(file, made) || SameFile(file, keep))
            continue;
        std::error_code ignored;
        fs::remove(file, ignored);
    }
}

std::int64_t Count(sqlite3* db, const char* table) {
    const auto count = QueryFirst(db, std::string("SELECT COUNT(*) FROM ") + table + ";");
    return count ? std::stoll(*count) : 0;
}

} // namespace

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

fs::path MakeBackup(const std::string& databaseFile, const fs::path& keep) {
    std::error_code ec;
    if (!fs::exists(databaseFile, ec))
        return {};
    const fs::path folder = BackupFolder(databaseFile);
    fs::create_directories(folder, ec);
    if (ec)
        throw Exception("the folder " + fs::absolute(folder).string() + " cannot be made: " + ec.message());
    const fs::path made = ReserveBackupFile(folder, databaseFile);
    try {
        TConnection source(databaseFile, SQLITE_OPEN_READWRITE);
        TConnection copy(made, SQLITE_OPEN_READWRITE);
        CopyDatabase(source.Db(), copy.Db());
        source.Close();
        CheckFile(copy.Db(), "the copy");
        copy.Close();
    } catch (...) {
        RemoveCopy(made);
        throw;
    }
    PruneBackups(databaseFile, made, keep);
    return made;
}

std::vector<TBackupInfo> ListBackups(const std::string& databaseFile) {
    std::vector<TBackupInfo> backups;
    for (auto& [file, name] : FindBackups(databaseFile)) {
        TBackupInfo info{file, name};
        std::error_code ec;
        info.Size = fs::file_size(file, ec);
        try {
            TConnection db(file, SQLITE_OPEN_READONLY);
            info.Components = Count(db.Db(), "Materials");
            info.Products = Count(db.Db(), "Products");
            info.Readable = HasTable(db.Db(), "Recipes");
        } catch (const std::exception&) {
        }
        if (!info.Readable)
            info.Components = info.Products = 0;
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
