// Message boxes, questions and modal showing of windows, all through one replaceable service so that
// tests can answer them without a blocking dialog.
#pragma once

#include <string>

class QDialog;
class QPrinter;

class TDialogService {
public:
    virtual ~TDialogService() = default;
    // A box with the text and "OK", captioned with the application's title, no icon.
    virtual void ShowMessage(const std::string& text) = 0;
    // "Confirm", question icon, "&Yes" and "&No"; true only on Yes.
    virtual bool ConfirmYesNo(const std::string& text) = 0;
    // A one-line text box with "OK" and "Cancel", at most 255 characters; true on OK, value then holds the text.
    virtual bool AskText(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // Shows the window modally until it closes itself or is closed.
    virtual void ShowModal(QDialog& window) = 0;
    // The general error display's box: caption, error icon and "OK".
    virtual void ShowError(const std::string& caption, const std::string& text) = 0;
    // The print dialog for printer; false when the user cancels. The chosen printer or file is set on printer.
    virtual bool ExecPrintDialog(QPrinter& printer) = 0;
    // Asks the desktop to open url (a mail address opens the user's mail program); the result is ignored.
    virtual void OpenUrl(const std::string& url) = 0;
    // Asks for an existing file to open, with the caption and a filter such as "Text files (*.txt);;All
    // files (*)"; false when the user cancels, else fileName holds the chosen file's path.
    virtual bool OpenFileName(const std::string& caption, const std::string& filter, std::string& fileName) = 0;
    // Asks for the name of a file to write, starting in the current folder with defaultName ("Materials.xlsx"),
    // whose extension a name typed without one gets; a file that exists is written only after the user agrees.
    // False when the user cancels, else fileName holds the path, relative to the current folder when it lies
    // in it.
    virtual bool SaveFileName(const std::string& caption, const std::string& filter, const std::string& defaultName,
                              std::string& fileName) = 0;
};

// The service in force; the real one with Qt's boxes unless a test has installed another.
TDialogService& Dialogs();
// Installs service (not owned); nullptr returns to the real one.
void SetDialogService(TDialogService* service);

void ShowMessage(const std::string& text);
bool ConfirmYesNo(const std::string& text);
bool AskText(const std::string& caption, const std::string& prompt, std::string& value);
void ShowModal(QDialog& window);
bool ExecPrintDialog(QPrinter& printer);
void OpenUrl(const std::string& url);
bool OpenFileName(const std::string& caption, const std::string& filter, std::string& fileName);
bool SaveFileName(const std::string& caption, const std::string& filter, const std::string& defaultName,
                  std::string& fileName);
