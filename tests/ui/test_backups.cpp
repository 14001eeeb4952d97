// Backups made before the user's writes, and the window that lists them and restores one.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/MAIN.h"
#include "forms/RecUnit.h"
#include "forms/Unit5.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class BackupsTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql("INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'ETHANOL', 2.5), (2, 'WATER', 0.0);"
               "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'ANISETTE'), (2, 'GIN');"
               "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1.25);");
        StartProgram();
    }
    // Adds a line of water to the recipe on display through the Edit Recipe dialog.
    void PostWater() {
        dialogs.Scripts["Rec"] = [](QDialog&) {
            Rec->ComboBox1->setCurrentIndex(Rec->ComboBox1->findText("WATER"));
            Rec->MassEdit->setFocus();
            QTest::keyClicks(Rec->MassEdit, "3");
            QTest::mouseClick(Rec->PostBtn, Qt::LeftButton);
        };
        // Water once more is meant.
        dialogs.YesNoAnswers = {true};
        Trigger(Form1->AddComponent1);
        dialogs.YesNoAnswers.clear();
    }
    static std::vector<fs::path> Made() {
        std::vector<fs::path> paths;
        for (const TBackupInfo& backup : ListBackups(DatabaseFileName))
            paths.push_back(backup.Path);
        return paths;
    }
};

TEST_F(BackupsTest, EachRunBacksUpBeforeItsFirstWriteAndTheTenNewestStay) {
    EXPECT_FALSE(fs::exists("backups")) << "the recomputation at start-up is no write of the user's";
    const auto before = DumpDatabase();
    PostWater();
    PostWater();
    const auto first = Made();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(DumpDatabase(first[0].string()), before);
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Recipes;"), "3");

    for (int run = 2; run <= 12; ++run) {
        StartBackupRun();
        PostWater();
    }
    const auto kept = Made();
    EXPECT_EQ(kept.size(), 10u);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), first[0]), 0) << "the oldest went first";
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Recipes;", kept.front().string()), "13");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(BackupsTest, ABackupThatCannotBeMadeIsReportedOnceAndTheWritesStillLand) {
    // A file where the folder belongs stops the copy even for the superuser.
    std::ofstream("backups") << "";
    PostWater();
    PostWater();
    EXPECT_EQ(dialogs.Messages,
              std::vector<std::string>{"No backup of Products.db3 could be made: the folder " +
                                       (dir.Path() / "backups").string() +
                                       " cannot be made: File exists.\r\nThe change goes ahead without a backup."});
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Recipes;"), "3");
}

