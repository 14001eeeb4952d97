#include "ProgramFixture.h"

#include "controls/Grids.h"
#include "forms/About.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/Production.h"
#include "forms/RecUnit.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/Windows.h"
#include "platform/Application.h"

#include <QAction>
#include <QApplication>
#include <QTest>

void ProgramFixture::TearDown() {
    Application.DestroyForms();
    Form1 = nullptr;
    Mat = nullptr;
    Rec = nullptr;
    Form3 = nullptr;
    Form5 = nullptr;
    Form4 = nullptr;
    Form2 = nullptr;
}

void ProgramFixture::StartProgram() {
    NameApplication();
    CreateWindows();
    Form1->show();
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    Settle();
}

std::vector<std::string> ProgramFixture::Column(const TStringGrid& grid, int col) {
    std::vector<std::string> cells;
    for (int r = 1; r <= grid.RowCount() - 2; ++r)
        cells.push_back(grid.Cells(col, r));
    return cells;
}

void ProgramFixture::Settle() {
    QApplication::processEvents();
}

void ProgramFixture::Trigger(QAction* action) {
    ASSERT_NE(action, nullptr);
    action->trigger();
    Settle();
}

void ProgramFixture::ClickRow(TStringGrid& grid, int row) {
    grid.Sync();
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    Settle();
}
