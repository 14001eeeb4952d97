// Importing a price list from the Materials menu: the preview as the user sees it, Apply, a locked file and
// Cancel, on a real database with the file dialog and the windows answered by scripts.
#include "controls/Grids.h"
#include "forms/MAIN.h"
#include "forms/PriceImport.h"
#include "platform/Progress.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <fstream>
#include <utility>

namespace {

const char* const Data =
    "INSERT INTO Materials VALUES (1, 'SUGAR', 2.0, '2025-01-01'), (2, 'WATER', 0.0, '2025-01-02'),"
    " (3, 'CAFÉ', 5.0, '2025-01-03'), (4, 'VANILLIN', 14.2, '2025-01-05');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'SYRUP'), (2, 'COFFEE');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 60), (1, 2, 40), (2, 3, 10), (2, 1, 90);";

const char* const Filter = "Import price list|Text files (*.txt *.csv *.tsv);;All files (*)";

void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

std::vector<std::string> Rows(const TStringGrid& grid) {
    std::vector<std::string> rows;
    for (int r = 1; r <= grid.RowCount() - 2; ++r) {
        std::string row;
        for (int c = 0; c < grid.ColCount(); ++c)
            row += (c ? "|" : "") + grid.Cells(c, r);
        rows.push_back(row);
    }
    return rows;
}

class PriceImportTest : public ProgramFixture {
protected:
    void SetUp() override {
        // The columns chosen are remembered in settings of the test's own.
        const QString config = QString::fromStdString(dir.Path().string());
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        CreateDatabase();
        RunSql(Data);
        StartProgram();
        Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
        Settle();
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ProgramFixture::TearDown();
    }
    // Chooses the menu item with file as the answer to the file dialog; script acts in the preview.
    void Import(const std::string& file, std::function<void(TPriceImport&)> script) {
        dialogs.FileAnswers = {file};
        dialogs.Scripts["PriceImport"] = [script](QDialog& window) { script(static_cast<TPriceImport&>(window)); };
        Trigger(Form1->ImportPriceList);
    }
    static std::vector<std::string> Dump() {
        std::vector<std::string> rows;
        for (const char* table : {"Materials", "PriceHistory", "Products", "Recipes"})
            for (const auto& row :
                 QueryRows(std::string("SELECT * FROM ") + table + " ORDER BY " + ByEngine("rowid", "1") + ";"))
                rows.push_back(table + std::string(" ") + row);
        return rows;
    }
};

TEST_F(PriceImportTest, ThePreviewShowsEveryChangeSkippedLineAndMovedProductAndCancelWritesNothing) {
    DecimalSeparator = ',';
    WriteFile("prices.csv", "\xEF\xBB\xBF"
                            "Component;Price\r\nsugar;2,50\r\nPEPPER;3\r\nCAFÉ;5,00\r\nSUGAR;2,60\r\n");
    const std::string before = ReadFile("Products.db3");
    std::string caption, summary;
    std::vector<std::string> changes, skipped, products;
    bool applicable = false;
    Import("prices.csv", [&](TPriceImport& window) {
        caption = window.windowTitle().toStdString();
        window.ChangesGrid->Sync();
        changes = Rows(*window.ChangesGrid);
        skipped = Rows(*window.SkippedGrid);
        summary = window.SummaryLabel->text().toStdString();
        applicable = window.ApplyBtn->isEnabled();
        dialogs.Scripts["PriceImportProducts"] = [&](QDialog& shown) {
            products = Rows(*static_cast<TPriceImportProducts&>(shown).ProductsGrid);
            products.push_back(shown.windowTitle().toStdString());
        };
        QTest::mouseClick(window.ProductsBtn, Qt::LeftButton);
        QTest::mouseClick(window.CancelBtn, Qt::LeftButton);
    });
    EXPECT_EQ(dialogs.FileDialogs, (std::vector<std::string>{Filter}));
    EXPECT_EQ(caption, "Import price list prices.csv");
    EXPECT_EQ(changes, (std::vector<std::string>{"SUGAR|    2,00|    2,50|+25,00"}));
    EXPECT_EQ(skipped,
              (std::vector<std::string>{"3|PEPPER|not in the component list", "5|SUGAR|listed twice (line 2)"}));
    EXPECT_EQ(summary, "1 price changes, 1 unchanged, 2 lines skipped; 2 products change price");
    EXPECT_TRUE(applicable);
    EXPECT_EQ(products, (std::vector<std::string>{"SYRUP|    1,20|    1,50|+25,00", "COFFEE|    2,30|    2,75|+19,57",
                                                  "Price impact of prices.csv"}));
    EXPECT_EQ(ReadFile("Products.db3"), before);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(PriceImportTest, ApplyWritesTheChangedPricesAndTheListShowsThem) {
    Import("missing.csv", [](TPriceImport&) { ADD_FAILURE() << "no preview of a missing file"; });
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"The price list missing.csv cannot be read: the file does not exist."}));

    WriteFile("prices.txt", "CAF\xC9\t6.00\nVANILLIN\t14.20\nSUGAR\t2.10\n");
    const Today today;
    Import("prices.txt", [](TPriceImport& window) { QTest::mouseClick(window.ApplyBtn, Qt::LeftButton); });
    EXPECT_EQ(today.Mark(QueryRows("SELECT Comp_ID, Price, Date FROM Materials ORDER BY Comp_ID;")),
              (std::vector<std::string>{"1|2.1|TODAY", "2|0.0|2025-01-02", "3|6.0|TODAY", "4|14.2|2025-01-05"}));
    EXPECT_EQ(QueryRows("SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY Comp_ID;"),
              (std::vector<std::string>{"1|2.0|2025-01-01", "3|5.0|2025-01-03"}));
    EXPECT_EQ(Column(*Form1->StringGrid2, 1),
              (std::vector<std::string>{"    6.00", "    2.10", "   14.20", "    0.00"}));

    // The same list again changes nothing, so there is nothing to apply.
    bool applicable = true;
    Import("prices.txt", [&](TPriceImport& window) { applicable = window.ApplyBtn->isEnabled(); });
    EXPECT_FALSE(applicable);
}

