// "Copy to a SQLite file.." on both engines, and the backup items on a team's server.
#include "controls/Grids.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/MAIN.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QLabel>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class CopyToFileTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase("Products.db3", true);
        StartProgram();
        // What the start-up said is not this test's concern.
        dialogs.Clear();
    }
    // What the two lists show on the database file.
    std::vector<std::string> ListsOf(const std::string& file) {
        const TDatabaseChoice chosen = ChosenDatabase();
        const std::string databaseFile = DatabaseFileName;
        ChooseDatabase(ParseDatabaseChoice(file));
        Form1->Refresh2Click();
        Form1->Refresh1Click();
        std::vector<std::string> shown;
        for (const TStringGrid* grid : {Form1->StringGrid2, Form1->StringGrid1})
            for (int col : {0, 1})
                for (const std::string& cell : Column(*grid, col))
                    shown.push_back(cell);
        ChooseDatabase(chosen);
        DatabaseFileName = databaseFile;
        return shown;
    }
};

TEST_F(CopyToFileTest, TheCopyOpensWithTheSameListsAndAFolderOrTheDatabaseItselfIsRefused) {
    // On the server, the file its data was loaded from.
    if (OnServer())
        OpenSQLiteDatabase("loaded.db3")
            ->ExecStatements(ReadFile(std::string(BRIVANE_SOURCE_DIR) + "/database/schema.sql") +
                             ReadFile(std::string(BRIVANE_SOURCE_DIR) + "/database/sample_data.sql"));
    const std::vector<std::string> shown = ListsOf(ByEngine("Products.db3", "loaded.db3"));
    ASSERT_GT(shown.size(), 8u);
    const std::string name = ByEngine("Products-copy.db3", "Products.db3");
    dialogs.SaveAnswers = {"", "folder", "Products.db3"};
    Trigger(Form1->CopyToFile);
    EXPECT_EQ(dialogs.SaveDialogs,
              std::vector<std::string>{"Copy to a SQLite file|Database files (*.db3);;All files (*)|" + name});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Done... See " + name});
    EXPECT_EQ(ListsOf(name), shown);

    fs::create_directory("folder");
    Trigger(Form1->CopyToFile);
    const auto before = DumpDatabase();
    Trigger(Form1->CopyToFile);
    // On the server a file of the database's name is no database of the program's.
    std::vector<std::string> refused = {"Cannot write folder: not a regular file."};
    if (!OnServer())
        refused.push_back("Cannot write Products.db3: it is the database file.");
    EXPECT_EQ(dialogs.Errors, refused);
    EXPECT_EQ(DumpDatabase(), before);
}

TEST_F(CopyToFileTest, OnAServerNoBackupIsMadeAndNoneCanBeRestored) {
    if (!OnServer())
        GTEST_SKIP() << "a test of the server";
    EXPECT_FALSE(Form1->RestoreBackup->isEnabled());
    EXPECT_EQ(Form1->RestoreBackup->toolTip().toStdString(), "Backups of a server are made on the server");

    // A file of that name beside the program is not the data: nothing backs it up before a write.
    OpenSQLiteDatabase(DatabaseFileName)->ExecStatements("CREATE TABLE Materials (Comp_ID INTEGER);");
    for (int write = 0; write < 2; ++write) {
        TWriteBackup user = BeforeUserWrite();
        TWriteBackup bulk = BeforeBulkWrite();
    }
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_FALSE(fs::exists("backups"));

    dialogs.Scripts["Form3"] = [](QDialog& about) {
        EXPECT_EQ(about.findChild<QLabel*>("Label5")->text().toStdString(), "Backups are made on the server.");
    };
    Trigger(Form1->About);
}

} // namespace
