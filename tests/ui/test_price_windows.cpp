// Prices a formulator can trust: incomplete prices flagged in the lists, the history every post keeps and
// its window with the chart, and the impact of a price before it is posted.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/PriceChart.h"
#include "controls/StatusBar.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/RecUnit.h"
#include "forms/PriceHistory.h"
#include "forms/PriceImpact.h"
#include "platform/Application.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QApplication>
#include <QTest>
#include <QTextDocument>

#include <sqlite3.h>

#include <cmath>
#include <map>

namespace {

using Cells = std::vector<std::string>;

// SYRUP is the 60/40 blend; the others each lack something: a price that is NULL, a price of 0, a
// component that was deleted (Comp_ID 9 and 8 are no longer in the list).
const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1, 'SUGAR', 2.0, '2025-01-01'),"
    " (2, 'WATER', 0.5, '2025-01-02'), (3, 'AROMA', NULL, '2025-01-03'), (4, 'SALT', 0, '2025-01-04');"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'SYRUP'), (2, 'AROMATIC'), (3, 'BRINE'), (4, 'LOST'),"
    " (5, 'MIXED');"
    "INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1, 60), (2, 1, 2, 40), (3, 2, 1, 5),"
    " (4, 2, 3, 1), (5, 3, 4, 3), (6, 3, 2, 97), (7, 4, 1, 10), (8, 4, 9, 2), (9, 5, 3, 1), (10, 5, 4, 1),"
    " (11, 5, 9, 1), (12, 5, 8, 1), (13, 5, 2, 5);";

const char* const StartText = "@Tarnock |  Rightclick item for menu |  Click item to change recipe |";

void Type(QWidget* field, const QString& text) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    QTest::keyClicks(field, text);
}

class PriceWindows : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
        StartProgram();
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        ProgramFixture::TearDown();
    }
    // The separators of fr_FR as the program reads them.
    static void French() {
        DecimalSeparator = ',';
        ThousandSeparator = ' ';
    }
    static TStringGrid& Products() { return *Form1->StringGrid1; }
    static std::string Status() { return Form1->BevelStatusBar1->SimpleText(); }
    static QVariant Role(const TStringGrid& grid, int row, int role) {
        return grid.model()->index(row - 1, 1).data(role);
    }
    static int RowOf(const TStringGrid& grid, const std::string& name) {
        for (int r = 1; r <= grid.RowCount() - 2; ++r)
            if (grid.Cells(0, r) == name)
                return r;
        return -1;
    }
    // Opens Edit Materials on a component of the list and runs script in it.
    void EditComponent(const std::string& name, const std::function<void()>& script) {
        Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
        Settle();
        Form1->StringGrid2->SetRow(RowOf(*Form1->StringGrid2, name));
        dialogs.Scripts["Mat"] = [script](QDialog&) { script(); };
        Trigger(Form1->RenameComponent);
    }
    void PostPrice(const std::string& name, const QString& price) {
        EditComponent(name, [price] {
            Type(Mat->PriceEdit, price);
            QTest::mouseClick(Mat->PostBtn, Qt::LeftButton);
        });
    }
};

