// The dialog service of the tests: records every message, answers questions from queues and runs a
// script instead of blocking when a window is shown modally.
#pragma once

#include "platform/Dialogs.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QDialog;
class QPrinter;

class ScriptedDialogs : public TDialogService {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // What was shown, in order: messages, questions, errors and windows.
    std::vector<std::string> Messages;    // ShowMessage texts
    std::vector<std::string> Questions;   // ConfirmYesNo texts
    std::vector<std::string> Prompts;     // AskText "caption|prompt"
    std::vector<std::string> PromptTexts; // the text each AskText opened with
    std::vector<std::string> Errors;      // general error display texts
    std::vector<std::string> Shown;       // objectNames of windows shown modally
    std::vector<std::string> OpenedUrls;  // what the desktop was asked to open
    int PrintDialogs = 0;                 // how often the print dialog was shown
    std::vector<std::string> FileDialogs; // "caption|filter" of every file dialog
    std::vector<std::string> SaveDialogs; // "caption|filter|default name" of every save chooser

    // Answers, taken from the front; an empty queue answers No or Cancel.
    std::deque<bool> YesNoAnswers;
    std::deque<std::optional<std::string>> TextAnswers; // nullopt = Cancel
    std::deque<std::optional<std::string>> FileAnswers; // the file chosen; nullopt or none = Cancel
    // The name typed into the save chooser; an empty text takes its default name, nullopt or none = Cancel.
    std::deque<std::optional<std::string>> SaveAnswers;

    // The script run for a window shown modally, by objectName; without one the window just closes.
    std::map<std::string, std::function<void(QDialog&)>> Scripts;
    // Answers the print dialog: sets up the printer (a PDF file, say) and returns true to print.
    // Without one the dialog is cancelled.
    std::function<bool(QPrinter&)> PrintScript;

    void ShowMessage(const std::string& text) override;
    bool ConfirmYesNo(const std::string& text) override;
    bool AskText(const std::string& caption, const std::string& prompt, std::string& value) override;
    void ShowModal(QDialog& window) override;
    void ShowError(const std::string& caption, const std::string& text) override;
    bool ExecPrintDialog(QPrinter& printer) override;
    void OpenUrl(const std::string& url) override;
    bool OpenFileName(const std::string& caption, const std::string& filter, std::string& fileName) override;
    bool SaveFileName(const std::string& caption, const std::string& filter, const std::string& defaultName,
                      std::string& fileName) override;

    void Clear();
};
