// Two users of one file: a lock held briefly by another program is waited for, a lock held for good still
// fails the action whole, and two processes writing and refreshing side by side lose nothing.
#include "controls/Grids.h"
#include "database/Database.h"
#include "database/Products.h"
#include "forms/MAIN.h"
#include "tests/support/ui/ProgramFixture.h"

#include <sqlite3.h>

#include <QPushButton>
#include <QTest>

#include <atomic>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Counts the naps SQLite's lock wait takes, so a test knows the program is waiting without a clock.
std::atomic<int> Naps{0};
sqlite3_vfs CountingVfs;
int (*RealSleep)(sqlite3_vfs*, int) = nullptr;

int CountingSleep(sqlite3_vfs* vfs, int microseconds) {
    ++Naps;
    return RealSleep(vfs, microseconds);
}

void InstallCountingVfs() {
    if (RealSleep)
        return;
    sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
    CountingVfs = *real;
    CountingVfs.zName = "brivane-counting";
    RealSleep = real->xSleep;
    CountingVfs.xSleep = CountingSleep;
    sqlite3_vfs_register(&CountingVfs, 1);
}

// Another program's connection to the file, holding its write lock until told to let go.
class OtherWriter {
public:
    explicit OtherWriter(const std::string& sql) {
        sqlite3_open("Products.db3", &FDb);
        sqlite3_exec(FDb, ("BEGIN IMMEDIATE;" + sql).c_str(), nullptr, nullptr, nullptr);
    }
    ~OtherWriter() { sqlite3_close(FDb); }
    void Commit() { sqlite3_exec(FDb, "COMMIT;", nullptr, nullptr, nullptr); }
    void Rollback() { sqlite3_exec(FDb, "ROLLBACK;", nullptr, nullptr, nullptr); }

private:
    sqlite3* FDb = nullptr;
};

class LockTest : public ProgramFixture {
protected:
    void SetUp() override {
        InstallCountingVfs();
        CreateDatabase("Products.db3", true);
        StartProgram();
        dialogs.Clear();
    }
};

TEST_F(LockTest, RefreshWaitsForABriefLockAndShowsWhatTheOtherProgramCommitted) {
    OtherWriter other("INSERT INTO Products (Product) VALUES ('AAA FROM PURCHASING');");
    Naps = 0;
    // Let go once the Refresh is seen waiting for the lock.
    std::thread release([&other] {
        while (Naps == 0)
            std::this_thread::yield();
        other.Commit();
    });
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    release.join();
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{});
    EXPECT_GT(Naps.load(), 0);
    EXPECT_EQ(Column(*Form1->StringGrid1, 0).front(), "AAA FROM PURCHASING");
    EXPECT_NE(QueryValue("SELECT Price FROM Products WHERE Product = 'ANISETTE ESSENCE';"), "<null>")
        << "the recomputation ran after the wait";
}

TEST_F(LockTest, ALockThatStaysFailsTheActionWholeAndWritesNothing) {
    RunSql("UPDATE Products SET Price = NULL, Mass = NULL;");
    const auto before = QueryRows("SELECT * FROM Products ORDER BY Prod_ID;");
    OtherWriter other("UPDATE Materials SET Date = Date;");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"SQLite Error 5 - database is locked"});
    other.Rollback();
    EXPECT_EQ(QueryRows("SELECT * FROM Products ORDER BY Prod_ID;"), before);
}

// One process of the database layer: posts components and refreshes the products, round after round.
int PostAndRefresh(const std::string& tag, int rounds) {
    try {
        for (int i = 0; i < rounds; ++i) {
            InOpenDatabase([&] {
                InTransaction(Database, [&] {
                    ExecStatements(Database, "INSERT INTO Materials (Component, Price, Date) VALUES ('" + tag +
                                                 std::to_string(i) + "', '1.5', CURRENT_DATE);");
                });
            });
            InOpenDatabase([] {
                InTransaction(Database, [] {
                    RecomputeProducts(Database);
                    LoadProductList(Database, [](void*, int, char**, char**) { return 0; });
                });
            });
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", tag.c_str(), e.what());
        return 1;
    }
}

TEST_F(LockTest, TwoProcessesPostingAndRefreshingLoseNothing) {
    constexpr int Rounds = 60;
    std::vector<pid_t> children;
    for (const char* tag : {"FIRST ", "SECOND "}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(PostAndRefresh(tag, Rounds));
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a process met an error";
    }
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Materials WHERE Component LIKE 'FIRST %' OR Component LIKE "
                         "'SECOND %';"),
              std::to_string(2 * Rounds));
    EXPECT_EQ(QueryValue("PRAGMA integrity_check;"), "ok");
    EXPECT_EQ(QueryValue("PRAGMA journal_mode;"), "delete") << "the file keeps its rollback journal";
}

} // namespace