TEST_F(PriceImportTest, ALockedFileAtApplyChangesNothingAndSaysSo) {
    SKIP_ON_SERVER();
    WriteFile("prices.csv", "SUGAR,2.50\nCAFÉ,$5.50\n");
    const std::vector<std::string> before = Dump();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("Products.db3", &other), SQLITE_OK);
    bool stayed = false;
    Import("prices.csv", [&](TPriceImport& window) {
        // Another program holds the write lock for longer than the program waits.
        sqlite3_exec(other, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
        QTest::mouseClick(window.ApplyBtn, Qt::LeftButton);
        stayed = window.isVisible();
        sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
        QTest::mouseClick(window.CancelBtn, Qt::LeftButton);
    });
    sqlite3_close(other);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"The price list was not applied and nothing was changed: "
                                                          "SQLite Error 5 - database is locked"}));
    EXPECT_EQ(Dump(), before);
}

std::vector<std::string> Items(const QComboBox& box) {
    std::vector<std::string> items;
    for (int i = 0; i < box.count(); ++i) {
        // Appended: g++ 12 warns of a false overlap for a short literal put in front at -O3.
        std::string item = i == box.currentIndex() ? "*" : "";
        items.push_back(item.append(box.itemText(i).toStdString()));
    }
    return items;
}