TEST_F(PriceWindows, IncompletePricesAreFlaggedInTheListsAndCountedOnce) {
    const std::map<std::string, std::string> notes = {
        {"AROMATIC", "Price incomplete: no price for AROMA"},
        {"BRINE", "Price incomplete: no price for SALT"},
        {"LOST", "Price incomplete: 1 line refers to a deleted component"},
        {"MIXED", "Price incomplete: no price for AROMA and SALT; 2 lines refer to deleted components"},
        {"SYRUP", ""}};
    const QColor base = Products().palette().color(QPalette::Base);
    for (const auto& [product, note] : notes) {
        const int row = RowOf(Products(), product);
        ASSERT_GT(row, 0) << product;
        EXPECT_EQ(Role(Products(), row, Qt::ToolTipRole).toString().toStdString(), note);
        EXPECT_EQ(Role(Products(), row, Qt::AccessibleDescriptionRole).toString().toStdString(), note);
        const QVariant background = Role(Products(), row, Qt::BackgroundRole);
        EXPECT_EQ(background.isValid(), !note.empty()) << product;
        if (background.isValid()) {
            EXPECT_NE(background.value<QColor>(), base);
        }
    }
    EXPECT_EQ(Status(), std::string(StartText) + "  4 products with incomplete prices |");

    // The recipe marks the line whose component has no price, and only that one.
    ClickRow(Products(), RowOf(Products(), "AROMATIC"));
    const TStringGrid& recipe = *Form1->StringGrid3;
    ASSERT_EQ(Column(recipe, 0), (Cells{"SUGAR", "AROMA"}));
    EXPECT_TRUE(Role(recipe, 1, Qt::ToolTipRole).isNull());
    EXPECT_EQ(Role(recipe, 2, Qt::ToolTipRole).toString(), "No price for this component");
    EXPECT_EQ(Role(recipe, 2, Qt::AccessibleDescriptionRole).toString(), "No price for this component");
    EXPECT_TRUE(Role(recipe, 2, Qt::BackgroundRole).isValid());

    // A name that looks like markup shows as it is written.
    RunSql("UPDATE Materials SET Component = '<B>AROMA' WHERE Comp_ID = 3;");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    QTextDocument tip;
    tip.setHtml(Role(Products(), RowOf(Products(), "AROMATIC"), Qt::ToolTipRole).toString());
    EXPECT_EQ(tip.toPlainText(), "Price incomplete: no price for <B>AROMA");

    // Mended prices lose their marks at the next load; the count is replaced, never added twice.
    RunSql("UPDATE Materials SET Price = 1 WHERE Comp_ID IN (3, 4); DELETE FROM Recipes WHERE Comp_ID = 9;");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_TRUE(Role(Products(), RowOf(Products(), "AROMATIC"), Qt::BackgroundRole).isNull());
    EXPECT_EQ(Role(Products(), RowOf(Products(), "MIXED"), Qt::ToolTipRole).toString(),
              "Price incomplete: 1 line refers to a deleted component");
    EXPECT_EQ(Status(), std::string(StartText) + "  1 product with an incomplete price |");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_EQ(Status(), std::string(StartText) + "  1 product with an incomplete price |");
    RunSql("DELETE FROM Recipes WHERE Comp_ID = 8;");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    EXPECT_EQ(Status(), StartText);
    for (int r = 1; r <= Products().RowCount() - 2; ++r)
        EXPECT_TRUE(Role(Products(), r, Qt::BackgroundRole).isNull());
}

TEST_F(PriceWindows, LabelsAreReadAsTheTextTheyShow) {
    const auto readAsShown = [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            for (QLabel* label : window->findChildren<QLabel*>()) {
                if (label->text().isEmpty())
                    continue;
                EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), label->text())
                    << window->objectName().toStdString() << "." << label->objectName().toStdString();
            }
    };
    EditComponent("SUGAR", [&readAsShown] {
        Type(Mat->PriceEdit, "3.00");
        EXPECT_TRUE(QTest::qWaitFor([] { return !Mat->Label3->text().isEmpty(); }));
        readAsShown();
    });
    // A name that looks like markup is shown, and read, as it is written.
    RunSql("UPDATE Products SET Product = '<B>SYRUP</B>' WHERE Prod_ID = 1;");
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    ClickRow(Products(), RowOf(Products(), "<B>SYRUP</B>"));
    dialogs.Scripts["Rec"] = [&readAsShown](QDialog&) {
        EXPECT_EQ(Rec->Label1->text(), "<B>SYRUP</B>");
        readAsShown();
    };
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(dialogs.Shown.back(), "Rec");
}

// True when the chart shows its line's colour within two pixels of at.
bool LineAt(const QImage& image, QPointF at, const QColor& line) {
    for (int dy = -2; dy <= 2; ++dy) {
        const QColor pixel = image.pixelColor(qRound(at.x()), qRound(at.y()) + dy);
        if (std::abs(pixel.red() - line.red()) + std::abs(pixel.green() - line.green()) +
                std::abs(pixel.blue() - line.blue()) <
            60)
            return true;
    }
    return false;
}

