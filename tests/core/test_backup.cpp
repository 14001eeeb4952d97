// Backups of the database file: checked copies in "backups", which of them are kept, and copies taken while
// another program writes or cut short.
#include "database/Backup.h"
#include "database/Database.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseFileName = "Products.db3";
        CreateDatabase();
        RunSql("INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (2, 'WATER', 0.5, '2025-02-02');"
               "INSERT INTO Products (Prod_ID, Product, Solids) VALUES (1, 'SYRUP', 'Stir' || char(13, 10)),"
               " (2, 'BRINE', NULL);"
               "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 60), (1, 2, 40);");
    }
    TempDir dir;
};

std::vector<std::string> FolderNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("backups"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void Plant(const std::string& name, const std::string& content = "not a database") {
    std::ofstream(fs::path("backups") / name) << content;
}

// A connection of another program, holding what it began until the test ends it.
struct OtherProgram {
    sqlite3* db = nullptr;
    OtherProgram() { sqlite3_open("Products.db3", &db); }
    ~OtherProgram() { sqlite3_close_v2(db); }
    int Run(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

// The stamp of a backup taken daysBack days before now at the given local time, HHMMSS.
std::string Stamp(std::time_t now, int daysBack, const char* time) {
    std::tm day{};
    localtime_r(&now, &day);
    day.tm_mday -= daysBack;
    day.tm_hour = 12;
    day.tm_isdst = -1;
    std::mktime(&day);
    char date[16];
    std::strftime(date, sizeof date, "%Y%m%d", &day);
    return std::string(date) + "-" + time;
}

TEST_F(BackupTest, CopiesAreCheckedAndTheNewestAndEachRecentDaysNewestAreKept) {
    const std::time_t now = std::time(nullptr);
    const auto before = DumpDatabase();
    const fs::path first = MakeBackup(DatabaseFileName);
    EXPECT_EQ(first.parent_path(), fs::path("backups"));
    EXPECT_EQ(DumpDatabase(first.string()), before);
    EXPECT_TRUE(ParseBackupName(DatabaseFileName, first.filename().string()));

    // Two real backups a day for the last 15 days, one from long ago about to be restored, files with a
    // backup's name that are no database (dated far ahead, so newest of all), and files the program did not make.
    std::vector<std::string> expected{first.filename().string()};
    for (int day = 1; day <= 15; ++day)
        for (const char* time : {"100000", "110000"}) {
            const std::string name = "Products-" + Stamp(now, day, time) + ".db3";
            fs::copy_file(first, fs::path("backups") / name);
            // The ten newest reach the fourth day back; each later one of the last 14 days keeps its newest.
            if (day <= 4 || (day <= 13 && std::string(time) == "110000"))
                expected.push_back(name);
        }
    const std::string restored = "Products-20190101-000000.db3";
    fs::copy_file(first, fs::path("backups") / restored);
    expected.push_back(restored);
    std::vector<std::string> junk{"Products-old.db3", "notes.txt", "Products-20200101-000000-02.db3",
                                  "Other-20200101-000000.db3", "Products-20200101-000000-2.db3"};
    for (int i = 0; i < 10; ++i)
        junk.push_back("Products-20990101-00000" + std::to_string(i) + ".db3");
    for (const std::string& name : junk)
        Plant(name);
    expected.insert(expected.end(), junk.begin(), junk.end());

    const fs::path latest = MakeBackup(DatabaseFileName);
    expected.push_back(latest.filename().string());
    PruneBackups(DatabaseFileName, {latest, fs::path("backups") / restored}, now);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(), expected);
    const auto listed = ListBackups(DatabaseFileName);
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(), [](const TBackupInfo& b) { return !b.Readable; }), 11);
}