// Headings the program does not know: the boxes say where it read from, and a column chosen reads the file
// again and holds for the next file with that header.
TEST_F(PriceImportTest, TheColumnsChosenReadTheFileAgainAndHoldForTheSameHeader) {
    const std::string header = "Art.-Nr.;Bezeichnung;Preis\r\n";
    WriteFile("march.csv", header + "1001;Sugar;2,50\r\n");
    WriteFile("april.csv", header + "1002;Caf\xC3\xA9;6,00\r\n");
    std::vector<std::string> first, chosen, spoken;
    std::vector<std::string> changes;
    Import("march.csv", [&](TPriceImport& window) {
        for (QComboBox* box : {window.NameColumnBox, window.PriceColumnBox, window.DecimalMarkBox})
            spoken.push_back(box->accessibleName().toStdString());
        first = Items(*window.NameColumnBox);
        QTest::keyClick(window.NameColumnBox, Qt::Key_Down);
        changes = Rows(*window.ChangesGrid);
        QTest::mouseClick(window.CancelBtn, Qt::LeftButton);
    });
    EXPECT_EQ(spoken, (std::vector<std::string>{"Name column", "Price column", "Decimal mark"}));
    EXPECT_EQ(first, (std::vector<std::string>{"*Art.-Nr.", "Bezeichnung", "Preis"}));
    EXPECT_EQ(changes, (std::vector<std::string>{"SUGAR|    2.00|    2.50|+25.00"}));
    Import("april.csv", [&](TPriceImport& window) {
        for (QComboBox* box : {window.NameColumnBox, window.PriceColumnBox, window.DecimalMarkBox})
            chosen.push_back(box->currentText().toStdString());
        changes = Rows(*window.ChangesGrid);
        QTest::mouseClick(window.CancelBtn, Qt::LeftButton);
    });
    EXPECT_EQ(chosen, (std::vector<std::string>{"Bezeichnung", "Preis", "Comma"}));
    EXPECT_EQ(changes, (std::vector<std::string>{"CAFÉ|    5.00|    6.00|+20.00"}));
}

TEST_F(PriceImportTest, AnApplyAfterTheComponentsChangedWritesNothingAndSaysSo) {
    WriteFile("prices.csv", "SUGAR,2.50\nCAFÉ,5.50\n");
    bool stayed = false;
    std::vector<std::string> before;
    Import("prices.csv", [&](TPriceImport& window) {
        RunSql("UPDATE Materials SET Price = 2.2 WHERE Comp_ID = 1;");
        before = Dump();
        QTest::mouseClick(window.ApplyBtn, Qt::LeftButton);
        stayed = window.isVisible() && !window.ApplyBtn->isEnabled();
        QTest::mouseClick(window.CancelBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"The price list was not applied: 1 component changed since "
                                                          "the preview (SUGAR). Preview it again."}));
    EXPECT_EQ(Dump(), before);
}

// A long list shows the reading's progress; its Cancel stops the import, which then shows and writes nothing.
TEST_F(PriceImportTest, ALongListShowsTheReadingsProgressAndItsCancelStopsTheImport) {
    {
        // A supplier's whole catalogue, 42 MB: its reading lasts long enough to be watched and stopped.
        std::ofstream list("catalogue.csv", std::ios::binary);
        list << "Component;Price\r\n";
        for (int i = 1; i <= 1'500'000; ++i)
            list << "Supplier item " << i << ";2,50\r\n";
    }
    const std::vector<std::string> before = Dump();
    // The bar at once, so that the test does not race the machine's speed against the half second.
    struct Restore {
        int Delay = std::exchange(ProgressShowMilliseconds, 0);
        ~Restore() { ProgressShowMilliseconds = Delay; }
    } restore;
    std::string caption, label;
    int value = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* bar = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!bar || bar->value() <= 0)
            return;
        watch.stop();
        caption = bar->windowTitle().toStdString();
        label = bar->labelText().toStdString();
        value = bar->value();
        QTest::mouseClick(bar->findChild<QPushButton*>(), Qt::LeftButton);
    });
    watch.start(10);
    Import("catalogue.csv", [](TPriceImport&) { ADD_FAILURE() << "a stopped list is not previewed"; });
    EXPECT_EQ(caption, "Import price list");
    EXPECT_EQ(label, "Reading catalogue.csv..");
    EXPECT_GT(value, 0) << "the bar shows the reading's progress";
    EXPECT_LT(value, 900) << "stopped before the end of the list";
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(Dump(), before);
}

} // namespace
