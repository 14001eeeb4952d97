// The exports to text files, the printed lists and their preview, read from the grids as the user sees
// them; printing goes through the real printer device to a PDF file chosen in the (scripted) print dialog,
// and what the PDF holds is read back with pdftotext (poppler-utils).
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/PrintPreview.h"
#include "platform/Printers.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QComboBox>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

// A price the cell shows empty: a text in the file, NULL on a server, which holds no text there.
const std::string Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'ETHANOL', 2.5, '2025-01-02'),"
    " (2, 'NOPRICE', " +
    ByEngine("''", "NULL") +
    ", '2025-01-03'), (3, 'SUGAR', 12.5, '2025-01-04'), (4, 'WATER', 0.0, '2025-01-05');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'EMPTY BASE'), (2, 'LEMON CORDIAL');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 2, 3, 2.0), (2, 2, 4, 2.0);";

// A component list of 206 names, three pages long: one name of 35 characters, ZINC and PART 001 to 200.
const char* const LongList =
    "INSERT INTO Materials (Component, Price) VALUES ('LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL', 3), ('ZINC', 4);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
    " INSERT INTO Materials (Component, Price) SELECT 'PART ' || CASE WHEN i < 10 THEN '00' WHEN i < 100 THEN '0' ELSE "
    "'' END || i, i FROM n;";

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

// The words of a PDF file as pdftotext finds them, page by page: each word's text and the right edge of its box.
using PdfPage = std::vector<std::pair<std::string, double>>;
std::vector<PdfPage> PdfPages(const std::string& file) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-bbox", QString::fromStdString(file), "-"});
    EXPECT_TRUE(pdftotext.waitForFinished(60000) && pdftotext.exitCode() == 0) << "pdftotext could not read " << file;
    static const QRegularExpression tag(R"re(<page |<word [^>]* xMax="([^"]*)"[^>]*>([^<]*)</word>)re");
    std::vector<PdfPage> pages;
    for (const auto& match : tag.globalMatch(QString::fromUtf8(pdftotext.readAllStandardOutput()))) {
        if (match.captured(1).isEmpty())
            pages.emplace_back();
        else
            pages.back().emplace_back(match.captured(2).toStdString(), match.captured(1).toDouble());
    }
    return pages;
}

class OutputTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        ProgramFixture::TearDown();
    }
    void ShowTab(QWidget* tab) {
        Form1->PageControl1->setCurrentWidget(tab);
        Settle();
    }
    // The three exports, the recipe of the second product.
    void ExportAll() {
        ShowTab(Form1->COMPONENTS);
        Trigger(Form1->ExporttoMaterialstxt1);
        ShowTab(Form1->PRODUCTS);
        ClickRow(*Form1->StringGrid1, 2);
        Trigger(Form1->ExporttoProductstxt1);
        Trigger(Form1->ExporttoProducttxt1);
    }
    // Answers the print dialog with a PDF file, pages first to last (0: all) and copies.
    void PrintTo(const std::string& file, int first = 0, int last = 0, int copies = 1) {
        dialogs.PrintScript = [=](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(file));
            printer.setPrintRange(first ? QPrinter::PageRange : QPrinter::AllPages);
            printer.setFromTo(first, last);
            printer.setCopyCount(copies);
            return true;
        };
    }
    static std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const TPrintedLine& line : LastPrintedLines())
            texts.push_back(line.Text());
        return texts;
    }
};

