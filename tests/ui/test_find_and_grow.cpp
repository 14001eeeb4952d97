// The main window for long lists: it grows with the screen and keeps its place, finds as you type and
// moves to a typed name.
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StatusBar.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

#include <map>

namespace {

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'ANETHOLE', 40), (2, 'EAU DÉMINÉRALISÉE', 0.1),"
    " (3, 'ÉTHANOL', 2.5);"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'ANISETTE'), (2, 'BLEND ÉTHYLIQUE'),"
    " (3, 'ETHYL ACETATE PURE'), (4, 'ZERO'), (5, 'ÉTHYL ACÉTATE SOLUTION');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 1), (1, 2, 2), (2, 3, 1), (3, 3, 4),"
    " (5, 2, 1), (5, 3, 1), (4, 9, 1);";

class FindAndGrowTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql(Data);
    }
    TStringGrid& Products() { return *Form1->StringGrid1; }
    std::string Status() { return Form1->BevelStatusBar1->SimpleText(); }
    // The names the list shows, as a screen reader reads them from the grid's model.
    static std::vector<std::string> ShownNames(TStringGrid& grid) {
        grid.Sync();
        std::vector<std::string> names;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            names.push_back(grid.model()->index(r, 0).data().toString().toStdString());
        return names;
    }
    // Each control's geometry in its parent (only the place of a label, which sizes to its text, and the
    // height of Label3, as tall as the total beside it), and the column widths of each grid.
    static std::map<std::string, QRect> Geometries() {
        std::map<std::string, QRect> at;
        for (QWidget* control : std::initializer_list<QWidget*>{
                 Form1->PageControl1, Form1->Label1, Form1->Refresh1, Form1->StringGrid1, Form1->Label2,
                 Form1->Refresh2, Form1->StringGrid2, Form1->Panel1, Form1->Edit1, Form1->TotalEdit, Form1->Label3,
                 Form1->StringGrid3, Form1->BevelStatusBar1, Form1->centralWidget()})
            at[control->objectName().toStdString()] =
                control == Form1->centralWidget() ? control->rect() : control->geometry();
        for (const char* label : {"Label1", "Label2"})
            at[label].setSize({0, 0});
        at["Label3"].setWidth(0);
        for (TStringGrid* grid : {Form1->StringGrid1, Form1->StringGrid2, Form1->StringGrid3})
            at[grid->objectName().toStdString() + " columns"] = QRect(0, 0, grid->columnWidth(0), grid->columnWidth(1));
        return at;
    }
    // Types text key by key, as a keyboard with accented letters does.
    static void Type(QWidget* widget, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, widget, c.isLetter() ? Qt::Key_A : Qt::Key_Space, QString(c), {});
    }
    static void ResizeClient(QSize size) {
        Form1->resize(size + QSize(0, Form1->height() - Form1->centralWidget()->height()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Form1->centralWidget()->size() == size; }));
    }
};

