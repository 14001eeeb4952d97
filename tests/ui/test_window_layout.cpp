// The windows at their default font: captions and report columns that fit, and the reports and analysis
// windows resized, their list or grid taking the room.
#include "controls/Grids.h"
#include "controls/ListBox.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/RecUnit.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <functional>

namespace {

const char* const Data =
    "INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'CINNAMON BARK OIL', 612.5), (2, 'WATER', 0);"
    "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'CINNAMON SPICE FLAVOUR'), (2, 'COLA FLAVOUR BASE');"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 0.15), (2, 1, 0.06), (2, 2, 18.0);"
    // Enough lines for the report to need its scroll bar, which narrows the list.
    "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 40)"
    " INSERT INTO Products (Prod_ID, Product) SELECT i, 'LEMON SYRUP ' || CASE WHEN i < 10 THEN '0' ELSE '' END || i "
    "FROM n;"
    "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT Prod_ID, 2, 0.125 FROM Products WHERE Prod_ID > 2;";

class LayoutTest : public ProgramFixture {
protected:
    // Shows the window modally from the main window's item and runs check on it.
    void Check(QAction* item, const char* window, const std::function<void(QDialog&)>& check) {
        dialogs.Scripts[window] = check;
        Trigger(item);
    }
};

TEST_F(LayoutTest, CaptionsAndReportColumnsFitAndResizedWindowsGiveTheRoomToTheirList) {
    CreateDatabase();
    RunSql(Data);
    StartProgram();
    for (QWidget* window : std::initializer_list<QWidget*>{Form4, Form5, Mat, Rec})
        for (const QPushButton* button : window->findChildren<QPushButton*>()) {
            const QString caption = QString(button->text()).remove('&');
            EXPECT_EQ(button->font().pixelSize(), 11) << caption.toStdString() << " was shrunk to fit";
            EXPECT_LE(button->fontMetrics().horizontalAdvance(caption), button->width() - 8) << caption.toStdString();
        }
    EXPECT_LE(Form5->Label2->geometry().right(), Form5->width());

    // Resized, the list or grid takes the room; the buttons keep their place by the bottom right corner and
    // the window never gets smaller than laid out.
    const auto resized = [](QDialog& window, QWidget& list, QWidget& corner, QStatusBar& status) {
        const QSize laidOut = window.size(), listBefore = list.size();
        const QPoint cornerBefore = corner.geometry().bottomRight() - window.rect().bottomRight();
        window.resize(laidOut + QSize(200, 100));
        EXPECT_TRUE(QTest::qWaitFor([&] { return list.size() == listBefore + QSize(200, 100); }));
        EXPECT_EQ(corner.geometry().bottomRight() - window.rect().bottomRight(), cornerBefore);
        EXPECT_EQ(status.geometry(), QRect(0, window.height() - status.height(), window.width(), status.height()));
        window.resize(laidOut - QSize(100, 100));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == laidOut; }));
    };
    Check(Form1->PriceAnalysis, "Form5",
          [&](QDialog& window) { resized(window, *Form5->StringGrid1, *Form5->Button3, *Form5->StatusBar1); });
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    Check(Form1->Reports, "Form4", [&](QDialog& window) {
        QTest::mouseClick(Form4->Button5, Qt::LeftButton);
        const TListBox& list = *Form4->ListBox1;
        const QFontMetrics metrics(list.font());
        int measured = 0;
        for (const std::string& line : list.Items()) {
            const QString text = QString::fromStdString(line);
            if (text.count('\t') != 2)
                continue;
            // Drawn 2 pixels in from the edge with its tabs expanded; the third column is its last part.
            const int end = 2 + metrics.boundingRect({}, Qt::TextExpandTabs, text, list.TabStopPixels()).width();
            EXPECT_LT(end - metrics.horizontalAdvance(text.section('\t', 2)), list.viewport()->width()) << line;
            EXPECT_LE(end, list.viewport()->width()) << line << " is cut off";
            ++measured;
        }
        EXPECT_EQ(measured, 42); // the heading and every recipe line
        resized(window, *Form4->ListBox1, *Form4->Button6, *Form4->StatusBar1);
    });
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string>{"Form5", "Form4"}));
}

} // namespace