TEST_F(BackupTest, ACopyIsOneStateOfTheFileWhileAnotherProgramWrites) {
    const auto committed = DumpDatabase();
    OtherProgram other;
    // A write under way, not yet committed: the copy holds the file as it stands.
    ASSERT_EQ(other.Run("BEGIN IMMEDIATE; INSERT INTO Materials VALUES (3, 'SALT', 1.0, '2025-03-03');"), SQLITE_OK);
    EXPECT_EQ(DumpDatabase(MakeBackup(DatabaseFileName).string()), committed);
    // A commit in progress locks readers out: after the wait the copy is refused and nothing is left of it.
    ASSERT_EQ(other.Run("COMMIT; BEGIN EXCLUSIVE; DELETE FROM Recipes;"), SQLITE_OK);
    try {
        MakeBackup(DatabaseFileName);
        ADD_FAILURE() << "a locked file was copied";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("locked"), std::string::npos) << e.what();
    }
    EXPECT_EQ(FolderNames().size(), 1u);
    ASSERT_EQ(other.Run("ROLLBACK;"), SQLITE_OK);
    EXPECT_EQ(DumpDatabase(MakeBackup(DatabaseFileName).string()).size(), committed.size() + 1);
}

TEST_F(BackupTest, AFolderThatCannotTakeTheCopyIsReportedAndLeavesNothing) {
    std::ofstream("backups") << "a file where the folder belongs";
    EXPECT_THROW(MakeBackup(DatabaseFileName), Exception);
    EXPECT_EQ(ReadFile("backups"), "a file where the folder belongs");

    fs::remove("backups");
    fs::create_directory("backups");
    if (geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop the superuser";
    fs::permissions("backups", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(MakeBackup(DatabaseFileName), Exception);
    fs::permissions("backups", fs::perms::owner_all);
    EXPECT_TRUE(FolderNames().empty());
}

TEST_F(BackupTest, AKilledCopyLeavesNoBackupAndCopiesAreNoMoreOpenThanTheDatabase) {
    RunSql("WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
           " INSERT INTO Materials (Comp_ID, Component, Price) SELECT i, 'C' || i || hex(randomblob(30)), 1 FROM n;");
    const mode_t umaskBefore = umask(0);
    fs::permissions(".", fs::perms(0710));
    fs::permissions("Products.db3", fs::perms(0640));
    // The program is ended by the system halfway through the copy.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{0, 0};
        setrlimit(RLIMIT_CORE, &limit);
        limit = {64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        try {
            MakeBackup(DatabaseFileName);
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    umask(umaskBefore);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the copy was not cut short";
    EXPECT_TRUE(ListBackups(DatabaseFileName).empty());

    const fs::path made = MakeBackup(DatabaseFileName);
    EXPECT_EQ(fs::status("backups").permissions(), fs::perms(0710));
    EXPECT_EQ(fs::status(made).permissions(), fs::perms(0640));
    EXPECT_EQ(ListBackups(DatabaseFileName).size(), 1u);
}

TEST(BackupRunTest, TheFirstUserWriteOfARunAndEveryBulkWriteAreBackedUp) {
    using TWrite = TBackupRun::TWrite;
    TBackupRun run;
    const auto first = run.Before(TWrite::User);
    EXPECT_TRUE(first.BackUp && first.FirstOfRun);
    EXPECT_FALSE(run.Before(TWrite::User).BackUp);
    const auto bulk = run.Before(TWrite::Bulk);
    EXPECT_TRUE(bulk.BackUp && !bulk.FirstOfRun);

    // A failed first write hands its turn to the next; a later failure does not.
    run.Start();
    run.Failed(run.Before(TWrite::User));
    EXPECT_TRUE(run.Before(TWrite::User).FirstOfRun);
    run.Failed(run.Before(TWrite::Bulk));
    EXPECT_FALSE(run.Before(TWrite::User).BackUp);

    // A bulk write opening the run serves as its first.
    run.Start();
    EXPECT_TRUE(run.Before(TWrite::Bulk).FirstOfRun);
    EXPECT_FALSE(run.Before(TWrite::User).BackUp);
}

} // namespace
