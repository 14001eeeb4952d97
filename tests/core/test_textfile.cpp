// The text file writer against real files, links, FIFOs and devices.
#include "tests/support/TestDatabase.h"
#include "text/SysUtils.h"
#include "text/TextFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

// The message a refused or failed save gives, or "" when it succeeded.
std::string Save(const std::string& name, const std::vector<std::string>& lines, const std::string& database = {}) {
    try {
        SaveLines(name, lines, database);
    } catch (const Exception& e) {
        return e.what();
    }
    return {};
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

unsigned Mode(const fs::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

class TextFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(TextFileTest, ReplacesTheFileWholeThroughTheUsersLinksKeepingItsPermissions) {
    const mode_t umaskBefore = umask(027);
    EXPECT_EQ(Save("new.txt", {"A\tB", "", "C"}), "");
    umask(umaskBefore);
    EXPECT_EQ(ReadFile("new.txt"), "A\tB\r\n\r\nC\r\n");
    EXPECT_EQ(Mode("new.txt"), 0640u) << "a new file: 0666 less the umask";

    std::ofstream("old.txt") << std::string(5000, 'x');
    fs::permissions("old.txt", fs::perms(0604));
    EXPECT_EQ(Save("old.txt", {"short"}), "");
    EXPECT_EQ(ReadFile("old.txt"), "short\r\n");
    EXPECT_EQ(Mode("old.txt"), 0604u);

    // Links, relative and chained, to an existing file and to one not yet made: the links stay links.
    fs::create_directory("exports");
    std::ofstream("exports/Products.txt") << "old list";
    fs::create_symlink("exports/Products.txt", "Products.txt");
    fs::create_symlink("Products.txt", "chain.txt");
    fs::create_symlink("../exports/later.txt", "exports/dangling.txt");
    EXPECT_EQ(Save("chain.txt", {"new list"}), "");
    EXPECT_EQ(Save("exports/dangling.txt", {"later"}), "");
    EXPECT_EQ(fs::read_symlink("chain.txt"), "Products.txt");
    EXPECT_EQ(fs::read_symlink("Products.txt"), "exports/Products.txt");
    EXPECT_EQ(ReadFile("exports/Products.txt"), "new list\r\n");
    EXPECT_EQ(ReadFile("exports/later.txt"), "later\r\n");
    EXPECT_EQ(Entries("exports"), (std::vector<std::string>{"Products.txt", "dangling.txt", "later.txt"}))
        << "no temporary file is left behind";
}

TEST_F(TextFileTest, RefusesSpecialFilesAndTheDatabaseWithoutOpeningThem) {
    CreateDatabase();
    const std::string database = ReadFile("Products.db3");
    fs::create_symlink("Products.db3", "Products.txt");
    fs::create_hard_link("Products.db3", "Materials.txt");
    EXPECT_EQ(Save("Products.txt", {"list"}, "Products.db3"), "Cannot write Products.txt: it is the database file");
    EXPECT_EQ(Save("Materials.txt", {"list"}, "Products.db3"), "Cannot write Materials.txt: it is the database file");
    EXPECT_EQ(ReadFile("Products.db3"), database);

    // A FIFO would block an open for writing until a reader came.
    ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);
    fs::create_symlink("/dev/full", "full.txt");
    fs::create_directory("folder.txt");
    for (const char* name : {"fifo.txt", "full.txt", "folder.txt"})
        EXPECT_EQ(Save(name, {"list"}), "Cannot write " + std::string(name) + ": not a regular file");
    EXPECT_EQ(Entries("."), (std::vector<std::string>{"Materials.txt", "Products.db3", "Products.txt", "fifo.txt",
                                                      "folder.txt", "full.txt"}));
}

TEST_F(TextFileTest, AWriteThatFailsLeavesTheOldFileAsItWas) {
    std::ofstream("Report.txt") << "the last good report\r\n";
    {
        FileSizeLimit full(4096);
        EXPECT_EQ(Save("Report.txt", std::vector<std::string>(1000, "a line of the new report")),
                  "Cannot write Report.txt: File too large");
    }
    EXPECT_EQ(ReadFile("Report.txt"), "the last good report\r\n");
    EXPECT_EQ(Entries("."), std::vector<std::string>{"Report.txt"});
    EXPECT_EQ(Save("missing/Report.txt", {"x"}), "Cannot write missing/Report.txt: No such file or directory");
}

TEST_F(TextFileTest, AFileTheUserMayNotWriteStaysAsItIs) {
    // The folder lets anyone replace its files: only the file's own permission stands in the way.
    fs::permissions(".", fs::perms::all);
    std::ofstream("Report.txt") << "kept\r\n";
    fs::permissions("Report.txt", fs::perms(0444));
    EXPECT_EQ(AsOrdinaryUser([] { return Save("Report.txt", {"new"}); }), "Cannot write Report.txt: Permission denied");
    EXPECT_EQ(ReadFile("Report.txt"), "kept\r\n");
    EXPECT_EQ(Mode("Report.txt"), 0444u);
    EXPECT_EQ(Entries("."), std::vector<std::string>{"Report.txt"});
}

} // namespace
