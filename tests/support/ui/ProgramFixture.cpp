#include "ProgramFixture.h"

#include "controls/Grids.h"
#include "controls/ListBox.h"
#include "controls/StdCtrls.h"
#include "forms/About.h"
#include "forms/Backups.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/Production.h"
#include "forms/RecUnit.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/Windows.h"
#include "platform/Application.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QSettings>
#include <QTest>

void WatchModels(QObject& root) {
    QList<QObject*> objects = root.findChildren<QObject*>();
    objects.prepend(&root);
    for (QObject* object : objects) {
        QAbstractItemModel* model = nullptr;
        if (auto* grid = qobject_cast<TStringGrid*>(object))
            model = grid->model();
        else if (auto* list = qobject_cast<TListBox*>(object))
            model = list->model();
        else if (auto* combo = qobject_cast<TComboBox*>(object))
            model = combo->model();
        // Owned by the model, so it never outlives what it watches; one per model.
        if (model && !model->findChild<QAbstractItemModelTester*>(QString(), Qt::FindDirectChildrenOnly))
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    }
}

ProgramFixture::ProgramFixture() {
    const QString config = QString::fromStdString(dir.Path().string());
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
}

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
    StartBackupRun();
    CreateWindows();
    for (QWidget* window : QApplication::topLevelWidgets())
        WatchModels(*window);
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

int ProgramFixture::RowOf(const TStringGrid& grid, const std::string& name) {
    for (int r = 1; r <= grid.RowCount() - 2; ++r)
        if (grid.Cells(0, r) == name)
            return r;
    return -1;
}

void ProgramFixture::ClickRow(TStringGrid& grid, int row) {
    grid.Sync();
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    Settle();
}

void ProgramFixture::ClickHeading(TStringGrid& grid, int col) {
    grid.Sync();
    QHeaderView* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      {header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2});
    Settle();
}
