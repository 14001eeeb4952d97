// Brivane: recipe management. Chooses the database the user named, creates the windows once, in their fixed
// order, and runs the event loop.
#include "forms/MAIN.h"
#include "forms/Windows.h"
#include "platform/Application.h"
#include "platform/DatabaseChoice.h"
#include "platform/Fonts.h"
#include "platform/Images.h"
#include "platform/Locale.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ReadRegionalSettings();
    MapWindowsFonts();
    NameApplication();
    QApplication::setWindowIcon(ProgramIcon());
    UseNamedDatabase();
    Guarded(CreateWindows);
    if (!Form1)
        return 1;
    Form1->show();
    Form1->raise();
    Form1->activateWindow();
    const int result = QApplication::exec();
    Application.DestroyForms();
    return result;
}
