#include "Windows.h"

#include "BuildConfig.h"
#include "forms/About.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/Production.h"
#include "forms/RecUnit.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "platform/Application.h"

#include <QApplication>

#include <string>

void NameApplication() {
    Application.Title = std::string("Brivane ") + ProgramVersion + " Recipe Management";
    QApplication::setApplicationName("Brivane");
    QApplication::setApplicationVersion(ProgramVersion);
    QApplication::setDesktopFileName("org.example.Brivane");
}

void CreateWindows() {
    // The main window names the database before the others read from it in their creation handlers.
    Application.CreateForm(Form1);
    Application.CreateForm(Mat);
    Application.CreateForm(Rec);
    Application.CreateForm(Form3);
    Application.CreateForm(Form5);
    Application.CreateForm(Form4);
    Application.CreateForm(Form2);
}
