// Backups of the database file: checked copies in "backups", the ten newest kept, and copies taken while
// another program writes.
#include "database/Backup.h"
#include "database/Database.h"
#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

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

TEST_F(BackupTest, CopiesAreCheckedAndOnlyTheTenNewestOfTheirOwnNamesAreKept) {
    const auto before = DumpDatabase();
    const fs::path first = MakeBackup(DatabaseFileName);
    EXPECT_EQ(first.parent_path(), fs::path("backups"));
    EXPECT_EQ(DumpDatabase(first.string()), before);
    EXPECT_TRUE(ParseBackupName(DatabaseFileName, first.filename().string()));

    // Older backups, among them one about to be restored, and files the program did not make.
    const std::string restored = "Products-20190101-000000.db3";
    for (const char* name :
         {"Products-20190101-000000.db3", "Products-20200101-000000.db3", "Products-20200101-000000-2.db3",
          "Products-old.db3", "notes.txt", "Products-20200101-000000-02.db3", "Other-20200101-000000.db3"})
        Plant(name);
    for (int i = 0; i < 8; ++i)
        MakeBackup(DatabaseFileName, fs::path("backups") / restored);

    const auto names = FolderNames();
    std::vector<std::string> ours;
    std::copy_if(names.begin(), names.end(), std::back_inserter(ours),
                 [](const std::string& n) { return ParseBackupName("Products.db3", n).has_value(); });
    // Nine copies of this run and the second backup of 2020 are the ten newest; the one restored stays.
    EXPECT_EQ(ours.size(), 11u);
    EXPECT_EQ(ours[0], restored);
    EXPECT_EQ(ours[1], "Products-20200101-000000-2.db3");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Products-20200101-000000.db3"), 0);
    for (const char* foreign :
         {"Products-old.db3", "notes.txt", "Products-20200101-000000-02.db3", "Other-20200101-000000.db3"})
        EXPECT_EQ(std::count(names.begin(), names.end(), foreign), 1) << foreign;
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

} // namespace