TEST_F(BackupsTest, AWriteThatFailsTakesItsBackupAlongAndTheNextWriteBacksUpAgain) {
    RunSql("CREATE TRIGGER Refuse BEFORE INSERT ON Recipes BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    PostWater();
    EXPECT_TRUE(Made().empty());
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Recipes;"), "1");
    RunSql("DROP TRIGGER Refuse;");
    const auto before = DumpDatabase();
    PostWater();
    ASSERT_EQ(Made().size(), 1u);
    EXPECT_EQ(DumpDatabase(Made()[0].string()), before);
}

TEST_F(BackupsTest, EveryDeleteOfAProductOrAComponentIsBackedUp) {
    PostWater();
    const auto beforeProduct = DumpDatabase();
    dialogs.YesNoAnswers = {true, true};
    Trigger(Form1->DeleteProduct);
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    const auto beforeComponent = DumpDatabase();
    Trigger(Form1->DeleteComponent);
    const auto made = Made();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(DumpDatabase(made[1].string()), beforeProduct);
    EXPECT_EQ(DumpDatabase(made[0].string()), beforeComponent);
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM Materials;"), "1");
}

TEST_F(BackupsTest, TheWindowListsTheBackupsAndRestoresOneAfterBackingUpTheCurrentData) {
    const auto original = DumpDatabase();
    const fs::path backup = MakeBackup(DatabaseFileName);
    std::ofstream("backups/Products-20000101-000000.db3") << "not a database";
    RunSql("DELETE FROM Products WHERE Product = 'GIN'; UPDATE Materials SET Component = 'ALCOHOL' WHERE Comp_ID = 1;");
    const auto replaced = DumpDatabase();

    Form5->ComboBox1->SetText("ANISETTE");
    ASSERT_EQ(Form5->StringGrid1->Cells(0, 1), "ALCOHOL");
    dialogs.YesNoAnswers = {true};
    dialogs.Scripts["Backups"] = [this](QDialog& window) {
        TBackups& backups = *BackupsWindow();
        TStringGrid& grid = *backups.BackupsGrid;
        EXPECT_EQ(window.windowTitle(), "Backups of Products.db3");
        EXPECT_EQ((Names{grid.Cells(0, 0), grid.Cells(1, 0), grid.Cells(2, 0), grid.Cells(3, 0)}),
                  (Names{"Date", "Size", "Components", "Products"}));
        ASSERT_EQ(grid.RowCount(), 4);
        EXPECT_EQ(grid.Cells(1, 1), std::to_string((fs::file_size(Made()[0]) + 1023) / 1024) + " kB");
        EXPECT_EQ((Names{grid.Cells(2, 1), grid.Cells(3, 1)}), (Names{"2", "2"}));
        EXPECT_EQ(grid.Cells(0, 2), "1 Jan 2000 00:00:00");
        EXPECT_EQ((Names{grid.Cells(2, 2), grid.Cells(3, 2)}), (Names{"unreadable", ""}));
        ClickRow(grid, 2);
        EXPECT_FALSE(backups.RestoreBtn->isEnabled());
        ClickRow(grid, 1);
        ASSERT_TRUE(backups.RestoreBtn->isEnabled());
        const std::string date = grid.Cells(0, 1);
        QTest::mouseClick(backups.RestoreBtn, Qt::LeftButton);
        EXPECT_EQ(dialogs.Questions,
                  Names{"Replace the current data (2 components, 1 product) with the backup of " + date +
                        " (2 components, 2 products)? Changes made since then are lost; the current data is backed "
                        "up first."});
        EXPECT_EQ(grid.RowCount(), 5) << "the data replaced is the newest backup";
        // The outcome is shown whole at the window's width.
        QLabel& status = *backups.StatusLabel;
        EXPECT_EQ(status.text().toStdString(),
                  "Restored the backup of " + date + ". The data it replaced is in the newest backup.");
        window.layout()->activate();
        const QRect needed =
            status.fontMetrics().boundingRect(QRect(0, 0, status.width(), 10000), Qt::TextWordWrap, status.text());
        EXPECT_LE(needed.height(), status.contentsRect().height()) << "the status text is cut";

        QTest::mouseClick(backups.OpenFolderBtn, Qt::LeftButton);
        EXPECT_EQ(
            dialogs.OpenedUrls,
            Names{QUrl::fromLocalFile(QFile::decodeName(fs::absolute("backups").c_str())).toEncoded().toStdString()});
        QTest::mouseClick(backups.HelpBtn, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 12);
    };
    Trigger(Form1->RestoreBackup);
    EXPECT_EQ(DumpDatabase(), original);
    EXPECT_EQ(DumpDatabase(Made()[0].string()), replaced);
    EXPECT_TRUE(fs::exists(backup));
    EXPECT_TRUE(dialogs.Messages.empty());
    // Every list shows the restored data.
    EXPECT_EQ(Column(*Form1->StringGrid1, 0), (Names{"ANISETTE", "GIN"}));
    EXPECT_EQ(Column(*Form1->StringGrid3, 0), Names{"ETHANOL"});
    EXPECT_EQ(Names(Rec->ComboBox1->Items().begin(), Rec->ComboBox1->Items().end()), (Names{"ETHANOL", "WATER"}));
    EXPECT_EQ(Names(Form5->ComboBox1->Items().begin(), Form5->ComboBox1->Items().end()), (Names{"ANISETTE", "GIN"}));
    EXPECT_EQ(Form5->ComboBox1->Text(), "Product");
    // The analysis of the data replaced is gone: Recalculate has nothing to rescale.
    Form5->Button1->click();
    EXPECT_EQ(Column(*Form5->StringGrid1, 1), (Names{"", ""}));
}

TEST_F(BackupsTest, NothingIsRestoredWhenTheCurrentDataCannotBeBackedUpFirst) {
    MakeBackup(DatabaseFileName);
    RunSql("DELETE FROM Recipes;");
    const auto current = DumpDatabase();
    // Another program holds the file locked for writing longer than a backup waits.
    sqlite3* other = nullptr;
    sqlite3_open("Products.db3", &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    dialogs.YesNoAnswers = {true};
    dialogs.Scripts["Backups"] = [](QDialog&) { QTest::mouseClick(BackupsWindow()->RestoreBtn, Qt::LeftButton); };
    Trigger(Form1->RestoreBackup);
    sqlite3_close_v2(other);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Nothing was restored: the current data could not be backed "
                                                         "up first (SQLite Error 5 - database is locked)."});
    EXPECT_EQ(DumpDatabase(), current);
    EXPECT_EQ(Made().size(), 1u);
}

} // namespace
