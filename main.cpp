// Brivane: recipe management. Creates the windows once, in their fixed order, and runs the event loop.
#include "forms/About.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/Production.h"
#include "forms/RecUnit.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "platform/Application.h"
#include "platform/Locale.h"
#include "platform/QtText.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ReadRegionalSettings();
    Application.Title = "Brivane 2.0 Recipe Management";
    QApplication::setApplicationDisplayName(ToQt(Application.Title));
    Guarded([] {
        Application.CreateForm(Form1);
        Application.CreateForm(Mat);
        Application.CreateForm(Rec);
        Application.CreateForm(Form3);
        Application.CreateForm(Form5);
        Application.CreateForm(Form4);
        Application.CreateForm(Form2);
    });
    if (!Form1)
        return 1;
    Form1->show();
    Form1->raise();
    Form1->activateWindow();
    const int result = QApplication::exec();
    Application.DestroyForms();
    return result;
}