TEST_F(OutputTest, ExportsWriteTheGridsAsShownUnderEitherDecimalSeparator) {
    for (const char* name : {"Materials.txt", "Products.txt", "Recipe.txt"})
        std::ofstream(name) << std::string(500, 'z');
    StartProgram();
    for (const char separator : {'.', ','}) {
        DecimalSeparator = separator;
        ThousandSeparator = separator == '.' ? ',' : '.';
        ExportAll();

        auto numbers = [separator](std::string text) {
            std::replace(text.begin(), text.end(), '.', separator);
            return text;
        };
        EXPECT_EQ(ReadFile("Materials.txt"), numbers("COMPONENT\tPRICE\r\nETHANOL\t    2.50\r\nNOPRICE\t\r\n"
                                                     "SUGAR\t   12.50\r\nWATER\t    0.00\r\n\t\r\n"));
        EXPECT_EQ(ReadFile("Products.txt"),
                  numbers("PRODUCT\tPRICE\r\nEMPTY BASE\t\r\nLEMON CORDIAL\t    6.25\r\n\t\r\n"));
        EXPECT_EQ(ReadFile("Recipe.txt"), numbers("Recipe of LEMON CORDIAL\r\nComponent\tMass (kg)\r\n"
                                                  "SUGAR\t   2.000\r\nWATER\t   2.000\r\n\t\r\n"));
        EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Done... See Materials.txt", "Done... See Products.txt",
                                                              "Done... See Recipe.txt"}));
        EXPECT_TRUE(dialogs.Errors.empty());
        dialogs.Clear();
    }
}

TEST_F(OutputTest, RecipeMassesShowAndExportToTheGram) {
    RunSql("INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (3, 1, 1, 0.005), (4, 1, 2, 0.02),"
           " (5, 1, 3, 1.25), (6, 1, 4, 12.3456);");
    StartProgram();
    ClickRow(*Form1->StringGrid1, 1);
    ASSERT_EQ(Form1->Edit1->Text(), "EMPTY BASE");
    EXPECT_EQ(Column(*Form1->StringGrid3, 1),
              (std::vector<std::string>{"   0.005", "   0.020", "   1.250", "  12.346"}));
    EXPECT_EQ(Form1->TotalEdit->Text(), "13.621");
    Trigger(Form1->ExporttoProducttxt1);
    EXPECT_EQ(ReadFile("Recipe.txt"), "Recipe of EMPTY BASE\r\nComponent\tMass (kg)\r\nETHANOL\t   0.005\r\n"
                                      "NOPRICE\t   0.020\r\nSUGAR\t   1.250\r\nWATER\t  12.346\r\n\t\r\n");
}

TEST_F(OutputTest, AnExportReplacesOnlyAnExportAndOnlyWhenWhollyWritten) {
    namespace fs = std::filesystem;
    fs::create_directory("Materials.txt");
    fs::create_symlink("Products.db3", "Products.txt");
    ASSERT_EQ(mkfifo("Recipe.txt", 0644), 0) << "a FIFO would hang the window if it were opened";
    StartProgram();
    ShowTab(Form1->COMPONENTS);
    Trigger(Form1->ExporttoMaterialstxt1);
    ShowTab(Form1->PRODUCTS);
    // Only a file is a database file to keep.
    std::vector<std::string> refusals{"Cannot write Materials.txt: not a regular file."};
    if (!OnServer()) {
        const std::string database = ReadFile("Products.db3");
        Trigger(Form1->ExporttoProductstxt1);
        EXPECT_EQ(ReadFile("Products.db3"), database);
        refusals.push_back("Cannot write Products.txt: it is the database file.");
    }
    Trigger(Form1->ExporttoProducttxt1);
    refusals.push_back("Cannot write Recipe.txt: not a regular file.");
    EXPECT_EQ(dialogs.Errors, refusals);
    EXPECT_TRUE(dialogs.Messages.empty());

    // A full disk: the last export stays as it was.
    fs::remove("Materials.txt");
    std::ofstream("Materials.txt") << "the last export";
    dialogs.Clear();
    ShowTab(Form1->COMPONENTS);
    {
        FileSizeLimit full(20);
        Trigger(Form1->ExporttoMaterialstxt1);
    }
    EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"Cannot write Materials.txt: File too large."});
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(ReadFile("Materials.txt"), "the last export");
}