TEST_F(PriceWindows, PostsThatChangeThePriceKeepTheOldOneAndTheWindowShowsThem) {
    // A file made before the history existed: its window shows the current price, its first price write
    // creates the table.
    RunSql("DROP TABLE PriceHistory;");
    dialogs.Scripts["PriceHistory"] = [](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Price history of SUGAR");
        EXPECT_EQ(Column(*Mat->History->PricesGrid, 1), Cells{"    2.00"});
        EXPECT_EQ(Mat->History->PriceChart->Points().size(), 1u);
    };
    EditComponent("SUGAR", [] { QTest::mouseClick(Mat->HistoryBtn, Qt::LeftButton); });
    const Today today;
    PostPrice("SUGAR", "2.50");
    PostPrice("SUGAR", "2.50");
    PostPrice("SUGAR", "3.10");
    EXPECT_EQ(today.Mark(
                  QueryRows("SELECT Comp_ID, Price, Date FROM PriceHistory ORDER BY " + ByEngine("rowid", "ID") + ";")),
              (Cells{"1|2.0|2025-01-01", "1|2.5|TODAY"}));

    French();
    bool shown = false;
    dialogs.Scripts["PriceHistory"] = [&shown, &today](QDialog& window) {
        shown = true;
        const TPriceHistory& history = *Mat->History;
        EXPECT_EQ(today.Mark(Column(*history.PricesGrid, 0)), (Cells{"TODAY", "TODAY", "2025-01-01"}));
        EXPECT_EQ(Column(*history.PricesGrid, 1), (Cells{"    3,10", "    2,50", "    2,00"}));
        // The step: 2.00 holds from its date until the change to 2.50, drawn at its height.
        TPriceChart& chart = *history.PriceChart;
        ASSERT_EQ(chart.Points().size(), 3u);
        const QColor line = chart.palette().color(QPalette::Highlight);
        const QPointF first = chart.PointPosition(0);
        const QPointF second = chart.PointPosition(1);
        EXPECT_LT(first.x(), second.x());
        EXPECT_GT(first.y(), second.y());
        EXPECT_TRUE(LineAt(chart.grab().toImage(), QPointF((first.x() + second.x()) / 2, first.y()), line));
        // It scales with the window.
        window.resize(window.width() + 200, window.height() + 100);
        QApplication::processEvents();
        EXPECT_GT(chart.PointPosition(1).x() - chart.PointPosition(0).x(), second.x() - first.x());
        QTest::mouseClick(history.HelpBtn, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 9);
    };
    EditComponent("SUGAR", [] {
        EXPECT_TRUE(Mat->HistoryBtn->isEnabled());
        QTest::mouseClick(Mat->HistoryBtn, Qt::LeftButton);
        QTest::mouseClick(Mat->CancelBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(shown);
    // A new component has no history to show.
    dialogs.Scripts["Mat"] = [](QDialog&) { EXPECT_FALSE(Mat->HistoryBtn->isEnabled()); };
    Trigger(Form1->NewComponent);
}

TEST_F(PriceWindows, AWriteThatFailsLeavesNeitherPriceNorHistory) {
    // Another program holds the file: the post waits for it, then gives up without a trace.
    Cells refusals;
    if (!OnServer()) {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open("Products.db3", &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
        PostPrice("SUGAR", "2.50");
        sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        refusals.push_back("SQLite Error 5 - database is locked");
        ASSERT_EQ(dialogs.Messages, refusals);
    }
    // A rename onto a name that is taken fails after the history row was written: it goes too.
    EditComponent("SUGAR", [] {
        Type(Mat->Edit1, "WATER");
        Type(Mat->PriceEdit, "2.75");
        QTest::mouseClick(Mat->PostBtn, Qt::LeftButton);
    });
    refusals.push_back(ByEngine("SQLite Error 19 - UNIQUE constraint failed: Materials.Component",
                                "PostgreSQL Error 23505 - duplicate key value violates unique constraint "
                                "\"materials_component_key\": Key (component)=(WATER) already exists"));
    EXPECT_EQ(dialogs.Messages, refusals);
    EXPECT_EQ(QueryRows("SELECT Component, Price FROM Materials WHERE Comp_ID = 1;"), Cells{"SUGAR|2.0"});
    EXPECT_EQ(QueryValue("SELECT COUNT(*) FROM PriceHistory;"), "0");

    // Deleting a component deletes its history with it.
    PostPrice("SUGAR", "2.50");
    PostPrice("WATER", "0.60");
    Form1->StringGrid2->SetRow(RowOf(*Form1->StringGrid2, "SUGAR"));
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteComponent);
    EXPECT_EQ(QueryRows("SELECT Comp_ID FROM PriceHistory;"), Cells{"2"});
}

TEST_F(PriceWindows, ANewComponentNeverAdoptsTheLinesOfADeletedOne) {
    // SALT is the last component; lines of components deleted long ago and a history row refer to higher ones.
    RunSql("INSERT INTO PriceHistory (Comp_ID, Price, Date) VALUES (12, 1.5, '2024-12-01');");
    const auto brine = [] { return Role(Products(), RowOf(Products(), "BRINE"), Qt::ToolTipRole).toString(); };
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    Form1->StringGrid2->SetRow(RowOf(*Form1->StringGrid2, "SALT"));
    dialogs.YesNoAnswers = {true};
    Trigger(Form1->DeleteComponent);
    dialogs.Scripts["Mat"] = [](QDialog&) {
        Type(Mat->Edit1, "pepper");
        Type(Mat->PriceEdit, "3.00");
        QTest::mouseClick(Mat->PostBtn, Qt::LeftButton);
    };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(QueryValue("SELECT Comp_ID FROM Materials WHERE Component = 'PEPPER';"), "13");
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    EXPECT_EQ(brine(), "Price incomplete: 1 line refers to a deleted component");
    EXPECT_EQ(QueryValue("SELECT Price FROM Products WHERE Product = 'BRINE';"), "0.5");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(PriceWindows, AHistoryTableOfAnotherShapeKeepsNoHistoryAndNothingFails) {
    RunSql("DROP TABLE PriceHistory; CREATE VIEW PriceHistory AS SELECT Comp_ID, Price, Date FROM Materials;");
    PostPrice("SUGAR", "2.50");
    EXPECT_EQ(QueryValue("SELECT Price FROM Materials WHERE Comp_ID = 1;"), "2.5");
    bool shown = false;
    dialogs.Scripts["PriceHistory"] = [&shown](QDialog&) {
        shown = true;
        EXPECT_EQ(Column(*Mat->History->PricesGrid, 1), Cells{"    2.50"});
        EXPECT_TRUE(Mat->History->NoHistoryLabel->isVisibleTo(Mat->History));
        EXPECT_EQ(Mat->History->NoHistoryLabel->text(),
                  "This file's PriceHistory table has another shape; no price history is kept.");
    };
    EditComponent("SUGAR", [] { QTest::mouseClick(Mat->HistoryBtn, Qt::LeftButton); });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
}

TEST_F(PriceWindows, ImpactIsWhatARefreshAfterPostShowsAndCancelWritesNothing) {
    French();
    const std::string before = ReadFile("Products.db3");
    Cells syrup;
    dialogs.Scripts["PriceImpact"] = [&syrup](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Price impact of SUGAR");
        const TStringGrid& grid = *Mat->Impact->ProductsGrid;
        // Largest change first.
        EXPECT_EQ(Column(grid, 0), (Cells{"LOST", "AROMATIC", "SYRUP"}));
        EXPECT_EQ(Column(grid, 3), (Cells{"+50,00", "+49,70", "+42,86"}));
        syrup = {grid.Cells(0, 3), grid.Cells(1, 3), grid.Cells(2, 3)};
        QTest::mouseClick(Mat->Impact->HelpBtn, Qt::LeftButton);
        EXPECT_EQ(Application.LastHelpContext, 10);
    };
    EditComponent("SUGAR", [] {
        EXPECT_FALSE(Mat->ImpactBtn->isEnabled());
        Type(Mat->PriceEdit, "3,00");
        EXPECT_TRUE(QTest::qWaitFor([] { return Mat->Label3->text() == "Changes the price/kg of 3 products"; }));
        // Back to the stored price: nothing changes.
        Type(Mat->PriceEdit, "2");
        EXPECT_TRUE(Mat->Label3->text().isEmpty());
        EXPECT_FALSE(Mat->ImpactBtn->isEnabled());
        Type(Mat->PriceEdit, "3,00");
        QTest::mouseClick(Mat->ImpactBtn, Qt::LeftButton);
        QTest::mouseClick(Mat->CancelBtn, Qt::LeftButton);
    });
    EXPECT_EQ(syrup, (Cells{"SYRUP", "    1,40", "    2,00"}));
    EXPECT_EQ(ReadFile("Products.db3"), before);

    PostPrice("SUGAR", "3,00");
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    EXPECT_EQ(Products().Cells(1, RowOf(Products(), "SYRUP")), syrup[2]);
}

} // namespace

TEST_F(PriceWindows, AProductWhoseCostsOverflowShowsNoPriceAndIsFlagged) {
    RunSql("UPDATE Materials SET Price = 1.7e308 WHERE Comp_ID = 1;");
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    const int row = RowOf(Products(), "SYRUP");
    EXPECT_EQ(Trim(Products().Cells(1, row)), "");
    EXPECT_EQ(Role(Products(), row, Qt::ToolTipRole).toString(), "Price incomplete: too large to compute");
    EXPECT_EQ(QueryRows("SELECT Product, Price FROM Products WHERE Prod_ID IN (1, 4) ORDER BY Prod_ID;"),
              (Cells{"SYRUP|<null>", "LOST|<null>"}));
}

// Prices of any size, however far apart, give a finite scale: every point lies in the plot, and drawing ends.
TEST(PriceChartScale, ExtremePricesAreDrawnInsideThePlot) {
    for (const auto& [first, second] : {std::pair{2.0, 1.7e308}, std::pair{-1e308, 1e308}}) {
        TPriceChart chart;
        chart.resize(440, 200);
        chart.SetPoints({{QDate(2025, 1, 1), first}, {QDate(2025, 6, 1), second}});
        const QRectF plot = chart.PlotArea().adjusted(-1, -1, 1, 1);
        for (std::size_t i = 0; i < 2; ++i) {
            const QPointF at = chart.PointPosition(i);
            ASSERT_TRUE(std::isfinite(at.y()) && plot.contains(at)) << first << " " << second << " point " << i;
        }
        EXPECT_FALSE(chart.grab().isNull());
    }
}