TEST_F(FindAndGrowTest, AtItsGivenSizeAsLaidOutEnlargedTheGridsTakeTheRoomAndThePlaceIsKept) {
    StartProgram();
    const std::map<std::string, QRect> given = {{"ClientArea", {0, 0, 701, 462}},
                                                {"PageControl1", {8, 8, 345, 425}},
                                                {"Label1", {176, 0, 0, 0}},
                                                {"Refresh1", {0, 0, 121, 18}},
                                                {"StringGrid1", {8, 24, 321, 361}},
                                                {"Label2", {128, 0, 0, 0}},
                                                {"Refresh2", {8, 0, 113, 18}},
                                                {"StringGrid2", {8, 24, 321, 369}},
                                                {"Panel1", {360, 24, 337, 409}},
                                                {"Edit1", {8, 8, 217, 21}},
                                                {"TotalEdit", {232, 8, 73, 21}},
                                                {"Label3", {312, 8, 0, 21}},
                                                {"StringGrid3", {8, 40, 321, 353}},
                                                {"BevelStatusBar1", {0, 443, 701, 19}},
                                                {"StringGrid1 columns", {0, 0, 222, 64}},
                                                {"StringGrid2 columns", {0, 0, 211, 61}},
                                                {"StringGrid3 columns", {0, 0, 230, 54}}};
    EXPECT_EQ(Geometries(), given);
    EXPECT_EQ(Form1->pos(), QPoint(118, 125));
    EXPECT_EQ(Form1->StringGrid3->model()->columnCount(), 2);
    EXPECT_FALSE(Form1->RecipeTotals->isVisible());

    // Smaller than given, nothing moves but the status bar along the bottom.
    ResizeClient({600, 400});
    auto smaller = given;
    smaller["ClientArea"] = {0, 0, 600, 400};
    smaller["BevelStatusBar1"] = {0, 381, 600, 19};
    EXPECT_EQ(Geometries(), smaller);

    // 301 wider, 100 taller: the lists get 150 of the width, the recipe 151, every grid the height; the recipe
    // has room for its money, the totals below it.
    ResizeClient({1002, 562});
    auto at = Geometries();
    EXPECT_EQ(at["PageControl1"], QRect(8, 8, 495, 525));
    EXPECT_EQ(at["StringGrid1"], QRect(8, 24, 471, 461));
    EXPECT_EQ(at["StringGrid1 columns"], QRect(0, 0, 372, 64));
    EXPECT_EQ(at["StringGrid2"], QRect(8, 24, 471, 469));
    EXPECT_EQ(at["StringGrid2 columns"], QRect(0, 0, 361, 61));
    EXPECT_EQ(at["Panel1"], QRect(510, 24, 488, 509));
    EXPECT_EQ(at["StringGrid3"], QRect(8, 40, 472, 435));
    EXPECT_EQ(at["StringGrid3 columns"], QRect(0, 0, 189, 54));
    EXPECT_EQ(Form1->StringGrid3->model()->columnCount(), 5);
    EXPECT_EQ(Form1->RecipeTotals->geometry(), QRect(8, 475, 189 + 54 + 192 + 2, 18)) << "as wide as the columns";
    EXPECT_EQ(at["BevelStatusBar1"], QRect(0, 543, 1002, 19));
    for (const char* fixed : {"Label1", "Label2", "Refresh1", "Refresh2", "Edit1", "TotalEdit", "Label3"})
        EXPECT_EQ(at[fixed], given.at(fixed)) << fixed;
    ResizeClient({701, 462});
    EXPECT_EQ(Geometries(), given);
    Settle();
    EXPECT_EQ(Form1->StringGrid3->model()->columnCount(), 2);

    // Closed, it leaves its place to the next run; maximised, its size as it was before.
    Form1->setGeometry(20, 30, 740, 500);
    Form1->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([] { return Form1->isMaximized(); }));
    Form1->close();
    const QSettings settings("Brivane", "Brivane");
    EXPECT_EQ(settings.value("MainWindow/Geometry").toRect(), QRect(20, 30, 740, 500));
    EXPECT_TRUE(settings.value("MainWindow/Maximized").toBool());
}

TEST_F(FindAndGrowTest, ThePlaceIsPutBackOnlyWhereItFitsAScreen) {
    {
        QSettings settings("Brivane", "Brivane");
        settings.setValue("MainWindow/Geometry", QRect(20, 30, 740, 500));
    }
    StartProgram();
    EXPECT_EQ(Form1->geometry(), QRect(20, 30, 740, 500));
    EXPECT_FALSE(Form1->isMaximized());
    TearDown();

    {
        QSettings settings("Brivane", "Brivane");
        settings.setValue("MainWindow/Geometry", QRect(5000, 30, 740, 500));
        settings.setValue("MainWindow/Maximized", true);
    }
    StartProgram();
    EXPECT_EQ(Form1->pos(), QPoint(118, 125)) << "a screen no longer there";
    EXPECT_EQ(Form1->centralWidget()->size(), QSize(701, 462));
    EXPECT_FALSE(Form1->isMaximized());
}