TEST_F(OutputTest, NamesWithTabsOrLineBreaksKeepEachRowOneLine) {
    RunSql("INSERT INTO Materials (Component, Price) VALUES ('GUM\tARABIC', 1), ('CR\rLF\nNAME', 2);"
           "UPDATE Products SET Product = 'LEMON\r\nCORDIAL' WHERE Prod_ID = 2;");
    StartProgram();
    ExportAll();
    EXPECT_EQ(ReadFile("Materials.txt"),
              "COMPONENT\tPRICE\r\nCR LF NAME\t    2.00\r\nETHANOL\t    2.50\r\nGUM ARABIC\t    1.00\r\n"
              "NOPRICE\t\r\nSUGAR\t   12.50\r\nWATER\t    0.00\r\n\t\r\n");
    EXPECT_EQ(ReadFile("Products.txt"), "PRODUCT\tPRICE\r\nEMPTY BASE\t\r\nLEMON  CORDIAL\t    6.25\r\n\t\r\n");
    EXPECT_EQ(ReadFile("Recipe.txt").substr(0, 26), "Recipe of LEMON  CORDIAL\r\n");
}

TEST_F(OutputTest, PrintedListsKeepTheirLayoutOnEveryPage) {
    StartProgram();
    PrintTo("products.pdf");
    Trigger(Form1->PrintProducts);
    const std::string margin = Blanks(8);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "", "", "", margin + "Pricelist of Products", "",
                           margin + " Product" + Blanks(22) + " Price/kg", "", margin + "EMPTY BASE" + Blanks(20),
                           margin + "LEMON CORDIAL" + Blanks(17) + "    6.25", margin + Blanks(30)}));
    EXPECT_LT(LastPrintedLines()[5].Height, LastPrintedLines()[3].Height) << "rows are set smaller than the title";
    EXPECT_EQ(ReadFile("products.pdf").substr(0, 5), "%PDF-");

    ClickRow(*Form1->StringGrid1, 2);
    Trigger(Form1->PrintRecipe);
    EXPECT_EQ(Texts().at(3), margin + "LEMON CORDIAL");

    // Components: a name of 35 characters and a list longer than a page.
    RunSql(LongList);
    ShowTab(Form1->COMPONENTS);
    Trigger(Form1->PrintMaterials);
    const auto& list = LastPrintedLines();
    ASSERT_EQ(list.size(), 5 + 2 + 206 + 1u);
    EXPECT_GE(list.back().Page, 3);
    const auto priceAt = [&list](const std::string& name) {
        for (const TPrintedLine& line : list)
            if (line.Pieces.size() == 3 && line.Pieces[1].Text.starts_with(name))
                return line.Pieces[2].X - line.Pieces[1].X;
        return -1;
    };
    EXPECT_NEAR(priceAt(std::string(35, 'L')), priceAt("ZINC") * 35.0 / 30, 2);
    const auto headings = std::count_if(list.begin(), list.end(), [](const TPrintedLine& line) {
        return line.Text().find("Pricelist") != std::string::npos || line.Text().find("Price/kg") != std::string::npos;
    });
    EXPECT_EQ(headings, 2) << "no heading on a new page";
}

TEST_F(OutputTest, CancelOrAFailingPrinterPrintsNothing) {
    StartProgram();
    const int jobs = PrintedJobs();
    Trigger(Form1->PrintProducts);
    EXPECT_EQ(dialogs.PrintDialogs, 1);
    PrintTo("missing/list.pdf");
    Trigger(Form1->PrintProducts);
    EXPECT_EQ(dialogs.PrintDialogs, 2);
    EXPECT_EQ(PrintedJobs(), jobs);
    EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"Cannot print to missing/list.pdf."});
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(OutputTest, PricesStandInOneColumnWhateverTheNamesAccents) {
    const std::string acai = "A\xC3\x87"
                             "A\xC3\x8D"; // UTF-8; CAF\xC9 is an 8-bit name
    RunSql("INSERT INTO Materials (Component, Price) VALUES ('" + acai + " BERRY EXTRACT', 21.5), ('" +
           EightBit("CAF\xC9") + "', 9.75);");
    StartProgram();
    ShowTab(Form1->COMPONENTS);
    PrintTo("accents.pdf");
    Trigger(Form1->PrintMaterials);
    const auto pages = PdfPages("accents.pdf");
    std::vector<double> prices;
    for (const auto& [word, right] : pages.at(0))
        if (QRegularExpression(R"(^\d+\.\d\d$)").match(QString::fromStdString(word)).hasMatch())
            prices.push_back(right);
    ASSERT_EQ(prices.size(), 5u);
    for (const double right : prices)
        EXPECT_NEAR(right, prices[0], 0.05);
    // The export keeps the names' bytes.
    Trigger(Form1->ExporttoMaterialstxt1);
    EXPECT_NE(ReadFile("Materials.txt")
                  .find("\r\n" + acai + " BERRY EXTRACT\t   21.50\r\n" + EightBit("CAF\xC9") + "\t    9.75\r\n"),
              std::string::npos);
}

