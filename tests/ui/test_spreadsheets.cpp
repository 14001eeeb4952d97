// The spreadsheet files of the main window's lists and of the price analysis, written through the menus and
// the analysis' button and read back as a spreadsheet program reads them. CTest runs it under C and de_DE.
#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "controls/umEdit.h"
#include "forms/MAIN.h"
#include "forms/RawMaterials.h"
#include "forms/Unit5.h"
#include "platform/Locale.h"
#include "tests/support/WorkbookReader.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QDate>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// CAF\xC9 is held in Windows-1252 (in UTF-8 on a server); water's 0.0 is no price. NOPRICE's price is a text
// in the file, NULL on a server, which holds no text there.
const std::string Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.5, '2025-01-02'),"
    " (2, 'NOPRICE', " +
    ByEngine("''", "NULL") +
    ", '2025-01-03'), (3, 'SUGAR', 1.2345, '2025-01-04'), (4, 'WATER', 0.0, '2025-01-05'),"
    " (5, " +
    ByEngine("CAST(X'434146C9' AS TEXT)", "'CAF\xC3\x89'") +
    ", 4.0, '2025-01-06');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'EMPTY BASE'), (2, 'LEMON CORDIAL');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 2, 3, 2.0), (2, 2, 4, 2.0), (3, 2, 5, 1.0);";

const char* const Chooser = "Export to Spreadsheet|Spreadsheets (*.xlsx);;All files (*)|";

class SpreadsheetTest : public ProgramFixture {
protected:
    void SetUp() override {
        // The German run: the separators of its regional settings, on screen and in the fields.
        if (const char* locale = std::getenv("BRIVANE_TEST_LOCALE"))
            ReadRegionalSettings(QLocale(QString::fromUtf8(locale)));
        CreateDatabase();
        RunSql(Data);
        StartProgram();
    }
    void TearDown() override {
        ReadRegionalSettings(QLocale::c());
        ProgramFixture::TearDown();
    }
    static void ShowTab(QWidget* tab) {
        Form1->PageControl1->setCurrentWidget(tab);
        Settle();
    }
    // Chooses the command, the save chooser answered with name ("" keeps its default).
    void Export(QAction* action, const std::string& name = "") {
        dialogs.SaveAnswers = {name};
        Trigger(action);
    }
    static TReadWorkbook Read(const std::string& file) {
        TReadWorkbook book = ReadWorkbook(file);
        EXPECT_EQ(book.Error, "") << file;
        return book;
    }
    // The row of the sheet whose column A holds text.
    static std::string RowOf(const TReadWorkbook& book, const std::string& text) {
        for (const auto& [ref, cell] : book.Cells)
            if (ref[0] == 'A' && cell.Value == text)
                return ref.substr(1);
        return "none";
    }
    static TReadCell At(const TReadWorkbook& book, const std::string& ref) {
        const auto found = book.Cells.find(ref);
        return found == book.Cells.end() ? TReadCell() : found->second;
    }
    static double Number(const TReadWorkbook& book, const std::string& ref) {
        const TReadCell cell = At(book, ref);
        EXPECT_EQ(cell.Type, "n") << ref << " holds " << cell.Value;
        return cell.Type == "n" ? std::stod(cell.Value) : -1.0;
    }
};

