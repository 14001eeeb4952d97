#include "Application.h"

#include "platform/Dialogs.h"
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QWidget>

TApplication Application;

namespace {
int Beeps = 0;
}

void TApplication::FormDeleter::operator()(QWidget* w) const {
    delete w;
}

void TApplication::HelpContext(int ctx, const std::string& windowHelpFile) {
    // A window's own help file wins over the application's; without either there is nothing to ask.
    const std::string file = windowHelpFile.empty() ? HelpFile : windowHelpFile;
    if (file.empty())
        return;
    LastHelpContext = ctx;
    LastHelpFile = file;
    ShowHelp(file, ctx);
}

void SetHelpContext(QWidget& control, int ctx) {
    control.setProperty("HelpContext", ctx);
}

int ControlHelpContext(const QWidget* control) {
    for (; control; control = control->parentWidget())
        if (const int ctx = control->property("HelpContext").toInt())
            return ctx;
    return 0;
}

void TApplication::Terminate() {
    QApplication::quit();
}

std::string ErrorDisplayText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TApplication::ShowException(const std::exception& e) {
    Dialogs().ShowError(Title, ErrorDisplayText(e.what()));
}

void TApplication::DestroyForms() {
    CloseHelpViewer();
    while (!FForms.empty())
        FForms.pop_back();
}

namespace {
int HandlerDepth = 0;
std::string FailureTold;
} // namespace

bool FirstTellingInAction(const std::string& failure) {
    if (HandlerDepth == 0)
        return true;
    if (failure == FailureTold)
        return false;
    FailureTold = failure;
    return true;
}

void Guarded(const std::function<void()>& handler) {
    if (HandlerDepth == 0)
        FailureTold.clear();
    ++HandlerDepth;
    struct TLeave {
        ~TLeave() { --HandlerDepth; }
    } leave;
    try {
        handler();
    } catch (const std::exception& e) {
        Application.ShowException(e);
    } catch (...) {
        Application.ShowException(std::runtime_error("Unknown error"));
    }
}

void MessageBeep() {
    ++Beeps;
    QApplication::beep();
}

int BeepCount() {
    return Beeps;
}