TEST_F(OutputTest, OnlyThePagesChosenArePrintedAndThePreviewShowsThemAll) {
    RunSql(LongList);
    StartProgram();
    ShowTab(Form1->COMPONENTS);
    PrintTo("all.pdf");
    Trigger(Form1->PrintMaterials);
    const auto all = PdfPages("all.pdf");
    ASSERT_GE(all.size(), 3u);
    const int pages = static_cast<int>(all.size());

    PrintTo("second.pdf", 2, 2);
    Trigger(Form1->PrintMaterials);
    EXPECT_EQ(PdfPages("second.pdf"), std::vector<PdfPage>{all[1]});
    // A PDF file makes no copies itself: each copy is the chosen pages again.
    PrintTo("copies.pdf", 2, 3, 2);
    Trigger(Form1->PrintMaterials);
    EXPECT_EQ(PdfPages("copies.pdf"), (std::vector<PdfPage>{all[1], all[2], all[1], all[2]}));
    // Pages past the end: no job, no file, and the user is told.
    const int jobs = PrintedJobs();
    PrintTo("none.pdf", pages + 1, pages + 2);
    Trigger(Form1->PrintMaterials);
    EXPECT_EQ(PrintedJobs(), jobs);
    EXPECT_FALSE(std::filesystem::exists("none.pdf"));
    EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"Nothing was printed: the pages chosen begin at page " +
                                                       std::to_string(pages + 1) + ", and the last page is page " +
                                                       std::to_string(pages) + "."});

    dialogs.Scripts["PrintPreview"] = [&](QDialog& window) {
        auto& preview = dynamic_cast<TPrintPreview&>(window);
        EXPECT_EQ(preview.PageCount(), pages);
        EXPECT_EQ(PrintedJobs(), jobs) << "showing pages prints nothing";
        QTest::mouseClick(preview.LastPageBtn, Qt::LeftButton);
        EXPECT_FALSE(preview.NextPageBtn->isEnabled());
        QTest::mouseClick(preview.PriorPageBtn, Qt::LeftButton);
        EXPECT_EQ(preview.PageEdit->value(), pages - 1);
        const double fitted = preview.Pages->zoomFactor();
        QTest::mouseClick(preview.ZoomInBtn, Qt::LeftButton);
        EXPECT_GT(preview.Pages->zoomFactor(), fitted);
        for (QWidget* control : std::initializer_list<QWidget*>{preview.FirstPageBtn, preview.PageEdit,
                                                                preview.ZoomOutBtn, preview.ZoomBox, preview.Pages})
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        // Cancelled, the print dialog leaves the preview open; printed, the preview closes.
        dialogs.PrintScript = nullptr;
        QTest::mouseClick(preview.PrintBtn, Qt::LeftButton);
        EXPECT_TRUE(window.isVisible());
        PrintTo("previewed.pdf");
        QTest::mouseClick(preview.PrintBtn, Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
    };
    Trigger(Form1->PreviewMaterials);
    EXPECT_EQ(PdfPages("previewed.pdf"), all);
    dialogs.Scripts.clear();
    ShowTab(Form1->PRODUCTS);
    Trigger(Form1->PreviewProducts);
    Trigger(Form1->PreviewRecipe);
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>(3, "PrintPreview"));
}

} // namespace