TEST_F(FindAndGrowTest, FindShowsTheRowsWithEveryWordAndKeepsEverythingElseOnEveryRow) {
    StartProgram();
    ClickRow(Products(), 1);
    ASSERT_EQ(Form1->Edit1->Text(), "ANISETTE");
    const std::string before = Status();
    ASSERT_TRUE(before.ends_with("  1 product with an incomplete price |")) << before;
    ASSERT_EQ(Form1->ProductMenu->actions().front(), Form1->FindProduct);
    Trigger(Form1->FindProduct);
    ASSERT_TRUE(Form1->FindEdit->isVisible());
    EXPECT_EQ(Form1->FindEdit->accessibleName(), "Find in the list");
    EXPECT_EQ(Form1->FindEdit->geometry(), QRect(8, 364, 321, 21));
    EXPECT_EQ(Products().geometry(), QRect(8, 24, 321, 340)) << "the list shrinks by the field's height";
    EXPECT_EQ(Status(), before + "  5 of 5 shown |");

    // Two words in reverse order, accents and case as typed: the rows shown to the eye and to screen readers.
    Type(Form1->FindEdit, "acét ETH");
    QTRY_COMPARE(Status(), before + "  2 of 5 shown |");
    EXPECT_EQ(ShownNames(Products()), (std::vector<std::string>{"ETHYL ACETATE PURE", "ÉTHYL ACÉTATE SOLUTION"}));
    EXPECT_EQ(Products().RowCount(), 7) << "the grid still holds every row";
    EXPECT_EQ(Products().Cells(0, 1), "ANISETTE");
    EXPECT_EQ(Form1->Edit1->Text(), "ANISETTE") << "typing does not change the recipe";

    // A reload keeps the filter.
    QTest::mouseClick(Form1->Refresh1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(ShownNames(Products()).size(), 2u);
    EXPECT_EQ(Status(), before + "  2 of 5 shown |");

    // Enter shows the first match; a click another.
    QTest::keyClick(Form1->FindEdit, Qt::Key_Return);
    EXPECT_EQ(Form1->Edit1->Text(), "ETHYL ACETATE PURE");
    QTest::mouseClick(Products().viewport(), Qt::LeftButton, {},
                      Products().visualRect(Products().model()->index(1, 0)).center());
    EXPECT_EQ(Form1->Edit1->Text(), "ÉTHYL ACÉTATE SOLUTION");
    // Up and Down in the field go through the rows found, and no further.
    QTest::keyClick(Form1->FindEdit, Qt::Key_Up);
    EXPECT_EQ(Form1->Edit1->Text(), "ETHYL ACETATE PURE");
    QTest::keyClick(Form1->FindEdit, Qt::Key_Up);
    EXPECT_EQ(Form1->Edit1->Text(), "ETHYL ACETATE PURE");
    QTest::keyClick(Form1->FindEdit, Qt::Key_Down);
    EXPECT_EQ(Form1->Edit1->Text(), "ÉTHYL ACÉTATE SOLUTION");
    EXPECT_TRUE(Form1->FindOpen());

    // A name that exists is refused though the filter hides it.
    dialogs.TextAnswers = {std::string("anisette")};
    Trigger(Form1->NewProduct);
    EXPECT_EQ(dialogs.Messages.back(), "Product already exists");
    EXPECT_TRUE(Form1->FindOpen());

    // Esc: every row again, the selection kept.
    Form1->FindEdit->setFocus();
    QTest::keyClick(Form1->FindEdit, Qt::Key_Escape);
    EXPECT_FALSE(Form1->FindEdit->isVisible());
    EXPECT_EQ(ShownNames(Products()).size(), 6u);
    EXPECT_EQ(Products().Cells(0, Products().Row()), "ÉTHYL ACÉTATE SOLUTION");
    EXPECT_EQ(Products().currentIndex().row(), Products().Row() - 1);
    EXPECT_EQ(Status(), before);
    EXPECT_EQ(Products().geometry(), QRect(8, 24, 321, 361));

    // New Product closes the field, so the new product shows selected.
    QTest::keyClick(Form1, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(Form1->FindEdit, "zero");
    QTRY_COMPARE(ShownNames(Products()), std::vector<std::string>{"ZERO"});
    dialogs.TextAnswers = {std::string("ACE NEW")};
    Trigger(Form1->NewProduct);
    EXPECT_FALSE(Form1->FindOpen());
    EXPECT_EQ(Products().Cells(0, Products().Row()), "ACE NEW");
    EXPECT_EQ(ShownNames(Products()).size(), 7u);

    // On COMPONENTS, Enter selects; an emptied field closes; switching tabs closes.
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    TStringGrid& components = *Form1->StringGrid2;
    Trigger(Form1->FindComponent);
    EXPECT_EQ(Form1->FindEdit->parentWidget(), Form1->COMPONENTS);
    QTest::keyClicks(Form1->FindEdit, "eau");
    QTest::keyClick(Form1->FindEdit, Qt::Key_Return);
    EXPECT_EQ(components.Cells(0, components.Row()), "EAU DÉMINÉRALISÉE");
    Form1->FindEdit->clear();
    QTRY_VERIFY(!Form1->FindOpen());
    EXPECT_EQ(components.Cells(0, components.Row()), "EAU DÉMINÉRALISÉE");
    Trigger(Form1->FindComponent);
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    EXPECT_FALSE(Form1->FindOpen());
    EXPECT_FALSE(Form1->FindEdit->isVisible());

    // So does Rename, so the renamed product shows selected.
    Trigger(Form1->FindProduct);
    QTest::keyClicks(Form1->FindEdit, "zero");
    QTRY_COMPARE(ShownNames(Products()), std::vector<std::string>{"ZERO"});
    QTest::keyClick(Form1->FindEdit, Qt::Key_Return);
    dialogs.TextAnswers = {std::string("NOUGHT")};
    Trigger(Form1->RenameProduct);
    EXPECT_FALSE(Form1->FindOpen());
    EXPECT_EQ(Products().Cells(0, Products().Row()), "NOUGHT");
}

TEST_F(FindAndGrowTest, TypedLettersMoveToTheFirstNameStartingWithThemIgnoringAccents) {
    StartProgram();
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    TStringGrid& components = *Form1->StringGrid2;
    components.setFocus();
    QTest::keyClicks(&components, "eth");
    EXPECT_EQ(components.Cells(0, components.Row()), "ÉTHANOL");
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    Products().setFocus();
    Type(&Products(), "ÉTHYL A");
    EXPECT_EQ(Form1->Edit1->Text(), "ETHYL ACETATE PURE") << "the recipe follows the move";
}

} // namespace