TEST_F(SpreadsheetTest, ListsKeepTheirStoredPricesAndMarks) {
    SKIP_WITHOUT_WORKBOOK_READER();
    ShowTab(Form1->COMPONENTS);
    EXPECT_EQ(Form1->MaterialsToSpreadsheet->text(), "Export to Spreadsheet..");
    const auto items = Form1->Materials1->actions();
    EXPECT_EQ(items.indexOf(Form1->MaterialsToSpreadsheet), items.indexOf(Form1->ExporttoMaterialstxt1) + 1);
    Export(Form1->MaterialsToSpreadsheet);
    EXPECT_EQ(dialogs.SaveDialogs, std::vector<std::string>{std::string(Chooser) + "Materials.xlsx"});
    EXPECT_EQ(dialogs.Messages.back(), "Done... See Materials.xlsx");
    TReadWorkbook book = Read("Materials.xlsx");
    EXPECT_EQ(book.Freeze, "A2");
    EXPECT_TRUE(At(book, "A1").Bold && At(book, "B1").Bold);
    EXPECT_EQ(At(book, "B1").Value, "Price/kg");
    const std::string sugar = RowOf(book, "SUGAR");
    EXPECT_EQ(Number(book, "B" + sugar), 1.2345) << "the stored price, not the 1.23 shown";
    EXPECT_EQ(At(book, "B" + sugar).Format, "0.00");
    EXPECT_NE(RowOf(book, "CAF\u00C9"), "none");
    EXPECT_EQ(At(book, "B" + RowOf(book, "NOPRICE")).Type, "") << "no price, no number";

    ShowTab(Form1->PRODUCTS);
    Export(Form1->ProductsToSpreadsheet, "Prices of products.xlsx");
    EXPECT_EQ(dialogs.Messages.back(), "Done... See Prices of products.xlsx");
    book = Read("Prices of products.xlsx");
    const std::string lemon = RowOf(book, "LEMON CORDIAL");
    EXPECT_EQ(Number(book, "B" + lemon), 1.29);
    EXPECT_EQ(At(book, "B" + lemon).Fill, "FFFFDEA6");
    EXPECT_NE(At(book, "B" + lemon).Comment.find("Price incomplete: no price for WATER"), std::string::npos);
    EXPECT_EQ(At(book, "B" + RowOf(book, "EMPTY BASE")).Fill, "");

    // Cancelled, refused: no file, no confirmation; the refusal is shown.
    const std::size_t messages = dialogs.Messages.size();
    dialogs.SaveAnswers.clear();
    Trigger(Form1->ProductsToSpreadsheet);
    // Only a file is a database file to keep.
    if (!OnServer())
        Export(Form1->ProductsToSpreadsheet, "Products.db3");
    std::filesystem::create_directory("Folder.xlsx");
    Export(Form1->ProductsToSpreadsheet, "Folder.xlsx");
    EXPECT_EQ(dialogs.Messages.size(), messages);
    EXPECT_FALSE(std::filesystem::exists("Products.xlsx"));
    std::vector<std::string> refusals{"Cannot write Folder.xlsx: not a regular file."};
    if (!OnServer())
        refusals.insert(refusals.begin(), "Cannot write Products.db3: it is the database file.");
    EXPECT_EQ(dialogs.Errors, refusals);
}

TEST_F(SpreadsheetTest, RecipeAndAnalysisShowTheSameMoney) {
    SKIP_WITHOUT_WORKBOOK_READER();
    ClickRow(*Form1->StringGrid1, 2);
    Export(Form1->RecipeToSpreadsheet);
    EXPECT_EQ(dialogs.Messages.back(), "Done... See Recipe.xlsx");
    const TReadWorkbook recipe = Read("Recipe.xlsx");
    EXPECT_EQ(At(recipe, "A1").Value, "Recipe of LEMON CORDIAL");
    EXPECT_EQ(Number(recipe, "B2"), 5.0);
    EXPECT_EQ(recipe.Freeze, "A5");
    for (const auto& [ref, caption] :
         {std::pair{"A4", "Component"}, {"B4", "Mass (kg)"}, {"C4", "%"}, {"D4", "Price/kg"}, {"E4", "Cost"}})
        EXPECT_EQ(At(recipe, ref).Value, caption);
    const std::string sugar = RowOf(recipe, "SUGAR");
    EXPECT_EQ(Number(recipe, "B" + sugar), 2.0);
    EXPECT_EQ(At(recipe, "B" + sugar).Format, "0.000");
    EXPECT_EQ(Number(recipe, "C" + sugar), 0.4);
    EXPECT_EQ(At(recipe, "C" + sugar).Format, "0.00%");
    EXPECT_EQ(Number(recipe, "D" + sugar), 1.2345);
    EXPECT_NEAR(Number(recipe, "E" + sugar), 2.469, 1e-12);
    const std::string water = RowOf(recipe, "WATER");
    EXPECT_EQ(At(recipe, "E" + water).Value, "") << "no price, no cost";
    EXPECT_EQ(At(recipe, "E" + water).Fill, "FFFFDEA6");
    EXPECT_NE(At(recipe, "D" + water).Comment.find("No price for this component"), std::string::npos);
    const std::string totals = RowOf(recipe, "Total");
    EXPECT_TRUE(At(recipe, "A" + totals).Bold);
    EXPECT_NEAR(Number(recipe, "E" + totals), 6.469, 1e-12);
    EXPECT_NEAR(Number(recipe, "D" + totals), 6.469 / 5.0, 1e-12);

    dialogs.Scripts["Form5"] = [this](QDialog&) {
        Form5->ComboBox1->setCurrentIndex(Form5->ComboBox1->findText("LEMON CORDIAL"));
        Form5->umEdit->setFocus();
        Form5->umEdit->selectAll();
        QTest::keyClicks(Form5->umEdit, "250");
        QTest::mouseClick(Form5->Button1, Qt::LeftButton);
        EXPECT_EQ(Form5->SpreadsheetBtn->text(), "Spread&sheet..");
        dialogs.SaveAnswers = {""};
        QTest::mouseClick(Form5->SpreadsheetBtn, Qt::LeftButton);
    };
    Trigger(Form1->PriceAnalysis);
    EXPECT_EQ(dialogs.SaveDialogs.back(), std::string(Chooser) + "Analysis.xlsx");
    EXPECT_EQ(dialogs.Messages.back(), "Done... See Analysis.xlsx");
    const TReadWorkbook analysis = Read("Analysis.xlsx");
    EXPECT_EQ(At(analysis, "B1").Value, "LEMON CORDIAL");
    EXPECT_EQ(At(analysis, "B2").Type, "d");
    EXPECT_EQ(At(analysis, "B2").Value, QDate::currentDate().toString(Qt::ISODate).toStdString() + "T00:00:00");
    EXPECT_EQ(Number(analysis, "B3"), 250.0);
    EXPECT_EQ(analysis.Freeze, "A6");
    const std::string share = RowOf(analysis, "SUGAR");
    EXPECT_EQ(Number(analysis, "B" + share), 100.0);
    // The analysis' share of the cost is the recipe's cost over its total.
    EXPECT_DOUBLE_EQ(Number(analysis, "C" + share), Number(recipe, "E" + sugar) / Number(recipe, "E" + totals));
    EXPECT_NEAR(Number(analysis, "D" + share), 2.469 * 50, 1e-9);
    EXPECT_EQ(At(analysis, "C" + RowOf(analysis, "WATER")).Fill, "FFFFDEA6");
}

