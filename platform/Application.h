// The application object: title, help requests, the end of the run and the general error display.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

class TApplication {
public:
    std::string Title;
    // The application's help file, set by the dialogs' Help buttons.
    std::string HelpFile;

    // Asks the help viewer for topic ctx of the help file in force.
    void HelpContext(int ctx, const std::string& windowHelpFile = {});
    // The last context asked for and the file it was asked from (-1 before the first request).
    int LastHelpContext = -1;
    std::string LastHelpFile;

    // Ends the event loop after the current event.
    void Terminate();

    // The general error display: a box captioned with the title, an error icon and "OK".
    void ShowException(const std::exception& e);

    // Creates a window once for the whole run and keeps it until the application ends.
    template <class T> void CreateForm(T*& ref) {
        FForms.emplace_back(new T());
        ref = static_cast<T*>(FForms.back().get());
        ref->FormCreate();
    }
    // Frees the windows in the reverse order of their creation.
    void DestroyForms();

private:
    struct FormDeleter {
        void operator()(QWidget* w) const;
    };
    std::vector<std::unique_ptr<QWidget, FormDeleter>> FForms;
};

extern TApplication Application;

// The help context a control carries for the F1 key; 0, the default, carries none.
void SetHelpContext(QWidget& control, int ctx);
// The context of control or of its nearest enclosing control that carries one; 0 when none does.
int ControlHelpContext(const QWidget* control);

// The text the general error display shows for a message: a "." is added when the message is not
// empty and its last character sorts after ".".
std::string ErrorDisplayText(const std::string& message);

// Runs one event handler: no exception ever reaches Qt; what escapes is shown by the general error display.
void Guarded(const std::function<void()>& handler);
// True unless the same failure was told already in the user action under way (the handler Qt called, and all it
// runs, message boxes included), so an action that reaches a server out of reach several times says so once.
// Outside a handler (a test calling one itself) always true.
bool FirstTellingInAction(const std::string& failure);

// A refused key: the platform's beep. BeepCount lets tests see that it sounded.
void MessageBeep();
int BeepCount();