TEST_F(SpreadsheetTest, RawMaterialsOfABatch) {
    SKIP_WITHOUT_WORKBOOK_READER();
    ClickRow(*Form1->StringGrid1, 2);
    dialogs.Scripts["RawMaterials"] = [this](QDialog& window) {
        auto& raw = static_cast<TRawMaterials&>(window);
        EXPECT_EQ(raw.SpreadsheetBtn->text(), "Spread&sheet..");
        dialogs.SaveAnswers = {""};
        QTest::mouseClick(raw.SpreadsheetBtn, Qt::LeftButton);
    };
    Trigger(Form1->RawMaterials);
    EXPECT_EQ(dialogs.SaveDialogs.back(), std::string(Chooser) + "RawMaterials.xlsx");
    EXPECT_EQ(dialogs.Messages.back(), "Done... See RawMaterials.xlsx");
    const TReadWorkbook book = Read("RawMaterials.xlsx");
    EXPECT_EQ(At(book, "A1").Value, "Raw materials of LEMON CORDIAL");
    EXPECT_EQ(Number(book, "B2"), 5.0);
    EXPECT_EQ(book.Freeze, "A5");
    const std::string sugar = RowOf(book, "SUGAR");
    EXPECT_EQ(sugar, "5") << "the largest mass first";
    EXPECT_EQ(Number(book, "B" + sugar), 2.0);
    EXPECT_EQ(Number(book, "C" + sugar), 0.4);
    EXPECT_EQ(At(book, "C" + sugar).Format, "0.00%");
    EXPECT_EQ(Number(book, "D" + sugar), 1.2345);
    EXPECT_DOUBLE_EQ(Number(book, "E" + sugar), 2.47) << "the cost to the cent, as shown";
    const std::string water = RowOf(book, "WATER");
    EXPECT_EQ(At(book, "D" + water).Value, "") << "no price, no number";
    EXPECT_EQ(At(book, "D" + water).Fill, "FFFFDEA6");
    EXPECT_NE(At(book, "D" + water).Comment.find("No price for this component"), std::string::npos);
    const std::string total = RowOf(book, "TOTAL");
    EXPECT_TRUE(At(book, "A" + total).Bold && At(book, "E" + total).Bold);
    EXPECT_DOUBLE_EQ(Number(book, "E" + total), 6.47);
    EXPECT_DOUBLE_EQ(Number(book, "D" + total), 1.29);
    EXPECT_EQ(Number(book, "C" + total), 1.0);
    EXPECT_NE(At(book, "E" + total).Comment.find("left out of the total"), std::string::npos);
}

} // namespace
